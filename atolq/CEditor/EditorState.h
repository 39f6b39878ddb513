// The net editor's process-wide state: application mode, open diagram, state
// flags, the kind of net object being created, objects that pending actions
// refer to, and the table of diagram version names. Other modules read and
// change this state only through these accessors.
#pragma once

#include <array>
#include <cstdint>

struct LMList;

// Application modes.
inline constexpr int16_t kGEModeEditor = 1;
inline constexpr int16_t kGEModeSimulator = 2;

// What the next kernel creation makes.
enum : int16_t {
    kGECreateNone = 0,
    kGECreatePlace = 1,
    kGECreateTransition = 2,
    kGECreateArc = 3,
    kGECreateRegion = 4,            // inscription region of the pending region's owner
    kGECreateGlobalDecl = 5,
    kGECreateTemporaryDecl = 6,
    kGECreateLocalDecl = 7,
    kGECreateReattachArc = 10,      // no new object: an arc end is re-attached
    kGECreateBarChart = 14,
    kGECreateLineChart = 15,
};

// State flag bits.
inline constexpr uint32_t kGEDeletingNetObjects = 0x1;   // stripping a net role deletes the object
inline constexpr uint32_t kGETextChanged = 0x2;          // the text-edit object's text changed
inline constexpr uint32_t kGESelectionHasNet = 0x4;      // the selection holds net objects
inline constexpr uint32_t kGESetMenuEnabled = 0x8;
inline constexpr uint32_t kGEMenusStale = 0x10;          // menus must be refreshed
inline constexpr uint32_t kGEClipboardHasNet = 0x20;     // the clipboard holds net objects
inline constexpr uint32_t kGEDeleteDependents = 0x80;    // deleting also removes regions and graphics
inline constexpr uint32_t kGESimulatorStates = 0x100 | 0x200 | 0x400 | 0x4000 | 0x40000;
inline constexpr uint32_t kGEApplyingAttributes = 0x800;
inline constexpr uint32_t kGEAttributesSecondPass = 0x80000;
inline constexpr uint32_t kGEResumeTextEdit = 0x1000;    // resume text editing after a creation
inline constexpr uint32_t kGEStopRequested = 0x2000;     // the user asked to stop (Escape)
inline constexpr uint32_t kGEPasteWaiting = 0x8000;      // a paste waits for its target
inline constexpr uint32_t kGEBulkDelete = 0x10000;       // per-object clean-up is skipped
inline constexpr uint32_t kGENetMenuEnabled = 0x20000;
inline constexpr uint32_t kGEInitialStateFlags = 0x60018;

// Diagram version names, oldest first.
inline constexpr std::array<const char*, 15> kGEVersionNames = {
    "1.0", "1.1", "1.2", "1.4", "1.5", "1.51", "1.6", "1.7",
    "1.8", "1.9", "1.91", "1.92", "3.0", "3.01", "3.02"};

void GE_SetMode(int16_t mode);
int16_t GE_GetMode();

void GE_SetCreateKind(int16_t kind);
int16_t GE_GetCreateKind();

// Handle of the open diagram's page list; 0 when no diagram is open.
void GE_SetCurrentDiagram(uint32_t diagram);
uint32_t GE_GetCurrentDiagram();

void GE_SetTextEditObject(uint32_t object);
uint32_t GE_GetTextEditObject();

// Owner object and region kind of a region being created.
void GE_SetPendingRegion(uint32_t object, uint32_t regionKind);
uint32_t GE_GetPendingRegion(uint32_t* object);

// The pair of values that the opener of a dialog hands to its callbacks.
void GE_SetDialogArgs(uint16_t first, uint16_t second);
void GE_GetDialogArgs(uint16_t* first, uint16_t* second);

// Binding elements of the simulation step in progress.
void GE_SetStepElements(LMList* elements);
LMList* GE_GetStepElements();

// An object action postponed while the simulator is busy.
void GE_SetDeferredArg(uint32_t argument);
uint32_t GE_GetDeferredArg();
uint32_t GE_SetDeferredObject(uint32_t object);
uint32_t GE_GetDeferredObject();

// Error texts written into error boxes since the last clean-up.
void GE_SetErrorCount(uint32_t count);
uint32_t GE_GetErrorCount();

// Kernel object type that the selection is kept to (4: nodes).
void GE_SetSelectionType(uint32_t type);
uint32_t GE_GetSelectionType();

void GE_SetStateFlags(uint32_t bits);    // flags |= bits
void GE_ClearStateFlags(uint32_t bits);  // flags &= ~bits
uint32_t GE_GetStateFlags();
int GE_TestStateFlags(uint32_t bits);    // 1 when any of the bits is set

// 1 when the text is one of the version names; 0 for null.
int GE_IsKnownVersion(const char* version);

// Negative when a is older than b. An unknown name counts as newer than every
// known one, a null name as the oldest.
int GE_CompareVersions(const char* a, const char* b);

// Index of a region kind (0x1000 + n, bit 0x10000000 marking a kind's key
// region): 4096 to 4126 give 0 to 30, a key region its kind's index + 1.
int16_t GE_RegionKindIndex(uint32_t regionKind);
