// The sibling tool's ML requests: resources, queued texts, report settings
// and marking queries, each evaluated through the simulator's request buffer.
#include "atolq/ASimulator/ASRXLRequests.h"

#include <cstdio>
#include <deque>

#include "atolq/ASimulator/ASRequests.h"
#include "atolq/Utils/MemFile.h"

namespace {

std::deque<std::string>& queue()
{
    static std::deque<std::string> texts;
    return texts;
}

const char* boolText(bool b) { return b ? "true" : "false"; }

std::string str(std::string_view v) { return std::string(v); }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// The request with a fresh reply buffer (all requests here but the report
// settings start from an empty reply).
int16_t sendFresh(std::string_view text)
{
    MemFileReset(ASReplyBuffer());
    return as::sendText(text, ASReplyBuffer());
}

int16_t sendSetting(std::string_view text) { return as::sendText(text, ASReplyBuffer()); }

} // namespace

namespace as {

std::string rxlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 32 || byte == 127) {
            char code[8];
            std::snprintf(code, sizeof code, "\\%03u", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::string rxlMLString(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isLineEnd(text[at]))
            ++at;
        size_t end = at;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        if (end > at)
            lines.push_back(text.substr(at, end - at));
        at = end;
    }
    // A text of line ends alone is one empty line.
    std::string out = "\"";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += "\\n\"^\"";
        out += rxlEscaped(lines[i]);
    }
    out += "\\n\"";
    return out;
}

std::string rxlResourcesText(std::string_view resources)
{
    return "TOLQ'RXL.RXL_res_string:=" + rxlMLString(resources) + ";\n";
}

std::string rxlFlagText(std::string_view name, bool flag)
{
    return "TOLQ'RXL." + str(name) + ":=" + boolText(flag) + ";\n";
}

std::string rxlUnitsText(std::string_view name, std::string_view units)
{
    return "TOLQ'RXL." + str(name) + ":=\"" + rxlEscaped(units) + "\";\n";
}

namespace {

std::string reportsText(std::string_view kind, bool on, std::string_view start, std::string_view stop,
                        std::string_view interval)
{
    const std::string k = str(kind);
    return "TOLQ'RXL." + k + "Reports:=" + boolText(on) + ";\n" + "TOLQ'RXL.Start" + k + "Val:=" + str(start) +
           ";\n" + "TOLQ'RXL.Stop" + k + "Val:=" + str(stop) + ";\n" + "TOLQ'RXL." + k + "IntervalVal:=" +
           str(interval) + ";\n";
}

} // namespace

std::string rxlTimeReportsText(bool on, std::string_view start, std::string_view stop, std::string_view interval)
{
    return reportsText("Time", on, start, stop, interval);
}

std::string rxlPieceReportsText(bool on, std::string_view start, std::string_view stop, std::string_view interval)
{
    // The caller's text stays as it was: the replacement lives in the request.
    const std::string_view sent = stop == "NEVER" ? std::string_view("(!TOLQ'maxint)") : stop;
    return reportsText("Piece", on, start, sent, interval);
}

std::string rxlSizeRefsText(bool size, bool minor)
{
    return rxlFlagText("SizeRef", size) + rxlFlagText("SizeMinorRef", minor);
}

std::string rxlReportKindsText(bool tolq, bool excel)
{
    return rxlFlagText("TOLQReports", tolq) + rxlFlagText("ExcelReports", excel);
}

std::vector<std::string> rxlMarkingCodeTexts(std::span<const RXLMarkingQuery> queries, bool flag)
{
    const std::string name = flag ? "TOLQ'RXL.MarkingCode" : "TOLQ'RXL.MarkingCodePr";
    std::vector<std::string> texts;
    for (size_t first = 0; first < queries.size(); first += kRXLQueriesPerRequest) {
        const size_t end = std::min(queries.size(), first + kRXLQueriesPerRequest);
        std::string text = name + ":=(!" + name + ")^^[";
        for (size_t i = first; i < end; ++i) {
            char entry[160];
            std::snprintf(entry, sizeof entry, "instid=hd(GetPageInsts(%ld)),placeid=%ld",
                          static_cast<long>(queries[i].page), static_cast<long>(queries[i].place));
            text += "\"TOLQ'RXL.FindPiecesMarking:=\"^GetMarkingCode{";
            text += entry;
            text += "}^\"::(!TOLQ'RXL.FindPiecesMarking);\"";
            if (i + 1 < end)
                text += ",";
        }
        text += "];\n";
        texts.push_back(std::move(text));
    }
    return texts;
}

} // namespace as

int ASQueueRXLText(std::string_view text)
{
    if (text.size() > 0xFFFF)
        return 0;
    queue().emplace_back(text);
    return 1;
}

size_t ASQueuedRXLTextCount() { return queue().size(); }

void ASClearQueuedTexts() { queue().clear(); }

int16_t ASSetRXLResources(std::string_view resources) { return sendFresh(as::rxlResourcesText(resources)); }

int16_t ASSendQueuedTexts()
{
    std::deque<std::string> texts;
    texts.swap(queue());
    int16_t code = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        const bool last = i + 1 == texts.size();
        code = sendFresh(texts[i] + (last ? ";\n" : "\n"));
    }
    return code;
}

int16_t ASSetRXLABCDurations(int flag) { return sendFresh(as::rxlFlagText("ABCDurations", flag != 0)); }

int16_t ASRXLConstructModel() { return sendFresh("TOLQ'RXL.ConstructModel();\n"); }

int16_t ASRXLCheckResData() { return sendFresh("TOLQ'RXL.RXL'CheckResData();\n"); }

int16_t ASSetRXLTimeUnits(std::string_view units) { return sendSetting(as::rxlUnitsText("TimeUnits", units)); }

int16_t ASSetRXLCostUnits(std::string_view units) { return sendSetting(as::rxlUnitsText("CostUnits", units)); }

int16_t ASSetRXLTimeReports(int on, std::string_view start, std::string_view stop, std::string_view interval)
{
    return sendSetting(as::rxlTimeReportsText(on != 0, start, stop, interval));
}

int16_t ASSetRXLPieceReports(int on, std::string_view start, std::string_view stop, std::string_view interval)
{
    return sendSetting(as::rxlPieceReportsText(on != 0, start, stop, interval));
}

int16_t ASSetRXLSizeRefs(int size, int minor) { return sendSetting(as::rxlSizeRefsText(size != 0, minor != 0)); }

int16_t ASSetRXLReportKinds(int tolq, int excel)
{
    return sendSetting(as::rxlReportKindsText(tolq != 0, excel != 0));
}

int16_t ASClearRXLMarkingCode()
{
    return sendFresh("TOLQ'RXL.MarkingCode:=[];\nTOLQ'RXL.MarkingCodePr:=[];\n");
}

int16_t ASSetRXLMarkingCode(std::span<const as::RXLMarkingQuery> queries, int flag)
{
    int16_t code = 0;
    for (const std::string& text : as::rxlMarkingCodeTexts(queries, flag != 0)) {
        code = sendFresh(text);
        if (code != 0)
            break;
    }
    return code;
}
