// Sends the sibling tool's report settings and marking queries.
#include "atolq/ConvertToSim/CTSRXLSettings.h"

#include <cstring>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kvud/UserData.h"

namespace cts::rxl {

namespace {

const uint8_t* block()
{
    const SERoot* root = SECurrentRoot();
    return root != nullptr ? reinterpret_cast<const uint8_t*>(root->analysisOptions) : nullptr;
}

int32_t word(uint32_t index)
{
    const SERoot* root = SECurrentRoot();
    return root != nullptr ? root->analysisOptions[index] : 0;
}

std::string value(uint32_t first, uint32_t index) { return optionText(first + index * kValueSize, kValueSize); }

} // namespace

std::string optionText(uint32_t offset, uint32_t size)
{
    const uint8_t* options = block();
    if (options == nullptr || offset + size > sizeof(SERoot::analysisOptions))
        return {};
    const auto* text = reinterpret_cast<const char*>(options + offset);
    return std::string(text, strnlen(text, size));
}

std::vector<std::pair<ObjectHandle, ObjectHandle>> candidatePairs(uint32_t tag)
{
    std::vector<std::pair<ObjectHandle, ObjectHandle>> pairs;
    void* data = nullptr;
    uint32_t length = 0;
    if (UD_GetFieldPointer(QXStr_GetPageListHandle(), tag, &data, &length) != 1 || data == nullptr)
        return pairs;
    const uint32_t words = length / 4;
    std::vector<uint32_t> list(words);
    std::memcpy(list.data(), data, words * 4);
    for (uint32_t i = 0; i + 1 < words && list[i] <= 0xFFFFFFFEu; i += 2)
        pairs.emplace_back(list[i], list[i + 1]);
    return pairs;
}

bool namesNetPlace(ObjectHandle page, ObjectHandle object, int32_t* pageId, int32_t* placeId)
{
    SEHead* pageRecord = nullptr;
    SEHead* placeRecord = nullptr;
    if (GE_GetSERecord(page, &pageRecord) != 1 || GE_GetSERecord(object, &placeRecord) != 1)
        return false;
    if (pageRecord == nullptr || placeRecord == nullptr || pageRecord->kind != kSEPage ||
        placeRecord->kind != kSEPlace)
        return false;
    if (pageId != nullptr)
        *pageId = static_cast<int32_t>(SERecordId(pageRecord));
    if (placeId != nullptr)
        *placeId = static_cast<int32_t>(SERecordId(placeRecord));
    return true;
}

std::vector<as::RXLMarkingQuery> markingQueries(uint32_t tag)
{
    std::vector<as::RXLMarkingQuery> queries;
    for (const auto& [page, object] : candidatePairs(tag)) {
        as::RXLMarkingQuery query{};
        if (namesNetPlace(page, object, &query.page, &query.place))
            queries.push_back(query);
    }
    return queries;
}

} // namespace cts::rxl

using namespace cts::rxl;

int16_t CTSSendRXLTimeUnits() { return ASSetRXLTimeUnits(optionText(kTimeUnitsOffset, kUnitsSize)); }

int16_t CTSSendRXLCostUnits() { return ASSetRXLCostUnits(optionText(kCostUnitsOffset, kUnitsSize)); }

int16_t CTSSendRXLTimeReports()
{
    return ASSetRXLTimeReports(word(kTimeReportsWord), value(kTimeTextsOffset, 0), value(kTimeTextsOffset, 1),
                               value(kTimeTextsOffset, 2));
}

int16_t CTSSendRXLPieceReports()
{
    // The stored stop text keeps "NEVER"; only the request carries the
    // largest integer in its place.
    return ASSetRXLPieceReports(word(kPieceReportsWord), value(kPieceTextsOffset, 0), value(kPieceTextsOffset, 1),
                                value(kPieceTextsOffset, 2));
}

int16_t CTSSendRXLSizeRefs() { return ASSetRXLSizeRefs(word(kSizeRefWord), word(kSizeMinorRefWord)); }

int16_t CTSSendRXLReportKinds() { return ASSetRXLReportKinds(word(kTolqReportsWord), word(kExcelReportsWord)); }

int16_t CTSSendRXLMarkingCode()
{
    int16_t code = ASClearRXLMarkingCode();
    if (code == 0)
        code = ASSetRXLMarkingCode(markingQueries(kPieceCandidatesTag), 1);
    uint32_t length = 0;
    if (code == 0 && UD_GetFieldSize(QXStr_GetPageListHandle(), kMoreCandidatesTag, &length) == 1)
        code = ASSetRXLMarkingCode(markingQueries(kMoreCandidatesTag), 0);
    return code;
}

int16_t CTSSendRXLParameters()
{
    for (auto* send : {CTSSendRXLMarkingCode, CTSSendRXLTimeUnits, CTSSendRXLCostUnits, CTSSendRXLTimeReports,
                       CTSSendRXLPieceReports, CTSSendRXLSizeRefs, CTSSendRXLReportKinds}) {
        const int16_t code = send();
        if (code < 0)
            return code;
    }
    return 0;
}
