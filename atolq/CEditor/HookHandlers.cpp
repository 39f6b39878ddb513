// The net editor's kernel hook handlers. Where a handler's work belongs to a
// part of the net editor that this program does not carry yet (net records,
// the hierarchy page, the net's Clear), the handler does the kernel's default.
#include "atolq/CEditor/HookHandlers.h"

#include <cstdint>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/select/Select.h"

namespace {

constexpr unsigned long kKeyLeft = 0xFF51;
constexpr unsigned long kKeyUp = 0xFF52;
constexpr unsigned long kKeyRight = 0xFF53;
constexpr unsigned long kKeyDown = 0xFF54;
constexpr unsigned long kKeyBackSpace = 0xFF08;
constexpr unsigned long kKeyPadEnter = 0xFF8D;
constexpr unsigned long kKeyDelete = 0xFFFF;
constexpr uint32_t kSelectionGroup = 1;

bool selectFilterOn = true;
uint32_t rememberedType = 0;

bool SelectionIsGroup()
{
    return Select_GetMode() == kSelectionGroup;
}

bool ShiftAlone(const int32_t* modifiers)
{
    return modifiers[0] != 0 && modifiers[1] == 0 && modifiers[2] == 0 && modifiers[3] == 0;
}

// Shift and an arrow key while editing a text walk to a neighbouring object.
uintptr_t ArrowKey(const int32_t* modifiers, unsigned long keysym)
{
    if (modifiers == nullptr || !ShiftAlone(modifiers) || Comm_InTextMode() == 0 || SelectionIsGroup())
        return 1;
    static constexpr int32_t kCommands[] = {511, 609, 510, 608};  // Left, Up, Right, Down
    GE_DoCommand(kCommands[keysym - kKeyLeft]);
    return 0;
}

}  // namespace

GE_HOOK_HANDLER(EE_KeyFilter)
{
    (void)c, (void)d, (void)e, (void)f;
    const auto* modifiers = reinterpret_cast<const int32_t*>(a);
    const auto* keysymAddress = reinterpret_cast<const unsigned long*>(b);
    if (keysymAddress == nullptr)
        return 1;
    const unsigned long keysym = *keysymAddress;
    if (keysym > kKeyDown && keysym != kKeyPadEnter && keysym != kKeyDelete)
        return 1;
    if (keysym >= kKeyLeft && keysym <= kKeyDown)
        return ArrowKey(modifiers, keysym);
    if ((keysym == kKeyBackSpace || keysym == kKeyDelete) && Comm_InTextMode() == 0) {
        // The net editor's Clear keeps the net in step with the deletion.
        GE_ReportNotBuilt("Clear");
        return 0;
    }
    return 1;
}

int GE_SelectFilterOn()
{
    return selectFilterOn ? 1 : 0;
}

GE_HOOK_HANDLER(EE_SelectFilter)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    if (static_cast<uint32_t>(a) == UINT32_MAX) {
        selectFilterOn = !selectFilterOn;
        return 1;
    }
    if (!selectFilterOn)
        return 1;
    if (!(SelectionIsGroup() && a != 0))
        rememberedType = QXRdAttr_GetObjectType(QXStr_GetCurObject());
    return QXRdAttr_GetObjectType(static_cast<ObjectHandle>(a)) == rememberedType ? 1 : 0;
}

GE_HOOK_HANDLER(EE_BaseObjectCheck)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    GE_ClearStateFlags(kGESelectionHasNet);
    return 1;
}

GE_HOOK_HANDLER(EE_OpenObject)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    return SelectionIsGroup() ? 0 : 1;
}

GE_HOOK_HANDLER(EE_CloseCheck)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    GE_SetStateFlags(kGEMenusStale);
    return 1;
}

GE_HOOK_HANDLER(EE_CurrentPageChanged)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    return 1;
}

GE_HOOK_HANDLER(EE_PageListChanged)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    return 1;
}

namespace {

// Takes an edited object's text into the net; installed by the net layer.
void (*textUpdate)(uint32_t object) = nullptr;

}  // namespace

void EE_SetTextUpdate(void (*update)(uint32_t object))
{
    textUpdate = update;
}

// An edit that changed its text takes the text into the net: names,
// inscriptions and declarations.
GE_HOOK_HANDLER(EE_TextEditEnd)
{
    (void)c, (void)d, (void)e, (void)f;
    if (b != 0 && textUpdate != nullptr)
        textUpdate(static_cast<uint32_t>(a));
    return 1;
}

GE_HOOK_HANDLER(EE_AfterReplace)
{
    (void)a, (void)c, (void)d, (void)e, (void)f;
    if (auto* flag = reinterpret_cast<int32_t*>(b))
        *flag = 1;
    return 1;
}

GE_HOOK_HANDLER(EE_ReplaceCheck)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    return 1;
}

GE_HOOK_HANDLER(EE_DeleteHook)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    return 1;
}

GE_HOOK_HANDLER(EE_StatusText)
{
    // The net description of the selection is not built yet: nothing is
    // added, and the kernel keeps its own text.
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f;
    return 0;
}
