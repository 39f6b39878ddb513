// The items of the hierarchy page's two dialogs: the layout options (30007)
// and the redraw of the hierarchy (30098), numbered as their callbacks read
// them.
#include "atolq/Resources/DialogTables.h"

namespace {

constexpr int16_t kPushButton = 0;
constexpr int16_t kCheckBox = 1;
constexpr int16_t kRadioButton = 2;
constexpr int16_t kEditable = 0;
constexpr int16_t kStatic = 1;

constexpr DialogItemLayout Button(int16_t type, int16_t x, int16_t y, int16_t width, const char* label)
{
    return {kItemControl, type, x, y, width, type == kPushButton ? int16_t{24} : int16_t{22}, label};
}

constexpr DialogItemLayout Label(int16_t x, int16_t y, int16_t width, const char* text)
{
    return {kItemText, kStatic, x, y, width, 20, text};
}

constexpr DialogItemLayout Field(int16_t x, int16_t y, int16_t width)
{
    return {kItemText, kEditable, x, y, width, 24, ""};
}

// Grids (9, 10) and spacings (11, 12) in rows, horizontal then vertical.
constexpr DialogItemLayout kPageLayoutItems[] = {
    Button(kPushButton, 330, 176, 70, "OK"),
    Button(kPushButton, 250, 176, 70, "Cancel"),
    Button(kPushButton, 10, 176, 70, "Reset"),
    Label(20, 10, 380, "Hierarchy Page Layout"),
    Label(120, 40, 100, "Horizontal"),
    Label(240, 40, 100, "Vertical"),
    Button(kPushButton, 90, 176, 70, "Load"),
    Button(kPushButton, 170, 176, 70, "Save..."),
    Field(120, 66, 100),
    Field(240, 66, 100),
    Field(120, 100, 100),
    Field(240, 100, 100),
    Label(20, 68, 90, "Grid"),
    Label(20, 102, 90, "Spacing"),
    Button(kCheckBox, 20, 138, 300, "Ignore Substitution Hierachy"),
};

constexpr DialogItemLayout kRedrawItems[] = {
    Button(kPushButton, 330, 156, 70, "OK"),
    Button(kPushButton, 250, 156, 70, "Cancel"),
    Label(20, 34, 1, ""),
    Label(20, 10, 380, "Redraw Hierarchy"),
    Button(kRadioButton, 40, 62, 200, "Compressed"),
    Button(kRadioButton, 40, 86, 200, "Non Compressed"),
    Button(kCheckBox, 20, 120, 250, "Start from Scratch"),
    Label(20, 56, 1, ""),
    Label(20, 38, 200, "Spacing"),
    Button(kPushButton, 10, 156, 70, "Reset"),
};

constexpr DialogLayout kLayouts[] = {
    {30007, 420, 210, kPageLayoutItems},
    {30098, 420, 190, kRedrawItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_HierarchyLayouts()
{
    return kLayouts;
}
