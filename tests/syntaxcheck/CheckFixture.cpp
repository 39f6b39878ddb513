// The per-test net and the recording reporter of the syntax check tests.
#include "CheckFixture.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"

namespace {
std::vector<Report>& log()
{
    static std::vector<Report> reports;
    return reports;
}
int record(uint32_t object, const char* message, MemFile* details)
{
    log().push_back({object, message, details != nullptr});
    return 0;
}
} // namespace

void CheckTest::SetUp()
{
    GE_SetMode(1);
    SEInitPools();
    SEStart();
    log().clear();
    CTSContext& c = CTSCurrentContext();
    CTSBeginRun(nullptr);
    c.reporter = record;
    c.simulatorChecks = 0;
    c.arcError = 0;
}

void CheckTest::TearDown()
{
    SEFreeDB();
}

std::vector<Report>& CheckTest::reports() { return log(); }

SEPage* CheckTest::page(const char* name, bool inUse)
{
    SEPage* p = SECreatePage(nextObject++, kSEPortsNone);
    if (name != nullptr)
        SESetName(&p->head, se::copyText(name));
    if (inUse)
        p->modeFlags |= 1u;
    return p;
}

SEPlace* CheckTest::place(SEPage* p, const char* name)
{
    SEPlace* r = SECreatePlace(p, nextObject++);
    if (name != nullptr)
        SESetName(&r->head, se::copyText(name));
    return r;
}

SETrans* CheckTest::trans(SEPage* p, const char* name)
{
    SETrans* r = SECreateTrans(p, nextObject++);
    if (name != nullptr)
        SESetName(&r->head, se::copyText(name));
    return r;
}

SEArc* CheckTest::arc(SETrans* t, SEPlace* p, uint16_t direction, const char* expression)
{
    SEArc* a = SECreateArc(t, p, nextObject++, direction);
    if (expression != nullptr)
        SESetArcExpr(&a->head, se::copyText(expression));
    return a;
}

std::vector<std::string> CheckTest::on(SEHead* record) const
{
    std::vector<std::string> out;
    for (const Report& r : log())
        if (r.object == SEGetKVObj(record))
            out.push_back(r.message);
    return out;
}
