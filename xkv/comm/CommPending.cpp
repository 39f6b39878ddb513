// Command handlers whose modules are not built yet. Each ends the command it
// belongs to, changes nothing and says so in the status bar. A handler leaves
// this list when the module that does its work arrives.
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"

#define COMM_NOT_BUILT(name, label) \
    COMM_HANDLER(name) { return Comm_NotBuilt(row, event, nextState, freeFlag, label); }

// clang-format off
COMM_NOT_BUILT(Cmd_PageSetupDone, "Page Setup Done")
// clang-format on
