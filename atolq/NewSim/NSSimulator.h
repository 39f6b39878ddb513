// The newer simulator: the evaluator keeps the net and its markings and
// answers typed requests; this side keeps the page instances and asks for
// enabling, markings and runs. One global flag selects this mode everywhere.
#pragma once

#include <cstdint>
#include <string>

#include "atolq/CEditor/Progress.h"
#include "atolq/NewSim/NSMode.h"

struct SEPage;
struct SEPlace;
struct SETrans;
struct ASInstance;

// Installs the operations through which the check, the switch, the reset
// and the abstract simulator hand over while the newer simulator is selected.
void NSInstallHandOvers();

// Asks the evaluator for the page instances and makes their records; with
// charts and options set up, 1. 0 when some record is still unchecked or a
// request failed.
int NSCreateInstances(ProgressCallback callback);
// The initial state: options, seed and the evaluator's reset; 1.
int NSResetState();
// The model start time of the net's code options; "0" when it has none.
std::string NSStartTimeText();
// Deletes every page's instance records without asking the evaluator.
void NSDeleteInstances();

// 1 enabled, 0 not; -4 when the request failed.
int NSCheckEnabling(SETrans* transition, ASInstance* instance);
// The marking as text and its number of tokens; -4 on failure.
int NSPlaceMarkingText(SEPlace* place, ASInstance* instance, std::string* text);
int NSPlaceTokenCount(SEPlace* place, ASInstance* instance);
// The evaluator's verdict on a marking text for the place (1 legal); 0 on
// failure. A legal text is what a later NSChangeMarking with flag 1 sets.
int NSCheckMarkingText(SEPlace* place, const char* text);
void NSChangeMarking(SEPlace* place, ASInstance* instance, int flag);
void NSChangeModelTime(const char* time);
int NSSaveReport(const char* file);
int NSClearReport();

// The automatic run. With wait the reply is read at once; without, it is
// collected later by NSPollRun or NSMsgAwaitReply.
int NSStartRun(int wait);
// 1 while a run's reply is outstanding.
int NSRunPending();
// The status of the run's reply when it has arrived; 0 while none is ready.
int NSPollRun();
// Waits for the run's reply; its status (0 when none could be read).
int NSMsgAwaitReply();
// The three texts of the run's result (step, model time, message); 1 when
// all three were read. Frees the run's message.
int NSRunResult(std::string* step, std::string* time, std::string* message);
// The next integer of the run's answer, 0 when there is none.
int NSRunStepCount();
