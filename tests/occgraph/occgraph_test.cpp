// The evaluator's occurrence-graph library on small nets whose graphs are
// known by hand: node and arc counts, strongly connected components, dead
// and home markings, dead and live transition instances, bounds, stop
// options, and the moves of states between the graph and the simulator.
#include "sim_session.h"

#include <string>
#include <vector>

namespace tolq::test::occgraph {
namespace {

struct GraphCase {
    const char* name;
    NetSpec net;
    long nodes, arcs, sccs;
    std::vector<long> dead, home;
};

void PrintTo(const GraphCase& c, std::ostream* os) { *os << c.name; }

std::vector<long> all(long n) {
    std::vector<long> v;
    for (long i = 1; i <= n; ++i) v.push_back(i);
    return v;
}

const GraphCase kCases[] = {
    {"Ring", ring(), 3, 3, 1, {}, all(3)},
    {"BufferOfOne", buffer(1, true), 2, 2, 1, {}, all(2)},
    {"BufferOfThree", buffer(3, true), 4, 6, 1, {}, all(4)},
    {"FillOnlyBufferOfThree", buffer(3, false), 4, 3, 4, {4}, {4}},
    {"ThreePhilosophers", philosophers(3), 4, 6, 1, {}, all(4)},
    {"FourPhilosophers", philosophers(4), 7, 16, 1, {}, all(7)},
    {"FivePhilosophers", philosophers(5), 11, 30, 1, {}, all(11)},
    {"ThreeIndependentBuffersOfTwo", pairs(3, 2), 27, 108, 1, {}, all(27)},
};

class GraphTest : public SimSession, public testing::WithParamInterface<GraphCase> {};

TEST_P(GraphTest, FullGraphHasTheCountsKnownByHand) {
    const GraphCase& c = GetParam();
    load(c.net);
    ok("OG'menu.Init ();\n");
    ok("OG'menu.CalculateOG ();\n");
    ok("OG'menu.CalculateScc ();\n");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), c.nodes);
    EXPECT_EQ(number("OGQuery.NoOfArcs ()"), c.arcs);
    EXPECT_EQ(number("OGQuery.NoOfSccs ()"), c.sccs);
    EXPECT_EQ(numbers("OGQuery.DeadMarkings ()"), c.dead);
    EXPECT_EQ(numbers("OGQuery.HomeMarkings ()"), c.home);
    EXPECT_EQ(ok("TOLQ'Edit.out_val(OGSaveReport.FullOGAndScc());"), std::vector<std::string>{"1"});
    // Every arc leads from the node whose successor list holds it.
    for (long a = 1; a <= c.arcs; ++a) {
        const long src = number("OGQuery.SourceNode " + std::to_string(a));
        const auto succ = numbers("OGQuery.OutArcs " + std::to_string(src));
        EXPECT_TRUE(std::find(succ.begin(), succ.end(), a) != succ.end()) << a;
        const auto pred = numbers("OGQuery.InArcs (OGQuery.DestNode " + std::to_string(a) + ")");
        EXPECT_TRUE(std::find(pred.begin(), pred.end(), a) != pred.end()) << a;
    }
    // Generation leaves the simulator in the state it had: node 1.
    EXPECT_EQ(ok("OG'menu.SimStatetoOG ();\n"), (std::vector<std::string>{"0", "1"}));
}

INSTANTIATE_TEST_SUITE_P(Nets, GraphTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<GraphCase>& info) { return std::string(info.param.name); });

TEST_F(SimSession, ManyPlacesAreAllPartOfTheState) {
    // Twenty-four places: the page's state type is read whole, so the
    // twelve independent buffers give 2^12 markings.
    load(pairs(12, 1));
    ok("OG'menu.Init ();\nOG'menu.CalculateOG ();\n");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), 4096);
    EXPECT_EQ(number("OGQuery.NoOfArcs ()"), 12 * 4096);
}

TEST_F(SimSession, LiveDeadAndImpartialTransitionInstances) {
    NetSpec net = buffer(2, true);
    // A transition whose input place never gets a token.
    net.page.places.push_back({"8", "INT"});
    net.markings.push_back("");
    net.transitions.push_back(move("32", "8", "5", "x", 2));
    load(net);
    ok("OG'menu.Init ();\nOG'menu.CalculateOG ();\n");
    EXPECT_EQ(texts("OGQuery.DeadTIs ()"), std::vector<std::string>{"T32@(1:Top#1)"});
    EXPECT_EQ(texts("OGQuery.LiveTIs ()"), (std::vector<std::string>{"T30@(1:Top#1)", "T31@(1:Top#1)"}));
    // Producing and consuming can each be avoided forever by neither: the
    // buffer of two forces both to recur.
    EXPECT_EQ(texts("OGQuery.ImpartialTIs ()"), (std::vector<std::string>{"T30@(1:Top#1)", "T31@(1:Top#1)"}));
}

TEST_F(SimSession, ReportGivesBoundsAndStatistics) {
    load(buffer(3, true));
    ok("OG'menu.Init ();\nOG'menu.CalculateOG ();\nOG'menu.CalculateScc ();\n");
    const auto report = ok("TOLQ'Edit.out_val (OGQuery.Report (true, true, true, true, true, true, true, true));\n");
    ASSERT_EQ(report.size(), 1u);
    const std::string& r = report[0];
    EXPECT_NE(r.find("Nodes:  4\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Arcs:   6\n"), std::string::npos) << r;
    EXPECT_NE(r.find("Status: Full"), std::string::npos) << r;
    // The buffer holds 0 to 3 tokens, the free place likewise.
    EXPECT_NE(r.find("P6(50)   3   0"), std::string::npos) << r;
    EXPECT_NE(r.find("P5(50)   3   0"), std::string::npos) << r;
    EXPECT_NE(r.find("P6(50)   3`0"), std::string::npos) << r;
    EXPECT_NE(r.find("Home Markings: 4"), std::string::npos) << r;
    EXPECT_NE(r.find("Dead Markings: 0"), std::string::npos) << r;
    const auto stats = ok("TOLQ'Edit.out_val(OG'menu.ShowStatistics());");
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_NE(stats[0].find("Nodes:  1\n"), std::string::npos) << stats[0]; // one component
}

TEST_F(SimSession, StopOptionEndsGenerationAndALaterRunCompletesIt) {
    load(philosophers(5));
    ok("OG'menu.Init ();\nOGSet.Stop {Nodes = 3, Arcs = 1000, Secs = 60};\nOG'menu.CalculateOG ();\n");
    const long partial = number("OGQuery.NoOfNodes ()");
    EXPECT_GE(partial, 3);
    EXPECT_LT(partial, 11);
    EXPECT_EQ(ok("TOLQ'Edit.out_val(OGSaveReport.FullOG());"), std::vector<std::string>{"0"});
    EXPECT_NE(ok("TOLQ'Edit.out_val(OG'menu.ShowStatistics());")[0].find("Status: Partial"), std::string::npos);
    ok("OGSet.Stop {Nodes = 100000, Arcs = 100000, Secs = 60};\nOG'menu.CalculateOG ();\n");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), 11);
    EXPECT_EQ(number("OGQuery.NoOfArcs ()"), 30);
    EXPECT_EQ(ok("TOLQ'Edit.out_val(OGSaveReport.FullOG());"), std::vector<std::string>{"1"});
}

TEST_F(SimSession, SuccessorsOfChosenNodesOnly) {
    load(buffer(3, true));
    ok("OG'menu.Init ();\n");
    // Node 1 is unexpanded: mark 0, no predecessors or successors known.
    EXPECT_EQ(ok("OG'menu.UpdateInscriptions([1]);\n"), (std::vector<std::string>{"0", "0", "0"}));
    ok("OG'menu.CalculateSuccessors([1]);\n");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), 2);
    EXPECT_EQ(ok("OG'menu.UpdateInscriptions([1,2]);\n"), (std::vector<std::string>{"2", "0", "1", "0", "1", "0"}));
    // An unknown node is refused with the error class.
    EXPECT_EQ(ask("OG'menu.CalculateSuccessors([7]);\n").result, Result::ErrorClass);
}

TEST_F(SimSession, StatesMoveBetweenGraphAndSimulator) {
    load(buffer(2, true));
    ok("OG'menu.Init ();\nOG'menu.CalculateOG ();\n");
    const long full = number("OGQuery.DestNode 1");
    ok("OG'menu.OGStatetoSim (" + std::to_string(full) + ");\n");
    EXPECT_EQ(ok("TOLQ'mkst_tok'INT (!(#P6 TOLQ'PS50));\n"), (std::vector<std::string>{"1", "1`0"}));
    EXPECT_EQ(ok("OG'menu.SimStatetoOG ();\n"), (std::vector<std::string>{"0", std::to_string(full)}));
    // A state the graph does not hold becomes a new node.
    ok("#P6 TOLQ'PS50 := 5`7;\n");
    EXPECT_EQ(ok("OG'menu.SimStatetoOG ();\n"), (std::vector<std::string>{"1", "4"}));
    EXPECT_EQ(ask("OG'menu.OGStatetoSim (99);\n").result, Result::ErrorClass);
}

TEST_F(SimSession, EnteringWithoutASimulatorStateFails) {
    EXPECT_NE(ask("OG'menu.Init ();\n").result, Result::Success);
    EXPECT_NE(ask("OG'menu.CalculateOG ();\n").result, Result::Success);
}

} // namespace
} // namespace tolq::test::occgraph

namespace tolq::test::occgraph {
namespace {

// The texts tolq sends when the tool is entered, with the library folder
// beside the evaluator's base state.
TEST_F(SimSession, EntryTextsLoadTheToolsStartFile) {
    load(ring());
    const std::string folder = TOLQ_BIN_DIR;
    ok("val ogpath = \"" + folder + "/OGMLfiles/\";");
    ok("use \"" + folder + "/OGMLfiles/OGswitch.sml\";");
    ok("OG'menu.CalculateOG();");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), 3);
    // The OE/OS variant has no library here: entering it fails.
    EXPECT_NE(ask("use \"" + folder + "/OEMLfiles/OGswitch.sml\";").result, Result::Success);
    // A start file that is not there fails too.
    EXPECT_NE(ask("use \"" + folder + "/nowhere/OGswitch.sml\";").result, Result::Success);
}

} // namespace
} // namespace tolq::test::occgraph

namespace tolq::test::occgraph {
namespace {

// A timed token that waits: the graph moves the clock to the time the next
// binding is enabled, and the clock is part of the state.
TEST_F(SimSession, TimedNetMovesTheClockBetweenNodes) {
    NetSpec net{"colset TIME = time; colset T = int timed; var x : T;",
                {"4", {{"5", "T", true}, {"6", "T", true}, {"7", "T", true}}, true},
                {"1`2@10", "", ""},
                {{"30", "", false, {{"31", "40", "5", true, "x", 2, true, true}, {"32", "41", "6", false, "1`x@+5", 1, true, true}}, {}, true},
                 {"33", "", false, {{"34", "42", "6", true, "x", 2, true, true}, {"35", "43", "7", false, "1`x@+0", 1, true, true}}, {}, true}}};
    load(net);
    ok("TOLQ'IntegerTime.TOLQ'starttime:=0;\ninit_state();\ninit_time();\n");
    ok("OG'menu.Init ();\nOG'menu.CalculateOG ();\n");
    EXPECT_EQ(number("OGQuery.NoOfNodes ()"), 3);
    EXPECT_EQ(number("OGQuery.NoOfArcs ()"), 2);
    EXPECT_EQ(numbers("OGQuery.DeadMarkings ()"), std::vector<long>{3});
    EXPECT_EQ(ok("TOLQ'Edit.out_val(OGSaveReport.TimedOG());"), std::vector<std::string>{"1"});
    // Node 2 holds the token at 15 on the middle place with the clock at 10.
    const auto marking = ok("TOLQ'Edit.out_val (OGQuery.Marking 2);\n");
    ASSERT_EQ(marking.size(), 1u);
    EXPECT_NE(marking[0].find("P6(50): (1`2@15)"), std::string::npos) << marking[0];
    EXPECT_NE(marking[0].find("time: 10"), std::string::npos) << marking[0];
    // The simulator's clock is where it was.
    EXPECT_EQ(ok("TOLQ'Edit.out_val ( mkst_col'TIME' ( time () ) ) ;\n"), std::vector<std::string>{"0"});
}

} // namespace
} // namespace tolq::test::occgraph
