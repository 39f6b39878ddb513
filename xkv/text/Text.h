// Text records: the text of one object as a list of lines with embedded
// references to other objects, its frame, cursor, selection and font, and the
// text fields that the object model routes to it.
#pragma once

#include <cstdint>

#include "xkv/text/TextFont.h"
#include "xkv/types/Types.h"

// Line end marks.
inline constexpr uint8_t kEndWrapped = 0;
inline constexpr uint8_t kEndOfText = 4;
inline constexpr uint8_t kEndLineFeed = 10;
inline constexpr uint8_t kEndReturn = 13;

inline constexpr Fixed kUnboundedFrame = 0x3fff8000;
inline constexpr Fixed kLineInset = 0x18000;
inline constexpr uint16_t kLineEnd = 65535;  // column: the end of the line
inline constexpr uint32_t kField77Reading = 0x7fffffff;

// How a reference reads when a text is measured or copied out.
enum ReferenceMode : uint32_t {
    kRefDropped = 0,
    kRefZeroByte = 1,
    kRefDisplay = 2,
    kRefWholeText = 4,
};

// Pending font components of a text without a font.
inline constexpr uint8_t kPendingSize = 1;
inline constexpr uint8_t kPendingStyle = 2;
inline constexpr uint8_t kPendingFamily = 4;

// The text of one object, in its own memory block.
struct TextRec {
    ObjectHandle owner;
    Fixed frameX, frameY;
    Fixed frameWidth, frameHeight;
    Fixed scrollX, scrollY;
    MemHandle cursorLine;
    uint16_t cursorColumn;
    MemHandle anchorLine;
    int16_t anchorColumn;  // -1: no selection
    MemHandle firstLine;
    MemHandle topLine;
    uint32_t topLineIndex;
    uint32_t lineCount;
    int16_t font;        // logical font, kNoFont when none yet
    int16_t screenFont;  // font at the page's scale, kNoFont when none
    MemHandle extraBlock;
    uint16_t referenceCount;
    uint8_t extraFlag;
    uint8_t alignment;
    uint8_t noWrap;
    uint8_t label;
    uint8_t scrollBars;
    uint32_t referrerCount;
    int32_t findMark;
    Fixed screenFontScale;
    void* fontEntry;
    void* screenFontEntry;
    uint32_t attributeWord;
    // The font asked for, and which of its components are given while the
    // text has no font yet (kPending* bits).
    FontSpec fontSpec;
    uint8_t pendingMask;
};

// One line of a text.
struct TextLine {
    MemHandle next, previous;
    MemHandle characters;  // 0 when the line never held characters
    uint16_t length;
    uint16_t capacity;  // a multiple of 16
    Fixed x;
    Fixed bottom;
    Fixed height;
    Fixed width;
    Fixed spacing;
    MemHandle references;  // block of MemHandles of TextSegments, one per 0 byte
    uint16_t referenceCount;
    uint8_t endMark;
};

// A reference embedded in a text: the referred object and its display string.
struct TextRef {
    ObjectHandle object;
    MemHandle display;  // "<<N>>"
    uint16_t displayLength;
};

// The part of a reference's display string that one 0 byte shows.
struct TextSegment {
    MemHandle reference;
    uint16_t start;
    uint16_t end;
};

// A place in a text: before character `column` of `line`.
struct TextPosition {
    MemHandle line = 0;
    uint16_t column = 0;
};

// ---- Creation and lines ----
MemHandle Text_Create(ObjectHandle owner, FixRect frame, uint32_t bounded);
TextLine* Text_NewLine(MemHandle text, MemHandle* out);
MemHandle Text_LinkNewLine(MemHandle text, MemHandle line, uint32_t after);
KernelStatus Text_ResizeLine(MemHandle line, uint16_t column, int32_t delta);
MemHandle Text_LastLine(MemHandle text);
// Frees a text record with its lines, references and extra block and drops
// its fonts; the owner's field 41 is left to the caller.
void Text_Free(MemHandle text);

// ---- References ----
MemHandle Text_MakeReference(ObjectHandle object, uint32_t counting);
void Text_FreeReference(MemHandle reference, uint32_t counting);
MemHandle Text_MakeSegment(MemHandle reference, uint16_t start, uint16_t end);
// Frees a segment; the reference itself goes with its segment that starts at 0.
void Text_FreeSegment(MemHandle segment);

// ---- Text fields of the object model ----
KernelStatus Text_GetFontFamily(MemHandle text, uint32_t* out);
KernelStatus Text_SetFontFamily(MemHandle text, uint32_t value);
KernelStatus Text_GetFontSize(MemHandle text, uint16_t* out);
KernelStatus Text_SetFontSize(MemHandle text, uint16_t value);
KernelStatus Text_GetFontStyle(MemHandle text, uint16_t* out);
KernelStatus Text_SetFontStyle(MemHandle text, uint16_t value);
KernelStatus Text_GetAlignment(MemHandle text, uint32_t* out);
KernelStatus Text_SetAlignment(MemHandle text, uint32_t value);
KernelStatus Text_GetScrollBars(MemHandle text, uint16_t* out);
KernelStatus Text_SetScrollBars(MemHandle text, uint16_t value);
KernelStatus Text_GetField77(MemHandle text, uint32_t* out);
KernelStatus Text_SetField77(MemHandle text, uint32_t value);
KernelStatus Text_GetLineHeight(MemHandle text, uint16_t* out);
KernelStatus Text_SetFont(MemHandle text, int16_t font);
uint16_t Text_LineHeightPixels(MemHandle text);
void TextLine_PlaceX(TextRec* text, TextLine* line);
KernelStatus Text_GetNoWrap(ObjectHandle object, uint32_t* out);

// ---- Queries on an object's text ----
uint32_t Text_Length(ObjectHandle object, uint32_t whole, uint32_t mode);
uint32_t Text_IsEmpty(ObjectHandle object);

// ---- Positions and characters ----
void Text_Advance(MemHandle text, int32_t n);
TextPosition Text_AdvancePosition(MemHandle text, TextPosition from, int32_t n);
uint32_t Text_CountChars(MemHandle text, const TextPosition* from, const TextPosition* to, uint32_t mode);
MemHandle Text_CopyOut(MemHandle text, const TextPosition* from, const TextPosition* to, uint32_t* length,
                       uint32_t mode);
KernelStatus Text_SetSelection(MemHandle text, int32_t from, int32_t to);
KernelStatus Text_SelectRange(ObjectHandle object, int32_t from, int32_t to);
KernelStatus Text_SelectAll(ObjectHandle object);

// ---- Object texts ----
KernelStatus Text_Delete(ObjectHandle object);
KernelStatus Text_CopyToObject(ObjectHandle source, ObjectHandle destination);
