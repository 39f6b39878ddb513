// The text-mode commands run through the command layer on a kernel set up as
// at start-up under the private Xvfb: the text clipboard, selecting all, to a
// bracket and to a string, find and find next, following references and
// going to the referrer, attaching and moving text into another object,
// coarsening and refining text, and the programming interface's reference
// update and text option.
#include "KernelInputFixture.h"

#include "xvfb.h"

#include <cstring>
#include <string>
#include <vector>

#include "TestEvents.h"
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/core/Core.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXText.h"
#include "xkv/mem/Mem.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextFind.h"

// Frees a kernel event and its payload (declared apart from the event header,
// whose Modifiers type clashes with the toolkit's).
KernelStatus Event_Free(MemHandle event);

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

// What the window module says of a page window's auto-scroll.
constexpr uint32_t kScrollOn = 69;
constexpr uint32_t kScrollOff = 68;

// Requests of the text commands.
constexpr uint32_t kCut = 78;
constexpr uint32_t kTextCut = 83;
constexpr uint32_t kTextCopy = 84;
constexpr uint32_t kTextPaste = 85;
constexpr uint32_t kTextClear = 86;
constexpr uint32_t kSelectAllText = 87;
constexpr uint32_t kSelectToBracket = 118;
constexpr uint32_t kFindNext = 120;
constexpr uint32_t kFindBeginning = 121;
constexpr uint32_t kFollowReference = 100;
constexpr uint32_t kGoToReferrer = 101;
constexpr uint32_t kCoarsen = 108;
constexpr uint32_t kRefine = 124;
constexpr uint32_t kAttach = 109;
constexpr uint32_t kDetach = 111;
constexpr uint32_t kMoveTo = 43;
constexpr uint32_t kBeginTextPick = 92;

class TextCommands : public kernelinput::KernelInputTest {
protected:
    void SetUp() override
    {
        KernelInputTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        first = Box(20, 20);
        second = Box(20, 140);
    }

    // A box of 100 x 40 pixels whose top-left corner lies at the pixel.
    ObjectHandle Box(int x, int y, ObjectHandle on = 0)
    {
        FixPoint corner{};
        Window_PixelToPage(window, x, y, &corner);
        ObjectHandle node = 0;
        EXPECT_EQ(
            Core_AddNode(on != 0 ? on : page, {corner.x, corner.y, corner.x + U(50), corner.y + U(20)}, 1, 0, &node),
            0u);
        return node;
    }

    static void Put(ObjectHandle object, const std::string& text)
    {
        ASSERT_EQ(Text_PutString(object, text.data(), static_cast<uint32_t>(text.size()), 0), kStatusOk);
    }

    // The whole text, references shown as "<<N>>".
    static std::string Whole(ObjectHandle object)
    {
        std::vector<char> buffer(4096);
        uint32_t length = static_cast<uint32_t>(buffer.size() - 1);
        if (Text_GetString(object, buffer.data(), &length, kRefDisplay) != kStatusOk) {
            return "(no text)";
        }
        return std::string(buffer.data(), length);
    }

    static std::string Selected(ObjectHandle object)
    {
        std::vector<char> buffer(4096);
        if (Text_GetString(object, buffer.data(), nullptr, kRefDisplay) != kStatusOk) {
            return "(no text)";
        }
        return buffer.data();
    }

    static std::string Clipboard()
    {
        const std::vector<char>& buffer = Text_SelectionBuffer();
        return Text_SelectionBufferEmpty() != 0 ? std::string() : std::string(buffer.begin(), buffer.end());
    }

    // Selects the object and turns text mode on: its text is then edited.
    void Edit(ObjectHandle object)
    {
        ASSERT_EQ(Select_Object(object, 1), kStatusOk);
        Comm_SetTextMode(1);
        Run();
        ASSERT_EQ(TextWidget_EditedObject(), object);
    }

    static KernelStatus Command(uint32_t request)
    {
        EXPECT_EQ(Comm_PostEvent(TestCommand(request, 0)), 0u);
        return Comm_ProcessEvents();
    }
    static KernelStatus Pick(ObjectHandle object)
    {
        EXPECT_EQ(Comm_PostEvent(TestObjectPick(object, 0, 1)), 0u);
        return Comm_ProcessEvents();
    }

    // A values block holding the record, as a dialog answers with it.
    static MemHandle Values(const void* record, size_t size)
    {
        MemHandle block = 0;
        EXPECT_EQ(Mem_AllocCopy(&block, record, size), kStatusOk);
        return block;
    }

    // Runs a dialog answer handler on an answer event, as the command layer
    // does in the dialog's state.
    static KernelStatus Answer(KernelStatus (*handler)(const CommandBinding*, MemHandle, int32_t*, int32_t*),
                               uint32_t dialog, uint32_t button, MemHandle values)
    {
        MemHandle event = TestDialogAnswer(dialog, button, values);
        int32_t next = 0;
        int32_t freeFlag = 1;
        const KernelStatus status = handler(nullptr, event, &next, &freeFlag);
        Event_Free(event);
        return status;
    }

    ObjectHandle first = 0;
    ObjectHandle second = 0;
};

// ---- The text clipboard ----

struct ClipboardCase {
    const char* name;
    uint32_t request;
    int32_t from, to;  // the selection; -1: none, the cursor at `to`
    const char* text;
    const char* clipboard;
};

class ClipboardCommands : public TextCommands, public ::testing::WithParamInterface<ClipboardCase> {};

// On "hello world" with the clipboard holding "keep".
TEST_P(ClipboardCommands, ActOnTheEditedText)
{
    const ClipboardCase& c = GetParam();
    Put(first, "hello world");
    Edit(first);
    if (c.from >= 0) {
        ASSERT_EQ(Text_SelectRange(first, c.from, c.to), kStatusOk);
    } else {
        ASSERT_EQ(Text_SelectRange(first, c.to, c.to), kStatusOk);
    }
    Text_SetSelectionBuffer("keep", 4);
    EXPECT_EQ(Command(c.request), kStatusOk);
    EXPECT_EQ(Whole(first), c.text);
    EXPECT_EQ(Clipboard(), c.clipboard);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

INSTANTIATE_TEST_SUITE_P(
    Text, ClipboardCommands,
    ::testing::Values(ClipboardCase{"CutSelection", kTextCut, 6, 11, "hello ", "world"},
                      ClipboardCase{"EditCutInTextMode", kCut, 0, 6, "world", "hello "},
                      ClipboardCase{"CutNothingDeletesBackward", kTextCut, -1, 11, "hello worl", "keep"},
                      ClipboardCase{"CutNothingAtTheStart", kTextCut, -1, 0, "hello world", "keep"},
                      ClipboardCase{"CopySelection", kTextCopy, 0, 5, "hello world", "hello"},
                      ClipboardCase{"CopyNothing", kTextCopy, -1, 3, "hello world", "keep"},
                      ClipboardCase{"PasteOverSelection", kTextPaste, 6, 11, "hello keep", "keep"},
                      ClipboardCase{"PasteAtCursor", kTextPaste, -1, 5, "hellokeep world", "keep"},
                      ClipboardCase{"ClearSelection", kTextClear, 5, 11, "hello", "keep"},
                      ClipboardCase{"ClearNothingDeletesBackward", kTextClear, -1, 5, "hell world", "keep"}),
    [](const ::testing::TestParamInfo<ClipboardCase>& info) { return info.param.name; });

TEST_F(TextCommands, ClipboardCommandsDoNothingWithoutAnEdit)
{
    Put(first, "hello");
    ASSERT_EQ(Select_Object(first, 1), kStatusOk);
    Text_SetSelectionBuffer("keep", 4);
    for (uint32_t request : {kTextCut, kTextPaste, kTextClear}) {
        EXPECT_EQ(Command(request), kStatusOk);
    }
    EXPECT_EQ(Whole(first), "hello");
    EXPECT_EQ(Clipboard(), "keep");
}

// ---- Selecting ----

TEST_F(TextCommands, SelectAllTextSelectsTheWholeEditedText)
{
    Put(first, "line one\nline two");
    Edit(first);
    EXPECT_EQ(Command(kSelectAllText), kStatusOk);
    EXPECT_EQ(Selected(first), "line one\nline two");
}

TEST_F(TextCommands, SelectAllTextSelectsTheTextOfEveryGroupMember)
{
    Put(first, "one");
    Put(second, "two");
    GroupNumber group = Group_NewWith(first);
    Group_Add(group, second);
    Select_Group(group, 1);
    Group_Free(group);
    EXPECT_EQ(Command(kSelectAllText), kStatusOk);
    EXPECT_EQ(Selected(first), "one");
    EXPECT_EQ(Selected(second), "two");
}

struct BracketCase {
    const char* name;
    int32_t cursor;
    const char* selected;
};

class SelectToBracket : public TextCommands, public ::testing::WithParamInterface<BracketCase> {};

TEST_P(SelectToBracket, ExtendsToTheMatchingBracket)
{
    const BracketCase& c = GetParam();
    Put(first, "f(a(b)c)d [x] begin y end");
    Edit(first);
    ASSERT_EQ(Text_SelectRange(first, c.cursor, c.cursor), kStatusOk);
    EXPECT_EQ(Command(kSelectToBracket), kStatusOk);
    EXPECT_EQ(Selected(first), c.selected);
}

INSTANTIATE_TEST_SUITE_P(Text, SelectToBracket,
                         ::testing::Values(BracketCase{"Nested", 1, "(a(b)c)"}, BracketCase{"Inner", 3, "(b)"},
                                           BracketCase{"Square", 10, "[x]"},
                                           BracketCase{"Words", 14, "begin y end"},
                                           BracketCase{"NotOnABracket", 0, ""}),
                         [](const ::testing::TestParamInfo<BracketCase>& info) { return info.param.name; });

TEST_F(TextCommands, SelectToAnswerSelectsUpToTheString)
{
    Put(first, "alpha beta gamma beta");
    Edit(first);
    ASSERT_EQ(Text_SelectRange(first, 6, 6), kStatusOk);
    std::vector<uint8_t> record(536, 0);
    std::strcpy(reinterpret_cast<char*>(record.data()) + 280, "gamma");
    EXPECT_EQ(Answer(Cmd_SelectToDone, 258, 0, Values(record.data(), record.size())), kStatusOk);
    EXPECT_EQ(Selected(first), "beta gamma");
    // Cancel changes nothing.
    std::strcpy(reinterpret_cast<char*>(record.data()) + 280, "beta");
    EXPECT_EQ(Answer(Cmd_SelectToDone, 258, 1, Values(record.data(), record.size())), kStatusOk);
    EXPECT_EQ(Selected(first), "beta gamma");
}

TEST_F(TextCommands, SelectToAnEmptyStringIsRefused)
{
    Put(first, "alpha");
    Edit(first);
    std::vector<uint8_t> record(536, 0);
    EXPECT_EQ(Answer(Cmd_SelectToDone, 258, 0, Values(record.data(), record.size())), kStatusNoString);
}

// ---- Find ----

TEST_F(TextCommands, FindAnswerStoresTheSettingsAndFindNextGoesOn)
{
    Put(first, "abcabc");
    Edit(first);
    FindSettings settings{};
    std::strcpy(settings.search, "bc");
    settings.scope = 3;
    EXPECT_EQ(Answer(Cmd_FindDone, 284, 0, Values(&settings, sizeof settings)), kStatusOk);
    EXPECT_EQ(Selected(first), "bc");
    uint32_t cursor = 0, end = 0;
    Text_CursorOffset(first, &cursor, &end);
    EXPECT_EQ(cursor, 1u);

    FindSettings stored{};
    ASSERT_EQ(Default_Get(0, 3, 5, &stored), kStatusOk);
    EXPECT_STREQ(stored.search, "bc") << "the answer is kept for Find Next";

    EXPECT_EQ(Command(kFindNext), kStatusOk);
    Text_CursorOffset(first, &cursor, &end);
    EXPECT_EQ(cursor, 4u) << "Find Next moves on to the second match";
    EXPECT_EQ(Selected(first), "bc");

    // Find Beginning puts the search back to the start of the text.
    EXPECT_EQ(Command(kFindBeginning), kStatusOk);
    EXPECT_EQ(Selected(first), "");
    Text_CursorOffset(first, &cursor, &end);
    EXPECT_EQ(cursor, 0u);
}

TEST_F(TextCommands, FindAnswerCancelledStoresNothing)
{
    Put(first, "abc");
    Edit(first);
    FindSettings settings{};
    std::strcpy(settings.search, "b");
    settings.scope = 3;
    EXPECT_EQ(Answer(Cmd_FindDone, 284, 1, Values(&settings, sizeof settings)), kStatusOk);
    FindSettings stored{};
    ASSERT_EQ(Default_Get(0, 3, 5, &stored), kStatusOk);
    EXPECT_STREQ(stored.search, "");
    EXPECT_EQ(Selected(first), "");
}

// A short block from the dialog is read as far as it goes, never past it.
TEST_F(TextCommands, FindAnswerWithAShortBlockSearchesForWhatItHolds)
{
    Put(first, "xyz");
    Edit(first);
    std::vector<uint8_t> record(30, 0);
    std::strcpy(reinterpret_cast<char*>(record.data()) + 24, "y");
    EXPECT_EQ(Answer(Cmd_FindDone, 284, 0, Values(record.data(), record.size())), kStatusOk);
    FindSettings stored{};
    ASSERT_EQ(Default_Get(0, 3, 5, &stored), kStatusOk);
    EXPECT_STREQ(stored.search, "y");
}

// ---- References ----

// The first box's text refers to the second box, which lies on another page.
class References : public TextCommands {
protected:
    void SetUp() override
    {
        TextCommands::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_EQ(Core_AddPage(&otherPage), 0u);
        Comm_SetCurrentPage(page);
        target = Box(200, 20, otherPage);
        Put(first, "see ");
        Put(target, "target text");
        Edit(first);
        ASSERT_EQ(Text_SelectRange(first, 4, 4), kStatusOk);
        ASSERT_EQ(Text_InsertReference(0, target), kStatusOk);
        ASSERT_EQ(Text_SelectRange(first, 4, 4), kStatusOk);
    }
    ObjectHandle otherPage = 0;
    ObjectHandle target = 0;
};

TEST_F(References, FollowReferenceSelectsTheReferredObjectOnItsPage)
{
    EXPECT_EQ(Command(kFollowReference), kStatusOk);
    EXPECT_EQ(Select_GetObject(), target);
    EXPECT_EQ(Comm_GetCurrentPage(), otherPage);
    EXPECT_EQ(TextWidget_EditedObject(), target) << "text mode goes on with the referred text";

    EXPECT_EQ(Command(kGoToReferrer), kStatusOk);
    EXPECT_EQ(Select_GetObject(), first);
    EXPECT_EQ(Comm_GetCurrentPage(), page);
}

TEST_F(References, FollowReferenceOffAReferenceStaysPut)
{
    ASSERT_EQ(Text_SelectRange(first, 1, 1), kStatusOk);
    EXPECT_EQ(Command(kFollowReference), kStatusOk);
    EXPECT_EQ(Select_GetObject(), first);
    EXPECT_EQ(Comm_GetCurrentPage(), page);
}

TEST_F(References, DetachInTextModeRemovesTheReferenceAtTheCursor)
{
    ASSERT_EQ(Text_OwnReferenceCount(first), 1u);
    EXPECT_EQ(Command(kDetach), kStatusOk);
    EXPECT_EQ(Text_OwnReferenceCount(first), 0u);
    EXPECT_EQ(Text_FirstReferrer(target), 0u);
    EXPECT_EQ(Whole(first), "see ");
}

TEST_F(References, RefineInlinesTheReferredText)
{
    EXPECT_EQ(Command(kRefine), kStatusOk);
    EXPECT_EQ(Whole(first), "see target text");
    EXPECT_EQ(Model_IsObject(target), 0u) << "a text no longer referred to goes with its object";
}

TEST_F(TextCommands, AttachInTextModeInsertsAReferenceToThePickedObject)
{
    Put(first, "a");
    Put(second, "b");
    Edit(first);
    EXPECT_EQ(Command(kAttach), kStatusOk);
    EXPECT_EQ(Comm_GetState(), 19);
    EXPECT_EQ(Pick(second), kStatusOk);
    EXPECT_EQ(Text_OwnReferenceCount(first), 1u);
    EXPECT_EQ(Text_FirstReferrer(second), first);
    EXPECT_EQ(Whole(first), "a<<" + std::to_string(second) + ">>");
}

TEST_F(TextCommands, AttachingATextToItselfIsRefused)
{
    Put(first, "a");
    Edit(first);
    EXPECT_EQ(Command(kAttach), kStatusOk);
    // The handler of the pick in state 19, called as the command layer does
    // (which would show the refusal in a message box).
    MemHandle pick = TestObjectPick(first, 0, 1);
    int32_t next = 0;
    int32_t freeFlag = 1;
    EXPECT_EQ(Cmd_AttachToText(nullptr, pick, &next, &freeFlag), kStatusReferenceLoop);
    Event_Free(pick);
    EXPECT_EQ(Text_OwnReferenceCount(first), 0u);
}

TEST_F(TextCommands, MoveToMovesTheSelectedTextIntoThePickedObject)
{
    Put(first, "hello world");
    Put(second, "b:");
    Edit(first);
    ASSERT_EQ(Text_SelectRange(second, 2, 2), kStatusOk);
    ASSERT_EQ(Text_SelectRange(first, 5, 11), kStatusOk);
    EXPECT_EQ(Command(kMoveTo), kStatusOk);
    EXPECT_EQ(Comm_GetState(), 81);
    EXPECT_EQ(Pick(second), kStatusOk);
    EXPECT_EQ(Whole(first), "hello");
    EXPECT_EQ(Whole(second), "b: world");
}

TEST_F(TextCommands, MoveToWithoutATextSelectionDoesNothing)
{
    Put(first, "hello");
    Edit(first);
    EXPECT_EQ(Command(kMoveTo), kStatusOk);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Whole(first), "hello");
}

// Coarsen in text mode: a box is drawn, the new node takes the selected text
// and a reference to it stands in its place.
TEST_F(TextCommands, CoarsenMovesTheSelectedTextIntoANewNode)
{
    Put(first, "hello world");
    Edit(first);
    ASSERT_EQ(Text_SelectRange(first, 6, 11), kStatusOk);
    EXPECT_EQ(Command(kCoarsen), kStatusOk);
    ASSERT_EQ(Comm_GetState(), 39);
    FixPoint a{}, b{};
    Window_PixelToPage(window, 200, 200, &a);
    Window_PixelToPage(window, 300, 260, &b);
    EXPECT_EQ(Comm_PostEvent(TestRectPick({a.x, a.y, b.x, b.y})), 0u);
    EXPECT_EQ(Comm_ProcessEvents(), kStatusOk);
    const ObjectHandle node = Select_GetObject();
    ASSERT_NE(node, first);
    ASSERT_NE(node, second);
    EXPECT_EQ(Whole(node), "world");
    EXPECT_EQ(Whole(first), "hello <<" + std::to_string(node) + ">>");
    EXPECT_EQ(Text_FirstReferrer(node), first);
}

// ---- Picking another text while editing ----

TEST_F(TextCommands, TextPickEditsThePickedObjectAndRestoresScrolling)
{
    Put(first, "a");
    Put(second, "b");
    Edit(first);
    EXPECT_EQ(Command(kBeginTextPick), kStatusOk);
    EXPECT_EQ(Comm_GetState(), 42);
    EXPECT_EQ(Window_GetScrollMode(page), kScrollOff) << "no auto-scroll while picking";
    EXPECT_EQ(Pick(second), kStatusOk);
    Run();
    EXPECT_EQ(Select_GetObject(), second);
    EXPECT_EQ(TextWidget_EditedObject(), second);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Window_GetScrollMode(page), kScrollOn);
}

TEST_F(TextCommands, TextPickIsCancelled)
{
    Put(first, "a");
    Edit(first);
    EXPECT_EQ(Command(kBeginTextPick), kStatusOk);
    Comm_PostCancel();
    Comm_ProcessEvents();
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
    EXPECT_EQ(Window_GetScrollMode(page), kScrollOn);
    EXPECT_EQ(Select_GetObject(), first);
}

TEST_F(TextCommands, TextPickOutsideTextModeEndsAtOnce)
{
    EXPECT_EQ(Command(kBeginTextPick), kStatusOk);
    EXPECT_EQ(Comm_GetState(), kCommStateReady);
}

// ---- The programming interface ----

// A text that came to the first box from the second: the object it refers
// to still lists the second box; the update makes it list the first, once.
TEST_F(TextCommands, UpdateReferencesRepointsTheReferrerLists)
{
    const ObjectHandle third = Box(200, 200);
    Put(first, "x");
    ASSERT_EQ(Text_InsertReference(first, third), kStatusOk);
    ASSERT_EQ(Text_RemoveReferrer(third, first), kStatusOk);
    ASSERT_EQ(Text_AddReferrer(third, second, 0), kStatusOk);
    ASSERT_EQ(Text_Referrers(third), std::vector<ObjectHandle>{second});
    EXPECT_EQ(QXText_UpdateReferences(second, first), 1u);
    EXPECT_EQ(Text_Referrers(third), std::vector<ObjectHandle>{first});
    EXPECT_EQ(QXText_UpdateReferences(second, first), 1u);
    EXPECT_EQ(Text_Referrers(third), std::vector<ObjectHandle>{first}) << "nothing doubles";
    // A copy of the text: the list names both texts and stays so.
    ASSERT_EQ(Text_CopyToObject(first, second), kStatusOk);
    const std::vector<ObjectHandle> both = Text_Referrers(third);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(QXText_UpdateReferences(first, second), 1u);
    EXPECT_EQ(Text_Referrers(third), both);
    EXPECT_EQ(QXText_UpdateReferences(first, page), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(TextCommands, TextOptionTurnsWrappingOffAndOn)
{
    Put(first, "a long text that wraps inside its narrow box");
    EXPECT_EQ(QXText_SetTextOption(first, 1), 1u);
    uint32_t noWrap = 0;
    EXPECT_EQ(Text_GetNoWrap(first, &noWrap), kStatusOk);
    EXPECT_EQ(noWrap, 1u);
    EXPECT_EQ(QXText_SetTextOption(first, 0), 1u);
    EXPECT_EQ(Text_GetNoWrap(first, &noWrap), kStatusOk);
    EXPECT_EQ(noWrap, 0u);
    EXPECT_EQ(QXText_SetTextOption(page, 1), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

}  // namespace
