// Test doubles of the services that the regions, net records and roles of
// net objects call from modules not built yet, with a log of what they were
// asked and the answers they give.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

struct NetObjectLog {
    // Message boxes shown, by id.
    std::vector<int16_t> messageBoxes;
    // Keys whose graphic defaults were applied, with the objects.
    std::vector<std::pair<int32_t, uint32_t>> appliedDefaults;
    // Candidates offered to hook 65 by the pick double, in order; the first
    // one accepted is picked. pickKinds records the kinds asked for.
    std::vector<uint32_t> pickCandidates;
    std::vector<int32_t> pickKinds;
    // Declaration texts merged: (source region, target node).
    std::vector<std::pair<uint32_t, uint32_t>> mergedTexts;
    // Page attributes kept by the page-attribute doubles.
    // Hierarchy-page calls: "add", "drop", "changed", "update", "node", "droparc" with the object.
    std::vector<std::pair<std::string, uint32_t>> hierarchyCalls;
    // Page-name region updates and mode-attribute stores, by object.
    std::vector<uint32_t> pageNameUpdates;
    std::vector<uint32_t> modeAttributeStores;
    // Key-region texts returned by the tag-text doubles (by node); none gives "".
    std::map<uint32_t, std::string> portTexts;
    std::map<uint32_t, std::string> hierarchyTexts;
    // Region states set: (region, a, b).
    std::vector<std::tuple<uint32_t, int32_t, int32_t>> regionStates;
    // Objects whose net was updated from their text.
    std::vector<uint32_t> updatedFromObject;
    // Creations started: (cursor, shape of the default record).
    std::vector<std::pair<int32_t, int32_t>> creations;
    int textEditsBegun = 0;
    int textEditsEnded = 0;
    // Chart dialog answer and charts redrawn.
    int chartDialogAnswer = 1;
    std::vector<uint32_t> chartsApplied;
    // The selection that GE_GetSelection gives.
    std::vector<uint32_t> selection;
    // The hierarchy page and the page nodes on it, by page.
    uint32_t hierarchyPage = 0;
    std::map<uint32_t, uint32_t> pageNodes;
    // Connectors re-attached and declaration entries deleted.
    std::vector<uint32_t> reattached;
    std::vector<void*> deletedEntries;
    // The node that the user "draws" for a new compound node, and the kinds asked for.
    uint32_t drawnNode = 0;
    std::vector<uint16_t> drawnKinds;
    // Busy texts shown.
    std::vector<std::string> busyTexts;
};

NetObjectLog& objectLog();
