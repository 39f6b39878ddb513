// The axis arithmetic of line charts and the grid and label objects made for
// an axis scale.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "xkv/types/Types.h"

#include <cstdint>

// A computed axis: grid step, interval counts on each side of the origin and
// the shown range they give.
struct LineAxisScale {
    double step = 1.0;
    double origin = 0.0;
    int32_t below = 0;
    int32_t above = 1;
    double min = 0.0; // origin - below * step
    double max = 1.0; // origin + above * step
};

// The plot area (centre and size) and the origin's page place.
struct LineAxisPlace {
    Fixed cx, cy, w, h, ox, oy;
};

// The step from the grid number or distance and the counts of intervals.
// roundBelow takes the lower count by rounding rather than upward when the
// grid is given by distance (the rule of widening an axis).
LineAxisScale LineAxisCompute(double min, double max, double origin, bool byNumber, int32_t number,
                              double distance, bool integer, bool roundBelow);
// Page place of the origin on an axis of the given centre and length.
Fixed LineAxisOriginPlace(const LineAxisScale& s, Fixed centre, Fixed length, bool vertical);
void LineAxisMakeLabels(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical);
void LineAxisSetLabelTexts(SELineChart& chart, double min, double step, bool vertical);
void LineAxisMakeGrid(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical);
void LineAxisWriteTexts(SELineChart& chart, const LineAxisScale& s, bool vertical);
