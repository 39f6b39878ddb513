// Text records: creation and release of texts, lines and references, the text
// fields of the object model, positions, counting and copying characters out,
// selection by offsets, and the texts of objects.
#include "xkv/text/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextInternal.h"
#include "xkv/types/Fixed.h"

namespace {

constexpr Fixed kHalf = 0x8000;
// Texts that refer to each other are read in mode 4 at most this deep, so
// that a circle of references cannot recurse without end.
constexpr int kMaxReferenceDepth = 32;

using TextLock = BlockLock<TextRec>;
using LineLock = BlockLock<TextLine>;

bool IsHardBreak(uint8_t endMark)
{
    return endMark == kEndLineFeed || endMark == kEndReturn;
}

MemHandle TextOf(ObjectHandle object)
{
    return Model_IsValidHandle(object) ? Model_GetFieldValue(object, Field::kText) : 0;
}

// The reference segment of the i-th 0 byte of a line (0 when missing).
MemHandle SegmentAt(const TextLine& line, uint16_t index)
{
    if (index >= line.referenceCount) {
        return 0;
    }
    BlockLock<MemHandle> segments(line.references);
    if (!segments || segments.size() < (index + 1u) * sizeof(MemHandle)) {
        return 0;
    }
    return segments.get()[index];
}

MemHandle NewLineRecord(TextRec& text, TextLine** address)
{
    MemHandle handle = 0;
    TextLine* line = nullptr;
    if (Mem_AllocLocked(&handle, reinterpret_cast<void**>(&line), sizeof(TextLine)) != kStatusOk) {
        return 0;
    }
    line->spacing = 0;
    if (text.font != kNoFont) {
        line->height = Text_FontHeight(text.font);
        TextLine_PlaceX(&text, line);
    }
    if (text.label != 0) {
        line->x = Fix_Add(text.frameX, kLineInset);
        text.scrollY = Fix_Add(text.scrollY, line->height);
    }
    text.lineCount++;
    if (address != nullptr) {
        *address = line;
    }
    Mem_Unlock(handle);
    return handle;
}

// Frees a line with its characters, its reference segments (and their
// references) and its segment array.
void Text_FreeLine(MemHandle handle)
{
    {
        LineLock line(handle);
        if (!line) {
            return;
        }
        for (uint16_t i = 0; i < line->referenceCount; ++i) {
            TextSeg_Free(SegmentAt(*line, i));
        }
        if (line->references != 0) {
            Mem_Free(line->references);
        }
        if (line->characters != 0) {
            Mem_Free(line->characters);
        }
    }
    Mem_Free(handle);
}

// ---- Reading characters in a reference mode ----

struct Reader {
    uint32_t mode;
    int depth;
    std::string* out;  // null: only count
    uint32_t count = 0;

    void Put(char c)
    {
        ++count;
        if (out != nullptr) {
            out->push_back(c);
        }
    }
};

void ReadRange(MemHandle text, const TextPosition* from, const TextPosition* to, Reader& reader);

void ReadReference(MemHandle segmentHandle, Reader& reader)
{
    BlockLock<TextSegment> segment(segmentHandle);
    if (!segment) {
        return;
    }
    switch (reader.mode) {
    case kRefDropped:
        return;
    case kRefZeroByte:
        if (segment->start == 0) {
            reader.Put('\0');
        }
        return;
    case kRefWholeText: {
        if (segment->start != 0 || reader.depth >= kMaxReferenceDepth) {
            return;
        }
        BlockLock<TextRef> reference(segment->reference);
        MemHandle referred = reference ? TextOf(reference->object) : 0;
        if (referred != 0) {
            Reader inner{reader.mode, reader.depth + 1, reader.out};
            ReadRange(referred, nullptr, nullptr, inner);
            reader.count += inner.count;
        }
        return;
    }
    default: {
        BlockLock<TextRef> reference(segment->reference);
        if (!reference) {
            return;
        }
        BlockLock<char> display(reference->display);
        uint16_t length = std::min<uint32_t>(reference->displayLength, display.size());
        uint16_t end = std::min(segment->end, length);
        for (uint16_t i = segment->start; i < end; ++i) {
            reader.Put(display.get()[i]);
        }
        return;
    }
    }
}

// Reads the characters of one line from column `from` to column `to`.
void ReadLine(const TextLine& line, uint16_t from, uint16_t to, Reader& reader)
{
    BlockLock<uint8_t> characters(line.characters);
    uint16_t length = std::min<uint32_t>(line.length, characters.size());
    to = std::min(to, length);
    uint16_t zeroIndex = 0;
    for (uint16_t i = 0; i < to; ++i) {
        uint8_t c = characters.get()[i];
        if (i >= from) {
            if (c == 0) {
                ReadReference(SegmentAt(line, zeroIndex), reader);
            } else {
                reader.Put(static_cast<char>(c));
            }
        }
        if (c == 0) {
            ++zeroIndex;
        }
    }
}

void ReadRange(MemHandle text, const TextPosition* from, const TextPosition* to, Reader& reader)
{
    MemHandle lineHandle = 0;
    {
        TextLock t(text);
        if (!t) {
            return;
        }
        lineHandle = from != nullptr ? from->line : t->firstLine;
    }
    uint16_t column = from != nullptr ? from->column : 0;
    // A line count bounds the walk even when `to` is not met.
    for (uint32_t guard = 0; lineHandle != 0 && guard < 0x1000000; ++guard) {
        LineLock line(lineHandle);
        if (!line) {
            return;
        }
        bool last = to != nullptr && lineHandle == to->line;
        ReadLine(*line, column, last ? to->column : kLineEnd, reader);
        if (last) {
            return;
        }
        if (IsHardBreak(line->endMark)) {
            reader.Put(static_cast<char>(line->endMark));
        }
        lineHandle = line->next;
        column = 0;
    }
}

}  // namespace

MemHandle Text_LaterLine(MemHandle first, MemHandle a, MemHandle b)
{
    if (a == b) {
        return a;
    }
    for (MemHandle line = first; line != 0;) {
        if (line == a) {
            return b;
        }
        if (line == b) {
            return a;
        }
        LineLock l(line);
        line = l ? l->next : 0;
    }
    return a;
}

bool Text_HasReferenceBetween(TextPosition from, TextPosition to)
{
    for (MemHandle line = from.line; line != 0;) {
        LineLock l(line);
        if (!l) {
            return false;
        }
        BlockLock<uint8_t> characters(l->characters);
        uint32_t length = std::min<uint32_t>(l->length, characters.size());
        uint32_t begin = line == from.line ? from.column : 0;
        uint32_t end = line == to.line ? std::min<uint32_t>(to.column, length) : length;
        for (uint32_t i = begin; i < end; ++i) {
            if (characters.get()[i] == 0) {
                return true;
            }
        }
        if (line == to.line) {
            return false;
        }
        line = l->next;
    }
    return false;
}

namespace {

// The selection's two ends in text order; false when there is none.
bool SelectionEnds(const TextRec& text, TextPosition* start, TextPosition* end)
{
    if (text.anchorColumn < 0 || text.anchorLine == 0) {
        return false;
    }
    TextPosition cursor{text.cursorLine, text.cursorColumn};
    TextPosition anchor{text.anchorLine, static_cast<uint16_t>(text.anchorColumn)};
    bool cursorFirst = cursor.line == anchor.line ? cursor.column <= anchor.column
                                                  : Text_LaterLine(text.firstLine, cursor.line, anchor.line) == anchor.line;
    *start = cursorFirst ? cursor : anchor;
    *end = cursorFirst ? anchor : cursor;
    return true;
}

// Records one font component; the font is acquired once all three are given.
// A text with a font changes font only for a different component.
KernelStatus SetFontComponent(MemHandle handle, uint8_t bit, uint32_t value)
{
    FontSpec wantedFont;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        wantedFont = text->fontSpec;
        switch (bit) {
        case kPendingSize:
            wantedFont.size = static_cast<uint16_t>(value);
            break;
        case kPendingStyle:
            wantedFont.style = static_cast<uint16_t>(value);
            break;
        default:
            wantedFont.family = value;
            break;
        }
        if (text->font == kNoFont) {
            text->fontSpec = wantedFont;
            text->pendingMask |= bit;
            if (text->pendingMask != (kPendingSize | kPendingStyle | kPendingFamily)) {
                return kStatusOk;
            }
        } else {
            if (wantedFont.family == text->fontSpec.family && wantedFont.size == text->fontSpec.size &&
                wantedFont.style == text->fontSpec.style) {
                return kStatusOk;
            }
            text->fontSpec = wantedFont;
            Text_ReleaseFont(text->font);
            text->font = kNoFont;
        }
    }
    return Text_SetFont(handle, Text_AcquireFont(&wantedFont));
}

}  // namespace

// ---- Creation and lines ----

MemHandle Text_Create(ObjectHandle owner, FixRect frame, uint32_t bounded)
{
    MemHandle handle = 0;
    TextRec* text = nullptr;
    if (Mem_AllocLocked(&handle, reinterpret_cast<void**>(&text), sizeof(TextRec)) != kStatusOk) {
        return 0;
    }
    text->owner = owner;
    text->frameX = frame.left;
    text->frameY = frame.top;
    if (bounded != 0) {
        text->frameWidth = Fix_Sub(frame.right, frame.left);
        text->frameHeight = Fix_Sub(frame.bottom, frame.top);
    } else {
        text->frameWidth = kUnboundedFrame;
        text->frameHeight = kUnboundedFrame;
        text->alignment = 1;
        text->noWrap = 1;
        text->label = 1;
    }
    text->scrollBars = 1;
    text->font = kNoFont;
    text->screenFont = kNoFont;
    text->anchorColumn = -1;
    TextLine* line = nullptr;
    MemHandle first = NewLineRecord(*text, &line);
    if (first == 0) {
        Mem_Unlock(handle);
        Mem_Free(handle);
        return 0;
    }
    line->endMark = kEndOfText;
    text->firstLine = first;
    text->topLine = first;
    text->cursorLine = first;
    Mem_Unlock(handle);
    return handle;
}

TextLine* Text_NewLine(MemHandle handle, MemHandle* out)
{
    TextLock text(handle);
    TextLine* line = nullptr;
    MemHandle made = text ? NewLineRecord(*text, &line) : 0;
    if (out != nullptr) {
        *out = made;
    }
    return made != 0 ? line : nullptr;
}

MemHandle Text_LinkNewLine(MemHandle handle, MemHandle lineHandle, uint32_t after)
{
    TextLock text(handle);
    LineLock line(lineHandle);
    if (!text || !line) {
        return 0;
    }
    TextLine* added = nullptr;
    MemHandle addedHandle = NewLineRecord(*text, &added);
    if (addedHandle == 0) {
        return 0;
    }
    if (after != 0) {
        added->previous = lineHandle;
        added->next = line->next;
        if (line->next != 0) {
            LineLock next(line->next);
            if (next) {
                next->previous = addedHandle;
            }
        }
        line->next = addedHandle;
        if (line->endMark == kEndOfText) {
            line->endMark = kEndWrapped;
            added->endMark = kEndOfText;
        }
    } else {
        added->next = lineHandle;
        added->previous = line->previous;
        if (line->previous != 0) {
            LineLock previous(line->previous);
            if (previous) {
                previous->next = addedHandle;
            }
        } else {
            text->firstLine = addedHandle;
        }
        line->previous = addedHandle;
        if (text->topLine == lineHandle) {
            text->topLine = addedHandle;
            added->bottom = line->bottom;
        }
    }
    return addedHandle;
}

KernelStatus Text_ResizeLine(MemHandle lineHandle, uint16_t column, int32_t delta)
{
    LineLock line(lineHandle);
    if (!line) {
        return kStatusNoText;
    }
    uint32_t length = line->length;
    if (column > length || (delta < 0 && static_cast<uint32_t>(-delta) > length - column)) {
        return kStatusBadContainerArgument;
    }
    uint32_t newLength = length + delta;
    if (newLength > UINT16_MAX - 16) {
        return kStatusBadContainerArgument;
    }
    uint32_t capacity = line->capacity;
    bool grow = newLength > capacity;
    bool shrink = capacity >= newLength + 16;
    if (grow || shrink) {
        capacity = (newLength + 16) & ~15u;
    }
    if (line->characters == 0) {
        if (Mem_Alloc(&line->characters, capacity) != kStatusOk) {
            return kStatusOutOfMemory;
        }
    } else if (grow) {
        KernelStatus status = Mem_Realloc(&line->characters, capacity);
        if (status != kStatusOk) {
            return status;
        }
    }
    {
        BlockLock<uint8_t> characters(line->characters);
        if (!characters) {
            return kStatusNullHandle;
        }
        uint8_t* bytes = characters.get();
        if (delta > 0) {
            std::memmove(bytes + column + delta, bytes + column, length - column);
            std::memset(bytes + column, 0, delta);
        } else if (delta < 0) {
            std::memmove(bytes + column, bytes + column - delta, length - column + delta);
        }
    }
    if (shrink && !grow && Mem_Realloc(&line->characters, capacity) != kStatusOk) {
        capacity = line->capacity;  // keep the larger block
    }
    line->capacity = static_cast<uint16_t>(capacity);
    line->length = static_cast<uint16_t>(newLength);
    return kStatusOk;
}

MemHandle Text_LastLine(MemHandle handle)
{
    TextLock text(handle);
    if (!text) {
        return 0;
    }
    MemHandle line = text->firstLine;
    for (uint32_t guard = 0; line != 0 && guard <= text->lineCount; ++guard) {
        LineLock l(line);
        if (!l || l->next == 0) {
            break;
        }
        line = l->next;
    }
    return line;
}

void Text_Free(MemHandle handle)
{
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        MemHandle line = text->firstLine;
        while (line != 0) {
            MemHandle next = 0;
            {
                LineLock l(line);
                next = l ? l->next : 0;
            }
            Text_FreeLine(line);
            line = next;
        }
        if (text->extraFlag != 0 && text->extraBlock != 0) {
            Mem_Free(text->extraBlock);
        }
        if (text->font >= 0) {
            Text_ReleaseFont(text->font);
        }
        if (text->screenFont >= 0) {
            Text_ReleaseScreenFont(text->screenFont);
        }
    }
    Mem_Free(handle);
}

// ---- References ----

MemHandle Text_MakeReference(ObjectHandle object, uint32_t counting)
{
    char display[16];
    int length = std::snprintf(display, sizeof(display), "<<%d>>", static_cast<int>(object & 0xffff));
    MemHandle handle = 0;
    TextRef* reference = nullptr;
    if (Mem_AllocLocked(&handle, reinterpret_cast<void**>(&reference), sizeof(TextRef)) != kStatusOk) {
        return 0;
    }
    reference->object = object;
    reference->displayLength = static_cast<uint16_t>(length);
    if (Mem_AllocCopy(&reference->display, display, static_cast<size_t>(length)) != kStatusOk) {
        Mem_Unlock(handle);
        Mem_Free(handle);
        return 0;
    }
    Mem_Unlock(handle);
    if (counting != 0) {
        TextLock referred(TextOf(object));
        if (referred) {
            referred->referrerCount++;
        }
    }
    return handle;
}

void Text_FreeReference(MemHandle handle, uint32_t counting)
{
    {
        BlockLock<TextRef> reference(handle);
        if (!reference) {
            return;
        }
        if (counting != 0) {
            TextLock referred(TextOf(reference->object));
            if (referred && referred->referrerCount > 0) {
                referred->referrerCount--;
            }
        }
        if (reference->display != 0) {
            Mem_Free(reference->display);
        }
    }
    Mem_Free(handle);
}

MemHandle TextSeg_New(MemHandle reference, uint16_t start, uint16_t end)
{
    if (end == 0) {
        BlockLock<TextRef> r(reference);
        end = r ? r->displayLength : 0;
    }
    MemHandle handle = 0;
    TextSegment* segment = nullptr;
    if (Mem_AllocLocked(&handle, reinterpret_cast<void**>(&segment), sizeof(TextSegment)) != kStatusOk) {
        return 0;
    }
    *segment = TextSegment{reference, start, end};
    Mem_Unlock(handle);
    return handle;
}

void TextSeg_Free(MemHandle handle)
{
    MemHandle reference = 0;
    {
        BlockLock<TextSegment> segment(handle);
        if (!segment) {
            return;
        }
        if (segment->start == 0) {
            reference = segment->reference;
        }
    }
    Mem_Free(handle);
    if (reference != 0) {
        Text_FreeReference(reference, 1);
    }
}

// ---- Text fields ----

// Copies one component of the text's font description to *out.
template <typename Out, typename Member>
KernelStatus ReadFontComponent(MemHandle handle, Out* out, Member FontSpec::*member)
{
    TextLock text(handle);
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = text->fontSpec.*member;
    return kStatusOk;
}

KernelStatus Text_GetFontFamily(MemHandle handle, uint32_t* out)
{
    return ReadFontComponent(handle, out, &FontSpec::family);
}

KernelStatus Text_SetFontFamily(MemHandle handle, uint32_t value)
{
    return SetFontComponent(handle, kPendingFamily, value);
}

KernelStatus Text_GetFontSize(MemHandle handle, uint16_t* out)
{
    return ReadFontComponent(handle, out, &FontSpec::size);
}

KernelStatus Text_SetFontSize(MemHandle handle, uint16_t value)
{
    return SetFontComponent(handle, kPendingSize, value);
}

KernelStatus Text_GetFontStyle(MemHandle handle, uint16_t* out)
{
    return ReadFontComponent(handle, out, &FontSpec::style);
}

KernelStatus Text_SetFontStyle(MemHandle handle, uint16_t value)
{
    return SetFontComponent(handle, kPendingStyle, value);
}

KernelStatus Text_SetFont(MemHandle handle, int16_t font)
{
    TextLock text(handle);
    if (!text) {
        return kStatusNoText;
    }
    text->pendingMask = 0;
    font = font >= 0 ? font : kNoFont;
    // The caller hands over one reference on the new font; the text's
    // reference on its old font goes.
    if (text->font >= 0) {
        Text_ReleaseFont(text->font);
    }
    text->font = font;
    if (text->font != kNoFont && text->screenFont == kScreenIsLayoutFont) {
        text->screenFont = kNoFont;
        text->screenFontScale = 0;
    }
    LineLock first(text->firstLine);
    if (first) {
        first->height = Text_FontHeight(text->font);
        first->bottom = Fix_Add(first->height, kHalf);
        if (text->label != 0) {
            first->bottom = Fix_Add(first->bottom, text->frameY);
        }
    }
    return kStatusOk;
}

void TextLine_PlaceX(TextRec* text, TextLine* line)
{
    if (text == nullptr || line == nullptr) {
        return;
    }
    if (text->label != 0) {
        line->x = Fix_Add(text->frameX, kLineInset);
        return;
    }
    switch (text->alignment) {
    case 0:
        if (text->noWrap == 0) {
            line->x = Fix_Sub(Fix_Sub(text->frameWidth, line->width), kLineInset);
        }
        break;
    case 2:
        if (text->noWrap == 0) {
            line->x = Fix_Sub(text->frameWidth, line->width) >> 1;
        }
        break;
    default:
        line->x = kLineInset;
        break;
    }
}

KernelStatus Text_GetAlignment(MemHandle handle, uint32_t* out)
{
    TextLock text(handle);
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = text->alignment;
    return kStatusOk;
}

KernelStatus Text_SetAlignment(MemHandle handle, uint32_t value)
{
    TextLock text(handle);
    if (!text) {
        return kStatusNoText;
    }
    auto alignment = static_cast<uint8_t>(value);
    if (alignment == text->alignment) {
        return kStatusOk;
    }
    text->alignment = alignment;
    for (MemHandle line = text->firstLine; line != 0;) {
        LineLock l(line);
        if (!l) {
            break;
        }
        TextLine_PlaceX(text.get(), l.get());
        line = l->next;
    }
    return kStatusOk;
}

KernelStatus Text_GetScrollBars(MemHandle handle, uint16_t* out)
{
    TextLock text(handle);
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = text->scrollBars;
    return kStatusOk;
}

KernelStatus Text_SetScrollBars(MemHandle handle, uint16_t value)
{
    bool showNow = false;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        if (text->scrollBars == value) {
            return kStatusOk;
        }
        text->scrollBars = static_cast<uint8_t>(value);
        showNow = textimpl::IsEditedRec(text.get()) && text->label == 0;
    }
    // The edited text's window shows or drops its bars at once.
    if (showNow) {
        TextWidget_SetScrollBars(value);
    }
    return kStatusOk;
}

KernelStatus Text_GetField77(MemHandle handle, uint32_t* out)
{
    TextLock text(handle);
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = kField77Reading;
    return kStatusOk;
}

KernelStatus Text_SetField77(MemHandle handle, uint32_t value)
{
    TextLock text(handle);
    if (!text) {
        return kStatusNoText;
    }
    text->attributeWord = value;
    return kStatusOk;
}

uint16_t Text_LineHeightPixels(MemHandle handle)
{
    TextLock text(handle);
    if (!text) {
        return 0;
    }
    return static_cast<uint16_t>(Text_FontHeight(text->font) >> 15);
}

KernelStatus Text_GetLineHeight(MemHandle handle, uint16_t* out)
{
    TextLock text(handle);
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = static_cast<uint16_t>(Text_FontHeight(text->font) >> 15);
    return kStatusOk;
}

KernelStatus Text_GetNoWrap(ObjectHandle object, uint32_t* out)
{
    TextLock text(TextOf(object));
    if (!text || out == nullptr) {
        return kStatusNoText;
    }
    *out = text->noWrap;
    return kStatusOk;
}

// ---- Queries ----

uint32_t Text_Length(ObjectHandle object, uint32_t whole, uint32_t mode)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return 0;
    }
    if (whole != 0) {
        return Text_CountChars(handle, nullptr, nullptr, mode);
    }
    TextPosition start;
    TextPosition end;
    {
        TextLock text(handle);
        if (!text || !SelectionEnds(*text, &start, &end)) {
            return 0;
        }
    }
    return Text_CountChars(handle, &start, &end, mode);
}

uint32_t Text_IsEmpty(ObjectHandle object)
{
    TextLock text(TextOf(object));
    if (!text) {
        return 0;
    }
    LineLock first(text->firstLine);
    return first && first->length == 0 && first->endMark == kEndOfText ? 1 : 2;
}

// ---- Positions and characters ----

TextPosition Text_AdvancePosition(MemHandle handle, TextPosition position, int32_t n)
{
    if (n > 0) {
        uint32_t remaining = static_cast<uint32_t>(n);
        while (true) {
            LineLock line(position.line);
            if (!line) {
                return position;
            }
            uint32_t left = line->length > position.column ? line->length - position.column : 0;
            if (remaining <= left) {
                position.column = static_cast<uint16_t>(position.column + remaining);
                return position;
            }
            if (line->next == 0) {
                position.column = line->length;
                return position;
            }
            remaining -= left + (IsHardBreak(line->endMark) ? 1 : 0);
            position.line = line->next;
            position.column = 0;
            if (remaining == 0) {
                return position;
            }
        }
    }
    uint32_t remaining = n < 0 ? static_cast<uint32_t>(-int64_t{n}) : 0;
    (void)handle;
    while (remaining > 0) {
        if (remaining <= position.column) {
            position.column = static_cast<uint16_t>(position.column - remaining);
            return position;
        }
        remaining -= position.column;
        LineLock line(position.line);
        if (!line || line->previous == 0) {
            position.column = 0;
            return position;
        }
        LineLock previous(line->previous);
        if (!previous) {
            position.column = 0;
            return position;
        }
        if (IsHardBreak(previous->endMark)) {
            remaining--;
        }
        position.line = line->previous;
        position.column = previous->length;
    }
    return position;
}

void Text_Advance(MemHandle handle, int32_t n)
{
    TextPosition cursor;
    {
        TextLock text(handle);
        if (!text || n == 0) {
            return;
        }
        cursor = {text->cursorLine, text->cursorColumn};
    }
    cursor = Text_AdvancePosition(handle, cursor, n);
    TextLock text(handle);
    text->cursorLine = cursor.line;
    text->cursorColumn = cursor.column;
}

uint32_t Text_CountChars(MemHandle text, const TextPosition* from, const TextPosition* to, uint32_t mode)
{
    Reader reader{mode, 0, nullptr};
    ReadRange(text, from, to, reader);
    return reader.count;
}

MemHandle Text_CopyOut(MemHandle text, const TextPosition* from, const TextPosition* to, uint32_t* length,
                       uint32_t mode)
{
    if (length != nullptr) {
        *length = 0;
    }
    std::string characters;
    Reader reader{mode, 0, &characters};
    ReadRange(text, from, to, reader);
    if (characters.empty()) {
        return 0;
    }
    MemHandle block = 0;
    if (Mem_AllocCopy(&block, characters.data(), characters.size()) != kStatusOk) {
        return 0;
    }
    if (length != nullptr) {
        *length = static_cast<uint32_t>(characters.size());
    }
    return block;
}

KernelStatus Text_SetSelection(MemHandle handle, int32_t from, int32_t to)
{
    if (from < 0 && to < 0) {
        return kStatusBadArgument;
    }
    TextPosition start;
    TextPosition cursor;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        start = {text->firstLine, 0};
        cursor = {text->cursorLine, text->cursorColumn};
    }
    // A negative offset stands for the cursor, counted as positions count
    // (each reference one character).
    if (from < 0 || to < 0) {
        auto offset = static_cast<int32_t>(Text_CountChars(handle, &start, &cursor, kRefZeroByte));
        from = from < 0 ? offset : from;
        to = to < 0 ? offset : to;
    }
    TextPosition fromAt = Text_AdvancePosition(handle, start, from);
    TextPosition toAt = Text_AdvancePosition(handle, start, to);
    TextLock text(handle);
    text->cursorLine = fromAt.line;
    text->cursorColumn = fromAt.column;
    if (to > from) {
        text->anchorLine = toAt.line;
        text->anchorColumn = static_cast<int16_t>(std::min<uint16_t>(toAt.column, INT16_MAX));
    } else {
        text->anchorLine = 0;
        text->anchorColumn = -1;
    }
    return kStatusOk;
}

uint32_t Text_SelectionEnds(const TextRec* text, TextPosition* start, TextPosition* end)
{
    return text != nullptr && SelectionEnds(*text, start, end) ? 1 : 0;
}

uint32_t Text_CountSelection(MemHandle handle, uint32_t mode)
{
    TextPosition start;
    TextPosition end;
    {
        TextLock text(handle);
        if (!text || !SelectionEnds(*text, &start, &end)) {
            return 0;
        }
    }
    return Text_CountChars(handle, &start, &end, mode);
}

KernelStatus Text_SelectRange(ObjectHandle object, int32_t from, int32_t to)
{
    MemHandle text = TextOf(object);
    if (text == 0) {
        return kStatusNoText;
    }
    return Text_SetSelection(text, from, to);
}

KernelStatus Text_SelectAll(ObjectHandle object)
{
    return Text_SelectRange(object, 0, 0x7fffffff);
}

// ---- Object texts ----

KernelStatus Text_Delete(ObjectHandle object)
{
    MemHandle text = TextOf(object);
    if (text == 0) {
        return kStatusOk;
    }
    // The objects this text refers to lose it from their referrer lists; its
    // own list goes with it.
    std::vector<ObjectHandle> referred;
    {
        TextLock t(text);
        for (MemHandle line = t ? t->firstLine : 0; line != 0;) {
            LineLock l(line);
            if (!l) {
                break;
            }
            for (uint16_t i = 0; i < l->referenceCount; ++i) {
                BlockLock<TextSegment> segment(SegmentAt(*l, i));
                if (segment && segment->start == 0) {
                    BlockLock<TextRef> reference(segment->reference);
                    if (reference) {
                        referred.push_back(reference->object);
                    }
                }
            }
            line = l->next;
        }
    }
    textimpl::LetGoOfText(text);
    Text_Free(text);
    KernelStatus status = Model_SetFieldValue(object, Field::kText, 0);
    for (ObjectHandle other : referred) {
        if (other != object) {
            Text_RemoveReferrer(other, object);
        }
    }
    if (MemHandle list = Model_GetFieldValue(object, Field::kReferrers); list != 0) {
        Mem_Free(list);
        Model_SetFieldValue(object, Field::kReferrers, 0);
    }
    return status;
}

namespace {

// Copies one line's characters and references into a line of the copy;
// references split over lines share the copy of their reference.
KernelStatus CopyLine(const TextLine& source, MemHandle targetHandle, std::map<MemHandle, MemHandle>& references,
                      ObjectHandle destination)
{
    {
        LineLock target(targetHandle);
        if (!target) {
            return kStatusOutOfMemory;
        }
        target->x = source.x;
        target->bottom = source.bottom;
        target->height = source.height;
        target->width = source.width;
        target->spacing = source.spacing;
        target->endMark = source.endMark;
    }
    BlockLock<uint8_t> characters(source.characters);
    uint16_t length = std::min<uint32_t>(source.length, characters.size());
    if (length > 0) {
        KernelStatus status = Text_ResizeLine(targetHandle, 0, length);
        if (status != kStatusOk) {
            return status;
        }
    }
    LineLock target(targetHandle);
    BlockLock<uint8_t> copied(target->characters);
    if (length > 0) {
        std::memcpy(copied.get(), characters.get(), length);
    }
    if (source.referenceCount == 0) {
        return kStatusOk;
    }
    if (Mem_Alloc(&target->references, source.referenceCount * sizeof(MemHandle)) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    BlockLock<MemHandle> segments(target->references);
    for (uint16_t i = 0; i < source.referenceCount; ++i) {
        BlockLock<TextSegment> segment(SegmentAt(source, i));
        if (!segment) {
            continue;
        }
        MemHandle& reference = references[segment->reference];
        if (reference == 0) {
            BlockLock<TextRef> original(segment->reference);
            reference = original ? Text_MakeReference(original->object, 1) : 0;
            if (reference != 0) {
                Text_AddReferrer(original->object, destination, 0);
            }
        }
        MemHandle copy = reference != 0 ? TextSeg_New(reference, segment->start, segment->end) : 0;
        if (copy == 0) {
            return kStatusOutOfMemory;
        }
        segments.get()[target->referenceCount++] = copy;
    }
    return kStatusOk;
}

}  // namespace

KernelStatus Text_CopyToObject(ObjectHandle source, ObjectHandle destination)
{
    MemHandle sourceHandle = TextOf(source);
    if (sourceHandle == 0) {
        return kStatusOk;
    }
    if (!Model_IsValidHandle(destination)) {
        return kStatusBadObjectHandle;
    }
    TextLock from(sourceHandle);
    if (!from) {
        return kStatusNoText;
    }
    FixRect frame{from->frameX, from->frameY, Fix_Add(from->frameX, from->frameWidth),
                  Fix_Add(from->frameY, from->frameHeight)};
    MemHandle copyHandle = Text_Create(destination, frame, from->label == 0 ? 1 : 0);
    if (copyHandle == 0) {
        return kStatusOutOfMemory;
    }
    KernelStatus status = kStatusOk;
    {
        TextLock copy(copyHandle);
        copy->frameWidth = from->frameWidth;
        copy->frameHeight = from->frameHeight;
        copy->alignment = from->alignment;
        copy->noWrap = from->noWrap;
        copy->label = from->label;
        copy->scrollBars = from->scrollBars;
        copy->attributeWord = from->attributeWord;
        copy->fontSpec = from->fontSpec;
        copy->pendingMask = from->pendingMask;
        if (from->font != kNoFont) {
            copy->font = Text_AcquireFont(&from->fontSpec);
        }
        std::map<MemHandle, MemHandle> references;
        MemHandle target = copy->firstLine;
        for (MemHandle line = from->firstLine; line != 0 && status == kStatusOk;) {
            LineLock l(line);
            if (!l) {
                break;
            }
            if (line != from->firstLine) {
                target = Text_LinkNewLine(copyHandle, target, 1);
                if (target == 0) {
                    status = kStatusOutOfMemory;
                    break;
                }
            }
            status = CopyLine(*l, target, references, destination);
            line = l->next;
        }
        copy->lineCount = from->lineCount;
        copy->scrollY = from->scrollY;
        copy->referenceCount = from->referenceCount;
    }
    if (status != kStatusOk) {
        Text_Free(copyHandle);
        return status;
    }
    Text_Delete(destination);
    return Model_SetFieldValue(destination, Field::kText, copyHandle);
}
