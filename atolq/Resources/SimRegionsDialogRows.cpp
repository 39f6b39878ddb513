// The items of the dialog of Remove Sim Regions... (30610), numbered in the
// order given: the kinds of simulation regions to remove, all on at first.
#include "atolq/Resources/DialogRowBuilders.h"
#include "atolq/Resources/DialogTables.h"

namespace {

using namespace dialogrows;

constexpr DialogItemLayout kSimRegionsItems[] = {
    Button(kPushButton, 320, 182, 80, "OK"),
    Button(kPushButton, 220, 182, 80, "Cancel"),
    Button(kPushButton, 20, 182, 80, "Reset"),
    Label(120, 186, 10, ""),
    Label(20, 10, 380, "Sim Regions"),
    Button(kCheckBox, 40, 66, 200, "Current Marking"),
    Button(kCheckBox, 40, 92, 200, "Feedback"),
    Button(kCheckBox, 40, 118, 200, "Input Token"),
    Button(kCheckBox, 40, 144, 200, "Output Token"),
    Label(120, 186, 10, ""),
    Label(20, 40, 200, "Remove"),
};

constexpr DialogLayout kLayouts[] = {
    {30610, 420, 220, kSimRegionsItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_SimRegionsLayouts() { return kLayouts; }
