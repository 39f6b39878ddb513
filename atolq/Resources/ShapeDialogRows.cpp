// The items of the net editor's shape dialog (30400): the width and height
// of the selected nodes in whole units, and the curvature of rounded boxes.
#include "atolq/Resources/DialogTables.h"

namespace {

constexpr int16_t kPushButton = 0;
constexpr int16_t kEditable = 0;
constexpr int16_t kStatic = 1;

constexpr DialogItemLayout Button(int16_t x, int16_t y, const char* label)
{
    return {kItemControl, kPushButton, x, y, 80, 24, label};
}

constexpr DialogItemLayout Label(int16_t x, int16_t y, int16_t width, const char* text)
{
    return {kItemText, kStatic, x, y, width, 20, text};
}

constexpr DialogItemLayout Field(int16_t x, int16_t y)
{
    return {kItemText, kEditable, x, y, 80, 24, ""};
}

// Items 1-5 the buttons, 7 the title, 11-13 the fields; 10 is the label of
// the curvature, shown with its field for rounded boxes only.
constexpr DialogItemLayout kShapeItems[] = {
    Button(320, 156, "OK"),
    Button(220, 156, "Cancel"),
    Button(20, 156, "Reset"),
    Button(20, 120, "Load..."),
    Button(120, 120, "Save..."),
    Label(220, 10, 200, "Size in whole units"),
    Label(20, 10, 190, "Shape Attributes"),
    Label(20, 42, 100, "Width"),
    Label(20, 72, 100, "Height"),
    Label(220, 42, 90, "Curvature"),
    Field(120, 40),
    Field(120, 70),
    Field(320, 40),
};

constexpr DialogLayout kLayouts[] = {
    {30400, 420, 190, kShapeItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_ShapeLayouts() { return kLayouts; }
