// The pattern and colour palettes of record dialogs (dialog 262): built over
// the dialog's user areas on first load, then showing the loaded values.
#pragma once

#include <cstdint>

#include "xkv/dialog/DialogInternal.h"

// The pattern palette of the field's item, its display area the next item.
void Dialog_LoadPatternPalette(DialogLevel& level, const RecordField& field, const uint8_t* record, int32_t size);
// The colour palette of the field's item, its three swatches the next three.
void Dialog_LoadColourPalette(DialogLevel& level, const RecordField& field, const uint8_t* record, int32_t size);
