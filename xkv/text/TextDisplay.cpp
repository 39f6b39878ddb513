// Display of texts: drawing the edited text's lines into the edit window
// (selection highlighted, the cursor as an inverted character), drawing other
// texts on their page windows or into PostScript, damage of text areas, the
// cursor from pointer positions and by characters, and vertical scrolling by
// whole lines that keeps the cursor visible.
#include "xkv/text/TextDisplay.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <span>
#include <string>

#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/text/TextDraw.h"
#include "xkv/text/TextInternal.h"
#include "xkv/text/TextX.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

// The display characters of a cell (a reference shows its segment, bounded
// by the display string whatever the segment says).
void AppendDisplay(const Cell& cell, std::string& out)
{
    if (cell.c != 0) {
        out.push_back(static_cast<char>(cell.c));
        return;
    }
    BlockLock<TextSegment> segment(cell.segment);
    if (!segment) {
        return;
    }
    BlockLock<TextRef> reference(segment->reference);
    if (!reference) {
        return;
    }
    BlockLock<char> display(reference->display);
    uint32_t length = std::min<uint32_t>(reference->displayLength, display.size());
    uint32_t end = segment->end == 0 ? length : std::min<uint32_t>(segment->end, length);
    for (uint32_t i = segment->start; i < end && out.size() < kRunCharacterLimit; ++i) {
        out.push_back(display.get()[i]);
    }
}

// The display characters of cells [from, to), at most one run's worth.
std::string DisplayOf(std::span<const Cell> cells)
{
    std::string shown;
    for (const Cell& cell : cells) {
        if (shown.size() >= kRunCharacterLimit) {
            break;
        }
        AppendDisplay(cell, shown);
    }
    shown.resize(std::min(shown.size(), kRunCharacterLimit));
    return shown;
}

// Width of the first `count` cells of a line, measured from its start.
Fixed WidthBefore(LoadedFont* font, std::span<const Cell> cells, size_t count)
{
    Fixed x = 0;
    for (size_t i = 0; i < count && i < cells.size(); ++i) {
        x = Fix_Add(x, Text_CharWidth(font, x, cells[i].c, cells[i].segment));
    }
    return x;
}

// The page units of the edited text become pixels of its drawing window:
// labels are drawn on the page window at page points, other texts in the
// edit window at lengths inside their frame, both at the page's zoom.
TextPixelMap EditedMap(const TextRec& text)
{
    Widget pageWindow = TextWidget_PageWindow();
    if (text.label != 0) {
        return TextPixelMap{pageWindow, 0};
    }
    ObjectHandle page = Model_GetPage(text.owner);
    if (page == 0 && pageWindow != nullptr) {
        page = Window_Page(pageWindow);
    }
    return TextPixelMap{nullptr, page};
}

struct EditedDrawing {
    TextRunTarget target;
    LoadedFont* layout = nullptr;
    LoadedFont* drawing = nullptr;
    Fixed rightEnd = kUnboundedFrame;
};

EditedDrawing EditedDrawingOf(const TextRec& text, const TextDrawTarget& window, LoadedFont* drawing)
{
    EditedDrawing d;
    d.target = TextRunTarget{window.display, window.window, window.normal, window.inverse, EditedMap(text), 0};
    d.layout = LayoutFontOf(text);
    d.drawing = drawing != nullptr ? drawing : d.layout;
    d.rightEnd = text.label != 0 ? kUnboundedFrame : text.frameWidth;
    return d;
}

// Draws one line of the edited text with the selection [from, to) (offsets
// within the text) highlighted: the runs before, inside and after the
// selection, a selected hard break as a highlighted blank, and the rest of
// the line's area cleared.
void DrawLine(const TextRec& text, const TextLine& line, uint32_t lineOffset, uint32_t from, uint32_t to,
              const EditedDrawing& d)
{
    std::vector<Cell> cells = ReadCells(line);
    auto n = static_cast<uint32_t>(cells.size());
    auto local = [&](uint32_t offset) { return std::clamp<int64_t>(int64_t{offset} - lineOffset, 0, n); };
    auto selectionStart = static_cast<size_t>(local(from));
    auto selectionEnd = static_cast<size_t>(local(to));
    if (to <= from) {
        selectionStart = selectionEnd = n;
    }
    bool breakSelected = IsHardBreak(line.endMark) && from <= lineOffset + n && lineOffset + n < to;

    struct Run {
        size_t begin;
        size_t end;
        bool highlighted;
    };
    std::vector<Run> runs;
    for (Run r : {Run{0, selectionStart, false}, Run{selectionStart, selectionEnd, true}, Run{selectionEnd, n, false}}) {
        if (r.end > r.begin) {
            runs.push_back(r);
        }
    }
    if (text.label == 0 && line.x > 0) {
        // Right or centred lines: the frame's left part is cleared as well.
        int32_t top = Text_MapY(d.target.map, Fix_Sub(line.bottom, line.height));
        int32_t bottom = Text_MapY(d.target.map, line.bottom);
        int32_t right = Text_MapX(d.target.map, line.x);
        if (right > 0 && bottom > top) {
            XClearArea(d.target.display, d.target.drawable, 0, static_cast<int>(std::clamp(top, -32768, 32767)),
                       static_cast<unsigned>(std::min(right, 32767)), static_cast<unsigned>(std::min(bottom - top, 32767)),
                       False);
        }
    }
    std::span<const Cell> all(cells);
    Fixed x = 0;
    uint32_t first = kDrawFromLineStart;
    for (const Run& r : runs) {
        x = WidthBefore(d.layout, all, r.begin);
        std::string shown = DisplayOf(all.subspan(r.begin, r.end - r.begin));
        uint32_t mode = (r.highlighted ? kDrawHighlighted : kDrawNormal) | first;
        first = 0;
        x = Fix_Add(x, Text_DrawRun(d.target, line.x, line.bottom, shown, x, d.rightEnd, d.layout, d.drawing, mode));
    }
    x = WidthBefore(d.layout, all, n);
    if (breakSelected) {
        x = Fix_Add(x, Text_DrawRun(d.target, line.x, line.bottom, " ", x, d.rightEnd, d.layout, d.drawing,
                                    kDrawHighlighted | first));
        first = 0;
    }
    // The rest of the line's area up to the right end.
    Text_DrawRun(d.target, line.x, line.bottom, "", x, d.rightEnd, d.layout, d.drawing,
                 kDrawNormal | kDrawToLineEnd | first);
}

bool EditedTarget(MemHandle handle, TextDrawTarget* target)
{
    if (!IsEdited(handle)) {
        return false;
    }
    *target = TextWidget_DrawTarget();
    return target->display != nullptr && target->window != 0;
}

bool LineAboveTop(const TextRec& text, MemHandle line)
{
    for (MemHandle l = text.firstLine; l != 0 && l != text.topLine; l = NextLine(l)) {
        if (l == line) {
            return true;
        }
    }
    return false;
}

// Draws the cursor of the edited text as the character under it, inverted
// when showing; TAB and the line's end show as a blank, a reference as its
// segment. Showing records in the edit record whether the cursor stands on a
// reference. A column with its sign bit set is the hidden cursor.
void DrawCursorLocked(const TextRec& text, const EditedDrawing& d, bool show)
{
    uint16_t column = text.cursorColumn;
    if ((column & 0x8000) != 0) {
        column = static_cast<uint16_t>(column + 32767);
        show = false;
    }
    if (text.cursorLine == 0 || LineAboveTop(text, text.cursorLine)) {
        return;
    }
    LineLock line(text.cursorLine);
    if (!line) {
        return;
    }
    std::vector<Cell> cells = ReadCells(*line);
    column = static_cast<uint16_t>(std::min<size_t>(column, cells.size()));
    std::string shown = " ";
    ObjectHandle referred = 0;
    if (column < cells.size() && cells[column].c != '\t') {
        shown = DisplayOf(std::span<const Cell>(cells).subspan(column, 1));
        if (cells[column].c == 0) {
            referred = Text_ReferencedObjectAt(text.cursorLine, column);
        }
    }
    Fixed x = WidthBefore(d.layout, cells, column);
    Text_DrawRun(d.target, line->x, line->bottom, shown, x, d.rightEnd, d.layout, d.drawing,
                 show ? kDrawHighlighted : kDrawNormal);
    if (show) {
        Text_UpdateEditRecord(0, referred != 0 ? 1 : 0, static_cast<int32_t>(referred));
    }
}

// The page-window pixels an edited label covered when last drawn: a redraw
// with clearing clears them with the label's present box, so that a label
// that became shorter leaves no characters behind.
struct DrawnLabel {
    MemHandle text = 0;
    Widget window = nullptr;
    PixelRect area{};
};

DrawnLabel& LastLabel()
{
    static DrawnLabel drawn;
    return drawn;
}

PixelRect LabelPixels(const TextRec& text, Widget window)
{
    FixRect box{};
    if (window == nullptr || Text_LabelBox(&text, &box) == 0) {
        return {};
    }
    box.right = Fix_Add(box.right, kHalf);
    box.bottom = Fix_Add(box.bottom, kHalf);
    PixelRect pixels{};
    Window_PageRectToPixels(window, box, &pixels);
    return pixels;
}

void ClearPixels(const TextDrawTarget& window, const PixelRect& r)
{
    int32_t left = std::clamp(r.x, -32768, 32767);
    int32_t top = std::clamp(r.y, -32768, 32767);
    int32_t right = std::clamp<int32_t>(static_cast<int32_t>(std::min<int64_t>(int64_t{r.x} + r.width, INT32_MAX)),
                                        -32768, 32767);
    int32_t bottom = std::clamp<int32_t>(
        static_cast<int32_t>(std::min<int64_t>(int64_t{r.y} + r.height, INT32_MAX)), -32768, 32767);
    if (right > left && bottom > top) {
        XClearArea(window.display, window.window, left, top, static_cast<unsigned>(right - left),
                   static_cast<unsigned>(bottom - top), False);
    }
}

// Clears what the edited label covers now and covered when last drawn.
void ClearLabel(MemHandle handle, const TextRec& text, const TextDrawTarget& window)
{
    Widget pageWindow = TextWidget_PageWindow();
    DrawnLabel& last = LastLabel();
    if (last.text == handle && last.window == pageWindow) {
        ClearPixels(window, last.area);
    }
    ClearPixels(window, LabelPixels(text, pageWindow));
}

void RememberLabel(MemHandle handle, const TextRec& text)
{
    Widget pageWindow = TextWidget_PageWindow();
    LastLabel() = DrawnLabel{handle, pageWindow, LabelPixels(text, pageWindow)};
}

// Draws the edited text; the cursor is shown when `showCursor`.
void DrawEdited(MemHandle handle, bool clear, bool showCursor)
{
    TextDrawTarget window;
    if (TextWidget_DragMode() != 0 && IsEdited(handle)) {
        // The edit window is hidden: the page shows the text.
        Text_DamageTextBox(handle);
        Window_FlushDamage();
        return;
    }
    if (!EditedTarget(handle, &window)) {
        return;
    }
    Text_UpdateScreenFont(handle, 0);
    LoadedFont* drawing = Text_DrawingFont(handle);
    TextLock text(handle);
    if (!text) {
        return;
    }
    PlaceLinesVertically(*text);
    bool label = text->label != 0;
    EditedDrawing d = EditedDrawingOf(*text, window, drawing);
    if (d.layout == nullptr) {
        return;
    }
    if (clear && !label) {
        XClearWindow(window.display, window.window);
    } else if (clear) {
        ClearLabel(handle, *text, window);
    }
    uint32_t from = UINT32_MAX;
    uint32_t to = 0;
    TextPosition start;
    TextPosition end;
    bool selected = Text_SelectionEnds(text.get(), &start, &end) != 0;
    if (selected) {
        from = OffsetOf(*text, start);
        to = OffsetOf(*text, end);
        Text_UpdateEditRecord(1, 0, 0);
    }
    uint32_t offset = OffsetOf(*text, {text->topLine, 0});
    Fixed limit = label ? kNoWrapWidth : text->frameHeight;
    Fixed lastBottom = 0;
    for (MemHandle line = text->topLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        if (Fix_Sub(l->bottom, l->height) > limit) {
            break;
        }
        DrawLine(*text, *l, offset, from, to, d);
        offset += l->length + (IsHardBreak(l->endMark) ? 1 : 0);
        lastBottom = l->bottom;
    }
    if (!label && lastBottom < text->frameHeight) {
        int32_t y = Text_MapY(d.target.map, lastBottom) + 1;
        int32_t width = 0;
        int32_t height = 0;
        TextWidget_FramePixels(&width, &height);
        if (y < height) {
            XClearArea(window.display, window.window, 0, std::clamp(y, -32768, 32767),
                       static_cast<unsigned>(std::clamp(width, 1, 32767)),
                       static_cast<unsigned>(std::clamp(height - y, 1, 32767)), False);
        }
    }
    if (showCursor && !selected) {
        DrawCursorLocked(*text, d, true);
    }
    if (label) {
        RememberLabel(handle, *text);
    }
    XFlush(window.display);
}

bool IsShownObject(ObjectHandle object)
{
    return Model_IsObject(object) && Window_IsHidden(object) == 0;
}

}  // namespace

// ---- Drawing the edited text ----

void Text_Redisplay(MemHandle text, uint32_t clear)
{
    DrawEdited(text, clear != 0, false);
    if (IsEdited(text)) {
        TextWidget_ClaimSelection(text);
    }
}

void Text_RedisplayAndShowCursor(MemHandle text, uint32_t clear)
{
    DrawEdited(text, clear != 0, true);
}

KernelStatus Text_ShowSelection(MemHandle text)
{
    DrawEdited(text, false, true);
    if (IsEdited(text) && Text_HasSelection() != 0 && TextWidget_ClaimSelection(text) == 0) {
        return kStatusEditWindowNotReady;
    }
    return kStatusOk;
}

void Text_HideSelection(MemHandle text)
{
    DrawEdited(text, false, false);
}

void Text_HideCursor(MemHandle text)
{
    DrawEdited(text, false, false);
}

void Text_ShowCursor(MemHandle text)
{
    DrawEdited(text, false, true);
}

// ---- Cursor and scrolling ----

uint32_t Text_SetCursorVisible(MemHandle handle)
{
    if (!IsEdited(handle)) {
        return 0;
    }
    uint32_t scrolled = 0;
    {
        TextLock text(handle);
        if (!text || text->label != 0) {
            return 0;
        }
        // Above the top line: the cursor line becomes the top line.
        bool beforeTop = false;
        for (MemHandle line = text->firstLine; line != 0 && line != text->topLine; line = NextLine(line)) {
            if (line == text->cursorLine) {
                beforeTop = true;
                break;
            }
        }
        if (beforeTop) {
            text->topLine = text->cursorLine;
            scrolled = 1;
        } else {
            // Below the frame: the top line moves down until the cursor line fits.
            PlaceLinesVertically(*text);
            while (true) {
                LineLock cursorLine(text->cursorLine);
                if (!cursorLine || cursorLine->bottom <= text->frameHeight || text->topLine == text->cursorLine) {
                    break;
                }
                text->topLine = NextLine(text->topLine);
                PlaceLinesVertically(*text);
                scrolled = 1;
            }
        }
        if (scrolled != 0) {
            uint32_t index = 0;
            for (MemHandle line = text->firstLine; line != 0 && line != text->topLine; line = NextLine(line)) {
                ++index;
            }
            text->topLineIndex = index;
            PlaceLinesVertically(*text);
        }
    }
    if (scrolled != 0) {
        TextWidget_UpdateScrollBars();
        Text_Redisplay(handle, 0);
    }
    return scrolled;
}

uint32_t Text_SetCursor(MemHandle handle, TextPosition position)
{
    {
        TextLock text(handle);
        if (!text) {
            return 0;
        }
        text->cursorLine = position.line;
        text->cursorColumn = position.column;
    }
    return Text_SetCursorVisible(handle);
}

TextPosition Text_PositionAtPixel(MemHandle handle, int32_t x, int32_t y)
{
    TextLock text(handle);
    if (!text) {
        return {};
    }
    PlaceLinesVertically(*text);
    // The same mapping as the drawing, backwards.
    TextPixelMap map = EditedMap(*text);
    FixPoint point{Text_UnmapX(map, x), Text_UnmapY(map, y)};
    MemHandle line = text->topLine;
    {
        LineLock top(line);
        if (point.y < Fix_Sub(top->bottom, top->height)) {
            return {line, 0};
        }
    }
    while (true) {
        LineLock l(line);
        if (l->bottom >= point.y) {
            break;
        }
        if (l->next == 0) {
            return {line, l->length};
        }
        line = l->next;
    }
    LineLock l(line);
    LoadedFont* font = LayoutFontOf(*text);
    std::vector<Cell> cells = ReadCells(*l);
    Fixed right = l->x;
    Fixed width = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        Fixed w = Text_CharWidth(font, width, cells[i].c, cells[i].segment);
        width = Fix_Add(width, w);
        right = Fix_Add(l->x, width);
        if (right >= point.x) {
            return {line, static_cast<uint16_t>(i)};
        }
    }
    return {line, l->length};
}

void Text_SetCursorAtPixel(MemHandle handle, int32_t x, int32_t y)
{
    TextPosition position = Text_PositionAtPixel(handle, x, y);
    if (position.line != 0) {
        Text_SetCursor(handle, position);
    }
}

void Text_SetCursorPosition(MemHandle handle, TextPosition position)
{
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        text->anchorColumn = -1;
        text->anchorLine = 0;
    }
    Text_SetCursor(handle, position);
}

void Text_MoveCursor(MemHandle handle, int32_t n)
{
    Text_HideSelection(handle);
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        TextPosition start;
        TextPosition end;
        if (Text_SelectionEnds(text.get(), &start, &end) != 0) {
            text->cursorLine = n > 0 ? end.line : start.line;
            text->cursorColumn = n > 0 ? end.column : start.column;
            n = n > 0 ? n - 1 : n;
            text->anchorColumn = -1;
            text->anchorLine = 0;
        }
    }
    if (n != 0) {
        Text_Advance(handle, n);
    }
    Text_SetCursorVisible(handle);
    Text_ShowCursor(handle);
}

KernelStatus Text_MoveCursorBy(ObjectHandle object, int32_t n)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    Text_ResetScroll(handle);
    Text_MoveCursor(handle, n);
    return kStatusOk;
}

void Text_SetTopLine(MemHandle handle, MemHandle line)
{
    {
        TextLock text(handle);
        if (!text || line == 0) {
            return;
        }
        text->topLine = line;
        uint32_t index = 0;
        for (MemHandle l = PreviousLine(line); l != 0; l = PreviousLine(l)) {
            ++index;
        }
        text->topLineIndex = index;
        PlaceLinesVertically(*text);
    }
    if (IsEdited(handle)) {
        TextWidget_UpdateScrollBars();
    }
}

void Text_ResetScroll(MemHandle handle)
{
    bool changed = false;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        changed = text->topLine != text->firstLine;
        text->topLine = text->firstLine;
        text->topLineIndex = 0;
        text->cursorLine = text->firstLine;
        text->cursorColumn = 0;
        if (!IsEditedRec(text.get())) {
            text->scrollX = 0;
            text->scrollY = 0;
        }
        PlaceLinesVertically(*text);
    }
    if (IsEdited(handle)) {
        TextWidget_UpdateScrollBars();
        Text_RedisplayAndShowCursor(handle, 1);
    } else if (changed) {
        Text_DamageTextBox(handle);
    }
}

KernelStatus Text_ResetScrollObject(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle != 0) {
        Text_ResetScroll(handle);
    }
    return kStatusOk;
}

KernelStatus Text_ResetScrollGroup(uint16_t group)
{
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Text_ResetScrollObject(Group_Member(group, i));
    }
    return kStatusOk;
}

Fixed Text_LineWidthFrom(MemHandle handle, MemHandle line, uint16_t from, uint16_t to)
{
    TextLock text(handle);
    LineLock l(line);
    if (!text || !l || from >= to) {
        return 0;
    }
    std::vector<Cell> cells = ReadCells(*l);
    LoadedFont* font = LayoutFontOf(*text);
    Fixed x = 0;
    Fixed width = 0;
    for (size_t i = 0; i < cells.size() && i < to; ++i) {
        Fixed w = Text_CharWidth(font, x, cells[i].c, cells[i].segment);
        if (i >= from) {
            width = Fix_Add(width, w);
        }
        x = Fix_Add(x, w);
    }
    return width;
}

// ---- Damage and drawing of texts on page windows ----

void Text_DamageTextBox(MemHandle handle)
{
    FixRect box{};
    ObjectHandle owner = 0;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        owner = text->owner;
        if (text->label != 0) {
            if (Text_LabelBox(text.get(), &box) == 0) {
                return;
            }
            box.right = Fix_Add(box.right, kHalf);
            box.bottom = Fix_Add(box.bottom, kHalf);
        } else {
            box = {text->frameX, text->frameY, Fix_Add(text->frameX, text->frameWidth),
                   Fix_Add(text->frameY, text->frameHeight)};
        }
    }
    if (!IsShownObject(owner)) {
        return;
    }
    Window_AddDamage(Window_OfPage(Model_GetPage(owner)), box);
}

void Text_DamageLabelBox(FixRect box)
{
    Window_AddDamage(TextWidget_PageWindow(), box);
}

void Text_DrawObjectText(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return;
    }
    bool printing = Print_IsActive() != 0;
    Widget window = printing ? nullptr : Window_OfPage(Model_GetPage(object));
    TextDrawTarget edit = TextWidget_DrawTarget();
    if (!printing && (window == nullptr || !XtIsRealized(window))) {
        return;
    }
    if (!printing) {
        Text_UpdateScreenFont(handle, 0);
    }
    bool editedLabel = false;
    {
        TextLock text(handle);
        // The edit window shows the edited text, unless drag mode hid it.
        if (!text || (IsEditedRec(text.get()) && text->label == 0 && !printing && TextWidget_DragMode() == 0)) {
            return;
        }
        editedLabel = IsEditedRec(text.get()) && text->label != 0 && !printing;
        PlaceLinesVertically(*text);
        bool label = text->label != 0;
        auto colour = static_cast<int32_t>((Model_GetFieldValue(object, Field::kColours) >> 8) & 0xff);
        TextRunTarget target;
        target.colour = colour;
        if (printing) {
            // Labels have no frame to clip to.
            FixRect clip{Fix_Add(text->frameX, kLineInset), text->frameY,
                         Fix_Sub(Fix_Add(text->frameX, text->frameWidth), kLineInset),
                         Fix_Add(text->frameY, text->frameHeight)};
            if (!label) {
                Print_Clip(&clip);
            }
        } else {
            GC gc = Text_PrepareGC(window, handle, nullptr);
            if (gc == nullptr) {
                return;
            }
            Display* display = XtDisplay(window);
            target = TextRunTarget{display, XtWindow(window), gc, edit.inverse != nullptr ? edit.inverse : gc,
                                   TextPixelMap{window, 0}, colour};
        }
        LoadedFont* layout = LayoutFontOf(*text);
        LoadedFont* drawing = printing ? layout : Text_DrawingFont(handle);
        Fixed accumulated = 0;
        for (MemHandle line = text->topLine; line != 0 && accumulated < text->frameHeight; line = NextLine(line)) {
            LineLock l(line);
            std::string shown = DisplayOf(ReadCells(*l));
            Fixed x = label ? l->x : Fix_Add(Fix_Add(text->scrollX, l->x), text->frameX);
            Fixed bottom = label ? l->bottom : Fix_Add(Fix_Add(text->scrollY, l->bottom), text->frameY);
            Text_DrawRun(target, x, bottom, shown, 0, kUnboundedFrame, layout, drawing, kDrawPlain);
            accumulated = Fix_Add(accumulated, Fix_Add(l->height, l->spacing));
        }
        if (printing) {
            if (!label) {
                Print_Clip(nullptr);
            }
        } else {
            Text_ResetClip();
        }
    }
    if (editedLabel) {
        // The plain drawing covered the label's selection or cursor.
        DrawEdited(handle, false, true);
    }
}

void Text_DrawString(Widget window, int16_t font, Fixed x, Fixed y, const char* characters, int16_t count)
{
    LoadedFont* entry = Text_LayoutFont(font);
    if (entry == nullptr || window == nullptr || characters == nullptr || count <= 0 || !XtIsRealized(window)) {
        return;
    }
    std::string_view shown(characters, std::min<size_t>(static_cast<size_t>(count), kRunCharacterLimit));
    shown = shown.substr(0, std::min(shown.size(), shown.find('\0')));
    GC gc = Text_PrepareGC(window, 0, entry);
    if (gc == nullptr) {
        return;
    }
    TextRunTarget target{XtDisplay(window), XtWindow(window), gc, gc, TextPixelMap{window, 0}, 0};
    // (x, y) is the baseline; a run is placed by its line's lower edge.
    Fixed bottom = Fix_Add(y, Text_FontDescent(entry));
    Text_DrawRun(target, x, bottom, shown, 0, kUnboundedFrame, entry, entry, kDrawPlain);
    Text_ResetClip();
}

void Text_DrawCursor(MemHandle handle, uint32_t show)
{
    TextDrawTarget window;
    if (!EditedTarget(handle, &window)) {
        return;
    }
    Text_UpdateScreenFont(handle, 0);
    LoadedFont* drawing = Text_DrawingFont(handle);
    TextLock text(handle);
    if (!text) {
        return;
    }
    PlaceLinesVertically(*text);
    EditedDrawing d = EditedDrawingOf(*text, window, drawing);
    if (d.layout == nullptr) {
        return;
    }
    DrawCursorLocked(*text, d, show != 0);
    XFlush(window.display);
}
