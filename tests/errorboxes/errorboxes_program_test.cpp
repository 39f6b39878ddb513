// tolq itself under the private Xvfb: a syntax check (Alt+') of a net whose
// arc inscription is no ML expression writes the error, with a reference to
// the faulty arc, into the page's error box; the box is drawn in a free place
// wholly inside the page's window; the hierarchy page lists the page. Once
// the inscription is mended, the next check empties the box to
// "<<No errors>>". The diagram is saved from tolq (Alt+S) and read back here.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
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

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";
constexpr const char* kGoodExpression = "n + 1";
constexpr const char* kBadExpression = "n +";

std::string TextOf(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0)
        return {};
    std::string text(length, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(length);
    return text;
}

std::string Ref(ObjectHandle object)
{
    return "<<" + std::to_string(object & 0xffff) + ">>";
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

// ---- the diagram in this process ----

// A kernel and, with `net`, the net layer of our own in this process, with
// the diagram read as tolq reads it; everything is freed at the end.
class Diagram {
public:
    Diagram(const std::string& path, bool net) : path_(path), net_(net)
    {
        ok_ = Group_CreateTable(kGroupTableInitialSize) == kStatusOk &&
              Model_CreateTable(kInitialObjectSlots) == kStatusOk && Default_Init() == kStatusOk &&
              Model_NewDiagram() == kStatusOk;
        if (!ok_)
            return;
        if (net_) {
            ok_ = DefRegisterProperties() == 1 && DefInitAll() == 1;
            EE_ClearPendingError();
            GE_SetMode(kGEModeEditor);
            const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                            {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                            {64, EE_DiagramClosed},  {78, EE_AfterFileRead}};
            for (const auto& [hook, handler] : hooks)
                Hook_Set(hook, handler);
        }
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
    ~Diagram()
    {
        Core_CloseModel();
        if (net_)
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
    Diagram(const Diagram&) = delete;
    Diagram& operator=(const Diagram&) = delete;

    bool ok() const { return ok_; }
    bool Save() const { return File_SaveDiagram(path_.c_str()) == kStatusOk; }

    // The net's one page (not the hierarchy page).
    ObjectHandle NetPage() const
    {
        for (ObjectHandle page : ListOf([](uint16_t* n, ObjectHandle** a) { return QXStr_GetPageList(n, a); })) {
            uint32_t length = 0;
            if (PGIsHierarchyObject(page, &length) == 0)
                return page;
        }
        return 0;
    }
    ObjectHandle HierarchyPage() const { return PGFindHierarchyPage(); }

    // The arc connector whose inscription reads the text, and that inscription.
    std::pair<ObjectHandle, ObjectHandle> ArcWith(const std::string& expression) const
    {
        const ObjectHandle page = NetPage();
        for (ObjectHandle arc :
             ListOf([page](uint16_t* n, ObjectHandle** a) { return QXStr_GetPageConnList(page, n, a); })) {
            for (ObjectHandle region :
                 ListOf([arc](uint16_t* n, ObjectHandle** a) { return QXStr_GetRegionList(arc, n, a); })) {
                if (TextOf(region) == expression)
                    return {arc, region};
            }
        }
        return {0, 0};
    }

    // The page's error box as the saved links name it: the object whose own
    // mark (0xF903 of the page names it, 0xF908 of the box names itself) is
    // the page's link. Handles are given afresh when a file is read, the
    // marks keep those of the program that saved it.
    ObjectHandle ErrorBoxOf(ObjectHandle page) const
    {
        const uint32_t link = GE_GetAuxWord(page);
        if (link == 0)
            return 0;
        for (ObjectHandle node :
             ListOf([page](uint16_t* n, ObjectHandle** a) { return QXStr_GetNodeList(page, n, a); })) {
            if (GE_GetSelfMark(node) == link)
                return node;
        }
        return 0;
    }

private:
    std::string path_;
    bool net_;
    bool ok_ = false;
};

// Sets the arc inscription `from` to `to` through the net layer, as an edit
// does, and saves the diagram with its net data base.
void SetArcExpression(const std::string& path, const std::string& from, const std::string& to)
{
    Diagram diagram(path, true);
    ASSERT_TRUE(diagram.ok());
    const auto [arc, region] = diagram.ArcWith(from);
    ASSERT_NE(region, 0u) << "no arc reads " << from;
    ASSERT_EQ(QXText_SetText(region, to.c_str()), 1u);
    ASSERT_EQ(EE_UpdateNetFromRegion(region), 1);
    // The check walks the pages that take part in the simulation.
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(diagram.NetPage(), &record), 1);
    ASSERT_EQ(record->kind, kSEPage);
    reinterpret_cast<SEPage*>(record)->modeFlags |= 1u;
    ASSERT_TRUE(diagram.Save());
}

// ---- tolq on the X server ----

struct Ink {
    int width = 0;
    int height = 0;
    std::vector<bool> dark;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && dark[y * width + x]; }
};

Ink ReadInk(Display* display, Window window)
{
    Ink ink;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return ink;
    ink.width = attributes.width;
    ink.height = attributes.height;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(ink.width),
                              static_cast<unsigned>(ink.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return Ink{};
    ink.dark.resize(static_cast<size_t>(ink.width) * ink.height);
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const unsigned long sum = ((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff);
            ink.dark[y * ink.width + x] = sum < 3 * 128;
        }
    }
    XDestroyImage(image);
    return ink;
}

struct PageWindow {
    WindowInfo shell;
    WindowInfo drawing;
};

// tolq's page window: a Tolq shell whose frame holds the title bar at
// (-1, -1) and the drawing area as its largest child.
std::vector<PageWindow> PageWindows(const XClient& client)
{
    std::vector<PageWindow> found;
    const std::vector<WindowInfo> tree = client.window_tree();
    for (const WindowInfo& shell : tree) {
        if (shell.parent != client.root() || !shell.mapped || shell.res_class != "Tolq")
            continue;
        for (const WindowInfo& frame : tree) {
            if (frame.parent != shell.id)
                continue;
            PageWindow page{shell, {}};
            bool title = false;
            for (const WindowInfo& child : tree) {
                if (child.parent != frame.id)
                    continue;
                if (child.x == -1 && child.y == -1 && child.width >= frame.width)
                    title = true;
                else if (child.width * child.height > page.drawing.width * page.drawing.height)
                    page.drawing = child;
            }
            if (title && page.drawing.id != 0)
                found.push_back(page);
        }
    }
    return found;
}

int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow || error->error_code == BadMatch ? 0 : 1;
}

struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool empty() const { return right < left; }
};

// Where two pictures of a window differ.
Box Difference(const Ink& before, const Ink& after)
{
    Box box{after.width, after.height, -1, -1};
    for (int y = 0; y < std::min(before.height, after.height); ++y) {
        for (int x = 0; x < std::min(before.width, after.width); ++x) {
            if (before.at(x, y) != after.at(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

class ErrorBoxProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = XSetErrorHandler(IgnoreVanishedWindows);
        path_ = dir_.file("net");
        fs::copy_file(kExample, path_);
        fs::copy_file(kExample + ".DB", path_ + ".DB");
    }
    void TearDown() override { XSetErrorHandler(previous_); }

    void Start()
    {
        tolq_ = BackgroundProcess({kTolq, path_}, {{"HOME", dir_.path()}});
        std::vector<PageWindow> pages;
        ASSERT_TRUE(wait_until([&] { return (pages = PageWindows(client_)).size() == 1; },
                               std::chrono::milliseconds(20000)));
        page_ = pages.front();
    }

    // The page's drawing area once it has stopped changing.
    Ink Settled()
    {
        Ink last;
        Ink now = ReadInk(client_.display(), page_.drawing.id);
        wait_until(
            [&] {
                client_.sync();
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                last = now;
                now = ReadInk(client_.display(), page_.drawing.id);
                return now.dark == last.dark;
            },
            std::chrono::milliseconds(5000));
        return now;
    }

    void Key(KeySym keysym, bool press)
    {
        XTestFakeKeyEvent(client_.display(), XKeysymToKeycode(client_.display(), keysym), press ? True : False,
                          CurrentTime);
        client_.sync();
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    // Alt and the key, with the pointer in the page so that the page has the keyboard.
    void AltKey(KeySym keysym)
    {
        client_.move_pointer(page_.drawing.root_x + page_.drawing.width / 2,
                             page_.drawing.root_y + page_.drawing.height / 2);
        Key(XK_Alt_L, true);
        Key(keysym, true);
        Key(keysym, false);
        Key(XK_Alt_L, false);
    }

    // Runs the check from its key and answers the message box that ends it.
    void Check()
    {
        AltKey(XK_apostrophe);
        std::optional<WindowInfo> button;
        ASSERT_TRUE(wait_until([&] { return (button = client_.message_box_button()).has_value(); },
                               std::chrono::milliseconds(90000)))
            << "the check ended without its message box";
        client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
        ASSERT_TRUE(wait_until([&] { return !client_.message_box_button().has_value(); }));
    }

    // Saves from tolq and waits until both files are written.
    void Save()
    {
        const auto before = fs::last_write_time(path_);
        const auto beforeDb = fs::last_write_time(path_ + ".DB");
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        AltKey(XK_s);
        ASSERT_TRUE(wait_until([&] {
            std::error_code error;
            return fs::last_write_time(path_, error) != before && fs::last_write_time(path_ + ".DB", error) != beforeDb;
        })) << "the diagram was not saved";
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }

    void Stop()
    {
        tolq_.stop(SIGKILL);
        wait_until([&] { return PageWindows(client_).empty(); });
    }

    TempDir dir_;
    std::string path_;
    XClient client_;
    BackgroundProcess tolq_;
    PageWindow page_;
    XErrorHandler previous_ = nullptr;
};

TEST_F(ErrorBoxProgramTest, CheckPutsTheErrorInAVisibleBoxAndTheNextCleanCheckEmptiesIt)
{
    SetArcExpression(path_, kGoodExpression, kBadExpression);
    ASSERT_FALSE(HasFailure());

    // The check finds the broken inscription.
    ASSERT_NO_FATAL_FAILURE(Start());
    const Ink before = Settled();
    ASSERT_NO_FATAL_FAILURE(Check());
    EXPECT_TRUE(tolq_.running());
    // The page may lie under the hierarchy page, which a check with errors shows.
    XRaiseWindow(client_.display(), page_.shell.id);
    client_.sync();
    const Ink after = Settled();
    const Box drawn = Difference(before, after);
    ASSERT_FALSE(drawn.empty()) << "no error box appeared on the page";
    // Wholly inside the window, in a place where nothing was drawn before.
    EXPECT_GT(drawn.left, 0);
    EXPECT_GT(drawn.top, 0);
    EXPECT_LT(drawn.right, after.width - 1);
    EXPECT_LT(drawn.bottom, after.height - 1);
    int covered = 0;
    for (int y = drawn.top; y <= drawn.bottom; ++y)
        for (int x = drawn.left; x <= drawn.right; ++x)
            covered += before.at(x, y) ? 1 : 0;
    EXPECT_EQ(covered, 0) << "the box covers what the page showed";
    // A frame and several lines of text.
    EXPECT_GT(drawn.right - drawn.left, 60);
    EXPECT_GT(drawn.bottom - drawn.top, 30);
    ASSERT_NO_FATAL_FAILURE(Save());
    Stop();

    {
        Diagram diagram(path_, false);
        ASSERT_TRUE(diagram.ok());
        const ObjectHandle page = diagram.NetPage();
        const ObjectHandle box = diagram.ErrorBoxOf(page);
        ASSERT_NE(box, 0u) << "the page has no error box";
        const auto [arc, region] = diagram.ArcWith(kBadExpression);
        ASSERT_NE(arc, 0u);
        const std::string text = TextOf(box);
        EXPECT_TRUE(text.starts_with("Errors\n\nC.")) << text;
        EXPECT_NE(text.find(Ref(arc)), std::string::npos) << "no reference to the arc " << arc << " in\n" << text;
        // What the user reads: the rule and the evaluator's explanation, no
        // trace of the evaluator's own code.
        EXPECT_EQ(text.find("raised at"), std::string::npos) << text;
        EXPECT_EQ(text.find("uncaught exception"), std::string::npos) << text;
        EXPECT_EQ(text.find("Decl.Separator"), std::string::npos) << text;
        const ObjectHandle list = diagram.ErrorBoxOf(diagram.HierarchyPage());
        ASSERT_NE(list, 0u) << "the hierarchy page has no list of error boxes";
        EXPECT_TRUE(TextOf(list).starts_with("Errors\n")) << TextOf(list);
        EXPECT_NE(TextOf(list).find(Ref(box)), std::string::npos) << TextOf(list);
    }

    // Mended, the next check passes and empties the boxes.
    SetArcExpression(path_, kBadExpression, kGoodExpression);
    ASSERT_FALSE(HasFailure());
    ASSERT_NO_FATAL_FAILURE(Start());
    Settled();
    ASSERT_NO_FATAL_FAILURE(Check());
    ASSERT_NO_FATAL_FAILURE(Save());
    Stop();
    Diagram diagram(path_, false);
    ASSERT_TRUE(diagram.ok());
    const ObjectHandle box = diagram.ErrorBoxOf(diagram.NetPage());
    ASSERT_NE(box, 0u);
    EXPECT_EQ(TextOf(box), "<<No errors>>");
    const ObjectHandle list = diagram.ErrorBoxOf(diagram.HierarchyPage());
    ASSERT_NE(list, 0u);
    EXPECT_EQ(TextOf(list), "<<No errors>>");
}

}  // namespace
}  // namespace tolq::test
