// Point arrays: growable arrays of FixPoints in relocatable memory, and the
// curve operations built on them (ellipse, rounded-rectangle and arc outlines,
// polylines with rounded corners, nearest point, crossing and enclosure tests).
//
// A PtArray is a MemHandle of a small header (capacity, count, pin count and
// the MemHandle of the point block). Counts are 16-bit: growth beyond 65535
// points is refused with status 55 rather than wrapping.
#pragma once

#include <cstdint>

#include "xkv/mem/Mem.h"
#include "xkv/types/Types.h"

using PtArray = MemHandle;

inline constexpr uint16_t kPtArrayDefaultCapacity = 30;
inline constexpr uint32_t kPtArrayMaxPoints = UINT16_MAX;
// Returned by PtArray_SetCount when the points are locked and would have to
// move; nothing is changed then.
inline constexpr KernelStatus kStatusPtArrayPinned = kStatusFailed;

KernelStatus PtArray_Create(PtArray* out, uint16_t capacity);
PtArray PtArray_New();
PtArray PtArray_Duplicate(PtArray source);
// Frees the point block and the header. Returns 57 when there was no point
// block (the header is freed all the same).
KernelStatus PtArray_Free(PtArray array);

KernelStatus PtArray_LockPoints(PtArray array, FixPoint** points);
KernelStatus PtArray_UnlockPoints(PtArray array);
uint16_t PtArray_Count(PtArray array);
KernelStatus PtArray_SetCount(PtArray array, uint16_t count);
KernelStatus PtArray_GetPoint(PtArray array, uint32_t index, FixPoint* out);
KernelStatus PtArray_SetPoint(PtArray array, uint32_t index, const FixPoint& point);
// Index -1 inserts before the first point.
KernelStatus PtArray_InsertAfter(PtArray array, int32_t index, const FixPoint& point);
KernelStatus PtArray_InsertAt(PtArray array, int32_t index, const FixPoint& point);
KernelStatus PtArray_Prepend(PtArray array, const FixPoint& point);
KernelStatus PtArray_Append(PtArray array, const FixPoint& point);
KernelStatus PtArray_Delete(PtArray array, uint32_t index);

KernelStatus PtArray_Translate(PtArray array, const FixPoint& offset);
KernelStatus PtArray_Scale(PtArray array, const FixPoint* centre, Fixed sx, Fixed sy);
KernelStatus PtArray_Bounds(PtArray array, FixRect* bounds);
// Nearest point of the polyline. The flag is set when the perpendicular foot
// of some edge lay within that edge.
KernelStatus PtArray_NearestPoint(PtArray array, const FixPoint& p, FixPoint* nearest, Fixed* distance,
                                  bool* onEdge);
bool PtArray_SelfCrosses(PtArray array);
bool PtArray_Encloses(PtArray array, const FixPoint& centre);

// Curves; the constructors return 0 when memory runs out.
PtArray Spline_EllipsePoints(uint16_t n, const FixRect& box, int32_t flag);
PtArray Spline_RoundRectPoints(const FixRect& r, Fixed corner);
PtArray Spline_ArcPoints(const FixPoint& centre, Fixed width, Fixed height, int32_t start, int32_t end,
                         bool closed, bool pie);
KernelStatus Spline_RoundCorners(PtArray source, PtArray destination, Fixed radius);
void Spline_CornerPoints(const FixPoint& previous, const FixPoint& corner, const FixPoint& next, Fixed radius,
                         FixPoint* a, FixPoint* b);
bool Spline_CornerCentre(const FixPoint& a, const FixPoint& corner, const FixPoint& b, FixPoint* centre);
KernelStatus Spline_CornerArc(const FixPoint& a, const FixPoint& b, const FixPoint& centre, bool direction,
                              PtArray destination);
