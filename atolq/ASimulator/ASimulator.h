// The abstract simulator: page instances and binding elements, options and
// mode flags, manual binding and enabling re-checks, the random choice of the
// occurrence set, step execution and the marking queries.
#pragma once

#include <cstdint>
#include <string>

#include "atolq/ASimulator/ASRecords.h"
#include "atolq/ASimulator/ASRequests.h"

struct LMList;

inline constexpr int16_t kASMsgInvalidRecord = 12545;
inline constexpr int16_t kASMsgOutOfMemory = 11266;
inline constexpr int16_t kASMsgInitialMarking = 11550;

// ---- options and mode flags (root fields) ----
// Where the simulator keeps its options in the data base root.
inline uint16_t& ASObservationMode(SERoot* r) { return r->cg1; }
inline uint16_t& ASSeed(SERoot* r) { return r->cg2; }
inline uint32_t& ASRandomSeed(SERoot* r) { return r->cg3; }
// Pages, Page Instances, Transitions, Different Bindings, Identical Bindings.
inline uint16_t* ASAutoSettings(SERoot* r) { return r->cg4; }
// Random Draws: the tries of a binding with open values.
inline uint16_t& ASBindTries(SERoot* r) { return r->cg6; }
// 1 one transition per substep, 4 the whole step at once.
uint16_t ASStepGranularity(const SERoot* r);
void ASSetStepGranularity(SERoot* r, uint16_t value);
// Run options: 0 run mode, 1 with code, 2 with time, 3 report transitions,
// 4 report bindings.
inline int32_t* ASRunOptions(SERoot* r) { return r->runOptions; }
inline int32_t* ASCodeGenOptions(SERoot* r) { return r->codeGenOptions; }

int ASSetSimOptions(const int32_t values[7]);
int ASSetCodeGenOptions(const int32_t values[11]);
int16_t ASSendGenFlags();
int ASSetRunOptions(const int32_t values[44]);
int ASSetDisplayOptions(const int32_t values[4]);
int ASSetRXLOptions(const int32_t values[64]);
int ASSetOptionBit(uint32_t mask, int on);
int ASTestSimOption(uint32_t mask);
int ASSetPageMode(SEHead* page, uint32_t mask, int on, int toNodes, int deferred);
int ASSetNodeMode(SEHead* node, uint32_t mask, int on, int deferred);
int ASSetPrime(SEHead* page, uint16_t count);
int ASTestPageFlag(SEHead* page, uint32_t mask);
int ASTestNodeFlag(SEHead* node, uint32_t mask);
int16_t ASGetPrimeCount(SEHead* page);
int ASTestInstanceMode(SEHead* instance, uint32_t mask);
// The effective mode word of an instance, from its page and substitution.
uint32_t ASEffectiveMode(const ASInstance* instance);
// The deferred mode changes: (record, new mode word) pairs.
LMList*& ASDeferredModeChanges();
// Simulator state words kept between calls.
int16_t& ASPendingGranularity();
int& ASStepInProgress();
// An observation mode set while a step ran, taken over at its end.
bool& ASObservationDeferred();

// ---- page instances and binding elements ----
int ASCreateInstance(SEPage* page, const char* suffix, SECompound* compound, ASInstance* parent);
ASBindingElement* ASNewBindingElement(ASInstance* instance, SETrans* transition, uint32_t state,
                                      const char* values, uint32_t valuesLength, int random);
void ASSetBindingValues(ASBindingElement* element, const char* values, uint32_t valuesLength, int random);
std::string ASBindingDisplayText(const ASBindingElement* element);
int ASDeleteBindingElement(ASBindingElement* element);
int ASDeleteInstance(ASInstance* instance);
int ASDiscardInstance(ASInstance* instance);
int ASDeleteAllInstances();
int ASClearStepElements(SEPage* page);
void ASResolvePort(SEHead* node, ASInstance* instance, SEHead** outNode, ASInstance** outInstance);
const char* ASGetName(SEHead* record);
ASInstance* ASGetParentInstance(SEHead* instance);
int32_t ASGetInstanceNumber(SEHead* instance);
SECompound* ASGetInstanceNode(SEHead* instance);
int ASIsExecutedElementOf(SEHead* element, SETrans* transition);
int ASCountChosen(SETrans* transition, ASInstance* instance);
// The order number by which the steps lists are sorted.
int32_t ASTransOrder(const SETrans* transition);
// Inserts the element into its instance's steps list, after the last
// element whose transition's order number is not larger.
void ASInsertStep(ASBindingElement* element);
// Unlinks an element from a record list without freeing it.
void ASUnlinkElement(LMList* list, ASBindingElement* element);
// The variables of a transition, in the order of its variable list.
int ASVariableCount(const SETrans* transition);

// ---- manual binding and enabling re-checks ----
struct ASBindRequest {
    SETrans* transition;
    ASInstance* instance;
    const char* value;     // the current value text
    int done;
    ASBindingElement* element; // the new element (codes 15 and 19)
    int found;             // the number of elements found (code 16)
    int collected;         // values collected so far
};
int ASBeginBindingValues(int code, ASBindRequest* context);
int ASAddBindingValue(int code, ASBindRequest* context);
int ASManualBind(ASBindingElement* element);
ASBindingElement* ASRebind(ASBindingElement* element);
int ASPromoteBindingElement(ASBindingElement* element, int confirm, int refresh, int userMade, int count,
                            int check);
int ASWithdrawBindingElement(ASBindingElement* element, int refresh, int onlyIfEnabled, LMList** collect);
int ASRecheckEnabling(int code);
// Pairs are (transition, instance).
int ASQueueAffected(LMList* pairs, int mode);
int ASWithdrawAndRecheck(ASBindingElement* element);
int ASHasBindingElement(SETrans* transition, ASInstance* instance);
int ASDropRecheckLists();
int ASClearTransStateMarks();
int ASMarkChangedPlaces(LMList* pairs);
// Sends the with-code switch when its effective value for the instance
// differs from the last one sent.
void ASUpdateWithCode(const ASInstance* instance);
// Forgets the with-code value last sent (a new evaluator session).
void ASForgetWithCode();
int ASStopCriteriaMet();
int16_t ASRequestCurStep(long step);
std::string ASRequestModelTimeText();
std::string ASRequestStep();
void ASReportOccurrence(ASBindingElement* element);
// (place, instance) pairs expanded over port assignments and fusion.
LMList* ASExpandPlaceInstances(LMList* pairs);

// ---- random choice of the occurrence set ----
int ASChooseOccurrenceSet(int filter);
int ASClearNoOccSetFlag();
int ASSetNoOccSetFlag();
int ASResetMarkLists();
int ASHasCandidates(const ASInstance* instance);
int16_t ASAutoRunStep(bool fast);

// ---- step execution and marking queries ----
using ASCodeOutput = void (*)(MemFile* reply, uint32_t transitionObject, ASInstance* instance);
int ASBeginExecution(ASCodeOutput output);
int ASExecuteStep(ASInstance** failedInstance, uint32_t* failedObject, int* result);
int ASExecuteElement(ASBindingElement* element, int16_t* code);
void ASSendOccurrenceSet();
int ASRefreshEnabling();
int ASStepIsEmpty();
void ASResetReplyBuffer();
int ASIsCandidate(SETrans* transition, ASInstance* instance);
int ASQueryPlaceTokens(SEPlace* place, ASInstance* instance, std::string* text);
int ASQueryPlaceTokenCount(SEPlace* place, ASInstance* instance);
int ASQueryArcTokens(SEArc* arc, ASInstance* instance, std::string* text, int force);
int ASQueryArcTokenCount(SEArc* arc, ASInstance* instance, int force);
int ASChangeMarking(SEPlace* place, ASInstance* instance, const char* text);
int ASApplyMarkingChange(SEPlace* place, ASInstance* instance, int resolve);
std::string ASValueListText(const ASBindingElement* element);
// 1 when the evaluator accepts the value for the colour set (its name or key).
int ASCheckLegalValue(const char* colourSet, const char* value);

// ---- further queries, entries and wrappers ----
const char* ASGetInstanceText(SEHead* instance);
LMList* ASGetElementList(SEHead* element);
// New arrays (QXMem) of a page's instances in list order, and of an
// instance's sub-instances; 1, or 0 for an invalid record.
int ASGetPageInstances(SEPage* page, ASInstance*** array, uint32_t* count);
int ASGetSubInstances(ASInstance* instance, ASInstance*** array, uint32_t* count);
int ASSameName(SEHead* a, SEHead* b);
SECodeEntry* ASNewCodeEntry(const char* text);
void ASDeleteCodeEntry(SECodeEntry* entry);
SECheckEntry* ASNewCheckEntry(const char* text);
void ASDeleteCheckEntry(SECheckEntry* entry);
// One entry of the transition sequence, as the automatic code reads it.
std::string ASWriteTransSeqEntry(SETrans* transition, ASInstance* instance);
char* ASAllocString(uint32_t length);
ASBindingElement* ASMakeUserBindingElement(ASBindRequest* context);
int ASResetTransitionBindings(SETrans* transition, ASInstance* instance);
int ASUnchooseTransition(SETrans* transition, ASInstance* instance);
int ASWithdrawAll();
int ASRequestOutputOn();
int ASRequestOutputOff();
int16_t ASRequestWithTime(int flag);
int16_t ASRequestPrintTime(int flag);
int16_t ASRequestResetSteps();
int16_t ASSendTimeType();
int16_t ASSendStartTime();
int16_t ASAutoGenStep(bool fast);
int16_t ASAutoGenFunctions(bool fast);
int16_t ASAutoSendWithCode();
int16_t ASAutoValuePrint();
// The ML texts that read and set a place's marking in an instance.
std::string ASPlaceMarkingText(SEPlace* place, ASInstance* instance);
std::string ASSetPlaceMarkingText(SEPlace* place, ASInstance* instance, const char* value);
// Binds the evaluator's table rows of the simulator.
void ASInstallTableRows();

// ---- iteration over simulator objects ----
// The caller's iterator: input words, results, and a list the walk made.
struct ASIterator {
    uintptr_t word[5];
};
int ASFirst(int kind, ASIterator* iterator);
int ASNext(int kind, ASIterator* iterator);
// The element that kinds 10 and 20 made current, read by kind 12.
ASBindingElement*& ASCurrentElement();
// The step elements of the step in progress: pairs (transition, instance
// number), kept by the simulator core.
LMList*& ASStepElementList();
