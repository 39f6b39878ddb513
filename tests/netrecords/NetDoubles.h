// Test doubles of the services that the net records and defaults call,
// with a log of what they were asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct NetDoubleLog {
    int askAnswer = 1;
    std::vector<int16_t> questions;
    int readOptions = 0;
    int layoutCalls = 0;
    int showSub = -1;
    int showInv = -1;
    int32_t gridX = 0;
    int32_t gridY = 0;
    int simulatorCalls = 0;
};

NetDoubleLog& netLog();
