// The net layer's command-line options, read through hook 80: the debug and
// ML dump switches, the scripted start (-autoexec with its script, mode word,
// quit word and prompt arguments), the newer simulator and its code file, and
// the evaluator's debug state. Values are set once per process.
#pragma once

#include <cstdint>
#include <string>

struct NetOptions {
    uint32_t debug = 0;
    uint32_t dumpML = 0;
    uint32_t autoExec = 0;
    std::string scriptPath;       // the -autoexec script, else the tool extension
    uint32_t enterSimulator = 0;
    uint32_t performance = 0;
    uint32_t occurrenceGraph = 0;
    uint32_t quit = 0;
    std::string promptArgs;
    uint32_t newSim = 0;
    uint32_t saveCode = 0;
    uint32_t mlDebug = 0;
};

// Longest script path and prompt-arguments text kept; longer words are cut.
inline constexpr size_t kGEMaxOptionText = 4095;

// The process-wide option values.
const NetOptions& GE_Options();

// The tool extension path taken in an ordinary start (no -autoexec).
void GE_SetScriptPath(const char* path);

// Hook-80 handler: consumes the net layer's options and compacts argv. With
// -autoexec but no absolute script path, prints the usage text and exits 1.
// Null or short argument vectors are left alone. Returns 1.
int GE_ParseArguments(int* argc, char** argv);
