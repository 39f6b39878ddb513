// QX text functions on an object's own text: the selected text and the
// cursor, text-editing mode, wrapping and attributes of the object's text,
// the font lists, find and replace, and references between texts.
#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXText.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextFind.h"
#include "xkv/text/TextFont.h"
#include "xkv/text/TextObject.h"

namespace {

constexpr uint32_t kTextRecordSize = 60;
constexpr size_t kFindTextSize = 256;

// Where the last find stopped, so that the next find goes on from there.
ObjectHandle gLastFound = 0;

MemHandle TextOf(ObjectHandle object)
{
    return Model_GetFieldValue(object, Field::kText);
}

void PutMarked(std::vector<uint8_t>& record, uint32_t offset, uint32_t value)
{
    std::memcpy(record.data() + offset, &value, 4);
    record[(offset - kChangedBytes) / 4] = 1;
}

void CopyBounded(char* field, const char* text)
{
    std::memset(field, 0, kFindTextSize);
    if (text != nullptr) {
        std::memcpy(field, text, strnlen(text, kFindTextSize - 1));
    }
}

}  // namespace

uint32_t QXText_GetSelectedText(ObjectHandle object, char* buffer, uint32_t size, uint32_t referenceMode)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    if (buffer == nullptr || size == 0) {
        return qx::Fail(kStatusBadArgument);
    }
    const MemHandle text = TextOf(object);
    if (text == 0) {
        return qx::Fail(kStatusNoText);
    }
    TextPosition start;
    TextPosition end;
    TextRec* record = nullptr;
    if (KernelStatus s = Mem_LockAs(text, &record); s != kStatusOk) {
        return qx::Fail(s);
    }
    Text_SelectionEnds(record, &start, &end);
    Mem_Unlock(text);
    uint32_t total = 0;
    const MemHandle copy = Text_CopyOut(text, &start, &end, &total, referenceMode);
    const uint32_t n = std::min(total, size - 1);
    if (copy != 0) {
        void* characters = nullptr;
        if (Mem_Lock(copy, &characters) == kStatusOk) {
            std::memcpy(buffer, characters, n);
            Mem_Unlock(copy);
        }
        Mem_Free(copy);
    }
    buffer[copy != 0 ? n : 0] = '\0';
    return 1;
}

uint32_t QXText_GetCursorOffset(ObjectHandle object, uint32_t* a, uint32_t* b)
{
    if (!Model_IsObject(object) || TextOf(object) == 0) {
        return qx::Fail(kStatusBadArgument);
    }
    uint32_t cursor = 0;
    uint32_t end = 0;
    if (KernelStatus s = Text_CursorOffset(object, &cursor, &end); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (a != nullptr) *a = cursor;
    if (b != nullptr) *b = end;
    return 1;
}

uint32_t QXText_SetEditMode(uint32_t mode)
{
    Comm_SetTextMode(mode != 0 ? 1 : 0);
    return 1;
}

uint32_t QXText_SetNoWrap(ObjectHandle object, uint32_t value)
{
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    if (KernelStatus s = Text_SetNoWrap(object, value != 0 ? 1 : 0); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXText_SetTextAttr(ObjectHandle object, int32_t font, int32_t size, int32_t style, int32_t justification)
{
    if (object == 0) {
        return QXText_SetDefaultFont(font) && QXText_SetDefaultSize(size) && QXText_SetDefaultStyle(style) &&
                       QXText_SetDefaultJustification(justification)
                   ? 1
                   : 0;
    }
    if (!QXText_CanHaveText(object)) {
        return 0;
    }
    if (TextOf(object) == 0) {
        return qx::Fail(kStatusNoText);
    }
    std::vector<uint8_t> record(std::max<uint32_t>(Default_PropertySize(kPropText), kTextRecordSize), 0);
    if (KernelStatus s = Default_Get(object, kDefaultLevelObject, kPropText, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    std::memset(record.data(), 0, kChangedBytes);
    PutMarked(record, 32, static_cast<uint32_t>(style));
    PutMarked(record, 36, static_cast<uint32_t>(justification));
    PutMarked(record, 40, static_cast<uint32_t>(font));
    PutMarked(record, 44, static_cast<uint32_t>(size));
    Core_RedrawObject(object);
    if (KernelStatus s = Core_SetTextStyle(object, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    Core_RedrawObject(object);
    return 1;
}

// ---- Fonts ----

uint32_t QXText_GetFontNames(char*** names, uint16_t* count, int16_t** indexes)
{
    if (names == nullptr || count == nullptr || indexes == nullptr || *names != nullptr) {
        return 0;
    }
    const uint32_t n = std::min<uint32_t>(Text_FontFamilyCount(), UINT16_MAX);
    const char* const* families = Text_FontFamilyNames();
    auto* list = static_cast<char**>(QXMem_Alloc(static_cast<uint32_t>(sizeof(char*) * (n + 1))));
    auto* index = static_cast<int16_t*>(QXMem_Alloc(static_cast<uint32_t>(sizeof(int16_t) * (n + 1))));
    if (list == nullptr || index == nullptr) {
        QXMem_Free(list);
        QXMem_Free(index);
        return qx::Fail(kStatusOutOfMemory);
    }
    for (uint32_t i = 0; i < n; ++i) {
        const size_t length = std::strlen(families[i]);
        list[i] = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(length + 1)));
        if (list[i] == nullptr) {
            for (uint32_t j = 0; j < i; ++j) {
                QXMem_Free(list[j]);
            }
            QXMem_Free(list);
            QXMem_Free(index);
            return qx::Fail(kStatusOutOfMemory);
        }
        std::memcpy(list[i], families[i], length);
        index[i] = static_cast<int16_t>(i);
    }
    *names = list;
    *indexes = index;
    *count = static_cast<uint16_t>(n);
    return 1;
}

uint32_t QXText_GetFontSizes(uint32_t, uint16_t** sizes, uint16_t* count)
{
    if (sizes == nullptr || count == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const uint32_t n = std::min<uint32_t>(Text_FontSizeCount(), UINT16_MAX);
    auto* block = static_cast<uint16_t*>(QXMem_Alloc(static_cast<uint32_t>(sizeof(uint16_t) * (n + 1))));
    if (block == nullptr) {
        return qx::Fail(kStatusOutOfMemory);
    }
    std::copy_n(Text_FontSizeValues(), n, block);
    *sizes = block;
    *count = static_cast<uint16_t>(n);
    return 1;
}

// ---- Find ----

uint32_t QXText_Find(const char* search, const char* replacement, uint32_t scope, uint32_t matchCase,
                     uint32_t replaceMode, ObjectHandle start, ObjectHandle* result)
{
    FindSettings settings{};
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropFind, &settings); s != kStatusOk) {
        return qx::Store(s);
    }
    std::memset(settings.changed, 0, sizeof settings.changed);
    CopyBounded(settings.search, search);
    CopyBounded(settings.replacement, replacement);
    settings.scope = scope;
    settings.matchCase = matchCase;
    settings.replaceMode = static_cast<uint8_t>(replaceMode);
    if (KernelStatus s = Default_Set(0, kDefaultLevelNew, kPropFind, &settings); s != kStatusOk) {
        return qx::Store(s);
    }
    ObjectHandle found = 0;
    const KernelStatus status = Text_FindFrom(start, &settings, 0, &found);
    gLastFound = found;
    if (result != nullptr) *result = found;
    return qx::Store(status);
}

uint32_t QXText_FindAgain()
{
    FindSettings settings{};
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropFind, &settings); s != kStatusOk) {
        return qx::Store(s);
    }
    ObjectHandle found = 0;
    const KernelStatus status = Text_FindFrom(Model_IsObject(gLastFound) ? gLastFound : 0, &settings, 1, &found);
    gLastFound = found;
    return qx::Store(status);
}

// ---- References ----

uint32_t QXText_InsertReference(ObjectHandle object, ObjectHandle referenced)
{
    if (!Model_IsElement(object) || !Model_IsElement(referenced)) {
        return qx::Fail(34);
    }
    return qx::Store(Text_InsertReference(object, referenced));
}

uint32_t QXText_RemoveReference(ObjectHandle object, ObjectHandle* referenced)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(34);
    }
    ObjectHandle removed = 0;
    const KernelStatus status = Text_RemoveReference(object, &removed);
    if (referenced != nullptr) *referenced = removed;
    return qx::Store(status);
}

ObjectHandle QXText_ReferenceAtCursor(ObjectHandle object)
{
    if (!Model_IsElement(object) || TextOf(object) == 0) {
        return 0;
    }
    return Text_ReferenceAtCursor(object);
}

uint32_t QXText_RefersTo(ObjectHandle object, ObjectHandle other)
{
    if (!Model_IsElement(object) || (other != 0 && !Model_IsElement(other))) {
        return qx::Fail(34);
    }
    QXStatus = 0;
    if (other == 0) {
        return 0;
    }
    // Walk the referrers of the other object and theirs, each once.
    std::set<ObjectHandle> seen{other};
    std::vector<ObjectHandle> pending{other};
    while (!pending.empty()) {
        const ObjectHandle next = pending.back();
        pending.pop_back();
        for (ObjectHandle referrer : Text_Referrers(next)) {
            if (referrer == object) {
                return 1;
            }
            if (seen.insert(referrer).second) {
                pending.push_back(referrer);
            }
        }
    }
    return 0;
}

uint32_t QXText_UpdateReferences(ObjectHandle object, ObjectHandle other)
{
    if (!QXText_CanHaveText(object) || !QXText_CanHaveText(other)) {
        return 0;
    }
    return qx::Store(Text_UpdateReferences(object, other));
}

uint32_t QXText_SetTextOption(ObjectHandle element, uint32_t value)
{
    if (!QXText_CanHaveText(element)) {
        return 0;
    }
    return qx::Store(Text_SetNoWrap(element, value != 0 ? 1 : 0));
}

