// Test doubles of the kernel and net-editor services that the hierarchy
// page calls, with what they were asked.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct HierarchyDoubleLog {
    struct PageAttr {
        std::string name;
        uint32_t number = 0;
    };
    std::map<uint32_t, PageAttr> pages;  // names and numbers set on pages
    std::vector<uint32_t> cursors;        // cursors set, in order
    uint32_t cursor = 0;
    int failRegions = 0;                  // GE_MakeRegion gives none
    int answer = 1;                       // GE_AskContinue's answer
    std::vector<int16_t> questions;
    uint32_t pick = 0;                    // what QXUI_PickObject gives
    std::vector<uint32_t> shown;          // objects shown
    std::vector<uint32_t> deletedPages;
    std::vector<std::pair<uint32_t, int32_t>> removedRegions;
    std::vector<uint32_t> stripped;       // EE_RemoveNetInfo with delete
};

HierarchyDoubleLog& hierLog();
