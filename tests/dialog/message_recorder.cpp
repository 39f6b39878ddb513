// Starts the dialog toolkit on the private X server before the first test
// and keeps a toolkit timer that reads and closes message boxes; the timer
// fires while a modal dialog's loop waits for the user.
#include "message_recorder.h"

#include <gtest/gtest.h>

#include <X11/Intrinsic.h>

#include "dialog_fixture.h"
#include "xkv/dialog/Dialog.h"

namespace tolq::test {
namespace {

// The kernel's message box and the net editor's, with the item of their text.
struct MessageBox {
    int32_t dialog;
    int16_t textItem;
};
constexpr MessageBox kMessageBoxes[] = {{1000, 2}, {30000, 3}};

void Tick(XtPointer, XtIntervalId*)
{
    const int32_t top = Dialog_TopDialogNumber();
    for (const MessageBox& box : kMessageBoxes) {
        if (top == box.dialog) {
            char text[600] = {};
            Dialog_GetItemText(box.textItem, text, sizeof text - 1);
            RecordedMessages().emplace_back(text);
            Dialog_Close(1);
        }
    }
    XtAppAddTimeOut(DialogX::app(), 20, Tick, nullptr);
}

class Starter : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        if (started_) {
            return;
        }
        started_ = true;
        DialogX::SetUpTestSuite();
        XtAppAddTimeOut(DialogX::app(), 20, Tick, nullptr);
    }
    bool started_ = false;
};

[[maybe_unused]] const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Starter);
    return true;
}();

}  // namespace

std::vector<std::string>& RecordedMessages()
{
    static std::vector<std::string> messages;
    return messages;
}

}  // namespace tolq::test
