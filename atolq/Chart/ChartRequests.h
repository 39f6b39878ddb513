// The evaluator's chart callbacks: a request code, the chart's name and the
// code's arguments, answered with the operation's result word.
#pragma once

#include "atolq/SML/SMLWire.h"

#include <cstdint>
#include <span>
#include <string>

// Serves one chart callback; 0 with the answer in reply, -1 for an unknown
// code or a request whose arguments cannot be read whole.
int ChartServeRequest(std::span<const uint8_t> request, SMLWireOut& reply);
// Binds ChartServeRequest as the link's chart server.
void ChartInstallRequests();

// The line and bar chart halves: true when the code is theirs; then status
// is 0 with the answer written, or -1 for a malformed request.
bool LineChartServe(uint32_t code, const std::string& name, SMLWireIn& in, SMLWireOut& out, int* status);
bool BarChartServe(uint32_t code, const std::string& name, SMLWireIn& in, SMLWireOut& out, int* status);

// A real sent as ML text: the first "~" becomes "-", then read as C reads
// "%lg"; an unreadable text is 0.
double ChartReadRealText(const std::string& text);
// The text of a request bounded to a settings text buffer.
void ChartCopySetting(char (&field)[256], const std::string& text);
// An element count of a list, refused (reader failed) when the bytes left
// cannot hold that many elements of at least minBytes each.
uint32_t ChartReadCount(SMLWireIn& in, uint32_t minBytes);
