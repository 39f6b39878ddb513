// The bar and line chart dialogs on the kernel and the net layer started as
// tolq starts them, under the private Xvfb: fields filled in, OK pressed with
// a real click, and the text of the message box that refuses the value read
// from the box itself; the dialog stays open until it is cancelled.
#include <gtest/gtest.h>
#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/Chart/ChartDialogs.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/Hook.h"
#include "xkv/text/TextKernel.h"
#include "xkv/trans/Trans.h"
#include "xkv/velkor/Velkor.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

void StartTolq()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    static char program[] = "tolq";
    static char* argv[] = {program, nullptr};
    static int argc = 1;
    ASSERT_EQ(Velkor_InitX(&argc, argv, 0), 0u);
    ASSERT_EQ(Velkor_ReadConfiguration(), 0u);
    ASSERT_EQ(Velkor_InitModules(), 0u);
    ASSERT_EQ(Velkor_OpenWindows(), 0u);
    Text_InitWindows(Trans_PostIdleText);
    ASSERT_EQ(KV_Initialize(), 0u);
    ASSERT_EQ(Velkor_PassArguments(&argc, argv), 0u);
    KV_StartApplication();
}

class KernelEnd : public ::testing::Environment {
public:
    void TearDown() override { Velkor_ShutdownModules(); }
};
const auto* const kKernelEnd = ::testing::AddGlobalTestEnvironment(new KernelEnd);

// Steps run from a toolkit timer while the modal dialogs' nested loops run,
// each tried every 30 ms until it returns true; after the limit the dialogs
// close.
class DialogSteps {
public:
    explicit DialogSteps(std::vector<std::function<bool()>> steps)
        : steps_(std::move(steps)), deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(15))
    {
        timer_ = XtAppAddTimeOut(Velkor_Settings().appContext, 30, Tick, this);
    }
    ~DialogSteps()
    {
        if (timer_ != 0)
            XtRemoveTimeOut(timer_);
    }
    bool finished() const { return next_ == steps_.size(); }

private:
    static void Tick(XtPointer self, XtIntervalId*)
    {
        auto* s = static_cast<DialogSteps*>(self);
        s->timer_ = 0;
        while (s->next_ < s->steps_.size() && s->steps_[s->next_]())
            ++s->next_;
        if (s->finished())
            return;
        if (std::chrono::steady_clock::now() > s->deadline_) {
            while (Dialog_Depth() > 0)
                Dialog_Close(2);
            return;
        }
        s->timer_ = XtAppAddTimeOut(Velkor_Settings().appContext, 30, Tick, s);
    }
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    XtIntervalId timer_ = 0;
};

// A real click on an item of the top dialog.
bool ClickItem(int item)
{
    Widget w = Dialog_ItemWidget(item);
    if (w == nullptr || !XtIsRealized(w))
        return false;
    Display* display = XtDisplay(w);
    Window child = 0;
    int x = 0, y = 0;
    Dimension width = 0, height = 0;
    XtVaGetValues(w, XtNwidth, &width, XtNheight, &height, nullptr);
    XTranslateCoordinates(display, XtWindow(w), DefaultRootWindow(display), std::min<int>(width / 2, 10),
                          height / 2, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
    return true;
}

std::string MessageText(int16_t id)
{
    char text[kGEMessageTextSize] = {};
    GE_GetMessageText(id, text);
    return text;
}

// What is set in the dialog before OK: a text, a check box turned on (text
// null), or a radio button chosen in its group (first to last).
struct Setting {
    int item;
    const char* text;
    int first = 0;
    int last = 0;
};

struct RefusalCase {
    const char* what;
    std::vector<Setting> settings;
    int16_t message;
};

// Opens the dialog, makes the settings, presses OK and reads the message box
// that comes; then the chart dialog is cancelled. The text shown, or "" when
// no box came or the chart dialog closed on OK.
std::string RefusalShown(int32_t dialog, const std::vector<Setting>& settings, bool line)
{
    std::string shown;
    bool stayedOpen = false;
    DialogSteps steps({
        [dialog] { return Dialog_TopDialogNumber() == dialog; },
        [&settings] {
            for (const Setting& s : settings) {
                if (s.text != nullptr)
                    Dialog_SetItemText(s.item, s.text);
                else if (s.first != 0)
                    Dialog_SetRadioGroup(s.first, s.last, s.item);
                else
                    Dialog_SetItemState(s.item, 1);
            }
            return true;
        },
        [] { return ClickItem(1); },
        [] { return Dialog_TopDialogNumber() == 30000; },
        [&shown] {
            char text[512] = {};
            Dialog_GetItemText(3, text, sizeof text);
            shown = text;
            return ClickItem(1);
        },
        [&stayedOpen, dialog] {
            stayedOpen = Dialog_TopDialogNumber() == dialog;
            return stayedOpen;
        },
        [] { return ClickItem(2); },
    });
    if (line) {
        LineChartAttributes record{};
        EXPECT_EQ(LineChartDialog(record, 1), 0);
    } else {
        BarChartAttributes record{};
        EXPECT_EQ(BarChartDialog(record, 1), 0);
    }
    EXPECT_TRUE(steps.finished());
    EXPECT_TRUE(stayedOpen) << "the chart dialog closed on a refused value";
    return shown;
}

class ChartDialogsX : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartTolq();
        ASSERT_FALSE(HasFatalFailure());
        EE_ClearPendingError();
    }
};

TEST_F(ChartDialogsX, BarChartDialogRefusesEachBadValueWithItsMessage)
{
    const RefusalCase cases[] = {
        {"No of Bars 0", {{8, "0"}}, 11357},
        {"No of Parts 1000", {{10, "1000"}}, 11358},
        {"Bar Height 0", {{12, "0"}}, 11359},
        {"Retain equal to No of Bars", {{8, "2"}, {13, nullptr}, {15, "2"}}, 11360},
        {"Step 2.5", {{32, nullptr}, {33, "2.5"}}, 11362},
        {"a real Min of an integer chart", {{37, "0.5"}}, 11364},
        {"integer Min above 0", {{37, "5"}}, 11363},
        {"an integer Min of a real chart", {{35, nullptr, 34, 35}, {37, "3"}}, 11369},
        {"Max below Min", {{37, "-10"}, {39, "-20"}}, 11365},
        {"Distance above Max and |Min|", {{37, "-10"}, {39, "10"}, {17, nullptr, 16, 17}, {18, "20"}}, 11396},
        {"Number 0", {{16, nullptr, 16, 17}, {18, "0"}}, 11371},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RefusalShown(32500, c.settings, false), MessageText(c.message));
    }
}

TEST_F(ChartDialogsX, LineChartDialogRefusesEachBadValueWithItsMessage)
{
    const std::vector<Setting> real = {{35, nullptr, 34, 35}, {38, "0.0"},  {40, "100.0"}, {43, "0.0"},
                                       {45, "100.0"}, {47, "0.0"}, {49, "0.0"}};
    auto with = [&real](std::vector<Setting> more) {
        std::vector<Setting> all = real;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const RefusalCase cases[] = {
        {"No of Lines 0", {{8, "0"}}, 11372},
        {"Box Size 0", {{10, "0"}}, 11373},
        {"x Max not above x Min", {{40, "0"}}, 11375},
        {"y Origin above y Max", {{49, "500"}}, 11402},
        {"an integer x Min of a real chart", {{35, nullptr, 34, 35}}, 11390},
        {"x Distance finer than a thousandth", with({{15, nullptr, 14, 15}, {16, "0.05"}}), 11419},
        {"y Number 1000", {{19, nullptr, 19, 20}, {21, "1000"}}, 11388},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RefusalShown(32300, c.settings, true), MessageText(c.message));
    }
}

}  // namespace

namespace {

std::string ItemText(int item)
{
    char text[512] = {};
    Dialog_GetItemText(item, text, sizeof text);
    return text;
}

// Clicks the item and waits until the dialog shows the expected effect.
std::vector<std::function<bool()>> ClickThen(int item, std::function<bool()> effect)
{
    return {[item] { return ClickItem(item); }, std::move(effect)};
}

std::vector<std::function<bool()>> Join(int32_t dialog, std::vector<std::vector<std::function<bool()>>> parts)
{
    std::vector<std::function<bool()>> all = {[dialog] { return Dialog_TopDialogNumber() == dialog; }};
    for (auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    all.push_back([] { return ClickItem(2); });
    return all;
}

TEST_F(ChartDialogsX, BarChartDialogItemsFollowEachOther)
{
    DialogSteps steps(Join(32500, {
        // History on sets Retain to 1; off empties it.
        ClickThen(13, [] { return Dialog_GetItemState(13) == 1 && ItemText(15) == "1"; }),
        ClickThen(13, [] { return Dialog_GetItemState(13) == 0 && ItemText(15).empty(); }),
        // A click on Retain turns History on.
        ClickThen(15, [] { return Dialog_GetItemState(13) == 1; }),
        // Step on and typed, then off: its field is emptied.
        ClickThen(32, [] { return Dialog_GetItemState(32) == 1; }),
        {[] { return Dialog_SetItemText(33, "7") >= 0; }},
        ClickThen(32, [] { return Dialog_GetItemState(32) == 0 && ItemText(33).empty(); }),
        // Choosing Distance empties the grid field.
        ClickThen(17, [] { return Dialog_GetRadioChoice(16, 17) == 17 && ItemText(18).empty(); }),
    }));
    BarChartAttributes record{};
    EXPECT_EQ(BarChartDialog(record, 1), 0);
    EXPECT_TRUE(steps.finished());
}

TEST_F(ChartDialogsX, LineChartDialogKeepsInitialisationConsistent)
{
    DialogSteps steps(Join(32300, {
        // Keep Contents off turns the initial Start at Origin off; that one
        // on turns Keep Contents on.
        ClickThen(28, [] { return Dialog_GetItemState(28) == 1 && Dialog_GetItemState(27) == 1; }),
        ClickThen(27, [] { return Dialog_GetItemState(27) == 0 && Dialog_GetItemState(28) == 0; }),
        ClickThen(28, [] { return Dialog_GetItemState(28) == 1 && Dialog_GetItemState(27) == 1; }),
        ClickThen(51, [] { return Dialog_GetRadioChoice(50, 51) == 51; }),
    }));
    LineChartAttributes record{};
    EXPECT_EQ(LineChartDialog(record, 1), 0);
    EXPECT_TRUE(steps.finished());
}

}  // namespace

namespace {

// Save... keeps the checked settings as the diagram's defaults, which the
// next dialog starts from; Reset shows the settings the dialog opened with.
TEST_F(ChartDialogsX, BarChartSettingsSavedAsDefaultsOpenTheNextDialog)
{
    {
        DialogSteps steps(Join(32500, {
            {[] { return Dialog_SetItemText(8, "7") >= 0; }},
            ClickThen(5, [] { return Dialog_TopDialogNumber() == 30150; }),
            ClickThen(1, [] { return Dialog_TopDialogNumber() == 32500; }),
        }));
        BarChartAttributes record{};
        EXPECT_EQ(BarChartDialog(record, 1), 0);
        EXPECT_TRUE(steps.finished());
    }
    BarChartAttributes stored{};
    ASSERT_EQ(DefGet(0, kChartBarDefaults, kDefLevelDiagram, &stored), 1);
    EXPECT_EQ(stored.barCount, 7);
    DialogSteps steps(Join(32500, {
        {[] { return ItemText(8) == "7"; }},
        {[] { return Dialog_SetItemText(8, "9") >= 0; }},
        ClickThen(3, [] { return ItemText(8) == "7"; }),
    }));
    BarChartAttributes record{};
    EXPECT_EQ(BarChartDialog(record, 1), 0);
    EXPECT_TRUE(steps.finished());
}

}  // namespace
