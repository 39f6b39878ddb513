// tolq opening a hierarchical net whose diagram has no hierarchy page yet:
// the program builds the hierarchy page with one page node per page and an
// arc, labelled with the substitution transition's name, from the super
// page's node to the sub page's node; saved with Alt+S and read back here.
// And the syntax check (Alt+') on such a net with the real evaluator: an
// assigned port of the socket's colour set draws no C.15 error, one of
// another colour set does.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "process.h"
#include "xclient.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
constexpr Fixed kUnit = 0x10000;

char* Copy(const std::string& text)
{
    auto* copy = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The kernel's tables with an empty diagram, and the net layer's defaults
// and abstract net, for as long as the object lives.
class Kernel {
public:
    Kernel()
    {
        EXPECT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        EXPECT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        EXPECT_EQ(Default_Init(), kStatusOk);
        EXPECT_EQ(DefRegisterProperties(), 1);
        static const bool pools = SEInitPools() != 0;
        EXPECT_TRUE(pools);
        EXPECT_NE(SEStart(), nullptr);
    }
    ~Kernel()
    {
        SEFreeDB();
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;
};

SEPage* NetPage(const std::string& name, uint16_t number, ObjectHandle* page)
{
    *page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    EXPECT_NE(*page, 0u);
    EXPECT_EQ(QXWtAttr_SetPageAttr(*page, name.c_str(), number, 0, 0, 0), 1u);
    SEPage* net = SECreatePage(*page, 1);
    EXPECT_EQ(GE_SetSERecord(*page, &net->head), 1);
    SEPutName(&net->head, Copy(name));
    SESetPageNumber(&net->head, number);
    return net;
}

ObjectHandle Node(ObjectHandle page, int32_t shape, const char* name, int x)
{
    const ObjectHandle node = QXStr_CreateNode(page, x * kUnit, 0, 40 * kUnit, 20 * kUnit, shape);
    EXPECT_NE(node, 0u);
    QXText_SetText(node, name);
    return node;
}

// Top holds place A and the substitution transition T refining Sub, whose
// input port P (of the given colour set) is assigned to A; A's colour set is
// INT. A global declaration node declares INT and B. The diagram carries no
// hierarchy page.
void WriteHierarchicalNet(const std::string& path, const char* portColourSet = "INT")
{
    Kernel kernel;
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    ASSERT_EQ(DefInitAll(), 1);
    GE_SetCurrentDiagram(QXStr_GetPageListHandle());
    GE_SetMode(kGEModeEditor);
    ObjectHandle top = 0, sub = 0;
    SEPage* topNet = NetPage("Top", 1, &top);
    SEPage* subNet = NetPage("Sub", 2, &sub);

    const ObjectHandle a = Node(top, 2, "A", -60);
    SEPlace* place = SECreatePlace(topNet, a);
    ASSERT_EQ(GE_SetSERecord(a, &place->head), 1);
    SEPutName(&place->head, Copy("A"));
    SESetColourSet(&place->head, Copy("INT"));
    const ObjectHandle t = Node(top, 1, "T", 60);
    SETrans* trans = SECreateTrans(topNet, t);
    ASSERT_EQ(GE_SetSERecord(t, &trans->head), 1);
    SEPutName(&trans->head, Copy("T"));
    const ObjectHandle connector = QXStr_CreateConnector(top, a, t);
    ASSERT_NE(connector, 0u);
    QXWtAttr_SetDirection(connector, 1);
    SEArc* arc = SECreateArc(trans, place, connector, kSEPlaceToTrans);
    ASSERT_NE(arc, nullptr);
    ASSERT_EQ(GE_SetSERecord(connector, &arc->head), 1);

    const ObjectHandle p = Node(sub, 2, "P", 0);
    SEPlace* port = SECreatePlace(subNet, p);
    ASSERT_EQ(GE_SetSERecord(p, &port->head), 1);
    SEPutName(&port->head, Copy("P"));
    SESetColourSet(&port->head, Copy(portColourSet));
    ASSERT_EQ(SEMakePort(&port->head, kSEPortInput), 1);

    ASSERT_NE(SEMakeCompound(&trans->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&trans->head, subNet), 1);
    ASSERT_EQ(SEAssignPort(&trans->head, &place->head, &port->head), 1);
    // Both pages and the substitution take part in the simulation.
    constexpr uint32_t kAllModes = 1 | 2 | 4 | 8 | 16;
    topNet->modeFlags = kAllModes;
    subNet->modeFlags = kAllModes;
    SEGetCompound(&trans->head)->modeFlags = kAllModes;

    const ObjectHandle declarations = QXStr_CreateNode(top, 0, -60 * kUnit, 80 * kUnit, 22 * kUnit, 1);
    ASSERT_NE(declarations, 0u);
    QXText_SetText(declarations, "color INT = int;\ncolor B = bool;");
    ASSERT_EQ(EE_CreateDeclNode(declarations, ObjectHandle{0}, 1), 1);
    ASSERT_EQ(EE_BuildDeclRegions(declarations), 1);

    ASSERT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    ASSERT_EQ(SESaveDBFile((path + ".DB").c_str()), 1);
    GE_SetCurrentDiagram(0);
}

// tolq's mapped shells: the main window and its page windows.
std::vector<WindowInfo> Shells(const XClient& client)
{
    std::vector<WindowInfo> shells;
    for (const WindowInfo& w : client.window_tree()) {
        if (w.parent == client.root() && w.mapped && w.res_class == "Tolq") {
            shells.push_back(w);
        }
    }
    return shells;
}

long long ModifiedAt(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return -1;
    }
    return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

std::string TextOf(ObjectHandle object)
{
    char buffer[256] = {};
    uint32_t length = sizeof buffer - 1;
    QXText_GetText(object, buffer, &length);
    return std::string(buffer, length);
}

ObjectHandle PageNamed(const std::string& name)
{
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    QXStr_GetPageList(&count, &pages);
    ObjectHandle found = 0;
    for (uint16_t i = 0; i < count; ++i) {
        char title[256] = {};
        QXRdAttr_GetPageAttr(pages[i], title, nullptr, nullptr, nullptr, nullptr);
        if (name == title) {
            found = pages[i];
        }
    }
    if (pages != nullptr) {
        QXMem_Free(pages);
    }
    return found;
}

// Message boxes go away while the tree is read: a window that vanished
// between listing and asking is no fault of the program.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow ? 0 : 1;
}

// tolq running on a diagram file, its standard error kept in a file.
class TolqOnNet {
public:
    TolqOnNet(const TempDir& dir, const std::string& path)
        : path_(path), errors_(dir.file("err")),
          process_({"/bin/sh", "-c", "exec \"$0\" \"$1\" 2>\"$2\"", kTolq, path, errors_})
    {
        XSetErrorHandler(IgnoreVanishedWindows);
    }
    // The main window and the page window of the opened diagram are up.
    bool Up() { return wait_until([&] { return Shells(client_).size() >= 2; }, std::chrono::milliseconds(20000)); }
    // Presses the keys with the pointer over each of tolq's windows in turn
    // until the condition holds.
    bool PressUntil(const std::string& keys, const std::function<bool()>& done, std::chrono::milliseconds each)
    {
        return wait_until(
            [&] {
                for (const WindowInfo& shell : Shells(client_)) {
                    client_.move_pointer(shell.root_x + shell.width / 2, shell.root_y + shell.height / 2);
                    xdotool({"key", keys});
                    if (wait_until(done, each)) {
                        return true;
                    }
                }
                return false;
            },
            std::chrono::milliseconds(90000));
    }
    // Saves with the File menu's accelerator.
    bool Save()
    {
        const long long before = ModifiedAt(path_);
        return PressUntil("alt+s", [&] { return ModifiedAt(path_) != before; }, std::chrono::milliseconds(1500));
    }
    // Answers every message box that shows up until none has come for a while.
    int AnswerMessageBoxes()
    {
        int answered = 0;
        while (wait_until([&] { return client_.message_box_button().has_value(); }, std::chrono::milliseconds(2000))) {
            const std::optional<WindowInfo> button = client_.message_box_button();
            if (button.has_value()) {
                client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
                ++answered;
                wait_until([&] { return !client_.message_box_button().has_value(); }, std::chrono::milliseconds(3000));
            }
        }
        return answered;
    }
    bool Running() { return process_.running(); }
    void Stop() { process_.stop(SIGTERM); }
    std::string Errors() const { return read_file(errors_); }
    const XClient& Client() const { return client_; }

private:
    std::string path_;
    std::string errors_;
    BackgroundProcess process_;
    XClient client_;
};

// Reads a diagram file into the kernel.
void ReadBack(const std::string& path)
{
    FileHandle file = 0;
    ASSERT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
    ObjectGroup pages = 0;
    ASSERT_EQ(File_ReadDiagram(file, 0, &pages), kStatusOk);
    File_Close(file);
    if (pages != 0) {
        Group_Free(pages);
    }
}

// The texts of every node and region of every page.
std::vector<std::string> AllTexts()
{
    std::vector<std::string> texts;
    auto take = [](uint16_t count, ObjectHandle* array) {
        std::vector<ObjectHandle> out;
        if (array != nullptr) {
            out.assign(array, array + count);
            QXMem_Free(array);
        }
        return out;
    };
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetPageList(&count, &array);
    for (ObjectHandle page : take(count, array)) {
        QXStr_GetNodeList(page, &count, &array);
        std::vector<ObjectHandle> objects = take(count, array);
        for (size_t i = 0; i < objects.size(); ++i) {
            texts.push_back(TextOf(objects[i]));
            QXStr_GetRegionList(objects[i], &count, &array);
            for (ObjectHandle region : take(count, array)) {
                objects.push_back(region);
            }
        }
    }
    return texts;
}

bool AnyTextHolds(const std::string& part)
{
    for (const std::string& text : AllTexts()) {
        if (text.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(HierarchyProgram, OpenedHierarchicalNetGetsItsHierarchyPageWithArcAndLabel)
{
    TempDir dir;
    const std::string path = dir.file("net.tolq");
    WriteHierarchicalNet(path);
    TolqOnNet tolq(dir, path);
    ASSERT_TRUE(tolq.Up()) << "standard error: " << tolq.Errors();
    ASSERT_TRUE(tolq.Save()) << "standard error: " << tolq.Errors();
    EXPECT_TRUE(tolq.Running());
    tolq.Stop();

    Kernel kernel;
    ReadBack(path);
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    ASSERT_NE(hierarchy, 0u) << "the saved diagram holds the hierarchy page";
    const ObjectHandle top = PageNamed("Top");
    const ObjectHandle sub = PageNamed("Sub");
    ASSERT_NE(top, 0u);
    ASSERT_NE(sub, 0u);
    const ObjectHandle topNode = PGFindPageNode(top);
    const ObjectHandle subNode = PGFindPageNode(sub);
    ASSERT_NE(topNode, 0u);
    ASSERT_NE(subNode, 0u);
    EXPECT_EQ(TextOf(topNode), "Top#1");
    EXPECT_EQ(TextOf(subNode), "Sub#2");

    const std::vector<ObjectHandle> arcs = PGObjectList(hierarchy, 8);
    ASSERT_EQ(arcs.size(), 1u) << "one relation, one arc";
    const ObjectHandle arc = PGFindArc(topNode, subNode, kPGSubstitutionArc);
    ASSERT_EQ(arc, arcs[0]);
    EXPECT_EQ(QXRdAttr_GetDirection(arc), 1u) << "from the super page to the sub page";
    PGArcData data;
    ASSERT_EQ(PGReadArcData(arc, &data), 1);
    EXPECT_EQ(data.count, 1);
    const std::vector<ObjectHandle> labels = PGObjectList(arc, 16);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(TextOf(labels[0]), "T");
}

struct CheckCase {
    const char* name;
    const char* portColourSet;
    bool reported;  // whether C.15 is expected
};

class SyntaxCheckProgram : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SyntaxCheckProgram, PortAssignmentIsCheckedByColourSet)
{
    const CheckCase c = GetParam();
    if (!std::filesystem::exists(std::string(TOLQ_BIN_DIR) + "/run.x86-linux")) {
        GTEST_SKIP() << "the evaluator is not built beside tolq";
    }
    TempDir dir;
    const std::string path = dir.file("net.tolq");
    WriteHierarchicalNet(path, c.portColourSet);
    TolqOnNet tolq(dir, path);
    ASSERT_TRUE(tolq.Up()) << "standard error: " << tolq.Errors();
    // The check ends with a message box that says how it went.
    ASSERT_TRUE(tolq.PressUntil(
        "alt+apostrophe", [&] { return tolq.Client().message_box_button().has_value(); },
        std::chrono::milliseconds(20000)))
        << "standard error: " << tolq.Errors();
    EXPECT_GE(tolq.AnswerMessageBoxes(), 1);
    ASSERT_TRUE(tolq.Save()) << "standard error: " << tolq.Errors();
    EXPECT_TRUE(tolq.Running());
    tolq.Stop();

    Kernel kernel;
    ReadBack(path);
    EXPECT_EQ(AnyTextHolds("C.15"), c.reported) << [] {
        std::string all;
        for (const std::string& text : AllTexts()) {
            all += "[" + text + "] ";
        }
        return all;
    }();
    if (c.reported) {
        EXPECT_TRUE(AnyTextHolds("C.15 Color set in port assignment"));
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, SyntaxCheckProgram,
                         ::testing::Values(CheckCase{"SameColourSet", "INT", false},
                                           CheckCase{"OtherColourSet", "B", true}),
                         [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolq::test
