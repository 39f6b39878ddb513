// The import log: created only when there is something to say, truncated per
// load, named after the file, messages cut to 254 characters, and the dialogs.
#include "fixture.h"

namespace interchange_test {
namespace {

using LogTest = ReaderFixture;

TEST_F(LogTest, ALoadWithoutProblemsMakesNoLogAndNoDialog) {
    XmlLogFinish();
    EXPECT_FALSE(logExists());
    EXPECT_TRUE(shownMessages().empty());
}

TEST_F(LogTest, TheLogIsNamedAfterTheFileAndReported) {
    EXPECT_EQ(logName_, (dir_ / "net.xml.log").string());
    XML_WARN("Renumbering page from %d to %d", 1, 2);
    EXPECT_EQ(logText(), "Renumbering page from 1 to 2\n");
    XmlLogFinish();
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], "Warnings/Errors detected.\nPlease check log-file:\n\n" + logName_);
}

TEST_F(LogTest, ALaterLoadOverwritesTheLog) {
    XML_WARN("first load");
    XmlLogFinish();
    XmlLogSetName((dir_ / "net.xml").string());
    XML_WARN("second load");
    EXPECT_EQ(logText(), "second load\n");
}

TEST_F(LogTest, LongMessagesAreCutTo254Characters) {
    std::string longText(400, 'm');
    XML_WARN("%s", longText.c_str());
    EXPECT_EQ(logText(), std::string(254, 'm') + "\n");
}

TEST_F(LogTest, SeriousErrorsAlsoAskForARestart) {
    XML_ERROR("Unknown shape for connector");
    EXPECT_EQ(logText(), "Unknown shape for connector\n");
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], "Serious error occured! Save changes and restart.");
}

TEST_F(LogTest, AnUnwritableLogIsReportedOnceAndTheRestDropped) {
    XmlLogSetName((dir_ / "missing" / "net.xml").string());
    XML_WARN("one");
    XML_WARN("two");
    ASSERT_EQ(shownMessages().size(), 1u);
    EXPECT_EQ(shownMessages()[0], "ERROR: could not open logfile!");
    XmlLogFinish();
    EXPECT_EQ(shownMessages().size(), 1u);
}

TEST(LogFatal, OutOfMemoryStopsWithStatusOne) {
    EXPECT_EXIT(XmlFatal(), ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace interchange_test
