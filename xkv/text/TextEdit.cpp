// Text edit sessions and whole-text operations: the edited text and its
// changed flag, the edit record, starting and ending edits (hook 76), making
// texts on demand, writing and reading whole texts, the selection buffer with
// Cut, Copy, Paste and Clear, fitting a text to its object (hook 56), and
// dropping the references of an object that goes away.
#include "xkv/text/TextEdit.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextInternal.h"
#include "xkv/types/Fixed.h"

using namespace textimpl;

namespace {

constexpr uint32_t kShapeLabel = 12;
constexpr uint32_t kShapeTextNode = 13;
constexpr uint32_t kMaskNodesAndRegions = 0x3f;

struct Session {
    ObjectHandle object = 0;
    MemHandle text = 0;
    uint32_t state = kEditingNone;
    Widget pageWindow = nullptr;
};

Session session;
uint32_t changed = 0;
// The object whose deletion ended the edit: its empty label is not deleted
// a second time from inside that deletion.
ObjectHandle objectBeingDeleted = 0;
MemHandle editRecord = 0;
EditNotifier notifier = nullptr;
std::vector<char> selectionBuffer;
bool selectionBufferEmpty = true;

uintptr_t FireHook(uint32_t hook, uintptr_t a, uintptr_t b)
{
    if (!Hook_IsRegistered(hook)) {
        return 1;
    }
    return Hook_GetHandler(hook)(a, b, 0, 0, 0, 0);
}

void NotifyEditRecord()
{
    if (notifier != nullptr && editRecord != 0) {
        notifier(editRecord);
    }
}

bool IsLabelText(MemHandle handle)
{
    TextLock text(handle);
    return text && text->label != 0;
}

// Finishes the edited label without deleting it; it is no longer the label
// being written. The label object when the label is empty, else 0.
ObjectHandle FinishEditedLabel(bool deleteLater)
{
    FixRect box{};
    bool hasBox = false;
    {
        TextLock text(session.text);
        if (!text) {
            return 0;
        }
        hasBox = Text_LabelBox(text.get(), &box) != 0;
    }
    ForgetLabelText(session.text);
    if (hasBox) {
        Text_FitNodeToLabel(session.object, box);
        Text_DamageTextBox(session.text);
        Window_RefreshIndication(session.pageWindow);
        return 0;
    }
    return deleteLater ? session.object : 0;
}

// Deletes the emptied label whose edit ended, unless it has gone or is being
// deleted already; a selection of it is dropped with it.
void DeleteIfStillThere(ObjectHandle object, uint32_t serial)
{
    if (object == 0 || object == objectBeingDeleted || !Model_IsObject(object) ||
        Model_GetSerial(object) != serial) {
        return;
    }
    const bool selected = Select_GetMode() == kSelectObject && Select_GetObject() == object;
    if (selected) {
        Select_Clear();
    }
    Core_DeleteObject(object, 0);
}

void ClearWholeText(MemHandle handle)
{
    std::vector<MemHandle> references;
    uint32_t total = 0;
    TextPosition start;
    ObjectHandle owner = 0;
    {
        TextLock text(handle);
        if (!text) {
            return;
        }
        total = TotalPositions(*text);
        start = {text->firstLine, 0};
        owner = text->owner;
        text->anchorColumn = -1;
        text->anchorLine = 0;
    }
    if (total > 0) {
        Text_DeleteRange(handle, start, total, &references);
    }
    for (MemHandle reference : references) {
        ObjectHandle referred = 0;
        {
            BlockLock<TextRef> r(reference);
            referred = r ? r->object : 0;
        }
        Text_FreeReference(reference, 1);
        Text_RemoveReferrer(referred, owner);
    }
    TextLock text(handle);
    text->cursorLine = text->firstLine;
    text->cursorColumn = 0;
    text->topLine = text->firstLine;
    text->topLineIndex = 0;
}

}  // namespace

namespace textimpl {

bool IsEdited(MemHandle text)
{
    return text != 0 && text == session.text;
}

bool IsEditedRec(const TextRec* text)
{
    return text != nullptr && session.text != 0 && text->owner == session.object && session.object != 0;
}

}  // namespace textimpl

// ---- Changed flag, session state and edit record ----

void Text_SetChanged(uint32_t flag)
{
    changed = flag;
    if (flag != 0) {
        Model_SetModified(1);
    }
}

uint32_t Text_Changed()
{
    return changed;
}

uint32_t Text_EditingState()
{
    return session.state;
}

MemHandle TextWidget_CurrentText()
{
    return session.text;
}

ObjectHandle TextWidget_EditedObject()
{
    return session.object;
}

ObjectHandle TextWidget_Current(MemHandle* text)
{
    if (text != nullptr) {
        *text = session.text;
    }
    return session.object;
}

void TextWidget_SetCurrent(ObjectHandle object, MemHandle text)
{
    if (object == 0 || text == 0) {
        session.object = 0;
        session.text = 0;
        session.state = kEditingNone;
        return;
    }
    session.object = object;
    session.text = text;
    session.state = IsLabelText(text) ? kEditingLabel : kEditingText;
}

void Text_SetEditNotifier(EditNotifier proc)
{
    notifier = proc;
}

MemHandle Text_EditRecord()
{
    return editRecord;
}

void Text_UpdateEditRecord(int32_t selection, int32_t onReference, int32_t referred)
{
    BlockLock<EditRecord> record(editRecord);
    if (!record) {
        return;
    }
    EditRecord before = *record;
    if (selection >= 0) {
        record->selectionHighlighted = static_cast<uint32_t>(selection);
    }
    if (onReference >= 0) {
        record->onReference = static_cast<uint32_t>(onReference);
    }
    if (referred >= 0) {
        record->referredObject = static_cast<uint32_t>(referred);
    }
    if (std::memcmp(&before, record.get(), sizeof(EditRecord)) != 0) {
        NotifyEditRecord();
    }
}

// ---- Texts of objects ----

MemHandle Text_CreateForObject(ObjectHandle object, FixRect frame)
{
    bool label = Model_IsLabel(object) != 0;
    MemHandle text = Text_Create(object, frame, label ? 0 : 1);
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
    return text;
}

KernelStatus Text_Get(ObjectHandle object, MemHandle* out, uint32_t create)
{
    MemHandle text = TextOf(object);
    if (text == 0 && create != 0 && Model_IsObject(object)) {
        FixRect box{};
        Model_GetBox(object, &box);
        auto lineWidth = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
        if (lineWidth >= kHalf) {
            box = {Fix_Add(box.left, lineWidth), Fix_Add(box.top, lineWidth), Fix_Sub(box.right, lineWidth),
                   Fix_Sub(box.bottom, lineWidth)};
        }
        text = Text_CreateForObject(object, box);
    }
    if (out != nullptr && text != 0) {
        *out = text;
    }
    return text != 0 ? kStatusOk : kStatusNoText;
}

KernelStatus Text_GetClear(ObjectHandle object, MemHandle* out, uint32_t create)
{
    if (out != nullptr) {
        *out = 0;
    }
    return Text_Get(object, out, create);
}

// ---- Sessions ----

void Text_StartEdit(ObjectHandle object)
{
    MemHandle text = 0;
    if (Text_GetClear(object, &text, 1) != kStatusOk) {
        Text_LeaveEditing();
        return;
    }
    if (text == session.text) {
        return;
    }
    if (editRecord == 0) {
        Mem_Alloc(&editRecord, sizeof(EditRecord));
    }
    {
        BlockLock<EditRecord> record(editRecord);
        if (record) {
            *record = EditRecord{object, 0, 1, 0};
        }
    }
    // End the session of the text edited so far.
    ObjectHandle emptyLabel = 0;
    uint32_t emptyLabelSerial = 0;
    Widget oldWindow = session.pageWindow;
    if (session.text != 0) {
        ObjectHandle oldObject = session.object;
        if (session.state == kEditingLabel) {
            Text_HideSelection(session.text);
            emptyLabel = FinishEditedLabel(true);
            emptyLabelSerial = Model_GetSerial(emptyLabel);
        } else {
            TextWidget_Hide();
        }
        TextWidget_SetCurrent(0, 0);
        FireHook(HOOK_TEXT_END_EDIT, oldObject, changed);
        Text_SetChanged(0);
        changed = 0;
        DeleteIfStillThere(emptyLabel, emptyLabelSerial);
    } else {
        // Changes made to texts before any session are no edits of this one.
        changed = 0;
    }
    // Start the new one on the page window that shows the text.
    Widget window = Window_OfPage(Model_GetPage(object));
    if (window != oldWindow) {
        if (oldWindow != nullptr) {
            Window_ResumeDrawing(oldWindow);
        } else if (window != nullptr) {
            Window_HideIndication(window);
        }
        if (window != nullptr) {
            Window_SuspendDrawing(window);
        }
    }
    session.pageWindow = window;
    TextWidget_SetCurrent(object, text);
    {
        TextLock t(text);
        if (t && t->frameHeight < 0x20000) {
            t->frameHeight = 0x20000;
        }
    }
    TextWidget_PlaceOnWindow(window);
    if (session.state == kEditingLabel) {
        Text_RedisplayAndShowCursor(text, 0);
    } else {
        TextWidget_Show();
    }
}

void Text_EndEdit()
{
    if (session.text == 0) {
        return;
    }
    ObjectHandle object = session.object;
    ObjectHandle emptyLabel = 0;
    Widget window = session.pageWindow;
    if (session.state == kEditingLabel) {
        emptyLabel = FinishEditedLabel(true);
    } else {
        TextWidget_Release();
        if (Model_IsNode(object) && Model_GetFieldValue(object, Field::kShapeKind) == kShapeTextNode) {
            FixRect box{};
            if (Model_GetBox(object, &box) == kStatusOk) {
                Model_SetField(object, Field::kBox, &box);
            }
        }
        Text_DamageTextBox(session.text);
    }
    uint32_t serial = Model_GetSerial(emptyLabel);
    TextWidget_SetCurrent(0, 0);
    session.pageWindow = nullptr;
    if (window != nullptr) {
        Window_ResumeDrawing(window);
    }
    FireHook(HOOK_TEXT_END_EDIT, object, changed);
    Text_SetChanged(0);
    changed = 0;
    DeleteIfStillThere(emptyLabel, serial);
    Window_FlushDrawQueue(window);
}

void textimpl::LetGoOfText(MemHandle handle)
{
    ForgetLabelText(handle);
    if (!IsEdited(handle)) {
        return;
    }
    if (session.state == kEditingText) {
        TextWidget_Release();
    }
    if (session.pageWindow != nullptr) {
        Window_ResumeDrawing(session.pageWindow);
    }
    TextWidget_SetCurrent(0, 0);
    session.pageWindow = nullptr;
    changed = 0;
}

void Text_LeaveEditing()
{
    if (Text_EditingState() != kEditingNone) {
        Text_EndEdit();
    }
}

void Text_EndLabelEdit()
{
    Text_FinishCurrentLabel();
}

void Text_Shutdown()
{
    Text_LeaveEditing();
    Text_ForgetLabel();
    if (editRecord != 0) {
        Mem_Free(editRecord);
        editRecord = 0;
    }
    selectionBuffer.clear();
    selectionBufferEmpty = true;
}

uint32_t Text_HasSelection()
{
    TextLock text(session.text);
    return text && text->anchorColumn >= 0 ? 1 : 0;
}

// ---- Writing and reading whole texts ----

KernelStatus Text_PutString(ObjectHandle object, const char* characters, uint32_t length, uint32_t mode)
{
    MemHandle handle = 0;
    if (Text_GetClear(object, &handle, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    bool label = IsLabelText(handle);
    if (mode == 0 || label) {
        Text_DamageTextBox(handle);
    }
    switch (mode) {
    case 0:
        ClearWholeText(handle);
        break;
    case 1: {
        TextLock text(handle);
        TextPosition start;
        TextPosition end;
        if (Text_SelectionEnds(text.get(), &start, &end) != 0) {
            text->cursorLine = end.line;
            text->cursorColumn = end.column;
            text->anchorColumn = -1;
            text->anchorLine = 0;
        }
        break;
    }
    case 2: {
        MemHandle last = Text_LastLine(handle);
        TextLock text(handle);
        LineLock line(last);
        text->cursorLine = last;
        text->cursorColumn = line ? line->length : 0;
        text->anchorColumn = -1;
        text->anchorLine = 0;
        break;
    }
    default:
        Text_DeleteSelection(handle, nullptr, nullptr);
        break;
    }
    if (length >= 1 && characters != nullptr) {
        std::vector<uint8_t> filtered(characters, characters + length);
        uint32_t count = Text_StripControls(filtered.data(), length);
        Text_InsertAtCursor(handle, filtered.data(), count, nullptr);
        Text_DamageTextBox(handle);
    } else if (mode == 0 && IsEdited(handle)) {
        Text_RedisplayAndShowCursor(handle, 1);
    }
    return kStatusOk;
}

KernelStatus Text_GetString(ObjectHandle object, char* buffer, uint32_t* length, uint32_t mode)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    if (buffer == nullptr) {
        return kStatusBadArgument;
    }
    uint32_t copied = 0;
    MemHandle block = 0;
    if (length != nullptr) {
        // The whole text in the mode, cut to the buffer's *length characters:
        // references read in a wider mode never run past the buffer.
        block = Text_CopyOut(handle, nullptr, nullptr, &copied, mode);
        if (copied > *length) {
            copied = *length;
        } else if (copied < *length) {
            *length = copied;
        }
    } else {
        TextPosition start;
        TextPosition end;
        bool selected = false;
        {
            TextLock text(handle);
            selected = Text_SelectionEnds(text.get(), &start, &end) != 0;
        }
        if (selected) {
            block = Text_CopyOut(handle, &start, &end, &copied, mode);
        }
    }
    if (block != 0) {
        BlockLock<char> characters(block);
        copied = std::min(copied, characters.size());
        std::memcpy(buffer, characters.get(), copied);
        Mem_Free(block);
    } else {
        copied = 0;
    }
    buffer[copied] = '\0';
    return kStatusOk;
}

KernelStatus Text_CursorOffset(ObjectHandle object, uint32_t* cursor, uint32_t* end)
{
    TextLock text(TextOf(object));
    if (!text) {
        return kStatusNoText;
    }
    uint32_t at = OffsetOf(*text, {text->cursorLine, text->cursorColumn});
    uint32_t other = at;
    if (text->anchorColumn >= 0) {
        other = OffsetOf(*text, {text->anchorLine, static_cast<uint16_t>(text->anchorColumn)});
    }
    if (cursor != nullptr) {
        *cursor = at;
    }
    if (end != nullptr) {
        *end = other;
    }
    return kStatusOk;
}

uint32_t Text_CursorOffsetOf(MemHandle handle)
{
    TextLock text(handle);
    return text ? OffsetOf(*text, {text->cursorLine, text->cursorColumn}) : 0;
}

KernelStatus Text_DeleteBackward(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    Text_DeleteChars(handle, -1);
    if (!IsEdited(handle)) {
        Text_DamageTextBox(handle);
    }
    return kStatusOk;
}

KernelStatus Text_DeleteBeforeCursor(ObjectHandle object)
{
    return Text_DeleteBackward(object);
}

uint16_t Text_OwnReferenceCount(ObjectHandle object)
{
    TextLock text(TextOf(object));
    return text ? text->referenceCount : 0;
}

KernelStatus Text_DeleteSelection(MemHandle handle, std::vector<uint8_t>* characters,
                                  std::vector<MemHandle>* references)
{
    TextPosition start;
    TextPosition end;
    uint32_t count = 0;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        if (Text_SelectionEnds(text.get(), &start, &end) == 0) {
            return kStatusOk;
        }
        count = Text_CountChars(handle, &start, &end, kRefZeroByte);
    }
    if (characters != nullptr) {
        uint32_t length = 0;
        MemHandle block = Text_CopyOut(handle, &start, &end, &length, kRefZeroByte);
        BlockLock<uint8_t> copy(block);
        characters->assign(copy.get(), copy.get() + std::min(length, copy.size()));
        if (block != 0) {
            Mem_Free(block);
        }
    }
    {
        TextLock text(handle);
        text->anchorColumn = -1;
        text->anchorLine = 0;
        text->cursorLine = start.line;
        text->cursorColumn = start.column;
    }
    if (count > 0) {
        Text_DeleteRange(handle, start, count, references);
        TextLock text(handle);
        TextPosition p = PositionAt(*text, OffsetOf(*text, {text->cursorLine, text->cursorColumn}));
        text->cursorLine = p.line;
        text->cursorColumn = p.column;
    }
    if (IsEdited(handle)) {
        Text_RedisplayAndShowCursor(handle, 1);
    }
    return kStatusOk;
}

// ---- Selection buffer and the clipboard commands ----

const std::vector<char>& Text_SelectionBuffer()
{
    return selectionBuffer;
}

void Text_SetSelectionBuffer(const char* characters, uint32_t length)
{
    if (characters == nullptr) {
        length = 0;
    }
    selectionBuffer.assign(characters, characters + length);
    selectionBufferEmpty = length == 0;
}

uint32_t Text_SelectionBufferEmpty()
{
    return selectionBufferEmpty ? 1 : 0;
}

uint32_t Text_Cut(MemHandle handle)
{
    if (handle == 0) {
        handle = session.text;
    }
    std::vector<uint8_t> characters;
    {
        TextLock text(handle);
        if (!text || text->anchorColumn < 0) {
            selectionBufferEmpty = true;
            return 0;
        }
    }
    Text_DeleteSelection(handle, &characters, nullptr);
    // The buffer carries no references: their bytes are left out.
    std::string kept;
    for (uint8_t c : characters) {
        if (c != 0) {
            kept.push_back(static_cast<char>(c));
        }
    }
    Text_SetSelectionBuffer(kept.data(), static_cast<uint32_t>(kept.size()));
    return kept.empty() ? 0 : 1;
}

void Text_Copy(MemHandle handle)
{
    if (handle == 0) {
        handle = session.text;
    }
    TextPosition start;
    TextPosition end;
    {
        TextLock text(handle);
        if (!text || Text_SelectionEnds(text.get(), &start, &end) == 0) {
            selectionBufferEmpty = true;
            return;
        }
    }
    uint32_t length = 0;
    MemHandle block = Text_CopyOut(handle, &start, &end, &length, kRefDropped);
    BlockLock<char> copy(block);
    Text_SetSelectionBuffer(copy.get(), std::min(length, copy.size()));
    if (block != 0) {
        Mem_Free(block);
    }
}

void Text_Paste(MemHandle handle)
{
    if (handle == 0) {
        handle = session.text;
    }
    if (selectionBufferEmpty || selectionBuffer.empty()) {
        return;
    }
    std::vector<uint8_t> characters(selectionBuffer.begin(), selectionBuffer.end());
    uint32_t count = Text_StripControls(characters.data(), static_cast<uint32_t>(characters.size()));
    Text_InsertAtCursor(handle, characters.data(), count, nullptr);
}

void Text_Clear(MemHandle handle)
{
    if (handle == 0) {
        handle = session.text;
    }
    Text_DeleteSelection(handle, nullptr, nullptr);
}

void Text_EnsureMinWidth(TextRec* text)
{
    if (text != nullptr && text->frameWidth < 0) {
        text->frameWidth = kHalf;
    }
}

namespace {

// Runs a clipboard command on an object's text, fitting a label afterwards
// and redrawing what is not the edited text.
KernelStatus OnObjectText(ObjectHandle object, bool create, bool fixWidth, void (*command)(MemHandle))
{
    MemHandle handle = 0;
    if (Text_GetClear(object, &handle, create ? 1 : 0) != kStatusOk) {
        return create ? kStatusOutOfMemory : kStatusNoText;
    }
    if (fixWidth) {
        TextLock text(handle);
        Text_EnsureMinWidth(text.get());
    }
    Text_DamageTextBox(handle);
    command(handle);
    if (IsLabelText(handle)) {
        FixRect box{};
        if (Text_ObjectLabelBox(handle, &box) != 0) {
            Text_FitNodeToLabel(object, box);
        }
    }
    Text_DamageTextBox(handle);
    return kStatusOk;
}

}  // namespace

KernelStatus Text_CutObject(ObjectHandle object)
{
    return OnObjectText(object, false, false, [](MemHandle t) { Text_Cut(t); });
}

KernelStatus Text_CopyObject(ObjectHandle object)
{
    return OnObjectText(object, false, false, Text_Copy);
}

KernelStatus Text_PasteObject(ObjectHandle object)
{
    return OnObjectText(object, true, true, Text_Paste);
}

KernelStatus Text_ClearObject(ObjectHandle object)
{
    return OnObjectText(object, false, true, Text_Clear);
}

// ---- Frames and layout ----

KernelStatus Text_SetFrame(MemHandle handle, FixRect frame)
{
    bool edited = IsEdited(handle);
    ObjectHandle object = 0;
    {
        TextLock text(handle);
        if (!text) {
            return kStatusNoText;
        }
        object = text->owner;
        Fixed oldWidth = text->frameWidth;
        text->frameX = frame.left;
        text->frameY = frame.top;
        text->frameWidth = std::max(Fix_Sub(frame.right, frame.left), kHalf);
        text->frameHeight = std::max(Fix_Sub(frame.bottom, frame.top), kHalf);
        if (text->topLine != text->firstLine) {
            text->topLine = text->firstLine;
            text->topLineIndex = 0;
        }
        if (oldWidth == text->frameWidth) {
            for (MemHandle line = text->firstLine; line != 0; line = NextLine(line)) {
                LineLock l(line);
                TextLine_PlaceX(text.get(), l.get());
            }
            PlaceLinesVertically(*text);
        }
    }
    Text_Relayout(handle, 0);
    if (edited) {
        Text_EndEdit();
        Text_StartEdit(object);
    }
    return kStatusOk;
}

KernelStatus Text_FitToObject(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    FixRect box{};
    Model_GetBox(object, &box);
    bool label = IsLabelText(handle);
    if (Model_MatchesTypeMask(object, kMaskNodesAndRegions) && !label) {
        auto lineWidth = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
        if (lineWidth >= kHalf) {
            box = {Fix_Add(box.left, lineWidth), Fix_Add(box.top, lineWidth), Fix_Sub(box.right, lineWidth),
                   Fix_Sub(box.bottom, lineWidth)};
        }
    }
    FireHook(HOOK_TEXT_FIT, object, reinterpret_cast<uintptr_t>(&box));
    if (label) {
        Text_MoveLabelTo(handle, FixPoint{box.left, box.top});
        return kStatusOk;
    }
    Fixed width = std::max(Fix_Sub(box.right, box.left), kHalf);
    Fixed height = std::max(Fix_Sub(box.bottom, box.top), kHalf);
    bool relayout = false;
    {
        TextLock text(handle);
        if (text->frameWidth == width) {
            if (text->frameX == box.left && text->frameY == box.top && text->frameHeight == height) {
                return kStatusOk;
            }
            text->frameX = box.left;
            text->frameY = box.top;
            text->frameHeight = height;
        } else {
            text->frameX = box.left;
            text->frameY = box.top;
            text->frameWidth = width;
            text->frameHeight = height;
            relayout = true;
        }
    }
    if (relayout) {
        Text_Relayout(handle, 0);
    }
    if (IsEdited(handle)) {
        TextWidget_PlaceOnWindow(session.pageWindow);
        TextWidget_Show();
    }
    return kStatusOk;
}

KernelStatus Text_SetNoWrap(ObjectHandle object, uint32_t flag)
{
    MemHandle handle = 0;
    if (Text_GetClear(object, &handle, 1) != kStatusOk) {
        return kStatusOutOfMemory;
    }
    {
        TextLock text(handle);
        if (text->label != 0) {
            return kStatusOk;
        }
        auto value = static_cast<uint8_t>(flag != 0 ? 1 : 0);
        if (value != 0) {
            text->alignment = 1;
        }
        if (text->noWrap == value) {
            return kStatusOk;
        }
        text->noWrap = value;
    }
    Text_Relayout(handle, 0);
    if (IsEdited(handle)) {
        Text_RedisplayAndShowCursor(handle, 1);
    } else {
        Text_DamageTextBox(handle);
    }
    return kStatusOk;
}

KernelStatus Text_RelayoutObject(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusNoText;
    }
    Text_Relayout(handle, 1);
    if (!IsEdited(handle)) {
        Text_DamageTextBox(handle);
    } else if (IsLabelText(handle)) {
        Window_DrawObjectNow(object, session.pageWindow);
    } else {
        Text_Redisplay(handle, 1);
        Text_ShowSelection(handle);
    }
    return kStatusOk;
}

// ---- Dropping references when an object goes ----

KernelStatus Text_DropReferences(ObjectHandle object)
{
    MemHandle handle = TextOf(object);
    if (handle == 0) {
        return kStatusOk;
    }
    if (IsEdited(handle)) {
        const ObjectHandle outer = objectBeingDeleted;
        objectBeingDeleted = object;
        Text_LeaveEditing();
        objectBeingDeleted = outer;
    }
    // Texts that refer to this object lose those references.
    for (ObjectHandle referrer : Text_Referrers(object)) {
        MemHandle other = TextOf(referrer);
        while (other != 0 && Text_FindReference(other, object, nullptr) != 0) {
            Text_RemoveReferencesTo(other, object);
        }
        if (!IsEdited(other)) {
            Text_DamageTextBox(other);
        }
    }
    MemHandle list = Model_GetFieldValue(object, Field::kReferrers);
    if (list != 0) {
        Mem_Free(list);
        Model_SetFieldValue(object, Field::kReferrers, 0);
    }
    {
        TextLock text(handle);
        text->referrerCount = 0;
    }
    Text_RemoveReferencesTo(handle, 0);
    return kStatusOk;
}
