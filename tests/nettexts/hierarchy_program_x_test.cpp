// tolq opening a hierarchical net whose diagram has no hierarchy page yet:
// the program builds the hierarchy page with one page node per page and an
// arc, labelled with the substitution transition's name, from the super
// page's node to the sub page's node; saved with Alt+S and read back here.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "process.h"
#include "xclient.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
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
// input port P is assigned to A; the diagram carries no hierarchy page.
void WriteHierarchicalNet(const std::string& path)
{
    Kernel kernel;
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
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
    SESetColourSet(&port->head, Copy("INT"));
    ASSERT_EQ(SEMakePort(&port->head, kSEPortInput), 1);

    ASSERT_NE(SEMakeCompound(&trans->head, kSESubstitution), nullptr);
    ASSERT_EQ(SEMakeSubpage(&trans->head, subNet), 1);
    ASSERT_EQ(SEAssignPort(&trans->head, &place->head, &port->head), 1);

    ASSERT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    ASSERT_EQ(SESaveDBFile((path + ".DB").c_str()), 1);
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

TEST(HierarchyProgram, OpenedHierarchicalNetGetsItsHierarchyPageWithArcAndLabel)
{
    TempDir dir;
    const std::string path = dir.file("net.tolq");
    WriteHierarchicalNet(path);
    const long long written = ModifiedAt(path);
    ASSERT_GT(written, 0);

    const std::string errors = dir.file("err");
    BackgroundProcess tolq({"/bin/sh", "-c", "exec \"$0\" \"$1\" 2>\"$2\"", kTolq, path, errors});
    XClient client;
    // The main window and the page window of the opened diagram.
    ASSERT_TRUE(wait_until([&] { return Shells(client).size() >= 2; }, std::chrono::milliseconds(20000)))
        << "running: " << tolq.running() << ", standard error: " << read_file(errors);
    // Save with the File menu's accelerator, the pointer over a page window.
    ASSERT_TRUE(wait_until(
        [&] {
            for (const WindowInfo& shell : Shells(client)) {
                client.move_pointer(shell.root_x + shell.width / 2, shell.root_y + shell.height / 2);
                xdotool({"key", "alt+s"});
                if (wait_until([&] { return ModifiedAt(path) != written; }, std::chrono::milliseconds(1500))) {
                    return true;
                }
            }
            return false;
        },
        std::chrono::milliseconds(20000)))
        << "standard error: " << read_file(errors);
    EXPECT_TRUE(tolq.running());
    tolq.stop(SIGTERM);

    Kernel kernel;
    FileHandle file = 0;
    ASSERT_EQ(File_Open(path.c_str(), kOpenRead, &file), kStatusOk);
    ObjectGroup pages = 0;
    ASSERT_EQ(File_ReadDiagram(file, 0, &pages), kStatusOk);
    File_Close(file);
    if (pages != 0) {
        Group_Free(pages);
    }
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

}  // namespace
}  // namespace tolq::test
