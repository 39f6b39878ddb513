// Keys, clicks, picks and text edits while simulating: the net may not be
// changed, and the arrow keys walk between objects inside a text edit.
#include "atolq/CSimulator/SimHooks.h"

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimState.h"
#include "atolq/CSimulator/SimStatus.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/select/Select.h"

namespace {

constexpr unsigned long kKeyBackSpace = 0xFF08;
constexpr unsigned long kKeyLeft = 0xFF51;
constexpr unsigned long kKeyDown = 0xFF54;
constexpr unsigned long kKeyDelete = 0xFFFF;
constexpr uint32_t kEditEndedByPick = 0x1000;
constexpr uint16_t kSubKindSubstitution = 6;

bool GroupSelected()
{
    return Select_GetMode() == 1;
}

bool NoModifiers(const int32_t* modifiers)
{
    return modifiers == nullptr ||
           (modifiers[0] == 0 && modifiers[1] == 0 && modifiers[2] == 0 && modifiers[3] == 0);
}

bool MovingTokens()
{
    const uint32_t activity = SCurrentActivity();
    return activity == 0x20001 || activity == 0x40001;
}

uint16_t NetKindOf(uint32_t object, uint16_t* subKind)
{
    uint16_t kind = 0;
    SEHead* record = nullptr;
    *subKind = 0;
    EE_GetObjectKind(object, &kind, subKind, &record);
    return kind;
}

bool OnHierarchyPage(uint32_t object)
{
    uint32_t length = 0;
    const uint32_t page = QXStr_GetObjectPage(object);
    return page != 0 && PGIsHierarchyObject(page, &length) != 0;
}

}  // namespace

uintptr_t SKeyFilter(uintptr_t a, uintptr_t b, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto* modifiers = reinterpret_cast<const int32_t*>(a);
    const auto* keysymAddress = reinterpret_cast<const unsigned long*>(b);
    if (keysymAddress == nullptr)
        return 1;
    const unsigned long keysym = *keysymAddress;
    const bool editing = Comm_InTextMode() != 0;
    if (keysym == kKeyBackSpace || keysym == kKeyDelete) {
        if (editing)
            return 1;
        if (!GroupSelected() && SMayEditText(QXStr_GetCurObject()) != 0)
            EE_RunNetCommand(3, 306);
        return 0;
    }
    if (keysym < kKeyLeft || keysym > kKeyDown)
        return 1;
    if (editing && NoModifiers(modifiers) && !GroupSelected()) {
        static constexpr int32_t kCommands[] = {511, 609, 510, 608};  // Left, Up, Right, Down
        if (const uint32_t current = QXStr_GetCurObject(); current != 0)
            QXUI_ShowObject(current);
        GE_DoCommand(kCommands[keysym - kKeyLeft]);
        if (SMayEditText(QXStr_GetCurObject()) == 0)
            GE_EndTextEdit();
        return 0;
    }
    if (!editing && keysym == kKeyDown && MovingTokens()) {
        uint16_t subKind = 0;
        if (NetKindOf(QXStr_GetCurObject(), &subKind) == kSETrans && subKind == kSubKindSubstitution)
            return 0;
    }
    return 1;
}

uintptr_t SClickCheck(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto object = static_cast<uint32_t>(a);
    if (object == 0)
        return 1;
    uint32_t length = 0;
    if (OnHierarchyPage(object))
        return PGIsHierarchyObject(object, &length) != 0 ? 0 : 1;
    uint16_t subKind = 0;
    return NetKindOf(object, &subKind) != 0 ? 0 : 1;
}

uintptr_t SPickFilter(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto object = static_cast<uint32_t>(a);
    if (Comm_InTextMode() != 0 && SMayEditText(object) == 0) {
        GE_SetStateFlags(kEditEndedByPick);
        GE_EndTextEdit();
    }
    return 1;
}

uintptr_t STextEditCheck(uintptr_t a, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return static_cast<uintptr_t>(SMayEditText(static_cast<uint32_t>(a)));
}

uintptr_t SRefuseRequest(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 0;
}

void SInstallSimulatorHookHandlers()
{
    static constexpr struct {
        HookId hook;
        HookHandler handler;
    } kRows[] = {
        {14, SOpenObjectHook}, {17, SKeyFilter},      {28, SClickCheck},       {34, SPickFilter},
        {47, STextEditCheck},  {50, SRefuseRequest},  {62, SPageCaptionHook},  {69, SPageClosingHook},
        {71, SCurrentPageHook}, {25, EE_PendingErrorTimer},
    };
    for (const auto& row : kRows)
        GE_SetSimulatorHookHandler(row.hook, row.handler);
}
