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

constexpr int32_t kMessageDialog = 1000;
constexpr int32_t kMessageTextItem = 2;

void Tick(XtPointer, XtIntervalId*)
{
    if (Dialog_TopDialogNumber() == kMessageDialog) {
        char text[600] = {};
        Dialog_GetItemText(kMessageTextItem, text, sizeof text - 1);
        RecordedMessages().emplace_back(text);
        Dialog_Close(1);
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
