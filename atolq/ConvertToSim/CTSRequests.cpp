// The texts of the syntax check's requests to the ML evaluator and the
// reading of their replies: the input-text and string-literal encodings,
// declarations, guards and initial markings.
#include <cstring>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/QXMem.h"

namespace {

constexpr uint32_t kPieceSize = 253;
constexpr uint32_t kLiteralBreak = 252;

bool passesFilter(unsigned char c)
{
    return (c >= 32 && c <= 126) || c == '\t' || c == '\n' || c == '\r';
}

void put(MemFile* file, std::string_view text)
{
    MemFileWrite(file, text.data(), static_cast<uint32_t>(text.size()));
}

int16_t sendText(const std::string& request, const char* input, MemFile* reply)
{
    return CTSSend(request.c_str(), input, reply);
}

} // namespace

void CTSWriteInputText(const char* text, uint32_t length, MemFile* file)
{
    std::string kept;
    for (uint32_t i = 0; text != nullptr && i < length; ++i)
        if (passesFilter(static_cast<unsigned char>(text[i])))
            kept += text[i];
    std::string_view rest(kept);
    while (rest.size() > kLiteralBreak) {
        size_t take = std::min<size_t>(kPieceSize, rest.size());
        put(file, rest.substr(0, take));
        put(file, "\006\n");
        rest.remove_prefix(take);
    }
    put(file, rest);
    put(file, "\004\n");
}

void CTSWriteMLString(const char* text, uint32_t length, MemFile* file)
{
    put(file, "(\"");
    uint32_t sinceBreak = 0;
    for (uint32_t i = 0; text != nullptr && i < length; ++i) {
        char c = text[i];
        if (c == '"')
            put(file, "\\\"");
        else if (c == '\\')
            put(file, "\\\\");
        else
            MemFilePutc(file, static_cast<unsigned char>(c));
        sinceBreak += (c == '"' || c == '\\') ? 2 : 1;
        if (sinceBreak > kLiteralBreak && i + 1 < length) {
            put(file, "\"^\n\"");
            sinceBreak = 0;
        }
    }
    put(file, "\")");
}

int16_t CTSSend(const char* request, const char* input, MemFile* reply)
{
    MemFile* req = CTSRequestBuffer();
    if (req == nullptr || reply == nullptr)
        return kEvalSendFailed; // no evaluator was started
    MemFileReset(req);
    put(req, request);
    MemFilePutc(reply, '\r');
    if (input == nullptr)
        return SMLEvaluate(req, reply);
    MemFile* in = CTSInputBuffer();
    if (in == nullptr)
        return kEvalSendFailed;
    MemFileReset(in);
    CTSWriteInputText(input, static_cast<uint32_t>(std::strlen(input)), in);
    return SMLEvaluateInput(req, in, reply);
}

int CTSParseDecl(int subKind, const char* text, MemFile* reply)
{
    const char* request = subKind == kSEDeclTemporary ? "TOLQ'Edit.ParseTempDecl();\n" : "TOLQ'Edit.ParseGlobDecl();\n";
    return CTSSend(request, text != nullptr ? text : "", reply);
}

int CTSDefineGlob(MemFile* reply)
{
    int16_t code = CTSSend("usestring[(TOLQ'Edit.DefineGlob())];\n", nullptr, reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    uint32_t value = 0;
    int read = SMLGetInt(reply, &value);
    return read < 0 ? read : static_cast<int>(value);
}

int CTSVarTabInit(MemFile* reply)
{
    return CTSSend("TOLQ'Edit.VarTabInit();\n", nullptr, reply);
}

int CTSVarGuard(const char* guard, MemFile* reply)
{
    return CTSSend("TOLQ'Edit.VarGuard ();\n", guard != nullptr ? guard : "", reply);
}

int CTSCompileGuard(const char* prefix, const char* mlName, const char* const* variables, int count,
                    const char* guard, MemFile* reply)
{
    std::string pattern;
    if (count <= 0) {
        pattern = " _ ";
    } else {
        pattern = " {";
        for (int i = 0; i < count; ++i)
            pattern += std::string(variables[i]) + "=($(" + variables[i] + ")),\n";
        pattern += "...} ";
    }
    const std::string body = guard != nullptr && guard[0] != '\0' ? guard : "true";
    const std::string head = std::string("fun ") + prefix + mlName + " (" + pattern + ":TOLQ'BT" + mlName + "):bool = ";
    int16_t code = sendText(head + "(" + body + ");\n", nullptr, reply);
    if (code >= 0)
        return 2;
    if (code != kEvalCompileError)
        return code;
    code = sendText(head + "TOLQ'BLTB (" + body + ");\n", nullptr, reply);
    return code >= 0 ? 1 : code;
}

namespace {


void releaseText(char* text)
{
    if (text != nullptr)
        QXMem_Free(text);
}

const char* truth(bool value) { return value ? "true" : "false"; }

// The direct marking checks of an evaluator of the second kind.
int checkMarkingDirectly(const char* marking, const char* colourSet, const char* mlName, bool timed,
                         MemFile* reply)
{
    const std::string arguments = std::string(truth(timed)) + "," + CTSMLStringLiteral(mlName) + "," + CTSMLStringLiteral(colourSet) + ");\n";
    if (marking == nullptr || marking[0] == '\0')
        return sendText("TOLQ'Edit.CheckEmptyMarking (" + arguments, nullptr, reply) >= 0 ? 1 : kEvalCompileError;
    const int16_t code = sendText("TOLQ'Edit.CheckInitialMarking (" + arguments, marking, reply);
    return code >= 0 ? 1 : code;
}

} // namespace

int CTSCheckInitialMarking(const char* marking, const char* colourSet, const char* mlName,
                           const char* legalName, bool timed, MemFile* reply)
{
    if (SMLGetConnState() == kSMLKindNJ)
        return checkMarkingDirectly(marking, colourSet, mlName, timed, reply);
    const bool hasMarking = marking != nullptr && marking[0] != '\0';
    auto text = [&](bool wrapped) {
        std::string inner = hasMarking ? std::string(marking) : "empty";
        if (wrapped)
            inner = "1`(" + inner + ")";
        return std::string("fun TOLQ'IM") + mlName + "() = let val TOLQ'im=((" + inner + "):(" + colourSet +
               ")  ms)  in (TOLQ'legal_ms'" + legalName + " TOLQ'im;TOLQ'im)end;\n";
    };
    if (!hasMarking)
        return sendText(text(false), nullptr, reply) >= 0 ? 1 : -2;
    int16_t code = sendText(text(true), nullptr, reply);
    if (code >= 0)
        return 1;
    code = sendText(text(false), nullptr, reply);
    return code >= 0 ? 2 : code;
}

int CTSCheckFusionMarking(SEPlaceFusSet* set, SEPlace* chosen)
{
    SERoot* root = SECurrentRoot();
    const char* colourSet = chosen->colourSet != nullptr ? chosen->colourSet : "";
    auto* entry = root != nullptr && root->declHashTable != nullptr
                      ? static_cast<SETableEntry*>(HashLookup(root->declHashTable, colourSet))
                      : nullptr;
    if (entry == nullptr || entry->second == nullptr)
        return -1;
    const std::string number = set->text != nullptr ? set->text : "";
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    return CTSCheckInitialMarking(chosen->initMark, colourSet, number.c_str(), entry->second, entry->flag != 0, reply);
}

int CTSSaveImageRequest(const char* name)
{
    MemFile* request = CTSRequestBuffer();
    if (request == nullptr || name == nullptr)
        return kEvalSendFailed;
    MemFileReset(request);
    put(request, "TOLQ'Edit.SaveImage(");
    CTSWriteMLString(name, static_cast<uint32_t>(std::strlen(name)), request);
    put(request, ");\n");
    MemFile* reply = CTSReplyBuffer();
    MemFileReset(reply);
    MemFilePutc(reply, '\r');
    return SMLEvaluate(request, reply);
}

int CTSSetResourceDir(const char* directory, MemFile* reply)
{
    return CTSSend(("TOLQ'VelkorResourceDir := " + CTSMLStringLiteral(directory != nullptr ? directory : "") + ";\n").c_str(),
                   nullptr, reply);
}

int CTSParseLocDecl(const char* pageNumber, const char* text, MemFile* reply)
{
    return sendText("usestring[(TOLQ'Edit.ParseLocDecl " + CTSMLStringLiteral(pageNumber) + ")];\n", text != nullptr ? text : "",
                    reply);
}

int CTSPageScope(const char* pageNumber, bool open, MemFile* reply)
{
    if (SMLGetConnState() != kSMLKindNJ)
        return -1;
    return sendText(std::string("usestring[(TOLQ'") + (open ? "EST" : "ESF") + pageNumber + ")];\n", nullptr, reply);
}

int CTSReturnColourTable(MemFile* reply, HashTable* table)
{
    MemFileReset(reply);
    const int16_t code = CTSSend("TOLQ'Edit.ReturnColorTabel();\n", nullptr, reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    for (;;) {
        char* name = nullptr;
        int read = SMLGetText(reply, &name);
        if (read == kReadNoStart)
            return 0; // the normal end
        char* second = nullptr;
        uint32_t timed = 0;
        if (read < 0 || SMLGetText(reply, &second) < 0 || SMLGetInt(reply, &timed) < 0) {
            releaseText(name);
            releaseText(second);
            return kReadFailed;
        }
        auto* entry = static_cast<SETableEntry*>(QXMem_Alloc(sizeof(SETableEntry)));
        if (entry == nullptr) {
            releaseText(name);
            releaseText(second);
            return kReadFailed;
        }
        *entry = SETableEntry{se::copyText(name), se::copyText(second), timed};
        releaseText(name);
        releaseText(second);
        if (HashLookup(table, entry->key) != nullptr || HashStore(table, entry->key, entry) == 0)
            se::releaseTableEntry(entry); // a name answered twice counts once
    }
}

// ---- the requests of the transition rules ----

namespace {

// The reply's first value as a number; the reader's code when it has none.
int replyNumber(MemFile* reply, uint32_t* value)
{
    MemFileRewind(reply);
    return SMLGetInt(reply, value);
}

} // namespace

int CTSCodeSegText(const char* code, MemFile* reply)
{
    return CTSSend("TOLQ'Edit.CodeSegText ();\n", code != nullptr ? code : "", reply);
}

int CTSTransDelayText(const char* time, MemFile* reply)
{
    return CTSSend("TOLQ'Edit.TransDelayText();\n", time != nullptr ? time : "", reply);
}

int CTSVarArc(bool input, const char* argument, const char* expression, MemFile* reply, uint32_t* timed,
              uint32_t* second)
{
    const std::string request =
        std::string("TOLQ'Edit.") + (input ? "VarInArc" : "VarOutArc") + "  " + CTSMLStringLiteral(argument) + ";\n";
    const int16_t code = sendText(request, expression != nullptr ? expression : "", reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    int read = SMLGetInt(reply, timed);
    if (read == 0)
        read = SMLGetInt(reply, second);
    return read;
}

int CTSCheckVar(MemFile* reply)
{
    return CTSSend("TOLQ'Edit.CheckVar();\n", nullptr, reply);
}

int CTSReturnVarTable(const char* mlName, MemFile* reply, LMList* variables)
{
    const int16_t code = sendText("usestring[(TOLQ'Edit.ReturnVarTabel " + CTSMLStringLiteral(mlName) + ")];\n", nullptr, reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    for (;;) {
        char* name = nullptr;
        const int read = SMLGetText(reply, &name);
        if (read == kReadNoStart)
            return 0;
        char* colourSet = nullptr;
        uint32_t flags = 0;
        if (read < 0 || SMLGetText(reply, &colourSet) < 0 || SMLGetInt(reply, &flags) < 0) {
            releaseText(name);
            releaseText(colourSet);
            return kReadFailed;
        }
        auto* row = static_cast<SECodeVariable*>(QXMem_Alloc(sizeof(SECodeVariable)));
        if (row != nullptr) {
            *row = SECodeVariable{se::copyText(name), se::copyText(colourSet), static_cast<int32_t>(flags)};
            LMAppend(variables, row, nullptr);
        }
        releaseText(name);
        releaseText(colourSet);
        if (row == nullptr)
            return kReadFailed;
    }
}

int CTSCheckGuard(MemFile* reply)
{
    const int16_t code = CTSSend("TOLQ'Edit.CheckGuard();\n", nullptr, reply);
    if (code < 0)
        return code;
    uint32_t value = 0;
    const int read = replyNumber(reply, &value);
    return read < 0 ? read : value == 0 ? 2 : 1;
}

int CTSDefineArcFunction(bool input, bool timedPlace, const char* argument, const char* entry, const char* colourSet,
                         MemFile* reply)
{
    if (SMLGetConnState() == kSMLKindNJ) {
        const std::string request = std::string("TOLQ'Edit.CheckArc(") + truth(!input && timedPlace) + "," +
                                    CTSMLStringLiteral(argument) + "," + CTSMLStringLiteral(entry) + "," + CTSMLStringLiteral(colourSet) + ");\n";
        const int16_t code = sendText(request, nullptr, reply);
        if (code < 0)
            return code;
        uint32_t value = 0;
        const int read = replyNumber(reply, &value);
        return read < 0 ? read : value == 0 ? 2 : 1;
    }
    const std::string name = !input && timedPlace ? "DefineTimeOutArc" : "DefineArc";
    auto request = [&](bool first) {
        return "usestring[(TOLQ'Edit." + name + "(" + truth(first) + "," + CTSMLStringLiteral(argument) + "," + CTSMLStringLiteral(entry) +
               "," + CTSMLStringLiteral(colourSet) + "))];\n";
    };
    int16_t code = sendText(request(true), nullptr, reply);
    if (code >= 0)
        return 2;
    if (code != kEvalCompileError)
        return code;
    code = sendText(request(false), nullptr, reply);
    return code >= 0 ? 1 : code;
}

int CTSDefineEmptyArc(bool tempty, const char* entry, const char* transName, MemFile* reply)
{
    std::string request;
    if (SMLGetConnState() == kSMLKindNJ)
        request = std::string("TOLQ'Edit.CheckEmptyArc(") + truth(tempty) + "," + CTSMLStringLiteral(entry) + "," +
                  CTSMLStringLiteral(transName) + ");\n";
    else if (tempty)
        request = std::string("fun TOLQ'AF") + entry + "((TOLQ'bb:TOLQ'BT" + transName +
                  "),(TOLQ't:TIME),TOLQ'b)  = tempty;\n";
    else
        request = std::string("fun TOLQ'AF") + entry + " (TOLQ'bb:TOLQ'BT" + transName + ") = empty;\n";
    const int16_t code = sendText(request, nullptr, reply);
    return code >= 0 ? 1 : code;
}

int CTSCodeSeg(const char* transName, const char* pageNumber, MemFile* reply)
{
    return sendText("usestring[(TOLQ'Edit.CodeSeg(" + CTSMLStringLiteral(transName) + ",TOLQ'IRS" + pageNumber + "))];\n",
                    nullptr, reply);
}

int CTSCodeGuard(MemFile* reply, char** guard)
{
    const int16_t code = CTSSend("TOLQ'Edit.CodeGuard();\n", nullptr, reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    return SMLGetText(reply, guard);
}

int CTSDefineDelay(MemFile* reply)
{
    return CTSSend("usestring[(TOLQ'Edit.DefineDelay())];\n", nullptr, reply);
}

std::string CTSMLStringLiteral(const char* text)
{
    MemFile* file = MemFileCreate();
    CTSWriteMLString(text, text != nullptr ? static_cast<uint32_t>(std::strlen(text)) : 0, file);
    std::string out(MemFileLength(file), '\0');
    uint32_t n = static_cast<uint32_t>(out.size());
    MemFileRewind(file);
    if (n > 0)
        MemFileRead(file, out.data(), &n);
    out.resize(n);
    MemFileDestroy(file);
    return out;
}
