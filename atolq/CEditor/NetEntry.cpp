// The kernel's entry into the net layer. It lives apart from the rest of the
// net layer so that the program links it as an object of its own: the
// kernel's stand-in entry is then never taken.
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetCreate.h"
#include "atolq/Chart/ChartRequests.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "xkv/kv/Hook.h"

namespace {

constexpr int16_t kMsgDetach = 16391;
constexpr int16_t kMsgUnexpectedMenu = 16392;
constexpr int16_t kMsgUnexpectedKind = 16393;

uintptr_t ParseArgumentsHook(uintptr_t argc, uintptr_t argv, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return static_cast<uintptr_t>(GE_ParseArguments(reinterpret_cast<int*>(argc), reinterpret_cast<char**>(argv)));
}

// The net layer's default records with their built-in values, copied to the
// diagram level, and the record pools of the abstract net. The user's
// defaults file is not read.
void StartNetData()
{
    if (DefRegisterProperties() != 0 && DefInitAll() != 0)
        GE_ResetDiagramDefaults();
    SEInitPools();
}

}  // namespace

uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t)
{
    switch (kind) {
    case 3:
        Hook_Set(kHookArgv, ParseArgumentsHook);
        CTSInstallNetServices();
        EE_InstallLifeCycle();
        EE_InstallCreation();
        EE_SetTextUpdate(EE_UpdateNetFromObject);
        // The evaluator's chart requests reach the chart module.
        ChartInstallRequests();
        break;
    case 0:
        Hook_Set(kHookCommandPages, EE_HookPages);
        StartNetData();
        GE_StartMode(GE_Options().autoExec != 0 ? kGEStartScripted : kGEStartEditor);
        break;
    case 1:
        if (menuId != 10100 && menuId != 10300)
            EE_ReportError(kMsgUnexpectedMenu);
        break;
    case 2:
        EE_ReportError(kMsgDetach);
        break;
    default:
        EE_ReportError(kMsgUnexpectedKind);
        break;
    }
    return 0;
}
