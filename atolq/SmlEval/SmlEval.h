// Evaluations on the ML evaluator link: connecting with the start-up text,
// evaluating ML text with its reply classified, typed field lists, and the
// readers that pick numbers and strings out of reply texts.
#pragma once

#include <cstdint>

#include "atolq/SML/SML.h"
#include "atolq/Utils/MemFile.h"

// Results of an evaluation.
inline constexpr int16_t kEvalOk = 0;
inline constexpr int16_t kEvalCompileError = -2;
inline constexpr int16_t kEvalError = -4;
inline constexpr int16_t kEvalFailure = -5;
inline constexpr int16_t kEvalSendFailed = -7;
inline constexpr int16_t kEvalReceiveFailed = -8;

// Results of the reply readers.
inline constexpr int kReadNoStart = -9;
inline constexpr int kReadFailed = -8;

// One field of a typed field list: type 1 integer and 2 short point to a
// 32-bit cell, type 3 is a NUL-ended string.
inline constexpr uint32_t kNSFieldInt = 1;
inline constexpr uint32_t kNSFieldShort = 2;
inline constexpr uint32_t kNSFieldString = 3;
struct NSField {
    uint32_t type;
    void* value;
};

// Upper bound on the fields of one received list; a larger count is malformed.
inline constexpr uint32_t kSMLMaxFields = 1u << 20;

// Two strings and a number, as read by SMLReadTriple.
struct SMLTriple {
    char* first;
    char* second;
    uint32_t number;
};

int SMLConnect(int local, const char* host, uint16_t port, const char* image, const char* program,
               const char* user, const char* password);

int16_t SMLEvaluate(MemFile* request, MemFile* reply);
int16_t SMLEvaluateInput(MemFile* request, MemFile* input, MemFile* reply);

int SMLSendFields(const NSField* fields, uint32_t count);
// The array and every cell come from QXMem_Alloc; the caller frees them.
int SMLReceiveFields(NSField** fields, uint32_t* count, int wait);

int SMLClassifyReply(MemFile* reply);

// Strings are allocated with the reader allocation function (QXMem_Alloc
// unless the evaluator start-up registered another) and freed by the caller.
int SMLReadString(MemFile* reply, char** text, uint8_t startByte, uint8_t endByte);
int SMLReadInt(MemFile* reply, uint32_t* value, uint8_t startByte, uint8_t endByte);
int SMLGetText(MemFile* reply, char** text);
int SMLGetInt(MemFile* reply, uint32_t* value);
int SMLReadTriple(MemFile* reply, SMLTriple* triple);
int SMLReadSectionString(MemFile* reply, char** text, uint8_t openByte, uint8_t closeByte,
                         uint8_t startByte, uint8_t endByte);

// Set by the evaluator start-up: how the readers allocate and free strings.
void SMLSetReaderAllocator(void* (*allocate)(uint32_t size), void (*release)(void* block));
// Set from the command line: "-dumpML" copies requests and replies to standard
// output; "-mldebug" adds the debug switch to the start-up text.
void SMLSetDumpML(int on);
void SMLSetMLDebug(int on);
