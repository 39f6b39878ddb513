// What the test doubles of the life-cycle services were asked and answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atolq/CEditor/LifeSeams.h"

struct LifeLog {
    int confirms = 0;
    int starts = 0;
    int refreshedNames = 0;
    int verdict = 1;
    bool escapeDuringCheck = false;  // the user presses Escape during the check
    std::vector<ProgressRecord> progress;
    std::vector<uint32_t> errorObjects;
    std::vector<uint32_t> storedTexts;  // objects whose text went into the net
};
LifeLog& lifeLog();
