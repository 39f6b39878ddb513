// The "status" widget class: segments of text on one line, inverse video for
// title bars, a mouse-down callback.
#include "xkv/platform/xwindows/PlStatusP.h"

#include <X11/StringDefs.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

namespace {

constexpr Dimension kRealizeWidth = 1200;

StatusWidget AsStatus(Widget widget)
{
    if (widget == nullptr || !XtIsSubclass(widget, statusWidgetClass)) {
        return nullptr;
    }
    return reinterpret_cast<StatusWidget>(widget);
}

int ClampToShort(int32_t value)
{
    return std::clamp<int32_t>(value, SHRT_MIN, SHRT_MAX);
}

int TextWidth(XFontStruct* font, const std::string& text)
{
    if (font == nullptr || text.empty()) {
        return 0;
    }
    int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    return XTextWidth(font, text.data(), length);
}

void StatusInitialize(Widget, Widget created, ArgList, Cardinal*)
{
    StatusWidget w = reinterpret_cast<StatusWidget>(created);
    StatusPart& s = w->status;
    s.segments = new std::vector<StatusSegment>(s.stringCount);
    int ascent = s.font != nullptr ? s.font->max_bounds.ascent : 0;
    int descent = s.font != nullptr ? s.font->max_bounds.descent : 0;
    w->core.height = static_cast<Dimension>(std::max(1, ascent + descent));
    w->core.width = std::max<Dimension>(1, s.min_width);
    if (s.reverseVideo) {
        std::swap(w->core.background_pixel, s.foreground);
    }
    XGCValues values{};
    values.foreground = s.foreground;
    values.background = w->core.background_pixel;
    XtGCMask mask = GCForeground | GCBackground;
    if (s.font != nullptr) {
        values.font = s.font->fid;
        mask |= GCFont;
    }
    s.gc = XtGetGC(created, mask, &values);
    s.inverse_gc = nullptr;
    if (s.stringCount < 2) {
        std::swap(values.foreground, values.background);
        s.inverse_gc = XtGetGC(created, mask, &values);
    }
    s.mouse_down_callback = nullptr;
    s.inverse = False;
}

void StatusRealize(Widget widget, XtValueMask* mask, XSetWindowAttributes* attributes)
{
    StatusWidget w = reinterpret_cast<StatusWidget>(widget);
    if (w->core.width < kRealizeWidth) {
        w->core.width = kRealizeWidth;
    }
    XtCreateWindow(widget, InputOutput, CopyFromParent, *mask, attributes);
    w->core.width = std::max<Dimension>(1, w->status.min_width);
}

void StatusExpose(Widget widget, XEvent*, Region)
{
    StatusWidget w = reinterpret_cast<StatusWidget>(widget);
    if (!XtIsRealized(widget)) {
        return;
    }
    StatusPart& s = w->status;
    Display* display = XtDisplay(widget);
    Window window = XtWindow(widget);
    bool inverse = s.inverse && s.inverse_gc != nullptr;
    if (inverse) {
        XFillRectangle(display, window, s.gc, 0, 0, kRealizeWidth, w->core.height);
    }
    int baseline = s.font != nullptr ? s.font->max_bounds.ascent : 0;
    for (const StatusSegment& segment : *s.segments) {
        if (segment.text.empty()) {
            continue;
        }
        int length = static_cast<int>(std::min<size_t>(segment.text.size(), SHRT_MAX));
        XDrawString(display, window, inverse ? s.inverse_gc : s.gc, ClampToShort(segment.x), baseline,
                    segment.text.data(), length);
    }
    XFlush(display);
}

void StatusRedraw(StatusWidget w)
{
    Widget widget = reinterpret_cast<Widget>(w);
    if (!XtIsRealized(widget)) {
        return;
    }
    if (!(w->status.inverse && w->status.inverse_gc != nullptr)) {
        XClearWindow(XtDisplay(widget), XtWindow(widget));
    }
    StatusExpose(widget, nullptr, nullptr);
}

void StatusDestroy(Widget widget)
{
    StatusWidget w = reinterpret_cast<StatusWidget>(widget);
    XtReleaseGC(widget, w->status.gc);
    if (w->status.inverse_gc != nullptr) {
        XtReleaseGC(widget, w->status.inverse_gc);
    }
    delete w->status.segments;
    w->status.segments = nullptr;
}

void StatusMouseDown(Widget widget, XEvent*, String*, Cardinal*)
{
    StatusWidget w = reinterpret_cast<StatusWidget>(widget);
    if (w->status.mouse_down_callback != nullptr) {
        w->status.mouse_down_callback(widget);
    }
}

#define STATUS_OFFSET(field) static_cast<Cardinal>(offsetof(StatusRec, status.field))

XtResource resources[] = {
    {const_cast<String>(XtNforeground), const_cast<String>(XtCForeground), const_cast<String>(XtRPixel),
     sizeof(Pixel), STATUS_OFFSET(foreground), const_cast<String>(XtRString),
     const_cast<char*>(XtDefaultForeground)},
    {const_cast<String>("min_width"), const_cast<String>("Min_width"), const_cast<String>(XtRDimension),
     sizeof(Dimension), STATUS_OFFSET(min_width), const_cast<String>(XtRImmediate), reinterpret_cast<XtPointer>(40)},
    {const_cast<String>("stringCount"), const_cast<String>("StringCount"), const_cast<String>(XtRDimension),
     sizeof(Dimension), STATUS_OFFSET(stringCount), const_cast<String>(XtRImmediate), reinterpret_cast<XtPointer>(4)},
    {const_cast<String>(XtNfont), const_cast<String>(XtCFont), const_cast<String>(XtRFontStruct),
     sizeof(XFontStruct*), STATUS_OFFSET(font), const_cast<String>(XtRString), const_cast<char*>(XtDefaultFont)},
    {const_cast<String>(XtNreverseVideo), const_cast<String>(XtCReverseVideo), const_cast<String>(XtRBool),
     sizeof(Bool), STATUS_OFFSET(reverseVideo), const_cast<String>(XtRImmediate), reinterpret_cast<XtPointer>(False)},
};

XtActionsRec actions[] = {
    {const_cast<String>("mousedown"), StatusMouseDown},
};

char translations[] = "<Btn1Down>:\tmousedown()";

} // namespace

StatusClassRec statusClassRec = {
    {
        /* superclass            */ reinterpret_cast<WidgetClass>(&widgetClassRec),
        /* class_name            */ const_cast<String>("status"),
        /* widget_size           */ sizeof(StatusRec),
        /* class_initialize      */ nullptr,
        /* class_part_initialize */ nullptr,
        /* class_inited          */ False,
        /* initialize            */ StatusInitialize,
        /* initialize_hook       */ nullptr,
        /* realize               */ StatusRealize,
        /* actions               */ actions,
        /* num_actions           */ XtNumber(actions),
        /* resources             */ resources,
        /* num_resources         */ XtNumber(resources),
        /* xrm_class             */ NULLQUARK,
        /* compress_motion       */ False,
        /* compress_exposure     */ XtExposeCompressSeries,
        /* compress_enterleave   */ True,
        /* visible_interest      */ False,
        /* destroy               */ StatusDestroy,
        /* resize                */ nullptr,
        /* expose                */ StatusExpose,
        /* set_values            */ nullptr,
        /* set_values_hook       */ nullptr,
        /* set_values_almost     */ XtInheritSetValuesAlmost,
        /* get_values_hook       */ nullptr,
        /* accept_focus          */ nullptr,
        /* version               */ XtVersion,
        /* callback_private      */ nullptr,
        /* tm_table              */ translations,
        /* query_geometry        */ XtInheritQueryGeometry,
        /* display_accelerator   */ XtInheritDisplayAccelerator,
        /* extension             */ nullptr,
    },
    {0},
};

WidgetClass statusWidgetClass = reinterpret_cast<WidgetClass>(&statusClassRec);

void Status_SetString(Widget widget, const char* text, int index, int32_t x)
{
    StatusWidget w = AsStatus(widget);
    if (w == nullptr || index < 0 || index >= static_cast<int>(w->status.segments->size())) {
        return;
    }
    StatusSegment& segment = (*w->status.segments)[static_cast<size_t>(index)];
    auto value = reinterpret_cast<uintptr_t>(text);
    if (text == nullptr) {
        segment.text.clear();
    } else if (value > 100) {
        segment.text.assign(text);
        if (w->status.stringCount >= 2 && segment.text.size() > kStatusSegmentMax) {
            segment.text.resize(kStatusSegmentMax);
        }
    }
    segment.x = x;
    StatusRedraw(w);
}

const char* Status_GetString(Widget widget, int index)
{
    StatusWidget w = AsStatus(widget);
    if (w == nullptr || index < 0 || index >= static_cast<int>(w->status.segments->size())) {
        return nullptr;
    }
    const std::string& text = (*w->status.segments)[static_cast<size_t>(index)].text;
    return text.empty() ? nullptr : text.c_str();
}

uint16_t Status_TextWidth(Widget widget, int index)
{
    StatusWidget w = AsStatus(widget);
    if (w == nullptr || index < 0 || index >= static_cast<int>(w->status.segments->size())) {
        return 0;
    }
    return static_cast<uint16_t>(TextWidth(w->status.font, (*w->status.segments)[static_cast<size_t>(index)].text));
}

uint16_t Status_StringWidth(Widget widget, const char* text)
{
    StatusWidget w = AsStatus(widget);
    if (w == nullptr || text == nullptr) {
        return 0;
    }
    return static_cast<uint16_t>(TextWidth(w->status.font, text));
}

void Status_SetInverse(Widget widget, int on)
{
    StatusWidget w = AsStatus(widget);
    if (w == nullptr) {
        return;
    }
    Boolean flag = on != 0 ? True : False;
    if (flag == w->status.inverse) {
        return;
    }
    w->status.inverse = flag;
    if (XtIsRealized(widget)) {
        if (!flag) {
            XClearWindow(XtDisplay(widget), XtWindow(widget));
        }
        StatusExpose(widget, nullptr, nullptr);
    }
}

void Status_SetCallback(Widget widget, StatusMouseDownProc proc)
{
    if (StatusWidget w = AsStatus(widget)) {
        w->status.mouse_down_callback = proc;
    }
}

Dimension Status_GetMinWidth(Widget widget)
{
    StatusWidget w = AsStatus(widget);
    return w != nullptr ? w->status.min_width : 0;
}
