// The pick of a menu item, from the mouse or an accelerator: hook 21 decides,
// the command layer gets the item's request as a command event carrying the
// modifiers held, and the net layer's own commands reach its entry.
#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/kv/Hook.h"
#include "xkv/menu/Menu.h"
#include "xkv/menu/MenuInternal.h"
#include "xkv/pending/Pending.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/velkor/Velkor.h"

bool Menu_CommandLayerAcceptsPicks()
{
    return Comm_IsBusy() == 0;
}

KernelStatus Menu_DoPick(Menu* menu, MenuItem* item)
{
    if (menu == nullptr || item == nullptr) {
        return kStatusBadArgument;
    }
    Comm_PostCancel();
    Comm_ProcessEvents();
    MenuState& state = MenuStateOf();
    state.lastMenuId = item->separator != 0 ? 0 : menu->menuId;
    state.lastCommand = item->separator != 0 ? 0 : item->commandId;
    if (item->enabled == 0) {
        return kStatusOk;
    }
    uintptr_t accepted = 1;
    if (Hook_IsRegistered(kHookMenuPick) != 0) {
        accepted = Hook_GetHandler(kHookMenuPick)(static_cast<uintptr_t>(state.lastMenuId),
                                                  static_cast<uintptr_t>(state.lastCommand), 0, 0, 0, 0);
    }
    if (accepted == 0) {
        StatusBar_Refresh();
        return kStatusOk;
    }
    if (item->requestNumber != 0) {
        // The command carries the modifiers held at the pick: the creation
        // commands read Shift from it.
        int32_t modifiers[4] = {};
        Velkor_GetModifierState(modifiers);
        Comm_SetPendingCommand(item->requestNumber);
        Comm_PostEvent(Event_NewCommand(static_cast<uint32_t>(modifiers[0]), static_cast<uint32_t>(modifiers[1]),
                                        static_cast<uint32_t>(modifiers[2]), static_cast<uint32_t>(modifiers[3]),
                                        static_cast<uint32_t>(item->requestNumber)));
    }
    if (item->separator == 0 && item->commandId > kMenuListEnd) {
        QVmountopen(1, menu->menuId, static_cast<uint32_t>(item->commandId));
    }
    return kStatusOk;
}

void Menu_RepeatLastPick(uint32_t flag)
{
    if (flag == 0 || !Menu_CommandLayerAcceptsPicks() || Hook_IsRegistered(kHookMenuPickNotify) == 0) {
        return;
    }
    const MenuState& state = MenuStateOf();
    Hook_GetHandler(kHookMenuPickNotify)(static_cast<uintptr_t>(state.lastMenuId),
                                     static_cast<uintptr_t>(state.lastCommand), 0, 0, 0, 0);
}
