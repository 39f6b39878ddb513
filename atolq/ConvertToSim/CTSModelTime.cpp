// Model time values and the clock text, the program's model clock, and the
// sorting of transition instances into enabled now and enabled later by the
// times the evaluator answers. Integer time holds a signed 32-bit value
// whose largest value is 0x3fffffff; real time a double. The clock text
// carries an integer in both representations.
#include "atolq/ConvertToSim/CTSModelTime.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ASimulator/ASRequests.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/QXMem.h"

namespace {
int gIntegerTime = 1;
constexpr int32_t kIntegerMax = 0x3fffffff;
constexpr double kRealMax = 1.79769e+308;

long asLong(const void* v)
{
    if (gIntegerTime) {
        int32_t i;
        std::memcpy(&i, v, sizeof i);
        return i;
    }
    double d;
    std::memcpy(&d, v, sizeof d);
    return static_cast<long>(d);
}

bool less(const void* a, const void* b)
{
    if (gIntegerTime) {
        int32_t x, y;
        std::memcpy(&x, a, sizeof x);
        std::memcpy(&y, b, sizeof y);
        return x < y;
    }
    double x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x < y;
}
void* gClockValue = nullptr;
void* gNextValue = nullptr;
bool gAnyNow = false;
bool gAnyLater = false;

void replace(void*& slot, void* value)
{
    if (slot != nullptr)
        QXMem_Free(slot);
    slot = value;
}

void copyTime(void* to, const void* from) { std::memcpy(to, from, CTSTimeSize()); }

// Sets (instance, flag) in the flag list, adding the pair when absent.
void setFlag(LMList*& flags, void* instance, uintptr_t flag, bool add)
{
    bool found = false;
    for (void* cell = flags != nullptr ? flags->first : nullptr; cell != nullptr;
         cell = static_cast<LMLink*>(cell)->next) {
        auto* pair = static_cast<LMPairCell*>(cell);
        if (pair->first == instance) {
            pair->second = reinterpret_cast<void*>(flag);
            found = true;
        }
    }
    if (!found && add)
        se::appendPair(flags, instance, reinterpret_cast<void*>(flag));
}

// Removes the instance's pairs from a time list, freeing their values.
void dropFrom(LMList* list, void* instance)
{
    std::vector<void*> values;
    se::forEachPair(list, [&](void* first, void* second) {
        if (first == instance)
            values.push_back(second);
    });
    se::removePairsWith(list, instance, 0);
    for (void* v : values)
        QXMem_Free(v);
}

// Puts (instance, t) into the list, replacing the time of a pair there.
void putInto(LMList*& list, void* instance, void* t)
{
    for (void* cell = list != nullptr ? list->first : nullptr; cell != nullptr;
         cell = static_cast<LMLink*>(cell)->next) {
        auto* pair = static_cast<LMPairCell*>(cell);
        if (pair->first == instance) {
            QXMem_Free(pair->second);
            pair->second = t;
            return;
        }
    }
    se::appendPair(list, instance, t);
}

void* copyOf(const void* value)
{
    void* t = CTSTimeNew();
    if (t != nullptr)
        copyTime(t, value);
    return t;
}

} // namespace

void CTSSetIntegerTime(int flag) { gIntegerTime = flag != 0; }
int CTSUseIntegerTime() { return 1; }
uint32_t CTSTimeSize() { return gIntegerTime ? 4 : 8; }

void* CTSTimeNew()
{
    void* v = QXMem_Alloc(CTSTimeSize());
    if (v != nullptr)
        std::memset(v, 0, CTSTimeSize());
    return v;
}

void CTSTimeSetMax(void* value)
{
    if (gIntegerTime)
        std::memcpy(value, &kIntegerMax, sizeof kIntegerMax);
    else
        std::memcpy(value, &kRealMax, sizeof kRealMax);
}

void* CTSTimeMax(void* a, void* b) { return less(b, a) ? a : b; }
void* CTSTimeMin(void* a, void* b) { return less(a, b) ? a : b; }

void CTSClockText(const void* value, char* text, uint32_t size)
{
    std::snprintf(text, size, "(clock (\"%ld\"))", asLong(value));
}

int CTSParseClock(const char* text, void* value)
{
    if (text == nullptr)
        return 0;
    const std::string local(text);
    long n = 0;
    int matched = std::sscanf(local.c_str(), "(clock (\"%ld\"))", &n);
    if (matched != 1)
        return matched < 0 ? 0 : matched;
    if (gIntegerTime) {
        if (n < INT32_MIN || n > INT32_MAX)
            return 0;
        int32_t i = static_cast<int32_t>(n);
        std::memcpy(value, &i, sizeof i);
    } else {
        double d = static_cast<double>(n);
        std::memcpy(value, &d, sizeof d);
    }
    return 1;
}

int CTSTimeInit()
{
    replace(gClockValue, CTSTimeNew());
    replace(gNextValue, CTSTimeNew());
    if (gClockValue == nullptr || gNextValue == nullptr)
        return 0;
    CTSTimeSetMax(gNextValue);
    gAnyNow = gAnyLater = false;
    return 1;
}

void* CTSClockValue()
{
    if (gClockValue == nullptr || gNextValue == nullptr)
        CTSTimeInit();
    return gClockValue;
}

void* CTSNextTimeValue()
{
    CTSClockValue();
    return gNextValue;
}

long CTSTimeAsLong(const void* value) { return asLong(value); }

long CTSClockAsLong() { return CTSClockValue() != nullptr ? asLong(gClockValue) : 0; }

int CTSReadModelClock()
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    std::string text;
    if (ASGetModelTime(&text, reply) < 0 || CTSClockValue() == nullptr)
        return 0;
    return CTSParseClock(text.empty() ? "(clock (\"0\"))" : text.c_str(), gClockValue) == 1 ? 1 : 0;
}

void CTSTimeListsClear(CTSTimeLists* lists)
{
    for (LMList** list : {&lists->now, &lists->later}) {
        se::forEachPair(*list, [](void*, void* value) { QXMem_Free(value); });
        se::destroyList(*list);
    }
    se::destroyList(lists->flags);
}

int CTSTimeNoteEnabling(void* instance, CTSTimeLists* lists, const char* text)
{
    void* t = CTSTimeNew();
    if (t == nullptr || CTSClockValue() == nullptr) {
        if (t != nullptr)
            QXMem_Free(t);
        return 0;
    }
    if (text == nullptr || std::strcmp(text, "none") == 0 || CTSParseClock(text, t) != 1)
        CTSTimeSetMax(t);
    if (less(t, gNextValue))
        copyTime(gNextValue, t);
    if (CTSTimeMin(gClockValue, t) == t) {
        gAnyNow = true;
        dropFrom(lists->later, instance);
        putInto(lists->now, instance, t);
        setFlag(lists->flags, instance, 1, true);
        return 1;
    }
    gAnyLater = true;
    dropFrom(lists->now, instance);
    putInto(lists->later, instance, t);
    setFlag(lists->flags, instance, 0, true);
    return 0;
}

int CTSTimeNoteNow(void* instance, void* value, CTSTimeLists* lists)
{
    if (CTSClockValue() == nullptr || CTSTimeMin(gClockValue, value) != value)
        return 0;
    void* t = copyOf(value);
    if (t == nullptr)
        return 0;
    putInto(lists->now, instance, t);
    gAnyNow = true;
    setFlag(lists->flags, instance, 1, true);
    return 1;
}

int CTSTimeNoteLater(void* instance, void* value, CTSTimeLists* lists)
{
    if (CTSClockValue() == nullptr || !less(gClockValue, value))
        return 0;
    void* t = copyOf(value);
    if (t == nullptr)
        return 0;
    putInto(lists->later, instance, t);
    gAnyLater = true;
    setFlag(lists->flags, instance, 0, false);
    return 1;
}

int CTSTimeNoteCandidate(void*, void* value)
{
    gAnyLater = true;
    if (CTSNextTimeValue() != nullptr && less(value, gNextValue))
        copyTime(gNextValue, value);
    return 1;
}

void CTSTimeResetNext()
{
    if (CTSNextTimeValue() != nullptr)
        CTSTimeSetMax(gNextValue);
    gAnyNow = gAnyLater = false;
}

bool CTSTimeAnyNow() { return gAnyNow; }
bool CTSTimeAnyLater() { return gAnyLater; }

int CTSAdvanceToNextTime(int runMode)
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASSetModelTime(runMode == 1 ? "TOLQ'minlist (TOLQ'fasttlist)" : "TOLQ'minlist (TOLQ'tlist)", reply);
    return CTSReadModelClock();
}

void CTSTimeResort(CTSTimeLists* lists, std::vector<std::pair<void*, bool>>* moved)
{
    std::vector<std::pair<void*, void*>> later;
    std::vector<std::pair<void*, void*>> now;
    se::forEachPair(lists->later, [&](void* i, void* v) { later.emplace_back(i, v); });
    se::forEachPair(lists->now, [&](void* i, void* v) { now.emplace_back(i, v); });
    for (auto [instance, value] : later) {
        if (CTSTimeNoteNow(instance, value, lists) == 1) {
            dropFrom(lists->later, instance);
            moved->emplace_back(instance, true);
        }
    }
    for (auto [instance, value] : now) {
        if (CTSTimeNoteLater(instance, value, lists) == 1) {
            dropFrom(lists->now, instance);
            moved->emplace_back(instance, false);
        }
    }
}

int CTSTimeIdleAhead()
{
    void* largest = CTSTimeNew();
    if (largest == nullptr || CTSNextTimeValue() == nullptr) {
        if (largest != nullptr)
            QXMem_Free(largest);
        return 0;
    }
    CTSTimeSetMax(largest);
    const bool ahead = less(gNextValue, largest) && less(gClockValue, gNextValue);
    QXMem_Free(largest);
    return ahead && !gAnyNow && gAnyLater ? 1 : 0;
}

void CTSTimeNextToClock()
{
    if (CTSClockValue() != nullptr && CTSNextTimeValue() != nullptr)
        copyTime(gClockValue, gNextValue);
}
