// The items of net editor dialogs laid out here: the Position... dialog of
// the Align menu (20408) and the syntax restrictions of the Set menu (30499).
// Items are numbered in the order given; the callbacks address them by
// those numbers.
#include "atolq/Resources/DialogRowBuilders.h"
#include "atolq/Resources/DialogTables.h"

namespace {

using namespace dialogrows;

// Position: cartesian x (5) and y (8) offsets, or a polar angle, absolute
// (18) or relative (19), and distance (15), all in pixels and degrees.
constexpr DialogItemLayout kPositionItems[] = {
    Button(kPushButton, 300, 216, 80, "OK"),
    Button(kPushButton, 200, 216, 80, "Cancel"),
    Button(kPushButton, 20, 216, 80, "Reset"),
    Label(20, 10, 360, "Position"),
    Field(200, 80, 100),
    Label(20, 82, 170, "X Offset (pixels):"),
    Label(20, 122, 170, "Y Offset (pixels):"),
    Field(200, 120, 100),
    Button(kRadioButton, 20, 40, 150, "Cartesian"),
    Button(kRadioButton, 200, 40, 150, "Polar"),
    Label(20, 82, 170, "Angle (degrees):"),
    Label(20, 162, 170, "Distance (pixels):"),
    Label(310, 82, 70, ""),
    Label(310, 162, 70, ""),
    Field(200, 160, 100),
    Button(kRadioButton, 20, 120, 150, "Absolute Angle"),
    Button(kRadioButton, 200, 120, 150, "Relative Angle"),
    Field(200, 80, 100),
    Field(200, 80, 100),
};

// Optional syntax restrictions: one check box per restriction (9-16).
constexpr DialogItemLayout kSyntaxItems[] = {
    Button(kPushButton, 300, 300, 80, "OK"),
    Button(kPushButton, 200, 300, 80, "Cancel"),
    Button(kPushButton, 20, 300, 80, "Reset"),
    Button(kPushButton, 20, 334, 80, "Load"),
    Button(kPushButton, 110, 334, 80, "Save..."),
    Label(20, 30, 360, ""),
    Label(20, 10, 360, "Optional Syntax Restrictions"),
    Label(20, 36, 360, "Report Errors for:"),
    Button(kCheckBox, 40, 62, 320, "Missing Place Names"),
    Button(kCheckBox, 40, 90, 320, "Duplicate Place Names"),
    Button(kCheckBox, 40, 118, 320, "Missing Transition Names"),
    Button(kCheckBox, 40, 146, 320, "Duplicate Transition Names"),
    Button(kCheckBox, 40, 174, 320, "Duplicate Page Names"),
    Button(kCheckBox, 40, 202, 320, "Missing Arc Expressions (Ordinary)"),
    Button(kCheckBox, 40, 230, 320, "Missing Arc Expressions (Substitution)"),
    Button(kCheckBox, 40, 258, 320, "OG Tool Violations"),
};

constexpr DialogLayout kLayouts[] = {
    {20408, 400, 256, kPositionItems},
    {30499, 400, 372, kSyntaxItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_NetEditorLayouts() { return kLayouts; }
