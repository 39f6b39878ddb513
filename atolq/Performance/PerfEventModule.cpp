// The performance tool's entry and its reactions to the simulator's events.
// Entering tells the evaluator where the performance and occurrence-graph
// libraries lie, loads the performance page code, checks the page's single
// auxiliary box and loads the tool's start file; then the menu goes in and
// the report options are sent.
#include "atolq/Performance/Perf.h"
#include "atolq/Performance/PerfUtils.h"

#include <array>
#include <cstdint>

#include "atolq/CEditor/DeclarationSeams.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MLCommands.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

// The mark of a saved simulation state taken with the tool active: an XDR
// u_long 0 on the page list.
constexpr UserDataTag kPerfMarkTag = 0xF910;
constexpr int16_t kMsgMarkFailed = 16389;

ObjectHandle pageListRoot() { return QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0; }

bool hasMark(ObjectHandle root)
{
    uint32_t length = 0;
    return root != 0 && UD_GetFieldSize(root, kPerfMarkTag, &length) != 0 && length == 4;
}

void removeMark()
{
    const ObjectHandle root = pageListRoot();
    uint32_t length = 0;
    if (root != 0 && UD_GetFieldSize(root, kPerfMarkTag, &length) != 0)
        UD_DeleteField(root, kPerfMarkTag);
}

// Tells the evaluator one library folder; false after the message.
bool sendFolder(const char* variable, const char* mlName, const char* sub, const char* notFound,
                const char* notLoaded)
{
    const auto folder = PerfLibraryFolder(variable);
    if (!folder) {
        QXUI_ShowMessage(notFound);
        return false;
    }
    if (!PerfSend(std::string("val ") + mlName + " = \"" + *folder + sub + "\";")) {
        QXUI_ShowMessage(notLoaded);
        return false;
    }
    return true;
}

bool exactlyOneAuxBox()
{
    const auto count = PerfCountAuxBoxes();
    return count && *count == 1;
}

}  // namespace

int PerfEnter()
{
    if (GE_GetCurrentDiagram() == 0) {
        QXUI_ShowMessage("Enter Perf failed: No Diagram in Use.");
        return 0;
    }
    if (!sendFolder("PERFMLFILES", "perfpath", "/PerfMLfiles/", "Error: \nCould not locate Performance ML files.",
                    "Error: \nCould not load Performance ML files."))
        return 0;
    if (!sendFolder("OGMLFILES", "ogpath", "/OGMLfiles/", "Error: \nCould not locate OG ML files.",
                    "Error: \nCould not load OG ML files."))
        return 0;
    if (!PerfSend("use (perfpath^\"PerfPage.sml\");")) {
        QXUI_ShowMessage("Performance Error:\n  Could not load PerfPage.sml");
        return 0;
    }
    if (!exactlyOneAuxBox()) {
        QXUI_ShowMessage(kPerfAuxBoxMessage);
        return 0;
    }
    const int cursor = EE_BeginBusy("");
    if (!PerfSend("use (perfpath^\"PerfSwitch.sml\");")) {
        QXUI_UpdateStatusBar();
        QXUI_Beep(0);
        EE_EndBusy(cursor);
        QXUI_ShowMessage("Error: Attempt to Enter Performance Tool failed.");
        return 0;
    }
    EE_EvaluateMLNode();
    if (PerfInstallMenu(1, 0) != 0) {
        QXMenu_SetItemState(kPerfEnterItem, 2);
        PerfState().active = 1;
        ResetML();
        QXUI_SetStatusBarMessage("Performance Tool Loaded. Ready to Simulate.");
        QXUI_Beep(0);
    } else {
        QXUI_UpdateStatusBar();
    }
    QXUI_Beep(0);
    EE_EndBusy(cursor);
    return PerfState().active;
}

int ResetML()
{
    PerfReportRecord r{};
    if (DefGetPerfReport(r.data(), kDefLevelDiagram) == 0) {
        QXUI_ShowMessage("GetPerfReportOptions failed in ResetML");
        return 0;
    }
    if (!PerfSend(PerfTimedValuesText(r))) {
        QXUI_ShowMessage("chooseTimed failed in ResetML");
        return 0;
    }
    if (!PerfSend(PerfUntimedValuesText(r))) {
        QXUI_ShowMessage("chooseUntimed failed in ResetML");
        return 0;
    }
    if (!PerfSend(PerfLayoutText(r))) {
        QXUI_ShowMessage("setLayout failed in ResetML");
        return 0;
    }
    return 1;
}

void PerfLeaveSimulator()
{
    PerfState().active = 0;
    removeMark();
    if (CTSRequestBuffer() != nullptr)
        PerfSend("Perf'SimInterface.Perf'InitSimInterface();");
}

void PerfReswitch()
{
    PerfState().active = 0;
    removeMark();
}

void PerfDiagramReloaded()
{
    PerfState().active = hasMark(pageListRoot()) ? 1 : 0;
}

void PerfSaveState()
{
    if (!PerfState().active)
        return;
    const std::array<uint8_t, 4> zero{};
    const ObjectHandle root = pageListRoot();
    if (root == 0 || UD_SetField(root, kPerfMarkTag, zero.data(), 4) == 0)
        EE_ReportError(kMsgMarkFailed);
}

void PerfRecreateDataCollectors()
{
    if (!exactlyOneAuxBox()) {
        QXUI_ShowMessage((std::string(kPerfAuxBoxMessage) + "\n\nData Collectors not recreated.").c_str());
        return;
    }
    if (!PerfSend("Perf'DeleteDC.deleteAll(Perf'Env.DataCollectors);"))
        QXUI_ShowMessage("Unable to delete Data Collectors.");
    if (!PerfSend("QXStr_SetCurObject(Perf'Page.getPerfBox(Perf'Page.PerfPageName));")) {
        QXUI_ShowMessage("Unable to find performance box.");
        return;
    }
    EE_EvaluateMLNode();
}
