// The items of the fusion set dialog (30175) and the merge options dialog
// (30078), numbered in the order given.
#include "atolq/Resources/DialogRowBuilders.h"
#include "atolq/Resources/DialogTables.h"

namespace {

using namespace dialogrows;

// Fusion sets: the operation (6-10), the name (14), the type (15-17) and,
// in item 18, the names of the sets the page sees.
constexpr DialogItemLayout kFusionItems[] = {
    Button(kPushButton, 340, 262, 80, "OK"),
    Button(kPushButton, 240, 262, 80, "Cancel"),
    Label(120, 266, 10, ""),
    Button(kPushButton, 20, 262, 80, "Reset"),
    Label(20, 10, 400, "Fusion Node"),
    Button(kRadioButton, 20, 40, 90, "Create"),
    Button(kRadioButton, 115, 40, 90, "Add to"),
    Button(kRadioButton, 210, 40, 120, "Subtract from"),
    Button(kRadioButton, 335, 40, 90, "Delete"),
    Button(kRadioButton, 20, 66, 150, "Rename/Retype"),
    Label(20, 104, 60, "Name:"),
    Label(20, 172, 90, "Fusion Set"),
    Label(20, 138, 60, "Type:"),
    Field(90, 100, 250),
    Button(kRadioButton, 90, 136, 90, "Global"),
    Button(kRadioButton, 185, 136, 80, "Page"),
    Button(kRadioButton, 270, 136, 100, "Instance"),
    Label(120, 172, 300, "", 80),
};

// Merge options, default record 1057: one switch per check box (8-13).
constexpr DialogItemLayout kMergeItems[] = {
    Button(kPushButton, 340, 232, 80, "OK"),
    Button(kPushButton, 240, 232, 80, "Cancel"),
    Label(20, 206, 10, ""),
    Button(kPushButton, 20, 232, 70, "Reset"),
    Button(kPushButton, 95, 232, 60, "Load"),
    Button(kPushButton, 160, 232, 70, "Save..."),
    Label(20, 10, 400, "Merge Options"),
    Button(kCheckBox, 20, 40, 200, "Merge Arcs"),
    Button(kCheckBox, 40, 66, 200, "Merge Text in Arcs"),
    Button(kCheckBox, 20, 92, 200, "Merge Aux Conns"),
    Button(kCheckBox, 40, 118, 220, "Merge Text in Aux Conns"),
    Button(kCheckBox, 20, 144, 220, "Merge Text in Nodes"),
    Button(kCheckBox, 20, 170, 260, "Merge Text in TOLQ Regions"),
};

constexpr DialogLayout kLayouts[] = {
    {30175, 440, 300, kFusionItems},
    {30078, 440, 270, kMergeItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_FusionLayouts() { return kLayouts; }
