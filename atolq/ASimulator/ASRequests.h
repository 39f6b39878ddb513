// The ML requests of the simulator: every question it asks the evaluator and
// every change it makes to the evaluator's simulation state is one short ML
// text, built in the shared request buffer and evaluated at once. The text
// builders are exposed so that the exact texts can be checked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/MemFile.h"

// The request buffer shared by every request (made on first use).
MemFile* ASRequestBuffer();
// The simulator's shared reply buffer.
MemFile* ASReplyBuffer();

namespace as {

// Evaluates text as one request: the request buffer is reset and given the
// text, the reply gets one carriage return, then the evaluator answers.
int16_t sendText(std::string_view text, MemFile* reply);
// Reads the integer between the first pair of bytes 6 after a successful
// request; the code, or the reader's -9 / -8.
int16_t readIntAfter(int16_t code, MemFile* reply, uint32_t* value);
int16_t readTextAfter(int16_t code, MemFile* reply, std::string* text);

// The place-state reference of a place in an instance ("(#P<n> TOLQ'PS<i>)"
// and the other forms); empty for an unknown state kind.
std::string placeStateRef(const SEPlace* place, std::string_view instance);

std::string bindText(std::string_view t, std::string_view i, std::string_view k, std::string_view binding,
                     int mode, bool let, bool fast, bool both, bool byNumber);
std::string enablingTestText(std::string_view t, std::string_view i, int fair, bool flag, bool fast, bool let,
                             bool both);
std::string changeMarkingText(std::string_view m, std::string_view cs, bool single, bool timed);
std::string stopOptionsText(const bool flags[5], std::string_view stepCount, std::string_view stepNumber,
                            std::string_view addTime, std::string_view endTime);
std::string genFlagsText(int timeChoice, int codeChoice);
std::string reportLineText(bool stepLine, bool bindingLine, std::string_view step, const char* time,
                           std::string_view transition, std::string_view binding);

} // namespace as

// ---- instance state ----
int16_t ASCreateInstanceRecord(std::string_view i, std::string_view p, MemFile* reply);
int16_t ASCreatePlaceState(std::string_view i, std::string_view p, MemFile* reply);
int16_t ASCreateTransState(std::string_view i, std::string_view p, MemFile* reply);
int16_t ASClearPlaceState(std::string_view i, MemFile* reply);
int16_t ASClearTransState(std::string_view i, MemFile* reply);
int16_t ASClearInstanceRecord(std::string_view i, MemFile* reply);
// Makes the port's state in instance i the state of the resolved socket.
int16_t ASSetPlaceField(std::string_view n, std::string_view i, const SEPlace* socket,
                        std::string_view socketInstance, MemFile* reply);

// ---- binding and firing ----
int16_t ASBindTransition(std::string_view t, std::string_view i, long k, std::string_view b, int mode, bool let,
                         MemFile* reply, bool fast, bool both);
int16_t ASBindTransitionByNumber(std::string_view t, std::string_view i, long k, int mode, bool let,
                                 MemFile* reply, bool fast, bool both);
int16_t ASBindWithNumber(std::string_view t, std::string_view i, long k, MemFile* reply, bool fast);
int16_t ASBindWithBinding(std::string_view t, std::string_view i, long k, std::string_view b, MemFile* reply,
                          bool fast);
// The text between the first pair of bytes 6, as a new QXMem string: its
// length, or -9 / -8.
int ASReadBindReply(MemFile* reply, char** text);
int16_t ASOccur(std::string_view t, std::string_view i, MemFile* reply);
int16_t ASCheckFun(std::string_view t, std::string_view i, std::string_view b, int flag, MemFile* reply);
int16_t ASCountCF(std::string_view t, std::string_view i, std::string_view b, MemFile* reply);
int16_t ASCallArcFun(std::string_view t, std::string_view i, std::string_view b, MemFile* reply);
int16_t ASCallTransArcFun(std::string_view t, std::string_view i, std::string_view b, MemFile* reply);
int16_t ASCheckEnabled(std::string_view t, std::string_view i, int fair, bool flag, MemFile* reply, bool fast,
                       bool let, bool both);
void ASWriteEnablingTest(std::string_view t, std::string_view i, int fair, bool flag, bool fast, bool let,
                         bool both);
void ASWriteReplyEnd();
int16_t ASCheckLegal(std::string_view cs, std::string_view value, MemFile* reply);

// ---- markings ----
int16_t ASGetPlaceTokens(std::string_view cs, const SEPlace* place, std::string_view i, uint32_t* count,
                         std::string* text, MemFile* reply);
int16_t ASGetArcTokens(std::string_view a, std::string_view i, std::string_view cs, uint32_t* count,
                       std::string* text, MemFile* reply);
int16_t ASCountPlaceTokens(const SEPlace* place, std::string_view i, uint32_t* count, bool timed, MemFile* reply);
int16_t ASCountArcTokens(std::string_view a, std::string_view i, uint32_t* count, bool timed, MemFile* reply);
int16_t ASSetChangeMarking(std::string_view m, std::string_view cs, bool empty, bool timed, MemFile* reply);
int16_t ASCheckLegalMarking(std::string_view cs, bool timed, MemFile* reply);
int16_t ASAssignChangeMarking(const SEPlace* place, std::string_view i, MemFile* reply);
int16_t ASResetPlaceMarking(const SEPlace* place, std::string_view i, bool empty, bool timed, MemFile* reply);

// ---- time and step ----
int16_t ASSetModelTime(std::string_view timeExpression, MemFile* reply);
int16_t ASResetModelTime(MemFile* reply);
int16_t ASGetModelTime(std::string* text, MemFile* reply);
int16_t ASGetModelTimeText(std::string* text, MemFile* reply);
int16_t ASSetCurStep(std::string_view step, MemFile* reply);
int16_t ASGetStep(std::string* text, MemFile* reply);
int16_t ASResetStepCounters(MemFile* reply);
int16_t ASTestStopCriteria(std::string* text, MemFile* reply);
void ASWriteFusionRef(std::string_view n, MemFile* buffer);

// ---- options, run control, reports ----
int16_t ASSetFair(int mode, MemFile* reply);
int16_t ASSetTimeFair(int flag, MemFile* reply);
int16_t ASSetSeed(int16_t seed, MemFile* reply);
int16_t ASSetWithCode(int flag, MemFile* reply);
void ASWriteWithCode(int flag);
int16_t ASSetWithTime(int flag, MemFile* reply);
int16_t ASSetPrintTime(int flag, MemFile* reply);
int16_t ASSetFeedback(int feedback, int bindFeedback, MemFile* reply);
int16_t ASSetStopOptions(const bool flags[5], std::string_view stepCount, std::string_view stepNumber,
                         std::string_view addTime, std::string_view endTime, MemFile* reply);
int16_t ASSendGenFlagsText(int timeChoice, int codeChoice, MemFile* reply);
int16_t ASSetTimeType(int kind, MemFile* reply);
int16_t ASSetStartTime(int kind, std::string_view text, MemFile* reply);
int16_t ASSetValuePrint(MemFile* reply);
int16_t ASOutputOn(MemFile* reply);
int16_t ASOutputOff(MemFile* reply);
int16_t ASInitFusionStates(MemFile* reply);
// timed: the simulator's timed-simulation flag.
int16_t ASInitState(bool timed, MemFile* reply);
void ASResetRequest();
int16_t ASSendRequest(MemFile* reply);
int ASReadExceptionText(MemFile* reply, char** text);
int ASReadErrorText(MemFile* reply, char** text);
int16_t ASWriteReportLine(bool stepLine, bool bindingLine, std::string_view step, const char* time,
                          std::string_view transition, std::string_view binding, MemFile* reply);
void ASBeginTransSeq();
// One transition-sequence entry: display name, transition, instance and
// page ML names, and the three flags.
struct ASTransSeqEntry {
    std::string_view transitionName;
    long instanceNumber;
    const char* pageName;
    int pageNumber;
    std::string_view transition, instance, page;
    bool flags[3];
};
void ASAddTransSeqEntry(const ASTransSeqEntry& entry, MemFile* reply);
int16_t ASEndTransSeq(MemFile* reply);
int16_t ASGenInitState(MemFile* reply);
int16_t ASGenSacFuns(bool fast, MemFile* reply);
int16_t ASGenSacStep(bool fast, MemFile* reply);
int16_t ASRunSacStep(bool fast, MemFile* reply);
