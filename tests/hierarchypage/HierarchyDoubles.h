// Test doubles of the net-editor services that the hierarchy page calls,
// with what they were asked.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

struct HierarchyDoubleLog {
    int failRegions = 0;                  // GE_MakeRegion gives none
    int answer = 1;                       // GE_AskContinue's answer
    std::vector<int16_t> questions;
    std::vector<uint32_t> deletedPages;
    std::vector<std::pair<uint32_t, int32_t>> removedRegions;
    std::vector<uint32_t> stripped;       // EE_RemoveNetInfo with delete
};

HierarchyDoubleLog& hierLog();
