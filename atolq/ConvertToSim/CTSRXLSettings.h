// The sibling tool's report settings, read from the data base root's options
// block and sent to the evaluator one group per request, and the marking
// queries made from the diagram's piece candidates.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atolq/ASimulator/ASRXLRequests.h"
#include "xkv/types/Types.h"

// Layout of the options block (the default record of the same settings).
namespace cts::rxl {
inline constexpr uint32_t kTimeReportsWord = 0;
inline constexpr uint32_t kPieceReportsWord = 1;
inline constexpr uint32_t kSizeRefWord = 2;
inline constexpr uint32_t kSizeMinorRefWord = 3;
inline constexpr uint32_t kTolqReportsWord = 4;
inline constexpr uint32_t kExcelReportsWord = 5;
inline constexpr uint32_t kTimeUnitsOffset = 24;
inline constexpr uint32_t kCostUnitsOffset = 44;
inline constexpr uint32_t kUnitsSize = 20;
inline constexpr uint32_t kTimeTextsOffset = 64;   // start, stop, interval
inline constexpr uint32_t kPieceTextsOffset = 160; // start, stop, interval
inline constexpr uint32_t kValueSize = 32;

// The text of the field at the offset, bounded by its size.
std::string optionText(uint32_t offset, uint32_t size);

// The diagram's candidate lists: user data of the page list's root holding
// (page, object) handle pairs ended by a word above 0xFFFFFFFE.
inline constexpr uint32_t kPieceCandidatesTag = 0xF904;
inline constexpr uint32_t kMoreCandidatesTag = 0xF905;
// The pairs of one list; a missing or damaged field gives none.
std::vector<std::pair<ObjectHandle, ObjectHandle>> candidatePairs(uint32_t tag);
// Whether a candidate pair names a net page and one of its places, and then
// the ids of their records. Only such pairs are asked about, so the flags
// that come back stand for these pairs alone.
bool namesNetPlace(ObjectHandle page, ObjectHandle object, int32_t* pageId, int32_t* placeId);
// The marking queries of one list: each pair as the ids of its page's and
// its place's records; pairs that name no net place are left out.
std::vector<as::RXLMarkingQuery> markingQueries(uint32_t tag);
} // namespace cts::rxl

int16_t CTSSendRXLTimeUnits();
int16_t CTSSendRXLCostUnits();
int16_t CTSSendRXLTimeReports();
int16_t CTSSendRXLPieceReports();
int16_t CTSSendRXLSizeRefs();
int16_t CTSSendRXLReportKinds();
// The candidates of 0xF904 into TOLQ'RXL.MarkingCode, then those of 0xF905,
// when present, into TOLQ'RXL.MarkingCodePr.
int16_t CTSSendRXLMarkingCode();
// All of the above as the switch to the simulator sends them in the
// sibling tool's mode: the marking code first, then the six settings; stops
// at the first negative code and returns it (0 when all went through).
int16_t CTSSendRXLParameters();
