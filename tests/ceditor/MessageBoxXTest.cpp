// The net layer's message boxes on the private X server: the box shows the
// message-table text (with its number for the error box) and waits until
// the user closes it with Return.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"

#include <string>

#include "atolq/CEditor/MessageBox.h"
#include "xkv/dialog/Dialog.h"

namespace tolq::test {
namespace {

constexpr int kMessageDialog = 30000;
constexpr int kMessageText = 3;

class MessageBoxTest : public DialogX {
protected:
    void TearDown() override
    {
        CloseDialogsAndSelector();
        DialogX::TearDown();
    }
};

TEST_F(MessageBoxTest, ShowsTheMessageAndWaitsForTheUser)
{
    struct Case {
        const char* name;
        int (*box)(int16_t);
        const char* text;
    };
    const Case cases[] = {
        {"plain", GE_MessageBox, "CONCRETE EDITOR:\nQVmountopen call with unexpected menu.\nError: "},
        {"with its number", GE_MessageBoxWithCode,
         "CONCRETE EDITOR:\nQVmountopen call with unexpected menu.\nError:  (0x4008)"},
    };
    for (const Case& c : cases) {
        XClient input;
        std::string shown;
        Driver driver(app(), AnswerAlert(input, kMessageDialog, kMessageText, 0, &shown), CloseDialogsAndSelector);
        EXPECT_EQ(c.box(16392), 1) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name << ": the box closed before the user answered";
        EXPECT_EQ(shown, c.text) << c.name;
        EXPECT_EQ(Dialog_Depth(), 0) << c.name;
    }
}

}  // namespace
}  // namespace tolq::test
