// The per-test kernel, page and net of the declaration tests.
#include "DeclFixture.h"

#include "EvaluatorSession.h"

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"

void DeclTest::SetUp()
{
    PageWindowTest::SetUp();
    startKernel();
    GE_SetMode(1);
    SEInitPools();
    SEStart();
    EE_ClearPendingError();
    ASSERT_TRUE(StartTestEvaluator());
}

void DeclTest::TearDown()
{
    StopTestEvaluator();
    DENameIndexClear();
    SEFreeDB();
    EE_ClearPendingError();
    stopKernel();
    PageWindowTest::TearDown();
}

uint32_t DeclTest::node(const std::string& text, uint16_t subKind, SEPage* pageRecord)
{
    uint32_t object = newObject(text, 100, 100, 80, 40);
    EE_CreateDeclNode(object, pageRecord, subKind);
    return object;
}

SEPage* DeclTest::page(uint32_t object)
{
    SEPage* p = SECreatePage(object, kSEPortsNone);
    GE_SetSERecord(object, &p->head);
    return p;
}

SEDeclNode* DeclTest::record(uint32_t object)
{
    SEHead* r = recordOf(object);
    return r != nullptr && r->kind == kSEDeclNode ? reinterpret_cast<SEDeclNode*>(r) : nullptr;
}

std::vector<SEDeclEntry*> DeclTest::entries(uint32_t object)
{
    std::vector<SEDeclEntry*> out;
    SEDeclNode* n = record(object);
    if (n != nullptr && n->entries != nullptr)
        for (void* c = n->entries->first; c != nullptr; c = static_cast<LMLink*>(c)->next)
            out.push_back(static_cast<SEDeclEntry*>(c));
    return out;
}

std::vector<std::string> DeclTest::regionTexts(uint32_t object)
{
    std::vector<std::string> out;
    for (SEDeclEntry* e : entries(object))
        out.push_back(textOf(e->kvObject));
    return out;
}

std::vector<std::string> DeclTest::convert(const std::string& text, uint16_t subKind)
{
    uint32_t object = node(text, subKind);
    DEConvertNode(object);
    return regionTexts(object);
}

SEDeclEntry* DeclTest::entryNamed(const std::string& name)
{
    SEHead* h = DEFindEntry(nullptr, name.c_str(), 3);
    return h != nullptr && h->kind == kSEDeclEntry ? reinterpret_cast<SEDeclEntry*>(h) : nullptr;
}
