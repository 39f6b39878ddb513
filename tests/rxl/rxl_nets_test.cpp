// The sibling tool's nets on the real kernel and abstract net: the building
// blocks with their inscription regions and records, the four generated
// nets with their ML templates, the marking pairs of selected places, the
// diagram's candidate lists, and the requests that reach them.
#include "RXLFixture.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "atolq/CEditor/RXLNets.h"
#include "atolq/ConvertToSim/CTSRXLSettings.h"
#include "atolq/CSimulator/SimRXLOptionsDialog.h"
#include "atolq/CEditor/RXLCandidates.h"
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLWire.h"
#include "xkv/kvud/UserData.h"
#include "xkv/select/Select.h"

namespace {

constexpr Fixed kUnit = 0x10000;

Fixed Px(int pixels) { return pixels * 0x8000; }

std::pair<Fixed, Fixed> Centre(ObjectHandle object)
{
    Fixed x = 0, y = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    return {x, y};
}

std::pair<Fixed, Fixed> Size(ObjectHandle object)
{
    Fixed w = 0, h = 0;
    QXRdAttr_GetSize(object, &w, &h);
    return {w, h};
}

bool Contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

using RXLBlocks = RXLNetTest;

TEST_F(RXLBlocks, PlaceHasItsNameColourSetAndMarkingAtTheirOffsets)
{
    ObjectHandle place = 0, cs = 0, im = 0;
    ASSERT_EQ(RXLMakePlace(page_, 0, 100 * kUnit, 80 * kUnit, "Lathe", "Resource", "1`(1,2)", &place, &cs, &im), 1);
    EXPECT_EQ(QXRdAttr_GetObjectType(place), 4u);
    EXPECT_EQ(Centre(place), std::make_pair(100 * kUnit, 80 * kUnit));
    EXPECT_EQ(Size(place), std::make_pair(10 * kUnit, 10 * kUnit));
    SEHead* record = Record(place);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kSEPlace);
    EXPECT_EQ(Str(SEGetName(record)), "Lathe");
    EXPECT_EQ(Str(SEGetColourSet(record)), "Resource");
    EXPECT_EQ(Str(SEGetInitMark(record)), "1`(1,2)");
    EXPECT_EQ(Centre(cs), std::make_pair(115 * kUnit, 95 * kUnit));
    EXPECT_EQ(Centre(im), std::make_pair(115 * kUnit, 65 * kUnit));
    EXPECT_EQ(RegionText(place, kRXLColourSet), "Resource");

    ObjectHandle bare = 0, bareMarking = 1;
    ASSERT_EQ(RXLMakePlace(page_, 1, 0, 0, "Queue", "Piece", nullptr, &bare, nullptr, &bareMarking), 1);
    EXPECT_EQ(bareMarking, 0u);
    EXPECT_EQ(RegionText(bare, kRXLMarking), "<none>");
}

TEST_F(RXLBlocks, TransitionHasGuardAndCodeAtItsCorners)
{
    ObjectHandle trans = 0, guard = 0, code = 0;
    ASSERT_EQ(RXLMakeTransition(page_, 0, 50 * kUnit, 60 * kUnit, 30 * kUnit, 14 * kUnit, "Work", "[x>0]",
                                "input (x);\naction\n();", &trans, &guard, &code),
              1);
    SEHead* record = Record(trans);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kSETrans);
    EXPECT_EQ(Str(SEGetName(record)), "Work");
    EXPECT_EQ(Str(SEGetGuard(record)), "[x>0]");
    EXPECT_EQ(Centre(guard), std::make_pair(80 * kUnit, 74 * kUnit));
    EXPECT_EQ(Centre(code), std::make_pair(80 * kUnit, 46 * kUnit));
    EXPECT_EQ(RegionText(trans, kRXLCode), "input (x);\naction\n();");

    ObjectHandle plain = 0, noGuard = 1, noCode = 1;
    ASSERT_EQ(RXLMakeTransition(page_, 1, 0, 0, 30 * kUnit, 14 * kUnit, nullptr, nullptr, nullptr, &plain, &noGuard,
                                &noCode),
              1);
    EXPECT_EQ(noGuard, 0u);
    EXPECT_EQ(noCode, 0u);
}

TEST_F(RXLBlocks, ArcCarriesItsInscriptionAtTheMidpoint)
{
    ObjectHandle place = 0, trans = 0, arc = 0, label = 0;
    ASSERT_EQ(RXLMakePlace(page_, 1, 20 * kUnit, 40 * kUnit, "P", "Int", nullptr, &place, nullptr, nullptr), 1);
    ASSERT_EQ(RXLMakeTransition(page_, 1, 80 * kUnit, 60 * kUnit, 30 * kUnit, 14 * kUnit, "T", nullptr, nullptr,
                                &trans, nullptr, nullptr),
              1);
    ASSERT_EQ(RXLMakeArc(page_, place, trans, 0, "1`x", &arc, &label), 1);
    SEHead* record = Record(arc);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, kSEArc);
    EXPECT_EQ(Str(SEGetArcExpr(record)), "1`x");
    EXPECT_EQ(Centre(label), std::make_pair(50 * kUnit, 50 * kUnit));
}

TEST_F(RXLBlocks, FailuresGiveZeroAndClearTheOutHandles)
{
    ObjectHandle arc = 7, label = 7;
    EXPECT_EQ(RXLMakeArc(page_, 999999, 999998, 0, "1`x", &arc, &label), 0);
    EXPECT_EQ(arc, 0u);
    EXPECT_EQ(label, 0u);
    ObjectHandle place = 7;
    EXPECT_EQ(RXLMakePlace(999999, 0, 0, 0, "P", "Int", nullptr, &place, nullptr, nullptr), 0);
    EXPECT_EQ(place, 0u);

    const std::string dir = home_ + "/reports";
    EXPECT_EQ(RXLMakeDirectory(dir.c_str()), 1);
    struct stat info {};
    EXPECT_EQ(stat(dir.c_str(), &info), 0);
    EXPECT_EQ(RXLMakeDirectory(dir.c_str()), 0);
    EXPECT_EQ(RXLMakeDirectory(nullptr), 0);
}

TEST_F(RXLBlocks, MarkingANodeNamesItAfterItsColourSet)
{
    struct Case {
        int kind;
        const char* colourSet;
    };
    for (const Case c : {Case{1, "Resource"}, Case{2, "Piece"}}) {
        ObjectHandle place = 0, cs = 0;
        ASSERT_EQ(RXLMakePlace(page_, 1, 40 * kUnit, 40 * kUnit, "", "Lathe", nullptr, &place, &cs, nullptr), 1);
        ASSERT_EQ(RXLMarkNode(place, c.kind, page_), 1);
        ObjectHandle name = 0;
        ASSERT_EQ(GE_GetRegion(place, kRXLName, &name), 1);
        EXPECT_EQ(Text(name), "Lathe");
        EXPECT_EQ(Centre(name), std::make_pair(60 * kUnit, 60 * kUnit));
        EXPECT_EQ(Text(cs), c.colourSet);
        EXPECT_EQ(Str(SEGetColourSet(Record(place))), c.colourSet);
        EXPECT_EQ(Str(SEGetName(Record(place))), "Lathe");
    }
    // A node without a colour-set region is refused.
    const ObjectHandle bare = QXStr_CreateNode(page_, 0, 0, 10 * kUnit, 10 * kUnit, 2);
    EXPECT_EQ(RXLMarkNode(bare, 1, page_), 0);
}

TEST(RXLMarkingPairs, FirstTwoElementsAreNumbers)
{
    struct Case {
        const char* marking;
        bool found;
        uint32_t first, second;
    };
    for (const Case c : {Case{"1`(12,34)", true, 12, 34}, Case{"(5, 6, 7)", true, 5, 6}, Case{"3,4", true, 3, 4},
                         Case{"1`7", false, 0, 0}, Case{"", false, 0, 0}}) {
        uint32_t a = 0, b = 0;
        EXPECT_EQ(RXLMarkingPair(c.marking, &a, &b), c.found) << c.marking;
        if (c.found) {
            EXPECT_EQ(a, c.first) << c.marking;
            EXPECT_EQ(b, c.second) << c.marking;
        }
    }
}

TEST_F(RXLBlocks, SelectedPlacesGiveTheirMarkingPairs)
{
    ObjectHandle a = 0, b = 0, c = 0, t = 0;
    ASSERT_EQ(RXLMakePlace(page_, 1, 0, 0, "A", "Int", "1`(3,4)", &a, nullptr, nullptr), 1);
    ASSERT_EQ(RXLMakePlace(page_, 1, 30 * kUnit, 0, "B", "Int", "1`9", &b, nullptr, nullptr), 1);
    ASSERT_EQ(RXLMakePlace(page_, 1, 60 * kUnit, 0, "C", "Int", "(7,8)", &c, nullptr, nullptr), 1);
    ASSERT_EQ(RXLMakeTransition(page_, 1, 90 * kUnit, 0, 20 * kUnit, 10 * kUnit, "T", nullptr, nullptr, &t, nullptr,
                                nullptr),
              1);
    const ObjectHandle group[] = {a, b, c, t};
    ASSERT_NE(QXStr_SetCurGroup(4, group), 0u);
    std::vector<uint32_t> pairs;
    EXPECT_EQ(RXLCollectIdPairs(&pairs), 1);
    EXPECT_EQ(pairs, (std::vector<uint32_t>{3, 4, 7, 8}));
    Select_Clear();
    EXPECT_EQ(RXLCollectIdPairs(&pairs), 0);
    EXPECT_TRUE(pairs.empty());
}

TEST_F(RXLBlocks, CandidateListsFollowTheHandleMapAndSetTheMode)
{
    const ObjectHandle root = QXStr_GetPageListHandle();
    const uint32_t first[] = {10, 11, 12, 13, 0xFFFFFFFFu};
    const uint32_t more[] = {20, 21, 0xFFFFFFFFu};
    ASSERT_EQ(UD_SetField(root, kRXLCandidatesTag, first, sizeof first), 1u);
    ASSERT_EQ(UD_SetField(root, kRXLMoreCandidatesTag, more, sizeof more), 1u);
    SSetRXLMode(0);
    RXLRemapDiagramLists([](ObjectHandle h) { return h + 100; });
    EXPECT_EQ(SInRXLMode(), 1);

    uint32_t read[5] = {};
    ASSERT_EQ(UD_GetField(root, kRXLCandidatesTag, read), 1u);
    EXPECT_EQ(std::vector<uint32_t>(read, read + 5), (std::vector<uint32_t>{110, 111, 112, 113, 0xFFFFFFFFu}));
    ASSERT_EQ(UD_GetField(root, kRXLMoreCandidatesTag, read), 1u);
    EXPECT_EQ(std::vector<uint32_t>(read, read + 3), (std::vector<uint32_t>{120, 121, 0xFFFFFFFFu}));

    ASSERT_EQ(UD_DeleteField(root, kRXLCandidatesTag), 1u);
    RXLRemapDiagramLists([](ObjectHandle h) { return h; });
    EXPECT_EQ(SInRXLMode(), 0);

}

// ---- generated nets ----

std::vector<std::string> Codes(ObjectHandle page, int32_t kind)
{
    std::vector<std::string> texts;
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXStr_GetNodeList(page, &count, &array);
    for (uint16_t i = 0; i < count; ++i) {
        ObjectHandle region = 0;
        if (GE_GetRegion(array[i], kind, &region) != 0 && region != 0)
            texts.push_back(GE_TextOf(region));
    }
    if (array != nullptr)
        QXMem_Free(array);
    return texts;
}

using RXLGenerators = RXLNetTest;

TEST_F(RXLGenerators, ReportPageHoldsThePieceAndTimeReports)
{
    RXLReportArgs args;
    args.x = 40 * kUnit;
    args.y = 40 * kUnit;
    args.flag = 1;
    args.pieceLimit = "100";
    args.returnInscription = "1`(rid,rn)";
    args.sizeExpression = "sz";
    args.reportMode = "1`1";
    RXLReportPage made;
    EXPECT_EQ(RXLBuildReportPage(args, &made), 1);
    ASSERT_NE(made.page, 0u);
    char name[256] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    QXRdAttr_GetPageAttr(made.page, name, &number, &width, &height, &border);
    EXPECT_STREQ(name, "REPORT");
    EXPECT_EQ(width, 726);
    EXPECT_EQ(height, 548);
    ASSERT_NE(Record(made.page), nullptr);
    EXPECT_EQ(Named(made.page, "Pieces"), std::vector<ObjectHandle>{made.pieces});
    EXPECT_EQ(Named(made.page, "TotPieces"), std::vector<ObjectHandle>{made.totalPieces});
    EXPECT_EQ(Named(made.page, "Return Res."), std::vector<ObjectHandle>{made.returnResources});
    EXPECT_EQ(Named(made.page, "TimeRep scheduler"), std::vector<ObjectHandle>{made.scheduler});
    EXPECT_EQ(Named(made.page, "compute tot time"), std::vector<ObjectHandle>{made.computeTime});
    EXPECT_EQ(Named(made.page, "go").size(), 2u);
    EXPECT_EQ(Named(made.page, "size").size(), 3u);
    EXPECT_EQ(made.timeRepSet, 0u);
    EXPECT_EQ(Str(SEGetColourSet(Record(made.scheduler))), "ModelTime");
    EXPECT_EQ(Str(SEGetColourSet(Record(Named(made.page, "local_size")[0]))), "Int");
    EXPECT_EQ(Str(SEGetInitMark(Record(Named(made.page, "TimeRep=0/PieceRep=1")[0]))), "1`1");

    EXPECT_EQ(Str(SEGetCode(Record(made.computeTime))),
              "input (total_pieces,pt1,t,t1);\naction\n"
              " (QXUI_SetStatusBarMessage (\"Processed Pieces: \" ^ makestring (total_pieces + 1)"
              "^\"  Time: \" ^ makestring (floor(time())) ^"
              " implode(take 4 (drop 1 (explode(makestring(time() - real(floor(time()))))))));"
              "RXL'update_total_elapsed_time (pt1,t,t1));");
    const ObjectHandle report = Named(made.page, "Make Time reports")[0];
    EXPECT_EQ(Str(SEGetGuard(Record(report))),
              "[(tm TOLQ'RXL.TimeReports) andalso (tm TOLQ'RXL.StopTimeVal)>=Time()]");
    EXPECT_EQ(Str(SEGetCode(Record(report))),
              "input (total_pieces);\naction\n"
              " (QXUI_SetStatusBarMessage (\"Processed Pieces: \" ^ makestring (total_pieces)"
              "^\"  Time: \" ^ makestring (floor(time())) ^"
              " implode(take 4 (drop 1 (explode(makestring(time() - real(floor(time())))))))));");
    EXPECT_EQ(Str(SEGetCode(Record(Named(made.page, "Average")[0]))),
              "input (total_pieces);\naction\ntcount := total_pieces;\ntdoc_proc_count := !tdoc_count - !tcount;");

    const auto arcs = ArcExpressions(made.page);
    for (const char* text :
         {"1`(id,pt1,inpt1,t1,pr1,sz1,szmi1,af1,at1)", "1`(id,pt,inpt,t,pr,sz,szmi,af,at)", "1`1", "1`total_pieces",
          "1`t", "1`(Time())@+(tm TOLQ'RXL.TimeIntervalVal)", "1`0", "1`id", "1`(total_pieces + 1)", "1`(rid,rn)",
          " [ ((total_pieces+ 1) = 100) orelse MakeTempRep(total_pieces) ] %1",
          " [ ((total_pieces+ 1) = 100) orelse MakeTempRep(total_pieces) ] % (total_pieces + 1)",
          " [ not ((total_pieces + 1 = 100) orelse MakeTempRep(total_pieces))] % 1"})
        EXPECT_TRUE(Contains(arcs, text)) << text;
}

TEST_F(RXLGenerators, SizeColourSetFollowsTheSizeExpression)
{
    struct Case {
        const char* expression;
        const char* colourSet;
    };
    for (const Case c : {Case{"sz", "Int"}, Case{"(sz,szmi)", "MS_Sizes"}}) {
        RXLReportArgs args;
        args.flag = 1;
        args.sizeExpression = c.expression;
        RXLReportPage made;
        RXLBuildReportPage(args, &made);
        ASSERT_FALSE(Named(made.page, "local_size").empty());
        EXPECT_EQ(Str(SEGetColourSet(Record(Named(made.page, "local_size")[0]))), c.colourSet);
        // Without a report mode the switch place has no marking.
        EXPECT_EQ(Str(SEGetInitMark(Record(Named(made.page, "TimeRep=0/PieceRep=1")[0]))), "<none>");
    }
}

TEST_F(RXLGenerators, IdleResourceNetReleasesTheResource)
{
    ObjectHandle socket = 0, super = 0;
    ASSERT_EQ(RXLMakePlace(page_, 1, 0, 0, "Lathe", "Resource", nullptr, &socket, nullptr, nullptr), 1);
    ASSERT_EQ(RXLMakeTransition(page_, 1, 40 * kUnit, 0, 20 * kUnit, 10 * kUnit, "Machine", nullptr, nullptr, &super,
                                nullptr, nullptr),
              1);
    RXLResourceIdleArgs args;
    args.page = page_;
    args.x = 100 * kUnit;
    args.y = 100 * kUnit;
    args.flag = 1;
    args.resource = "LatheNumber1";
    args.expressions[0] = "e1";
    args.expressions[1] = "e2";
    args.expressions[2] = "1`e3";
    args.expressions[3] = "e4";
    EXPECT_EQ(RXLBuildResourceIdle(args), 1);
    const auto resources = Named(page_, "LatheNumber1");
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(SEGetSubKind(Record(resources[0])), kSEPortGeneral);
    SEHead* set = SEGetFusSet(Record(resources[1]));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(Str(SEGetName(set)), "LatheNum");
    const auto idle = Named(page_, "IDLE_LatheNumber1");
    ASSERT_EQ(idle.size(), 1u);
    EXPECT_EQ(Str(SEGetCode(Record(idle[0]))),
              "input (rn,art,crn);\naction\nRXL'update_idle_time (rn,art);RXL'update_idle_cost (rn,art,crn);");
    const auto arcs = ArcExpressions(page_);
    for (const char* text :
         {"1`(rid,rn,art,rmt,srn,crn,xx) @ ignore", "1`(rid,rn,art,rmt,srn,crn,xx)",
          "1`(rid,rn,Time(),rmt,srn,crn,xx)", "1`(rid,rn,art,rmt,srn,crn,xx) @+ (art -time ())", "1`(e1)", "1`(e2)",
          "1`e3", "[(RXL'totalLatheNumber1  - 1) > 0] %(e4)", "[(RXL'totalLatheNumber1 - 1 ) = 0] % (e4)"})
        EXPECT_TRUE(Contains(arcs, text)) << text;
}

TEST_F(RXLGenerators, ResourceAndPieceListsKeepTheirOrder)
{
    RXLListArgs resources;
    resources.page = page_;
    resources.flag = 1;
    resources.name = "Drill";
    resources.expressions[0] = "a";
    resources.expressions[1] = "b";
    resources.expressions[2] = "c";
    EXPECT_EQ(RXLBuildResourceList(resources), 1);
    EXPECT_EQ(Named(page_, "add time tags").size(), 2u);
    const auto codes = Codes(page_, kRXLCode);
    EXPECT_TRUE(Contains(codes, "input rl;\noutput art1;\naction\n(if (rl <> nil)\nthen\n"
                                "let val (rid,rn,art,rmt,srn,crn,xx) = hd rl;\nin art-Time() end\nelse 0.0);"));
    EXPECT_TRUE(Contains(codes, "input rl;\noutput rmt1;\naction\n(if (rl <> nil)\nthen\n"
                                "let val (rid,rn,art,rmt,srn,crn,xx) = hd rl;\nin rmt-Time() end\nelse 0.0);"));
    EXPECT_TRUE(Contains(codes, "input (rid,rn,art,crn,xx,rl,rmt);\noutput (rmt1,rl_new);\naction\n"
                                "RXL'update_idle_time (rn,art);RXL'update_idle_cost (rn,art,crn);\n"
                                "TransferSequencingInfo(rid,rn,xx,rl,rmt);"));
    EXPECT_TRUE(Contains(Codes(page_, kRXLGuard), "[if !TOLQ'RXL.NoRemIfSeq then xx = [] else true]"));
    auto arcs = ArcExpressions(page_);
    for (const char* text :
         {"(1-rid)`ResourceArrSort(ms_to_list(RXL'Drill_ms))", "(1-rid)`ResourceRemSort(ms_to_list(RXL'Drill_ms))",
          "1`((rid,rn,art,rmt,srn,crn,xx)::rl) @+ art", "1`((rid,rn,art,rmt,srn,crn,xx)::rl)", "1`(resource::rl)",
          "1`resource", "1`rl@+art1", "1`((rid,rn,art,rmt,srn,crn,xx)::rl) @+ rmt", "[rl<>nil]%rl@+rmt1",
          "1`(rid,rn,art1,rmt,srn,crn,xx1)", "1`(rid,rn,art,rmt,srn,crn,xx)", "1`(rl_new)@+rmt1", "1`(rl)@ignore",
          "1`(a)", "1`(b)", "1`(c)"})
        EXPECT_TRUE(Contains(arcs, text)) << text;

    RXLListArgs pieces;
    pieces.page = page_;
    pieces.x = 300 * kUnit;
    pieces.flag = 1;
    pieces.name = "Gear";
    pieces.expressions[0] = "1`piece";
    EXPECT_EQ(RXLBuildPieceList(pieces), 1);
    const auto gears = Named(page_, "Gear");
    std::vector<std::string> sets;
    for (const ObjectHandle g : gears)
        sets.push_back(Str(SEGetColourSet(Record(g))));
    std::sort(sets.begin(), sets.end());
    EXPECT_EQ(sets, (std::vector<std::string>{"Piece", "Piece_List", "Piece_List_Timed"}));
    EXPECT_TRUE(Contains(Codes(page_, kRXLCode),
                         "input pl;\noutput t1;\naction\n(if (pl <> nil)\nthen\n"
                         "let val (id,pt,inpt,t,pr,sz,szmi,af,af1) = hd pl;\nin t-Time() end\nelse 0.0);"));
    arcs = ArcExpressions(page_);
    for (const char* text : {"(1-rid)`(PieceSort(ms_to_list(RXL'Gear_ms)))",
                             "1`((id,pt,inpt,t,pr,sz,szmi,af,af1)::pl) @+ t", "1`((id,pt,inpt,t,pr,sz,szmi,af,af1)::pl)",
                             "[pl<>nil]%pl@+t1", "1`piece"})
        EXPECT_TRUE(Contains(arcs, text)) << text;
}

// ---- the evaluator's requests ----

class Request {
public:
    explicit Request(uint32_t code) { u32(code); }
    Request& u32(uint32_t w)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes_.push_back(static_cast<uint8_t>(w >> shift));
        return *this;
    }
    Request& str(const std::string& s)
    {
        u32(static_cast<uint32_t>(s.size()));
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    std::vector<uint8_t> cut(size_t drop) const { return {bytes_.begin(), bytes_.end() - static_cast<long>(drop)}; }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t index)
{
    const size_t at = index * 4;
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) |
           bytes[at + 3];
}

using RXLRequests = RXLNetTest;

TEST_F(RXLRequests, PlaceTransitionAndArcAreAnsweredWithTheirHandles)
{
    RXLInstallRequests();
    SMLWireOut reply;
    Request place(15006);
    place.u32(page_).u32(1).u32(40).u32(40).str("Buffer").str("Piece").str("");
    ASSERT_EQ(SMLGramSwitch(place.bytes(), reply), 0);
    ASSERT_EQ(reply.bytes().size(), 16u);
    EXPECT_EQ(WordAt(reply.bytes(), 0), 1u);
    const ObjectHandle p = WordAt(reply.bytes(), 1);
    EXPECT_EQ(Centre(p), std::make_pair(Px(40), Px(40)));
    EXPECT_EQ(WordAt(reply.bytes(), 3), 0u);  // no marking text, no region

    Request trans(15007);
    trans.u32(page_).u32(1).u32(200).u32(40).u32(60).u32(28).str("Assemble").str("").str("input ();");
    ASSERT_EQ(SMLGramSwitch(trans.bytes(), reply), 0);
    const ObjectHandle t = WordAt(reply.bytes(), 1);
    EXPECT_EQ(WordAt(reply.bytes(), 2), 0u);
    EXPECT_NE(WordAt(reply.bytes(), 3), 0u);

    Request arc(15005);
    arc.u32(page_).u32(p).u32(t).u32(1).str("1`p");
    ASSERT_EQ(SMLGramSwitch(arc.bytes(), reply), 0);
    ASSERT_EQ(reply.bytes().size(), 12u);
    EXPECT_EQ(WordAt(reply.bytes(), 0), 1u);
    EXPECT_EQ(Str(SEGetArcExpr(Record(WordAt(reply.bytes(), 1)))), "1`p");
}

TEST_F(RXLRequests, ShortOrOverCountedRequestsAreRefusedAndBuildNothing)
{
    RXLInstallRequests();
    SMLWireOut reply;
    const size_t before = Nodes(page_).size();
    Request place(15006);
    place.u32(page_).u32(1).u32(40).u32(40).str("Buffer").str("Piece").str("1`1");
    EXPECT_EQ(SMLGramSwitch(place.cut(2), reply), -1);
    // A text count beyond the request's end.
    Request longText(15006);
    longText.u32(page_).u32(1).u32(40).u32(40).u32(1000000).u32(0);
    EXPECT_EQ(SMLGramSwitch(longText.bytes(), reply), -1);
    // 15009: a word count that the request cannot hold.
    Request marks(15009);
    marks.u32(3000).u32(1).u32(1).u32(1);
    EXPECT_EQ(SMLGramSwitch(marks.bytes(), reply), -1);
    Request notTriples(15009);
    notTriples.u32(2).u32(1).u32(1);
    EXPECT_EQ(SMLGramSwitch(notTriples.bytes(), reply), -1);
    EXPECT_EQ(Nodes(page_).size(), before);
}

TEST_F(RXLRequests, ReportPageAnswersSevenWordsAndPairsTheirCount)
{
    RXLInstallRequests();
    SMLWireOut reply;
    Request report(15010);
    report.u32(30).u32(30).u32(1).str("10").str("1`r").str("sz").str("");
    ASSERT_EQ(SMLGramSwitch(report.bytes(), reply), 0);
    ASSERT_EQ(reply.bytes().size(), 28u);
    const ObjectHandle page = WordAt(reply.bytes(), 0);
    EXPECT_EQ(Named(page, "Pieces"), std::vector<ObjectHandle>{WordAt(reply.bytes(), 1)});

    Request pairs(15015);
    ASSERT_EQ(SMLGramSwitch(pairs.bytes(), reply), 0);
    EXPECT_EQ(reply.bytes().size(), 4u);
    EXPECT_EQ(WordAt(reply.bytes(), 0), 0u);
}

} // namespace

namespace {

using RXLPieceWalk = RXLNetTest;

// A net place on the fixture's page.
ObjectHandle PlaceAt(ObjectHandle page, int32_t x)
{
    const ObjectHandle node = QXStr_CreateNode(page, x * kUnit, 0, 10 * kUnit, 10 * kUnit, 2);
    EXPECT_EQ(EE_CreateNetPlace(node), 1);
    return node;
}

TEST_F(RXLPieceWalk, StoredCandidatesTurnTheModeOnAndFlaggedOnesBecomePieces)
{
    const ObjectHandle a = PlaceAt(page_, 0);
    // A node without a net place is kept in the list but never asked
    // about, so it takes no flag.
    const ObjectHandle plain = QXStr_CreateNode(page_, 20 * kUnit, 0, 10 * kUnit, 10 * kUnit, 2);
    const ObjectHandle b = PlaceAt(page_, 40);
    const ObjectHandle c = PlaceAt(page_, 60);
    SSetRXLMode(0);
    const ObjectHandle first[] = {a, plain, b};
    SStorePieceCandidates(page_, first, 1, 0);
    EXPECT_EQ(SInRXLMode(), 0);  // nothing is stored before the finishing call
    SStorePieceCandidates(page_, std::span<const ObjectHandle>{}, 1, 1);
    const ObjectHandle second[] = {c};
    SStorePieceCandidates(page_, second, 0, 1);
    EXPECT_EQ(SInRXLMode(), 1);
    uint32_t words[8] = {};
    ASSERT_EQ(UD_GetField(QXStr_GetPageListHandle(), kRXLCandidatesTag, words), 1u);
    EXPECT_EQ(std::vector<uint32_t>(words, words + 8),
              (std::vector<uint32_t>{page_, a, page_, plain, page_, b, 0xFFFFFFFFu, 0xFFFFFFFFu}));
    // The marking queries leave the plain node out.
    EXPECT_EQ(cts::rxl::markingQueries(kRXLCandidatesTag).size(), 2u);

    // Flags follow the asked candidates of 0xF904, then those of 0xF905;
    // extra flags do nothing.
    const uint32_t flags[] = {1, 0, 1, 1};
    SSetPieces(flags);
    ASSERT_EQ(SPieceCount(), 2u);
    EXPECT_EQ(SPieceAt(0), std::make_pair(page_, a));
    EXPECT_EQ(SPieceAt(1), std::make_pair(page_, c));
    EXPECT_EQ(SShowFirstPiece(), 1);
    EXPECT_EQ(SFindPreviousPiece(), 0);
    EXPECT_EQ(SCurrentPiece(), 0u);
    EXPECT_EQ(SFindNextPiece(), 1);
    EXPECT_EQ(SCurrentPiece(), 1u);
    // At the last piece the walk stays.
    EXPECT_EQ(SFindNextPiece(), 0);
    EXPECT_EQ(SCurrentPiece(), 1u);
    SDropPieces();
    EXPECT_EQ(SPieceCount(), 0u);
    EXPECT_EQ(SFindNextPiece(), 0);
}

TEST_F(RXLPieceWalk, RequestsStoreCandidatesAndFlagPieces)
{
    RXLInstallRequests();
    const ObjectHandle a = PlaceAt(page_, 0);
    SMLWireOut reply;
    Request store(15018);
    store.u32(page_).u32(1).u32(1).u32(1).u32(a);
    ASSERT_EQ(SMLGramSwitch(store.bytes(), reply), 0);
    Request flags(15017);
    flags.u32(1).u32(1);
    ASSERT_EQ(SMLGramSwitch(flags.bytes(), reply), 0);
    EXPECT_EQ(SPieceCount(), 1u);
    // A list longer than the request is refused.
    Request longList(15017);
    longList.u32(500).u32(1);
    EXPECT_EQ(SMLGramSwitch(longList.bytes(), reply), -1);
    SDropPieces();
}

// The analysis options as "OK" of their dialog checks them: a record with
// the fields of the case, the message of the first failure or 0.
struct OptionsCase {
    const char* name;
    int32_t timeReports;
    int32_t pieceReports;
    const char* timeUnits;
    std::array<const char*, 3> times;
    std::array<const char*, 3> pieces;
    int16_t problem;
    const char* stopAfter;
};

TEST_F(RXLNetTest, AnalysisOptionsAreCheckedLikeTheirDialog)
{
    const OptionsCase cases[] = {
        {"defaults", 0, 1, "Minutes", {"0.0", "10000.0", "100.0"}, {"0", "NEVER", "100"}, 0, "NEVER"},
        {"no time units", 0, 0, "", {"", "", ""}, {"", "", ""}, 11426, ""},
        {"integer time start", 1, 0, "Minutes", {"5", "10.0", "1.0"}, {"", "", ""}, 11427, ""},
        {"time reports off take anything", 0, 0, "Minutes", {"x", "", ""}, {"", "", ""}, 0, ""},
        {"empty stop becomes NEVER", 0, 1, "Minutes", {"", "", ""}, {"0", "", "10"}, 0, "NEVER"},
        {"integer stop", 0, 1, "Minutes", {"", "", ""}, {"0", "500", "10"}, 0, "500"},
        {"word as stop", 0, 1, "Minutes", {"", "", ""}, {"0", "never", "10"}, 11428, "never"},
        {"real interval", 0, 1, "Minutes", {"", "", ""}, {"0", "NEVER", "1.5"}, 11428, "NEVER"},
        {"no piece start", 0, 1, "Minutes", {"", "", ""}, {"", "NEVER", "1"}, 11428, "NEVER"},
    };
    for (const OptionsCase& c : cases) {
        SRXLOptions record{};
        record[cts::rxl::kTimeReportsWord] = c.timeReports;
        record[cts::rxl::kPieceReportsWord] = c.pieceReports;
        SSetRXLOptionText(record, cts::rxl::kTimeUnitsOffset, cts::rxl::kUnitsSize, c.timeUnits);
        for (uint32_t i = 0; i < 3; ++i) {
            SSetRXLOptionText(record, cts::rxl::kTimeTextsOffset + i * 32, 32, c.times[i]);
            SSetRXLOptionText(record, cts::rxl::kPieceTextsOffset + i * 32, 32, c.pieces[i]);
        }
        EXPECT_EQ(SRXLOptionsProblem(record), c.problem) << c.name;
        EXPECT_EQ(SRXLOptionText(record, cts::rxl::kPieceTextsOffset + 32, 32), c.stopAfter) << c.name;
    }
}

TEST_F(RXLNetTest, AnalysisOptionTextsStayInsideTheirFields)
{
    SRXLOptions record{};
    SSetRXLOptionText(record, cts::rxl::kCostUnitsOffset, cts::rxl::kUnitsSize, std::string(40, 'c'));
    SSetRXLOptionText(record, cts::rxl::kTimeTextsOffset, 32, "1.0");
    EXPECT_EQ(SRXLOptionText(record, cts::rxl::kCostUnitsOffset, cts::rxl::kUnitsSize), std::string(19, 'c'));
    EXPECT_EQ(SRXLOptionText(record, cts::rxl::kTimeTextsOffset, 32), "1.0");
    // A field that would reach past the record is neither read nor written.
    SSetRXLOptionText(record, 250, 32, "outside");
    EXPECT_EQ(SRXLOptionText(record, 250, 32), "");
    // The built-in record reads as the texts it was given.
    ASSERT_NE(DefCopyRXLOptions(reinterpret_cast<const void*>(1), record.data()), 0);
    EXPECT_EQ(SRXLOptionText(record, cts::rxl::kTimeUnitsOffset, cts::rxl::kUnitsSize), "Minutes");
    EXPECT_EQ(SRXLOptionText(record, cts::rxl::kPieceTextsOffset + 32, 32), "NEVER");
}

} // namespace
