// Search and replace in texts: the find settings record (default property
// 5), the search entry points and the find command.
#pragma once

#include <cstdint>

#include "xkv/text/Text.h"

// The find settings as stored in default property 5 (548 bytes).
struct FindSettings {
    uint8_t changed[24];
    char search[256];
    char replacement[256];
    uint32_t scope;  // 0 every page, 1 current page, 2 selected and below, 3 object, 4 object and references
    uint32_t matchCase;
    uint8_t replaceMode;  // 0 find, 1 replace the match, 2 replace all
    uint8_t padding[3];
};
static_assert(sizeof(FindSettings) == 548);

KernelStatus Text_FindFrom(ObjectHandle start, const FindSettings* settings, uint32_t again, ObjectHandle* found);
KernelStatus Text_FindInGroup(uint16_t count, const ObjectHandle* members, const FindSettings* settings,
                              ObjectHandle* found);
uint32_t Text_FindReplacementCount();
void Text_ResetFindCount();
