// The per-test abstract net and builders of small nets.
#include "NetFixture.h"

#include "ServiceDoubles.h"
#include "atolq/CEditor/EditorState.h"

void NetTest::SetUp()
{
    serviceLog() = ServiceLog{};
    GE_SetMode(1);
    SEInitPools();
    SEStart();
    EE_ClearPendingError();
}

void NetTest::TearDown()
{
    SEFreeDB();
    EE_ClearPendingError();
}

int16_t NetTest::takeError()
{
    int16_t id = EE_GetPendingError();
    EE_ClearPendingError();
    return id;
}

SEPage* NetTest::page(uint32_t object, const char* name)
{
    SEPage* p = SECreatePage(object != 0 ? object : nextObject++, kSEPortsNone);
    if (name != nullptr)
        SESetName(&p->head, text(name));
    return p;
}

SEPlace* NetTest::place(SEPage* p, const char* name)
{
    SEPlace* r = SECreatePlace(p, nextObject++);
    if (name != nullptr)
        SESetName(&r->head, text(name));
    return r;
}

SETrans* NetTest::trans(SEPage* p, const char* name)
{
    SETrans* r = SECreateTrans(p, nextObject++);
    if (name != nullptr)
        SESetName(&r->head, text(name));
    return r;
}

std::vector<SEHead*> records(const LMList* list)
{
    std::vector<SEHead*> result;
    se::forEachRec(list, [&](SEHead* h) { result.push_back(h); });
    return result;
}

std::vector<void*> values(const LMList* list)
{
    std::vector<void*> result;
    se::forEachValue(list, [&](void* v) { result.push_back(v); });
    return result;
}
