// Display of texts: drawing the edited text's lines into the edit window
// (selection highlighted, the cursor as an inverted character), drawing other
// texts on their page windows or into PostScript, damage of text areas, the
// cursor from pointer positions and by characters, and vertical scrolling by
// whole lines that keeps the cursor visible.
#include "xkv/text/TextDisplay.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <string>

#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/print/Print.h"
#include "xkv/text/TextInternal.h"
#include "xkv/text/TextX.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

constexpr size_t kDrawBufferSize = 1024;

int32_t Pixels(Fixed length)
{
    return length >> 15;
}

int16_t Clamp16(int32_t value)
{
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}

// The display characters of a cell (a reference shows its segment).
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
    for (uint32_t i = segment->start; i < end; ++i) {
        out.push_back(display.get()[i]);
    }
}

struct LineGeometry {
    int32_t left;      // pixels of the frame's left edge in the drawing window
    int32_t top;       // pixels of the frame's top edge
    int32_t width;     // pixels of the frame
    int32_t height;
};

LineGeometry GeometryOf(bool label)
{
    if (label) {
        int32_t x = 0;
        int32_t y = 0;
        Window_PageToPixel(TextWidget_PageWindow(), FixPoint{0, 0}, &x, &y);
        return LineGeometry{x, y, 0x7fff, 0x7fff};
    }
    int32_t width = 0;
    int32_t height = 0;
    TextWidget_FramePixels(&width, &height);
    return LineGeometry{0, 0, width, height};
}

// Draws one line of the edited text with the selection [from, to) (offsets
// within the text) highlighted.
void DrawLine(const TextRec& text, const TextLine& line, uint32_t lineOffset, uint32_t from, uint32_t to,
              const TextDrawTarget& target, const LineGeometry& g, int32_t cursorColumn)
{
    LoadedFont* font = LayoutFontOf(text);
    if (font == nullptr || font->xfont == nullptr) {
        return;
    }
    XSetFont(target.display, target.normal, font->xfont->fid);
    XSetFont(target.display, target.inverse, font->xfont->fid);
    int32_t top = g.top + Pixels(Fix_Sub(line.bottom, line.height));
    int32_t height = std::max(Pixels(line.height), 1);
    int32_t baseline = g.top + Pixels(Fix_Sub(line.bottom, Text_FontDescent(font)));
    int32_t lineX = g.left + Pixels(line.x);
    XClearArea(target.display, target.window, 0, Clamp16(top), static_cast<unsigned>(std::max(g.width, 1)),
               static_cast<unsigned>(height), False);
    std::vector<Cell> cells = ReadCells(line);
    Fixed x = 0;
    for (size_t i = 0; i <= cells.size(); ++i) {
        uint32_t offset = lineOffset + static_cast<uint32_t>(i);
        bool selected = offset >= from && offset < to;
        bool cursorHere = static_cast<int32_t>(i) == cursorColumn;
        bool inverse = selected || cursorHere;
        GC gc = inverse ? target.inverse : target.normal;
        if (i == cells.size()) {
            bool hardSelected = selected && IsHardBreak(line.endMark);
            if (cursorHere || hardSelected) {
                XDrawImageString(target.display, target.window, gc, Clamp16(lineX + Pixels(x)), Clamp16(baseline),
                                 " ", 1);
            }
            break;
        }
        const Cell& cell = cells[i];
        Fixed w = Text_CharWidth(font, x, cell.c, cell.segment);
        std::string shown;
        if (cell.c == '\t') {
            if (inverse) {
                XFillRectangle(target.display, target.window, target.normal, Clamp16(lineX + Pixels(x)),
                               Clamp16(top), static_cast<unsigned>(std::max(Pixels(w), 1)),
                               static_cast<unsigned>(height));
            }
        } else {
            AppendDisplay(cell, shown);
            XDrawImageString(target.display, target.window, gc, Clamp16(lineX + Pixels(x)), Clamp16(baseline),
                             shown.data(), static_cast<int>(std::min(shown.size(), kDrawBufferSize - 1)));
        }
        x = Fix_Add(x, w);
    }
}

bool EditedTarget(MemHandle handle, TextDrawTarget* target)
{
    if (!IsEdited(handle)) {
        return false;
    }
    *target = TextWidget_DrawTarget();
    return target->display != nullptr && target->window != 0;
}

// Draws the edited text; the cursor is shown when `showCursor`.
void DrawEdited(MemHandle handle, bool clear, bool showCursor)
{
    TextDrawTarget target;
    if (TextWidget_DragMode() != 0 && IsEdited(handle)) {
        // The edit window is hidden: the page shows the text.
        Text_DamageTextBox(handle);
        Window_FlushDamage();
        return;
    }
    if (!EditedTarget(handle, &target)) {
        return;
    }
    TextLock text(handle);
    if (!text) {
        return;
    }
    PlaceLinesVertically(*text);
    bool label = text->label != 0;
    LineGeometry g = GeometryOf(label);
    if (clear && !label) {
        XClearWindow(target.display, target.window);
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
        int32_t cursorColumn = -1;
        if (showCursor && !selected && line == text->cursorLine) {
            cursorColumn = text->cursorColumn;
        }
        DrawLine(*text, *l, offset, from, to, target, g, cursorColumn);
        offset += l->length + (IsHardBreak(l->endMark) ? 1 : 0);
        lastBottom = l->bottom;
    }
    if (!label && lastBottom < text->frameHeight) {
        int32_t y = Pixels(lastBottom) + 1;
        if (y < g.height) {
            XClearArea(target.display, target.window, 0, Clamp16(y), static_cast<unsigned>(std::max(g.width, 1)),
                       static_cast<unsigned>(g.height - y), False);
        }
    }
    if (showCursor && !selected) {
        ObjectHandle referred = Text_ReferencedObjectAt(text->cursorLine, text->cursorColumn);
        Text_UpdateEditRecord(0, referred != 0 ? 1 : 0, static_cast<int32_t>(referred));
    }
    XFlush(target.display);
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
    FixPoint point{};
    if (text->label != 0) {
        Window_PixelToPage(TextWidget_PageWindow(), x, y, &point);
    } else {
        ObjectHandle page = Model_GetPage(text->owner);
        point = {Window_PixelsToPage(page, x, 0), Window_PixelsToPage(page, y, 1)};
    }
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
    TextLock text(handle);
    if (!text || (IsEditedRec(text.get()) && text->label == 0 && !printing && TextWidget_DragMode() == 0)) {
        return;
    }
    PlaceLinesVertically(*text);
    Fixed frameRight = text->label != 0 ? text->frameX : Fix_Add(text->frameX, text->frameWidth);
    FixRect clip{Fix_Add(text->frameX, kLineInset), text->frameY, Fix_Sub(frameRight, kLineInset),
                 Fix_Add(text->frameY, text->frameHeight)};
    Widget window = Window_OfPage(Model_GetPage(object));
    TextDrawTarget target = TextWidget_DrawTarget();
    if (printing) {
        Print_Clip(&clip);
    } else if (window == nullptr || target.display == nullptr || XtWindow(window) == 0) {
        return;
    }
    LoadedFont* font = LayoutFontOf(*text);
    Fixed accumulated = 0;
    uint32_t colour = (Model_GetFieldValue(object, Field::kColours) >> 8) & 0xff;
    for (MemHandle line = text->topLine; line != 0 && accumulated < text->frameHeight; line = NextLine(line)) {
        LineLock l(line);
        std::string shown;
        for (const Cell& cell : ReadCells(*l)) {
            AppendDisplay(cell, shown);
        }
        shown.resize(std::min(shown.size(), kDrawBufferSize - 1));
        FixPoint at = text->label != 0
                          ? FixPoint{l->x, l->bottom}
                          : FixPoint{Fix_Add(Fix_Add(text->scrollX, l->x), text->frameX),
                                     Fix_Add(Fix_Add(text->scrollY, l->bottom), text->frameY)};
        at.y = Fix_Sub(at.y, Text_FontDescent(font));
        if (printing) {
            Print_Text(text->fontSpec, at, static_cast<int32_t>(colour), shown);
        } else if (font != nullptr && font->xfont != nullptr) {
            int32_t x = 0;
            int32_t y = 0;
            Window_PageToPixel(window, at, &x, &y);
            XSetFont(target.display, target.normal, font->xfont->fid);
            XDrawString(target.display, XtWindow(window), target.normal, Clamp16(x), Clamp16(y), shown.data(),
                        static_cast<int>(shown.size()));
        }
        accumulated = Fix_Add(accumulated, Fix_Add(l->height, l->spacing));
    }
    if (printing) {
        Print_Clip(nullptr);
    }
}

void Text_DrawString(Widget window, int16_t font, Fixed x, Fixed y, const char* characters, int16_t count)
{
    LoadedFont* entry = Text_LayoutFont(font);
    TextDrawTarget target = TextWidget_DrawTarget();
    if (entry == nullptr || entry->xfont == nullptr || window == nullptr || target.display == nullptr ||
        characters == nullptr || count <= 0 || XtWindow(window) == 0) {
        return;
    }
    std::string shown(characters, std::min<size_t>(static_cast<size_t>(count), kDrawBufferSize - 1));
    int32_t px = 0;
    int32_t py = 0;
    Window_PageToPixel(window, FixPoint{x, y}, &px, &py);
    XSetFont(target.display, target.normal, entry->xfont->fid);
    XDrawString(target.display, XtWindow(window), target.normal, Clamp16(px), Clamp16(py), shown.data(),
                static_cast<int>(shown.size()));
}
