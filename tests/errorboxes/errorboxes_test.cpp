// Error boxes in process on the real kernel and net layer: which box counts
// as a page's, where a new one goes, what an error and the evaluator's answer
// add to it, how a reset replaces a box that texts refer to while references
// keep working, the hierarchy page's "Errors" list, and the check's reporter.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "QXFixture.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorBoxes.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/Utils/MemFile.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextEdit.h"
#include "xkv/undo/Undo.h"

namespace {

constexpr uint32_t kFlagsOfNewBox = 0x400002;
constexpr HookId kHookPageChanged = 27;

std::string TextOf(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0)
        return "<no text>";
    std::string text(length, '\0');
    QXText_GetText(object, text.data(), &length);
    text.resize(length);
    return text;
}

// How a text shows a reference to the object.
std::string Ref(ObjectHandle object)
{
    return "<<" + std::to_string(object & 0xffff) + ">>";
}

struct Bounds {
    Fixed left = 0, right = 0, top = 0, bottom = 0;
    bool Overlaps(const Bounds& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};

Bounds BoundsOf(ObjectHandle object)
{
    Bounds b;
    QXRdAttr_GetBoxWords(object, &b.left, &b.right, &b.top, &b.bottom);
    return b;
}

class ErrorBoxTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        char pattern[] = "/tmp/errorboxesXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        SEInitPools();
        SEStart();
        EE_ClearPendingError();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        GE_SetErrorCount(0);
        // The editor keeps a page record's name and number equal to the page's.
        Hook_Register(kHookPageChanged, EE_PageChangedHook);
        ASSERT_EQ(EE_CreateNetPage(page_, 1), 1);
        ASSERT_EQ(QXWtAttr_SetPageAttr(page_, "Main", 1, 0, 0, 0), 1u);
        hierarchy_ = PGGetHierarchyPage();
        ASSERT_NE(hierarchy_, 0u);
        place_ = QXStr_CreateNode(page_, F(0), F(0), F(36), F(24), 2);
        ASSERT_EQ(EE_CreateNetPlace(place_), 1);
        reply_ = MemFileCreate();
    }
    void TearDown() override
    {
        MemFileDestroy(reply_);
        Select_Clear();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        EE_ClearPendingError();
        std::filesystem::remove_all(home_);
        QXDiagramTest::TearDown();
        Text_Shutdown();
        Undo_Shutdown();
    }

    ObjectHandle NewNetPage(const char* name, uint16_t number)
    {
        const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        EXPECT_EQ(EE_CreateNetPage(page, 1), 1);
        EXPECT_EQ(QXWtAttr_SetPageAttr(page, name, number, 0, 0, 0), 1u);
        return page;
    }
    void SetReply(const std::string& text)
    {
        MemFileReset(reply_);
        MemFileWrite(reply_, text.data(), static_cast<uint32_t>(text.size()));
    }

    std::string home_;
    ObjectHandle hierarchy_ = 0;
    ObjectHandle place_ = 0;
    MemFile* reply_ = nullptr;
};

// ---- which box is the page's ----

TEST_F(ErrorBoxTest, NewBoxIsLinkedBothWaysAndFoundAgain)
{
    EXPECT_EQ(GE_GetErrorBox(page_, 0), 0u);
    const ObjectHandle box = GE_GetErrorBox(page_, 1);
    ASSERT_NE(box, 0u);
    EXPECT_EQ(QXStr_GetObjectPage(box), page_);
    EXPECT_EQ(GE_GetAuxWord(page_), box);
    EXPECT_EQ(GE_GetSelfMark(box), box);
    uint32_t flags = 1;
    QXRdAttr_GetFlag(box, kFlagsOfNewBox, &flags);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(GE_GetErrorBox(page_, 0), box);
    EXPECT_EQ(GE_GetErrorBox(page_, 1), box);
}

// A link that names something other than a box of this page does not count:
// without create there is no box, with create a new one on this page.
TEST_F(ErrorBoxTest, LinkThatIsNoBoxOfThePageGivesANewBox)
{
    struct Case {
        const char* what;
        std::function<ObjectHandle()> link;
    };
    const Case cases[] = {
        {"box of another page", [this] { return GE_GetErrorBox(NewNetPage("Other", 2), 1); }},
        {"object whose own mark differs",
         [this] {
             const ObjectHandle node = QXStr_CreateNode(page_, F(100), F(100), F(20), F(20), 1);
             GE_SetSelfMark(node, node + 1);
             return node;
         }},
        {"deleted box",
         [this] {
             const ObjectHandle box = GE_GetErrorBox(page_, 1);
             QXStr_DeleteObject(box);
             return box;
         }},
        {"the page itself", [this] { return page_; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ObjectHandle linked = c.link();
        ASSERT_EQ(GE_SetAuxWord(page_, linked), 1);
        const uint32_t foreignPage = QXStr_IsObject(linked) != 0 ? QXStr_GetObjectPage(linked) : 0;
        EXPECT_EQ(GE_GetErrorBox(page_, 0), 0u);
        const ObjectHandle box = GE_GetErrorBox(page_, 1);
        ASSERT_NE(box, 0u);
        // A deleted box's handle may be given to the new one.
        if (foreignPage != 0) {
            EXPECT_NE(box, linked);
        }
        EXPECT_EQ(QXStr_GetObjectPage(box), page_);
        EXPECT_EQ(GE_GetAuxWord(page_), box);
        if (foreignPage != 0 && foreignPage != page_) {
            // The other page keeps its own box.
            EXPECT_EQ(GE_GetErrorBox(foreignPage, 0), linked);
        }
        QXStr_DeleteObject(box);
    }
}

// A new box keeps clear of what is drawn at the top left of the page.
TEST_F(ErrorBoxTest, NewBoxGoesToAFreePlace)
{
    // Objects along the top left of the page's objects, where a box would go first.
    std::vector<ObjectHandle> taken{place_};
    for (int i = 0; i < 4; ++i)
        taken.push_back(QXStr_CreateNode(page_, F(40 + 45 * i), F(0), F(40), F(20), 1));
    taken.push_back(QXStr_CreateNode(page_, F(0), F(40), F(40), F(20), 1));
    const ObjectHandle box = GE_CreateErrorBox(page_);
    ASSERT_NE(box, 0u);
    const Bounds placed = BoundsOf(box);
    for (ObjectHandle object : taken)
        EXPECT_FALSE(placed.Overlaps(BoundsOf(object))) << "over object " << object;
}

// ---- what an error adds ----

TEST_F(ErrorBoxTest, ErrorWithoutReplyRefersToItsObject)
{
    const ObjectHandle box = GE_GetErrorBox(page_, 1);
    EXPECT_EQ(GE_AddErrorText(box, place_, "C.6 Colour set not declared", nullptr), 1);
    EXPECT_EQ(TextOf(box), "\nC.6 Colour set not declared\n" + Ref(place_) + "\n");
    EXPECT_EQ(QXText_HasReferences(box), 1u);
}

TEST_F(ErrorBoxTest, ErrorOfAPageHasNoReference)
{
    const ObjectHandle box = GE_GetErrorBox(page_, 1);
    EXPECT_EQ(GE_AddErrorText(box, page_, "O.8 Page name must be a legal ML identifier", nullptr), 1);
    EXPECT_EQ(TextOf(box), "\nO.8 Page name must be a legal ML identifier\n\n");
    EXPECT_EQ(QXText_HasReferences(box), 0u);
}

// Which part of the evaluator's answer goes into the box.
TEST_F(ErrorBoxTest, ReplyContributesItsEndAfterTheLastSeparator)
{
    const std::string sep(kGEDeclSeparator);
    std::string long40000;
    for (int i = 0; long40000.size() < 40000; ++i)
        long40000 += "line " + std::to_string(i) + " of the answer\n";
    long40000.resize(40000);
    struct Case {
        const char* what;
        std::string reply;
        std::string kept;
    };
    const Case cases[] = {
        {"no separator", "\rError: unbound x", "\rError: unbound x"},
        {"one separator", "echo of the request" + sep + "\rError: y", "\rError: y"},
        {"separator twice", "first" + sep + "middle" + sep + "\rlast part", "\rlast part"},
        {"separator at the end", "text" + sep, ""},
        {"40000 characters without separator", long40000, long40000.substr(40000 - kGEReplyKept)},
        {"separator cut off by the bound", sep + long40000, long40000.substr(40000 - kGEReplyKept)},
        {"separator near the end of a long answer", long40000 + sep + "tail", "tail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetReply(c.reply);
        EXPECT_EQ(GE_ReplyTail(reply_), c.kept);
    }
    EXPECT_EQ(GE_ReplyTail(nullptr), "");
}

TEST_F(ErrorBoxTest, LongReplyReachesTheBoxBounded)
{
    std::string answer;
    for (int i = 0; answer.size() < 40000; ++i)
        answer += "stdIn:" + std::to_string(i) + ": error: something\n";
    answer.resize(40000);
    SetReply(answer);
    const ObjectHandle box = GE_GetErrorBox(page_, 1);
    ASSERT_EQ(GE_AddErrorText(box, place_, "C.8 Illegal initial marking", reply_), 1);
    EXPECT_EQ(TextOf(box),
              "\nC.8 Illegal initial marking\n" + answer.substr(40000 - kGEReplyKept) + Ref(place_) + "\n");
}

TEST_F(ErrorBoxTest, ReplyWithBytesAnEditorTextCannotHold)
{
    SetReply(std::string("\rbad\0byte", 9));
    const ObjectHandle box = GE_GetErrorBox(page_, 1);
    ASSERT_EQ(GE_AddErrorText(box, place_, "C.11 Arc expression", reply_), 1);
    const std::string text = TextOf(box);
    EXPECT_NE(text.find("byte"), std::string::npos) << text;
    EXPECT_NE(text.find(Ref(place_)), std::string::npos) << text;
}

// ---- resets ----

// A box that other texts refer to is replaced: the old one goes with every
// reference to it and from it, and the new one takes errors and references
// as before.
TEST_F(ErrorBoxTest, ResetReplacesAReferredBoxAndReferencesKeepWorking)
{
    ObjectHandle list = GE_GetErrorBox(hierarchy_, 1);
    ObjectHandle box = GE_GetErrorBox(page_, 1);
    ASSERT_EQ(GE_AddErrorText(box, place_, "C.6 first", nullptr), 1);
    ASSERT_EQ(GE_ListErrorBox(list, box), 1);
    ASSERT_EQ(QXText_FirstReferrer(place_), box);
    const ObjectHandle old = box;

    ASSERT_EQ(GE_ResetErrorBox(&list), 1);
    EXPECT_EQ(TextOf(list), kGENoErrors);
    ASSERT_EQ(GE_ResetErrorBox(&box), 1);
    EXPECT_NE(box, old);
    EXPECT_EQ(QXStr_IsObject(old), 0u);
    EXPECT_EQ(TextOf(box), kGENoErrors);
    EXPECT_EQ(GE_GetErrorBox(page_, 0), box);
    EXPECT_EQ(GE_GetSelfMark(box), box);
    EXPECT_EQ(QXStr_GetObjectPage(box), page_);
    uint32_t flags = 1;
    QXRdAttr_GetFlag(box, kFlagsOfNewBox | 1024, &flags);
    EXPECT_EQ(flags, 0u);
    // Nothing refers to the old box any more, nor does the place list it.
    EXPECT_EQ(QXText_FirstReferrer(place_), 0u);
    EXPECT_EQ(QXText_FirstReferrer(box), 0u);

    // The new box and the list take references as the old ones did.
    ASSERT_EQ(GE_AddErrorText(box, place_, "C.6 again", nullptr), 1);
    ASSERT_EQ(GE_ListErrorBox(list, box), 1);
    EXPECT_EQ(QXText_FirstReferrer(place_), box);
    EXPECT_EQ(QXText_FirstReferrer(box), list);
    EXPECT_EQ(TextOf(list), "Errors\nMain#1" + Ref(box) + "\n");

    // A box without references is emptied in place.
    ObjectHandle other = GE_GetErrorBox(NewNetPage("Other", 2), 1);
    const ObjectHandle kept = other;
    QXText_SetText(other, "stale");
    ASSERT_EQ(GE_ResetErrorBox(&other), 1);
    EXPECT_EQ(other, kept);
    EXPECT_EQ(TextOf(other), kGENoErrors);
}

TEST_F(ErrorBoxTest, ResetOfAllBoxesWithAndWithoutCreating)
{
    const ObjectHandle second = NewNetPage("Second", 2);
    // Without create only boxes that exist are reset.
    ObjectHandle existing = GE_GetErrorBox(page_, 1);
    QXText_SetText(existing, "old errors");
    ASSERT_EQ(GE_ResetErrorBoxes(0), 1);
    EXPECT_EQ(TextOf(GE_GetErrorBox(page_, 0)), kGENoErrors);
    EXPECT_EQ(GE_GetErrorBox(second, 0), 0u);
    EXPECT_EQ(GE_GetErrorBox(hierarchy_, 0), 0u);

    // With create every net page has a box and the list names each one.
    ASSERT_EQ(GE_ResetErrorBoxes(1), 1);
    const ObjectHandle mainBox = GE_GetErrorBox(page_, 0);
    const ObjectHandle secondBox = GE_GetErrorBox(second, 0);
    const ObjectHandle list = GE_GetErrorBox(hierarchy_, 0);
    ASSERT_NE(mainBox, 0u);
    ASSERT_NE(secondBox, 0u);
    ASSERT_NE(list, 0u);
    EXPECT_EQ(TextOf(secondBox), kGENoErrors);
    EXPECT_EQ(TextOf(list), "Errors\nMain#1" + Ref(mainBox) + "\nSecond#2" + Ref(secondBox) + "\n");

    // Again: the list is rebuilt, not doubled, and the boxes stay the pages'.
    ASSERT_EQ(GE_ResetErrorBoxes(1), 1);
    const ObjectHandle list2 = GE_GetErrorBox(hierarchy_, 0);
    EXPECT_EQ(TextOf(list2), "Errors\nMain#1" + Ref(GE_GetErrorBox(page_, 0)) + "\nSecond#2" +
                                 Ref(GE_GetErrorBox(second, 0)) + "\n");
}

TEST_F(ErrorBoxTest, ResetWithoutPagesReportsAndFails)
{
    Core_CloseModel();
    Model_NewDiagram();
    EXPECT_EQ(GE_ResetErrorBoxes(1), 0);
    EXPECT_EQ(EE_GetPendingError(), 16401);
}

TEST(ErrorBoxPrefix, Table)
{
    struct Case {
        const char* text;
        const char* prefix;
        int expected;
    };
    const Case cases[] = {{"Errors\nx", "Errors\n", 1}, {"Errors", "Errors\n", 0}, {"", "", 1},
                          {"abc", "", 1},              {nullptr, "a", 0},          {"a", nullptr, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(GE_HasPrefix(c.text, c.prefix), c.expected) << (c.text ? c.text : "null");
}

// ---- the check's reporter ----

TEST_F(ErrorBoxTest, CheckReporterHeadsTheBoxListsThePageOnceAndCounts)
{
    ASSERT_EQ(GE_ResetErrorBoxes(0), 1);
    const ObjectHandle transition = QXStr_CreateNode(page_, F(100), F(0), F(40), F(20), 1);
    ASSERT_EQ(EE_CreateNetTrans(transition), 1);
    SetReply("request" + std::string(kGEDeclSeparator) + "\rstdIn:1: error: unbound n");

    EXPECT_EQ(EE_AddErrorText(place_, "C.6 Colour set not declared", nullptr), 0);
    EXPECT_EQ(EE_AddErrorText(transition, "C.9 Illegal guard", reply_), 0);
    EXPECT_EQ(GE_GetErrorCount(), 2u);
    const ObjectHandle box = GE_GetErrorBox(page_, 0);
    EXPECT_EQ(TextOf(box), "Errors\n\nC.6 Colour set not declared\n" + Ref(place_) + "\n\nC.9 Illegal guard\n" +
                               "\rstdIn:1: error: unbound n" + Ref(transition) + "\n");
    EXPECT_EQ(TextOf(GE_GetErrorBox(hierarchy_, 0)), "Errors\nMain#1" + Ref(box) + "\n");

    // No object: nothing happens.
    EXPECT_EQ(EE_AddErrorText(0, "nothing", nullptr), 0);
    EXPECT_EQ(GE_GetErrorCount(), 2u);
}

// Errors of the page itself carry no reference; a later error keeps them and
// does not list the page a second time.
TEST_F(ErrorBoxTest, PageErrorsAreKeptByLaterErrors)
{
    ASSERT_EQ(GE_ResetErrorBoxes(0), 1);
    for (const char* first : {"O.7 Page name can only appear once", "C.3 Local declarations"}) {
        SCOPED_TRACE(first);
        GE_ResetErrorBoxes(0);
        EE_AddErrorText(page_, first, nullptr);
        EE_AddErrorText(place_, "C.6 Colour set not declared", nullptr);
        const ObjectHandle box = GE_GetErrorBox(page_, 0);
        EXPECT_EQ(TextOf(box), "Errors\n\n" + std::string(first) + "\n\n\nC.6 Colour set not declared\n" +
                                   Ref(place_) + "\n");
        EXPECT_EQ(TextOf(GE_GetErrorBox(hierarchy_, 0)), "Errors\nMain#1" + Ref(box) + "\n");
    }
}

}  // namespace
