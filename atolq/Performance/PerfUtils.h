// The performance tool's shared pieces: its two flags, its requests to the
// evaluator, the library folder, and the ML texts built from the report
// options.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct PerfFlags {
    int32_t menuPresent = 0;
    int32_t active = 0;
};
PerfFlags& PerfState();

// The report options record of the diagram defaults, 17 words.
using PerfReportRecord = std::array<int32_t, 17>;
enum PerfReportWord : std::size_t {
    kPerfTextWidth = 0,
    kPerfWholeWidth = 1,
    kPerfDecimalWidth = 2,
    kPerfAverage = 3,
    kPerfFirstValue = 4,
    kPerfLastValue = 5,
    kPerfMin = 6,
    kPerfMax = 7,
    kPerfCount = 8,
    kPerfStdDev = 9,
    kPerfSum = 10,
    kPerfSumSquares = 11,
    kPerfSumSquaresDev = 12,
    kPerfVariance = 13,
    kPerfFirstTime = 14,
    kPerfInterval = 15,
    kPerfLastTime = 16,
};

// One request on its own in the request buffer, the reply buffer holding a
// carriage return first; true when it evaluated cleanly.
bool PerfSend(std::string_view text);
// The first integer of the last reply.
std::optional<long> PerfReadInt();

// The library folder from the environment variable (one trailing "/"
// dropped) or the folder of the ML image; none when empty, too long, or not
// writable inside an ML string.
std::optional<std::string> PerfLibraryFolder(const char* variable);

// The three requests of the report options.
std::string PerfTimedValuesText(const PerfReportRecord& r);
std::string PerfUntimedValuesText(const PerfReportRecord& r);
std::string PerfLayoutText(const PerfReportRecord& r);

// The validation of the setup dialog's widths: the message of the first
// failing check, or none.
std::optional<std::string> PerfCheckWidths(long text, long whole, long decimal);

// "Perf'CreateTemplate.genTemplate(...);" for the collector.
std::string PerfTemplateText(bool statistics, bool logFile, bool timed, int32_t instance, std::string_view name);

// Counts the auxiliary boxes of the performance page; the count, or none
// (after the line on standard output) when it could not be read.
std::optional<long> PerfCountAuxBoxes();

inline constexpr const char* kPerfAuxBoxMessage =
    "Performance Error:\n\nThere must be exactly one auxiliary box on the Performance_Functions page.";
