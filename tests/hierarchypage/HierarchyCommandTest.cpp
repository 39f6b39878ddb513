// The hierarchy page's commands on page windows of the private X server:
// deleting from the hierarchy page, choosing a page by its node, the
// selected pages and the page numbers kept for hierarchy pages.
#include <gtest/gtest.h>

#include "HierarchyFixture.h"
#include "PageWindowFixture.h"
#include "PostedInput.h"
#include "xvfb.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

// Page windows with one page made through the interface.
class WindowedDiagram : public PageWindowTest {
protected:
    void SetUp() override
    {
        PageWindowTest::SetUp();
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
    }
    void TearDown() override
    {
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        PageWindowTest::TearDown();
    }
    ObjectHandle page_ = 0;
};

using HierarchyWindowTest = HierarchyFixture<WindowedDiagram>;

}  // namespace

namespace {

class HierarchyCommandTest : public HierarchyWindowTest {
protected:
    void SetUp() override
    {
        HierarchyWindowTest::SetUp();
        sub_ = NetPage("Sub", 2);
        t1_ = Compound(page_, sub_, "T1");
        t2_ = Compound(page_, sub_, "T2");
        hier_ = PGGetHierarchyPage();
    }
    ObjectHandle sub_ = 0;
    ObjectHandle t1_ = 0;
    ObjectHandle t2_ = 0;
    ObjectHandle hier_ = 0;
};

TEST_F(HierarchyCommandTest, DeleteIsNotHandledOffTheHierarchyPage)
{
    QXStr_SetCurPage(page_);
    EXPECT_EQ(PGDeleteSelection(), 1);
    EXPECT_TRUE(hierLog().questions.empty());
}

TEST_F(HierarchyCommandTest, DeletingPageNodesAsksAndDeletesTheirPagesButNotTheHierarchyPage)
{
    QXStr_SetCurPage(hier_);
    const ObjectHandle nodes[] = {NodeOf(sub_), NodeOf(hier_)};
    ASSERT_EQ(QXStr_SetCurGroup(2, nodes), 1u);
    ASSERT_EQ(QXStr_GetCurPage(), hier_);
    hierLog().answer = 0;
    EXPECT_EQ(PGDeleteSelection(), 0);
    EXPECT_EQ(hierLog().questions, std::vector<int16_t>{11292});
    EXPECT_TRUE(hierLog().deletedPages.empty());
    hierLog().answer = 1;
    EXPECT_EQ(PGDeleteSelection(), 0);
    EXPECT_EQ(hierLog().deletedPages, std::vector<uint32_t>{sub_});
}

TEST_F(HierarchyCommandTest, DeletingAnArcDissolvesEveryRelationItStandsFor)
{
    ASSERT_EQ(QXStr_SetCurObject(Arc(page_, sub_)), 1u);
    EXPECT_EQ(PGDeleteSelection(), 0);
    EXPECT_EQ(hierLog().questions, std::vector<int16_t>{11313});
    const std::vector<std::pair<uint32_t, int32_t>> expected{{t1_, 4099}, {t2_, 4099}};
    EXPECT_EQ(hierLog().removedRegions, expected);
}

TEST_F(HierarchyCommandTest, PageNumbersAnswerOnlyForNumbersBelowTheHierarchyPage)
{
    MemHandle numbers = 0;
    uint16_t count = 0;
    uint32_t kind = 0;
    const uint16_t high[] = {1, 10010};
    EXPECT_EQ(PGPageNumbers(high, &numbers, &count, &kind), 1);
    EXPECT_EQ(numbers, 0u);
    const uint16_t empty[] = {0, 0};
    EXPECT_EQ(PGPageNumbers(empty, &numbers, &count, &kind), 1);
    EXPECT_EQ(numbers, 0u);
    const uint16_t low[] = {1, 5};
    EXPECT_EQ(PGPageNumbers(low, &numbers, &count, &kind), 1);
    ASSERT_NE(numbers, 0u);
    EXPECT_EQ(kind, 3u);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(static_cast<uint16_t*>(QXMem_LockHandle(numbers))[0], 10010);
    QXMem_UnlockHandle(numbers);
    QXMem_FreeHandle(numbers);
}

TEST_F(HierarchyCommandTest, ChoosingAPageGivesThePickedNodesPageAndGoesBack)
{
    QXStr_SetCurPage(page_);
    ObjectHandle chosen = 99;
    EXPECT_EQ(PGChoosePage(2, 211, &chosen), 0u);
    EXPECT_EQ(chosen, 99u) << "menu 2 command 211 is left to the kernel";
    // The user's pick of Sub's node, then a cancel, reach the kernel's
    // nested interaction as posted events.
    ASSERT_TRUE(PostObjectPick(NodeOf(sub_)));
    EXPECT_EQ(PGChoosePage(6, 601, &chosen), 0u);
    EXPECT_EQ(chosen, sub_);
    EXPECT_EQ(QXStr_GetCurPage(), page_);
    EXPECT_EQ(PGStyleUpdateEnabled(), 1);
    ASSERT_TRUE(PostCancel());
    EXPECT_EQ(PGChoosePage(6, 601, &chosen), 0u);
    EXPECT_EQ(chosen, 0u) << "a cancelled pick chooses no page";
}

TEST_F(HierarchyCommandTest, SelectedPagesAreThePagesOfTheSelectedNodes)
{
    const ObjectHandle nodes[] = {NodeOf(sub_), NodeOf(page_)};
    QXStr_SetCurPage(page_);
    ASSERT_EQ(QXStr_SetCurGroup(2, nodes), 1u);
    EXPECT_TRUE(PGSelectedPages().empty()) << "only on the hierarchy page";
    QXStr_SetCurPage(hier_);
    ASSERT_EQ(QXStr_SetCurGroup(2, nodes), 1u);
    EXPECT_EQ(PGSelectedPages(), (std::vector<ObjectHandle>{sub_, page_}));
    EXPECT_EQ(PGNodePages(hier_).size(), 3u);
}

TEST_F(HierarchyCommandTest, RebuildFromAnotherPageMakesAFreshCurrentHierarchyPage)
{
    QXStr_SetCurPage(page_);
    PGRebuild();
    const ObjectHandle rebuilt = PGFindHierarchyPage();
    ASSERT_NE(rebuilt, 0u);
    EXPECT_EQ(PGObjectList(0, 2).size(), 1u) << "one hierarchy page, the old one gone";
    EXPECT_EQ(QXStr_GetCurPage(), rebuilt);
    EXPECT_EQ(PGObjectList(rebuilt, 4).size(), 3u);
    ASSERT_NE(Arc(page_, sub_), 0u);
    EXPECT_EQ(Data(Arc(page_, sub_)).count, 2);
    EXPECT_EQ(Parent(sub_), page_);
    ExpectSoundTree();
}

TEST_F(HierarchyCommandTest, RebuildOnTheHierarchyPageRecreatesItsNodesInPlace)
{
    QXStr_SetCurPage(hier_);
    ASSERT_EQ(QXWtAttr_SetPageAttr(hier_, "Renamed", 10020, 0, 0, 0), 1u);
    PGRebuild();
    EXPECT_EQ(PGFindHierarchyPage(), hier_);
    EXPECT_EQ(PageName(hier_), "Hierarchy");
    EXPECT_EQ(PageNumber(hier_), 10010u);
    EXPECT_EQ(PGObjectList(0, 2).size(), 1u);
    EXPECT_EQ(PGObjectList(hier_, 4).size(), 3u);
    EXPECT_EQ(Data(Arc(page_, sub_)).count, 2);
    EXPECT_EQ(Parent(sub_), page_);
    ExpectSoundTree();
}

}  // namespace
