// Charts made and changed from tolq's menus on a copy of the example net:
// TOLQ > Chart... with the chart type dialog, a box drawn on the page, the
// bar or line chart dialog filled in with real clicks and keys (refused
// values answered with their message box, the dialog staying open), the
// diagram saved and its chart records read back here; Set > Chart
// Attributes... on a chart of the reopened diagram.
#include "MainRoadSession.h"

#include "atolq/Chart/ChartAction.h"
#include "atolq/Chart/ChartOptions.h"
#include "atolq/Chart/ChartRecords.h"
#include "atolq/Chart/ChartUtil.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Chart/BarChartParts.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRegions.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"

#include <algorithm>
#include <csignal>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The TOLQ menu as the program tests share it, and the Set menu.
const std::map<std::string, std::vector<std::string>> kChartMenus = {
    {"TOLQ", kMenuItems.at("TOLQ")},
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
};

// A rectangle of a dialog's item, as the dialog tables place it.
struct Item {
    int x, y, width, height;
};

// The dialogs by their width.
constexpr int kChartTypeWidth = 370;
constexpr int kChartWidth = 1050;
constexpr int kMessageWidth = 510;
constexpr int kContinueWidth = 531;

constexpr Item kTypeOk{270, 116, 80, 24};
constexpr Item kTypeBar{20, 46, 330, 22};
constexpr Item kTypeLine{20, 74, 330, 22};

// Items of both chart dialogs.
constexpr Item kOk{950, 456, 80, 24};
constexpr Item kCancel{860, 456, 80, 24};
constexpr Item kStep{700, 68, 100, 22};
constexpr Item kStepText{810, 66, 200, 24};
constexpr Item kMessageOk{410, 197, 80, 24};
constexpr Item kContinueOk{431, 200, 80, 24};

// The bar chart dialog.
constexpr Item kBars{180, 108, 140, 24};
constexpr Item kParts{180, 138, 140, 24};
constexpr Item kHistory{20, 200, 150, 22};
constexpr Item kRetain{250, 198, 70, 24};
constexpr Item kBarTitle{360, 40, 300, 22};
constexpr Item kBarLegend{360, 66, 300, 22};
constexpr Item kBarMin{770, 230, 240, 24};
constexpr Item kBarMax{770, 260, 240, 24};

// The line chart dialog.
constexpr Item kLines{180, 108, 140, 24};
constexpr Item kAxisNames{360, 92, 300, 22};
constexpr Item kXMax{915, 210, 95, 24};
constexpr Item kYOrigin{900, 310, 110, 24};
constexpr Item kMoveAxis{360, 336, 300, 22};

// Where the charts are drawn in the page's drawing area: empty parts of
// the example's page.
constexpr Spot kBarFrom{30, 470};
constexpr Spot kBarTo{300, 640};
constexpr Spot kLineFrom{250, 20};
constexpr Spot kLineTo{510, 140};

class ChartDialogsProgramTest : public TolqSession {
protected:
    void PickChartMenu(const std::string& title, const std::string& item)
    {
        static const std::vector<std::string> titles = kMenuTitles;
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{titles, kChartMenus}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    std::vector<WindowInfo> DialogsOfWidth(int width) const
    {
        std::vector<WindowInfo> found;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog" && w.width == width)
                found.push_back(w);
        return found;
    }

    std::optional<WindowInfo> WaitForDialog(int width, std::chrono::milliseconds limit = 10s) const
    {
        std::optional<WindowInfo> found;
        wait_until(
            [&] {
                const std::vector<WindowInfo> dialogs = DialogsOfWidth(width);
                if (!dialogs.empty())
                    found = dialogs.front();
                return found.has_value();
            },
            limit);
        return found;
    }

    bool DialogGone(int width) const
    {
        return wait_until([&] { return DialogsOfWidth(width).empty(); }, 10s);
    }

    // A click on a button or field, or on the box of a check box or radio
    // button (their widgets are only as wide as their labels).
    void ClickItem(const WindowInfo& dialog, Item item)
    {
        const bool box = item.height == 22;
        client_.click(dialog.root_x + item.x + (box ? 10 : item.width / 2), dialog.root_y + item.y + item.height / 2);
        Settle();
    }

    // Replaces the text of a field: a click gives it the focus, the line is
    // emptied and the text typed.
    void Type(const WindowInfo& dialog, Item field, const std::string& text)
    {
        ClickItem(dialog, field);
        xdotool({"key", "ctrl+a", "ctrl+k"});
        // A leading minus would read as an option of xdotool's type.
        if (!text.empty() && text.front() == '-')
            xdotool({"key", "minus"});
        if (text.size() > 1 || (!text.empty() && text.front() != '-'))
            client_.type_text(text.front() == '-' ? text.substr(1) : text);
        Settle();
    }

    // Presses the chart dialog's OK and expects a refusal: a message box,
    // closed with its button, over the chart dialog that stays open.
    void ExpectRefused(const WindowInfo& dialog, const std::string& what)
    {
        ClickItem(dialog, kOk);
        const std::optional<WindowInfo> box = WaitForDialog(kMessageWidth);
        ASSERT_TRUE(box.has_value()) << what << " was not refused";
        ClickItem(*box, kMessageOk);
        ASSERT_TRUE(DialogGone(kMessageWidth)) << "the message box of " << what << " stayed";
        EXPECT_FALSE(DialogsOfWidth(kChartWidth).empty()) << "the chart dialog closed on " << what;
    }

    void PressOkAndExpectClosed(const WindowInfo& dialog)
    {
        ClickItem(dialog, kOk);
        EXPECT_TRUE(DialogsOfWidth(kMessageWidth).empty()) << "a value was refused";
        ASSERT_TRUE(DialogGone(kChartWidth)) << "the chart dialog stayed open";
    }

    // A press at one point of the page and a release at another, moving in
    // steps: the kernel's box gesture.
    void DrawBox(Spot from, Spot to)
    {
        client_.move_pointer(drawing_.root_x + from.x, drawing_.root_y + from.y);
        Settle();
        xdotool({"mousedown", "1"});
        constexpr int kSteps = 8;
        for (int i = 1; i <= kSteps; ++i) {
            client_.move_pointer(drawing_.root_x + from.x + (to.x - from.x) * i / kSteps,
                                 drawing_.root_y + from.y + (to.y - from.y) * i / kSteps);
            std::this_thread::sleep_for(30ms);
        }
        xdotool({"mouseup", "1"});
        Settle();
    }

    // How far the page has scrolled sideways since it opened: where the top
    // and bottom edges of the example's Produce box (80 by 40 pixels) are
    // found along their rows.
    int ScrollX() const
    {
        auto edge = [&](int x, int y) {
            int best = 0;
            for (int row = y - 2; row <= y + 2; ++row)
                best = std::max(best, Ink(x, row, 70, 1));
            return best >= 68;
        };
        // The shifts at which both edges fill the probe; their middle.
        int first = 1000, last = -1000;
        for (int s = -300; s <= 300; ++s) {
            const int x = kProduceSpot.x + s - 35;
            if (x >= 0 && edge(x, kProduceSpot.y - 20) && edge(x, kProduceSpot.y + 20)) {
                first = std::min(first, s);
                last = std::max(last, s);
            }
        }
        return first <= last ? (first + last) / 2 : 0;
    }

    // TOLQ > Chart..., the type chosen, a box drawn: the chart dialog.
    std::optional<WindowInfo> NewChart(Item type, Spot from, Spot to)
    {
        PickChartMenu("TOLQ", "Chart...");
        const std::optional<WindowInfo> typeDialog = WaitForDialog(kChartTypeWidth);
        EXPECT_TRUE(typeDialog.has_value()) << "the chart type dialog did not open";
        if (!typeDialog)
            return std::nullopt;
        ClickItem(*typeDialog, type);
        ClickItem(*typeDialog, kTypeOk);
        EXPECT_TRUE(DialogGone(kChartTypeWidth));
        DrawBox(from, to);
        return WaitForDialog(kChartWidth);
    }
};


// An object's size in pixels.
Spot SizeOf(ObjectHandle object)
{
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(object, &w, &h);
    return {w / 0x8000, h / 0x8000};
}

// Where an object of the saved diagram appears in the page's drawing area:
// the example's Produce transition anchors the page, one pixel a unit.
Spot SpotOf(const NetDiagram& saved, ObjectHandle object)
{
    Fixed px = 0, py = 0, x = 0, y = 0;
    QXRdAttr_GetPosition(saved.NodeNamed("Produce"), &px, &py);
    QXRdAttr_GetPosition(object, &x, &y);
    constexpr Fixed kUnit = 0x8000;
    return {kProduceSpot.x + (x - px) / kUnit, kProduceSpot.y + (y - py) / kUnit};
}


BarChartAttributes BarSettings(const std::string& name)
{
    BarChartAttributes a{};
    SEBarChart* chart = nullptr;
    EXPECT_EQ(FindBarChart(name, &chart), 1) << "no bar chart " << name;
    if (chart != nullptr)
        BarChartAttributesOf(*chart, a);
    return a;
}

LineChartAttributes LineSettings(const std::string& name)
{
    LineChartAttributes a{};
    SELineChart* chart = nullptr;
    EXPECT_EQ(FindLineChart(name, &chart), 1) << "no line chart " << name;
    if (chart != nullptr)
        LineChartAttributesOf(*chart, a);
    return a;
}

TEST_F(ChartDialogsProgramTest, BarChartMadeFromTheMenuKeepsItsOptionsAcrossSaveAndChartAttributes)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::optional<WindowInfo> dialog = NewChart(kTypeBar, kBarFrom, kBarTo);
    ASSERT_TRUE(dialog.has_value()) << "the bar chart dialog did not open";

    // Each refused value keeps the dialog open; the name proposed stays.
    Type(*dialog, kBars, "0");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "No of Bars 0"));
    Type(*dialog, kBars, "3");
    Type(*dialog, kParts, "2");
    ClickItem(*dialog, kHistory);  // Retain becomes 1
    Type(*dialog, kRetain, "3");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "Retain equal to No of Bars"));
    Type(*dialog, kRetain, "2");
    Type(*dialog, kBarMin, "5");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "Min above 0"));
    Type(*dialog, kBarMin, "-10");
    Type(*dialog, kBarMax, "50");
    ClickItem(*dialog, kStep);
    Type(*dialog, kStepText, "2.5");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "Step 2.5"));
    Type(*dialog, kStepText, "4");
    ClickItem(*dialog, kBarTitle);   // off
    ClickItem(*dialog, kBarLegend);  // on
    ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
    ASSERT_NO_FATAL_FAILURE(Save());
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        const BarChartAttributes a = BarSettings("Bar Chart 1");
        EXPECT_EQ(a.barCount, 3);
        EXPECT_EQ(a.partCount, 2);
        EXPECT_EQ(a.history, 1);
        EXPECT_EQ(a.retain, 2);
        EXPECT_EQ(a.stepInterval, 4);
        EXPECT_EQ(a.title, 0);
        EXPECT_EQ(a.legend, 1);
        EXPECT_LE(std::atof(a.min), -10);
        EXPECT_GE(std::atof(a.max), 50);
        EXPECT_EQ(SEGetBarChartCounter(), 2) << "the counter of bar charts did not go up";
    }

    // The reopened diagram: Chart Attributes... on the chart changes its
    // number of bars after the warning.
    tolq_.stop(SIGTERM);
    ASSERT_TRUE(wait_until([&] { return ScanTolqWindows(client_).pages.empty(); }));
    XFreeFont(client_.display(), font_);
    font_ = nullptr;
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt({(kBarFrom.x + kBarTo.x) / 2, (kBarFrom.y + kBarTo.y) / 2});
    PickChartMenu("Set", "Chart Attributes...");
    const std::optional<WindowInfo> change = WaitForDialog(kChartWidth);
    ASSERT_TRUE(change.has_value()) << "Chart Attributes... opened no chart dialog";
    Type(*change, kBars, "5");
    ClickItem(*change, kOk);
    const std::optional<WindowInfo> warning = WaitForDialog(kContinueWidth);
    ASSERT_TRUE(warning.has_value()) << "no warning about the changed number of bars";
    ClickItem(*warning, kContinueOk);
    ASSERT_TRUE(DialogGone(kChartWidth));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const BarChartAttributes a = BarSettings("Bar Chart 1");
    EXPECT_EQ(a.barCount, 5);
    EXPECT_EQ(a.partCount, 2);
    EXPECT_EQ(a.stepInterval, 4);
    EXPECT_EQ(a.legend, 1);
    EXPECT_TRUE(tolq_.running());
}

// A part of a chart cannot be copied; the chart copied and pasted leaves
// the chart and its record as they were (the copy is a drawing); the chart
// cleared with Delete goes with its record.
TEST_F(ChartDialogsProgramTest, ChartCopiedAndPastedKeepsItsRecordAndDeleteRemovesIt)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::optional<WindowInfo> dialog = NewChart(kTypeBar, kBarFrom, kBarTo);
    ASSERT_TRUE(dialog.has_value()) << "the bar chart dialog did not open";
    ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
    // The bar area, once the new chart's regions are there to be picked: on a
    // busy machine the first press can come before they are drawn.
    bool refused = false;
    for (int attempt = 0; attempt < 3 && !refused; ++attempt) {
        ClickAt({(kBarFrom.x + kBarTo.x) / 2, (kBarFrom.y + kBarTo.y) / 2});
        Settle();
        Keys("alt+c");
        refused = AnswerMessageBox(5s);
    }
    EXPECT_TRUE(refused) << "a chart region was copied";

    const Spot frame{kBarFrom.x + 6, kBarFrom.y + 40};  // the frame's margin
    ClickAt(frame);
    Keys("alt+c");
    Keys("alt+v");
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        EXPECT_EQ(LMCount(SECurrentRoot()->barCharts), 1);
        EXPECT_EQ(BarSettings("Bar Chart 1").barCount, 1);
    }
    Keys("Delete");  // the pasted copy
    ClickAt(frame);
    Keys("Delete");
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(LMCount(SECurrentRoot()->barCharts), 0) << "the deleted chart's record stayed";
    EXPECT_EQ(FindBarChart("Bar Chart 1", nullptr), 0);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(ChartDialogsProgramTest, LineChartMadeFromTheMenuKeepsItsOptionsAndCancelRemovesANewChart)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // A new chart whose dialog is cancelled leaves nothing behind.
    std::optional<WindowInfo> dialog = NewChart(kTypeLine, kLineFrom, kLineTo);
    ASSERT_TRUE(dialog.has_value()) << "the line chart dialog did not open";
    ClickItem(*dialog, kCancel);
    ASSERT_TRUE(DialogGone(kChartWidth));

    // The type chosen last is preselected: OK alone makes a line chart.
    PickChartMenu("TOLQ", "Chart...");
    const std::optional<WindowInfo> typeDialog = WaitForDialog(kChartTypeWidth);
    ASSERT_TRUE(typeDialog.has_value());
    ClickItem(*typeDialog, kTypeOk);
    ASSERT_TRUE(DialogGone(kChartTypeWidth));
    DrawBox(kLineFrom, kLineTo);
    dialog = WaitForDialog(kChartWidth);
    ASSERT_TRUE(dialog.has_value()) << "the line chart dialog did not open again";

    Type(*dialog, kLines, "2");
    Type(*dialog, kXMax, "0");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "x Max not above x Min"));
    Type(*dialog, kXMax, "200");
    Type(*dialog, kYOrigin, "500");
    ASSERT_NO_FATAL_FAILURE(ExpectRefused(*dialog, "y Origin above y Max"));
    Type(*dialog, kYOrigin, "0");
    ClickItem(*dialog, kAxisNames);  // off
    ClickItem(*dialog, kMoveAxis);
    ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(FindLineChart("Line Chart 2", nullptr), 0) << "the cancelled chart took a name";
    const LineChartAttributes a = LineSettings("Line Chart 1");
    EXPECT_EQ(a.lineCount, 2);
    EXPECT_GE(std::atof(a.xMax), 200);
    EXPECT_EQ(a.axisNames, 0);
    EXPECT_EQ(a.rescaleAxis, 0);
    EXPECT_EQ(a.moveAxis, 1);
    const SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(LMCount(root->lineCharts), 1) << "the cancelled chart's record stayed";
    EXPECT_TRUE(tolq_.running());
}

// A chart's code region copied and pasted onto another chart of its kind
// (picked as the owner) gives that chart the copied code, in its region and
// in its record.
TEST_F(ChartDialogsProgramTest, ACodeRegionPastedOntoAChartGivesItTheCode)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    // The first chart stands right of the second, so that the part of its
    // code region right of the second chart's is its own.
    constexpr Spot kFirstFrom{390, 20}, kFirstTo{510, 100};
    constexpr Spot kSecondFrom{250, 20}, kSecondTo{370, 100};
    for (const auto& [from, to] : {std::pair{kFirstFrom, kFirstTo}, std::pair{kSecondFrom, kSecondTo}}) {
        const std::optional<WindowInfo> dialog = NewChart(kTypeLine, from, to);
        ASSERT_TRUE(dialog.has_value()) << "the line chart dialog did not open";
        ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
    }
    std::string firstCode;
    Spot firstCodeSpot{}, secondFrameSpot{};
    {
        ASSERT_NO_FATAL_FAILURE(Save());
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        SELineChart* first = nullptr;
        SELineChart* second = nullptr;
        ASSERT_EQ(FindLineChart("Line Chart 1", &first), 1);
        ASSERT_EQ(FindLineChart("Line Chart 2", &second), 1);
        ASSERT_NE(LineChartFields(*first).codeText, nullptr);
        firstCode = LineChartFields(*first).codeText;
        const ObjectHandle firstFrame = LineChartFields(*first).frame;
        const ObjectHandle secondFrame = LineChartFields(*second).frame;
        const int firstRight = SpotOf(saved, firstFrame).x + SizeOf(firstFrame).x / 2;
        const int secondRight = SpotOf(saved, secondFrame).x + SizeOf(secondFrame).x / 2;
        ASSERT_GT(firstRight, secondRight + 10);
        firstCodeSpot = {(firstRight + secondRight) / 2, SpotOf(saved, firstFrame).y + SizeOf(firstFrame).y / 2 + 40};
        secondFrameSpot = SpotOf(saved, secondFrame);
    }
    const int scroll = ScrollX();
    ClickAt({firstCodeSpot.x + scroll, firstCodeSpot.y});
    Settle();
    Keys("alt+c");
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the code region was refused";
    Keys("alt+v");
    Settle();
    ClickAt({secondFrameSpot.x + scroll, secondFrameSpot.y}); // the owner
    Settle();
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SELineChart* second = nullptr;
    ASSERT_EQ(FindLineChart("Line Chart 2", &second), 1);
    LineChartFields c(*second);
    ASSERT_NE(c.codeText, nullptr);
    EXPECT_EQ(std::string(c.codeText), firstCode);
    ObjectHandle region = 0;
    ASSERT_NE(GE_GetRegion(c.frame, kLineCodeRegion, &region), 0);
    EXPECT_EQ(TextOf(region), firstCode);
    EXPECT_TRUE(tolq_.running());
}

// Set > Region Attributes... on a chart's code region moves it to the offset
// typed from its owner; on the chart's frame (no region) it is refused.
TEST_F(ChartDialogsProgramTest, RegionAttributesPlaceAChartsCodeRegion)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    constexpr Spot kFrom{250, 20}, kTo{370, 100};
    const std::optional<WindowInfo> dialog = NewChart(kTypeLine, kFrom, kTo);
    ASSERT_TRUE(dialog.has_value()) << "the line chart dialog did not open";
    ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
    Spot frameCorner{}, codeSpot{};
    {
        ASSERT_NO_FATAL_FAILURE(Save());
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        SELineChart* chart = nullptr;
        ASSERT_EQ(FindLineChart("Line Chart 1", &chart), 1);
        const ObjectHandle frame = LineChartFields(*chart).frame;
        const Spot centre = SpotOf(saved, frame);
        const Spot size = SizeOf(frame);
        // The empty top right corner of the frame; the code region hangs
        // below the frame, right-aligned with it.
        frameCorner = {centre.x + size.x / 2 - 8, centre.y - size.y / 2 + 5};
        codeSpot = {centre.x + size.x / 2 - 20, centre.y + size.y / 2 + 40};
    }
    const int scroll = ScrollX();

    constexpr int kRegionWidth = 460;
    constexpr Item kHorizontal{120, 40, 80, 24};
    constexpr Item kVertical{120, 70, 80, 24};
    constexpr Item kRegionOk{370, 256, 80, 24};
    ClickAt({frameCorner.x + scroll, frameCorner.y});
    PickChartMenu("Set", "Region Attributes...");
    EXPECT_TRUE(AnswerMessageBox()) << "the frame was not refused";
    EXPECT_TRUE(DialogsOfWidth(kRegionWidth).empty());

    ClickAt({codeSpot.x + scroll, codeSpot.y});
    PickChartMenu("Set", "Region Attributes...");
    const std::optional<WindowInfo> region = WaitForDialog(kRegionWidth);
    ASSERT_TRUE(region.has_value()) << "the region dialog did not open";
    Type(*region, kHorizontal, "-150");
    Type(*region, kVertical, "-90");
    ClickItem(*region, kRegionOk);
    ASSERT_TRUE(DialogGone(kRegionWidth));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SELineChart* chart = nullptr;
    ASSERT_EQ(FindLineChart("Line Chart 1", &chart), 1);
    ObjectHandle code = 0;
    ASSERT_NE(GE_GetRegion(LineChartFields(*chart).frame, kLineCodeRegion, &code), 0);
    Fixed rx = 0, ry = 0, ox = 0, oy = 0;
    QXRdAttr_GetPosition(code, &rx, &ry);
    QXRdAttr_GetPosition(QXStr_GetObjectPage(code), &ox, &oy);
    EXPECT_EQ(QXUtil_FixedToInt(rx - ox), -150);
    EXPECT_EQ(QXUtil_FixedToInt(oy - ry), -90);
    EXPECT_TRUE(tolq_.running());
}

// A line chart and a bar chart made from the menus, updated at every step,
// with actions that show the step number: an automatic run of the example
// plots a point per step into the line chart and leaves the last step's
// number in the bar chart; Sim > Update Chart on the line chart adds a point.
TEST_F(ChartDialogsProgramTest, AnAutomaticRunUpdatesTheChartsAtEveryStep)
{
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPages().front();
        ASSERT_EQ(EE_SetModeAttributes(page, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, kEEModeKeep, 1, 1), 1);
        ASSERT_TRUE(diagram.Save());
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    // Side by side at the top of the page; each code region hangs below its
    // chart, the bar chart's over the line chart's, so the line chart's code
    // is typed first.
    constexpr Spot kLineFrom{250, 20}, kLineTo{370, 100};
    constexpr Spot kBarFrom2{425, 20}, kBarTo2{530, 100};
    struct Made {
        Item type;
        Spot from, to;
        int tailLength;
        const char* tail;
    };
    const Made charts[] = {
        {kTypeLine, kLineFrom, kLineTo, 26, "(1, step(), step() * 2, true, true)]};"}, // was "(1, vx, vy, true, true)]};"
        {kTypeBar, kBarFrom2, kBarTo2, 18, "(1, [step()], true)]};"},                  // was "(1, [v1], true)]};"
    };
    Spot lineCorner{};
    for (const Made& made : charts) {
        const std::optional<WindowInfo> dialog = NewChart(made.type, made.from, made.to);
        ASSERT_TRUE(dialog.has_value()) << "the chart dialog did not open";
        ClickItem(*dialog, kStep);
        Type(*dialog, kStepText, "1");
        ASSERT_NO_FATAL_FAILURE(PressOkAndExpectClosed(*dialog));
        Spot code{};
        {
            ASSERT_NO_FATAL_FAILURE(Save());
            NetDiagram saved(diagram_);
            ASSERT_TRUE(saved.ok());
            ObjectHandle frame = 0;
            if (made.type.y == kTypeLine.y) {
                SELineChart* line = nullptr;
                ASSERT_EQ(FindLineChart("Line Chart 1", &line), 1);
                frame = LineChartFields(*line).frame;
            } else {
                SEBarChart* bar = nullptr;
                ASSERT_EQ(FindBarChart("Bar Chart 1", &bar), 1);
                frame = BarChartFields(*bar).frame;
            }
            const Spot centre = SpotOf(saved, frame);
            const Spot size = SizeOf(frame);
            code = {centre.x + size.x / 2 - 20, centre.y + size.y / 2 + 30};
            if (made.type.y == kTypeLine.y)
                lineCorner = {centre.x + size.x / 2 - 8, centre.y - size.y / 2 + 5};
        }
        const int scroll = ScrollX();
        ClickAt({code.x + scroll, code.y});
        Keys("alt+t"); // text editing on, the cursor after the text
        xdotool({"key", "--repeat", std::to_string(made.tailLength), "BackSpace"});
        client_.type_text(made.tail);
        Settle();
        Keys("alt+t"); // text editing off
        ClickAt({515, 660}); // below and right of the code regions
    }
    ASSERT_NO_FATAL_FAILURE(Save());
    {
        NetDiagram saved(diagram_);
        SELineChart* line = nullptr;
        ASSERT_EQ(FindLineChart("Line Chart 1", &line), 1);
        ASSERT_NE(LineChartFields(*line).codeText, nullptr);
        ASSERT_NE(std::string(LineChartFields(*line).codeText).find("step() * 2"), std::string::npos)
            << LineChartFields(*line).codeText;
    }

    const std::vector<std::string> simTitles = {"File", "Edit", "Sim", "Aux", "Set",
                                                "Makeup", "Page", "Group", "Text", "Align"};
    auto pick = [&](const std::vector<std::string>& titles, const std::string& title, const std::string& item) {
        const MenuPick p = PickMenuItem(client_, bar_, font_, MenuTable{titles, kMenuItems}, title, item);
        ASSERT_TRUE(p.itemListed) << item;
        ASSERT_TRUE(p.opened) << title << " did not open";
        Settle();
    };
    ASSERT_NO_FATAL_FAILURE(pick(kMenuTitles, "File", "Enter Simulator"));
    ASSERT_TRUE(wait_until([&] { return ScanTolqWindows(client_).main.id != 0; }, 60s));
    std::this_thread::sleep_for(5s);
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the switch showed a message";
    ASSERT_NO_FATAL_FAILURE(pick(simTitles, "Sim", "Automatic Run"));
    EXPECT_TRUE(AnswerMessageBox(60s)) << "the run did not end with its message";
    // Update Chart on the line chart adds one more point.
    ClickAt({lineCorner.x + ScrollX(), lineCorner.y});
    ASSERT_NO_FATAL_FAILURE(pick(simTitles, "Sim", "Update Chart"));
    EXPECT_TRUE(NoMessageBoxFor(1s));
    // Back in the editor the diagram is saved with what the charts show.
    std::map<std::string, std::vector<std::string>> simItems = kMenuItems;
    for (std::string& item : simItems["File"])
        if (item == "Enter Simulator")
            item = "Enter Editor";
    {
        const MenuPick p = PickMenuItem(client_, bar_, font_, MenuTable{simTitles, simItems}, "File", "Enter Editor");
        ASSERT_TRUE(p.itemListed && p.opened);
        Settle();
    }
    ASSERT_NO_FATAL_FAILURE(Save());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SELineChart* line = nullptr;
    SEBarChart* bar = nullptr;
    ASSERT_EQ(FindLineChart("Line Chart 1", &line), 1);
    ASSERT_EQ(FindBarChart("Bar Chart 1", &bar), 1);
    LineChartFields l(*line);
    ASSERT_GE(l.lineCount, 1);
    ASSERT_NE(l.series, nullptr);
    const ObjectHandle firstPoint = l.series[0].objectA;
    ASSERT_NE(firstPoint, 0u) << "no point was plotted";
    int points = 1;
    for (ObjectHandle region : RegionsOf(firstPoint)) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(region, &kind);
        points += kind == 5086 ? 1 : 0;
    }
    // The bar shows the number of the last step, and the line has a point
    // for every step up to it, one more when the chart is also updated at
    // the end of the run, and one for Update Chart.
    BarChartFields b(*bar);
    const std::vector<double> last = BarChartValues(b, 0);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_GE(last[0], 10);
    EXPECT_EQ(points, static_cast<int>(last[0]) + (l.endOfRun != 0 ? 1 : 0) + 1) << "one point per step of the run";
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
