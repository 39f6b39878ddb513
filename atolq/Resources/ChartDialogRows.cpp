// The items of the chart type dialog (32400), the bar chart dialog (32500)
// and the line chart dialog (32300). Items are numbered in the order given;
// frames are placeholders without a widget that keep their item numbers.
#include "atolq/Resources/DialogTables.h"

#include <iterator>

namespace {

constexpr int16_t kPushButton = 0;
constexpr int16_t kCheckBox = 1;
constexpr int16_t kRadioButton = 2;
constexpr int16_t kEditable = 0;
constexpr int16_t kStatic = 1;

constexpr DialogItemLayout Button(int16_t x, int16_t y, const char* label)
{
    return {kItemControl, kPushButton, x, y, 80, 24, label};
}

constexpr DialogItemLayout Check(int16_t x, int16_t y, int16_t width, const char* label)
{
    return {kItemControl, kCheckBox, x, y, width, 22, label};
}

constexpr DialogItemLayout Radio(int16_t x, int16_t y, int16_t width, const char* label)
{
    return {kItemControl, kRadioButton, x, y, width, 22, label};
}

constexpr DialogItemLayout Label(int16_t x, int16_t y, int16_t width, const char* text)
{
    return {kItemText, kStatic, x, y, width, 20, text};
}

constexpr DialogItemLayout Field(int16_t x, int16_t y, int16_t width)
{
    return {kItemText, kEditable, x, y, width, 24, ""};
}

constexpr DialogItemLayout Frame(int16_t x, int16_t y, int16_t width, int16_t height)
{
    return {kItemPlaceholder, 0, x, y, width, height, nullptr};
}

// The five buttons that every chart options dialog has, on its bottom row.
#define TOLQ_CHART_BUTTONS(y)                                                                               \
    Button(950, y, "OK"), Button(860, y, "Cancel"), Button(770, y, "Reset"), Button(680, y, "Load"),      \
        Button(590, y, "Save...")

constexpr DialogItemLayout kChartTypeItems[] = {
    Button(270, 116, "OK"),
    Button(180, 116, "Cancel"),
    Label(20, 14, 330, "Chart Type"),
    Radio(20, 46, 330, "Bar Chart"),
    Radio(20, 74, 330, "Line Chart"),
    Frame(10, 10, 350, 96),
};

constexpr DialogItemLayout kBarChartItems[] = {
    TOLQ_CHART_BUTTONS(456),
    Field(20, 38, 310),                  // 6 name
    Label(20, 110, 150, "No of Bars"),   // 7
    Field(180, 108, 140),                // 8
    Label(20, 140, 150, "No of Parts"),  // 9
    Field(180, 138, 140),                // 10
    Label(20, 170, 150, "Bar Height"),   // 11
    Field(180, 168, 140),                // 12
    Check(20, 200, 150, "History Chart"),  // 13
    Label(180, 202, 60, "Retain"),       // 14
    Field(250, 198, 70),                 // 15
    Radio(20, 290, 120, "Number"),       // 16
    Radio(20, 318, 120, "Distance"),     // 17
    Field(150, 304, 170),                // 18
    Check(20, 350, 200, "Ticks Only"),   // 19
    Check(360, 40, 300, "Title"),        // 20
    Check(360, 66, 300, "Legend"),
    Check(360, 92, 300, "Bar Names"),
    Check(360, 118, 300, "Pos. Values"),
    Check(360, 144, 300, "Neg. Values"),
    Check(360, 170, 300, "Upper Values"),
    Check(360, 196, 300, "Lower Values"),  // 26
    Check(360, 270, 300, "Save Copy"),     // 27
    Check(360, 296, 300, "Keep Contents"),
    Check(360, 322, 300, "End of Run"),    // 29
    Check(700, 40, 100, "Time"),           // 30
    Field(810, 38, 200),                   // 31
    Check(700, 68, 100, "Step"),           // 32
    Field(810, 66, 200),                   // 33
    Radio(700, 140, 150, "Integer"),       // 34
    Radio(860, 140, 150, "Real"),          // 35
    Label(700, 232, 60, "Min"),            // 36
    Field(770, 230, 240),                  // 37
    Label(700, 262, 60, "Max"),            // 38
    Field(770, 260, 240),                  // 39
    Frame(10, 10, 330, 60),                // 40
    Label(20, 14, 310, "Name"),            // 41
    Frame(10, 80, 330, 150),               // 42
    Label(20, 84, 310, "Bars"),            // 43
    Label(20, 264, 310, "Grid Lines"),     // 44
    Frame(10, 260, 330, 120),              // 45
    Label(360, 14, 310, "Regions"),        // 46
    Frame(350, 10, 330, 220),              // 47
    Label(360, 244, 310, "Initialization"),  // 48
    Frame(350, 240, 330, 110),             // 49
    Label(700, 14, 320, "Update Period"),  // 50
    Frame(690, 10, 340, 90),               // 51
    Label(700, 114, 320, "Value Type"),    // 52
    Frame(690, 110, 340, 60),              // 53
    Label(700, 204, 320, "Value Range"),   // 54
    Frame(690, 200, 340, 90),              // 55
};

constexpr DialogItemLayout kLineChartItems[] = {
    TOLQ_CHART_BUTTONS(456),
    Field(20, 38, 310),                    // 6 name
    Label(20, 110, 150, "No of Lines"),    // 7
    Field(180, 108, 140),                  // 8
    Label(20, 140, 150, "Box Size"),       // 9
    Field(180, 138, 140),                  // 10
    Check(20, 170, 150, "Start at Origin"),  // 11
    Check(180, 170, 140, "Horiz/Vert"),    // 12
    Label(20, 272, 20, "x"),               // 13
    Radio(50, 270, 110, "Number"),         // 14
    Radio(50, 296, 110, "Distance"),       // 15
    Field(170, 282, 150),                  // 16
    Check(50, 322, 150, "Ticks Only"),     // 17
    Label(20, 352, 20, "y"),               // 18
    Radio(50, 350, 110, "Number"),         // 19
    Radio(50, 376, 110, "Distance"),       // 20
    Field(170, 362, 150),                  // 21
    Check(50, 402, 150, "Ticks Only"),     // 22
    Check(360, 40, 300, "Title"),          // 23
    Check(360, 66, 300, "Legend"),
    Check(360, 92, 300, "Axis Names"),     // 25
    Check(360, 160, 300, "Save Copy"),     // 26
    Check(360, 186, 300, "Keep Contents"),
    Check(360, 212, 300, "Start at Origin"),
    Check(360, 238, 300, "End of Run"),    // 29
    Check(700, 40, 100, "Time"),           // 30
    Field(810, 38, 200),                   // 31
    Check(700, 68, 100, "Step"),           // 32
    Field(810, 66, 200),                   // 33
    Radio(700, 140, 150, "Integer"),       // 34
    Radio(860, 140, 150, "Real"),          // 35
    Label(700, 212, 20, "x"),              // 36
    Label(730, 212, 40, "Min"),            // 37
    Field(770, 210, 90),                   // 38
    Label(870, 212, 40, "Max"),            // 39
    Field(915, 210, 95),                   // 40
    Label(700, 242, 20, "y"),              // 41
    Label(730, 242, 40, "Min"),            // 42
    Field(770, 240, 90),                   // 43
    Label(870, 242, 40, "Max"),            // 44
    Field(915, 240, 95),                   // 45
    Label(700, 312, 20, "x"),              // 46
    Field(730, 310, 120),                  // 47
    Label(870, 312, 20, "y"),              // 48
    Field(900, 310, 110),                  // 49
    Radio(360, 310, 300, "Rescale Axis"),  // 50
    Radio(360, 336, 300, "Move Axis"),     // 51
    Frame(10, 10, 330, 60),                // 52
    Label(20, 14, 310, "Name"),            // 53
    Frame(10, 80, 330, 150),               // 54
    Label(20, 84, 310, "Lines"),           // 55
    Frame(10, 240, 330, 190),              // 56
    Label(20, 244, 310, "Grid Lines"),     // 57
    Frame(350, 10, 330, 110),              // 58
    Label(360, 14, 310, "Regions"),        // 59
    Frame(350, 130, 330, 140),             // 60
    Label(360, 134, 310, "Initialization"),  // 61
    Frame(690, 10, 340, 90),               // 62
    Label(700, 14, 320, "Update Period"),  // 63
    Frame(690, 110, 340, 60),              // 64
    Label(700, 114, 320, "Value Type"),    // 65
    Frame(690, 180, 340, 90),              // 66
    Label(700, 184, 320, "Value Range"),   // 67
    Frame(690, 280, 340, 60),              // 68
    Label(700, 284, 320, "Origin"),        // 69
    Frame(350, 280, 330, 90),              // 70
    Label(360, 284, 310, "Overflow"),      // 71
    Frame(0, 0, 1050, 500),                // 72
};

#undef TOLQ_CHART_BUTTONS

static_assert(std::size(kChartTypeItems) == 6);
static_assert(std::size(kBarChartItems) == 55);
static_assert(std::size(kLineChartItems) == 72);

constexpr DialogLayout kLayouts[] = {
    {32400, 370, 156, kChartTypeItems},
    {32500, 1050, 500, kBarChartItems},
    {32300, 1050, 500, kLineChartItems},
};

}  // namespace

std::span<const DialogLayout> DialogTable_ChartLayouts() { return kLayouts; }
