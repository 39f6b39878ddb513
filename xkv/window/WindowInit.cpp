// Start-up of the page-window module and its shared drawing resources: the
// Diagram callbacks, the zoom factors, the four graphics contexts with the
// 50 % checker stipple, the image rendering context, the clip list that
// restricts a repair to the damaged rectangles, frame drawing and the test
// whether an object is drawn at all.
#include <X11/Xutil.h>
#include <X11/Xregion.h>
#include <wraster.h>

#include <algorithm>
#include <vector>

#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/text/TextKernel.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr uint32_t kFlagNotDrawn = 1;
constexpr uint32_t kFlagNoDescendants = 4;
constexpr uint32_t kPropPreferences = 18;
constexpr unsigned kStippleSize = 16;

struct ClipList {
    std::vector<FixRect> rects;
    bool set = false;
};

ClipList& Clips()
{
    static ClipList clips;
    return clips;
}

RContext*& ImageContext()
{
    static RContext* context = nullptr;
    return context;
}

// The checker stipple: rows of (width + 7) / 8 bytes, 0xAA on even rows and
// 0x55 on odd rows.
Pixmap MakeStipple(Display* display, Window root)
{
    unsigned width = kStippleSize, height = kStippleSize;
    XQueryBestStipple(display, root, kStippleSize, kStippleSize, &width, &height);
    if (width == 0 || height == 0) {
        return 0;
    }
    size_t rowBytes = (width + 7) / 8;
    std::vector<char> bits(rowBytes * height);
    for (unsigned row = 0; row < height; ++row) {
        std::fill_n(bits.begin() + static_cast<ptrdiff_t>(row * rowBytes), rowBytes,
                    static_cast<char>(row % 2 == 0 ? 0xAA : 0x55));
    }
    return XCreateBitmapFromData(display, root, bits.data(), width, height);
}

bool ConnectorsFirst()
{
    struct {
        uint8_t changed[24];
        uint32_t words[9];
    } preferences{};
    return Default_Get(0, kDefaultLevelNew, kPropPreferences, &preferences) == kStatusOk && preferences.words[0] != 0;
}

struct CollectState {
    GroupNumber group;
};

KernelStatus CollectForRepair(ObjectHandle object, void* argument)
{
    auto* state = static_cast<CollectState*>(argument);
    const ClipList& clips = Clips();
    if (!clips.set || clips.rects.empty()) {
        Group_Add(state->group, object);
    } else {
        for (const FixRect& rect : clips.rects) {
            if (Model_OverlapsRect(object, &rect)) {
                if (!Model_HasFlags(object, kFlagNotDrawn)) {
                    Group_Add(state->group, object);
                }
                break;
            }
        }
    }
    return Model_HasFlags(object, kFlagNoDescendants) ? kStatusSkipSubtree : kStatusOk;
}

void DiagramRepair(Widget widget, Region region, int mode)
{
    Window_RepairRegion(widget, region, mode);
}

}  // namespace

KernelStatus Window_Init()
{
    Diagram_SetCallback(kDiagramRepair, reinterpret_cast<DiagramAnyProc>(DiagramRepair));
    Diagram_SetCallback(kDiagramPick, reinterpret_cast<DiagramAnyProc>(&Window_Pick));
    Diagram_SetCallback(kDiagramIndicate, reinterpret_cast<DiagramAnyProc>(&Window_IndicateArrived));
    Diagram_SetCallback(kDiagramScrolled, reinterpret_cast<DiagramAnyProc>(&Window_OnScrolled));
    Diagram_SetCallback(kDiagramInput, reinterpret_cast<DiagramAnyProc>(&Trans_WindowEvent));
    Diagram_SetCallback(kDiagramVirtualBox, reinterpret_cast<DiagramAnyProc>(&Window_Resized));
    WindowModule& m = Window_Module();
    m.zoomX = kFixedOne;
    m.zoomY = kFixedOne;
    Window_ResetIndication();
    return kStatusOk;
}

void Window_MakeGCs()
{
    WindowModule& m = Window_Module();
    Display* display = Window_Display();
    if (display == nullptr || (m.lineGC != nullptr && m.display == display)) {
        return;
    }
    m.display = display;
    m.structure = PageWindow{};
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);

    m.clearGC = DefaultGC(display, screen);
    XGCValues values{};
    values.foreground = Text_ForegroundPixel();
    values.background = Text_BackgroundPixel();
    values.join_style = JoinBevel;
    XChangeGC(display, m.clearGC, GCForeground | GCBackground | GCJoinStyle, &values);

    values.foreground = m.foreground;
    values.background = m.background;
    values.join_style = JoinBevel;
    m.lineGC = XCreateGC(display, root, GCForeground | GCBackground | GCJoinStyle, &values);
    values.fill_style = FillTiled;
    m.fillGC = XCreateGC(display, root, GCForeground | GCBackground | GCJoinStyle | GCFillStyle, &values);

    m.stipple = MakeStipple(display, root);
    XGCValues drawable{};
    unsigned long mask = GCFunction | GCForeground | GCBackground;
    drawable.function = GXxor;
    drawable.foreground = m.foreground ^ m.background;
    drawable.background = m.foreground & m.background;
    if (XFontStruct* font = XLoadQueryFont(display, Velkor_Settings().pageStructureFont)) {
        drawable.font = font->fid;
        mask |= GCFont;
        XFreeFontInfo(nullptr, font, 1);
    }
    if (m.stipple != 0) {
        drawable.stipple = m.stipple;
        mask |= GCStipple;
    }
    m.drawableGC = XCreateGC(display, root, mask, &drawable);
    Window_ForgetObjectGCState();
    Window_ForgetDrawableGCState();
}

void Window_InitImageContext()
{
    RContext*& context = ImageContext();
    static Display* contextDisplay = nullptr;
    Display* display = Window_Display();
    if ((context != nullptr && contextDisplay == display) || display == nullptr) {
        return;
    }
    contextDisplay = display;
    RContextAttributes attributes{};
    attributes.flags = RC_RenderMode | RC_ColorsPerChannel;
    attributes.render_mode = RDitheredRendering;
    attributes.colors_per_channel = 4;
    context = RCreateContext(display, DefaultScreen(display), &attributes);
}

RContext* Window_ImageContext()
{
    Window_InitImageContext();
    return ImageContext();
}

GC Window_ClearGC()
{
    return Window_Module().clearGC;
}
GC Window_LineGC()
{
    return Window_Module().lineGC;
}
GC Window_FillGC()
{
    return Window_Module().fillGC;
}
GC Window_DrawableGC()
{
    return Window_Module().drawableGC;
}
Pixel Window_ForegroundPixel()
{
    return Window_Module().foreground;
}
Pixel Window_BackgroundPixel()
{
    return Window_Module().background;
}

void ClipList_Set(Widget widget, const XRectangle* rects, uint16_t n)
{
    ClipList& clips = Clips();
    clips.rects.clear();
    clips.rects.reserve(n);
    for (uint16_t i = 0; i < n; ++i) {
        FixRect page;
        Window_PixelRectToPage(widget, {rects[i].x, rects[i].y, rects[i].width, rects[i].height}, &page);
        clips.rects.push_back(page);
    }
    clips.set = true;
}

void ClipList_SetFromRegion(Widget widget, Region region)
{
    if (region == nullptr) {
        return;
    }
    // The region's own boxes, read through the installed region layout.
    const REGION* boxes = region;
    std::vector<XRectangle> rects;
    rects.reserve(static_cast<size_t>(std::max<long>(boxes->numRects, 0)));
    for (long i = 0; i < boxes->numRects && rects.size() < UINT16_MAX; ++i) {
        const BOX& b = boxes->rects[i];
        rects.push_back({b.x1, b.y1, static_cast<unsigned short>(b.x2 - b.x1), static_cast<unsigned short>(b.y2 - b.y1)});
    }
    ClipList_Set(widget, rects.data(), static_cast<uint16_t>(rects.size()));
}

void ClipList_Free()
{
    ClipList& clips = Clips();
    clips.rects.clear();
    clips.set = false;
}

uint32_t ClipList_IsSet()
{
    return Clips().set ? 1 : 0;
}

KernelStatus ClipList_Collect(ObjectHandle page, GroupNumber* out)
{
    *out = 0;
    GroupNumber group = Group_New();
    if (group == 0) {
        return kStatusNoModelMap;
    }
    CollectState state{group};
    bool connectorsFirst = ConnectorsFirst();
    KernelStatus status = connectorsFirst ? Model_WalkConnectors(page, CollectForRepair, &state)
                                          : Model_WalkNodes(page, CollectForRepair, &state);
    if (status == kStatusOk) {
        status = connectorsFirst ? Model_WalkNodes(page, CollectForRepair, &state)
                                 : Model_WalkConnectors(page, CollectForRepair, &state);
    }
    if (status != kStatusOk) {
        Group_Free(group);
        return status;
    }
    *out = group;
    return kStatusOk;
}

void Window_DrawFrameRect(Drawable drawable, const PixelRect& rect)
{
    XDrawRectangle(Window_Display(), drawable, Window_LineGC(), Map_ClampCoord(rect.x), Map_ClampCoord(rect.y),
                   Map_ClampLength(rect.width), Map_ClampLength(rect.height));
}

void Window_DrawFrameArc(Drawable drawable, const PixelRect& rect, int32_t start, int32_t end)
{
    int32_t extent = end > start ? end - start : end + 360 - start;
    XDrawArc(Window_Display(), drawable, Window_LineGC(), Map_ClampCoord(rect.x), Map_ClampCoord(rect.y),
             Map_ClampLength(rect.width), Map_ClampLength(rect.height), start * 64, extent * 64);
}

void Window_DrawFrameLines(Widget widget, const PixelPoint* points, size_t n)
{
    if (n == 0 || Window_XWindow(widget) == 0) {
        return;
    }
    std::vector<XPoint> xpoints(n);
    for (size_t i = 0; i < n; ++i) {
        xpoints[i] = {Map_ClampCoord(points[i].x), Map_ClampCoord(points[i].y)};
    }
    XDrawLines(Window_Display(), Window_XWindow(widget), Window_LineGC(), xpoints.data(), static_cast<int>(n),
               CoordModeOrigin);
}

uint32_t Window_IsDrawnObject(ObjectHandle object)
{
    if (Model_HasFlags(object, kFlagNotDrawn)) {
        return 0;
    }
    for (ObjectHandle o = object; Model_IsRegion(o);) {
        ObjectHandle owner = Model_GetRegionOwner(o);
        if (owner == 0) {
            break;
        }
        if (Model_HasFlags(owner, kFlagNoDescendants)) {
            return 0;
        }
        o = owner;
    }
    return 1;
}
