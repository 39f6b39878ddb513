// Placeholders for the services printing calls in modules not built yet:
// text reading and replacing, the page selection, the file selector and
// alerts, and the image block of a picture.
#include <wraster.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextObject.h"

namespace {

constexpr HookId kHookPageList = 85;

// Appends characters to a line of a text.
KernelStatus AppendToLine(MemHandle line, const std::string& characters)
{
    if (characters.empty()) {
        return kStatusOk;
    }
    uint16_t length = 0;
    if (BlockLock<TextLine> l(line); l) {
        length = l->length;
    }
    KernelStatus status = Text_ResizeLine(line, length, static_cast<int32_t>(characters.size()));
    if (status != kStatusOk) {
        return status;
    }
    BlockLock<TextLine> l(line);
    BlockLock<uint8_t> bytes(l->characters);
    if (!bytes || bytes.size() < length + characters.size()) {
        return kStatusOutOfMemory;
    }
    std::memcpy(bytes.get() + length, characters.data(), characters.size());
    return kStatusOk;
}

// A new text record with the old one's frame and attributes holding the characters.
MemHandle NewTextLike(ObjectHandle object, MemHandle old, const char* characters, uint32_t length)
{
    BlockLock<TextRec> from(old);
    if (!from) {
        return 0;
    }
    FixRect frame{from->frameX, from->frameY, from->frameX + from->frameWidth, from->frameY + from->frameHeight};
    MemHandle fresh = Text_Create(object, frame, from->label == 0 ? 1 : 0);
    if (fresh == 0) {
        return 0;
    }
    MemHandle line = 0;
    uint32_t lines = 1;
    {
        BlockLock<TextRec> to(fresh);
        to->frameWidth = from->frameWidth;
        to->frameHeight = from->frameHeight;
        to->alignment = from->alignment;
        to->noWrap = from->noWrap;
        to->label = from->label;
        to->scrollBars = from->scrollBars;
        to->attributeWord = from->attributeWord;
        to->fontSpec = from->fontSpec;
        to->pendingMask = from->pendingMask;
        line = to->firstLine;
    }
    std::string pending;
    KernelStatus status = kStatusOk;
    for (uint32_t i = 0; i < length && status == kStatusOk; ++i) {
        char c = characters[i];
        if (c == '\n' || c == '\r') {
            status = AppendToLine(line, pending);
            pending.clear();
            MemHandle next = status == kStatusOk ? Text_LinkNewLine(fresh, line, 1) : 0;
            if (next == 0) {
                status = kStatusOutOfMemory;
                break;
            }
            if (BlockLock<TextLine> l(line); l) {
                l->endMark = static_cast<uint8_t>(c);
            }
            line = next;
            ++lines;
        } else if (static_cast<unsigned char>(c) >= 32 || c == '\t') {
            pending += c;
        }
    }
    if (status == kStatusOk) {
        status = AppendToLine(line, pending);
    }
    if (status != kStatusOk) {
        Text_Free(fresh);
        return 0;
    }
    BlockLock<TextRec>(fresh)->lineCount = lines;
    return fresh;
}

}  // namespace

KernelStatus Text_GetString(ObjectHandle object, char* buffer, uint32_t* length, uint32_t mode)
{
    MemHandle text = Model_GetFieldValue(object, Field::kText);
    if (text == 0) {
        return kStatusNoText;
    }
    if (length == nullptr) {
        buffer[0] = '\0';
        return kStatusOk;
    }
    uint32_t count = 0;
    MemHandle copy = Text_CopyOut(text, nullptr, nullptr, &count, mode);
    uint32_t taken = *length <= count ? *length : count;
    if (copy != 0) {
        BlockLock<char> characters(copy);
        if (characters) {
            std::memcpy(buffer, characters.get(), taken);
        }
        Mem_Free(copy);
    }
    buffer[taken] = '\0';
    if (*length > count) {
        *length = count;
    }
    return kStatusOk;
}

KernelStatus Text_PutString(ObjectHandle object, const char* characters, uint32_t length, uint32_t mode)
{
    MemHandle old = 0;
    if (Text_Get(object, &old, 1) != kStatusOk || old == 0) {
        return kStatusOutOfMemory;
    }
    if (mode != 0) {
        return kStatusOk;
    }
    MemHandle fresh = NewTextLike(object, old, characters, length);
    if (fresh == 0) {
        return kStatusOutOfMemory;
    }
    Text_Delete(object);
    return Model_SetFieldValue(object, Field::kText, fresh);
}

uint32_t Comm_GetSelectedPages(uint16_t* count, uint32_t** pages)
{
    *count = 0;
    *pages = nullptr;
    if (Hook_IsRegistered(kHookPageList)) {
        Hook_Fire(kHookPageList, reinterpret_cast<uintptr_t>(count), reinterpret_cast<uintptr_t>(pages));
        return *pages != nullptr ? 1 : 0;
    }
    ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return 1;
    }
    *pages = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t)));
    if (*pages == nullptr) {
        return 0;
    }
    (*pages)[0] = page;
    *count = 1;
    return 1;
}

uint32_t Dialog_SelectFile(const char*, const char*, const char*, char* name, uint32_t, uint32_t* result)
{
    if (name != nullptr) {
        name[0] = '\0';
    }
    if (result != nullptr) {
        *result = 0;
    }
    return 60;
}

uint32_t Dialog_Alert(uint32_t, const char*, uint32_t kind)
{
    return kind == 2 ? 1 : 0;
}

uint32_t Image_WritePostScriptBody(RImage* image, FILE* stream)
{
    const int width = image != nullptr ? image->width : 0;
    const int height = image != nullptr ? image->height : 0;
    std::fprintf(stream, "gsave\n  /pix %d string def\n  %u %u 8\n  [1 0 0 1 0 0]\n", 3 * width,
                 static_cast<unsigned>(width), static_cast<unsigned>(height));
    std::fprintf(stream, "  {currentfile pix readhexstring pop}\n  false 3 colorimage\n\n");
    const int step = image != nullptr && image->format == RRGBAFormat ? 4 : 3;
    int digits = 0;
    for (long i = 0; i < long{width} * height; ++i) {
        const unsigned char* pixel = image->data + i * step;
        for (int c = 0; c < 3; ++c) {
            if (digits >= 50) {
                std::fputc('\n', stream);
                digits = 0;
            }
            std::fprintf(stream, "%02x", pixel[c]);
            digits += 2;
        }
    }
    std::fprintf(stream, "\ngrestore\n\n");
    return 1;
}
