// Display of texts: what of a text is drawn and where (the edited text in its
// edit window, other texts on their page windows or into PostScript), damage
// of text areas, the cursor from pointer positions and by characters, and
// vertical scrolling so that the cursor stays visible. Without an edit window
// nothing is drawn; the positions are kept all the same.
#pragma once

#include <cstdint>

#include "xkv/text/Text.h"
#include "xkv/window/Window.h"

// Drawing flags of a run.
inline constexpr uint32_t kDrawNormal = 1;
inline constexpr uint32_t kDrawHighlighted = 2;
inline constexpr uint32_t kDrawFromLineStart = 4;
inline constexpr uint32_t kDrawToLineEnd = 8;
inline constexpr uint32_t kDrawLabel = 16;
inline constexpr uint32_t kDrawPlain = 32;

void Text_Redisplay(MemHandle text, uint32_t clear);
void Text_RedisplayAndShowCursor(MemHandle text, uint32_t clear);
KernelStatus Text_ShowSelection(MemHandle text);
void Text_HideSelection(MemHandle text);
void Text_HideCursor(MemHandle text);
void Text_ShowCursor(MemHandle text);
// Draws only the cursor of the edited text: the character under it inverted
// when showing, normal when hiding.
void Text_DrawCursor(MemHandle text, uint32_t show);
// Stores the cursor; for the edited text scrolls it into view. 1 when the
// text scrolled.
uint32_t Text_SetCursor(MemHandle text, TextPosition position);
// Scrolls the edited text so that its cursor is visible; 1 when it scrolled.
uint32_t Text_SetCursorVisible(MemHandle text);
void Text_SetCursorAtPixel(MemHandle text, int32_t x, int32_t y);
TextPosition Text_PositionAtPixel(MemHandle text, int32_t x, int32_t y);
void Text_MoveCursor(MemHandle text, int32_t n);
KernelStatus Text_MoveCursorBy(ObjectHandle object, int32_t n);
void Text_SetCursorPosition(MemHandle text, TextPosition position);
void Text_ResetScroll(MemHandle text);
KernelStatus Text_ResetScrollObject(ObjectHandle object);
KernelStatus Text_ResetScrollGroup(uint16_t group);
void Text_SetTopLine(MemHandle text, MemHandle line);
void Text_DamageTextBox(MemHandle text);
void Text_DamageLabelBox(FixRect box);
void Text_DrawObjectText(ObjectHandle object);
void Text_DrawString(Widget window, int16_t font, Fixed x, Fixed y, const char* characters, int16_t count);
// The width of the characters [from, to) of a line.
Fixed Text_LineWidthFrom(MemHandle text, MemHandle line, uint16_t from, uint16_t to);

// ---- The edit window, as the session layer uses it ----
void TextWidget_PlaceOnWindow(Widget pageWindow);
void TextWidget_Show();
void TextWidget_Hide();
void TextWidget_Release();
void TextWidget_SetScrollBars(uint32_t flag);
void TextWidget_UpdateScrollBars();
uint32_t TextWidget_ClaimSelection(MemHandle text);
void TextWidget_ClearArea(int32_t x, int32_t y, int32_t width, int32_t height);
Widget TextWidget_PageWindow();
