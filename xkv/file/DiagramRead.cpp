// Reading a diagram file. The whole file is parsed and checked first; only a
// file that parsed completely becomes objects, so a bad file leaves the table
// and the open diagram as they were.
#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/file/DiagramFormat.h"
#include "xkv/file/DiagramRead.h"
#include "xkv/group/Group.h"
#include "xkv/image/Image.h"
#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/ModelMap.h"
#include "xkv/model/Picture.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr HookId kHookApplicationData = 32;
constexpr HookId kHookUserDataLoaded = 20;
constexpr HookId kHookBeforeRead = 42;
constexpr HookId kHookOldVersion = 59;
constexpr HookId kHookUserDataRead = 78;
constexpr HookId kHookForeignPages = 82;
constexpr HookId kHookConvertUserData = 83;
constexpr HookId kHookDefaultRead = 84;

// The smallest object item: a handle and the record of version 768.
constexpr uint32_t kObjectItemMinimum = 4 + 130;
constexpr uint32_t kPageFlagWindowed = 2048;
// Field 23 of a page: negative in files that mark pages to open so.
constexpr FieldId kPageOpenMark = 23;

DiagramHeader gLastHeader;

KernelStatus Unit(FileHandle file, uint32_t* value)
{
    return File_ReadValue(file, value, 4);
}

// A count read from the file, refused when its items cannot fit in what remains.
KernelStatus Count(FileHandle file, uint32_t itemSize, uint32_t* count)
{
    KernelStatus status = Unit(file, count);
    if (status == kStatusOk && uint64_t{*count} * itemSize > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    return status;
}

KernelStatus SectionHeader(FileHandle file, uint32_t type, uint32_t* words, uint32_t n)
{
    KernelStatus status = Unit(file, &words[0]);
    if (status != kStatusOk) {
        return status;
    }
    if (words[0] != type) {
        return kStatusWrongSection;
    }
    return File_ReadValues(file, words + 1, 4, n - 1);
}

KernelStatus SkipBytes(FileHandle file, uint32_t length)
{
    if (length > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    return File_Skip(file, static_cast<int32_t>(length));
}

// ---- Default records ----

KernelStatus ReadValueRecord(FileHandle file, uint32_t property, uint8_t* value, uint32_t size)
{
    DefaultLayout layout = File_DefaultLayout(property, size);
    KernelStatus status = File_ReadBytes(file, value, layout.prefix);
    for (uint32_t i = 0; status == kStatusOk && i < layout.words; ++i) {
        uint32_t word = 0;
        status = Unit(file, &word);
        std::memcpy(value + layout.prefix + 4 * i, &word, 4);
    }
    if (status == kStatusOk && layout.raw > 0) {
        status = File_ReadBytes(file, value + layout.prefix + 4 * layout.words, layout.raw);
    }
    return status;
}

uint32_t WordAt(const std::vector<uint8_t>& value, size_t offset)
{
    uint32_t word = 0;
    std::memcpy(&word, value.data() + offset, 4);
    return word;
}

void PutWordAt(std::vector<uint8_t>* value, size_t offset, uint32_t word)
{
    std::memcpy(value->data() + offset, &word, 4);
}

void FixUpDefault(ParsedDefault* entry, uint32_t expected, uint16_t version)
{
    const uint32_t property = entry->head[2];
    if (property == kPropConnector && entry->value.size() >= 68) {
        for (size_t offset : {60u, 64u}) {
            if (WordAt(entry->value, offset) == 999) {
                PutWordAt(&entry->value, offset, 0);
            }
        }
    }
    if (property == kPropText && entry->sizeRead < expected && entry->value.size() >= 60) {
        if (version < 785) {
            PutWordAt(&entry->value, 52, static_cast<uint32_t>(Velkor_Settings().maxTextInObject));
        }
        PutWordAt(&entry->value, 56, WordAt(entry->value, 44));
    }
}

// Stores the records; known properties only, and only diagram-wide ones at a
// real level: an owner in a file would name an object of another session.
void ApplyDefaults(ReadState* state, bool fireHooks)
{
    for (ParsedDefault& entry : state->defaults) {
        const uint32_t expected = Default_PropertySize(entry.head[2]);
        if (expected == 0 || entry.sizeRead > expected) {
            continue;
        }
        if (entry.head[0] != 0 || entry.head[1] < 1 || entry.head[1] > kDefaultLevelBuiltin) {
            continue;
        }
        FixUpDefault(&entry, expected, state->header.version);
        if (fireHooks) {
            Hook_Fire(kHookDefaultRead, reinterpret_cast<uintptr_t>(entry.head),
                      reinterpret_cast<uintptr_t>(entry.value.data()), entry.sizeRead, state->header.platform,
                      state->header.version);
        }
        Default_Set(0, entry.head[1], entry.head[2], entry.value.data());
    }
    state->defaults.clear();
}

// ---- Object items ----

KernelStatus ReadRecord(FileHandle file, const ReadState& state, ObjectRecord* record)
{
    *record = ObjectRecord{};
    KernelStatus status = kStatusOk;
    if (state.oldLayout768) {
        status = File_ReadRecord768(file, record);
    } else {
        status = File_ReadValues(file, record->words, 4, state.record140 ? 35 : 36);
    }
    if (status == kStatusOk && state.record140) {
        File_ShiftRecord776(record);
    }
    return status;
}

KernelStatus ReadConnectorItem(FileHandle file, const ReadState& state, ParsedObject* object, uint32_t kind)
{
    object->shape = ShapeData::Connector;
    if (state.noConnectorData && (kind == 10 || kind == 11)) {
        object->freshConnector = true;
        object->points.assign(2, FixPoint{});
        return kStatusOk;
    }
    KernelStatus status = File_ReadValues(file, object->connector.data(), 4, kConnectorDataWords);
    if (status != kStatusOk) {
        return status;
    }
    uint32_t count = 0;
    status = Count(file, 8, &count);
    return status != kStatusOk ? status : File_ReadPointItem(file, count, &object->points);
}

KernelStatus ReadTextItem(FileHandle file, const ReadState& state, ParsedText* text)
{
    KernelStatus status = kStatusOk;
    if (state.oldLayout768) {
        status = File_ReadTextHeader768(file, text->header.data(), kTextHeaderWords);
    } else {
        status = File_ReadValues(file, text->header.data(), 4, state.shortTextHeader ? 16 : 17);
    }
    if (status != kStatusOk) {
        return status;
    }
    if (state.oldLayout768 || state.shortTextHeader) {
        text->header[16] = static_cast<uint32_t>(Velkor_Settings().maxTextInObject);
    }
    if (uint64_t{text->header[7]} * 4 > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    text->references.resize(text->header[7]);
    status = File_ReadValues(file, text->references.data(), 4, text->header[7]);
    uint32_t count = 0;
    if (status == kStatusOk) {
        status = Count(file, 1, &count);
    }
    if (status == kStatusOk && count > 0) {
        text->characters.resize(count);
        status = File_ReadBytes(file, text->characters.data(), count);
    }
    return status;
}

KernelStatus ReadObjectItem(FileHandle file, const ReadState& state, ParsedObject* object)
{
    using namespace RecordWord;
    KernelStatus status = Unit(file, &object->oldHandle);
    if (status == kStatusOk) {
        status = ReadRecord(file, state, &object->record);
    }
    if (status != kStatusOk) {
        return status;
    }
    uint32_t* words = object->record.words;
    if (words[kType] == kTypePage) {
        uint32_t length = 0;
        status = Count(file, 1, &length);
        if (status != kStatusOk) {
            return status;
        }
        std::string name(length, '\0');
        status = File_ReadBytes(file, name.data(), length);
        name.resize(strnlen(name.c_str(), name.size()));
        object->pageName = std::move(name);
    }
    switch (words[kShapeKind]) {
    case 4:
        status = File_ReadPictureItem(file, object);
        break;
    case 5: case 13: {
        uint32_t count = 0;
        object->shape = ShapeData::Points;
        status = Count(file, 8, &count);
        if (status == kStatusOk) {
            status = File_ReadPointItem(file, count, &object->points);
        }
        break;
    }
    case 9: case 10: case 11:
        status = ReadConnectorItem(file, state, object, words[kShapeKind]);
        break;
    default:
        break;
    }
    if (status == kStatusOk && words[kText] != 0) {
        object->text.emplace();
        status = ReadTextItem(file, state, &*object->text);
    }
    if (status == kStatusOk && words[kUserData] != 0) {
        uint32_t size = 0;
        status = Count(file, 1, &size);
        if (status == kStatusOk) {
            object->userData.emplace(size);
            status = File_ReadBytes(file, object->userData->data(), size);
        }
    }
    return status;
}

// ---- Header ----

KernelStatus ReadHeader(FileHandle file, ReadState* state)
{
    uint8_t first[2] = {};
    KernelStatus status = File_ReadExact(file, first, 2);
    if (status != kStatusOk) {
        return status;
    }
    const uint16_t magic = static_cast<uint16_t>(first[0] << 8 | first[1]);
    DiagramHeader& header = state->header;
    if (magic == kDiagramMagic) {
        status = File_ReadExact(file, first, 2);
        if (status == kStatusOk) {
            status = File_StreamOn(file, kDecode);
        }
        int16_t platform = 0;
        int16_t version = 0;
        if (status == kStatusOk) {
            status = File_ReadValue(file, &platform, 2);
        }
        if (status == kStatusOk) {
            status = File_ReadValue(file, &version, 2);
        }
        if (status == kStatusOk) {
            status = Unit(file, &header.subset);
        }
        header.platform = static_cast<uint16_t>(platform);
        header.version = static_cast<uint16_t>(version);
        header.format = 1;
    } else if (magic == 0) {
        File_SetRawBigEndian(1);
        int16_t platform = 0;
        int16_t version = 0;
        status = File_ReadValue(file, &platform, 2);
        if (status == kStatusOk) {
            status = File_ReadValue(file, &version, 2);
        }
        if (status == kStatusOk) {
            status = Unit(file, &header.subset);
        }
        header.platform = static_cast<uint16_t>(platform);
        header.version = static_cast<uint16_t>(version);
        header.format = 1;
    } else {
        status = File_ReadForeignHeader(file, magic, state);
    }
    if (status != kStatusOk) {
        return status;
    }
    if (header.format == 1) {
        if (header.version < kOldestVersion || header.version > kDiagramVersion) {
            return kStatusUnsupportedVersion;
        }
        if (header.version < kDiagramVersion) {
            Hook_Fire(kHookOldVersion, header.version, kDiagramVersion);
            state->oldLayout768 = header.version == 768;
            state->record140 = header.version <= 776;
            state->noConnectorData = header.version < 784;
            state->shortTextHeader = header.version < 785;
        }
    }
    if (!File_IsEncoding(file)) {
        uint32_t cls = File_PlatformClass(header.platform);
        if (cls == 0) {
            return kStatusUnknownPlatform;
        }
        File_SetRawBigEndian(cls == 1 ? 1 : 0);
    }
    return header.subset >= 3 ? kStatusUnknownPlatform : kStatusOk;
}

KernelStatus ReadOpenPages(FileHandle file, std::vector<uint32_t>* pages)
{
    uint32_t words[3] = {};
    KernelStatus status = SectionHeader(file, kSectionOpenPages, words, 3);
    if (status != kStatusOk) {
        return status;
    }
    if (uint64_t{words[2]} * 4 > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    pages->resize(words[2]);
    return File_ReadValues(file, pages->data(), 4, words[2]);
}

KernelStatus ReadObjectSection(FileHandle file, ReadState* state)
{
    uint32_t words[4] = {};
    KernelStatus status = SectionHeader(file, kSectionObjects, words, 4);
    if (status != kStatusOk) {
        return status;
    }
    if (uint64_t{words[2]} * kObjectItemMinimum > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    state->objectCount = words[2];
    state->objects.resize(words[2]);
    for (ParsedObject& object : state->objects) {
        if (status = ReadObjectItem(file, *state, &object); status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

// ---- Checking and building ----

constexpr size_t kNone = SIZE_MAX;

// The parsed objects' tree, by index: every object must be reached exactly
// once from the root (and, in a page file, from its pages).
class TreeCheck {
public:
    explicit TreeCheck(std::vector<ParsedObject>* objects) : objects_(*objects) {}

    bool Run(bool pagesAsRoots)
    {
        for (size_t i = 0; i < objects_.size(); ++i) {
            if (objects_[i].oldHandle == 0 || !index_.emplace(objects_[i].oldHandle, i).second) {
                return false;
            }
            uint32_t type = objects_[i].record.words[RecordWord::kType];
            if (i == 0) {
                objects_[i].record.words[RecordWord::kType] = kTypeDiagram;
            } else if (type == 3 || type == kTypeDiagram || type >= kTypeCopyBucket) {
                return false;
            }
        }
        if (objects_.empty()) {
            return false;
        }
        visited_.assign(objects_.size(), false);
        // The root has no siblings: only its children are walked.
        if (!Visit(0, kNone) || !Walk(IndexOf(objects_[0].record.words[RecordWord::kFirstChild]), 0)) {
            return false;
        }
        for (size_t i = 0; pagesAsRoots && i < objects_.size(); ++i) {
            if (!visited_[i] && objects_[i].record.words[RecordWord::kType] == kTypePage &&
                !Walk(i, IndexOf(objects_[i].record.words[RecordWord::kParent]))) {
                return false;
            }
        }
        return std::all_of(visited_.begin(), visited_.end(), [](bool v) { return v; });
    }

    size_t IndexOf(uint32_t oldHandle) const
    {
        auto found = index_.find(oldHandle);
        return found != index_.end() ? found->second : kNone;
    }

private:
    // Visits `first` and its following siblings with their subtrees, giving
    // each the parent it is reached from.
    bool Walk(size_t first, size_t parent)
    {
        std::vector<std::pair<size_t, size_t>> chains{{first, parent}};
        while (!chains.empty()) {
            auto [object, owner] = chains.back();
            chains.pop_back();
            for (; object != kNone; object = IndexOf(objects_[object].record.words[RecordWord::kNextSibling])) {
                if (!Visit(object, owner)) {
                    return false;
                }
                chains.emplace_back(IndexOf(objects_[object].record.words[RecordWord::kFirstChild]), object);
            }
        }
        return true;
    }

    bool Visit(size_t object, size_t owner)
    {
        if (visited_[object]) {
            return false;
        }
        visited_[object] = true;
        ParentOf(object) = owner;
        return true;
    }

    size_t& ParentOf(size_t object)
    {
        if (parents_.size() < objects_.size()) {
            parents_.assign(objects_.size(), kNone);
        }
        return parents_[object];
    }

public:
    std::vector<size_t> parents_;

private:
    std::vector<ParsedObject>& objects_;
    std::unordered_map<uint32_t, size_t> index_;
    std::vector<bool> visited_;
};

MemHandle MakePoints(const std::vector<FixPoint>& points)
{
    PtArray array = 0;
    uint16_t capacity = static_cast<uint16_t>(std::min<size_t>(points.size() + 5, kPtArrayMaxPoints));
    if (PtArray_Create(&array, capacity) != kStatusOk) {
        return 0;
    }
    for (const FixPoint& point : points) {
        if (PtArray_Append(array, point) != kStatusOk) {
            PtArray_Free(array);
            return 0;
        }
    }
    return array;
}

// The object's shape data as a new block; 0 with `ok` false when memory runs out.
MemHandle MakeShapeData(ObjectHandle object, ParsedObject* parsed, bool* ok)
{
    *ok = true;
    switch (parsed->shape) {
    case ShapeData::Picture: {
        uint32_t type = parsed->record.words[RecordWord::kType];
        if (type != kTypeNode && type != kTypeRegion) {
            return 0;  // only nodes and regions own pictures
        }
        MemHandle picture = parsed->rawPicture
                                ? Picture_NewRaw(parsed->pictureData.data(),
                                                 static_cast<uint16_t>(parsed->pictureData.size()))
                                : Picture_NewImage(parsed->image.get());
        if (picture != 0 && !parsed->rawPicture) {
            parsed->image.release();
        }
        *ok = picture != 0;
        return picture;
    }
    case ShapeData::Points: {
        MemHandle points = MakePoints(parsed->points);
        *ok = points != 0;
        return points;
    }
    case ShapeData::Connector: {
        MemHandle data = 0;
        if (parsed->freshConnector) {
            if (Model_NewConnectorData(object) != kStatusOk) {
                *ok = false;
                return 0;
            }
            data = Model_GetFieldValue(object, Field::kShapeData);
            Model_SetShapeData(object, 0);
            ObjectRecord* record = nullptr;
            Model_GetRecord(object, &record);
            record->words[RecordWord::kShapeData] = 0;
        } else if (Mem_AllocCopy(&data, parsed->connector.data(), sizeof(ConnectorData)) != kStatusOk) {
            *ok = false;
            return 0;
        }
        ConnectorData* connector = nullptr;
        Mem_LockAs(data, &connector);
        uint32_t* words = reinterpret_cast<uint32_t*>(connector);
        for (int word : kConnectorHandleWords) {
            words[word] = 0;
        }
        if (connector->textBox.right - connector->textBox.left < 5 * kFixedOne ||
            connector->textBox.bottom - connector->textBox.top < 5 * kFixedOne) {
            connector->textBox = FixRect{0, 0, 32 * kFixedOne, 16 * kFixedOne};
        }
        // Only a connector of mode 9 owns its path array.
        MemHandle path = connector->mode == kConnectorOwnsPath ? MakePoints(parsed->points) : 0;
        connector->path = path;
        Mem_Unlock(data);
        if (path == 0 && connector->mode == kConnectorOwnsPath) {
            Model_FreeConnectorData(data);
            *ok = false;
            return 0;
        }
        return data;
    }
    default:
        return 0;
    }
}

MemHandle MakeBytes(const void* bytes, size_t size, size_t extra, bool* ok)
{
    MemHandle block = 0;
    *ok = Mem_Alloc(&block, size + extra) == kStatusOk;
    if (*ok && size > 0) {
        void* data = nullptr;
        Mem_Lock(block, &data);
        std::memcpy(data, bytes, size);
        Mem_Unlock(block);
    }
    return *ok ? block : 0;
}

struct Built {
    std::vector<ObjectHandle> handles;  // by parsed index
    MemHandle map = 0;
    ObjectGroup pages = 0;
};

void DestroyBuilt(Built* built)
{
    for (ObjectHandle object : built->handles) {
        if (object != 0) {
            Model_FreeSlot(object, 0);
        }
    }
    built->handles.clear();
}

// Allocates every object and fills its record with translated tree links and
// its own blocks. On failure nothing of the file stays in the table.
KernelStatus BuildObjects(ReadState* state, const TreeCheck& tree, Built* built)
{
    std::vector<ParsedObject>& objects = state->objects;
    built->handles.assign(objects.size(), 0);
    for (size_t i = 0; i < objects.size(); ++i) {
        built->handles[i] = Model_AllocSlot();
        if (built->handles[i] == 0) {
            DestroyBuilt(built);
            return kStatusNoModelMap;
        }
    }
    auto handleOf = [&](size_t index) { return index == kNone ? 0 : built->handles[index]; };
    for (size_t i = 0; i < objects.size(); ++i) {
        using namespace RecordWord;
        ParsedObject& parsed = objects[i];
        ObjectHandle object = built->handles[i];
        ObjectRecord* record = nullptr;
        Model_GetRecord(object, &record);
        uint32_t* words = parsed.record.words;
        words[kFirstChild] = handleOf(tree.IndexOf(words[kFirstChild]));
        words[kNextSibling] = handleOf(tree.IndexOf(words[kNextSibling]));
        words[kParent] = handleOf(tree.parents_[i]);
        for (int word : {kText, kUserData, kReferrers, kShapeData}) {
            words[word] = 0;
        }
        if (words[kType] == kTypePage) {
            words[kPageName] = 0;
            words[kFlags] &= ~kPageFlagWindowed;
        }
        if (words[kPattern] == 20) {
            words[kPattern] = 1;
            words[kColours] = (words[kColours] & ~0xff0000u) | (15u << 16);
        }
        *record = parsed.record;
        bool ok = true;
        if (MemHandle shape = MakeShapeData(object, &parsed, &ok); shape != 0) {
            record->words[kShapeData] = shape;
        }
        if (ok && parsed.pageName) {
            record->words[kPageName] = MakeBytes(parsed.pageName->data(), parsed.pageName->size(), 1, &ok);
        }
        if (ok && parsed.userData) {
            record->words[kUserData] = MakeBytes(parsed.userData->data(), parsed.userData->size(), 0, &ok);
        }
        if (!ok) {
            DestroyBuilt(built);
            return kStatusOutOfMemory;
        }
    }
    return kStatusOk;
}

KernelStatus ImportText(ObjectHandle object, ParsedText* text, const TreeCheck& tree, const Built& built)
{
    bool ok = true;
    std::vector<uint32_t> references;
    for (uint32_t old : text->references) {
        size_t index = tree.IndexOf(old);
        references.push_back(index == kNone ? 0 : built.handles[index]);
    }
    text->header[7] = static_cast<uint32_t>(references.size());
    MemHandle characters = text->characters.empty()
                               ? 0
                               : MakeBytes(text->characters.data(), text->characters.size(), 0, &ok);
    MemHandle refs = ok && !references.empty()
                         ? MakeBytes(references.data(), references.size() * 4, 0, &ok)
                         : 0;
    KernelStatus status = kStatusOutOfMemory;
    if (ok) {
        // A list that an earlier import gave this object is rebuilt by the
        // relinking pass; it is freed here so that the import does not drop it.
        if (MemHandle list = Model_GetFieldValue(object, Field::kReferrers); list != 0) {
            Model_SetFieldValue(object, Field::kReferrers, 0);
            Mem_Free(list);
        }
        MemHandle record = 0;
        status = Text_Import(object, &record, text->header.data(), 0, characters,
                             static_cast<uint32_t>(text->characters.size()), refs);
        if (status == kStatusOk && record != 0) {
            Model_SetFieldValue(object, Field::kText, record);
        }
    }
    if (characters != 0) {
        Mem_Free(characters);
    }
    if (refs != 0) {
        Mem_Free(refs);
    }
    return status;
}

// The objects a text refers to, in text order.
std::vector<ObjectHandle> ReferencedObjects(MemHandle text)
{
    MemHandle block = 0;
    uint32_t count = 0;
    std::vector<ObjectHandle> objects;
    if (Text_ExportText(text, nullptr, nullptr, 0, &block, &count) == kStatusOk && block != 0) {
        BlockLock<ObjectHandle> handles(block);
        uint32_t available = handles ? static_cast<uint32_t>(handles.size() / sizeof(ObjectHandle)) : 0;
        objects.assign(handles.get(), handles.get() + std::min(count, available));
    }
    if (block != 0) {
        Mem_Free(block);
    }
    return objects;
}

void SetReferrerCount(ObjectHandle object, uint32_t count)
{
    BlockLock<TextRec> text(Model_GetFieldValue(object, Field::kText));
    if (text) {
        text->referrerCount = count;
    }
}

// Takes out of `text` its first reference to `referred`, without counting:
// that reference was never counted on the referred object.
void DropFirstReference(MemHandle text, ObjectHandle referred)
{
    uint16_t column = 0;
    MemHandle line = Text_FindReference(text, referred, &column);
    if (line == 0) {
        return;
    }
    std::vector<MemHandle> taken;
    Text_DeleteRange(text, TextPosition{line, column}, 1, &taken);
    for (MemHandle reference : taken) {
        Text_FreeReference(reference, 0);
    }
}

// Texts were imported one by one, so the referrer counts and lists of the
// objects read only hold the references of texts imported before them. Once
// every text is in, they are rebuilt from the references themselves. A
// reference to an object that is not in the file (a page file leaves pages
// out), or one that would make a text refer to itself through referrer lists
// (which no edit can make), is taken out of its text.
void RelinkReferences(const Built& built)
{
    std::vector<ObjectHandle> texts;
    const std::unordered_set<ObjectHandle> read(built.handles.begin(), built.handles.end());
    for (ObjectHandle object : built.handles) {
        if (MemHandle list = Model_GetFieldValue(object, Field::kReferrers); list != 0) {
            Model_SetFieldValue(object, Field::kReferrers, 0);
            Mem_Free(list);
        }
        if (Model_GetFieldValue(object, Field::kText) != 0) {
            SetReferrerCount(object, 0);
            texts.push_back(object);
        }
    }
    for (ObjectHandle owner : texts) {
        MemHandle text = Model_GetFieldValue(owner, Field::kText);
        for (ObjectHandle referred : ReferencedObjects(text)) {
            if (referred == 0 || read.count(referred) == 0 || referred == owner ||
                Text_IsReferrerOf(referred, owner) != 0) {
                DropFirstReference(text, referred);
                continue;
            }
            if (Model_GetFieldValue(referred, Field::kText) != 0) {
                SetReferrerCount(referred, Text_ReferrerCount(referred) + 1);
            }
            Text_AddReferrer(referred, owner, 0);
        }
    }
}

// Gives every read page a number no other page has.
void Renumber(ObjectHandle page)
{
    uint32_t number = Model_GetFieldValue(page, Field::kPageNumber);
    if (Model_PageNumberUsed(number, page)) {
        Model_SetFieldValue(page, Field::kPageNumber, Model_FreePageNumber());
    }
}

void InsertPages(ObjectHandle pageList, ObjectGroup pages)
{
    for (uint16_t i = 0, n = Group_Count(pages); i < n; ++i) {
        ObjectHandle page = Group_Member(pages, i);
        Model_Unlink(page);
        Model_PrependChild(pageList, page);
    }
    for (uint16_t i = 0, n = Group_Count(pages); i < n; ++i) {
        Renumber(Group_Member(pages, i));
    }
}

ObjectHandle ReadPageList(ObjectHandle root)
{
    for (ObjectHandle child = Model_GetFirstChild(root); child != 0; child = Model_GetNextSibling(child)) {
        if (Model_GetType(child) == kTypePageList) {
            return child;
        }
    }
    return 0;
}

void PlacePages(const ReadState& state, const Built& built)
{
    ObjectHandle root = built.handles[0];
    ObjectHandle readList = ReadPageList(root);
    if (state.mode == 1) {
        for (uint16_t i = 0, n = Group_Count(built.pages); i < n; ++i) {
            Model_Unlink(Group_Member(built.pages, i));
        }
        InsertPages(Model_GetPageList(), built.pages);
        Model_DestroyTree(root);
        return;
    }
    Model_SetRoot(root);
    if (state.header.subset == 1 && readList != 0) {
        for (uint16_t i = 0, n = Group_Count(built.pages); i < n; ++i) {
            Model_Unlink(Group_Member(built.pages, i));
        }
        Model_SetFieldValue(readList, Field::kFirstChild, 0);
        InsertPages(readList, built.pages);
    }
}

// The older tool's files name no list types: pages hold their node and
// connector lists, objects their region lists, the root its page list.
void MarkForeignLists(const ReadState& state, const Built& built)
{
    if (state.mode == 0) {
        if (ObjectHandle list = Model_GetNextSibling(Model_GetFirstChild(built.handles[0])); list != 0) {
            Model_SetFieldValue(list, Field::kType, kTypePageList);
        }
    }
    for (ObjectHandle object : built.handles) {
        uint32_t type = Model_GetType(object);
        if (type == kTypeConnector || type == kTypeNode || type == kTypeRegion) {
            if (ObjectHandle first = Model_GetFirstChild(object); first != 0) {
                Model_SetFieldValue(first, Field::kType, kTypeRegionList);
            }
        }
    }
    for (uint16_t i = 0, n = Group_Count(built.pages); i < n; ++i) {
        ObjectHandle page = Group_Member(built.pages, i);
        if (ObjectHandle nodes = Model_GetNodeList(page); nodes != 0) {
            Model_SetFieldValue(nodes, Field::kType, kTypeNodeList);
        }
        if (ObjectHandle connectors = Model_GetConnectorList(page); connectors != 0) {
            Model_SetFieldValue(connectors, Field::kType, kTypeConnectorList);
        }
    }
}

ObjectGroup PagesToOpen(const std::vector<uint32_t>& openPages, bool listed, const TreeCheck& tree,
                        const Built& built, KernelStatus* status)
{
    *status = kStatusOk;
    if (listed) {
        if (openPages.empty()) {
            return 0;
        }
        ObjectGroup group = Group_Create(static_cast<uint16_t>(std::min<size_t>(openPages.size(), kGroupMaxSize)));
        if (group == 0) {
            *status = kStatusNoModelMap;
            return 0;
        }
        for (uint32_t old : openPages) {
            size_t index = tree.IndexOf(old);
            if (index != kNone && Model_IsPage(built.handles[index])) {
                Group_Add(group, built.handles[index]);
            }
        }
        return group;
    }
    ObjectGroup group = Group_New();
    for (uint16_t i = 0, n = Group_Count(built.pages); i < n; ++i) {
        ObjectHandle page = Group_Member(built.pages, i);
        if (static_cast<int32_t>(Model_GetFieldValue(page, kPageOpenMark)) < 0) {
            Model_SetFieldValue(page, kPageOpenMark, 0);
            Group_Add(group, page);
        }
    }
    return group;
}

KernelStatus ReadDiagram(FileHandle file, ReadState* state, ObjectGroup* out)
{
    if (state->mode == 1 && Model_GetPageList() == 0) {
        return kStatusBadArgument;
    }
    KernelStatus status = ReadHeader(file, state);
    gLastHeader = state->header;
    if (status != kStatusOk) {
        return status;
    }
    const DiagramHeader& header = state->header;
    if (Hook_Fire(kHookBeforeRead, file, static_cast<uintptr_t>(static_cast<int16_t>(header.version)), state->mode,
                  header.subset) == 0) {
        return kStatusRefusedByHook;
    }
    std::vector<uint32_t> openPages;
    uint32_t applicationHeader[2] = {};
    bool foreign = header.format == 2;
    if (foreign) {
        status = File_ReadForeignPreamble(file, state);
        if (status == kStatusOk) {
            status = File_ReadForeignObjects(file, state);
        }
    } else {
        status = File_ParseDefaults(file, state, state->mode != 0);
        if (status == kStatusOk) {
            status = ReadOpenPages(file, &openPages);
        }
        uint32_t empty[3] = {};
        if (status == kStatusOk) {
            status = SectionHeader(file, kSectionEmpty, empty, 3);
        }
        if (status == kStatusOk) {
            status = SkipBytes(file, empty[1]);
        }
        if (status == kStatusOk) {
            status = ReadObjectSection(file, state);
        }
        // Section 2's header is checked before anything is built.
        if (status == kStatusOk) {
            status = SectionHeader(file, kSectionApplication, applicationHeader, 2);
        }
        if (status == kStatusOk && applicationHeader[1] > File_Remaining(file)) {
            status = kStatusEndOfFile;
        }
    }
    if (status != kStatusOk) {
        return status;
    }
    TreeCheck tree(&state->objects);
    if (!tree.Run(foreign || header.subset != 0)) {
        return kStatusEncoding;
    }

    Built built;
    if (ModelMap_Create(&built.map, static_cast<uint32_t>(state->objects.size())) != kStatusOk) {
        return kStatusNoModelMap;
    }
    built.pages = Group_New();
    status = built.pages == 0 ? kStatusNoModelMap : BuildObjects(state, tree, &built);
    for (size_t i = 0; status == kStatusOk && i < state->objects.size(); ++i) {
        ModelMap_Add(built.map, state->objects[i].oldHandle, built.handles[i]);
        if (Model_GetType(built.handles[i]) == kTypePage) {
            Group_Add(built.pages, built.handles[i]);
            Model_SetFieldValue(built.handles[i], kPageOpenMark, 0);
        }
    }
    if (status == kStatusOk) {
        ModelMap_SetRemapLinks(built.map, 0);
        for (size_t i = 0; status == kStatusOk && i < built.handles.size(); ++i) {
            status = Core_RemapReferences(built.handles[i], built.map);
        }
        for (size_t i = 0; status == kStatusOk && i < state->objects.size(); ++i) {
            if (state->objects[i].text) {
                status = ImportText(built.handles[i], &*state->objects[i].text, tree, built);
            }
        }
        if (status == kStatusOk) {
            RelinkReferences(built);
        }
        if (status != kStatusOk) {
            DestroyBuilt(&built);
        }
    }
    if (status == kStatusOk) {
        ApplyDefaults(state, true);
    }
    if (status != kStatusOk) {
        ModelMap_Destroy(built.map);
        Group_Free(built.pages);
        return status;
    }
    if (foreign) {
        for (size_t i = 1; i < built.handles.size(); ++i) {
            Core_RecomputeBox(built.handles[i], 0);
        }
    }
    UD_SetFileMachineCode(header.platform);
    for (ObjectHandle object : built.handles) {
        if (Model_GetFieldValue(object, Field::kUserData) != 0) {
            Hook_Fire(kHookConvertUserData, object, Model_GetPage(object), 23);
            Hook_Fire(Hook_IsRegistered(kHookUserDataRead) ? kHookUserDataRead : kHookUserDataLoaded, built.map,
                      object);
        }
    }
    KernelStatus openStatus = kStatusOk;
    ObjectGroup open = PagesToOpen(openPages, !foreign && !openPages.empty(), tree, built, &openStatus);
    if (foreign) {
        MarkForeignLists(*state, built);
    }
    PlacePages(*state, built);
    if (foreign) {
        std::vector<ObjectHandle> pages;
        for (uint16_t i = 0, n = Group_Count(built.pages); i < n; ++i) {
            pages.push_back(Group_Member(built.pages, i));
        }
        Hook_Fire(kHookForeignPages, reinterpret_cast<uintptr_t>(pages.data()), pages.size(), state->mode, 1);
    }
    status = openStatus;
    if (status == kStatusOk && !foreign && !Hook_IsRegistered(kHookApplicationData)) {
        status = SkipBytes(file, applicationHeader[1]);
    }
    if (status == kStatusOk && Hook_IsRegistered(kHookApplicationData) &&
        Hook_Fire(kHookApplicationData, file, header.version, state->mode, built.map) == 0) {
        status = kStatusRefusedByHook;
    }
    ModelMap_Destroy(built.map);
    Group_Free(built.pages);
    if (status != kStatusOk) {
        Group_Free(open);
        return status;
    }
    *out = open;
    return kStatusOk;
}

}  // namespace

uint32_t File_PlatformClass(uint32_t code)
{
    switch (code) {
    case 0x0101: case 0x0202: return 1;
    case 0x0505: case 0x0303: case 0x0404: case 0x0808: return 2;
    default: return 0;
    }
}

DiagramHeader File_LastHeader()
{
    return gLastHeader;
}

KernelStatus File_ReadPointItem(FileHandle file, uint32_t count, std::vector<FixPoint>* points)
{
    if (count > kPtArrayMaxPoints - 5) {
        return kStatusEncoding;
    }
    if (uint64_t{count} * 8 > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    points->resize(count);
    for (FixPoint& point : *points) {
        uint32_t pair[2] = {};
        if (KernelStatus status = File_ReadValues(file, pair, 4, 2); status != kStatusOk) {
            return status;
        }
        point = FixPoint{static_cast<Fixed>(pair[0]), static_cast<Fixed>(pair[1])};
    }
    return kStatusOk;
}

KernelStatus File_ReadPictureItem(FileHandle file, ParsedObject* object)
{
    object->shape = ShapeData::Picture;
    uint8_t kind = 0;
    KernelStatus status = File_ReadExact(file, &kind, 1);
    if (status != kStatusOk) {
        return status;
    }
    if (kind != 0) {
        uint8_t length[2] = {};
        status = File_ReadExact(file, length, 2);
        if (status != kStatusOk) {
            return status;
        }
        uint32_t total = uint32_t{length[0]} << 8 | length[1];
        if (total < 2) {
            return kStatusFailed;
        }
        object->rawPicture = true;
        object->pictureData.resize(total - 2);
        if (total - 2 > File_Remaining(file)) {
            return kStatusEndOfFile;
        }
        return File_ReadExact(file, object->pictureData.data(), total - 2);
    }
    // The stored samples: a picture read and written again keeps its pixels.
    object->image.reset(Image_ReadPNGStored("<<filename>>", File_GetFILE(file)));
    return object->image ? kStatusOk : kStatusFailed;
}

KernelStatus File_ParseDefaults(FileHandle file, ReadState* state, bool skip)
{
    uint32_t words[3] = {};
    KernelStatus status = SectionHeader(file, kSectionDefaults, words, 3);
    if (status != kStatusOk) {
        return status;
    }
    if (skip) {
        return SkipBytes(file, words[1]);
    }
    if (uint64_t{words[2]} * 16 > File_Remaining(file)) {
        return kStatusEndOfFile;
    }
    for (uint32_t i = 0; i < words[2]; ++i) {
        ParsedDefault entry;
        status = File_ReadValues(file, entry.head, 4, 3);
        if (status == kStatusOk) {
            status = Count(file, 1, &entry.sizeRead);
        }
        if (status != kStatusOk) {
            return status;
        }
        entry.value.assign(std::max(entry.sizeRead, Default_PropertySize(entry.head[2])), 0);
        status = ReadValueRecord(file, entry.head[2], entry.value.data(), entry.sizeRead);
        if (status != kStatusOk) {
            return status;
        }
        state->defaults.push_back(std::move(entry));
    }
    return kStatusOk;
}

KernelStatus File_ReadDefaultsSection(FileHandle file, uint32_t skip, uint32_t fireHooks)
{
    ReadState state;
    state.header = gLastHeader;
    KernelStatus status = File_ParseDefaults(file, &state, skip != 0);
    if (status == kStatusOk) {
        ApplyDefaults(&state, fireHooks != 0);
    }
    return status;
}

KernelStatus File_ReadDiagram(FileHandle file, uint32_t mode, ObjectGroup* out)
{
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    *out = 0;
    ReadState state;
    state.mode = mode;
    File_SetRawBigEndian(1);
    KernelStatus status = ReadDiagram(file, &state, out);
    if (File_IsEncoding(file)) {
        File_StreamOff(file);
    }
    return status;
}
