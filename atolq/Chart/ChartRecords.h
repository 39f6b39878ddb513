// Named views of the chart records of the abstract net. The data base keeps
// the line and bar chart records as plain word, text and array fields in file
// order; these views give each field the name the chart code uses, so that the
// chart operations never index the raw fields themselves.
#pragma once

#include "atolq/AEditor/SERecords.h"

#include <cstdint>

// Bit 0 of a chart's flags: line charts have started plotting, bar charts
// have every segment reset. Bit 12: the chart's generated code is up to date.
inline constexpr uint32_t kChartFlagStarted = 1u << 0;
inline constexpr uint32_t kChartFlagCodeCurrent = 1u << 12;

// Size of every numeric setting text buffer.
inline constexpr uint32_t kChartTextSize = 256;

// The legend block shared by both chart kinds: box, item boxes, item labels,
// entry count.
struct ChartLegend {
    uint32_t& box;
    SEWordArray& itemBoxes;
    SEWordArray& itemLabels;
    int32_t& count;
    explicit ChartLegend(SESeries& s) : box(s.object), itemBoxes(s.a), itemLabels(s.b), count(s.count) {}
};

// One line of a line chart (24 bytes in the record's line array).
using LineSeries = SELineSpec;

struct LineSeriesFields {
    uint32_t& page;
    uint32_t& firstPoint;
    uint32_t& lastPoint;
    uint32_t& horizVert;
    int16_t& pattern;
    int16_t& lineStyle;
    int16_t& lineWidth;
    int16_t& shape;
    explicit LineSeriesFields(LineSeries& s)
        : page(s.word), firstPoint(s.objectA), lastPoint(s.objectB), horizVert(s.flag), pattern(s.shorts[0]),
          lineStyle(s.shorts[1]), lineWidth(s.shorts[2]), shape(s.shorts[3])
    {
    }
};

// The line chart record under the chart code's names.
struct LineChartFields {
    SELineChart& rec;
    uint32_t& flags;
    uint32_t& frame;
    SEText& name;
    uint32_t& page;
    LineSeries*& series;
    uint32_t& seriesCapacity;
    int32_t& lineCount;
    int32_t& boxSize; // Fixed
    uint32_t& xAxis;
    uint32_t& yAxis;
    uint32_t& horizVert;
    int32_t& seriesLineStyle;
    int32_t& seriesLineWidth;
    SEWordArray& xTicks;
    SEWordArray& yTicks;
    SEWordArray& xLabels;
    SEWordArray& yLabels;
    int32_t& xGridNumber;
    int32_t& yGridNumber;
    SEText& xDistanceText;
    SEText& yDistanceText;
    int32_t& xBelow;
    int32_t& xAbove;
    int32_t& yBelow;
    int32_t& yAbove;
    SEText& xMinText;
    SEText& xMaxText;
    SEText& yMinText;
    SEText& yMaxText;
    SEText& xOriginText;
    SEText& yOriginText;
    SEText& xMinSetting;
    SEText& xMaxSetting;
    SEText& yMinSetting;
    SEText& yMaxSetting;
    SEText& xOriginSetting;
    SEText& yOriginSetting;
    uint32_t& originMarker;
    uint32_t& xNameLabel;
    uint32_t& yNameLabel;
    ChartLegend legend;
    uint32_t& xTicksOnly;
    uint32_t& yTicksOnly;
    uint32_t& rescaleAxis;
    uint32_t& xByNumber;
    uint32_t& yByNumber;
    uint32_t& titleLabel;
    uint32_t& resetOnInit;
    uint32_t& initAtOrigin;
    uint32_t& startAtOrigin;
    int32_t* patterns; // 10 entries
    uint32_t& saveCopy;
    uint32_t& endOfRun;
    SEText& intervalText;
    int32_t& stepInterval;
    uint32_t& integerValues;
    SEText& codeText;

    explicit LineChartFields(SELineChart& c)
        : rec(c), flags(c.flags), frame(c.kvObject), name(c.title), page(c.pageObject), series(c.lines),
          seriesCapacity(c.lineArrayCount), lineCount(c.lineCount), boxSize(c.long1), xAxis(c.objects1[0]),
          yAxis(c.objects1[1]), horizVert(c.bool1), seriesLineStyle(c.longs1[0]), seriesLineWidth(c.longs1[1]),
          xTicks(c.arrays[0]), yTicks(c.arrays[1]), xLabels(c.arrays[2]), yLabels(c.arrays[3]),
          xGridNumber(c.longs2[0]), yGridNumber(c.longs2[1]), xDistanceText(c.texts1[0]),
          yDistanceText(c.texts1[1]), xBelow(c.x1), xAbove(c.x2), yBelow(c.y1), yAbove(c.y2),
          xMinText(c.texts2[0]), xMaxText(c.texts2[1]), yMinText(c.texts2[2]), yMaxText(c.texts2[3]),
          xOriginText(c.texts4[0]), yOriginText(c.texts4[1]), xMinSetting(c.texts3[0]), xMaxSetting(c.texts3[1]),
          yMinSetting(c.texts3[2]), yMaxSetting(c.texts3[3]), xOriginSetting(c.texts3[4]),
          yOriginSetting(c.texts3[5]), originMarker(c.objects2[0]), xNameLabel(c.objects2[1]),
          yNameLabel(c.objects2[2]), legend(c.series), xTicksOnly(c.bools1[0]), yTicksOnly(c.bools1[1]),
          rescaleAxis(c.bools1[2]), xByNumber(c.bools1[3]), yByNumber(c.bools1[4]), titleLabel(c.object3),
          resetOnInit(c.bools2[0]), initAtOrigin(c.bools2[1]), startAtOrigin(c.bools2[2]), patterns(c.longs),
          saveCopy(c.bools3[0]), endOfRun(c.bools3[1]), intervalText(c.text1), stepInterval(c.long2),
          integerValues(c.bool2), codeText(c.chartText)
    {
    }
};

// The bar chart record under the chart code's names. Segments are label
// arrays: one row per bar, one (box, value text) pair per part.
struct BarChartFields {
    SEBarChart& rec;
    uint32_t& flags;
    uint32_t& frame;
    SEText& name;
    uint32_t& page;
    int32_t& partCount;
    int32_t& barCount;
    int32_t& nextRow;
    SEWordArray& barNameLabels;
    SEWordArray& posTotalLabels;
    SEWordArray& negTotalLabels;
    SEWordArray& gridLines;
    SEWordArray& upperValueLabels;
    SEWordArray& lowerValueLabels;
    SELabelArray& posSegments;
    SELabelArray& negSegments;
    uint32_t& barArea;
    int32_t& posIntervals;
    int32_t& negIntervals;
    int32_t& gridNumber;
    SEText& distanceText;
    int32_t& barHeight; // Fixed
    SEText& maxText;
    SEText& minText;
    SEText& maxSetting;
    SEText& minSetting;
    uint32_t& ticksOnly;
    uint32_t& byNumber;
    uint32_t& zeroAxis;
    ChartLegend legend;
    uint32_t& titleLabel;
    int32_t& retain;
    int32_t* patterns; // 10 entries
    uint32_t& resetOnInit;
    uint32_t& saveCopy;
    uint32_t& endOfRun;
    SEText& intervalText;
    int32_t& stepInterval;
    uint32_t& integerValues;
    SEText& codeText;

    explicit BarChartFields(SEBarChart& c)
        : rec(c), flags(c.flags), frame(c.kvObject), name(c.title), page(c.pageObject), partCount(c.innerCount),
          barCount(c.elementCount), nextRow(c.long1), barNameLabels(c.arrays[0]), posTotalLabels(c.arrays[1]),
          negTotalLabels(c.arrays[2]), gridLines(c.arrays[3]), upperValueLabels(c.arrays[4]),
          lowerValueLabels(c.arrays[5]), posSegments(c.labels[0]), negSegments(c.labels[1]), barArea(c.object1),
          posIntervals(c.m1), negIntervals(c.m2), gridNumber(c.long2), distanceText(c.text1),
          barHeight(c.long3), maxText(c.texts[0]), minText(c.texts[1]), maxSetting(c.texts[2]),
          minSetting(c.texts[3]), ticksOnly(c.flagF), byNumber(c.bool1), zeroAxis(c.object2), legend(c.series),
          titleLabel(c.object3), retain(c.long4), patterns(c.longs), resetOnInit(c.bools[0]),
          saveCopy(c.bools[1]), endOfRun(c.bools[2]), intervalText(c.text2), stepInterval(c.long5),
          integerValues(c.bool2), codeText(c.chartText)
    {
    }
};
