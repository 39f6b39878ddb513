// The mode attributes of substitution nodes and pages, read for a selection
// and edited through the Set menu's "Mode Attributes...".
#pragma once

#include <array>
#include <cstdint>

#include "xkv/types/Types.h"

// The five mode attributes of a selection as EE_GetModeAttributes reads them
// (include in simulation, observable, propose occurrences, interactive runs,
// execute code; each non-zero when off), a value that differs across the
// objects read as 65535. 0 after 11335 when an object has no net record with
// mode attributes.
int EE_GetGroupModeAttributes(uint16_t count, const ObjectHandle* objects, uint16_t* five);
// The same for pages, with their prime count; 0 after 11336 when a page is
// the hierarchy page.
int EE_GetPagesModeAttributes(uint16_t count, const ObjectHandle* pages, uint16_t* five, uint16_t* primeCount);

// The values the mode dialog edits: the five switches 1 on, 0 off, and -1
// where the selection differs.
struct EEModeRecord {
    std::array<int16_t, 5> switches{1, 1, 1, 1, 1};
    int16_t multiplicity = -1;
    int16_t changeForSubstitutions = 0;
};

// The mode dialog; the page form hides the multiplicity. 0 on "Cancel".
int EE_EditModeAttributes(EEModeRecord* record, int pageForm);

// "Mode Attributes...": the selected nodes, or on the hierarchy page the
// selected pages, get the attributes chosen in the dialog.
int EE_ModeAttributesCommand();
