// The edit window under a private Xvfb: typing into a node's text through the
// edit window, a double click selecting a word, the selection handed to
// another X client (TARGETS and STRING) and to cut buffer 0, and X fonts with
// the "fixed" fallback. Input is real (xdotool), and the edit window lies on
// the real page window of the node's page, opened by the window module.
#include "PageWindowFixture.h"

#include "KernelToplevel.h"

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/Xatom.h>

#include <algorithm>
#include <string>
#include <vector>

#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFontX.h"
#include "xkv/text/TextX.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

using tolq::test::XClient;
using tolq::test::wait_until;
using tolq::test::xdotool;

using kernelinput::Toplevel;

// A fresh kernel with one diagram and the window module (the page-window
// fixture), the edit window built under the kernel's toplevel, and one node
// with a text on a page whose real page window is open.
class EditWindowTest : public PageWindowTest {
protected:
    void SetUp() override
    {
        VelkorSettings& settings = Velkor_Settings();
        settings.display = X().display();
        settings.appContext = X().app();
        toplevel = Toplevel(X().display());
        settings.toplevel = toplevel;
        Text_InitWindows(nullptr);
        ASSERT_NE(TextWidget_Shell(), nullptr);
        PageWindowTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }

        page = NewPage(1);
        pageWindow = Open(page);
        ASSERT_NE(pageWindow, nullptr);
        ASSERT_EQ(Window_OfPage(page), pageWindow);
        // The node lies near the window's top-left corner, whatever the
        // page's first scroll origin: 150 x 60 page units (300 x 120 pixels).
        FixPoint corner{};
        Window_PixelToPage(pageWindow, 10, 10, &corner);
        node = NewBox(page, FixRect{corner.x, corner.y, corner.x + U(150), corner.y + U(60)});
        MemHandle text = 0;
        ASSERT_EQ(Text_Get(node, &text, 1), kStatusOk);
        Text_SetFontFamily(text, 3);
        Text_SetFontSize(text, 12);
        Text_SetFontStyle(text, 0);
        RepaintAll(pageWindow);
    }

    void TearDown() override
    {
        Text_Shutdown();
        Pump();
        PageWindowTest::TearDown();
    }

    static std::string Whole(ObjectHandle object, uint32_t mode = kRefDisplay)
    {
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(Model_GetFieldValue(object, Field::kText), nullptr, nullptr, &length, mode);
        std::string characters;
        if (block != 0) {
            char* bytes = nullptr;
            Mem_LockAs(block, &bytes);
            characters.assign(bytes, length);
            Mem_Unlock(block);
            Mem_Free(block);
        }
        return characters;
    }

    // The edit window's drawing window on the root.
    void FrameOnRoot(int* x, int* y)
    {
        Window inner = 0;
        Text_EditWidget(&inner);
        ASSERT_NE(inner, 0u);
        Display* display = XtDisplay(toplevel);
        Window child = 0;
        XTranslateCoordinates(display, inner, DefaultRootWindow(display), 0, 0, x, y, &child);
    }

    // Types through xdotool while the pointer stands over the edit window.
    void TypeIntoEditWindow(const std::string& typed)
    {
        int x = 0;
        int y = 0;
        FrameOnRoot(&x, &y);
        xdotool({"mousemove", std::to_string(x + 5), std::to_string(y + 5)});
        xdotool({"type", "--delay", "20", typed});
        ASSERT_TRUE(wait_until([&] {
            Pump();
            return Whole(node).size() >= typed.size();
        }));
    }

    // Asks the owner of PRIMARY for a target from another connection.
    struct Conversion {
        bool answered = false;
        Atom type = None;
        std::vector<unsigned char> data;
        int format = 0;
    };

    Conversion Convert(XClient& client, Window requestor, Atom target)
    {
        Display* display = client.display();
        Atom property = XInternAtom(display, "TOLQ_TEST_SELECTION", False);
        XConvertSelection(display, XA_PRIMARY, target, property, requestor, CurrentTime);
        XFlush(display);
        Conversion result;
        wait_until([&] {
            Pump();
            XEvent event;
            while (XCheckTypedWindowEvent(display, requestor, SelectionNotify, &event)) {
                result.answered = true;
                if (event.xselection.property == None) {
                    return true;
                }
                unsigned long items = 0;
                unsigned long remaining = 0;
                unsigned char* data = nullptr;
                XGetWindowProperty(display, requestor, property, 0, 1000, True, AnyPropertyType, &result.type,
                                   &result.format, &items, &remaining, &data);
                size_t bytes = result.format == 32 ? items * sizeof(long) : items * (result.format / 8);
                result.data.assign(data, data + bytes);
                XFree(data);
            }
            return result.answered;
        });
        return result;
    }

    Widget toplevel = nullptr;
    Widget pageWindow = nullptr;
    ObjectHandle page = 0;
    ObjectHandle node = 0;
};

TEST_F(EditWindowTest, TypingIntoTheEditWindowChangesTheText)
{
    Text_StartEdit(node);
    Pump();
    EXPECT_EQ(Text_EditingState(), kEditingText);
    XClient client;
    XWindowAttributes attributes{};
    XGetWindowAttributes(client.display(), XtWindow(TextWidget_Shell()), &attributes);
    EXPECT_EQ(attributes.map_state, IsViewable) << "the edit window is mapped";
    // It lies inside the page window that shows the node's page.
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned childCount = 0;
    ASSERT_NE(XQueryTree(client.display(), XtWindow(TextWidget_Shell()), &root, &parent, &children, &childCount), 0);
    if (children != nullptr) {
        XFree(children);
    }
    EXPECT_EQ(parent, XtWindow(pageWindow));
    EXPECT_EQ(Text_FrameWindow(), XtWindow(pageWindow));
    EXPECT_EQ(std::string(XtName(TextWidget_Shell())), "text");
    EXPECT_EQ(std::string(XtName(TextWidget_Widget())), "braskText");
    TypeIntoEditWindow("hello world");
    EXPECT_EQ(Whole(node), "hello world");
    xdotool({"key", "BackSpace", "BackSpace", "Return", "x"});
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return Whole(node) == "hello wor\nx";
    })) << Whole(node);
    EXPECT_EQ(Text_Changed(), 1u);

    // The typed characters are drawn: the frame is no longer blank.
    Window inner = 0;
    Text_EditWidget(&inner);
    Pump();
    XSync(XtDisplay(toplevel), False);
    tolq::test::Rgb background = client.pixel(inner, 1, 1);
    EXPECT_GT(150 * 40 - client.count_pixels(inner, 0, 0, 150, 40, background), 20);
    Text_LeaveEditing();
    Pump();
    EXPECT_EQ(Text_EditingState(), kEditingNone);
}

TEST_F(EditWindowTest, ADoubleClickSelectsAWordWithoutItsParentheses)
{
    Text_StartEdit(node);
    Pump();
    TypeIntoEditWindow("call f(gamma) now");
    MemHandle text = Model_GetFieldValue(node, Field::kText);
    TextRec* record = nullptr;
    Mem_LockAs(text, &record);
    MemHandle line = record->firstLine;
    TextLine* first = nullptr;
    Mem_LockAs(line, &first);
    // The middle of the 'm' of gamma (character 9).
    Fixed before = Text_LineWidthFrom(text, line, 0, 9);
    Fixed width = Text_LineWidthFrom(text, line, 9, 10);
    int32_t px = (first->x + before + width / 2) >> 15;
    int32_t py = (first->bottom - first->height / 2) >> 15;
    Mem_Unlock(line);
    Mem_Unlock(text);
    int x = 0;
    int y = 0;
    FrameOnRoot(&x, &y);
    xdotool({"mousemove", std::to_string(x + px), std::to_string(y + py)});
    xdotool({"click", "--repeat", "2", "--delay", "60", "1"});
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return Text_HasSelection() != 0;
    }));
    uint32_t cursor = 0;
    uint32_t end = 0;
    Text_CursorOffset(node, &cursor, &end);
    EXPECT_EQ(cursor, 7u);
    EXPECT_EQ(end, 12u);

    // A single click elsewhere places the cursor and drops the selection.
    xdotool({"mousemove", std::to_string(x + 4), std::to_string(y + py)});
    xdotool({"sleep", "0.4", "click", "1"});
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return Text_HasSelection() == 0;
    }));
}

TEST_F(EditWindowTest, TheSelectionCanBePastedIntoAnotherClient)
{
    Text_StartEdit(node);
    Pump();
    TypeIntoEditWindow("paste this word");
    ASSERT_EQ(Text_SetSelection(Model_GetFieldValue(node, Field::kText), 6, 10), kStatusOk);
    Text_ShowSelection(Model_GetFieldValue(node, Field::kText));
    Pump();

    XClient client;
    Display* display = client.display();
    ASSERT_NE(XGetSelectionOwner(display, XA_PRIMARY), 0u);
    Window requestor = XCreateSimpleWindow(display, client.root(), 0, 0, 1, 1, 0, 0, 0);

    Conversion targets = Convert(client, requestor, XInternAtom(display, "TARGETS", False));
    ASSERT_TRUE(targets.answered);
    ASSERT_EQ(targets.type, XA_ATOM);
    std::vector<std::string> names;
    const auto* atoms = reinterpret_cast<const long*>(targets.data.data());
    for (size_t i = 0; i < targets.data.size() / sizeof(long); ++i) {
        char* name = XGetAtomName(display, static_cast<Atom>(atoms[i]));
        names.emplace_back(name);
        XFree(name);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "STRING"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "TARGETS"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "UTF8_STRING"), names.end());

    for (const char* target : {"STRING", "UTF8_STRING"}) {
        Conversion text = Convert(client, requestor, XInternAtom(display, target, False));
        ASSERT_TRUE(text.answered) << target;
        EXPECT_EQ(std::string(text.data.begin(), text.data.end()), "this") << target;
    }
    Conversion refused = Convert(client, requestor, XInternAtom(display, "PIXMAP", False));
    EXPECT_TRUE(refused.answered) << "an unknown target is refused, not left waiting";
    EXPECT_TRUE(refused.data.empty());

    int count = 0;
    char* cut = XFetchBytes(display, &count);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(std::string(cut, count), "this");
    XFree(cut);
    XDestroyWindow(display, requestor);
}

TEST_F(EditWindowTest, TheCursorStaysVisibleAndTheScrollBarScrollsByLines)
{
    std::string lines;
    for (int i = 1; i <= 30; ++i) {
        lines += "line " + std::to_string(i) + (i < 30 ? "\n" : "");
    }
    ASSERT_EQ(Text_PutString(node, lines.data(), static_cast<uint32_t>(lines.size()), 0), kStatusOk);
    MemHandle text = Model_GetFieldValue(node, Field::kText);
    ASSERT_EQ(Text_SetSelection(text, 0, 0), kStatusOk);
    Text_StartEdit(node);
    Pump();
    TextRec* record = nullptr;
    Mem_LockAs(text, &record);
    Mem_Unlock(text);
    EXPECT_EQ(record->topLineIndex, 0u);

    int x = 0;
    int y = 0;
    FrameOnRoot(&x, &y);
    xdotool({"mousemove", std::to_string(x + 5), std::to_string(y + 5)});
    std::vector<std::string> keys{"key", "--delay", "10"};
    keys.insert(keys.end(), 20, "Down");
    xdotool(keys);
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return record->topLineIndex > 0;
    })) << "moving the cursor below the frame scrolls down";
    uint32_t cursor = 0;
    Text_CursorOffset(node, &cursor, nullptr);
    EXPECT_EQ(cursor, std::string("line 1\n").size() * 9 + std::string("line 10\n").size() * 11);

    // Up to the first line again: scrolled back to it.
    keys = {"key", "--delay", "10"};
    keys.insert(keys.end(), 20, "Up");
    xdotool(keys);
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return record->topLineIndex == 0;
    }));

    // Button 1 on the vertical scroll bar moves the text down by lines.
    Widget viewport = XtParent(TextWidget_Widget());
    Widget bar = XtNameToWidget(viewport, "vertical");
    ASSERT_NE(bar, nullptr);
    Window child = 0;
    int barX = 0;
    int barY = 0;
    XTranslateCoordinates(XtDisplay(bar), XtWindow(bar), DefaultRootWindow(XtDisplay(bar)), 0, 0, &barX, &barY,
                          &child);
    xdotool({"mousemove", std::to_string(barX + 5), std::to_string(barY + 60), "click", "1"});
    ASSERT_TRUE(wait_until([&] {
        Pump();
        return record->topLineIndex > 0;
    }));
}

TEST_F(EditWindowTest, AMissingFontFamilyFallsBackToFixed)
{
    Display* display = XtDisplay(toplevel);
    FontSpec present{3, 12, kStyleBold};
    testing::internal::CaptureStderr();
    int16_t font = Text_AcquireFont(&present);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "helvetica bold 12 at 75 dpi is installed";
    ASSERT_GE(font, 0);
    EXPECT_GT(Text_FontHeight(font), 0);
    Text_ReleaseFont(font);

    Text_SetFontDpi(91);
    FontSpec missing{5, 14, 0};
    testing::internal::CaptureStderr();
    font = Text_AcquireFont(&missing);
    std::string warning = testing::internal::GetCapturedStderr();
    Text_SetFontDpi(75);
    EXPECT_NE(warning.find("cannot find the selected font in 91dpi family.\n\tUsing fixed font instead.\n\n"
                           "WARNING: the text lay out will not be correct!\n"),
              std::string::npos)
        << warning;
    ASSERT_GE(font, 0);
    XFontStruct* fixed = XLoadQueryFont(display, "fixed");
    ASSERT_NE(fixed, nullptr);
    LoadedFont* loaded = Text_LayoutFont(font);
    EXPECT_EQ(loaded->xfont->ascent, fixed->ascent);
    EXPECT_EQ(loaded->xfont->max_bounds.width, fixed->max_bounds.width);
    XFreeFont(display, fixed);
    Text_ReleaseFont(font);
}

}  // namespace
