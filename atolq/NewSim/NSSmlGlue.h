// Typed evaluator messages: a request built of integers, shorts and strings,
// sent on the evaluator link's binary channel as one field list, and the
// evaluator's answer of the same form read back field by field.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Request classes (the first integer of a request).
inline constexpr int32_t kNSClassBootstrap = 100;
inline constexpr int32_t kNSClassOptions = 200;
inline constexpr int32_t kNSClassDeclarations = 300;
inline constexpr int32_t kNSClassCheck = 400;
inline constexpr int32_t kNSClassSimulator = 500;
inline constexpr int32_t kNSClassCharts = 600;
// Reply statuses (the first integer of a reply).
inline constexpr int32_t kNSStatusOk = 1;
inline constexpr int32_t kNSStatusInternalError = -1;
// Shown when the evaluator answers with an internal error.
inline constexpr int16_t kNSMsgInternalError = 11567;

struct NSMessage {
    struct Field {
        uint32_t type; // kNSFieldInt, kNSFieldShort or kNSFieldString
        uint32_t word;
        std::string text;
    };
    std::vector<Field> request;
    std::vector<Field> reply; // shorts, then integers, then strings
    bool replied = false;
    int32_t status = 0; // the reply's first integer
    size_t shortCursor = 0, intCursor = 0, stringCursor = 0;
};

// A new message whose first field is the integer class.
std::unique_ptr<NSMessage> NSMsgNew(int32_t requestClass);
int NSMsgAddInt(NSMessage* message, int32_t value);
int NSMsgAddShort(NSMessage* message, int32_t value);
// A null text is sent as ""; carriage returns and line feeds become blanks.
int NSMsgAddString(NSMessage* message, const char* text);
// 1 when the request was sent, an answer read and its status is 1.
int NSMsgCall(NSMessage* message);
// Sends only; 1 unless the link failed.
int NSMsgSend(NSMessage* message);
// The status of the answer to a request sent earlier; 0 when none is ready.
int NSMsgReceive(NSMessage* message);
// Waits for the answer to a request sent earlier; its status, 0 when none
// could be read.
int NSMsgReceiveWaiting(NSMessage* message);
// The next reply field of the type; 0 when there is none.
int NSMsgGetShort(NSMessage* message, int32_t* value);
int NSMsgGetInt(NSMessage* message, int32_t* value);
int NSMsgGetString(NSMessage* message, std::string* text);
