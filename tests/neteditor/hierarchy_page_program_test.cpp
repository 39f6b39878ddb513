// The hierarchy page of the real tolq, kept in step through the menus: the
// example's page renamed with Page Attributes, Produce moved to a subpage,
// a page made with New Page, the layout options set in their dialog and the
// hierarchy redrawn; the saved diagram read back here shows a node per page
// with the page's name, the substitution's arc labelled with Produce and the
// nodes placed by the options typed. A page node deleted on the hierarchy
// page takes its page along; a page node's mode attributes set there reach
// its page; the hierarchy page rebuilt from scratch keeps all of it.
#include "MainRoadSession.h"

#include "atolq/CEditor/NetServices.h"
#include "atolq/Resources/DialogTables.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// The menus this session picks from, as tolq lays them out.
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
    {"TOLQ", kMenuItems.at("TOLQ")},
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
    {"Page",
     {"New Page", "Open Page", "Close Page", "", "Scroll", "Blowup", "Reduce", "Cleanup", "",
      "Redraw Hierarchy..."}},
};

// The centre of a dialog item in the dialog's own coordinates.
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
        if (DialogItem_Kind(row) != kItemControl)
            return std::nullopt;
        const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
        // Check boxes and radio buttons are clicked on their box.
        return c.type == 0 ? Spot{c.x + c.width / 2, c.y + c.height / 2} : Spot{c.x + 11, c.y + 11};
    }
    return std::nullopt;
}

std::optional<Spot> DialogSize(int dialog)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number == dialog)
            return Spot{record.width, record.height};
    }
    return std::nullopt;
}

// A field of a dialog and the text typed over its own.
struct Typed {
    int item;
    std::string text;
};

class HierarchyPageProgramTest : public TolqSession {
protected:
    void PickItem(const std::string& title, const std::string& item)
    {
        KeepPagesBelowMenuBar();
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with " << pick.height << " pixels of items";
        Settle();
    }

    // New page windows open where they like; the menu bar must stay free.
    void KeepPagesBelowMenuBar()
    {
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages) {
            if (page.shell.root_y < 120) {
                xdotool({"windowmove", std::to_string(page.shell.id), "0", "140"});
                Settle();
            }
        }
    }

    std::optional<WindowInfo> WaitForDialog(int dialog, std::chrono::milliseconds limit = 10s)
    {
        const std::optional<Spot> size = DialogSize(dialog);
        std::optional<WindowInfo> found;
        if (!size)
            return found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree()) {
                if (w.parent == client_.root() && w.mapped && w.width == size->x && w.height == size->y) {
                    found = w;
                    return true;
                }
            }
            return false;
        }, limit);
        return found;
    }

    void ClickItem(const WindowInfo& shell, int dialog, int item)
    {
        const std::optional<Spot> at = ItemCentre(dialog, item);
        ASSERT_TRUE(at.has_value()) << "item " << item << " of dialog " << dialog;
        client_.click(shell.root_x + at->x, shell.root_y + at->y);
        Settle();
    }

    // Clicks the items, types over the fields, then OK; the dialog closes.
    void AnswerDialog(int dialog, const std::vector<int>& clicks, const std::vector<Typed>& typed = {})
    {
        const std::optional<WindowInfo> shell = WaitForDialog(dialog);
        ASSERT_TRUE(shell.has_value()) << "dialog " << dialog << " did not open";
        Settle();
        for (int item : clicks)
            ASSERT_NO_FATAL_FAILURE(ClickItem(*shell, dialog, item));
        for (const Typed& field : typed) {
            ASSERT_NO_FATAL_FAILURE(ClickItem(*shell, dialog, field.item));
            client_.key("e", true);
            for (int i = 0; i < 40; ++i)
                client_.key("BackSpace");
            client_.type_text(field.text);
            Settle();
        }
        ASSERT_NO_FATAL_FAILURE(ClickItem(*shell, dialog, 1));
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : client_.window_tree()) {
                if (w.id == shell->id && w.mapped)
                    return false;
            }
            return true;
        })) << "dialog " << dialog << " stayed open";
    }


    // Runs of dark columns in a band of the window, split at gaps wider than
    // 12 pixels: the objects drawn side by side, left to right.
    struct Box {
        int left, top, right, bottom;
        int cx() const { return (left + right) / 2; }
        int cy() const { return (top + bottom) / 2; }
    };
    std::vector<Box> InkClusters(const WindowInfo& window, Box band) const
    {
        const int width = band.right - band.left, height = band.bottom - band.top;
        std::vector<Box> boxes;
        XImage* image = width > 0 && height > 0
                            ? XGetImage(client_.display(), window.id, band.left, band.top,
                                        static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                                        ZPixmap)
                            : nullptr;
        if (image == nullptr)
            return boxes;
        std::vector<int> columnInk(static_cast<size_t>(width), 0);
        int firstRow = height, lastRow = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                if (((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128) {
                    ++columnInk[static_cast<size_t>(x)];
                    firstRow = std::min(firstRow, y);
                    lastRow = std::max(lastRow, y);
                }
            }
        XDestroyImage(image);
        int start = -1, gap = 0;
        auto close = [&](int end) {
            boxes.push_back({band.left + start, band.top + firstRow, band.left + end, band.top + lastRow});
            start = -1;
        };
        for (int x = 0; x < width; ++x) {
            if (columnInk[static_cast<size_t>(x)] > 0) {
                if (start < 0)
                    start = x;
                gap = 0;
            } else if (start >= 0 && ++gap > 12) {
                close(x - gap);
            }
        }
        if (start >= 0)
            close(width - 1);
        return boxes;
    }

    // The page window whose top row shows at least that many objects (a
    // page node's mode regions may follow it).
    std::optional<TolqPageWindow> PageWindowWithTopRow(size_t objects, std::vector<Box>* row)
    {
        for (const TolqPageWindow& page : ScanTolqWindows(client_).pages) {
            if (page.drawing.id == 0)
                continue;
            *row = InkClusters(page.drawing, {14, 12, page.drawing.width - 30, 36});
            if (row->size() >= objects)
                return page;
        }
        return std::nullopt;
    }

    // The saved diagram after the first steps: nodes, the arc, the layout;
    // the mode switches of the pages noted by page name.
    void ReadBackLaidOut();
    std::map<std::string, std::array<uint16_t, 5>> modesBefore_;

    void SaveFromMenu()
    {
        const auto before = fs::last_write_time(diagram_);
        std::this_thread::sleep_for(1100ms);
        ASSERT_NO_FATAL_FAILURE(PickItem("File", "Save"));
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return fs::last_write_time(diagram_, error) != before;
        })) << "the diagram was not saved";
        std::this_thread::sleep_for(500ms);
    }
};

// The five mode attributes of a page, each non-zero when off.
using Modes = std::array<uint16_t, 5>;
Modes ModesOf(ObjectHandle page)
{
    Modes m{};
    uint16_t prime = 0;
    EXPECT_EQ(EE_GetModeAttributes(page, &m[0], &m[1], &m[2], &m[3], &m[4], &prime), 1);
    return m;
}

struct Point {
    Fixed x = 0, y = 0;
};

Point PositionOf(ObjectHandle object)
{
    Point p;
    QXRdAttr_GetPosition(object, &p.x, &p.y);
    return p;
}

std::string PageName(ObjectHandle page)
{
    char name[256] = {};
    QXRdAttr_GetPageAttr(page, name, nullptr, nullptr, nullptr, nullptr);
    return name;
}

TEST_F(HierarchyPageProgramTest, PagesMadeRenamedAndRefinedShowOnTheHierarchyPageLaidOutByItsOptions)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(PickItem("Set", "Page Attributes..."));
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(270, {}, {{8, "Stock"}}));
    ClickAt(kProduceSpot);
    ASSERT_NO_FATAL_FAILURE(PickItem("TOLQ", "Move to Subpage"));
    ASSERT_NO_FATAL_FAILURE(PickItem("Page", "New Page"));
    ASSERT_NO_FATAL_FAILURE(PickItem("Set", "Hierarchy Page Options..."));
    // Grids of 100 and 50 interface units: 50.0 and 25.0 on the page.
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(30007, {}, {{9, "100"}, {10, "50"}}));
    ASSERT_NO_FATAL_FAILURE(PickItem("Page", "Redraw Hierarchy..."));
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(30098, {6}));
    ASSERT_NO_FATAL_FAILURE(SaveFromMenu());
    EXPECT_TRUE(tolq_.running());
    ASSERT_NO_FATAL_FAILURE(ReadBackLaidOut());

    // On the hierarchy page (current since the redraw) the root and the new
    // page's node stand in the top row: the new page's node selected and
    // deleted, the question answered, the page goes with its node.
    std::optional<TolqPageWindow> hierarchy;
    std::vector<Box> row;
    ASSERT_TRUE(wait_until([&] {
        hierarchy = PageWindowWithTopRow(2, &row);
        return hierarchy.has_value();
    })) << "no hierarchy window with two nodes in its top row";

    // The substitution's label "Produce" hangs from the bottom left corner
    // of the subpage's node (second row), as wide as its text: a label box
    // left at the size of an empty text shows a speck at most.
    const std::vector<Box> labelRow = InkClusters(hierarchy->drawing, {14, 136, hierarchy->drawing.width - 30, 170});
    ASSERT_EQ(labelRow.size(), 1u) << "the label is not alone below the subpage's node";
    EXPECT_GE(labelRow[0].right - labelRow[0].left, 25) << "label drawn " << labelRow[0].right - labelRow[0].left;
    EXPECT_GE(labelRow[0].bottom - labelRow[0].top, 3);
    // The node begins the second object; the page's own texts may follow it.
    client_.click(hierarchy->drawing.root_x + row[1].left + 20, hierarchy->drawing.root_y + row[1].cy());
    Settle();
    client_.move_pointer(hierarchy->drawing.root_x + hierarchy->drawing.width / 2,
                         hierarchy->drawing.root_y + hierarchy->drawing.height - 20);
    xdotool({"key", "Delete"});
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(30001, {}));

    // Stock's node, in the row below, selected: its page is not to be made
    // observable (the page form of the mode dialog, item 10).
    std::vector<Box> second;
    ASSERT_TRUE(wait_until([&] {
        second = InkClusters(hierarchy->drawing, {14, 50, hierarchy->drawing.width - 30, 80});
        return !second.empty();
    })) << "Stock's node is not below the root";
    client_.click(hierarchy->drawing.root_x + second[0].left + 20, hierarchy->drawing.root_y + second[0].cy());
    Settle();
    ASSERT_NO_FATAL_FAILURE(PickItem("Set", "Mode Attributes..."));
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(30560, {10}));

    // The hierarchy page's own node has no mode attributes: refused with a
    // message, no dialog.
    client_.click(hierarchy->drawing.root_x + row[0].left + 20, hierarchy->drawing.root_y + row[0].cy());
    Settle();
    ASSERT_NO_FATAL_FAILURE(PickItem("Set", "Mode Attributes..."));
    EXPECT_TRUE(AnswerMessageBox()) << "no refusal for the hierarchy page's node";
    EXPECT_FALSE(WaitForDialog(30560, 1s).has_value());
    EXPECT_TRUE(NoMessageBoxFor(1500ms)) << "a second message followed the refusal";

    // The hierarchy page rebuilt from scratch.
    ASSERT_NO_FATAL_FAILURE(PickItem("Page", "Redraw Hierarchy..."));
    ASSERT_NO_FATAL_FAILURE(AnswerDialog(30098, {7}));
    ASSERT_NO_FATAL_FAILURE(SaveFromMenu());
    EXPECT_TRUE(tolq_.running());

    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::vector<ObjectHandle> pages = saved.NetPages();
    ASSERT_EQ(pages.size(), 2u) << "the new page was not deleted";
    const ObjectHandle page = saved.HierarchyPage();
    EXPECT_EQ(NodesOf(page).size(), 3u) << "a node was left behind";
    for (ObjectHandle each : pages)
        EXPECT_NE(PGFindPageNode(each), 0u) << PageName(each);
    const std::vector<ObjectHandle> arcs = ConnectorsOnPage(page);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_NE(AllTexts(arcs.front()).find("Produce"), std::string::npos) << AllTexts(arcs.front());
    EXPECT_EQ(PageName(page), "Hierarchy");

    // Only Stock's page lost its observe switch.
    for (ObjectHandle each : pages) {
        Modes expected = modesBefore_.at(PageName(each));
        if (PageName(each) == "Stock")
            expected[1] = 1;
        EXPECT_EQ(ModesOf(each), expected) << PageName(each);
    }
}

void HierarchyPageProgramTest::ReadBackLaidOut()
{
    NetDiagram saved(diagram_);
    ASSERT_TRUE(saved.ok());
    const std::vector<ObjectHandle> pages = saved.NetPages();
    ASSERT_EQ(pages.size(), 3u) << "the renamed page, Produce's subpage and the new page";
    const ObjectHandle hierarchy = saved.HierarchyPage();
    ASSERT_NE(hierarchy, 0u);

    // One node per page, the hierarchy page's own included, each showing
    // its page's name; none left over.
    const std::vector<ObjectHandle> nodes = NodesOf(hierarchy);
    EXPECT_EQ(nodes.size(), pages.size() + 1);
    for (ObjectHandle page : pages) {
        const ObjectHandle node = PGFindPageNode(page);
        ASSERT_NE(node, 0u) << PageName(page) << " has no node";
        EXPECT_EQ(TextOf(node).rfind(PageName(page) + "#", 0), 0u) << TextOf(node) << " for " << PageName(page);
    }
    const ObjectHandle top = QXStr_GetObjectPage(saved.NodeNamed("Produce"));
    ASSERT_NE(top, 0u);
    EXPECT_EQ(PageName(top), "Stock");

    // The substitution's arc from Stock's node to the subpage's, labelled
    // with Produce.
    const std::vector<ObjectHandle> arcs = ConnectorsOnPage(hierarchy);
    ASSERT_EQ(arcs.size(), 1u);
    ObjectHandle from = 0, to = 0;
    QXRdAttr_GetConnEnds(arcs.front(), 0, &from, &to);
    SEHead* produce = nullptr;
    ASSERT_EQ(GE_GetSERecord(saved.NodeNamed("Produce"), &produce), 1);
    const ObjectHandle subpage = SEGetSubpageObj(produce);
    ASSERT_NE(subpage, 0u);
    EXPECT_EQ(from, PGFindPageNode(top));
    EXPECT_EQ(to, PGFindPageNode(subpage));
    EXPECT_EQ(PGArcKind(arcs.front()), kPGSubstitutionArc);
    EXPECT_NE(AllTexts(arcs.front()).find("Produce"), std::string::npos) << AllTexts(arcs.front());

    // Laid out with the grids typed: Stock below the root, the new page
    // (isolated) right of it, the subpage right of and below Stock.
    constexpr Fixed kGridX = 0x320000;
    constexpr Fixed kGridY = 0x190000;
    ObjectHandle newPage = 0;
    for (ObjectHandle page : pages) {
        if (page != top && page != subpage)
            newPage = page;
    }
    const Point root = PositionOf(PGFindPageNode(hierarchy));
    const Point stock = PositionOf(PGFindPageNode(top));
    const Point sub = PositionOf(PGFindPageNode(subpage));
    const Point fresh = PositionOf(PGFindPageNode(newPage));
    EXPECT_EQ(stock.x - root.x, 0);
    EXPECT_EQ(stock.y - root.y, kGridY);
    EXPECT_EQ(fresh.x - root.x, kGridX);
    EXPECT_EQ(fresh.y - root.y, 0);
    EXPECT_EQ(sub.x - stock.x, kGridX);
    EXPECT_EQ(sub.y - stock.y, kGridY);

    // The line styles tell the pages' states: the hierarchy page current
    // (solid), Stock's page and the new page open behind it.
    const auto styleOf = [](ObjectHandle node) {
        uint32_t style = 99;
        QXRdAttr_GetLineAttr(node, &style, nullptr, nullptr, nullptr);
        return style;
    };
    EXPECT_EQ(styleOf(PGFindPageNode(hierarchy)), 0u);
    EXPECT_EQ(styleOf(PGFindPageNode(top)), 4u);
    EXPECT_EQ(styleOf(PGFindPageNode(newPage)), 4u);

    for (ObjectHandle page : pages)
        modesBefore_[PageName(page)] = ModesOf(page);
    EXPECT_EQ(modesBefore_.at("Stock")[1], 0) << "Stock's page is not observable to begin with";

    // The options were stored with the diagram.
    uint32_t gridX = 0, gridY = 0, hideSub = 1, hideInv = 1;
    uint16_t spacingX = 0, spacingY = 0;
    ASSERT_EQ(DefGetPageLayout(&gridX, &gridY, &spacingX, &spacingY, &hideSub, &hideInv, kDefLevelDiagram), 1);
    EXPECT_EQ(gridX, static_cast<uint32_t>(kGridX));
    EXPECT_EQ(gridY, static_cast<uint32_t>(kGridY));
    EXPECT_EQ(hideSub, 0u);
}

}  // namespace
}  // namespace tolq::test
