// Shared chart arithmetic and helpers: nice grid steps, rounding, the short
// label form of numbers, label/title/legend creation, lookup of charts by
// name, and the split of a chart's code text into its parts.
#pragma once

#include "atolq/Chart/ChartRecords.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Interface units as Fixed.
Fixed ChartUnits(int32_t units);

int ChartContains(uint32_t value, std::span<const uint32_t> values);
std::string ChartFormatLong(int64_t value);
std::string ChartFormatReal(double value);
std::string ChartFormatAxisValue(double value, bool oneDecimal);

void ChartSetTexts(std::span<const uint32_t> objects, std::span<const std::string> texts);
std::vector<double> ChartFillReals(double start, double step, int32_t n);
std::vector<std::string> ChartMakeIntLabels(int32_t start, int32_t step, int32_t n);
std::vector<std::string> ChartMakeRealLabels(double start, double step, int32_t n);
std::vector<std::string> ChartMakeNumberedTexts(std::string_view prefix, int32_t n);
std::vector<std::string> ChartMakeSameTexts(std::string_view text, int32_t n);
std::string ChartConcat(std::string_view a, std::string_view b);

// Deletes the objects of the array and frees it.
void ChartDeleteObjects(SEWordArray& objects);
// Replaces the array by a new zeroed one of n entries (the old one is freed,
// not its objects).
void ChartAllocWords(SEWordArray& array, int32_t n);
void ChartFreeWords(SEWordArray& array);
// Replaces a record text by a new 256-byte buffer holding the text.
void ChartSetRecordText(SEText& field, std::string_view text);
// The record text as a number (atof / atoi); missing text reads as 0.
double ChartTextReal(const char* text);
int32_t ChartTextInt(const char* text);

int32_t ChartCeil(double x);
int32_t ChartRound(double x);
int32_t ChartTrunc(double x);
int32_t ChartNiceInt(int32_t n);
int32_t ChartNiceIntStep(int32_t span, int32_t count);
double ChartNiceReal(double x);
double ChartNiceRealStep(double span, int32_t count);
int32_t ChartStepIndex(double x, int32_t ref, double step);
double ChartRoundForDisplay(double x);

// n labels with a blank text in a row (horizontal) or column, attached to the
// parent with the region kind; their handles go into out.
void ChartCreateValueLabels(uint32_t page, Fixed x, Fixed y, int32_t n, Fixed distance, uint32_t parent,
                            bool horizontal, SEWordArray& out, uint32_t regionKind);
uint32_t ChartCreateTitle(uint32_t page, Fixed x, Fixed y, Fixed height, std::string_view text);
void ChartCreateLegend(uint32_t page, Fixed x, Fixed y, Fixed width, Fixed entryHeight, int32_t n,
                       const int32_t* patterns, ChartLegend legend, std::string_view prefix);
void ChartClearBox(ChartLegend legend);

// Splits the code text into its "init", "cond" and "action" parts; a part
// that is absent leaves its output untouched. 1 when the action part exists.
int ChartSplitCode(std::string_view code, std::string& cond, std::string& init, std::string& action);

// Makes the object a region of the parent with the region kind.
uint32_t ChartAttach(uint32_t parent, uint32_t object, uint32_t regionKind);

// Lookup by name in the data base's chart lists (first match wins).
int FindLineChart(std::string_view name, SELineChart** chart);
int LineChartNameIsFree(std::string_view name);
int FindBarChart(std::string_view name, SEBarChart** chart);
int BarChartNameIsFree(std::string_view name);
