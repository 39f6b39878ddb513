// The items of the page setup dialog (1001), the print dialog (1002) and the
// EPS setup dialog (1005).
// Each dialog edits the value record of its default property: the fields with
// values follow one another from byte 24 in item order, a radio group taking
// one word at the first item after it, so the order of the items below is the
// order of the record's words.
#include "atolq/Resources/DialogRowBuilders.h"
#include "atolq/Resources/DialogTables.h"

namespace {

using namespace dialogrows;

// Page setup, default property 14: paper index (24), scale in percent (28),
// orientation (32), layout (36), leave out the page's frame (40), black and
// white (44).
constexpr DialogItemLayout kPageSetupItems[] = {
    Button(kPushButton, 340, 262, 80, "OK"),
    Button(kPushButton, 240, 262, 80, "Cancel"),
    Button(kPushButton, 20, 262, 80, "Reset"),
    Label(20, 10, 400, "LaserWriter Page Setup"),
    Label(20, 42, 80, "Paper:"),
    Button(kRadioButton, 110, 40, 60, "Letter"),
    Button(kRadioButton, 172, 40, 60, "A4"),
    Button(kRadioButton, 234, 40, 60, "Legal"),
    Button(kRadioButton, 296, 40, 60, "B5"),
    Button(kRadioButton, 358, 40, 70, "Tabloid"),
    Button(kRadioButton, 110, 64, 60, "B4"),
    Button(kRadioButton, 172, 64, 60, "A3"),
    Button(kRadioButton, 234, 64, 60, "A2"),
    Button(kRadioButton, 296, 64, 60, "A1"),
    Button(kRadioButton, 358, 64, 70, "A0"),
    Label(20, 100, 90, "Scale (%):"),
    Field(110, 98, 80),
    Label(20, 134, 90, "Orientation:"),
    Button(kRadioButton, 110, 132, 110, "Portrait"),
    Button(kRadioButton, 230, 132, 110, "Landscape"),
    Label(20, 168, 90, "Layout:"),
    Button(kRadioButton, 110, 166, 150, "As Drawn"),
    Button(kRadioButton, 270, 166, 150, "Fit to Sheet"),
    Button(kRadioButton, 110, 190, 150, "Tiles"),
    Button(kRadioButton, 270, 190, 150, "Overlapping Tiles"),
    Button(kCheckBox, 20, 226, 200, "Leave Out Page Frame"),
    Button(kCheckBox, 230, 226, 190, "Black and White"),
};

// Print, default property 19: which pages (24: 0 all, 1 the application's
// pages, 2 a range of page numbers), the first (28) and last (32) number.
constexpr DialogItemLayout kPrintItems[] = {
    Button(kPushButton, 340, 162, 80, "OK"),
    Button(kPushButton, 240, 162, 80, "Cancel"),
    Button(kPushButton, 20, 162, 80, "Reset"),
    Label(20, 10, 400, "Print Document"),
    Label(20, 42, 80, "Pages:"),
    Button(kRadioButton, 110, 40, 150, "All Pages"),
    Button(kRadioButton, 270, 40, 150, "Current Page"),
    Button(kRadioButton, 110, 70, 150, "Page Numbers From:"),
    Field(270, 70, 60),
    Label(110, 108, 150, "To:"),
    Field(270, 106, 60),
};

// EPS setup, default property 15: scale in percent (24), rotation in degrees
// (28), leave out the master page (32) and the page's frame (36), take the
// file name from the page (40), force the extension (44), the extension text
// (48, 16 bytes, kept at item 18 by the record dialog's string rule), black
// and white (64).
constexpr DialogItemLayout kEpsSetupItems[] = {
    Button(kPushButton, 340, 252, 80, "OK"),
    Button(kPushButton, 240, 252, 80, "Cancel"),
    Button(kPushButton, 20, 252, 80, "Reset"),
    Label(20, 10, 400, "Eps Setup"),
    Label(20, 42, 120, "Scale (%):"),
    Field(150, 40, 80),
    Label(20, 76, 120, "Rotation (degrees):"),
    Field(150, 74, 80),
    Label(20, 110, 120, "Leave Out:"),
    Button(kCheckBox, 150, 108, 130, "Master Page"),
    Button(kCheckBox, 290, 108, 130, "Page Frame"),
    Label(20, 144, 120, "File Name:"),
    Button(kCheckBox, 150, 142, 270, "Take It From the Page Name"),
    Label(20, 178, 120, "Extension:"),
    Button(kCheckBox, 150, 176, 130, "Always Add"),
    Label(290, 178, 40, "Text:"),
    Label(20, 212, 120, "Colours:"),
    Field(330, 176, 90),
    Button(kCheckBox, 150, 210, 200, "Black and White"),
};

constexpr DialogLayout kLayouts[] = {
    {1001, 440, 300, kPageSetupItems},
    {1002, 440, 200, kPrintItems},
    {1005, 440, 290, kEpsSetupItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_PrintLayouts() { return kLayouts; }
