// Page windows: the table of open windows and their shells, titles and the
// activation handshake; page-to-pixel mapping, zoom and scrolling; locating
// objects and handles, selection indication and hidden objects; pointer
// control and the page structure window; graphics contexts and repair
// clipping; object drawing; the draw queue, fills and window geometry; the
// damage list and deferred redraw; drawing of drawables.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstddef>

#include <cstdint>

#include "xkv/types/Types.h"
#include "xkv/velkor/XTypes.h"
#include "xkv/window/DamageRects.h"

using GroupNumber = uint16_t;

inline constexpr int kPageWindowMax = 15;

// Placement rectangle of a new window, in screen pixels.
struct WindowPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// ---- Page windows ----
KernelStatus Window_OpenPage(ObjectHandle page, Widget* out, uint32_t placement, const WindowPlacement* rect,
                             int32_t raise);
KernelStatus Window_CreateShell(Widget* out, ObjectHandle page, uint32_t placement, const WindowPlacement* rect,
                                int32_t raise);
KernelStatus Window_ClosePage(ObjectHandle page);
KernelStatus Window_Close(Widget widget);
Widget Window_OfPage(ObjectHandle page);
ObjectHandle Window_Page(Widget widget);
uint32_t Window_Kind(Widget widget);
Widget Window_Current();
KernelStatus Window_Activate(Widget widget);
KernelStatus Window_ActivatePage(ObjectHandle page);
Widget Window_ShellOfPage(ObjectHandle page);
Widget Window_Shell(Widget widget);
ObjectHandle Window_FirstPage();
uint16_t Window_CountPageWindows();
uint16_t Window_CountFlaggedPageWindows();
Widget* Window_ListShells(uint32_t* count);
uint32_t Window_OwnsXWindow(Window window);
KernelStatus Window_Raise(Widget widget);
KernelStatus Window_Lower(Widget widget);
KernelStatus Window_Map(Widget widget, uint32_t withdraw);
uint32_t Window_IsShowing(Widget widget);
uint32_t Window_CanDraw(Widget widget);
void Window_SuspendDrawing(Widget widget);
void Window_ResumeDrawing(Widget widget);
void Window_PostIndicate(Widget widget);
void Window_IndicateArrived(Widget widget);
KernelStatus Window_SetTitle(ObjectHandle page);
KernelStatus Window_SetTitleString(Widget widget, const char* text);
KernelStatus Window_GetTitleString(Widget widget, char* out, size_t size);
KernelStatus Window_SetTitleInverse(Widget widget, uint32_t on);
KernelStatus Window_SetScrollBars(ObjectHandle page, uint32_t on);
KernelStatus Window_SetAllowScroll(ObjectHandle page, int16_t on);
KernelStatus Window_GetScrollMode(ObjectHandle page);
KernelStatus Window_BeginDrag(Widget widget);
KernelStatus Window_EndDrag(Widget widget);
uint32_t Window_IsDragWindow(Widget widget);
void Window_Pick(Widget widget);

// ---- Coordinate mapping, zoom and scrolling ----
int32_t Window_PageToPixels(ObjectHandle page, Fixed length, uint32_t axis);
Fixed Window_PixelsToPage(ObjectHandle page, int32_t pixels, uint32_t axis);
void Window_LengthToPixels(Widget widget, Fixed length, int32_t* pixels);
int32_t Window_ZoomPixels(int32_t pixels, uint32_t axis);
void Window_PixelSizeToPage(Widget widget, int32_t dx, int32_t dy, FixPoint* out);
void Window_PageSizeToPixels(Widget widget, FixPoint lengths, int32_t* dx, int32_t* dy);
void Window_PageToPixel(Widget widget, FixPoint point, int32_t* x, int32_t* y);
void Window_PixelToPage(Widget widget, int32_t x, int32_t y, FixPoint* out);
void Window_PageRectToPixels(Widget widget, const FixRect& rect, PixelRect* out);
void Window_PixelRectToPage(Widget widget, const PixelRect& rect, FixRect* out);
KernelStatus Window_VisibleRect(Widget widget, FixRect* out);
KernelStatus Window_VisibleCentre(Widget widget, FixPoint* out);
KernelStatus Window_ScrollToPoint(Widget widget, FixPoint point);
KernelStatus Window_CentreOnPoint(Widget widget, FixPoint point);
KernelStatus Window_ScrollToShow(Widget widget, ObjectHandle object);
KernelStatus Window_GetScrollIncrements(Widget widget, Fixed* x, Fixed* y);
KernelStatus Window_SetScrollIncrements(Widget widget, Fixed x, Fixed y);
void Window_PointerPagePosition(Widget widget, Fixed* x, Fixed* y);
void Window_OnScrolled(XtPointer page, Widget widget, int dx, int dy);
KernelStatus Window_FitVirtualArea(ObjectHandle page, Fixed sx, Fixed sy);
KernelStatus Window_ApplyPaperSize(ObjectHandle page, const int32_t paper[2]);
KernelStatus Window_ApplyPaperSizeAll();

// ---- Hit testing, selection indication and hidden objects ----
MemHandle Window_LocateAt(Widget widget, FixPoint point, uint32_t include, uint32_t exclude, uint32_t filter);
GroupNumber Window_CollectInRect(Widget widget, const FixRect& rect, uint32_t exclude, uint32_t include);
KernelStatus Window_ShowIndication(Widget widget, MemHandle selection);
KernelStatus Window_HideIndication(Widget widget);
KernelStatus Window_SetIndication(Widget widget, uint32_t on);
KernelStatus Window_RefreshIndication(Widget widget);
KernelStatus Window_RefreshIndicationFor(ObjectHandle object);
KernelStatus Window_ShowObjectHandles(Widget widget, ObjectHandle object);
KernelStatus Window_ShowGroupOutlines(Widget widget, GroupNumber group);
KernelStatus Window_ShowExtentOutline(Widget widget, ObjectHandle object);
KernelStatus Window_Hide(Widget widget, ObjectHandle object);
KernelStatus Window_HideTree(Widget widget, ObjectHandle root);
uint32_t Window_IsHidden(ObjectHandle object);
KernelStatus Window_UnhideAll();
uint32_t Window_IndicationOn();

// ---- Pointer control and the page structure window ----
void Window_WarpPointer(Widget widget, const FixPoint* anchor, FixPoint target);
Status Window_SendButtonMotion(Widget widget, int32_t x, int32_t y);
uint32_t Window_AdjustEvent(Widget widget, XtPointer unused, XEvent* event);
struct PointerState;
void Window_QueryPointer(Widget widget, PointerState* out);
void Window_QueryPointerPosition(Widget widget, FixPoint* out);
KernelStatus PageStructure_Show(uint32_t form, ObjectHandle highlighted, Widget* out);
KernelStatus PageStructure_Hide();
Widget PageStructure_Widget();

// ---- Initialisation, graphics contexts and repair clipping ----
KernelStatus Window_Init();
void Window_MakeGCs();
void Window_InitImageContext();
void ClipList_Set(Widget widget, const XRectangle* rects, uint16_t n);
void ClipList_SetFromRegion(Widget widget, Region region);
void ClipList_Free();
uint32_t ClipList_IsSet();
KernelStatus ClipList_Collect(ObjectHandle page, GroupNumber* out);
void Window_DrawFrameRect(Drawable drawable, const PixelRect& rect);
void Window_DrawFrameArc(Drawable drawable, const PixelRect& rect, int32_t start, int32_t end);
void Window_DrawFrameLines(Widget widget, const PixelPoint* points, size_t n);
uint32_t Window_IsDrawnObject(ObjectHandle object);
GC Window_ClearGC();
GC Window_LineGC();
GC Window_FillGC();
GC Window_DrawableGC();
Pixel Window_ForegroundPixel();
Pixel Window_BackgroundPixel();

// ---- Object drawing ----
KernelStatus Window_PaintObject(ObjectHandle object, void* widget);
KernelStatus Window_BuildConnectorPoints(Widget widget, ObjectHandle object, ConnectorPoints* out);

// ---- Draw queue, fills and window geometry ----
void DrawQueue_AddRect(Widget widget, int32_t x, int32_t y, int32_t width, int32_t height);
void DrawQueue_AddSegment(Widget widget, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void DrawQueue_Flush();
void DrawQueue_Reset();
void Window_FlushDrawQueue(Widget widget);
void Window_FillRect(Window window, const PixelRect& rect);
void Window_FillArc(Window window, const PixelRect& box, int32_t start, int32_t end);
void Window_FillPolygon(Window window, const PixelPoint* points, size_t count);
KernelStatus Window_GetScreenGeometry(ObjectHandle page, int32_t out[4]);
KernelStatus Window_SetScreenGeometry(ObjectHandle page, const int32_t rect[4]);
KernelStatus Window_GetScreenSize(int32_t out[4]);
KernelStatus Window_GetResolution(int32_t* x, int32_t* y);
Window Window_TopLevelWindow(Window window);
Window Window_ParentWindow(Window window);
KernelStatus Window_CheckSavedGeometry(ObjectHandle page, int32_t rect[4], FixPoint* origin);
KernelStatus Window_SaveGeometry(ObjectHandle page);
void Window_SetNormalHints(Widget widget);
void Window_Resized(Widget widget, short* x, short* y, unsigned short* width, unsigned short* height);

// ---- Damage list and deferred redraw ----
KernelStatus Window_AddDamage(Widget widget, const FixRect& rect);
KernelStatus Window_RedrawObject(ObjectHandle object, Widget widget);
KernelStatus Window_DrawObjectNow(ObjectHandle object, Widget widget);
KernelStatus Window_RedrawPage(ObjectHandle page, uint32_t unused);
void Window_FlushDamage();
KernelStatus Window_ClearPage(Widget widget);
void Window_ForgetDamage(Widget widget);
void Window_RepairRegion(Widget widget, Region region, int mode);
// The region being repaired while a window redraws its damage, if any.
Region Window_RepairClip();
KernelStatus Window_DamageObject(ObjectHandle object, void* widget);

// ---- Drawables ----
void Window_DrawDrawable(Widget widget, MemHandle item, uint32_t xorMode, uint32_t flush);
KernelStatus Window_DrawDrawableCb(uint32_t item, void* widget);
KernelStatus Window_DrawDrawableCopyCb(uint32_t item, void* widget);
struct HandleList;
void Window_DrawDrawableList(Widget widget, uint32_t xorMode, HandleList* list);
void Window_SetDrawableGC(Widget widget, uint32_t mode, uint32_t xorMode);
