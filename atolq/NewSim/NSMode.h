// The newer-simulator flag and the operations through which the syntax
// check, the switch, the state reset and the abstract simulator hand over
// to the newer simulator while the flag is set. The newer simulator installs
// them (NSInstallHandOvers); an operation not installed is not handed over.
#pragma once

#include <cstdint>
#include <string>

#include "atolq/CEditor/Progress.h"

struct SEPlace;
struct SETrans;
struct ASInstance;
struct MemFile;

// Nonzero while the newer simulator is selected ("Enter NewSim" adds one;
// "Enter Simulator", New, Open, Close and "Load XML..." clear it).
uint32_t& NSNewSimFlag();

struct NSHandOverTable {
    int (*syntaxCheck)(int (*reporter)(uint32_t, const char*, MemFile*), int refuseTransitionFusion,
                       ProgressCallback progress, void* configuration) = nullptr;
    int (*createInstances)(ProgressCallback callback) = nullptr;
    int (*resetState)() = nullptr;
    int (*checkEnabling)(SETrans* transition, ASInstance* instance) = nullptr;
    int (*markingText)(SEPlace* place, ASInstance* instance, std::string* text) = nullptr;
    int (*tokenCount)(SEPlace* place, ASInstance* instance) = nullptr;
    void (*deleteInstances)() = nullptr;
};

// The step and model-time texts of the newer simulator's last answer, as
// the status line shows them; empty until a state reset or a run sets them.
struct NSShownTexts {
    std::string step;
    std::string time;
};
NSShownTexts& NSShown();

// The installed operations; each is used only while the flag is set.
NSHandOverTable& NSHandOvers();
// The table when the newer simulator is selected and has installed it, else null.
const NSHandOverTable* NSActiveHandOvers();
