// Builders of dialog item rows shared by the dialogs' layout files: push
// buttons, check boxes and radio buttons, static labels and editable fields.
#pragma once

#include "atolq/Resources/DialogTables.h"

namespace dialogrows {

inline constexpr int16_t kPushButton = 0;
inline constexpr int16_t kCheckBox = 1;
inline constexpr int16_t kRadioButton = 2;
inline constexpr int16_t kEditable = 0;
inline constexpr int16_t kStatic = 1;

constexpr DialogItemLayout Button(int16_t type, int16_t x, int16_t y, int16_t width, const char* label)
{
    return {kItemControl, type, x, y, width, type == kPushButton ? int16_t{24} : int16_t{22}, label};
}

constexpr DialogItemLayout Label(int16_t x, int16_t y, int16_t width, const char* text, int16_t height = 20)
{
    return {kItemText, kStatic, x, y, width, height, text};
}

constexpr DialogItemLayout Field(int16_t x, int16_t y, int16_t width)
{
    return {kItemText, kEditable, x, y, width, 24, ""};
}

}  // namespace dialogrows
