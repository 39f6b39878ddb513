// The texts that call a chart's generated ML functions, and the request that
// sends them; shared by the simulator's chart operations.
#pragma once

#include <cstdint>
#include <string>

#include "atolq/AEditor/SERecords.h"

// When a chart's update function is called: forced, after a step (through
// the chart's own update condition), or at the end of a run (forced, only
// for charts that ask for it).
enum class SChartMode { Forced, AfterStep, EndOfRun };

// Appends the update call of the chart record (a bar or line chart that has
// code and an ML name) in the mode; nothing for any other record.
void SAddChartUpdate(std::string& text, SEHead* record, SChartMode mode);

// The update calls of every chart of the net, bar charts first.
std::string SAllChartUpdates(SChartMode mode);

// Sends the text as one request to the evaluator; 0 without sending when
// the text is empty, else the evaluation's result.
int16_t SSendChartText(const std::string& text);

// An ML exception class of a request's result (-2, -4 or -5).
bool SChartIsMLException(int16_t result);
