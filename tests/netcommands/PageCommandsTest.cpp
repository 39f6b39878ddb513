// Page menu commands on the pages of a command: zooming keeps the current
// page, centring moves the origin to the middle of the page, closing closes
// the window, and a page command without a current page does nothing.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXUtil.h"

namespace {

class PageCommandsTest : public NetCommandTest {
protected:
    static Fixed Scale(ObjectHandle page)
    {
        Fixed scale = 0, second = 0;
        QXRdAttr_GetPageScale(page, &scale, &second);
        return scale;
    }
    static bool IsOpen(ObjectHandle page)
    {
        uint32_t open = 0;
        return QXStr_IsPageOpen(page, &open) != 0 && open != 0;
    }
};

struct ZoomCase {
    const char* name;
    int16_t command;
    Fixed factor;  // new scale per old scale, 16.16
};

class PageZoom : public PageCommandsTest, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(PageZoom, ScalesTheCurrentPageAndKeepsItCurrent)
{
    const ZoomCase& c = GetParam();
    const Fixed before = Scale(page_);
    ASSERT_NE(before, 0);
    EXPECT_EQ(GE_DispatchPick(6, c.command, true), 1);
    EXPECT_EQ(Scale(page_), static_cast<Fixed>((static_cast<int64_t>(before) * c.factor) >> 16));
    EXPECT_EQ(QXStr_GetCurPage(), page_);
}

INSTANTIATE_TEST_SUITE_P(Commands, PageZoom,
                         ::testing::Values(ZoomCase{"Blowup", 602, 0x20000}, ZoomCase{"Reduce", 603, 0x8000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageCommandsTest, ClosePageClosesTheCurrentPagesWindow)
{
    ASSERT_TRUE(IsOpen(page_));
    EXPECT_EQ(GE_DispatchPick(6, 11652, true), 1);
    Pump();
    EXPECT_FALSE(IsOpen(page_));
}

TEST_F(PageCommandsTest, ScrollCentresThePageOrigin)
{
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    ASSERT_NE(QXRdAttr_GetPageAttr(page_, name, &number, &width, &height, &border), 0u);
    EXPECT_EQ(EE_CenterPages(), 1);
    int32_t x = 0, y = 0;
    ASSERT_NE(QXWin_GetWindowOrigin(page_, &x, &y), 0u);
    EXPECT_EQ(x, -width / 2);
    EXPECT_EQ(y, -height / 2);
}

TEST_F(PageCommandsTest, PageCommandsWithoutACurrentPageDoNothing)
{
    Comm_SetCurrentPage(0);
    if (QXStr_GetCurPage() != 0)
        GTEST_SKIP() << "the kernel keeps a current page";
    const Fixed before = Scale(page_);
    EXPECT_EQ(EE_ZoomInPages(), 0);
    EXPECT_EQ(EE_OpenPages(), 0);
    EXPECT_EQ(Scale(page_), before);
}

}  // namespace
