// Error reporting of the net layer: every problem is reported with a message id.
// One error is kept pending at a time; further reports are dropped until it is cleared.
#pragma once

#include <cstdint>

// Message ids reported through this module (keys of the kernel's message table).
inline constexpr int16_t kMsgOutOfMemory = 11266;
inline constexpr int16_t kMsgListWrongType = 16431;
inline constexpr int16_t kMsgListBadList = 16432;
inline constexpr int16_t kMsgHashBadTable = 16433;
inline constexpr int16_t kMsgNullPointer = 16434;
inline constexpr int16_t kMsgHashDuplicateKey = 16437;

// Reports an error unless one is already pending or the id is 0. The reported
// id becomes the pending error; returns 1 then, else the id unchanged.
int EE_ReportError(int16_t id);

// Forgets the pending error, so that the next report is taken again.
void EE_ClearPendingError();

// The pending error, 0 when none.
int16_t EE_GetPendingError();

// Ends the program after an error it cannot go on from (exit status 255).
void EE_FatalError(int16_t id);
