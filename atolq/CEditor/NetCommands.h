// The net editor's command handlers behind the TOLQ, Set, Edit, Makeup, Page,
// Group and Text menus: selection and page commands, clipboard and makeup
// commands, object information, hierarchy commands and the Set menu. Each
// checks the selection first and refuses with a message box, changing
// nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xkv/types/Types.h"

// Message ids the commands refuse with.
inline constexpr int16_t kMsgCmdPageEmpty = 11307;
inline constexpr int16_t kMsgCmdConnector = 11310;
inline constexpr int16_t kMsgCmdGroups = 11326;
inline constexpr int16_t kMsgCmdNotImplemented = 11265;
inline constexpr int16_t kMsgCmdNodeLimit = 11346;
inline constexpr int16_t kMsgCmdConnectorLimit = 11347;
inline constexpr int16_t kMsgCmdRegionLimit = 11348;
inline constexpr int16_t kMsgCmdNotFusion = 11290;
inline constexpr int16_t kMsgCmdNodesOnly = 11306;
inline constexpr int16_t kMsgCmdNoPageNodes = 11305;
inline constexpr int16_t kMsgCmdHierarchyPage = 11309;
inline constexpr int16_t kMsgCmdConnectorGroup = 11287;
inline constexpr int16_t kMsgCmdRegionGroups = 11316;
inline constexpr int16_t kMsgCmdNodeGroups = 11279;
inline constexpr int16_t kMsgCmdPageNodeGroup = 11324;
inline constexpr int16_t kMsgCmdSimConnectors = 11334;

// A kernel group holds at most this many objects.
inline constexpr uint16_t kGEGroupLimit = 200;

// The selected objects: the current group, or the current object alone.
std::vector<ObjectHandle> EE_CommandSelection();
// Selects the objects: one as the current object, several as a group.
void EE_SelectCommandObjects(const std::vector<ObjectHandle>& objects);

// ---- selection and page commands ----
void EE_SelectAllNodes();
void EE_SelectAllRegions();
void EE_SelectAllConnectors();
void EE_SelectFusionSet();
void EE_SelectAllText();
int EE_NotImplemented();
int EE_OpenPages();
int EE_ClosePages();
int EE_CenterPages();
int EE_RedrawPages();
int EE_ZoomInPages();
int EE_ZoomOutPages();

// ---- clipboard and makeup commands ----

struct LMList;
// What the Cut and Copy filter collects: the refusal, and the compound nodes
// whose hierarchy tags the command changes (kind-1 list of kernel objects).
struct EECutCopyRecord {
    int16_t refusal = 0;
    bool cut = false;
    bool group = false;
    LMList* compounds = nullptr;
};
// The selection filter of Cut and Copy (an EQ_MapSpec callback): no page
// objects, no groups of connectors or regions, no hierarchy, fusion, port
// or mode regions; a cut notes the compound nodes its nodes and arcs touch.
int EE_FilterCutCopy(uint32_t object, uint32_t type, uint32_t netMask, uint32_t graphicMask, void* record);
// Cut and Copy (the command id) leave the clipboard's objects without
// records, their net kinds kept beside them; Paste gives the pasted objects
// records again.
int EE_CutCopy(int16_t command);
int EE_Paste();
// A net object pasted from the clipboard gets its record back from the kind
// kept on it (places and transitions with their inscriptions, arcs,
// declaration nodes); 0 after 16419.
int EE_RecreatePastedRecord(ObjectHandle object);
// A region pasted from the clipboard is hung on an owner the user picks, as
// the kind it kept (an owner with a region of the kind keeps that one, with
// the pasted text); without an owner it is deleted. 1 when hung.
int EE_RelinkPastedRegion(ObjectHandle region);
int EE_Clear();
// Undo: the kernel's one-level undo of an alignment or spread; anything else
// is refused with 11327. 1 when undone.
int EE_UndoCommand();
void EE_Duplicate();
int EE_Drag();
int EE_HideRegions();
int EE_ShowRegions();

// ---- object information ----
// The ML text and the lines that Get Info shows for one object.
struct EEInfoText {
    std::string ml;
    std::vector<std::string> lines;
};
EEInfoText EE_DescribeObject(ObjectHandle object);
// Dialog 30010: the summary over the lines, each on a line of its own; 1.
int EE_ShowInfoDialog(const char* summary, const std::vector<std::string>& lines);
int EE_GetInfo();

// ---- hierarchy commands ----
void EE_MoveToSubpage();
void EE_PortCommand();
void EE_ReplaceBySubpageCommand();
void EE_PortAssignmentCommand();
// "Syntax Check": ends text editing, runs the check and refreshes the text menu.
void EE_SyntaxCheckMenuCommand();
// Lets the user pick, on the current page, a port that fits the arc direction
// (1 socket to transition, 2 back, 3 both); 0 when cancelled.
ObjectHandle EE_PickPort(uint16_t direction, uint16_t kind);
// Replaces one substitution transition by copies of its subpage's places and
// transitions; the subpage is deleted with the flag (when nothing else refines
// it); option is handed to the merging of the ports into the sockets. 1 done.
int EE_ReplaceBySubpage(ObjectHandle node, int deleteSubpage, int option);

// ---- dialogs ----
// Dialog 30045: the port type (4 general, 1 input, 2 output, 3 both); the
// port-type bits of the selection preselect the answer. 1 on OK.
int EE_AskPortType(uint32_t portTypes, uint16_t* portType);
// Dialog 30450: delete pages without other supernodes, delete port nodes
// without assignment, duplicate ports with several assignments. 1 on OK.
int EE_AskReplaceOptions(int* deletePages, int* deletePorts, int* duplicatePorts);
// Dialog 30600: 0 standard to diagram defaults, 1 diagram to standard. 1 on OK.
int EE_AskCopyDefaults(int* direction);

// ---- Set menu ----
void EE_TextAttributes();
void EE_GraphicAttributes();
void EE_ShapeAttributes();
// Region Attributes...: offsets and placement of the selected regions.
void EE_RegionAttributes();
void EE_PageAttributes();
void EE_InteractionOptions();
int EE_TextOptions();
void EE_CopyDefaults();

// Runs the net editor's handler of a command; false when the command has
// none here.
bool EE_RunNetCommand(uint16_t menu, int16_t command);
