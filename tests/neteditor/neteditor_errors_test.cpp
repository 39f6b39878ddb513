// Error reporting: the first error is shown with its number and kept pending,
// later ones are dropped until the editor's timer has dealt with it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/MessageBox.h"
#include "xkv/comm/Comm.h"
#include "xkv/velkor/Velkor.h"

namespace {

class ErrorTest : public ::testing::Test {
protected:
    void SetUp() override { EE_ClearPendingError(); }
    void TearDown() override { EE_ClearPendingError(); }
};

TEST_F(ErrorTest, ErrorBoxTextIsTheMessageWithItsNumber)
{
    char text[kGEMessageTextSize];
    GE_MessageTextWithCode(16392, text);
    EXPECT_STREQ(text, "CONCRETE EDITOR:\nQVmountopen call with unexpected menu.\nError:  (0x4008)");
    GE_MessageTextWithCode(16386, text);
    EXPECT_STREQ(text, "A serious error has occurred and your diagram has been corrupted. (0x4002)");
}

TEST_F(ErrorTest, UnknownIdStillFitsTheBuffer)
{
    char text[kGEMessageTextSize];
    std::memset(text, 'x', sizeof text);
    GE_MessageTextWithCode(-2, text);
    EXPECT_LT(std::strlen(text), kGEMessageTextSize);
    EXPECT_NE(std::string(text).find("(0xFFFE)"), std::string::npos);
}

TEST_F(ErrorTest, OnlyTheFirstReportIsShownUntilTheTimerRuns)
{
    EXPECT_EQ(EE_ReportError(0), 0);
    EXPECT_EQ(EE_GetPendingError(), 0);
    EXPECT_EQ(EE_ReportError(16404), 1);
    EXPECT_EQ(EE_ReportError(16405), 16405);
    EXPECT_EQ(EE_GetPendingError(), 16404);
    EXPECT_EQ(EE_PendingErrorTimer(0, 0, 0, 0, 0, 0), 1u);
    EXPECT_EQ(EE_GetPendingError(), 0);
    EXPECT_EQ(EE_ReportError(16405), 1);
    EXPECT_EQ(EE_GetPendingError(), 16405);
}

TEST_F(ErrorTest, TimerClearsErrorsThatKeepTheDiagram)
{
    for (int16_t id : {kMsgDataBaseIncompatible, kMsgRestoreFailed, kMsgDataBaseLoadFailed}) {
        EE_ReportError(id);
        EE_PendingErrorTimer(0, 0, 0, 0, 0, 0);
        EXPECT_EQ(EE_GetPendingError(), 0) << id;
    }
    EXPECT_EQ(EE_PendingErrorTimer(0, 0, 0, 0, 0, 0), 1u);
}

// An error that may have spoilt the diagram: without a file to go back to
// the user is told the diagram may be corrupted; with one the diagram goes
// back to it instead. Either way the error is no longer pending.
TEST_F(ErrorTest, TimerWarnsOnlyWhenThereIsNoSavedDiagram)
{
    VelkorSettings& settings = Velkor_Settings();
    const bool printFiles = settings.printFiles;
    settings.printFiles = true;  // message boxes go to the error output
    struct Case {
        const char* file;
        bool warned;
    };
    for (const Case& c : {Case{"", true}, Case{"/tmp/saved-net", false}}) {
        SCOPED_TRACE(c.file);
        ASSERT_EQ(Comm_SetFilePath(1, c.file), kStatusOk);
        testing::internal::CaptureStderr();
        EE_ReportError(16389);
        EE_PendingErrorTimer(0, 0, 0, 0, 0, 0);
        const std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(shown.find("your diagram has been corrupted") != std::string::npos, c.warned) << shown;
        EXPECT_EQ(EE_GetPendingError(), 0);
    }
    Comm_SetFilePath(1, "");
    settings.printFiles = printFiles;
}

TEST_F(ErrorTest, FatalMlQuitExitsWith255)
{
    EXPECT_EXIT(EE_FatalError(1), testing::ExitedWithCode(255), "fatal error 11549");
}

}  // namespace
