// Helpers shared by the bar chart's layout and its values: the bar area's
// place, the segments of a bar, the hidden flag and the value texts.
#pragma once

#include "atolq/Chart/BarChart.h"

#include <cstdint>
#include <vector>

// The kernel's object flag that hides an object.
inline constexpr uint32_t kBarHiddenFlag = 4;

struct BarAreaPlace {
    Fixed x = 0, y = 0, w = 0, h = 0;
};
BarAreaPlace BarChartAreaPlace(BarChartFields& c);

// Segment j (from 0) of bar b (from 0) on one side, or null.
SELabel* BarChartSegment(BarChartFields& c, bool positive, int32_t bar, int32_t part);
// The values of bar b (from 0): each part's positive or negative value.
std::vector<double> BarChartValues(BarChartFields& c, int32_t bar);
double BarChartPosTotal(BarChartFields& c, int32_t bar);
double BarChartNegTotal(BarChartFields& c, int32_t bar);

// The width of one side's segment for a value on the shown range.
Fixed BarChartSegmentWidth(double value, bool positive, Fixed usable, double hi, double lo);
// Gives a segment its width and height, hidden when narrower than a unit.
void BarChartSizeSegment(uint32_t segment, Fixed width, Fixed height);
// The usable width: whole intervals of the bar area.
Fixed BarChartUsableWidth(BarChartFields& c);

// Aligns the segments of one side of a bar against the zero axis and each
// other, parts of value 0 taking no room.
void BarChartAlignSide(BarChartFields& c, int32_t bar, bool positive);
// Deletes the segment boxes and frees the segment arrays.
void BarChartDropSegments(BarChartFields& c);
void BarChartSetLabels(const SEWordArray& labels, const char* text);
// The bar height as the first bar's first positive segment has it; 0 when
// there is none.
Fixed BarSegmentHeight(BarChartFields& c);
