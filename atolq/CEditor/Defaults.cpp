// The net layer's default records: property table, key table, level rules,
// group and record accessors, copies between levels and the built-in values.
#include "atolq/CEditor/Defaults.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"

namespace {

bool gStandardChanged = false;

struct PropertyShape {
    int32_t size;
    int32_t textOffset;
};

PropertyShape ShapeOf(uint32_t property)
{
    switch (property) {
    case kDefMergeOptions: return {24, -1};
    case kDefBrackets: return {160, 0};
    case kDefPageLayout: return {24, -1};
    case kDefRecord1060: return {24, -1};
    case kDefPageTitle: return {272, 16};
    case kDefSwitches: return {32, -1};
    case kDefSyntaxOptions: return {44, -1};
    case kDefRunOptions: return {176, 52};
    case kDefCodeOptions: return {44, 16};
    case kDefInteractiveOptions: return {16, -1};
    case kDefOccSetOptions: return {28, -1};
    case kDefMLSettings: return {static_cast<int32_t>(kDefMLSettingsSize), 4};
    case kDefBarChartOptions: return {1360, 80};
    case kDefLineChartOptions: return {2640, 80};
    case kDefRXLOptions: return {256, 28};
    case kDefPerfReport: return {68, -1};
    default: return {static_cast<int32_t>(kDefAttributeSize), -1};
    }
}

std::array<PropertyDef, kDefPropertyCount> BuildPropertyTable()
{
    std::array<PropertyDef, kDefPropertyCount> rows{};
    for (uint32_t i = 0; i < kDefPropertyCount; ++i) {
        PropertyShape shape = ShapeOf(kDefFirstProperty + i);
        // No changed-flag header; written out with the stored defaults.
        rows[i] = {static_cast<int32_t>(kDefFirstProperty + i), shape.size, 0, 1, 0, 1, shape.textOffset};
    }
    return rows;
}

const std::array<PropertyDef, kDefPropertyCount>& PropertyTable()
{
    static const std::array<PropertyDef, kDefPropertyCount> table = BuildPropertyTable();
    return table;
}

// ---- Key table ----

struct KeyRow {
    int32_t key;
    int32_t property;
};

std::vector<KeyRow> BuildKeyTable()
{
    std::vector<KeyRow> rows;
    auto range = [&rows](int32_t firstKey, int32_t lastKey, int32_t firstProperty) {
        for (int32_t key = firstKey; key <= lastKey; ++key) {
            rows.push_back({key, firstProperty == kDefNoProperty ? kDefNoProperty : firstProperty + key - firstKey});
        }
    };
    range(3, 8, 1001);
    range(9, 15, 1008);
    range(16, 26, 1045);
    range(28, 31, 1057);
    range(35, 35, kDefNoProperty);
    rows.insert(rows.end(), {{36, 1061}, {37, 1062}, {39, 1064}, {40, 1067}});
    range(41, 48, kDefNoProperty);
    range(49, 75, 1015);
    rows.insert(rows.end(), {{76, 1074}, {78, 1044}, {79, 1072}, {80, 1073}, {88, 1056}, {89, 1063}, {90, 1065},
                             {91, 1066}, {92, 1068}, {93, 1064}, {94, 1075}, {95, 1071}});
    return rows;
}

const std::vector<KeyRow>& KeyTable()
{
    static const std::vector<KeyRow> table = BuildKeyTable();
    return table;
}

// ---- Records as words ----

using Words = std::vector<uint32_t>;

uint32_t WordAt(const std::vector<uint8_t>& bytes, uint32_t index)
{
    uint32_t value = 0;
    if ((index + 1) * 4 <= bytes.size()) {
        std::memcpy(&value, bytes.data() + index * 4, 4);
    }
    return value;
}

void PutWord(std::vector<uint8_t>* bytes, uint32_t index, uint32_t value)
{
    if ((index + 1) * 4 <= bytes->size()) {
        std::memcpy(bytes->data() + index * 4, &value, 4);
    }
}

void PutText(std::vector<uint8_t>* bytes, uint32_t offset, uint32_t size, const char* text)
{
    if (offset + size > bytes->size() || size == 0) {
        return;
    }
    std::memset(bytes->data() + offset, 0, size);
    if (text != nullptr) {
        std::memcpy(bytes->data() + offset, text, strnlen(text, size - 1));
    }
}

std::vector<uint8_t> NewRecord(uint32_t property)
{
    return std::vector<uint8_t>(DefPropertySize(property), 0);
}

bool Read(uint32_t property, uint32_t level, std::vector<uint8_t>* bytes)
{
    *bytes = NewRecord(property);
    return !bytes->empty() && DefGet(0, property, level, bytes->data()) != 0;
}

constexpr int32_t Fix(double value)
{
    return static_cast<int32_t>(value * 65536.0);
}

}  // namespace

uint32_t DefPropertySize(uint32_t property)
{
    if (property < kDefFirstProperty || property > kDefLastProperty) {
        return 0;
    }
    return static_cast<uint32_t>(PropertyTable()[property - kDefFirstProperty].size);
}

int DefRegisterProperties()
{
    return Default_SetUserProperties(PropertyTable().data(), kDefPropertyCount) == kStatusOk ? 1 : 0;
}

int DefGet(uint32_t owner, uint32_t property, uint32_t level, void* record)
{
    return Default_Get(owner, level, property, record) == kStatusOk ? 1 : 0;
}

int DefSet(uint32_t owner, uint32_t property, uint32_t level, const void* record, int save)
{
    int result = Default_Set(owner, level, property, record) == kStatusOk ? 1 : 0;
    if (result != 0 && level == kDefLevelStandard) {
        gStandardChanged = true;
    }
    if (save == 1) {
        GE_SaveDefaultsFile();
    }
    return result;
}

int DefStandardChanged()
{
    return gStandardChanged ? 1 : 0;
}

void DefSetStandardChanged(int value)
{
    gStandardChanged = value != 0;
}

int DefKeyToProperty(int32_t key, int32_t* property)
{
    for (const KeyRow& row : KeyTable()) {
        if (row.key == key) {
            if (property != nullptr) {
                *property = row.property;
            }
            return 1;
        }
    }
    return 0;
}

int32_t DefRegionKey(int32_t regionKind)
{
    constexpr int32_t kKeyBit = 0x10000000;
    int32_t key = (regionKind & ~kKeyBit) - 4096 + 49 + ((regionKind & kKeyBit) != 0 ? 1 : 0);
    if (key < 49 || key > 80) {
        EE_ReportError(kMsgBadRegionKey);
    }
    return key;
}

int DefIsAttributeProperty(uint32_t property)
{
    return (property >= 1001 && property <= 1056) || (property >= 1071 && property <= 1074) ? 1 : 0;
}

int DefIsInList(uint32_t value, uint32_t count, const uint32_t* list)
{
    return list != nullptr && std::find(list, list + count, value) != list + count ? 1 : 0;
}

int DefListContains(uint32_t count, const uint32_t* list, uint32_t value)
{
    return DefIsInList(value, count, list);
}

int DefLowestBit(uint32_t word)
{
    for (int bit = 0; bit < 32; ++bit) {
        if ((word & (1u << bit)) != 0) {
            return bit;
        }
    }
    return -1;
}

int DefKeyForSpec(uint32_t objectClass, uint32_t kindBits, uint32_t detailBits, uint32_t, int32_t* key)
{
    int32_t found = 0;
    if (objectClass == 4) {
        const std::pair<uint32_t, int32_t> kinds[] = {
            {0xFFF, 3}, {0xFFF000, 4}, {1u << 24, 6}, {1u << 25, 8}, {1u << 26, 7}};
        const std::pair<uint32_t, int32_t> details[] = {{1, 19},  {2, 21},  {4, 20},   {8, 24},  {16, 22},
                                                        {32, 23}, {64, 26}, {128, 25}, {256, 88}, {0xFF000, 11}};
        for (const auto& [mask, value] : kinds) {
            if (found == 0 && (kindBits & mask) != 0) {
                found = value;
            }
        }
        for (const auto& [mask, value] : details) {
            if (found == 0 && (detailBits & mask) != 0) {
                found = value;
            }
        }
    } else if (objectClass == 8) {
        if (kindBits != 0) {
            found = 5;
        } else if ((detailBits & 0x10000) != 0) {
            found = 12;
        } else if ((detailBits & 0xFF00) != 0) {
            found = 18;
        } else if ((detailBits & 0x20000) != 0) {
            found = 13;
        }
    } else if (objectClass == 16 && kindBits != 0) {
        found = 49 + DefLowestBit(kindBits);
    }
    if (key != nullptr) {
        *key = found;
    }
    return found != 0 ? 1 : 0;
}

int DefGetByKey(int32_t key, void* record, uint32_t level)
{
    int32_t property = 0;
    if (DefKeyToProperty(key, &property) == 0 || property == kDefNoProperty) {
        return 0;
    }
    return DefGet(0, static_cast<uint32_t>(property), level, record);
}

int DefSetByKey(int32_t key, const void* record, uint32_t level)
{
    int32_t property = 0;
    if (DefKeyToProperty(key, &property) == 0 || property == kDefNoProperty) {
        return 0;
    }
    return DefSet(0, static_cast<uint32_t>(property), level, record, 1);
}

// ---- Attribute groups ----

namespace {

int GetGroup(int32_t key, uint32_t first, uint32_t count, uint32_t* words, uint32_t level)
{
    std::array<uint32_t, kDefAttributeWords> record{};
    int32_t property = 0;
    int result = 0;
    if (DefKeyToProperty(key, &property) != 0 && DefIsAttributeProperty(static_cast<uint32_t>(property)) != 0) {
        result = DefGet(0, static_cast<uint32_t>(property), level, record.data());
    }
    // The group is copied out even when the read failed.
    if (words != nullptr) {
        std::copy_n(record.begin() + first, count, words);
    }
    return result;
}

int SetGroup(int32_t key, uint32_t first, uint32_t count, const uint32_t* words, uint32_t level)
{
    std::array<uint32_t, kDefAttributeWords> record{};
    int32_t property = 0;
    if (words == nullptr || DefKeyToProperty(key, &property) == 0 ||
        DefIsAttributeProperty(static_cast<uint32_t>(property)) == 0 ||
        DefGet(0, static_cast<uint32_t>(property), level, record.data()) == 0) {
        return 0;
    }
    std::copy_n(words, count, record.begin() + first);
    return DefSet(0, static_cast<uint32_t>(property), level, record.data(), 1);
}

}  // namespace

int DefGetGraphic(int32_t key, uint32_t* words, uint32_t level) { return GetGroup(key, 0, 9, words, level); }
int DefSetGraphic(int32_t key, const uint32_t* words, uint32_t level) { return SetGroup(key, 0, 9, words, level); }
int DefGetText(int32_t key, uint32_t* words, uint32_t level) { return GetGroup(key, 9, 5, words, level); }
int DefSetText(int32_t key, const uint32_t* words, uint32_t level) { return SetGroup(key, 9, 5, words, level); }
int DefGetShape(int32_t key, uint32_t* words, uint32_t level) { return GetGroup(key, 14, 8, words, level); }
int DefSetShape(int32_t key, const uint32_t* words, uint32_t level) { return SetGroup(key, 14, 8, words, level); }
int DefGetPlacement(int32_t key, uint32_t* words, uint32_t level) { return GetGroup(key, 22, 5, words, level); }
int DefSetPlacement(int32_t key, const uint32_t* words, uint32_t level) { return SetGroup(key, 22, 5, words, level); }
int DefGetKeyText(int32_t key, uint32_t* words, uint32_t level) { return GetGroup(key, 27, 1, words, level); }
int DefSetKeyText(int32_t key, const uint32_t* words, uint32_t level) { return SetGroup(key, 27, 1, words, level); }

int DefGetKeyTextDiagram(int32_t key, int16_t* id)
{
    uint32_t word = 0;
    int result = DefGetKeyText(key, &word, kDefLevelDiagram);
    if (id != nullptr) {
        *id = static_cast<int16_t>(word);
    }
    return result;
}

int DefSetKeyTextDiagram(int32_t key, int16_t id)
{
    uint32_t word = static_cast<uint32_t>(static_cast<int32_t>(id));
    return DefSetKeyText(key, &word, kDefLevelDiagram);
}

// ---- Option records ----

namespace {

int GetWords(uint32_t property, uint32_t count, uint32_t* words, uint32_t level)
{
    std::vector<uint8_t> bytes;
    if (words == nullptr || !Read(property, level, &bytes)) {
        return 0;
    }
    for (uint32_t i = 0; i < count; ++i) {
        words[i] = WordAt(bytes, i);
    }
    return 1;
}

int SetWords(uint32_t property, uint32_t count, const uint32_t* words, uint32_t level)
{
    if (words == nullptr) {
        return 0;
    }
    std::vector<uint8_t> bytes = NewRecord(property);
    for (uint32_t i = 0; i < count; ++i) {
        PutWord(&bytes, i, words[i]);
    }
    return DefSet(0, property, level, bytes.data(), 1);
}

int GetWhole(uint32_t property, void* record, uint32_t level)
{
    return record != nullptr ? DefGet(0, property, level, record) : 0;
}

int SetWhole(uint32_t property, const void* record, uint32_t level)
{
    return record != nullptr ? DefSet(0, property, level, record, 1) : 0;
}

constexpr uint32_t kBracketText = 16;
constexpr uint32_t kBracketCount = 10;
constexpr uint32_t kPageNameOffset = 16;
constexpr uint32_t kPageNameSize = 256;

}  // namespace

int DefGetMergeOptions(uint32_t* six, uint32_t level) { return GetWords(kDefMergeOptions, 6, six, level); }
int DefSetMergeOptions(const uint32_t* six, uint32_t level) { return SetWords(kDefMergeOptions, 6, six, level); }
int DefGetSwitches(uint32_t* eight, uint32_t level) { return GetWords(kDefSwitches, 8, eight, level); }
int DefSetSwitches(const uint32_t* eight, uint32_t level) { return SetWords(kDefSwitches, 8, eight, level); }
// The eight switches are the mode attributes of new pages and compound nodes.
int DefGetModeAttributes(uint32_t* eight, uint32_t level) { return DefGetSwitches(eight, level); }

int DefGetBrackets(char (*texts)[16], uint32_t level)
{
    std::vector<uint8_t> bytes;
    if (texts == nullptr || !Read(kDefBrackets, level, &bytes)) {
        return 0;
    }
    for (uint32_t i = 0; i < kBracketCount; ++i) {
        std::memcpy(texts[i], bytes.data() + i * kBracketText, kBracketText);
        texts[i][kBracketText - 1] = '\0';
    }
    return 1;
}

int DefSetBrackets(const char* const* texts, uint32_t level)
{
    if (texts == nullptr) {
        return 0;
    }
    std::vector<uint8_t> bytes = NewRecord(kDefBrackets);
    // The fifth pair (texts 4 and 9) is always stored empty.
    for (uint32_t i = 0; i < kBracketCount; ++i) {
        PutText(&bytes, i * kBracketText, kBracketText, i == 4 || i == 9 ? "" : texts[i]);
    }
    return DefSet(0, kDefBrackets, level, bytes.data(), 1);
}

int DefGetPageLayout(uint32_t* gridX, uint32_t* gridY, uint16_t* spacingX, uint16_t* spacingY, uint32_t* hideSub,
                     uint32_t* hideInv, uint32_t level)
{
    uint32_t words[6] = {};
    if (GetWords(kDefPageLayout, 6, words, level) == 0) {
        return 0;
    }
    *gridX = words[0];
    *gridY = words[1];
    *spacingX = static_cast<uint16_t>(words[2]);
    *spacingY = static_cast<uint16_t>(words[3]);
    *hideSub = words[4];
    *hideInv = words[5];
    return 1;
}

int DefSetPageLayout(uint32_t gridX, uint32_t gridY, uint16_t spacingX, uint16_t spacingY, uint32_t hideSub,
                     uint32_t hideInv, uint32_t level)
{
    const uint32_t words[6] = {gridX, gridY, spacingX, spacingY, hideSub, hideInv};
    return SetWords(kDefPageLayout, 6, words, level);
}

int DefGetRecord1060(uint32_t* four, uint16_t* a, uint16_t* b, uint32_t level)
{
    uint32_t words[6] = {};
    if (four == nullptr || GetWords(kDefRecord1060, 6, words, level) == 0) {
        return 0;
    }
    std::copy_n(words, 4, four);
    *a = static_cast<uint16_t>(words[4]);
    *b = static_cast<uint16_t>(words[5]);
    return 1;
}

int DefSetRecord1060(const uint32_t* four, uint16_t a, uint16_t b, uint32_t level)
{
    if (four == nullptr) {
        return 0;
    }
    const uint32_t words[6] = {four[0], four[1], four[2], four[3], a, b};
    return SetWords(kDefRecord1060, 6, words, level);
}

int DefGetPageTitle(uint16_t* width, uint16_t* height, uint32_t* c, uint32_t* d, char* name, uint32_t level)
{
    std::vector<uint8_t> bytes;
    if (!Read(kDefPageTitle, level, &bytes)) {
        return 0;
    }
    *width = static_cast<uint16_t>(WordAt(bytes, 0));
    *height = static_cast<uint16_t>(WordAt(bytes, 1));
    *c = WordAt(bytes, 2);
    *d = WordAt(bytes, 3);
    if (name != nullptr) {
        std::memcpy(name, bytes.data() + kPageNameOffset, kPageNameSize);
        name[kPageNameSize - 1] = '\0';
    }
    return 1;
}

int DefSetPageTitle(uint16_t width, uint16_t height, uint32_t c, uint32_t d, const char* name, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefPageTitle);
    PutWord(&bytes, 0, width);
    PutWord(&bytes, 1, height);
    PutWord(&bytes, 2, c);
    PutWord(&bytes, 3, d);
    PutText(&bytes, kPageNameOffset, kPageNameSize, name);
    return DefSet(0, kDefPageTitle, level, bytes.data(), 1);
}

#define TOLQ_WHOLE_RECORD(Name, property)                                                                   \
    int DefGet##Name(void* record, uint32_t level) { return GetWhole(property, record, level); }          \
    int DefSet##Name(const void* record, uint32_t level) { return SetWhole(property, record, level); }

TOLQ_WHOLE_RECORD(SyntaxOptions, kDefSyntaxOptions)
TOLQ_WHOLE_RECORD(RunOptions, kDefRunOptions)
TOLQ_WHOLE_RECORD(CodeOptions, kDefCodeOptions)
TOLQ_WHOLE_RECORD(InteractiveOptions, kDefInteractiveOptions)
TOLQ_WHOLE_RECORD(OccSetOptions, kDefOccSetOptions)
TOLQ_WHOLE_RECORD(MLSettings, kDefMLSettings)
TOLQ_WHOLE_RECORD(LineChartOptions, kDefLineChartOptions)
TOLQ_WHOLE_RECORD(BarChartOptions, kDefBarChartOptions)
TOLQ_WHOLE_RECORD(RXLOptions, kDefRXLOptions)
TOLQ_WHOLE_RECORD(PerfReport, kDefPerfReport)

#undef TOLQ_WHOLE_RECORD

// ---- Copies of option records ----

namespace {

// Words and texts of a record, copied field by field.
struct CopyLayout {
    uint32_t property;
    uint32_t words;
    std::vector<std::pair<uint32_t, uint32_t>> texts;  // offset, size
};

int CopyRecord(const CopyLayout& layout, const void* source, void* destination)
{
    if (source == destination) {
        return 1;
    }
    std::vector<uint8_t> from;
    if (source == nullptr || source == reinterpret_cast<const void*>(1)) {
        uint32_t level = source == nullptr ? kDefLevelDiagram : kDefLevelStandard;
        if (!Read(layout.property, level, &from)) {
            return 0;
        }
    } else {
        const auto* bytes = static_cast<const uint8_t*>(source);
        from.assign(bytes, bytes + DefPropertySize(layout.property));
    }
    std::vector<uint8_t> to = NewRecord(layout.property);
    if (destination != nullptr) {
        std::memcpy(to.data(), destination, to.size());
    }
    std::memcpy(to.data(), from.data(), layout.words * 4);
    for (const auto& [offset, size] : layout.texts) {
        std::vector<char> text(size + 1, 0);
        std::memcpy(text.data(), from.data() + offset, size);
        size_t length = strnlen(text.data(), size);
        std::memcpy(to.data() + offset, text.data(), std::min<size_t>(length + 1, size));
    }
    if (destination == nullptr) {
        return DefSet(0, layout.property, kDefLevelDiagram, to.data(), 1);
    }
    std::memcpy(destination, to.data(), to.size());
    return 1;
}

std::vector<std::pair<uint32_t, uint32_t>> TextRun(uint32_t first, uint32_t count, uint32_t size)
{
    std::vector<std::pair<uint32_t, uint32_t>> texts;
    for (uint32_t i = 0; i < count; ++i) {
        texts.emplace_back(first + i * size, size);
    }
    return texts;
}

}  // namespace

int DefCopySyntaxOptions(const void* source, void* destination)
{
    return CopyRecord({kDefSyntaxOptions, 11, {}}, source, destination);
}

int DefCopyRunOptions(const void* source, void* destination)
{
    return CopyRecord({kDefRunOptions, 12, TextRun(48, 4, 32)}, source, destination);
}

int DefCopyCodeOptions(const void* source, void* destination)
{
    return CopyRecord({kDefCodeOptions, 3, TextRun(12, 1, 32)}, source, destination);
}

int DefCopyInteractiveOptions(const void* source, void* destination)
{
    return CopyRecord({kDefInteractiveOptions, 4, {}}, source, destination);
}

int DefCopyRecord1067(const void* source, void* destination)
{
    return CopyRecord({kDefOccSetOptions, 7, {}}, source, destination);
}

int DefCopyRXLOptions(const void* source, void* destination)
{
    auto texts = TextRun(24, 2, 20);
    auto more = TextRun(64, 6, 32);
    texts.insert(texts.end(), more.begin(), more.end());
    return CopyRecord({kDefRXLOptions, 6, texts}, source, destination);
}

// ---- ML settings ----

namespace {

void CopyMLText(char* destination, uint32_t offset, uint32_t size, uint32_t level)
{
    if (destination == nullptr) {
        return;
    }
    destination[0] = '\0';
    std::vector<uint8_t> bytes;
    if (Read(kDefMLSettings, level, &bytes)) {
        size_t length = strnlen(reinterpret_cast<const char*>(bytes.data() + offset), size - 1);
        std::memcpy(destination, bytes.data() + offset, length);
        destination[length] = '\0';
    }
}

}  // namespace

void DefGetMLImagePath(char* destination, uint32_t level)
{
    CopyMLText(destination, kMLImageOffset, kMLPathSize, level);
}

void DefGetMLRuntimePath(char* destination, uint32_t level)
{
    CopyMLText(destination, kMLRuntimeOffset, kMLPathSize, level);
}

void DefGetMLHost(char* destination, uint32_t level)
{
    CopyMLText(destination, kMLHostOffset, kMLHostSize, level);
}

void DefGetMLPort(uint16_t* port, uint32_t level)
{
    std::vector<uint8_t> bytes;
    if (port != nullptr && Read(kDefMLSettings, level, &bytes)) {
        *port = static_cast<uint16_t>(WordAt(bytes, kMLPortOffset / 4));
    }
}

void DefGetMLSwitch(uint32_t* local, uint32_t level)
{
    std::vector<uint8_t> bytes;
    if (local != nullptr && Read(kDefMLSettings, level, &bytes)) {
        *local = WordAt(bytes, kMLLocalOffset / 4);
    }
}

// ---- Levels ----

int DefCopyLevel(int mode)
{
    static constexpr std::pair<uint32_t, uint32_t> kModes[] = {
        {kDefLevelStandard, kDefLevelDiagram},
        {kDefLevelDiagram, kDefLevelStandard},
        {kDefLevelBuiltin, kDefLevelDiagram},
        {kDefLevelBuiltin, kDefLevelStandard}};
    if (mode < 0 || mode >= static_cast<int>(std::size(kModes))) {
        return 0;
    }
    const auto [source, destination] = kModes[mode];
    // Collected first: storing may add entries to the list being walked.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> records;
    for (uint32_t index = 0;; ++index) {
        uint32_t level = 0;
        uint32_t property = 0;
        MemHandle value = 0;
        if (Default_GetEntry(index, &level, &property, &value) != kStatusOk) {
            if (value != 0) {
                Mem_Free(value);
            }
            break;
        }
        if (level == source && DefPropertySize(property) != 0) {
            BlockLock<uint8_t> bytes(value);
            if (bytes && bytes.size() >= DefPropertySize(property)) {
                records.emplace_back(property, std::vector<uint8_t>(bytes.get(), bytes.get() + bytes.size()));
            }
        }
        Mem_Free(value);
    }
    for (const auto& [property, bytes] : records) {
        if (DefSet(0, property, destination, bytes.data(), 0) == 0) {
            return 0;
        }
    }
    return 1;
}

// ---- Conversion of old diagrams' records ----

uintptr_t DefConvertReadDefault(uintptr_t head, uintptr_t value, uintptr_t size, uintptr_t platform,
                                uintptr_t version, uintptr_t)
{
    constexpr uintptr_t kOldFormat = 514;
    constexpr uintptr_t kFirstConvertedVersion = 24;
    const auto* words = reinterpret_cast<const uint32_t*>(head);
    if (words == nullptr || value == 0 || platform != kOldFormat || version < kFirstConvertedVersion ||
        words[1] != kDefLevelDiagram || DefIsAttributeProperty(words[2]) == 0 || size < kDefAttributeSize) {
        return 1;
    }
    auto* record = reinterpret_cast<uint8_t*>(value);
    auto convert = [record](uint32_t word, uint32_t table) {
        int32_t code = 0;
        std::memcpy(&code, record + word * 4, 4);
        code = QXUtil_ConvertCode(code, table, 1);
        std::memcpy(record + word * 4, &code, 4);
    };
    std::memset(record + 2 * 4, 0, 4);
    convert(7, 6);
    convert(9, 4);
    convert(10, 5);
    convert(11, 3);
    return 1;
}

// ---- Built-in values ----

namespace {

using Overrides = std::initializer_list<std::pair<uint32_t, int32_t>>;

constexpr int32_t kTemplate[kDefAttributeWords] = {1, 1, 0, 0, 0, 0, 0, 0, 0,        //
                                                   0, 2, 3, 1, 9,                    //
                                                   1, Fix(15.0), Fix(30.0), 0, 0, 0, 0, 0,  //
                                                   0, 0, 0, 0, 8,                    //
                                                   0};

int StoreBuiltin(uint32_t property, const std::vector<uint8_t>& bytes)
{
    return DefSet(0, property, kDefLevelBuiltin, bytes.data(), 0);
}

int Attribute(std::initializer_list<uint32_t> properties, Overrides overrides)
{
    int result = 1;
    for (uint32_t property : properties) {
        std::vector<uint8_t> bytes = NewRecord(property);
        for (uint32_t i = 0; i < kDefAttributeWords; ++i) {
            PutWord(&bytes, i, static_cast<uint32_t>(kTemplate[i]));
        }
        for (const auto& [word, value] : overrides) {
            PutWord(&bytes, word, static_cast<uint32_t>(value));
        }
        result = StoreBuiltin(property, bytes) != 0 ? result : 0;
    }
    return result;
}

// Changes one word of a stored built-in record.
int Patch(uint32_t property, uint32_t word, int32_t value)
{
    std::vector<uint8_t> bytes;
    if (!Read(property, kDefLevelBuiltin, &bytes)) {
        return 0;
    }
    PutWord(&bytes, word, static_cast<uint32_t>(value));
    return StoreBuiltin(property, bytes);
}

int AttributeRecords()
{
    const Overrides arcShape = {{14, 20}, {15, 8}, {16, 4}, {17, 1}, {18, 1}, {19, 1}, {20, Fix(7.5)}};
    int ok = 1;
    ok &= Attribute({1001}, {{13, 10}, {14, 2}});
    ok &= Attribute({1002}, {{13, 10}});
    ok &= Attribute({1003}, arcShape);
    ok &= Attribute({1011}, arcShape);
    ok &= Attribute({1047}, arcShape);
    ok &= Patch(1003, 8, 1);
    ok &= Patch(1011, 3, 2);
    ok &= Attribute({1004, 1005, 1006}, {{10, 1}, {11, 1}, {13, 10}, {15, Fix(60.0)}, {16, Fix(120.0)}});
    ok &= Attribute({1007, 1008, 1009, 1012, 1013, 1014, 1022, 1026, 1039, 1042, 1043, 1046, 1074}, {});
    ok &= Attribute({1010}, {{3, 2}, {13, 10}, {14, 4}, {15, Fix(9.0)}, {16, Fix(37.5)}, {17, Fix(7.5)}});
    const int32_t styles[] = {2, 4, 8};
    const std::pair<int32_t, int32_t> offsets[] = {{-45, 20}, {45, 20}, {45, -20}};
    for (int i = 0; i < 3; ++i) {
        ok &= Attribute({static_cast<uint32_t>(1015 + i)}, {{9, styles[i]},
                                                             {10, 1},
                                                             {14, 37},
                                                             {15, 0},
                                                             {16, 0},
                                                             {22, offsets[i].first},
                                                             {23, offsets[i].second}});
    }
    ok &= Attribute({1018}, {{7, 3}, {10, 1}, {22, 42}, {23, 8}, {26, 4}});
    ok &= Attribute({1019}, {{15, Fix(7.0)}, {16, Fix(10.0)}, {22, 45}, {27, 11778}});
    ok &= Attribute({1020}, {{15, Fix(7.0)}, {16, Fix(25.0)}, {23, -15}, {26, 4}});
    ok &= Attribute({1021}, {{15, Fix(7.0)}, {16, Fix(10.0)}, {22, -45}, {23, -20}, {27, 11779}});
    const uint32_t inscriptions[] = {1023, 1038, 1044};
    const std::pair<int32_t, int32_t> inscriptionOffsets[] = {{-45, -20}, {20, 40}, {45, -20}};
    for (int i = 0; i < 3; ++i) {
        ok &= Attribute({inscriptions[i]}, {{10, 1},
                                            {14, 37},
                                            {15, 0},
                                            {16, 0},
                                            {22, inscriptionOffsets[i].first},
                                            {23, inscriptionOffsets[i].second}});
    }
    ok &= Attribute({1024}, {{7, 3}, {15, Fix(30.0)}, {16, Fix(60.0)}, {22, 70}, {23, 23}, {10, 1}, {26, 4}});
    ok &= Attribute({1030}, {{7, 3}, {15, Fix(30.0)}, {16, Fix(60.0)}, {22, 70}, {23, 23}, {26, 4}});
    ok &= Attribute({1072}, {{7, 3}, {15, Fix(30.0)}, {16, Fix(60.0)}, {22, 70}, {23, 23}, {10, 1}});
    ok &= Attribute({1025}, {{15, Fix(7.0)}, {16, Fix(7.0)}, {22, 45}, {23, 20}, {27, 11781}});
    ok &= Attribute({1027}, {{14, 37}, {15, 0}, {16, 0}});
    ok &= Attribute({1028}, {{10, 1}, {15, Fix(7.0)}, {16, Fix(25.0)}, {22, 35}, {26, 4}});
    ok &= Attribute({1029}, {{15, Fix(7.0)}, {16, Fix(7.0)}, {22, 50}, {27, 11782}});
    ok &= Attribute({1031}, {{15, Fix(7.0)}, {16, Fix(7.0)}, {22, 45}, {23, 40}, {27, 11783}});
    ok &= Attribute({1032}, {{10, 1}, {15, Fix(14.0)}, {16, Fix(25.0)}, {22, 36}, {23, 5}, {26, 4}});
    ok &= Attribute({1033}, {{14, 2}, {15, Fix(8.0)}, {16, Fix(8.0)}, {22, 45}});
    ok &= Attribute({1034, 1040}, {{10, 1}, {15, Fix(8.0)}, {16, Fix(25.0)}, {22, 30}, {23, 10}, {26, 4}});
    ok &= Attribute({1035, 1041}, {{8, 20}, {14, 2}, {15, Fix(8.0)}, {16, Fix(8.0)}});
    ok &= Attribute({1036}, {{15, Fix(7.0)}, {16, Fix(11.0)}, {22, 20}});
    ok &= Attribute({1037}, {{15, Fix(7.0)}, {16, Fix(7.0)}, {22, -45}, {23, -25}, {27, 11780}});
    ok &= Attribute({1045}, {{1, 0},
                             {3, 4},
                             {4, 13},
                             {10, 1},
                             {11, 0},
                             {13, 0},
                             {14, 0},
                             {15, 1},
                             {16, 0x050147DF},
                             {22, 26112},
                             {26, 4}});
    ok &= Attribute({1048}, {{10, 1}, {15, Fix(30.0)}, {16, Fix(60.0)}});
    ok &= Attribute({1049}, {{10, 1}, {14, 4}, {15, Fix(30.0)}, {16, Fix(60.0)}, {17, Fix(7.5)}});
    ok &= Attribute({1050}, {{14, 2}, {16, Fix(15.0)}});
    ok &= Attribute({1052}, {{14, 3}, {16, Fix(15.0)}});
    ok &= Attribute({1051}, {{14, 3}, {15, Fix(30.0)}, {16, Fix(60.0)}});
    ok &= Attribute({1054}, {{14, 6}, {15, Fix(30.0)}, {16, Fix(60.0)}});
    ok &= Attribute({1053}, {{14, 5}, {16, Fix(15.0)}, {17, 0}, {18, 270}});
    ok &= Attribute({1055}, {{9, 2}, {14, 37}, {15, 0}, {16, 0}});
    ok &= Attribute({1056}, {{14, 7}, {15, 0}, {16, 0}});
    ok &= Attribute({1071}, {{15, Fix(150.0)}, {16, Fix(250.0)}});
    ok &= Attribute({1073}, {{15, Fix(7.0)}, {16, Fix(7.0)}, {22, 240}, {23, 140}, {27, 11781}});
    return ok;
}

int WordsRecord(uint32_t property, std::initializer_list<uint32_t> words,
                std::initializer_list<std::pair<uint32_t, const char*>> texts = {}, uint32_t textSize = 0)
{
    std::vector<uint8_t> bytes = NewRecord(property);
    uint32_t index = 0;
    for (uint32_t word : words) {
        PutWord(&bytes, index++, word);
    }
    for (const auto& [offset, text] : texts) {
        PutText(&bytes, offset, textSize, text);
    }
    return StoreBuiltin(property, bytes);
}

int OptionRecords()
{
    int ok = 1;
    ok &= WordsRecord(kDefMergeOptions, {0, 0, 0, 0, 0, 0});
    ok &= WordsRecord(kDefBrackets, {}, {{0, "{"}, {80, "}"}, {16, "("}, {96, ")"}, {32, "["}, {112, "]"},
                                         {48, "begin"}, {128, "end"}, {64, ""}, {144, ""}},
                      kBracketText);
    ok &= WordsRecord(kDefPageLayout, {static_cast<uint32_t>(Fix(50.0)), static_cast<uint32_t>(Fix(25.0)), 2, 2, 0, 0});
    ok &= WordsRecord(kDefRecord1060, {0, 0, 0, 1, 50, 50});
    ok &= WordsRecord(kDefPageTitle, {776, 533, 0, 1}, {{kPageNameOffset, "New"}}, kPageNameSize);
    ok &= WordsRecord(kDefSwitches, {1, 1, 1, 1, 1, 1, 0, 0});
    ok &= WordsRecord(kDefSyntaxOptions, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ok &= WordsRecord(kDefRunOptions, {3, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1},
                      {{48, "100"}, {80, "0"}, {112, "0"}, {144, "0"}}, 32);
    ok &= WordsRecord(kDefCodeOptions, {0, 4, 6}, {{12, "0"}}, 32);
    ok &= WordsRecord(kDefInteractiveOptions, {0, 0, 0, 0});
    ok &= WordsRecord(kDefOccSetOptions, {0, 0, 0, 0, 0, 113, 1});
    ok &= WordsRecord(kDefPerfReport, {16, 8, 2, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> rxl = NewRecord(kDefRXLOptions);
    const uint32_t rxlWords[] = {0, 1, 0, 0, 0, 1};
    for (uint32_t i = 0; i < 6; ++i) {
        PutWord(&rxl, i, rxlWords[i]);
    }
    PutText(&rxl, 24, 20, "Minutes");
    PutText(&rxl, 44, 20, "Dollars");
    const char* rxlTexts[] = {"0.0", "10000.0", "100.0", "0", "NEVER", "100"};
    for (uint32_t i = 0; i < 6; ++i) {
        PutText(&rxl, 64 + i * 32, 32, rxlTexts[i]);
    }
    ok &= StoreBuiltin(kDefRXLOptions, rxl);
    return ok;
}

int ChartRecord(uint32_t property, std::initializer_list<uint32_t> words, std::initializer_list<const char*> texts)
{
    std::vector<uint8_t> bytes = NewRecord(property);
    uint32_t index = 0;
    for (uint32_t word : words) {
        PutWord(&bytes, index++, word);
    }
    uint32_t offset = 80;
    for (const char* text : texts) {
        PutText(&bytes, offset, 256, text);
        offset += 256;
    }
    return StoreBuiltin(property, bytes);
}

int ChartRecords()
{
    int ok = ChartRecord(kDefBarChartOptions, {1, 1, 10, 0, 0, 0, 1, 10, 1, 1, 0, 1, 1, 1, 1, 1, 0, 1, 1, 0},
                         {"", "0", "0", "100", "0"});
    ok &= ChartRecord(kDefLineChartOptions, {1, 10, 0, 0, 10, 1, 10, 1, 1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 0, 0},
                      {"", "0", "0", "0", "0", "100", "0", "100", "0", "0"});
    return ok;
}

}  // namespace

int DefInitMLSettings()
{
    std::vector<uint8_t> bytes = NewRecord(kDefMLSettings);
    PutWord(&bytes, kMLPortOffset / 4, 2097);
    PutWord(&bytes, kMLLocalOffset / 4, 1);
    std::array<char, kMLHostSize> host{};
    if (gethostname(host.data(), kMLHostSize - 1) != 0) {
        return 0;
    }
    host[kMLHostSize - 1] = '\0';
    PutText(&bytes, kMLHostOffset, kMLHostSize, host.data());
    char* program = nullptr;
    char* directory = nullptr;
    if (QXUtil_GetStartPaths(&program, &directory) != 0 && directory != nullptr) {
        std::string dir(directory);
        PutText(&bytes, kMLImageOffset, kMLPathSize, (dir + "tolq.ML").c_str());
        PutText(&bytes, kMLRuntimeOffset, kMLPathSize, (dir + "run.x86-linux").c_str());
    }
    QXMem_Free(program);
    QXMem_Free(directory);
    return StoreBuiltin(kDefMLSettings, bytes);
}

int DefInitAll()
{
    int ok = AttributeRecords();
    ok &= OptionRecords();
    ok &= DefInitMLSettings();
    ok &= ChartRecords();
    ok &= DefInitMLSettings();
    return ok;
}

void GE_FlushRedraw()
{
    QXUI_FlushDisplay();
}
