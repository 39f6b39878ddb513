// The simulation regions on the diagram and the page instance each open page
// shows: making the regions at the switch, filling them from the evaluator's
// answers, showing and hiding them page by page.
#include "atolq/OGA/OGAUtils.h"
#include "atolq/CSimulator/SimGraphics.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"

namespace {

constexpr int16_t kMsgOutOfRange = 11528;
constexpr uint32_t kDeferredAction = 0x4000;
constexpr int32_t kEnablingDefaultKey = 16;
constexpr uint16_t kTextHiddenBits = 3;
constexpr uint32_t kHiddenFlag = 4;
constexpr uint32_t kRedrawFlag = 0x400002;
constexpr uint16_t kSubKindSubstitution = 6;
constexpr uint16_t kSubKindInvocation = 7;
constexpr uint16_t kArcInput = 1;

// Activity phases that leave the graphics of a step as they are.
bool AtBreakpoint()
{
    const uint32_t a = SCurrentActivity();
    return a == 0x20020 || a == 0x40020 || a == 0x20040 || a == 0x40040;
}

bool MovingTokens()
{
    const uint32_t a = SCurrentActivity();
    return a == 0x20001 || a == 0x40001;
}

bool AtBreakpoint2()
{
    const uint32_t a = SCurrentActivity();
    return a == 0x20040 || a == 0x40040;
}

std::vector<uint32_t>& OpenPages()
{
    static std::vector<uint32_t> pages;
    return pages;
}

bool Alive(uint32_t object)
{
    return object != 0 && QXStr_IsObject(object) != 0;
}

void Show(uint32_t object)
{
    if (Alive(object))
        GE_ClearObjectFlags(object);
}

void Hide(uint32_t object)
{
    if (Alive(object))
        GE_RefreshObjectFlags(object);
}

bool Shown(uint32_t object)
{
    uint32_t hidden = 1;
    return Alive(object) && QXRdAttr_GetFlag(object, kHiddenFlag, &hidden) != 0 && hidden == 0;
}

void SetText(uint32_t object, const std::string& text)
{
    if (Alive(object))
        QXText_SetText(object, text.c_str());
}

bool PageOpen(uint32_t page)
{
    return Alive(page) && QXWin_IsOpen(page) != 0;
}

template <class F>
void ForEachNetPage(F f)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    se::forEachRec(root->pages, [&](SEHead* record) { f(reinterpret_cast<SEPage*>(record)); });
}

template <class F>
void ForEachArc(SEPage* page, F f)
{
    se::forEachRec(page->transitions, [&](SEHead* record) {
        auto* transition = reinterpret_cast<SETrans*>(record);
        for (LMList* arcs : {transition->inputArcs, transition->outputArcs, transition->thirdArcs})
            se::forEachRec(arcs, [&](SEHead* arc) { f(reinterpret_cast<SEArc*>(arc)); });
    });
}

SEPage* PageRecord(uint32_t page)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(page, &record) == 0 || record == nullptr || record->kind != kSEPage)
        return nullptr;
    return reinterpret_cast<SEPage*>(record);
}

// The shape the enabling mark copies: box, ellipse, rounded box and wedge
// keep theirs, anything else becomes a box.
int32_t OutlineShape(uint32_t transition)
{
    const int32_t shape = QXRdAttr_GetShape(transition);
    return shape == 2 || shape == 4 || shape == 5 ? shape : 1;
}

uint32_t MakeEnablingRegion(uint32_t transition)
{
    uint32_t region = 0;
    if (GE_FindChildRegion(transition, kSRegionEnabling, &region) == 0) {
        Fixed x = 0, y = 0, width = 0, height = 0;
        QXRdAttr_GetPosition(transition, &x, &y);
        QXRdAttr_GetSize(transition, &width, &height);
        const int32_t shape = OutlineShape(transition);
        region = QXStr_CreateNode(QXStr_GetObjectPage(transition), x, y, width, height, shape);
        if (region == 0)
            EE_FatalError(kMsgOutOfMemory);
        if (shape == 5) {
            int32_t start = 0, extent = 0;
            QXRdAttr_GetWedgeAngles(transition, &start, &extent);
            QXWtAttr_SetWedgeAngles(region, start, extent);
        }
        GE_ApplyDefaultAttributes(kEnablingDefaultKey, region);
        if (GE_AttachRegion(transition, region, kSRegionEnabling) == 0)
            EE_FatalError(kMsgOutOfMemory);
    }
    GE_ApplyDefaultAttributes(kEnablingDefaultKey, region);
    QXWtAttr_SetFlag(region, kRedrawFlag, 1);
    Hide(region);
    return region;
}

void MakeHiddenRegion(uint32_t owner, int32_t kind)
{
    uint32_t key = 0;
    if (GE_FindChildRegion(owner, GE_KeyRegionKind(kind), &key) == 0 || GE_GetRegion(owner, kind, nullptr) == 0)
        GE_MakeRegion(owner, kind);
    GE_FindChildRegion(owner, GE_KeyRegionKind(kind), &key);
    uint32_t region = 0;
    GE_GetRegion(owner, kind, &region);
    Hide(region);
    Hide(key);
}

// A place's key region and marking region (0 when missing).
struct KeyedRegions {
    uint32_t key = 0;
    uint32_t text = 0;
    bool textShown = false;
};

KeyedRegions RegionsOf(uint32_t owner, int32_t kind)
{
    KeyedRegions regions;
    GE_FindChildRegion(owner, GE_KeyRegionKind(kind), &regions.key);
    if (regions.key != 0)
        GE_FindChildRegion(regions.key, kind, &regions.text);
    regions.textShown = regions.key != 0 && GE_TestChartTagBits(regions.key, kTextHiddenBits) == 0;
    return regions;
}

// An illegal colour: the message, and while a step runs the place waits as
// the deferred action that ends the step.
void ReportOutOfRange(uint32_t object)
{
    GE_MessageBox(kMsgOutOfRange);
    if (SCurrentActivity() != kSActivityIdle) {
        GE_SetDeferredObject(object);
        GE_SetStateFlags(kDeferredAction);
    }
}

void FillKeyed(const KeyedRegions& regions, int count, const std::string& text, uint32_t object)
{
    if (count == -4) {
        SetText(regions.key, "E");
        Show(regions.key);
        SetText(regions.text, "Error: Out of Range");
        Show(regions.text);
        ReportOutOfRange(object);
    } else if (count > 0) {
        SetText(regions.key, std::to_string(static_cast<unsigned long>(count)));
        Show(regions.key);
        SetText(regions.text, regions.textShown ? text : std::string());
        if (regions.textShown)
            Show(regions.text);
        else
            Hide(regions.text);
    } else {
        SetText(regions.key, "0");
        Hide(regions.key);
        SetText(regions.text, "");
        Hide(regions.text);
    }
}

SEPlace* PlaceRecord(uint32_t place)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(place, &record) == 0 || record == nullptr || record->kind != kSEPlace)
        return nullptr;
    return reinterpret_cast<SEPlace*>(record);
}

void SetTransitionMark(SETrans* transition, bool show)
{
    uint32_t region = 0;
    if (GE_FindChildRegion(transition->kvObject, kSRegionEnabling, &region) == 0)
        return;
    if (show)
        Show(region);
    else if (Shown(region))
        Hide(region);
}

bool Enabled(const ASInstance* instance, const SETrans* transition)
{
    if (se::containsValue(instance->enabled, const_cast<SETrans*>(transition)))
        return true;
    bool candidate = false;
    se::forEachPair(instance->candidates, [&](void* first, void*) { candidate = candidate || first == transition; });
    return candidate;
}

void HideMarkingKeys(SEPage* page)
{
    se::forEachRec(page->places, [](SEHead* record) {
        const KeyedRegions regions = RegionsOf(reinterpret_cast<SEPlace*>(record)->kvObject, kSRegionMarking);
        Hide(regions.key);
        Hide(regions.text);
    });
}

void ClearArcFeedback(SEPage* page)
{
    ForEachArc(page, [](SEArc* arc) {
        for (const int32_t kind : {kSRegionInputTokens, kSRegionOutputTokens}) {
            const KeyedRegions regions = RegionsOf(arc->kvObject, kind);
            if (regions.key != 0 && Shown(regions.key)) {
                SetText(regions.key, "");
                Hide(regions.key);
            }
            if (regions.text != 0 && Shown(regions.text)) {
                SetText(regions.text, "");
                Hide(regions.text);
            }
        }
    });
}

void SetCaption(uint32_t page, const ASInstance* instance)
{
    if (!PageOpen(page))
        return;
    if (instance != nullptr && instance->text != nullptr && instance->text[0] != '\0') {
        QXWin_SetTitle(page, instance->text);
        return;
    }
    char title[96] = {};
    if (GE_ObjectRefName(page, title) != 0 && title[0] != '\0')
        QXWin_SetTitle(page, title);
}

bool LessPage(uint32_t a, uint32_t b)
{
    const SEPage* pa = PageRecord(a);
    const SEPage* pb = PageRecord(b);
    const uint32_t na = pa != nullptr ? pa->pageNumber : 0;
    const uint32_t nb = pb != nullptr ? pb->pageNumber : 0;
    return na != nb ? na < nb : a < b;
}

}  // namespace

// ---- regions ----

void SCreateEnablingRegions()
{
    ForEachNetPage([](SEPage* page) {
        se::forEachRec(page->transitions,
                       [](SEHead* record) { MakeEnablingRegion(reinterpret_cast<SETrans*>(record)->kvObject); });
    });
}

void SCreateMarkingRegions()
{
    ForEachNetPage([](SEPage* page) {
        se::forEachRec(page->places, [](SEHead* record) {
            MakeHiddenRegion(reinterpret_cast<SEPlace*>(record)->kvObject, kSRegionMarking);
        });
    });
}

void SCreateArcRegions()
{
    ForEachNetPage([](SEPage* page) {
        ForEachArc(page, [](SEArc* arc) {
            const uint32_t direction = QXRdAttr_GetDirection(arc->kvObject);
            const bool both = direction == 0 || direction == 3;
            const bool input = arc->head.subKind == kArcInput;
            if (both || input)
                MakeHiddenRegion(arc->kvObject, kSRegionInputTokens);
            if (both || !input)
                MakeHiddenRegion(arc->kvObject, kSRegionOutputTokens);
        });
    });
}

void SDeletePageSimRegions(uint32_t page, int marking, int enabling, int inputTokens, int outputTokens)
{
    SEPage* record = PageRecord(page);
    if (record == nullptr)
        return;
    if (marking != 0)
        se::forEachRec(record->places, [](SEHead* place) {
            GE_DeleteRegion(reinterpret_cast<SEPlace*>(place)->kvObject, kSRegionMarking);
        });
    if (enabling != 0)
        se::forEachRec(record->transitions, [](SEHead* transition) {
            uint32_t region = 0;
            const uint32_t object = reinterpret_cast<SETrans*>(transition)->kvObject;
            while (GE_FindChildRegion(object, kSRegionEnabling, &region) != 0 && region != 0)
                if (QXStr_DeleteObject(region) == 0)
                    break;
        });
    ForEachArc(record, [&](SEArc* arc) {
        if (inputTokens != 0)
            GE_DeleteRegion(arc->kvObject, kSRegionInputTokens);
        if (outputTokens != 0)
            GE_DeleteRegion(arc->kvObject, kSRegionOutputTokens);
    });
}

// ---- instances of pages ----

ASInstance* SPageInstance(uint32_t page)
{
    if (!Alive(page))
        return nullptr;
    const uint32_t link = GE_GetSimLink(page);
    if (link == 0)
        return nullptr;
    ASInstance* instance = asInstance(SERecordById(link, se::kindBit(kSEPageInstance)));
    // A link is trusted only when it names an instance of this very page.
    if (instance == nullptr || pageOf(instance) == nullptr || pageOf(instance)->kvObject != page)
        return nullptr;
    return instance;
}

void SSetPageInstance(uint32_t page, const ASInstance* instance)
{
    if (instance != nullptr)
        GE_SetSimLink(page, SERecordId(&instance->head));
    else
        GE_DeleteUserData(page, 0xF909);
}

// ---- the open-page list ----

void SBuildOpenPageList()
{
    std::vector<uint32_t>& pages = OpenPages();
    pages.clear();
    ForEachNetPage([&](SEPage* page) {
        if (PageOpen(page->kvObject))
            pages.insert(pages.begin(), page->kvObject);
    });
    if (pages.size() >= 2)
        std::stable_sort(pages.begin(), pages.end(), LessPage);
}

void SFreeOpenPageList()
{
    OpenPages().clear();
}

void SAddOpenPage(uint32_t page)
{
    std::vector<uint32_t>& pages = OpenPages();
    if (std::find(pages.begin(), pages.end(), page) != pages.end())
        return;
    pages.insert(std::upper_bound(pages.begin(), pages.end(), page), page);
}

void SRemoveOpenPage(uint32_t page)
{
    std::vector<uint32_t>& pages = OpenPages();
    pages.erase(std::remove(pages.begin(), pages.end(), page), pages.end());
}

int SForEachOpenPage(SPageCallback callback, void* argument)
{
    // A copy: a callback may hide a page for good.
    const std::vector<uint32_t> pages = OpenPages();
    for (const uint32_t page : pages) {
        if (!Alive(page))
            continue;
        if (const int result = callback(page, SPageInstance(page), argument); result != 0)
            return result;
    }
    return 0;
}

// ---- showing and hiding ----

void SUpdatePlaceMarking(uint32_t place, ASInstance* instance)
{
    const uint32_t page = QXStr_GetObjectPage(place);
    SEPlace* record = PlaceRecord(place);
    if (record == nullptr || instance == nullptr || !PageOpen(page) || SPageInstance(page) != instance)
        return;
    const KeyedRegions regions = RegionsOf(place, kSRegionMarking);
    if (regions.key == 0)
        return;
    const int count = ASQueryPlaceTokenCount(record, instance);
    std::string text;
    if (count > 0 && regions.text != 0 && regions.textShown && ASQueryPlaceTokens(record, instance, &text) != 0)
        text = "Error: Out of Range";
    FillKeyed(regions, count, text, place);
}

int SShowEnablingOnPage(uint32_t page, ASInstance* instance, int show)
{
    if (instance == nullptr)
        return 0;
    SEPage* record = pageOf(instance);
    se::forEachRec(record->transitions, [&](SEHead* transition) {
        auto* t = reinterpret_cast<SETrans*>(transition);
        SetTransitionMark(t, show != 0 && Enabled(instance, t));
    });
    (void)page;
    GE_FlushRedraw();
    return 1;
}

void SShowInstanceGraphics(uint32_t page, ASInstance* instance)
{
    if (instance == nullptr)
        instance = SPageInstance(page);
    if (instance == nullptr)
        return;
    SSetPageInstance(page, instance);
    GE_DeleteUserData(page, kSTagGraphicsStale);
    SetCaption(page, instance);
    const bool breakpoint = AtBreakpoint();
    const SDisplaySwitches switches = SReadDisplaySwitches();
    if (SSubstepsShown() != 0)
        SUpdateInstanceArcFeedback(instance, switches.input, switches.output, !AtBreakpoint2());
    se::forEachRec(pageOf(instance)->places,
                   [&](SEHead* place) { SUpdatePlaceMarking(reinterpret_cast<SEPlace*>(place)->kvObject, instance); });
    if (!breakpoint && !MovingTokens())
        SShowEnablingOnPage(page, instance, 1);
    if (switches.highlight && breakpoint)
        SHighlightStepElements(instance, true);
}

void SHideInstanceGraphics(uint32_t page, int forget)
{
    if (forget != 0) {
        GE_DeleteUserData(page, kSTagOpenedByStep);
        SRemoveOpenPage(page);
    }
    ASInstance* instance = SPageInstance(page);
    if (instance == nullptr || GE_HasUserData(page, kSTagGraphicsStale) != 0)
        return;
    SEPage* record = pageOf(instance);
    ClearArcFeedback(record);
    if (!AtBreakpoint() && !MovingTokens())
        SShowEnablingOnPage(page, instance, 0);
    if (AtBreakpoint())
        SHighlightStepElements(instance, false);
    HideMarkingKeys(record);
    GE_SetUserFlag(page, kSTagGraphicsStale);
}

void SShowOpenPages()
{
    SForEachOpenPage(
        [](uint32_t page, ASInstance* instance, void*) {
            SShowInstanceGraphics(page, instance);
            return 0;
        },
        nullptr);
}

void SHideOpenPages(int forget)
{
    SForEachOpenPage(
        [](uint32_t page, ASInstance*, void* argument) {
            SHideInstanceGraphics(page, *static_cast<int*>(argument));
            return 0;
        },
        &forget);
}

void SRefreshEnablingOnOpenPages(int show)
{
    SForEachOpenPage(
        [](uint32_t page, ASInstance* instance, void* argument) {
            SShowEnablingOnPage(page, instance, *static_cast<int*>(argument));
            return 0;
        },
        &show);
}

// ---- hooks of the page windows ----

uintptr_t SPageCaptionHook(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto page = static_cast<uint32_t>(a);
    if (!Alive(page) || (QXRdAttr_GetObjectType(page) & kQXKindPage) == 0)
        return 1;
    const ASInstance* instance = SPageInstance(page);
    if (instance != nullptr && instance->text != nullptr && instance->text[0] != '\0') {
        QXWin_SetTitle(page, instance->text);
        return 0;
    }
    char title[96] = {};
    if (GE_ObjectRefName(page, title) == 0 || title[0] == '\0')
        return 1;
    QXWin_SetTitle(page, title);
    return 0;
}

uintptr_t SPageClosingHook(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto page = static_cast<uint32_t>(a);
    if (!Alive(page))
        return 1;
    PGSetNodeStyle(page, 10);
    SHideInstanceGraphics(page, 1);
    return 1;
}

uintptr_t SCurrentPageHook(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    static uint32_t lastPage = 0;
    const auto page = static_cast<uint32_t>(a);
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    const bool stale = GE_HasUserData(page, kSTagGraphicsStale) != 0;
    if (page != lastPage) {
        if (Alive(lastPage) && !PageOpen(lastPage))
            SHideInstanceGraphics(lastPage, 1);
        if (Alive(page) && PageRecord(page) != nullptr) {
            if (stale)
                SShowInstanceGraphics(page, nullptr);
            SAddOpenPage(page);
        }
        GE_EndTextEdit();
        lastPage = page;
    } else if (stale && PageOpen(page)) {
        SShowInstanceGraphics(page, nullptr);
        SAddOpenPage(page);
    }
    if (page != 0 && PGStyleUpdateEnabled() != 0)
        PGMarkCurrentPage(page);
    return 1;
}

namespace {

// A substitution transition: the sub-instance below the page's current
// instance becomes the subpage's instance, and the subpage is shown.
bool OpenSubstitution(uint32_t object, SETrans* transition)
{
    SECompound* compound = transition->compound;
    if (compound == nullptr || compound->subpage == nullptr)
        return false;
    const uint32_t subpage = compound->subpage->kvObject;
    ASInstance* above = SPageInstance(QXStr_GetObjectPage(object));
    ASInstance* below = nullptr;
    if (above != nullptr)
        se::forEachValue(above->children, [&](void* child) {
            auto* instance = static_cast<ASInstance*>(child);
            if (below == nullptr && instance->compound == compound)
                below = instance;
        });
    if (below != nullptr && below != SPageInstance(subpage)) {
        SHideInstanceGraphics(subpage, 0);
        SSetPageInstance(subpage, below);
        GE_SetUserFlag(subpage, kSTagGraphicsStale);
    }
    if (!PageOpen(subpage))
        QXWin_OpenPage(subpage);
    QXStr_SetCurPage(subpage);
    if (GE_HasUserData(subpage, kSTagGraphicsStale) != 0)
        SShowInstanceGraphics(subpage, nullptr);
    SAddOpenPage(subpage);
    return true;
}

// A key region shows or hides its text region.
void ToggleKeyText(uint32_t key, int32_t kind)
{
    const int32_t base = GE_BaseRegionKind(kind);
    uint32_t owner = Model_GetParent(key);
    uint32_t text = 0;
    GE_FindChildRegion(key, base, &text);
    if (text != 0 && Shown(text)) {
        Hide(text);
        GE_SetChartTagBits(key, 0, kTextHiddenBits);
        GE_SetChartTagBits(key, 1, 1);
        return;
    }
    GE_SetChartTagBits(key, 0, kTextHiddenBits);
    if (text == 0)
        GE_MakeRegion(owner, base);
    if (base == kSRegionMarking) {
        const uint32_t page = QXStr_GetObjectPage(owner);
        SUpdatePlaceMarking(owner, SPageInstance(page));
    }
    GE_FindChildRegion(key, base, &text);
    Show(text);
}

}  // namespace

uintptr_t SOpenObjectHook(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto object = static_cast<uint32_t>(a);
    if (Select_GetMode() == 1)
        return 0;
    if (!Alive(object))
        return 1;
    // A node or arc of the drawn occurrence graph shows or hides its
    // descriptor while no step is under way.
    if (OGAHasOccGraph(object)) {
        const uint32_t activity = SCurrentActivity();
        if (activity == kSActivityIdle || activity == kSActivityAutomaticOnly || activity == 0x40010) {
            OGAToggleDescriptor(object);
            return 0;
        }
    }
    const int32_t regionKind = GE_RegionKindOf(object);
    if (regionKind > 0 && GE_IsKeyRegionKind(regionKind)) {
        const int32_t base = GE_BaseRegionKind(regionKind);
        if (base == kSRegionMarking || base == kSRegionInputTokens || base == kSRegionOutputTokens) {
            ToggleKeyText(object, regionKind);
            return 0;
        }
    }
    if (regionKind == kSRegionMarking || regionKind == kSRegionInputTokens || regionKind == kSRegionOutputTokens) {
        const uint32_t key = Model_GetParent(object);
        Hide(object);
        GE_SetChartTagBits(key, 1, 1);
        QXStr_SetCurObject(key);
        return 0;
    }
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    if (kind == kSETrans && (subKind == kSubKindSubstitution || subKind == kSubKindInvocation)) {
        if (MovingTokens())
            return 0;
        return OpenSubstitution(object, reinterpret_cast<SETrans*>(record)) ? 0 : 1;
    }
    return 1;
}

// ---- the feedback of a step ----

namespace {

constexpr uint16_t kArcOutput = 2;

// The enabling marks drawn wider while their transition occurs, with the
// line width each had before, so that un-highlighting restores it exactly
// however often either is asked for.
std::map<uint32_t, int16_t>& Highlighted()
{
    static std::map<uint32_t, int16_t> regions;
    return regions;
}

void ClearKeyed(uint32_t owner, int32_t kind)
{
    const KeyedRegions regions = RegionsOf(owner, kind);
    SetText(regions.key, "");
    Hide(regions.key);
    SetText(regions.text, "");
    Hide(regions.text);
}

// The token count of one side of an arc for the step, and its tokens as
// text when the text region is shown.
void FillArc(SEArc* arc, ASInstance* instance, int32_t kind, bool force)
{
    const KeyedRegions regions = RegionsOf(arc->kvObject, kind);
    if (regions.key == 0)
        return;
    const int count = ASQueryArcTokenCount(arc, instance, force ? 1 : 0);
    if (count == -1) {
        SetText(regions.key, "C");
        Show(regions.key);
        SetText(regions.text, regions.textShown ? "Calc" : "");
        if (regions.textShown)
            Show(regions.text);
        else
            Hide(regions.text);
        return;
    }
    std::string text;
    if (count > 0 && regions.text != 0 && regions.textShown &&
        ASQueryArcTokens(arc, instance, &text, force ? 1 : 0) != 1)
        text.clear();
    FillKeyed(regions, count, text, arc->kvObject);
}

// The arcs of a transition with the region kind of their side and whether
// that side's switch is on.
template <class F>
void ForEachSide(SETrans* transition, bool input, bool output, F f)
{
    for (LMList* arcs : {transition->inputArcs, transition->outputArcs, transition->thirdArcs})
        se::forEachRec(arcs, [&](SEHead* record) {
            auto* arc = reinterpret_cast<SEArc*>(record);
            if (arc->head.subKind == kArcInput)
                f(arc, kSRegionInputTokens, input);
            else if (arc->head.subKind == kArcOutput)
                f(arc, kSRegionOutputTokens, output);
        });
}

}  // namespace

SDisplaySwitches SReadDisplaySwitches()
{
    const SERoot* root = SECurrentRoot();
    switch (root != nullptr ? root->displayOptions[3] : 0) {
    case 0: return {true, true, true};
    case 1: return {false, false, true};
    default: return {false, false, false};
    }
}

void SUpdateTransitionArcFeedback(SETrans* transition, ASInstance* instance, bool input, bool output, bool clearOff,
                                  bool force)
{
    if (transition == nullptr || instance == nullptr)
        return;
    ForEachSide(transition, input, output, [&](SEArc* arc, int32_t kind, bool on) {
        if (on)
            FillArc(arc, instance, kind, force);
        else if (clearOff)
            ClearKeyed(arc->kvObject, kind);
    });
}

void SClearTransitionArcFeedback(SETrans* transition, bool input, bool output)
{
    if (transition == nullptr)
        return;
    ForEachSide(transition, input, output, [](SEArc* arc, int32_t kind, bool on) {
        if (on)
            ClearKeyed(arc->kvObject, kind);
    });
}

void SUpdateInstanceArcFeedback(ASInstance* instance, bool input, bool output, bool bothLists)
{
    if (instance == nullptr)
        return;
    std::vector<SETrans*> done;
    se::forEachRec(instance->steps, [&](SEHead* record) {
        const auto* element = reinterpret_cast<ASBindingElement*>(record);
        const bool listed = element->state == kASChosen || (bothLists && element->state == kASExecuted);
        if (!listed || std::find(done.begin(), done.end(), element->transition) != done.end())
            return;
        done.push_back(element->transition);
        SUpdateTransitionArcFeedback(element->transition, instance, input, output, true, false);
    });
}

void SHighlightTransition(SETrans* transition, bool on)
{
    uint32_t region = 0;
    if (transition == nullptr || GE_FindChildRegion(transition->kvObject, kSRegionEnabling, &region) == 0 ||
        !Alive(region))
        return;
    std::map<uint32_t, int16_t>& highlighted = Highlighted();
    uint32_t style = 0, pattern = 0, visible = 0;
    int16_t width = 0;
    QXRdAttr_GetLineAttr(region, &style, &width, &pattern, &visible);
    const auto found = highlighted.find(region);
    if (on) {
        if (found == highlighted.end()) {
            highlighted.emplace(region, width);
            QXWtAttr_SetLineAttr(region, style, static_cast<int16_t>(std::max<int16_t>(width, 1) * 2), pattern,
                                 visible);
        }
        Show(region);
        return;
    }
    if (found == highlighted.end())
        return;
    QXWtAttr_SetLineAttr(region, style, found->second, pattern, visible);
    highlighted.erase(found);
    Hide(region);
}

void SHighlightStepElements(ASInstance* instance, bool on)
{
    se::forEachPair(GE_GetStepElements(), [&](void* transition, void* owner) {
        if (owner == instance)
            SHighlightTransition(static_cast<SETrans*>(transition), on);
    });
}

int SShowStepElementPage(ASInstance* instance)
{
    if (instance == nullptr || pageOf(instance) == nullptr || ASTestInstanceMode(&instance->head, 4) == 0)
        return 0;
    const uint32_t page = pageOf(instance)->kvObject;
    if (!Alive(page))
        return 0;
    if (page == QXStr_GetCurPage()) {
        if (SPageInstance(page) != instance) {
            SHideInstanceGraphics(page, 0);
            SShowInstanceGraphics(page, instance);
        }
        return 1;
    }
    if (!PageOpen(page))
        GE_SetUserFlag(page, kSTagOpenedByStep);
    else
        SHideInstanceGraphics(page, 0);
    SSetPageInstance(page, instance);
    GE_SetUserFlag(page, kSTagGraphicsStale);
    if (!PageOpen(page))
        QXWin_OpenPage(page);
    QXStr_SetCurPage(page);
    if (GE_HasUserData(page, kSTagGraphicsStale) != 0)
        SShowInstanceGraphics(page, nullptr);
    SAddOpenPage(page);
    // Only the page of this substep stays open of those a step opened.
    const std::vector<uint32_t> pages = OpenPages();
    for (const uint32_t other : pages)
        if (other != page && Alive(other) && GE_HasUserData(other, kSTagOpenedByStep) != 0)
            SCloseStepPage(other);
    return 1;
}

void SCloseStepPage(uint32_t page)
{
    GE_DeleteUserData(page, kSTagOpenedByStep);
    SHideInstanceGraphics(page, 1);
    if (PageOpen(page))
        QXWin_ClosePage(page);
}

void SClosePagesOpenedByStep()
{
    const std::vector<uint32_t> pages = OpenPages();
    for (const uint32_t page : pages)
        if (Alive(page) && GE_HasUserData(page, kSTagOpenedByStep) != 0)
            SCloseStepPage(page);
}
