// The real tolq under the private Xvfb with the real evaluator: a scripted
// run (-autoexec) whose ML code builds a net of the sibling tool through
// TOLQ'RXL, which reaches tolq's net-building requests, reads the diagram
// back through the kernel's requests, and stores piece candidates, which put
// the sibling tool's options item into the Set menu.
#include <gtest/gtest.h>

#include "process.h"
#include "xclient.h"
#include "xvfb.h"

#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";

std::string Script(const std::string& answer)
{
    return "structure K = Tolq.Kernel;\n"
           "val out = TextIO.openOut \"" + answer + "\";\n"
           "fun say s = TextIO.output (out, s ^ \"\\n\");\n"
           "fun text h = getOpt (K.getText h, \"<none>\");\n"
           "val page = K.result 3040 [];\n"
           "val (rp, (place, cs, im)) = TOLQ'RXL.MakePlace {page = page, refresh = true, x = 100, y = 100,\n"
           "    name = \"Lathe\", colourSet = \"Resource\", marking = SOME \"1`(1,2)\"};\n"
           "val (rt, (trans, guard, code)) = TOLQ'RXL.MakeTransition {page = page, refresh = true, x = 200,\n"
           "    y = 100, width = 60, height = 28, name = SOME \"Work\", guard = SOME \"[x>0]\", code = NONE};\n"
           "val (ra, arc, label) = TOLQ'RXL.MakeArc {page = page, refresh = false, from = place, to = trans,\n"
           "    inscription = \"1`x\"};\n"
           "val _ = say (\"results \" ^ Int.toString rp ^ Int.toString rt ^ Int.toString ra);\n"
           "val _ = say (\"place \" ^ text place ^ \"|\" ^ text cs ^ \"|\" ^ text im);\n"
           "val _ = say (\"transition \" ^ text trans ^ \"|\" ^ text guard ^ \"|\" ^ Int.toString code);\n"
           "val _ = say (\"arc \" ^ text label ^ \"|\" ^ Int.toString (length (K.regionList arc)));\n"
           "val report = TOLQ'RXL.BuildReportPage {x = 40, y = 40, refresh = true, pieceLimit = \"100\",\n"
           "    returnInscription = \"1`r\", sizeExpression = \"sz\", reportMode = \"\"};\n"
           "val _ = say (\"report \" ^ Int.toString (length report) ^ \" \" ^ text (List.nth (report, 1)));\n"
           "val _ = TOLQ'RXL.MarkNodes [(place, 2, page)];\n"
           "val _ = say (\"marked \" ^ text cs);\n"
           "val _ = say (\"pairs \" ^ Int.toString (length (TOLQ'RXL.SubstitutionPairs ())));\n"
           "val absent = K.result 6110 [K.U32 10228];\n"
           "val _ = TOLQ'RXL.StorePieceCandidates {page = page, objects = [place], first = true, finish = true};\n"
           "val _ = TOLQ'RXL.SetPieces [true];\n"
           "val _ = say (\"options item \" ^ Int.toString absent ^ Int.toString (K.result 6110 [K.U32 10228]));\n"
           "val _ = TextIO.closeOut out;\n";
}

TEST(RXLProgram, ScriptBuildsTheSiblingToolsNetInTolq)
{
    TempDir dir;
    const std::string answer = dir.file("answer.txt");
    const std::string script = dir.file("rxl.sml");
    write_file(script, Script(answer));
    ProcessOptions options;
    options.env = {{"HOME", dir.path()}};
    options.cwd = dir.path();
    options.timeout = std::chrono::milliseconds(120000);
    const ProcessResult r = run_process({kTolq, "-autoexec", script, "quit"}, options);
    ASSERT_FALSE(r.timed_out) << r.err;
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(read_file(answer), "results 111\n"
                                 "place Lathe|Resource|1`(1,2)\n"
                                 "transition Work|[x>0]|0\n"
                                 "arc 1`x|1\n"
                                 "report 7 Pieces\n"
                                 "marked Piece\n"
                                 "pairs 0\n"
                                 "options item 01\n");
}

} // namespace
} // namespace tolq::test
