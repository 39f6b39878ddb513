// Text records: the text of one object as a list of lines with embedded
// references to other objects, its frame, cursor, selection and font, and the
// text fields that the object model routes to it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

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

// Statuses of the text engine.
inline constexpr KernelStatus kStatusNoString = 34;
inline constexpr KernelStatus kStatusNoReference = 35;
inline constexpr KernelStatus kStatusEmptySearch = 56;
inline constexpr KernelStatus kStatusFoundText = 73;
inline constexpr KernelStatus kStatusReferenceLoop = 75;
inline constexpr KernelStatus kStatusEditWindowNotReady = 76;
inline constexpr KernelStatus kStatusUnpairedMarkers = 79;

// Hooks fired by the text editor.
inline constexpr uint32_t kHookTextReplace = 47;
inline constexpr uint32_t kHookTextReplaced = 37;
inline constexpr uint32_t HOOK_TEXT_FIT = 56;
inline constexpr uint32_t HOOK_TEXT_END_EDIT = 76;

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
MemHandle TextSeg_New(MemHandle reference, uint16_t start, uint16_t end);
// Frees a segment; the reference itself goes with its segment that starts at 0.
void TextSeg_Free(MemHandle segment);

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
// Chooses the text's screen font for a page scale (0: the scale of the page
// that holds the text): the layout font itself (kScreenIsLayoutFont) when it
// was loaded at the scaled size, else a font of the screen table.
void Text_UpdateScreenFont(MemHandle text, Fixed scale);
// The font a text is drawn with on its page (its screen font, or the layout
// font); null without a font.
LoadedFont* Text_DrawingFont(MemHandle text);
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

KernelStatus Text_SetNoWrap(ObjectHandle object, uint32_t flag);
uint32_t Text_CountSelection(MemHandle text, uint32_t mode);
// Whichever of the lines a and b comes later in the text that starts at
// `first`; a line not in the text counts as later, and a is the answer when
// neither is.
MemHandle Text_LaterLine(MemHandle first, MemHandle a, MemHandle b);
// 1 when a reference byte (0) lies in [from, to), from not after to.
bool Text_HasReferenceBetween(TextPosition from, TextPosition to);
// The selection's ends in text order; 0 when there is none.
uint32_t Text_SelectionEnds(const TextRec* text, TextPosition* start, TextPosition* end);

// ---- Layout and insertion ----
// Removes control bytes other than TAB, LF and CR, and bytes 128-255; returns
// the new count.
uint32_t Text_StripControls(uint8_t* characters, uint32_t count);
// Inserts at a position (line 0: the cursor); each 0 byte takes the next
// reference of the 0-terminated list. Returns the position after the
// insertion; the outermost call also puts the cursor there.
TextPosition Text_InsertAt(MemHandle text, TextPosition at, const uint8_t* characters, uint32_t count,
                           const MemHandle** references, uint32_t outermost);
void Text_InsertAtCursor(MemHandle text, const uint8_t* characters, uint32_t count, const MemHandle* references);
// Deletes count positions from `at`; without a reference list a range that
// holds a reference is left alone (result 0). With one, the removed
// references are handed out in text order.
MemHandle Text_DeleteRange(MemHandle text, TextPosition at, uint32_t count, std::vector<MemHandle>* references);
void Text_DeleteChars(MemHandle text, int32_t n);
MemHandle Text_RewrapFrom(MemHandle text, MemHandle line);
void Text_UnlinkLine(MemHandle text, MemHandle line);
KernelStatus Text_Relayout(MemHandle text, uint32_t resetHeights);
uint32_t Text_CursorOffsetOf(MemHandle text);

// ---- Texts of objects ----
KernelStatus Text_Get(ObjectHandle object, MemHandle* out, uint32_t create);
KernelStatus Text_GetClear(ObjectHandle object, MemHandle* out, uint32_t create);
MemHandle Text_CreateForObject(ObjectHandle object, FixRect frame);
KernelStatus Text_PutString(ObjectHandle object, const char* characters, uint32_t length, uint32_t mode);
KernelStatus Text_GetString(ObjectHandle object, char* buffer, uint32_t* length, uint32_t mode);
KernelStatus Text_CursorOffset(ObjectHandle object, uint32_t* cursor, uint32_t* end);
KernelStatus Text_DeleteBackward(ObjectHandle object);
KernelStatus Text_DeleteBeforeCursor(ObjectHandle object);
uint16_t Text_OwnReferenceCount(ObjectHandle object);
KernelStatus Text_FitToObject(ObjectHandle object);
KernelStatus Text_SetFrame(MemHandle text, FixRect frame);
// A negative frame width becomes half a unit.
void Text_EnsureMinWidth(TextRec* text);
KernelStatus Text_DropReferences(ObjectHandle object);
// Cuts the selection out; the characters (references as 0 bytes) and the
// removed references are handed out.
KernelStatus Text_DeleteSelection(MemHandle text, std::vector<uint8_t>* characters,
                                  std::vector<MemHandle>* references);

// ---- Clipboard of the text editor ----
uint32_t Text_Cut(MemHandle text);
void Text_Copy(MemHandle text);
void Text_Paste(MemHandle text);
void Text_Clear(MemHandle text);
KernelStatus Text_CutObject(ObjectHandle object);
KernelStatus Text_CopyObject(ObjectHandle object);
KernelStatus Text_PasteObject(ObjectHandle object);
KernelStatus Text_ClearObject(ObjectHandle object);
// The selection buffer: the characters last cut, copied or owned as selection.
const std::vector<char>& Text_SelectionBuffer();
void Text_SetSelectionBuffer(const char* characters, uint32_t length);
uint32_t Text_SelectionBufferEmpty();

// ---- Export and import ----
inline constexpr uint32_t kExportWords = 17;
KernelStatus Text_Export(MemHandle text, uint32_t header[17], uint32_t* second, MemHandle* characters,
                         uint32_t* count, MemHandle* references);
KernelStatus Text_ExportText(MemHandle text, MemHandle* characters, uint32_t* count, uint32_t whole,
                             MemHandle* references, uint32_t* referenceCount);
KernelStatus Text_Import(ObjectHandle object, MemHandle* out, const uint32_t header[17], uint32_t unused,
                         MemHandle characters, uint32_t count, MemHandle references);
KernelStatus Text_LoadBlocks(ObjectHandle object, const void* settings, const char* characters, uint32_t count);
KernelStatus Text_LoadStructured(ObjectHandle object, const void* settings, const char* characters,
                                 uint32_t count);
KernelStatus Text_LoadIntoNodes(ObjectHandle object, const void* settings, const char* characters, uint32_t count);

// ---- References and labels ----
KernelStatus Text_InsertReference(ObjectHandle object, ObjectHandle referred);
KernelStatus Text_RemoveReference(ObjectHandle object, ObjectHandle* referred);
KernelStatus Text_Unlink(ObjectHandle referred, ObjectHandle object);
ObjectHandle Text_ReferenceAtCursor(ObjectHandle object);
// The segment of the reference byte at a column; 0 past the line's end or
// on another character.
MemHandle TextLine_ReferenceAt(MemHandle line, uint16_t column);
ObjectHandle Text_ReferencedObjectAt(MemHandle line, uint16_t column);
MemHandle Text_FindReference(MemHandle text, ObjectHandle object, uint16_t* column);
void Text_RemoveReferencesTo(MemHandle text, ObjectHandle object);
uint32_t Text_IsReferrerOf(ObjectHandle a, ObjectHandle b);
KernelStatus Text_AddReferrer(ObjectHandle object, ObjectHandle referrer, ObjectHandle replaced);
KernelStatus Text_RemoveReferrer(ObjectHandle object, ObjectHandle referrer);
KernelStatus Text_MoveReferrerFirst(ObjectHandle object, ObjectHandle referrer);
ObjectHandle Text_FirstReferrer(ObjectHandle object);
// The referrer list (field 25) as handles, most recent first.
std::vector<ObjectHandle> Text_Referrers(ObjectHandle object);
uint32_t Text_ReferrerCount(ObjectHandle object);
KernelStatus Text_MoveSelectionTo(ObjectHandle object);
KernelStatus Text_MoveSelectionToObject(ObjectHandle object);
KernelStatus Text_RemapReferences(MemHandle map, ObjectHandle copy, MemHandle text);
KernelStatus Text_InsertMarker(MemHandle text, MemHandle reference);
// References moved into the text of `object` from the text of
// `previousOwner`: each referred object lists `object` as referrer in place
// of `previousOwner` (0: in addition). Referrer counts stay as they are.
void TextRefs_Attach(ObjectHandle object, std::span<const MemHandle> references, ObjectHandle previousOwner);
// The objects that the object's text refers to and that do not list it as
// referrer yet list it in place of the text's previous owner (or, when they do
// not list that either, in addition).
KernelStatus Text_UpdateReferences(ObjectHandle previousOwner, ObjectHandle object);
KernelStatus Text_SelectBracketed(ObjectHandle object, const void* settings);
KernelStatus Text_SelectToBracket(ObjectHandle object, const void* settings);
KernelStatus Text_SelectBracketedInGroup(uint16_t group);
KernelStatus Text_SelectToBracketInGroup(uint16_t group);
KernelStatus Text_SelectToStringInGroup(uint16_t group, const char* string);
KernelStatus Text_ExtractToReference(ObjectHandle source, ObjectHandle target);
KernelStatus Text_InlineReference(ObjectHandle object);
KernelStatus Text_RelayoutObject(ObjectHandle object);

// Labels: the one label being written (the current label), its box, and
// its end by a click elsewhere, a commit or a finish.
MemHandle Text_CreateLabel(ObjectHandle object, FixPoint point);
void Text_ForgetLabel();
uint32_t Text_HasLabel();
uint32_t Text_LabelBox(const TextRec* text, FixRect* box);
uint32_t Text_ObjectLabelBox(MemHandle text, FixRect* box);
// 1 when the pixel of the text's page window lies in the label box (text 0:
// the edited text); 0 for an empty label or a text that is not a label.
uint32_t Text_PointInLabel(MemHandle text, int32_t x, int32_t y);
// Moves a label to the page point, or with none to the pixel of its page window.
void Text_MoveLabel(TextRec* text, const FixPoint* point, int32_t x, int32_t y);
void Text_MoveLabelTo(MemHandle text, FixPoint point);
uint32_t Text_FitNodeToLabel(ObjectHandle object, FixRect box);
void Text_CommitLabel(MemHandle text, FixRect box);
// A press on the page window while a label is pending: 1 when the empty label
// moved to the pixel (the press is taken), 0 when a label with text was committed.
uint32_t Text_LabelClick(int32_t x, int32_t y);
uint32_t Text_FinishLabel(MemHandle text, uint32_t deleteEmpty);
void Text_FinishCurrentLabel();

// ---- Search and replace ----
KernelStatus Text_Find(uint32_t again, ObjectHandle start, uint32_t* found, uint32_t* replacements);
ObjectHandle Text_FindInText(ObjectHandle object, const char* pattern, const char* replacement, uint32_t matchCase,
                             uint32_t replaceMode, uint32_t follow, uint32_t continueFlag, uint32_t pass);
uint32_t Text_NewFindPass();
KernelStatus Text_SelectToString(ObjectHandle object, const char* string);
KernelStatus Text_FindFromStart(ObjectHandle object);
KernelStatus Text_FindFromStartInGroup(uint16_t group);
// Pair search in a plain buffer: the offset just after the close marker that
// pairs with the first open marker (0 when none), the open marker's offset in
// `start`, and whether an open marker was seen at all.
uint32_t Text_FindPair(const char* buffer, uint32_t count, uint32_t* start, const char* open, const char* close,
                       bool* openSeen);
