// Rebuilding the simulation state inside simulator mode: Reswitch after the
// net was edited, Initial State back to the initial marking, and the report
// commands.
#include "atolq/OGA/OGA.h"
#include "atolq/Performance/Perf.h"
#include "atolq/CSimulator/SimStateCommands.h"

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/CSimulator/SimSwitch.h"
#include "atolq/CSimulator/SimulatorCharts.h"
#include "atolq/CSimulator/SimulatorOptions.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgCheckErrors = 11813;
constexpr int16_t kMsgCheckUnexpected = 16421;
constexpr int16_t kMsgAutoCodeException = 11553;
constexpr int16_t kMsgNotBindingPhase = 11522;
constexpr int16_t kMsgClearReport = 11558;
constexpr uint32_t kCheckingSyntax = 0x40;
constexpr uint32_t kRootStructureChanged = 0x10000 | 0x20000;
constexpr int kScopeWholeNet = 1;

class BusyStage {
public:
    explicit BusyStage(const char* text) : cursor_(EE_BeginBusy(text)) {}
    ~BusyStage() { EE_EndBusy(cursor_); }
    BusyStage(const BusyStage&) = delete;
    BusyStage& operator=(const BusyStage&) = delete;

private:
    int cursor_;
};

void Bell()
{
    QXUI_Beep(0);
}

void StoreEditedText()
{
    if (Comm_InTextMode() == 0)
        return;
    if (const uint32_t current = QXStr_GetCurObject(); current != 0)
        EE_UpdateNetFromObject(current);
    GE_EndTextEdit();
}

// The check's outcome in the status bar; true when it passed.
bool CheckPassed(int result)
{
    switch (result) {
    case 1:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        return true;
    case -1:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        GE_MessageBox(kMsgCheckErrors);
        return false;
    case -2:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        return false;
    default:
        EE_ReportError(kMsgCheckUnexpected);
        return false;
    }
}

bool RegenerateCode()
{
    BusyStage busy("Switching to Simulator");
    if (CTSGenerateSimCode(EE_ShowProgress) != 0) {
        SShowStatus("Ready to Simulate", kSTimeRefreshed, kSStepShown);
        return true;
    }
    if (GE_TestStateFlags(kGEStopRequested) != 0) {
        GE_ClearStateFlags(kGEStopRequested);
        SShowStatus("Switch was stopped", kSNoTime, kSNoStep);
    } else {
        SShowStatus("Switch failed", kSNoTime, kSNoStep);
    }
    return false;
}

// Every place of every instance back to its initial marking; the fused
// places of page and global fusion sets are reset through their fusion
// states.
void ResetPlaceMarkings()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [](SEHead* pageRecord) {
        auto* page = reinterpret_cast<SEPage*>(pageRecord);
        se::forEachRec(page->instances, [&](SEHead* instanceRecord) {
            ASInstance* instance = asInstance(instanceRecord);
            if (instance == nullptr || instance->mlName == nullptr)
                return;
            se::forEachRec(page->places, [&](SEHead* placeRecord) {
                auto* place = reinterpret_cast<SEPlace*>(placeRecord);
                if (CTSPlaceStateKind(place) == 4)
                    return;
                const bool empty = place->initMark == nullptr || place->initMark[0] == '\0';
                ASResetReplyBuffer();
                ASResetPlaceMarking(place, instance->mlName, empty, CTSIsTimed(&place->head) != 0,
                                    ASReplyBuffer());
            });
        });
    });
}

void SendTimeOptions(SERoot* root)
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    ASResetModelTime(reply);
    CTSReadModelClock();
    MemFileReset(reply);
    ASSetWithTime(SWithTime() != 0, reply);
    MemFileReset(reply);
    ASSetPrintTime(SWithTime() != 0, reply);
    MemFileReset(reply);
    ASSetTimeFair(ASRunOptions(root)[0] == 1 ? 0 : 1, reply);
}

// The tail both forms share: charts, graphics, the idle state.
void FinishInitialState()
{
    SShowStatus("Copying Charts", kSNoTime, kSNoStep);
    SShowStatus("Initializing Charts", kSNoTime, kSNoStep);
    SInitCharts();
    SShowStatus("Updating Graphics", kSTimeRefreshed, kSStepRefreshed);
    SShowOpenPages();
    // The performance tool's data collectors start again with the state.
    if (PerfIsActive() != 0)
        PerfRecreateDataCollectors();
    SShowStatus("Finished Initializing State", kSTimeShown, kSNoStep);
    Bell();
    if (SRunOptionActive() == 0)
        SEnterActivity(kSActivityIdle);
    SSetStateInvalid(0);
}

void ResetStepCounter()
{
    GE_SetErrorCount(0);
    ASRequestCurStep(0);
    ASRequestResetSteps();
    MemFileReset(ASReplyBuffer());
    as::sendText("TOLQ'Sim.ClearReport();", ASReplyBuffer());
}

}  // namespace

int SCheckSyntax(int scope, int argument, int flag, int)
{
    const uint32_t step = GE_GetErrorCount();
    GE_SetStateFlags(kCheckingSyntax);
    GE_ClearStateFlags(kGEStopRequested);
    GE_SetErrorCount(0);
    QXUI_SetStatusBarMessage("Checking Syntax");
    const int checked = EE_RunSyntaxCheck(0, scope, argument, flag);
    GE_ClearStateFlags(kCheckingSyntax);
    const uint32_t errors = GE_GetErrorCount();
    GE_SetErrorCount(step);
    GE_RequestMenuUpdate();
    GE_SetStateFlags(kGEMenusStale);
    if (checked == 1 && errors == 0)
        return 1;
    if (checked == -1 || errors != 0)
        return -1;
    return -2;
}

int SGenerateAutoCode(int fast)
{
    BusyStage busy("Generating Automatic Code");
    int16_t result = ASAutoGenStep(fast != 0);
    if (result == -2 && ASAutoGenFunctions(fast != 0) == 0)
        result = ASAutoGenStep(fast != 0);
    if (result != 0) {
        GE_MessageBox(kMsgAutoCodeException);
        return 0;
    }
    return 1;
}

int SRegenerateAutoCode()
{
    int32_t first = 0, withTime = 0, withCode = 0;
    SGetCodeGenFlags(&first, &withTime, &withCode);
    if (first != 0 && SGenerateAutoCode(1) == 0)
        return 0;
    if (first != 1 && SGenerateAutoCode(0) == 0)
        return 0;
    return 1;
}

void SReswitch()
{
    StoreEditedText();
    int result = 0;
    {
        BusyStage busy("Starting Syntax Check");
        result = SCheckSyntax(kScopeWholeNet, 0, 1, 0);
    }
    if (!CheckPassed(result) || !RegenerateCode() || SRegenerateAutoCode() == 0)
        return;
    SShowStatus("Calculating Enabling", kSTimeShown, kSStepShown);
    SRefreshEnablingOnOpenPages(0);
    CTSRecalcEnabling();
    SRefreshEnablingOnOpenPages(1);
    SShowStatus("Enabling Recalculated", kSTimeShown, kSStepShown);
    SSetReswitchNeeded(0);
    // The occurrence graph was of the old code: its numbers go.
    OGAReswitch();
    PerfReswitch();
    SShowStatus("Finished Reswitch", kSTimeShown, kSStepShown);
    Bell();
}

int SInitialState()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    BusyStage busy("Initializing State...");
    SRefreshEnablingOnOpenPages(0);
    CTSSetIntegerTime(CTSUseIntegerTime());
    CTSTimeInit();
    if (SMLIsConnected() != 0)
        SendTimeOptions(root);
    MemFileReset(ASReplyBuffer());
    ASInitFusionStates(ASReplyBuffer());
    ResetPlaceMarkings();
    CTSInitState();
    CTSRecalcEnabling();
    ResetStepCounter();
    FinishInitialState();
    return 1;
}

int SInitialStateFull()
{
    {
        BusyStage busy("Updating Open Pages");
        SShowStatus("Removing All Instances", kSNoTime, kSNoStep);
        SHideOpenPages(0);
        if (ASDeleteAllInstances() == 0)
            return 0;
    }
    int result = 0;
    {
        BusyStage busy("Syntax Checking");
        result = EE_RunSyntaxCheck(0, kScopeWholeNet, 0, 1);
    }
    if (result != 1) {
        if (result == 0)
            QXUI_SetStatusBarMessage("Syntax Check Stopped");
        else if (result == -1 || result == -2)
            CheckPassed(result);
        else
            EE_ReportError(kMsgCheckUnexpected);
        SSwitchToEditor(0);
        return 0;
    }
    {
        BusyStage busy("Switching Diagram");
        if (CTSGenerateSimCode(EE_ShowProgress) == 0) {
            SSwitchToEditor(0);
            return 0;
        }
    }
    {
        BusyStage busy("Generating Instances");
        if (CTSResetSimState() == 0) {
            SSwitchToEditor(0);
            return 0;
        }
    }
    ResetStepCounter();
    // The state is now made from the net as it stands.
    SERoot* root = SECurrentRoot();
    root->flags &= ~kRootStructureChanged;
    // The new instances take the place of the old on every page.
    se::forEachRec(root->pages, [](SEHead* record) {
        auto* page = reinterpret_cast<SEPage*>(record);
        auto* first = page->instances != nullptr ? asInstance(static_cast<SEHead*>(page->instances->first)) : nullptr;
        SSetPageInstance(page->kvObject, first);
    });
    FinishInitialState();
    return 1;
}

void SInitialStateCommand()
{
    if (!SActivityIsIdle()) {
        GE_MessageBox(kMsgNotBindingPhase);
        return;
    }
    SERoot* root = SECurrentRoot();
    if (root != nullptr && (root->flags & kRootStructureChanged) != 0) {
        SInitialStateFull();
        return;
    }
    if (SRunOptionActive() == 0 && SStateInvalid() != 0) {
        SInitialStateFull();
        return;
    }
    SInitialState();
}

void SSaveReport()
{
    MemFileReset(ASReplyBuffer());
    as::sendText("TOLQ'Sim.ReportSimulation();", ASReplyBuffer());
}

void SClearReport()
{
    if (GE_AskContinue(kMsgClearReport) == 0)
        return;
    MemFileReset(ASReplyBuffer());
    as::sendText("TOLQ'Sim.ClearReport();", ASReplyBuffer());
}
