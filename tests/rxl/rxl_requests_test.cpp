// The ML texts that hand the sibling tool's models their settings, queued
// texts and marking queries: the exact texts, the queue's life, and the
// report settings read from the data base root, whose stored piece-report
// limit keeps its "NEVER".
#include "RXLFixture.h"

#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASRXLRequests.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/ConvertToSim/CTSRXLSettings.h"

namespace {

struct StringCase {
    const char* name;
    std::string text;
    std::string ml;
};

class MLStringOfText : public ::testing::TestWithParam<StringCase> {};

TEST_P(MLStringOfText, JoinsOneLiteralPerLine)
{
    EXPECT_EQ(as::rxlMLString(GetParam().text), GetParam().ml);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, MLStringOfText,
    ::testing::Values(StringCase{"OneLine", "Lathe 2", "\"Lathe 2\\n\""},
                      StringCase{"TwoLines", "Lathe 2\nDrill 1", "\"Lathe 2\\n\"^\"Drill 1\\n\""},
                      StringCase{"WindowsLineEnds", "Lathe 2\r\nDrill 1\r\n", "\"Lathe 2\\n\"^\"Drill 1\\n\""},
                      StringCase{"EmptyLinesVanish", "\n\nA\n\n\nB\n", "\"A\\n\"^\"B\\n\""},
                      StringCase{"Empty", "", "\"\\n\""},
                      StringCase{"LineEndsAlone", "\r\n\r\n", "\"\\n\""},
                      // A quote or backslash cannot end the literal early.
                      StringCase{"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\\n\""},
                      StringCase{"TabIsEscaped", "a\tb", "\"a\\009b\\n\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RXLRequestTexts, SettingsAreAssignmentsToTheToolsReferences)
{
    EXPECT_EQ(as::rxlResourcesText("M1\r\nM2"), "TOLQ'RXL.RXL_res_string:=\"M1\\n\"^\"M2\\n\";\n");
    EXPECT_EQ(as::rxlFlagText("ABCDurations", true), "TOLQ'RXL.ABCDurations:=true;\n");
    EXPECT_EQ(as::rxlFlagText("ABCDurations", false), "TOLQ'RXL.ABCDurations:=false;\n");
    EXPECT_EQ(as::rxlUnitsText("TimeUnits", "Minutes"), "TOLQ'RXL.TimeUnits:=\"Minutes\";\n");
    EXPECT_EQ(as::rxlUnitsText("CostUnits", "\"x"), "TOLQ'RXL.CostUnits:=\"\\\"x\";\n");
    EXPECT_EQ(as::rxlTimeReportsText(true, "0.0", "10000.0", "100.0"),
              "TOLQ'RXL.TimeReports:=true;\nTOLQ'RXL.StartTimeVal:=0.0;\nTOLQ'RXL.StopTimeVal:=10000.0;\n"
              "TOLQ'RXL.TimeIntervalVal:=100.0;\n");
    EXPECT_EQ(as::rxlPieceReportsText(false, "0", "NEVER", "100"),
              "TOLQ'RXL.PieceReports:=false;\nTOLQ'RXL.StartPieceVal:=0;\nTOLQ'RXL.StopPieceVal:=(!TOLQ'maxint);\n"
              "TOLQ'RXL.PieceIntervalVal:=100;\n");
    EXPECT_EQ(as::rxlPieceReportsText(true, "5", "NEVERMORE", "1"),
              "TOLQ'RXL.PieceReports:=true;\nTOLQ'RXL.StartPieceVal:=5;\nTOLQ'RXL.StopPieceVal:=NEVERMORE;\n"
              "TOLQ'RXL.PieceIntervalVal:=1;\n");
    EXPECT_EQ(as::rxlSizeRefsText(true, false), "TOLQ'RXL.SizeRef:=true;\nTOLQ'RXL.SizeMinorRef:=false;\n");
    EXPECT_EQ(as::rxlReportKindsText(false, true), "TOLQ'RXL.TOLQReports:=false;\nTOLQ'RXL.ExcelReports:=true;\n");
}

std::string Entry(int page, int place)
{
    return "\"TOLQ'RXL.FindPiecesMarking:=\"^GetMarkingCode{instid=hd(GetPageInsts(" + std::to_string(page) +
           ")),placeid=" + std::to_string(place) + "}^\"::(!TOLQ'RXL.FindPiecesMarking);\"";
}

TEST(RXLMarkingCode, TwoQueriesMakeOneRequest)
{
    const std::vector<as::RXLMarkingQuery> queries = {{7, 12}, {8, 13}};
    const auto texts = as::rxlMarkingCodeTexts(queries, true);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "TOLQ'RXL.MarkingCode:=(!TOLQ'RXL.MarkingCode)^^[" + Entry(7, 12) + "," + Entry(8, 13) +
                            "];\n");
    EXPECT_EQ(as::rxlMarkingCodeTexts(queries, false)[0].substr(0, 49),
              "TOLQ'RXL.MarkingCodePr:=(!TOLQ'RXL.MarkingCodePr)");
}

TEST(RXLMarkingCode, OneHundredTwentyQueriesGoInRequestsOfFiftyFiftyAndTwenty)
{
    std::vector<as::RXLMarkingQuery> queries;
    for (int i = 0; i < 120; ++i)
        queries.push_back({1, i});
    const auto texts = as::rxlMarkingCodeTexts(queries, true);
    ASSERT_EQ(texts.size(), 3u);
    const size_t expected[] = {50, 50, 20};
    int next = 0;
    for (size_t r = 0; r < 3; ++r) {
        size_t entries = 0;
        for (size_t at = texts[r].find("GetMarkingCode"); at != std::string::npos;
             at = texts[r].find("GetMarkingCode", at + 1))
            ++entries;
        EXPECT_EQ(entries, expected[r]);
        EXPECT_EQ(texts[r].substr(texts[r].size() - 3), "];\n");
        // The entries keep their order across requests.
        EXPECT_NE(texts[r].find("placeid=" + std::to_string(next) + "}"), std::string::npos);
        next += static_cast<int>(expected[r]);
        EXPECT_EQ(texts[r].find(",\"TOLQ'RXL.FindPiecesMarking:=\"^GetMarkingCode{instid=hd(GetPageInsts(1)),placeid=" +
                                std::to_string(next) + "}"),
                  std::string::npos);
    }
    EXPECT_TRUE(as::rxlMarkingCodeTexts({}, true).empty());
}

TEST(RXLQueue, EmptyQueueSendsNothingAndLongTextsAreRefused)
{
    ASClearQueuedTexts();
    EXPECT_EQ(ASSendQueuedTexts(), 0);
    EXPECT_EQ(ASQueueRXLText(std::string(0x10000, 'x')), 0);
    EXPECT_EQ(ASQueuedRXLTextCount(), 0u);
    EXPECT_EQ(ASQueueRXLText("(TOLQ'RXL.transfan:=(\"a\",(\"b\"))::(!TOLQ'RXL.transfan))"), 1);
    EXPECT_EQ(ASQueuedRXLTextCount(), 1u);
    // Without an evaluator the request fails, and the queue is emptied all the same.
    EXPECT_LT(ASSendQueuedTexts(), 0);
    EXPECT_EQ(ASQueuedRXLTextCount(), 0u);
}

class RXLSettingsOfTheRoot : public RXLNetTest {
protected:
    void SetUp() override
    {
        RXLNetTest::SetUp();
        std::vector<uint8_t> record(256);
        ASSERT_NE(DefCopyRXLOptions(nullptr, record.data()), 0);
        int32_t block[64];
        std::memcpy(block, record.data(), sizeof block);
        ASSERT_EQ(ASSetRXLOptions(block), 1);
    }
};

TEST_F(RXLSettingsOfTheRoot, TextsComeFromTheirFields)
{
    using namespace cts::rxl;
    EXPECT_EQ(optionText(kTimeUnitsOffset, kUnitsSize), "Minutes");
    EXPECT_EQ(optionText(kCostUnitsOffset, kUnitsSize), "Dollars");
    EXPECT_EQ(optionText(kTimeTextsOffset + kValueSize, kValueSize), "10000.0");
    EXPECT_EQ(optionText(kPieceTextsOffset + kValueSize, kValueSize), "NEVER");
    // A field without its end byte is read up to its size only.
    SERoot* root = SECurrentRoot();
    std::memset(reinterpret_cast<char*>(root->analysisOptions) + kTimeUnitsOffset, 'x', kUnitsSize);
    EXPECT_EQ(optionText(kTimeUnitsOffset, kUnitsSize), std::string(kUnitsSize, 'x'));
    EXPECT_EQ(optionText(250, 32), "");
}

TEST_F(RXLSettingsOfTheRoot, SendingPieceReportsLeavesTheStoredNeverAsItWas)
{
    using namespace cts::rxl;
    CTSSendRXLPieceReports();
    EXPECT_EQ(optionText(kPieceTextsOffset + kValueSize, kValueSize), "NEVER");
    CTSSendRXLPieceReports();
    EXPECT_EQ(optionText(kPieceTextsOffset + kValueSize, kValueSize), "NEVER");
}

} // namespace
