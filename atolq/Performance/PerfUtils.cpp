// The performance tool's requests to the evaluator, the library folder and
// the ML texts made from the report options and a collector's settings.
#include "atolq/Performance/PerfUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/MemFile.h"

namespace {

// The longest folder taken: the texts built from it must fit the request
// buffers of 540 bytes that the tool's texts were made for.
constexpr std::size_t kMaxFolder = 500;

bool plainPath(const std::string& s)
{
    for (unsigned char c : s)
        if (c < 32 || c == 127 || c == '"' || c == '\\')
            return false;
    return true;
}

const char* truth(int32_t v) { return v != 0 ? "true" : "false"; }

std::string truths(const PerfReportRecord& r, std::initializer_list<PerfReportWord> words)
{
    std::string out;
    for (PerfReportWord w : words) {
        if (!out.empty())
            out += ',';
        out += truth(r[w]);
    }
    return out;
}

// The order of the library's value lists: Count, Sum, Sum of Squares, Sum of
// Squares of Deviation, Average, Variance, Standard Deviation, Min, Max,
// First Value, Last Value, then First Time, Last Time, Interval.
constexpr std::initializer_list<PerfReportWord> kUntimedOrder = {
    kPerfCount, kPerfSum,      kPerfSumSquares, kPerfSumSquaresDev, kPerfAverage,  kPerfVariance,
    kPerfStdDev, kPerfMin,     kPerfMax,        kPerfFirstValue,    kPerfLastValue,
};

// Text for the inside of an ML string literal.
std::string mlStringBody(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte >= 127) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%03u", static_cast<unsigned>(byte));
            out += escape;
            continue;
        }
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

PerfFlags& PerfState()
{
    static PerfFlags flags;
    return flags;
}

bool PerfSend(std::string_view text)
{
    MemFile* request = CTSRequestBuffer();
    MemFile* reply = CTSReplyBuffer();
    if (request == nullptr || reply == nullptr || SMLIsConnected() == 0)
        return false;
    MemFileReset(request);
    MemFileWrite(request, text.data(), static_cast<uint32_t>(text.size()));
    MemFileReset(reply);
    MemFilePutc(reply, 13);
    return SMLEvaluate(request, reply) == 0;
}

std::optional<long> PerfReadInt()
{
    MemFile* reply = CTSReplyBuffer();
    if (reply == nullptr)
        return std::nullopt;
    MemFileRewind(reply);
    uint32_t value = 0;
    const bool got = SMLReadInt(reply, &value, 6, 6) >= 0;
    MemFileRewind(reply);
    if (!got)
        return std::nullopt;
    return static_cast<long>(value);
}

std::optional<std::string> PerfLibraryFolder(const char* variable)
{
    std::string folder;
    if (const char* env = std::getenv(variable); env != nullptr) {
        // Only the length up to the limit is looked at: a longer value is
        // refused without being copied whole.
        const std::size_t length = strnlen(env, kMaxFolder + 2);
        folder.assign(env, length);
        if (!folder.empty() && folder.back() == '/')
            folder.pop_back();
    } else {
        std::vector<char> image(kMLPathSize + 1, '\0');
        DefGetMLImagePath(image.data(), kDefLevelDiagram);
        folder.assign(image.data());
        const std::size_t slash = folder.rfind('/');
        folder = slash == std::string::npos || slash == 0 ? std::string() : folder.substr(0, slash);
    }
    if (folder.empty() || folder.size() > kMaxFolder || !plainPath(folder))
        return std::nullopt;
    return folder;
}

std::string PerfTimedValuesText(const PerfReportRecord& r)
{
    return "Perf'Report.chooseTimedValues([" + truths(r, kUntimedOrder) + "," +
           truths(r, {kPerfFirstTime, kPerfLastTime, kPerfInterval}) + "]);";
}

std::string PerfUntimedValuesText(const PerfReportRecord& r)
{
    return "Perf'Report.chooseUntimedValues([" + truths(r, kUntimedOrder) + "]);";
}

std::string PerfLayoutText(const PerfReportRecord& r)
{
    const long decimal = r[kPerfDecimalWidth];
    const long whole = static_cast<long>(r[kPerfWholeWidth]) + decimal + 1;
    char text[96];
    std::snprintf(text, sizeof text, "Perf'Report.setLayout(%ld,%ld,%ld);", decimal, whole,
                  static_cast<long>(r[kPerfTextWidth]));
    return text;
}

std::optional<std::string> PerfCheckWidths(long text, long whole, long decimal)
{
    if (text <= 0)
        return "Text width must be a number \ngreater than zero.";
    if (whole <= 1)
        return "Width of whole number values must be \na number greater than one.";
    if (decimal <= 0)
        return "Width of decimal values must be \na number greater than zero.";
    return std::nullopt;
}

std::string PerfTemplateText(bool statistics, bool logFile, bool timed, int32_t instance, std::string_view name)
{
    return std::string("Perf'CreateTemplate.genTemplate(") + truth(statistics) + "," + truth(logFile) + "," +
           truth(timed) + "," + std::to_string(instance) + ",\"" + mlStringBody(name) + "\");";
}

std::optional<long> PerfCountAuxBoxes()
{
    std::optional<long> count;
    if (PerfSend("Perf'Page.noOfAuxBoxes();"))
        count = PerfReadInt();
    if (!count) {
        std::fputs("No. of aux boxes not gotten yet\n", stdout);
        std::fflush(stdout);
    }
    return count;
}
