// String services of the kernel: texts from the message table, the status
// map from a KernelStatus to the message the status alert shows, and in-place
// byte substitution.
#pragma once

#include <cstdint>
#include <string>

#include "atolq/Resources/MessageTable.h"
#include "xkv/mem/Mem.h"
#include "xkv/types/Types.h"

// Copies the text of the id into the buffer, at most size - 1 characters,
// always NUL-terminated; 0. An unknown id gives "Bad String <id>" and 51.
// Id 9999 gives the empty text. A null buffer or size 0 gives 6. Texts may be
// longer than the buffer: String_GetFullText and String_NewHandle give all of it.
KernelStatus String_GetText(MessageId id, char* buffer, uint32_t size);

// The whole text of the id; "Bad String <id>" and 51 for an unknown id.
KernelStatus String_GetFullText(MessageId id, std::string* text);

// A new block holding the whole text of the id and its NUL; 51 (and no block)
// for an unknown id, the memory status when the block cannot be made.
KernelStatus String_NewHandle(MessageId id, MemHandle* out);

// Message id for a kernel status; 9999 when the status has none.
MessageId StrMap_Lookup(uint32_t status);

struct BytePair {
    uint8_t from;
    uint8_t to;
};

struct SubstitutionTable {
    uint32_t count;
    const BytePair* pairs;
};

// Replaces bytes in place; pairs are tried in order and later pairs see the
// replaced byte.
void StrUtil_Substitute(uint8_t* bytes, uint32_t length, const SubstitutionTable& table);
