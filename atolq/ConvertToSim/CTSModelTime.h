// Model time: the clock kept by the program beside the evaluator's, in
// integer or real representation, and the clock text exchanged with the
// evaluator.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

void CTSSetIntegerTime(int flag);
int CTSUseIntegerTime();
// 4 for integer time, 8 for real time.
uint32_t CTSTimeSize();
// A new zeroed time value (QXMem block), 0 when out of memory.
void* CTSTimeNew();
void CTSTimeSetMax(void* value);
// The larger (smaller) of two values; b when they are equal.
void* CTSTimeMax(void* a, void* b);
void* CTSTimeMin(void* a, void* b);
// "(clock (\"%ld\"))" of the value, into text of at least 48 bytes.
void CTSClockText(const void* value, char* text, uint32_t size);
// Parses a clock text into the value: the number of fields matched (1), or
// less when the text does not match; the value is then unchanged.
int CTSParseClock(const char* text, void* value);

struct LMList;

// The program's model clock and the earliest enabling time still to come,
// both in the current representation (made on first use).
void* CTSClockValue();
void* CTSNextTimeValue();
// Makes both values anew (clock 0, next time the largest value); 1, or 0
// when out of memory.
int CTSTimeInit();
// A time value, or the clock, as a whole number.
long CTSTimeAsLong(const void* value);
long CTSClockAsLong();
// Asks the evaluator for the model time and takes it as the clock; 1 when
// the answer was a clock text, else the clock is left as it was.
int CTSReadModelClock();

// A transition's enabling times: pair lists of (instance, time value) of
// the instances enabled now and later, and the pair list of (instance,
// flag) with flag 1 now, 0 later. The lists own their time values.
struct CTSTimeLists {
    LMList* now = nullptr;
    LMList* later = nullptr;
    LMList* flags = nullptr;
};
// Frees the three lists and the time values in them.
void CTSTimeListsClear(CTSTimeLists* lists);
// Sorts the instance by the time text ("none" or missing: never): 1 now,
// 0 later (also 0, with nothing changed, when out of memory).
int CTSTimeNoteEnabling(void* instance, CTSTimeLists* lists, const char* text);
// Predicates over a later list (now list) after the clock moved: 1 when the
// entry moved to the now (later) list and is to be removed from its list.
int CTSTimeNoteNow(void* instance, void* value, CTSTimeLists* lists);
int CTSTimeNoteLater(void* instance, void* value, CTSTimeLists* lists);
// Offers a later time as the next enabling time; 1.
int CTSTimeNoteCandidate(void* instance, void* value);
// Next time := the largest value; both flags cleared.
void CTSTimeResetNext();
// Whether some instance is enabled now / later since the last reset.
bool CTSTimeAnyNow();
bool CTSTimeAnyLater();
// Moves the evaluator's model time to the next enabling time (the fast
// run's time list for run mode 1) and reads the clock back.
int CTSAdvanceToNextTime(int runMode);

// Re-sorts a transition's lists after the clock moved: later entries now
// due move to the now list, now entries no longer due to the later list.
// Each moved instance is noted with true (now) or false (later).
void CTSTimeResort(CTSTimeLists* lists, std::vector<std::pair<void*, bool>>* moved);
// 1 when nothing is enabled now, something later, and the next time lies
// after the clock below the largest value: the clock may move on.
int CTSTimeIdleAhead();
// Takes the next-time value as the program's clock.
void CTSTimeNextToClock();
