// The abstract simulator's records: page instances and binding elements.
// They live in the abstract net's pools and lists (kinds 5 and 9), so the
// net data base saves and frees them; these views name their fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include "atolq/AEditor/SERecords.h"

struct LMList;

// One instance of a page, in its page's instance list (owner: the page).
struct ASInstance {
    SEHead head;              // kind 5, sub-kind 6
    ASInstance* parent;       // the super-page instance, null for a prime instance
    LMList* children;         // value list: sub-instances, newest first
    SECompound* compound;     // the substitution that made it, null for a prime instance
    char* text;               // "(n:Page#k)" and the path suffix
    uint32_t flags;           // bit 0: transition states exist in the evaluator
    int32_t mlNameLength;
    LMList* pending;          // pair list: (transition, flag) to re-check
    int32_t number;           // 1-based number within the page
    LMList* ownedList;        // a list owned by the instance
    uint32_t modeAttributes;  // the page's mode word, ANDed with the substitution's
    LMList* enabled;          // value list of enabled transitions
    LMList* steps;            // record list of chosen binding elements, by transition order
    LMList* provisional;      // record list of provisional binding elements
    LMList* disabled;         // value list of transitions found not enabled
    char* mlName;             // the decimal name known to the evaluator
    LMList* markList;         // value list of places to redraw
    LMList* candidates;       // pair list: further candidate transitions
    LMList* laterList;        // pair list: transitions after the candidates
    uint32_t reserved;
};

// One binding of a transition in an instance (owner: the instance).
struct ASBindingElement {
    SEHead head;              // kind 9, sub-kind 5
    SETrans* transition;
    char* values;             // NUL-terminated value texts, one per variable
    uint32_t state;
    char* bindingText;        // the binding as the evaluator reads it
    int32_t valuesLength;     // bytes of values, NULs included
    uint32_t reserved[3];
};

#define AS_SAME_FIELD(a, b) static_assert(offsetof(ASInstance, a) == offsetof(SEPageInstance, b))
AS_SAME_FIELD(parent, ref1);
AS_SAME_FIELD(children, idList1);
AS_SAME_FIELD(compound, ref2);
AS_SAME_FIELD(text, text1);
AS_SAME_FIELD(flags, word1);
AS_SAME_FIELD(mlNameLength, long1);
AS_SAME_FIELD(pending, pairList);
AS_SAME_FIELD(number, long2);
AS_SAME_FIELD(ownedList, idList2);
AS_SAME_FIELD(modeAttributes, word2);
AS_SAME_FIELD(enabled, idList3);
AS_SAME_FIELD(steps, transInstances);
AS_SAME_FIELD(provisional, transInstances[1]);
AS_SAME_FIELD(disabled, idList4);
AS_SAME_FIELD(mlName, text2);
AS_SAME_FIELD(markList, idList5);
AS_SAME_FIELD(candidates, timePairs);
AS_SAME_FIELD(laterList, timePairs[1]);
#undef AS_SAME_FIELD
static_assert(sizeof(ASInstance) == sizeof(SEPageInstance));
static_assert(offsetof(ASBindingElement, transition) == offsetof(SETransInstance, trans));
static_assert(offsetof(ASBindingElement, values) == offsetof(SETransInstance, text1));
static_assert(offsetof(ASBindingElement, state) == offsetof(SETransInstance, word));
static_assert(offsetof(ASBindingElement, bindingText) == offsetof(SETransInstance, text2));
static_assert(offsetof(ASBindingElement, valuesLength) == offsetof(SETransInstance, longWord));
static_assert(sizeof(ASBindingElement) == sizeof(SETransInstance));

inline constexpr uint16_t kASInstanceSubKind = 6;
inline constexpr uint16_t kASElementSubKind = 5;

// Binding element states.
enum : uint32_t {
    kASConfirmed = 1,
    kASWithdrawn = 2,
    kASChosen = 3,
    kASInOccurrenceSet = 4,
    kASProvisionalFound = 5,
    kASProvisionalUser = 6,
    kASExecuted = 8
};

// Instance flags.
inline constexpr uint32_t kASTransStateSent = 1u << 0;
inline constexpr uint32_t kASInstanceBit4 = 1u << 4;
// Candidate mark of pages, instances and transitions during a choice.
inline constexpr uint32_t kASCandidateMark = 0x1000000;
// Transitions never asked about enabling.
inline constexpr uint32_t kASNoRequestMark = 0x10000000;

// Mode attributes of pages, substitution nodes and instances.
enum : uint32_t {
    kASModeInclude = 1,
    kASModePropagate = 2,
    kASModeObserve = 4,
    kASModeCode = 8,
    kASModeInteract = 16
};

// Root flag word: no new occurrence set; bit 4 (16) allows withdrawing.
inline constexpr uint32_t kASRootNoOccSet = 1u << 4;

inline ASInstance* asInstance(SEHead* r)
{
    return r != nullptr && r->kind == kSEPageInstance ? reinterpret_cast<ASInstance*>(r) : nullptr;
}
inline ASBindingElement* asElement(SEHead* r)
{
    return r != nullptr && r->kind == kSETransInstance ? reinterpret_cast<ASBindingElement*>(r) : nullptr;
}
inline ASInstance* instanceOf(const ASBindingElement* e) { return reinterpret_cast<ASInstance*>(e->head.owner); }
inline SEPage* pageOf(const ASInstance* i) { return reinterpret_cast<SEPage*>(i->head.owner); }
