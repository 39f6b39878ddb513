// The options of the sibling tool's analysis ("RXL Simulation Options..."):
// report units, reports by time and by pieces, the size references and the
// spreadsheet reports, edited on a copy of the diagram's record.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Record 1075: the report switches in words 0 to 5, the unit texts (20
// bytes each) and the six report texts (32 bytes each) behind them.
using SRXLOptions = std::array<int32_t, 64>;

// A text field of the record at its byte offset, bounded by its size.
std::string SRXLOptionText(const SRXLOptions& record, uint32_t offset, uint32_t size);
// Stores the text cut to the field (one byte stays for the closing zero).
void SSetRXLOptionText(SRXLOptions& record, uint32_t offset, uint32_t size, std::string_view text);

// Checks a record as "OK" does; 0 when valid, else the message id of the
// first failure. An empty stop of the piece reports becomes "NEVER".
int16_t SRXLOptionsProblem(SRXLOptions& record);

// 1 and the record when the dialog ended with "OK"; 0 when cancelled or when
// the dialog could not be opened.
int SRXLOptionsDialog(SRXLOptions* record);
