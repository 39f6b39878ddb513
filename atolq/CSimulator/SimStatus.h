// The simulator's status line with its model-time and step suffix, the run
// and display option words of the net's root as the simulator reads them,
// the five-state option words, and whether an object's text may be edited
// while simulating.
#pragma once

#include <cstdint>
#include <string>

// Time modes: 0 no time, 1 the cached time, 2 the time read again.
inline constexpr int kSNoTime = 0;
inline constexpr int kSTimeShown = 1;
inline constexpr int kSTimeRefreshed = 2;
// Step modes: 3 no step, 4 the cached step, 5 the step read again.
inline constexpr int kSNoStep = 3;
inline constexpr int kSStepShown = 4;
inline constexpr int kSStepRefreshed = 5;

// Shows the text (or nothing) followed by the suffix in the status bar.
void SShowStatus(const char* text, int timeMode, int stepMode);
// "   Time: <t>" and/or "   Step: <s>"; false and empty when nothing is added.
bool SStatusSuffix(std::string* suffix, int timeMode, int stepMode);
// The newer simulator's step and time texts: a missing or empty step text
// is "0", a missing or empty time text the model start time.
void SSetNewSimTexts(const char* step, const char* time);
void SGetNewSimTime(std::string* time);
void SSetNewSimTime(const char* time);
// Forgets the cached time and step texts.
void SForgetStatusTexts();

// The first run option: 0 becomes 2; 1 when it is on.
int SRunOptionActive();
// 1 when substeps are shown (display mode 0 or 1).
int SSubstepsShown();
// Code-generation option entries 0, 1 and 2.
void SGetCodeGenFlags(int32_t* first, int32_t* withTime, int32_t* withCode);

// The five-state option words (states 0 to 4).
void SOptionRead(int32_t* state, int32_t* value);
void SOptionChange(int32_t* state, int on);

// 1 when the object's text may be edited in the simulator (hook 47 too).
int SMayEditText(uint32_t object);
