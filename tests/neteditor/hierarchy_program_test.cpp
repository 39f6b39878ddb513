// The hierarchy and fusion commands of the real tolq on a copy of the example
// net, driven through the menus, dialogs and picks as a user drives them:
// Substitution Transition with the subpage picked on the hierarchy page,
// Fusion Place... making a set of two places, Merge Node, Move Node and Move
// to Subpage of three nodes behind a newly drawn transition. After each the
// diagram is saved and read back here with the net layer: the net data base
// holds the net as the drawing shows it.
#include "MainRoadSession.h"

#include <array>
#include <cstring>

#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/Resources/DialogTables.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Fixed kPixel = 0x8000;
constexpr const char* kSubpageName = "Work";
constexpr const char* kPortName = "Arrive";

// Where an object of a page lies in its window's drawing area: the page
// windows show their pages from the same origin, found from Produce.
Spot SpotOf(const NetDiagram& diagram, ObjectHandle object)
{
    Fixed px = 0, py = 0, x = 0, y = 0;
    QXRdAttr_GetPosition(diagram.NodeNamed("Produce"), &px, &py);
    QXRdAttr_GetPosition(object, &x, &y);
    return {kProduceSpot.x + (x - px) / kPixel, kProduceSpot.y + (y - py) / kPixel};
}

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return object != 0 && GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

std::string NameOf(SEHead* record)
{
    const char* name = record != nullptr ? SEGetName(record) : nullptr;
    return name != nullptr ? name : "";
}

std::string PageName(ObjectHandle page)
{
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
    return name;
}

// Where a click reaches an item of a dialog, from the dialog tables tolq is
// built with: a text's centre, a control's left end (a radio button's circle).
std::optional<Spot> ItemCentre(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount)
            continue;
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemText) {
            const DialogTextRow& t = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            return Spot{t.x + t.width / 2, t.y + t.height / 2};
        }
        if (DialogItem_Kind(row) == kItemControl) {
            const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
            return Spot{c.x + 10, c.y + c.height / 2};
        }
    }
    return std::nullopt;
}

const std::map<std::string, std::vector<std::string>> kHierarchyMenus = [] {
    auto menus = kMenuItems;
    menus["Makeup"] = {"Select",        "Drag",          "Displace",    "Adjust",         "Fit to Text",
                       "Change Shape",  "",              "Duplicate Node", "Move Node",   "Merge Node",
                       "",              "Hide Regions",  "Show Regions", "Bring Forward", "",
                       "Parent Object", "Child Object",  "Next Object", "Previous Object"};
    menus["Set"] = {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
                    "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "",
                    "Hierarchy Page Options...", "Interaction Options...", "", "Merge Options...", "Text Options...",
                    "Syntax Options...", "", "Simulation Code Options...", "General Simulation Options...",
                    "Interactive Simulation Options...", "Occurrence Set Options...", "Transition Feedback Options...",
                    "", "ML Configuration Options...", "", "Copy Defaults..."};
    return menus;
}();

constexpr int kFusionDialog = 30175;
constexpr int kFusionOk = 1;
constexpr int kFusionAddTo = 7;
constexpr int kFusionName = 14;
constexpr int kPortDialog = 30045;
constexpr int kPortOk = 1;
constexpr int kInputPort = 6;
constexpr int kOutputPort = 7;
constexpr int kInOutPort = 8;
constexpr int kGeneralPort = 5;
constexpr int32_t kPortTagKind = 4117;
constexpr int kMergeDialog = 30078;
constexpr int kMergeOk = 1;
constexpr int kMergeArcs = 8;

class HierarchyProgramTest : public TolqSession {
protected:
    void Pick(const std::string& title, const std::string& item)
    {
        const MenuPick pick =
            PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kHierarchyMenus}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    Spot SpotOfName(const std::string& name)
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle node = diagram.NodeNamed(name);
        EXPECT_NE(node, 0u) << "no node " << name;
        return SpotOf(diagram, node);
    }

    // Gives the diagram a second page "Work" with one input port place,
    // written with the program's own net layer; where the page's node lies
    // on the hierarchy page.
    Spot AddSubpageWithInputPort()
    {
        NetDiagram diagram(diagram_);
        EXPECT_TRUE(diagram.ok());
        const ObjectHandle page = QXStr_CreatePageOpt(1, 257);
        EXPECT_NE(page, 0u);
        EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
        char name[256] = {};
        uint16_t number = 0;
        int16_t width = 0, height = 0;
        uint32_t border = 0;
        QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
        QXWtAttr_SetPageAttr(page, kSubpageName, number, width, height, border);
        EE_PageChangedHook(page, 0, 0, 0, 0, 0);
        const ObjectHandle place = QXStr_CreateNode(page, 200 * kPixel, 200 * kPixel, 60 * kPixel, 40 * kPixel, 2);
        EXPECT_NE(place, 0u);
        QXText_SetText(place, kPortName);
        EXPECT_EQ(EE_CreateNetPlace(place), 1);
        EE_StorePlaceTexts(place);
        EXPECT_EQ(EE_MakePort(place, kSEPortInput), 1);
        EXPECT_TRUE(diagram.Save());
        for (ObjectHandle node : NodesOf(diagram.HierarchyPage())) {
            if (PGNodePage(node) == page)
                return SpotOf(diagram, node);
        }
        ADD_FAILURE() << "the new page has no node on the hierarchy page";
        return {};
    }

    // The drawing area of a page window other than the net's first page,
    // once one is shown.
    std::optional<WindowInfo> OtherPageWindow()
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const TolqPageWindow& page : ScanTolqWindows(client_).pages) {
                if (page.drawing.id != 0 && page.drawing.id != drawing_.id)
                    found = page.drawing;
            }
            return found.has_value();
        });
        // The window is drawn and the pick waits in it.
        Settle();
        std::this_thread::sleep_for(600ms);
        return found;
    }

    void ClickInWindow(const WindowInfo& window, Spot spot)
    {
        client_.click(window.root_x + spot.x, window.root_y + spot.y);
        Settle();
    }

    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree()) {
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        }
        return out;
    }

    std::optional<WindowInfo> WaitForDialog(int width, int height) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : Dialogs()) {
                if (w.width == width && w.height == height)
                    found = w;
            }
            return found.has_value();
        });
        return found;
    }

    void ClickItem(const WindowInfo& dialog, int number, int item)
    {
        const std::optional<Spot> centre = ItemCentre(number, item);
        ASSERT_TRUE(centre.has_value()) << "dialog " << number << " has no item " << item;
        client_.click(dialog.root_x + centre->x, dialog.root_y + centre->y);
        Settle();
    }

    // Fusion Place... on the selected place: the operation item (0 leaves
    // the one preselected), the name typed, OK.
    void AnswerFusionDialog(int operation, const std::string& name)
    {
        ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Fusion Place..."));
        const std::optional<WindowInfo> dialog = WaitForDialog(440, 300);
        ASSERT_TRUE(dialog.has_value()) << "no fusion dialog";
        if (operation != 0) {
            ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kFusionDialog, operation));
        }
        ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kFusionDialog, kFusionName));
        xdotool({"type", name});
        Settle();
        ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kFusionDialog, kFusionOk));
        ASSERT_TRUE(wait_until([&] { return Dialogs().empty(); })) << "the fusion dialog stayed open";
    }

    // Presses on an empty spot and drags to the other corner: the nodes
    // inside become the selected group.
    void RubberBand(Spot from, Spot to)
    {
        const int x0 = drawing_.root_x + from.x, y0 = drawing_.root_y + from.y;
        const int x1 = drawing_.root_x + to.x, y1 = drawing_.root_y + to.y;
        client_.move_pointer(x0, y0);
        Settle();
        xdotool({"mousedown", "1"});
        for (int step = 1; step <= 4; ++step) {
            client_.move_pointer(x0 + (x1 - x0) * step / 4, y0 + (y1 - y0) * step / 4);
            std::this_thread::sleep_for(50ms);
        }
        xdotool({"mouseup", "1"});
        Settle();
    }
};

TEST_F(HierarchyProgramTest, SubstitutionTransitionTakesThePickedSubpageAndAssignsItsPort)
{
    const Spot workNode = AddSubpageWithInputPort();
    ASSERT_FALSE(HasFailure());
    const Spot consume = SpotOfName("Consume");
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Substitution Transition"));
    const std::optional<WindowInfo> hierarchy = OtherPageWindow();
    ASSERT_TRUE(hierarchy.has_value()) << "the hierarchy page was not shown for the pick";
    ClickInWindow(*hierarchy, workNode);
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the command refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());
    {
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        const ObjectHandle node = saved.NodeNamed("Consume");
        SEHead* record = RecordOf(node);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->subKind, kSESubstitution);
        const ObjectHandle subpage = SEGetSubpageObj(record);
        ASSERT_NE(subpage, 0u) << "Consume has no subpage";
        EXPECT_EQ(PageName(subpage), kSubpageName);
        SEHead* port = SEGetAssignment(record, RecordOf(saved.NodeNamed("Buffer")));
        EXPECT_EQ(NameOf(port), kPortName) << "Buffer is not assigned to the port";
        const std::string tags = AllTexts(node);
        EXPECT_NE(tags.find("HS"), std::string::npos) << tags;
        EXPECT_NE(tags.find(kSubpageName), std::string::npos) << tags;
    }
    // A double click on the substitution transition opens its subpage.
    const size_t windows = ScanTolqWindows(client_).pages.size();
    client_.move_pointer(drawing_.root_x + consume.x, drawing_.root_y + consume.y);
    xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    EXPECT_TRUE(wait_until([&] { return ScanTolqWindows(client_).pages.size() > windows; }))
        << "the subpage was not opened";
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, SubstitutionTransitionWithTheSubpageNotPickedChangesNothing)
{
    AddSubpageWithInputPort();
    ASSERT_FALSE(HasFailure());
    const Spot consume = SpotOfName("Consume");
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(consume);
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Substitution Transition"));
    const std::optional<WindowInfo> hierarchy = OtherPageWindow();
    ASSERT_TRUE(hierarchy.has_value());
    Keys("Escape");
    ClickInWindow(*hierarchy, {5, 5});
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SEHead* record = RecordOf(saved.NodeNamed("Consume"));
    ASSERT_NE(record, nullptr);
    EXPECT_NE(record->subKind, kSESubstitution);
    EXPECT_EQ(SEGetSubpageObj(record), 0u);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, FusionPlaceMakesOneGlobalSetOfTwoPlaces)
{
    const Spot buffer = SpotOfName("Buffer");
    const Spot next = SpotOfName("Next");
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(buffer);
    ASSERT_NO_FATAL_FAILURE(AnswerFusionDialog(0, "Pool"));
    ClickAt(next);
    ASSERT_NO_FATAL_FAILURE(AnswerFusionDialog(kFusionAddTo, "Pool"));
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    EXPECT_TRUE(DataBaseHolds(diagram_, "Pool"));
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    SEHead* first = RecordOf(saved.NodeNamed("Buffer"));
    SEHead* second = RecordOf(saved.NodeNamed("Next"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(SEIsFusMem(first), 1);
    ASSERT_EQ(SEIsFusMem(second), 1);
    SEHead* set = SEGetFusSet(first);
    EXPECT_EQ(SEGetFusSet(second), set);
    EXPECT_EQ(NameOf(set), "Pool");
    EXPECT_EQ(set->subKind, kSEFusGlobal);
    for (const char* place : {"Buffer", "Next"}) {
        const std::string tags = AllTexts(saved.NodeNamed(place));
        EXPECT_NE(tags.find("Pool"), std::string::npos) << place << ": " << tags;
        EXPECT_NE(tags.find("FG"), std::string::npos) << place << ": " << tags;
    }
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, MergeNodeMergesOnePlaceIntoThePickedOne)
{
    const Spot buffer = SpotOfName("Buffer");
    const Spot next = SpotOfName("Next");
    size_t nodesBefore = 0;
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        nodesBefore = NodesOf(diagram.NetPages().front()).size();
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(next);
    ASSERT_NO_FATAL_FAILURE(Pick("Makeup", "Merge Node"));
    ClickAt(buffer);
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.NodeNamed("Next"), 0u) << "the merged place is still there";
    const ObjectHandle target = saved.NodeNamed("Buffer");
    ASSERT_NE(target, 0u);
    const ObjectHandle page = saved.NetPages().front();
    EXPECT_EQ(NodesOf(page).size(), nodesBefore - 1);
    // Every arc of the page has its record and joins living nodes: the
    // arcs of the merged place now end at Buffer.
    size_t atTarget = 0;
    for (ObjectHandle connector : ConnectorsOnPage(page)) {
        ObjectHandle start = 0, end = 0;
        ASSERT_NE(QXRdAttr_GetConnEnds(connector, 0, &start, &end), 0u);
        EXPECT_NE(RecordOf(connector), nullptr);
        atTarget += QXStr_GetBaseObject(start) == target || QXStr_GetBaseObject(end) == target ? 1 : 0;
    }
    EXPECT_GE(atTarget, 3u);
    SEHead* produce = RecordOf(saved.NodeNamed("Produce"));
    EXPECT_EQ(SEArcDirection(RecordOf(target), produce), 3) << "Produce's loop did not move to Buffer";
    EXPECT_FALSE(DataBaseHolds(diagram_, "Next"));
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, MoveNodeTakesThePlaceToThePickedPage)
{
    const Spot workNode = AddSubpageWithInputPort();
    ASSERT_FALSE(HasFailure());
    const Spot next = SpotOfName("Next");
    ASSERT_NO_FATAL_FAILURE(Start());
    ClickAt(next);
    ASSERT_NO_FATAL_FAILURE(Pick("Makeup", "Move Node"));
    const std::optional<WindowInfo> hierarchy = OtherPageWindow();
    ASSERT_TRUE(hierarchy.has_value()) << "the hierarchy page was not shown for the pick";
    ClickInWindow(*hierarchy, workNode);
    EXPECT_TRUE(NoMessageBoxFor(1s));
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const ObjectHandle moved = saved.NodeNamed("Next");
    ASSERT_NE(moved, 0u);
    const ObjectHandle page = QXStr_GetObjectPage(moved);
    EXPECT_EQ(PageName(page), kSubpageName);
    SEHead* record = RecordOf(moved);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->owner, RecordOf(page)) << "the record stayed with the old page";
    // The arcs to Produce went with the move: none is left on either page.
    EXPECT_EQ(SEArcDirection(record, RecordOf(saved.NodeNamed("Produce"))), 0);
    EXPECT_TRUE(GE_ConnectorsOf(moved).empty());
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, MoveToSubpageOfThreeNodesPutsThemBehindADrawnTransition)
{
    const Spot produce = SpotOfName("Produce");
    const Spot buffer = SpotOfName("Buffer");
    const Spot consume = SpotOfName("Consume");
    const Spot next = SpotOfName("Next");
    ASSERT_NO_FATAL_FAILURE(Start());
    // A rubber band around Produce, Buffer and Consume, Next left outside.
    ASSERT_NO_FATAL_FAILURE(RubberBand({produce.x - 48, produce.y - 70}, {buffer.x + 95, consume.y + 55}));
    ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Move to Subpage"));
    // The new substitution transition is drawn on an empty spot below Next,
    // once the drawing has begun.
    std::this_thread::sleep_for(1s);
    ClickAt({next.x + 40, next.y + 150});
    EXPECT_TRUE(NoMessageBoxFor(1s)) << "the command refused or failed";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::vector<ObjectHandle> pages = saved.NetPages();
    ASSERT_EQ(pages.size(), 2u) << "no subpage was made";
    // Next stays on the top page; its port copy of the same name lies on the
    // subpage.
    const ObjectHandle subpage = QXStr_GetObjectPage(saved.NodeNamed("Produce"));
    const ObjectHandle top = subpage == pages.front() ? pages.back() : pages.front();
    ObjectHandle outside = 0;
    for (ObjectHandle node : NodesOf(top)) {
        if (NameOf(RecordOf(node)) == "Next")
            outside = node;
    }
    ASSERT_NE(outside, 0u) << "Next left the top page";
    for (const char* name : {"Produce", "Buffer", "Consume"}) {
        const ObjectHandle node = saved.NodeNamed(name);
        ASSERT_NE(node, 0u) << name;
        EXPECT_EQ(QXStr_GetObjectPage(node), subpage) << name << " did not move";
        EXPECT_EQ(RecordOf(node)->owner, RecordOf(subpage)) << name;
    }
    // On the top page: Next and the drawn substitution transition, joined
    // both ways, with Next assigned to its port copy on the subpage.
    ObjectHandle compound = 0;
    for (ObjectHandle node : NodesOf(top)) {
        SEHead* record = RecordOf(node);
        if (record != nullptr && record->kind == kSETrans)
            compound = node;
    }
    ASSERT_NE(compound, 0u) << "no transition was drawn";
    SEHead* compoundRecord = RecordOf(compound);
    EXPECT_EQ(compoundRecord->subKind, kSESubstitution);
    EXPECT_EQ(SEGetSubpageObj(compoundRecord), subpage);
    EXPECT_EQ(SEArcDirection(RecordOf(outside), compoundRecord), 3);
    SEHead* port = SEGetAssignment(compoundRecord, RecordOf(outside));
    ASSERT_NE(port, nullptr) << "Next has no port";
    EXPECT_EQ(port->owner, RecordOf(subpage));
    EXPECT_EQ(port->subKind, kSEPortInOut);
    EXPECT_EQ(SEArcDirection(port, RecordOf(saved.NodeNamed("Produce"))), 3);
    EXPECT_NE(AllTexts(SEGetKVObj(port)).find("I/O"), std::string::npos);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, PortPlaceShowsThePortTypeChosenAndChangesIt)
{
    const Spot buffer = SpotOfName("Buffer");
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Step {
        int item;
        uint16_t portType;
        const char* tag;
    };
    const Step steps[] = {{kInputPort, kSEPortInput, "In"},
                          {kOutputPort, kSEPortOutput, "Out"},
                          {kInOutPort, kSEPortInOut, "I/O"},
                          {kGeneralPort, kSEPortGeneral, "Gen"}};
    for (const Step& step : steps) {
        ClickAt(buffer);
        ASSERT_NO_FATAL_FAILURE(Pick("TOLQ", "Port Place..."));
        const std::optional<WindowInfo> dialog = WaitForDialog(370, 212);
        ASSERT_TRUE(dialog.has_value()) << "no port dialog";
        ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kPortDialog, step.item));
        ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kPortDialog, kPortOk));
        ASSERT_TRUE(wait_until([&] { return Dialogs().empty(); })) << "the port dialog stayed open";
        EXPECT_TRUE(NoMessageBoxFor(1s));
        ASSERT_NO_FATAL_FAILURE(Save());
        NetDiagram saved(diagram_);
        ASSERT_TRUE(saved.ok());
        const ObjectHandle place = saved.NodeNamed("Buffer");
        SEHead* record = RecordOf(place);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->subKind, step.portType);
        std::vector<std::string> portTags;
        std::vector<ObjectHandle> regions = RegionsOf(place);
        for (size_t i = 0; i < regions.size(); ++i) {
            for (ObjectHandle inner : RegionsOf(regions[i]))
                regions.push_back(inner);
            uint32_t kind = 0;
            QXRdAttr_GetRegionKind(regions[i], &kind);
            if (static_cast<int32_t>(kind) == kPortTagKind)
                portTags.push_back(TextOf(regions[i]));
        }
        EXPECT_EQ(portTags, std::vector<std::string>{step.tag}) << "the port tag does not show the port type";
    }
    EXPECT_TRUE(tolq_.running());
}

TEST_F(HierarchyProgramTest, MergeOptionsBecomeTheDiagramsMergeDefaults)
{
    std::array<uint32_t, 6> before{};
    {
        NetDiagram diagram(diagram_);
        ASSERT_TRUE(diagram.ok());
        ASSERT_NE(DefGetMergeOptions(before.data(), kDefLevelDiagram), 0);
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Pick("Set", "Merge Options..."));
    const std::optional<WindowInfo> dialog = WaitForDialog(440, 270);
    ASSERT_TRUE(dialog.has_value()) << "no merge options dialog";
    ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kMergeDialog, kMergeArcs));
    ASSERT_NO_FATAL_FAILURE(ClickItem(*dialog, kMergeDialog, kMergeOk));
    ASSERT_TRUE(wait_until([&] { return Dialogs().empty(); })) << "the merge options dialog stayed open";
    ASSERT_NO_FATAL_FAILURE(Save());
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    std::array<uint32_t, 6> after{};
    ASSERT_NE(DefGetMergeOptions(after.data(), kDefLevelDiagram), 0);
    EXPECT_EQ(after[0] != 0, before[0] == 0) << "Merge Arcs did not change";
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_EQ(after[i] != 0, before[i] != 0) << "switch " << i;
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
