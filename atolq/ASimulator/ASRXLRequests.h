// The ML requests that hand the sibling tool's models (structure TOLQ'RXL in
// the evaluator) their resources, queued declarations, report settings and
// marking queries. The text builders are exposed so that the exact texts can
// be checked.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace as {

// A multi-line text as one ML string expression: every line a literal ending
// in "\n", the literals joined by "^". Quotes, backslashes and other control
// bytes inside a line are escaped, so that no text can leave its literal.
std::string rxlMLString(std::string_view text);
// A text written inside a literal, escaped the same way.
std::string rxlEscaped(std::string_view text);

std::string rxlResourcesText(std::string_view resources);
std::string rxlFlagText(std::string_view name, bool flag);
std::string rxlUnitsText(std::string_view name, std::string_view units);
// The four assignments of time or piece reports; the piece reports' stop
// value "NEVER" is sent as the largest integer.
std::string rxlTimeReportsText(bool on, std::string_view start, std::string_view stop, std::string_view interval);
std::string rxlPieceReportsText(bool on, std::string_view start, std::string_view stop, std::string_view interval);
std::string rxlSizeRefsText(bool size, bool minor);
std::string rxlReportKindsText(bool tolq, bool excel);

// One marking query: the page and the place whose marking the sibling tool
// reads.
struct RXLMarkingQuery {
    int32_t page;
    int32_t place;
};
// At most this many queries go into one request.
inline constexpr size_t kRXLQueriesPerRequest = 50;
// The requests that add the queries to TOLQ'RXL.MarkingCode (flag set) or
// TOLQ'RXL.MarkingCodePr, in order.
std::vector<std::string> rxlMarkingCodeTexts(std::span<const RXLMarkingQuery> queries, bool flag);

} // namespace as

// ---- the queue of ML texts an import leaves for the model ----

// Appends a text to the queue (texts longer than 65535 bytes are refused: 0).
int ASQueueRXLText(std::string_view text);
size_t ASQueuedRXLTextCount();
void ASClearQueuedTexts();

// ---- requests; each returns the evaluation code ----

int16_t ASSetRXLResources(std::string_view resources);
// Every queued text as a request of its own, the last ending in ";"; the
// queue is always emptied. The last code, 0 for an empty queue.
int16_t ASSendQueuedTexts();
int16_t ASSetRXLABCDurations(int flag);
int16_t ASRXLConstructModel();
int16_t ASRXLCheckResData();
int16_t ASSetRXLTimeUnits(std::string_view units);
int16_t ASSetRXLCostUnits(std::string_view units);
int16_t ASSetRXLTimeReports(int on, std::string_view start, std::string_view stop, std::string_view interval);
int16_t ASSetRXLPieceReports(int on, std::string_view start, std::string_view stop, std::string_view interval);
int16_t ASSetRXLSizeRefs(int size, int minor);
int16_t ASSetRXLReportKinds(int tolq, int excel);
// Empties both marking-code lists, so that a second switch does not add its
// queries to those of the first (the flags found would no longer match the
// candidates one to one).
int16_t ASClearRXLMarkingCode();
// Stops at the first request that does not answer 0; 0 for no queries.
int16_t ASSetRXLMarkingCode(std::span<const as::RXLMarkingQuery> queries, int flag);
