// Pointer control of page windows (warps remembered as anchors so that later
// events are corrected until a warp's echo arrives, and pointer queries) and
// the page structure window, which shows the page hierarchy as a tree or an
// outline of page labels.
#include <X11/Intrinsic.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "xkv/cache/Cache.h"
#include "xkv/item/TypedItem.h"
#include "xkv/model/Model.h"
#include "xkv/pagelist/PageList.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/types/Geometry.h"
#include "xkv/window/PageStructureInternal.h"

namespace {

// ---- Pointer anchors ----

struct Anchor {
    int32_t x, y, dx, dy;
};

constexpr int kAnchorCount = 13;
constexpr int kLastAnchorIndexForAdding = 11;

struct Anchors {
    std::array<Anchor, kAnchorCount> entries{};
    int last = -1;
};

Anchors& AnchorTable()
{
    static Anchors anchors;
    return anchors;
}

// ---- Page structure window ----

constexpr FontSpec kLabelFont{3, 14, 2};

struct StructureState {
    FixRect highlight{};
    bool hasHighlight = false;
};

StructureState& Structure()
{
    static StructureState state;
    return state;
}

const char* TitleOf(uint32_t form)
{
    return form == kWindowKindStructureOutline ? "Page Structure Outline" : "Page Structure Tree";
}

struct LayoutAdder {
    Widget widget;
    uint32_t form;
    ObjectHandle highlighted;
    const PageListEntry* entries;
    uint32_t count;
    FixRect box{};
    bool hasBox = false;
};

void AddEntry(LayoutAdder* adder, const PageListEntry& entry)
{
    char name[kPageNameSize] = {};
    Model_GetPageName(entry.page, name);
    auto number = static_cast<int32_t>(Model_GetFieldValue(entry.page, Field::kPageNumber));
    FixPoint at{entry.x, entry.y};
    uint32_t layout = adder->form == kWindowKindStructureTree ? 1 : 0;
    MemHandle label = TypedItem_NewPageLabel(layout, at, &kLabelFont, name, entry.characters, number, entry.page);
    if (label == 0) {
        return;
    }
    FixRect extent;
    TypedItem_GetExtent(label, &extent);
    Cache_AddDrawable(adder->widget, kCacheStructure, label, 0);
    if (!adder->hasBox) {
        adder->box = extent;
        adder->hasBox = true;
    } else {
        Geom_RectUnion(&adder->box, extent);
    }
    if (entry.page == adder->highlighted) {
        if (MemHandle outline = TypedItem_NewRectOutline(extent, 0, 0)) {
            Cache_AddDrawable(adder->widget, kCacheStructure, outline, 0);
        }
        Structure().highlight = extent;
        Structure().hasHighlight = true;
    }
    if (adder->form == kWindowKindStructureTree && entry.parent >= 0 &&
        static_cast<uint32_t>(entry.parent) < adder->count) {
        const PageListEntry& parent = adder->entries[entry.parent];
        if (MemHandle segment = TypedItem_NewSegment(at, {parent.x, parent.y}, 0)) {
            Cache_AddDrawable(adder->widget, kCacheStructure, segment, 0);
        }
    }
}

}  // namespace

void Window_WarpPointer(Widget widget, const FixPoint* anchor, FixPoint target)
{
    if (widget == nullptr) {
        return;
    }
    int32_t x = 0, y = 0;
    Window_PageToPixel(widget, target, &x, &y);
    Anchors& anchors = AnchorTable();
    if (anchor != nullptr && anchors.last <= kLastAnchorIndexForAdding) {
        int32_t ax = 0, ay = 0;
        Window_PageToPixel(widget, *anchor, &ax, &ay);
        anchors.entries[++anchors.last] = {x, y, x - ax, y - ay};
    }
    Display* display = XtDisplay(widget);
    XWarpPointer(display, 0, XtWindow(widget), 0, 0, 0, 0, Map_ClampCoord(x), Map_ClampCoord(y));
    XSync(display, False);
    Window_SendButtonMotion(widget, x, y);
    XSync(display, False);
    Window_BeginDrag(widget);
}

Status Window_SendButtonMotion(Widget widget, int32_t x, int32_t y)
{
    XEvent event{};
    event.xmotion.type = MotionNotify;
    event.xmotion.send_event = True;
    event.xmotion.display = XtDisplay(widget);
    event.xmotion.window = XtWindow(widget);
    event.xmotion.x = Map_ClampCoord(x);
    event.xmotion.y = Map_ClampCoord(y);
    event.xmotion.state = Button1Mask;
    event.xmotion.same_screen = True;
    return XSendEvent(XtDisplay(widget), XtWindow(widget), False, Button1MotionMask, &event);
}

uint32_t Window_AdjustEvent(Widget, XtPointer, XEvent* event)
{
    Anchors& anchors = AnchorTable();
    if (anchors.last < 0) {
        return 0;
    }
    int* ex = nullptr;
    int* ey = nullptr;
    switch (event->type) {
    case KeyPress:
    case KeyRelease:
        ex = &event->xkey.x;
        ey = &event->xkey.y;
        break;
    case ButtonPress:
    case ButtonRelease:
        ex = &event->xbutton.x;
        ey = &event->xbutton.y;
        break;
    case MotionNotify:
        ex = &event->xmotion.x;
        ey = &event->xmotion.y;
        break;
    default:
        return 0;
    }
    int32_t sumX = 0, sumY = 0;
    int match = -1;
    for (int i = 0; i <= anchors.last; ++i) {
        sumX += anchors.entries[i].dx;
        sumY += anchors.entries[i].dy;
        if (anchors.entries[i].x == *ex && anchors.entries[i].y == *ey) {
            match = i;
            break;
        }
    }
    if (event->type != MotionNotify || match < 0) {
        *ex += sumX;
        *ey += sumY;
        return 0;
    }
    if (event->xmotion.send_event) {
        int remaining = anchors.last - match;
        std::copy_n(anchors.entries.begin() + match + 1, remaining, anchors.entries.begin());
        anchors.last = remaining - 1;
    }
    return 1;
}

void PageStructure_ComputeOrigin(PageWindow* record)
{
    int32_t width = 0, height = 0;
    Window_DrawingSize(record->widget, &width, &height);
    int32_t w = std::max(record->contentWidth, width);
    int32_t h = std::max(record->contentHeight, height);
    int32_t ox = std::min((width - w) >> 1, 0);
    int32_t oy = std::min((height - h) >> 1, 0);
    const StructureState& state = Structure();
    if (state.hasHighlight) {
        int32_t left = state.highlight.left >> 15, top = state.highlight.top >> 15;
        int32_t right = state.highlight.right >> 15, bottom = state.highlight.bottom >> 15;
        if (left < -ox) {
            ox = -left;
        }
        if (top < -oy) {
            oy = -top;
        }
        if (right > width - ox) {
            ox = width - right;
        }
        if (bottom > height - oy) {
            oy = height - bottom;
        }
    }
    record->originX = ox;
    record->originY = oy;
}

KernelStatus PageStructure_Show(uint32_t form, ObjectHandle highlighted, Widget* out)
{
    Window_FlushDrawQueue(Window_Current());
    PageWindow& record = Window_Module().structure;
    bool retitle = false;
    if (record.inUse == 1 || record.inUse == kRecordWithdrawn) {
        if (record.kind != form) {
            record.kind = form;
            retitle = true;
        }
        Window_Map(record.widget, 0);
        Window_SuspendDrawing(record.widget);
        Cache_ClearList(record.widget, kCacheAllLists, 1);
        Window_ResumeDrawing(record.widget);
        Window_ClearPage(record.widget);
    } else {
        Widget widget = nullptr;
        KernelStatus status = Window_CreateShell(&widget, 0, 0, nullptr, 1);
        if (status != kStatusOk) {
            return status;
        }
        record = PageWindow{};
        record.kind = form;
        record.inUse = 1;
        record.widget = widget;
        retitle = true;
    }
    if (out != nullptr) {
        *out = record.widget;
    }
    Structure() = StructureState{};

    MemHandle layout = 0;
    uint32_t mode = form == kWindowKindStructureOutline ? kPageLayoutOutline : kPageLayoutTree;
    KernelStatus status = PageList_Layout(mode, &kLabelFont, &layout);
    if (status != kStatusOk) {
        return status;
    }
    PageListEntry* entries = nullptr;
    uint32_t count = PageList_EntryCount(layout);
    LayoutAdder adder{record.widget, form, highlighted, nullptr, count};
    if (count > 0 && PageList_Lock(layout, &entries) == kStatusOk) {
        adder.entries = entries;
        for (uint32_t i = 0; i < count; ++i) {
            AddEntry(&adder, entries[i]);
        }
        PageList_Unlock(layout);
    }
    PageList_Free(layout);
    if (retitle) {
        Window_SetTitleString(record.widget, TitleOf(form));
    }
    record.contentWidth = static_cast<int32_t>(((int64_t{adder.box.right} + adder.box.left) >> 15) + 10);
    record.contentHeight = static_cast<int32_t>(((int64_t{adder.box.bottom} + adder.box.top) >> 15) + 10);
    PageStructure_ComputeOrigin(&record);
    Diagram_SetVirtualArea(record.widget, static_cast<uint16_t>(Map_ClampCoord(record.originX)),
                           static_cast<uint16_t>(Map_ClampCoord(record.originY)), Map_ClampLength(record.contentWidth),
                           Map_ClampLength(record.contentHeight));
    return kStatusOk;
}

KernelStatus PageStructure_Hide()
{
    PageWindow& record = Window_Module().structure;
    record.inUse = kRecordWithdrawn;
    // The labels are laid out afresh when the window is shown again; kept
    // while it is withdrawn they would outlive the program.
    if (record.widget != nullptr)
        Cache_ClearList(record.widget, kCacheAllLists, 0);
    return Window_Map(record.widget, 1);
}

Widget PageStructure_Widget()
{
    const PageWindow& record = Window_Module().structure;
    return record.inUse != 0 ? record.widget : nullptr;
}
