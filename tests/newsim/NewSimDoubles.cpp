// The one net-editor service the typed messages use: the error report,
// recorded so that the tests see which messages a reply raised.
#include "NewSimDoubles.h"

std::vector<int16_t>& reportedErrors()
{
    static std::vector<int16_t> ids;
    return ids;
}

int EE_ReportError(int16_t id)
{
    reportedErrors().push_back(id);
    return 1;
}
