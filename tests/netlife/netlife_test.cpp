// The diagram's life cycle with its net data base file (save with backups,
// load with relink, refusals, failed saves), the syntax check driver, the
// number check, and the ML commands against the real evaluator.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "LifeDoubles.h"
#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorML.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/MLCommands.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/Utils/LMList.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/comm/Comm.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/kv/QXText.h"
#include "xkv/undo/Undo.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int ModeOf(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
}

class LifeTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        char pattern[] = "/tmp/netlifeXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        diagram_ = dir_ + "/net";
        lifeLog() = LifeLog{};
        Comm_SetFilePath(1, diagram_.c_str());
        const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                        {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                        {64, EE_DiagramClosed}, {78, EE_AfterFileRead}};
        for (const auto& [hook, handler] : hooks)
            Hook_Set(hook, handler);
        EE_NewDiagram(page_);
    }
    void TearDown() override
    {
        SEStop();
        // The hierarchy page's layout leaves an undo record behind.
        Undo_Clear();
        QXDiagramTest::TearDown();
        std::system(("rm -rf " + dir_).c_str());
    }
    // Closes the diagram as the kernel does and reads the file back.
    KernelStatus Reload()
    {
        Core_CloseModel();
        Hook_Fire(64);
        FileHandle file = 0;
        KernelStatus status = File_Open(diagram_.c_str(), kOpenRead, &file);
        if (status != kStatusOk)
            return status;
        ObjectGroup pages = 0;
        status = File_ReadDiagram(file, 0, &pages);
        File_Close(file);
        if (pages != 0)
            Group_Free(pages);
        return status;
    }
    ObjectHandle OnlyPage()
    {
        uint16_t count = 0;
        ObjectHandle* pages = nullptr;
        QXStr_GetPageList(&count, &pages);
        const ObjectHandle first = count > 0 ? pages[0] : 0;
        QXMem_Free(pages);
        return first;
    }
    std::string dir_, diagram_;
};

TEST_F(LifeTest, SaveWritesDataBaseBesideDiagramAndKeepsBackupsWithTheirModes)
{
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    ASSERT_EQ(ModeOf(diagram_ + ".DB") >= 0, true);
    EXPECT_EQ(ModeOf(diagram_ + ".DB~"), -1);
    const std::string first = Slurp(diagram_ + ".DB");
    chmod((diagram_ + ".DB").c_str(), 0640);
    SECreatePage(page_, 2);  // the net changes between the saves
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    EXPECT_EQ(Slurp(diagram_ + ".DB~"), first);
    EXPECT_NE(Slurp(diagram_ + ".DB"), first);
    EXPECT_EQ(ModeOf(diagram_ + ".DB"), 0640);
    EXPECT_EQ(ModeOf(diagram_ + ".DB~"), 0640);
    chmod((diagram_ + ".DB~").c_str(), 0600);
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    EXPECT_EQ(ModeOf(diagram_ + ".DB"), 0640);
    EXPECT_EQ(ModeOf(diagram_ + ".DB~"), 0600) << "the backup keeps the mode it had";
}

// A name still being typed when the diagram is saved reaches the net first;
// without text editing nothing is stored.
TEST_F(LifeTest, SaveStoresTheTextBeingEdited)
{
    const ObjectHandle node = QXStr_CreateNode(page_, 0, 0, 20 << 15, 10 << 15, 1);
    ASSERT_NE(node, 0u);
    GE_SetTextEditObject(node);
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    EXPECT_TRUE(lifeLog().storedTexts.empty()) << "text editing is off";
    Comm_SetTextMode(1);
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    Comm_SetTextMode(0);
    GE_SetTextEditObject(0);
    ASSERT_EQ(lifeLog().storedTexts.size(), 1u);
    EXPECT_EQ(lifeLog().storedTexts[0], node);
}

TEST_F(LifeTest, LoadRelinksTheNetToTheObjectsRead)
{
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    ASSERT_EQ(Reload(), kStatusOk);
    const ObjectHandle page = OnlyPage();
    ASSERT_NE(page, 0u);
    SEHead* record = nullptr;
    ASSERT_EQ(GE_GetSERecord(page, &record), 1);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(reinterpret_cast<SEPage*>(record)->kvObject, page);
    EXPECT_EQ(GE_GetCurrentDiagram(), QXStr_GetPageListHandle());
}

TEST_F(LifeTest, LoadWithoutDataBaseIsRefusedAndReleasesTheNet)
{
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    unlink((diagram_ + ".DB").c_str());
    EXPECT_EQ(Reload(), kStatusRefusedByHook);
    EXPECT_EQ(SECurrentRoot(), nullptr);
    EXPECT_EQ(GE_GetCurrentDiagram(), 0u);
}

TEST_F(LifeTest, DamagedDataBaseFailsTheLoadAndLeavesNoNet)
{
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    std::ofstream((diagram_ + ".DB").c_str(), std::ios::binary | std::ios::trunc) << "garbage";
    EXPECT_EQ(Reload(), kStatusRefusedByHook);
    EXPECT_EQ(SECurrentRoot(), nullptr);
}

TEST_F(LifeTest, FailedDataBaseSaveLeavesThePreviousFiles)
{
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    const std::string db = Slurp(diagram_ + ".DB"), backup = Slurp(diagram_ + ".DB~");
    SEStop();  // nothing to write: the save fails and the user declines a retry
    EXPECT_EQ(GE_SaveDataBase(), 0);
    EXPECT_EQ(lifeLog().confirms, 1);
    EXPECT_EQ(Slurp(diagram_ + ".DB"), db);
    EXPECT_EQ(Slurp(diagram_ + ".DB~"), backup);
}

TEST_F(LifeTest, DiagramWithoutFileNameHasNoDataBase)
{
    Comm_SetFilePath(1, "");
    EXPECT_EQ(GE_DataBasePath(), nullptr);
    EXPECT_EQ(GE_SaveDataBase(), 0);
    EXPECT_EQ(GE_DataBaseExists(), 0);
}

TEST_F(LifeTest, CloseReleasesTheNet)
{
    ASSERT_NE(SECurrentRoot(), nullptr);
    Hook_Fire(64);
    EXPECT_EQ(SECurrentRoot(), nullptr);
    EXPECT_EQ(GE_GetCurrentDiagram(), 0u);
}

TEST_F(LifeTest, SubdiagramAndDiagramAreNotInterchangeable)
{
    EXPECT_EQ(EE_DiagramLoading(0, 0, 1, 0, 0, 0), 0u);
    EXPECT_EQ(EE_DiagramLoading(0, 0, 0, 1, 0, 0), 0u);
}

TEST_F(LifeTest, SyntaxCheckOutcomes)
{
    const ObjectHandle node = Node(F(50), F(50));
    struct Case { int verdict; bool error; bool escape; int expected; };
    for (const Case& c : {Case{1, false, false, 1}, Case{0, false, false, -2}, Case{1, true, false, -1},
                          Case{1, true, true, 0}, Case{0, false, true, 0}}) {
        lifeLog().verdict = c.verdict;
        lifeLog().errorObjects = c.error ? std::vector<uint32_t>{node} : std::vector<uint32_t>{};
        lifeLog().progress = {{"Checking %d", 16, {0, 0, 0, 0, 3}}};
        lifeLog().escapeDuringCheck = c.escape;
        EXPECT_EQ(EE_RunSyntaxCheck(0, 4, 0, 1), c.expected) << c.verdict << c.error << c.escape;
    }
}

struct NumberCase { const char* text; int number; int integer; };
class ParseNumberTest : public ::testing::TestWithParam<NumberCase> {};
TEST_P(ParseNumberTest, DecidesNumbers)
{
    int integer = -1;
    EXPECT_EQ(EE_ParseNumber(GetParam().text, &integer), GetParam().number);
    if (GetParam().number != 0) {
        EXPECT_EQ(integer, GetParam().integer);
    }
}
INSTANTIATE_TEST_SUITE_P(Texts, ParseNumberTest,
                         ::testing::Values(NumberCase{"-12", 1, 1}, NumberCase{"3.5", 1, 0},
                                           NumberCase{"1.0E-3", 1, 0}, NumberCase{"1.", 0, 0},
                                           NumberCase{"", 0, 0}, NumberCase{"-E1", 0, 0}, NumberCase{"-", 0, 0},
                                           NumberCase{"12a", 0, 0}, NumberCase{"1.2x", 0, 0}));

// "Start ML", "ML Evaluate" and "Stop ML" with the real evaluator.
TEST_F(LifeTest, StartEvaluateAndStopTheRealEvaluator)
{
    const ObjectHandle node = Node(F(60), F(60));
    ASSERT_EQ(QXText_SetText(node, "val answer = 6 * 7;"), 1u);
    ASSERT_EQ(EE_StartStopML(), 1);
    ASSERT_EQ(SMLIsConnected(), 1);
    const ObjectHandle region = GE_GetMLRegion(node);
    ASSERT_NE(region, 0u);
    ASSERT_EQ(GE_EvaluateObjectText(node, region), 1);
    char text[256] = {};
    uint32_t length = sizeof text - 1;
    ASSERT_EQ(QXText_GetText(region, text, &length), 1u);
    EXPECT_NE(std::string(text, length).find("42"), std::string::npos) << text;
    EXPECT_EQ(GE_GetMLRegion(node), region) << "the ML region is reused";
    EXPECT_EQ(lifeLog().starts, 1);
    // The Stop ML command offers Save As in the file selector first, which
    // needs the X server; the program test of ML Evaluate drives it.
    EXPECT_EQ(CTSStopEvaluator(), 1);
    EXPECT_EQ(SMLIsConnected(), 0);
}

TEST_F(LifeTest, EvaluateWithNothingSelectedDoesNothing)
{
    EXPECT_EQ(EE_EvaluateMLNode(), 0);
    EXPECT_EQ(lifeLog().starts, 0);
}

}  // namespace

// The committed example opened as the kernel opens a diagram: its net comes
// alive with every kernel object linked, and a save writes a data base that
// reads back to the same bytes.
class ExampleLifeTest : public LifeTest {
protected:
    void SetUp() override
    {
        LifeTest::SetUp();
        const std::string example = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";
        ASSERT_EQ(std::system(("cp '" + example + "' '" + diagram_ + "' && cp '" + example + ".DB' '" + diagram_ +
                               ".DB'")
                                  .c_str()),
                  0);
    }
    // One page "producer-consumer" with 2 places, 2 transitions and 4 arcs,
    // and one global declaration node, each linked to its kernel object.
    static void ExpectTheExampleNet()
    {
        SERoot* root = SECurrentRoot();
        ASSERT_NE(root, nullptr);
        ASSERT_EQ(LMCount(root->pages), 1);
        void* value = nullptr;
        void* second = nullptr;
        LMFirst(root->pages, &value, &second);
        auto* page = static_cast<SEPage*>(value);
        EXPECT_EQ(Linked(root->pages), 1);
        EXPECT_EQ(LMCount(page->places), 2);
        EXPECT_EQ(Linked(page->places), 2);
        EXPECT_EQ(LMCount(page->transitions), 2);
        EXPECT_EQ(Linked(page->transitions), 2);
        uint16_t arcs = 0;
        for (uint16_t n = 1; n <= LMCount(page->transitions); ++n) {
            LMNth(page->transitions, &value, &second, n);
            auto* trans = static_cast<SETrans*>(value);
            arcs = static_cast<uint16_t>(arcs + Linked(trans->inputArcs) + Linked(trans->outputArcs));
        }
        EXPECT_EQ(arcs, 4);
        EXPECT_EQ(LMCount(root->globalDecls), 1);
        EXPECT_EQ(Linked(root->globalDecls), 1);
    }
    static uint16_t Linked(LMList* list)
    {
        uint16_t linked = 0;
        for (uint16_t n = 1; n <= LMCount(list); ++n) {
            void* value = nullptr;
            void* second = nullptr;
            LMNth(list, &value, &second, n);
            SEHead* record = nullptr;
            const ObjectHandle object = SEGetKVObj(static_cast<SEHead*>(value));
            if (GE_GetSERecord(object, &record) != 0 && record == value)
                ++linked;
        }
        return linked;
    }
};

TEST_F(ExampleLifeTest, OpensWithItsNetLinkedToTheObjectsRead)
{
    ASSERT_EQ(Reload(), kStatusOk);
    ExpectTheExampleNet();
    EXPECT_NE(PGFindHierarchyPage(), 0u) << "the hierarchy page is made on load";
    EXPECT_EQ(GE_GetCurrentDiagram(), QXStr_GetPageListHandle());
}

TEST_F(ExampleLifeTest, SaveAsWritesADataBaseThatReadsBackEqual)
{
    ASSERT_EQ(Reload(), kStatusOk);
    const std::string first = diagram_;
    diagram_ = dir_ + "/copy";
    Comm_SetFilePath(1, diagram_.c_str());
    ASSERT_EQ(File_SaveDiagram(diagram_.c_str()), kStatusOk);
    ASSERT_FALSE(Slurp(diagram_ + ".DB").empty());
    EXPECT_EQ(Slurp(first + ".DB~"), "") << "the opened file's data base is left alone";
    ASSERT_EQ(Reload(), kStatusOk);
    ExpectTheExampleNet();
}
