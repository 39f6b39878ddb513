// "Save XML..." and "Load XML..." picked from the File menu on the private X
// server: the net editor's dispatch runs the interchange's commands, the
// kernel's file selector is answered by typing the name and Return, the
// overwrite question and the import-log report come up as real dialogs, and
// the example net makes the round trip into a new diagram.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "process.h"
#include "user_answers.h"
#include "xclient.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Interchange/XmlFormat.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/Utils/LMList.h"
#include "xkv/cache/Cache.h"
#include "xkv/colour/Colour.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextEdit.h"
#include "xkv/undo/Undo.h"
#include "xkv/window/Window.h"

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

constexpr uint16_t kFileMenu = 2;
constexpr int16_t kLoadXml = 11260;
constexpr int16_t kSaveXml = 11261;
constexpr int kQuestion = 273;
constexpr int kQuestionText = 3;
constexpr int kMessage = 1000;
constexpr int kMessageText = 2;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

template <typename Get>
std::vector<ObjectHandle> ListOf(Get get, ObjectHandle of)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (get(of, &count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return out;
}

std::vector<ObjectHandle> Pages()
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (QXStr_GetPageList(&count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return out;
}

// The net pages of the diagram (the hierarchy page left out), in list order.
std::vector<ObjectHandle> NetPages()
{
    std::vector<ObjectHandle> out;
    uint32_t length = 0;
    for (ObjectHandle page : Pages())
        if (PGIsHierarchyObject(page, &length) == 0)
            out.push_back(page);
    return out;
}

uint16_t NetKind(ObjectHandle object)
{
    uint16_t kind = 0, sub = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &sub, &record);
    return kind;
}

std::string NetName(ObjectHandle object)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) == 0 || record == nullptr || SEGetName(record) == nullptr)
        return "";
    return SEGetName(record);
}

// What a user sees of one node: its net kind and name, text, shape, place on
// the page and size, and the texts of its regions.
struct NodeView {
    uint16_t kind;
    std::string name, text;
    int32_t shape;
    Fixed x, y, width, height;
    std::vector<std::string> regions;
    auto operator<=>(const NodeView&) const = default;
};

void PrintTo(const NodeView& v, std::ostream* os)
{
    *os << "{kind " << v.kind << " name '" << v.name << "' text '" << testing::PrintToString(v.text) << "' shape " << v.shape << " at " << v.x
        << "," << v.y << " size " << v.width << "x" << v.height << " regions";
    for (const std::string& r : v.regions)
        *os << " '" << r << "'";
    *os << "}";
}

// One arc: the names of its place and its transition, and which way its
// arrow points ("PtoT" or "TtoP"), whatever end the kernel took first.
struct ConnectorView {
    uint16_t kind;
    std::string place, transition, orientation;
    auto operator<=>(const ConnectorView&) const = default;
};

void PrintTo(const ConnectorView& v, std::ostream* os)
{
    *os << "{kind " << v.kind << " '" << v.place << "' '" << v.transition << "' " << v.orientation << "}";
}

std::vector<NodeView> NodesOf(ObjectHandle page)
{
    std::vector<NodeView> out;
    for (ObjectHandle node : ListOf(QXStr_GetNodeList, page)) {
        NodeView v{NetKind(node), NetName(node), GE_TextOf(node), 0, 0, 0, 0, 0, {}};
        v.shape = QXRdAttr_GetShape(node);
        QXRdAttr_GetPosition(node, &v.x, &v.y);
        QXRdAttr_GetSize(node, &v.width, &v.height);
        // Millimetres in the file keep a length within one Fixed unit.
        for (Fixed* length : {&v.x, &v.y, &v.width, &v.height})
            *length = (*length + 8) >> 4;
        for (ObjectHandle region : ListOf(QXStr_GetRegionList, node))
            v.regions.push_back(GE_TextOf(region));
        std::sort(v.regions.begin(), v.regions.end());
        out.push_back(std::move(v));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<ConnectorView> ConnectorsOf(ObjectHandle page)
{
    std::vector<ConnectorView> out;
    for (ObjectHandle connector : ListOf(QXStr_GetPageConnList, page)) {
        ObjectHandle from = 0, to = 0;
        QXRdAttr_GetConnEnds(connector, 0, &from, &to);
        const bool placeFirst = NetKind(from) == kSEPlace;
        const auto direction = static_cast<int32_t>(QXRdAttr_GetDirection(connector));
        out.push_back({NetKind(connector), NetName(placeFirst ? from : to), NetName(placeFirst ? to : from),
                       std::string(XmlOrientationName(direction, true, placeFirst))});
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The counts of the page's net records: places, transitions, arcs.
std::tuple<int, int, int> NetCounts(ObjectHandle page)
{
    SEHead* head = nullptr;
    if (GE_GetSERecord(page, &head) == 0 || head == nullptr || head->kind != kSEPage)
        return {-1, -1, -1};
    auto* record = reinterpret_cast<SEPage*>(head);
    int arcs = 0;
    for (uint16_t n = 1; n <= LMCount(record->transitions); ++n) {
        void* value = nullptr;
        void* second = nullptr;
        LMNth(record->transitions, &value, &second, n);
        auto* trans = static_cast<SETrans*>(value);
        arcs += LMCount(trans->inputArcs) + LMCount(trans->outputArcs);
    }
    return {LMCount(record->places), LMCount(record->transitions), arcs};
}

// The example diagram opened as the net editor opens a diagram, with page
// windows, dialogs and the file selector on the private X server.
class XmlMenuTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        Window_Init();
        Cache_Initialize();
        Color_Initialize();
        QXStatus = 0;
        setenv("HOME", dir_.path().c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        EE_ClearPendingError();
        GE_SetMode(kGEModeEditor);
        const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                        {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                        {64, EE_DiagramClosed}, {78, EE_AfterFileRead}};
        for (const auto& [hook, handler] : hooks)
            Hook_Set(hook, handler);
        OpenTheExample();
    }
    void TearDown() override
    {
        CloseDialogsAndSelector();
        CloseDiagram();
        DialogX::TearDown();
        Text_Shutdown();
        Undo_Shutdown();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        EE_ClearPendingError();
    }

    void OpenTheExample()
    {
        const std::string example = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";
        const std::string diagram = dir_.file("net");
        fs::copy_file(example, diagram);
        fs::copy_file(example + ".DB", diagram + ".DB");
        Comm_SetFilePath(1, diagram.c_str());
        Core_CloseModel();
        FileHandle file = 0;
        ASSERT_EQ(File_Open(diagram.c_str(), kOpenRead, &file), kStatusOk);
        ObjectGroup pages = 0;
        ASSERT_EQ(File_ReadDiagram(file, 0, &pages), kStatusOk);
        File_Close(file);
        if (pages != 0)
            Group_Free(pages);
        ASSERT_EQ(NetPages().size(), 1u);
        example_ = NetPages().front();
        QXStr_SetCurPage(example_);
    }
    void CloseDiagram()
    {
        Select_Clear();
        for (int i = 0; i < 3 && Window_FirstPage() != 0; ++i)
            while (ObjectHandle page = Window_FirstPage())
                Window_ClosePage(page);
        Pump([] { return false; }, std::chrono::milliseconds(20));
        Core_CloseModel();
        Hook_Fire(64);
    }
    // A new diagram with one empty net page, as "New" leaves it.
    void NewDiagram()
    {
        CloseDiagram();
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page, 0u);
        EE_NewDiagram(page);
        QXStr_SetCurPage(page);
    }

    // Picks the File menu command while the steps answer its dialogs; a
    // dialog that nobody expected is closed after a while and fails the test.
    int Pick(int16_t command, std::vector<Driver::Step> steps)
    {
        Driver driver(app(), std::move(steps), CloseDialogsAndSelector);
        bool unexpected = false;
        Driver guard(
            app(), {[] { return false; }},
            [&unexpected] {
                unexpected = true;
                CloseDialogsAndSelector();
            },
            std::chrono::milliseconds(20000));
        const int result = GE_DispatchPick(kFileMenu, command, true);
        EXPECT_FALSE(unexpected) << "a dialog was left open";
        EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
        EXPECT_EQ(Dialog_Depth(), 0);
        EXPECT_EQ(Dialog_IsFileSelectorShown(), 0u);
        return result;
    }
    std::vector<Driver::Step> Choose(const std::string& name) { return ChooseFile(input_, dir_.path(), name, nullptr); }

    TempDir dir_;
    XClient input_;
    ObjectHandle example_ = 0;
};

TEST_F(XmlMenuTest, SaveWritesTheExampleThroughTheSelectorAndLoadBuildsItInANewDiagram)
{
    const std::vector<NodeView> nodes = NodesOf(example_);
    const std::vector<ConnectorView> connectors = ConnectorsOf(example_);
    ASSERT_EQ(NetCounts(example_), std::make_tuple(2, 2, 4));

    ASSERT_EQ(Pick(kSaveXml, Choose("net.xml")), 1);
    const std::string xml = Slurp(dir_.file("net.xml"));
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<tolqet>\n"
                        "<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\"/>\n<!-- File " +
                            dir_.file("net.xml") + " -->\n",
                        0),
              0u)
        << xml.substr(0, 300);
    EXPECT_NE(xml.find("<!-- 1 page(s) were found -->\n"), std::string::npos);
    EXPECT_TRUE(xml.ends_with("</tolqet>\n"));
    EXPECT_EQ(Count(xml, "<place id="), 2u);
    EXPECT_EQ(Count(xml, "<trans id="), 2u);
    EXPECT_EQ(Count(xml, "<arc id="), 4u);
    EXPECT_EQ(Count(xml, "<globdecl id="), 1u);
    for (const NodeView& node : nodes) {
        if (node.kind == kSEPlace || node.kind == kSETrans) {
            EXPECT_NE(xml.find("<text>" + node.name + "</text>"), std::string::npos) << node.name;
        }
    }
    EXPECT_FALSE(fs::exists(dir_.file("net.xml~")));

    // The text filter reads what the command wrote: no root tags, no empty
    // element ends, the elements and texts kept.
    ProcessOptions options;
    options.stdin_data = xml;
    const ProcessResult filtered = run_process({std::string(TOLQ_BIN_DIR) + "/xmlfilter"}, options);
    ASSERT_EQ(filtered.exit_status, 0) << filtered.err;
    EXPECT_EQ(filtered.out.find("tolqet>"), std::string::npos);
    EXPECT_EQ(filtered.out.find("/>"), std::string::npos);
    EXPECT_EQ(Count(filtered.out, "<place id="), 2u);
    EXPECT_EQ(Count(filtered.out, "<arc id="), 4u);
    EXPECT_NE(filtered.out.find("<generator tool=\"Velkor/TOLQ\" version=\"4.0.4\">"), std::string::npos);

    // The new diagram's page has number 1 already: the loaded page becomes
    // number 2, and the import log says so.
    NewDiagram();
    const ObjectHandle empty = NetPages().front();
    std::string report;
    ASSERT_EQ(Pick(kLoadXml, Then(Choose("net.xml"), AnswerAlert(input_, kMessage, kMessageText, 0, &report))), 1);
    EXPECT_EQ(report, "Warnings/Errors detected.\nPlease check log-file:\n\n" + dir_.file("net.xml.log"));
    EXPECT_EQ(Slurp(dir_.file("net.xml.log")), "Renumbering page from 1 to 2\n");
    const std::vector<ObjectHandle> pages = NetPages();
    ASSERT_EQ(pages.size(), 2u);
    const ObjectHandle loaded = pages[0] == empty ? pages[1] : pages[0];
    uint16_t number = 0;
    char name[256] = {};
    QXRdAttr_GetPageAttr(loaded, name, &number, nullptr, nullptr, nullptr);
    EXPECT_EQ(number, 2u);
    EXPECT_STREQ(name, "producer-consumer");
    EXPECT_EQ(NodesOf(loaded), nodes);
    EXPECT_EQ(ConnectorsOf(loaded), connectors);
    EXPECT_EQ(NetCounts(loaded), std::make_tuple(2, 2, 4));
    EXPECT_EQ(Window_FirstPage() != 0, true) << "the loaded page's window is open";
}

TEST_F(XmlMenuTest, SavingOverAFileAsksFirstAndKeepsTheOldOneAsBackup)
{
    const std::string old = "<tolqet>\n</tolqet>\n";
    std::ofstream(dir_.file("net.xml")) << old;
    std::string question;
    ASSERT_EQ(Pick(kSaveXml, Then(Choose("net.xml"), AnswerAlert(input_, kQuestion, kQuestionText, 0, &question))),
              1);
    EXPECT_EQ(question, "File Exists, Do You Want to Overwrite?");
    EXPECT_EQ(Slurp(dir_.file("net.xml~")), old);
    EXPECT_EQ(Count(Slurp(dir_.file("net.xml")), "<place id="), 2u);
}

std::vector<std::string> Listing(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(XmlMenuTest, CancelledSelectorWritesAndLoadsNothing)
{
    const size_t pagesBefore = Pages().size();
    const std::vector<std::string> filesBefore = Listing(dir_.path());
    EXPECT_EQ(Pick(kSaveXml, Choose("")), -1);
    EXPECT_EQ(Pick(kLoadXml, Choose("")), 1);
    // Through the menu-pick hook the command is consumed, not left to the kernel.
    Driver driver(app(), Choose(""), CloseDialogsAndSelector);
    EXPECT_EQ(EE_MenuPick(kFileMenu, static_cast<uint16_t>(kLoadXml), 0, 0, 0, 0), 0u);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(Pages().size(), pagesBefore);
    EXPECT_EQ(Listing(dir_.path()), filesBefore);
}

TEST_F(XmlMenuTest, LoadWithProblemsReportsTheImportLogInADialog)
{
    std::ofstream(dir_.file("odd.xml")) << "<tolqet>\n<page id=\"id1\">\n<pageattr name=\"Odd\" number=\"7\"/>\n"
                                           "<place id=\"id2\"><posattr x=\"1\" y=\"1\" z=\"1\"/></place>\n"
                                           "<place id=\"id2\"><posattr x=\"9\" y=\"1\"/></place>\n"
                                           "</page>\n</tolqet>\n";
    std::string shown;
    EXPECT_EQ(Pick(kLoadXml, Then(Choose("odd.xml"), AnswerAlert(input_, kMessage, kMessageText, 0, &shown))), 1);
    EXPECT_EQ(shown, "Warnings/Errors detected.\nPlease check log-file:\n\n" + dir_.file("odd.xml.log"));
    const std::string log = Slurp(dir_.file("odd.xml.log"));
    EXPECT_NE(log.find("unknown option 'z' in position attribute"), std::string::npos) << log;
    EXPECT_NE(log.find("Tried to add ID id2 more than once."), std::string::npos) << log;
}

TEST_F(XmlMenuTest, UnreadableFileIsReportedAndChangesNothing)
{
    const size_t pagesBefore = Pages().size();
    std::string shown;
    EXPECT_EQ(Pick(kLoadXml, Then(Choose("missing.xml"), AnswerAlert(input_, kMessage, kMessageText, 0, &shown))),
              1);
    EXPECT_EQ(shown, "Unable to open\n" + dir_.file("missing.xml") + "\nfor reading.");
    EXPECT_EQ(Pages().size(), pagesBefore);
}

}  // namespace
}  // namespace tolq::test
