// The simulator's run options as other modules ask for them: with code
// segments, with time.
#pragma once

// Entry 1 and entry 2 of the net's run options; 0 without a net.
int SWithCode();
int SWithTime();
