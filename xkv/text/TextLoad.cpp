// Loading a text file into nodes: in linked blocks of a maximum length, or as
// a tree of nested blocks cut at the open and close markers, each block a new
// node below the loaded one, referred to from the text it came from.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/model/Model.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextNeighbours.h"
#include "xkv/types/Fixed.h"

namespace {

constexpr Fixed kGap = 0x30000;
constexpr Fixed kDefaultBlockSide = 20 * kFixedOne;
constexpr uint32_t kLoadedNodeKind = 1;
// Nested regions deeper than this stay in the text of their parent block.
constexpr uint32_t kMaxDepth = 64;

struct LoadSettings {
    Fixed width = kDefaultBlockSide;
    Fixed height = kDefaultBlockSide;
    uint32_t maxBlock = 10000;
    std::string open;
    std::string close;
    uint32_t threshold = 30;
};

template <typename T>
T ReadAt(const uint8_t* record, uint32_t offset)
{
    T value{};
    std::memcpy(&value, record + offset, sizeof(T));
    return value;
}

LoadSettings ReadSettings(const void* settings)
{
    LoadSettings s;
    const auto* record = static_cast<const uint8_t*>(settings);
    if (record == nullptr) {
        return s;
    }
    s.width = ReadAt<Fixed>(record, 24);
    s.height = ReadAt<Fixed>(record, 28);
    if (s.width <= kFixedOne) {
        s.width = kDefaultBlockSide;
        s.height = kDefaultBlockSide;
    }
    s.maxBlock = std::max<uint32_t>(ReadAt<uint32_t>(record, 44), 1);
    s.open.assign(reinterpret_cast<const char*>(record + 48), strnlen(reinterpret_cast<const char*>(record + 48), 16));
    s.close.assign(reinterpret_cast<const char*>(record + 64), strnlen(reinterpret_cast<const char*>(record + 64), 16));
    s.threshold = ReadAt<uint32_t>(record, 80);
    return s;
}

std::vector<uint8_t> Stripped(const char* characters, uint32_t count)
{
    std::vector<uint8_t> bytes(characters, characters + count);
    bytes.resize(Text_StripControls(bytes.data(), count));
    return bytes;
}

void Insert(MemHandle text, std::string_view characters)
{
    Text_InsertAtCursor(text, reinterpret_cast<const uint8_t*>(characters.data()),
                        static_cast<uint32_t>(characters.size()), nullptr);
}

// A new node with a text, referred to from the text of `owner`.
KernelStatus NewBlock(ObjectHandle owner, FixRect box, ObjectHandle* node, MemHandle* text)
{
    KernelStatus status = Core_AddNode(Comm_GetCurrentPage() != 0 ? Comm_GetCurrentPage() : Model_GetPage(owner),
                                       box, kLoadedNodeKind, 0, node);
    if (status != kStatusOk) {
        return status;
    }
    if (Text_GetClear(*node, text, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    return kStatusOk;
}

void ReferTo(ObjectHandle owner, MemHandle ownerText, ObjectHandle node)
{
    MemHandle reference = Text_MakeReference(node, 1);
    if (reference != 0) {
        Text_InsertMarker(ownerText, reference);
        Text_AddReferrer(node, owner, 0);
    }
}

struct Structured {
    LoadSettings settings;
    FixRect objectBox{};
    std::vector<Fixed> nextLeft;  // per depth
    bool unpaired = false;
};

KernelStatus LoadLevel(Structured& load, ObjectHandle owner, MemHandle target, std::string_view text, uint32_t depth,
                       Fixed top)
{
    bool firstPass = true;
    while (!text.empty()) {
        uint32_t start = 0;
        bool openSeen = false;
        uint32_t end = Text_FindPair(text.data(), static_cast<uint32_t>(text.size()), &start,
                                     load.settings.open.c_str(), load.settings.close.c_str(), &openSeen);
        if (firstPass && end != 0 && start == 0 && end == text.size()) {
            // The whole text is one region: look inside it.
            size_t inner = load.settings.open.size();
            size_t innerLength = text.size() - inner - load.settings.close.size();
            uint32_t s2 = 0;
            bool seen2 = false;
            uint32_t e2 = Text_FindPair(text.data() + inner, static_cast<uint32_t>(innerLength), &s2,
                                        load.settings.open.c_str(), load.settings.close.c_str(), &seen2);
            if (e2 != 0) {
                start = static_cast<uint32_t>(s2 + inner);
                end = static_cast<uint32_t>(e2 + inner);
            } else {
                end = 0;
                openSeen = false;
            }
        }
        firstPass = false;
        if (end == 0) {
            if (!openSeen) {
                Insert(target, text);
                return kStatusOk;
            }
            size_t through = text.find(load.settings.open) + load.settings.open.size();
            Insert(target, text.substr(0, through));
            load.unpaired = true;
            text.remove_prefix(through);
            continue;
        }
        std::string_view region = text.substr(start, end - start);
        if (region.size() > load.settings.threshold && depth < kMaxDepth) {
            Insert(target, text.substr(0, start));
            if (load.nextLeft.size() <= depth) {
                load.nextLeft.resize(depth + 1, load.objectBox.left);
            }
            Fixed left = load.nextLeft[depth];
            FixRect box{left, top, Fix_Add(left, load.settings.width), Fix_Add(top, load.settings.height)};
            load.nextLeft[depth] = Fix_Add(box.right, kGap);
            ObjectHandle node = 0;
            MemHandle nodeText = 0;
            KernelStatus status = NewBlock(owner, box, &node, &nodeText);
            if (status != kStatusOk) {
                return status;
            }
            Text_SetAlignment(nodeText, 1);
            status = LoadLevel(load, node, nodeText, region, depth + 1, Fix_Add(box.bottom, kGap));
            if (status != kStatusOk) {
                return status;
            }
            ReferTo(owner, target, node);
        } else {
            Insert(target, text.substr(0, end));
        }
        text.remove_prefix(end);
    }
    return kStatusOk;
}

}  // namespace

KernelStatus Text_LoadBlocks(ObjectHandle object, const void* settingsRecord, const char* characters, uint32_t count)
{
    MemHandle text = 0;
    if (Text_GetClear(object, &text, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    LoadSettings settings = ReadSettings(settingsRecord);
    std::vector<uint8_t> bytes = characters != nullptr ? Stripped(characters, count) : std::vector<uint8_t>();
    FixRect box{};
    Model_GetBox(object, &box);
    if (bytes.size() <= settings.maxBlock) {
        Text_InsertAtCursor(text, bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
        return kStatusOk;
    }
    Fixed top = Fix_Add(box.bottom, kGap);
    Fixed left = box.left;
    std::string_view rest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!rest.empty()) {
        FixRect blockBox{left, top, Fix_Add(left, settings.width), Fix_Add(top, settings.height)};
        ObjectHandle node = 0;
        MemHandle nodeText = 0;
        KernelStatus status = NewBlock(object, blockBox, &node, &nodeText);
        if (status != kStatusOk) {
            return status;
        }
        size_t take = std::min<size_t>(rest.size(), settings.maxBlock);
        Insert(nodeText, rest.substr(0, take));
        rest.remove_prefix(take);
        ReferTo(object, text, node);
        left = Fix_Add(blockBox.right, kGap);
    }
    return kStatusOk;
}

KernelStatus Text_LoadIntoNodes(ObjectHandle object, const void* settings, const char* characters, uint32_t count)
{
    return Text_LoadBlocks(object, settings, characters, count);
}

KernelStatus Text_LoadStructured(ObjectHandle object, const void* settingsRecord, const char* characters,
                                 uint32_t count)
{
    MemHandle text = 0;
    if (Text_GetClear(object, &text, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    Structured load;
    load.settings = ReadSettings(settingsRecord);
    Model_GetBox(object, &load.objectBox);
    Text_SetAlignment(text, 1);
    std::vector<uint8_t> bytes = characters != nullptr ? Stripped(characters, count) : std::vector<uint8_t>();
    std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    KernelStatus status = kStatusOk;
    if (load.settings.open.empty() || load.settings.close.empty()) {
        Insert(text, all);
    } else {
        status = LoadLevel(load, object, text, all, 1, Fix_Add(load.objectBox.bottom, kGap));
    }
    if (status != kStatusOk) {
        return status;
    }
    return load.unpaired ? kStatusUnpairedMarkers : kStatusOk;
}
