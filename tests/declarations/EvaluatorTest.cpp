// End to end: declarations converted into entries, their region texts handed
// to the real evaluator as a global declaration node, defined one by one, and
// the colour table read back.
#include <gtest/gtest.h>

#include "DeclDoubles.h"
#include "PageWindowFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/DEclarations/DEclarations.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

class Buffer {
public:
    explicit Buffer(const std::string& text = {}) : file_(MemFileCreate())
    {
        MemFileWrite(file_, text.data(), static_cast<uint32_t>(text.size()));
    }
    ~Buffer() { MemFileDestroy(file_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    MemFile* get() const { return file_; }

private:
    MemFile* file_;
};

// An input text: pieces of 253 bytes, each followed by \006 and a line feed,
// the whole ended by \004 and a line feed.
std::string inputText(const std::string& text)
{
    std::string out;
    for (size_t at = 0; at < text.size(); at += 253)
        out += text.substr(at, 253) + "\006\n";
    return out + "\004\n";
}

class DeclarationsEvaluatorTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        startKernel();
        GE_SetMode(1);
        SEInitPools();
        SEStart();
        ASSERT_EQ(SMLConnect(1, nullptr, 0, kHeap.c_str(), kRuntime.c_str(), nullptr, nullptr), 0);
    }
    void TearDown() override
    {
        SMLStopProcess();
        DENameIndexClear();
        SEFreeDB();
        stopKernel();
        PageWindowTest::TearDown();
    }
    int16_t evaluate(const std::string& text, MemFile* reply, const std::string& input = {})
    {
        Buffer request(text);
        if (input.empty())
            return SMLEvaluate(request.get(), reply);
        Buffer in(inputText(input));
        return SMLEvaluateInput(request.get(), in.get(), reply);
    }
};

TEST_F(DeclarationsEvaluatorTest, RegionTextsCompileAndTheColourTableComesBack)
{
    uint32_t object = newObject("colorset INT = int with 1..10; var x, y;\n"
                                "colorset B = bool with (no, yes);\n"
                                "colorset E = with red | green;\n"
                                "colorset P = product INT * E timed;\n"
                                "colorset R = record a:INT * b:B;\n"
                                "colorset D = INT;\n"
                                "fun twice (n:int) : int = 2 * n;\n"
                                "val three : int = twice 1 + 1;",
                                100, 100, 80, 40);
    EE_CreateDeclNode(object, nullptr, kSEDeclGlobal);
    ASSERT_EQ(DEConvertNode(object), 1);
    SEHead* record = recordOf(object);
    ASSERT_NE(record, nullptr) << ::testing::PrintToString(world().messages);
    std::string node;
    auto* declNode = reinterpret_cast<SEDeclNode*>(record);
    for (void* c = declNode->entries->first; c != nullptr; c = static_cast<LMLink*>(c)->next)
        node += textOf(static_cast<SEDeclEntry*>(c)->kvObject) + "\n";
    ASSERT_NE(node.find("colorset INT = int with 1 .. 10\nvar x, y\nalias D;"), std::string::npos) << node;

    Buffer parsed("\r");
    ASSERT_EQ(evaluate("TOLQ'Edit.ParseGlobDecl ();", parsed.get(), node), 0) << node;
    int defined = 0;
    for (;; ++defined) {
        Buffer reply("\r");
        ASSERT_EQ(evaluate("TOLQ'Edit.DefineGlob ();", reply.get()), 0) << node;
        uint32_t last = 0;
        ASSERT_EQ(SMLGetInt(reply.get(), &last), 0);
        if (last == 1)
            break;
        ASSERT_LT(defined, 20);
    }
    Buffer table("\r");
    ASSERT_EQ(evaluate("TOLQ'Edit.ReturnColorTabel ();", table.get()), 0);
    std::vector<std::pair<std::string, uint32_t>> rows;
    for (;;) {
        SMLTriple t{};
        if (SMLReadTriple(table.get(), &t) != 0)
            break;
        rows.emplace_back(t.first, t.number);
        QXMem_Free(t.first);
        QXMem_Free(t.second);
    }
    std::vector<std::pair<std::string, uint32_t>> expected = {{"INT", 0}, {"D", 0}, {"B", 0}, {"E", 0}, {"P", 1}, {"R", 0}};
    EXPECT_EQ(rows, expected);

    // The values are there: the function and the value compiled.
    Buffer value("\r");
    ASSERT_EQ(evaluate("print (\"\\^F\" ^ Int.toString three ^ \"\\^F\");", value.get()), 0);
    uint32_t three = 0;
    EXPECT_EQ(SMLGetInt(value.get(), &three), 0);
    EXPECT_EQ(three, 3u);
}

} // namespace
