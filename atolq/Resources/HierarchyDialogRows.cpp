// The items of the hierarchy page's two dialogs, the layout options (30007)
// and the redraw of the hierarchy (30098), and of the mode attributes of
// pages and substitution nodes (30560), numbered as their callbacks read
// them.
#include "atolq/Resources/DialogRowBuilders.h"
#include "atolq/Resources/DialogTables.h"

namespace {

using namespace dialogrows;

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

constexpr DialogItemLayout kModeItems[] = {
    Button(kPushButton, 390, 336, 70, "OK"),
    Button(kPushButton, 310, 336, 70, "Cancel"),
    Button(kPushButton, 10, 336, 70, "Reset"),
    Button(kPushButton, 90, 336, 70, "Load"),
    Button(kPushButton, 170, 336, 70, "Save..."),
    Label(20, 10, 1, ""),
    Label(20, 30, 1, ""),
    Button(kRadioButton, 30, 40, 200, "Standard"),
    Button(kCheckBox, 30, 66, 330, "Do Not Include in Simulation"),
    Button(kCheckBox, 30, 90, 330, "Do Not Make Observable"),
    Button(kCheckBox, 30, 114, 330, "Do Not Propose Occ Set"),
    Button(kCheckBox, 30, 138, 330, "Do Not Use in Interactive Runs"),
    Button(kCheckBox, 30, 162, 330, "Do Not Execute Code Segments"),
    Button(kRadioButton, 30, 224, 60, "No"),
    Button(kRadioButton, 100, 224, 60, "Yes"),
    Label(20, 200, 200, "Multiplicity"),
    Field(170, 222, 80),
    Label(370, 67, 40, "(S)"),
    Label(370, 91, 40, "(O)"),
    Label(370, 115, 40, "(P)"),
    Label(370, 139, 40, "(I)"),
    Label(370, 163, 40, "(C)"),
    Label(20, 190, 1, ""),
    Label(20, 14, 200, "Mode"),
    Label(20, 254, 1, ""),
    Label(20, 262, 200, "Prime Page"),
    Button(kCheckBox, 30, 290, 330, "Change for Substitution Transitions"),
};

constexpr DialogLayout kLayouts[] = {
    {30560, 470, 370, kModeItems},
    {30007, 420, 210, kPageLayoutItems},
    {30098, 420, 190, kRedrawItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_HierarchyLayouts()
{
    return kLayouts;
}
