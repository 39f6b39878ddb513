// Model time values and the clock text. Integer time holds a signed 32-bit
// value whose largest value is 0x3fffffff; real time a double. The clock
// text carries an integer in both representations.
#include "atolq/ConvertToSim/CTSModelTime.h"

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>

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
