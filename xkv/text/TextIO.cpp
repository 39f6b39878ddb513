// Export and import of whole texts: the 17-word header, the referenced
// objects and the characters (references as 0 bytes) that the diagram file
// stores, and the rebuilding of a text from them. Imported bytes are
// untrusted: counts are checked against the blocks and against each other.
#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextInternal.h"

using namespace textimpl;

namespace {

constexpr uint32_t kNoSelection = 0xffffffff;
constexpr uint32_t kFlagLabel = 1;
constexpr uint32_t kFlagNoWrap = 2;
constexpr uint32_t kFlagScrollBars = 4;

uint32_t SignExtend8(uint8_t value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(value)));
}

uint32_t SignExtend16(uint16_t value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(value)));
}

std::vector<ObjectHandle> ReferencedObjects(MemHandle handle)
{
    std::vector<ObjectHandle> objects;
    TextLock text(handle);
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        for (const Cell& cell : ReadCells(*l)) {
            if (cell.c != 0) {
                continue;
            }
            BlockLock<TextSegment> segment(cell.segment);
            if (segment && segment->start == 0) {
                BlockLock<TextRef> reference(segment->reference);
                objects.push_back(reference ? reference->object : 0);
            }
        }
    }
    return objects;
}

void FreeReferences(const std::vector<MemHandle>& references)
{
    for (MemHandle reference : references) {
        Text_FreeReference(reference, 0);
    }
}

// A new reference (not counted) to each object, in order; false, with none
// left made, when memory runs out.
bool TextRefs_FromObjects(std::span<const ObjectHandle> objects, std::vector<MemHandle>* references)
{
    for (ObjectHandle referred : objects) {
        MemHandle reference = Text_MakeReference(referred, 0);
        if (reference == 0) {
            FreeReferences(*references);
            references->clear();
            return false;
        }
        references->push_back(reference);
    }
    return true;
}

}  // namespace

KernelStatus Text_Export(MemHandle handle, uint32_t header[17], uint32_t* second, MemHandle* characters,
                         uint32_t* count, MemHandle* references)
{
    if (second != nullptr) {
        *second = 0;
    }
    if (characters != nullptr) {
        *characters = 0;
    }
    if (count != nullptr) {
        *count = 0;
    }
    if (references != nullptr) {
        *references = 0;
    }
    std::vector<ObjectHandle> objects;
    TextPosition cursor;
    TextPosition selectionStart;
    TextPosition selectionEnd;
    bool selected = false;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        header[0] = static_cast<uint32_t>(text->frameX);
        header[1] = static_cast<uint32_t>(text->frameY);
        header[2] = static_cast<uint32_t>(Fix_Add(text->frameX, text->frameWidth));
        header[3] = static_cast<uint32_t>(Fix_Add(text->frameY, text->frameHeight));
        header[4] = static_cast<uint32_t>(text->scrollX);
        header[5] = static_cast<uint32_t>(text->scrollY);
        header[6] = SignExtend8(text->extraFlag);
        cursor = {text->cursorLine, text->cursorColumn};
        selected = Text_SelectionEnds(text.get(), &selectionStart, &selectionEnd) != 0;
        uint32_t cursorOffset = OffsetOf(*text, cursor);
        header[8] = cursorOffset;
        header[9] = kNoSelection;
        if (selected) {
            // The cursor is written at the selection's start, so that the
            // selection runs forward from it.
            uint32_t from = OffsetOf(*text, selectionStart);
            header[8] = from;
            header[9] = OffsetOf(*text, selectionEnd) - from;
        }
        header[10] = (text->label != 0 ? kFlagLabel : 0) | (text->noWrap != 0 ? kFlagNoWrap : 0) |
                     (text->scrollBars != 0 ? kFlagScrollBars : 0);
        header[11] = text->topLineIndex;
        header[12] = text->fontSpec.family;
        header[13] = SignExtend16(text->fontSpec.size);
        header[14] = SignExtend16(text->fontSpec.style);
        header[15] = SignExtend8(text->alignment);
        header[16] = text->attributeWord;
    }
    objects = ReferencedObjects(handle);
    header[7] = static_cast<uint32_t>(objects.size());
    uint32_t length = 0;
    MemHandle block = Text_CopyOut(handle, nullptr, nullptr, &length, kRefZeroByte);
    if (characters != nullptr) {
        *characters = block;
    } else if (block != 0) {
        Mem_Free(block);
    }
    if (count != nullptr) {
        *count = length;
    }
    if (references != nullptr && !objects.empty()) {
        Mem_AllocCopy(references, objects.data(), objects.size() * sizeof(ObjectHandle));
    }
    return kStatusOk;
}

KernelStatus Text_ExportText(MemHandle handle, MemHandle* characters, uint32_t* count, uint32_t whole,
                             MemHandle* references, uint32_t* referenceCount)
{
    TextLock text(handle);
    if (!text) {
        return kStatusNoText;
    }
    uint32_t length = 0;
    MemHandle block = Text_CopyOut(handle, nullptr, nullptr, &length, whole != 0 ? kRefWholeText : kRefZeroByte);
    if (characters != nullptr) {
        *characters = block;
    } else if (block != 0) {
        Mem_Free(block);
    }
    if (count != nullptr) {
        *count = length;
    }
    std::vector<ObjectHandle> objects;
    if (whole == 0) {
        objects = ReferencedObjects(handle);
    }
    if (references != nullptr) {
        *references = 0;
        if (!objects.empty()) {
            Mem_AllocCopy(references, objects.data(), objects.size() * sizeof(ObjectHandle));
        }
    }
    if (referenceCount != nullptr) {
        *referenceCount = static_cast<uint32_t>(objects.size());
    }
    return kStatusOk;
}

KernelStatus Text_Import(ObjectHandle object, MemHandle* out, const uint32_t header[17], uint32_t,
                         MemHandle characters, uint32_t count, MemHandle references)
{
    if (out != nullptr) {
        *out = 0;
    }
    if (header == nullptr || !Model_IsObject(object)) {
        return kStatusBadArgument;
    }
    // Check what the file said before anything is built.
    std::vector<uint8_t> bytes;
    if (count > 0) {
        BlockLock<uint8_t> block(characters);
        if (!block || block.size() < count) {
            return kStatusBadArgument;
        }
        bytes.assign(block.get(), block.get() + count);
    }
    uint32_t referenceCount = header[7];
    auto zeros = static_cast<uint32_t>(std::count(bytes.begin(), bytes.end(), uint8_t{0}));
    if (zeros != referenceCount) {
        return kStatusBadArgument;
    }
    std::vector<ObjectHandle> objects;
    if (referenceCount > 0) {
        BlockLock<ObjectHandle> block(references);
        if (!block || block.size() / sizeof(ObjectHandle) < referenceCount) {
            return kStatusBadArgument;
        }
        objects.assign(block.get(), block.get() + referenceCount);
    }
    // The stored record's referrer word names memory of the writing program:
    // it is forgotten, never freed.
    Model_SetFieldValue(object, Field::kReferrers, 0);
    Text_Delete(object);
    bool label = (header[10] & kFlagLabel) != 0;
    MemHandle handle = 0;
    if (label) {
        handle = Text_CreateLabel(object, FixPoint{static_cast<Fixed>(header[0]), static_cast<Fixed>(header[1])});
        Text_ForgetLabel();
    } else {
        Text_Get(object, &handle, 1);
    }
    if (handle == 0) {
        return kStatusOutOfMemory;
    }
    {
        TextLock text(handle);
        text->attributeWord = header[16];
        text->scrollX = static_cast<Fixed>(header[4]);
        text->scrollY = static_cast<Fixed>(header[5]);
        text->extraFlag = static_cast<uint8_t>(header[6]);
        text->noWrap = (header[10] & kFlagNoWrap) != 0 ? 1 : 0;
        text->scrollBars = (header[10] & kFlagScrollBars) != 0 ? 1 : 0;
        text->referrerCount = 0;
        text->fontSpec = FontSpec{header[12], static_cast<uint16_t>(header[13]), static_cast<uint16_t>(header[14])};
    }
    FontSpec wantedFont{header[12], static_cast<uint16_t>(header[13]), static_cast<uint16_t>(header[14])};
    Text_SetFont(handle, Text_AcquireFont(&wantedFont));
    Text_SetAlignment(handle, static_cast<uint8_t>(header[15]));
    if (count > 0) {
        std::vector<MemHandle> made;
        if (!TextRefs_FromObjects(objects, &made)) {
            Text_Delete(object);
            return kStatusOutOfMemory;
        }
        made.push_back(0);
        Text_InsertAtCursor(handle, bytes.data(), count, made.data());
        // Texts already there that this one refers to count it as referrer.
        for (ObjectHandle referred : objects) {
            TextLock other(TextOf(referred));
            if (other) {
                other->referrerCount++;
                Text_AddReferrer(referred, object, 0);
            }
        }
        TextLock text(handle);
        uint32_t lines = header[11];
        MemHandle top = text->firstLine;
        uint32_t index = 0;
        while (index < lines && NextLine(top) != 0) {
            top = NextLine(top);
            ++index;
        }
        text->topLine = top;
        text->topLineIndex = index;
    }
    Text_Relayout(handle, 0);
    if (label && count > 0) {
        FixRect box{};
        if (Text_ObjectLabelBox(handle, &box) != 0) {
            Core_SetNodeBox(object, box, 0);
        }
    }
    // The cursor offset and the selection are clipped to the characters read.
    uint32_t cursor = std::min(header[8], count);
    uint32_t length = header[9];
    if (length == kNoSelection) {
        Text_SetSelection(handle, static_cast<int32_t>(cursor), static_cast<int32_t>(cursor));
    } else {
        length = std::min(length, count - cursor);
        Text_SetSelection(handle, static_cast<int32_t>(cursor), static_cast<int32_t>(cursor + length));
    }
    if (out != nullptr) {
        *out = handle;
    }
    return kStatusOk;
}
