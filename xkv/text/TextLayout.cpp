// Text layout: measuring and wrapping lines by the frame width, line
// placement by the alignment, insertion with re-flow, deletion with re-wrap,
// and the whole-text re-layout. Every change works on a stretch of whole
// paragraphs (lines joined by wrapping), which is cut into lines again.
#include <algorithm>
#include <cstring>

#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextInternal.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

struct WrappedLine {
    std::vector<Cell> cells;
    uint8_t endMark = kEndWrapped;
};

}  // namespace

namespace textimpl {

size_t Text_FitChars(LoadedFont* font, std::span<const Cell> cells, Fixed width)
{
    Fixed x = 0;
    size_t count = 0;
    size_t lastBreak = 0;
    size_t limit = std::min(cells.size(), kMaxLineLength);
    while (count < limit) {
        const Cell& cell = cells[count];
        Fixed w = Text_CharWidth(font, x, cell.c, cell.segment);
        if (count > 0 && (int64_t{width} - x < 1 || w > width - x)) {
            break;
        }
        ++count;
        if (IsBreakCharacter(cell.c)) {
            lastBreak = count;
        }
        x = Fix_Add(x, w);
    }
    if (count == cells.size()) {
        return count;
    }
    return lastBreak > 0 ? lastBreak : std::max<size_t>(count, 1);
}

}  // namespace textimpl

namespace {

void WrapParagraph(LoadedFont* font, Fixed width, std::span<const Cell> cells, uint8_t endMark,
                   std::vector<WrappedLine>& out)
{
    size_t position = 0;
    do {
        size_t take = Text_FitChars(font, cells.subspan(position), width);
        WrappedLine line;
        line.cells.assign(cells.begin() + position, cells.begin() + position + take);
        position += take;
        line.endMark = position >= cells.size() ? endMark : kEndWrapped;
        out.push_back(std::move(line));
    } while (position < cells.size());
}

std::vector<MemHandle> LinesOf(const Stretch& stretch)
{
    std::vector<MemHandle> lines;
    for (MemHandle line = stretch.first; line != 0; line = NextLine(line)) {
        lines.push_back(line);
        if (line == stretch.last) {
            break;
        }
    }
    return lines;
}

uint32_t CountZeros(std::span<const Cell> cells)
{
    return static_cast<uint32_t>(std::count_if(cells.begin(), cells.end(), [](const Cell& c) { return c.c == 0; }));
}

// Removes a line from the list without freeing its segments.
void DropLine(TextRec& text, MemHandle handle)
{
    MemHandle previous = 0;
    MemHandle next = 0;
    Fixed height = 0;
    {
        LineLock line(handle);
        if (!line) {
            return;
        }
        previous = line->previous;
        next = line->next;
        height = line->height;
    }
    if (previous != 0) {
        LineLock p(previous);
        p->next = next;
    } else {
        text.firstLine = next;
    }
    if (next != 0) {
        LineLock n(next);
        n->previous = previous;
    }
    if (text.label != 0) {
        text.scrollY = Fix_Sub(text.scrollY, height);
    }
    if (text.lineCount > 0) {
        text.lineCount--;
    }
    FreeLineRecordOnly(handle);
}

// Links a new line after `after`; the text record is locked by the caller.
MemHandle LinkAfter(TextRec& text, MemHandle after)
{
    TextLine* added = nullptr;
    MemHandle made = 0;
    if (Mem_AllocLocked(&made, reinterpret_cast<void**>(&added), sizeof(TextLine)) != kStatusOk) {
        return 0;
    }
    added->height = Text_FontHeight(text.font);
    if (text.label != 0) {
        text.scrollY = Fix_Add(text.scrollY, added->height);
    }
    text.lineCount++;
    {
        LineLock previous(after);
        added->previous = after;
        added->next = previous->next;
        if (previous->next != 0) {
            LineLock next(previous->next);
            next->previous = made;
        }
        previous->next = made;
    }
    Mem_Unlock(made);
    return made;
}

// The line height of the text's font.
Fixed Text_LineHeightOf(const TextRec& text)
{
    return Text_FontHeight(text.font);
}

}  // namespace

namespace textimpl {

MemHandle TextOf(ObjectHandle object)
{
    return Model_IsValidHandle(object) ? Model_GetFieldValue(object, Field::kText) : 0;
}

LoadedFont* LayoutFontOf(const TextRec& text)
{
    return Text_LayoutFont(text.font);
}

bool IsBreakCharacter(uint8_t c)
{
    switch (c) {
    case ' ':
    case '\t':
    case ',':
    case '.':
    case '-':
    case '!':
    case '?':
    case ':':
    case '/':
    case '(':
    case ')':
    case '{':
    case '}':
    case '[':
    case ']':
    case ';':
    case 0:
        return true;
    default:
        return false;
    }
}

Fixed WrapWidth(const TextRec& text)
{
    if (text.noWrap != 0 || text.label != 0) {
        return kNoWrapWidth;
    }
    return text.frameWidth > kWrapThreshold ? text.frameWidth - kWrapReserve : text.frameWidth;
}

std::vector<Cell> ReadCells(const TextLine& line)
{
    std::vector<Cell> cells;
    BlockLock<uint8_t> characters(line.characters);
    uint32_t length = std::min<uint32_t>(line.length, characters.size());
    BlockLock<MemHandle> segments(line.references);
    uint32_t segmentCount = std::min<uint32_t>(line.referenceCount, segments.size() / sizeof(MemHandle));
    cells.reserve(length);
    uint32_t zero = 0;
    for (uint32_t i = 0; i < length; ++i) {
        Cell cell{characters.get()[i], 0};
        if (cell.c == 0) {
            cell.segment = zero < segmentCount ? segments.get()[zero] : 0;
            ++zero;
        }
        cells.push_back(cell);
    }
    return cells;
}

Fixed CellsWidth(LoadedFont* font, std::span<const Cell> cells)
{
    Fixed x = 0;
    for (const Cell& cell : cells) {
        x = Fix_Add(x, Text_CharWidth(font, x, cell.c, cell.segment));
    }
    return x;
}

KernelStatus WriteCells(TextRec& text, MemHandle lineHandle, std::span<const Cell> cells)
{
    uint16_t oldLength = 0;
    {
        LineLock line(lineHandle);
        if (!line) {
            return kStatusNoText;
        }
        oldLength = line->length;
    }
    auto newLength = static_cast<int32_t>(std::min(cells.size(), kMaxLineLength));
    KernelStatus status = Text_ResizeLine(lineHandle, 0, newLength - oldLength);
    if (status != kStatusOk) {
        return status;
    }
    LineLock line(lineHandle);
    std::vector<MemHandle> segments;
    if (newLength > 0) {
        BlockLock<uint8_t> characters(line->characters);
        for (int32_t i = 0; i < newLength; ++i) {
            characters.get()[i] = cells[i].c;
            if (cells[i].c == 0) {
                segments.push_back(cells[i].segment);
            }
        }
    }
    if (segments.empty()) {
        if (line->references != 0) {
            Mem_Free(line->references);
            line->references = 0;
        }
    } else {
        KernelStatus s = line->references == 0 ? Mem_Alloc(&line->references, segments.size() * sizeof(MemHandle))
                                                : Mem_Realloc(&line->references, segments.size() * sizeof(MemHandle));
        if (s != kStatusOk) {
            line->references = 0;
            line->referenceCount = 0;
            return s;
        }
        BlockLock<MemHandle> array(line->references);
        std::memcpy(array.get(), segments.data(), segments.size() * sizeof(MemHandle));
    }
    line->referenceCount = static_cast<uint16_t>(segments.size());
    line->width = CellsWidth(LayoutFontOf(text), cells.first(newLength));
    line->height = Text_LineHeightOf(text);
    TextLine_PlaceX(&text, line.get());
    return kStatusOk;
}

void FreeLineRecordOnly(MemHandle handle)
{
    {
        LineLock line(handle);
        if (!line) {
            return;
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

MemHandle NextLine(MemHandle line)
{
    LineLock l(line);
    return l ? l->next : 0;
}

MemHandle PreviousLine(MemHandle line)
{
    LineLock l(line);
    return l ? l->previous : 0;
}

uint32_t OffsetOf(const TextRec& text, TextPosition position)
{
    uint32_t offset = 0;
    for (MemHandle line = text.firstLine; line != 0;) {
        LineLock l(line);
        if (!l) {
            break;
        }
        if (line == position.line) {
            return offset + std::min<uint32_t>(position.column, l->length);
        }
        offset += l->length + (IsHardBreak(l->endMark) ? 1 : 0);
        line = l->next;
    }
    return offset;
}

TextPosition PositionAt(const TextRec& text, uint32_t offset)
{
    TextPosition position{text.firstLine, 0};
    uint32_t remaining = offset;
    for (MemHandle line = text.firstLine; line != 0;) {
        LineLock l(line);
        if (!l) {
            break;
        }
        position = {line, 0};
        if (remaining <= l->length || l->next == 0) {
            position.column = static_cast<uint16_t>(std::min<uint32_t>(remaining, l->length));
            return position;
        }
        remaining -= l->length + (IsHardBreak(l->endMark) ? 1 : 0);
        line = l->next;
        if (remaining == 0 && line != 0) {
            return {line, 0};
        }
    }
    return position;
}

uint32_t TotalPositions(const TextRec& text)
{
    uint32_t total = 0;
    for (MemHandle line = text.firstLine; line != 0;) {
        LineLock l(line);
        if (!l) {
            break;
        }
        total += l->length + (IsHardBreak(l->endMark) ? 1 : 0);
        line = l->next;
    }
    return total;
}

Stretch CollectStretch(TextRec& text, MemHandle from, MemHandle to)
{
    Stretch stretch;
    MemHandle first = from != 0 ? from : text.firstLine;
    while (true) {
        MemHandle previous = PreviousLine(first);
        if (previous == 0) {
            break;
        }
        LineLock p(previous);
        if (!p || p->endMark != kEndWrapped) {
            break;
        }
        first = previous;
    }
    MemHandle last = to != 0 ? to : first;
    while (true) {
        LineLock l(last);
        if (!l || l->endMark != kEndWrapped || l->next == 0) {
            break;
        }
        last = l->next;
    }
    stretch.first = first;
    stretch.last = last;
    stretch.startOffset = OffsetOf(text, {first, 0});
    for (MemHandle line = first; line != 0;) {
        LineLock l(line);
        if (!l) {
            break;
        }
        std::vector<Cell> cells = ReadCells(*l);
        stretch.cells.insert(stretch.cells.end(), cells.begin(), cells.end());
        if (IsHardBreak(l->endMark)) {
            stretch.cells.push_back(Cell{l->endMark, 0});
        }
        if (line == last) {
            stretch.endsText = l->next == 0 || l->endMark == kEndOfText;
            break;
        }
        line = l->next;
    }
    return stretch;
}

KernelStatus RewriteStretch(TextRec& text, Stretch& stretch, const KeptPositions& kept)
{
    std::vector<MemHandle> oldLines = LinesOf(stretch);
    uint32_t oldZeros = 0;
    for (MemHandle line : oldLines) {
        LineLock l(line);
        oldZeros += l ? l->referenceCount : 0;
    }
    // Cut the stream into paragraphs at its hard breaks and wrap each.
    LoadedFont* font = LayoutFontOf(text);
    Fixed width = WrapWidth(text);
    std::vector<WrappedLine> lines;
    std::span<const Cell> cells(stretch.cells);
    size_t start = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (IsHardBreak(cells[i].c) && cells[i].segment == 0) {
            WrapParagraph(font, width, cells.subspan(start, i - start), cells[i].c, lines);
            start = i + 1;
        }
    }
    if (start < cells.size() || lines.empty() || stretch.endsText) {
        WrapParagraph(font, width, cells.subspan(start), stretch.endsText ? kEndOfText : kEndWrapped, lines);
    }
    // Reuse the stretch's line records, adding or dropping lines at its end.
    MemHandle previous = 0;
    KernelStatus status = kStatusOk;
    for (size_t i = 0; i < lines.size(); ++i) {
        MemHandle handle = i < oldLines.size() ? oldLines[i] : LinkAfter(text, previous);
        if (handle == 0) {
            status = kStatusOutOfMemory;
            break;
        }
        KernelStatus s = WriteCells(text, handle, lines[i].cells);
        if (s != kStatusOk) {
            status = s;
        }
        LineLock l(handle);
        l->endMark = lines[i].endMark;
        previous = handle;
    }
    for (size_t i = lines.size(); i < oldLines.size(); ++i) {
        DropLine(text, oldLines[i]);
    }
    uint32_t newZeros = CountZeros(stretch.cells);
    text.referenceCount = static_cast<uint16_t>(std::max<int64_t>(0, int64_t{text.referenceCount} - oldZeros + newZeros));
    // Cursor, anchor and top line by their offsets.
    if (kept.cursor >= 0) {
        TextPosition p = PositionAt(text, static_cast<uint32_t>(kept.cursor));
        text.cursorLine = p.line;
        text.cursorColumn = p.column;
    }
    if (kept.anchor >= 0 && text.anchorColumn >= 0) {
        TextPosition p = PositionAt(text, static_cast<uint32_t>(kept.anchor));
        text.anchorLine = p.line;
        text.anchorColumn = static_cast<int16_t>(std::min<uint16_t>(p.column, INT16_MAX));
    }
    if (kept.top >= 0) {
        TextPosition p = PositionAt(text, static_cast<uint32_t>(kept.top));
        text.topLine = p.line;
    }
    uint32_t index = 0;
    for (MemHandle line = text.firstLine; line != 0 && line != text.topLine; line = NextLine(line)) {
        ++index;
    }
    text.topLineIndex = index;
    PlaceLinesVertically(text);
    return status;
}

void PlaceLinesVertically(TextRec& text)
{
    MemHandle top = text.topLine != 0 ? text.topLine : text.firstLine;
    Fixed base = text.label != 0 ? text.frameY : 0;
    Fixed bottom = 0;
    {
        LineLock l(top);
        if (!l) {
            return;
        }
        l->bottom = Fix_Add(Fix_Add(l->height, kHalf), base);
        bottom = l->bottom;
    }
    Fixed below = bottom;
    for (MemHandle line = NextLine(top); line != 0; line = NextLine(line)) {
        LineLock l(line);
        below = Fix_Add(below, l->height);
        l->bottom = below;
    }
    Fixed above = bottom;
    Fixed height = 0;
    {
        LineLock l(top);
        height = l->height;
    }
    for (MemHandle line = PreviousLine(top); line != 0; line = PreviousLine(line)) {
        LineLock l(line);
        above = Fix_Sub(above, height);
        l->bottom = above;
        height = l->height;
    }
}

void MarkChanged()
{
    Text_SetChanged(1);
}

}  // namespace textimpl

// ---- Public layout operations ----

uint32_t Text_StripControls(uint8_t* characters, uint32_t count)
{
    if (characters == nullptr) {
        return 0;
    }
    uint32_t kept = 0;
    for (uint32_t i = 0; i < count; ++i) {
        auto c = static_cast<int8_t>(characters[i]);
        if (c >= 32 || c == '\t' || c == '\n' || c == '\r') {
            characters[kept++] = characters[i];
        }
    }
    return kept;
}

TextPosition Text_InsertAt(MemHandle handle, TextPosition at, const uint8_t* characters, uint32_t count,
                           const MemHandle** references, uint32_t outermost)
{
    TextLock text(handle);
    if (!text || characters == nullptr || count < 1) {
        return at;
    }
    if (at.line == 0) {
        at = {text->cursorLine, text->cursorColumn};
    }
    MarkChanged();
    uint32_t offset = OffsetOf(*text, at);
    // Each 0 byte takes the next reference of the list; one without a
    // reference is dropped.
    std::vector<Cell> inserted;
    inserted.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t c = characters[i];
        if (c != 0) {
            inserted.push_back(Cell{c, 0});
            continue;
        }
        MemHandle reference = 0;
        if (references != nullptr && *references != nullptr && **references != 0) {
            reference = **references;
            ++*references;
        }
        MemHandle segment = reference != 0 ? TextSeg_New(reference, 0, 0) : 0;
        if (segment != 0) {
            inserted.push_back(Cell{0, segment});
        }
    }
    if (inserted.empty()) {
        return at;
    }
    Stretch stretch = CollectStretch(*text, at.line, at.line);
    size_t relative = std::min<size_t>(offset - stretch.startOffset, stretch.cells.size());
    stretch.cells.insert(stretch.cells.begin() + static_cast<std::ptrdiff_t>(relative), inserted.begin(),
                         inserted.end());
    auto n = static_cast<int64_t>(inserted.size());
    auto shift = [&](int64_t o) { return o > offset ? o + n : o; };
    KeptPositions kept;
    kept.cursor = outermost != 0 ? offset + n : shift(OffsetOf(*text, {text->cursorLine, text->cursorColumn}));
    if (text->anchorColumn >= 0) {
        kept.anchor = shift(OffsetOf(*text, {text->anchorLine, static_cast<uint16_t>(text->anchorColumn)}));
    }
    kept.top = shift(OffsetOf(*text, {text->topLine, 0}));
    RewriteStretch(*text, stretch, kept);
    return PositionAt(*text, static_cast<uint32_t>(offset + n));
}

void Text_InsertAtCursor(MemHandle handle, const uint8_t* characters, uint32_t count, const MemHandle* references)
{
    if (count == 0 || characters == nullptr) {
        return;
    }
    bool edited = IsEdited(handle);
    FixRect oldBox{};
    bool hadBox = false;
    bool label = false;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        label = text->label != 0;
        if (label) {
            hadBox = Text_LabelBox(text.get(), &oldBox) != 0;
        }
    }
    if (edited) {
        Text_HideCursor(handle);
    }
    const MemHandle* list = references;
    Text_InsertAt(handle, TextPosition{}, characters, count, &list, 1);
    if (edited) {
        if (label && hadBox) {
            Text_DamageLabelBox(oldBox);
        }
        Text_SetCursorVisible(handle);
        Text_RedisplayAndShowCursor(handle, label ? 1 : 0);
    }
}

MemHandle Text_DeleteRange(MemHandle handle, TextPosition at, uint32_t count, std::vector<MemHandle>* references)
{
    TextLock text(handle);
    if (!text || count == 0) {
        return 0;
    }
    uint32_t start = OffsetOf(*text, at);
    uint32_t total = TotalPositions(*text);
    if (start >= total) {
        return 0;
    }
    count = std::min(count, total - start);
    TextPosition end = PositionAt(*text, start + count);
    Stretch stretch = CollectStretch(*text, at.line, end.line);
    size_t relative = start - stretch.startOffset;
    if (relative + count > stretch.cells.size()) {
        return 0;
    }
    auto first = stretch.cells.begin() + static_cast<std::ptrdiff_t>(relative);
    auto last = first + count;
    bool holdsReference = Text_HasReferenceBetween(PositionAt(*text, start), end);
    if (holdsReference && references == nullptr) {
        return 0;
    }
    for (auto it = first; it != last; ++it) {
        if (it->c != 0) {
            continue;
        }
        MemHandle reference = 0;
        {
            BlockLock<TextSegment> segment(it->segment);
            if (segment && segment->start == 0) {
                reference = segment->reference;
            }
        }
        if (it->segment != 0) {
            Mem_Free(it->segment);
        }
        if (reference != 0) {
            references->push_back(reference);
        }
    }
    stretch.cells.erase(first, last);
    MarkChanged();
    auto adjust = [&](int64_t o) {
        if (o >= int64_t{start} + count) {
            return o - count;
        }
        return o > start ? int64_t{start} : o;
    };
    KeptPositions kept;
    kept.cursor = adjust(OffsetOf(*text, {text->cursorLine, text->cursorColumn}));
    if (text->anchorColumn >= 0) {
        kept.anchor = adjust(OffsetOf(*text, {text->anchorLine, static_cast<uint16_t>(text->anchorColumn)}));
    }
    kept.top = adjust(OffsetOf(*text, {text->topLine, 0}));
    RewriteStretch(*text, stretch, kept);
    MemHandle touched = PositionAt(*text, start).line;
    return touched != 0 ? touched : text->firstLine;
}

namespace {

// Clears the edited label's present box on its page window before characters
// go, so that none of them stays drawn; what lay beneath is drawn again.
void ClearEditedLabelBox(MemHandle handle)
{
    FixRect box{};
    {
        TextLock text(handle);
        if (!text || text->label == 0 || Text_LabelBox(text.get(), &box) == 0) {
            return;
        }
    }
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    Window_PageToPixel(TextWidget_PageWindow(), {box.left, box.top}, &left, &top);
    Window_PageToPixel(TextWidget_PageWindow(), {box.right, box.bottom}, &right, &bottom);
    TextWidget_ClearArea(left, top, right - left + 1, bottom - top + 1);
    Text_DamageLabelBox(box);
}

}  // namespace

void Text_DeleteChars(MemHandle handle, int32_t n)
{
    if (n == 0) {
        return;
    }
    uint32_t cursor = 0;
    uint32_t total = 0;
    TextPosition at;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        cursor = OffsetOf(*text, {text->cursorLine, text->cursorColumn});
        total = TotalPositions(*text);
    }
    uint32_t count = n > 0 ? static_cast<uint32_t>(n) : static_cast<uint32_t>(-int64_t{n});
    if ((n > 0 && total - cursor < count) || (n < 0 && cursor < count)) {
        return;
    }
    bool edited = IsEdited(handle);
    if (edited) {
        Text_HideCursor(handle);
        ClearEditedLabelBox(handle);
    }
    uint32_t from = n > 0 ? cursor : cursor - count;
    {
        TextLock text(handle);
        at = PositionAt(*text, from);
    }
    if (Text_DeleteRange(handle, at, count, nullptr) != 0) {
        TextLock text(handle);
        TextPosition p = PositionAt(*text, from);
        text->cursorLine = p.line;
        text->cursorColumn = p.column;
    }
    if (edited) {
        Text_SetCursorVisible(handle);
        Text_RedisplayAndShowCursor(handle, 1);
    }
}

MemHandle Text_RewrapFrom(MemHandle handle, MemHandle line)
{
    TextLock text(handle);
    if (!text || line == 0) {
        return 0;
    }
    Stretch stretch = CollectStretch(*text, line, line);
    KeptPositions kept;
    kept.cursor = OffsetOf(*text, {text->cursorLine, text->cursorColumn});
    if (text->anchorColumn >= 0) {
        kept.anchor = OffsetOf(*text, {text->anchorLine, static_cast<uint16_t>(text->anchorColumn)});
    }
    kept.top = OffsetOf(*text, {text->topLine, 0});
    uint32_t end = stretch.startOffset + static_cast<uint32_t>(stretch.cells.size());
    RewriteStretch(*text, stretch, kept);
    return PositionAt(*text, end).line;
}

void Text_UnlinkLine(MemHandle handle, MemHandle lineHandle)
{
    TextLock text(handle);
    if (!text || lineHandle == 0) {
        return;
    }
    MemHandle previous = PreviousLine(lineHandle);
    MemHandle next = NextLine(lineHandle);
    if (previous == 0 && next == 0) {
        // The only line is emptied, never removed.
        std::vector<Cell> none;
        LineLock line(lineHandle);
        for (const Cell& cell : ReadCells(*line)) {
            if (cell.segment != 0) {
                TextSeg_Free(cell.segment);
            }
        }
        WriteCells(*text, lineHandle, none);
        line->endMark = kEndOfText;
        return;
    }
    uint8_t endMark = 0;
    {
        LineLock line(lineHandle);
        endMark = line->endMark;
        for (const Cell& cell : ReadCells(*line)) {
            if (cell.segment != 0) {
                TextSeg_Free(cell.segment);
            }
        }
    }
    MemHandle replacement = next != 0 ? next : previous;
    if (text->topLine == lineHandle) {
        text->topLine = replacement;
    }
    if (text->cursorLine == lineHandle) {
        text->cursorLine = replacement;
        text->cursorColumn = 0;
    }
    if (text->anchorLine == lineHandle) {
        text->anchorLine = 0;
        text->anchorColumn = -1;
    }
    if (next == 0) {
        LineLock p(previous);
        p->endMark = endMark;
        if (text->cursorLine == previous) {
            text->cursorColumn = std::min(text->cursorColumn, p->length);
        }
    }
    DropLine(*text, lineHandle);
    PlaceLinesVertically(*text);
}

KernelStatus Text_Relayout(MemHandle handle, uint32_t resetHeights)
{
    TextLock text(handle);
    if (!text) {
        return kStatusNoText;
    }
    if (resetHeights != 0) {
        Fixed height = Text_FontHeight(text->font);
        for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
            LineLock l(line);
            l->height = height;
        }
    }
    MemHandle last = text->firstLine;
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        last = line;
    }
    Stretch stretch = CollectStretch(*text, text->firstLine, last);
    KeptPositions kept;
    kept.cursor = OffsetOf(*text, {text->cursorLine, text->cursorColumn});
    if (text->anchorColumn >= 0) {
        kept.anchor = OffsetOf(*text, {text->anchorLine, static_cast<uint16_t>(text->anchorColumn)});
    }
    kept.top = OffsetOf(*text, {text->topLine, 0});
    return RewriteStretch(*text, stretch, kept);
}
