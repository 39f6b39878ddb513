// tolq on a copy of the example net under the private Xvfb, driven through
// its menus and keys for the page commands: Blowup and Reduce (the page's
// scale read back from the saved diagram), Open Page on an ordinary page
// (the page structure window and its pick) and Child Object from the
// hierarchy page (the current window read from the stacking order and the
// inverted title), and Load Image with a PNG written here (the picture's
// pixels read from the page).
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "tolq_menus.h"
#include "xclient.h"
#include "xvfb.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

struct Box {
    int left, top, right, bottom;
    int cx() const { return (left + right) / 2; }
    int cy() const { return (top + bottom) / 2; }
};

// Where Produce lies in the drawing area of the example's page window.
constexpr Box kProduce{240, 349, 320, 389};

const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
};
constexpr int kSeparatorHeight = 8;

bool Dark(XImage* image, int x, int y)
{
    const unsigned long pixel = XGetPixel(image, x, y);
    return ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
}

// Windows vanish while the tree is walked (a dialog closing): not an error.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

// A page window: its shell, the title bar and the drawing area.
using PageWindow = TolqPageWindow;

// The scales of the pages of a saved diagram, by page name, read with the
// kernel's own reader.
std::map<std::string, Fixed> SavedPageScales(const std::string& path)
{
    std::map<std::string, Fixed> scales;
    if (Group_CreateTable(kGroupTableInitialSize) != kStatusOk ||
        Model_CreateTable(kInitialObjectSlots) != kStatusOk || Default_Init() != kStatusOk) {
        return scales;
    }
    FileHandle file = 0;
    ObjectGroup pages = 0;
    if (File_Open(path.c_str(), kOpenRead, &file) == kStatusOk && File_ReadDiagram(file, 0, &pages) == kStatusOk) {
        for (ObjectHandle p = Model_GetFirstPage(); p != 0; p = Model_GetNextSibling(p)) {
            char name[kPageNameSize] = {};
            Model_GetPageName(p, name);
            scales[name] = static_cast<Fixed>(Model_GetFieldValue(p, Field::kScaleX));
        }
    }
    if (file != 0)
        File_Close(file);
    if (pages != 0)
        Group_Free(pages);
    if (Model_GetRoot() != 0)
        Model_DestroyTree(Model_GetRoot());
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
    return scales;
}

class PageSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = XSetErrorHandler(IgnoreVanishedWindows);
        diagram_ = dir_.file("producer-consumer.tolq");
        fs::copy_file(kExample, diagram_);
        fs::copy_file(kExample + ".DB", diagram_ + ".DB");
        tolq_ = BackgroundProcess({kTolq, diagram_}, {{"HOME", dir_.path()}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows() && pages_.size() == 1; }, 20s))
            << "tolq's windows did not appear";
        top_ = pages_[0].shell.id;
        xdotool({"windowmove", std::to_string(top_), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && Top().drawing.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
        ASSERT_TRUE(wait_until([&] { return Ink(Top().drawing, kProduce.left, kProduce.top, 10, 10) > 0; }));
    }

    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
        XSetErrorHandler(previous_);
    }

    // The main window's menu bar and every page window; true when found.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (found.main.id != 0)
            bar_ = found.bar;
        std::vector<PageWindow> pages;
        for (const TolqPageWindow& page : found.pages)
            if (page.drawing.id != 0)
                pages.push_back(page);
        pages_ = pages;
        return found.main.id != 0 && !pages_.empty();
    }

    PageWindow Top() const
    {
        for (const PageWindow& p : pages_)
            if (p.shell.id == top_)
                return p;
        return {};
    }

    std::optional<PageWindow> Other() const
    {
        for (const PageWindow& p : pages_)
            if (p.shell.id != top_)
                return p;
        return std::nullopt;
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }
    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Picks a menu item as a user does: press on the title, release on the item.
    void Pick(const std::string& title, const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kTitles, kItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open";
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    // A key typed with the pointer in the middle of the top page's drawing.
    void KeyOnPage(const std::string& keys)
    {
        const PageWindow top = Top();
        client_.move_pointer(top.drawing.root_x + top.drawing.width / 2, top.drawing.root_y + top.drawing.height / 2);
        xdotool({"key", keys});
        Settle();
    }

    int Ink(const WindowInfo& window, int x, int y, int width, int height) const
    {
        XImage* image = XGetImage(client_.display(), window.id, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        int dark = 0;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                dark += Dark(image, i, j) ? 1 : 0;
        XDestroyImage(image);
        return dark;
    }

    // The current page window shows its title inverted: mostly dark.
    bool TitleInverted(const PageWindow& page) const
    {
        const int all = page.title.width * page.title.height;
        return all > 0 && Ink(page.title, 0, 0, page.title.width, page.title.height) * 2 > all;
    }

    // The window besides the top page: the page structure window right after
    // Open Page on the top page, its drawing area.
    std::optional<WindowInfo> StructureWindow()
    {
        if (!FindWindows() || pages_.size() != 2)
            return std::nullopt;
        const std::optional<PageWindow> other = Other();
        return other.has_value() ? std::optional<WindowInfo>(other->drawing) : std::nullopt;
    }

    // True when the first window is stacked above the second.
    bool StackedAbove(Window upper, Window lower) const
    {
        std::vector<Window> order;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root())
                order.push_back(w.id);
        const auto u = std::find(order.begin(), order.end(), upper);
        const auto l = std::find(order.begin(), order.end(), lower);
        return u != order.end() && l != order.end() && u > l;
    }

    // Runs of dark columns in a band of the window, split at gaps wider than
    // 12 pixels: the entries drawn side by side, left to right.
    std::vector<Box> InkClusters(const WindowInfo& window, Box band) const
    {
        const int width = band.right - band.left, height = band.bottom - band.top;
        std::vector<Box> boxes;
        if (width <= 0 || height <= 0)
            return boxes;
        XImage* image = XGetImage(client_.display(), window.id, band.left, band.top, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return boxes;
        std::vector<int> columnInk(static_cast<size_t>(width), 0);
        int firstRow = height, lastRow = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Dark(image, x, y)) {
                    ++columnInk[static_cast<size_t>(x)];
                    firstRow = std::min(firstRow, y);
                    lastRow = std::max(lastRow, y);
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

    // The page entries of the page structure window.
    std::vector<Box> StructureEntries(const WindowInfo& window) const
    {
        return InkClusters(window, {0, 40, window.width - 20, window.height - 160});
    }

    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        return out;
    }

    // Answers the file selector with the path: the field cleared, the path
    // typed, Return.
    void ChooseFile(const std::string& path)
    {
        const std::optional<WindowInfo> selector = client_.wait_for_window("selFile");
        ASSERT_TRUE(selector.has_value()) << "no file selector";
        client_.move_pointer(selector->root_x + selector->width / 2, selector->root_y + 20);
        Settle();
        xdotool({"key", "ctrl+a", "ctrl+k"});
        client_.type_text(path);
        client_.key("Return");
        Settle();
        ASSERT_TRUE(wait_until([&] {
            const std::optional<WindowInfo> shown = client_.wait_for_window("selFile", 100ms);
            return !shown.has_value();
        })) << "the file selector stayed";
    }

    // The selector's Cancel button: of the small buttons on the selector's
    // lowest row, the right one (OK stands left of it).
    std::optional<WindowInfo> SelectorCancel(const WindowInfo& selector) const
    {
        const std::vector<WindowInfo> tree = client_.window_tree();
        std::set<Window> inside{selector.id};
        std::vector<WindowInfo> buttons;
        for (const WindowInfo& w : tree)
            if (inside.count(w.parent) != 0) {
                inside.insert(w.id);
                if (w.mapped && w.height < 40 && w.width < 200 && w.width > 20)
                    buttons.push_back(w);
            }
        if (buttons.empty())
            return std::nullopt;
        const int lowest = std::max_element(buttons.begin(), buttons.end(), [](const auto& a, const auto& b) {
                               return a.root_y < b.root_y;
                           })->root_y;
        std::optional<WindowInfo> rightmost;
        for (const WindowInfo& b : buttons)
            if (std::abs(b.root_y - lowest) <= 4 && (!rightmost || b.root_x > rightmost->root_x))
                rightmost = b;
        return rightmost;
    }

    // Presses at one corner of the box in the top page, drags to the other
    // and releases.
    void DrawBox(const Box& box)
    {
        const PageWindow top = Top();
        const int x0 = top.drawing.root_x + box.left, y0 = top.drawing.root_y + box.top;
        const int x1 = top.drawing.root_x + box.right, y1 = top.drawing.root_y + box.bottom;
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

    int RedPixels(const Box& box) const
    {
        return client_.count_pixels(Top().drawing.id, box.left, box.top, box.right - box.left,
                                    box.bottom - box.top, Rgb{255, 0, 0});
    }

    std::map<std::string, Fixed> SaveAndReadScales()
    {
        const std::string before = read_file(diagram_);
        KeyOnPage("alt+s");
        if (!wait_until([&] { return read_file(diagram_) != before; }))
            return {};
        return SavedPageScales(diagram_);
    }

    TempDir dir_;
    XClient client_;
    std::string diagram_;
    BackgroundProcess tolq_;
    WindowInfo bar_;
    std::vector<PageWindow> pages_;
    Window top_ = 0;
    XFontStruct* font_ = nullptr;
    XErrorHandler previous_ = nullptr;
};

TEST_F(PageSession, BlowupAndReduceScaleThePageAndTheDiagramKeepsIt)
{
    const int inkBefore = Ink(Top().drawing, 0, 0, Top().drawing.width, Top().drawing.height);
    KeyOnPage("alt+backslash");
    ASSERT_TRUE(wait_until([&] {
        return Ink(Top().drawing, 0, 0, Top().drawing.width, Top().drawing.height) != inkBefore;
    })) << "Blowup changed nothing on the page";
    // The example's one page, by name; tolq saves its hierarchy page beside it.
    const std::map<std::string, Fixed> original = SavedPageScales(diagram_);
    ASSERT_EQ(original.size(), 1u);
    const std::string page = original.begin()->first;
    std::map<std::string, Fixed> scales = SaveAndReadScales();
    ASSERT_EQ(scales.count(page), 1u) << "Save wrote nothing after Blowup";
    EXPECT_EQ(scales[page], 0x20000) << "after Blowup";

    KeyOnPage("alt+quoteleft");
    KeyOnPage("alt+quoteleft");
    scales = SaveAndReadScales();
    ASSERT_EQ(scales.count(page), 1u);
    EXPECT_EQ(scales[page], 0x8000) << "after Reduce twice";
}

TEST_F(PageSession, OpenPageShowsThePageStructureAndChildObjectGoesDownFromTheHierarchy)
{
    // Open Page on an ordinary page runs the kernel's Page Structure: the
    // structure window lists the example's page and the hierarchy page.
    KeyOnPage("alt+y");
    std::optional<WindowInfo> structure;
    ASSERT_TRUE(wait_until([&] {
        structure = StructureWindow();
        return structure.has_value() && StructureEntries(*structure).size() == 2;
    })) << "no page structure window with two pages";
    const std::vector<Box> entries = StructureEntries(*structure);

    // Picking the hierarchy page's entry (page numbers left to right) opens
    // it and makes it current, above the example's page.
    client_.click(structure->root_x + entries[1].cx(), structure->root_y + entries[1].cy());
    Settle();
    ASSERT_TRUE(wait_until([&] {
        return FindWindows() && Other().has_value() && Other()->shell.id != structure->id && StackedAbove(Other()->shell.id, top_);
    })) << "the picked page did not become current";
    const PageWindow hierarchy = *Other();
    EXPECT_TRUE(TitleInverted(hierarchy));

    // On the hierarchy page the example page's node stands beside the
    // hierarchy page's own, inside the page's frame: selected, Child Object
    // goes down to that page.
    std::vector<Box> nodes;
    ASSERT_TRUE(wait_until([&] {
        nodes = InkClusters(hierarchy.drawing, {14, 12, hierarchy.drawing.width - 30, 36});
        return nodes.size() == 2;
    })) << "the hierarchy page does not show two page nodes";
    client_.click(hierarchy.drawing.root_x + nodes[1].cx(), hierarchy.drawing.root_y + nodes[1].cy());
    Settle();
    client_.move_pointer(hierarchy.drawing.root_x + hierarchy.drawing.width / 2,
                         hierarchy.drawing.root_y + hierarchy.drawing.height / 2);
    Settle();
    xdotool({"key", "alt+Down"});
    Settle();
    ASSERT_TRUE(wait_until([&] { return FindWindows() && StackedAbove(top_, hierarchy.shell.id); }))
        << "Child Object did not make the example's page current";
    EXPECT_TRUE(TitleInverted(Top()));
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(PageSession, LoadImagePlacesThePictureInTheBoxDrawnNext)
{
    const std::string png = dir_.file("red.png");
    ASSERT_EQ(run_process({"convert", "-size", "40x30", "xc:#ff0000", png}).exit_status, 0);
    const Box target{60, 60, 140, 120};
    ASSERT_EQ(RedPixels(target), 0);
    Pick("File", "Load Image...");
    ChooseFile(png);
    DrawBox(target);
    EXPECT_TRUE(wait_until([&] { return RedPixels(target) > (80 * 60) / 2; }))
        << "no picture in the drawn box: " << RedPixels(target) << " red pixels";
    EXPECT_TRUE(Dialogs().empty());
}

TEST_F(PageSession, LoadImageOfAFileThatIsNoImageSaysSoAndPlacesNothing)
{
    const std::string bogus = dir_.file("not-an-image.png");
    write_file(bogus, "plain text, not a picture\n");
    Pick("File", "Load Image...");
    ChooseFile(bogus);
    ASSERT_TRUE(wait_until([&] { return !Dialogs().empty(); })) << "no alert";
    const WindowInfo alert = Dialogs().front();
    client_.move_pointer(alert.root_x + alert.width / 2, alert.root_y + alert.height / 2);
    client_.key("Return");
    ASSERT_TRUE(wait_until([&] { return Dialogs().empty(); }));
    // No box gesture waits: a drag on the page makes no picture.
    const Box target{60, 60, 140, 120};
    DrawBox(target);
    EXPECT_EQ(RedPixels(target), 0);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(PageSession, SaveSubdiagramAsksForTheFileAndACancelWritesNothing)
{
    const std::set<fs::path> before(fs::directory_iterator(dir_.path()), fs::directory_iterator());
    Pick("File", "Save Subdiagram...");
    const std::optional<WindowInfo> selector = client_.wait_for_window("selFile");
    ASSERT_TRUE(selector.has_value()) << "no file selector";
    const std::optional<WindowInfo> cancel = SelectorCancel(*selector);
    ASSERT_TRUE(cancel.has_value()) << "no Cancel button in the selector";
    client_.click(cancel->root_x + cancel->width / 2, cancel->root_y + cancel->height / 2);
    Settle();
    EXPECT_TRUE(wait_until([&] { return !client_.wait_for_window("selFile", 100ms).has_value(); }));
    const std::set<fs::path> after(fs::directory_iterator(dir_.path()), fs::directory_iterator());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
