// Generated simulation code from small abstract nets, compiled and run by
// the real evaluator: page types and states, transition code, shared
// binding code; the sharing key and the multiset sum of one place's arcs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/ConvertToSim/CTSTransCode.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/QXMem.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

char* copy(const std::string& text)
{
    char* out = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(text.size() + 1)));
    std::memcpy(out, text.c_str(), text.size() + 1);
    return out;
}

// The editor's ML settings: a local evaluator from the built heap.
int localSettings(int, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile, char** runtime,
                  char**, uint32_t*, uint32_t)
{
    *local = 1;
    *host = nullptr;
    *port = 0;
    *image = copy(kHeap);
    *mlFile = copy("");
    *runtime = copy(kRuntime);
    return 1;
}

std::string text(MemFile* f)
{
    MemFileRewind(f);
    std::string out;
    for (int c = MemFileGetc(f); c >= 0; c = MemFileGetc(f))
        out += static_cast<char>(c);
    return out;
}

std::vector<std::string> values(const std::string& t)
{
    std::vector<std::string> out;
    for (size_t pos = 0;;) {
        size_t open = t.find('\006', pos);
        if (open == std::string::npos) break;
        size_t close = t.find('\006', open + 1);
        if (close == std::string::npos) break;
        out.push_back(t.substr(open + 1, close - open - 1));
        pos = close + 1;
    }
    return out;
}

std::string input(const std::string& t)
{
    std::string out;
    for (size_t at = 0; at < t.size(); at += 253)
        out += t.substr(at, 253) + "\006\n";
    return out + "\004\n";
}

class CodegenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SEInitPools();
        SEStart();
        ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
        root()->declHashTable = HashCreate(10, 2);
        CTSBeginRun(nullptr);
        CTSSetNameCounter(100);
    }
    void TearDown() override
    {
        CTSDropBindEntries();
        for (SETrans* t : trans_)
            t->codeSegment = nullptr;
        for (auto& s : segments_)
            LMDestroy(s->variables);
        for (auto& v : vars_) {
            se::freeText(v.first);
            se::freeText(v.second);
        }
        EXPECT_EQ(CTSStopEvaluator(), 1);
        SEFreeDB();
    }
    SERoot* root() { return SECurrentRoot(); }

    // Evaluates text (with input when given): result and reply.
    int16_t eval(const std::string& ml, std::string* reply = nullptr, const std::string& in = {}, bool withInput = false)
    {
        MemFile* rq = MemFileCreate();
        MemFile* rp = MemFileCreate();
        MemFile* ip = MemFileCreate();
        MemFileWrite(rq, ml.data(), static_cast<uint32_t>(ml.size()));
        MemFilePutc(rp, '\r');
        int16_t r;
        if (in.empty() && !withInput) {
            r = SMLEvaluate(rq, rp);
        } else {
            std::string i = input(in);
            MemFileWrite(ip, i.data(), static_cast<uint32_t>(i.size()));
            r = SMLEvaluateInput(rq, ip, rp);
        }
        if (reply) *reply = text(rp);
        MemFileDestroy(rq);
        MemFileDestroy(rp);
        MemFileDestroy(ip);
        return r;
    }
    std::vector<std::string> ok(const std::string& ml, const std::string& in = {}, bool withInput = false)
    {
        std::string reply;
        EXPECT_EQ(eval(ml, &reply, in, withInput), 0) << ml << "\n" << reply;
        return values(reply);
    }

    void declare(const std::string& decl, std::vector<std::pair<std::string, bool>> colourSets)
    {
        ok("TOLQ'Edit.ParseGlobDecl();\n", decl);
        for (int i = 0; i < 50; ++i) {
            auto v = ok("usestring[(TOLQ'Edit.DefineGlob())];\n");
            if (v.empty() || v.back() != "0") break;
        }
        for (auto& [name, timed] : colourSets) {
            auto* e = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
            *e = SETableEntry{se::copyText(name.c_str()), nullptr, timed ? 1u : 0u};
            HashStore(root()->declHashTable, e->key, e);
        }
    }

    SEPage* page(const char* ml)
    {
        SEPage* p = SECreatePage(next_++, kSEPortsNone);
        p->text = se::copyText(ml);
        p->modeFlags |= cts::kPageInSimulation;
        ok(std::string("usestring[(TOLQ'Edit.ParseLocDecl \"") + ml + "\")];\n", "", true);
        return p;
    }
    SEPlace* place(SEPage* pg, const char* ml, const char* cs, const char* marking)
    {
        SEPlace* p = SECreatePlace(pg, next_++);
        p->head.subKind = kSEPlain;
        p->text2 = se::copyText(ml);
        p->colourSet = se::copyText(cs);
        const bool timed = CTSIsTimed(&p->head) != 0;
        if (marking != nullptr) {
            p->initMark = se::copyText(marking);
            ok(std::string("TOLQ'Edit.CheckInitialMarking (") + (timed ? "true" : "false") + ",\"" + ml + "\",\"" +
                   cs + "\");\n",
               marking);
        }
        return p;
    }
    SETrans* trans(SEPage* pg, const char* ml, const char* guard = nullptr)
    {
        SETrans* t = SECreateTrans(pg, next_++);
        t->head.subKind = kSEPlain;
        t->mlName = se::copyText(ml);
        if (guard) t->guard = se::copyText(guard);
        trans_.push_back(t);
        return t;
    }
    SEArc* arc(SETrans* t, SEPlace* p, uint16_t dir, const char* ml, const char* expr)
    {
        SEArc* a = SECreateArc(t, p, next_++, dir);
        a->text = se::copyText(ml);
        a->expression = se::copyText(expr);
        auto* entry = reinterpret_cast<SECheckEntry*>(se::newRecord(kSECheckEntry));
        entry->text2 = se::copyText((std::string("9") + ml).c_str());
        entry->head.owner = &root()->head;
        se::pushRec(root()->simRecords13, &entry->head);
        a->link = &entry->head;
        a->flags |= cts::kArcNotConstant;
        return a;
    }
    // The syntax check's requests for one transition: variable table,
    // guard and arc functions; fills the records as the check does.
    void check(SETrans* t)
    {
        ok("TOLQ'Edit.VarTabInit();\n");
        std::vector<SEArc*> arcs;
        se::forEachRec(t->inputArcs, [&](SEHead* r) { arcs.push_back(reinterpret_cast<SEArc*>(r)); });
        const size_t inputs = arcs.size();
        se::forEachRec(t->outputArcs, [&](SEHead* r) { arcs.push_back(reinterpret_cast<SEArc*>(r)); });
        for (size_t i = 0; i < arcs.size(); ++i)
            ok(std::string("TOLQ'Edit.") + (i < inputs ? "VarInArc" : "VarOutArc") + "  \"" + cts::mlName(arcs[i]) +
                   "\";\n",
               arcs[i]->expression);
        if (t->guard) ok("TOLQ'Edit.VarGuard ();\n", t->guard);
        auto table = ok(std::string("usestring[(TOLQ'Edit.ReturnVarTabel \"") + cts::mlName(t) + "\")];\n");
        auto seg = std::make_unique<SECodeSegment>();
        for (size_t i = 0; i + 2 < table.size(); i += 3) {
            vars_.push_back({se::copyText(table[i].c_str()), se::copyText(table[i + 1].c_str()),
                             static_cast<int32_t>(std::stol(table[i + 2]))});
        }
        seg->variables = LMCreate(kLMValueList);
        for (size_t i = vars_.size() - table.size() / 3; i < vars_.size(); ++i)
            LMAppend(seg->variables, &vars_[i], nullptr);
        t->codeSegment = seg.get();
        segments_.push_back(std::move(seg));
        std::string r;
        eval("TOLQ'Edit.CheckGuard();\n", &r);
        for (size_t i = 0; i < arcs.size(); ++i) {
            SEArc* a = arcs[i];
            const bool timed = CTSIsTimed(&a->head) != 0;
            auto v = ok(std::string("TOLQ'Edit.CheckArc(") + (i >= inputs && timed ? "true" : "false") + ",\"" +
                        cts::mlName(a) + "\",\"" + cts::arcFunctionName(a) + "\",\"" + a->place->colourSet + "\");\n");
            if (i < inputs) a->half = (!v.empty() && v[0] == "0") ? 2 : 1;
        }
    }
    void switchPage(SEPage* p)
    {
        ok("TOLQ'Edit.DoDefinitions();\r");
        ASSERT_EQ(CTSDefinePageTypes(p), 1);
        ASSERT_EQ(CTSCreatePageStates(p), 1);
        se::forEachRec(p->transitions, [](SEHead* r) { EXPECT_EQ(CTSGenerateTransition(reinterpret_cast<SETrans*>(r)), 1); });
    }
    void instance(const std::string& i, SEPage* p, const std::vector<SETrans*>& ts)
    {
        const std::string pm = cts::mlName(p);
        ok("fun TOLQ'InitFS() = (());\n");
        ok("val TOLQ'IRS" + i + " = TOLQ'CRI" + pm + "();\n");
        ok("val TOLQ'PS" + i + "=TOLQ'CrPS" + pm + "()\nval TOLQ'IPS" + i + "=TOLQ'CrIPS" + pm + ";\n");
        ok("val TOLQ'TS" + i + "=TOLQ'CrTS" + pm + "();\n");
        std::string seq = "usestring[(\"val trans_seq = \"^\n";
        for (SETrans* t : ts)
            seq += std::string("\"[(\\\"T@(1:Top#1)\\\",\\\"") + cts::mlName(t) + "\\\",\\\"" + i + "\\\",\\\"" + pm +
                   "\\\",false,false,false)]^^\"^\n";
        seq += "\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n";
        ok(seq);
        ok("TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n");
    }
    std::vector<std::string> bindAll(const std::string& t, const std::string& i)
    {
        return ok("TOLQ'BF" + t + "(TOLQ'PS" + i + ",TOLQ'TS" + i + ",99999,TOLQ'EB" + t + ",false,true,());\n");
    }
    static std::string block(std::initializer_list<std::string> vs)
    {
        std::string out;
        for (const auto& v : vs) out += v + std::string(1, '\0');
        return out;
    }

    uint32_t next_ = 100;
    std::vector<SETrans*> trans_;
    std::vector<std::unique_ptr<SECodeSegment>> segments_;
    std::vector<SECodeVariable> vars_ = [] { std::vector<SECodeVariable> v; v.reserve(64); return v; }();
};

TEST_F(CodegenTest, ChainEnablesOccursAndBindsBothTokens)
{
    declare("colset INT = int; var x : INT;", {{"INT", false}});
    SEPage* p = page("4");
    SEPlace* a = place(p, "5", "INT", "1`1++1`2");
    SEPlace* b = place(p, "6", "INT", nullptr);
    SETrans* t = trans(p, "7");
    arc(t, a, kSEPlaceToTrans, "8", "x");
    arc(t, b, kSETransToPlace, "9", "x");
    check(t);
    switchPage(p);
    EXPECT_TRUE(p->flags & cts::kTypesMark);
    EXPECT_TRUE(t->flags & cts::kCodeMark);
    instance("13", p, {t});
    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $(1)});\n"), std::vector<std::string>{"1"});
    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $(7)});\n"), std::vector<std::string>{"0"});
    instance("14", p, {t});
    auto all = bindAll("7", "14");
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (std::vector<std::string>{block({"1"}), block({"2"})}));
}

TEST_F(CodegenTest, GuardAndASharedVariableAndAVariableFreeTransition)
{
    declare("colset INT = int; var x : INT; colset U = unit;", {{"INT", false}, {"U", false}});
    SEPage* p = page("4");
    SEPlace* a = place(p, "5", "INT", "1`1++1`2++1`3");
    SEPlace* c = place(p, "20", "INT", "1`2++1`3");
    SEPlace* b = place(p, "6", "INT", nullptr);
    SEPlace* u = place(p, "30", "U", "1`()");
    SEPlace* v = place(p, "31", "U", nullptr);
    SETrans* t = trans(p, "7", "x > 2");
    arc(t, a, kSEPlaceToTrans, "8", "x");
    arc(t, c, kSEPlaceToTrans, "10", "x");
    arc(t, b, kSETransToPlace, "9", "x");
    SETrans* plain = trans(p, "40");
    SEArc* in = arc(plain, u, kSEPlaceToTrans, "41", "()");
    in->flags &= ~cts::kArcNotConstant;
    arc(plain, v, kSETransToPlace, "42", "()");
    check(t);
    check(plain);
    switchPage(p);
    EXPECT_EQ(root()->simRecords12->count, 1) << "no entry for the transition without variables";
    instance("13", p, {t, plain});
    EXPECT_EQ(bindAll("7", "13"), std::vector<std::string>{block({"3"})});
    EXPECT_EQ(ok("TOLQ'CCF40(TOLQ'PS13,TOLQ'TS13,TOLQ'EB40);\n"), std::vector<std::string>{"1"});
    EXPECT_EQ(ok("TOLQ'CCF40(TOLQ'PS13,TOLQ'TS13,TOLQ'EB40);\n"), std::vector<std::string>{"0"})
        << "the one token was used";
}

TEST_F(CodegenTest, TwoConstantArcsFromOnePlaceAreSummedAsMultisets)
{
    declare("colset INT = int; var x : INT;", {{"INT", false}});
    SEPage* p = page("4");
    SEPlace* a = place(p, "5", "INT", "1`1++1`2");
    SEPlace* b = place(p, "6", "INT", nullptr);
    SETrans* t = trans(p, "7");
    for (const char* n : {"8", "10"}) {
        SEArc* c = arc(t, a, kSEPlaceToTrans, n, n[0] == '8' ? "1`1" : "1`2");
        c->flags &= ~cts::kArcNotConstant;
    }
    arc(t, b, kSETransToPlace, "9", "1`5");
    check(t);
    switchPage(p);
    instance("13", p, {t});
    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,TOLQ'EB7);\n"), std::vector<std::string>{"1"});
}

TEST_F(CodegenTest, TimedPlaceWithTwoArcsCompilesItsTimeCheck)
{
    declare("colset INT = int; colset TI = int timed; var x : TI; var y : TI;",
            {{"INT", false}, {"TI", true}, {"TIME", false}});
    SEPage* p = page("4");
    SEPlace* a = place(p, "5", "TI", "1`1++1`2");
    SEPlace* b = place(p, "6", "TI", nullptr);
    SETrans* t = trans(p, "7");
    arc(t, a, kSEPlaceToTrans, "8", "x");
    arc(t, a, kSEPlaceToTrans, "10", "y");
    arc(t, b, kSETransToPlace, "9", "x");
    check(t);
    ok("TOLQ'Sim.WithTime:=true;");
    switchPage(p);
    EXPECT_TRUE(t->flags & cts::kTimedMark);
    instance("13", p, {t});
    EXPECT_EQ(ok("TOLQ'CCF7(TOLQ'PS13,TOLQ'TS13,{x= $(1),y= $(2)});\n"), std::vector<std::string>{"1"});
}

TEST_F(CodegenTest, SharingKeySeparatesOutputOnlyVariablesAndIgnoresArcOrder)
{
    declare("colset INT = int; var x : INT; var y : INT;", {{"INT", false}});
    SEPage* p = page("4");
    SEPlace* a = place(p, "5", "INT", "1`1");
    SEPlace* c = place(p, "20", "INT", "1`1");
    SEPlace* b = place(p, "6", "INT", nullptr);
    SETrans* t1 = trans(p, "7");
    arc(t1, a, kSEPlaceToTrans, "8", "x");
    arc(t1, c, kSEPlaceToTrans, "11", "x+1");
    arc(t1, b, kSETransToPlace, "9", "x");
    SETrans* t2 = trans(p, "17");
    arc(t2, c, kSEPlaceToTrans, "21", "x+1");
    arc(t2, a, kSEPlaceToTrans, "18", "x");
    arc(t2, b, kSETransToPlace, "19", "x");
    SETrans* t3 = trans(p, "27");
    arc(t3, a, kSEPlaceToTrans, "28", "x");
    arc(t3, c, kSEPlaceToTrans, "31", "x+1");
    arc(t3, b, kSETransToPlace, "29", "y");
    check(t1);
    check(t2);
    check(t3);
    EXPECT_EQ(CTSBindKey(t1).substr(0, CTSBindKey(t1).find(";;")), CTSBindKey(t2).substr(0, CTSBindKey(t2).find(";;")));
    EXPECT_NE(CTSBindKey(t1), CTSBindKey(t3)) << "y is an output-only variable of t3";
    std::vector<CTSBindPlace> places;
    SECodeEntry* e1 = CTSFindBindCode(t1, &places);
    SECodeEntry* e3 = CTSFindBindCode(t3, &places);
    EXPECT_NE(e1, e3);
}

} // namespace
