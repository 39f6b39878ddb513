// Writing a diagram file: the whole diagram or a set of pages with the pages
// below them.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/DiagramFormat.h"
#include "xkv/group/Group.h"
#include "xkv/image/Image.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Picture.h"
#include "xkv/pending/Pending.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/Window.h"

namespace {

constexpr HookId kHookWriteApplication = 38;
constexpr HookId kHookBeforeWrite = 48;

KernelStatus Unit(FileHandle file, uint32_t value)
{
    return File_WriteValue(file, &value, 4);
}

KernelStatus Units(FileHandle file, const uint32_t* values, uint32_t count)
{
    return File_WriteValues(file, values, 4, count);
}

KernelStatus Half(FileHandle file, uint16_t value)
{
    return File_WriteValue(file, &value, 2);
}

// A section header that is written first and patched when its counts are known.
class SectionHeader {
public:
    SectionHeader(FileHandle file, std::initializer_list<uint32_t> words) : file_(file), words_(words) {}

    KernelStatus Begin()
    {
        position_ = File_Tell(file_);
        if (position_ < 0) {
            return kStatusSystemError;
        }
        return Units(file_, words_.data(), static_cast<uint32_t>(words_.size()));
    }

    KernelStatus Patch(std::initializer_list<uint32_t> words)
    {
        words_.assign(words);
        int32_t here = File_Tell(file_);
        if (here < 0) {
            return kStatusSystemError;
        }
        KernelStatus status = File_SeekSet(file_, position_);
        if (status == kStatusOk) {
            status = Units(file_, words_.data(), static_cast<uint32_t>(words_.size()));
        }
        KernelStatus back = File_SeekSet(file_, here);
        return status != kStatusOk ? status : back;
    }

    int32_t position() const { return position_; }

private:
    FileHandle file_;
    std::vector<uint32_t> words_;
    int32_t position_ = -1;
};

struct WriteContext {
    FileHandle file = 0;
    ObjectGroup pageSet = 0;  // 0: every page
    uint32_t count = 0;
    uint32_t highest = 0;
    KernelStatus status = kStatusOk;
};

bool InPageSet(const WriteContext& context, ObjectHandle page)
{
    return context.pageSet == 0 || Group_Contains(context.pageSet, page);
}

KernelStatus WriteValueRecord(FileHandle file, uint32_t property, const uint8_t* value, uint32_t size)
{
    DefaultLayout layout = File_DefaultLayout(property, size);
    KernelStatus status = File_WriteBytes(file, value, layout.prefix);
    for (uint32_t i = 0; status == kStatusOk && i < layout.words; ++i) {
        uint32_t word = 0;
        std::memcpy(&word, value + layout.prefix + 4 * i, 4);
        status = Unit(file, word);
    }
    if (status == kStatusOk && layout.raw > 0) {
        status = File_WriteBytes(file, value + layout.prefix + 4 * layout.words, layout.raw);
    }
    return status;
}

KernelStatus WritePoints(FileHandle file, PtArray points)
{
    uint32_t count = points != 0 ? PtArray_Count(points) : 0;
    KernelStatus status = Unit(file, count);
    for (uint32_t i = 0; status == kStatusOk && i < count; ++i) {
        FixPoint point{};
        PtArray_GetPoint(points, i, &point);
        uint32_t pair[2] = {static_cast<uint32_t>(point.x), static_cast<uint32_t>(point.y)};
        status = Units(file, pair, 2);
    }
    return status;
}

// Written straight to the stream, beside the encoded units.
KernelStatus WritePicture(FileHandle file, MemHandle picture)
{
    FILE* stream = File_GetFILE(file);
    BlockLock<PictureRecord> record(picture);
    if (stream == nullptr) {
        return kStatusBadArgument;
    }
    if (record && (record->flags & kPictureRaw) == 0 && record->image != nullptr) {
        if (std::fputc(0, stream) == EOF) {
            return kStatusIoError;
        }
        return Image_WritePNGStream(stream, record->image) == 0 ? kStatusOk : kStatusFailed;
    }
    std::vector<uint8_t> data;
    if (record && (record->flags & kPictureRaw) != 0 && record->data != 0) {
        BlockLock<uint8_t> bytes(record->data);
        if (bytes) {
            data.assign(bytes.get(), bytes.get() + std::min<uint32_t>(record->length, bytes.size()));
        }
    }
    // The stored length counts itself in 16 bits.
    if (data.size() > UINT16_MAX - 2) {
        return kStatusFailed;
    }
    uint16_t length = static_cast<uint16_t>(data.size() + 2);
    uint8_t head[3] = {1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    if (std::fwrite(head, 1, 3, stream) != 3 ||
        (!data.empty() && std::fwrite(data.data(), 1, data.size(), stream) != data.size())) {
        return kStatusIoError;
    }
    return kStatusOk;
}

KernelStatus WriteConnectorData(FileHandle file, MemHandle data)
{
    uint32_t words[kConnectorDataWords] = {};
    PtArray path = 0;
    {
        BlockLock<ConnectorData> record(data);
        if (record && record.size() >= sizeof(ConnectorData)) {
            std::memcpy(words, record.get(), sizeof(words));
            path = record->mode == kConnectorOwnsPath ? record->path : 0;
        }
    }
    for (int word : kConnectorHandleWords) {
        words[word] = 0;
    }
    KernelStatus status = Units(file, words, kConnectorDataWords);
    return status != kStatusOk ? status : WritePoints(file, path);
}

KernelStatus WriteText(FileHandle file, MemHandle text)
{
    uint32_t header[kTextHeaderWords] = {};
    uint32_t second = 0;
    MemHandle characters = 0;
    MemHandle references = 0;
    uint32_t count = 0;
    KernelStatus status = Text_Export(text, header, &second, &characters, &count, &references);
    std::vector<uint32_t> referenceWords;
    std::vector<uint8_t> bytes;
    if (status == kStatusOk) {
        BlockLock<uint32_t> refs(references);
        uint32_t available = refs ? refs.size() / 4 : 0;
        referenceWords.assign(refs ? refs.get() : nullptr, refs ? refs.get() + std::min(header[7], available) : nullptr);
        BlockLock<uint8_t> chars(characters);
        uint32_t length = chars ? std::min(count, chars.size()) : 0;
        bytes.assign(chars ? chars.get() : nullptr, chars ? chars.get() + length : nullptr);
    }
    if (characters != 0) {
        Mem_Free(characters);
    }
    if (references != 0) {
        Mem_Free(references);
    }
    if (status != kStatusOk) {
        return status;
    }
    header[7] = static_cast<uint32_t>(referenceWords.size());
    status = Units(file, header, kTextHeaderWords);
    if (status == kStatusOk && !referenceWords.empty()) {
        status = Units(file, referenceWords.data(), static_cast<uint32_t>(referenceWords.size()));
    }
    if (status == kStatusOk) {
        status = Unit(file, static_cast<uint32_t>(bytes.size()));
    }
    if (status == kStatusOk && !bytes.empty()) {
        status = File_WriteBytes(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    return status;
}

KernelStatus WriteBlock(FileHandle file, MemHandle block)
{
    BlockLock<uint8_t> bytes(block);
    uint32_t size = bytes ? bytes.size() : 0;
    KernelStatus status = Unit(file, size);
    if (status == kStatusOk && size > 0) {
        status = File_WriteBytes(file, bytes.get(), size);
    }
    return status;
}

// The record as stored: memory handles become 1 (something follows) or 0.
ObjectRecord StoredRecord(ObjectHandle object)
{
    ObjectRecord* live = nullptr;
    ObjectRecord record{};
    if (Model_GetRecord(object, &live) == kStatusOk && live != nullptr) {
        record = *live;
    }
    using namespace RecordWord;
    for (int word : {kText, kUserData, kShapeData}) {
        record.words[word] = record.words[word] != 0 ? 1 : 0;
    }
    record.words[kReferrers] = 0;
    if (record.words[kType] == kTypePage) {
        record.words[kPageName] = record.words[kPageName] != 0 ? 1 : 0;
    }
    return record;
}

KernelStatus WriteObject(ObjectHandle object, WriteContext* context)
{
    FileHandle file = context->file;
    ObjectRecord record = StoredRecord(object);
    KernelStatus status = Unit(file, object);
    if (status == kStatusOk) {
        status = Units(file, record.words, 36);
    }
    if (status == kStatusOk && Model_GetType(object) == kTypePage) {
        char name[kPageNameSize] = {};
        Model_GetPageName(object, name);
        uint32_t length = static_cast<uint32_t>(strnlen(name, sizeof(name)));
        status = Unit(file, length);
        if (status == kStatusOk) {
            status = File_WriteBytes(file, name, length);
        }
    }
    MemHandle shape = Model_GetFieldValue(object, Field::kShapeData);
    if (status == kStatusOk) {
        switch (Model_GetKind(object)) {
        case 4:
            status = WritePicture(file, shape);
            break;
        case 5: case 13:
            status = WritePoints(file, shape);
            break;
        case 9: case 10: case 11:
            status = WriteConnectorData(file, shape);
            break;
        default:
            break;
        }
    }
    if (MemHandle text = Model_GetFieldValue(object, Field::kText); status == kStatusOk && text != 0) {
        status = WriteText(file, text);
    }
    if (MemHandle data = Model_GetFieldValue(object, Field::kUserData); status == kStatusOk && data != 0) {
        status = WriteBlock(file, data);
    }
    if (status == kStatusOk) {
        ++context->count;
        context->highest = std::max(context->highest, object);
    }
    return status;
}

KernelStatus WriteEach(ObjectHandle object, void* argument)
{
    auto* context = static_cast<WriteContext*>(argument);
    if (Model_GetType(object) == kTypePage && !InPageSet(*context, object)) {
        return kStatusSkipSubtree;
    }
    context->status = WriteObject(object, context);
    return context->status;
}

KernelStatus WriteHeader(FileHandle file, uint32_t subset)
{
    KernelStatus status = Half(file, kDiagramMagic);
    if (status == kStatusOk) {
        status = Half(file, kThisPlatform);
    }
    if (status == kStatusOk) {
        status = Half(file, kDiagramVersion);
    }
    return status != kStatusOk ? status : Unit(file, subset);
}

KernelStatus WriteOpenPages(FileHandle file, ObjectGroup pageSet)
{
    SectionHeader header(file, {kSectionOpenPages, 0, 0});
    KernelStatus status = header.Begin();
    uint32_t count = 0;
    for (ObjectHandle page = Model_GetFirstPage(); status == kStatusOk && page != 0;
         page = Model_GetNextSibling(page)) {
        if ((pageSet != 0 && !Group_Contains(pageSet, page)) || Window_OfPage(page) == nullptr) {
            continue;
        }
        // The window's place on the screen goes with the page, so that it
        // opens there again; writing it is no change to the diagram.
        const uint32_t modified = Model_IsModified();
        Window_SaveGeometry(page);
        Model_SetModified(modified);
        status = Unit(file, page);
        ++count;
    }
    if (status == kStatusOk && count > 0) {
        status = header.Patch({kSectionOpenPages, 4 * count, count});
    }
    return status;
}

KernelStatus WriteObjects(FileHandle file, ObjectGroup pageSet)
{
    SectionHeader header(file, {kSectionObjects, 0, 0, 0});
    KernelStatus status = header.Begin();
    if (status != kStatusOk) {
        return status;
    }
    WriteContext context{file, pageSet};
    if (ObjectHandle root = Model_GetRoot(); root != 0) {
        Model_WalkTree(1, root, kMaskAll, WriteEach, &context);
    }
    if (context.status != kStatusOk) {
        return context.status;
    }
    int32_t length = File_Tell(file) - header.position() - 16;
    if (length > 0) {
        status = header.Patch({kSectionObjects, static_cast<uint32_t>(length), context.count, context.highest});
    }
    return status;
}

KernelStatus WriteApplication(FileHandle file, uint32_t subset)
{
    SectionHeader header(file, {kSectionApplication, 0});
    KernelStatus status = header.Begin();
    if (status != kStatusOk) {
        return status;
    }
    int32_t start = File_Tell(file);
    if (Hook_Fire(kHookWriteApplication, file, subset) == 0) {
        return kStatusRefusedByHook;
    }
    int32_t length = File_Tell(file) - start;
    if (length > 0) {
        status = header.Patch({kSectionApplication, static_cast<uint32_t>(length)});
    }
    return status;
}

KernelStatus WriteAll(FileHandle file, ObjectGroup pageSet, uint32_t subset)
{
    KernelStatus status = File_StreamOn(file, kEncode);
    if (status != kStatusOk) {
        return status;
    }
    if (Hook_Fire(kHookBeforeWrite, file, subset) == 0) {
        status = kStatusRefusedByHook;
    }
    if (status == kStatusOk) {
        status = WriteHeader(file, subset);
    }
    if (status == kStatusOk) {
        status = File_WriteDefaultsSection(file, kDefaultLevelNew);
    }
    if (status == kStatusOk) {
        status = WriteOpenPages(file, pageSet);
    }
    if (status == kStatusOk) {
        SectionHeader empty(file, {kSectionEmpty, 0, 0});
        status = empty.Begin();
    }
    if (status == kStatusOk) {
        status = WriteObjects(file, pageSet);
    }
    if (status == kStatusOk) {
        status = WriteApplication(file, subset);
    }
    File_StreamOff(file);
    return status;
}

KernelStatus AddSubpages(ObjectHandle node, void* argument)
{
    auto set = static_cast<ObjectGroup>(reinterpret_cast<uintptr_t>(argument));
    if (!Model_IsCoarseNode(node)) {
        return kStatusOk;
    }
    ObjectHandle subpage = Model_GetFieldValue(node, Field::kSubpage);
    if (subpage == 0 || !Model_IsPage(subpage) || Group_Contains(set, subpage)) {
        return kStatusOk;
    }
    if (Group_Add(set, subpage) != kStatusOk) {
        return kStatusFailed;
    }
    return Model_WalkNodes(subpage, AddSubpages, argument);
}

}  // namespace

DefaultLayout File_DefaultLayout(uint32_t property, uint32_t size)
{
    DefaultLayout layout;
    layout.prefix = Default_PropertyFlag3(property) != 0 ? std::min<uint32_t>(24, size) : 0;
    int32_t tail = Default_PropertyNumber(property);
    uint32_t wordEnd = tail >= 0 ? std::clamp<uint32_t>(static_cast<uint32_t>(tail), layout.prefix, size) : size;
    layout.words = (wordEnd - layout.prefix) / 4;
    layout.raw = size - layout.prefix - 4 * layout.words;
    return layout;
}

KernelStatus File_WriteDefaultsSection(FileHandle file, uint32_t level)
{
    SectionHeader header(file, {kSectionDefaults, 0, 0});
    KernelStatus status = header.Begin();
    uint32_t length = 0;
    uint32_t count = 0;
    for (uint32_t index = 0; status == kStatusOk; ++index) {
        uint32_t entryLevel = 0;
        uint32_t property = 0;
        MemHandle value = 0;
        if (Default_GetEntry(index, &entryLevel, &property, &value) != kStatusOk) {
            break;
        }
        bool kept = (level == kDefaultLevelAll || entryLevel == level) && Default_PropertyFlag4(property) != 0;
        if (kept) {
            BlockLock<uint8_t> bytes(value);
            uint32_t size = bytes ? bytes.size() : 0;
            uint32_t head[4] = {0, entryLevel, property, size};
            status = Units(file, head, 4);
            if (status == kStatusOk) {
                status = WriteValueRecord(file, property, bytes.get(), size);
            }
            length += 16 + size;
            ++count;
        }
        if (value != 0) {
            Mem_Free(value);
        }
    }
    if (status == kStatusOk && count > 0 && length > 0) {
        status = header.Patch({kSectionDefaults, length, count});
    }
    return status;
}

KernelStatus File_CollectSubpages(ObjectGroup pages, ObjectGroup* out)
{
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    *out = Group_Duplicate(pages);
    if (*out == 0) {
        return kStatusFailed;
    }
    void* argument = reinterpret_cast<void*>(static_cast<uintptr_t>(*out));
    for (uint16_t i = 0, n = Group_Count(pages); i < n; ++i) {
        if (Model_WalkNodes(Group_Member(pages, i), AddSubpages, argument) == kStatusFailed) {
            Group_Free(*out);
            *out = 0;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

KernelStatus File_WriteDiagram(FileHandle file)
{
    return WriteAll(file, 0, 0);
}

KernelStatus File_WritePages(FileHandle file, ObjectGroup pages)
{
    ObjectGroup set = 0;
    KernelStatus status = File_CollectSubpages(pages, &set);
    if (status != kStatusOk) {
        return status;
    }
    status = WriteAll(file, set, 1);
    Group_Free(set);
    return status;
}

KernelStatus File_WriteObjectText(FileHandle file, ObjectHandle object)
{
    MemHandle text = Model_GetFieldValue(object, Field::kText);
    uint32_t length = text != 0 ? Text_Length(object, 1, kRefWholeText) : 0;
    if (length == 0) {
        return kStatusOk;
    }
    TextPosition from;
    TextPosition to;
    {
        BlockLock<TextRec> record(text);
        if (!record) {
            return kStatusNoText;
        }
        from.line = record->firstLine;
        to.line = Text_LastLine(text);
        BlockLock<TextLine> last(to.line);
        to.column = last ? last->length : 0;
    }
    uint32_t copied = 0;
    MemHandle characters = Text_CopyOut(text, &from, &to, &copied, kRefWholeText);
    if (characters == 0) {
        return kStatusOutOfMemory;
    }
    KernelStatus status = kStatusOk;
    {
        BlockLock<uint8_t> bytes(characters);
        status = bytes ? File_WriteBytes(file, bytes.get(), std::min(copied, bytes.size())) : kStatusNullHandle;
    }
    Mem_Free(characters);
    return status;
}

KernelStatus File_SaveDiagram(const char* path)
{
    if (path == nullptr) {
        return kStatusBadArgument;
    }
    std::string temporary = std::string(path) + ".tmp";
    FileHandle file = 0;
    KernelStatus status = File_Open(temporary.c_str(), kOpenWrite, &file);
    if (status != kStatusOk) {
        return status;
    }
    status = File_WriteDiagram(file);
    KernelStatus closed = File_Close(file);
    if (status == kStatusOk) {
        status = closed;
    }
    if (status == kStatusOk) {
        status = File_ReplaceWithBackup(path, temporary.c_str());
    }
    if (status != kStatusOk) {
        File_Remove(temporary.c_str());
    }
    return status;
}
