// Text-mode commands: the text clipboard (cut, copy, paste, clear), selecting
// all text, to a matching bracket or to a string, find and find next, hypertext
// references (follow, go to the referrer, attach, move the selection into
// another object) and picking another text object while editing.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "xkv/comm/CommInternal.h"
#include "xkv/comm/CommEvents.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextDisplay.h"
#include "xkv/text/TextEdit.h"
#include "xkv/text/TextFind.h"
#include "xkv/trans/Trans.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kPropertyFind = 5;
constexpr uint32_t kDiagramLevel = 3;
constexpr uint32_t kTrackMode = 0x200000;
constexpr uint32_t kAnyObject = 0xFFFFF;
constexpr int32_t kNoPrompt = 9999;
constexpr int32_t kPromptReceiveText = 24;
constexpr int32_t kStateTextPick = 42;
constexpr int32_t kStateMoveToText = 81;
// The string of the Select To record: after the changed flags and the prompt.
constexpr size_t kSelectToStringOffset = 24 + 256;
constexpr size_t kSelectToStringSize = 256;

// The text being edited, 0 when no edit runs.
MemHandle EditedText()
{
    return Text_EditingState() != kEditingNone ? TextWidget_CurrentText() : 0;
}

ObjectHandle EditedObject()
{
    return Text_EditingState() != kEditingNone ? TextWidget_EditedObject() : 0;
}

bool HasSelection(MemHandle text)
{
    TextPosition start;
    TextPosition end;
    BlockLock<TextRec> lock(text);
    return lock && Text_SelectionEnds(lock.get(), &start, &end) != 0;
}

// What the status of an operation says, then the end of the command.
KernelStatus EndWith(KernelStatus status, const CommandBinding* row, MemHandle event, int32_t* nextState,
                     int32_t* freeFlag)
{
    if (status != kStatusOk) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Makes the object's page current when it is not, and selects the object.
void GoToObject(ObjectHandle object)
{
    if (object == 0 || Model_IsObject(object) == 0) {
        return;
    }
    const ObjectHandle page = Model_GetPage(object);
    if (page != 0 && page != Comm_GetCurrentPage()) {
        Comm_SetCurrentPage(page);
    }
    Select_Object(object, 1);
}

// The selected objects: the group's members or the one object.
std::vector<ObjectHandle> SelectedObjects()
{
    std::vector<ObjectHandle> objects;
    if (Select_GetMode() == kSelectGroup) {
        const GroupNumber group = Select_GetGroup();
        for (uint16_t i = 0; i < Group_Count(group); ++i) {
            objects.push_back(Group_Member(group, i));
        }
    } else if (Select_GetMode() == kSelectObject && Select_GetObject() != 0) {
        objects.push_back(Select_GetObject());
    }
    return objects;
}

// A dialog answer: the closing item less one and the values block.
struct DialogAnswer {
    int32_t button = 1;
    MemHandle values = 0;
};

DialogAnswer ReadAnswer(MemHandle event)
{
    DialogAnswer answer;
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != kStatusOk || view.eventClass != kEventClassDialog) {
        return answer;
    }
    const auto block = static_cast<MemHandle>(view.payloadValue);
    uint32_t* words = nullptr;
    if (block == 0 || Mem_LockAs(block, &words) != kStatusOk || words == nullptr) {
        return answer;
    }
    if (Mem_Size(block) >= 3 * sizeof(uint32_t)) {
        answer.button = static_cast<int32_t>(words[1]);
        answer.values = words[2];
    }
    Mem_Unlock(block);
    return answer;
}

// The bytes of an answered values block, at least `size` of them (zero-filled).
std::vector<uint8_t> AnswerBytes(MemHandle values, size_t size)
{
    std::vector<uint8_t> bytes;
    uint8_t* data = nullptr;
    if (values != 0 && Mem_LockAs(values, &data) == kStatusOk && data != nullptr) {
        bytes.assign(data, data + std::min<size_t>(Mem_Size(values), size));
        Mem_Unlock(values);
    }
    bytes.resize(size, 0);
    return bytes;
}

}  // namespace

// ---- The text clipboard ----

// Cut: the selection goes to the text clipboard; without a selection the one
// character before the cursor is deleted and the clipboard keeps what it held.
KernelStatus Cmd_TextCut(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (const MemHandle text = EditedText(); text != 0) {
        if (HasSelection(text)) {
            Text_HideSelection(text);
            Text_Cut(text);
        } else {
            Text_DeleteChars(text, -1);
        }
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_TextCopy(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (const MemHandle text = EditedText(); text != 0 && HasSelection(text)) {
        Text_Copy(text);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Paste: the clipboard's characters take the place of the selection.
KernelStatus Cmd_TextPaste(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (const MemHandle text = EditedText(); text != 0 && Text_SelectionBufferEmpty() == 0) {
        if (HasSelection(text)) {
            Text_HideSelection(text);
            Text_DeleteSelection(text, nullptr, nullptr);
        }
        Text_Paste(text);
        Text_SetCursorVisible(text);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Clear: deletes the selection without touching the clipboard; without a
// selection the one character before the cursor.
KernelStatus Cmd_TextClear(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (const MemHandle text = EditedText(); text != 0) {
        if (HasSelection(text)) {
            Text_HideSelection(text);
            Text_Clear(text);
        } else {
            Text_DeleteChars(text, -1);
        }
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// ---- Selecting text ----

KernelStatus Cmd_SelectAllText(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const MemHandle edited = EditedText();
    if (edited != 0) {
        Text_HideSelection(edited);
    }
    for (ObjectHandle object : SelectedObjects()) {
        Text_SelectAll(object);
    }
    if (edited != 0) {
        Text_ShowSelection(edited);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_SelectToBracket(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    KernelStatus status = kStatusOk;
    if (Select_GetMode() == kSelectGroup) {
        status = Text_SelectToBracketInGroup(Select_GetGroup());
    } else if (const ObjectHandle object = Select_GetObject(); object != 0 && Select_GetMode() == kSelectObject) {
        status = Text_SelectToBracket(object, nullptr);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// The answer of the Select To dialog: OK selects from the cursor to the end
// of the given string in the selected texts.
KernelStatus Cmd_SelectToDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button != 0 || answer.values == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const std::vector<uint8_t> record = AnswerBytes(answer.values, kSelectToStringOffset + kSelectToStringSize);
    const std::string wanted(reinterpret_cast<const char*>(record.data()) + kSelectToStringOffset,
                             strnlen(reinterpret_cast<const char*>(record.data()) + kSelectToStringOffset,
                                     kSelectToStringSize));
    const MemHandle edited = EditedText();
    if (edited != 0) {
        Text_HideSelection(edited);
    }
    KernelStatus status = kStatusOk;
    for (ObjectHandle object : SelectedObjects()) {
        status = Text_SelectToString(object, wanted.c_str());
        if (status != kStatusOk) {
            break;
        }
    }
    if (edited != 0) {
        Text_ShowSelection(edited);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Find ----

// The answer of the Find dialog: OK stores the find settings for the diagram
// and searches with them.
KernelStatus Cmd_FindDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button != 0 || answer.values == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    std::vector<uint8_t> settings = AnswerBytes(answer.values, sizeof(FindSettings));
    if (KernelStatus status = Default_Set(0, kDiagramLevel, kPropertyFind, settings.data()); status != kStatusOk) {
        return status;
    }
    return EndWith(Text_Find(0, 0, nullptr, nullptr), row, event, nextState, freeFlag);
}

KernelStatus Cmd_FindNext(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return EndWith(Text_Find(1, 0, nullptr, nullptr), row, event, nextState, freeFlag);
}

// Find Beginning: the selected texts are searched from their start by the
// next find.
KernelStatus Cmd_FindBeginning(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Select_GetMode() == kSelectGroup) {
        Text_FindFromStartInGroup(Select_GetGroup());
    } else if (const ObjectHandle object = Select_GetObject(); object != 0 && Select_GetMode() == kSelectObject) {
        Text_FindFromStart(object);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// ---- References ----

// Follows the reference at the cursor of the edited text to its object.
KernelStatus Cmd_FollowReference(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (EditedText() != 0) {
        GoToObject(Text_ReferenceAtCursor(0));
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Goes to the first object whose text refers to the edited text's object.
KernelStatus Cmd_GoToReferrer(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (const ObjectHandle edited = EditedObject(); edited != 0) {
        GoToObject(Text_FirstReferrer(edited));
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// The object picked for Attach in text mode: a reference to it goes in at the
// cursor of the edited text.
KernelStatus Cmd_AttachToText(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    const ObjectHandle picked = Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
    KernelStatus status = kStatusOk;
    if (picked != 0 && EditedText() != 0) {
        status = Text_InsertReference(0, picked);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// Move To in text mode: the object that is to receive the selected text.
KernelStatus Comm_BeginMoveToText(int32_t* nextState)
{
    const KernelStatus status =
        Trans_BeginTrack(Comm_GetCurrentWindow(), kPromptReceiveText, kAnyObject, 0, kTrackMode);
    if (status == kStatusOk) {
        *nextState = kStateMoveToText;
    }
    return status;
}

bool Comm_EditedTextHasSelection()
{
    const MemHandle text = EditedText();
    return text != 0 && HasSelection(text);
}

KernelStatus Cmd_MoveToTextDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    const ObjectHandle picked = Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
    KernelStatus status = kStatusOk;
    if (picked != 0 && EditedText() != 0) {
        status = Text_MoveSelectionToObject(picked);
    }
    return EndWith(status, row, event, nextState, freeFlag);
}

// ---- Picking another text object while editing ----

KernelStatus Cmd_BeginTextPick(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_InTextMode() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    Window_SetAllowScroll(Comm_GetCurrentPage(), 0);
    const KernelStatus status = Trans_BeginTrack(Comm_GetCurrentWindow(), kNoPrompt, kAnyObject, 0, kTrackMode);
    if (status != kStatusOk) {
        Window_SetAllowScroll(Comm_GetCurrentPage(), 1);
        return status;
    }
    *nextState = kStateTextPick;
    return kStatusOk;
}

KernelStatus Cmd_TextPickDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    Window_SetAllowScroll(Comm_GetCurrentPage(), 1);
    return Cmd_PickObject(row, event, nextState, freeFlag);
}

KernelStatus Cmd_TextPickCancel(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    Window_SetAllowScroll(Comm_GetCurrentPage(), 1);
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
