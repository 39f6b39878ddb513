// Services that the regions, net records and roles of net objects call and
// that other modules provide: the kernel's picks, the net editor's graphic
// helpers, dialogs and text edits, the hierarchy page, the declarations, the
// charts and the simulator. Declarations only; the modules that own them
// provide the definitions.
#pragma once

#include <cstdint>

#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/types/Types.h"

struct SEHead;

// ---- kernel ----

// Lets the user pick an object of the kind bits (4 node, 8 connector, 16
// region; 0 any) in a nested interaction, asking hook 65 about every
// candidate; the object, or 0 when the pick was cancelled.
ObjectHandle QXUI_PickObject(int32_t kinds, uint32_t flag);

// ---- net editor: graphic helpers and text edits ----
// (EE_UpdateNetFromObject, the busy state, EE_SetModeAttributes and
// EE_UpdatePageNameRegion are defined in NetServices.cpp.)

// Applies the graphic defaults of a default key to an object; for a region
// also its region tag (user data 0xF90C).
void GE_ApplyDefaultAttributes(int32_t key, ObjectHandle object);
// Kernel flags 128 (cleared) and 16 (from option 4 of the region tag) of a
// region read from a file.
void GE_ApplyRegionTagFlags(ObjectHandle region);
// Text editing of the current object begins / ends (the end stores a changed
// text into the net).
void GE_BeginTextEdit();
void GE_EndTextEdit();
// The selected objects in a QXMem block (freed by the caller); with no
// selection but a current object a one-element list. 1 when there is one.
int GE_GetSelection(uint16_t* count, uint32_t** objects);
// Starts the kernel creation gesture that fits the default record's shape,
// with the record's size and the cursor.
void EE_StartCreation(int16_t cursor, const void* defaultRecord);
// Hook-1 handler that ends a creation.
uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
// After an object's text changed: stores its name or arc inscription into the
// net.
void EE_UpdateNetFromObject(ObjectHandle object);
// The editor's dependent state after the current object changed.
void EE_AfterSelect(ObjectHandle object);
// The texts of the port, fusion and hierarchy tags of a node, as new strings
// (empty when there is nothing to show).
void EE_PortText(ObjectHandle node, char** text);
void EE_FusionText(ObjectHandle node, char** text);
void EE_HierarchyText(ObjectHandle node, char** text);
// Page-title defaults of a new page.
void EE_ApplyPageTitle(ObjectHandle page);
// Mode attributes of a compound node's page from the defaults, and their
// store: five switches, multiplicity, value, multiplicity-used flag.
int DefGetModeAttributes(uint32_t* eight, uint32_t level);
int EE_SetModeAttributes(ObjectHandle node, const uint32_t* eight);
// A new page's mode attributes from the defaults' five switches; its prime
// count stays as the page record was made.
int EE_ApplyPageModeDefaults(ObjectHandle page);
// The page-name region (4109) of the page node that stands for a page or a
// compound node's subpage.
int EE_UpdatePageNameRegion(ObjectHandle object);
// Lets the user draw the new compound node of a move to a subpage: status
// text "Draw new compound node", interactive creation 3001 with the
// transition defaults (kind 3) or 3002 with the place defaults (kind 2); the
// node with its net record, or 0 when the user cancelled.
ObjectHandle EE_DrawCompoundNode(uint16_t kind);
// Busy text and cursor; the previous cursor for the end.
int EE_BeginBusy(const char* text);
void EE_EndBusy(int previous);

// ---- hierarchy page ----
uint32_t PG_GetHierarchyPage();
// The page node that stands for a page on the hierarchy page, 0 when none;
// the page that a page node stands for.
ObjectHandle PGFindPageNode(ObjectHandle page);
ObjectHandle PGNodePage(ObjectHandle object);
int PGIsHierarchyObject(ObjectHandle object, uint32_t* length);
void PGAddPage(ObjectHandle page);
void PGDropPage(ObjectHandle page);
void PGPageChanged(ObjectHandle page);
void PGUpdatePage(ObjectHandle page);
void PGUpdateNode(ObjectHandle node);
void PGDropSubpageArc(ObjectHandle node);
// The kind of a hierarchy-page connector: 7 substitution, 8 invocation, 9
// fusion; 0 for others.
uint16_t PGArcKind(ObjectHandle connector);

// ---- declarations (subsystem 10) ----

// Appends the text of a declaration entry's region to its declaration node.
int DEMergeNodeText(uint32_t source, uint32_t target);
// Deletes a declaration entry with its regions and restacks the regions of
// its node.
struct SEDeclEntry;
int DEDeleteEntry(SEDeclEntry* entry);

// ---- simulator and charts ----

// The popped-up state of a simulation key region.
void EE_SetRegionState(ObjectHandle region, int32_t a, int32_t b);
// The chart dialogs (updating 1 for the selected charts, 0 for a chart just
// drawn) and the redraw of a chart from its record with their settings; 1
// when the dialog was confirmed.
int EE_AskBarChart(void* settings, int updating);
int EE_AskLineChart(void* settings, int updating);
int ChartApplyBar(SEHead* chart, const void* settings);
int ChartApplyLine(SEHead* chart, const void* settings);
