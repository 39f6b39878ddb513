// A user's session with tolq on a copy of the example net, driven through the
// real menus, mouse and window-manager messages under the private Xvfb: the
// window manager's close button on every kind of top-level window, clicks on
// the page after a dialog has closed, Set > Occurrence Set Options... and
// TOLQ > Move to Subpage / Replace by Subpage... on the Produce transition,
// with the saved diagram and net data base read back here.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "tolq_menus.h"
#include "xclient.h"
#include "xvfb.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/LMList.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// ---- the screen ----

// A rectangle in the page's drawing area, edges included.
struct Box {
    int left, top, right, bottom;
    int cx() const { return (left + right) / 2; }
    int cy() const { return (top + bottom) / 2; }
};

// Where the example's nodes lie in the drawing area of its page window.
constexpr Box kProduce{240, 349, 320, 389};
constexpr Box kBuffer{414, 345, 486, 393};

// The menu bar as tolq lays it out, and the items of the menus used here
// ("" is a separator).
const std::vector<std::string> kTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                          "Makeup", "Page", "Group", "Text", "Align"};
const std::map<std::string, std::vector<std::string>> kItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
    {"TOLQ",
     {"Place", "Transition", "Arc", "TOLQ Region...", "Declaration Node...", "New Declaration...",
      "Edit Declaration...", "Declarations...", "Convert Declarations", "", "Chart...", "", "Move to Subpage",
      "Replace by Subpage...", "", "Substitution Transition", "Fusion Place...", "Port Place...", "Port Assignment...",
      "", "Syntax Check", "", "Remove Sim Regions..."}},
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
};
constexpr int kSeparatorHeight = 8;

bool Dark(XImage* image, int x, int y)
{
    const unsigned long pixel = XGetPixel(image, x, y);
    return ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128;
}

// tolq started on a copy of the example, with its page window moved below
// the main window so that the menu bar can be reached.
class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        diagram_ = dir_.file("producer-consumer.tolq");
        fs::copy_file(kExample, diagram_);
        fs::copy_file(kExample + ".DB", diagram_ + ".DB");
        original_ = read_file(diagram_);
        tolq_ = BackgroundProcess({kTolq, diagram_}, {}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        LoadMenuFont();
        // The page is drawn and nothing is selected yet.
        ASSERT_TRUE(wait_until([&] { return Ink(kProduce.left, kProduce.top, 10, 10) > 0; }));
    }

    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
    }

    // Finds the main window with its menu bar, and the page window with its
    // drawing area; true when all are there.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (!found.pages.empty()) {
            page_ = found.pages.back().shell;
            drawing_ = found.pages.back().drawing;
        }
        if (found.main.id != 0) {
            main_ = found.main;
            bar_ = found.bar;
        }
        return found.main.id != 0 && !found.pages.empty() && drawing_.id != 0;
    }

    // The menu bar's font as tolq loads it.
    void LoadMenuFont()
    {
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }

    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Picks the item of the menu as a user does: press on the title, move
    // onto the item in the menu that opened, release.
    void Pick(const std::string& title, const std::string& item)
    {
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kTitles, kItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with " << pick.height << " pixels of items";
        Settle();
    }

    // Lets tolq handle what was sent.
    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    void ClickOn(const Box& box)
    {
        client_.click(drawing_.root_x + box.cx(), drawing_.root_y + box.cy());
        Settle();
    }

    // Dark pixels of a rectangle of the drawing area.
    int Ink(int x, int y, int width, int height) const
    {
        XImage* image = XGetImage(client_.display(), drawing_.id, x, y, static_cast<unsigned>(width),
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

    // The whole drawing area, dark or light.
    std::vector<bool> Drawing() const
    {
        std::vector<bool> dark;
        XImage* image = XGetImage(client_.display(), drawing_.id, 0, 0, static_cast<unsigned>(drawing_.width),
                                  static_cast<unsigned>(drawing_.height), AllPlanes, ZPixmap);
        if (image == nullptr)
            return dark;
        for (int j = 0; j < drawing_.height; ++j)
            for (int i = 0; i < drawing_.width; ++i)
                dark.push_back(Dark(image, i, j));
        XDestroyImage(image);
        return dark;
    }

    // A selected node shows eight filled handles on its outline: corners and
    // the middles of the edges.
    bool Selected(const Box& box) const
    {
        int ink = 0;
        for (int x : {box.left, box.cx(), box.right})
            for (int y : {box.top, box.cy(), box.bottom})
                if (x != box.cx() || y != box.cy())
                    ink += Ink(x - 3, y - 3, 6, 6);
        return ink > 150;
    }

    // The dialog shells on the screen.
    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        return out;
    }

    std::optional<WindowInfo> WaitForDialog() const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            const std::vector<WindowInfo> dialogs = Dialogs();
            if (!dialogs.empty())
                found = dialogs.front();
            return found.has_value();
        }, 10s);
        return found;
    }

    bool NoDialogLeft() const
    {
        return wait_until([&] { return Dialogs().empty(); }, 10s);
    }

    // Presses the dialog's default button from the keyboard.
    void PressReturn(const WindowInfo& dialog)
    {
        client_.move_pointer(dialog.root_x + dialog.width / 2, dialog.root_y + dialog.height / 2);
        client_.key("Return");
        Settle();
    }

    // Clicks a point of a dialog, in the dialog's own coordinates.
    void ClickIn(const WindowInfo& dialog, int x, int y)
    {
        client_.click(dialog.root_x + x, dialog.root_y + y);
        Settle();
    }

    // The window manager's close button on the window.
    void CloseFromWindowManager(Window window)
    {
        Display* display = client_.display();
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        Settle();
    }

    bool TakesWindowClose(Window window) const
    {
        Atom* protocols = nullptr;
        int count = 0;
        if (XGetWMProtocols(client_.display(), window, &protocols, &count) == 0)
            return false;
        const Atom deleteWindow = XInternAtom(client_.display(), "WM_DELETE_WINDOW", False);
        const bool found = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
        XFree(protocols);
        return found;
    }

    // True when tolq ended by itself with status 0.
    bool EndedCleanly()
    {
        const int status = tolq_.wait(10s);
        return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Set > Copy Defaults... answered with OK: the diagram is modified.
    void ModifyTheDiagram()
    {
        Pick("Set", "Copy Defaults...");
        const std::optional<WindowInfo> dialog = WaitForDialog();
        ASSERT_TRUE(dialog.has_value());
        PressReturn(*dialog);
        ASSERT_TRUE(NoDialogLeft());
    }

    void Save() { Pick("File", "Save"); }

    TempDir dir_;
    XClient client_;
    std::string diagram_;
    std::string original_;
    BackgroundProcess tolq_;
    WindowInfo main_, bar_, page_, drawing_;
    XFontStruct* font_ = nullptr;
};

// ---- the window manager's close button ----

TEST_F(Session, EveryTopLevelWindowTakesTheWindowManagersClose)
{
    EXPECT_TRUE(TakesWindowClose(main_.id));
    EXPECT_TRUE(TakesWindowClose(page_.id));
    Pick("Set", "Copy Defaults...");
    const std::optional<WindowInfo> dialog = WaitForDialog();
    ASSERT_TRUE(dialog.has_value());
    EXPECT_TRUE(TakesWindowClose(dialog->id));

    // Closing the dialog from the window manager cancels it: the diagram
    // stays unmodified, so closing the page window then ends tolq at once.
    CloseFromWindowManager(dialog->id);
    ASSERT_TRUE(NoDialogLeft());
    EXPECT_TRUE(tolq_.running());
    CloseFromWindowManager(page_.id);
    EXPECT_TRUE(EndedCleanly());
    EXPECT_EQ(read_file(diagram_), original_);
}

struct CloseCase {
    const char* name;
    bool pageWindow;      // close the page window, else the main window
    const char* answer;   // "Yes", "No" or "Cancel" to the save question
    bool ends;
    bool saved;
};

class CloseModified : public Session, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseModified, AsksWhetherToSaveAndLosesNothing)
{
    const CloseCase& c = GetParam();
    ModifyTheDiagram();
    CloseFromWindowManager(c.pageWindow ? page_.id : main_.id);
    EXPECT_TRUE(tolq_.running());
    const std::optional<WindowInfo> question = WaitForDialog();
    ASSERT_TRUE(question.has_value());
    // Yes, Cancel and No lie where the question's dialog table puts them.
    const std::map<std::string, std::pair<int, int>> buttons = {
        {"Yes", {366, 110}}, {"Cancel", {166, 110}}, {"No", {266, 110}}};
    ClickIn(*question, buttons.at(c.answer).first, buttons.at(c.answer).second);
    if (c.ends) {
        EXPECT_TRUE(EndedCleanly());
    } else {
        ASSERT_TRUE(NoDialogLeft());
        std::this_thread::sleep_for(500ms);
        EXPECT_TRUE(tolq_.running());
    }
    EXPECT_EQ(read_file(diagram_) != original_, c.saved);
    EXPECT_EQ(fs::exists(diagram_ + "~"), c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    WindowManager, CloseModified,
    ::testing::Values(CloseCase{"PageWindowYesSavesAndEnds", true, "Yes", true, true},
                      CloseCase{"MainWindowYesSavesAndEnds", false, "Yes", true, true},
                      CloseCase{"CancelKeepsTolqRunning", false, "Cancel", false, false},
                      CloseCase{"NoEndsWithoutSaving", true, "No", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- clicks after a dialog ----

struct DialogCase {
    const char* name;
    const char* menu;
    const char* item;
};

class AfterDialog : public Session, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(AfterDialog, AClickOnThePageSelectsTheClickedNode)
{
    const DialogCase& c = GetParam();
    ClickOn(kBuffer);
    ASSERT_TRUE(Selected(kBuffer));
    ASSERT_FALSE(Selected(kProduce));
    Pick(c.menu, c.item);
    const std::optional<WindowInfo> dialog = WaitForDialog();
    ASSERT_TRUE(dialog.has_value());
    PressReturn(*dialog);
    ASSERT_TRUE(NoDialogLeft());

    ClickOn(kProduce);
    EXPECT_TRUE(wait_until([&] { return Selected(kProduce); }, 3s));
    EXPECT_FALSE(Selected(kBuffer));
    // And the next click too.
    ClickOn(kBuffer);
    EXPECT_TRUE(wait_until([&] { return Selected(kBuffer); }, 3s));
    EXPECT_FALSE(Selected(kProduce));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, AfterDialog,
    ::testing::Values(DialogCase{"MessageBox", "TOLQ", "Replace by Subpage..."},
                      DialogCase{"OptionDialog", "Set", "Copy Defaults..."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Occurrence Set Options ----

TEST_F(Session, OccurrenceSetOptionsOpensItsDialogAndLeavesTheDrawingIntact)
{
    ClickOn(kProduce);
    const std::vector<bool> before = Drawing();
    Pick("Set", "Occurrence Set Options...");
    // The options dialog, not an internal error box; OK closes it.
    const std::optional<WindowInfo> dialog = WaitForDialog();
    ASSERT_TRUE(dialog.has_value());
    PressReturn(*dialog);
    ASSERT_TRUE(NoDialogLeft());
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(tolq_.running());
    EXPECT_TRUE(Drawing() == before);
}

// ---- the saved net read back ----

// One record of the net data base with the kernel object it names.
struct Linked {
    SEHead* record;
    uint32_t written;
    ObjectHandle object = 0;
};

std::vector<Linked>& LinkedRecords()
{
    static std::vector<Linked> list;
    return list;
}

int CollectLink(uint32_t* object, SEHead* record)
{
    LinkedRecords().push_back({record, *object});
    return 1;
}

uintptr_t MapLinks(uintptr_t, uintptr_t, uintptr_t, uintptr_t map, uintptr_t, uintptr_t)
{
    for (Linked& link : LinkedRecords())
        link.object = QXStr_MapHandle(static_cast<MemHandle>(map), link.written);
    return 1;
}

std::vector<ObjectHandle> Handles(uint16_t count, ObjectHandle* array)
{
    std::vector<ObjectHandle> out;
    if (array != nullptr) {
        out.assign(array, array + count);
        QXMem_Free(array);
    }
    return out;
}

std::string TextOf(ObjectHandle object)
{
    std::string text(256, '\0');
    uint32_t length = static_cast<uint32_t>(text.size());
    if (QXText_GetText(object, text.data(), &length) == 0)
        return {};
    text.resize(std::min<size_t>(length, text.size()));
    return text;
}

// The diagram file and its net data base as saved, read back together.
class SavedNet {
public:
    explicit SavedNet(const std::string& path)
    {
        ok_ = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
              Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk;
        static bool pools = (SEInitPools(), true);
        (void)pools;
        ok_ = ok_ && SEStart() != nullptr;
        LinkedRecords().clear();
        FILE* db = std::fopen((path + ".DB").c_str(), "rb");
        ok_ = ok_ && db != nullptr && SERestoreDB(db) == 1;
        if (db != nullptr)
            std::fclose(db);
        ok_ = ok_ && SERelinkDB(CollectLink) == 1;
        Hook_Register(32, MapLinks);
        FileHandle file = 0;
        ok_ = ok_ && File_Open(path.c_str(), kOpenRead, &file) == kStatusOk;
        ObjectGroup pages = 0;
        ok_ = ok_ && File_ReadDiagram(file, 0, &pages) == kStatusOk;
        if (file != 0)
            File_Close(file);
        if (pages != 0)
            Group_Free(pages);
        for (const Linked& link : LinkedRecords())
            objectOf_[link.record] = link.object;
    }
    ~SavedNet()
    {
        Hook_Unregister(32);
        SEFreeDB();
        if (Model_GetRoot() != 0)
            Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    SavedNet(const SavedNet&) = delete;
    SavedNet& operator=(const SavedNet&) = delete;

    bool ok() const { return ok_; }

    std::vector<const Linked*> OfKind(uint16_t kind) const
    {
        std::vector<const Linked*> out;
        for (const Linked& link : LinkedRecords())
            if (link.record->kind == kind)
                out.push_back(&link);
        return out;
    }

    const Linked* Named(uint16_t kind, const std::string& name) const
    {
        for (const Linked* link : OfKind(kind)) {
            const char* own = SEGetName(link->record);
            if (own != nullptr && name == own)
                return link;
        }
        return nullptr;
    }

    ObjectHandle ObjectOf(const SEHead* record) const
    {
        const auto found = objectOf_.find(record);
        return found != objectOf_.end() ? found->second : 0;
    }

    // Every place and transition names a live object on the page its record
    // belongs to, every page record names a page, and every node on a page
    // has a record.
    void ExpectDiagramAndDataBaseAgree() const
    {
        std::vector<ObjectHandle> recorded;
        for (const Linked& link : LinkedRecords()) {
            ASSERT_NE(link.object, 0u) << "record " << link.record->id << " names no object of the diagram";
            EXPECT_NE(QXStr_IsObject(link.object), 0u);
            recorded.push_back(link.object);
            if (link.record->kind == kSEPlace || link.record->kind == kSETrans) {
                ASSERT_NE(link.record->owner, nullptr);
                EXPECT_EQ(QXStr_GetObjectPage(link.object), ObjectOf(link.record->owner))
                    << SEGetName(link.record) << " lies on another page than its record says";
            }
        }
        uint16_t count = 0;
        ObjectHandle* array = nullptr;
        QXStr_GetPageList(&count, &array);
        for (ObjectHandle page : Handles(count, array)) {
            // The hierarchy page shows the pages; it is no part of the net.
            char name[256] = {};
            uint16_t number = 0;
            int16_t width = 0, height = 0;
            uint32_t border = 0;
            QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
            if (std::string(name) == "Hierarchy")
                continue;
            EXPECT_NE(std::find(recorded.begin(), recorded.end(), page), recorded.end())
                << "page " << page << " without record";
            uint16_t nodes = 0;
            ObjectHandle* list = nullptr;
            QXStr_GetNodeList(page, &nodes, &list);
            for (ObjectHandle node : Handles(nodes, list))
                EXPECT_NE(std::find(recorded.begin(), recorded.end(), node), recorded.end())
                    << "node " << node << " \"" << TextOf(node) << "\" on page " << page << " without record";
        }
    }

private:
    bool ok_ = false;
    std::map<const SEHead*, ObjectHandle> objectOf_;
};

std::string RegionText(ObjectHandle object, uint32_t wanted)
{
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    QXStr_GetRegionList(object, &count, &regions);
    for (ObjectHandle region : Handles(count, regions)) {
        uint32_t kind = 0;
        QXRdAttr_GetRegionKind(region, &kind);
        if (kind == wanted)
            return TextOf(region);
    }
    return {};
}

// Produce with its guard and its three arcs (two with Next, one to Buffer),
// in the saved files.
void ExpectProduceWhole(const SavedNet& net)
{
    const Linked* produce = net.Named(kSETrans, "Produce");
    ASSERT_NE(produce, nullptr) << "Produce is gone";
    EXPECT_EQ(RegionText(produce->object, 4104), "[n < 10]");
    const auto* record = reinterpret_cast<const SETrans*>(produce->record);
    ASSERT_NE(record->guard, nullptr);
    EXPECT_STREQ(record->guard, "[n < 10]");
    EXPECT_EQ(LMCount(record->inputArcs) + LMCount(record->outputArcs), 3u);
    uint16_t count = 0;
    ObjectHandle* connectors = nullptr;
    QXStr_GetObjectConnList(produce->object, &count, &connectors);
    EXPECT_EQ(Handles(count, connectors).size(), 3u);
}

TEST_F(Session, MoveToSubpageOnProduceThenReplaceBySubpageLosesNothing)
{
    ClickOn(kProduce);
    ASSERT_TRUE(Selected(kProduce));
    Pick("TOLQ", "Move to Subpage");
    // No internal error.
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(Dialogs().empty());
    Save();
    {
        SavedNet net(diagram_);
        ASSERT_TRUE(net.ok());
        net.ExpectDiagramAndDataBaseAgree();
        ExpectProduceWhole(net);
        // Produce is now a substitution transition whose new subpage holds
        // port copies of Next and Buffer.
        const Linked* produce = net.Named(kSETrans, "Produce");
        ASSERT_NE(produce, nullptr);
        EXPECT_EQ(produce->record->subKind, kSESubstitution);
        EXPECT_NE(SEGetSubpageObj(produce->record), 0u);
        EXPECT_EQ(net.OfKind(kSEPage).size(), 2u);
        std::vector<std::string> ports;
        for (const Linked* place : net.OfKind(kSEPlace))
            if (place->record->owner != produce->record->owner)
                ports.emplace_back(SEGetName(place->record));
        std::sort(ports.begin(), ports.end());
        EXPECT_EQ(ports, (std::vector<std::string>{"Buffer", "Next"}));
    }

    // Replace by Subpage would put nothing in Produce's place: it refuses
    // and deletes nothing.
    ClickOn(kProduce);
    ASSERT_TRUE(Selected(kProduce));
    Pick("TOLQ", "Replace by Subpage...");
    const std::optional<WindowInfo> refusal = WaitForDialog();
    ASSERT_TRUE(refusal.has_value());
    PressReturn(*refusal);
    ASSERT_TRUE(NoDialogLeft());
    Save();
    SavedNet net(diagram_);
    ASSERT_TRUE(net.ok());
    net.ExpectDiagramAndDataBaseAgree();
    ExpectProduceWhole(net);
    EXPECT_TRUE(tolq_.running());
}

}  // namespace
}  // namespace tolq::test
