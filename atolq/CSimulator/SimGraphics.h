// The simulation state shown on the diagram: the simulation regions of the
// net's elements (marking of places, enabling marks of transitions, token
// feedback of arcs), the pages with an open window and the page instance
// each shows, and the showing and hiding of an instance's graphics.
#pragma once

#include <cstdint>

struct ASInstance;
struct SETrans;

// Region kinds of the simulation regions.
inline constexpr int32_t kSRegionMarking = 4113;
inline constexpr int32_t kSRegionInputTokens = 4115;
inline constexpr int32_t kSRegionOutputTokens = 4121;
inline constexpr int32_t kSRegionEnabling = -8;
// Page user data: the page's graphics are stale; the page was opened by a step.
inline constexpr uint16_t kSTagGraphicsStale = 0xF90A;
inline constexpr uint16_t kSTagOpenedByStep = 0xF90B;

// The region creation at the switch: every transition of every net page
// gets its enabling mark, every place its marking regions and every arc its
// feedback regions, all hidden.
void SCreateEnablingRegions();
void SCreateMarkingRegions();
void SCreateArcRegions();

// The page instance a page shows (its simulator link), null when none.
ASInstance* SPageInstance(uint32_t page);
void SSetPageInstance(uint32_t page, const ASInstance* instance);

// The open-page list: built at the switch from the net pages with an open
// window; pages are added when they become current and removed when hidden
// for good.
void SBuildOpenPageList();
void SFreeOpenPageList();
void SAddOpenPage(uint32_t page);
void SRemoveOpenPage(uint32_t page);
using SPageCallback = int (*)(uint32_t page, ASInstance* instance, void* argument);
// The callback's first nonzero result, else 0.
int SForEachOpenPage(SPageCallback callback, void* argument);

// Shows the instance (0: the page's own link) on the page; hides the page's
// graphics (with forget, the page also leaves the open-page list).
void SShowInstanceGraphics(uint32_t page, ASInstance* instance);
void SHideInstanceGraphics(uint32_t page, int forget);
// Every open page shows or hides its current instance.
void SShowOpenPages();
void SHideOpenPages(int forget);
// Sets the enabling marks of the instance's transitions; 0 without one.
int SShowEnablingOnPage(uint32_t page, ASInstance* instance, int show);
// Every open page's enabling marks off and on again from the instances.
void SRefreshEnablingOnOpenPages(int show);
// The marking regions of one place in the instance.
void SUpdatePlaceMarking(uint32_t place, ASInstance* instance);

// Removal of the simulation regions of a page's elements: the marking
// regions of its places, the enabling marks of its transitions, and the
// token regions of its arcs on their input and output sides.
void SDeletePageSimRegions(uint32_t page, int marking, int enabling, int inputTokens, int outputTokens);

// Hook handlers of the page windows in the simulator: the caption (62), a
// page about to go (69), the current page changed (71), opening an object
// (14).
uintptr_t SPageCaptionHook(uintptr_t page, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t SPageClosingHook(uintptr_t page, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t SCurrentPageHook(uintptr_t page, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
uintptr_t SOpenObjectHook(uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// ---- the feedback of a step ----

// The display switches of the interactive options' update level: token
// counts on input and output arcs, and the highlight of occurring
// transitions.
struct SDisplaySwitches {
    bool input = false;
    bool output = false;
    bool highlight = false;
};
SDisplaySwitches SReadDisplaySwitches();
// The token counts of the transition's arcs in the instance, on the sides
// whose switch is on; with clearOff the other sides are emptied and hidden;
// with force counts are computed even where a code segment has not run.
void SUpdateTransitionArcFeedback(SETrans* transition, ASInstance* instance, bool input, bool output, bool clearOff,
                                  bool force);
// Empties and hides the counts on the sides whose switch is on.
void SClearTransitionArcFeedback(SETrans* transition, bool input, bool output);
// The arc counts of the instance's chosen binding elements (and, with
// bothLists, of those already executed).
void SUpdateInstanceArcFeedback(ASInstance* instance, bool input, bool output, bool bothLists);
// The transition's enabling mark shown with twice its line width, or hidden
// with its own width again.
void SHighlightTransition(SETrans* transition, bool on);
// The same for the step elements that belong to the instance.
void SHighlightStepElements(ASInstance* instance, bool on);
// The page of an observed instance made current with that instance; a page
// that was closed is flagged as opened by the step. 1 when shown.
int SShowStepElementPage(ASInstance* instance);
void SCloseStepPage(uint32_t page);
// Closes the open pages that a step opened.
void SClosePagesOpenedByStep();
