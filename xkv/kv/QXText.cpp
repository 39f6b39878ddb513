// QX text functions over the kernel's text records and the text defaults
// (default property 26).
#include "xkv/kv/QXText.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextObject.h"

namespace {

// Words of the text property record by their offsets.
constexpr uint32_t kTextStyle = 32;
constexpr uint32_t kTextJustification = 36;
constexpr uint32_t kTextFont = 40;
constexpr uint32_t kTextSize = 44;
constexpr uint32_t kTextSize2 = 48;
constexpr uint32_t kTextWord = 52;
constexpr uint32_t kTextRecordSize = 60;
constexpr uint32_t kTextLimit = 62;

bool IsTextKind(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return false;
    }
    const uint32_t type = Model_GetType(object);
    return type == kTypeConnector || type == kTypeNode || type == kTypeRegion;
}

MemHandle TextOf(ObjectHandle object)
{
    return Model_GetFieldValue(object, Field::kText);
}

uint32_t Put(ObjectHandle object, const char* text, uint32_t mode)
{
    if (!IsTextKind(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (text == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const size_t length = std::strlen(text);
    if (length > UINT32_MAX) {
        return qx::Fail(kStatusBadArgument);
    }
    if (KernelStatus s = Text_PutString(object, text, static_cast<uint32_t>(length), mode); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

// One word of the text record at the built-in-then-new level, changed and stored.
uint32_t SetDefaultWord(uint32_t offset, uint32_t value, uint32_t secondOffset = 0)
{
    std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropText), kTextRecordSize));
    uint8_t* record = buffer.data();
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropText, record); s != kStatusOk) {
        return qx::Fail(s);
    }
    std::memset(record, 0, kChangedBytes);
    std::memcpy(record + offset, &value, 4);
    record[(offset - 24) / 4] = 1;
    if (secondOffset != 0) {
        std::memcpy(record + secondOffset, &value, 4);
        record[(secondOffset - 24) / 4] = 1;
    }
    if (KernelStatus s = Default_Set(0, kDefaultLevelNew, kPropText, record); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t Word(const uint8_t* record, uint32_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, record + offset, 4);
    return value;
}

}  // namespace

uint32_t QXText_CanHaveText(ObjectHandle object)
{
    return IsTextKind(object) ? 1 : qx::Fail(kStatusInvalidObject);
}

uint32_t QXText_GetLength(ObjectHandle object, uint32_t* length)
{
    if (!QXText_CanHaveText(object) || length == nullptr) {
        return 0;
    }
    *length = Text_Length(object, 1, kRefDisplay);
    return 1;
}

uint32_t QXText_GetSelectionLength(ObjectHandle object, uint32_t referenceMode)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    return Text_Length(object, 0, referenceMode);
}

uint32_t QXText_GetText(ObjectHandle object, char* buffer, uint32_t* length)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    if (buffer == nullptr || length == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const MemHandle text = TextOf(object);
    if (text == 0) {
        return qx::Fail(kStatusNoText);
    }
    uint32_t total = 0;
    const MemHandle copy = Text_CopyOut(text, nullptr, nullptr, &total, kRefDisplay);
    const uint32_t n = std::min(*length, total);
    if (copy != 0) {
        void* characters = nullptr;
        if (Mem_Lock(copy, &characters) == kStatusOk) {
            std::memcpy(buffer, characters, n);
            Mem_Unlock(copy);
        }
        Mem_Free(copy);
    }
    *length = n;
    return 1;
}

uint32_t QXText_GetTextSize(ObjectHandle object, Fixed* width, Fixed* height)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    const MemHandle text = TextOf(object);
    if (text == 0) {
        return qx::Fail(kStatusNoText);
    }
    MemHandle line = 0;
    {
        BlockLock<TextRec> record(text);
        if (!record) {
            return qx::Fail(kStatusNoText);
        }
        line = record->firstLine;
    }
    int64_t widest = 0;
    int64_t total = 0;
    // A text has at most as many lines as blocks; the bound guards a damaged chain.
    for (uint32_t guard = 0; line != 0 && guard < (1u << 20); ++guard) {
        BlockLock<TextLine> l(line);
        if (!l) {
            break;
        }
        widest = std::max<int64_t>(widest, l->width);
        total += l->height;
        line = l->next;
    }
    if (width != nullptr) *width = static_cast<Fixed>(std::min<int64_t>(widest, INT32_MAX));
    if (height != nullptr) *height = static_cast<Fixed>(std::min<int64_t>(total, INT32_MAX));
    return 1;
}

uint32_t QXText_SetText(ObjectHandle object, const char* text)
{
    return Put(object, text, 0);
}

uint32_t QXText_AppendText(ObjectHandle object, const char* text)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    const uint32_t length = Text_Length(object, 1, kRefDisplay);
    Text_SelectRange(object, static_cast<int32_t>(length), static_cast<int32_t>(length));
    return Put(object, text, 1);
}

uint32_t QXText_InsertText(ObjectHandle object, const char* text)
{
    return Put(object, text, 1);
}

uint32_t QXText_SetSelection(ObjectHandle object, int32_t start, int32_t end)
{
    if (!IsTextKind(object) || (start == -1 && end == -1)) {
        return qx::Fail(kStatusBadArgument);
    }
    if (TextOf(object) == 0) {
        return qx::Fail(kStatusNoText);
    }
    return qx::Store(Text_SelectRange(object, start, end));
}

uint32_t QXText_IsEditing()
{
    return Comm_InTextMode() != 0 ? 1 : 0;
}

uint32_t QXText_GetNoWrap(ObjectHandle object, uint32_t* value)
{
    if (!QXText_CanHaveText(object) || value == nullptr) {
        return 0;
    }
    if (KernelStatus s = Text_GetNoWrap(object, value); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXText_SetTextAttrWord(ObjectHandle object, uint32_t value)
{
    if (object == 0) {
        return SetDefaultWord(kTextWord, value);
    }
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (TextOf(object) == 0) {
        return qx::Fail(kStatusNoText);
    }
    return qx::Store(Model_SetFieldValue(object, Field::kTextAttribute, value));
}

int32_t QXText_GetTextAttrWord(ObjectHandle object)
{
    if (object != 0 && Model_IsObject(object) && TextOf(object) != 0) {
        return static_cast<int32_t>(Model_GetFieldValue(object, Field::kTextAttribute));
    }
    std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropText), kTextRecordSize));
    uint8_t* record = buffer.data();
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropText, record); s != kStatusOk) {
        qx::Fail(s);
        return -1;
    }
    return static_cast<int32_t>(Word(record, kTextWord));
}

uint32_t QXText_SetDefaultFont(int32_t font)
{
    return SetDefaultWord(kTextFont, static_cast<uint32_t>(font));
}

uint32_t QXText_SetDefaultSize(int32_t size)
{
    return SetDefaultWord(kTextSize, static_cast<uint32_t>(size), kTextSize2);
}

uint32_t QXText_SetDefaultStyle(int32_t style)
{
    return SetDefaultWord(kTextStyle, static_cast<uint32_t>(style));
}

uint32_t QXText_SetDefaultJustification(int32_t justification)
{
    const uint32_t value = justification == 0 || justification == 2 ? static_cast<uint32_t>(justification) : 1;
    return SetDefaultWord(kTextJustification, value);
}

uint32_t QXText_GetTextAttr(ObjectHandle object, int32_t* font, int32_t* size, int32_t* style,
                            int32_t* justification, uint32_t* word1, uint32_t* word2)
{
    std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropText), kTextRecordSize));
    uint8_t* record = buffer.data();
    const bool own = object != 0 && Model_IsObject(object) && TextOf(object) != 0 &&
                     Default_Get(object, kDefaultLevelObject, kPropText, record) == kStatusOk;
    if (!own) {
        std::fill(buffer.begin(), buffer.end(), 0);
        if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropText, record); s != kStatusOk) {
            return qx::Fail(s);
        }
    }
    auto put = [&](int32_t* out, uint32_t offset) {
        if (out != nullptr) {
            *out = static_cast<int32_t>(Word(record, offset));
        }
    };
    put(font, kTextFont);
    put(size, kTextSize);
    put(style, kTextStyle);
    put(justification, kTextJustification);
    if (word1 != nullptr) {
        *word1 = Word(record, kTextSize2);
    }
    if (word2 != nullptr) {
        *word2 = Word(record, kTextWord);
    }
    return own ? 1 : 0;
}

uint32_t QXText_GetTextLimit(uint32_t, uint32_t, uint32_t* value)
{
    if (value == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    *value = kTextLimit;
    return 1;
}

ObjectHandle QXText_FirstReferrer(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(34);
    }
    return Text_FirstReferrer(object);
}

uint32_t QXText_HasReferences(ObjectHandle object)
{
    if (!IsTextKind(object) || TextOf(object) == 0) {
        return 0;
    }
    TextRec* text = nullptr;
    if (Mem_LockAs(TextOf(object), &text) != kStatusOk) {
        return 0;
    }
    const uint32_t count = text->referenceCount;
    Mem_Unlock(TextOf(object));
    return count;
}

uint32_t QXText_DeleteText(ObjectHandle object, uint32_t keepIfNotEmpty)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    const bool hasCharacters = Text_IsEmpty(object) == 2;
    if (hasCharacters && keepIfNotEmpty != 0) {
        return 0;
    }
    if (hasCharacters) {
        Text_DropReferences(object);
    }
    if (KernelStatus s = Text_Delete(object); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}
