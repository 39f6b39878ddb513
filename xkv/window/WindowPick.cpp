// Events that page windows hand to the command layer: a click on a window's
// title bar becomes a window pick, and the pointer's state is read as a page
// position with its buttons. (Kept apart from the toolkit header, whose
// Modifiers type clashes with the kernel event record's.)
#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/kv/Hook.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/WindowInternal.h"

namespace {

constexpr HookId kHookWindowPick = 57;

}  // namespace

void Window_Pick(Widget widget)
{
    int32_t modifiers[4] = {0, 0, 0, 0};
    Velkor_GetModifierState(modifiers);
    ObjectHandle page = Window_Page(widget);
    if (Hook_IsRegistered(kHookWindowPick)) {
        uintptr_t result = Hook_GetHandler(kHookWindowPick)(page, reinterpret_cast<uintptr_t>(modifiers), 0, 0, 0, 0);
        if (result != 0) {
            return;
        }
    }
    if (page == Comm_GetCurrentPage() || Window_Kind(Window_Current()) == kWindowKindSpecialPage) {
        return;
    }
    PointerState pointer;
    Modifiers mods{static_cast<uint32_t>(modifiers[0]), static_cast<uint32_t>(modifiers[1]),
                   static_cast<uint32_t>(modifiers[2]), static_cast<uint32_t>(modifiers[3])};
    // The pick names the window by its page: a widget address does not fit
    // the event's 32-bit payload.
    MemHandle event = Event_NewWindowPick(&pointer, &mods, page);
    if (event != 0) {
        Comm_PostEvent(event);
        Comm_ProcessEvents();
    }
}

void Window_QueryPointer(Widget widget, PointerState* out)
{
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    Window window = Window_XWindow(widget);
    if (window == 0) {
        return;
    }
    XQueryPointer(Window_Display(), window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    FixPoint point;
    Window_PixelToPage(widget, x, y, &point);
    Event_FromXState(mask, &point, nullptr, out);
}

void Window_QueryPointerPosition(Widget widget, FixPoint* out)
{
    PointerState state;
    Window_QueryPointer(widget, &state);
    *out = {state.x, state.y};
}
