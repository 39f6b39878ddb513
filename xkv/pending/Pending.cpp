// Placeholders of kernel modules that are not built yet; see Pending.h.
#include "xkv/pending/Pending.h"

#include <X11/Intrinsic.h>

#include <cstdio>

KernelStatus Trans_Initialize() { return 0; }
KernelStatus Trans_Begin(int32_t, const FixPoint*, uint32_t) { return 0; }
KernelStatus Trans_Push() { return 0; }
KernelStatus Trans_Pop() { return 0; }
void Trans_SetPendingCursor(int32_t) {}
int32_t Trans_GetState() { return 1; }
void Trans_PostIdleText(uint32_t) {}

KernelStatus Trans_BeginText(uint32_t, uint32_t) { return 0; }
void Window_SetNormalHints(Widget) {}

namespace {
const char* const kFontFamilies[] = {"Chicago", "Courier", "Geneva", "Helvetica", "Monaco", "Times"};
const char* const kFontSizes[] = {"8", "10", "12", "14", "18", "24"};
}  // namespace

const char* const* Text_FontFamilyNames() { return kFontFamilies; }
int32_t Text_FontFamilyCount() { return 6; }
const char* const* Text_FontSizeNames() { return kFontSizes; }
int32_t Text_FontSizeCount() { return 6; }

KernelStatus Window_Initialize() { return 0; }
void Window_PrepareX() {}
void Window_FlushDamage() {}
uint32_t Window_IsPageShell(Window) { return 0; }

KernelStatus Cache_Initialize() { return 0; }

void Text_InitWindows(void (*)(uint32_t)) {}
uint32_t Text_EditingState() { return 0; }
uint32_t Text_RoutePointerEvent(XEvent*, uint32_t) { return 1; }
Widget Text_EditWidget(Window* window)
{
    if (window != nullptr) {
        *window = 0;
    }
    return nullptr;
}
Window Text_FrameWindow() { return 0; }
uint32_t Text_PointOverEditedText(uint32_t, int16_t, int16_t) { return 0; }
// No text refers to another yet.
ObjectHandle Text_FirstReferrer(ObjectHandle) { return 0; }

KernelStatus Core_Initialize() { return 0; }
// Diagrams cannot be read yet: loading fails.
KernelStatus Comm_LoadDiagram() { return 1; }
KernelStatus Comm_PrintDiagram() { return 1; }

uintptr_t QVmountopen(uint32_t, int32_t, uint32_t) { return 0; }
uint32_t QXUI_GetCurrentCommand() { return 0; }

uint32_t Cursor_LoadFile(const char*) { return 0; }
void Cursor_SetMainWindow(uint32_t) {}

KernelStatus Select_Clear() { return 1; }
uint32_t Select_GetMode() { return 3; }
ObjectHandle Select_GetObject() { return 0; }

Widget Window_OfPage(ObjectHandle) { return nullptr; }
ObjectHandle Window_PageOfWindow(uintptr_t) { return 0; }
void Window_EndDrag(Widget) {}
void Window_SetIndication(Widget, uint32_t) {}
void Window_ActivatePage(ObjectHandle) {}
// No page window can be opened yet.
KernelStatus Window_OpenPage(ObjectHandle) { return 47; }
void Window_SetAllowScroll(Widget, uint32_t) {}
void Window_HideExtentOutline(ObjectHandle) {}
void Window_ShowExtentOutline(ObjectHandle) {}

void Text_StartEdit(ObjectHandle) {}
void Text_LeaveEditing() {}


uint32_t Select_GetGroup() { return 0; }

int32_t Cursor_GetCurrent() { return -1; }
KernelStatus Cursor_Set(uint32_t) { return 6; }
