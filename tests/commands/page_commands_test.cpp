// Page commands driven through the command layer on a diagram with page
// windows on the private X server: which page is current and which windows
// are open afterwards, the pages' scales, the page chain and the page files
// written and read back.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEvents.h"
#include "process.h"
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommPageFile.h"
#include "xkv/core/Core.h"
#include "xkv/file/Diagram.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXUI.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kBlowup = 31;
constexpr uint32_t kReduce = 35;
constexpr uint32_t kNewPage = 1;
constexpr uint32_t kClosePage = 132;
constexpr uint32_t kChild = 32;
constexpr uint32_t kParent = 34;
constexpr uint32_t kSaveText = 68;
constexpr int32_t kDeletePageAnswer = 85;
constexpr int32_t kPagePick = 86;
constexpr int32_t kPageStructurePick = 104;

std::vector<ObjectHandle> gHookPages;
uintptr_t RecordPage(uintptr_t page, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    gHookPages.push_back(static_cast<ObjectHandle>(page));
    return 1;
}

class PageCommands : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        ASSERT_EQ(Comm_Initialize(), 0u);
        first_ = AddPage();
        Comm_SetCurrentPage(first_);
        ASSERT_EQ(Comm_GetCurrentPage(), first_);
        WaitShowing(Window_OfPage(first_));
        gHookPages.clear();
        maxWindows_ = Velkor_Settings().maxPageWindows;
    }
    void TearDown() override
    {
        Velkor_Settings().maxPageWindows = maxWindows_;
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Trans_Begin(0, nullptr, 1);
        Comm_DropArguments();
        Comm_SetTextMode(0);
        Comm_SetNoAutoSelect(0);
        Select_Clear();
        Comm_SetCurrentPage(0);
        // The page structure window stays, withdrawn, with its page entries.
        if (Widget structure = PageStructure_Widget(); structure != nullptr) {
            Cache_ClearList(structure, kCacheAllLists, 0);
        }
        Undo_Shutdown();
        if (Model_GetRoot() != 0) {
            Core_CloseModel();
        }
        PageWindowTest::TearDown();
    }

    ObjectHandle AddPage()
    {
        ObjectHandle page = 0;
        EXPECT_EQ(Core_AddPage(&page), 0u);
        Model_SetFlags(page, 8, 1);
        return page;
    }
    ObjectHandle Node(ObjectHandle page, Fixed cx, Fixed cy)
    {
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page, {cx - U(10), cy - U(10), cx + U(10), cy + U(10)}, 1, 0, &node), 0u);
        return node;
    }
    KernelStatus Run(MemHandle event)
    {
        EXPECT_EQ(Comm_PostEvent(event), 0u);
        return Comm_ProcessEvents();
    }
    KernelStatus Command(uint32_t request) { return Run(TestCommand(request, 0)); }
    // The answer of dialog 287 as the command layer gets it in state 85.
    KernelStatus AnswerDeletePage(uint32_t button, uint32_t withSubpages = 0)
    {
        Comm_SetState(kDeletePageAnswer);
        MemHandle values = 0;
        uint8_t block[284] = {};
        std::memcpy(block + 24, &withSubpages, sizeof withSubpages);
        EXPECT_EQ(Mem_AllocCopy(&values, block, sizeof block), 0u);
        return Run(TestDialogAnswer(287, button, values));
    }
    static std::vector<ObjectHandle> Pages()
    {
        std::vector<ObjectHandle> pages;
        for (ObjectHandle p = Model_GetFirstPage(); p != 0; p = Model_GetNextSibling(p)) {
            pages.push_back(p);
        }
        return pages;
    }
    static Fixed Scale(ObjectHandle page) { return static_cast<Fixed>(Model_GetFieldValue(page, Field::kScaleX)); }
    static void Refine(ObjectHandle node, ObjectHandle subpage)
    {
        Model_SetFieldValue(node, Field::kSubpage, subpage);
        Model_SetFieldValue(subpage, Field::kRefinedNode, node);
    }

    ObjectHandle first_ = 0;
    int32_t maxWindows_ = 15;
};

// ---- Making a page current ----

TEST_F(PageCommands, ShowingAPagePastTheWindowLimitClosesTheFirstWindowInChainOrder)
{
    Velkor_Settings().maxPageWindows = 2;
    Hook_Set(kHookPageWindowClosed, RecordPage);
    const ObjectHandle second = AddPage();
    const ObjectHandle third = AddPage();
    Comm_SetCurrentPage(second);
    ASSERT_NE(Window_OfPage(first_), nullptr);
    Comm_SetCurrentPage(third);
    EXPECT_EQ(Comm_GetCurrentPage(), third);
    EXPECT_EQ(Window_OfPage(first_), nullptr);
    EXPECT_NE(Window_OfPage(second), nullptr);
    EXPECT_NE(Window_OfPage(third), nullptr);
    EXPECT_EQ(gHookPages, (std::vector<ObjectHandle>{first_}));
}

TEST_F(PageCommands, ACurrentPageMovesLastInTheChainWithNothingSelected)
{
    const ObjectHandle second = AddPage();
    Node(second, U(40), U(40));
    Select_Object(Node(first_, U(40), U(40)), 1);
    ASSERT_EQ(Pages(), (std::vector<ObjectHandle>{first_, second}));
    Comm_SetCurrentPage(second);
    EXPECT_EQ(Select_GetObject(), 0u);
    Comm_SetCurrentPage(first_);
    EXPECT_EQ(Pages(), (std::vector<ObjectHandle>{second, first_}));
    // The diagram's most recent page is the one to show first.
    EXPECT_EQ(Comm_FirstWindowPage(), first_);
    Comm_SetCurrentPage(second);
    EXPECT_EQ(Comm_FirstWindowPage(), second);
}

TEST_F(PageCommands, TheInterfaceShowsAPageLastInTheChainEvenWhenItIsCurrent)
{
    const ObjectHandle second = AddPage();
    ASSERT_EQ(Pages(), (std::vector<ObjectHandle>{first_, second}));
    ASSERT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(QXUI_ShowPage(first_, 1), 1u);
    EXPECT_EQ(Pages(), (std::vector<ObjectHandle>{second, first_}));
    EXPECT_EQ(QXUI_ShowPage(second, 0), 1u);
    EXPECT_EQ(Comm_GetCurrentPage(), second);
    EXPECT_EQ(Pages(), (std::vector<ObjectHandle>{first_, second}));
    EXPECT_EQ(QXUI_ShowPage(Node(second, U(40), U(40)), 1), 0u);
}

TEST_F(PageCommands, TheInterfaceFlagSwitchesHandleGesturesOffAndOn)
{
    QXUI_SetCommFlag(0);
    EXPECT_EQ(Comm_NoHandleGestures(), 1u);
    QXUI_SetCommFlag(7);
    EXPECT_EQ(Comm_NoHandleGestures(), 0u);
}

// ---- Zoom ----

struct ZoomCase {
    const char* name;
    std::vector<uint32_t> requests;
    Fixed scale;
};

TEST_F(PageCommands, BlowupAndReduceScaleTheCurrentPageWithinItsLimits)
{
    const ZoomCase cases[] = {
        {"blowup", {kBlowup}, 0x20000},
        {"reduce", {kReduce}, 0x8000},
        {"blowup and back", {kBlowup, kReduce}, 0x10000},
        {"up to 4.0 and no further", {kBlowup, kBlowup, kBlowup}, 0x40000},
        {"down to 0.25 and no further", {kReduce, kReduce, kReduce}, 0x4000},
    };
    for (const ZoomCase& c : cases) {
        Core_StorePageScale(first_, 0x10000, 0x10000);
        for (uint32_t request : c.requests) {
            ASSERT_EQ(Command(request), 0u) << c.name;
        }
        EXPECT_EQ(Scale(first_), c.scale) << c.name;
        EXPECT_EQ(Comm_GetState(), kCommStateReady) << c.name;
    }
}

// ---- New, Delete and Close Page ----

TEST_F(PageCommands, NewPageMakesAnEmptyCurrentPageWithNothingSelected)
{
    Select_Object(Node(first_, U(40), U(40)), 1);
    ASSERT_EQ(Command(kNewPage), 0u);
    const std::vector<ObjectHandle> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    const ObjectHandle added = pages[0] == first_ ? pages[1] : pages[0];
    EXPECT_EQ(Comm_GetCurrentPage(), added);
    EXPECT_NE(Window_OfPage(added), nullptr);
    EXPECT_EQ(Select_GetObject(), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, DeletePageAnsweredOkDeletesThePageAndShowsTheOneBefore)
{
    const ObjectHandle second = AddPage();
    Comm_SetCurrentPage(second);
    ASSERT_EQ(AnswerDeletePage(0), 0u);
    EXPECT_EQ(Model_IsPage(second), 0u);
    EXPECT_EQ(Pages(), (std::vector<ObjectHandle>{first_}));
    EXPECT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, DeletePageAnsweredCancelKeepsThePage)
{
    ASSERT_EQ(AnswerDeletePage(1), 0u);
    EXPECT_EQ(Pages(), (std::vector<ObjectHandle>{first_}));
    EXPECT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, DeletePageWithItsSubpagesWhenTheAnswerSaysSo)
{
    const ObjectHandle sub = AddPage();
    Refine(Node(first_, U(40), U(40)), sub);
    const ObjectHandle other = AddPage();
    Comm_SetCurrentPage(other);
    Comm_SetCurrentPage(first_);
    ASSERT_EQ(AnswerDeletePage(0, 1), 0u);
    EXPECT_EQ(Model_IsPage(first_), 0u);
    EXPECT_EQ(Model_IsPage(sub), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), other);
}

TEST_F(PageCommands, DeletingTheLastPageClosesTheDiagram)
{
    Hook_Set(kHookModelClosed, RecordPage);
    ASSERT_EQ(AnswerDeletePage(0), 0u);
    EXPECT_EQ(Model_GetRoot(), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), 0u);
    EXPECT_EQ(Window_FirstPage(), 0u);
    EXPECT_EQ(gHookPages.size(), 1u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, WithNoOtherWindowOpenAPageIsPickedAfterwards)
{
    const ObjectHandle second = AddPage();  // no window
    ASSERT_EQ(AnswerDeletePage(0), 0u);
    ASSERT_EQ(Comm_GetState(), kPagePick);
    EXPECT_EQ(Comm_GetCurrentPage(), 0u);
    ASSERT_EQ(Run(TestObjectPick(second, 0, 1)), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), second);
    EXPECT_NE(Window_OfPage(second), nullptr);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, APagePickOfNoPageShowsTheFirstPage)
{
    const ObjectHandle second = AddPage();
    ASSERT_EQ(Command(kClosePage), 0u);
    ASSERT_EQ(Comm_GetState(), kPagePick);
    ASSERT_EQ(Model_GetFirstPage(), first_);
    // Escape in the page structure window picks page 0.
    ASSERT_EQ(Run(TestObjectPick(0, 0, 1)), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(Window_OfPage(second), nullptr);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

TEST_F(PageCommands, ClosePageClosesTheWindowAndShowsTheOpenPageBefore)
{
    const ObjectHandle second = AddPage();
    Comm_SetCurrentPage(second);
    ASSERT_EQ(Command(kClosePage), 0u);
    EXPECT_EQ(Window_OfPage(second), nullptr);
    EXPECT_EQ(Model_IsPage(second), 1u);
    EXPECT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

// ---- Page structure ----

TEST_F(PageCommands, PageStructurePickMakesThePickedPageCurrent)
{
    const ObjectHandle second = AddPage();
    ASSERT_EQ(Command(102), 0u);
    ASSERT_EQ(Comm_GetState(), kPageStructurePick);
    ASSERT_EQ(Run(TestObjectPick(second, 0, 1)), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), second);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(PageStructure_Widget() != nullptr && Window_IsShowing(PageStructure_Widget()) != 0, false);
}

// ---- Child and Parent ----

TEST_F(PageCommands, ChildGoesDownToTheSubpageAndParentBackToTheCoarseNode)
{
    const ObjectHandle node = Node(first_, U(60), U(60));
    const ObjectHandle sub = AddPage();
    Node(sub, U(30), U(30));
    Refine(node, sub);
    Select_Object(node, 1);
    ASSERT_EQ(Command(kChild), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), sub);
    EXPECT_NE(Window_OfPage(sub), nullptr);

    ASSERT_EQ(Command(kParent), 0u);
    EXPECT_EQ(Comm_GetCurrentPage(), first_);
    EXPECT_EQ(Select_GetObject(), node);
}

TEST_F(PageCommands, ChildAndParentWithoutAHierarchyChangeNothing)
{
    const ObjectHandle plain = Node(first_, U(60), U(60));
    const struct {
        const char* name;
        ObjectHandle selected;
        uint32_t request;
    } cases[] = {
        {"child of a plain node", plain, kChild},
        {"child with nothing selected", 0, kChild},
        {"parent of a top page", plain, kParent},
    };
    for (const auto& c : cases) {
        if (c.selected != 0) {
            Select_Object(c.selected, 1);
        } else {
            Select_Clear();
        }
        ASSERT_EQ(Command(c.request), 0u) << c.name;
        EXPECT_EQ(Comm_GetCurrentPage(), first_) << c.name;
        EXPECT_EQ(Comm_GetState(), kCommStateReady) << c.name;
    }
}

// ---- Page and text files ----

class PageFiles : public PageCommands {
protected:
    tolq::test::TempDir dir_;
};

TEST_F(PageFiles, ASavedPageLoadsBackAsANewPage)
{
    Node(first_, U(40), U(40));
    Node(first_, U(100), U(40));
    const std::string path = dir_.file("one.page");
    ASSERT_EQ(Comm_SetFilePath(2, path.c_str()), 0u);
    ASSERT_EQ(Comm_SavePage(0), 0u);
    ASSERT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    ObjectGroup loaded = 0;
    ASSERT_EQ(Comm_LoadPage(&loaded), 0u);
    ASSERT_NE(loaded, 0u);
    ASSERT_EQ(Group_Count(loaded), 1u);
    const ObjectHandle copy = Group_Member(loaded, 0);
    Group_Free(loaded);
    EXPECT_NE(copy, first_);
    EXPECT_EQ(Model_CountNodes(copy), 2u);
    EXPECT_EQ(Comm_GetCurrentPage(), copy);
    EXPECT_EQ(Pages().size(), 2u);

    // Saving again keeps the previous file as the backup.
    ASSERT_EQ(Comm_SavePage(0), 0u);
    EXPECT_TRUE(fs::exists(path + "~"));
}

TEST_F(PageFiles, SavePageWithoutACurrentPageAndLoadOfAMissingFileFail)
{
    ASSERT_EQ(Comm_SetFilePath(2, dir_.file("missing.page").c_str()), 0u);
    ObjectGroup loaded = 7;
    EXPECT_NE(Comm_LoadPage(&loaded), 0u);
    EXPECT_EQ(loaded, 0u);
    EXPECT_EQ(Pages().size(), 1u);
    Comm_SetCurrentPage(0);
    EXPECT_EQ(Comm_SavePage(0), 62u);
    EXPECT_FALSE(fs::exists(dir_.file("missing.page")));
}

TEST_F(PageFiles, SaveTextWritesTheSelectedObjectsTextAndIsRefusedWithoutOne)
{
    // Refused silently: no dialog, the command state does not change.
    Select_Clear();
    ASSERT_EQ(Command(kSaveText), 0u);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Comm_ArgumentCount(), 0u);

    const ObjectHandle node = Node(first_, U(40), U(40));
    ASSERT_EQ(Text_PutString(node, "hello, page", 11, 0), 0u);
    Select_Object(node, 1);
    const std::string path = dir_.file("out.txt");
    ASSERT_EQ(Comm_SetFilePath(3, path.c_str()), 0u);
    ASSERT_EQ(Comm_SaveTextFile(), 0u);
    EXPECT_EQ(tolq::test::read_file(path), "hello, page");
}

}  // namespace
