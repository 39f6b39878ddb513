// The simulator's option dialogs of the Set menu: occurrence-set options,
// general simulation (run) options and interactive simulation options. Each
// opener works on a copy of the diagram's record and hands the edited record
// back; the command stores it and passes it on to the abstract simulator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Record 1067: five automatic-mode percentages, the seed (-1 for a seed from
// the clock) and the number of binding attempts.
using SOccSetOptions = std::array<int32_t, 7>;
// Record 1064: run mode (five-state), with code, with time, record steps,
// record bindings, the number of record options on, five stop criteria, the
// number of criteria on, then four 32-byte texts (the criteria's values).
using SRunOptions = std::array<int32_t, 44>;
// Record 1066: three breakpoints and when graphics are updated.
using SInteractiveOptions = std::array<int32_t, 4>;

inline constexpr size_t kSRunTextBytes = 32;
inline constexpr size_t kSRunFirstText = 12;

// 1 and the record when the dialog ended with "OK"; 0 when cancelled or when
// the dialog could not be opened.
int SOccSetOptionsDialog(SOccSetOptions* record);
int SRunOptionsDialog(SRunOptions* record);
int SInteractiveOptionsDialog(SInteractiveOptions* record);

// The run mode the general options dialog showed last, and the one its "OK"
// chose (0 fair automatic, 1 fast automatic).
int32_t& SRunModeValue();
int32_t& SChosenRunMode();

// The text of stop criterion 0 to 3 in a run options record, and its setter
// (cut to the field's 31 characters).
std::array<char, kSRunTextBytes + 1> SRunCriterionText(const SRunOptions& record, size_t criterion);
void SSetRunCriterionText(SRunOptions& record, size_t criterion, const char* text);
