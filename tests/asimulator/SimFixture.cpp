// The fixture's net building, check and switch, as the syntax check and the
// code generator do them, against the real evaluator.
#include "SimFixture.h"

#include <algorithm>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSResetState.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSBindCode.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/ConvertToSim/CTSTransCode.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/QXMem.h"

namespace simtest {
namespace {

const std::string kRuntime = TOLQ_BIN_DIR "/run.x86-linux";
const std::string kHeap = TOLQ_BIN_DIR "/tolq.ML";

char* copy(const std::string& t)
{
    char* out = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(t.size() + 1)));
    std::memcpy(out, t.c_str(), t.size() + 1);
    return out;
}

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

std::string input(const std::string& t)
{
    std::string out;
    for (size_t at = 0; at < t.size(); at += 253)
        out += t.substr(at, 253) + "\006\n";
    return out + "\004\n";
}

} // namespace

std::string text(MemFile* f)
{
    MemFileRewind(f);
    std::string out;
    for (int c = MemFileGetc(f); c >= 0; c = MemFileGetc(f))
        out += static_cast<char>(c);
    MemFileRewind(f);
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

std::string block(std::initializer_list<std::string> vs)
{
    std::string out;
    for (const auto& v : vs) out += v + std::string(1, '\0');
    return out;
}

void SimFixture::SetUp()
{
    SEInitPools();
    SEStart();
    ASSERT_EQ(CTSStartEvaluator(localSettings), 1);
    root()->declHashTable = HashCreate(10, 2);
    CTSBeginRun(nullptr);
    CTSSetNameCounter(100);
    ASForgetWithCode();
    ASPendingGranularity() = -1;
    ASObservationDeferred() = false;
    se::destroyList(ASDeferredModeChanges());
}

void SimFixture::TearDown()
{
    CTSClearTimeLists();
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

SERoot* SimFixture::root() { return SECurrentRoot(); }

int16_t SimFixture::eval(const std::string& ml, std::string* reply, const std::string& in, bool withInput)
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

std::vector<std::string> SimFixture::ok(const std::string& ml, const std::string& in, bool withInput)
{
    std::string reply;
    EXPECT_EQ(eval(ml, &reply, in, withInput), 0) << ml << "\n" << reply;
    return values(reply);
}

void SimFixture::declare(const std::string& decl, std::vector<std::pair<std::string, bool>> colourSets)
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

SEPage* SimFixture::page(const char* ml, const char* name)
{
    SEPage* p = SECreatePage(next_++, kSEPortsNone);
    p->text = se::copyText(ml);
    se::freeText(p->name);
    p->name = se::copyText(name);
    p->pageNumber = static_cast<uint16_t>(se::count(root()->pages));
    p->modeFlags |= kASModeInclude | kASModePropagate | kASModeCode | kASModeInteract;
    ok(std::string("usestring[(TOLQ'Edit.ParseLocDecl \"") + ml + "\")];\n", "", true);
    return p;
}

SEPlace* SimFixture::place(SEPage* pg, const char* ml, const char* cs, const char* marking)
{
    SEPlace* p = SECreatePlace(pg, next_++);
    p->head.subKind = kSEPlain;
    p->text2 = se::copyText(ml);
    p->colourSet = se::copyText(cs);
    const bool timed = CTSIsTimed(&p->head) != 0;
    if (marking != nullptr && *marking != '\0') {
        p->initMark = se::copyText(marking);
        ok(std::string("TOLQ'Edit.CheckInitialMarking (") + (timed ? "true" : "false") + ",\"" + ml + "\",\"" + cs +
               "\");\n",
           marking);
    } else {
        ok(std::string("TOLQ'Edit.CheckEmptyMarking (") + (timed ? "true" : "false") + ",\"" + ml + "\",\"" + cs +
           "\");\n");
    }
    return p;
}

SETrans* SimFixture::trans(SEPage* pg, const char* ml, const char* name, const char* guard)
{
    SETrans* t = SECreateTrans(pg, next_++);
    t->head.subKind = kSEPlain;
    t->mlName = se::copyText(ml);
    se::freeText(t->name);
    t->name = se::copyText(name);
    if (guard) t->guard = se::copyText(guard);
    t->longWord = static_cast<int32_t>(se::count(pg->transitions));
    trans_.push_back(t);
    return t;
}

SEArc* SimFixture::arc(SETrans* t, SEPlace* p, uint16_t dir, const char* ml, const char* expr)
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

void SimFixture::check(SETrans* t)
{
    ok("TOLQ'Edit.VarTabInit();\n");
    if (t->code) ok("TOLQ'Edit.CodeSegText ();\n", t->code);
    std::vector<SEArc*> arcs;
    se::forEachRec(t->inputArcs, [&](SEHead* r) { arcs.push_back(reinterpret_cast<SEArc*>(r)); });
    const size_t inputs = arcs.size();
    se::forEachRec(t->outputArcs, [&](SEHead* r) { arcs.push_back(reinterpret_cast<SEArc*>(r)); });
    for (size_t i = 0; i < arcs.size(); ++i) {
        auto v = ok(std::string("TOLQ'Edit.") + (i < inputs ? "VarInArc" : "VarOutArc") + "  \"" +
                        cts::mlName(arcs[i]) + "\";\n",
                    arcs[i]->expression);
        // An output arc that uses a variable the code segment binds.
        if (i >= inputs && v.size() == 2 && v[1] == "1") arcs[i]->flags |= cts::kArcCode;
    }
    if (t->guard) ok("TOLQ'Edit.VarGuard ();\n", t->guard);
    if (t->code) ok("TOLQ'Edit.CheckVar();\n");
    auto table = ok(std::string("usestring[(TOLQ'Edit.ReturnVarTabel \"") + cts::mlName(t) + "\")];\n");
    auto seg = std::make_unique<SECodeSegment>();
    for (size_t i = 0; i + 2 < table.size(); i += 3)
        vars_.push_back({se::copyText(table[i].c_str()), se::copyText(table[i + 1].c_str()),
                         static_cast<int32_t>(std::stol(table[i + 2]))});
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
    if (t->code)
        ok(std::string("usestring[(TOLQ'Edit.CodeSeg(\"") + cts::mlName(t) + "\",TOLQ'IRS" +
           cts::mlName(cts::pageOf(t)) + "))];\n");
}

void SimFixture::switchPage(SEPage* p)
{
    ok("TOLQ'Edit.DoDefinitions();\r");
    ASSERT_EQ(CTSDefinePageTypes(p), 1);
    ASSERT_EQ(CTSCreatePageStates(p), 1);
    se::forEachRec(p->transitions,
                   [](SEHead* r) { EXPECT_EQ(CTSGenerateTransition(reinterpret_cast<SETrans*>(r)), 1); });
    CTSInitFusionStates();
}

void SimFixture::resetState()
{
    MemFile* reply = ASReplyBuffer();
    ASBeginTransSeq();
    se::forEachRec(root()->pages, [&](SEHead* pr) {
        auto* pg = reinterpret_cast<SEPage*>(pr);
        se::forEachRec(pg->instances, [&](SEHead* ir) {
            auto* i = reinterpret_cast<ASInstance*>(ir);
            se::forEachRec(pg->transitions, [&](SEHead* tr) {
                auto* t = reinterpret_cast<SETrans*>(tr);
                const bool timedOutput = se::findRec(t->outputArcs, [](SEHead* a) {
                                             return CTSIsTimed(&reinterpret_cast<SEArc*>(a)->place->head) != 0;
                                         }) != nullptr;
                ASTransSeqEntry e{t->name, i->number, pg->name, pg->pageNumber, cts::mlName(t), i->mlName,
                                  cts::mlName(pg), {false, (t->flags & 2u) != 0, timedOutput}};
                ASAddTransSeqEntry(e, reply);
            });
        });
    });
    MemFileReset(reply);
    ASSERT_EQ(ASEndTransSeq(reply), 0) << text(reply);
    MemFileReset(reply);
    ASSERT_EQ(ASGenInitState(reply), 0) << text(reply);
    CTSRecalcEnabling();
}

void SimFixture::options(uint16_t pages, uint16_t instances, uint16_t transitions, uint16_t different,
                         uint16_t identical, uint16_t draws, int32_t seed)
{
    const int32_t v[7] = {pages, instances, transitions, different, identical, seed, draws};
    ASSetSimOptions(v);
}

ASInstance* SimFixture::only(SEPage* p)
{
    EXPECT_EQ(se::count(p->instances), 1);
    return p->instances != nullptr ? static_cast<ASInstance*>(p->instances->first) : nullptr;
}

std::string SimFixture::marking(SEPlace* p, ASInstance* i)
{
    std::string t;
    EXPECT_EQ(ASQueryPlaceTokens(p, i, &t), 0);
    return t;
}

std::vector<std::string> SimFixture::chosen(ASInstance* i, SETrans* t)
{
    std::vector<std::string> out;
    se::forEachRec(i->steps, [&](SEHead* r) {
        auto* e = reinterpret_cast<ASBindingElement*>(r);
        if (t == nullptr || e->transition == t)
            out.emplace_back(e->values, static_cast<size_t>(e->valuesLength));
    });
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace simtest
