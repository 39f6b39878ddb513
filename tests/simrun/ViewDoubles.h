// A recording double of the screen side of the step machinery: every call
// is logged by name, item states are kept, and the user's answers (keys,
// questions, the step dialog) are scripted.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace simview {

struct Screen {
    std::vector<std::string> calls;
    std::map<uint32_t, int> items;      // command -> 1 enabled / 2 disabled
    int menuBarRedraws = 0;
    bool timerRunning = false;
    std::vector<int16_t> messages;       // every message and internal error shown
    std::vector<std::string> texts;      // texts shown with messages
    std::vector<std::string> statuses;
    std::deque<int> keys;                // answers of the key poll
    std::deque<int> stepDialog;          // answers of the step dialog (1 go on, 2 stop)
    int askContinue = 1;
    int askYesNo = 0;
    int stateInvalid = 0;
    int busy = 0;                        // nesting of busy states: 0 or 1
    int placeUpdates = 0;
    int chartUpdates = 0;
    int chartRefreshes = 0;
    int pendingFatal = 0;
    int stepDialogs = 0;
};

Screen& screen();
void reset();
// How often a call was logged.
int count(const std::string& call);

} // namespace simview
