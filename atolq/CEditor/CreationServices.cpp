// The editor's side of a creation command on the kernel: the selection as a
// list, the kernel drawing command started for a default shape, the text
// editing of the object just made and the hook-1 handler that ends the
// creation.
#include <cstring>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int16_t kMsgUnexpectedShape = 16395;
constexpr HookId kHookPickGesture = 23;
constexpr int32_t kCommandConnector = 401;

// The shape group of a default attribute record: words 14 (shape code),
// 15 (height) and 16 (width).
struct DefaultShape {
    int32_t code = 1;
    int32_t height = 0;
    int32_t width = 0;
};

DefaultShape ShapeOf(const void* record)
{
    DefaultShape shape;
    if (record == nullptr)
        return shape;
    const auto* bytes = static_cast<const uint8_t*>(record);
    std::memcpy(&shape.code, bytes + 14 * sizeof(uint32_t), sizeof shape.code);
    std::memcpy(&shape.height, bytes + 15 * sizeof(uint32_t), sizeof shape.height);
    std::memcpy(&shape.width, bytes + 16 * sizeof(uint32_t), sizeof shape.width);
    return shape;
}

// The kernel's drawing command for a shape code, with the node-default codes
// that take its width and height; 0 for a shape that has none.
struct ShapeCommand {
    int32_t shape;
    int32_t command;
    uint32_t widthCode;
    uint32_t heightCode;
};
constexpr ShapeCommand kShapeCommands[] = {
    {1, 402, 1, 2}, {2, 404, 3, 4}, {4, 403, 1, 2}, {5, 407, 3, 4},
    {20, 401, 0, 0}, {21, 401, 0, 0}, {22, 401, 0, 0}, {37, 409, 0, 0},
};

const ShapeCommand* CommandOf(int32_t shape)
{
    for (const ShapeCommand& row : kShapeCommands) {
        if (row.shape == shape)
            return &row;
    }
    return nullptr;
}

}  // namespace

int GE_GetSelection(uint16_t* count, uint32_t** objects)
{
    *count = 0;
    *objects = nullptr;
    if (QXRdAttr_IsGroupSelected() != 0) {
        uint16_t members = 0;
        ObjectHandle* list = nullptr;
        if (QXStr_GetCurGroup(&members, &list) != 0 && members > 0 && list != nullptr) {
            *count = members;
            *objects = list;
            return 1;
        }
        if (list != nullptr)
            QXMem_Free(list);
        return 0;
    }
    const ObjectHandle current = QXStr_GetCurObject();
    if (current == 0)
        return 0;
    auto* list = static_cast<uint32_t*>(QXMem_Alloc(sizeof(uint32_t)));
    if (list == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    list[0] = current;
    *count = 1;
    *objects = list;
    return 1;
}

uint32_t PG_GetHierarchyPage()
{
    return PGFindHierarchyPage();
}

void EE_StartCreation(int16_t cursor, const void* defaultRecord)
{
    const DefaultShape shape = ShapeOf(defaultRecord);
    const ShapeCommand* row = CommandOf(shape.code);
    if (row == nullptr) {
        EE_ReportError(kMsgUnexpectedShape);
        return;
    }
    if (row->widthCode != 0 && shape.width > 0 && shape.height > 0) {
        QXWtAttr_SetDefault(row->widthCode, shape.width);
        QXWtAttr_SetDefault(row->heightCode, shape.height);
    }
    // A creation under way ends text editing; it comes back after it.
    GE_ClearStateFlags(kGEResumeTextEdit);
    if (Comm_InTextMode() != 0) {
        GE_SetStateFlags(kGEResumeTextEdit);
        GE_EndTextEdit();
    }
    // A connector drawn from the palette may only join a place and a
    // transition: the pointer's candidates are filtered meanwhile.
    if (row->command == kCommandConnector)
        EE_InstallArcDrawing();
    QXUI_DoCommandWithCursor(row->command, cursor);
}

void GE_BeginTextEdit()
{
    const ObjectHandle object = QXStr_GetCurObject();
    if (Comm_InTextMode() == 0)
        GE_DoCommand(801);
    GE_SetTextEditObject(object);
    GE_ClearStateFlags(kGETextChanged);
}

void GE_EndTextEdit()
{
    if (Comm_InTextMode() != 0)
        GE_DoCommand(801);
    const ObjectHandle object = GE_GetTextEditObject();
    if (object != 0 && QXStr_IsObject(object) != 0 && GE_TestStateFlags(kGETextChanged) != 0)
        EE_UpdateNetFromObject(object);
    GE_SetTextEditObject(0);
}

uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (GE_GetCreateKind() == kGECreateRegion)
        EE_UpdateNetFromObject(QXStr_GetCurObject());
    if (GE_TestStateFlags(kGEResumeTextEdit) != 0) {
        if (Comm_InTextMode() == 0)
            GE_BeginTextEdit();
    } else if (Comm_InTextMode() != 0 && GE_GetTextEditObject() != QXStr_GetCurObject()) {
        // The name of a place or transition just made stays open for typing.
        GE_EndTextEdit();
    }
    GE_SetCreateKind(kGECreateNone);
    EE_RemoveArcDrawing();
    Hook_Unregister(kHookPickGesture);
    Hook_Unregister(kHookCommandEnd);
    QXUtil_AbortCommand();
    QXUI_UpdateStatusBar();
    GE_ClearStateFlags(kGEPasteWaiting);
    GE_SetDeferredObject(0);
    return 1;
}
