// The page list: collecting page handles, and the tree and outline layouts
// of the page hierarchy.
#include <vector>

#include "KernelFixture.h"
#include "xkv/mem/Mem.h"
#include "xkv/pagelist/PageList.h"
#include "xkv/types/Fixed.h"

namespace {

class PageListTest : public KernelTest {
protected:
    ObjectHandle NewPage(uint32_t number)
    {
        ObjectHandle page = Model_NewPage();
        Model_SetFieldValue(page, Field::kPageNumber, number);
        return page;
    }
    // Makes `sub` the subpage of a new node on `holder`.
    void Refine(ObjectHandle sub, ObjectHandle holder)
    {
        ObjectHandle node = Model_NewNode(holder);
        Model_SetFieldValue(node, Field::kSubpage, sub);
        Model_SetFieldValue(sub, Field::kRefinedNode, node);
    }
    std::vector<PageListEntry> Layout(uint32_t mode)
    {
        MemHandle block = 0;
        EXPECT_EQ(PageList_Layout(mode, &font, &block), kStatusOk);
        std::vector<PageListEntry> entries(PageList_EntryCount(block));
        for (uint32_t i = 0; i < entries.size(); ++i) {
            PageList_GetEntry(block, i, &entries[i]);
        }
        PageList_Free(block);
        return entries;
    }
    FontSpec font{3, 12, 0};
};

TEST_F(PageListTest, ASinglePageSitsInTheMiddleOfTheTree)
{
    ObjectHandle page = NewPage(1);
    std::vector<PageListEntry> entries = Layout(kPageLayoutTree);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].page, page);
    EXPECT_EQ(entries[0].x, F(125));
    EXPECT_EQ(entries[0].y, F(150));
    EXPECT_EQ(entries[0].depth, 0);
    EXPECT_EQ(entries[0].order, 1);
    EXPECT_GE(entries[0].characters, 6);
    std::vector<PageListEntry> outline = Layout(kPageLayoutOutline);
    EXPECT_EQ(outline[0].x, F(5));
    EXPECT_EQ(outline[0].characters, 128);
}

TEST_F(PageListTest, SubpagesHangUnderThePageHoldingTheirNode)
{
    ObjectHandle top = NewPage(1);
    ObjectHandle sub = NewPage(2);
    ObjectHandle other = NewPage(3);
    Refine(sub, top);
    std::vector<PageListEntry> entries = Layout(kPageLayoutTree);
    ASSERT_EQ(entries.size(), 3u);
    const PageListEntry& a = entries[0];
    const PageListEntry& b = entries[1];
    const PageListEntry& c = entries[2];
    EXPECT_EQ(a.page, top);
    EXPECT_EQ(a.firstChild, 1);
    EXPECT_EQ(a.next, 2);
    EXPECT_EQ(b.parent, 0);
    EXPECT_EQ(c.page, other);
    EXPECT_EQ(b.depth, 1);
    EXPECT_EQ(c.order, 2);
    // Three rows over 300.0, two and one pages per row over 250.0.
    EXPECT_EQ(a.y, F(100));
    EXPECT_EQ(b.y, F(200));
    EXPECT_EQ(b.x, F(125));
    EXPECT_EQ(a.x, Fix_DivInt(F(250), 3));
    EXPECT_EQ(c.x, 2 * Fix_DivInt(F(250), 3));

    std::vector<PageListEntry> outline = Layout(kPageLayoutOutline);
    EXPECT_EQ(outline[1].x, F(10));
}

TEST_F(PageListTest, WithoutATopLevelPageTheFirstBecomesTheRoot)
{
    ObjectHandle a = NewPage(1);
    ObjectHandle b = NewPage(2);
    Refine(a, b);
    Refine(b, a);  // a circle of refinements
    std::vector<PageListEntry> entries = Layout(kPageLayoutTree);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].page, a);
    EXPECT_EQ(entries[0].parent, -1);
    EXPECT_EQ(entries[1].parent, 0);
    EXPECT_EQ(entries[1].depth, 1);

    MemHandle block = 0;
    ASSERT_EQ(PageList_Layout(kPageLayoutTree, &font, &block), kStatusOk);
    std::vector<ObjectHandle> walked;
    PageList_Walk(
        block,
        [](const PageListEntry* e, void* argument) -> KernelStatus {
            static_cast<std::vector<ObjectHandle>*>(argument)->push_back(e->page);
            return kStatusOk;
        },
        &walked);
    EXPECT_EQ(walked, (std::vector<ObjectHandle>{a, b}));
    walked.clear();
    EXPECT_EQ(PageList_Walk(
                  block,
                  [](const PageListEntry* e, void* argument) -> KernelStatus {
                      static_cast<std::vector<ObjectHandle>*>(argument)->push_back(e->page);
                      return 9;
                  },
                  &walked),
              9u);
    EXPECT_EQ(walked.size(), 1u);
    PageList_Free(block);
}

TEST_F(PageListTest, PagesAreCollectedInChainOrder)
{
    ObjectHandle a = NewPage(5);
    ObjectHandle b = NewPage(1);
    uint32_t count = 0;
    ObjectHandle* pages = nullptr;
    ASSERT_EQ(PageList_GetPages(&count, &pages), kStatusOk);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(pages[0], a);
    EXPECT_EQ(pages[1], b);
    PageList_FreePages();
    std::vector<PageListEntry> entries = Layout(kPageLayoutTree);
    EXPECT_EQ(entries[0].page, b);  // laid out by page number
}

TEST_F(PageListTest, AnEmptyDiagramLaysOutNothing)
{
    std::vector<PageListEntry> entries = Layout(kPageLayoutTree);
    EXPECT_TRUE(entries.empty());
}

}  // namespace
