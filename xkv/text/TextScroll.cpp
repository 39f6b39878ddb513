// Moving the visible part of the edited text: the vertical and horizontal
// scroll bars of the edit window, and dragging the text inside its frame with
// the pointer in drag mode. The vertical place of a text is its top shown
// line and a partial offset (-height of the top line < offset <= 0); both
// follow from one distance, the heights of the lines above the top line less
// the offset, so that moves stop exactly at the first and the last line.
#include <X11/Xlib.h>

#include <algorithm>
#include <cstdlib>

#include "xkv/model/Model.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextInternal.h"
#include "xkv/text/TextX.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

constexpr int32_t kHorizontal = 0;
constexpr int32_t kVertical = 1;

Fixed HeightOf(MemHandle line)
{
    LineLock l(line);
    return l ? l->height : 0;
}

// The distance of the text's present place from its start.
int64_t DistanceFromStart(const TextRec& text)
{
    int64_t above = 0;
    for (MemHandle line = text.firstLine; line != 0 && line != text.topLine; line = NextLine(line)) {
        above += HeightOf(line);
    }
    return above - text.scrollY;
}

// The largest distance: the last line shown at the top.
int64_t LastDistance(const TextRec& text)
{
    int64_t total = 0;
    for (MemHandle line = text.firstLine; line != 0 && NextLine(line) != 0; line = NextLine(line)) {
        total += HeightOf(line);
    }
    return total;
}

int64_t PixelsToLength(ObjectHandle owner, int32_t pixels, int32_t axis)
{
    return Window_PixelsToPage(Model_GetPage(owner), pixels, static_cast<uint32_t>(axis));
}

int32_t LengthToPixels(ObjectHandle owner, Fixed length, int32_t axis)
{
    return Window_PageToPixels(Model_GetPage(owner), length, static_cast<uint32_t>(axis));
}

// Events of a scroll bar that move nothing: motion and releases count only
// while button 2 drags the thumb.
bool IgnoredScrollEvent(const XEvent* event)
{
    if (event->type == MotionNotify) {
        return (event->xmotion.state & Button2Mask) == 0;
    }
    if (event->type == ButtonRelease) {
        return (event->xbutton.state & Button2Mask) == 0;
    }
    return event->type != ButtonPress;
}

unsigned ButtonOf(const XEvent* event)
{
    return event->type == MotionNotify ? Button2 : event->xbutton.button;
}

int32_t PositionOn(const XEvent* event, int32_t axis)
{
    if (event->type == MotionNotify) {
        return axis == kVertical ? event->xmotion.y : event->xmotion.x;
    }
    return axis == kVertical ? event->xbutton.y : event->xbutton.x;
}

int32_t BarLength(const XEvent* event, int32_t axis)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(event->xany.display, event->xany.window, &attributes) == 0) {
        return 1;
    }
    return std::max(axis == kVertical ? attributes.height : attributes.width, 1);
}

int64_t Scaled(int64_t value, int64_t numerator, int64_t denominator)
{
    return denominator == 0 ? 0 : value * numerator / denominator;
}

}  // namespace

namespace textimpl {

// Puts the text at a distance from its start (clamped to the first and the
// last line): top shown line, its index and the partial offset. 1 when the
// top line changed.
bool PlaceAtDistance(TextRec& text, int64_t distance)
{
    distance = std::clamp<int64_t>(distance, 0, LastDistance(text));
    MemHandle top = text.firstLine;
    uint32_t index = 0;
    int64_t start = 0;
    while (top != 0 && NextLine(top) != 0 && start + HeightOf(top) <= distance) {
        start += HeightOf(top);
        top = NextLine(top);
        ++index;
    }
    const bool moved = top != text.topLine;
    text.topLine = top;
    text.topLineIndex = index;
    text.scrollY = static_cast<Fixed>(start - distance);
    PlaceLinesVertically(text);
    return moved;
}

// Moves the top shown line by whole lines towards a distance: forward to the
// last line that starts at or before it, back to the first line that starts
// at or after it. The partial offset becomes 0.
bool PlaceAtWholeLine(TextRec& text, int64_t distance, bool forward)
{
    distance = std::clamp<int64_t>(distance, 0, LastDistance(text));
    MemHandle top = text.firstLine;
    uint32_t index = 0;
    int64_t start = 0;
    while (top != 0 && NextLine(top) != 0) {
        const int64_t next = start + HeightOf(top);
        if (forward ? next > distance : start >= distance) {
            break;
        }
        start = next;
        top = NextLine(top);
        ++index;
    }
    const bool moved = top != text.topLine;
    text.topLine = top;
    text.topLineIndex = index;
    text.scrollY = 0;
    PlaceLinesVertically(text);
    return moved;
}

}  // namespace textimpl

void Text_ShiftLines(MemHandle handle, Fixed dy)
{
    TextLock text(handle);
    if (!text) {
        return;
    }
    for (MemHandle line = text->topLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        l->bottom = Fix_Add(l->bottom, dy);
        if (Fix_Sub(l->bottom, l->height) > text->frameHeight) {
            break;
        }
    }
}

void Text_DragBy(MemHandle handle, int32_t dx, int32_t dy, uint32_t scroll)
{
    if (dx == 0 && dy == 0) {
        return;
    }
    int32_t movedY = 0;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        const int64_t before = DistanceFromStart(*text);
        text->scrollX = Fix_Add(text->scrollX, static_cast<Fixed>(PixelsToLength(text->owner, dx, kHorizontal)));
        if (dy != 0) {
            // Dragging down shows earlier lines: the distance shrinks.
            PlaceAtDistance(*text, before - PixelsToLength(text->owner, dy, kVertical));
            const int64_t after = DistanceFromStart(*text);
            movedY = LengthToPixels(text->owner, static_cast<Fixed>(before - after), kVertical);
        }
    }
    if (IsEdited(handle)) {
        TextWidget_UpdateScrollBars();
    }
    if (scroll != 0) {
        TextWidget_ScrollArea(dx, movedY);
    }
}

void Text_ScrollVertical(const XEvent* event, int32_t deltaPixels)
{
    MemHandle handle = TextWidget_CurrentText();
    if (handle == 0 || (event != nullptr && deltaPixels == 0 && IgnoredScrollEvent(event))) {
        return;
    }
    bool lines = false;
    bool offset = false;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        const Fixed oldOffset = text->scrollY;
        int64_t distance = DistanceFromStart(*text);
        int64_t advance = 0;
        if (deltaPixels != 0) {
            advance = PixelsToLength(text->owner, deltaPixels, kVertical);
        } else if (event != nullptr) {
            // Buttons 1 and 3 move by up to two lines, by where the bar was
            // pressed; button 2 drags the thumb, measured from the top.
            const int64_t position = PositionOn(event, kVertical);
            const int64_t length = BarLength(event, kVertical);
            const int64_t lineHeight = std::max<int64_t>(HeightOf(text->topLine), 1);
            const unsigned button = ButtonOf(event);
            if (button == Button2) {
                const int64_t whole = text->frameHeight + (static_cast<int64_t>(text->lineCount) - 1) * lineHeight;
                distance = 0;
                advance = Scaled(position, whole, length);
            } else {
                advance = Scaled(position, 2 * lineHeight, length);
                if (button != Button1) {
                    advance = -advance;
                }
            }
        }
        const MemHandle oldTop = text->topLine;
        PlaceAtWholeLine(*text, distance + advance, advance >= 0);
        lines = text->topLine != oldTop;
        offset = text->scrollY != oldOffset;
    }
    if (offset) {
        TextWidget_Show();
    }
    if (lines) {
        TextWidget_UpdateScrollBars();
        Text_Redisplay(handle, 1);
        Text_ShowCursor(handle);
    }
}

void Text_ScrollHorizontal(const XEvent* event)
{
    MemHandle handle = TextWidget_CurrentText();
    if (handle == 0 || event == nullptr || IgnoredScrollEvent(event)) {
        return;
    }
    int32_t distance = 0;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        const int32_t position = PositionOn(event, kHorizontal);
        const unsigned button = ButtonOf(event);
        if (button == Button1) {
            distance = -position;
        } else if (button == Button2) {
            int32_t frameWidth = 0;
            int32_t frameHeight = 0;
            TextWidget_FramePixels(&frameWidth, &frameHeight);
            distance = frameWidth - LengthToPixels(text->owner, text->scrollX, kHorizontal) - 3 * position;
        } else {
            distance = position;
        }
        text->scrollX = Fix_Add(text->scrollX, static_cast<Fixed>(PixelsToLength(text->owner, distance, kHorizontal)));
    }
    TextWidget_ScrollTo(distance, 0);
}
