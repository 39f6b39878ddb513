// The gesture state machine: a stack of gesture records, the dispatch of
// page-window input through tables keyed by (state, X event type), the idle
// state's picks and drags, and the begin operations of the rubber-band,
// drag-outline, point-list, vertex, tracking, page-selection and text
// gestures that command handlers start. Free of the toolkit's and the event
// records' headers, so that any kernel file may include it.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"
#include "xkv/velkor/XTypes.h"

using GestureState = int32_t;
struct Transaction;
struct PointerState;
struct InputModifiers;
using TransEndProc = void (*)(Transaction* record);

inline constexpr int32_t kTransDepthMax = 5;

// ---- Stack and state changes ----
KernelStatus Trans_Init();
// Start-up's name for Trans_Init.
inline KernelStatus Trans_Initialize() { return Trans_Init(); }
void Trans_Reset(Transaction* record);
KernelStatus Trans_Push();
KernelStatus Trans_Pop();
int32_t Trans_Depth();
Transaction* Trans_Current();
Transaction* Trans_SavedCurrent();
KernelStatus Trans_Save();
KernelStatus Trans_Restore();
KernelStatus Trans_NewState(GestureState state, int32_t dragHeld, int32_t messageId, int32_t cursor,
                            int32_t argument, TransEndProc endCallback);
GestureState Trans_GetState();
KernelStatus Trans_SetCursor(int32_t cursor);
void Trans_SetPendingCursor(int32_t cursor);
uint32_t Trans_InTextState();

// ---- Idle state ----
KernelStatus Trans_Begin(int32_t cursor, const FixPoint* heldPoint, uint32_t noDrag);
KernelStatus Trans_BeginWait();

// ---- Input ----
// The input callback of the page windows' drawing areas.
void Trans_WindowEvent(Widget ignored, Widget widget, XEvent* event);
void Trans_HandleEvent(Widget ignored, Widget widget, XEvent* event);
void Trans_Dispatch(Transaction* record, const XEvent* event, Widget widget, PointerState* pointer,
                    InputModifiers* modifiers);
KernelStatus Trans_DecodeEvent(XEvent* event, Widget widget, PointerState* pointer, InputModifiers* modifiers);
// The click type of a button event: 1 press, 2 end of a single click, 3 end
// of a double or further click, 0 a release that ends no click.
uint32_t Trans_ClickType(Widget widget, int eventType);

// ---- Rubber bands and drag outlines ----
uint8_t Trans_HandleFlags(MemHandle handleRecord);
KernelStatus Trans_BeginBox(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, int32_t outlineValue,
                            uint8_t flags);
KernelStatus Trans_BeginOval(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, uint8_t flags);
KernelStatus Trans_BeginRoundBox(int32_t messageId, int32_t cursor, Fixed sizeX, Fixed sizeY, Fixed radiusX,
                                 Fixed radiusY, uint8_t flags);
KernelStatus Trans_BeginRegularPolygon(int32_t messageId, int32_t cursor, uint8_t flags, uint16_t sides, Fixed size,
                                       int32_t polygonFlag);
KernelStatus Trans_BeginResizeBox(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                  int32_t outlineValue, uint8_t flags, const FixPoint* start);
KernelStatus Trans_BeginResizeOval(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                   uint8_t flags, const FixPoint* start);
KernelStatus Trans_BeginResizeRoundBox(Widget window, int32_t messageId, FixPoint origin, Fixed width, Fixed height,
                                       Fixed radiusX, Fixed radiusY, uint8_t flags, const FixPoint* start);
KernelStatus Trans_BeginDragOutline(Widget window, uint32_t objectOrGroup, uint32_t isGroup, const FixPoint* offset,
                                    const FixPoint* start, uint32_t waitForPress, uint32_t alternate, int32_t cursor);

// ---- Point lists and vertices ----
// The payload of a handle pick as the edit begin operations read it.
KernelStatus Trans_BeginPolygon(int32_t messageId, int32_t cursor);
KernelStatus Trans_BeginConnector(int32_t messageId, int32_t cursor);
KernelStatus Trans_BeginLine(int32_t messageId, int32_t cursor);
KernelStatus Trans_BeginVertexEdit(int32_t messageId, MemHandle handlePick);
KernelStatus Trans_BeginConnectorEdit(int32_t messageId, MemHandle handlePick);
KernelStatus Trans_BeginClosedEdit(int32_t messageId, MemHandle handlePick);

// ---- Tracking, page selection and text ----
KernelStatus Trans_BeginTrack(Widget window, int32_t messageId, uint32_t locateMask, uint32_t locateFilter,
                              uint32_t locateFlags);
KernelStatus Trans_BeginPointPick(Widget window, int32_t messageId, int32_t cursor, int32_t pickOnPress,
                                  int32_t dragHeld);
KernelStatus Trans_BeginPageSelect(int32_t messageId, ObjectHandle page);
KernelStatus Trans_BeginText(uint32_t ignored, uint32_t withArgument);
KernelStatus Trans_BeginTextEdit(ObjectHandle object);
void Trans_PostIdleText(uint32_t block);
// The object highlighted by tracking (0 when none) and whether a highlight is shown.
ObjectHandle Trans_TrackedObject();
uint32_t Trans_HighlightShown();
