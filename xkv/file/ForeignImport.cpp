// Import of the older drawing tool's diagram files (versions 18 to 24, from
// big-endian and little-endian machines): header, preamble and object list,
// converted into this system's records.
#include <algorithm>
#include <cstring>

#include "xkv/file/DiagramRead.h"
#include "xkv/kv/Hook.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/PtArray.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr HookId kHookOldVersion = 59;
constexpr uint16_t kBigEndianCode = 0x0202;
constexpr uint16_t kLittleEndianCode = 0x0404;
constexpr uint32_t kRootTypeCode = 512;
constexpr uint32_t kPageTypeCode = 2;

// Code tables of the model's converter.
constexpr uint32_t kTableShape = 0;
constexpr uint32_t kTableType = 1;
constexpr uint32_t kTableFlags = 2;
constexpr uint32_t kTableFont = 3;
constexpr uint32_t kTableStyle = 4;
constexpr uint32_t kTableAlignment = 5;
constexpr uint32_t kTableLineStyle = 6;
constexpr uint32_t kTableDrawing = 8;
constexpr uint32_t kFromOldTool = 1;

constexpr uint32_t kFlagLabel = 0x88;
constexpr uint32_t kFlagNoWrap = 1024;
constexpr uint32_t kFlagTextBits = 48;
constexpr uint32_t kFlagUserBytes = 64;
constexpr uint32_t kFlagWindowed = 2048;

bool IsEnd(KernelStatus status)
{
    return status == kStatusEndOfFile || status == kStatusShortRead;
}

uint32_t Convert(uint32_t code, uint32_t table)
{
    return static_cast<uint32_t>(Model_ConvertCode(static_cast<int32_t>(code), table, kFromOldTool));
}

// The old tool's object record, as read.
struct OldRecord {
    int16_t handles[3] = {};
    int16_t scale[2] = {};
    int16_t value10 = 0;
    uint32_t textMarker = 0;
    int16_t box[4] = {};  // top, left, bottom, right
    uint32_t typeCode = 0;
    uint32_t words28[7] = {};  // line style, width, drawing, pattern, flags, shape, word 19
    uint32_t geometry[4] = {};  // x, y, height, width
    uint32_t w[10] = {};        // offsets 72 to 108
    int16_t pageValues[2] = {};
};

class ForeignReader {
public:
    ForeignReader(FileHandle file, ReadState* state) : file_(file), state_(state) {}

    KernelStatus ReadAll()
    {
        for (;;) {
            ParsedObject object;
            KernelStatus status = ReadItem(&object);
            if (IsEnd(status)) {
                break;
            }
            if (status != kStatusOk) {
                return status;
            }
            state_->objects.push_back(std::move(object));
        }
        // Handle 1 is the root: it leads the list.
        auto& objects = state_->objects;
        auto root = std::find_if(objects.begin(), objects.end(), [](const ParsedObject& o) { return o.oldHandle == 1; });
        if (root != objects.end()) {
            std::rotate(objects.begin(), root, root + 1);
        }
        return kStatusOk;
    }

private:
    bool BigEndian() const { return state_->header.platform == kBigEndianCode; }

    KernelStatus Half(int16_t* value) { return File_ReadValue(file_, value, 2); }
    KernelStatus Word(uint32_t* value) { return File_ReadValue(file_, value, 4); }

    // Multiplies by the reciprocal of the current page scale.
    uint32_t Scaled(uint32_t value) const
    {
        if (pageScale_ == kFixedOne || pageScale_ == 0) {
            return value;
        }
        int64_t scaled = int64_t{static_cast<int32_t>(value)} * kFixedOne / pageScale_;
        return static_cast<uint32_t>(static_cast<int32_t>(std::clamp<int64_t>(scaled, INT32_MIN, INT32_MAX)));
    }

    KernelStatus ReadOld(OldRecord* r)
    {
        KernelStatus status = kStatusOk;
        auto half = [&](int16_t* v) { if (status == kStatusOk) status = Half(v); };
        auto word = [&](uint32_t* v) { if (status == kStatusOk) status = Word(v); };
        for (int16_t& h : r->handles) half(&h);
        for (int16_t& s : r->scale) half(&s);
        half(&r->value10);
        word(&r->textMarker);
        for (int16_t& b : r->box) half(&b);
        word(&r->typeCode);
        for (uint32_t& v : r->words28) word(&v);
        for (uint32_t& v : r->geometry) word(&v);
        for (int i = 0; i < 4; ++i) word(&r->w[i]);
        if (r->typeCode == kPageTypeCode) {
            half(&r->pageValues[0]);
            half(&r->pageValues[1]);
        } else {
            word(&r->w[4]);
        }
        for (int i = 5; i < 10; ++i) word(&r->w[i]);
        return status;
    }

    void ConvertRecord(const OldRecord& r, ObjectRecord* record)
    {
        using namespace RecordWord;
        uint32_t* words = record->words;
        for (int i = 0; i < 3; ++i) {
            words[i] = static_cast<uint32_t>(static_cast<int32_t>(r.handles[i]));
        }
        if (r.typeCode == kRootTypeCode) {
            words[kType] = kTypeDiagram;
            return;
        }
        const uint32_t type = Convert(r.typeCode, kTableType);
        words[kType] = type;
        words[kScaleX] = static_cast<uint32_t>(r.scale[0] * 256);
        words[kScaleY] = static_cast<uint32_t>(r.scale[1] * 256);
        words[kText] = r.textMarker;
        if (type != kTypePart) {
            words[kUserData] = r.w[8];  // offset 104
        }
        const int16_t top = r.box[0], left = r.box[1], bottom = r.box[2], right = r.box[3];
        for (auto [word, pixels] : {std::pair{kBox, left}, std::pair{kBox + 1, top}, std::pair{kBox + 2, right},
                                    std::pair{kBox + 3, bottom}}) {
            words[word] = Scaled(static_cast<uint32_t>(int32_t{pixels} * 0x8000));
        }
        words[kWord5] = static_cast<uint32_t>(BigEndian() ? r.value10 : r.value10 >> 2);
        words[kLineStyle] = Convert(r.words28[0], kTableLineStyle);
        words[kLineWidth] = Scaled(r.words28[1]);
        words[kColours] = Convert(r.words28[2], kTableDrawing);
        words[kWord15] = 0;
        words[kPattern] = r.words28[3];
        words[kFlags] = Convert(r.words28[4], kTableFlags);
        if (type == kTypePart) {
            words[kFlags] &= ~kFlagUserBytes;
        }
        words[kShapeKind] = Convert(r.words28[5], kTableShape);
        words[19] = r.words28[6];
        words[kPositionX] = Scaled(r.geometry[0]);
        words[kPositionY] = Scaled(r.geometry[1]);
        words[kHeight] = Scaled(r.geometry[2]);
        words[kWidth] = Scaled(r.geometry[3]);
        switch (type) {
        case kTypeNode:
            for (int i = 0; i < 4; ++i) {
                words[24 + i] = r.w[i];
            }
            if (r.w[0] != 0 && r.w[3] != 0) {
                words[kFlags] |= kFlagAttached;
            }
            words[28] = Scaled(r.w[4]);
            words[29] = Scaled(r.w[5]);
            words[30] = r.w[6];
            words[31] = r.w[7];
            break;
        case kTypeConnector:
            words[24] = r.w[0];
            words[25] = r.w[1];
            words[26] = r.w[2] == 0x80000000u ? 0x7fffffffu : Scaled(r.w[2] & 0x7fffffffu);
            for (int i = 0; i < 5; ++i) {
                words[27 + i] = r.w[3 + i];
            }
            break;
        case kTypePage:
            words[kPositionX] = 0;
            words[kPositionY] = 0;
            words[24] = r.w[0];
            words[26] = static_cast<uint32_t>(static_cast<int32_t>(r.pageValues[0]));
            words[27] = static_cast<uint32_t>(static_cast<int32_t>(r.pageValues[1]));
            pageScale_ = static_cast<Fixed>(words[kScaleX]);
            break;
        case kTypeRegion:
            words[24] = r.w[0];
            words[28] = Scaled(r.w[4]);
            words[29] = Scaled(r.w[5]);
            words[30] = r.w[6];
            words[31] = r.w[7];
            break;
        default:
            break;
        }
    }

    KernelStatus ReadPoints(std::vector<FixPoint>* points)
    {
        int16_t size = 0;
        KernelStatus status = Half(&size);
        if (status != kStatusOk) {
            return status;
        }
        uint32_t count = static_cast<uint16_t>(size) / 8;
        if (count > kPtArrayMaxPoints - 5) {
            return kStatusEncoding;
        }
        if (uint64_t{count} * 8 > File_Remaining(file_)) {
            return kStatusEndOfFile;
        }
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t pair[2] = {};
            if (status = File_ReadValues(file_, pair, 4, 2); status != kStatusOk) {
                return status;
            }
            points->push_back(FixPoint{static_cast<Fixed>(Scaled(pair[0])), static_cast<Fixed>(Scaled(pair[1]))});
        }
        return kStatusOk;
    }

    KernelStatus ReadPicture(ParsedObject* object)
    {
        using namespace RecordWord;
        uint32_t* words = object->record.words;
        words[kShapeKind] = 4;
        words[kLineStyle] = 3;
        words[kPattern] = 0;
        if (BigEndian()) {
            return File_ReadPictureItemRawLength(object);
        }
        uint32_t size = 0;
        KernelStatus status = kStatusOk;
        if (state_->header.version >= 23) {
            status = Word(&size);
        } else {
            int16_t half = 0;
            status = Half(&half);
            size = static_cast<uint16_t>(half);
        }
        if (status != kStatusOk) {
            return status;
        }
        if (uint64_t{size} + 14 > File_Remaining(file_)) {
            return kStatusEndOfFile;
        }
        return File_Skip(file_, static_cast<int32_t>(size + 14));
    }

    // A 16-bit length counting itself, then the raw picture data.
    KernelStatus File_ReadPictureItemRawLength(ParsedObject* object)
    {
        uint8_t length[2] = {};
        KernelStatus status = File_ReadExact(file_, length, 2);
        if (status != kStatusOk) {
            return status;
        }
        uint32_t total = uint32_t{length[0]} << 8 | length[1];
        if (total < 2) {
            return kStatusFailed;
        }
        if (total - 2 > File_Remaining(file_)) {
            return kStatusEndOfFile;
        }
        object->shape = ShapeData::Picture;
        object->rawPicture = true;
        object->pictureData.resize(total - 2);
        return File_ReadExact(file_, object->pictureData.data(), total - 2);
    }

    KernelStatus ReadConnector(ParsedObject* object)
    {
        using namespace RecordWord;
        uint32_t* words = object->record.words;
        std::vector<FixPoint> points;
        if (words[kShapeKind] == 9) {
            if (KernelStatus status = ReadPoints(&points); status != kStatusOk) {
                return status;
            }
        }
        words[kShapeKind] = 9;
        points.insert(points.begin(), FixPoint{});
        points.push_back(FixPoint{});
        object->points = std::move(points);
        object->shape = ShapeData::Connector;
        words[kScaleX] = 0;
        words[kScaleY] = 0;
        ConnectorData data{};
        data.word66 = 1;
        data.mode = 9;
        data.textBox = FixRect{-16 * kFixedOne, -8 * kFixedOne, 16 * kFixedOne, 8 * kFixedOne};
        data.arrowWidth = static_cast<Fixed>(words[kWidth]);
        data.arrowHeight = static_cast<Fixed>(words[kHeight]);
        data.cornerRadius = words[26];  // field 74
        std::memcpy(object->connector.data(), &data, sizeof(data));
        return kStatusOk;
    }

    // Cuts the reference markers out of the characters: each becomes one 0
    // byte in the text and one reference word.
    static void TakeReferences(std::vector<uint8_t>* characters, std::vector<uint32_t>* references)
    {
        std::vector<uint8_t> out;
        const std::vector<uint8_t>& in = *characters;
        size_t i = 0;
        while (i < in.size()) {
            if (i + 1 < in.size() && in[i] == 0xC7 && in[i + 1] == 0xC7) {
                size_t digits = i + 2;
                uint64_t number = 0;
                while (digits < in.size() && in[digits] >= '0' && in[digits] <= '9' && number <= UINT32_MAX) {
                    number = number * 10 + (in[digits] - '0');
                    ++digits;
                }
                bool closed = digits > i + 2 && digits + 1 < in.size() && in[digits] == 0xC8 &&
                              in[digits + 1] == 0xC8;
                if (closed && number != 0 && number <= UINT32_MAX) {
                    references->push_back(static_cast<uint32_t>(number));
                    out.push_back(0);
                    i = digits + 2;
                    continue;
                }
            }
            out.push_back(in[i]);
            ++i;
        }
        *characters = std::move(out);
    }

    KernelStatus ReadText(ParsedObject* object)
    {
        using namespace RecordWord;
        int16_t t[5] = {};
        int16_t u[4] = {};
        uint8_t style = 0;
        KernelStatus status = kStatusOk;
        for (int16_t& v : t) {
            if (status == kStatusOk) status = Half(&v);
        }
        if (status == kStatusOk) status = File_ReadExact(file_, &style, 1);
        uint8_t dropped = 0;
        if (status == kStatusOk && BigEndian()) status = File_ReadExact(file_, &dropped, 1);
        for (int16_t& v : u) {
            if (status == kStatusOk) status = Half(&v);
        }
        if (status != kStatusOk) {
            return status;
        }
        uint32_t count = static_cast<uint16_t>(t[3]);
        if (count > File_Remaining(file_)) {
            return kStatusEndOfFile;
        }
        std::vector<uint8_t> characters(count);
        if (count > 0 && (status = File_ReadExact(file_, characters.data(), count)) != kStatusOk) {
            return status;
        }
        uint32_t* words = object->record.words;
        if (count == 0) {
            words[kText] = 0;
            return kStatusOk;
        }
        ParsedText text;
        for (uint8_t& c : characters) {
            if (c == 13) {
                c = 10;
            } else if (c == 0) {
                c = ' ';
            }
        }
        TakeReferences(&characters, &text.references);
        const uint32_t length = static_cast<uint32_t>(characters.size());
        auto& h = text.header;
        if (words[kType] == kTypeConnector) {
            h[0] = static_cast<uint32_t>(-16 * kFixedOne);
            h[1] = static_cast<uint32_t>(-8 * kFixedOne);
            h[2] = static_cast<uint32_t>(16 * kFixedOne);
            h[3] = static_cast<uint32_t>(8 * kFixedOne);
        } else {
            // The file's words are unchecked: the frame is worked out in
            // 64 bits and held to the coordinate range.
            int64_t width = static_cast<int32_t>(words[kWidth]);
            int64_t height = static_cast<int32_t>(words[kHeight]);
            int64_t left = static_cast<int32_t>(words[kPositionX]) - width / 2;
            int64_t top = static_cast<int32_t>(words[kPositionY]) - height / 2;
            h[0] = static_cast<uint32_t>(Fix_Saturate(left));
            h[1] = static_cast<uint32_t>(Fix_Saturate(top));
            h[2] = static_cast<uint32_t>(Fix_Saturate(left + width));
            h[3] = static_cast<uint32_t>(Fix_Saturate(top + height));
        }
        h[7] = static_cast<uint32_t>(text.references.size());
        h[16] = static_cast<uint32_t>(Velkor_Settings().maxTextInObject);
        uint32_t flags = 4;
        if ((words[kFlags] & kFlagLabel) != 0) {
            flags |= 1;
            words[kShapeKind] = 12;
        } else if ((words[kFlags] & kFlagNoWrap) != 0) {
            flags |= 2;
            words[kFlags] &= ~kFlagNoWrap;
        }
        h[10] = flags;
        h[12] = Convert(static_cast<uint32_t>(t[4]), kTableFont);
        h[13] = words[kWord5];
        h[14] = Convert(style, kTableStyle);
        h[15] = Convert(static_cast<uint32_t>(t[2]), kTableAlignment);
        // Cursor and selection, kept inside the text.
        uint32_t cursor = std::min<uint32_t>(static_cast<uint16_t>(u[2]), length);
        int64_t selection = int64_t{u[3]} - u[2];
        if (selection < 0 || cursor + selection > length) {
            selection = length - cursor;
        }
        h[8] = cursor;
        h[9] = selection == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(selection);
        words[kFlags] &= ~kFlagTextBits;
        text.characters = std::move(characters);
        object->text = std::move(text);
        return kStatusOk;
    }

    KernelStatus ReadUserData(ParsedObject* object)
    {
        using namespace RecordWord;
        uint32_t* words = object->record.words;
        uint32_t word = words[kUserData];
        if ((words[kFlags] & kFlagUserBytes) != 0) {
            words[kFlags] &= ~kFlagUserBytes;
            if (word > File_Remaining(file_)) {
                return kStatusEndOfFile;
            }
            object->userData.emplace(word);
            return File_ReadExact(file_, object->userData->data(), word);
        }
        object->userData.emplace(4);
        std::memcpy(object->userData->data(), &word, 4);
        return kStatusOk;
    }

    KernelStatus ReadItem(ParsedObject* object)
    {
        using namespace RecordWord;
        int16_t handle = 0;
        KernelStatus status = Half(&handle);
        if (status != kStatusOk) {
            return status;
        }
        object->oldHandle = static_cast<uint32_t>(static_cast<int32_t>(handle));
        OldRecord old;
        if ((status = ReadOld(&old)) != kStatusOk) {
            return status;
        }
        ConvertRecord(old, &object->record);
        uint32_t* words = object->record.words;
        if (words[kType] == kTypePage) {
            words[kFlags] &= ~kFlagWindowed;
            uint8_t length = 0;
            if ((status = File_ReadExact(file_, &length, 1)) != kStatusOk) {
                return status;
            }
            std::string name(length, '\0');
            if (length > 0 && (status = File_ReadExact(file_, name.data(), length)) != kStatusOk) {
                return status;
            }
            name.resize(strnlen(name.c_str(), name.size()));
            object->pageName = std::move(name);
        }
        if (words[kType] != kTypeDiagram) {
            switch (words[kShapeKind]) {
            case 4:
                status = ReadPicture(object);
                break;
            case 5: case 13:
                object->shape = ShapeData::Points;
                status = ReadPoints(&object->points);
                if (status == kStatusOk && words[kShapeKind] == 5 && !object->points.empty()) {
                    object->points.pop_back();
                }
                break;
            case 9: case 10: case 11:
                status = ReadConnector(object);
                break;
            default:
                break;
            }
        }
        if (status == kStatusOk && words[kText] != 0) {
            status = ReadText(object);
        }
        if (status == kStatusOk && words[kUserData] != 0) {
            status = ReadUserData(object);
        }
        return status;
    }

    FileHandle file_;
    ReadState* state_;
    Fixed pageScale_ = kFixedOne;
};

}  // namespace

KernelStatus File_ReadForeignHeader(FileHandle file, uint16_t first, ReadState* state)
{
    DiagramHeader& header = state->header;
    uint32_t version = 0;
    if (first == ('P' << 8 | 'X')) {
        char magic[8] = {};
        KernelStatus status = File_ReadExact(file, magic, sizeof(magic));
        if (status != kStatusOk) {
            return status;
        }
        if (std::memcmp(magic, "MCKR23  ", 8) == 0) {
            header.platform = kBigEndianCode;
        } else if (std::memcmp(magic, "PCKR23  ", 8) == 0) {
            header.platform = kLittleEndianCode;
        } else {
            return kStatusUnknownPlatform;
        }
        uint8_t bytes[2] = {};
        if ((status = File_ReadExact(file, bytes, 2)) != kStatusOk) {
            return status;
        }
        version = uint32_t{bytes[0]} << 8 | bytes[1];
    } else if (first < 256) {
        header.platform = kBigEndianCode;
        version = first;
    } else {
        header.platform = kLittleEndianCode;
        version = first >> 8;
    }
    header.subset = 0;
    header.format = 2;
    header.version = static_cast<uint16_t>(version);
    Hook_Fire(kHookOldVersion, version, kDiagramVersion);
    return version >= 18 && version <= 24 ? kStatusOk : kStatusUnknownPlatform;
}

KernelStatus File_ReadForeignPreamble(FileHandle file, ReadState* state)
{
    const uint16_t version = state->header.version;
    const bool flagA = version == 20 || version == 23 || version == 24;
    const bool flagB = version == 24;
    auto skip = [file](uint32_t n) -> KernelStatus {
        if (n > File_Remaining(file)) {
            return kStatusEndOfFile;
        }
        return File_Skip(file, static_cast<int32_t>(n));
    };
    auto skipCounted = [&]() -> KernelStatus {
        uint32_t n = 0;
        KernelStatus status = File_ReadValue(file, &n, 4);
        return status != kStatusOk ? status : skip(n);
    };
    KernelStatus status = File_ReadValue(file, &state->objectCount, 4);
    if (status == kStatusOk) status = skip(196);
    if (status == kStatusOk && flagB) status = File_ParseDefaults(file, state, state->mode != 0);
    if (status == kStatusOk && flagA) status = skipCounted();
    if (status == kStatusOk) status = skip(96);
    if (status == kStatusOk) {
        status = state->header.platform == kLittleEndianCode ? skipCounted() : skip(120);
    }
    if (status == kStatusOk) status = skip(404);
    return status;
}

KernelStatus File_ReadForeignObjects(FileHandle file, ReadState* state)
{
    return ForeignReader(file, state).ReadAll();
}
