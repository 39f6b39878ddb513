// Labels typed on the page, driven as a user drives them under the private
// Xvfb: the kernel's label command, a click on the page window (XTest), keys
// typed with xdotool, all taken through the kernel's own event switch. The
// characters are drawn on the page window itself; a click elsewhere commits
// the label (its node fitted to its lines) and starts the next one there;
// Escape cancels the command and drops a label left empty.
#include "KernelInputFixture.h"

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/extensions/XTest.h>

#include <string>
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

// The kernel's command event (its header's names clash with Xlib's).
MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t command);

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

using tolq::test::wait_until;
using tolq::test::xdotool;

constexpr int32_t kLabelRequest = 15;
constexpr int32_t kLabelState = 55;

// The kernel as at start-up, with one empty page made current.
class LabelOnThePage : public kernelinput::KernelInputTest {
protected:
    // The label command, as its menu item starts it.
    void StartLabelCommand()
    {
        ASSERT_EQ(Comm_PostEvent(Event_NewCommand(0, 0, 0, 0, kLabelRequest)), 0u);
        Comm_ProcessEvents();
        ASSERT_EQ(Comm_GetState(), kLabelState);
    }

    // Keys typed while the pointer rests on the page window.
    void Keys(const std::vector<std::string>& args)
    {
        ASSERT_EQ(xdotool(args).exit_status, 0);
        Run();
    }

    // Clicks on the page in the label command; the new label is edited.
    ObjectHandle NewLabelAt(int x, int y)
    {
        ClickAt(x, y);
        const ObjectHandle label = TextWidget_EditedObject();
        EXPECT_NE(label, 0u);
        EXPECT_TRUE(Model_IsLabel(label));
        EXPECT_EQ(Text_EditingState(), kEditingLabel);
        EXPECT_EQ(Text_HasLabel(), 1u);
        return label;
    }

    static std::string TextOf(ObjectHandle object)
    {
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(Model_GetFieldValue(object, Field::kText), nullptr, nullptr, &length,
                                       kRefDisplay);
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

    void WaitForText(ObjectHandle label, const std::string& expected)
    {
        EXPECT_TRUE(wait_until([&] {
            Run();
            return TextOf(label) == expected;
        }, std::chrono::milliseconds(5000)))
            << "text is \"" << TextOf(label) << "\"";
    }

    static FixRect LabelBoxOf(ObjectHandle label)
    {
        FixRect box{};
        EXPECT_EQ(Text_ObjectLabelBox(Model_GetFieldValue(label, Field::kText), &box), 1u);
        return box;
    }

    static FixRect NodeBoxOf(ObjectHandle object)
    {
        FixRect box{};
        Model_GetField(object, Field::kBox, &box);
        return box;
    }

    // The pixels of a page rectangle of the page window.
    std::vector<unsigned long> PixelsOf(FixRect box)
    {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        Window_PageToPixel(window, {box.left, box.top}, &left, &top);
        Window_PageToPixel(window, {box.right, box.bottom}, &right, &bottom);
        return Pixels(window, left, top, std::max(right - left, 1), std::max(bottom - top, 1));
    }

    static size_t Differing(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b)
    {
        size_t n = 0;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            n += a[i] != b[i] ? 1 : 0;
        }
        return n;
    }

    size_t Labels()
    {
        size_t n = 0;
        for (ObjectHandle node = Model_GetFirstNode(page); node != 0; node = Model_GetNextSibling(node)) {
            n += Model_IsLabel(node) ? 1 : 0;
        }
        return n;
    }

};

TEST_F(LabelOnThePage, TypedCharactersAppearOnThePageAndAClickElsewhereCommits)
{
    StartLabelCommand();
    const ObjectHandle label = NewLabelAt(60, 60);
    EXPECT_EQ(Comm_InTextMode(), 1u) << "text mode is on while labels are typed";
    // A page area that the typed label will cover, as it is before typing.
    FixPoint corner{};
    Window_PixelToPage(window, 60, 60, &corner);
    const FixRect area{corner.x, corner.y, corner.x + U(30), corner.y + U(12)};
    const std::vector<unsigned long> before = PixelsOf(area);

    Keys({"type", "--delay", "20", "abc"});
    WaitForText(label, "abc");
    const FixRect typed = LabelBoxOf(label);
    EXPECT_GT(Differing(before, PixelsOf(typed)), 10u) << "the characters are drawn on the page window";

    Keys({"key", "BackSpace"});
    WaitForText(label, "ab");
    const FixRect shortened = LabelBoxOf(label);
    EXPECT_LT(shortened.right, typed.right);
    // Where the removed character stood, the page shows its background again
    // (the cursor's blank at the line's end may reach one pixel past the box).
    const Fixed pixel = Window_PixelsToPage(page, 1, 0);
    const std::vector<unsigned long> gone =
        PixelsOf({shortened.right + pixel, typed.top, typed.right, typed.bottom});
    const unsigned long background = PixelAt(window, 5, 5);
    EXPECT_EQ(std::count(gone.begin(), gone.end(), background), static_cast<std::ptrdiff_t>(gone.size()));
    EXPECT_TRUE(kernelinput::Ends().empty());

    // A click elsewhere commits the label and starts the next one there.
    const ObjectHandle next = NewLabelAt(60, 200);
    EXPECT_NE(next, label);
    EXPECT_TRUE(Model_IsObject(label));
    EXPECT_EQ(TextOf(label), "ab");
    EXPECT_EQ(NodeBoxOf(label), LabelBoxOf(label)) << "the node fits its label box";
    ASSERT_FALSE(kernelinput::Ends().empty());
    EXPECT_EQ(kernelinput::Ends().front().object, label);
    EXPECT_EQ(kernelinput::Ends().front().changed, 1u);
    EXPECT_EQ(Labels(), 2u);
    // The committed label stays drawn once the page window draws again.
    Run();
    EXPECT_GT(Differing(before, PixelsOf(LabelBoxOf(label))), 10u);
}

TEST_F(LabelOnThePage, EscapeCancelsTheCommandAndDropsAnEmptyLabel)
{
    StartLabelCommand();
    const ObjectHandle first = NewLabelAt(60, 60);
    Keys({"type", "--delay", "20", "xy"});
    WaitForText(first, "xy");
    const ObjectHandle empty = NewLabelAt(60, 200);
    Keys({"key", "Escape"});
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_FALSE(Model_IsObject(empty)) << "a label left empty goes";
    EXPECT_TRUE(Model_IsObject(first));
    EXPECT_EQ(Labels(), 1u);
    EXPECT_EQ(Text_HasLabel(), 0u);
    EXPECT_EQ(Text_EditingState(), kEditingNone);
    EXPECT_EQ(Comm_InTextMode(), 0u) << "text mode is off again as before the command";
}

TEST_F(LabelOnThePage, AClickElsewhereMovesAnEmptyLabelInsteadOfMakingAnother)
{
    StartLabelCommand();
    const ObjectHandle label = NewLabelAt(60, 60);
    ClickAt(200, 150);
    EXPECT_EQ(TextWidget_EditedObject(), label);
    EXPECT_EQ(Labels(), 1u);
    FixPoint moved{};
    Window_PixelToPage(window, 200, 150, &moved);
    TextRec* record = nullptr;
    ASSERT_EQ(Mem_LockAs(Model_GetFieldValue(label, Field::kText), &record), kStatusOk);
    EXPECT_EQ(record->frameX, moved.x);
    EXPECT_EQ(record->frameY, moved.y);
    Mem_Unlock(Model_GetFieldValue(label, Field::kText));
    EXPECT_EQ(NodeBoxOf(label).left, moved.x) << "the empty node goes with its text";
    // What is typed now stands at the new place.
    Keys({"type", "--delay", "20", "q"});
    WaitForText(label, "q");
    EXPECT_EQ(LabelBoxOf(label).left, moved.x);
}

// Text mode used and left before the command does not end the first
// label's edit when the label is selected.
TEST_F(LabelOnThePage, TheFirstLabelIsTypedAfterTextModeWasUsedBefore)
{
    FixPoint corner{};
    Window_PixelToPage(window, 250, 250, &corner);
    ObjectHandle box = 0;
    ASSERT_EQ(Core_AddNode(page, {corner.x, corner.y, corner.x + U(40), corner.y + U(20)}, 1, 0, &box), 0u);
    Comm_SetTextMode(1);
    ASSERT_EQ(Select_Object(box, 1), kStatusOk);
    ASSERT_EQ(TextWidget_EditedObject(), box);
    Comm_SetTextMode(0);
    StartLabelCommand();
    const ObjectHandle label = NewLabelAt(60, 60);
    ASSERT_TRUE(Model_IsObject(label));
    Keys({"type", "--delay", "20", "ok"});
    WaitForText(label, "ok");
}

}  // namespace
