// Progress of long operations (the syntax check, the switch to the simulator,
// compiling declarations): the record handed to the progress hook.
#pragma once

#include <cstdint>

// A format text (or none), a kind selecting the counters shown (0 the text
// alone, 5 counters 0 and 2, 7 counters 0, 1 and 2, 8 counter 3, 16 counter 4)
// and five counters.
struct ProgressRecord {
    const char* format;
    int16_t kind;
    uint16_t counters[5];
};

// Shows the progress; a cleared continue flag stops the caller before its next step.
using ProgressCallback = void (*)(int* continueFlag, ProgressRecord* record);
