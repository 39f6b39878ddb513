// The one connection to the ML evaluator: starting it as a local child on two
// socket pairs or reaching it over TCP, the banner check, the control messages
// of a remote evaluator, interrupting and stopping it, and the link's state.
#pragma once

#include <array>
#include <cstdint>
#include <netinet/in.h>
#include <sys/types.h>

#include "atolq/SML/SMLStream.h"

// Error word of the last failed link operation.
enum MLLinkError : int32_t {
    kMLErrNone = 0,
    kMLErrSocketPair = 100,
    kMLErrUnknownHost = 101,
    kMLErrConnect = 102,
    kMLErrStart = 103,
    kMLErrControlSend = 105,
    kMLErrControlReceive = 106,
    kMLErrLogin = 108,
    kMLErrChannel = 110,
    kMLErrNoVersion = 111,
    kMLErrBadVersion = 112,
};

// Evaluator kinds, from the version tag of the banner.
inline constexpr int kSMLKindNone = 0;
inline constexpr int kSMLKindOld = 1;    // "0031ED"
inline constexpr int kSMLKindNJ = 2;     // "0404NJ"

inline constexpr uint32_t kSMLControlMax = 1024; // control payloads and replies

// Control message types (remote evaluator only).
inline constexpr uint32_t kSMLControlLogin = 1;
inline constexpr uint32_t kSMLControlImage = 3;
inline constexpr uint32_t kSMLControlInterrupt = 4;
inline constexpr uint32_t kSMLControlStopRun = 5;

// Program-wide link state. Streams belong to the link; descriptors are closed
// by the link when it stops or before it starts again.
struct SMLLinkState {
    int local = 1;
    SMLStreamPtr controlOut, controlIn;
    SMLStreamPtr textOut, textIn;
    SMLStreamPtr binaryOut, binaryIn;
    int controlFd = -1, textFd = -1, binaryFd = -1;
    int32_t linkError = kMLErrNone;
    pid_t childPid = -1;
    int kind = kSMLKindNone;
};

SMLLinkState& SMLLink();

// Marks the evaluator as not connected after a send, receive or protocol
// failure; its process and descriptors are released by the next start or stop.
void SMLMarkBroken(int32_t linkError);

int SMLStart(int local, const char* host, uint16_t port, const char* image, const char* program,
             const char* user, const char* password);
int SMLStartProcess(int local, const char* host, uint16_t port, const char* image,
                    const char* program, const char* user, const char* password);
int SMLCheckBanner();

int SMLSendControl(SMLStream* out, uint32_t type, uint32_t length, const void* payload);
int SMLReceiveControl(SMLStream* in, uint32_t* type, uint32_t* length,
                      std::array<char, kSMLControlMax>& buffer);
int SMLGreet(int socket);
int SMLResolveHost(const char* host, uint16_t port, sockaddr_in* address);
int SMLOpenConnection(int* socket, const sockaddr_in& address);
int SMLCloseSockets();

int SMLInterrupt();
int SMLStopRun();
int SMLStopProcess();
int SMLShutdown();
int SMLBreak();
int SMLDisconnect();
int SMLGetConnState();
