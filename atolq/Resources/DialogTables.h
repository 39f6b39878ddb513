// The dialog tables: one DialogRecord per dialog, the flat array of item rows
// and the four sub-tables holding each item's geometry and text by kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// One dialog. An x below -16385 is the explicit position x + 32767.
struct DialogRecord {
    int16_t number;
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
    int16_t firstItem;  // index of the first row in the item-row array
    int16_t itemCount;  // items are numbered 1..count in row order
};

// One item: the flag byte (bit 0 value, bit 1 enabled, bits 2-7 kind) and the
// index of the item's row in the sub-table of its kind.
struct DialogItemRow {
    uint8_t flags;
    int16_t index;
};

inline constexpr uint8_t kDialogItemValue = 0x01;
inline constexpr uint8_t kDialogItemEnabled = 0x02;

enum DialogItemKind : uint8_t {
    kItemControl = 0,
    kItemScrollBar = 1,
    kItemPlaceholder = 2,
    kItemText = 3,
    kItemListArea = 4,
    kItemUserArea = 6,
};

inline uint8_t DialogItem_Kind(const DialogItemRow& row) { return static_cast<uint8_t>(row.flags >> 2); }

// Control types: 0 push button, 1 check box, 2 radio button.
struct DialogControlRow {
    int16_t type;
    int16_t item;
    int16_t x, y, width, height;
    const char* label;
};

// Text types: 0 editable with a border, 1 static, 2 editable with a vertical
// scroll bar. The mark is -1 in the table, 1 once built as a text widget and -1
// once built as a label.
struct DialogTextRow {
    uint16_t type;
    int16_t mark;
    int16_t x, y, width, height;
    const char* text;
};

// Area types: 0 list area, 1 user area.
struct DialogListRow {
    uint16_t areaType;
    int16_t item;
    int16_t x, y, width, height;
};

// Orientation 1 is horizontal, anything else vertical.
struct DialogScrollRow {
    int16_t orientation;
    int16_t item;
    int16_t x, y, width, height;
    int16_t value;
    int16_t minimum;
    int16_t maximum;
};

// A dialog whose items are laid out in a module of its own: when the tables
// are first used, its items join the shared rows and its record takes their
// place, size and count. Items are numbered in the order given.
struct DialogItemLayout {
    DialogItemKind kind;  // kItemControl, kItemText or kItemPlaceholder (a frame)
    int16_t type;         // control type or text type
    int16_t x, y, width, height;
    const char* text;
};

struct DialogLayout {
    int16_t number;
    int16_t width;
    int16_t height;
    std::span<const DialogItemLayout> items;
};

// The page setup and print dialogs.
std::span<const DialogLayout> DialogTable_PrintLayouts();
// The hierarchy page's layout and redraw dialogs.
std::span<const DialogLayout> DialogTable_HierarchyLayouts();
// The net editor's shape dialog.
std::span<const DialogLayout> DialogTable_ShapeLayouts();
// The net editor's Position... and syntax restrictions dialogs.
std::span<const DialogLayout> DialogTable_NetEditorLayouts();
// The fusion set and merge options dialogs.
std::span<const DialogLayout> DialogTable_FusionLayouts();
// The chart type, bar chart and line chart dialogs.
std::span<const DialogLayout> DialogTable_ChartLayouts();
// The dialog of Remove Sim Regions....
std::span<const DialogLayout> DialogTable_SimRegionsLayouts();

extern DialogRecord gDialogRecords[];
extern int32_t gDialogRecordCount;

std::span<DialogRecord> DialogTable_Records();
std::span<DialogItemRow> DialogTable_ItemRows();
std::span<DialogControlRow> DialogTable_ControlRows();
std::span<DialogTextRow> DialogTable_TextRows();
std::span<DialogListRow> DialogTable_ListRows();
std::span<DialogScrollRow> DialogTable_ScrollRows();
