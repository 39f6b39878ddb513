// Services of modules not built yet that the diagram life cycle, the data
// base save and the ML commands call: declarations only, by their own names.
#pragma once

#include <cstdint>

// Evaluator settings callback, as GE_GetMLSettings.
using MLSettingsCallback = int (*)(int remote, uint32_t* local, char** host, uint16_t* port, char** image,
                                   char** mlFile, char** runtime, char** directory, uint32_t* directoryLength,
                                   uint32_t level);
// Code generator: starts the evaluator when needed; 1 running, 0 failed.
int CTSStartEvaluator(MLSettingsCallback settings);

// Syntax check: error reporter (object, text, length), progress reporter
// (continue flag, progress record) and box cleaner.
struct ProgressRecord {
    const char* format;
    int16_t kind;
    uint16_t values[5];
};
using CheckErrorReporter = int (*)(uint32_t object, const char* text, uint32_t length);
using ProgressCallback = void (*)(int* continueFlag, const ProgressRecord* record);
using BoxCleaner = void (*)();
// Non-zero when the check reached a verdict.
int CTSCheckNet(CheckErrorReporter reporter, uint32_t pageList, int scope, int argument, int flag,
                ProgressCallback progress, BoxCleaner cleaner);

// Kernel: modal question with yes and no; 1 for yes.
uint32_t QXUI_Confirm(const char* text);

// Net editor: the net record of a page (mode 1 new page, 2 loaded subdiagram).
int EE_CreateNetPage(uint32_t page, int mode);
