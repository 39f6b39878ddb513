// The simulator's run options as other modules ask for them: with code
// segments, with time, the code-generation choices in force, and the
// five-state option words of the options dialogs.
#pragma once

#include <cstdint>

// Entry 1 and entry 2 of the net's run options; 0 without a net.
int SWithCode();
int SWithTime();

// The code-generation choices in force: the simulation mode (0 fair, 1 fast,
// 2 both), time (3 with, 4 without, 5 both) and code segments (6 with,
// 7 without, 8 both); all 0 without a net.
void SGetCodeGenFlags(int32_t* first, int32_t* withTime, int32_t* withCode);

// Five-state option words (states 0 to 4). Reading gives the value the word
// stands for and settles the word; changing records a new choice. States
// above 4 are left alone: reading gives nothing then.
void SOptionRead(int32_t* state, int32_t* value);
void SOptionChange(int32_t* state, int32_t on);
