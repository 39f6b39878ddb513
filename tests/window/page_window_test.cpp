// Page windows on a private X server: the window table and titles,
// scrolling, object drawing, XOR feedback, repair of moved objects, hit
// testing and the page structure window, checked by reading pixels back.
#include "PageWindowFixture.h"

#include "xvfb.h"

#include <algorithm>
#include <cstring>

#include "xkv/colour/Colour.h"
#include "xkv/dialog/DialogFill.h"
#include "xkv/item/TypedItem.h"
#include "xkv/mem/Mem.h"
#include "xkv/platform/xwindows/Diagram.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

using PageWindows = PageWindowTest;

// A page point at a pixel offset from the window's top-left corner.
FixPoint At(Widget widget, int32_t x, int32_t y)
{
    FixPoint p;
    Window_PixelToPage(widget, x, y, &p);
    return p;
}

FixRect PixelBox(Widget widget, int32_t x, int32_t y, int32_t width, int32_t height)
{
    FixPoint a = At(widget, x, y), b = At(widget, x + width, y + height);
    return {a.x, a.y, b.x, b.y};
}

TEST_F(PageWindows, FifteenWindowsOpenTheSixteenthIsRefusedAndEachCarriesItsTitle)
{
    std::vector<ObjectHandle> pages;
    std::vector<Widget> widgets;
    for (uint32_t i = 1; i <= 16; ++i) {
        ObjectHandle page = NewPage(i);
        char name[32];
        std::snprintf(name, sizeof name, "sheet%u", i);
        char block[256] = {};
        std::strcpy(block, name);
        MemHandle text = 0;
        ASSERT_EQ(Mem_AllocCopy(&text, block, std::strlen(block) + 1), kStatusOk);
        Mem_Free(Model_GetFieldValue(page, Field::kPageName));
        Model_SetFieldValue(page, Field::kPageName, text);
        pages.push_back(page);
    }
    for (int i = 0; i < kPageWindowMax; ++i) {
        Widget widget = nullptr;
        ASSERT_EQ(Window_OpenPage(pages[i], &widget, 0, nullptr, 1), kStatusOk) << i;
        ASSERT_NE(widget, nullptr);
        widgets.push_back(widget);
    }
    Widget sixteenth = reinterpret_cast<Widget>(1);
    EXPECT_EQ(Window_OpenPage(pages[15], &sixteenth, 0, nullptr, 1), kStatusNoFreeWindow);
    EXPECT_EQ(sixteenth, nullptr);
    EXPECT_EQ(Window_CountPageWindows(), kPageWindowMax);
    Pump();

    uint32_t count = 0;
    Widget* shells = Window_ListShells(&count);
    EXPECT_EQ(count, static_cast<uint32_t>(kPageWindowMax));
    for (int i = 0; i < kPageWindowMax; ++i) {
        char expected[kPageTitleSize] = {};
        Model_GetPageTitle(pages[i], expected);
        char title[kPageTitleSize] = {};
        ASSERT_EQ(Window_GetTitleString(widgets[i], title, sizeof title), kStatusOk);
        EXPECT_STREQ(title, expected) << i;
        EXPECT_NE(std::strstr(title, "sheet"), nullptr) << title;
        EXPECT_EQ(Window_Shell(widgets[i]), shells[i]);
        EXPECT_EQ(Window_OfPage(pages[i]), widgets[i]);
        EXPECT_TRUE(Window_OwnsXWindow(XtWindow(shells[i])));
    }
    // A renamed page gets its new title.
    MemHandle renamed = 0;
    ASSERT_EQ(Mem_AllocCopy(&renamed, "renamed", 8), kStatusOk);
    Mem_Free(Model_GetFieldValue(pages[3], Field::kPageName));
    Model_SetFieldValue(pages[3], Field::kPageName, renamed);
    Window_SetTitle(pages[3]);
    char title[kPageTitleSize] = {};
    Window_GetTitleString(widgets[3], title, sizeof title);
    EXPECT_NE(std::strstr(title, "renamed"), nullptr) << title;

    // Closing the current window leaves none; the next open takes the freed record.
    Window_Activate(widgets[4]);
    EXPECT_EQ(Window_Current(), widgets[4]);
    EXPECT_EQ(Window_ClosePage(pages[4]), kStatusOk);
    EXPECT_EQ(Window_Current(), nullptr);
    Widget reopened = nullptr;
    EXPECT_EQ(Window_OpenPage(pages[15], &reopened, 0, nullptr, 1), kStatusOk);
    EXPECT_EQ(Window_ListShells(&count)[4], Window_Shell(reopened));
    EXPECT_EQ(Window_OpenPage(Model_GetFirstNode(pages[0]), &reopened, 0, nullptr, 1), kStatusNotAPage);
}

TEST_F(PageWindows, ScrollingMovesTheViewAndTheScrollOrigin)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    FixRect before;
    Window_VisibleRect(widget, &before);

    FixPoint target{Fix_Add(before.left, U(100)), Fix_Add(before.top, U(60))};
    ASSERT_EQ(Window_ScrollToPoint(widget, target), kStatusOk);
    Pump();
    FixRect after;
    Window_VisibleRect(widget, &after);
    EXPECT_EQ(after.left, target.x);
    EXPECT_EQ(after.top, target.y);
    FixPoint origin;
    Model_GetField(page, 53, &origin);
    EXPECT_EQ(origin, target) << "the page keeps where its window was left";

    // An object beyond the right and bottom edges is scrolled into view.
    ObjectHandle far = NewBox(page, {Fix_Add(after.right, U(200)), Fix_Add(after.bottom, U(100)),
                                     Fix_Add(after.right, U(220)), Fix_Add(after.bottom, U(110))});
    ASSERT_EQ(Window_ScrollToShow(widget, far), kStatusOk);
    Pump();
    FixRect shown, box;
    Window_VisibleRect(widget, &shown);
    Model_GetField(far, Field::kBox, &box);
    EXPECT_TRUE(Geom_RectContainsRect(shown, box));
}

TEST_F(PageWindows, LineStyleSevenFillsWithoutOutline)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    ObjectHandle outlined = NewBox(page, PixelBox(widget, 40, 40, 60, 40));
    ObjectHandle plain = NewBox(page, PixelBox(widget, 140, 40, 60, 40));
    SetLook(outlined, 1, 0, 0, 6);  // black outline, red fill
    SetLook(plain, 1, 7, 0, 6);
    RepaintAll(widget);
    unsigned long black = Color_GetPixel(0), red = Color_GetPixel(6);
    ASSERT_NE(black, red);
    EXPECT_EQ(PixelAt(widget, 70, 60), red);
    EXPECT_EQ(PixelAt(widget, 40, 60), black) << "outline on the left edge";
    EXPECT_EQ(PixelAt(widget, 170, 60), red);
    EXPECT_EQ(PixelAt(widget, 140, 60), red) << "no outline: the fill reaches the edge";
    EXPECT_EQ(PixelAt(widget, 170, 40), red);

    // An object with flag 8 is drawn the same way whatever its line style.
    Model_SetFlags(outlined, 8, 1);
    RepaintAll(widget);
    EXPECT_EQ(PixelAt(widget, 40, 60), red);
}

TEST_F(PageWindows, ColouredFillsTileTheDialogSystemsPatterns)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    ObjectHandle box = NewBox(page, PixelBox(widget, 40, 40, 64, 48));
    const unsigned long red = Color_GetPixel(6);
    const unsigned long white = WhitePixel(X().display(), DefaultScreen(X().display()));
    ASSERT_NE(red, white);
    for (int32_t pattern : {4, 14, 27, 35}) {
        SetLook(box, static_cast<uint32_t>(pattern), 7, 0, 6);  // red fill, no outline
        RepaintAll(widget);
        // The tile starts at the window's origin; bit x of row y, lowest bit leftmost.
        const FillPatternBits bits = Dialog_FillPatternBits(pattern);
        const std::vector<unsigned long> pixels = Pixels(widget, 48, 48, 16, 16);
        ASSERT_EQ(pixels.size(), 256u);
        int wrong = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int column = 48 + x, row = 48 + y;
                const bool set = (bits[static_cast<size_t>(row % 8)] >> (column % 8)) & 1;
                wrong += pixels[static_cast<size_t>(y * 16 + x)] != (set ? red : white);
            }
        }
        EXPECT_EQ(wrong, 0) << "pattern " << pattern;
    }
}

TEST_F(PageWindows, XorFeedbackDrawnTwiceRestoresThePixels)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    ObjectHandle box = NewBox(page, PixelBox(widget, 30, 30, 80, 50));
    SetLook(box, 1, 0, 0, 6);
    RepaintAll(widget);
    std::vector<unsigned long> clean = Pixels(widget, 0, 0, 200, 150);

    struct Case {
        const char* name;
        MemHandle item;
    };
    const Case cases[] = {
        {"rectangle outline", TypedItem_NewRectOutline(PixelBox(widget, 20, 20, 100, 70), 0, 0)},
        {"dashed ellipse", TypedItem_NewEllipse(At(widget, 70, 55).x, At(widget, 70, 55).y, U(60), U(40), 1)},
        {"stippled grey rectangle", TypedItem_NewGreyRect(PixelBox(widget, 25, 25, 90, 60), 0, box)},
        {"segment", TypedItem_NewSegment(At(widget, 0, 0), At(widget, 150, 120), 0)},
        {"filled rectangle", TypedItem_NewFilledRect(PixelBox(widget, 50, 50, 30, 30))},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.item, 0u) << c.name;
        ASSERT_EQ(Cache_AddDrawable(widget, kCacheFeedback, c.item, 1), kStatusOk);
        EXPECT_NE(Pixels(widget, 0, 0, 200, 150), clean) << c.name << " is drawn";
        ASSERT_EQ(Cache_RemoveDrawable(widget, kCacheFeedback, c.item, 1), kStatusOk);
        EXPECT_EQ(Pixels(widget, 0, 0, 200, 150), clean) << c.name << " is erased";
    }
}

TEST_F(PageWindows, MovedObjectsLeaveNoStalePixels)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    struct Case {
        const char* name;
        PixelRect from;
        PixelRect to;
    };
    const Case cases[] = {
        {"inside the view", {60, 60, 50, 30}, {200, 150, 50, 30}},
        {"partly left of the view", {-20, 80, 50, 30}, {100, 200, 50, 30}},
        {"partly above the view into the left", {40, -15, 40, 40}, {-25, 120, 40, 40}},
    };
    for (const Case& c : cases) {
        ObjectHandle box = NewBox(page, PixelBox(widget, c.from.x, c.from.y, c.from.width, c.from.height));
        SetLook(box, 1, 0, 0, 6);
        RepaintAll(widget);
        Window_RedrawObject(box, nullptr);
        SetBox(box, PixelBox(widget, c.to.x, c.to.y, c.to.width, c.to.height));
        Window_RedrawObject(box, nullptr);
        Window_FlushDamage();
        Pump();
        std::vector<unsigned long> repaired = Pixels(widget, 0, 0, 320, 260);
        RepaintAll(widget);
        EXPECT_EQ(repaired, Pixels(widget, 0, 0, 320, 260)) << c.name;
        EXPECT_EQ(PixelAt(widget, std::max(c.from.x, 0) + 3, std::max(c.from.y, 0) + 3), Window_BackgroundPixel())
            << c.name;
        Model_DestroyTree(box);
        RepaintAll(widget);
    }
}

TEST_F(PageWindows, MovedConnectorBendIsRepaired)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    ObjectHandle connector = Model_NewConnector(page);
    ASSERT_NE(connector, 0u);
    PtArray path = PtArray_New();
    for (FixPoint p : {At(widget, 20, 20), At(widget, 150, 40), At(widget, 250, 200)}) {
        PtArray_Append(path, p);
    }
    Model_SetFieldValue(connector, Field::kPath, path);
    Model_SetFieldValue(connector, Field::kShapeKind, 9);
    FixRect bounds;
    PtArray_Bounds(path, &bounds);
    Model_SetField(connector, Field::kBox, &bounds);
    Model_SetFieldValue(connector, Field::kLineWidth, U(2));
    RepaintAll(widget);
    Window_RedrawObject(connector, nullptr);
    PtArray_SetPoint(path, 1, At(widget, 60, 180));
    PtArray_Bounds(path, &bounds);
    Model_SetField(connector, Field::kBox, &bounds);
    Window_RedrawObject(connector, nullptr);
    Window_FlushDamage();
    Pump();
    std::vector<unsigned long> repaired = Pixels(widget, 0, 0, 300, 260);
    RepaintAll(widget);
    EXPECT_EQ(repaired, Pixels(widget, 0, 0, 300, 260));
}

TEST_F(PageWindows, LocateFindsTheTopmostObjectAndHandlesFirst)
{
    ObjectHandle page = NewPage(1);
    Widget widget = Open(page);
    ObjectHandle lower = NewBox(page, PixelBox(widget, 40, 40, 100, 100));
    ObjectHandle upper = NewBox(page, PixelBox(widget, 40, 40, 100, 100));
    MemHandle found = Window_LocateAt(widget, At(widget, 90, 90), 4095, 1024, 0);
    ASSERT_NE(found, 0u);
    EXPECT_EQ(TypedItem_Object(found), upper);
    TypedItem_Free(found);

    ASSERT_EQ(Select_Object(lower, 1), kStatusOk);
    ASSERT_EQ(Window_ShowIndication(widget, Select_GetCurrent()), kStatusOk);
    Pump();
    EXPECT_TRUE(Window_IndicationOn());
    found = Window_LocateAt(widget, At(widget, 141, 41), 4095, 1024, 0);
    ASSERT_NE(found, 0u);
    EXPECT_EQ(TypedItem_Kind(found), kItemDot) << "a handle of the selected object";
    TypedItem_Free(found);

    // A hidden object shows no handles and is never picked.
    Window_Hide(widget, lower);
    EXPECT_EQ(Window_ShowIndication(widget, Select_GetCurrent()), kStatusBadArgument);
    EXPECT_FALSE(Window_IndicationOn());
}

KernelStatus CountItem(MemHandle item, void* counts)
{
    auto* c = static_cast<std::vector<uint32_t>*>(counts);
    c->push_back(TypedItem_Kind(item));
    return kStatusOk;
}

TEST_F(PageWindows, PageStructureWindowShowsATree)
{
    ObjectHandle top = NewPage(1);
    ObjectHandle node = NewBox(top, {0, 0, U(10), U(10)});
    ObjectHandle sub = NewPage(2);
    ObjectHandle other = NewPage(3);
    Model_SetFieldValue(sub, Field::kRefinedNode, node);
    Model_SetFieldValue(node, Field::kSubpage, sub);
    (void)other;

    Widget widget = nullptr;
    ASSERT_EQ(PageStructure_Show(4, sub, &widget), kStatusOk);
    ASSERT_NE(widget, nullptr);
    WaitShowing(widget);
    Pump();
    char title[64] = {};
    Window_GetTitleString(widget, title, sizeof title);
    EXPECT_STREQ(title, "Page Structure Tree");

    std::vector<uint32_t> kinds;
    Cache_Apply(widget, kCacheStructure, CountItem, &kinds);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kItemPageLabel), 3);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kItemSegment), 1) << "the subpage hangs below its page";
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kItemRectOutline), 1) << "the highlighted page";

    // The tree's line between the two entries is on the screen.
    int32_t width = 0, height = 0;
    Diagram_DrawingSize(widget, &width, &height);
    std::vector<unsigned long> pixels = Pixels(widget, 0, 0, width, height);
    long drawn = std::count_if(pixels.begin(), pixels.end(), [](unsigned long p) { return p != Window_BackgroundPixel(); });
    EXPECT_GT(drawn, 20);

    // The outline form re-lays out the same window under its own title.
    Widget again = nullptr;
    ASSERT_EQ(PageStructure_Show(5, 0, &again), kStatusOk);
    EXPECT_EQ(again, widget);
    Window_GetTitleString(widget, title, sizeof title);
    EXPECT_STREQ(title, "Page Structure Outline");
    kinds.clear();
    Cache_Apply(widget, kCacheStructure, CountItem, &kinds);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kItemSegment), 0);
    EXPECT_EQ(PageStructure_Hide(), kStatusOk);
    Cache_ClearList(widget, kCacheAllLists, 0);
}

}  // namespace
