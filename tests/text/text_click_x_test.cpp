// Clicks on a page window while a text is edited, sent through XTest and
// taken through the kernel's own event switch: the gesture machine turns the
// press into a pick, the command layer selects the picked object, and in
// text mode the edit moves to its text. Hook 76 reports the end of the first
// edit once.
#include "KernelInputFixture.h"

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <X11/extensions/XTest.h>

#include <string>
#include <utility>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextX.h"
#include "xkv/timer/Timer.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

// The kernel as at start-up, with two boxes on its page whose texts are
// not empty.
class ClickWhileEditing : public kernelinput::KernelInputTest {
protected:
    void SetUp() override
    {
        KernelInputTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        first = Box(20, 20);
        second = Box(20, 140);
        ASSERT_EQ(Text_PutString(first, "first", 5, 0), kStatusOk);
        ASSERT_EQ(Text_PutString(second, "second", 6, 0), kStatusOk);
        RepaintAll(window);
    }

    // A box of 100 x 40 pixels whose top-left corner lies at the pixel.
    ObjectHandle Box(int x, int y)
    {
        FixPoint corner{};
        Window_PixelToPage(window, x, y, &corner);
        ObjectHandle node = 0;
        EXPECT_EQ(Core_AddNode(page, {corner.x, corner.y, corner.x + U(50), corner.y + U(20)}, 1, 0, &node), 0u);
        return node;
    }

    // Presses a button at a position of a window, moves by steps and
    // releases, each step taken through the kernel's event switch.
    void DragOn(Window on, int x, int y, int dx, int dy, unsigned button = 1)
    {
        Window child = 0;
        int rx = 0, ry = 0;
        XTranslateCoordinates(X().display(), on, DefaultRootWindow(X().display()), x, y, &rx, &ry, &child);
        XTestFakeMotionEvent(X().display(), -1, rx, ry, 0);
        Run();
        XTestFakeButtonEvent(X().display(), button, True, 0);
        Run();
        const int steps = 5;
        for (int i = 1; i <= steps; ++i) {
            XTestFakeMotionEvent(X().display(), -1, rx + dx * i / steps, ry + dy * i / steps, 0);
            Run();
        }
        XTestFakeButtonEvent(X().display(), button, False, 0);
        Run();
    }

    void ClickOn(Window on, int x, int y, unsigned button)
    {
        DragOn(on, x, y, 0, 0, button);
    }

    static TextRec* Rec(ObjectHandle object)
    {
        TextRec* record = nullptr;
        MemHandle text = Model_GetFieldValue(object, Field::kText);
        Mem_LockAs(text, &record);
        Mem_Unlock(text);
        return record;
    }

    void PutLines(ObjectHandle object, int count)
    {
        std::string lines;
        for (int i = 1; i <= count; ++i) {
            lines += "line " + std::to_string(i) + (i < count ? "\n" : "");
        }
        ASSERT_EQ(Text_PutString(object, lines.data(), static_cast<uint32_t>(lines.size()), 0), kStatusOk);
    }

    static bool Viewable(Widget widget)
    {
        XWindowAttributes attributes{};
        XGetWindowAttributes(XtDisplay(widget), XtWindow(widget), &attributes);
        return attributes.map_state == IsViewable;
    }

    static Window BarWindow(const char* name)
    {
        Widget bar = XtNameToWidget(XtParent(TextWidget_Widget()), name);
        return bar != nullptr && XtIsRealized(bar) ? XtWindow(bar) : 0;
    }

    // Selects the object and turns text mode on: its text is then edited.
    void EditFirst()
    {
        ASSERT_EQ(Select_Object(first, 1), kStatusOk);
        Comm_SetTextMode(1);
        Run();
        ASSERT_EQ(TextWidget_EditedObject(), first);
        ASSERT_EQ(Text_EditingState(), kEditingText);
    }

    ObjectHandle first = 0;
    ObjectHandle second = 0;
};

class ClickAnotherBox : public ClickWhileEditing, public ::testing::WithParamInterface<bool> {};

// Whether anything was typed, hook 76 fires once, for the first box, with
// the edit-changed flag telling which; the texts written before the edit
// began do not count as typing.
TEST_P(ClickAnotherBox, EndsTheEditOnceAndEditsTheOther)
{
    const bool typed = GetParam();
    EditFirst();
    if (typed) {
        ASSERT_EQ(Text_PutString(first, "!", 1, 1), kStatusOk);
    }
    EXPECT_TRUE(kernelinput::Ends().empty());
    ClickAt(70, 160);
    EXPECT_EQ(Select_GetObject(), second);
    EXPECT_EQ(TextWidget_EditedObject(), second);
    EXPECT_EQ(Text_EditingState(), kEditingText);
    ASSERT_EQ(kernelinput::Ends().size(), 1u) << "hook 76 fires once for the edit that ended";
    EXPECT_EQ(kernelinput::Ends()[0].object, first);
    EXPECT_EQ(kernelinput::Ends()[0].changed, typed ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Typing, ClickAnotherBox, ::testing::Values(false, true));

TEST_F(ClickWhileEditing, ClickingTheEmptyPageEndsTheEditOnce)
{
    EditFirst();
    ClickAt(300, 300);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    ASSERT_EQ(kernelinput::Ends().size(), 1u);
    EXPECT_EQ(kernelinput::Ends()[0].object, first);
}

// Drag mode hides the edit window; button 1 on the page then moves the text
// inside its frame, and the page shows the moved text.
TEST_F(ClickWhileEditing, DragModeMovesTheTextInsideItsFrame)
{
    PutLines(first, 12);
    EditFirst();
    Widget shell = TextWidget_Shell();
    ASSERT_TRUE(Viewable(shell));
    TextWidget_EnterDragMode();
    Run();
    EXPECT_FALSE(Viewable(shell)) << "the edit window is hidden in drag mode";
    const std::vector<unsigned long> before = Pixels(window, 22, 22, 96, 36);

    DragOn(XtWindow(window), 60, 50, 0, -30);
    TextRec* record = Rec(first);
    EXPECT_GT(record->topLineIndex, 0u) << "dragging up shows later lines";
    EXPECT_EQ(record->scrollX, 0);
    EXPECT_EQ(TextWidget_EditedObject(), first) << "the drag does not end the edit";
    EXPECT_NE(Pixels(window, 22, 22, 96, 36), before) << "the page shows the moved text";

    // Sideways: the horizontal offset follows the pointer.
    DragOn(XtWindow(window), 60, 30, 16, 0);
    EXPECT_EQ(record->scrollX, Window_PixelsToPage(page, 16, 0));

    TextWidget_LeaveDragMode();
    Run();
    EXPECT_TRUE(Viewable(shell)) << "leaving drag mode shows the edit window again";
    EXPECT_EQ(TextWidget_DragMode(), 0u);
}

// The kernel's event switch hands presses on the edit window's scroll bars
// to the text editor's scrolling.
TEST_F(ClickWhileEditing, ScrollBarsScrollTheEditedText)
{
    PutLines(first, 30);
    EditFirst();
    const Window vertical = BarWindow("vertical");
    const Window horizontal = BarWindow("horizontal");
    ASSERT_NE(vertical, 0u);
    ASSERT_NE(horizontal, 0u);
    XWindowAttributes bar{};
    XGetWindowAttributes(X().display(), vertical, &bar);
    TextRec* record = Rec(first);
    ASSERT_EQ(record->topLineIndex, 0u);

    ClickOn(vertical, 3, bar.height - 2, 1);
    EXPECT_GT(record->topLineIndex, 0u) << "button 1 near the bar's end moves on by lines";
    EXPECT_EQ(record->scrollY, 0);
    ClickOn(vertical, 3, bar.height - 2, 3);
    EXPECT_EQ(record->topLineIndex, 0u) << "button 3 moves back";
    ClickOn(vertical, 3, 0, 2);
    EXPECT_EQ(record->topLineIndex, 0u) << "button 2 at the top: the first line";

    Widget widget = TextWidget_Widget();
    auto widgetX = [&] {
        Position x = 0;
        XtVaGetValues(widget, XtNx, &x, nullptr);
        return x;
    };
    const Position start = widgetX();
    ClickOn(horizontal, 20, 3, 3);
    EXPECT_EQ(widgetX(), start + 20) << "button 3 moves the text right by the pointer's position";
    EXPECT_EQ(record->scrollX, Window_PixelsToPage(page, 20, 0));
    ClickOn(horizontal, 20, 3, 1);
    EXPECT_EQ(widgetX(), start) << "button 1 moves it back left";
    EXPECT_EQ(record->scrollX, 0);
    EXPECT_EQ(TextWidget_EditedObject(), first);
}

// The text's scroll-bar flag decides whether its edit window has bars; a
// change while the text is edited shows or drops them at once.
TEST_F(ClickWhileEditing, TheEditWindowFollowsTheTextsScrollBarFlag)
{
    MemHandle text = Model_GetFieldValue(first, Field::kText);
    ASSERT_EQ(Text_SetScrollBars(text, 0), kStatusOk);
    EditFirst();
    auto barShown = [](const char* name) {
        Widget bar = XtNameToWidget(XtParent(TextWidget_Widget()), name);
        return bar != nullptr && XtIsManaged(bar) && XtIsRealized(bar) && Viewable(bar);
    };
    auto shellSize = [&] {
        Dimension width = 0;
        Dimension height = 0;
        XtVaGetValues(TextWidget_Shell(), XtNwidth, &width, XtNheight, &height, nullptr);
        return std::pair<int, int>(width, height);
    };
    EXPECT_FALSE(barShown("vertical"));
    EXPECT_FALSE(barShown("horizontal"));
    const auto without = shellSize();

    ASSERT_EQ(Text_SetScrollBars(text, 1), kStatusOk);
    Run();
    EXPECT_TRUE(barShown("vertical"));
    EXPECT_TRUE(barShown("horizontal"));
    const auto with = shellSize();
    EXPECT_GT(with.first, without.first) << "the window grows by the bars";
    EXPECT_GT(with.second, without.second);

    ASSERT_EQ(Text_SetScrollBars(text, 0), kStatusOk);
    Run();
    EXPECT_FALSE(barShown("vertical"));
    EXPECT_EQ(shellSize(), without);
}

// With clickSet the editor dispatches a click elsewhere itself; the click on
// another box moves the edit there and ends the first edit once.
TEST_F(ClickWhileEditing, WithClickSetAClickOnAnotherBoxMovesTheEdit)
{
    Velkor_Settings().clickSet = true;
    EditFirst();
    ClickAt(70, 160);
    Velkor_Settings().clickSet = false;
    EXPECT_EQ(TextWidget_EditedObject(), second);
    EXPECT_EQ(Text_EditingState(), kEditingText);
    ASSERT_EQ(kernelinput::Ends().size(), 1u);
    EXPECT_EQ(kernelinput::Ends()[0].object, first);
}

}  // namespace
