// Placeholders of kernel modules that are not built yet; see Pending.h.
#include "xkv/pending/Pending.h"

#include <X11/Intrinsic.h>

#include <cstdio>
#include <cstring>

#include "xkv/default/Default.h"

KernelStatus Trans_Initialize() { return 0; }
KernelStatus Trans_Begin(int32_t, const FixPoint*, uint32_t) { return 0; }
KernelStatus Trans_Push() { return 0; }
KernelStatus Trans_Pop() { return 0; }
void Trans_SetPendingCursor(int32_t) {}
int32_t Trans_GetState() { return 1; }
void Trans_PostIdleText(uint32_t) {}
void Trans_WindowEvent(Widget, Widget, XEvent*) {}

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

// Diagrams cannot be read yet: loading fails.
KernelStatus Comm_LoadDiagram() { return 1; }
KernelStatus Comm_PrintDiagram() { return 1; }

void LinePat_FillBits(int32_t, uint8_t bits[8])
{
    std::memset(bits, 0xff, 8);
}
