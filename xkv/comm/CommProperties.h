// Property dialogs of the command layer: the two value blocks a dialog opens
// on, and the reading of a dialog's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

// Words of an attribute record that the dialogs share: the apply switch and
// the make-default switch (the second is also the record's "mixed" word).
inline constexpr uint32_t kPropertyApplyWord = 24;
inline constexpr uint32_t kPropertyMakeDefaultWord = 28;

// Builds the blocks a property dialog edits: the current values (of the
// current page for the page property, of the selection for object
// properties, of the stored defaults otherwise) and the values Reset loads.
// The caller owns both blocks; defaults may come back 0.
KernelStatus Comm_BuildPropertyBlocks(uint32_t property, MemHandle* values, MemHandle* defaults);

// A dialog answer: the button (0 OK, 1 Cancel, ...) and a copy of the values
// block cut or padded to the property's size; empty when there is none.
struct PropertyAnswer {
    int32_t button = 1;
    std::vector<uint8_t> values;
};
PropertyAnswer Comm_ReadPropertyAnswer(MemHandle event, uint32_t property);

// The scroll-to-selection switch of a preferences record (property 18).
uint32_t Comm_PreferencesScrollFlag(const uint8_t* record, size_t size);
