// The ML request texts of a step, of options, run control and reports, and
// their evaluation through the shared request buffer.
#include "atolq/ASimulator/ASRequests.h"

#include <cstdio>
#include <cstring>

#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/ConvertToSim/CTSPageState.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"

namespace {

MemFile* requestBuffer = nullptr;

// Counters of the transition sequence: entries in the current chunk and
// chunks in the current request. They persist across sequences.
int transSeqEntries = 0;
int transSeqChunks = 0;

void write(MemFile* file, std::string_view text)
{
    MemFileWrite(file, text.data(), static_cast<uint32_t>(text.size()));
}

const char* boolText(bool b) { return b ? "true" : "false"; }

std::string str(std::string_view v) { return std::string(v); }

// Evaluates the request buffer as it stands.
int16_t evaluate(MemFile* reply)
{
    MemFilePutc(reply, '\r');
    return SMLEvaluate(ASRequestBuffer(), reply);
}

int16_t sendRewound(std::string_view text, MemFile* reply)
{
    const int16_t code = as::sendText(text, reply);
    if (code >= 0)
        MemFileRewind(reply);
    return code;
}

std::string bindFunction(bool fast) { return fast ? "TOLQ'FastBF" : "TOLQ'BF"; }

// " in (" A " (TOLQ'ti,TOLQ'bi))end;\n": the let form's assignment of the
// transition instance's result.
std::string letTail(std::string_view t, std::string_view i, bool fast, bool both)
{
    const std::string plain = "TOLQ't" + str(t) + "_" + str(i) + ":=TOLQ'ti;";
    const std::string quick = "TOLQ'fastt" + str(t) + "_" + str(i) + ":=TOLQ'ti;";
    const std::string a = both ? plain + quick : (fast ? quick : plain);
    return " in (" + a + " (TOLQ'ti,TOLQ'bi))end;\n";
}

int16_t readValueText(int16_t code, MemFile* reply, std::string* text)
{
    return as::readTextAfter(code, reply, text);
}

} // namespace

MemFile* ASRequestBuffer()
{
    if (requestBuffer == nullptr)
        requestBuffer = MemFileCreate();
    return requestBuffer;
}

MemFile* ASReplyBuffer() { return CTSReplyBuffer(); }

namespace as {

int16_t sendText(std::string_view text, MemFile* reply)
{
    MemFileReset(ASRequestBuffer());
    write(ASRequestBuffer(), text);
    return evaluate(reply);
}

int16_t readIntAfter(int16_t code, MemFile* reply, uint32_t* value)
{
    if (code < 0)
        return code;
    MemFileRewind(reply);
    const int r = SMLReadInt(reply, value, 6, 6);
    MemFileRewind(reply);
    return static_cast<int16_t>(r < 0 ? r : 0);
}

int16_t readTextAfter(int16_t code, MemFile* reply, std::string* text)
{
    if (code < 0)
        return code;
    MemFileRewind(reply);
    char* value = nullptr;
    const int r = SMLReadString(reply, &value, 6, 6);
    MemFileRewind(reply);
    if (r < 0)
        return static_cast<int16_t>(r);
    text->assign(value != nullptr ? value : "");
    if (value != nullptr)
        QXMem_Free(value);
    return 0;
}

std::string placeStateRef(const SEPlace* place, std::string_view instance)
{
    uint32_t length = 0;
    const char* name = CTSPlaceStateName(place, &length);
    const int kind = CTSPlaceStateKind(place);
    if (name == nullptr || kind < 1 || kind > 4)
        return {};
    if (kind == 4)
        return "(#cur TOLQ'FS" + std::string(name, length) + ")";
    return CTSPlaceStateVarText(std::string_view(name, length), "TOLQ'PS" + str(instance), kind);
}

std::string bindText(std::string_view t, std::string_view i, std::string_view k, std::string_view binding,
                     int mode, bool let, bool fast, bool both, bool byNumber)
{
    std::string text;
    if (let)
        text += "let val (TOLQ'ti,TOLQ'bi) =";
    text += bindFunction(fast) + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + "," + str(k);
    text += byNumber ? ",TOLQ'EB" + str(t) + "," : ",{" + str(binding) + "},";
    text += std::string(boolText(!let && mode == 2)) + ",false,());\n";
    if (let)
        text += letTail(t, i, fast, both);
    return text;
}

std::string enablingTestText(std::string_view t, std::string_view i, int fair, bool flag, bool fast, bool let,
                             bool both)
{
    std::string text = "(TOLQ'Sim.Fair:=false;";
    if (let)
        text += "let val (TOLQ'ti,TOLQ'bi) =";
    text += bindFunction(fast) + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + ", 1 ,TOLQ'EB" + str(t) + "," +
            boolText(flag) + ",false,());";
    if (let)
        text += letTail(t, i, fast, both);
    text += std::string("TOLQ'Sim.Fair:=") + boolText(fair == 1) + ");\n";
    return text;
}

std::string changeMarkingText(std::string_view m, std::string_view cs, bool single, bool timed)
{
    return "val TOLQ'ChngMark =(" + std::string(single ? "1`(" : "") + str(m) + (single ? ")" : "") + "):(" +
           str(cs) + ") " + (timed ? " tms" : " ms") + ";\n";
}

std::string stopOptionsText(const bool flags[5], std::string_view stepCount, std::string_view stepNumber,
                            std::string_view addTime, std::string_view endTime)
{
    const bool any = flags[0] || flags[1] || flags[2] || flags[3] || flags[4];
    std::string text = "let ";
    text += std::string("val _ = TOLQ'Sim.NoLimit:=") + boolText(!any) + "\n";
    text += "val _ = TOLQ'Sim.AddSteps:=" +
            (flags[0] ? "true\nval _ = TOLQ'Sim.AddStepsVal:=" + str(stepCount) : std::string("false")) + "\n";
    text += "val _ = TOLQ'Sim.UntilStepNo:=" +
            (flags[1] ? "true\nval _ = TOLQ'Sim.UntilStepNoVal:=" + str(stepNumber) : std::string("false")) + "\n";
    const auto timeValue = [](std::string_view value, const char* field) {
        return "true\nval SOME TOLQ'theTime = (IntInf.fromString \"" + str(value) + "\")\nval _ = TOLQ'Sim." +
               field + ":=TOLQ'theTime";
    };
    text += "val _ = TOLQ'Sim.AddTime:=" + (flags[2] ? timeValue(addTime, "IntAddTimeVal") : std::string("false")) +
            "\n";
    text += "val _ = TOLQ'Sim.UntilTime:=" +
            (flags[3] ? timeValue(endTime, "IntUntilTimeVal") : std::string("false")) + "\n";
    text += std::string("val _ = TOLQ'Sim.UntilTimeAdv:=") + boolText(flags[4]) + "\n";
    text += " in ()end;";
    return text;
}

std::string genFlagsText(int timeChoice, int codeChoice)
{
    std::string text;
    switch (timeChoice) {
    case 3: text += "(TOLQ'Sim.GenWithTime := true);\n(TOLQ'Sim.GenBothWithTime := false);\n"; break;
    case 4: text += "(TOLQ'Sim.GenWithTime := false);\n(TOLQ'Sim.GenBothWithTime := false);\n"; break;
    case 5: text += "(TOLQ'Sim.GenBothWithTime := true);\n"; break;
    default: break; // a choice the dialog never stores: nothing for its group
    }
    switch (codeChoice) {
    case 6: text += "(TOLQ'Sim.GenWithCode := true);\n(TOLQ'Sim.GenBothWithCode := false);\n"; break;
    case 7: text += "(TOLQ'Sim.GenWithCode := false);\n(TOLQ'Sim.GenBothWithCode := false);\n"; break;
    case 8: text += "(TOLQ'Sim.GenBothWithCode := true);\n"; break;
    default: break;
    }
    return text;
}

std::string reportLineText(bool stepLine, bool bindingLine, std::string_view step, const char* time,
                           std::string_view transition, std::string_view binding)
{
    std::string text;
    if (stepLine) {
        text += "TOLQ'Sim.write_report(\"" + str(step) + " I ";
        if (time != nullptr)
            text += "@ " + std::string(time) + " ";
        text += str(transition) + "\"^\"\\n\");";
    }
    if (bindingLine) {
        text += "TOLQ'Sim.write_report(\"    {";
        for (char c : binding) {
            if (c == '"')
                text += '\\';
            text += c;
        }
        text += "}\"^\"\\n\");";
    }
    return text;
}

} // namespace as

using as::sendText;

// ---- instance state ----

int16_t ASCreateInstanceRecord(std::string_view i, std::string_view p, MemFile* reply)
{
    return sendText("val TOLQ'IRS" + str(i) + " = TOLQ'CRI" + str(p) + "();\n", reply);
}

int16_t ASCreatePlaceState(std::string_view i, std::string_view p, MemFile* reply)
{
    return sendText("val TOLQ'PS" + str(i) + "=TOLQ'CrPS" + str(p) + "()\nval TOLQ'IPS" + str(i) + "=TOLQ'CrIPS" +
                        str(p) + ";\n",
                    reply);
}

int16_t ASCreateTransState(std::string_view i, std::string_view p, MemFile* reply)
{
    return sendText("val TOLQ'TS" + str(i) + "=TOLQ'CrTS" + str(p) + "();\n", reply);
}

int16_t ASClearPlaceState(std::string_view i, MemFile* reply)
{
    return sendText("val TOLQ'PS" + str(i) + "=();\n", reply);
}

int16_t ASClearTransState(std::string_view i, MemFile* reply)
{
    return sendText("val TOLQ'TS" + str(i) + "=();\n", reply);
}

int16_t ASClearInstanceRecord(std::string_view i, MemFile* reply)
{
    return sendText("val TOLQ'IRS" + str(i) + "=();\n", reply);
}

int16_t ASSetPlaceField(std::string_view n, std::string_view i, const SEPlace* socket,
                        std::string_view socketInstance, MemFile* reply)
{
    return sendText("(#PP" + str(n) + " TOLQ'PS" + str(i) + "):=" + as::placeStateRef(socket, socketInstance) +
                        ";\n",
                    reply);
}

// ---- binding and firing ----

int16_t ASBindTransition(std::string_view t, std::string_view i, long k, std::string_view b, int mode, bool let,
                         MemFile* reply, bool fast, bool both)
{
    return sendRewound(as::bindText(t, i, std::to_string(k), b, mode, let, fast, both, false), reply);
}

int16_t ASBindTransitionByNumber(std::string_view t, std::string_view i, long k, int mode, bool let,
                                 MemFile* reply, bool fast, bool both)
{
    return sendRewound(as::bindText(t, i, std::to_string(k), {}, mode, let, fast, both, true), reply);
}

int16_t ASBindWithNumber(std::string_view t, std::string_view i, long k, MemFile* reply, bool fast)
{
    return sendRewound(bindFunction(fast) + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + "," +
                           std::to_string(k) + ",TOLQ'EB" + str(t) + ",false,true,());\n",
                       reply);
}

int16_t ASBindWithBinding(std::string_view t, std::string_view i, long k, std::string_view b, MemFile* reply,
                          bool fast)
{
    return sendRewound(bindFunction(fast) + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + "," +
                           std::to_string(k) + ",{" + str(b) + "},false,true,());\n",
                       reply);
}

int ASReadBindReply(MemFile* reply, char** text)
{
    *text = nullptr;
    return SMLReadString(reply, text, 6, 6);
}

int16_t ASOccur(std::string_view t, std::string_view i, MemFile* reply)
{
    return sendText("TOLQ'OF" + str(t) + "(TOLQ'TS" + str(i) + ",TOLQ'PS" + str(i) + ",());\n", reply);
}

int16_t ASCheckFun(std::string_view t, std::string_view i, std::string_view b, int flag, MemFile* reply)
{
    return sendText("TOLQ'CF" + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + ",{" + str(b) + "}," +
                        boolText(flag == 1) + ",());\n",
                    reply);
}

int16_t ASCountCF(std::string_view t, std::string_view i, std::string_view b, MemFile* reply)
{
    uint32_t count = 0;
    const int16_t code = as::readIntAfter(
        sendText("TOLQ'CCF" + str(t) + "(TOLQ'PS" + str(i) + ",TOLQ'TS" + str(i) + ",{" + str(b) + "});\n", reply),
        reply, &count);
    if (code < 0)
        return code;
    return static_cast<int16_t>(count > 32767 ? 32767 : count);
}

int16_t ASCallArcFun(std::string_view t, std::string_view i, std::string_view b, MemFile* reply)
{
    return sendRewound("TOLQ'CAF" + str(t) + "(TOLQ'IRS" + str(i) + ",{" + str(b) + "});\n", reply);
}

int16_t ASCallTransArcFun(std::string_view t, std::string_view i, std::string_view b, MemFile* reply)
{
    return sendText("TOLQ'ACAF" + str(t) + "(TOLQ'TS" + str(i) + ",{" + str(b) + "});\n", reply);
}

int16_t ASCheckEnabled(std::string_view t, std::string_view i, int fair, bool flag, MemFile* reply, bool fast,
                       bool let, bool both)
{
    return sendRewound(as::enablingTestText(t, i, fair, flag, fast, let, both), reply);
}

void ASWriteEnablingTest(std::string_view t, std::string_view i, int fair, bool flag, bool fast, bool let,
                         bool both)
{
    write(ASRequestBuffer(), as::enablingTestText(t, i, fair, flag, fast, let, both));
}

void ASWriteReplyEnd() { write(ASRequestBuffer(), "output(std_out, (String.str #\"\\002\"));\n"); }

int16_t ASCheckLegal(std::string_view cs, std::string_view value, MemFile* reply)
{
    return sendText("TOLQ'Sim.RtnErrOnFls(TOLQ'legal_col'" + str(cs) + ",(" + str(value) + "));\n", reply);
}

// ---- markings ----

namespace {

// Reads the count and the text that follow it, each between bytes 6.
int16_t readCountAndText(int16_t code, MemFile* reply, uint32_t* count, std::string* text)
{
    if (code < 0)
        return code;
    MemFileRewind(reply);
    int r = SMLReadInt(reply, count, 6, 6);
    if (r >= 0) {
        char* value = nullptr;
        r = SMLReadString(reply, &value, 6, 6);
        if (r >= 0)
            text->assign(value != nullptr ? value : "");
        if (value != nullptr)
            QXMem_Free(value);
    }
    MemFileRewind(reply);
    return static_cast<int16_t>(r < 0 ? r : 0);
}

const char* countFunction(bool timed) { return timed ? "TOLQ''NumTok " : "TOLQ'NumTok "; }

} // namespace

int16_t ASGetPlaceTokens(std::string_view cs, const SEPlace* place, std::string_view i, uint32_t* count,
                         std::string* text, MemFile* reply)
{
    const int16_t code =
        sendText("TOLQ'mkst_tok'" + str(cs) + " (!" + as::placeStateRef(place, i) + ");\n", reply);
    return readCountAndText(code, reply, count, text);
}

int16_t ASGetArcTokens(std::string_view a, std::string_view i, std::string_view cs, uint32_t* count,
                       std::string* text, MemFile* reply)
{
    const int16_t code =
        sendText("TOLQ'mkst_tok'" + str(cs) + " (!(#A" + str(a) + " TOLQ'TS" + str(i) + "));\n", reply);
    return readCountAndText(code, reply, count, text);
}

int16_t ASCountPlaceTokens(const SEPlace* place, std::string_view i, uint32_t* count, bool timed, MemFile* reply)
{
    return as::readIntAfter(
        sendText(countFunction(timed) + ("(!" + as::placeStateRef(place, i) + ");\n"), reply), reply, count);
}

int16_t ASCountArcTokens(std::string_view a, std::string_view i, uint32_t* count, bool timed, MemFile* reply)
{
    return as::readIntAfter(
        sendText(countFunction(timed) + ("(!(#A" + str(a) + " TOLQ'TS" + str(i) + "));\n"), reply), reply, count);
}

int16_t ASSetChangeMarking(std::string_view m, std::string_view cs, bool empty, bool timed, MemFile* reply)
{
    if (empty) {
        const int16_t code = sendText(as::changeMarkingText(timed ? "tempty" : "empty", cs, false, timed), reply);
        return code < 0 ? code : 1;
    }
    if (!timed) {
        if (sendText(as::changeMarkingText(m, cs, true, false), reply) == 0) {
            MemFileRewind(reply);
            return 2;
        }
        MemFileReset(reply);
    }
    const int16_t code = sendText(as::changeMarkingText(m, cs, false, timed), reply);
    if (code < 0)
        return code;
    MemFileRewind(reply);
    return 1;
}

int16_t ASCheckLegalMarking(std::string_view cs, bool timed, MemFile* reply)
{
    return sendText(std::string(timed ? "TOLQ'legal_tms'" : "TOLQ'legal_ms'") + str(cs) + " TOLQ'ChngMark;\n",
                    reply);
}

int16_t ASAssignChangeMarking(const SEPlace* place, std::string_view i, MemFile* reply)
{
    return sendText(as::placeStateRef(place, i) + ":=TOLQ'ChngMark;\n", reply);
}

int16_t ASResetPlaceMarking(const SEPlace* place, std::string_view i, bool empty, bool timed, MemFile* reply)
{
    uint32_t length = 0;
    const char* n = CTSPlaceStateName(place, &length);
    const std::string value =
        empty ? (timed ? "tempty" : "empty") : "TOLQ'IM" + std::string(n != nullptr ? n : "", length) + "()";
    return sendText(as::placeStateRef(place, i) + ":=" + value + ";\n", reply);
}

// ---- time and step ----

int16_t ASSetModelTime(std::string_view timeExpression, MemFile* reply)
{
    sendText("TOLQ'Sim.IntTimeInc := IntInf.- (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\nTOLQ'CreationTime := "
             "!TOLQ'ModelTime;(fn (SOME time) => (TOLQ'ModelTime := time) | NONE => ()) (" +
                 str(timeExpression) + ");\n",
             reply);
    MemFileReset(reply);
    return sendText("TOLQ'Sim.IntTimeInc := IntInf.+ (!TOLQ'Sim.IntTimeInc, !TOLQ'ModelTime);\n", reply);
}

int16_t ASResetModelTime(MemFile* reply)
{
    const char* start = "(SOME (IntInf.fromInt (!TOLQ'starttime)))";
    ASSetModelTime(start, reply);
    return ASSetModelTime(start, reply);
}

int16_t ASGetModelTime(std::string* text, MemFile* reply)
{
    return readValueText(sendText("TOLQ'Edit.out_val ( mkst_col'TIME ( time () ) ) ;\n", reply), reply, text);
}

int16_t ASGetModelTimeText(std::string* text, MemFile* reply)
{
    return readValueText(sendText("TOLQ'Edit.out_val ( mkst_col'TIME' ( time () ) ) ;\n", reply), reply, text);
}

int16_t ASSetCurStep(std::string_view step, MemFile* reply)
{
    return sendText("TOLQ'Sim.CurStep := " + str(step) + ";\nTOLQ'Sim.LocStep := !TOLQ'Sim.LocStep + 1;\n", reply);
}

int16_t ASGetStep(std::string* text, MemFile* reply)
{
    return readValueText(sendText("TOLQ'Edit.out_val ( makestring ( step () ) ) ;\n", reply), reply, text);
}

int16_t ASResetStepCounters(MemFile* reply)
{
    return sendText("TOLQ'Sim.LocStep := 0;\nTOLQ'Sim.IntTimeInc := (IntInf.fromInt 0);\n", reply);
}

int16_t ASTestStopCriteria(std::string* text, MemFile* reply)
{
    sendText("TOLQ'Edit.out_val(makestring(if TOLQ'StopCriteria() then 1 else 0));\n", reply);
    return readValueText(0, reply, text);
}

void ASWriteFusionRef(std::string_view n, MemFile* buffer) { write(buffer, "(#cur TOLQ'FS" + str(n) + ")"); }

// ---- options, run control, reports ----

int16_t ASSetFair(int mode, MemFile* reply)
{
    return sendText(std::string("TOLQ'Sim.Fair:=") + boolText(mode == 1) + ";\n", reply);
}

int16_t ASSetTimeFair(int flag, MemFile* reply)
{
    return sendText(std::string("TOLQ'Sim.TimeFair:=") + boolText(flag != 0) + ";\n", reply);
}

int16_t ASSetSeed(int16_t seed, MemFile* reply)
{
    // ML writes negative numbers with "~".
    const std::string number = seed < 0 ? "~" + std::to_string(-static_cast<int>(seed)) : std::to_string(seed);
    return sendText("TOLQ'Sim.SetSeed " + number + ";\n", reply);
}

int16_t ASSetWithCode(int flag, MemFile* reply)
{
    return sendText(std::string("TOLQ'Sim.WithCode:=") + boolText(flag != 0) + ";\n", reply);
}

void ASWriteWithCode(int flag)
{
    MemFileReset(ASRequestBuffer());
    write(ASRequestBuffer(), std::string("TOLQ'Sim.WithCode:=") + boolText(flag != 0) + ";\n");
}

int16_t ASSetWithTime(int flag, MemFile* reply)
{
    return sendText(std::string("TOLQ'Sim.WithTime:=") + boolText(flag != 0) + ";\n", reply);
}

int16_t ASSetPrintTime(int flag, MemFile* reply)
{
    return sendText(std::string("TOLQ'Sim.PrintTime:=") + boolText(flag != 0) + ";\n", reply);
}

int16_t ASSetFeedback(int feedback, int bindFeedback, MemFile* reply)
{
    return sendText(std::string("let val _ = TOLQ'Sim.Feedback:=") + boolText(feedback != 0) +
                        "\nval _ = TOLQ'Sim.BindFeedback:=" + boolText(bindFeedback != 0) + "\n in ()end;",
                    reply);
}

int16_t ASSetStopOptions(const bool flags[5], std::string_view stepCount, std::string_view stepNumber,
                         std::string_view addTime, std::string_view endTime, MemFile* reply)
{
    return sendText(as::stopOptionsText(flags, stepCount, stepNumber, addTime, endTime), reply);
}

int16_t ASSendGenFlagsText(int timeChoice, int codeChoice, MemFile* reply)
{
    return sendText(as::genFlagsText(timeChoice, codeChoice), reply);
}

int16_t ASSetTimeType(int kind, MemFile* reply)
{
    std::string text = "TOLQ'Edit.TimeType:=";
    if (kind >= 0 && kind <= 2)
        text += std::to_string(kind);
    return sendText(text + ";\n", reply);
}

int16_t ASSetStartTime(int kind, std::string_view text, MemFile* reply)
{
    return sendText(std::string(kind == 1 ? "TOLQ'IntegerTime" : "TOLQ'RealTime") + ".TOLQ'starttime:=" + str(text) +
                        ";\n",
                    reply);
}

int16_t ASSetValuePrint(MemFile* reply)
{
    write(ASRequestBuffer(), "TOLQ'ValuePrint := true;");
    return evaluate(reply);
}

int16_t ASOutputOn(MemFile* reply) { return sendText("TOLQ'Edit.OutputOn();\n", reply); }
int16_t ASOutputOff(MemFile* reply) { return sendText("TOLQ'Edit.OutputOff();\n", reply); }
int16_t ASInitFusionStates(MemFile* reply) { return sendText("TOLQ'InitFS();\n", reply); }

int16_t ASInitState(bool timed, MemFile* reply)
{
    return sendText(timed ? "init_state();\ninit_time();\n" : "init_state();\n", reply);
}

void ASResetRequest() { MemFileReset(ASRequestBuffer()); }

int16_t ASSendRequest(MemFile* reply)
{
    const int16_t code = evaluate(reply);
    if (code >= 0)
        MemFileRewind(reply);
    return code;
}

int ASReadExceptionText(MemFile* reply, char** text)
{
    *text = nullptr;
    return SMLReadSectionString(reply, text, 2, 2, 6, 6);
}

int ASReadErrorText(MemFile* reply, char** text)
{
    *text = nullptr;
    const int r = SMLReadString(reply, text, 5, 5);
    return r < 0 ? r : 0;
}

int16_t ASWriteReportLine(bool stepLine, bool bindingLine, std::string_view step, const char* time,
                          std::string_view transition, std::string_view binding, MemFile* reply)
{
    return sendText(as::reportLineText(stepLine, bindingLine, step, time, transition, binding), reply);
}

void ASBeginTransSeq()
{
    MemFileReset(ASRequestBuffer());
    write(ASRequestBuffer(), "usestring[(\"val trans_seq = \"^\n");
}

void ASAddTransSeqEntry(const ASTransSeqEntry& e, MemFile* reply)
{
    MemFile* rq = ASRequestBuffer();
    if (transSeqEntries > 30) {
        write(rq, "\"[]\")];\n");
        if (transSeqChunks > 10) {
            evaluate(reply);
            MemFileReset(rq);
            transSeqChunks = 0;
        }
        ++transSeqChunks;
        write(rq, "usestring[(\"val trans_seq = \"^\n");
        write(rq, "\"trans_seq^^\"^\n");
        transSeqEntries = 0;
    }
    ++transSeqEntries;
    const std::string page = e.pageName != nullptr ? e.pageName : "***";
    std::string text = "\"[(\\\"" + str(e.transitionName) + "@(" + std::to_string(e.instanceNumber) + ":" + page +
                       "#" + std::to_string(e.pageNumber) + ")\\\",\\\"" + str(e.transition) + "\\\",\\\"" +
                       str(e.instance) + "\\\",\\\"" + str(e.page) + "\\\",";
    text += std::string(boolText(e.flags[0])) + "," + boolText(e.flags[1]) + "," + boolText(e.flags[2]) + ")";
    text += "]^^\"^\n";
    write(rq, text);
}

int16_t ASEndTransSeq(MemFile* reply)
{
    write(ASRequestBuffer(), "\"[(\\\"\\\",\\\"\\\",\\\"\\\",\\\"\\\",true,true,true)];\")];\n");
    return evaluate(reply);
}

int16_t ASGenInitState(MemFile* reply)
{
    return sendText("TOLQ'sacgen.GenSaveStateData();\nTOLQ'sacgen.gen_init_state(trans_seq);\n", reply);
}

int16_t ASGenSacFuns(bool fast, MemFile* reply)
{
    return sendText(std::string("usestring(TOLQ'sacgen.gen_funs (trans_seq, ") + boolText(fast) + "));", reply);
}

int16_t ASGenSacStep(bool fast, MemFile* reply)
{
    return sendText(std::string("usestring(TOLQ'sacgen.gen_step (trans_seq, ") + boolText(fast) +
                        "));usestring[(\"TOLQ'sacgen.clean_up()\")];",
                    reply);
}

int16_t ASRunSacStep(bool fast, MemFile* reply)
{
    return sendText(fast ? "usestring[\"fast_sac_step ()\"];" : "usestring[\"sac_step ()\"];", reply);
}
