// The programming interface's dialog entries on a real X server: each shows
// its dialog with the given text, and the answer given with real input
// (Return, typed text, a click on Cancel or No) comes back as its result.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>

#include <cstring>
#include <functional>
#include <string>

#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"

namespace tolq::test {
namespace {

std::string ItemText(int item)
{
    char buffer[600] = {};
    Dialog_GetItemText(item, buffer, sizeof buffer - 1);
    return buffer;
}

void CloseAll()
{
    while (Dialog_Depth() > 0) {
        Dialog_Close(2);
    }
}

// Clicks the middle of an item of the top dialog with the pointer.
void ClickItem(const XClient& input, int item)
{
    Widget w = Dialog_ItemWidget(item);
    ASSERT_NE(w, nullptr);
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                          w->core.height / 2, &x, &y, &child);
    input.click(x, y);
}

// What the user does once the dialog is up.
enum class Answer { Return, Cancel };

// Runs the entry while a driver waits for the dialog, notes the text of one of
// its items and of its field (item 4 of the prompt dialog), types the text
// into the field when one is given, and answers.
struct Seen {
    int dialog = 0;
    std::string text;
    std::string field;
};

Seen Drive(int dialog, int textItem, const char* typed, Answer answer, int cancelItem,
           const std::function<void()>& run)
{
    Seen seen;
    XClient input;
    Driver driver(DialogX::app(),
                  {[=] { return Dialog_TopDialogNumber() == dialog && DialogX::FocusOn(Dialog_ShellWidget()); },
                   [&] {
                       seen.dialog = Dialog_TopDialogNumber();
                       seen.text = ItemText(textItem);
                       if (dialog == 258) {
                           seen.field = ItemText(4);
                       }
                       if (typed != nullptr) {
                           Dialog_SetItemText(4, "");
                           Dialog_SetFocusItem(4);
                           // xdotool takes a leading minus for an option: it goes as its key.
                           std::string rest = typed;
                           if (!rest.empty() && rest[0] == '-') {
                               input.key("minus");
                               rest.erase(0, 1);
                           }
                           input.type_text(rest);
                       }
                       return true;
                   },
                   [&] {
                       // The typed text has arrived before the answer goes.
                       return typed == nullptr || ItemText(4) == typed;
                   },
                   [&] {
                       if (answer == Answer::Return) {
                           input.key("Return");
                       } else {
                           ClickItem(input, cancelItem);
                       }
                       return true;
                   }},
                  CloseAll);
    run();
    EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
    EXPECT_EQ(Dialog_Depth(), 0);
    return seen;
}

using QXDialogTest = DialogX;

TEST_F(QXDialogTest, MessageAndQuestionShowTheTextAndGiveOneForTheFirstButton)
{
    struct Case {
        const char* name;
        uint32_t (*entry)(const char*);
        int dialog;
        int textItem;
        Answer answer;
        int otherButton;
        uint32_t expected;
    };
    const Case cases[] = {
        {"message, OK", QXUI_ShowMessage, 1000, 2, Answer::Return, 0, 1},
        {"question, Yes", QXUI_Confirm, 273, 3, Answer::Return, 0, 1},
        {"question, No", QXUI_Confirm, 273, 3, Answer::Cancel, 2, 0},
    };
    for (const Case& c : cases) {
        uint32_t result = 99;
        const Seen seen = Drive(c.dialog, c.textItem, nullptr, c.answer, c.otherButton,
                                [&] { result = c.entry("Is the net saved?"); });
        EXPECT_EQ(seen.dialog, c.dialog) << c.name;
        EXPECT_EQ(seen.text, "Is the net saved?") << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
    }
}

TEST_F(QXDialogTest, AskStringCopiesTheTextBackOnlyWhenAccepted)
{
    char text[256] = "old name";
    Seen seen = Drive(258, 3, "new name", Answer::Return, 2, [&] { EXPECT_EQ(QXUI_AskString("Name:", text), 1u); });
    EXPECT_EQ(seen.text, "Name:");
    EXPECT_EQ(seen.field, "old name");
    EXPECT_STREQ(text, "new name");

    seen = Drive(258, 3, "thrown away", Answer::Cancel, 2, [&] { EXPECT_EQ(QXUI_AskString("Name:", text), 0u); });
    EXPECT_EQ(seen.field, "new name");
    EXPECT_STREQ(text, "new name");
}

TEST_F(QXDialogTest, AskNumberShowsTheValueAndReadsTheTypedNumber)
{
    struct Case {
        const char* name;
        const char* typed;
        Answer answer;
        uint32_t expected;
        int32_t after;
    };
    const Case cases[] = {
        {"negative", "-17", Answer::Return, 1, -17},
        {"largest", "2147483647", Answer::Return, 1, 2147483647},
        {"leading number", "12 tokens", Answer::Return, 1, 12},
        {"cancelled", "5", Answer::Cancel, 0, 42},
        {"not a number", "many", Answer::Return, 0, 42},
        {"beyond 32 bits", "2147483648", Answer::Return, 0, 42},
    };
    for (const Case& c : cases) {
        int32_t value = 42;
        uint32_t result = 99;
        const Seen seen = Drive(258, 3, c.typed, c.answer, 2, [&] { result = QXUI_AskNumber("Delay:", &value); });
        EXPECT_EQ(seen.text, "Delay:") << c.name;
        EXPECT_EQ(seen.field, "42") << c.name;
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(value, c.after) << c.name;
    }
}

TEST_F(QXDialogTest, AskShortRefusesNumbersBeyondSixteenBits)
{
    struct Case {
        const char* typed;
        uint32_t expected;
        int16_t after;
    };
    const Case cases[] = {{"-32768", 1, -32768}, {"32767", 1, 32767}, {"32768", 0, -7}, {"-40000", 0, -7}};
    for (const Case& c : cases) {
        int16_t value = -7;
        uint32_t result = 99;
        const Seen seen = Drive(258, 3, c.typed, Answer::Return, 2, [&] { result = QXUI_AskShort("Width:", &value); });
        EXPECT_EQ(seen.field, "-7") << c.typed;
        EXPECT_EQ(result, c.expected) << c.typed;
        EXPECT_EQ(value, c.after) << c.typed;
    }
}

TEST_F(QXDialogTest, CheckRangeExplainsAValueOutsideTheBounds)
{
    // Message 10 is "nodes".
    for (int16_t value : {int16_t{0}, int16_t{5}, int16_t{-32768}}) {
        uint32_t result = 99;
        const Seen seen = Drive(1000, 2, nullptr, Answer::Return, 0, [&] { result = QXUI_CheckRange(value, 1, 4, 10); });
        EXPECT_EQ(seen.text, "nodes must have a value between 1 and 4") << value;
        EXPECT_EQ(result, 0u) << value;
    }
    // Inside the bounds, both ends included: no dialog comes up.
    for (int16_t value : {int16_t{1}, int16_t{4}}) {
        EXPECT_EQ(QXUI_CheckRange(value, 1, 4, 10), 1u) << value;
        EXPECT_EQ(Dialog_Depth(), 0);
    }
    const Seen seen = Drive(1000, 2, nullptr, Answer::Return, 0, [] { EXPECT_EQ(QXUI_CheckRange(-3, -10, -5, 10), 0u); });
    EXPECT_EQ(seen.text, "nodes must have a value between -10 and -5");
}

}  // namespace
}  // namespace tolq::test
