// Net-editor services that loading and saving diagrams as XML rely on: the
// mode attributes of pages and substitution nodes, the busy state, flag
// refreshes, the page-name region of a page node, the net side of a new
// diagram, copying edited texts into the net and reading a region's
// placement.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "xkv/types/Types.h"

// ---- pages of a page command ----

// The pages that a page command (such as "Save XML...") acts on: the current
// page when it is an ordinary page; on the hierarchy page the pages of the
// selected page nodes, in selection order (count 0 when nothing is
// selected). Refuses with message 11323 when the first selected object is no
// node and with 11299 when a selected node is no page node. 1 with the pages
// in a QXMem block (null for none), or 0 with count 0.
int EE_GetPagesOfCommand(uint16_t* count, ObjectHandle** pages);

// ---- mode attributes ----

// The value that leaves an attribute unchanged when setting and that marks a
// difference when reading a group.
inline constexpr uint16_t kEEModeKeep = 65535;
// Bits of a page's or compound node's mode word, in the order of the mode
// attributes: in simulation, observe, propagate, interactive, execute code.
inline constexpr std::array<uint32_t, 5> kEEModeBits = {1, 4, 2, 8, 16};

// The five mode attributes of a page or a substitution node, each non-zero
// when the attribute is off: included in simulation, observe, propagate
// occurrences, interactive, execute code; and, for a page, the number of
// prime instances (0 for a node). 1, or 0 for an object that is neither a
// page nor a node with a net record.
int EE_GetModeAttributes(ObjectHandle object, uint16_t* simulated, uint16_t* observe, uint16_t* propagate,
                         uint16_t* interactive, uint16_t* execute, uint16_t* primeCount);
// The counterpart: every value below 65535 is stored; the prime count only
// for pages.
int EE_SetModeAttributes(ObjectHandle object, uint16_t simulated, uint16_t observe, uint16_t propagate,
                         uint16_t interactive, uint16_t execute, uint16_t primeCount, uint32_t value);

// The form that the defaults give: five switches (non-zero on) in the same
// order, the prime count, the value and a flag that the count is used.
int EE_SetModeAttributes(ObjectHandle object, const uint32_t* eight);

// ---- busy state ----

// Shows the text (or nothing) in the status bar and the busy cursor; the
// previous cursor for EE_EndBusy.
int EE_BeginBusy(const char* text);
// Rebuilds the status bar and restores the cursor.
void EE_EndBusy(int previous);

// ---- object flags ----

// Turns the flags 4, 1 and 0x400002 off and on again, which hides the object
// and forces a redraw; 1/0.
int GE_RefreshObjectFlags(ObjectHandle object);
// Turns them off, which shows the object; 1/0.
int GE_ClearObjectFlags(ObjectHandle object);

// ---- page names on the hierarchy page ----

// For a page, or the subpage of a compound node: its page node's mode region
// 4109 gets the page's mode text (made when missing); an empty text deletes
// the region.
// 1, or 0 for an object that is neither.
int EE_UpdatePageNameRegion(ObjectHandle object);
// The mode text of a page: "Prime" or "Prime:n", the mode attributes that
// are off ("None", or "not " and their letters I, O, P, R, C), then a line
// "(name@page#n) = ..." or "[...] = ..." for each substitution or invocation
// node that refers to the page with other attributes; "" when all are on.
std::string EE_PageModeString(ObjectHandle page);
// The same as a new block from GE_Alloc, null for an empty text.
void EE_PageModeText(ObjectHandle page, char** text);

// ---- diagrams and texts ----

// The net side of a new diagram with this first page: a new abstract net,
// the page's record, the hierarchy page, the diagram recorded as current and
// unmodified; "Save XML..." is enabled.
int EE_NewDiagram(ObjectHandle page);
// After an object's text changed: a region's text goes to its owner's record;
// a place's or transition's name region becomes its name; an arc's
// inscription its expression; a declaration node rebuilds its regions.
// Hierarchy-page objects are left alone.
void EE_UpdateNetFromObject(ObjectHandle object);

// ---- region placement ----

// A region's placement as the region attributes command shows it.
struct CERegionAttr {
    uint32_t colorap = 0;  // takes its owner's colour (attribute bit 8)
    uint32_t sizewp = 0;   // sized with its owner (kernel flag 16 clear)
    uint32_t popup = 0;    // popup bits (attribute bits 3)
    Fixed dx = 0;          // region x minus owner x
    Fixed dy = 0;          // owner y minus region y
};
// Reads the placement of a region; 0 after message 11320 for an object that
// is no region.
int CE_RegionAttrCheck(ObjectHandle region, int32_t objectClass, uint32_t netMask, uint32_t auxMask,
                       CERegionAttr* record);
