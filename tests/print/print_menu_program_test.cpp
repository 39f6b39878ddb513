// tolq on a copy of the example net under the private Xvfb, printed through
// its File menu as a user does: Page Setup... (a layout and a scale set, OK)
// and Print... to a spooler command that keeps the document, which is then
// read back and rendered by Ghostscript; a spooler that fails is reported and
// leaves no file in the print directory; Save Eps... writes a file whose
// bounding box holds every mark drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "xclient.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// The menu bar as tolq lays it out, and the File menu's items ("" is a
// separator).
const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::vector<std::string> kFileItems = {
    "New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
    "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
    "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
    "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"};
constexpr int kSeparatorHeight = 8;

// Centres of the items of the page setup and print dialogs, in the dialogs'
// own coordinates.
struct Spot {
    int x, y;
};
constexpr Spot kSetupFitToSheet{290, 177};
constexpr Spot kSetupScaleField{150, 110};
constexpr Spot kSetupOk{380, 274};
constexpr Spot kPrintAllPages{130, 51};
constexpr Spot kPrintOk{380, 174};
constexpr Spot kEpsScaleField{190, 52};
constexpr Spot kEpsExtensionField{375, 188};
constexpr Spot kEpsOk{380, 264};

// Windows may vanish while the tree is read.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// The bounding box of every page's marks as Ghostscript's bbox device finds
// them: left, bottom, right, top in points.
struct Marks {
    double left, bottom, right, top;
};

std::vector<Marks> MarksOf(const std::string& file)
{
    const ProcessResult r =
        run_process({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=bbox", file});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    std::vector<Marks> pages;
    const std::regex line(R"(%%HiResBoundingBox: (\S+) (\S+) (\S+) (\S+))");
    for (std::sregex_iterator it(r.err.begin(), r.err.end(), line), end; it != end; ++it) {
        pages.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    }
    return pages;
}

class PrintMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHandler_ = XSetErrorHandler(IgnoreVanishedWindows);
        fs::create_directory(spoolDir_);
        diagram_ = dir_.file("producer-consumer.tolq");
        fs::copy_file(kExample, diagram_);
        fs::copy_file(kExample + ".DB", diagram_ + ".DB");
    }
    void TearDown() override
    {
        if (font_ != nullptr) {
            XFreeFont(client_.display(), font_);
        }
        XSetErrorHandler(previousHandler_);
    }

    void Start(const std::string& spooler)
    {
        tolq_ = BackgroundProcess({kTolq, diagram_},
                                  {{"HOME", dir_.path()},
                                   {"VelkorPrintDirectory", spoolDir_},
                                   {"VelkorPrintCommand", spooler}},
                                  dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && page_.root_y >= 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr) {
            font_ = XLoadQueryFont(client_.display(), "fixed");
        }
        ASSERT_NE(font_, nullptr);
        Settle();
    }

    // The main window with its menu bar and the page window; true when both
    // are there.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (!found.pages.empty())
            page_ = found.pages.back().shell;
        if (found.main.id != 0)
            bar_ = found.bar;
        return found.main.id != 0 && !found.pages.empty();
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }
    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Picks an item of the File menu: press on the title, move onto the item
    // in the menu that opened, release.
    void PickFile(const std::string& item)
    {
        const int em = TextWidth("M");
        const int titleWidth = TextWidth("File") + 2 * em;
        int y = 0, itemY = -1;
        for (const std::string& i : kFileItems) {
            if (i == item) {
                itemY = y;
            }
            y += i.empty() ? kSeparatorHeight : ItemHeight();
        }
        const int height = y;
        ASSERT_GE(itemY, 0) << item;
        const int barHeight = ItemHeight();
        client_.move_pointer(bar_.root_x + titleWidth / 2, bar_.root_y + barHeight / 2);
        xdotool({"mousedown", "1"});
        const bool opened = wait_until([&] {
            for (const WindowInfo& w : client_.window_tree()) {
                if (w.parent == client_.root() && w.mapped && w.height == height && std::abs(w.root_x - bar_.root_x) <= 2) {
                    return true;
                }
            }
            return false;
        }, 5s);
        client_.move_pointer(bar_.root_x + 40, bar_.root_y + barHeight + itemY + ItemHeight() / 2);
        std::this_thread::sleep_for(100ms);
        xdotool({"mouseup", "1"});
        ASSERT_TRUE(opened) << "the File menu did not open";
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree()) {
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog") {
                out.push_back(w);
            }
        }
        return out;
    }

    // The one dialog that opened, of the given size.
    std::optional<WindowInfo> WaitForDialog(int width, int height) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : Dialogs()) {
                if (w.width == width && w.height == height) {
                    found = w;
                }
            }
            return found.has_value();
        }, 10s);
        return found;
    }

    bool NoDialogLeft() const
    {
        return wait_until([&] { return Dialogs().empty(); }, 10s);
    }

    void ClickIn(const WindowInfo& dialog, Spot spot)
    {
        client_.click(dialog.root_x + spot.x, dialog.root_y + spot.y);
        Settle();
    }

    // Page Setup...: fit to the sheet at the scale typed, OK.
    void SetUpFittedPages(const std::string& scale)
    {
        PickFile("Page Setup...");
        const std::optional<WindowInfo> setup = WaitForDialog(440, 300);
        ASSERT_TRUE(setup.has_value()) << "no page setup dialog";
        ClickIn(*setup, kSetupFitToSheet);
        ClickIn(*setup, kSetupScaleField);
        client_.key("End");
        for (int i = 0; i < 6; ++i) {
            client_.key("BackSpace");
        }
        client_.type_text(scale);
        Settle();
        ClickIn(*setup, kSetupOk);
        ASSERT_TRUE(NoDialogLeft());
    }

    // Empties the field at the spot and types the text into it.
    void TypeInto(const WindowInfo& dialog, Spot spot, const std::string& text)
    {
        ClickIn(dialog, spot);
        client_.key("End");
        for (int i = 0; i < 16; ++i) {
            client_.key("BackSpace");
        }
        client_.type_text(text);
        Settle();
    }

    // Print...: all pages, OK.
    void PrintAllPages()
    {
        PickFile("Print...");
        const std::optional<WindowInfo> print = WaitForDialog(440, 200);
        ASSERT_TRUE(print.has_value()) << "no print dialog";
        ClickIn(*print, kPrintAllPages);
        ClickIn(*print, kPrintOk);
    }

    XErrorHandler previousHandler_ = nullptr;
    TempDir dir_;
    std::string spoolDir_ = dir_.file("spool");
    std::string printed_ = dir_.file("printed.ps");
    std::string diagram_;
    XClient client_;
    BackgroundProcess tolq_;
    WindowInfo bar_, page_;
    XFontStruct* font_ = nullptr;
};

// The scale lines of a document, in order.
std::vector<double> Scales(const std::string& document)
{
    std::vector<double> scales;
    const std::regex line(R"((-?[0-9.]+) (-?[0-9.]+) scale \n)");
    for (std::sregex_iterator it(document.begin(), document.end(), line), end; it != end; ++it) {
        scales.push_back(std::stod((*it)[1]));
    }
    return scales;
}

TEST_F(PrintMenuTest, PageSetupFitsEveryPrintedPageOnItsSheet)
{
    Start("sh -c 'mv \"$2\" \"$1\"' _ " + printed_);
    SetUpFittedPages("400");
    PrintAllPages();
    ASSERT_TRUE(wait_until([&] { return fs::exists(printed_); }, 20s)) << "nothing was spooled";
    ASSERT_TRUE(NoDialogLeft()) << "printing reported a failure";
    const std::string document = read_file(printed_);
    EXPECT_NE(document.find("%%IncludeFeature: *PageSize A4\n"), std::string::npos);

    // One sheet per page, counted in the trailer.
    const std::regex pageLine(R"(%%Page: \((\w+)\) (\d+)\n)");
    const auto pages = std::distance(std::sregex_iterator(document.begin(), document.end(), pageLine),
                                     std::sregex_iterator());
    ASSERT_GE(pages, 1);
    EXPECT_NE(document.find("%%Pages: " + std::to_string(pages) + "\n"), std::string::npos);

    // The document is drawn at 400 %, and each page that grew past the sheet
    // is scaled down again to fit it.
    const std::vector<double> scales = Scales(document);
    ASSERT_FALSE(scales.empty());
    EXPECT_DOUBLE_EQ(scales.front(), 4.0);
    const std::vector<Marks> marks = MarksOf(printed_);
    ASSERT_EQ(static_cast<long>(marks.size()), pages);
    for (const Marks& m : marks) {
        // Inside the printable area of A4 (597 x 842 less the margins).
        EXPECT_GE(m.left, 31.0);
        EXPECT_GE(m.bottom, 32.0);
        EXPECT_LE(m.right, 566.0);
        EXPECT_LE(m.top, 810.0);
    }
    EXPECT_TRUE(std::any_of(scales.begin() + 1, scales.end(), [](double s) { return s > 0 && s < 1; }))
        << "no page was fitted";
    // The settings stay with the diagram: printing again fits again.
    fs::remove(printed_);
    PrintAllPages();
    ASSERT_TRUE(wait_until([&] { return fs::exists(printed_); }, 20s));
    EXPECT_EQ(Scales(read_file(printed_)), scales);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(PrintMenuTest, AFailingSpoolerIsReportedAndLeavesNoFile)
{
    Start("sh -c 'exit 3'");
    PrintAllPages();
    std::optional<WindowInfo> button;
    ASSERT_TRUE(wait_until([&] { return (button = client_.message_box_button()).has_value(); }, 20s))
        << "the failure was not reported";
    EXPECT_TRUE(FilesIn(spoolDir_).empty()) << FilesIn(spoolDir_).front();
    client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
    ASSERT_TRUE(NoDialogLeft());
    EXPECT_TRUE(tolq_.running());
    // Only the diagram, its data base and the spool directory are there.
    std::vector<std::string> files = FilesIn(dir_.path());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"producer-consumer.tolq", "producer-consumer.tolq.DB", "spool"}));
}

TEST_F(PrintMenuTest, SaveEpsBoundsEveryLineItDraws)
{
    Start("false");
    PickFile("Save Eps...");
    std::string eps;
    ASSERT_TRUE(wait_until([&] {
        for (const std::string& name : FilesIn(dir_.path())) {
            if (name.size() > 4 && name.ends_with(".eps")) {
                eps = dir_.file(name);
            }
        }
        return !eps.empty();
    }, 20s)) << "no EPS file was written";
    ASSERT_TRUE(wait_until([&] { return read_file(eps).ends_with("%%EOF\n"); }));
    const std::string document = read_file(eps);
    std::smatch box;
    ASSERT_TRUE(std::regex_search(document, box, std::regex(R"(%%BoundingBox: (-?\d+) (-?\d+) (-?\d+) (-?\d+)\n)")));
    const std::vector<Marks> marks = MarksOf(eps);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_LE(std::stoi(box[1]), marks[0].left);
    EXPECT_LE(std::stoi(box[2]), marks[0].bottom);
    EXPECT_GE(std::stoi(box[3]), marks[0].right);
    EXPECT_GE(std::stoi(box[4]), marks[0].top);
    EXPECT_TRUE(tolq_.running());
}

TEST_F(PrintMenuTest, EpsSetupScalesAndNamesTheNextExport)
{
    Start("false");
    PickFile("Eps Setup...");
    const std::optional<WindowInfo> setup = WaitForDialog(440, 290);
    ASSERT_TRUE(setup.has_value()) << "no EPS setup dialog";
    TypeInto(*setup, kEpsScaleField, "50");
    TypeInto(*setup, kEpsExtensionField, ".epsf");
    ClickIn(*setup, kEpsOk);
    ASSERT_TRUE(NoDialogLeft());

    PickFile("Save Eps...");
    std::string eps;
    ASSERT_TRUE(wait_until([&] {
        for (const std::string& name : FilesIn(dir_.path())) {
            if (name.ends_with(".epsf")) {
                eps = dir_.file(name);
            }
        }
        return !eps.empty();
    }, 20s)) << "no file with the new extension was written";
    ASSERT_TRUE(wait_until([&] { return read_file(eps).ends_with("%%EOF\n"); }));
    EXPECT_NE(read_file(eps).find("0.500000 0.500000 scale \n"), std::string::npos) << "the page is not drawn at 50 %";
    for (const std::string& name : FilesIn(dir_.path())) {
        EXPECT_FALSE(name.ends_with(".eps")) << name << ": written with the old extension";
    }
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
