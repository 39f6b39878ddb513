// The net layer's questions and the editor's evaluator dialogs on the private
// X server, answered with real clicks and keys: yes/no/cancel and yes/no
// boxes, the number prompt with refused texts, the start-mode choice, the
// declaration-node kind, the login with its hidden password, the evaluator
// settings with their levels and refused fields, and the lost ML file.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorDialogs.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/DEclarations/DEAsk.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"

void GE_MessageBoxText(const char* text, int32_t messageId);

namespace tolq::test {
namespace {

constexpr int16_t kMsgRebuild = 0x360D;
constexpr const char* kRebuildText =
    "The global declaration node or the time part of the general simulation options might have changed. Do you "
    "want to build an ML image from scratch?";
constexpr int16_t kMsgPortType = 0x2C1F;

void Click(const XClient& input, int item)
{
    Widget w = Dialog_ItemWidget(item);
    if (w == nullptr)
        return;
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                          w->core.height / 2, &x, &y, &child);
    input.click(x, y);
}

std::string ItemText(int item)
{
    char buffer[1100] = {};
    Dialog_GetItemText(item, buffer, sizeof buffer - 1);
    return buffer;
}

bool Viewable(int item)
{
    Widget w = Dialog_ItemWidget(item);
    if (w == nullptr || !XtIsRealized(w))
        return false;
    XWindowAttributes attributes{};
    XGetWindowAttributes(XtDisplay(w), XtWindow(w), &attributes);
    return attributes.map_state == IsViewable;
}

using Steps = std::vector<Driver::Step>;

Driver::Step Up(int dialog)
{
    return [dialog] { return Dialog_TopDialogNumber() == dialog && DialogX::FocusOn(Dialog_ShellWidget()); };
}

Driver::Step ClickItem(const XClient& input, int item)
{
    return [&input, item] {
        Click(input, item);
        return true;
    };
}

Driver::Step Press(const XClient& input, const char* key)
{
    return [&input, key] {
        input.key(key);
        return true;
    };
}

Driver::Step Type(const XClient& input, std::string text)
{
    return [&input, text] {
        input.type_text(text);
        return true;
    };
}

Driver::Step WaitText(int item, std::string text)
{
    return [item, text] { return ItemText(item) == text; };
}

Driver::Step WaitRadio(int first, int last, int chosen)
{
    return [=] { return Dialog_GetRadioChoice(first, last) == chosen; };
}

Driver::Step Note(std::function<void()> note)
{
    return [note] {
        note();
        return true;
    };
}

// The field's whole text replaced by typing, as a user selects and retypes.
Steps Retype(const XClient& input, int item, const std::string& text)
{
    return {Note([item] {
                Dialog_SetFocusItem(item);
                Dialog_SelectItemText(item, 0, 32767);
            }),
            Type(input, text), WaitText(item, text)};
}

Steps Join(std::initializer_list<Steps> parts)
{
    Steps all;
    for (const Steps& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class QuestionsTest : public DialogX {
protected:
    void TearDown() override
    {
        CloseDialogsAndSelector();
        DialogX::TearDown();
    }
    XClient input_;
};

TEST_F(QuestionsTest, YesNoCancelAnswersByTheButtonThatClosedIt)
{
    struct Case {
        const char* name;
        int click;  // 0: Return on the default button
        int answer;
    };
    const Case cases[] = {{"Return is Yes", 0, 1}, {"Yes", 1, 1}, {"Cancel", 2, -1}, {"No", 3, 0}};
    for (const Case& c : cases) {
        std::string shown;
        Driver driver(app(), AnswerAlert(input_, 30550, 5, c.click, &shown), CloseDialogsAndSelector);
        EXPECT_EQ(GE_AskYesNoCancel(kMsgRebuild, "Recheck"), c.answer) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(shown, kRebuildText) << c.name;
        EXPECT_EQ(Dialog_Depth(), 0) << c.name;
    }
}

TEST_F(QuestionsTest, ContinueAnswersByTheButtonThatClosedIt)
{
    struct Case {
        const char* name;
        int click;  // 0: Return on the default button
        int answer;
    };
    const Case cases[] = {{"Return is OK", 0, 1}, {"OK", 1, 1}, {"Cancel", 2, 0}};
    for (const Case& c : cases) {
        std::string shown;
        Driver driver(app(), AnswerAlert(input_, 30001, 4, c.click, &shown), CloseDialogsAndSelector);
        EXPECT_EQ(GE_AskContinue(kMsgRebuild), c.answer) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(shown, kRebuildText) << c.name;
        EXPECT_EQ(Dialog_Depth(), 0) << c.name;
    }
}

TEST_F(QuestionsTest, MessageBoxShowsTheMessageAndClosesWithOK)
{
    std::string shown;
    Driver driver(app(), AnswerAlert(input_, 30000, 3, 1, &shown), CloseDialogsAndSelector);
    EXPECT_EQ(GE_MessageBox(kMsgPortType), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(shown, "Please select a port type.");
    EXPECT_EQ(Dialog_Depth(), 0);
}

TEST_F(QuestionsTest, YesNoAnswersAndTheButtonNamingQuestionUsesIt)
{
    struct Case {
        const char* name;
        int (*ask)(int16_t, const char*);
        int click;
        int answer;
    };
    const Case cases[] = {{"Return is Yes", GE_AskYesNo, 0, 1},
                          {"No", GE_AskYesNo, 2, 0},
                          {"named action, Yes", GE_AskWithButton, 1, 1},
                          {"named action, No", GE_AskWithButton, 2, 0}};
    for (const Case& c : cases) {
        std::string shown;
        Driver driver(app(), AnswerAlert(input_, 30555, 4, c.click, &shown), CloseDialogsAndSelector);
        EXPECT_EQ(c.ask(kMsgPortType, "Delete"), c.answer) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(shown, "Please select a port type.") << c.name;
    }
}

// With ten dialogs open no further one can be shown: every question takes
// its refusing answer at once and leaves the mode alone.
TEST_F(QuestionsTest, QuestionsThatCannotBeShownRefuse)
{
    for (int i = 0; i < kDialogMaxDepth; ++i)
        ASSERT_EQ(Dialog_Open(1000, [](int16_t, int32_t, int16_t item, intptr_t) { return item; }, nullptr), 1) << i;
    EXPECT_EQ(GE_AskYesNoCancel(kMsgRebuild, "Recheck"), -1);
    EXPECT_EQ(GE_AskYesNo(kMsgRebuild, "Recheck"), 0);
    EXPECT_EQ(GE_AskContinue(kMsgRebuild), 0);
    int16_t number = 5;
    EXPECT_EQ(GE_AskNumber(kMsgRebuild, &number), 0);
    EXPECT_EQ(number, 5);
    int mode = 2;
    EXPECT_EQ(GE_ChooseStartMode(&mode), 0);
    EXPECT_EQ(mode, 2);
    int kind = 9;
    EXPECT_EQ(EE_AskDeclKind(&kind), 0);
    EXPECT_EQ(kind, 9);
    EXPECT_EQ(Dialog_Depth(), kDialogMaxDepth);
}

// One run through the prompt's memory: 1 at first, then the last number
// read, also after "Cancel"; texts that are no 16-bit number are refused.
TEST_F(QuestionsTest, NumberPromptRemembersAndRefusesWhatIsNoNumber)
{
    std::string first, message, afterOk, afterCancel;
    bool stayedOpen = false;
    Driver driver(
        app(),
        Join({{Up(31010), Note([&] {
                   first = ItemText(4);
                   message = ItemText(5);
               })},
              Retype(input_, 4, "abc"),
              {Press(input_, "Return"), Note([&] { stayedOpen = Dialog_TopDialogNumber() == 31010; })},
              Retype(input_, 4, "70000"),
              {Press(input_, "Return"), Note([&] { stayedOpen = stayedOpen && Dialog_TopDialogNumber() == 31010; })},
              Retype(input_, 4, "42"),
              {Press(input_, "Return")}}),
        CloseDialogsAndSelector);
    int16_t number = 0;
    EXPECT_EQ(GE_AskNumber(kMsgPortType, &number), 1);
    EXPECT_TRUE(driver.finished()) << driver.reached();
    EXPECT_EQ(first, "1");
    EXPECT_EQ(message, "Please select a port type.");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(number, 42);

    // Cancel: the caller's number stays, the prompt remembers the text.
    Driver cancel(app(),
                  Join({{Up(31010), Note([&] { afterOk = ItemText(4); })}, Retype(input_, 4, " -7"),
                        {ClickItem(input_, 2)}}),
                  CloseDialogsAndSelector);
    EXPECT_EQ(GE_AskNumber(kMsgPortType, &number), 0);
    EXPECT_TRUE(cancel.finished());
    EXPECT_EQ(afterOk, "42");
    EXPECT_EQ(number, 42);

    Driver again(app(), {Up(31010), Note([&] { afterCancel = ItemText(4); }), Press(input_, "Return")},
                 CloseDialogsAndSelector);
    EXPECT_EQ(GE_AskNumber(kMsgPortType, &number), 1);
    EXPECT_EQ(afterCancel, "-7");
    EXPECT_EQ(number, -7);
}

TEST_F(QuestionsTest, StartModeFollowsTheChoiceAndNeverOffersGSPN)
{
    struct Case {
        const char* name;
        int mode;
        int click;  // 0: keep the preset
        int closeWith;
        int result;
        int preset;
        int modeAfter;
    };
    const Case cases[] = {
        {"editor kept", 1, 0, 1, 1, 7, 1},
        {"simulator kept", 2, 0, 1, 1, 8, 2},
        {"editor to simulator", 1, 8, 1, 1, 7, 2},
        {"simulator to editor", 2, 7, 1, 1, 8, 1},
        {"cancel leaves the mode", 1, 8, 2, 0, 7, 1},
    };
    for (const Case& c : cases) {
        int preset = 0;
        bool gspnShown = true;
        Steps steps = {Up(30015), Note([&] {
                           preset = Dialog_GetRadioChoice(7, 9);
                           gspnShown = Viewable(9);
                       })};
        if (c.click != 0)
            steps.insert(steps.end(), {ClickItem(input_, c.click), WaitRadio(7, 8, c.click)});
        steps.push_back(ClickItem(input_, c.closeWith));
        Driver driver(app(), steps, CloseDialogsAndSelector);
        int mode = c.mode;
        EXPECT_EQ(GE_ChooseStartMode(&mode), c.result) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(preset, c.preset) << c.name;
        EXPECT_FALSE(gspnShown) << c.name;
        EXPECT_EQ(mode, c.modeAfter) << c.name;
    }
}

TEST_F(QuestionsTest, DeclarationNodeKindIsTheChosenRadio)
{
    struct Case {
        const char* name;
        int click;  // 0: keep "Global"
        int closeWith;
        int result;
        int kind;
    };
    const Case cases[] = {{"global", 0, 1, 1, 0},
                          {"temporary", 6, 1, 1, 1},
                          {"local", 7, 1, 1, 2},
                          {"cancel", 7, 2, 0, -1}};
    for (const Case& c : cases) {
        Steps steps = {Up(30165), WaitRadio(5, 7, 5)};
        if (c.click != 0)
            steps.insert(steps.end(), {ClickItem(input_, c.click), WaitRadio(5, 7, c.click)});
        steps.push_back(ClickItem(input_, c.closeWith));
        Driver driver(app(), steps, CloseDialogsAndSelector);
        int kind = -1;
        EXPECT_EQ(EE_AskDeclKind(&kind), c.result) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
    }
}

TEST_F(QuestionsTest, MessageWithTextJoinsBothWithOneBlank)
{
    struct Case {
        const char* name;
        const char* text;
        int32_t id;
        const char* shown;
    };
    const Case cases[] = {{"both", "Col:", kMsgPortType, "Col: Please select a port type."},
                          {"text alone", "just this", 0, "just this"},
                          {"message alone", nullptr, kMsgPortType, "Please select a port type."}};
    for (const Case& c : cases) {
        std::string shown;
        Driver driver(app(), AnswerAlert(input_, 30000, 3, 0, &shown), CloseDialogsAndSelector);
        GE_MessageBoxText(c.text, c.id);
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

// ---- login ----

std::string Take(char* text)
{
    std::string copy = text != nullptr ? text : "";
    QXMem_Free(text);
    return copy;
}

TEST_F(QuestionsTest, LoginKeepsTheTypedPasswordOutOfSight)
{
    std::string proposed, fieldAfterTyping;
    bool emptyRefused = false;
    Driver driver(app(),
                  Join({{Up(30800), Note([&] { proposed = ItemText(6); })},
                        Retype(input_, 6, " "),
                        {Press(input_, "Return"), Note([&] { emptyRefused = Dialog_TopDialogNumber() == 30800; })},
                        Retype(input_, 6, "alice"),
                        {ClickItem(input_, 8), Note([] { Dialog_SetFocusItem(8); }), Type(input_, "s3cretX"),
                         Press(input_, "BackSpace"), Note([&] { fieldAfterTyping = ItemText(8); }),
                         Press(input_, "Return")}}),
                  CloseDialogsAndSelector);
    char* user = nullptr;
    char* password = nullptr;
    ASSERT_EQ(EE_GetLogin(&user, &password, 1), 1);
    EXPECT_TRUE(driver.finished()) << driver.reached();
    EXPECT_FALSE(proposed.empty()) << "the process's user name is proposed";
    EXPECT_TRUE(emptyRefused);
    EXPECT_EQ(fieldAfterTyping, "");
    EXPECT_EQ(Take(user), "alice");
    EXPECT_EQ(Take(password), "s3cret");

    // Kept for the session: no dialog the second time.
    ASSERT_EQ(EE_GetLogin(&user, &password, 0), 1);
    EXPECT_EQ(Dialog_Depth(), 0);
    EXPECT_EQ(Take(user), "alice");
    EXPECT_EQ(Take(password), "s3cret");

    // Forgotten and cancelled: nothing.
    Driver cancel(app(), {Up(30800), ClickItem(input_, 2)}, CloseDialogsAndSelector);
    user = password = nullptr;
    EXPECT_EQ(EE_GetLogin(&user, &password, 1), 0);
    EXPECT_TRUE(cancel.finished());
    EXPECT_EQ(user, nullptr);
    EXPECT_EQ(password, nullptr);
}

// ---- evaluator settings and the lost ML file, on the net layer's defaults ----

class SettingsTest : public QuestionsTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        char pattern[] = "/tmp/mlsettingsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        // The user's defaults start as the built-in ones, with a host of their own.
        std::vector<uint8_t> standard = Record(kDefLevelBuiltin);
        PutText(&standard, kMLHostOffset, "standardhost");
        ASSERT_EQ(DefSetMLSettings(standard.data(), kDefLevelStandard), 1);
        // The diagram has settings of its own.
        std::vector<uint8_t> diagram = Record(kDefLevelBuiltin);
        PutText(&diagram, kMLHostOffset, "diagramhost");
        ASSERT_EQ(DefSetMLSettings(diagram.data(), kDefLevelDiagram), 1);
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        QXStr_SetModified(0);
    }
    void TearDown() override
    {
        QuestionsTest::TearDown();
        GE_SetCurrentDiagram(0);
        if (Model_GetRoot() != 0)
            Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        const std::string remove = "rm -rf " + home_;
        (void)std::system(remove.c_str());
    }
    static std::vector<uint8_t> Record(uint32_t level)
    {
        std::vector<uint8_t> record(kDefMLSettingsSize, 0);
        EXPECT_EQ(DefGetMLSettings(record.data(), level), 1);
        return record;
    }
    static void PutText(std::vector<uint8_t>* record, uint32_t offset, const char* text)
    {
        std::strcpy(reinterpret_cast<char*>(record->data() + offset), text);
    }
    static std::string Host(const std::vector<uint8_t>& record)
    {
        return reinterpret_cast<const char*>(record.data() + kMLHostOffset);
    }
    static uint32_t Word(const std::vector<uint8_t>& record, uint32_t offset)
    {
        uint32_t word = 0;
        std::memcpy(&word, record.data() + offset, sizeof word);
        return word;
    }
    bool DefaultsFileWritten() const
    {
        struct stat info{};
        return stat((home_ + "/.TOLQSettings3.0").c_str(), &info) == 0;
    }
    std::string home_;
};

TEST_F(SettingsTest, OkStoresTheDiagramsSettingsAfterRefusingBadFields)
{
    std::string shownPort, shownHost;
    int shownConnection = 0;
    std::vector<bool> refused;
    auto stays = [&] { refused.push_back(Dialog_TopDialogNumber() == 32000); };
    Driver driver(app(),
                  Join({{Up(32000), Note([&] {
                             shownPort = ItemText(9);
                             shownHost = ItemText(8);
                             shownConnection = Dialog_GetRadioChoice(6, 7);
                         })},
                        {ClickItem(input_, 7), WaitRadio(6, 7, 7)},
                        Retype(input_, 8, "evalhost"),
                        Retype(input_, 9, "0"),
                        {Press(input_, "Return"), Note(stays)},
                        Retype(input_, 9, "70000"),
                        {Press(input_, "Return"), Note(stays)},
                        Retype(input_, 9, "12x"),
                        {Press(input_, "Return"), Note(stays)},
                        Retype(input_, 9, "3000"),
                        {Press(input_, "Return")}}),
                  CloseDialogsAndSelector);
    EXPECT_EQ(EE_EditMLSettings(), 1);
    EXPECT_TRUE(driver.finished()) << driver.reached();
    EXPECT_EQ(shownPort, "2097");
    EXPECT_EQ(shownConnection, 6);
    EXPECT_EQ(refused, (std::vector<bool>{true, true, true}));
    const std::vector<uint8_t> diagram = Record(kDefLevelDiagram);
    EXPECT_EQ(Host(diagram), "evalhost");
    EXPECT_EQ(Word(diagram, kMLPortOffset), 3000u);
    EXPECT_EQ(Word(diagram, kMLLocalOffset), 0u);
    EXPECT_EQ(QXStr_IsModified(), 1u);
    EXPECT_EQ(Host(Record(kDefLevelStandard)), "standardhost");
}

TEST_F(SettingsTest, CancelAndResetLeaveTheDiagramsSettings)
{
    const std::vector<uint8_t> before = Record(kDefLevelDiagram);
    std::string afterLoad, afterReset;
    Driver driver(app(),
                  Join({{Up(32000)},
                        {ClickItem(input_, 4), WaitText(8, "standardhost"), Note([&] { afterLoad = ItemText(8); })},
                        {ClickItem(input_, 3), WaitText(8, "diagramhost"), Note([&] { afterReset = ItemText(8); })},
                        Retype(input_, 8, "elsewhere"),
                        {ClickItem(input_, 2)}}),
                  CloseDialogsAndSelector);
    EXPECT_EQ(EE_EditMLSettings(), 0);
    EXPECT_TRUE(driver.finished()) << driver.reached();
    EXPECT_EQ(afterLoad, "standardhost");
    EXPECT_EQ(afterReset, "diagramhost");
    EXPECT_EQ(Host(before), "diagramhost");
    EXPECT_EQ(Record(kDefLevelDiagram), before);
    EXPECT_EQ(QXStr_IsModified(), 0u);
}

TEST_F(SettingsTest, SaveStoresTheUsersDefaultsOnlyWhenConfirmed)
{
    struct Case {
        const char* name;
        int confirmWith;
        const char* standardHost;
    };
    const Case cases[] = {{"cancelled", 2, "standardhost"}, {"confirmed", 1, "savedhost"}};
    // Storing the user's defaults writes the defaults file at once.
    std::remove((home_ + "/.TOLQSettings3.0").c_str());
    for (const Case& c : cases) {
        Driver driver(app(),
                      Join({{Up(32000)}, Retype(input_, 8, "savedhost"),
                            {ClickItem(input_, 5), Up(30155), ClickItem(input_, c.confirmWith), Up(32000),
                             ClickItem(input_, 2)}}),
                      CloseDialogsAndSelector);
        EXPECT_EQ(EE_EditMLSettings(), 0) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name << " " << driver.reached();
        EXPECT_EQ(Host(Record(kDefLevelStandard)), c.standardHost) << c.name;
        EXPECT_NE(Host(Record(kDefLevelDiagram)), "savedhost") << c.name;
        EXPECT_EQ(DefaultsFileWritten(), c.confirmWith == 1) << c.name;
    }
}

TEST_F(SettingsTest, WithoutADiagramTheUsersSettingsAreShownAndNothingIsStored)
{
    GE_SetCurrentDiagram(0);
    std::string shownHost;
    Driver driver(app(), Join({{Up(32000), Note([&] { shownHost = ItemText(8); })}, Retype(input_, 8, "other"),
                               {Press(input_, "Return")}}),
                  CloseDialogsAndSelector);
    const std::vector<uint8_t> diagram = Record(kDefLevelDiagram);
    EXPECT_EQ(EE_EditMLSettings(), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(shownHost, "standardhost");
    EXPECT_EQ(Record(kDefLevelDiagram), diagram);
    EXPECT_EQ(Host(Record(kDefLevelStandard)), "standardhost");
}

TEST_F(QuestionsTest, LostMLFileIsRebuiltOrLookedForUnderAnotherName)
{
    auto ask = [](const char* start, int* rebuild, std::string* path) {
        // The path handed over is the caller's string, freed with QXMem_Free.
        char* owned = GE_Alloc(static_cast<uint32_t>(std::strlen(start) + 1));
        std::strcpy(owned, start);
        const int result = EE_AskMLFile(&owned, rebuild);
        *path = owned;
        QXMem_Free(owned);
        return result;
    };
    // Build from scratch (the preset) keeps the path.
    {
        bool nameHidden = false;
        Driver driver(app(), {Up(32100), WaitRadio(3, 4, 3), Note([&] { nameHidden = !Viewable(5); }),
                              Press(input_, "Return")},
                      CloseDialogsAndSelector);
        int rebuild = 0;
        std::string path;
        EXPECT_EQ(ask("/models/net.ML", &rebuild, &path), 1);
        EXPECT_TRUE(driver.finished());
        EXPECT_TRUE(nameHidden);
        EXPECT_EQ(rebuild, 1);
        EXPECT_EQ(path, "/models/net.ML");
    }
    // Another name, in the old directory; a name with a directory is refused.
    {
        std::string shownName;
        bool refused = false;
        Driver driver(app(),
                      Join({{Up(32100), ClickItem(input_, 4), WaitRadio(3, 4, 4), [] { return Viewable(5); },
                             Note([&] { shownName = ItemText(5); })},
                            Retype(input_, 5, "x/other.ML"),
                            {Press(input_, "Return"), Note([&] { refused = Dialog_TopDialogNumber() == 32100; })},
                            Retype(input_, 5, "other.ML"),
                            {Press(input_, "Return")}}),
                      CloseDialogsAndSelector);
        int rebuild = 1;
        std::string path;
        EXPECT_EQ(ask("/models/net.ML", &rebuild, &path), 1);
        EXPECT_TRUE(driver.finished()) << driver.reached();
        EXPECT_EQ(shownName, "net.ML");
        EXPECT_TRUE(refused);
        EXPECT_EQ(rebuild, 0);
        EXPECT_EQ(path, "/models/other.ML");
    }
    // Cancel.
    {
        Driver driver(app(), {Up(32100), ClickItem(input_, 2)}, CloseDialogsAndSelector);
        int rebuild = 7;
        std::string path;
        EXPECT_EQ(ask("/models/net.ML", &rebuild, &path), 0);
        EXPECT_TRUE(driver.finished());
        EXPECT_EQ(rebuild, 7);
        EXPECT_EQ(path, "/models/net.ML");
    }
}

}  // namespace
}  // namespace tolq::test
