// QX page-window views: display size, scroll permission and scroll bars,
// window and scroll origins, the pointer, page origins and the page a window
// shows. Coordinates are interface units.
#include "xkv/kv/QXUtil.h"

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/model/Model.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kFlagNoScroll = 256;
constexpr uint32_t kFlagNoScrollBarsBit = 1024;
constexpr FieldId kPageOrigin = 53;
constexpr KernelStatus kStatusNoWindow = 72;

// The top-left corner of what a window shows, in interface units.
uint32_t ViewOrigin(Widget window, int32_t* x, int32_t* y)
{
    FixRect visible{};
    if (window == nullptr || Window_VisibleRect(window, &visible) != kStatusOk) {
        return 0;
    }
    if (x != nullptr) *x = QXUtil_FixedToInt(visible.left);
    if (y != nullptr) *y = QXUtil_FixedToInt(visible.top);
    return 1;
}

}  // namespace

uint32_t QXWin_GetDisplaySize(int32_t* width, int32_t* height)
{
    const VelkorSettings& s = Velkor_Settings();
    if (width != nullptr) *width = s.screenWidth;
    if (height != nullptr) *height = s.screenHeight;
    return 1;
}

uint32_t QXWin_SetScrollable(ObjectHandle page, uint32_t on)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (KernelStatus s = Model_SetFlags(page, kFlagNoScroll, on != 0 ? 0 : 1); s != kStatusOk) {
        return qx::Fail(s);
    }
    return qx::Store(Window_SetAllowScroll(page, on != 0 ? 1 : 0));
}

uint32_t QXWin_SetScrollBars(ObjectHandle page, uint32_t on)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (KernelStatus s = Model_SetFlags(page, kFlagNoScrollBarsBit, on != 0 ? 0 : 1); s != kStatusOk) {
        return qx::Fail(s);
    }
    return qx::Store(Window_SetScrollBars(page, on != 0 ? 1 : 0));
}

uint32_t QXWin_GetWindowOrigin(ObjectHandle page, int32_t* x, int32_t* y)
{
    return Model_IsPage(page) ? ViewOrigin(Window_OfPage(page), x, y) : 0;
}

uint32_t QXWin_GetVisibleRect(ObjectHandle page, FixRect* rect)
{
    if (!Model_IsPage(page) || rect == nullptr) {
        return 0;
    }
    Widget window = Window_OfPage(page);
    return window != nullptr && Window_VisibleRect(window, rect) == kStatusOk ? 1 : 0;
}

uint32_t QXWin_GetOrigin(int32_t* x, int32_t* y)
{
    if (ViewOrigin(Comm_GetCurrentWindow(), x, y) == 0) {
        return qx::Fail(kStatusNoWindow);
    }
    return 1;
}

uint32_t QXWin_WarpPointer(int32_t x, int32_t y)
{
    Widget window = Comm_GetCurrentWindow();
    if (window == nullptr) {
        return qx::Fail(kStatusNoWindow);
    }
    Window_WarpPointer(window, nullptr, FixPoint{QXUtil_IntToFixed(x), QXUtil_IntToFixed(y)});
    return 1;
}

uint32_t QXUtil_SetPageOrigin(ObjectHandle page, int32_t x, int32_t y)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotNodes);
    }
    const FixPoint point{QXUtil_IntToFixed(x), QXUtil_IntToFixed(y)};
    if (Widget window = Window_OfPage(page)) {
        return qx::Store(Window_ScrollToPoint(window, point));
    }
    if (KernelStatus s = Model_SetField(page, kPageOrigin, &point); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

ObjectHandle QXWin_OfPage(Widget window)
{
    return window != nullptr ? Window_Page(window) : 0;
}
