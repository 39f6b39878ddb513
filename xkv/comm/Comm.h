// The command layer: kernel events queued on a stack of command levels and
// handled through the command tables, the argument stack of multi-step
// commands, the one end-of-command routine, and the command-layer state
// (current page, text mode, file paths, switches).
#pragma once

#include <cstdint>

#include "xkv/velkor/XTypes.h"

#include "xkv/comm/CommTable.h"

inline constexpr int32_t kCommLevelCount = 16;
inline constexpr KernelStatus kCommNoRow = 19;

// Levels and events.
KernelStatus Comm_Initialize();
const CommandBinding* Comm_Lookup(int32_t state, MemHandle event);
const CommandBinding* Comm_LookupIn(const CommandBinding* table, size_t rowCount, int32_t state, MemHandle event);
KernelStatus Comm_PostEvent(MemHandle event);
KernelStatus Comm_RepostEvent(MemHandle event);
KernelStatus Comm_PostCancel();
KernelStatus Comm_ProcessEvents();
KernelStatus Comm_HandleEvent(MemHandle event);
KernelStatus Comm_Abort();
KernelStatus Comm_RunCommand(int32_t request);
KernelStatus Comm_PushLevel(int32_t state);
KernelStatus Comm_PopLevel();
int32_t Comm_GetState();
void Comm_SetState(int32_t state);
uint32_t Comm_AtBaseLevel();
int32_t Comm_CurrentLevel();
uint32_t Comm_IsBusy();
void Comm_MarkBusy();
void Comm_UnmarkBusy();
void Comm_SetAbort(int32_t flag);
int32_t Comm_AbortRequested();
uint32_t Comm_QueueLength();

// The argument stack.
KernelStatus Comm_PushArgument(MemHandle event);
MemHandle Comm_PopArgument();
MemHandle Comm_PeekArgument();
uint32_t Comm_ArgumentCount();
void Comm_DropArguments();

void Comm_GetInbox(int32_t* pointerState, int32_t* modifiers, int32_t* detail);
uint32_t Comm_IsPickCommand(int32_t request);
uint32_t Comm_IsPointerCommand(int32_t request);
KernelStatus Comm_Finish();
KernelStatus Comm_FinishWith(const FixPoint* heldPoint, uint32_t noDrag);
// The end of a command whose idle gesture starts with a held point.
KernelStatus Comm_EndCommandWith(const FixPoint* heldPoint, uint32_t noDrag, int32_t* nextState);
int32_t Comm_ReadyCursor();


// Command-layer state.
ObjectHandle Comm_GetCurrentPage();

uint32_t Comm_InTextMode();
void Comm_SetTextMode(uint32_t on);
uint32_t Comm_TextEntryActive();
ObjectHandle Comm_GetHighlight();
KernelStatus Comm_SetHighlight(ObjectHandle object);
Widget Comm_GetCurrentWindow();
void Comm_SetCurrentPage(ObjectHandle page);
void Comm_SetHandleGestures(uint32_t flag);
uint32_t Comm_NoHandleGestures();
int32_t Comm_GetPendingCommand();
void Comm_SetPendingCommand(int32_t value);
void Comm_SetScrollToSelection(uint32_t flag);
uint32_t Comm_ScrollToSelection();
uint32_t Comm_VertexHandleMode();
void Comm_SetVertexHandleMode(uint32_t flag);
void Comm_SetNoAutoSelect(uint32_t flag);
uint32_t Comm_NoAutoSelect();
void Comm_NotifyModelClosed();

// File paths by kind: 1 diagram, 2 page, 3 text file. Directories end in "/".
KernelStatus Comm_SetFilePath(uint32_t kind, const char* path);
const char* Comm_GetFileDirectoryText(uint32_t kind);
const char* Comm_GetFileNameText(uint32_t kind);
KernelStatus Comm_GetFilePath(uint32_t kind, char* buffer, size_t bufferSize);
// The same parts as memory blocks: a setter copies the block's text (0
// forgets the part); a getter gives the stored block (0 when unknown), which
// stays the command layer's.
KernelStatus Comm_SetFileName(uint32_t kind, MemHandle name);
KernelStatus Comm_SetFileDirectory(uint32_t kind, MemHandle directory);
MemHandle Comm_GetFileName(uint32_t kind);
MemHandle Comm_GetFileDirectory(uint32_t kind);
// 1 when the stored path of the kind names an existing file.
uint32_t Comm_FileExists(uint32_t kind);

// Selection services of the command layer.
uint32_t Comm_IsSelectable(ObjectHandle object);
ObjectHandle Comm_SelectRecentObject(ObjectHandle page);
void Comm_NotifyObjectCreated(ObjectHandle object, uintptr_t argument);
void Comm_ScrollToObject(ObjectHandle object);
void Comm_ShowSubpage(ObjectHandle node);
// A node of the shape kind in the rectangle on the page.
KernelStatus Comm_AddNode(ObjectHandle page, FixRect box, uint32_t shape, uint32_t flags, ObjectHandle* out);
// Diagram files. The diagram path (kind 1) names the file; loading replaces
// the open diagram and opens the pages that had windows (or the first page);
// saving writes under a temporary name and keeps the old file as "~" backup.
KernelStatus Comm_LoadDiagram();
KernelStatus Comm_ReadDiagramFile(uint16_t* pages);  // an object group, 0 when none
KernelStatus Comm_SaveDiagram();
// Shows in a message box that the diagram file could not be read: its path
// and the reason (nothing for success, or for a refusal by the application,
// which reports its own).
void Comm_ReportLoadFailure(KernelStatus status);

// The whole-diagram file commands and the save-changes protocol. A file
// request is 3 Close, 16 Open, 17 New, 20 Quit, 65 Save As, 67 Load Text,
// 68 Save Text, 69 Load Page or 70 Save Page.
KernelStatus Comm_NewDiagram();
KernelStatus Comm_CloseDiagram();
// Opens the file selector (dialog 1) set up for the request; its answer comes
// as a dialog event, or with the modal flag into *answer (the caller frees it;
// 0 after a cancel).
KernelStatus Comm_OpenFileDialog(int32_t request, MemHandle* answer, uint32_t modal);
// Stores the chosen directory and name for the answered request's file kind.
KernelStatus Comm_TakeFileDialogPaths(MemHandle answer);
KernelStatus Comm_PerformFileCommand(int32_t request, uint32_t saveFirst, int32_t* nextState);
KernelStatus Comm_PerformKeptCommand(uint32_t saveFirst, int32_t* nextState);
// The request of the most recently kept command event, 0 when there is none.
int32_t Comm_KeptRequest();

// The pages the application's page commands work on (hook 85), else the
// current page alone; the list is the caller's to free with free(). 1, or
// the hook's result.
uint32_t Comm_ApplicationPages(uint16_t* count, uint32_t** pages);
// Printing: the pages that the print settings (a property-19 record) choose,
// into one document for the spooler; 39 for a bad page-number range, 1 when
// the spooler could not be run. Comm_PrintDiagram prints with the stored
// settings.
KernelStatus Comm_PrintPages(const uint8_t* settings, size_t size);
KernelStatus Comm_PrintDiagram();
