// The kernel's attribute dialogs in a session with tolq on a copy of the
// example net, driven through the real menus and mouse under the private
// Xvfb: Set > Graphic Attributes... on a transition changes its line width,
// and Set > Text Attributes... with "Change Current Defaults" on a place has
// the net editor ask "Save Defaults for:" and store the default of places;
// both read back from the diagram file that File > Save writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "xclient.h"
#include "xvfb.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/Resources/DialogTables.h"
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

// Where the transition Produce and the place Buffer lie in the drawing area.
struct Spot {
    int x, y;
};
constexpr Spot kProduce{280, 369};
constexpr Spot kBuffer{450, 369};

const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File", {"New", "Open...", "Close", "Save"}},
    {"Set", {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
             "Page Attributes..."}},
};
constexpr int kSeparatorHeight = 8;

constexpr int kPlaceKey = 3;
constexpr Fixed kPixel = 0x8000;

// The item's place in its dialog, from the dialog tables tolq is built with.
std::optional<Spot> ItemCentre(int dialog, int item)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number != dialog || item < 1 || item > record.itemCount) {
            continue;
        }
        const DialogItemRow& row = DialogTable_ItemRows()[static_cast<size_t>(record.firstItem + item - 1)];
        if (DialogItem_Kind(row) == kItemText) {
            const DialogTextRow& t = DialogTable_TextRows()[static_cast<size_t>(row.index)];
            return Spot{t.x + t.width / 2, t.y + t.height / 2};
        }
        if (DialogItem_Kind(row) != kItemControl) {
            return std::nullopt;
        }
        const DialogControlRow& c = DialogTable_ControlRows()[static_cast<size_t>(row.index)];
        // Check boxes and radio buttons are clicked on their 23-pixel box.
        return c.type == 0 ? Spot{c.x + c.width / 2, c.y + c.height / 2} : Spot{c.x + 11, c.y + 11};
    }
    return std::nullopt;
}

std::optional<Spot> DialogSize(int dialog)
{
    for (const DialogRecord& record : DialogTable_Records()) {
        if (record.number == dialog) {
            return Spot{record.width, record.height};
        }
    }
    return std::nullopt;
}

// The diagram file as saved, read back with the net layer's default records.
class SavedDiagram {
public:
    explicit SavedDiagram(const std::string& path)
    {
        ok_ = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
              Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk &&
              DefRegisterProperties() != 0;
        FileHandle file = 0;
        ok_ = ok_ && File_Open(path.c_str(), kOpenRead, &file) == kStatusOk;
        ObjectGroup pages = 0;
        ok_ = ok_ && File_ReadDiagram(file, 0, &pages) == kStatusOk;
        if (file != 0) {
            File_Close(file);
        }
        if (pages != 0) {
            Group_Free(pages);
        }
    }
    ~SavedDiagram()
    {
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    SavedDiagram(const SavedDiagram&) = delete;
    SavedDiagram& operator=(const SavedDiagram&) = delete;
    bool ok() const { return ok_; }

    std::vector<std::string> PageNames() const
    {
        std::vector<std::string> names;
        for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
            char name[kPageNameSize] = {};
            Model_GetPageName(page, name);
            names.emplace_back(name);
        }
        return names;
    }

    std::vector<ObjectHandle> NodesWithLineWidth(Fixed width) const
    {
        std::vector<ObjectHandle> found;
        for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
            for (ObjectHandle node = Model_GetFirstNode(page); node != 0; node = Model_GetNextSibling(node)) {
                if (Model_GetFieldValue(node, Field::kLineWidth) == static_cast<uint32_t>(width)) {
                    found.push_back(node);
                }
            }
        }
        return found;
    }

private:
    bool ok_ = false;
};

class PropertyDialogSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        diagram_ = dir_.file("producer-consumer.tolq");
        fs::copy_file(kExample, diagram_);
        fs::copy_file(kExample + ".DB", diagram_ + ".DB");
        original_ = read_file(diagram_);
        tolq_.emplace(std::vector<std::string>{kTolq, diagram_},
                      std::vector<std::pair<std::string, std::string>>{{"HOME", dir_.path()}});
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr) {
            font_ = XLoadQueryFont(client_.display(), "fixed");
        }
        ASSERT_NE(font_, nullptr);
        Settle();
    }
    void TearDown() override
    {
        if (font_ != nullptr) {
            XFreeFont(client_.display(), font_);
        }
    }

    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (!found.pages.empty()) {
            page_ = found.pages.back().shell;
            drawing_ = found.pages.back().drawing;
        }
        if (found.main.id != 0) {
            bar_ = found.bar;
        }
        return found.main.id != 0 && !found.pages.empty() && drawing_.id != 0;
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }
    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Press on the menu's title, move onto the item, release.
    void Pick(const std::string& title, const std::string& item)
    {
        const int em = TextWidth("M");
        int x = 0;
        for (const std::string& t : kTitles) {
            if (t == title) {
                break;
            }
            x += TextWidth(t) + 2 * em;
        }
        const int titleWidth = TextWidth(title) + 2 * em;
        int itemY = -1;
        int y = 0;
        for (const std::string& i : kItems.at(title)) {
            if (i == item) {
                itemY = y;
            }
            y += i.empty() ? kSeparatorHeight : ItemHeight();
        }
        ASSERT_GE(itemY, 0) << item;
        client_.move_pointer(bar_.root_x + x + titleWidth / 2, bar_.root_y + ItemHeight() / 2);
        xdotool({"mousedown", "1"});
        std::this_thread::sleep_for(300ms);
        client_.move_pointer(bar_.root_x + x + 40, bar_.root_y + ItemHeight() + itemY + ItemHeight() / 2);
        std::this_thread::sleep_for(200ms);
        xdotool({"mouseup", "1"});
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    void ClickOnPage(Spot at)
    {
        client_.click(drawing_.root_x + at.x, drawing_.root_y + at.y);
        Settle();
    }

    // The open dialog of that number: its shell, found by its size.
    std::optional<WindowInfo> WaitForDialog(int dialog)
    {
        const std::optional<Spot> size = DialogSize(dialog);
        if (!size) {
            return std::nullopt;
        }
        std::optional<WindowInfo> found;
        wait_until(
            [&] {
                for (const WindowInfo& w : client_.window_tree()) {
                    if (w.parent == client_.root() && w.mapped && w.width == size->x && w.height == size->y) {
                        found = w;
                        return true;
                    }
                }
                return false;
            },
            10s);
        return found;
    }

    void ClickItem(const WindowInfo& shell, int dialog, int item)
    {
        const std::optional<Spot> at = ItemCentre(dialog, item);
        ASSERT_TRUE(at.has_value()) << "item " << item << " of dialog " << dialog;
        client_.click(shell.root_x + at->x, shell.root_y + at->y);
        Settle();
    }

    // Clicks the items, types the text (when there is one) over the last
    // clicked field's, then OK.
    void AnswerDialog(int dialog, const std::vector<int>& clicks, const std::string& typed = {})
    {
        const std::optional<WindowInfo> shell = WaitForDialog(dialog);
        ASSERT_TRUE(shell.has_value()) << "dialog " << dialog << " did not open";
        Settle();
        for (int item : clicks) {
            ClickItem(*shell, dialog, item);
        }
        if (!typed.empty()) {
            client_.key("e", true);
            for (int i = 0; i < 40; ++i) {
                client_.key("BackSpace");
            }
            client_.type_text(typed);
            Settle();
        }
        ClickItem(*shell, dialog, 1);  // OK
        ASSERT_TRUE(wait_until([&] {
            for (const WindowInfo& w : client_.window_tree()) {
                if (w.id == shell->id && w.mapped) {
                    return false;
                }
            }
            return true;
        })) << "dialog " << dialog << " stayed open";
    }

    void SaveAndWait()
    {
        Pick("File", "Save");
        ASSERT_TRUE(wait_until([&] { return read_file(diagram_) != original_; })) << "nothing was saved";
        Settle();
    }

    TempDir dir_;
    std::string diagram_;
    std::string original_;
    XClient client_;
    std::optional<BackgroundProcess> tolq_;
    WindowInfo page_{};
    WindowInfo drawing_{};
    WindowInfo bar_{};
    XFontStruct* font_ = nullptr;
};

TEST_F(PropertyDialogSession, GraphicAttributesSetTheLineWidthOfTheSelectedTransition)
{
    {
        const SavedDiagram before(diagram_);
        ASSERT_TRUE(before.ok());
        ASSERT_TRUE(before.NodesWithLineWidth(16 * kPixel).empty());
    }
    ClickOnPage(kProduce);
    Pick("Set", "Graphic Attributes...");
    AnswerDialog(262, {17});  // line width 16
    SaveAndWait();
    const SavedDiagram after(diagram_);
    ASSERT_TRUE(after.ok());
    EXPECT_EQ(after.NodesWithLineWidth(16 * kPixel).size(), 1u);
    EXPECT_TRUE(tolq_->running());
}

TEST_F(PropertyDialogSession, TextAttributesWithChangeCurrentDefaultsStoreTheDefaultOfPlaces)
{
    {
        const SavedDiagram before(diagram_);
        ASSERT_TRUE(before.ok());
        uint32_t text[5] = {};
        DefGetText(kPlaceKey, text, kDefLevelDiagram);
        ASSERT_EQ(text[0] & 2u, 0u) << "places are not bold before";
    }
    ClickOnPage(kBuffer);
    Pick("Set", "Text Attributes...");
    AnswerDialog(274, {7, 5});       // "Bold", "Change Current Defaults"
    AnswerDialog(30150, {});         // "Save Defaults for:" the diagram
    SaveAndWait();
    const SavedDiagram after(diagram_);
    ASSERT_TRUE(after.ok());
    uint32_t text[5] = {};
    ASSERT_EQ(DefGetText(kPlaceKey, text, kDefLevelDiagram), 1);
    EXPECT_EQ(text[0] & 2u, 2u) << "the style of new places is bold";
    EXPECT_TRUE(tolq_->running());
}

TEST_F(PropertyDialogSession, PageAttributesRenameTheCurrentPage)
{
    Pick("Set", "Page Attributes...");
    AnswerDialog(270, {8}, "Stock");  // the name field
    SaveAndWait();
    const SavedDiagram after(diagram_);
    ASSERT_TRUE(after.ok());
    const std::vector<std::string> names = after.PageNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Stock"), names.end());
    EXPECT_TRUE(tolq_->running());
}

TEST_F(PropertyDialogSession, GetInfoShowsItsHeadingAndBody)
{
    ClickOnPage(kProduce);
    xdotool({"key", "alt+i"});
    const std::optional<WindowInfo> shell = WaitForDialog(30010);
    ASSERT_TRUE(shell.has_value()) << "Get Info did not open";
    Settle();
    // The heading and the body are text windows of the dialog, beside OK.
    int texts = 0;
    for (const WindowInfo& w : client_.window_tree()) {
        if (w.mapped && ((w.width == 380 && w.height == 40) || (w.width == 380 && w.height == 180))) {
            ++texts;
        }
    }
    EXPECT_GE(texts, 2);
    ClickItem(*shell, 30010, 1);
    EXPECT_TRUE(wait_until([&] {
        for (const WindowInfo& w : client_.window_tree()) {
            if (w.id == shell->id && w.mapped) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_TRUE(tolq_->running());
}

}  // namespace
}  // namespace tolq::test
