// The Set menu's option dialogs of the net editor: optional syntax
// restrictions and simulation code options, with their commands.
#pragma once

#include <array>
#include <cstdint>

// Record 1063: eleven switches.
using EESyntaxOptions = std::array<int32_t, 11>;
// Record 1065: mode (0 fair, 1 fast, 2 both), time (3 with, 4 without,
// 5 both), code segments (6 with, 7 without, 8 both), then the start time
// as a 32-byte text.
using EECodeOptions = std::array<int32_t, 11>;
// Record 1064: the general simulation options.
using EERunOptions = std::array<int32_t, 44>;

// The dialogs: 1 with the record filled on "OK", 0 on "Cancel".
int EE_EditSyntaxOptions(EESyntaxOptions& record);
int EE_EditCodeOptions(EECodeOptions& record);

// A start time must be an integer unless time is not used.
bool EE_CodeOptionsValid(const EECodeOptions& values);
// The run options brought in line with the code options.
void EE_AdjustRunOptions(const EECodeOptions& code, EERunOptions& run);

// Set > Syntax Options... and Set > Simulation Code Options...
void EE_SyntaxOptions();
void EE_CodeOptions();
