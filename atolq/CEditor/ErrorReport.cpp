// The pending error of the net layer and the fatal-error exit.
#include "atolq/CEditor/ErrorReport.h"

#include <cstdio>
#include <cstdlib>

namespace {
int16_t pendingError = 0;
}

int EE_ReportError(int16_t id)
{
    if (pendingError != 0 || id == 0)
        return id;
    pendingError = id;
    return 1;
}

void EE_ClearPendingError()
{
    pendingError = 0;
}

int16_t EE_GetPendingError()
{
    return pendingError;
}

void EE_FatalError(int16_t id)
{
    std::fprintf(stderr, "tolq: fatal error %d\n", id);
    std::fflush(stderr);
    std::exit(255);
}
