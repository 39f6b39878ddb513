// Conversion of declaration node texts: every kind of declaration read into
// entries and written back as region text, which reads back identically;
// refused texts with their messages; and what a failed node keeps.
#include "DeclFixture.h"

namespace {

struct TextCase {
    const char* name;
    const char* text;
    std::vector<std::string> regions;
};

class ConvertCaseTest : public DeclTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ConvertCaseTest, RegionTextsAreWrittenAndReadBackIdentically)
{
    std::vector<std::string> regions = convert(GetParam().text);
    ASSERT_EQ(regions, GetParam().regions) << ::testing::PrintToString(world().messages);
    // Each region's text, converted again in a fresh net, gives itself back.
    for (const std::string& text : regions) {
        TearDown();
        SetUp();
        std::vector<std::string> again = convert(text);
        ASSERT_FALSE(again.empty()) << text << " " << ::testing::PrintToString(world().messages);
        EXPECT_EQ(again.front(), text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Global, ConvertCaseTest,
    ::testing::Values(
        TextCase{"Int", "colorset INT = int with 1..10;", {"colorset INT = int with 1 .. 10;"}},
        TextCase{"ColorKeyword", "color B = bool with (no, yes);", {"colorset B = bool with (no, yes);"}},
        TextCase{"Unit", "colorset U = unit with e;", {"colorset U = unit with e;"}},
        TextCase{"Real", "colorset R = real with 1.5 .. 2.5;", {"colorset R = real with 1.5 .. 2.5;"}},
        TextCase{"String",
                 "colorset S = string with \"a\" .. \"z\" length 1 .. 5;",
                 {"colorset S = string with \"a\" .. \"z\" length 1 .. 5;"}},
        TextCase{"EnumerateByWith", "colorset E = with red | green|blue;", {"colorset E = enumerate red | green | blue;"}},
        TextCase{"Index", "colorset I = index id with 1 .. 4;", {"colorset I = index id with 1 .. 4;"}},
        TextCase{"List",
                 "colorset INT = int; colorset L = list INT with 0 .. 3;",
                 {"colorset INT = int;", "colorset L = list INT with 0 .. 3;"}},
        TextCase{"Product",
                 "colorset INT = int;\ncolorset P = product INT*INT;",
                 {"colorset INT = int;", "colorset P = product INT * INT;"}},
        TextCase{"Record",
                 "colorset A = int; colorset B = bool; colorset R = record a:A * b : B;",
                 {"colorset A = int;", "colorset B = bool;", "colorset R = record a:A * b:B;"}},
        TextCase{"Union",
                 "colorset A = int; colorset U = union x:A + y;",
                 {"colorset A = int;", "colorset U = union x:A + y;"}},
        TextCase{"SubsetByFunction",
                 "colorset A = int; fun even x = x mod 2 = 0; colorset S = subset A by even;",
                 {"colorset A = int;", "fun even x = x mod 2 = 0;", "colorset S = subset A by even;"}},
        TextCase{"SubsetByList",
                 "colorset E = with a | b | c; colorset S = subset E with [a,b, c];",
                 {"colorset E = enumerate a | b | c;", "colorset S = subset E with [a, b, c];"}},
        TextCase{"Time", "colorset T = time;", {"colorset T = time;"}},
        TextCase{"IntInf", "colorset BIG = IntInf with 0 .. 100;", {"colorset BIG = IntInf with 0 .. 100;"}},
        TextCase{"Timed", "colorset T2 = int timed;", {"colorset T2 = int timed;"}},
        TextCase{"ItemLines",
                 "colorset C = int with 1..3 timed var x, y msvar m alias C2 declare mkstr, size;",
                 {"colorset C = int with 1 .. 3 timed\nvar x, y\nmsvar m\nalias C2\ndeclare mkstr, size;"}},
        TextCase{"ColonlessVarJoinsColorSet", "colorset C = int; var x, y;", {"colorset C = int\nvar x, y;"}},
        TextCase{"VarWithColon", "colorset C = int; var z : C;", {"colorset C = int\nvar z;"}},
        TextCase{"MsVar", "colorset C = int; var z, w : C ms;", {"colorset C = int\nmsvar z, w;"}},
        TextCase{"DeclareMakesFollowUps",
                 "colorset C = int declare lt;",
                 {"colorset C = int\ndeclare lt;", "val lt'C = C.lt;"}},
        TextCase{"FunWithTypes", "fun f (x:int) : int = x + 1;", {"fun f (x:int) : int = x + 1;"}},
        TextCase{"FunClauses", "fun fac 0 = 1\n  | fac n = n * fac (n - 1);", {"fun fac 0 = 1\n  | fac n = n * fac (n - 1);"}},
        TextCase{"ValWithType", "val n : int = 5;", {"val n : int = 5;"}},
        TextCase{"ValBlanksCollapse", "val   v =    1  +   2 ;", {"val v = 1 + 2;"}},
        TextCase{"Globref", "globref g = 0;", {"globref g = 0;"}},
        TextCase{"StatvarKeepsName", "statvar s = 0;", {"statvar s;"}},
        TextCase{"Exception", "exception Oops;", {"exception Oops;"}},
        TextCase{"Use", "use \"lib.sml\";", {"use \"lib.sml\";"}},
        TextCase{"LocalBlock", "local val a = 1 in fun f x = a end;", {"local val a = 1 in fun f x = a end;"}},
        TextCase{"CommentsNestAndHideKeywords",
                 "(* fun hidden x = x *) val v = 1; (* note (* nested *) colorset *)",
                 {"val v = 1;\n(* note (* nested *) colorset *)"}},
        TextCase{"CommentOfColorSet", "colorset C = int; (* counts *)", {"colorset C = int;\n(* counts *)"}},
        TextCase{"DefinetimeDropped", "definetime 5; val v = 1;", {"val v = 1;"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeclTest, EntriesCarryTheParts)
{
    convert("colorset A = int; colorset R = record a:A * b:A timed; val v : int = 1;");
    SEDeclEntry* r = entryNamed("R");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(DECSKind(r), kCSRecord);
    EXPECT_EQ(DETimed(r), 1u);
    SEDeclEntry* v = entryNamed("v");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->head.subKind, kDEVal);
    EXPECT_STREQ(v->texts[0], "1");
    EXPECT_STREQ(v->texts[2], "int");
    SEDeclEntry* block = nullptr;
    convert("local val a = 1 in fun f x = a end");
    block = entryNamed("f");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->head.subKind, kDELocalBlock);
}

TEST_F(DeclTest, DuplicateOfSameTimingBecomesAlias)
{
    std::vector<std::string> regions = convert("colorset C = int; colorset D = C;");
    EXPECT_EQ(regions, (std::vector<std::string>{"colorset C = int\nalias D;"}));
    // With another timing it is a colour set of its own, and timed like C.
    regions = convert("colorset T = int timed; colorset E = T untimed;");
    EXPECT_EQ(regions, (std::vector<std::string>{"colorset T = int timed;", "colorset E = T;"}));
    regions = convert("colorset L = list T;");
    EXPECT_EQ(regions, (std::vector<std::string>{"colorset L = list T timed;"}));
}

TEST_F(DeclTest, RegionsStackBelowTheNodeAndTheNodeKeepsItsTop)
{
    uint32_t object = node("val a = 1;\nval b = 2;\nval c = 3;\nval d = 4;");
    Box before = boxOf(object);
    DEConvertNode(object);
    Box n = boxOf(object);
    EXPECT_EQ(textOf(object), "Global Declaration #1");
    EXPECT_EQ(n.w, before.w);
    EXPECT_EQ(n.top(), before.top()) << "top edge stays";
    Fixed bottom = n.bottom();
    for (SEDeclEntry* e : entries(object)) {
        Box r = boxOf(e->kvObject);
        EXPECT_EQ(ownerOf(e->kvObject), object);
        EXPECT_EQ(regionKindOf(e->kvObject), static_cast<uint32_t>(kDERegionKind));
        EXPECT_EQ(r.top(), bottom);
        EXPECT_EQ(lineStyleOf(e->kvObject), 3u) << "new entries are changed and unchecked";
        bottom = r.bottom();
    }
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val a = 1;", "val b = 2;", "val c = 3;", "val d = 4;"}));
}

TEST_F(DeclTest, LocalNodesTakeOnlyRefs)
{
    SEPage* p = page(world().page);
    uint32_t object = node("pageref p = 1; (* p is one *) instref q = 2;", kSEDeclLocal, p);
    DEConvertNode(object);
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"pageref p = 1;\n(* p is one *)", "instref q = 2;"}))
        << ::testing::PrintToString(world().messages);
    uint32_t bad = node("pageref p2 = 1; val x = 1;", kSEDeclLocal, p);
    DEConvertNode(bad);
    EXPECT_EQ(lastMessage(), "val Only pagerefs and instrefs be may declared in a local declaration node.");
    // Other keywords are refused even inside comments.
    world().messages.clear();
    uint32_t commented = node("pageref p3 = 1; (* fun *)", kSEDeclLocal, p);
    DEConvertNode(commented);
    EXPECT_EQ(lastMessage(), "fun Only pagerefs and instrefs be may declared in a local declaration node.");
    EXPECT_TRUE(isPlain(commented));
}

struct BadCase {
    const char* name;
    const char* text;
    const char* message;
};

class BadTextTest : public DeclTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadTextTest, NodeIsRefusedWithItsMessageAndRestored)
{
    uint32_t object = node(GetParam().text);
    Box before = boxOf(object);
    std::string textBefore = textOf(object);
    DEConvertNode(object);
    ASSERT_FALSE(world().messages.empty());
    EXPECT_EQ(world().messages.back(), GetParam().message);
    Box after = boxOf(object);
    EXPECT_EQ(textOf(object), textBefore);
    EXPECT_EQ(after.w, before.w);
    EXPECT_EQ(after.h, before.h);
    EXPECT_TRUE(isPlain(object));
    EXPECT_EQ(recordOf(object), nullptr);
    EXPECT_TRUE(regionsOf(object).empty()) << "no region stays";
    EXPECT_EQ(DEFindEntry(nullptr, "A", 3), nullptr) << "no entry stays";
}

INSTANTIATE_TEST_SUITE_P(
    Refused, BadTextTest,
    ::testing::Values(
        BadCase{"PagerefInGlobal", "colorset A = int; pageref p = 1;",
                "pageref : pagerefs and instrefs are illegal in a global declaration node."},
        BadCase{"PagerefEvenInComment", "colorset A = int; (* pageref *)",
                "pageref : pagerefs and instrefs are illegal in a global declaration node."},
        BadCase{"IndexWithoutName", "colorset A = int; colorset X = index with 1..3;", "X : The index name is missing."},
        BadCase{"ListWithoutElement", "colorset A = int; colorset X = list with 1..3;", "X : This declaration is incomplete."},
        BadCase{"SubsetWithoutBase", "colorset A = int; colorset X = subset by f;", "X : This declaration is incomplete."},
        BadCase{"BodyForTime", "colorset A = int; colorset X = time with 3;", "X : Unrecognized text in declaration."},
        BadCase{"BodyAfterTimed", "colorset A = int timed 5;", "A : Unrecognized text in declaration."},
        BadCase{"HalfRange", "colorset A = int with 1;", "Both the beginning and end of a range must be specified."},
        BadCase{"StringHalfLength", "colorset A = string with \"a\" .. \"z\" length 1;",
                "Both the beginning and end of a range must be specified."},
        BadCase{"TwoColorSets", "colorset A = int; colorset A = bool;", "A : A declaration with this name already exists."},
        BadCase{"TwoVals", "colorset A = int; val v = 1; val v = 2;", "v : A declaration with this name already exists."},
        BadCase{"IllegalName", "colorset A = int; colorset 1x = int;", "1x : This is an illegal TOLQ ML identifier."},
        BadCase{"ReservedName", "colorset A = int; val end = 1;", "end : This is an illegal TOLQ ML identifier."},
        BadCase{"OpenLet", "colorset A = int; val x = let val y = 1;", "Syntax error."},
        BadCase{"KeywordInsideBlock", "colorset A = int; local colorset B = int in fun f x = x end", "Syntax error."},
        BadCase{"NoKeyword", "hello world", "hello world : Unrecognized text in declaration."},
        BadCase{"VarOfUnknownSet", "colorset A = int; var x : NOPE;", "var x : NOPE; Missing colorset in var declaration."},
        BadCase{"VarNameTaken", "colorset A = int; var x, x : A;", "x : A declaration with this name already exists."},
        BadCase{"BadPredeclared", "colorset A = int declare mult;", "mult : This not a valid Predeclared Item Name."},
        BadCase{"RecordLabelTwice", "colorset A = int; colorset R = record a:A * a:A;",
                "a : A declaration with this name already exists."},
        BadCase{"ValWithoutEquals", "colorset A = int; val v;", "val v; : Unrecognized text in declaration."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeclTest, VarWithoutColorSetIsDroppedWithItsMessage)
{
    std::vector<std::string> regions = convert("var x, y; val v = 1;");
    EXPECT_EQ(regions, (std::vector<std::string>{"val v = 1;"}));
    EXPECT_EQ(world().messages.front(), "A variable must have a color-set");
}

TEST_F(DeclTest, DefinetimeShowsItsMessage)
{
    convert("val v = 1; definetime 5; val w = 2;");
    EXPECT_EQ(lastMessage(),
              "The 'definetime' declaration will not be converted. Please use Simulation Options to set the time.");
    EXPECT_NE(entryNamed("w"), nullptr);
}

TEST_F(DeclTest, EscapeEndsTheConversionAsFailure)
{
    world().stopAfterProgress = true;
    uint32_t object = node("val v = 1;");
    DEConvertNode(object);
    EXPECT_TRUE(isPlain(object));
    EXPECT_EQ(textOf(object), "val v = 1;");
}

TEST_F(DeclTest, RegionThatCannotBeMadeFailsTheNode)
{
    // The page refuses to become current for the selection before the
    // conversion and for the region, so the region has no page to go on.
    world().refusePageChanges = 2;
    uint32_t object = node("val v = 1;");
    DEConvertNode(object);
    EXPECT_EQ(world().messages.front(), "Could not create declaration region.");
    EXPECT_TRUE(isPlain(object));
}

TEST_F(DeclTest, ConvertDeclarationsTakesTheFirstGlobalNodeOnly)
{
    uint32_t temporary = node("val t = 1;", kSEDeclTemporary);
    uint32_t first = node("val a = 1;");
    uint32_t second = node("val b = 1;");
    (void)first;
    EXPECT_EQ(DEConvertDeclarations(), 1);
    // The root's list has the newest node first.
    EXPECT_NE(entryNamed("b"), nullptr);
    EXPECT_EQ(entryNamed("a"), nullptr);
    EXPECT_NE(entryNamed("t"), nullptr) << "the temporary node follows";
    EXPECT_EQ(textOf(second), "Global Declaration #3");
    (void)temporary;
}

TEST_F(DeclTest, NoGlobalTextConvertsNothingElse)
{
    node("");
    node("val t = 1;", kSEDeclTemporary);
    EXPECT_EQ(DEConvertDeclarations(), 0);
    EXPECT_EQ(entryNamed("t"), nullptr);
}

TEST_F(DeclTest, ConvertTextReadsTemporaryNodesWithLocalRules)
{
    uint32_t object = node("", kSEDeclTemporary);
    std::string text = "val v = 1;";
    uint32_t out = object;
    EXPECT_EQ(DEConvertText(text.data(), record(object), &out), 0);
    EXPECT_EQ(lastMessage(), "val Only pagerefs and instrefs be may declared in a local declaration node.");
}

TEST_F(DeclTest, MergeAppendsTextAndDeletesSource)
{
    uint32_t target = newObject("val a = 1;", 0, 0, 10, 10);
    uint32_t source = newObject("val b = 2;", 0, 0, 10, 10);
    EXPECT_EQ(DEMergeNodeText(source, target), 1);
    EXPECT_EQ(textOf(target), "val a = 1;\nval b = 2;");
    EXPECT_FALSE(exists(source));
}

TEST_F(DeclTest, ReconvertPutsTextIntoTheNodeQuietlyAndMakesNamesUnique)
{
    uint32_t object = node("val v = 1;");
    DEConvertNode(object);
    uint32_t text = newObject("val v = 2;", 0, 0, 10, 10);
    uint32_t at = entries(object).front()->kvObject;
    size_t shown = world().messages.size();
    EXPECT_EQ(DEReconvertNodeText(text, &at), 1);
    EXPECT_EQ(world().messages.size(), shown) << "quiet";
    EXPECT_EQ(regionTexts(object), (std::vector<std::string>{"val v = 1;", "val v'cpy = 2;"}));
    EXPECT_FALSE(exists(text));
}

} // namespace
