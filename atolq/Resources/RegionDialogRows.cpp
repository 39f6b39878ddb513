// The items of the net editor's region attributes dialog (30410): the
// offsets of the selected regions from their owners in whole units, and how
// they are shown, pop up and are sized.
#include "atolq/Resources/DialogTables.h"

namespace {

constexpr int16_t kPushButton = 0;
constexpr int16_t kRadioButton = 2;
constexpr int16_t kEditable = 0;
constexpr int16_t kStatic = 1;

constexpr DialogItemLayout Button(int16_t x, int16_t y, const char* label)
{
    return {kItemControl, kPushButton, x, y, 80, 24, label};
}

constexpr DialogItemLayout Radio(int16_t x, int16_t y, const char* label)
{
    return {kItemControl, kRadioButton, x, y, 180, 22, label};
}

constexpr DialogItemLayout Label(int16_t x, int16_t y, int16_t width, const char* text)
{
    return {kItemText, kStatic, x, y, width, 20, text};
}

constexpr DialogItemLayout Field(int16_t x, int16_t y)
{
    return {kItemText, kEditable, x, y, 80, 24, ""};
}

constexpr DialogItemLayout Frame(int16_t x, int16_t y, int16_t width, int16_t height)
{
    return {kItemPlaceholder, 0, x, y, width, height, nullptr};
}

// Items 1-5 the buttons, 7 the title, 10 and 11 the offsets, 13-15 how the
// region shows, 18-19 its popup, 22-23 its size.
constexpr DialogItemLayout kRegionItems[] = {
    Button(370, 256, "OK"),
    Button(280, 256, "Cancel"),
    Button(20, 256, "Reset"),
    Button(105, 256, "Load..."),
    Button(190, 256, "Save..."),
    Label(20, 100, 200, "Offsets in whole units"),
    Label(20, 10, 200, "Region Attributes"),
    Label(20, 42, 90, "Horizontal"),
    Label(20, 72, 90, "Vertical"),
    Field(120, 40),
    Field(120, 70),
    Frame(230, 6, 220, 114),
    Radio(240, 36, "Missing"),
    Radio(240, 62, "Hidden"),
    Radio(240, 88, "Shown"),
    Frame(10, 126, 210, 84),
    Label(20, 130, 180, " Popup"),
    Radio(20, 156, "Change with Parent"),
    Radio(20, 182, "Not Resizable"),
    Frame(230, 126, 220, 84),
    Label(240, 130, 180, " Size"),
    Radio(240, 156, "As Parent"),
    Radio(240, 182, "As Specified"),
    Frame(10, 214, 440, 30),
    Label(20, 218, 300, " Color On Creation"),
};

constexpr DialogLayout kLayouts[] = {
    {30410, 460, 290, kRegionItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_RegionLayouts() { return kLayouts; }
