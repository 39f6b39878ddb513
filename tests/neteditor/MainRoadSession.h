// A user's session with tolq on a copy of the example net under the private
// Xvfb, driven through the real menus, clicks and keys; and the saved
// diagram read back in this process with the net layer, as tolq reads it.
// Shared by the program tests of the net editor's main road.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
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
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"
#include "xkv/text/TextEdit.h"
#include "xkv/undo/Undo.h"

namespace tolq::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline const std::string kTolqProgram = std::string(TOLQ_BIN_DIR) + "/tolq";
inline const std::string kExampleNet = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// ---- the diagram in this process ----

inline std::string TextOf(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0)
        return {};
    std::string text(length, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(std::min<size_t>(length, text.size()));
    return text;
}

template <typename Get>
std::vector<ObjectHandle> ListOf(Get get)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (get(&count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return out;
}

inline std::vector<ObjectHandle> PagesOfDiagram()
{
    return ListOf([](uint16_t* n, ObjectHandle** a) { return QXStr_GetPageList(n, a); });
}
inline std::vector<ObjectHandle> NodesOf(ObjectHandle page)
{
    return ListOf([page](uint16_t* n, ObjectHandle** a) { return QXStr_GetNodeList(page, n, a); });
}
inline std::vector<ObjectHandle> ConnectorsOnPage(ObjectHandle page)
{
    return ListOf([page](uint16_t* n, ObjectHandle** a) { return QXStr_GetPageConnList(page, n, a); });
}
inline std::vector<ObjectHandle> RegionsOf(ObjectHandle object)
{
    return ListOf([object](uint16_t* n, ObjectHandle** a) { return QXStr_GetRegionList(object, n, a); });
}

// Every text of the object, its regions and their regions, joined by lines.
inline std::string AllTexts(ObjectHandle object)
{
    std::string texts = TextOf(object) + "\n";
    for (ObjectHandle region : RegionsOf(object))
        texts += AllTexts(region);
    return texts;
}

// A kernel with the net layer of our own in this process, with the diagram
// read as tolq reads it (the net data base beside it); freed at the end.
class NetDiagram {
public:
    explicit NetDiagram(const std::string& path) : path_(path)
    {
        ok_ = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
              Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk &&
              Model_NewDiagram() == kStatusOk;
        if (!ok_)
            return;
        ok_ = DefRegisterProperties() == 1 && DefInitAll() == 1;
        EE_ClearPendingError();
        GE_SetMode(kGEModeEditor);
        const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                        {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                        {64, EE_DiagramClosed},  {78, EE_AfterFileRead}};
        for (const auto& [hook, handler] : hooks)
            Hook_Set(hook, handler);
        Comm_SetFilePath(1, path.c_str());
        Core_CloseModel();
        FileHandle file = 0;
        ok_ = ok_ && File_Open(path.c_str(), kOpenRead, &file) == kStatusOk;
        ObjectGroup pages = 0;
        ok_ = ok_ && File_ReadDiagram(file, 0, &pages) == kStatusOk;
        if (file != 0)
            File_Close(file);
        if (pages != 0)
            Group_Free(pages);
    }
    ~NetDiagram()
    {
        Core_CloseModel();
        Hook_Fire(64);
        Text_Shutdown();
        Undo_Shutdown();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        EE_ClearPendingError();
    }
    NetDiagram(const NetDiagram&) = delete;
    NetDiagram& operator=(const NetDiagram&) = delete;

    bool ok() const { return ok_; }
    bool Save() const { return File_SaveDiagram(path_.c_str()) == kStatusOk; }

    // The pages of the net (not the hierarchy page).
    std::vector<ObjectHandle> NetPages() const
    {
        std::vector<ObjectHandle> pages;
        for (ObjectHandle page : PagesOfDiagram()) {
            uint32_t length = 0;
            if (PGIsHierarchyObject(page, &length) == 0)
                pages.push_back(page);
        }
        return pages;
    }
    ObjectHandle HierarchyPage() const { return PGFindHierarchyPage(); }

    // The node of the net whose record has the name, 0 when none has.
    ObjectHandle NodeNamed(const std::string& name) const
    {
        for (ObjectHandle page : NetPages()) {
            for (ObjectHandle node : NodesOf(page)) {
                SEHead* record = nullptr;
                if (GE_GetSERecord(node, &record) == 0 || record == nullptr)
                    continue;
                const char* own = SEGetName(record);
                if (own != nullptr && name == own)
                    return node;
            }
        }
        return 0;
    }

    // The first object of any page, node, connector or region at any depth,
    // whose own text reads the text.
    ObjectHandle ObjectWithText(const std::string& text) const
    {
        for (ObjectHandle page : PagesOfDiagram()) {
            std::vector<ObjectHandle> open = NodesOf(page);
            for (ObjectHandle connector : ConnectorsOnPage(page))
                open.push_back(connector);
            while (!open.empty()) {
                const ObjectHandle object = open.back();
                open.pop_back();
                if (TextOf(object) == text)
                    return object;
                for (ObjectHandle region : RegionsOf(object))
                    open.push_back(region);
            }
        }
        return 0;
    }

    // Every text on the page, its objects and their regions.
    std::string PageTexts(ObjectHandle page) const
    {
        std::string texts;
        for (ObjectHandle node : NodesOf(page))
            texts += AllTexts(node);
        for (ObjectHandle connector : ConnectorsOnPage(page))
            texts += AllTexts(connector);
        return texts;
    }

private:
    std::string path_;
    bool ok_ = false;
};

// A string as the net data base file holds it: its length with the closing
// zero in four bytes, big-endian, then its bytes and the zero.
inline std::string EncodedInDataBase(const std::string& text)
{
    const auto n = static_cast<uint32_t>(text.size() + 1);
    std::string bytes = {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
                         static_cast<char>(n)};
    return bytes + text + std::string(1, '\0');
}

inline bool DataBaseHolds(const std::string& diagram, const std::string& text)
{
    return read_file(diagram + ".DB").find(EncodedInDataBase(text)) != std::string::npos;
}

inline int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

// ---- tolq on the X server ----

// A point of the page's drawing area.
struct Spot {
    int x, y;
};

// Where the example's objects lie in the drawing area of its page window.
constexpr Spot kProduceSpot{280, 369};
constexpr Spot kBufferSpot{450, 369};

// The menu bar as tolq lays it out, and the items of the menus used here
// ("" is a separator).
inline const std::vector<std::string> kMenuTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                                     "Makeup", "Page", "Group", "Text", "Align"};
inline const std::map<std::string, std::vector<std::string>> kMenuItems = {
    {"File",
     {"New", "Open...", "Close", "Save", "Save As...", "Revert", "", "Print Preview", "Page Setup...", "Print...", "",
      "Eps Setup...", "Save Eps...", "", "Load Image...", "Save Subdiagram...", "Load Subdiagram...", "Save Text...",
      "Load Text...", "Save XML...", "Load XML...", "", "Save State...", "Load State...", "", "Enter Simulator",
      "Enter Perf", "Enter Occ Graph", "Enter OE/OS Graph", "", "Quit"}},
    {"Sim",
     {"Bind...", "Occurrence Set...", "Start Step", "", "Interactive Run", "Automatic Run", "", "Continue", "Stop", "",
      "Change Marking...", "Initial State...", "", "Select Instance...", "Select Enabled...", "", "Save Report...",
      "Clear Report...", "", "Update Chart", "", "Reswitch"}},
    {"TOLQ",
     {"Place", "Transition", "Arc", "TOLQ Region...", "Declaration Node...", "New Declaration...",
      "Edit Declaration...", "Declarations...", "Convert Declarations", "", "Chart...", "", "Move to Subpage",
      "Replace by Subpage...", "", "Substitution Transition", "Fusion Place...", "Port Place...", "Port Assignment...",
      "", "Syntax Check", "", "Remove Sim Regions..."}},
    {"Aux",
     {"Connector", "Box", "RoundedBox", "Ellipse", "Polygon", "Regular Polygon", "Wedge", "Line", "Label", "",
      "Make Region", "Make Node", "", "Convert to TOLQ...", "Convert to Aux", "", "Start ML", "ML Evaluate"}},
    {"Occ",
     {"Calculate Occ Graph", "Calculate Successors", "Calculate Scc Graph", "", "Show Statistics...", "Save Report...",
      "", "Occ State to Sim", "Sim State to Occ", "", "Attributes/Options...", "", "Display Node...", "Display Arc...",
      "Display Successors", "Display Predecessors", "Display Scc Graph", "", "Toggle Descriptor", "Update Node"}},
    {"Perf", {"Report Setup...", "Save Report...", "", "Data Collector...", "", "Initialize Data Collectors"}},
};

// tolq started on a copy of the example (HOME in a fresh directory), with its
// page window moved below the main window so that the menu bar can be reached.
class TolqSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousHandler_ = XSetErrorHandler(IgnoreVanishedWindows);
        diagram_ = dir_.file("producer-consumer.tolq");
        fs::copy_file(kExampleNet, diagram_);
        fs::copy_file(kExampleNet + ".DB", diagram_ + ".DB");
    }
    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
        XSetErrorHandler(previousHandler_);
    }

    // Starts tolq on the diagram as it is now.
    void Start()
    {
        tolq_ = BackgroundProcess({kTolqProgram, diagram_}, {{"HOME", dir_.path()}}, dir_.path());
        ASSERT_TRUE(wait_until([&] { return FindWindows(); }, 20s)) << "tolq's windows did not appear";
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        ASSERT_TRUE(wait_until([&] { return FindWindows() && drawing_.root_y > 120; }));
        font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
        if (font_ == nullptr)
            font_ = XLoadQueryFont(client_.display(), "fixed");
        ASSERT_NE(font_, nullptr);
        // The page is drawn.
        ASSERT_TRUE(wait_until([&] { return Ink(kProduceSpot.x - 40, kProduceSpot.y - 20, 10, 10) > 0; }));
        Settle();
    }

    // The main window with its menu bar and the net page's window with its
    // drawing area; true when both are there.
    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (found.main.id != 0)
            bar_ = found.bar;
        // The first page window with its drawing area is the net's page.
        for (const TolqPageWindow& page : found.pages) {
            if (page.drawing.id != 0) {
                page_ = page.shell;
                drawing_ = page.drawing;
                return found.main.id != 0;
            }
        }
        return false;
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
        const MenuPick pick = PickMenuItem(client_, bar_, font_, MenuTable{kMenuTitles, kMenuItems}, title, item);
        ASSERT_TRUE(pick.itemListed) << item;
        ASSERT_TRUE(pick.opened) << title << " did not open with " << pick.height << " pixels of items";
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    void ClickAt(Spot spot)
    {
        client_.click(drawing_.root_x + spot.x, drawing_.root_y + spot.y);
        Settle();
    }

    // Keys go to the page when the pointer rests inside it, away from its corner.
    void PointerIntoPage() const
    {
        client_.move_pointer(drawing_.root_x + drawing_.width / 2, drawing_.root_y + drawing_.height / 2);
    }

    void Keys(const std::string& keys)
    {
        PointerIntoPage();
        xdotool({"key", keys});
        Settle();
    }

    // Saves from tolq (Alt+S) and waits until the diagram and its net data
    // base are both written again.
    void Save()
    {
        const auto before = fs::last_write_time(diagram_);
        const auto beforeDb = fs::last_write_time(diagram_ + ".DB");
        std::this_thread::sleep_for(1100ms);
        Keys("alt+s");
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return fs::last_write_time(diagram_, error) != before &&
                   fs::last_write_time(diagram_ + ".DB", error) != beforeDb;
        })) << "the diagram was not saved";
        std::this_thread::sleep_for(500ms);
    }

    // Waits for a message box and closes it with its button.
    bool AnswerMessageBox(std::chrono::milliseconds limit = 10s)
    {
        std::optional<WindowInfo> button;
        if (!wait_until([&] { return (button = client_.message_box_button()).has_value(); }, limit))
            return false;
        client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
        return wait_until([&] { return !client_.message_box_button().has_value(); });
    }

    bool NoMessageBoxFor(std::chrono::milliseconds span) const
    {
        return !wait_until([&] { return client_.message_box_button().has_value(); }, span);
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
            for (int i = 0; i < width; ++i) {
                const unsigned long pixel = XGetPixel(image, i, j);
                dark += ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff) < 3 * 128 ? 1 : 0;
            }
        XDestroyImage(image);
        return dark;
    }

    static constexpr int kSeparatorHeight = 8;

    TempDir dir_;
    XClient client_;
    std::string diagram_;
    BackgroundProcess tolq_;
    WindowInfo bar_, page_, drawing_;
    XFontStruct* font_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
};

}  // namespace tolq::test
