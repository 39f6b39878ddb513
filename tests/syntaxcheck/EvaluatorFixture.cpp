// The evaluator fixture of the syntax check tests.
#include "EvaluatorFixture.h"

#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/QXMem.h"

namespace {

char* copy(const std::string& text)
{
    char* out = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

} // namespace

int CheckLocalSettings(int, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile, char** runtime,
                  char**, uint32_t*, uint32_t)
{
    *local = 1;
    *host = nullptr;
    *port = 0;
    *image = copy(TOLQ_BIN_DIR "/tolq.ML");
    *mlFile = copy("");
    *runtime = copy(TOLQ_BIN_DIR "/run.x86-linux");
    return 1;
}

void EvaluatorCheckTest::SetUp()
{
    CheckTest::SetUp();
    DeclsCompiled = 0;
    MLImageSaved = 0;
    ASSERT_EQ(CTSStartEvaluator(CheckLocalSettings), 1);
}

void EvaluatorCheckTest::TearDown()
{
    CTSStopEvaluator();
    CheckTest::TearDown();
}

SEDeclNode* EvaluatorCheckTest::declNode(int subKind, const std::string& text, SEPage* page)
{
    SEDeclNode* node = SECreateDeclNode(page, nextObject++, static_cast<uint16_t>(subKind));
    node->text = se::copyText(text.c_str());
    return node;
}

void EvaluatorCheckTest::declare(const std::string& declarations)
{
    ASSERT_EQ(CTSCheckDeclNode(declNode(kSEDeclGlobal, declarations), kSEDeclGlobal), 1);
    SERoot* root = SECurrentRoot();
    root->declHashTable = HashCreate(10, kHashStringKeys);
    ASSERT_EQ(CTSReturnColourTable(CTSReplyBuffer(), root->declHashTable), 0);
}

SEPlace* EvaluatorCheckTest::typedPlace(SEPage* p, const char* colourSet, const char* marking)
{
    SEPlace* r = place(p);
    r->colourSet = se::copyText(colourSet);
    if (marking != nullptr)
        r->initMark = se::copyText(marking);
    return r;
}

int16_t EvaluatorCheckTest::evaluate(const std::string& text, std::string* reply)
{
    MemFile* file = MemFileCreate();
    const int16_t code = CTSSend(text.c_str(), nullptr, file);
    if (reply != nullptr) {
        reply->assign(MemFileLength(file), '\0');
        uint32_t n = static_cast<uint32_t>(reply->size());
        MemFileRewind(file);
        if (n > 0)
            MemFileRead(file, reply->data(), &n);
        reply->resize(n);
    }
    MemFileDestroy(file);
    return code;
}
