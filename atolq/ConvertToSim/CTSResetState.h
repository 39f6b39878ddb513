// The simulator-state side of the code generator: asking the evaluator
// whether transition instances are enabled, one at a time or many in one
// request, keeping each page instance's enabled and disabled lists, and
// recomputing enabling after a step, a marking change or a reset.
#pragma once

#include <cstdint>
#include <string_view>

struct SETrans;
struct ASInstance;
struct MemFile;

// Asks whether the transition is enabled in the instance and moves it
// between the instance's enabled and disabled lists: 1 enabled, 0 not.
int CTSCheckEnabling(SETrans* transition, ASInstance* instance);
// The same with the fast binding function.
int CTSCheckEnablingFast(SETrans* transition, ASInstance* instance);

// The batch form for the instance's re-check list: writes one request that
// asks about every entry, each answer closed by the reply-end marker.
void CTSWriteEnablingBatch(ASInstance* instance);
// Reads the next answer of a batch reply for the transition and moves it
// between the instance's lists: 1 enabled, 0 not, -1 no answer left.
int CTSReadEnablingAnswer(SETrans* transition, ASInstance* instance, MemFile* reply);
// Checks every entry of the instance's re-check list in one request and
// destroys the list. Entries a failed request left unanswered are asked
// one by one. The number of entries found enabled.
int CTSCheckEnablingBatch(ASInstance* instance);

// Puts the evaluator's simulator into the initial state with the net's run
// options: model time, fusion states, page instances, the transition
// sequence, fairness, seed, with-code, feedback and stop options, the
// automatic code, then enabling. 1 done, 0 when a page instance could not
// be made (nothing further is sent then).
int CTSResetSimState();
// Sends the request that initialises state (and time for a timed net).
int16_t CTSInitState();
// Marks the transitions that never need an enabling question (bit 28): a
// substituted transition, or one without guard, time and arc expressions.
void CTSMarkNoRequestTransitions();

// Recomputes the enabling of every transition instance on every page.
void CTSRecalcEnabling();
// Re-checks the queued transition instances with the simulator's re-check
// code (97 after a marking change, 101 after a step).
void CTSRecalcEnablingFor(int requestCode);

// In a timed net run with time, when nothing is enabled now but something
// later and no re-check is pending: moves the evaluator's model time to the
// next enabling time and re-sorts the transitions' now and later lists,
// which moves the instances that became due to the enabled lists.
void CTSTimeAdvanceIfIdle();

// Forgets the enabling times of every transition's instances; run when the
// page instances go.
void CTSClearTimeLists();

// The model clock as last read from the evaluator.
long CTSCurrentClock();
// The earliest enabling time later than the clock met since the last
// recomputation, or -1 when none.
long CTSNextEnablingTime();
// Whether an enabling answer means enabled: a values block, or, for a timed
// question, a time not later than the clock.
bool CTSAnswerEnabled(std::string_view answer, bool timedQuestion);
