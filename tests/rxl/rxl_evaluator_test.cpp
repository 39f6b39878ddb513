// The sibling tool's structure in the real evaluator, given tolq's own
// request texts: report settings, resources, queued transfer functions and
// marking queries land in TOLQ'RXL, and the model is checked against its
// resources.
#include "evaluator_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atolq/ASimulator/ASRXLRequests.h"

namespace {

using tolq::test::evaluator::Reply;
using tolq::test::evaluator::Result;

std::vector<std::string> Values(const std::string& text)
{
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        const size_t open = text.find('\006', pos);
        if (open == std::string::npos)
            break;
        const size_t close = text.find('\006', open + 1);
        if (close == std::string::npos)
            break;
        out.push_back(text.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return out;
}

class RXLEvaluator : public ::testing::Test {
protected:
    void SetUp() override
    {
        link_ = tolq::test::evaluator::start_local(tolq::test::evaluator::default_heap());
        ASSERT_NE(link_, nullptr);
    }
    Reply Eval(const std::string& ml) { return link_->evaluate(ml); }
    void Accepted(const std::string& ml)
    {
        const Reply r = Eval(ml);
        EXPECT_EQ(r.result, Result::Success) << ml << "\n" << r.text;
    }
    std::string Value(const std::string& expression)
    {
        const Reply r = Eval("TOLQ'Edit.out_val (" + expression + ");\n");
        const auto values = Values(r.text);
        return values.empty() ? "<none: " + r.text + ">" : values[0];
    }

    std::unique_ptr<tolq::test::evaluator::Link> link_;
};

TEST_F(RXLEvaluator, ReportSettingsArriveInTheirReferences)
{
    Accepted(as::rxlUnitsText("TimeUnits", "Hours"));
    Accepted(as::rxlUnitsText("CostUnits", "Eu\"ro"));
    Accepted(as::rxlTimeReportsText(true, "1.5", "200.0", "10.0"));
    Accepted(as::rxlPieceReportsText(true, "3", "NEVER", "7"));
    Accepted(as::rxlSizeRefsText(true, false));
    Accepted(as::rxlReportKindsText(false, true));
    Accepted(as::rxlFlagText("ABCDurations", true));
    EXPECT_EQ(Value("!TOLQ'RXL.TimeUnits"), "Hours");
    EXPECT_EQ(Value("!TOLQ'RXL.CostUnits"), "Eu\"ro");
    EXPECT_EQ(Value("Real.toString (!TOLQ'RXL.StopTimeVal)"), "200.0");
    EXPECT_EQ(Value("Bool.toString (!TOLQ'RXL.TimeReports)"), "true");
    EXPECT_EQ(Value("Bool.toString (!TOLQ'RXL.StopPieceVal = !TOLQ'maxint)"), "true");
    EXPECT_EQ(Value("Int.toString (!TOLQ'RXL.PieceIntervalVal)"), "7");
    EXPECT_EQ(Value("Bool.toString (!TOLQ'RXL.SizeRef andalso not (!TOLQ'RXL.SizeMinorRef))"), "true");
    EXPECT_EQ(Value("Bool.toString (!TOLQ'RXL.ExcelReports andalso not (!TOLQ'RXL.TOLQReports))"), "true");
    EXPECT_EQ(Value("Bool.toString (!TOLQ'RXL.ABCDurations)"), "true");
}

TEST_F(RXLEvaluator, ResourcesAndTransfersMakeAModelThatChecks)
{
    // Without resources the model is refused.
    EXPECT_NE(Eval("TOLQ'RXL.ConstructModel();\n").result, Result::Success);
    Accepted(as::rxlResourcesText("Lathe 2\r\nDrill 1\r\n"));
    EXPECT_EQ(Value("String.concatWith \",\" (TOLQ'RXL.resources ())"), "Lathe,Drill");
    // Queued texts as tolq sends them: ";" after the last only.
    Accepted("(TOLQ'RXL.transfan:=(\"Lathe\",(\"Drill\"))::(!TOLQ'RXL.transfan))\n");
    Accepted("(TOLQ'RXL.transfan:=(\"Drill\",(\"Lathe\"))::(!TOLQ'RXL.transfan));\n");
    EXPECT_EQ(Value("Int.toString (length (!TOLQ'RXL.transfan))"), "2");
    Accepted("TOLQ'RXL.RXL'CheckResData();\n");
    Accepted("TOLQ'RXL.ConstructModel();\n");
    // A transfer to an unknown resource fails the check.
    Accepted("(TOLQ'RXL.transfan:=(\"Lathe\",(\"Saw\"))::(!TOLQ'RXL.transfan));\n");
    EXPECT_NE(Eval("TOLQ'RXL.RXL'CheckResData();\n").result, Result::Success);
}

TEST_F(RXLEvaluator, MarkingQueriesBecomeTextsThatFindTheirPieces)
{
    // Without tolq the page instances and the place-state texts come from
    // stand-ins of its requests: place 6 is empty, the others hold a token.
    Accepted("fun GetPageInsts (p : int) = [p * 10];\n");
    Accepted("fun GetMarkingCode {instid : int, placeid : int} = \"\\\"\" ^ "
             "(if placeid = 6 then \"empty\" else \"1`\" ^ Int.toString instid) ^ \"\\\"\";\n");
    const std::vector<as::RXLMarkingQuery> first = {{1, 5}, {2, 6}};
    const std::vector<as::RXLMarkingQuery> second = {{3, 7}};
    for (const std::string& text : as::rxlMarkingCodeTexts(first, true))
        Accepted(text);
    for (const std::string& text : as::rxlMarkingCodeTexts(second, false))
        Accepted(text);
    EXPECT_EQ(Value("Int.toString (length (!TOLQ'RXL.MarkingCode))"), "2");
    Accepted("TOLQ'RXL.EvalMarkingCode();\n");
    EXPECT_EQ(Value("String.concatWith \";\" (!TOLQ'RXL.FindPiecesMarking)"), "1`30;empty;1`10");
    // A second evaluation starts afresh instead of adding to the first.
    Accepted("TOLQ'RXL.EvalMarkingCode();\n");
    EXPECT_EQ(Value("Int.toString (length (!TOLQ'RXL.FindPiecesMarking))"), "3");
    // The flags follow the candidates' order: marked, empty, marked.
    EXPECT_EQ(Value("String.concatWith \",\" (map (Bool.toString o TOLQ'RXL.isMarked) "
                    "(rev (!TOLQ'RXL.FindPiecesMarking)))"),
              "true,false,true");
    // Clearing the lists before a second switch leaves only its queries.
    Accepted("TOLQ'RXL.MarkingCode:=[];\nTOLQ'RXL.MarkingCodePr:=[];\n");
    EXPECT_EQ(Value("Int.toString (length (!TOLQ'RXL.MarkingCode) + length (!TOLQ'RXL.MarkingCodePr))"), "0");
}

} // namespace
