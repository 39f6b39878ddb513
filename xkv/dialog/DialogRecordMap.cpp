// Record-dialog tables (special fields and value conversions) and the rules
// that lay out a dialog's values in its record and convert them.
#include "xkv/dialog/DialogRecordMap.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr SpecialFieldRow kSpecialRows[] = {
    {1005, 0, 18, 0, 0}, {262, 0, 21, 4, 0}, {262, 0, 31, 5, 1}, {262, 0, 32, 7, 4}, {262, 0, 33, 7, 4},
    {270, 0, 8, 1, 0},   {280, 0, 10, 0, 0}, {280, 0, 11, 0, 0}, {280, 1, 13, 0, 5}, {280, 1, 18, 0, 5},
    {274, 1, 6, 2, 6},   {274, 0, 18, 3, 0}, {274, 0, 19, 3, 0}, {274, 0, 21, 6, 0}, {284, 0, 5, 1, 0},
    {284, 0, 6, 1, 0},   {269, 0, 15, 6, 0}, {1000, 0, 2, 1, 0}, {273, 0, 3, 1, 0},  {271, 0, 3, 1, 0},
    {258, 0, 3, 1, 0},   {258, 0, 4, 1, 0},  {257, 0, 8, 1, 0},  {257, 0, 9, 1, 0},  {257, 0, 5, 0, 0},
    {257, 0, 6, 0, 0},   {287, 0, 6, 1, 0},  {291, 0, 2, 1, 0},
};

constexpr int32_t kLineWidths[] = {0, 1, 2, 4, 8, 12, 16};
constexpr int32_t kPolygonSides[] = {3, 4, 5, 6, 7, 8};
constexpr int32_t kConnectorKinds[] = {9, 10, 11};
constexpr int32_t kBlockOrder[] = {1, 0};

constexpr ConversionRow kConversionRows[] = {
    {262, 0, 11, 2, 0, kLineWidths, 7},
    {269, 0, 5, 0, 0, kPolygonSides, 6},
    {263, 0, 6, 0, 0, kConnectorKinds, 3},
    {263, 1, 9, 1, 5, nullptr, 0},
    {270, 1, 15, 1, 2, nullptr, 0},
    {280, 1, 4, 1, 5, nullptr, 0},
    {283, 0, 4, 0, 0, kBlockOrder, 2},
};

template <typename Row>
int32_t FirstRowOf(std::span<const Row> rows, int32_t dialog)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].dialog == dialog) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

template <typename Row>
int32_t RowItemCount(const Row& row)
{
    return row.range != 0 ? std::max<int32_t>(row.count, 1) : 1;
}

int32_t ReadWord(const uint8_t* record, int32_t offset)
{
    int32_t v = 0;
    std::memcpy(&v, record + offset, sizeof v);
    return v;
}

void WriteWord(uint8_t* record, int32_t offset, int32_t v)
{
    std::memcpy(record + offset, &v, sizeof v);
}

}  // namespace

std::span<const SpecialFieldRow> Record_SpecialRows()
{
    return kSpecialRows;
}

std::span<const ConversionRow> Record_ConversionRows()
{
    return kConversionRows;
}

int32_t Record_FirstSpecialRow(int32_t dialog)
{
    return FirstRowOf(Record_SpecialRows(), dialog);
}

int32_t Record_FirstConversionRow(int32_t dialog)
{
    return FirstRowOf(Record_ConversionRows(), dialog);
}

std::optional<SpecialMatch> Record_FindSpecial(int32_t dialog, int32_t item)
{
    const auto rows = Record_SpecialRows();
    const int32_t first = Record_FirstSpecialRow(dialog);
    if (first < 0) {
        return std::nullopt;
    }
    for (size_t i = static_cast<size_t>(first); i < rows.size() && rows[i].dialog == dialog; ++i) {
        const int32_t last = rows[i].first + RowItemCount(rows[i]) - 1;
        if (item >= rows[i].first && item <= last) {
            return SpecialMatch{rows[i].kind, rows[i].count, rows[i].first, last};
        }
    }
    return std::nullopt;
}

int32_t Record_SpecialSize(int32_t kind, int32_t count)
{
    switch (kind) {
    case kSpecialShortString: return 16;
    case kSpecialString: return 256;
    case kSpecialStyleBits:
    case kSpecialListChoice:
    case kSpecialPattern: return 4;
    case kSpecialColour: return std::max(count, 1) * 4;
    case kSpecialReserved: return count;
    default: return 0;
    }
}

std::vector<RecordField> Record_BuildFieldMap(int32_t dialog, int32_t itemCount,
                                              const std::function<int32_t(int32_t)>& classOf)
{
    std::vector<RecordField> fields;
    int32_t offset = kRecordValuesStart;
    int32_t flag = 0;
    bool inGroup = false;
    size_t groupStart = 0;
    int32_t groupFirstItem = 0;
    auto closeGroup = [&] {
        if (!inGroup) {
            return;
        }
        const int32_t last = fields.back().item;
        for (size_t i = groupStart; i < fields.size(); ++i) {
            fields[i].groupLast = last;
        }
        offset += 4;
        ++flag;
        inGroup = false;
    };
    for (int32_t item = 1; item <= itemCount; ++item) {
        RecordField field;
        field.item = item;
        field.fieldClass = classOf(item);
        const auto special = Record_FindSpecial(dialog, item);
        if (special) {
            field.fieldClass = kClassSpecial;
            field.specialKind = special->kind;
            field.specialCount = special->count;
            field.groupFirst = special->rangeFirst;
            field.groupLast = special->rangeLast;
        }
        if (field.fieldClass != kClassRadio) {
            closeGroup();
        }
        if (field.fieldClass == kClassRadio) {
            if (!inGroup) {
                inGroup = true;
                groupStart = fields.size();
                groupFirstItem = item;
            }
            field.offset = offset;
            field.flagIndex = flag;
            field.groupFirst = groupFirstItem;
            fields.push_back(field);
            continue;
        }
        int32_t size = 0;
        switch (field.fieldClass) {
        case kClassCheckBox:
        case kClassField:
        case kClassScrolledField: size = 4; break;
        case kClassSpecial:
            // Style bits are kept once, with the last item of their range.
            if (field.specialKind != kSpecialStyleBits || item == field.groupLast) {
                size = Record_SpecialSize(field.specialKind, field.specialCount);
            }
            break;
        default: break;
        }
        field.offset = offset;
        field.size = size;
        if (size > 0) {
            field.flagIndex = flag;
            ++flag;
            offset += size;
        }
        fields.push_back(field);
    }
    closeGroup();
    for (auto& field : fields) {
        if (field.fieldClass == kClassRadio) {
            field.size = 4;
        }
        if (field.flagIndex >= kRecordFlagCount) {
            field.flagIndex = -1;
        }
    }
    return fields;
}

int32_t Record_Size(std::span<const RecordField> fields)
{
    int32_t size = kRecordValuesStart;
    for (const auto& field : fields) {
        size = std::max(size, field.offset + field.size);
    }
    return size;
}

int32_t Record_ToDisplay(int32_t kind, int32_t value, std::span<const int32_t> map)
{
    auto indexOf = [map](int32_t v) {
        for (size_t i = map.size(); i-- > 0;) {
            if (map[i] == v) {
                return static_cast<int32_t>(i);
            }
        }
        return -1;
    };
    switch (kind) {
    case 1: return value >> 15;
    case 0: return indexOf(value);
    case 2: return indexOf(value >> 15);
    default: return value;
    }
}

int32_t Record_ToRecord(int32_t kind, int32_t display, int32_t unchanged, std::span<const int32_t> map)
{
    // Pixels become Fixed page units; values beyond the Fixed range saturate.
    auto toFixed = [](int64_t pixels) {
        return static_cast<int32_t>(std::clamp<int64_t>(pixels * 32768, INT32_MIN + 1, INT32_MAX));
    };
    const bool inMap = display >= 0 && static_cast<size_t>(display) < map.size();
    switch (kind) {
    case 1: return toFixed(display);
    case 0: return inMap ? map[static_cast<size_t>(display)] : unchanged;
    case 2: {
        if (!inMap) {
            return unchanged;
        }
        const int32_t v = toFixed(map[static_cast<size_t>(display)]);
        return v == 0 ? 8192 : v;
    }
    default: return display;
    }
}

void Record_Convert(int32_t dialog, std::span<const RecordField> fields, uint8_t* record, int32_t size, bool toDisplay)
{
    if (record == nullptr) {
        return;
    }
    const auto rows = Record_ConversionRows();
    const int32_t first = Record_FirstConversionRow(dialog);
    if (first < 0) {
        return;
    }
    for (size_t r = static_cast<size_t>(first); r < rows.size() && rows[r].dialog == dialog; ++r) {
        const ConversionRow& row = rows[r];
        const std::span<const int32_t> map(row.map, row.map != nullptr ? static_cast<size_t>(row.mapSize) : 0);
        for (int32_t item = row.first; item < row.first + RowItemCount(row); ++item) {
            if (item < 1 || item > static_cast<int32_t>(fields.size())) {
                continue;
            }
            const RecordField& field = fields[static_cast<size_t>(item - 1)];
            if (field.size != 4 || field.offset + 4 > size) {
                continue;
            }
            const int32_t value = ReadWord(record, field.offset);
            WriteWord(record, field.offset,
                      toDisplay ? Record_ToDisplay(row.kind, value, map) : Record_ToRecord(row.kind, value, value, map));
        }
    }
}
