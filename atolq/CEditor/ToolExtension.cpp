// The scripted run: ML files evaluated without a user, from the command line
// (-autoexec) or from the File menu's tool item. A new diagram is made, the
// evaluator started, the prompt arguments and the script evaluated, and the
// script's simulator, performance or occurrence-graph files follow when asked.
#include <cstdio>
#include <string>
#include <string_view>

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/SimulatorEntry.h"
#include "atolq/NewSim/NSMode.h"
#include "atolq/OGA/OGA.h"
#include "xkv/kv/QXMenu.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/MemFile.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kCommandNew = 201;
constexpr char kPromptArgsFailed[] = "Error: Attempt to evaluate SML code prompt_args failed.";
constexpr char kScriptFailed[] = "Error: Attempt to evaluate SML code failed.";
constexpr char kSimFileFailed[] = "Error: Attempt to evaluate SML code in simulator failed.";
constexpr char kOccFileFailed[] = "Error: Attempt to evaluate SML code in occurrence graph mode failed.";
constexpr char kSwitchFailed[] = "Error: Attempt to enter the simulator failed.";
constexpr char kOccEntryFailed[] = "Error: Attempt to Enter OG Graph failed.";
constexpr uint32_t kLoadXmlItem = 11260;
constexpr uint32_t kItemDisabled = 2;

bool failedRun = false;

// Escapes a text for the inside of an ML string literal; control characters
// become their three-digit escapes.
std::string MLStringBody(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03u", static_cast<unsigned>(byte));
            out += escape;
            continue;
        }
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string UseText(const std::string& path)
{
    return "use (\"" + MLStringBody(path) + "\");";
}

// The prompt arguments as the ML reference prompt_args. The text sits inside
// an ML string that is itself inside the string handed to usestring.
std::string PromptArgsText(const std::string& args)
{
    return "usestring [\"val prompt_args=ref \\\"" + MLStringBody(MLStringBody(args)) + "\\\"\"];";
}

// A failed step: rung and shown, or, in a run that quits by itself, printed
// on standard error since nobody is there to close a message box.
void ReportFailure(const char* message)
{
    failedRun = true;
    QXUI_UpdateStatusBar();
    QXUI_Beep(0);
    if (GE_Options().quit != 0) {
        std::fprintf(stderr, "tolq: %s\n", message);
        return;
    }
    QXUI_ShowMessage(message);
}

// One text through the evaluator; false (after the failure message) when it
// did not evaluate cleanly.
bool Evaluate(const std::string& text, const char* failure)
{
    MemFile* request = CTSRequestBuffer();
    MemFile* reply = CTSReplyBuffer();
    if (request == nullptr || SMLIsConnected() == 0) {
        ReportFailure(failure);
        return false;
    }
    MemFileReset(request);
    MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
    MemFileReset(reply);
    MemFilePutc(reply, 13);
    if (SMLEvaluate(request, reply) != 0) {
        ReportFailure(failure);
        return false;
    }
    return true;
}

// A new diagram with the net side of its page.
void NewDiagram()
{
    GE_DoCommand(kCommandNew);
    GE_SetCurrentDiagram(QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0);
    const ObjectHandle page = QXStr_GetCurPage();
    SEHead* record = nullptr;
    if (page != 0 && GE_GetSERecord(page, &record) == 0)
        EE_NewDiagram(page);
}

void StartEvaluator()
{
    if (SMLIsConnected() != 0)
        return;
    if (CTSStartEvaluator(GE_GetMLSettings) != 0 && CTSCurrentContext().continueFlag != 0) {
        GE_RequestMenuUpdate();
        GE_SetStateFlags(kGEMenusStale);
    }
}

// The script's sibling file: its stem (all but the last four characters)
// with the infix, then those four characters (normally ".sml").
std::string SiblingFile(const std::string& path, const char* infix)
{
    const std::size_t cut = path.size() >= 4 ? path.size() - 4 : 0;
    return path.substr(0, cut) + infix + path.substr(cut);
}

// A tool that this program does not hold yet: the step says so and the run
// ends there as a failed run.
bool EnterMissingTool(const char* what)
{
    GE_ReportNotBuilt(what);
    failedRun = true;
    if (GE_Options().quit != 0)
        std::fprintf(stderr, "tolq: %s is not available yet.\n", what);
    return false;
}

}  // namespace

int EE_RunToolExtension()
{
    failedRun = false;
    const NetOptions& options = GE_Options();
    // A run that quits by itself writes the net layer's messages to the
    // error output: a box would wait for a user who is not there.
    struct Unattended {
        explicit Unattended(bool on) { GE_SetUnattended(on); }
        ~Unattended() { GE_SetUnattended(false); }
    } unattended(options.autoExec != 0 && options.quit != 0);
    const std::string& path = options.scriptPath;
    if (path.empty()) {
        ReportFailure(kScriptFailed);
        return 0;
    }
    NewDiagram();
    StartEvaluator();
    if (!Evaluate(PromptArgsText(options.promptArgs), kPromptArgsFailed) || !Evaluate(UseText(path), kScriptFailed))
        return 0;
    // The tool item's run and "simulator", "perf" or "og" go on in the
    // simulator with the script's further files.
    if (options.autoExec == 0)
        return EnterMissingTool("Enter Perf") ? 1 : 0;
    if (options.enterSimulator == 0)
        return 1;
    // The older simulator, entered as the editor's "Enter Simulator" does.
    NSNewSimFlag() = 0;
    EE_RemoveEditorMenus();
    if (EE_SwitchToSimulatorScripted() == 0) {
        EE_InstallEditorMenus();
        ReportFailure(kSwitchFailed);
        return 0;
    }
    QXMenu_SetItemState(kLoadXmlItem, kItemDisabled);
    if (!Evaluate(UseText(SiblingFile(path, ".sim")), kSimFileFailed))
        return 0;
    if (options.performance != 0)
        return EnterMissingTool("Enter Perf") ? 1 : 0;
    if (options.occurrenceGraph != 0) {
        if (OGAEnter(0) == 0) {
            ReportFailure(kOccEntryFailed);
            return 0;
        }
        if (!Evaluate(UseText(SiblingFile(path, ".og")), kOccFileFailed))
            return 0;
    }
    return 1;
}

int EE_ToolExtensionFailed()
{
    return failedRun ? 1 : 0;
}
