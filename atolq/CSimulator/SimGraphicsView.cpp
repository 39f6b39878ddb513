// The step machinery's view of the diagram in the program: the status line,
// the enabling marks and markings of the open pages, the failing or deferred
// object shown, the step dialog and the state flag of an ML exception.
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/CSimulator/SimStepView.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimStatus.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

// The places around the transition in the instance, with fused and port
// places expanded to the instances that hold them.
void updatePlaces(LMList* arcs, ASInstance* instance)
{
    se::forEachRec(arcs, [&](SEHead* record) {
        auto* arc = reinterpret_cast<SEArc*>(record);
        if (arc->place == nullptr)
            return;
        ASIterator it{};
        it.word[0] = reinterpret_cast<uintptr_t>(arc->place);
        it.word[1] = reinterpret_cast<uintptr_t>(instance);
        if (ASFirst(6, &it) == 0)
            return;
        while (ASNext(6, &it) != 0)
            SUpdatePlaceMarking(static_cast<uint32_t>(it.word[2]), reinterpret_cast<ASInstance*>(it.word[3]));
    });
}

uint32_t pageObjectOf(const ASInstance* instance)
{
    if (instance == nullptr || instance->head.owner == nullptr || instance->head.owner->kind != kSEPage)
        return 0;
    return reinterpret_cast<const SEPage*>(instance->head.owner)->kvObject;
}

} // namespace

void SVStatus(const char* text, int timeMode, int stepMode) { SShowStatus(text, timeMode, stepMode); }

void SVShowEnablingMarks(int show)
{
    SForEachOpenPage(
        [](uint32_t page, ASInstance* instance, void* argument) {
            SShowEnablingOnPage(page, instance, *static_cast<int*>(argument));
            return 0;
        },
        &show);
}

void SVShowInstanceGraphics() { SShowOpenPages(); }

void SVHideInstanceGraphics() { SHideOpenPages(0); }

void SVUpdatePlacesAround(SETrans* transition, ASInstance* instance)
{
    if (transition == nullptr || instance == nullptr)
        return;
    updatePlaces(transition->inputArcs, instance);
    updatePlaces(transition->outputArcs, instance);
}

void SVUpdateAllMarkings()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [](SEHead* record) {
        auto* page = reinterpret_cast<SEPage*>(record);
        if (page->instances == nullptr || page->instances->first == nullptr)
            return;
        auto* first = static_cast<ASInstance*>(page->instances->first);
        se::forEachRec(page->places, [&](SEHead* place) {
            SUpdatePlaceMarking(reinterpret_cast<SEPlace*>(place)->kvObject, first);
        });
    });
}

void SVShowRunFeedback() { SShowOpenPages(); }

// The page of the step's first element, when its instance is observed, is
// made current showing that instance; the first transition is scrolled into
// view when that succeeded.
void SVShowStepElementPage(SETrans* transition, ASInstance* instance)
{
    if (SShowStepElementPage(instance) != 0 && transition != nullptr && transition->kvObject != 0)
        QXUI_ShowObject(transition->kvObject);
}

void SVShowFailure(ASInstance* instance, uint32_t object)
{
    const uint32_t page = pageObjectOf(instance);
    if (page != 0 && SPageInstance(page) != instance) {
        SHideInstanceGraphics(page, 0);
        SShowInstanceGraphics(page, instance);
    }
    if (object != 0)
        QXStr_SetCurObject(object);
}

void SVShowDeferred(uint32_t object, uint32_t)
{
    if (object != 0)
        QXStr_SetCurObject(object);
}

// The elements of a substep whose instance is the one shown on its open
// page.
template <class F>
void forEachShownElement(LMList* elements, F f)
{
    se::forEachPair(elements, [&](void* transition, void* owner) {
        auto* instance = static_cast<ASInstance*>(owner);
        const uint32_t page = pageObjectOf(instance);
        if (page != 0 && QXWin_IsOpen(page) != 0 && SPageInstance(page) == instance)
            f(static_cast<SETrans*>(transition), instance);
    });
}

void SVShowSubstepFeedback(LMList* elements)
{
    const SDisplaySwitches switches = SReadDisplaySwitches();
    const bool counts = SSubstepsShown() != 0;
    forEachShownElement(elements, [&](SETrans* transition, ASInstance* instance) {
        if (switches.highlight)
            SHighlightTransition(transition, true);
        if (counts)
            SUpdateTransitionArcFeedback(transition, instance, switches.input, switches.output, false, true);
    });
    GE_FlushRedraw();
}

void SVHideSubstepCounts(LMList* elements)
{
    const SDisplaySwitches switches = SReadDisplaySwitches();
    forEachShownElement(elements, [&](SETrans* transition, ASInstance*) {
        SClearTransitionArcFeedback(transition, switches.input, switches.output);
    });
}

// Every highlighted element is drawn plainly again, whatever the switch says
// now: the options may have changed during the pause.
void SVUnhighlightSubstep(LMList* elements)
{
    forEachShownElement(elements, [](SETrans* transition, ASInstance*) { SHighlightTransition(transition, false); });
}

void SVClosePagesOpenedByStep() { SClosePagesOpenedByStep(); }

void SVCodeOutput(MemFile*, uint32_t, ASInstance*) {}

void SVSetStateInvalid() { SSetStateInvalid(1); }
