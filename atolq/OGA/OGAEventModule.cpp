// The occurrence-graph tool's entry, its commands and its reactions to the
// simulator's events. Entering finds the library's folder (OGMLFILES, or the
// folder of the ML image), and the evaluator loads the tool's start file
// from it; the commands send the library's fixed requests with the graph
// numbers and handles of the selected objects.
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/OGA/OGA.h"
#include "atolq/OGA/OGAInternal.h"
#include "atolq/OGA/OGARequests.h"
#include "atolq/OGA/OGAUtils.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

// The longest library folder taken: the texts built from it must fit the
// request buffers of the original tool (537 bytes with the suffix).
constexpr std::size_t kMaxFolder = 500;

constexpr const char* kNotNodes = "The selection must only contain OG nodes";

std::string num(long n) { return std::to_string(n); }

// A folder that can stand inside an ML string as it is.
bool plainPath(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 32 || c == 127 || c == '"' || c == '\\')
            return false;
    return true;
}

// The library's base folder, without a trailing "/"; none when it cannot be
// found or is too long to use.
std::optional<std::string> libraryFolder()
{
    std::string folder;
    if (const char* env = std::getenv("OGMLFILES"); env != nullptr) {
        folder = env;
        if (!folder.empty() && folder.back() == '/')
            folder.pop_back();
    } else {
        std::vector<char> image(kMLPathSize + 1, '\0');
        DefGetMLImagePath(image.data(), kDefLevelDiagram);
        folder.assign(image.data());
        const std::size_t slash = folder.rfind('/');
        folder = slash == std::string::npos || slash == 0 ? std::string() : folder.substr(0, slash);
    }
    if (folder.empty() || folder.size() > kMaxFolder || !plainPath(folder))
        return std::nullopt;
    return folder;
}

const char* subfolder(int variant) { return variant == 1 ? "/OEMLfiles/" : "/OGMLfiles/"; }

void failEntry(int variant, int cursor)
{
    QXUI_UpdateStatusBar();
    QXUI_Beep(0);
    EE_EndBusy(cursor);
    QXUI_ShowMessage(variant == 1 ? "Error: Attempt to Enter OE/OS Graph failed."
                                  : "Error: Attempt to Enter OG Graph failed.");
}

// The graph numbers of the selection when every selected object is a graph
// node; none (after the message) otherwise.
std::optional<std::vector<ObjectHandle>> selectedNodes()
{
    std::vector<ObjectHandle> nodes;
    if (!OGASelectionIsNodes(&nodes)) {
        QXUI_ShowMessage(kNotNodes);
        return std::nullopt;
    }
    return nodes;
}

std::vector<unsigned long> numbersOf(const std::vector<ObjectHandle>& objects)
{
    std::vector<unsigned long> out;
    for (ObjectHandle o : objects) {
        uint32_t n = 0;
        OGAGetNumber(o, &n);
        out.push_back(n);
    }
    return out;
}

// Sends "OG'menu.UpdateInscriptions([...]);" and labels the nodes from the
// three numbers of each.
void updateLabels(const std::vector<ObjectHandle>& nodes)
{
    const auto numbers = numbersOf(nodes);
    if (OGASend("OG'menu.UpdateInscriptions([" + OGAJoin(numbers) + "]);") < 0)
        return;
    const auto values = OGAReadInts(3 * nodes.size());
    for (std::size_t i = 0; i + 1 <= nodes.size() && 3 * i + 2 < values.size(); ++i)
        OGASetLabel(nodes[i], static_cast<long>(numbers[i]), values[3 * i], values[3 * i + 1], values[3 * i + 2]);
}

void busyRequest(const char* text, const std::string& request)
{
    const int cursor = EE_BeginBusy(text);
    OGASend(request);
    QXUI_Beep(0);
    EE_EndBusy(cursor);
}

void calculateSuccessors()
{
    auto nodes = selectedNodes();
    if (!nodes)
        return;
    if (OGASend("OG'menu.CalculateSuccessors([" + OGAJoin(numbersOf(*nodes)) + "]);") < 0)
        return;
    updateLabels(*nodes);
}

void updateNodes()
{
    if (auto nodes = selectedNodes())
        updateLabels(*nodes);
}

// The number the current object carries when it is a graph node, else 1.
int32_t proposedNode()
{
    const ObjectHandle current = QXStr_GetCurObject();
    uint32_t n = 0;
    if (current != 0 && QXRdAttr_GetObjectType(current) == kQXKindNode && OGAGetNumber(current, &n))
        return static_cast<int32_t>(n);
    return 1;
}

void graphStateToSimulator()
{
    int32_t node = proposedNode();
    if (!QXUI_AskNumber("Display node:", &node))
        return;
    if (OGASend("OG'menu.OGStatetoSim(" + num(node) + ");") < 0)
        return;
    const int cursor = EE_BeginBusy("Setting State...");
    SRefreshEnablingOnOpenPages(0);
    CTSRecalcEnabling();
    SShowStatus("Updating Graphics", kSTimeRefreshed, kSStepRefreshed);
    SShowOpenPages();
    SShowStatus("Finished Setting State", kSTimeShown, kSNoStep);
    QXUI_Beep(0);
    EE_EndBusy(cursor);
    if (SRunOptionActive() == 0)
        SEnterActivity(kSActivityIdle);
    SSetStateInvalid(0);
}

void simulatorStateToGraph()
{
    if (OGASend("OG'menu.SimStatetoOG();") < 0)
        return;
    const auto v = OGAReadInts(2);
    if (v.size() < 2)
        return;
    char text[160];
    std::snprintf(text, sizeof text,
                  v[0] != 0 ? "The current state has been added to the occurrence graph as node : %ld"
                            : "The current state is already included in the occurrence graph as node : %ld",
                  v[1]);
    QXUI_ShowMessage(text);
}

// "Display Node..." and "Display Arc...": an object already on the current
// page is made current; otherwise the library draws it.
void displayOne(bool node)
{
    int32_t number = 1;
    if (!QXUI_AskNumber(node ? "Display node:" : "Display arc:", &number))
        return;
    const ObjectHandle page = QXStr_GetCurPage();
    ObjectHandle found = 0;
    if (number >= 0 && (node ? OGAFindNodeOnPage(page, static_cast<uint32_t>(number), &found)
                             : OGAFindArcOnPage(page, static_cast<uint32_t>(number), &found))) {
        QXStr_SetCurObject(found);
        return;
    }
    const std::string request = std::string(node ? "OG'menu.DisplayNode(" : "OG'menu.DisplayArc(") + num(number) +
                                "," + num(static_cast<long>(page)) + ");";
    if (OGASend(request) < 0)
        return;
    const auto v = OGAReadInts(1);
    if (!v.empty() && v[0] == 0)
        QXUI_ShowMessage(node ? "Node has not been calculated."
                              : "The source or/and the destination node has not been calculated.");
}

void displayNeighbours(bool successors)
{
    auto nodes = selectedNodes();
    if (!nodes)
        return;
    std::string text = successors ? "OG'menu.DisplaySuccessors([" : "OG'menu.DisplayPredecessors([";
    bool first = true;
    for (ObjectHandle node : *nodes) {
        uint32_t n = 0;
        OGAGetNumber(node, &n);
        std::vector<unsigned long> arcs;
        for (uint32_t a : successors ? OGASuccessorArcs(node) : OGAPredecessorArcs(node))
            arcs.push_back(a);
        text += std::string(first ? "" : ",") + "(" + num(n) + "," + num(static_cast<long>(node)) + ",[" +
                OGAJoin(arcs) + "])";
        first = false;
    }
    text += "]," + num(static_cast<long>(QXStr_GetCurPage())) + ");";
    OGASend(text);
}

// The library's version decides whether it holds the graph tool.
void testLibraryVersion()
{
    OGAFlags& f = OGAState();
    f.mlSupportsOG = 0;
    if (OGASend("TOLQ'Edit.out_val(!TOLQ'MLvers);") < 0)
        return;
    const auto version = OGAReadString();
    f.mlSupportsOG = version && version->size() >= 3 && version->compare(version->size() - 3, 3, "OGA") == 0;
}

ObjectHandle pageListRoot() { return QXStr_GetPageListHandle(); }

} // namespace

int OGAEnter(int32_t variant)
{
    if (GE_GetCurrentDiagram() == 0) {
        QXUI_ShowMessage(variant == 1 ? "EnterROZI failed: No Simulator State loaded."
                                      : "EnterOcc failed: No Simulator State loaded. ");
        return 0;
    }
    const auto folder = libraryFolder();
    if (!folder || OGASend("val ogpath = \"" + *folder + subfolder(variant) + "\";") < 0) {
        QXUI_ShowMessage("Couldn't locate ML files.");
        return 0;
    }
    const int cursor = EE_BeginBusy("");
    if (OGASend("use \"" + *folder + subfolder(variant) + "OGswitch.sml\";") < 0) {
        failEntry(variant, cursor);
        return 0;
    }
    OGAFlags& f = OGAState();
    const int32_t previous = f.variant;
    f.variant = variant;
    if (OGAInstallMenu(1, 0)) {
        QXMenu_SetItemState(kOGAEnterOcc, 2);
        QXMenu_SetItemState(kOGAEnterOEOS, 2);
        OGAApplyVariantTexts();
        f.toolActive = 1;
    } else {
        f.variant = previous;
        QXUI_UpdateStatusBar();
    }
    QXUI_Beep(0);
    EE_EndBusy(cursor);
    return f.toolActive;
}

int OGAMenuCommand(uint32_t command)
{
    switch (command) {
    case 10601: busyRequest("Calculating OG...", "OG'menu.CalculateOG();"); break;
    case 10602: calculateSuccessors(); break;
    case 10603: busyRequest("Calculating SCC...", "OG'menu.CalculateScc();"); break;
    case 10605: OGAStatisticsCommand(); break;
    case 10606: OGAReportCommand(); break;
    case 10608: graphStateToSimulator(); break;
    case 10609: simulatorStateToGraph(); break;
    case 10611: OGAAttributesCommand(); break;
    case 10613: displayOne(true); break;
    case 10614: displayOne(false); break;
    case 10615: displayNeighbours(true); break;
    case 10616: displayNeighbours(false); break;
    case 10617: OGASend("OG'menu.DisplayScc();"); break;
    case 10619: OGAToggleSelectionDescriptors(); break;
    case 10620: updateNodes(); break;
    default: break;
    }
    return 0;
}

void OGASimulatorEntered()
{
    OGAState().toolActive = 0;
    testLibraryVersion();
    OGAClearNumber(pageListRoot());
}

void OGAReswitch()
{
    OGAClearAll();
    OGASimulatorEntered();
}

void OGADiagramReloaded()
{
    OGAFlags& f = OGAState();
    f.toolActive = 0;
    testLibraryVersion();
    uint32_t variant = 0;
    if (OGAReadNumberField(pageListRoot(), &variant)) {
        f.variant = variant == 1 ? 1 : 0;
        f.toolActive = 1;
    }
}

void OGALeaveSimulator()
{
    OGAFlags& f = OGAState();
    f.mlSupportsOG = 0;
    f.toolActive = 0;
    OGAClearAll();
    OGAClearNumber(pageListRoot());
}

void OGASaveState()
{
    if (OGAState().toolActive)
        OGASetNumber(pageListRoot(), static_cast<uint32_t>(OGAState().variant));
}
