// The kernel's entry into the net layer. It lives apart from the rest of the
// net layer so that the program links it as an object of its own: the
// kernel's stand-in entry is then never taken.
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/NetCreate.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/Chart/ChartRequests.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/CEditor/RXLNets.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/OGA/OGAUtils.h"
#include "atolq/SML/SMLInstall.h"
#include "atolq/SmlEval/SmlEval.h"
#include "xkv/kv/Hook.h"

namespace {

constexpr int16_t kMsgDetach = 16391;
constexpr int16_t kMsgUnexpectedMenu = 16392;
constexpr int16_t kMsgUnexpectedKind = 16393;

uintptr_t ParseArgumentsHook(uintptr_t argc, uintptr_t argv, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return static_cast<uintptr_t>(GE_ParseArguments(reinterpret_cast<int*>(argc), reinterpret_cast<char**>(argv)));
}

// The program's last work after its main loop, whichever way it was ended:
// standard defaults stored since the last write go to the user's file. A
// scripted run that failed and quit by itself ends the program with status 1.
KernelStatus EndNetLayer()
{
    GE_SaveDefaultsFile();
    return GE_Options().autoExec != 0 && GE_Options().quit != 0 && EE_ToolExtensionFailed() != 0 ? 1 : 0;
}

}  // namespace

uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t)
{
    switch (kind) {
    case 3:
        Hook_Set(kHookArgv, ParseArgumentsHook);
        CTSInstallNetServices();
        // The occurrence-graph library tags the graph it draws through
        // these rows of the function table.
        OGAInstallTableRows();
        EE_InstallLifeCycle();
        EE_InstallCreation();
        EE_InstallEditorHookHandlers();
        // The evaluator's chart requests reach the chart module.
        ChartInstallRequests();
        // The sibling tool's net-building requests.
        RXLInstallRequests();
        // The evaluator's table calls and numbered requests of the net layer.
        SMLInstallRequests();
        break;
    case 0:
        Hook_Set(kHookCommandPages, EE_HookPages);
        KV_SetEndHandler(EndNetLayer);
        GE_SetDefaultsSaver(GE_SaveDefaultsFile);
        GE_SetEvaluatorQuery(SMLIsConnected);
        SMLSetDumpML(GE_Options().dumpML != 0 ? 1 : 0);
        SMLSetMLDebug(GE_Options().mlDebug != 0 ? 1 : 0);
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
