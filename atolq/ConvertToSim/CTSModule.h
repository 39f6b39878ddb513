// The one module state of the syntax check and the simulation code generator:
// the error reporter and progress hook of the current run, the continue flag
// they share, the name counter, and the evaluator's buffers. Both halves read
// and write it through CTSCurrentContext(); nothing else holds a copy.
#pragma once

#include <cstdint>

#include "atolq/CEditor/Progress.h"
#include "atolq/Utils/MemFile.h"

// Attaches a message (and, when given, the evaluator's reply) to an object.
using CTSErrorReporter = int (*)(uint32_t object, const char* message, MemFile* details);

struct CTSContext {
    // Set for each check run or switch.
    CTSErrorReporter reporter = nullptr;
    ProgressCallback hook = nullptr;
    int continueFlag = 1;
    ProgressRecord progress{};
    int simulatorChecks = 0; // kept by a recheck from the last full check
    int arcError = 0;        // stops the enclosing transition or compound check
    int timedColourSets = 0; // some colour-table entry is timed

    // Alive for the process. The declarations-defined and saved-image words
    // are the net data base's DeclsCompiled and MLImageSaved.
    int nameCounter = 10;
    int evaluatorUp = 0;
    MemFile* reply = nullptr; // the shared reply buffer, made on first use

    // Made when the evaluator comes up, freed when it stops.
    MemFile* request = nullptr;
    MemFile* input = nullptr;
    MemFile* scratch = nullptr;
};
CTSContext& CTSCurrentContext();

// Starts a check run or a switch: the hook is installed, the continue flag
// set and the progress record cleared.
void CTSBeginRun(ProgressCallback hook);
// Calls the progress hook (while the flag is set); 1 while the run may go on.
int CTSProgress();

// The shared reply buffer (never null).
MemFile* CTSReplyBuffer();
// The request, input and reader scratch buffers; null while no evaluator is up.
MemFile* CTSRequestBuffer();
MemFile* CTSInputBuffer();
MemFile* CTSScratchBuffer();

// The name counter: the next number, and its decimal text in a new QXMem
// string (length through the out parameter).
int CTSNextNumber();
char* CTSNewNumberName(uint16_t* length, uint32_t unused);
void CTSSetNameCounter(int value);
int CTSNameCounter();

// Registers with the abstract net the services it needs from this layer
// (stopping the evaluator, the model-time representation, the image save).
// Run at start-up and whenever the evaluator is started.
void CTSInstallNetServices();
