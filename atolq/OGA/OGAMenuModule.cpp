// The occurrence-graph tool's menu (10600): putting it into the menu bar and
// taking it out, its state, the texts of the two variants, and the refresh
// that the simulator's menu refresh runs.
#include "atolq/OGA/OGA.h"
#include "atolq/OGA/OGAInternal.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "xkv/kv/QXMenu.h"

namespace {

constexpr uint32_t kEnabled = 1;
constexpr uint32_t kDisabled = 2;
constexpr int16_t kMsgMenuInsertFailed = 16387;

struct VariantTexts {
    const char* calculate;
    const char* toSim;
    const char* fromSim;
    uint32_t reportState;
    const char* title;
};

constexpr VariantTexts kTexts[] = {
    {"Calculate Occ Graph", "Occ State to Sim", "Sim State to Occ", kEnabled, "Occ"},
    {"Calculate OE/OS Graph", "OE/OS State to Sim", "Sim State to OE/OS", kDisabled, "ROZI"},
};

int runMode()
{
    SERoot* root = SECurrentRoot();
    return root != nullptr ? ASRunOptions(root)[0] : 0;
}

} // namespace

OGAFlags& OGAState()
{
    static OGAFlags flags;
    return flags;
}

void OGAApplyVariantTexts()
{
    const VariantTexts& t = kTexts[OGAState().variant == 1 ? 1 : 0];
    QXMenu_SetItemLabel(10601, t.calculate);
    QXMenu_SetItemLabel(10608, t.toSim);
    QXMenu_SetItemLabel(10609, t.fromSim);
    QXMenu_SetItemState(10606, t.reportState);
    QXMenu_SetMenuTitle(kOGAMenu, t.title);
}

int OGAInstallMenu(uint32_t state, int remove)
{
    OGAFlags& f = OGAState();
    if (remove == 1) {
        if (f.menuPresent) {
            QXMenu_DeleteMenu(kOGAMenu);
            f.menuPresent = 0;
            f.toolActive = 0;
        }
        return 1;
    }
    if (!f.menuPresent && state == kEnabled) {
        if (QXMenu_LoadMenu(kOGAMenu) == 0) {
            EE_ReportError(kMsgMenuInsertFailed);
            f.menuPresent = 0;
            f.toolActive = 0;
            return 0;
        }
        f.menuPresent = 1;
        GE_RequestMenuUpdate();
        QXMenu_UpdateMenuBar();
    }
    if (f.menuPresent)
        QXMenu_SetMenuState(kOGAMenu, state);
    if (state == kDisabled)
        f.toolActive = 0;
    if (f.menuPresent)
        OGAApplyVariantTexts();
    return 1;
}

void OGAMenuRefresh(int simulatorState)
{
    OGAFlags& f = OGAState();
    uint32_t menuState = kDisabled;
    uint32_t entryState = kDisabled;
    if (simulatorState != 2)
        f.toolActive = 0;
    if (simulatorState == 2 && f.mlSupportsOG && runMode() != 1) {
        if (f.toolActive)
            menuState = kEnabled;
        else
            entryState = kEnabled;
    }
    OGAInstallMenu(menuState, 0);
    QXMenu_SetItemState(kOGAEnterOcc, entryState);
    QXMenu_SetItemState(kOGAEnterOEOS, entryState);
}

int OGAIsActive() { return OGAState().toolActive; }
int OGAMenuPresent() { return OGAState().menuPresent; }
int OGAGetVariant() { return OGAState().variant; }
