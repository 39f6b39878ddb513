// Geometry on Fixed page coordinates: points, rectangles, boxes, slopes,
// segments, ellipses and arcs, the pixel conversions, and the small drawing
// tables (dash patterns, fill tiles, drawing functions).
//
// One display pixel at scale 1.0 is 0x8000. Operations that multiply or
// divide a coordinate by a Fixed factor double it first and halve the result.
// On ellipses 0 degrees is the top point and angles run clockwise on screen.
#pragma once

#include <cstdint>

#include "xkv/types/Fixed.h"
#include "xkv/types/Types.h"

// An elliptic arc: the ellipse's box and the start and end in whole degrees.
struct FixArc {
    FixBox box;
    int32_t start = 0;
    int32_t end = 0;
};

// A line segment from (x0, y0) to (x1, y1).
struct FixSegment {
    Fixed x0 = 0;
    Fixed y0 = 0;
    Fixed x1 = 0;
    Fixed y1 = 0;
};

// Points.
void Geom_AddPoints(FixPoint* out, const FixPoint* a, const FixPoint* b);
void Geom_SubPoints(FixPoint* out, const FixPoint& a, const FixPoint& b);
void Geom_MidPoint(FixPoint* out, const FixPoint& a, const FixPoint& b);
bool Geom_PointsEqual(const FixPoint& a, const FixPoint& b);
Fixed Geom_Distance(const FixPoint& a, const FixPoint& b);
int32_t Geom_PixelDistance(Fixed x1, Fixed y1, Fixed x2, Fixed y2);
Fixed Fix_DistancePixels(Fixed x1, Fixed y1, Fixed x2, Fixed y2);
bool Geom_InRange(Fixed v, Fixed a, Fixed b);

// Rectangles and boxes.
void Geom_NormalizeRect(FixRect* r);
void Geom_RectFromPoints(FixRect* out, const FixPoint& a, const FixPoint& b);
void Geom_RectCorners(const FixRect& r, FixPoint* a, FixPoint* b);
void Geom_RectFromCenter(FixRect* out, const FixPoint& centre, Fixed width, Fixed height);
void Geom_RectCenterSize(const FixRect& r, FixPoint* centre, Fixed* width, Fixed* height);
void Geom_RectFromBox(const FixBox& box, FixRect* r);
void Geom_BoxFromRect(FixBox* box, const FixRect& r);
bool Geom_RectIsPoint(const FixRect& r);
bool Geom_RectsEqual(const FixRect& r, const FixRect& s);
void Geom_RectAddPoint(FixRect* r, const FixPoint& p);
void Geom_RectUnion(FixRect* r, const FixRect& s);
void Geom_InsetRect(FixRect* r, Fixed dx, Fixed dy);
// A scale of 0x8000 is 1.0 here (the factor is doubled as well).
void Geom_ScaleRect(FixRect* r, const FixPoint* offset, const FixPoint* scale);
void Geom_ScaleBox(FixBox* box, const FixPoint* offset, const FixPoint* scale);
bool Geom_RectContainsPoint(const FixRect& r, const FixPoint& p);
bool Geom_RectContainsRect(const FixRect& r, const FixRect& s);
bool Geom_RectEdgeInRect(const FixRect& a, const FixRect& b);
bool Geom_RectEdgeCross(const FixRect& a, const FixRect& b);
bool Geom_RectsOverlap(const FixRect& a, const FixRect& b);

// Lines, slopes and segments.
Fixed Geom_Slope(const FixPoint& a, const FixPoint& b, bool* horizontal, bool* vertical);
bool Geom_LineYAt(FixPoint* p, const FixPoint& a, const FixPoint& b);
bool Geom_NormalSlope(const FixPoint& a2, const FixPoint& b2, Fixed* m);
bool Geom_PerpendicularFoot(const FixPoint& a, const FixPoint& b, const FixPoint& p, FixPoint* foot);
void Geom_PointToward(const FixPoint& from, const FixPoint& to, Fixed distance, FixPoint* out);
bool Geom_SegmentsCross(const FixPoint& p0, const FixPoint& p1, const FixPoint& p2, const FixPoint& p3,
                        FixPoint* out);

// Ellipses and arcs; angles in whole degrees.
void Geom_EllipsePoint(const FixPoint* centre, Fixed a, Fixed b, int32_t degrees, FixPoint* out);
void Geom_EllipseAngle(const FixPoint& centre, Fixed a, Fixed b, const FixPoint& p, int32_t* degrees);
int32_t Geom_AngleStep(const FixPoint& p, const FixPoint& centre, const FixPoint& q);
void Geom_NormalizeAngles(int32_t* start, int32_t* end);
bool Geom_InEllipse(const FixBox& box, const FixPoint& p);
void Geom_NearestOnEllipse(const FixBox& box, const FixPoint& p, FixPoint* out, Fixed* distance);
void Geom_NearestOnArc(const FixArc& arc, const FixPoint& p, FixPoint* out, Fixed* distance);

// Page coordinates and X pixels.
void Geom_RectToX(const FixRect& r, int32_t* x, int32_t* y, int32_t* width, int32_t* height);
void Geom_RectFromX(FixRect* r, int32_t x, int32_t y, int32_t width, int32_t height);

// Lines on the pixel grid.
Fixed Line_Slope(const FixSegment& s);
bool Line_Intersect(const FixSegment& a, const FixSegment& b, FixPoint* out);
bool Line_InGridRange(Fixed v, Fixed a, Fixed b);
bool Line_PointInBox(const FixPoint& p, const FixSegment& s);
bool Line_IntersectSegments(const FixSegment& a, const FixSegment& b, FixPoint* out);
bool Line_IntersectOnSecond(const FixSegment& a, const FixSegment& b, FixPoint* out);
bool Line_PointOnLine(const FixPoint& p, const FixSegment& s);
bool Line_PointOnSegment(const FixPoint& p, const FixSegment& s);
