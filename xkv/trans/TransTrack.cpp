// Object tracking (a blinking double outline around the object under the
// pointer, picked by a press), single point picks, choosing a page in the
// page-structure window, and the text states.
#include "xkv/trans/TransInternal.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "xkv/cache/Cache.h"
#include "xkv/comm/Comm.h"
#include "xkv/default/Default.h"
#include "xkv/item/TypedItem.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/timer/Timer.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"
#include "xkv/text/TextKernel.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kBlinkTimer = 5;
constexpr uint32_t kHookTrackable = 65;
constexpr uint32_t kHookPageSelect = 45;
constexpr uint32_t kPropWindowSettings = 18;
constexpr size_t kBlinkOffset = 56;
constexpr size_t kStructureStyleOffset = 36;
constexpr uint32_t kHighlightMode = 6;
constexpr uint8_t kSpace = ' ';

struct TrackState {
    bool highlightShown = false;
    bool blinkPhase = false;
};

TrackState& Tracking()
{
    static TrackState state;
    return state;
}

bool IsTrackState(int32_t state)
{
    return state == 21 || state == 22;
}

// One word of the window-settings property as new objects see it; the
// fallback when it cannot be read.
int32_t SettingsWord(size_t offset, int32_t fallback)
{
    const uint32_t size = Default_PropertySize(kPropWindowSettings);
    if (size < offset + sizeof(int32_t)) {
        return fallback;
    }
    std::vector<std::byte> record(size);
    if (Default_Get(0, kDefaultLevelNew, kPropWindowSettings, record.data()) != kStatusOk) {
        return fallback;
    }
    int32_t word = 0;
    std::memcpy(&word, record.data() + offset, sizeof word);
    return word;
}

void AddOutline(Widget window, MemHandle item, int* made)
{
    if (item != 0 && Cache_AddDrawable(window, kCacheFeedback, item, 1) == kStatusOk) {
        ++*made;
    } else if (item != 0) {
        TypedItem_Free(item);
    }
}

MemHandle PolylineOf(MemHandle points, bool closed)
{
    if (points == 0) {
        return 0;
    }
    MemHandle item = TypedItem_NewPolyline(points, kHighlightMode, closed ? 1 : 0, -1, 0);
    if (item == 0) {
        PtArray_Free(points);
    }
    return item;
}

MemHandle ScaledList(ObjectHandle object, Fixed factor)
{
    MemHandle copy = PtArray_Duplicate(Model_GetFieldValue(object, Field::kShapeData));
    if (copy != 0) {
        FixPoint centre{};
        Model_GetField(object, Field::kPosition, &centre);
        PtArray_Scale(copy, &centre, factor, factor);
    }
    return PolylineOf(copy, true);
}

MemHandle MovedPath(ObjectHandle object, Fixed by)
{
    MemHandle copy = PtArray_Duplicate(Model_GetFieldValue(object, Field::kPath));
    if (copy != 0) {
        PtArray_Translate(copy, FixPoint{by, by});
    }
    return PolylineOf(copy, false);
}

MemHandle BoxOutline(ObjectHandle object, Fixed inset, Fixed corner)
{
    FixRect box{};
    Model_GetField(object, Field::kBox, &box);
    Geom_InsetRect(&box, inset, inset);
    return TypedItem_NewRectOutline(box, kHighlightMode, corner);
}

void WedgeAngles(uint32_t kind, uint32_t orientation, int32_t* start, int32_t* end)
{
    static constexpr int32_t kind10[4][2] = {{90, 180}, {0, 90}, {270, 360}, {180, 270}};
    static constexpr int32_t kind11[4][2] = {{270, 360}, {180, 270}, {90, 180}, {0, 90}};
    const auto& row = (kind == 10 ? kind10 : kind11)[orientation & 3];
    *start = row[0];
    *end = row[1];
}

MemHandle WedgeArc(ObjectHandle object, uint32_t kind, Fixed grow)
{
    FixPoint a{}, b{};
    Model_GetField(object, Field::kStartOffset, &a);
    Model_GetField(object, Field::kEndOffset, &b);
    int32_t start = 0, end = 0;
    WedgeAngles(kind, Model_GetFieldValue(object, Field::kPath69), &start, &end);
    const Fixed rx = Fix_Add(Fix_Sub(Fix_Sub(b.x, a.x) < 0 ? Fix_Sub(a.x, b.x) : Fix_Sub(b.x, a.x), kFixedOne), grow);
    const Fixed ry = Fix_Add(Fix_Sub(Fix_Sub(b.y, a.y) < 0 ? Fix_Sub(a.y, b.y) : Fix_Sub(b.y, a.y), kFixedOne), grow);
    return TypedItem_NewArc(a.x, a.y, Fix_Twice(rx), Fix_Twice(ry), start, end, kHighlightMode);
}

void DrawHighlight(Widget window, ObjectHandle object)
{
    constexpr Fixed one = kFixedOne;
    int made = 0;
    const uint32_t kind = Model_GetFieldValue(object, Field::kShapeKind);
    switch (kind) {
    case 2:
        {
            FixPoint centre{};
            Model_GetField(object, Field::kPosition, &centre);
            const auto width = static_cast<Fixed>(Model_GetFieldValue(object, Field::kWidth));
            const auto height = static_cast<Fixed>(Model_GetFieldValue(object, Field::kHeight));
            for (Fixed d : {-2 * one, 2 * one}) {
                AddOutline(window,
                           TypedItem_NewEllipse(centre.x, centre.y, Fix_Add(width, d), Fix_Add(height, d),
                                                kHighlightMode),
                           &made);
            }
            break;
        }
    case 5:
    case 6:
        AddOutline(window, ScaledList(object, 68812), &made);
        AddOutline(window, ScaledList(object, 62259), &made);
        break;
    case 8:
        {
            const auto corner = static_cast<Fixed>(Model_GetFieldValue(object, Field::kRoundedness));
            AddOutline(window, BoxOutline(object, one, corner), &made);
            AddOutline(window, BoxOutline(object, -one, corner), &made);
            break;
        }
    case 9:
        AddOutline(window, MovedPath(object, one), &made);
        AddOutline(window, MovedPath(object, -one), &made);
        break;
    case 10:
    case 11:
        AddOutline(window, WedgeArc(object, kind, 0), &made);
        AddOutline(window, WedgeArc(object, kind, 2 * one), &made);
        break;
    default:
        AddOutline(window, BoxOutline(object, -one, 0), &made);
        AddOutline(window, BoxOutline(object, one, 0), &made);
        break;
    }
    if (made > 0) {
        Tracking().highlightShown = true;
    }
}

void EraseHighlight(Widget window)
{
    TrackState& tracking = Tracking();
    if (window != nullptr) {
        Cache_ClearList(window, kCacheFeedback, tracking.highlightShown ? 1 : 0);
    }
    tracking.highlightShown = false;
}

// The blink interval: 100 ms per step below 6; settings outside 1 to 5 are held within.
uint32_t BlinkInterval()
{
    int32_t blink = SettingsWord(kBlinkOffset, 1);
    blink = blink < 1 ? 1 : (blink > 5 ? 5 : blink);
    return static_cast<uint32_t>(100 * (6 - blink));
}

void BlinkStep(uint32_t, uint32_t);

void TrackUpdate(Transaction* record, Widget window, FixPoint point)
{
    TrackData& t = record->track;
    MemHandle item = Window_LocateAt(window, point, t.locateMask, t.locateFilter, t.locateFlags);
    if (item == 0) {
        if (t.currentObject != 0) {
            t.currentObject = 0;
            EraseHighlight(window);
            Timer_Stop(kBlinkTimer);
        }
        return;
    }
    if (TypedItem_Kind(item) == kItemObject) {
        const ObjectHandle object = TypedItem_Object(item);
        if (object != 0 && Window_IsHidden(object) == 0 && object != t.currentObject) {
            uint32_t scratch = 0;
            const bool refused = Hook_IsRegistered(kHookTrackable) != 0 &&
                                 Hook_Fire(kHookTrackable, object, reinterpret_cast<uintptr_t>(&scratch)) == 0;
            if (!refused) {
                EraseHighlight(window);
                t.currentObject = object;
                DrawHighlight(window, object);
                Timer_Start(kBlinkTimer, BlinkInterval(), 1, 1, BlinkStep, 0);
            }
        }
    }
    TypedItem_Free(item);
}

void BlinkStep(uint32_t, uint32_t)
{
    Transaction* record = Trans_Current();
    if (record == nullptr || !IsTrackState(record->state) || record->track.window == nullptr) {
        Timer_Stop(kBlinkTimer);
        return;
    }
    Widget window = record->track.window;
    FixPoint point{};
    Window_QueryPointerPosition(window, &point);
    TrackUpdate(record, window, point);
    if (record->track.currentObject != 0) {
        Tracking().blinkPhase = !Tracking().blinkPhase;
        Cache_Redraw(window, kCacheFeedback);
    }
}

void TrackEnd(Transaction* record)
{
    Timer_Stop(kBlinkTimer);
    EraseHighlight(record->track.window);
    record->track.currentObject = 0;
    Window_UnhideAll();
}

void StopHighlight(Transaction* record)
{
    Timer_Stop(kBlinkTimer);
    EraseHighlight(record->track.window);
}

// ---- page selection ----

void PageSelectEnd(Transaction* record)
{
    PageStructure_Hide();
    if (Widget back = record->pageSelect.returnWindow) {
        Window_Activate(back);
    }
}

void PostPageResult(Transaction* record)
{
    const PointerState none{};
    const Modifiers noModifiers{};
    Trans_Post(Event_NewObjectPick(&none, &noModifiers, record->pageSelect.chosenPage));
}

ObjectHandle PageOfLabel(MemHandle item)
{
    const MemHandle label = TypedItem_Payload(item);
    void* address = nullptr;
    if (label == 0 || Mem_Size(label) < sizeof(PageLabelRec) || Mem_Lock(label, &address) != kStatusOk ||
        address == nullptr) {
        return 0;
    }
    const ObjectHandle page = static_cast<const PageLabelRec*>(address)->owner;
    Mem_Unlock(label);
    return page;
}

void TextEnd(Transaction*)
{
    Text_LeaveEditing();
}

}  // namespace

KernelStatus Trans_BeginTrack(Widget window, int32_t messageId, uint32_t locateMask, uint32_t locateFilter,
                              uint32_t locateFlags)
{
    const KernelStatus status = Trans_NewState(21, 1, messageId, 1, 0, TrackEnd);
    TrackData& t = Trans_Current()->track;
    t = TrackData{};
    t.locateMask = locateMask;
    t.locateFilter = locateFilter;
    t.locateFlags = locateFlags;
    t.pickOnPress = 1;
    t.window = Trans_FeedbackWindow(window);
    Trans_Save();
    return status;
}

KernelStatus Trans_BeginPointPick(Widget window, int32_t messageId, int32_t cursor, int32_t pickOnPress,
                                  int32_t dragHeld)
{
    const KernelStatus status = Trans_NewState(22, dragHeld, messageId, cursor, 0, TrackEnd);
    TrackData& t = Trans_Current()->track;
    t = TrackData{};
    t.locateFilter = 0xfffff;
    t.pickOnPress = pickOnPress;
    t.window = Trans_FeedbackWindow(window);
    Trans_Save();
    return status;
}

ObjectHandle Trans_TrackedObject()
{
    const Transaction* record = Trans_Current();
    return record != nullptr && IsTrackState(record->state) ? record->track.currentObject : 0;
}

uint32_t Trans_HighlightShown()
{
    return Tracking().highlightShown ? 1 : 0;
}

TRANS_HANDLER(Track_Motion)
{
    (void)modifiers;
    record->track.lastPoint = {pointer->x, pointer->y};
    TrackUpdate(record, window, record->track.lastPoint);
    return 1;
}

TRANS_HANDLER(Track_Press)
{
    (void)window;
    TrackData& t = record->track;
    MemHandle event = 0;
    if (record->state == 22) {
        if (t.pickOnPress == 1) {
            event = Event_NewPointPick(pointer, &modifiers->flags, FixPoint{pointer->x, pointer->y});
        }
    } else if (t.currentObject != 0) {
        event = Event_NewObjectPick(pointer, &modifiers->flags, t.currentObject);
        StopHighlight(record);
    } else {
        event = Event_NewCancel();
    }
    return Trans_Post(event);
}

TRANS_HANDLER(Track_Release)
{
    (void)window;
    if (record->state == 22 && record->track.pickOnPress == 0) {
        Trans_Post(Event_NewPointPick(pointer, &modifiers->flags, FixPoint{pointer->x, pointer->y}));
    }
    return 1;
}

TRANS_HANDLER(Track_Key)
{
    (void)pointer;
    TrackData& t = record->track;
    if (modifiers->character == kEscape) {
        Trans_PostCancel();
        return 1;
    }
    if (modifiers->character != kSpace) {
        return 0;
    }
    if (t.currentObject != 0) {
        StopHighlight(record);
        Window_Hide(window, t.currentObject);
        Window_RefreshIndication(window);
        t.currentObject = 0;
        TrackUpdate(record, window, t.lastPoint);
    }
    return 1;
}

KernelStatus Trans_BeginPageSelect(int32_t messageId, ObjectHandle page)
{
    if (Hook_IsRegistered(kHookPageSelect) != 0 && Hook_Fire(kHookPageSelect) == 0) {
        Trans_Save();
        return kStatusOk;
    }
    Widget current = Window_Current();
    if (current != nullptr) {
        Window_SetIndication(current, 0);
    }
    StatusBar_ShowString(messageId);
    const uint32_t form = SettingsWord(kStructureStyleOffset, 0) == 1 ? 5 : 4;
    Widget structure = nullptr;
    KernelStatus status = PageStructure_Show(form, page, &structure);
    if (status == kStatusOk && structure != nullptr) {
        Window_Activate(structure);
    }
    const KernelStatus stateStatus = Trans_NewState(41, 0, messageId, 1, 0, PageSelectEnd);
    Transaction* record = Trans_Current();
    record->pageSelect.chosenPage = 0;
    record->pageSelect.returnWindow = current;
    Trans_Save();
    return status != kStatusOk ? status : stateStatus;
}

TRANS_HANDLER(PageSelect_Release)
{
    (void)modifiers;
    const uint32_t kind = Window_Kind(window);
    if (kind == 4 || kind == 5) {
        MemHandle item = Cache_Locate(window, kCacheAllLists, FixPoint{pointer->x, pointer->y});
        if (item != 0) {
            if (TypedItem_Kind(item) == kItemPageLabel) {
                record->pageSelect.chosenPage = PageOfLabel(item);
                PostPageResult(record);
            }
            TypedItem_Free(item);
        }
    } else {
        PostPageResult(record);
    }
    return 1;
}

TRANS_HANDLER(PageSelect_Key)
{
    (void)window;
    (void)pointer;
    if (modifiers->character != kEscape) {
        return 0;
    }
    PostPageResult(record);
    return 1;
}

KernelStatus Trans_BeginText(uint32_t, uint32_t withArgument)
{
    return Trans_NewState(withArgument != 0 ? 24 : 27, 0, 9999, 0, 0, nullptr);
}

KernelStatus Trans_BeginTextEdit(ObjectHandle object)
{
    const KernelStatus status = Trans_NewState(25, 0, 9999, 16, 1, TextEnd);
    Text_StartEdit(object);
    if (Widget window = Window_OfPage(Model_GetPage(object))) {
        Window_SetIndication(window, 0);
    }
    Trans_Save();
    return status;
}

void Trans_PostIdleText(uint32_t block)
{
    if (Trans_GetState() != 1) {
        return;
    }
    const PointerState none{};
    const Modifiers noModifiers{};
    Trans_Post(Event_NewHandleCopyPick(&none, &noModifiers, block));
    Comm_ProcessEvents();
}
