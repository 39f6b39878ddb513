// The "Diagram" widget class: the drawing area of every page window, with a
// virtual scrolling area, an optional title bar and optional Athena scroll bars,
// click counting, drag detection, auto-scroll and the "DiagramWindowIndicate"
// message. The kernel connects it through a table of callbacks (indexes 4 to 9).
#pragma once

#include <X11/Intrinsic.h>

#include <cstdint>

extern WidgetClass diagramWidgetClass;

// Callback types, by index of the table.
using DiagramRepairProc = void (*)(Widget widget, Region region, int mode);                      // 4
using DiagramPickProc = void (*)(Widget widget);                                                  // 5
using DiagramScrolledProc = void (*)(XtPointer pageId, Widget widget, int dx, int dy);            // 6
using DiagramInputProc = void (*)(Widget widget, Widget same, XEvent* event);                     // 7
using DiagramIndicateProc = void (*)(Widget widget);                                              // 8
using DiagramVirtualBoxProc = void (*)(Widget widget, Position* x, Position* y, Dimension* width,
                                       Dimension* height);                                        // 9
using DiagramAnyProc = void (*)();

inline constexpr int kDiagramRepair = 4;
inline constexpr int kDiagramPick = 5;
inline constexpr int kDiagramScrolled = 6;
inline constexpr int kDiagramInput = 7;
inline constexpr int kDiagramIndicate = 8;
inline constexpr int kDiagramVirtualBox = 9;

// Repair mode passed with no region at every map of the shell.
inline constexpr int kDiagramRepairMapped = 255;

// Indexes of Diagram_Set and Diagram_Get.
enum DiagramField : uint32_t {
    kDiagramAllowScroll = 0,
    kDiagramButtonHeld = 1,
    kDiagramScrollIncX = 2,
    kDiagramScrollIncY = 3,
    kDiagramTitleBar = 4,
    kDiagramTitleString = 5,
    kDiagramTitleInverse = 6,
    kDiagramScrollBar = 7,
    kDiagramPageId = 8,
    kDiagramWidth = 9,
    kDiagramHeight = 10,
    kDiagramVirtualX = 11,
    kDiagramVirtualY = 12,
    kDiagramVirtualWidth = 13,
    kDiagramVirtualHeight = 14,
};

// Sets one field; the title string (index 5) is passed as its address.
void Diagram_Set(Widget widget, uint32_t index, uintptr_t value);
// Reads one field (virtualX and virtualY signed; the title string as its address).
intptr_t Diagram_Get(Widget widget, int32_t index);
// Stores callback 4 to 9 (cast to DiagramAnyProc); other indexes are ignored.
void Diagram_SetCallback(int32_t index, DiagramAnyProc proc);
// Whether a modal dialog or the file selector is up: presses are then ignored.
void Diagram_SetDialogQueries(int (*dialogIsOpen)(), int (*fileSelectorShown)());

void Diagram_Position(Widget widget, int* x, int* y);
void Diagram_DrawingSize(Widget widget, int* width, int* height);
void Diagram_SetVirtualArea(Widget widget, uint16_t x, uint16_t y, uint16_t width, uint16_t height);
void Diagram_ScrollBy(Widget widget, int32_t dx, int32_t dy);
int Diagram_IsArmed(Widget widget);
void Diagram_LastPosition(int* x, int* y);
int Diagram_IsButtonWidget(Widget widget);
int Diagram_IsShowing(Widget widget);
void Diagram_PostIndicate(Widget widget);
void Diagram_Ungrab(uint32_t time);
// 0 none, 1 single click, 2 double (or further) click.
int Diagram_ClickCount();

// One axis of a scroll: the move actually applied for a wanted move, given the
// window size and the virtual extent; the offset is updated.
int32_t Diagram_ScrollAxis(int32_t wanted, int32_t size, int32_t extent, int32_t* offset);
