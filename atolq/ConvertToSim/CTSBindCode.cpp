// Shared binding code. The key of a transition lists its input places'
// arc texts in sorted order, its guards and its variable patterns; it also
// carries the whole variable table and the timed flag, because the bind
// sequence built for an entry names every variable of the binding record
// (output-only ones too) and its time form: two transitions that differ
// there must not share one TOLQ'CBF<e>.
#include "atolq/ConvertToSim/CTSBindCode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/ConvertToSim/CTSSwitch.h"
#include "atolq/ConvertToSim/CTSTransCode.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

namespace {

// Upper bounds on what an (untrusted) evaluator may make us loop over.
constexpr uint32_t kMaxParts = 1000;

std::string str(const char* s) { return s != nullptr ? s : ""; }

// The expression an arc contributes: cut at the first "@" for a plain-name
// arc that is not an input arc.
std::string arcExpression(const SEArc* a)
{
    std::string e = str(a->expression);
    if ((a->flags & cts::kArcPlainName) && a->head.subKind != kSEPlaceToTrans)
        e = e.substr(0, e.find('@'));
    return e;
}

SEHead* groupRecord(const SEArc* a)
{
    if (a->place == nullptr)
        return nullptr;
    return a->place->fusionSet != nullptr ? &a->place->fusionSet->head : &a->place->head;
}

int16_t sendWithInput(const std::string& request, const std::string& input)
{
    MemFile* in = CTSInputBuffer();
    if (in == nullptr)
        return kEvalSendFailed;
    MemFileReset(in);
    CTSWriteInputText(input.data(), static_cast<uint32_t>(input.size()), in);
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    MemFilePutc(reply, '\r');
    CTSSetRequest(request);
    return SMLEvaluateInput(CTSRequestBuffer(), in, reply);
}

// The text between the first two \006 marks of the reply, or a reader code.
int replyText(std::string& text)
{
    char* raw = nullptr;
    MemFileRewind(CTSReplyBuffer());
    int r = SMLReadString(CTSReplyBuffer(), &raw, 6, 6);
    if (r < 0)
        return r;
    text = raw != nullptr ? raw : "";
    QXMem_Free(raw);
    return 0;
}

int replyInt(uint32_t& value)
{
    MemFileRewind(CTSReplyBuffer());
    return SMLReadInt(CTSReplyBuffer(), &value, 6, 6);
}

bool trialAccepted(const std::string& text)
{
    return CTSEvaluateText("fun TOLQ'dummy (" + text + ") = ();\n") >= 0;
}

const char* choiceArgs(int32_t choice)
{
    return choice == 0 ? "(true, false)" : choice == 1 ? "(false, true)" : "(true, true)";
}

bool bindSeqDone(int32_t choice)
{
    CTSEvaluateText(std::string("usestring[(TOLQ'Edit.BindSeq ") + choiceArgs(choice) + ")];\n");
    uint32_t v = 0;
    return replyInt(v) == 0 && v == 1;
}

std::string varTableText(const SETrans* t)
{
    std::string out;
    if (t->codeSegment == nullptr)
        return out;
    size_t i = 0;
    se::forEachValue(t->codeSegment->variables, [&](void* v) {
        auto* var = static_cast<SECodeVariable*>(v);
        out += std::string(i++ ? "," : "") + "{name=\"" + str(var->first) + "\",color=\"" + str(var->second) +
               "\",code=" + std::to_string(var->number) + "}\n";
    });
    return out;
}

size_t positionOf(const std::vector<CTSBindPlace>& places, const SEArc* a)
{
    SEHead* g = groupRecord(a);
    for (size_t i = 0; i < places.size(); ++i)
        if (places[i].record == g)
            return i + 1;
    return 0;
}

void parseGuard(SETrans* t)
{
    if (sendWithInput(std::string("TOLQ'Edit.ParseGuard ") + (cts::guardKind(t) ? "true" : "false") + ";\n",
                      str(t->guard)) < 0)
        return;
    uint32_t parts = 0;
    if (replyInt(parts) != 0)
        return;
    for (uint32_t i = 0; i < std::min(parts, kMaxParts); ++i) {
        CTSEvaluateText("TOLQ'Edit.GetS1Guard();\n");
        std::string part;
        bool keep = replyText(part) == 0 && trialAccepted(part);
        CTSEvaluateText(keep ? "TOLQ'Edit.StoreGuard();\n" : "TOLQ'Edit.DisposeGuard();\n");
    }
}

void parseArcs(SETrans* t, const std::vector<CTSBindPlace>& places, bool tokens)
{
    se::forEachRec(t->inputArcs, [&](SEHead* r) {
        auto* a = reinterpret_cast<SEArc*>(r);
        if (cts::tokenType(a) == (tokens ? 1 : 2))
            return;
        const std::string request = std::string("TOLQ'Edit.") + (tokens ? "ParseTExp " : "ParseMExp ") + " " +
                                    std::to_string(positionOf(places, a)) + ";\n";
        if (sendWithInput(request, arcExpression(a)) < 0)
            return;
        if (tokens) {
            std::string text;
            if (replyText(text) == 0 && trialAccepted(text))
                CTSEvaluateText("TOLQ'Edit.StoreTExp();\n");
            return;
        }
        for (uint32_t i = 0; i < kMaxParts; ++i) {
            CTSEvaluateText("TOLQ'Edit.GetUSMCand();\n");
            std::string cand;
            if (replyText(cand) == kReadNoStart)
                break;
            CTSEvaluateText(trialAccepted(cand) ? "TOLQ'Edit.StoreUSM();\n" : "TOLQ'Edit.DisposeUSM();\n");
        }
    });
}

void generate(SETrans* t, const SECodeEntry* e, const std::vector<CTSBindPlace>& places)
{
    const int32_t choice = cts::bindChoice(SECurrentRoot());
    const bool timed = CTSIsTimed(&t->head) != 0;
    CTSEvaluateText("TOLQ'Edit.BindTabInit([\n" + varTableText(t) + "]," + (t->code != nullptr ? "true" : "false") +
            ",\"" + str(cts::mlName(t)) + "\",\"" + str(e->text2) + "\"," + std::to_string(places.size()) + "," +
            (timed ? "true" : "false") + ");\n");
    if (t->guard != nullptr && *t->guard != '\0')
        parseGuard(t);
    parseArcs(t, places, true);
    if (bindSeqDone(choice))
        return;
    parseArcs(t, places, false);
    if (!bindSeqDone(choice))
        CTSEvaluateText(std::string("usestring[(TOLQ'Edit.CrCanon ") + choiceArgs(choice) + ")];\n");
}

SECodeEntry* makeEntry(char* key)
{
    auto* e = reinterpret_cast<SECodeEntry*>(se::newRecord(kSECodeEntry));
    if (e == nullptr)
        return nullptr;
    SERoot* root = SECurrentRoot();
    e->head.owner = &root->head;
    e->text1 = key;
    uint16_t length = 0;
    e->text2 = CTSNewNumberName(&length, 0);
    e->number = static_cast<int32_t>(length);
    se::pushRec(cts::bindEntries(root), &e->head);
    return e;
}

} // namespace

std::vector<CTSBindPlace> CTSBindPlaces(SETrans* t)
{
    std::vector<CTSBindPlace> out;
    se::forEachRec(t->inputArcs, [&](SEHead* r) {
        auto* a = reinterpret_cast<SEArc*>(r);
        SEHead* g = groupRecord(a);
        if (g == nullptr)
            return;
        std::string e = arcExpression(a);
        if (e.empty())
            e = "empty";
        if (cts::tokenType(a) == 2)
            e = "1`(" + e + ")";
        auto it = std::find_if(out.begin(), out.end(), [&](const CTSBindPlace& p) { return p.record == g; });
        if (it == out.end())
            out.push_back({g, e});
        else
            it->key += "+" + e;
    });
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    return out;
}

std::string CTSBindKey(SETrans* t)
{
    std::string key;
    for (const auto& p : CTSBindPlaces(t))
        key += ";" + p.key;
    const std::string guard = str(t->guard);
    const std::string second = cts::secondGuard(t) != nullptr && *cts::secondGuard(t) ? str(cts::secondGuard(t))
                                                                                      : guard;
    const LMList* vars = t->codeSegment != nullptr ? t->codeSegment->variables : nullptr;
    key += ";" + guard + ";" + second + ";" + CTSVarPatternText(vars, 7) + ";" + CTSVarPatternText(vars, 6);
    key += ";" + varTableText(t) + ";" + (CTSIsTimed(&t->head) ? "timed" : "untimed");
    return key;
}

SECodeEntry* CTSFindBindCode(SETrans* t, std::vector<CTSBindPlace>* places)
{
    SERoot* root = SECurrentRoot();
    const std::string key = CTSBindKey(t);
    *places = CTSBindPlaces(t);
    SEHead* found = se::findRec(cts::bindEntries(root), [&](SEHead* r) {
        auto* e = reinterpret_cast<SECodeEntry*>(r);
        return e->text1 != nullptr && key == e->text1;
    });
    if (found != nullptr)
        return reinterpret_cast<SECodeEntry*>(found);
    SECodeEntry* e = makeEntry(se::copyText(key.c_str()));
    if (e != nullptr)
        generate(t, e, *places);
    return e;
}

void CTSDropBindEntries()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    LMList*& list = cts::bindEntries(root);
    while (list != nullptr && list->first != nullptr) {
        auto* e = static_cast<SECodeEntry*>(list->first);
        se::freeText(e->text1);
        QXMem_Free(e->text2);
        e->text2 = nullptr;
        se::unlinkAndFree(list, &e->head);
    }
}
