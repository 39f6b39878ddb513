// The tables and pure rules of record dialogs: special fields, value
// conversions, and the field map that places each item's value in a record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "xkv/dialog/DialogInternal.h"

inline constexpr int32_t kRecordFlagCount = 24;
inline constexpr int32_t kRecordValuesStart = 24;

enum SpecialKind : int32_t {
    kSpecialShortString = 0,
    kSpecialString = 1,
    kSpecialStyleBits = 2,
    kSpecialListChoice = 3,
    kSpecialPattern = 4,
    kSpecialColour = 5,
    kSpecialTextSize = 6,
    kSpecialReserved = 7,
};

struct SpecialFieldRow {
    int16_t dialog;
    uint8_t range;  // 1: the row covers count items from the first
    uint8_t first;
    uint8_t kind;
    uint8_t count;
};

struct ConversionRow {
    int16_t dialog;
    uint8_t range;
    uint8_t first;
    uint8_t kind;  // 0 value to list index, 1 Fixed to pixels, 2 both
    uint8_t count;
    const int32_t* map;
    int32_t mapSize;
};

std::span<const SpecialFieldRow> Record_SpecialRows();
std::span<const ConversionRow> Record_ConversionRows();

// Index of the dialog's first special or conversion row, -1 when none.
int32_t Record_FirstSpecialRow(int32_t dialog);
int32_t Record_FirstConversionRow(int32_t dialog);

struct SpecialMatch {
    int32_t kind;
    int32_t count;
    int32_t rangeFirst;
    int32_t rangeLast;
};
// The special row that covers the item, searched from the dialog's first row.
std::optional<SpecialMatch> Record_FindSpecial(int32_t dialog, int32_t item);

// Bytes a special field of this kind takes in the record.
int32_t Record_SpecialSize(int32_t kind, int32_t count);

// Builds the field map of a dialog of itemCount items, given each item's
// class (Dialog_GetItemClass).
std::vector<RecordField> Record_BuildFieldMap(int32_t dialog, int32_t itemCount,
                                              const std::function<int32_t(int32_t)>& classOf);
// Bytes the record needs for the map.
int32_t Record_Size(std::span<const RecordField> fields);

// Value conversions of one kind: to display form when opening, back to record
// form when closing.
int32_t Record_ToDisplay(int32_t kind, int32_t value, std::span<const int32_t> map);
int32_t Record_ToRecord(int32_t kind, int32_t display, int32_t unchanged, std::span<const int32_t> map);
// Converts the record's fields of the dialog's conversion rows in place;
// toDisplay selects the direction. Fields outside the size are left alone.
void Record_Convert(int32_t dialog, std::span<const RecordField> fields, uint8_t* record, int32_t size, bool toDisplay);
