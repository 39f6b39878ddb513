// The log and settings of the net-creation tests' doubles.
#pragma once

#include <cstdint>
#include <map>

struct NetCreateLog {
    std::map<uint32_t, uint32_t> netMasks;      // role masks the classifier gives
    std::map<uint32_t, uint32_t> graphicMasks;
    int mapCalls = 0;
};

NetCreateLog& createLog();

