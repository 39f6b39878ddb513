// QX user interface functions that need no dialog: the current command, the
// interface selection flag, the status bar, redraws, messages and undo.
#include "xkv/kv/QXUI.h"

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXStr.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/undo/Undo.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kMessageMax = 256;

}  // namespace

uint32_t QXUI_GetCurrentCommand()
{
    int32_t detail = 0;
    Comm_GetInbox(nullptr, nullptr, &detail);
    if (detail <= 0) {
        return 0;
    }
    int32_t menuId = 0;
    CommandId command = 0;
    return Menu_FindItemByRequest(detail, &menuId, &command) == kStatusOk ? command : 0;
}

// The flag is the interface's selection flag and, negated, the command
// layer's no-handle-gestures flag.
void QXUI_SetCommFlag(uint32_t value)
{
    QXStr_SetSelectionFlag(value != 0 ? 1 : 0);
    Comm_SetHandleGestures(value);
}

void QXUI_SetCommFlagRaw(uint32_t value)
{
    QXStr_SetSelectionFlag(value);
}

uint32_t QXUI_Beep(uint32_t)
{
    Bell_Ring();
    return 1;
}

void QXUI_ClearUndo()
{
    Undo_Clear();
}

void QXUI_SetStatusBarMessage(const char* text)
{
    StatusBar_ShowMessage(text != nullptr ? text : "");
}

void QXUI_UpdateStatusBar()
{
    StatusBar_Update();
}

void QXUI_FlushDisplay()
{
    Window_FlushDamage();
}

uint32_t QXUI_RedrawObject(ObjectHandle object)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    Core_RedrawObject(object);
    return 1;
}

uint32_t QXUI_RedrawPage(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    return qx::Store(Window_RedrawPage(page, 0));
}

const char* QXUI_GetMessage(int32_t id)
{
    static char text[kMessageMax];
    String_GetText(static_cast<MessageId>(id), text, sizeof text);
    return text;
}

const char* QXUI_GetMessageClear(int32_t id)
{
    QXStatus = 0;
    return QXUI_GetMessage(id);
}

void QXUI_NoOp(uint32_t) {}
