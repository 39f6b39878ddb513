// The services that the syntax check and code generator register with the
// abstract net, which calls them without depending on that layer.
#include "atolq/AEditor/SENet.h"

namespace {
SECheckServices& registered()
{
    static SECheckServices services;
    return services;
}
} // namespace

void SESetCheckServices(const SECheckServices& services)
{
    registered() = services;
}

const SECheckServices& SEGetCheckServices()
{
    return registered();
}
