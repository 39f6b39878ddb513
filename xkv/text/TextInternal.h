// Shared helpers of the text editor's own files: scoped locks of text and line
// records, a line's characters as cells (byte and reference segment), and the
// paragraph re-wrap on which insertion, deletion and re-layout rest.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "xkv/model/BlockLock.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextFontX.h"

namespace textimpl {

using TextLock = BlockLock<TextRec>;
using LineLock = BlockLock<TextLine>;

inline constexpr Fixed kHalf = 0x8000;
inline constexpr Fixed kWrapReserve = 0x30000;
inline constexpr Fixed kWrapThreshold = 0x38000;
inline constexpr Fixed kNoWrapWidth = 0x7fffffff;

inline bool IsHardBreak(uint8_t endMark)
{
    return endMark == kEndLineFeed || endMark == kEndReturn;
}

// One character of a line: a byte, and for a reference byte (0) its segment.
struct Cell {
    uint8_t c = 0;
    MemHandle segment = 0;
};

MemHandle TextOf(ObjectHandle object);
LoadedFont* LayoutFontOf(const TextRec& text);

// The cells of a line.
std::vector<Cell> ReadCells(const TextLine& line);
// Rewrites a line's characters and segments from cells; measures its width
// and places it. The segments now belong to the line.
KernelStatus WriteCells(TextRec& text, MemHandle lineHandle, std::span<const Cell> cells);
// Width of cells measured from x = 0.
Fixed CellsWidth(LoadedFont* font, std::span<const Cell> cells);

bool IsBreakCharacter(uint8_t c);
// How many of the cells fit on one line of width `width` from x = 0: all
// when all fit, else the run up to the last break character that fits, else
// a long word broken at the last character that fits; always at least one.
// A line never grows past kMaxLineLength characters; a longer paragraph of a
// text that does not wrap is cut there.
inline constexpr size_t kMaxLineLength = 65000;
size_t Text_FitChars(LoadedFont* font, std::span<const Cell> cells, Fixed width);
Fixed WrapWidth(const TextRec& text);

// Frees a line record with its character block and segment array, but not
// the segments (they have been moved elsewhere).
void FreeLineRecordOnly(MemHandle line);
// The next line (0 at the end).
MemHandle NextLine(MemHandle line);
MemHandle PreviousLine(MemHandle line);

// Offsets from the start of the text in the counting of positions (each
// character, reference byte and hard break one).
uint32_t OffsetOf(const TextRec& text, TextPosition position);
TextPosition PositionAt(const TextRec& text, uint32_t offset);
uint32_t TotalPositions(const TextRec& text);

// The whole text (or the stretch of whole paragraphs from the paragraph of
// `from` to the paragraph of `to`) as one stream of cells, hard breaks as
// cells of their own; `endsText` when the stretch ends the text.
struct Stretch {
    MemHandle first = 0;
    MemHandle last = 0;
    uint32_t startOffset = 0;  // offset of the stretch's start in the text
    std::vector<Cell> cells;
    bool endsText = false;
};
Stretch CollectStretch(TextRec& text, MemHandle from, MemHandle to);
// Replaces the lines of a stretch by its (changed) cells, wrapped again.
// Cursor, anchor and top line are kept by offset: those inside the stretch
// are given as offsets and placed again afterwards.
struct KeptPositions {
    int64_t cursor = -1;
    int64_t anchor = -1;
    int64_t top = -1;
};
KernelStatus RewriteStretch(TextRec& text, Stretch& stretch, const KeptPositions& kept);

// Recomputes every line's bottom from the top line down (and up).
void PlaceLinesVertically(TextRec& text);

// The vertical place of a text from its distance to the start (the heights
// of the lines above the top line less the partial offset), clamped to the
// first and the last line; 1 when the top line changed. The whole-line form
// moves the top line only (forward: the last line starting at or before the
// distance; back: the first starting at or after it) and clears the offset.
bool PlaceAtDistance(TextRec& text, int64_t distance);
bool PlaceAtWholeLine(TextRec& text, int64_t distance, bool forward);

// 1 when the text is the one being edited.
bool IsEdited(MemHandle text);
bool IsEditedRec(const TextRec* text);

// Sets the edit-changed flag and marks the diagram modified.
void MarkChanged();

// The current label stops being the label when it is this text.
void ForgetLabelText(MemHandle text);
// Before a text record is freed: the current label and the edit session let
// go of it, so that neither keeps a handle to a freed record.
void LetGoOfText(MemHandle text);

}  // namespace textimpl
