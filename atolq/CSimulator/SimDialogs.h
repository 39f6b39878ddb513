// The interactive simulator's modal dialogs: the bindings of a transition
// instance, the choice of a page instance (any or an enabled one), the
// occurrence-set choice, a new marking for a place instance, a new model
// time, and whether an interactive run goes on after a step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "atolq/ASimulator/ASimulator.h"

// Redraws a transition instance after its bindings changed; the simulator's
// graphics install it. Empty: nothing is redrawn.
std::function<void(SETrans*, ASInstance*)>& SBindGraphicsRefresher();

// Bindings of the transition (its kernel object) in the page instance: 0 when
// cancelled, else 1; occur = 1 when "Occur" closed the dialog.
int SBindDialog(uint32_t transitionObject, ASInstance* instance, int* occur);

// A page instance of the page: 1 and the chosen instance, 0 when cancelled.
int SSelectInstanceDialog(uint32_t pageObject, ASInstance** instance);
// An instance that can occur, proposed from the given one or the first
// found on any page: 1 with the instance and its page object, 0 when
// cancelled or when nothing is enabled ("There are no enabled transitions.").
int SSelectEnabledDialog(uint32_t* pageObject, ASInstance** instance);

// After a step of an interactive run: 2 "Cont", 3 "Stop", -1 otherwise.
int SStepFinishedDialog(long step);

// 1 and the chosen item (5 new, 6 add to, 7 delete the occurrence set), 0
// when cancelled.
int SOccurrenceSetDialog(int* choice);

// A new marking for the place in the instance: 1 unless cancelled, with
// initialChosen = 1 when "Initial Marking" was chosen. A specified or empty
// marking has been accepted by the evaluator (ASChangeMarking) when the
// dialog closes with 1. A restricted dialog offers only the initial marking.
int SChangeMarkingDialog(SEPlace* place, ASInstance* instance, int restricted, const char* initialText,
                         int* initialChosen);

// A new model time: 1 and the text, 0 when cancelled. With integer required
// only a whole number is taken, otherwise a number with a fraction.
int SModelTimeDialog(int integerRequired, const char* currentText, std::string* text);
// Whether the text is a model time of the required sort.
bool SModelTimeAcceptable(const char* text, int integerRequired);
