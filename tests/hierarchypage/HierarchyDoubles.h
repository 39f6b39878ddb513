// Test doubles of the kernel and net-editor services that the hierarchy
// page calls, with what they were asked.
#pragma once

#include <cstdint>
#include <map>
#include <string>
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
};

HierarchyDoubleLog& hierLog();
