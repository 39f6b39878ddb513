// Stand-ins for the net editor's chart services that the chart library calls:
// the code regions and the removal of a chart's role do the kernel work the
// editor does (a box attached to the frame with the region kind; the frame
// deleted), and record what they were asked.
#pragma once

#include "xkv/types/Types.h"

#include <cstdint>
#include <vector>

struct SEPage;

struct EditorLog {
    std::vector<uint32_t> removed;     // objects whose net role was removed
    std::vector<int> removedDeleting;  // their delete flags
    int textEditsEnded = 0;
    int reswitches = 0;
    uint32_t hierarchyPage = 0;
    SEPage* sePage = nullptr; // where chart records are made
};
EditorLog& editorLog();
