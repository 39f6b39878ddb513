// The pattern and colour palettes of record dialogs: buttons laid out over a
// dialog's user areas, a pick storing the pattern or colour into the record
// and showing it in the display area or the colour's swatch.
#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/Xaw/Command.h>

#include <algorithm>
#include <cstring>

#include "xkv/colour/Colour.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/dialog/DialogPalette.h"
#include "xkv/types/DrawTables.h"

namespace {

constexpr int32_t kPatternCount = 38;
constexpr int32_t kPatternColumns = 19;
constexpr int32_t kPatternShownWhenMixed = 20;
constexpr int32_t kColourRows = 3;
constexpr int32_t kMostColours = 256;

struct Area {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// The geometry of a user area of the top dialog.
bool AreaOf(const DialogLevel& level, int32_t item, Area* out)
{
    if (level.recordIndex < 0) {
        return false;
    }
    const DialogRecord& record = DialogTable_Records()[static_cast<size_t>(level.recordIndex)];
    if (item < 1 || item > record.itemCount) {
        return false;
    }
    const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
    const auto kind = DialogItem_Kind(row);
    if (kind != kItemUserArea && kind != kItemListArea) {
        return false;
    }
    const auto rows = DialogTable_ListRows();
    if (row.index < 0 || static_cast<size_t>(row.index) >= rows.size()) {
        return false;
    }
    const DialogListRow& area = rows[static_cast<size_t>(row.index)];
    *out = {area.x, area.y, area.width, area.height};
    return true;
}

Widget MakeButton(const DialogLevel& level, const Area& at, bool sensitive)
{
    Arg args[8];
    Cardinal n = 0;
    XtSetArg(args[n], XtNx, static_cast<Position>(at.x)); ++n;
    XtSetArg(args[n], XtNy, static_cast<Position>(at.y)); ++n;
    XtSetArg(args[n], XtNwidth, static_cast<Dimension>(std::max(at.width, 1))); ++n;
    XtSetArg(args[n], XtNheight, static_cast<Dimension>(std::max(at.height, 1))); ++n;
    XtSetArg(args[n], XtNborderWidth, 1); ++n;
    XtSetArg(args[n], XtNinternalWidth, 0); ++n;
    XtSetArg(args[n], XtNinternalHeight, 0); ++n;
    XtSetArg(args[n], XtNsensitive, sensitive ? True : False); ++n;
    Widget button = XtCreateManagedWidget("palette", commandWidgetClass, level.container, args, n);
    XtVaSetValues(button, XtNlabel, "", nullptr);
    return button;
}

void ShowPattern(Widget button, int32_t pattern)
{
    if (button == nullptr) {
        return;
    }
    Pixmap tile = LinePat_FillTile(pattern);
    XtVaSetValues(button, XtNbackgroundPixmap, tile != 0 ? tile : XtUnspecifiedPixmap, nullptr);
}

void ShowColour(Widget swatch, int32_t colour)
{
    if (swatch != nullptr) {
        XtVaSetValues(swatch, XtNbackground, Color_GetPixel(static_cast<int16_t>(colour < 0 ? 0 : colour)), nullptr);
    }
}

void WriteWord(RecordState& state, int32_t offset, int32_t value)
{
    if (state.current != nullptr && offset >= 0 && offset + 4 <= state.currentSize) {
        std::memcpy(state.current + offset, &value, sizeof value);
    }
}

void MarkChanged(RecordState& state, int32_t flagIndex)
{
    if (state.current != nullptr && flagIndex >= 0 && flagIndex < 24) {
        state.current[flagIndex] = 1;
    }
}

// The palette cell's level still shows the dialog that made it.
RecordState* StateOf(const PaletteCell& cell)
{
    DialogState& s = Dialogs();
    if (cell.level < 1 || cell.level > s.depth) {
        return nullptr;
    }
    DialogLevel& level = s.levels[static_cast<size_t>(cell.level)];
    if (level.generation != cell.generation || level.running == 0) {
        return nullptr;
    }
    return &level.record;
}

void PatternPicked(Widget, XtPointer client, XtPointer)
{
    const auto* cell = static_cast<const PaletteCell*>(client);
    RecordState* state = StateOf(*cell);
    if (state == nullptr) {
        return;
    }
    WriteWord(*state, cell->offset, cell->value);
    MarkChanged(*state, cell->flagIndex);
    ShowPattern(state->patternDisplay, cell->value);
}

void ColourPicked(Widget, XtPointer client, XtPointer)
{
    const auto* cell = static_cast<const PaletteCell*>(client);
    RecordState* state = StateOf(*cell);
    if (state == nullptr) {
        return;
    }
    WriteWord(*state, cell->offset, cell->value);
    MarkChanged(*state, cell->flagIndex);
    if (cell->row >= 0 && cell->row < kColourRows) {
        ShowColour(state->swatches[static_cast<size_t>(cell->row)], cell->value);
    }
}

PaletteCell* NewCell(RecordState& state, int32_t levelNumber, uint32_t generation)
{
    state.paletteCells.push_back(std::make_unique<PaletteCell>());
    PaletteCell* cell = state.paletteCells.back().get();
    cell->level = levelNumber;
    cell->generation = generation;
    return cell;
}

void BuildPatternPalette(DialogLevel& level, int32_t levelNumber, const RecordField& field)
{
    RecordState& state = level.record;
    Area palette;
    if (!AreaOf(level, field.item, &palette)) {
        return;
    }
    const int32_t cellWidth = palette.width / kPatternColumns + 2;
    const int32_t cellHeight = palette.height / 2 + 3;
    for (int32_t pattern = 0; pattern < kPatternCount; ++pattern) {
        const Area at{palette.x + (pattern / 2) * cellWidth, palette.y + (pattern % 2) * cellHeight, cellWidth,
                      cellHeight};
        Widget button = MakeButton(level, at, true);
        ShowPattern(button, pattern);
        PaletteCell* cell = NewCell(state, levelNumber, level.generation);
        cell->offset = field.offset;
        cell->flagIndex = field.flagIndex;
        cell->value = pattern;
        XtAddCallback(button, XtNcallback, PatternPicked, cell);
    }
    Area display;
    if (AreaOf(level, field.item + 1, &display)) {
        state.patternDisplay = MakeButton(level, display, false);
    }
}

void BuildColourPalette(DialogLevel& level, int32_t levelNumber, const RecordField& field)
{
    RecordState& state = level.record;
    Area palette;
    if (!AreaOf(level, field.item, &palette)) {
        return;
    }
    const int32_t n = std::clamp<int32_t>(Color_Count(), 1, kMostColours);
    const int32_t cellWidth = std::max(palette.width / n, 1);
    const int32_t cellHeight = std::max(palette.height / kColourRows, 1);
    for (int32_t i = 0; i < kColourRows * n; ++i) {
        const int32_t row = i / n;
        const Area at{palette.x + (i % n) * cellWidth, palette.y + row * cellHeight, cellWidth, cellHeight};
        Widget button = MakeButton(level, at, true);
        ShowColour(button, i % n);
        PaletteCell* cell = NewCell(state, levelNumber, level.generation);
        cell->offset = field.offset + 4 * row;
        cell->flagIndex = field.flagIndex + row;
        cell->value = i % n;
        cell->row = row;
        XtAddCallback(button, XtNcallback, ColourPicked, cell);
    }
    for (int32_t row = 0; row < kColourRows; ++row) {
        Area swatch;
        if (AreaOf(level, field.item + 1 + row, &swatch)) {
            state.swatches[static_cast<size_t>(row)] = MakeButton(level, swatch, false);
        }
    }
}

int32_t LevelNumberOf(const DialogLevel& level)
{
    DialogState& s = Dialogs();
    for (int32_t i = 1; i <= s.depth; ++i) {
        if (&s.levels[static_cast<size_t>(i)] == &level) {
            return i;
        }
    }
    return 0;
}

}  // namespace

void Dialog_LoadPatternPalette(DialogLevel& level, const RecordField& field, const uint8_t* record, int32_t size)
{
    RecordState& state = level.record;
    if (state.patternDisplay == nullptr) {
        BuildPatternPalette(level, LevelNumberOf(level), field);
    }
    int32_t value = kPatternShownWhenMixed;
    if (record != nullptr && field.offset + 4 <= size) {
        std::memcpy(&value, record + field.offset, sizeof value);
    }
    ShowPattern(state.patternDisplay, value == -1 ? kPatternShownWhenMixed : value);
}

void Dialog_LoadColourPalette(DialogLevel& level, const RecordField& field, const uint8_t* record, int32_t size)
{
    RecordState& state = level.record;
    if (state.swatches[0] == nullptr) {
        BuildColourPalette(level, LevelNumberOf(level), field);
    }
    for (int32_t row = 0; row < kColourRows; ++row) {
        int32_t value = 0;
        const int32_t offset = field.offset + 4 * row;
        if (record != nullptr && offset + 4 <= size) {
            std::memcpy(&value, record + offset, sizeof value);
        }
        ShowColour(state.swatches[static_cast<size_t>(row)], value);
    }
}
