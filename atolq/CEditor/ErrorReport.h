// Error reporting of the net layer: every problem is reported with a message id.
// One error is kept pending at a time; further reports are dropped until it is cleared.
#pragma once

#include <cstddef>
#include <cstdint>

// Message ids reported through this module (keys of the kernel's message table).
inline constexpr int16_t kMsgOutOfMemory = 11266;
inline constexpr int16_t kMsgListWrongType = 16431;
inline constexpr int16_t kMsgListBadList = 16432;
inline constexpr int16_t kMsgHashBadTable = 16433;
inline constexpr int16_t kMsgNullPointer = 16434;
inline constexpr int16_t kMsgHashDuplicateKey = 16437;
inline constexpr int16_t kMsgDataBaseIncompatible = 12567;
inline constexpr int16_t kMsgRestoreFailed = 12571;
inline constexpr int16_t kMsgDataBaseLoadFailed = 16400;

// Reports an error unless one is already pending or the id is 0. The reported
// id becomes the pending error and is shown in the error box (the message with
// its number); returns the box's result (1) then, else the id unchanged.
int EE_ReportError(int16_t id);

// Forgets the pending error, so that the next report is taken again.
void EE_ClearPendingError();

// The pending error, 0 when none.
int16_t EE_GetPendingError();

// The editor's timer procedure (hook 25): a pending error that may have
// spoilt the diagram makes it revert to its saved version, or, without a
// saved version, says the diagram is corrupted; the error is then cleared.
uintptr_t EE_PendingErrorTimer(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

// An error the program cannot go on from: shows the message (id 1 as "ML
// quit"). Out of memory first offers "Save As..." and the orderly quit; the
// program then ends with exit status 255 whatever the quit did.
[[noreturn]] void EE_FatalError(int16_t id);
