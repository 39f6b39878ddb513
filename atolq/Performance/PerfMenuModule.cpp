// The performance tool's menu (10700): putting it into the menu bar and
// taking it out, its state, the refresh that follows the simulator's menu
// refresh, and the table of its commands.
#include "atolq/Performance/Perf.h"
#include "atolq/Performance/PerfDialogs.h"
#include "atolq/Performance/PerfUtils.h"

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/OGA/OGA.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kEnabled = 1;
constexpr uint32_t kDisabled = 2;
constexpr int16_t kMsgMenuInsertFailed = 16387;

}  // namespace

int PerfInstallMenu(uint32_t state, int remove)
{
    PerfFlags& f = PerfState();
    if (remove == 1) {
        if (f.menuPresent) {
            QXMenu_DeleteMenu(kPerfMenu);
            f.menuPresent = 0;
            f.active = 0;
        }
        QXMenu_UpdateMenuBar();
        return 1;
    }
    if (!f.menuPresent) {
        if (state == kEnabled) {
            if (QXMenu_LoadMenu(kPerfMenu) == 0) {
                EE_ReportError(kMsgMenuInsertFailed);
                f.menuPresent = 0;
                f.active = 0;
                return 0;
            }
            f.menuPresent = 1;
            GE_RequestMenuUpdate();
            QXMenu_UpdateMenuBar();
        }
    } else {
        QXMenu_SetMenuState(kPerfMenu, state);
    }
    if (state == kDisabled)
        f.active = 0;
    return 1;
}

void PerfMenuRefresh(int simulatorState)
{
    PerfFlags& f = PerfState();
    uint32_t menuState = kDisabled;
    uint32_t entryState = kDisabled;
    if (simulatorState == 1)
        f.active = 0;
    if (simulatorState == 2) {
        if (f.active)
            menuState = kEnabled;
        else if (!OGAMenuPresent())
            entryState = kEnabled;
        if (f.menuPresent) {
            QXMenu_SetItemState(kOGAEnterOcc, kDisabled);
            QXMenu_SetItemState(kOGAEnterOEOS, kDisabled);
        }
    }
    PerfInstallMenu(menuState, 0);
    QXMenu_SetItemState(kPerfEnterItem, entryState);
}

int PerfMenuCommand(uint32_t command)
{
    switch (command) {
    case 10701:
        if (PerfReportSetupDialog())
            ResetML();
        break;
    case 10702:
        PerfSend("Perf'Print.saveReport();");
        break;
    case 10704:
        PerfDataCollectorCommand();
        break;
    case 10706:
        if (!PerfSend("Perf'InitDC.initAll();"))
            QXUI_ShowMessage("Unable to initialize Data Collectors.");
        break;
    default:
        break;
    }
    return 0;
}

int PerfIsActive() { return PerfState().active; }
int PerfMenuPresent() { return PerfState().menuPresent; }
