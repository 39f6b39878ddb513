// Switching a checked net into the simulator and back to the editor.
#include "atolq/OGA/OGA.h"
#include "atolq/Performance/Perf.h"
#include "atolq/NewSim/NSMode.h"
#include "atolq/CSimulator/SimSwitch.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/ConvertToSim/CTSRXLSettings.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSSavedState.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimHooks.h"
#include "atolq/CSimulator/SimMenus.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/kv/QXFile.h"
#include "atolq/Utils/QXMem.h"

namespace {

constexpr uint16_t kTagSimLink = 0xF909;
constexpr uint16_t kTagSavedState = 0xF903;
constexpr uint32_t kLoadXmlItem = 11260;
constexpr int16_t kMsgStateNotStarted = 0x3616;
constexpr int16_t kMsgSaveFailed = 16399;

// A busy stage: its text with the busy cursor, cleared when it ends.
class BusyStage {
public:
    explicit BusyStage(const char* text) : cursor_(EE_BeginBusy(text)) {}
    ~BusyStage() { EE_EndBusy(cursor_); }
    BusyStage(const BusyStage&) = delete;
    BusyStage& operator=(const BusyStage&) = delete;

private:
    int cursor_;
};

template <class F>
void ForEachNetPage(F f)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [&](SEHead* record) { f(reinterpret_cast<SEPage*>(record)); });
}

bool GenerateCode()
{
    BusyStage busy("Switching to Simulator");
    if (CTSGenerateSimCode(EE_ShowProgress) != 0)
        return true;
    if (GE_TestStateFlags(kGEStopRequested) != 0) {
        GE_ClearStateFlags(kGEStopRequested);
        SShowStatus("Switch was stopped", kSNoTime, kSNoStep);
    } else {
        SShowStatus("Switch failed", kSNoTime, kSNoStep);
    }
    return false;
}

bool CreateInstances()
{
    BusyStage busy("Creating Instances");
    if (CTSResetSimState() == 0) {
        // No half-made simulation state stays behind in the net.
        ASDeleteAllInstances();
        return false;
    }
    GE_SetErrorCount(0);
    ASRequestCurStep(0);
    ASRequestResetSteps();
    return true;
}

void CreateSimulationRegions()
{
    BusyStage busy("Generating Simulation Regions");
    SCreateEnablingRegions();
    SCreateMarkingRegions();
    SCreateArcRegions();
}

void EnterSimulatorMode()
{
    SInstallSimulatorHookHandlers();
    GE_SetModeHooks(kGEModeSimulator);
    SInstallSimMenu();
}

// Every net page shows its first instance; the open ones draw it now.
void ShowOpenPages()
{
    BusyStage busy(nullptr);
    SShowStatus("Updating Open Pages", kSTimeRefreshed, kSStepRefreshed);
    SBuildOpenPageList();
    ForEachNetPage([](SEPage* page) {
        auto* first = page->instances != nullptr ? asInstance(static_cast<SEHead*>(page->instances->first)) : nullptr;
        if (first == nullptr)
            return;
        SSetPageInstance(page->kvObject, first);
        GE_SetUserFlag(page->kvObject, kSTagGraphicsStale);
    });
    SShowOpenPages();
}

// The simulation user data of the net pages goes, and each open page's
// caption is its reference name again.
void ForgetPageInstances()
{
    ForEachNetPage([](SEPage* page) {
        const uint32_t object = page->kvObject;
        GE_DeleteUserData(object, kTagSimLink);
        GE_DeleteUserData(object, kSTagGraphicsStale);
        GE_DeleteUserData(object, kSTagOpenedByStep);
        char title[96] = {};
        if (QXWin_IsOpen(object) != 0 && GE_ObjectRefName(object, title) != 0 && title[0] != '\0')
            QXWin_SetTitle(object, title);
    });
}

// A model of the sibling tool gets its marking queries and report settings.
void SendRXLParameters()
{
    if (SInRXLMode() == 0)
        return;
    BusyStage busy("Installing RXL Parameters");
    CTSSendRXLParameters();
}

bool AnyPageInstance()
{
    bool found = false;
    ForEachNetPage([&](SEPage* page) { found = found || se::count(page->instances) != 0; });
    return found;
}

void Bell()
{
    QXUI_Beep(0);
}

}  // namespace

int SSwitchToSimulator()
{
    if (!GenerateCode())
        return 0;
    if (!CreateInstances())
        return 0;
    CreateSimulationRegions();
    EnterSimulatorMode();
    ShowOpenPages();
    SendRXLParameters();
    OGASimulatorEntered();
    SShowStatus("Ready to Simulate", kSTimeRefreshed, kSNoStep);
    Bell();
    return 1;
}

void SEnterSavedState()
{
    EnterSimulatorMode();
    SShowStatus("Simulator Entered", kSNoTime, kSNoStep);
    Bell();
    QXMenu_SetItemState(kLoadXmlItem, 2);
}

int SSwitchToEditor(int full)
{
    QXMenu_SetItemState(kLoadXmlItem, 1);
    OGALeaveSimulator();
    if (NSNewSimFlag() == 0)
        PerfLeaveSimulator();
    SShowStatus("Switching to Editor", kSNoTime, kSNoStep);
    if (full != 0) {
        SHideOpenPages(0);
        ASDeleteAllInstances();
        ForgetPageInstances();
    }
    if (QXStr_HasDiagram() != 0) {
        const uint32_t pageList = QXStr_GetPageListHandle();
        if (GE_HasUserData(pageList, kTagSavedState) != 0) {
            Comm_SetFilePath(1, "");
            GE_DeleteUserData(pageList, kTagSavedState);
        }
    }
    SRemoveSimMenu();
    const int result = static_cast<int>(GE_EnterEditor());
    SFreeOpenPageList();
    SEnterActivity(kSActivityNone);
    SForgetStatusTexts();
    if (QXStr_HasDiagram() == 0) {
        SShowStatus("Editor Entered", kSNoTime, kSNoStep);
        Bell();
    } else {
        SShowStatus("Ready to Edit", kSNoTime, kSNoStep);
    }
    if (full != 0)
        Bell();
    return result;
}

void SEnterEditorCommand()
{
    if (SStateInvalid() != 0 || SReswitchNeeded() != 0)
        QXStr_SetModified(1);
    SSwitchToEditor(QXStr_HasDiagram() != 0 ? 1 : 0);
}

namespace {

constexpr uint16_t kTagOccGraph = 0xF90D;
constexpr uint16_t kTagPerformance = 0xF910;

std::string CurrentFileName()
{
    char* raw = nullptr;
    if (QXFile_GetCurrentFileName(&raw) == 0 || raw == nullptr)
        return {};
    std::string name(raw);
    QXMem_Free(raw);
    return name;
}

} // namespace

int CTSSaveSimState()
{
    if (SECurrentRoot() == nullptr || QXStr_HasDiagram() == 0)
        return 0;
    const std::string name = CurrentFileName();
    if (name.empty())
        return 0;
    CTSStoreSimStateWords(true);
    const uint32_t pageList = QXStr_GetPageListHandle();
    const bool marked = GE_HasUserData(pageList, kTagSavedState) != 0;
    if (!marked)
        GE_SetUserFlag(pageList, kTagSavedState);
    OGASaveState();
    PerfSaveState();
    // Written under the name at once: the mark must be on the page list
    // while the diagram is written, and goes again right after.
    const bool saved = QXFile_SaveAsCurrent(name.c_str()) != 0;
    if (!marked)
        GE_DeleteUserData(pageList, kTagSavedState);
    for (const uint16_t tag : {kTagOccGraph, kTagPerformance})
        if (GE_HasUserData(pageList, tag) != 0)
            GE_DeleteUserData(pageList, tag);
    if (!saved)
        QXStr_SetModified(1);
    return saved ? 1 : 0;
}

int SLoadState()
{
    if (QXStr_HasDiagram() == 0 || SECurrentRoot() == nullptr)
        return 0;
    CTSRestoreTimedNetFlag();
    CTSRestoreSimState();
    // The simulation regions were saved with the state; none are made while
    // the diagram is still being read.
    CTSRecalcEnabling();
    ShowOpenPages();
    SSetStateInvalid(0);
    SSetReswitchNeeded(0);
    QXStr_SetModified(0);
    SEnterActivity(SRunOptionActive() != 0 ? kSActivityAutomaticOnly : kSActivityIdle);
    SShowStatus("Ready to Simulate", kSTimeRefreshed, kSStepRefreshed);
    return 1;
}

int SLoadSavedDiagram()
{
    QXUI_SetStatusBarMessage("Loading State...");
    const bool started = CTSStartEvaluator(GE_GetMLSettings) != 0 && SMLIsConnected() != 0;
    const uint32_t pageList = QXStr_GetPageListHandle();
    // The state lives in the diagram's own image and its page instances: an
    // evaluator started from a fresh image, or a net without instances,
    // holds no state to take up.
    if (started && MLImageSaved != 0 && AnyPageInstance()) {
        if (GE_GetMode() != kGEModeSimulator) {
            EE_RemoveEditorMenus();
            SEnterSavedState();
        }
        return SLoadState();
    }
    if (GE_AskYesNo(kMsgStateNotStarted, "Load as diagram") == 0)
        return 0;
    // Opened as a plain diagram: the saved state is not taken up.
    if (GE_GetMode() == kGEModeSimulator) {
        SSwitchToEditor(0);
    } else if (GE_HasUserData(pageList, kTagSavedState) != 0) {
        GE_DeleteUserData(pageList, kTagSavedState);
    }
    return 1;
}

void SSaveStateCommand()
{
    SShowStatus("Saving State...", kSNoTime, kSNoStep);
    if (CTSSaveSimState() == 0) {
        GE_MessageBox(kMsgSaveFailed);
        SShowStatus("Ready to Simulate", kSTimeRefreshed, kSStepRefreshed);
        return;
    }
    SShowStatus("State Saved", kSTimeRefreshed, kSStepRefreshed);
}
