// References between texts and labels: inserting and removing references with
// cycle refusal, the referrer lists of referenced objects (field 25), moving a
// selection into another text, re-pointing references after a copy, bracket
// selection, and label texts whose node is sized to their lines.
//
// Invariant: an object's referrer count equals the number of references in
// all texts that point at it, and equals the length of its referrer list.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextInternal.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

constexpr uint32_t kBracketOpenOffset = 84;
constexpr uint32_t kBracketCloseOffset = 164;
constexpr uint32_t kMarkerSize = 16;
constexpr uint32_t kNodeSettingsSize = 244;

MemHandle currentLabel = 0;

ObjectHandle ReferredBy(MemHandle reference)
{
    BlockLock<TextRef> r(reference);
    return r ? r->object : 0;
}

void WriteReferrers(ObjectHandle object, const std::vector<ObjectHandle>& list)
{
    MemHandle old = Model_GetFieldValue(object, Field::kReferrers);
    MemHandle made = 0;
    if (!list.empty()) {
        std::vector<ObjectHandle> terminated = list;
        terminated.push_back(0);
        if (Mem_AllocCopy(&made, terminated.data(), terminated.size() * sizeof(ObjectHandle)) != kStatusOk) {
            return;  // the old list stays as it was
        }
    }
    Model_SetFieldValue(object, Field::kReferrers, made);
    if (old != 0) {
        Mem_Free(old);
    }
}

// Frees a reference taken out of a text of `owner`: the referenced object
// counts one referrer less and loses one entry of `owner` in its list.
void DropReference(MemHandle reference, ObjectHandle owner)
{
    ObjectHandle referred = ReferredBy(reference);
    Text_FreeReference(reference, 1);
    Text_RemoveReferrer(referred, owner);
}

// The references of a text, in text order.
std::vector<MemHandle> ReferencesOf(MemHandle handle)
{
    std::vector<MemHandle> references;
    TextLock text(handle);
    if (!text) {
        return references;
    }
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        for (const Cell& cell : ReadCells(*l)) {
            if (cell.c != 0) {
                continue;
            }
            BlockLock<TextSegment> segment(cell.segment);
            if (segment && segment->start == 0) {
                references.push_back(segment->reference);
            }
        }
    }
    return references;
}

// The cell at a position (c 1, no segment, when there is no character there).
Cell CellAt(TextPosition position)
{
    LineLock line(position.line);
    if (!line || position.column >= line->length) {
        return Cell{1, 0};
    }
    std::vector<Cell> cells = ReadCells(*line);
    return cells[position.column];
}

bool ReferrerWalk(ObjectHandle a, ObjectHandle b, std::set<ObjectHandle>& seen)
{
    if (!seen.insert(b).second) {
        return false;
    }
    for (ObjectHandle referrer : Text_Referrers(b)) {
        if (referrer == a || ReferrerWalk(a, referrer, seen)) {
            return true;
        }
    }
    return false;
}

// Deletes the reference byte at the cursor and hands back its reference.
MemHandle TakeReferenceAtCursor(MemHandle handle)
{
    TextPosition at;
    {
        TextLock text(handle);
        if (!text) {
            return 0;
        }
        at = {text->cursorLine, text->cursorColumn};
        text->anchorColumn = -1;
        text->anchorLine = 0;
    }
    std::vector<MemHandle> taken;
    Text_DeleteRange(handle, at, 1, &taken);
    return taken.empty() ? 0 : taken.front();
}

bool StringAt(MemHandle handle, TextPosition at, const char* string)
{
    size_t length = std::strlen(string);
    if (length == 0) {
        return false;
    }
    std::string found;
    uint32_t copied = 0;
    TextPosition end;
    {
        TextLock text(handle);
        end = PositionAt(*text, OffsetOf(*text, at) + static_cast<uint32_t>(length));
    }
    MemHandle block = Text_CopyOut(handle, &at, &end, &copied, kRefZeroByte);
    if (block != 0) {
        BlockLock<char> c(block);
        found.assign(c.get(), std::min(copied, c.size()));
        Mem_Free(block);
    }
    return found == string;
}

std::string MarkerAt(const uint8_t* settings, uint32_t offset)
{
    const char* start = reinterpret_cast<const char*>(settings + offset);
    return std::string(start, strnlen(start, kMarkerSize));
}

}  // namespace

// ---- Referrer lists ----

std::vector<ObjectHandle> Text_Referrers(ObjectHandle object)
{
    std::vector<ObjectHandle> list;
    if (!Model_IsValidHandle(object)) {
        return list;
    }
    BlockLock<ObjectHandle> block(Model_GetFieldValue(object, Field::kReferrers));
    uint32_t slots = block.size() / sizeof(ObjectHandle);
    for (uint32_t i = 0; i < slots && block.get()[i] != 0; ++i) {
        list.push_back(block.get()[i]);
    }
    return list;
}

uint32_t Text_ReferrerCount(ObjectHandle object)
{
    TextLock text(TextOf(object));
    return text ? text->referrerCount : 0;
}

KernelStatus Text_AddReferrer(ObjectHandle object, ObjectHandle referrer, ObjectHandle replaced)
{
    if (!Model_IsValidHandle(object)) {
        return kStatusBadObjectHandle;
    }
    std::vector<ObjectHandle> list = Text_Referrers(object);
    if (replaced != 0) {
        auto it = std::find(list.begin(), list.end(), replaced);
        if (it != list.end()) {
            *it = list.front();
            list.front() = referrer;
            WriteReferrers(object, list);
            return kStatusOk;
        }
    }
    if (list.empty()) {
        list.push_back(referrer);
    } else {
        list.push_back(list.front());
        list.front() = referrer;
    }
    WriteReferrers(object, list);
    return kStatusOk;
}

KernelStatus Text_RemoveReferrer(ObjectHandle object, ObjectHandle referrer)
{
    if (!Model_IsValidHandle(object)) {
        return kStatusBadObjectHandle;
    }
    std::vector<ObjectHandle> list = Text_Referrers(object);
    auto it = std::find(list.begin(), list.end(), referrer);
    if (it == list.end()) {
        return kStatusNotFound;
    }
    *it = list.back();
    list.pop_back();
    WriteReferrers(object, list);
    return kStatusOk;
}

KernelStatus Text_MoveReferrerFirst(ObjectHandle object, ObjectHandle referrer)
{
    std::vector<ObjectHandle> list = Text_Referrers(object);
    auto it = std::find(list.begin(), list.end(), referrer);
    if (it != list.end() && it != list.begin()) {
        std::swap(*it, list.front());
        WriteReferrers(object, list);
    }
    return kStatusOk;
}

ObjectHandle Text_FirstReferrer(ObjectHandle object)
{
    std::vector<ObjectHandle> list = Text_Referrers(object);
    return list.empty() ? 0 : list.front();
}

uint32_t Text_IsReferrerOf(ObjectHandle a, ObjectHandle b)
{
    std::set<ObjectHandle> seen;
    return ReferrerWalk(a, b, seen) ? 1 : 0;
}

// ---- Inserting and removing references ----

KernelStatus Text_InsertMarker(MemHandle text, MemHandle reference)
{
    const uint8_t zero = 0;
    const MemHandle list[] = {reference, 0};
    Text_InsertAtCursor(text, &zero, 1, list);
    return kStatusOk;
}

void TextRefs_Attach(ObjectHandle object, std::span<const MemHandle> references, ObjectHandle previousOwner)
{
    for (MemHandle reference : references) {
        Text_AddReferrer(ReferredBy(reference), object, previousOwner);
    }
}

KernelStatus Text_UpdateReferences(ObjectHandle previousOwner, ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    for (MemHandle reference : ReferencesOf(handle)) {
        const ObjectHandle referred = ReferredBy(reference);
        const std::vector<ObjectHandle> list = Text_Referrers(referred);
        auto lists = [&](ObjectHandle o) { return o != 0 && std::find(list.begin(), list.end(), o) != list.end(); };
        if (lists(object)) {
            continue;  // the list knows this text already
        }
        Text_AddReferrer(referred, object, lists(previousOwner) ? previousOwner : 0);
    }
    return kStatusOk;
}

KernelStatus Text_InsertReference(ObjectHandle object, ObjectHandle referred)
{
    if (Text_Get(referred, nullptr, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    if (object == 0) {
        object = TextWidget_EditedObject();
        if (object == 0) {
            return kStatusFailed;
        }
    }
    if (referred == object || Text_IsReferrerOf(referred, object) != 0) {
        return kStatusReferenceLoop;
    }
    MemHandle handle = 0;
    if (Text_GetClear(object, &handle, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    if (IsEdited(handle)) {
        Text_HideSelection(handle);
        TextLock text(handle);
        text->anchorColumn = -1;
        text->anchorLine = 0;
    }
    MemHandle reference = Text_MakeReference(referred, 1);
    if (reference == 0) {
        return kStatusOutOfMemory;
    }
    Text_InsertMarker(handle, reference);
    Text_AddReferrer(referred, object, 0);
    if (!IsEdited(handle)) {
        Text_DamageTextBox(handle);
    }
    return kStatusOk;
}

KernelStatus Text_RemoveReference(ObjectHandle object, ObjectHandle* referred)
{
    if (referred != nullptr) {
        *referred = 0;
    }
    if (object == 0) {
        object = TextWidget_EditedObject();
    }
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    TextPosition at;
    {
        TextLock text(handle);
        at = {text->cursorLine, text->cursorColumn};
    }
    if (CellAt(at).c != 0) {
        return kStatusNoReference;
    }
    MemHandle reference = TakeReferenceAtCursor(handle);
    ObjectHandle target = ReferredBy(reference);
    if (reference != 0) {
        DropReference(reference, object);
    }
    if (IsEdited(handle)) {
        Text_RedisplayAndShowCursor(handle, 1);
    } else {
        Text_DamageTextBox(handle);
    }
    if (referred != nullptr) {
        *referred = target;
    }
    return kStatusOk;
}

KernelStatus Text_Unlink(ObjectHandle referred, ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusOk;
    }
    Text_RemoveReferencesTo(handle, referred);
    return kStatusOk;
}

MemHandle TextLine_ReferenceAt(MemHandle line, uint16_t column)
{
    Cell cell = CellAt({line, column});
    return cell.c == 0 ? cell.segment : 0;
}

ObjectHandle Text_ReferencedObjectAt(MemHandle line, uint16_t column)
{
    BlockLock<TextSegment> segment(TextLine_ReferenceAt(line, column));
    return segment ? ReferredBy(segment->reference) : 0;
}

ObjectHandle Text_ReferenceAtCursor(ObjectHandle object)
{
    bool edited = object == 0;
    if (edited) {
        object = TextWidget_EditedObject();
    }
    MemHandle handle = TextOf(object);
    TextPosition at;
    {
        TextLock text(handle);
        if (!text) {
            return 0;
        }
        at = {text->cursorLine, text->cursorColumn};
    }
    ObjectHandle referred = Text_ReferencedObjectAt(at.line, at.column);
    if (edited && referred != 0) {
        Text_MoveReferrerFirst(referred, object);
    }
    return referred;
}

MemHandle Text_FindReference(MemHandle handle, ObjectHandle object, uint16_t* column)
{
    TextLock text(handle);
    if (!text) {
        return 0;
    }
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        std::vector<Cell> cells = ReadCells(*l);
        for (size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].c != 0) {
                continue;
            }
            BlockLock<TextSegment> segment(cells[i].segment);
            if (segment && segment->start == 0 && ReferredBy(segment->reference) == object) {
                if (column != nullptr) {
                    *column = static_cast<uint16_t>(i);
                }
                return line;
            }
        }
    }
    return 0;
}

void Text_RemoveReferencesTo(MemHandle handle, ObjectHandle object)
{
    ObjectHandle owner = 0;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        owner = text->owner;
    }
    if (object != 0) {
        uint16_t column = 0;
        MemHandle line = Text_FindReference(handle, object, &column);
        if (line == 0) {
            return;
        }
        std::vector<MemHandle> taken;
        Text_DeleteRange(handle, {line, column}, 1, &taken);
        for (MemHandle reference : taken) {
            DropReference(reference, owner);
        }
        return;
    }
    // All of the text's own references go.
    while (true) {
        std::vector<MemHandle> references = ReferencesOf(handle);
        if (references.empty()) {
            break;
        }
        uint16_t column = 0;
        MemHandle line = Text_FindReference(handle, ReferredBy(references.front()), &column);
        if (line == 0) {
            break;
        }
        std::vector<MemHandle> taken;
        Text_DeleteRange(handle, {line, column}, 1, &taken);
        if (taken.empty()) {
            break;
        }
        for (MemHandle reference : taken) {
            DropReference(reference, owner);
        }
    }
}

// ---- Moving the selection into another text ----

KernelStatus Text_MoveSelectionTo(ObjectHandle object)
{
    ObjectHandle owner = TextWidget_EditedObject();
    MemHandle source = TextWidget_CurrentText();
    if (source == 0 || object == owner) {
        return kStatusOk;
    }
    TextPosition start;
    TextPosition end;
    std::vector<MemHandle> inside;
    {
        TextLock text(source);
        if (Text_SelectionEnds(text.get(), &start, &end) == 0) {
            return kStatusOk;
        }
    }
    {
        // The references inside the selection.
        TextLock text(source);
        uint32_t from = OffsetOf(*text, start);
        uint32_t to = OffsetOf(*text, end);
        uint32_t offset = 0;
        for (MemHandle line = text->firstLine; line != 0 && offset < to; line = NextLine(line)) {
            LineLock l(line);
            std::vector<Cell> cells = ReadCells(*l);
            for (const Cell& cell : cells) {
                if (offset >= from && offset < to && cell.c == 0) {
                    BlockLock<TextSegment> segment(cell.segment);
                    if (segment && segment->start == 0) {
                        inside.push_back(segment->reference);
                    }
                }
                ++offset;
            }
            offset += IsHardBreak(l->endMark) ? 1 : 0;
        }
    }
    for (MemHandle reference : inside) {
        ObjectHandle referred = ReferredBy(reference);
        if (referred == object || Text_IsReferrerOf(referred, object) != 0) {
            return kStatusReferenceLoop;
        }
    }
    MemHandle target = 0;
    if (Text_GetClear(object, &target, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    TextRefs_Attach(object, inside, owner);
    std::vector<uint8_t> characters;
    std::vector<MemHandle> references;
    Text_HideSelection(source);
    Text_DeleteSelection(source, &characters, &references);
    references.push_back(0);
    Text_InsertAtCursor(target, characters.data(), static_cast<uint32_t>(characters.size()), references.data());
    Text_DamageTextBox(target);
    return kStatusOk;
}

KernelStatus Text_MoveSelectionToObject(ObjectHandle object)
{
    return Text_MoveSelectionTo(object);
}

KernelStatus Text_ExtractToReference(ObjectHandle source, ObjectHandle target)
{
    MemHandle sourceText = TextOf(source);
    if (sourceText == 0) {
        return kStatusFailed;
    }
    if (target == source || Text_IsReferrerOf(target, source) != 0) {
        return kStatusReferenceLoop;
    }
    MemHandle targetText = 0;
    if (Text_GetClear(target, &targetText, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    std::vector<uint8_t> characters;
    std::vector<MemHandle> references;
    Text_DeleteSelection(sourceText, &characters, &references);
    TextRefs_Attach(target, references, source);
    references.push_back(0);
    Text_InsertAtCursor(targetText, characters.data(), static_cast<uint32_t>(characters.size()), references.data());
    MemHandle marker = Text_MakeReference(target, 1);
    if (marker != 0) {
        Text_InsertMarker(sourceText, marker);
        Text_AddReferrer(target, source, 0);
    }
    Text_DamageTextBox(sourceText);
    Text_DamageTextBox(targetText);
    return kStatusOk;
}

KernelStatus Text_InlineReference(ObjectHandle object)
{
    if (object == 0) {
        object = TextWidget_EditedObject();
    }
    ObjectHandle referred = 0;
    KernelStatus status = Text_RemoveReference(object, &referred);
    if (status != kStatusOk) {
        return status;
    }
    MemHandle handle = TextOf(object);
    MemHandle inner = TextOf(referred);
    if (inner != 0) {
        Text_SelectAll(referred);
        bool unreferred = Text_ReferrerCount(referred) == 0;
        std::vector<uint8_t> characters;
        std::vector<MemHandle> references;
        Text_DeleteSelection(inner, &characters, &references);
        TextRefs_Attach(object, references, referred);
        references.push_back(0);
        Text_InsertAtCursor(handle, characters.data(), static_cast<uint32_t>(characters.size()), references.data());
        if (unreferred) {
            Core_DeleteObject(referred, 0);
        }
    } else if (Text_ReferrerCount(referred) == 0) {
        Core_DeleteObject(referred, 0);
    }
    return kStatusOk;
}

// ---- Re-pointing after a copy ----

KernelStatus Text_RemapReferences(MemHandle map, ObjectHandle copy, MemHandle handle)
{
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        text->owner = copy;
    }
    // Referrers of the copy enter its list as their own texts are re-pointed.
    for (MemHandle reference : ReferencesOf(handle)) {
        ObjectHandle original = ReferredBy(reference);
        ObjectHandle copied = ModelMap_Lookup(map, original);
        uint16_t column = 0;
        MemHandle line = Text_FindReference(handle, original, &column);
        if (line == 0) {
            continue;
        }
        if (copied != 0 && Text_Get(copied, nullptr, 1) == kStatusOk) {
            MemHandle fresh = Text_MakeReference(copied, 1);
            if (fresh == 0) {
                return kStatusOutOfMemory;
            }
            {
                BlockLock<TextSegment> segment(TextLine_ReferenceAt(line, column));
                segment->reference = fresh;
            }
            Text_AddReferrer(copied, copy, 0);
        } else {
            std::vector<MemHandle> taken;
            Text_DeleteRange(handle, {line, column}, 1, &taken);
        }
        // The old reference counted once on the original: it is released once.
        DropReference(reference, copy);
    }
    Text_Relayout(handle, 0);
    return kStatusOk;
}

// ---- Bracket selection ----

KernelStatus Text_SelectBracketed(ObjectHandle object, const void* settings)
{
    MemHandle handle = 0;
    KernelStatus status = Text_GetClear(object, &handle, 0);
    if (status != kStatusOk) {
        return status;
    }
    std::vector<uint8_t> own;
    const auto* record = static_cast<const uint8_t*>(settings);
    if (record == nullptr) {
        own.assign(std::max<uint32_t>(Default_PropertySize(kPropNode), kNodeSettingsSize), 0);
        Default_Get(0, kDefaultLevelNew, kPropNode, own.data());
        record = own.data();
    }
    if (IsEdited(handle)) {
        Text_HideSelection(handle);
    }
    TextPosition cursor;
    {
        TextLock text(handle);
        cursor = {text->cursorLine, text->cursorColumn};
    }
    for (uint32_t i = 0; i < 5; ++i) {
        std::string open = MarkerAt(record, kBracketOpenOffset + i * kMarkerSize);
        std::string close = MarkerAt(record, kBracketCloseOffset + i * kMarkerSize);
        if (open.empty() || close.empty() || !StringAt(handle, cursor, open.c_str())) {
            continue;
        }
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(handle, &cursor, nullptr, &length, kRefZeroByte);
        std::string rest;
        if (block != 0) {
            BlockLock<char> c(block);
            rest.assign(c.get(), std::min(length, c.size()));
            Mem_Free(block);
        }
        uint32_t start = 0;
        bool openSeen = false;
        uint32_t end = Text_FindPair(rest.data(), static_cast<uint32_t>(rest.size()), &start, open.c_str(),
                                     close.c_str(), &openSeen);
        if (end != 0 && start == 0) {
            TextLock text(handle);
            TextPosition anchor = PositionAt(*text, OffsetOf(*text, cursor) + end);
            text->anchorLine = anchor.line;
            text->anchorColumn = static_cast<int16_t>(anchor.column);
        }
        break;
    }
    if (IsEdited(handle)) {
        Text_ShowSelection(handle);
    }
    return kStatusOk;
}

KernelStatus Text_SelectToBracket(ObjectHandle object, const void* settings)
{
    return Text_SelectBracketed(object, settings);
}

KernelStatus Text_SelectBracketedInGroup(uint16_t group)
{
    std::vector<uint8_t> record(std::max<uint32_t>(Default_PropertySize(kPropNode), kNodeSettingsSize), 0);
    Default_Get(0, kDefaultLevelNew, kPropNode, record.data());
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Text_SelectBracketed(Group_Member(group, i), record.data());
    }
    return kStatusOk;
}

KernelStatus Text_SelectToBracketInGroup(uint16_t group)
{
    return Text_SelectBracketedInGroup(group);
}

KernelStatus Text_SelectToStringInGroup(uint16_t group, const char* string)
{
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        Text_SelectToString(Group_Member(group, i), string);
    }
    return kStatusOk;
}

// ---- Labels ----

namespace {

// The current label, or 0 when there is none or its record has gone.
MemHandle CurrentLabel()
{
    if (currentLabel != 0 && Mem_Size(currentLabel) < sizeof(TextRec)) {
        currentLabel = 0;
    }
    return currentLabel;
}

bool IsCurrentLabel(MemHandle handle)
{
    return handle != 0 && handle == CurrentLabel();
}

// The label's frame position and owner.
ObjectHandle LabelOwner(MemHandle handle, FixPoint* at = nullptr)
{
    TextLock text(handle);
    if (!text) {
        return 0;
    }
    if (at != nullptr) {
        *at = {text->frameX, text->frameY};
    }
    return text->owner;
}

}  // namespace

uint32_t Text_LabelBox(const TextRec* text, FixRect* box)
{
    if (text == nullptr) {
        return 0;
    }
    LineLock first(text->firstLine);
    if (!first || (first->length == 0 && first->next == 0 && !IsHardBreak(first->endMark))) {
        return 0;
    }
    Fixed above = 0;
    Fixed total = 0;
    Fixed widest = 0;
    bool beforeTop = true;
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        if (line == text->topLine) {
            beforeTop = false;
        }
        if (beforeTop) {
            above = Fix_Add(above, l->height);
        }
        total = Fix_Add(total, l->height);
        widest = std::max(widest, l->width);
    }
    if (box != nullptr) {
        box->left = text->frameX;
        box->top = Fix_Sub(text->frameY, above);
        box->right = Fix_Add(Fix_Add(text->frameX, 0x30000), widest);
        box->bottom = Fix_Add(Fix_Add(box->top, kFixedOne), total);
    }
    return 1;
}

uint32_t Text_ObjectLabelBox(MemHandle handle, FixRect* box)
{
    TextLock text(handle);
    return text ? Text_LabelBox(text.get(), box) : 0;
}

uint32_t Text_PointInLabel(MemHandle handle, int32_t x, int32_t y)
{
    if (handle == 0) {
        handle = TextWidget_CurrentText();
    }
    TextLock text(handle);
    FixRect box{};
    if (!text || text->label == 0 || Text_LabelBox(text.get(), &box) == 0) {
        return 0;
    }
    Widget window = Window_OfPage(Model_GetPage(text->owner));
    if (window == nullptr) {
        return 0;
    }
    FixPoint point{};
    Window_PixelToPage(window, x, y, &point);
    return point.x >= box.left && point.x < box.right && point.y >= box.top && point.y < box.bottom ? 1 : 0;
}

void Text_MoveLabel(TextRec* text, const FixPoint* point, int32_t x, int32_t y)
{
    if (text == nullptr) {
        return;
    }
    FixPoint at{};
    if (point != nullptr) {
        at = *point;
    } else {
        Widget window = Window_OfPage(Model_GetPage(text->owner));
        if (window == nullptr) {
            return;
        }
        Window_PixelToPage(window, x, y, &at);
    }
    text->frameX = at.x;
    text->frameY = at.y;
    Fixed bottom = Fix_Add(at.y, kHalf);
    for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
        LineLock l(line);
        l->x = Fix_Add(at.x, kLineInset);
        bottom = Fix_Add(bottom, l->height);
        l->bottom = bottom;
    }
    if (IsEditedRec(text)) {
        Text_ShowCursor(TextWidget_CurrentText());
    }
}

void Text_MoveLabelTo(MemHandle handle, FixPoint point)
{
    TextLock text(handle);
    Text_MoveLabel(text.get(), &point, 0, 0);
}

MemHandle Text_CreateLabel(ObjectHandle object, FixPoint point)
{
    if (MemHandle label = CurrentLabel(); label != 0) {
        ObjectHandle previous = LabelOwner(label);
        {
            TextLock text(label);
            text->owner = object;
        }
        // One record has one owner: the previous owner lets go of it, so that
        // the two objects never free it twice.
        if (previous != object && TextOf(previous) == label) {
            Model_SetFieldValue(previous, Field::kText, 0);
        }
        Model_SetFieldValue(object, Field::kText, label);
        if (IsEdited(label)) {
            TextWidget_SetCurrent(object, label);
        }
        Text_MoveLabelTo(label, point);
        return label;
    }
    MemHandle text = Text_Create(object, FixRect{point.x, point.y, point.x, point.y}, 0);
    if (text == 0) {
        return 0;
    }
    Model_SetFieldValue(object, Field::kText, text);
    uint32_t size = Default_PropertySize(kPropText);
    if (size > 0) {
        std::vector<uint8_t> record(size);
        if (Default_Get(0, kDefaultLevelNew, kPropText, record.data()) == kStatusOk) {
            Default_SetMask(record.data(), 1);
            Default_Set(object, kDefaultLevelObject, kPropText, record.data());
        }
    }
    Text_MoveLabelTo(text, point);
    currentLabel = text;
    return text;
}

void Text_ForgetLabel()
{
    currentLabel = 0;
}

uint32_t Text_HasLabel()
{
    return CurrentLabel() != 0 ? 1 : 0;
}

void textimpl::ForgetLabelText(MemHandle handle)
{
    if (handle != 0 && handle == currentLabel) {
        currentLabel = 0;
    }
}

uint32_t Text_FitNodeToLabel(ObjectHandle object, FixRect box)
{
    FixRect old{};
    uint32_t damaged = 0;
    if (Model_GetField(object, Field::kBox, &old) == kStatusOk && (old.right > box.right || old.bottom > box.bottom)) {
        Window_AddDamage(Window_OfPage(Model_GetPage(object)), old);
        damaged = 1;
    }
    Core_SetNodeBox(object, box, 1);
    return damaged;
}

void Text_CommitLabel(MemHandle handle, FixRect box)
{
    ObjectHandle owner = LabelOwner(handle);
    if (owner == 0) {
        return;
    }
    Text_FitNodeToLabel(owner, box);
    // The label is released once; no lock is held on it across its session.
    ForgetLabelText(handle);
    if (IsEdited(handle)) {
        Text_EndEdit();
    }
}

uint32_t Text_LabelClick(int32_t x, int32_t y)
{
    MemHandle handle = CurrentLabel();
    if (handle == 0) {
        return 0;
    }
    FixRect box{};
    const bool hasText = Text_ObjectLabelBox(handle, &box) != 0;
    if (IsEdited(handle)) {
        Text_HideCursor(handle);
    }
    if (hasText) {
        Text_CommitLabel(handle, box);
        return 0;
    }
    {
        TextLock text(handle);
        Text_MoveLabel(text.get(), nullptr, x, y);
    }
    // The empty node goes with its text, so that its handles show there.
    FixPoint at{};
    if (ObjectHandle owner = LabelOwner(handle, &at); owner != 0 && Model_IsObject(owner)) {
        Core_SetNodeBox(owner, FixRect{at.x, at.y, at.x, at.y}, 0);
    }
    return 1;
}

uint32_t Text_FinishLabel(MemHandle handle, uint32_t deleteEmpty)
{
    if (handle == 0) {
        handle = CurrentLabel();
    }
    FixRect box{};
    bool hasText = false;
    ObjectHandle owner = 0;
    {
        TextLock text(handle);
        if (!text) {
            return 0;
        }
        owner = text->owner;
        hasText = Text_LabelBox(text.get(), &box) != 0;
    }
    if (hasText) {
        if (IsCurrentLabel(handle)) {
            Text_CommitLabel(handle, box);
        } else {
            Text_FitNodeToLabel(owner, box);
        }
        return 0;
    }
    ForgetLabelText(handle);
    if (deleteEmpty != 0) {
        // Ending the edit of an empty label deletes its object already.
        if (IsEdited(handle)) {
            Text_EndEdit();
        }
        if (Model_IsObject(owner) && TextOf(owner) == handle) {
            Core_DeleteObject(owner, 0);
        }
    }
    return 1;
}

void Text_FinishCurrentLabel()
{
    Widget window = TextWidget_PageWindow();
    if (CurrentLabel() != 0) {
        Text_FinishLabel(currentLabel, 1);
    }
    if (window != nullptr) {
        Window_RefreshIndication(window);
        Window_FlushDrawQueue(window);
    }
}
