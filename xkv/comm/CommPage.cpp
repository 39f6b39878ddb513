// Page commands: showing, zooming, adding, deleting and closing pages,
// moving down to a subpage and up to the coarse node above, choosing a page
// in the page structure window, and redrawing the current page.
#include "xkv/comm/CommEvents.h"
#include "xkv/comm/CommInternal.h"
#include "xkv/comm/CommPageFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "xkv/core/Core.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/text/TextKernel.h"
#include "xkv/trans/Trans.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kRequestBlowup = 31;
constexpr Fixed kZoomIn = 0x20000;
constexpr Fixed kZoomOut = 0x8000;
constexpr uint32_t kRuleNoDiagram = 8;
constexpr uint32_t kRulePageAdded = 2;
constexpr HookId kHookDiagramClosing = 63;
constexpr int32_t kDeletePageDialog = 287;
constexpr int32_t kStateDeletePageAnswer = 85;
constexpr int32_t kStateDeletePagePick = 86;
constexpr int32_t kStatePageStructurePick = 104;
constexpr int32_t kPromptPickPage = 39;

// The question block of dialog 287: changed flags, the with-subpages option
// word, then the question text.
constexpr size_t kQuestionFlagBytes = 24;
constexpr size_t kQuestionOptionOffset = 24;
constexpr size_t kQuestionTextOffset = 28;
constexpr size_t kQuestionTextSize = 256;
constexpr size_t kQuestionBlockSize = kQuestionTextOffset + kQuestionTextSize;
static_assert(kQuestionOptionOffset >= kQuestionFlagBytes);

struct DialogAnswer {
    int32_t button = 1;
    MemHandle values = 0;
};

// A class-6 event's payload: the dialog number, the closing item less one
// and the values block.
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

// The word at the offset of a values block, 0 when the block is shorter.
uint32_t BlockWord(MemHandle block, size_t offset)
{
    uint32_t value = 0;
    uint8_t* bytes = nullptr;
    if (block == 0 || Mem_LockAs(block, &bytes) != kStatusOk || bytes == nullptr) {
        return 0;
    }
    if (offset + sizeof value <= Mem_Size(block)) {
        std::memcpy(&value, bytes + offset, sizeof value);
    }
    Mem_Unlock(block);
    return value;
}

std::string MessageText(MessageId id)
{
    std::string text;
    if (String_GetFullText(id, &text) != kStatusOk) {
        return {};
    }
    return text;
}

// The question of Delete Page; the subpage line only for a subpage.
std::string DeletePageQuestion(ObjectHandle page)
{
    std::string text = MessageText(34);
    if (Model_IsSubpage(page) != 0) {
        text += MessageText(35);
    }
    for (MessageId id : {36, 37, 38}) {
        text += MessageText(id);
    }
    return text;
}

// A new block for dialog 287: nothing changed, no subpages, the question
// cut to the text field (255 characters and the terminator).
MemHandle NewQuestionBlock(const std::string& question)
{
    MemHandle block = 0;
    uint8_t* bytes = nullptr;
    if (Mem_AllocLocked(&block, reinterpret_cast<void**>(&bytes), kQuestionBlockSize) != kStatusOk ||
        bytes == nullptr) {
        return 0;
    }
    std::memset(bytes, 0, kQuestionBlockSize);
    const size_t length = std::min(question.size(), kQuestionTextSize - 1);
    std::memcpy(bytes + kQuestionTextOffset, question.data(), length);
    Mem_Unlock(block);
    return block;
}

// Closes the diagram after its last page went: the application is told,
// the menus show no diagram and nothing is selected.
KernelStatus CloseEmptyDiagram()
{
    Hook_Fire(kHookDiagramClosing);
    if (Comm_InTextMode() != 0) {
        Comm_SetTextMode(0);
    }
    Comm_SetCurrentPage(0);
    const KernelStatus status = Model_GetRoot() != 0 ? Core_CloseModel() : kStatusOk;
    Menu_ApplyRule(kRuleNoDiagram, 0);
    Select_Clear();
    Comm_NotifyModelClosed();
    StatusBar_Refresh();
    return status;
}

// The page with a window that comes before the page in chain order, else the
// first other page with a window; 0 when no other page has one.
ObjectHandle NeighbourWithWindow(ObjectHandle page)
{
    ObjectHandle before = 0;
    ObjectHandle after = 0;
    bool passed = false;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle p = Model_GetFirstPage(); p != 0 && guard-- > 0; p = Model_GetNextSibling(p)) {
        if (p == page) {
            passed = true;
            continue;
        }
        if (Window_OfPage(p) == nullptr) {
            continue;
        }
        if (!passed) {
            before = p;
        } else if (after == 0) {
            after = p;
        }
    }
    return before != 0 ? before : after;
}

// After the current page went away: another open page becomes current, or
// the user picks one in the page structure window (the state's pick and
// cancel rows take it from there).
KernelStatus ShowAnotherPage(ObjectHandle neighbour, const CommandBinding* row, MemHandle event, int32_t* nextState,
                             int32_t* freeFlag)
{
    if (neighbour != 0) {
        Comm_SetCurrentPage(neighbour);
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    Comm_SetCurrentPage(0);
    const KernelStatus status = Trans_BeginPageSelect(kPromptPickPage, 0);
    if (status == kStatusOk) {
        *nextState = kStateDeletePagePick;
    }
    return status;
}

// Ends a page-choosing command and then makes the page current, so that the
// page structure gesture's end (which returns to the window it came from)
// does not take the activation back.
KernelStatus EndShowing(ObjectHandle page, const CommandBinding* row, MemHandle event, int32_t* nextState,
                        int32_t* freeFlag)
{
    const KernelStatus status = Comm_EndCommand(row, event, nextState, freeFlag);
    Comm_SetCurrentPage(page);
    Comm_ShowHandles(1);
    return status;
}

ObjectHandle SelectedObject()
{
    return Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
}

}  // namespace

KernelStatus Comm_ZoomPage(ObjectHandle page, Fixed factor)
{
    if (Model_IsPage(page) == 0) {
        return kStatusNotAPage;
    }
    const bool current = page == Comm_GetCurrentPage();
    const bool editing = current && Comm_InTextMode() != 0;
    if (current) {
        Comm_ShowHandles(0);
    }
    if (editing) {
        Text_LeaveEditing();
    }
    const KernelStatus status = Core_SetPageScale(page, factor);
    if (editing) {
        Text_StartEdit(Select_GetObject());
    }
    if (current) {
        Comm_ShowHandles(1);
    }
    return status;
}

COMM_HANDLER(Cmd_ShowPage)
{
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Blowup doubles the current page's scale, Reduce halves it.
COMM_HANDLER(Cmd_Zoom)
{
    const ObjectHandle page = Comm_GetCurrentPage();
    KernelStatus status = kStatusOk;
    if (page != 0) {
        status = Comm_ZoomPage(page, row->detail == kRequestBlowup ? kZoomIn : kZoomOut);
    }
    const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
    return status != kStatusOk ? status : ended;
}

COMM_HANDLER(Cmd_NewPage)
{
    if (Model_GetRoot() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    ObjectHandle page = 0;
    const KernelStatus status = Core_AddPage(&page);
    if (status != kStatusOk) {
        return status;
    }
    Comm_SetCurrentPage(page);
    Select_Clear();
    Menu_ApplyRule(kRulePageAdded, page);
    StatusBar_Refresh();
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Asks whether the current page may go; the answer comes in state 85.
COMM_HANDLER(Cmd_DeletePage)
{
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const MemHandle block = NewQuestionBlock(DeletePageQuestion(page));
    if (block == 0) {
        return kStatusOutOfMemory;
    }
    int32_t item = 0;
    MemHandle result = 0;
    if (Dialog_OpenRecord(kDeletePageDialog, 0, block, 0, 0, &item, &result) != kStatusOk) {
        Mem_Free(block);
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    *nextState = kStateDeletePageAnswer;
    return kStatusOk;
}

COMM_HANDLER(Cmd_DeletePageDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    const ObjectHandle page = Comm_GetCurrentPage();
    if (answer.button != 0 || page == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const uint32_t withSubpages = BlockWord(answer.values, kQuestionOptionOffset) != 0 ? 1 : 0;
    if (Comm_InTextMode() != 0) {
        Text_LeaveEditing();
    }
    Select_Clear();
    const ObjectHandle neighbour = NeighbourWithWindow(page);
    // The page is no longer current once it is gone.
    Comm_SetCurrentPage(0);
    const KernelStatus status = Core_DeletePage(page, withSubpages);
    if (status != kStatusOk) {
        if (Model_IsPage(page) != 0) {
            Comm_SetCurrentPage(page);
        }
        return status;
    }
    if (Model_GetFirstPage() == 0) {
        const KernelStatus closed = CloseEmptyDiagram();
        const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
        return closed != kStatusOk ? closed : ended;
    }
    StatusBar_Refresh();
    return ShowAnotherPage(Model_IsPage(neighbour) != 0 ? neighbour : 0, row, event, nextState, freeFlag);
}

// A page picked after Delete or Close Page becomes current; a pick of no
// page (Escape) is taken as the cancel.
COMM_HANDLER(Cmd_DeletePagePick)
{
    EventRec record{};
    const ObjectHandle page = Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
    if (Model_IsPage(page) == 0) {
        return Cmd_DeletePageCancel(row, event, nextState, freeFlag);
    }
    return EndShowing(page, row, event, nextState, freeFlag);
}

COMM_HANDLER(Cmd_DeletePageCancel)
{
    const ObjectHandle first = Model_GetFirstPage();
    if (first == 0) {
        const KernelStatus closed = Model_GetRoot() != 0 ? CloseEmptyDiagram() : kStatusOk;
        const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
        return closed != kStatusOk ? closed : ended;
    }
    return EndShowing(first, row, event, nextState, freeFlag);
}

COMM_HANDLER(Cmd_ClosePage)
{
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (Comm_InTextMode() != 0) {
        Text_LeaveEditing();
    }
    const ObjectHandle neighbour = NeighbourWithWindow(page);
    Comm_SetCurrentPage(0);
    const KernelStatus status = Core_ClosePage(page, 0);
    if (status != kStatusOk) {
        Comm_SetCurrentPage(page);
        return status;
    }
    return ShowAnotherPage(neighbour, row, event, nextState, freeFlag);
}

// Down to the subpage of the selected coarse node; in text mode the
// hypertext reference at the cursor is followed instead.
COMM_HANDLER(Cmd_Child)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_FollowReference(row, event, nextState, freeFlag);
    }
    const ObjectHandle node = SelectedObject();
    const ObjectHandle subpage = node != 0 && Model_IsNode(node) != 0 ? Model_GetFieldValue(node, Field::kSubpage) : 0;
    if (Model_IsPage(subpage) != 0) {
        Comm_SetCurrentPage(subpage);
        if (const ObjectHandle selected = SelectedObject(); selected != 0) {
            Comm_ScrollToObject(selected);
        }
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// Up from the current page to the coarse node it refines, or from a
// selected region to its owner; in text mode to the first object that
// refers to the edited text.
COMM_HANDLER(Cmd_Parent)
{
    if (Comm_InTextMode() != 0) {
        return Cmd_GoToReferrer(row, event, nextState, freeFlag);
    }
    const ObjectHandle selected = SelectedObject();
    ObjectHandle target = 0;
    if (selected != 0 && Model_IsRegion(selected) != 0) {
        target = Model_GetParent(selected);
    } else if (const ObjectHandle page = Comm_GetCurrentPage(); page != 0) {
        target = Model_GetFieldValue(page, Field::kRefinedNode);
    }
    if (target != 0 && Model_IsObject(target) != 0 && Model_IsPage(target) == 0) {
        Comm_SetCurrentPage(Model_GetPage(target));
        if (Comm_GetCurrentPage() == Model_GetPage(target)) {
            Select_Object(target, 1);
            Comm_ScrollToObject(target);
        }
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus Cmd_PageStructure(const CommandBinding*, MemHandle, int32_t* nextState, int32_t*)
{
    const KernelStatus status = Trans_BeginPageSelect(kPromptPickPage, Comm_GetCurrentPage());
    if (status != kStatusOk) {
        return status;
    }
    *nextState = kStatePageStructurePick;
    return kStatusOk;
}

COMM_HANDLER(Cmd_PageStructurePick)
{
    EventRec record{};
    const ObjectHandle page = Comm_CopyEvent(event, &record) ? Comm_PickedObject(record) : 0;
    if (Model_IsPage(page) == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    return EndShowing(page, row, event, nextState, freeFlag);
}

COMM_HANDLER(Cmd_Cleanup)
{
    if (const ObjectHandle page = Comm_GetCurrentPage(); page != 0) {
        Window_RedrawPage(page, 0);
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
