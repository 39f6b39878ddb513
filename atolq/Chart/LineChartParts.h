// The fields of one axis of a line chart under one name for x and y, the
// chart's current geometry read back from its objects, and the moves of its
// drawn points that the axis changes share.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/LineChartAxis.h"
#include "xkv/types/Types.h"

#include <cstdint>

struct LineAxisFields {
    bool vertical;
    uint32_t& axis;
    uint32_t& otherAxis;
    SEWordArray& ticks;
    SEWordArray& labels;
    SEWordArray& otherTicks;
    SEWordArray& otherLabels;
    int32_t& gridNumber;
    SEText& distanceText;
    int32_t& below;
    int32_t& above;
    SEText& minText;
    SEText& maxText;
    SEText& originText;
    SEText& minSetting;
    SEText& maxSetting;
    SEText& originSetting;
    uint32_t& ticksOnly;
    uint32_t& otherTicksOnly;
    uint32_t& byNumber;
};

LineAxisFields LineAxisOf(LineChartFields& c, bool vertical);

// W and H are the lengths of the x and y axes, (ax, ay) and (bx, by) their
// centres, (ox, oy) the origin marker's centre.
struct LineGeometry {
    Fixed W = 0, H = 0, ax = 0, ay = 0, bx = 0, by = 0, ox = 0, oy = 0;
};
LineGeometry LineChartGeometry(LineChartFields& c);

// A centre and a size.
struct LineBoxPlace {
    Fixed x = 0, y = 0, width = 0, height = 0;
};

// Hangs every drawn line on a temporary node of the given place and size,
// moves and resizes the node to the target and hangs the lines back on the
// frame; the kernel carries the boxes with the node.
void LineChartCarryPoints(LineChartFields& c, LineBoxPlace from, LineBoxPlace to);

// The grid step that a shown range of the axis uses now.
double LineAxisCurrentStep(const LineAxisFields& a);

// Deletes the axis's labels and grid lines and makes them anew for the
// scale, the axis lying in the plot area given by the place.
void LineAxisRemake(SELineChart& chart, const LineAxisScale& s, const LineAxisPlace& p, bool vertical);

// Moves the other axis (the y axis for x) to the new origin place; its
// labels and grid lines stay where they are unless it shows ticks only.
void LineAxisMoveOther(LineChartFields& c, const LineAxisFields& a, Fixed newOrigin, const LineGeometry& g);

// The origin place from the interval counts: the integer share of the axis
// above the origin (rounded for y when asked).
Fixed LineAxisOriginFromCounts(int32_t below, int32_t above, Fixed centre, Fixed length, bool vertical,
                               bool roundQuotient);

// The chart's code is out of date: flags, stale chart list and, in the
// simulator, a switch back to the editor is needed.
void LineChartCodeChanged(LineChartFields& c);
