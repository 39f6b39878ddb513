// Operations of the net editor that the declarations call and that live in
// modules of the editor not yet built here: error boxes, message boxes with
// a text, the busy cursor and progress display, net roles of objects,
// regions of net objects and graphic defaults. Only declared. The plain
// message box and the record links in user data are the editor's own.
#pragma once

#include <cstdint>

#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetRecords.h"

struct SEHead;
struct SEPage;
struct SEDeclNode;
struct MemFile;

#include "atolq/CEditor/Progress.h"

// Shows the progress; clears *goOn when the user asked to stop.
void EE_ShowProgress(int* goOn, ProgressRecord* record);
// Adds an error text (and details) to the object's error box; 0.
int EE_AddErrorText(uint32_t object, const char* message, MemFile* details);
// Busy cursor with a text; gives the previous cursor for EE_EndBusy.
int EE_BeginBusy(const char* text);
void EE_EndBusy(int previous);
// Strips the object (and its regions) of their net role; delete 0 keeps them.
int EE_RemoveNetInfo(uint32_t object, int deleteObjects);
// Creates the declaration node record of a node object and links it.
SEDeclNode* EE_CreateDeclNode(uint32_t object, SEPage* page, uint16_t subKind);
// Turns the selection into plain objects; refuses on empty or hierarchy pages.
int EE_MakeSelectionAuxiliary();

// Message box with a text, a blank and a message (id 0: the text alone).
void GE_MessageBoxText(const char* text, int32_t messageId);

// Regions of net objects.
int GE_AttachAsRegion(uint32_t parent, uint32_t region, int32_t kind);
void GE_ApplyDefaultAttributes(int32_t key, uint32_t object);
