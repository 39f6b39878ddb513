// Texts on zoomed pages under a private Xvfb: an object text drawn on a page
// at scale 2 covers twice the pixels of the same text at scale 1, starting at
// the zoomed frame position and clipped to the frame; a click (xdotool) on a
// character of a text edited on a zoomed page puts the cursor before it; the
// selection and the cursor are drawn inverted; a cursor on the second
// segment of a split reference stands on the reference. Pixels are read back
// from the server.
#include "PageWindowFixture.h"

#include "KernelToplevel.h"

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "SplitReference.h"
#include "xkv/colour/Colour.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFontX.h"
#include "xkv/text/TextX.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

using tolq::test::wait_until;
using tolq::test::xdotool;

constexpr uint32_t kFlagNoOutline = 8;

using kernelinput::Toplevel;

// Where the pixels of one colour lie in a rectangle, and how many there are.
struct Ink {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = -1;
    int bottom = -1;
    int count = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

class ZoomedTextTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        VelkorSettings& settings = Velkor_Settings();
        settings.display = X().display();
        settings.appContext = X().app();
        settings.toplevel = Toplevel(X().display());
        Text_InitWindows(nullptr);
        ASSERT_NE(TextWidget_Shell(), nullptr);
        PageWindowTest::SetUp();
    }

    void TearDown() override
    {
        Text_Shutdown();
        Pump();
        PageWindowTest::TearDown();
    }

    // A page shown at the scale in its own page window.
    Widget OpenPageAt(double scale, uint32_t number)
    {
        ObjectHandle page = NewPage(number);
        Model_SetFieldValue(page, Field::kScaleX, static_cast<uint32_t>(U(scale)));
        Model_SetFieldValue(page, Field::kScaleY, static_cast<uint32_t>(U(scale)));
        return Open(page);
    }

    // A node without outline whose top-left corner lies 10 pixels into the
    // window, with a Helvetica 12 text.
    ObjectHandle NodeWithText(Widget window, Fixed width, Fixed height, const std::string& characters)
    {
        FixPoint corner{};
        Window_PixelToPage(window, 10, 10, &corner);
        ObjectHandle node = NewBox(Window_Page(window), {corner.x, corner.y, corner.x + width, corner.y + height});
        Model_SetFlags(node, kFlagNoOutline, 1);
        MemHandle text = 0;
        EXPECT_EQ(Text_Get(node, &text, 1), kStatusOk);
        Text_SetFontFamily(text, 3);
        Text_SetFontSize(text, 12);
        Text_SetFontStyle(text, 0);
        Text_SetAlignment(text, 1);  // lines start at the frame's left
        if (!characters.empty()) {
            EXPECT_EQ(Text_PutString(node, characters.data(), static_cast<uint32_t>(characters.size()), 0),
                      kStatusOk);
        }
        return node;
    }

    static MemHandle TextOf(ObjectHandle object) { return Model_GetFieldValue(object, Field::kText); }

    static TextRec* Rec(MemHandle text)
    {
        TextRec* record = nullptr;
        Mem_LockAs(text, &record);
        Mem_Unlock(text);
        return record;
    }

    // The text's frame on the page.
    static FixRect FrameOf(MemHandle text)
    {
        TextRec* r = Rec(text);
        return {r->frameX, r->frameY, r->frameX + r->frameWidth, r->frameY + r->frameHeight};
    }

    static TextLine* LineRec(MemHandle line)
    {
        TextLine* record = nullptr;
        Mem_LockAs(line, &record);
        Mem_Unlock(line);
        return record;
    }

    // The pixels of the colour in a rectangle of an X window.
    Ink InkOf(Window window, int x, int y, int width, int height, unsigned long colour, bool equal = true)
    {
        XSync(X().display(), False);
        Ink ink;
        XImage* image = XGetImage(X().display(), window, x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) {
            ADD_FAILURE() << "no image of " << width << "x" << height << " at " << x << "," << y;
            return ink;
        }
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                if ((XGetPixel(image, i, j) == colour) == equal) {
                    ink.left = std::min(ink.left, x + i);
                    ink.right = std::max(ink.right, x + i);
                    ink.top = std::min(ink.top, y + j);
                    ink.bottom = std::max(ink.bottom, y + j);
                    ink.count++;
                }
            }
        }
        XDestroyImage(image);
        return ink;
    }

    // The share of text-coloured pixels in a rectangle of the edit window.
    double ForegroundShare(int x, int y, int width, int height)
    {
        Window inner = 0;
        Text_EditWidget(&inner);
        Ink ink = InkOf(inner, x, y, width, height, Text_ForegroundPixel());
        return static_cast<double>(ink.count) / (width * height);
    }

    // Pixels in the edit window of the characters [from, to) of the text's
    // first line at scale 2 (a unit is 4 pixels there): x, y, width, height.
    struct CharBox {
        int x;
        int y;
        int width;
        int height;
    };
    CharBox BoxOf(MemHandle text, MemHandle line, uint16_t from, uint16_t to)
    {
        TextLine* l = LineRec(line);
        Fixed before = Text_LineWidthFrom(text, line, 0, from);
        Fixed width = Text_LineWidthFrom(text, line, from, to);
        auto px = [](Fixed units) { return static_cast<int>(std::lround(units / 65536.0 * 4)); };
        int left = px(l->x + before);
        int top = px(l->bottom - l->height);
        return {left, top, px(l->x + before + width) - left, px(l->bottom) - top};
    }

    void FrameOnRoot(int* x, int* y)
    {
        Window inner = 0;
        Text_EditWidget(&inner);
        ASSERT_NE(inner, 0u);
        Window child = 0;
        XTranslateCoordinates(X().display(), inner, DefaultRootWindow(X().display()), 0, 0, x, y, &child);
    }

    uint32_t Cursor(ObjectHandle node)
    {
        uint32_t cursor = 0;
        uint32_t end = 0;
        Text_CursorOffset(node, &cursor, &end);
        return cursor;
    }
};

TEST_F(ZoomedTextTest, AnObjectTextDoublesInSizeAtScaleTwo)
{
    struct Drawn {
        Ink ink;
        int frameLeft;
        int frameTop;
    };
    std::vector<Drawn> drawn;
    uint32_t number = 1;
    for (double scale : {1.0, 2.0}) {
        Widget window = OpenPageAt(scale, number++);
        ASSERT_NE(window, nullptr);
        ObjectHandle node = NodeWithText(window, U(100), U(30), "Hello world");
        RepaintAll(window);
        FixRect box = FrameOf(TextOf(node));
        int left = PixelX(window, box.left);
        int top = PixelY(window, box.top);
        int width = PixelX(window, box.right) - left;
        int height = PixelY(window, box.bottom) - top;
        unsigned long background = PixelAt(window, 2, 2);
        Ink ink = InkOf(XtWindow(window), left, top, width, height, background, false);
        ASSERT_GT(ink.count, 20) << "the text is drawn at scale " << scale;
        drawn.push_back({ink, left, top});
        if (scale == 2.0) {
            ASSERT_NE(Text_DrawingFont(TextOf(node)), nullptr);
            EXPECT_EQ(Text_DrawingFont(TextOf(node))->requestedSize, 24) << "drawn with the 24-point font";
        }
    }
    const Ink& one = drawn[0].ink;
    const Ink& two = drawn[1].ink;
    double widthRatio = static_cast<double>(two.Width()) / one.Width();
    double heightRatio = static_cast<double>(two.Height()) / one.Height();
    EXPECT_GT(widthRatio, 1.8) << one.Width() << " -> " << two.Width();
    EXPECT_LT(widthRatio, 2.2) << one.Width() << " -> " << two.Width();
    EXPECT_GT(heightRatio, 1.6) << one.Height() << " -> " << two.Height();
    EXPECT_LT(heightRatio, 2.4) << one.Height() << " -> " << two.Height();
    // The line starts 1.5 units into the frame: 3 pixels at scale 1, 6 at 2
    // (plus the first glyph's bearing).
    for (size_t i = 0; i < drawn.size(); ++i) {
        int scale = static_cast<int>(i) + 1;
        int offset = drawn[i].ink.left - drawn[i].frameLeft;
        EXPECT_GE(offset, 3 * scale - 1) << "scale " << scale;
        EXPECT_LE(offset, 3 * scale + 2 * scale) << "scale " << scale;
    }
    EXPECT_GT(two.top - drawn[1].frameTop, one.top - drawn[0].frameTop) << "the first line lies lower when zoomed";
}

TEST_F(ZoomedTextTest, AnObjectTextIsClippedToItsFrameInset)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    ObjectHandle node = NodeWithText(window, U(30), U(30), "");
    ASSERT_EQ(Text_SetNoWrap(node, 1), kStatusOk);
    std::string wide = "WWWWWWWWWWWWWWWWWWWW";
    ASSERT_EQ(Text_PutString(node, wide.data(), static_cast<uint32_t>(wide.size()), 0), kStatusOk);
    RepaintAll(window);
    FixRect box = FrameOf(TextOf(node));
    int left = PixelX(window, box.left);
    int right = PixelX(window, box.right);
    int top = PixelY(window, box.top);
    int bottom = PixelY(window, box.bottom);
    unsigned long background = PixelAt(window, 2, 2);
    Ink ink = InkOf(XtWindow(window), left, top, right - left + 40, bottom - top, background, false);
    ASSERT_GT(ink.count, 20);
    EXPECT_EQ(ink.right, right - 7) << "the text runs up to 1.5 units before the frame's right edge, no further";
}

TEST_F(ZoomedTextTest, EachObjectTextIsDrawnInItsOwnColour)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    ObjectHandle red = NodeWithText(window, U(60), U(12), "Red text");
    Model_SetFieldValue(red, Field::kColours, 6u << 8);  // colour 6 of the default table is red
    FixPoint below{};
    Window_PixelToPage(window, 10, 80, &below);
    ObjectHandle black = NewBox(Window_Page(window), {below.x, below.y, below.x + U(60), below.y + U(12)});
    Model_SetFlags(black, kFlagNoOutline, 1);
    MemHandle text = 0;
    ASSERT_EQ(Text_Get(black, &text, 1), kStatusOk);
    Text_SetFontFamily(text, 3);
    Text_SetFontSize(text, 12);
    Text_SetFontStyle(text, 0);
    ASSERT_EQ(Text_PutString(black, "Black text", 10, 0), kStatusOk);
    RepaintAll(window);
    ASSERT_NE(Color_GetPixel(6), Color_GetPixel(0));
    for (auto [node, index] : {std::pair{red, 6}, std::pair{black, 0}}) {
        FixRect box = FrameOf(TextOf(node));
        int left = PixelX(window, box.left);
        int top = PixelY(window, box.top);
        int width = PixelX(window, box.right) - left;
        int height = PixelY(window, box.bottom) - top;
        Ink all = InkOf(XtWindow(window), left, top, width, height, PixelAt(window, 2, 2), false);
        Ink coloured = InkOf(XtWindow(window), left, top, width, height, Color_GetPixel(static_cast<int16_t>(index)));
        ASSERT_GT(all.count, 20) << "colour " << index;
        EXPECT_GT(coloured.count, all.count * 9 / 10) << "colour " << index;
    }
}

TEST_F(ZoomedTextTest, AClickOnACharacterOfAZoomedTextPutsTheCursorBeforeIt)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    ObjectHandle node = NodeWithText(window, U(80), U(20), "abcdefghijkl");
    MemHandle text = TextOf(node);
    Text_StartEdit(node);
    Pump();
    ASSERT_EQ(Text_EditingState(), kEditingText);
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    TextWidget_FramePixels(&frameWidth, &frameHeight);
    EXPECT_EQ(frameWidth, Rec(text)->frameWidth / 0x4000) << "the edit window has the zoomed frame's size";
    EXPECT_EQ(frameHeight, Rec(text)->frameHeight / 0x4000);
    int rootX = 0;
    int rootY = 0;
    FrameOnRoot(&rootX, &rootY);
    MemHandle line = Rec(text)->firstLine;
    Window inner = 0;
    Text_EditWidget(&inner);
    for (uint16_t n : {4, 9, 0, 11}) {
        CharBox c = BoxOf(text, line, n, static_cast<uint16_t>(n + 1));
        // The character is drawn where the click will fall.
        Ink ink = InkOf(inner, c.x, c.y, c.width, c.height, Text_BackgroundPixel(), false);
        EXPECT_GT(ink.count, 3) << "character " << n << " is drawn at " << c.x;
        int x = c.x + c.width * 3 / 4;  // on the right half: still before the character
        int y = c.y + c.height / 2;
        xdotool({"mousemove", std::to_string(rootX + x), std::to_string(rootY + y), "sleep", "0.4", "click", "1"});
        EXPECT_TRUE(wait_until([&] {
            Pump();
            return Cursor(node) == n;
        })) << "clicked character " << n << " at " << x << ", cursor at " << Cursor(node);
    }
}

TEST_F(ZoomedTextTest, TheSelectionAndTheCursorAreDrawnInverted)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    ObjectHandle node = NodeWithText(window, U(80), U(20), "aaaa bbbb cccc");
    MemHandle text = TextOf(node);
    Text_StartEdit(node);
    Pump();
    MemHandle line = Rec(text)->firstLine;

    ASSERT_EQ(Text_SetSelection(text, 5, 9), kStatusOk);
    Text_ShowSelection(text);
    Pump();
    CharBox selected = BoxOf(text, line, 5, 9);
    CharBox after = BoxOf(text, line, 10, 14);
    EXPECT_GT(ForegroundShare(selected.x, selected.y, selected.width, selected.height), 0.6);
    EXPECT_LT(ForegroundShare(after.x, after.y, after.width, after.height), 0.35);

    // No selection: the cursor is its character inverted.
    ASSERT_EQ(Text_SetSelection(text, 2, 2), kStatusOk);
    Text_ShowCursor(text);
    Pump();
    CharBox cursor = BoxOf(text, line, 2, 3);
    EXPECT_GT(ForegroundShare(cursor.x, cursor.y, cursor.width, cursor.height), 0.6);
    EXPECT_LT(ForegroundShare(selected.x, selected.y, selected.width, selected.height), 0.35)
        << "the old selection is drawn normally again";
    Text_HideCursor(text);
    Pump();
    EXPECT_LT(ForegroundShare(cursor.x, cursor.y, cursor.width, cursor.height), 0.35);
}

TEST_F(ZoomedTextTest, ACursorOnTheSecondSegmentOfASplitReferenceStandsOnTheReference)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    ObjectHandle node = NodeWithText(window, U(80), U(20), "");
    ObjectHandle referred = NewBox(Window_Page(window), {0, 0, U(10), U(10)});
    MemHandle text = TextOf(node);
    Text_StartEdit(node);
    Pump();
    // "ab<<N" on the first line, the rest of the display string on the second.
    MemHandle reference = Text_MakeReference(referred, 0);
    std::string display = "<<" + std::to_string(referred) + ">>";
    auto split = static_cast<uint16_t>(display.size() - 3);
    texttest::FillSplitLines(text, reference, {{std::string("ab\0", 3), kEndWrapped, 0, split},
                                               {std::string("\0c", 2), kEndOfText, split, 0}});
    MemHandle second = LineRec(Rec(text)->firstLine)->next;
    ASSERT_NE(second, 0u);
    Rec(text)->cursorLine = second;
    Rec(text)->cursorColumn = 0;
    Text_RedisplayAndShowCursor(text, 1);
    Pump();
    EditRecord* record = nullptr;
    ASSERT_EQ(Mem_LockAs(Text_EditRecord(), &record), kStatusOk);
    EXPECT_EQ(record->onReference, 1u);
    EXPECT_EQ(record->referredObject, referred);
    Mem_Unlock(Text_EditRecord());
    // The segment "N>>" is the highlighted cursor, its second half drawn.
    CharBox segment = BoxOf(text, second, 0, 1);
    EXPECT_GT(ForegroundShare(segment.x, segment.y, segment.width, segment.height), 0.6);

    // Moving the cursor to the 'c' leaves the reference.
    Rec(text)->cursorColumn = 1;
    Text_ShowCursor(text);
    Pump();
    ASSERT_EQ(Mem_LockAs(Text_EditRecord(), &record), kStatusOk);
    EXPECT_EQ(record->onReference, 0u);
    Mem_Unlock(Text_EditRecord());
    EXPECT_LT(ForegroundShare(segment.x, segment.y, segment.width, segment.height), 0.35);
}

TEST_F(ZoomedTextTest, AnEditedLabelIsDrawnAtTheZoomAndLeavesNothingBehindWhenItShrinks)
{
    Widget window = OpenPageAt(2.0, 1);
    ASSERT_NE(window, nullptr);
    FixPoint corner{};
    Window_PixelToPage(window, 20, 20, &corner);
    ObjectHandle label = NewBox(Window_Page(window), {corner.x, corner.y, corner.x + U(10), corner.y + U(10)}, 12);
    Model_SetFlags(label, kFlagNoOutline, 1);
    MemHandle text = 0;
    ASSERT_EQ(Text_Get(label, &text, 1), kStatusOk);
    ASSERT_NE(Rec(text)->label, 0u);
    Text_SetFontFamily(text, 3);
    Text_SetFontSize(text, 12);
    Text_SetFontStyle(text, 0);
    Text_StartEdit(label);
    Pump();
    ASSERT_EQ(Text_EditingState(), kEditingLabel);
    std::string typed = "HHHHHHHH";
    ASSERT_EQ(Text_PutString(label, typed.data(), static_cast<uint32_t>(typed.size()), 1), kStatusOk);
    Pump();
    MemHandle line = Rec(text)->firstLine;
    Fixed width = LineRec(line)->width;
    int left = PixelX(window, LineRec(line)->x);
    int top = PixelY(window, LineRec(line)->bottom - LineRec(line)->height);
    int bottom = PixelY(window, LineRec(line)->bottom);
    unsigned long background = PixelAt(window, 2, 2);
    auto inkNow = [&] {
        return InkOf(XtWindow(window), left - 10, top, static_cast<int>(width / 0x4000) + 40, bottom - top, background,
                     false);
    };
    Ink whole = inkNow();
    ASSERT_GT(whole.count, 20);
    // Eight 'H' of Helvetica 12 at scale 2: the zoomed line's width.
    EXPECT_NEAR(whole.Width(), width / 0x4000, 8) << "layout width " << width / 65536.0 << " units";
    EXPECT_NEAR(whole.left, left, 4);

    Text_DeleteChars(text, -4);
    Pump();
    ASSERT_EQ(LineRec(Rec(text)->firstLine)->length, 4u);
    Ink half = inkNow();
    ASSERT_GT(half.count, 10);
    EXPECT_LT(half.right, whole.left + whole.Width() / 2 + 6) << "the deleted characters are gone from the page";
}

}  // namespace
