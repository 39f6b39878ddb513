// Placeholders of kernel modules that are not built yet; see Pending.h.
#include "xkv/pending/Pending.h"
#include "xkv/pending/QXUIPending.h"

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

uintptr_t QVmountopen(uint32_t, int32_t, uint32_t) { return 0; }
uint32_t QXUI_GetCurrentCommand() { return 0; }

uint32_t Print_IsActive() { return 0; }
void Print_Clip(const FixRect*) {}
void Print_Text(const FontSpec*, FixPoint, uint32_t, const char*) {}

// The paper of the page setup (default property 14: paper index at byte 24,
// orientation at byte 32), in points, swapped for landscape.
KernelStatus Print_GetPaperSize(int32_t size[2])
{
    static constexpr int32_t kPapers[10][2] = {{612, 792},   {597, 842},   {612, 1008},  {518, 720},
                                               {792, 1224},  {729, 1030},  {842, 1195},  {1195, 1684},
                                               {1684, 2390}, {2390, 3369}};
    struct {
        uint8_t changed[24];
        uint32_t words[6];
    } setup{};
    KernelStatus status = Default_Get(0, 3, 14, &setup);
    if (status != 0) {
        return status;
    }
    uint32_t index = setup.words[0];
    if (index > 9) {
        return 1;
    }
    bool landscape = setup.words[2] == 1;
    size[0] = kPapers[index][landscape ? 1 : 0];
    size[1] = kPapers[index][landscape ? 0 : 1];
    return 0;
}

uint32_t Print_PSRect(Fixed, uint32_t, int32_t, uint32_t, uint32_t, FixRect) { return 1; }
uint32_t Print_PSRoundRect(Fixed, uint32_t, int32_t, uint32_t, uint32_t, FixRect, Fixed) { return 1; }
uint32_t Print_PSPolygon(Fixed, uint32_t, int32_t, uint32_t, uint32_t, uint32_t) { return 1; }
uint32_t Print_PSPolyline(Fixed, uint32_t, int32_t, uint32_t, uint32_t) { return 1; }
uint32_t Print_PSArc(Fixed, uint32_t, int32_t, uint32_t, uint32_t, FixRect, int32_t, int32_t) { return 1; }
uint32_t Print_PSImage(RImage*, FixRect) { return 1; }
KernelStatus Print_PSConnector(ObjectHandle, Fixed, uint32_t) { return 1; }

void LinePat_FillBits(int32_t, uint8_t bits[8])
{
    std::memset(bits, 0xff, 8);
}

// No dialog system yet: the message goes to standard error and counts as
// confirmed.
uint32_t QXUI_ShowMessage(const char* text)
{
    std::fprintf(stderr, "%s\n", text ? text : "");
    return 1;
}
