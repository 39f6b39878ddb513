// Placeholders of kernel modules that are not built yet; see Pending.h.
#include "xkv/pending/Pending.h"

#include <X11/Intrinsic.h>

#include <X11/StringDefs.h>
#include <X11/Xaw/Form.h>

#include <cstdio>

namespace {

Widget gMenuBar = nullptr;

// Width of the menu-bar area inside the main form (600 less the form's distances).
constexpr Dimension kMenuBarWidth = 588;
constexpr Dimension kMenuBarHeight = 24;

}  // namespace

KernelStatus Trans_Initialize() { return 0; }
KernelStatus Trans_Begin(int32_t, const FixPoint*, uint32_t) { return 0; }
KernelStatus Trans_Push() { return 0; }
KernelStatus Trans_Pop() { return 0; }
void Trans_SetPendingCursor(int32_t) {}
int32_t Trans_GetState() { return 1; }
void Trans_PostIdleText(uint32_t) {}

KernelStatus Dialog_Initialize() { return 0; }
uint32_t Dialog_IsOpen() { return 0; }
uint32_t Dialog_IsFileSelectorShown() { return 0; }
uint32_t Dialog_HandleKey(XEvent*, int) { return 0; }
uint32_t Dialog_ContainsPoint(int, int) { return 0; }
uint32_t Dialog_HandleButton(XEvent*) { return 0; }
int32_t Dialog_FindLevelOfWindow(Window) { return -1; }
void Dialog_RememberGeometry(int32_t, int, int, int, int) {}
int32_t Dialog_TopDialogNumber() { return 0; }
void Dialog_ReportStatus(KernelStatus) {}
uint32_t Dialog_IsLevelWindow(Window) { return 0; }

// The menu-bar area: an empty form where the menu bar will stand.
KernelStatus Menu_Initialize(Widget form)
{
    Arg args[4];
    Cardinal n = 0;
    XtSetArg(args[n], XtNwidth, kMenuBarWidth); ++n;
    XtSetArg(args[n], XtNheight, kMenuBarHeight); ++n;
    XtSetArg(args[n], XtNborderWidth, 0); ++n;
    gMenuBar = XtCreateManagedWidget("menubar", formWidgetClass, form, args, n);
    return gMenuBar != nullptr ? 0 : 1;
}

Widget Menu_BarWidget() { return gMenuBar; }

int32_t Menu_BarWidth()
{
    if (gMenuBar == nullptr) {
        return 0;
    }
    Dimension width = 0;
    XtVaGetValues(gMenuBar, XtNwidth, &width, nullptr);
    return width;
}

void Menu_UpdateFromSelection(uint32_t) {}
void Menu_RunPendingRefresh() {}
uint32_t Accel_HandleKey(unsigned long, const char*, const int32_t*) { return 0; }
uint32_t Menu_PickPending() { return 0; }
void Menu_ReportPendingPick() {}

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

// Diagrams cannot be read yet: loading fails.
KernelStatus Comm_LoadDiagram() { return 1; }
KernelStatus Comm_PrintDiagram() { return 1; }

uintptr_t QVmountopen(uint32_t) { return 0; }
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
