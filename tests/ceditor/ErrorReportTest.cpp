// Error reporting: the first error is kept pending and later ones are dropped
// until it is cleared; fatal errors end the program with status 255. Also the
// editor's zeroed string blocks.
#include <gtest/gtest.h>

#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/QXMem.h"

namespace {

class ErrorReportTest : public testing::Test {
protected:
    void SetUp() override { EE_ClearPendingError(); }
    void TearDown() override { EE_ClearPendingError(); }
};

TEST_F(ErrorReportTest, FirstReportIsKeptUntilCleared)
{
    EXPECT_EQ(EE_ReportError(0x3101), 1);
    EXPECT_EQ(EE_GetPendingError(), 0x3101);
    EXPECT_EQ(EE_ReportError(16432), 16432);
    EXPECT_EQ(EE_GetPendingError(), 0x3101);
    EE_ClearPendingError();
    EXPECT_EQ(EE_GetPendingError(), 0);
    EXPECT_EQ(EE_ReportError(16432), 1);
    EXPECT_EQ(EE_GetPendingError(), 16432);
}

TEST_F(ErrorReportTest, IdZeroIsNotAnError)
{
    EXPECT_EQ(EE_ReportError(0), 0);
    EXPECT_EQ(EE_GetPendingError(), 0);
}

TEST_F(ErrorReportTest, FatalErrorExitsWith255)
{
    EXPECT_EXIT(EE_FatalError(16433), testing::ExitedWithCode(255), "fatal error 16433");
}

TEST(EditorMemoryTest, AllocGivesZeroedBlocks)
{
    char* empty = GE_Alloc(0);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    QXMem_Free(empty);
    char* buffer = GE_Alloc(30);
    ASSERT_NE(buffer, nullptr);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(buffer[i], 0);
    QXMem_Free(buffer);
}

}  // namespace
