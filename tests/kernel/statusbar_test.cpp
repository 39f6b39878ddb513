// The status line's three fields and their layout across the bar.
#include <gtest/gtest.h>

#include "xkv/statusbar/StatusBar.h"

namespace {

struct FieldsCase {
    const char* name;
    StatusLineState state;
    const char* type;
    const char* text;
    const char* scale;
};

StatusLineState Group(int32_t n)
{
    StatusLineState s;
    s.selectionMode = 1;
    s.groupCount = n;
    return s;
}

StatusLineState Page(Fixed scale, bool caps, bool textMode)
{
    StatusLineState s;
    s.hasCurrentPage = true;
    s.pageScale = scale;
    s.capsLock = caps;
    s.textMode = textMode;
    return s;
}

StatusLineState Object(int32_t description)
{
    StatusLineState s;
    s.selectionMode = 0;
    s.objectDescription = description;
    return s;
}

StatusLineState Application(const char* text)
{
    StatusLineState s;
    s.applicationText = true;
    s.application = text;
    return s;
}

class StatusFieldsTest : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(StatusFieldsTest, ComposesFields)
{
    const FieldsCase& c = GetParam();
    const StatusFields fields = StatusBar_ComposeFields(c.state);
    EXPECT_EQ(fields.type, c.type);
    EXPECT_EQ(fields.text, c.text);
    EXPECT_EQ(fields.scale, c.scale);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StatusFieldsTest,
    ::testing::Values(FieldsCase{"NothingSelected", StatusLineState{}, "Type: None", "Text: Off", ""},
                      FieldsCase{"GroupOfOne", Group(1), "Type: Group of 1 node", "Text: Off", ""},
                      FieldsCase{"GroupOfFive", Group(5), "Type: Group of 5 nodes", "Text: Off", ""},
                      FieldsCase{"Connector", Object(5), "Type: connector", "Text: Off", ""},
                      FieldsCase{"HalfScale", Page(0x8000, false, true), "Type: None", "Text: On", "Page Scale: 50%"},
                      FieldsCase{"CapsLock", Page(0x8000, true, false), "Type: None", "Text: Off",
                                 "Page Scale: 50% Caps Lock On"},
                      FieldsCase{"FullScale", Page(kFixedOne, false, false), "Type: None", "Text: Off",
                                 "Page Scale: 100%"},
                      FieldsCase{"CapsLockWithoutPage",
                                 [] {
                                     StatusLineState s;
                                     s.capsLock = true;
                                     return s;
                                 }(),
                                 "Type: None", "Text: Off", " Caps Lock On"},
                      FieldsCase{"ApplicationText", Application("place P1"), "Type: place P1", "Text: Off", ""}),
    [](const ::testing::TestParamInfo<FieldsCase>& info) { return std::string(info.param.name); });

TEST(StatusLayout, WideBarSpreadsFields)
{
    // Bar 600, m = 10, fields 100, 80, 120: gap = 300.
    const StatusLayout layout = StatusBar_Layout(600, 10, 100, 80, 120);
    EXPECT_EQ(layout.x1, 5);
    EXPECT_EQ(layout.x2, 150 + 5 + 100);
    EXPECT_EQ(layout.x3, layout.x2 + 80 + 150 - 5);
}

TEST(StatusLayout, NarrowBarKeepsTheMinimumGap)
{
    // Fields wider than the bar: gap = 4m; field 2 starts 2m after field 1,
    // field 3 1.5m after field 2.
    const int32_t m = 10;
    const StatusLayout layout = StatusBar_Layout(100, m, 200, 150, 90);
    EXPECT_EQ(layout.x2 - (layout.x1 + 200), 2 * m);
    EXPECT_EQ(layout.x3 - (layout.x2 + 150), 3 * m / 2);
}

TEST(StatusLayout, ApplicationTextIsCutToTheFieldSize)
{
    const StatusFields fields = StatusBar_ComposeFields(Application(std::string(400, 'x').c_str()));
    EXPECT_EQ(fields.type.size(), kStatusFieldMax);
}

}  // namespace
