// The evaluator's ML library as the syntax check uses it: declaration texts
// of every colour-set kind and their colour-table rows, refused
// declarations, markings that read back through their text, and the
// requests that check a transition's arcs, guard, code and time.
#include "evaluator_link.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolq::test::evaluator {
namespace {

// The values of a reply, each between two \006 bytes.
std::vector<std::string> values(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t open = text.find('\006', pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('\006', open + 1);
        if (close == std::string::npos) break;
        out.push_back(text.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return out;
}

class EvalLibTest : public testing::Test {
protected:
    void SetUp() override { link_ = start_local(default_heap()); }

    // A request, with an input text when one is given.
    Reply ask(const std::string& ml, const std::string* input = nullptr) {
        link_->evaluate_async(ml + "\n");
        if (input) link_->send_text(encode_input_text(*input));
        return link_->read_reply();
    }
    Reply ask(const std::string& ml, const std::string& input) { return ask(ml, &input); }

    // Parses a global declaration text and defines its declarations one by
    // one, as the check does; the reply that ended the walk.
    Reply declare(const std::string& text) {
        Reply parsed = ask("TOLQ'Edit.ParseGlobDecl();", text);
        if (parsed.result != Result::Success) return parsed;
        for (int round = 0; round < 100; ++round) {
            Reply r = ask("usestring[(TOLQ'Edit.DefineGlob())];");
            if (r.result != Result::Success) return r;
            const auto v = values(r.text);
            if (v.empty() || v.back() != "0") return r;
        }
        ADD_FAILURE() << "declarations never ended";
        return {};
    }

    void declare_ok(const std::string& text) {
        const Reply r = declare(text);
        ASSERT_EQ(r.result, Result::Success) << text << "\n" << r.raw;
        EXPECT_EQ(values(r.text), std::vector<std::string>{"1"}) << r.raw;
    }

    std::vector<std::string> colour_table() {
        const Reply r = ask("TOLQ'Edit.ReturnColorTabel();");
        EXPECT_EQ(r.result, Result::Success) << r.raw;
        return values(r.text);
    }

    std::unique_ptr<Link> link_;
};

TEST_F(EvalLibTest, SampleNetPassesTheSyntaxCheckRequests) {
    declare_ok("colset INT = int; var x : INT;");
    EXPECT_EQ(colour_table(), (std::vector<std::string>{"INT", "'INT", "0"}));

    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (false,\"5\",\"INT\");", "1`3++2`4").result,
              Result::Success);
    EXPECT_EQ(ask("TOLQ'legal_ms''INT TOLQ'IM5();").result, Result::Success);

    EXPECT_EQ(ask("TOLQ'Edit.VarTabInit();").result, Result::Success);
    const Reply arc = ask("TOLQ'Edit.VarInArc  \"7\";", "1`x");
    ASSERT_EQ(arc.result, Result::Success) << arc.raw;
    EXPECT_EQ(values(arc.text), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(ask("TOLQ'Edit.VarGuard ();", "x>2").result, Result::Success);

    const Reply table = ask("usestring[(TOLQ'Edit.ReturnVarTabel \"9\")];");
    ASSERT_EQ(table.result, Result::Success) << table.raw;
    EXPECT_EQ(values(table.text), (std::vector<std::string>{"x", "INT", "5"}));

    const Reply guard = ask("TOLQ'Edit.CheckGuard();");
    EXPECT_EQ(guard.result, Result::Success) << guard.raw;
    EXPECT_EQ(values(guard.text), std::vector<std::string>{"0"});
    const Reply check = ask("TOLQ'Edit.CheckArc(false,\"7\",\"11\",\"INT\");");
    EXPECT_EQ(values(check.text), std::vector<std::string>{"1"}) << check.raw;

    // The generated functions work on a binding.
    const Reply run = ask("TOLQ'Edit.out_val (mkst_ms'INT (TOLQ'AF11 {x = $ 4}) ^ "
                          "Bool.toString (TOLQ'GF9 {x = $ 4}));");
    EXPECT_EQ(values(run.text), std::vector<std::string>{"1`4true"}) << run.raw;

    EXPECT_EQ(ask("TOLQ'Edit.VarGuard ();", "x>\"a\"").result, Result::Success);
    EXPECT_EQ(ask("TOLQ'Edit.CheckGuard();").result, Result::NotCompiled);
}

TEST_F(EvalLibTest, GuardListsAndSingleTokenArcsGetTheirSecondForm) {
    declare_ok("colorset INT = int with 1 .. 10; var x, y : INT;");
    ask("TOLQ'Edit.VarTabInit();");
    ask("TOLQ'Edit.VarInArc  \"3\";", "x");
    ask("TOLQ'Edit.VarOutArc  \"4\";", "(x + y) mod 10 + 1");
    ask("TOLQ'Edit.VarGuard ();", "[x > 2, y < 4]");
    const Reply table = ask("usestring[(TOLQ'Edit.ReturnVarTabel \"12\")];");
    EXPECT_EQ(values(table.text), (std::vector<std::string>{"x", "INT", "5", "y", "INT", "4"}));
    EXPECT_EQ(values(ask("TOLQ'Edit.CheckGuard();").text), std::vector<std::string>{"1"});
    EXPECT_EQ(values(ask("TOLQ'Edit.CheckArc(false,\"3\",\"20\",\"INT\");").text),
              std::vector<std::string>{"0"});
    EXPECT_EQ(values(ask("TOLQ'Edit.CheckArc(false,\"4\",\"21\",\"INT\");").text),
              std::vector<std::string>{"0"});
    EXPECT_EQ(ask("TOLQ'Edit.CheckEmptyArc(false,\"22\",\"12\");").result, Result::Success);
    // An arc that was never read, and a colour set that does not exist.
    EXPECT_NE(ask("TOLQ'Edit.CheckArc(false,\"99\",\"23\",\"INT\");").result, Result::Success);
    EXPECT_NE(ask("TOLQ'Edit.CheckArc(false,\"3\",\"24\",\"NOPE\");").result, Result::Success);
}

TEST_F(EvalLibTest, CodeSegmentsSetUsageBitsAndRefuseInternalNames) {
    declare_ok("colorset INT = int; var x, y, z : INT;");
    ask("TOLQ'Edit.VarTabInit();");
    EXPECT_EQ(ask("TOLQ'Edit.CodeSegText ();", "input (x);\noutput (y);\naction x + 1;").result,
              Result::Success);
    EXPECT_EQ(ask("TOLQ'Edit.TransDelayText();", "@+ x").result, Result::Success);
    ask("TOLQ'Edit.VarInArc  \"1\";", "1`x");
    const Reply out = ask("TOLQ'Edit.VarOutArc  \"2\";", "1`y");
    EXPECT_EQ(values(out.text), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(ask("TOLQ'Edit.CheckVar();").result, Result::Success);
    const Reply table = ask("usestring[(TOLQ'Edit.ReturnVarTabel \"30\")];");
    EXPECT_EQ(values(table.text), (std::vector<std::string>{"x", "INT", "3", "y", "INT", "18"}));
    const Reply seg = ask("usestring[(TOLQ'Edit.CodeSeg(\"30\",()))];");
    ASSERT_EQ(seg.result, Result::Success) << seg.raw;
    const Reply caf = ask("TOLQ'CAF30 ({}, {x = $ 4, y = $$});");
    EXPECT_EQ(values(caf.text), std::vector<std::string>{std::string("4\0005\000", 4)}) << caf.raw;
    EXPECT_EQ(ask("usestring[(TOLQ'Edit.DefineDelay())];").result, Result::Success);
    EXPECT_NE(ask("TOLQ'DF30 {x = $ 7, y = $$};").text.find("val it = 7"), std::string::npos);

    ask("TOLQ'Edit.CodeSegText ();", "input (x); output (y); action TOLQ'ModelTime := 0; 1;");
    EXPECT_NE(ask("TOLQ'Edit.CheckVar();").result, Result::Success);
    EXPECT_NE(ask("TOLQ'Edit.CodeSegText ();", "input (q); action 1;").result, Result::Success);
    EXPECT_NE(ask("TOLQ'Edit.CodeSegText ();", "input (x);").result, Result::Success);
}

// The code binds its outputs after the binding is found, so an output may
// be bound neither by an input arc nor used by the guard; otherwise the code
// guard holds.
struct CodeGuardCase {
    const char* name;
    const char* inArc;  // null: no input arc
    const char* guard;  // null: no guard
    bool legal;
};

class CodeGuardTest : public EvalLibTest, public testing::WithParamInterface<CodeGuardCase> {};

TEST_P(CodeGuardTest, OutputsOfTheCodeMustBeFreeOfArcsAndGuard) {
    declare_ok("colorset INT = int; var x, y : INT;");
    ask("TOLQ'Edit.VarTabInit();");
    ASSERT_EQ(ask("TOLQ'Edit.CodeSegText ();", "input (x);\noutput (y);\naction x + 1;").result, Result::Success);
    if (GetParam().inArc) ask("TOLQ'Edit.VarInArc  \"1\";", GetParam().inArc);
    if (GetParam().guard) ask("TOLQ'Edit.VarGuard ();", GetParam().guard);
    const Reply r = ask("TOLQ'Edit.CodeGuard();");
    if (GetParam().legal) {
        EXPECT_EQ(r.result, Result::Success) << r.raw;
        EXPECT_EQ(values(r.text), std::vector<std::string>{"true"});
    } else {
        EXPECT_EQ(r.result, Result::ErrorClass) << r.raw;
        EXPECT_NE(r.text.find("y is bound by the code segment"), std::string::npos) << r.raw;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CodeGuardTest,
                         testing::Values(CodeGuardCase{"OutputsFree", "1`x", "x > 0", true},
                                         CodeGuardCase{"OutputOnInputArc", "1`x++1`y", nullptr, false},
                                         CodeGuardCase{"OutputInGuard", "1`x", "y > x", false}),
                         [](const testing::TestParamInfo<CodeGuardCase>& info) { return std::string(info.param.name); });

// The switch registers each transition with the automatic run by its
// binding function, so that one whose code is missing is refused there; the
// chart list makes the run update its charts after every step.
TEST_F(EvalLibTest, TheAutomaticRunsGeneratorRegistersTransitionsAndCharts) {
    ASSERT_EQ(ask("fun TOLQ'BF40 (_ : int) = ();").result, Result::Success);
    EXPECT_EQ(ask("usestring[(TOLQ'sacgen.gen_fun((\"40\",\"41\",false,false,false), false))];").result,
              Result::Success);
    EXPECT_EQ(ask("usestring[(TOLQ'sacgen.gen_fun((\"42\",\"41\",false,false,false), false))];").result,
              Result::NotCompiled)
        << "transition 42 has no binding function";
    EXPECT_EQ(ask("usestring[(TOLQ'sacgen.gen_fun((\"40\",\"41\",false,false,false), true))];").result,
              Result::NotCompiled)
        << "nor a fast one";
    EXPECT_EQ(ask("usestring[(TOLQ'sacgen.gen_fun((\"4 0\",\"41\",false,false,false), false))];").result,
              Result::ErrorClass)
        << "not an ML name";

    ASSERT_EQ(ask("val seen = ref 0; fun TOLQ'CCAF7 (notusecond : bool) = seen := !seen + (if notusecond then 10 else 1);")
                  .result,
              Result::Success);
    ASSERT_EQ(ask("usestring [TOLQ'sacgen.gen_charts [\"7\"]];").result, Result::Success);
    ASSERT_EQ(ask("(!TolqAutoRun.chartUpdate) ();").result, Result::Success);
    EXPECT_EQ(values(ask("TOLQ'Edit.out_val (Int.toString (!seen));").text), std::vector<std::string>{"1"})
        << "updated under its own condition";
    ASSERT_EQ(ask("usestring [TOLQ'sacgen.gen_charts []];").result, Result::Success);
    ASSERT_EQ(ask("(!TolqAutoRun.chartUpdate) ();").result, Result::Success);
    EXPECT_EQ(values(ask("TOLQ'Edit.out_val (Int.toString (!seen));").text), std::vector<std::string>{"1"});
}

TEST_F(EvalLibTest, ModelTimeAndTimedColourSets) {
    EXPECT_EQ(values(ask("TOLQ'Edit.out_val(mkst_col'TIME(time()));").text),
              std::vector<std::string>{"(clock (\"0\"))"});
    declare_ok("colorset T = int timed; var t : T;");
    EXPECT_EQ(colour_table(), (std::vector<std::string>{"T", "'T", "1"}));
    ask("TOLQ'Edit.VarTabInit();");
    const Reply arc = ask("TOLQ'Edit.VarOutArc  \"5\";", "1`t @+ 5");
    EXPECT_EQ(values(arc.text), (std::vector<std::string>{"1", "0"}));
    ask("usestring[(TOLQ'Edit.ReturnVarTabel \"6\")];");
    EXPECT_EQ(values(ask("TOLQ'Edit.CheckArc(true,\"5\",\"7\",\"T\");").text),
              std::vector<std::string>{"1"});
    ask("TOLQ'ModelTime := 10;");
    const Reply stamped = ask("TOLQ'Edit.out_val (mkst_tms'T (TOLQ'AF7 ({t = $ 2}, 100, true)));");
    EXPECT_EQ(values(stamped.text), std::vector<std::string>{"(1`2@105)"});
    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (true,\"8\",\"T\");", "1`1++1`2").result,
              Result::Success);
    EXPECT_EQ(values(ask("TOLQ'mkst_tok'T (TOLQ'IM8 ());").text),
              (std::vector<std::string>{"2", "(1`1@10)+++(1`2@10)"}));
    EXPECT_EQ(ask("val TOLQ'ChngMark =((1`1@10)+++(1`2@10)):(T)  tms;").result, Result::Success);
    EXPECT_EQ(ask("TOLQ'legal_tms'T TOLQ'ChngMark;").result, Result::Success);
}

struct KindCase {
    const char* declaration;
    std::vector<std::string> rows;  // the colour table after it
    const char* colour_set;         // a colour set of it to mark
    const char* marking;
};

// Every colour-set kind, with its colour-table rows, and a marking of it
// that must read back through its own text.
const KindCase kKinds[] = {
    {"colorset U = unit;", {"U", "'U", "0"}, "U", "1`()"},
    {"colorset U = unit with none;", {"U", "'U", "0"}, "U", "2`none"},
    {"colorset B = bool;", {"B", "'B", "0"}, "B", "1`true++1`false"},
    {"colorset B = bool with (no, yes);", {"B", "'B", "0"}, "B", "1`yes++2`no"},
    {"colorset I = int with 1 .. 10;", {"I", "'I", "0"}, "I", "1`3++2`10"},
    {"colorset I = int;", {"I", "'I", "0"}, "I", "1`(~3)++1`0"},
    {"colorset R = real with 0.5 .. 2.5;", {"R", "'R", "0"}, "R", "1`1.5++1`2.0"},
    {"colorset S = string with \"a\" .. \"z\" length 0 .. 5;", {"S", "'S", "0"}, "S",
     "1`\"ab\"++1`\"\""},
    {"colorset S = string;", {"S", "'S", "0"}, "S", "1`\"a b\"++1`\"q\\\"\""},
    {"colorset E = enumerate red | green | blue;", {"E", "'E", "0"}, "E", "1`red++3`blue"},
    {"colorset E = with red | green;", {"E", "'E", "0"}, "E", "1`green"},
    {"colorset X = index ix with 1 .. 4;", {"X", "'X", "0"}, "X", "1`ix(1)++1`ix 4"},
    {"colorset I = int; colorset L = list I with 0 .. 3;", {"I", "'I", "0", "L", "'L", "0"}, "L",
     "1`[1,2]++1`[]"},
    {"colorset I = int; colorset S = string; colorset P = product I * S;",
     {"I", "'I", "0", "S", "'S", "0", "P", "'P", "0"}, "P", "1`(1,\"a\")++2`(~2,\"b c\")"},
    {"colorset I = int; colorset E = with a | b; colorset Rc = record n:I * e:E;",
     {"I", "'I", "0", "E", "'E", "0", "Rc", "'Rc", "0"}, "Rc", "1`{n=1,e=a}++1`{e=b,n=2}"},
    {"colorset I = int; colorset Un = union num:I + nothing;",
     {"I", "'I", "0", "Un", "'Un", "0"}, "Un", "1`num(~4)++1`nothing"},
    {"colorset I = int; colorset Big = subset I by (fn v => v > 2);",
     {"I", "'I", "0", "Big", "'Big", "0"}, "Big", "1`3++1`7"},
    {"colorset E = with a | b | c; colorset Some' = subset E with [a, c];",
     {"E", "'E", "0", "Some'", "'Some'", "0"}, "Some'", "1`c"},
    {"colorset Tm = time;", {"Tm", "'Tm", "0"}, "Tm", "1`5"},
    {"colorset E = with a | b; colorset D = E;", {"E", "'E", "0", "D", "'D", "0"}, "D", "1`b"},
    {"colorset N = IntInf with 0 .. 100000000000;", {"N", "'N", "0"}, "N", "1`99999999999"},
    {"colorset I = int with 0 .. 9\nvar i, j\nmsvar m\nalias J\ndeclare ms, ran;",
     {"I", "'I", "0", "J", "'J", "0"}, "J", "1`9"},
};

TEST_F(EvalLibTest, EveryColourSetKindIsDeclaredAndItsMarkingsReadBack) {
    int n = 100;
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.declaration);
        declare_ok(c.declaration);
        EXPECT_EQ(colour_table(), c.rows);
        const std::string cs = c.colour_set;
        const std::string im = std::to_string(n++);
        const Reply check = ask("TOLQ'Edit.CheckInitialMarking (false,\"" + im + "\",\"" + cs + "\");",
                                c.marking);
        ASSERT_EQ(check.result, Result::Success) << check.raw;
        const auto tok = values(ask("TOLQ'mkst_tok'" + cs + " (TOLQ'IM" + im + " ());").text);
        ASSERT_EQ(tok.size(), 2u);
        const Reply back = ask("val TOLQ'ChngMark =(" + tok[1] + "):(" + cs + ")  ms;");
        ASSERT_EQ(back.result, Result::Success) << tok[1] << "\n" << back.raw;
        EXPECT_EQ(ask("TOLQ'legal_ms'" + cs + " TOLQ'ChngMark;").result, Result::Success);
        EXPECT_EQ(values(ask("TOLQ'mkst_tok'" + cs + " TOLQ'ChngMark;").text), tok);
        const Reply ran = ask("TOLQ'legal_col'" + cs + " (ran'" + cs + " ());");
        EXPECT_NE(ran.text.find("val it = true"), std::string::npos) << ran.raw;
    }
}

TEST_F(EvalLibTest, IllegalColoursAreRefused) {
    declare_ok("colorset I = int with 1 .. 10; colorset E = with a | b | c;"
               "colorset SE = subset E with [a]; colorset S = string length 1 .. 2;");
    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (false,\"1\",\"I\");", "1`11").result,
              Result::ErrorClass);
    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (false,\"2\",\"SE\");", "1`b").result,
              Result::ErrorClass);
    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (false,\"3\",\"S\");", "1`\"abc\"").result,
              Result::ErrorClass);
    EXPECT_EQ(ask("TOLQ'Edit.CheckInitialMarking (false,\"4\",\"I\");", "1`\"x\"").result,
              Result::NotCompiled);
    EXPECT_NE(ask("TOLQ'Edit.CheckInitialMarking (false,\"5\",\"NOPE\");", "1`1").result,
              Result::Success);
    EXPECT_EQ(ask("TOLQ'Edit.CheckEmptyMarking (false,\"6\",\"I\");").result, Result::Success);
    EXPECT_EQ(values(ask("TOLQ'mkst_tok'I (TOLQ'IM6 ());").text),
              (std::vector<std::string>{"0", "empty"}));
}

struct BadCase {
    const char* declaration;
    Result result;
    const char* message;  // part of the reply
};

const BadCase kBad[] = {
    {"colorset C = foo;", Result::ErrorClass, "Unrecognized type"},
    {"colorset C = int with 1 ..;", Result::ErrorClass, "incomplete"},
    {"colorset C = product A * B;", Result::ErrorClass, "does not exist"},
    {"colorset C = enumerate a | a;", Result::ErrorClass, "twice"},
    {"colorset C = C;", Result::ErrorClass, "itself"},
    {"colorset C = index with 1 .. 3;", Result::ErrorClass, "index name is missing"},
    {"colorset C = record a:INT;", Result::ErrorClass, "does not exist"},
    {"colorset C = int with 1 .. 3 declare frobnicate;", Result::ErrorClass, "predeclared"},
    {"colorset C = time with 3;", Result::ErrorClass, "Unrecognized text"},
    {"var x : NOPE;", Result::ErrorClass, "Missing colorset"},
    {"var y;", Result::ErrorClass, "A variable must have a color-set"},
    {"colorset C = int; var 9x : C;", Result::ErrorClass, "Illegal variable name"},
    {"pageref p = 3;", Result::ErrorClass, "illegal in a global declaration node"},
    {"type t = int;", Result::ErrorClass, "Unrecognized text"},
    {"val x = (* never closed", Result::ErrorClass, "unclosed comment"},
    {"val s = \"never closed", Result::ErrorClass, "unclosed string"},
    {"local val a = 1 fun f x = x;", Result::ErrorClass, "Syntax error"},
    {"val x = 1 + \"a\";", Result::NotCompiled, "Error in declaration: val x = 1 + \"a\";"},
    {"colorset C = int with 1 .. \"z\";", Result::NotCompiled, "Error in declaration: colorset C"},
};

TEST_F(EvalLibTest, BadDeclarationsAreRefusedInTheDeclarationLanguagesTerms) {
    for (const BadCase& c : kBad) {
        SCOPED_TRACE(c.declaration);
        const Reply r = declare(c.declaration);
        EXPECT_EQ(r.result, c.result) << r.raw;
        EXPECT_NE(r.text.find(c.message), std::string::npos) << r.raw;
    }
    // The evaluator still works after all of them.
    declare_ok("colorset C = int;");
}

TEST_F(EvalLibTest, DeclarationsOfEveryOtherKindAreDefined) {
    declare_ok("fun f x = x + 1; val a = f 2; exception Boom of int; globref g = 5;\n"
               "statvar s = 0;\n"
               "local val q = 10 in fun h y = q + y end;\n"
               "(* val hidden = (* nested *) 1 *)\n"
               "definetime 3;\n"
               "val text = \"val and fun; in a string\";");
    const Reply r = ask("TOLQ'Edit.out_val (Int.toString (a + h 1 + !g + !s));");
    EXPECT_EQ(values(r.text), std::vector<std::string>{"19"}) << r.raw;
    EXPECT_EQ(ask("hidden;").result, Result::NotCompiled);
    // A temporary node adds to the global declarations.
    Reply temp = ask("TOLQ'Edit.ParseTempDecl();", "colorset C = int; val b = a + 1;");
    ASSERT_EQ(temp.result, Result::Success) << temp.raw;
    for (int i = 0; i < 3; ++i) ask("usestring[(TOLQ'Edit.DefineGlob())];");
    EXPECT_NE(ask("b;").text.find("val it = 4"), std::string::npos);
    EXPECT_EQ(colour_table(), (std::vector<std::string>{"C", "'C", "0"}));
}

TEST_F(EvalLibTest, LocalDeclarationsOpenAndCloseAPagesScope) {
    const Reply r = ask("usestring[(TOLQ'Edit.ParseLocDecl \"4\")];",
                        "(* val not_a_declaration = 1 *)\npageref counter = 0;\n"
                        "instref seen = \"none\";");
    ASSERT_EQ(r.result, Result::Success) << r.raw;
    EXPECT_EQ(ask("usestring[(TOLQ'EST4)];").result, Result::Success);
    EXPECT_NE(ask("(counter := 3; !counter);").text.find("val it = 3"), std::string::npos);
    EXPECT_NE(ask("!(#seen TOLQ'IRS4);").text.find("\"none\""), std::string::npos);
    EXPECT_EQ(ask("usestring[(TOLQ'ESF4)];").result, Result::Success);
    EXPECT_EQ(ask("!counter;").result, Result::NotCompiled);
    EXPECT_EQ(ask("usestring[(TOLQ'Edit.ParseLocDecl \"5\")];", "").result, Result::Success);
    EXPECT_EQ(ask("usestring[(TOLQ'EST5)];").result, Result::Success);
    EXPECT_EQ(ask("usestring[(TOLQ'Edit.ParseLocDecl \"6\")];", "val x = 1;").result,
              Result::ErrorClass);
}

TEST_F(EvalLibTest, GuardAndArcPartsForTheBindingCode) {
    const Reply g = ask("TOLQ'Edit.ParseGuard false;", "x = f y andalso y > 2 andalso (a, b) = g x");
    EXPECT_EQ(values(g.text), std::vector<std::string>{"2"});
    EXPECT_EQ(values(ask("TOLQ'Edit.GetS1Guard();").text), std::vector<std::string>{"x"});
    ask("TOLQ'Edit.StoreGuard();");
    EXPECT_EQ(values(ask("TOLQ'Edit.GetS1Guard();").text), std::vector<std::string>{"(a, b)"});
    ask("TOLQ'Edit.DisposeGuard();");
    EXPECT_TRUE(values(ask("TOLQ'Edit.GetS1Guard();").text).empty());
    EXPECT_EQ(values(ask("TOLQ'Edit.ParseGuard true;", "[x = 1, y > 2]").text),
              std::vector<std::string>{"1"});

    EXPECT_EQ(values(ask("TOLQ'Edit.ParseTExp  1;", "(x, y)").text),
              std::vector<std::string>{"(x, y)"});
    EXPECT_TRUE(values(ask("TOLQ'Edit.ParseTExp  2;", "").text).empty());
    ask("TOLQ'Edit.ParseMExp  1;", "1`x ++ 2`(y, z) ++ w");
    std::vector<std::string> seen;
    for (int i = 0; i < 10; ++i) {
        const auto v = values(ask("TOLQ'Edit.GetUSMCand();").text);
        if (v.empty()) break;
        seen.push_back(v[0]);
        ask(i == 1 ? "TOLQ'Edit.DisposeUSM();" : "TOLQ'Edit.StoreUSM();");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"x", "(y, z)", "w"}));
}

// Texts tolq passes on from the user are untrusted: none may end the
// evaluator, each gives an error reply or is accepted.
TEST_F(EvalLibTest, AnyTextGivesAReplyAndTheEvaluatorGoesOn) {
    const std::string texts[] = {
        "", "(((", ")", "\"", "colorset", "colorset = ;", "colorset C = list", "var : ;",
        "colorset C = union", "colorset C = record a", "colorset C = subset", "fun",
        std::string(3000, '('), "colorset C = int with 1 .. 3 timed untimed var",
        "colorset C = bool with (a", "#\"", "\t\r\n~~~`", "local in end",
    };
    for (const std::string& t : texts) {
        SCOPED_TRACE(t.substr(0, 40));
        const Reply r = declare(t);
        EXPECT_NE(r.result, Result::NoReply);
        for (const char* req : {"TOLQ'Edit.VarGuard ();", "TOLQ'Edit.CodeSegText ();",
                                "TOLQ'Edit.TransDelayText();", "TOLQ'Edit.ParseGuard false;",
                                "TOLQ'Edit.ParseMExp  1;", "TOLQ'Edit.VarInArc  \"1\";"}) {
            EXPECT_NE(ask(req, t).result, Result::NoReply) << req;
        }
    }
    EXPECT_EQ(ask("TOLQ'Edit.CheckGuard();").result != Result::NoReply, true);
    declare_ok("colorset C = int;");
}

} // namespace
} // namespace tolq::test::evaluator
