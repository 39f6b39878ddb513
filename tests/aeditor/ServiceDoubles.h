// What the test doubles of the abstract net's neighbours recorded.
#pragma once

#include <cstdint>
#include <map>

struct ServiceLog {
    int reswitchRequests = 0;
    int integerTime = -1;
    // Kernel handle map of a diagram load: old handle -> new handle.
    std::map<uint32_t, uint32_t> handleMap;
    bool translateAll = true;
    std::map<uint32_t, uint32_t> simLinks;
};

ServiceLog& serviceLog();
