// The recording hooks of MenuProbe.h, registered in the real hook registry.
#include "MenuProbe.h"

#include <algorithm>
#include <iterator>

#include "xkv/item/Event.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/velkor/Velkor.h"

namespace {

template <uint32_t Hook>
uintptr_t Recording(uintptr_t a, uintptr_t b, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    World().hookCalls.push_back({Hook, a, b});
    if (Hook == kHookMenuRefresh && World().onHook6) {
        World().onHook6(reinterpret_cast<MenuStateRecord*>(a));
    }
    return World().hookResult;
}

uintptr_t TakeEvent(uintptr_t handle, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const MemHandle event = static_cast<MemHandle>(handle);
    EventRec* record = nullptr;
    if (Mem_LockAs(event, &record) == kStatusOk) {
        if (record->eventClass == kEventCommand) {
            const uint32_t number = Event_ItemValue(event);
            World().commands.push_back({record->modifiers.shift, record->modifiers.control, record->modifiers.mod,
                                        record->modifiers.lock, number});
            World().log.push_back("command " + std::to_string(number));
        } else if (record->eventClass == kEventCancel) {
            World().log.push_back("cancel");
        }
        Mem_Unlock(event);
    }
    Event_Free(event);
    return 0;
}

}  // namespace

MenuWorld& World()
{
    static MenuWorld world;
    return world;
}

void ResetWorld(bool withHook6)
{
    World() = MenuWorld{};
    Hook_ClearTable();
    Hook_InitTable();
    Hook_Register(kHookMenuPick, Recording<kHookMenuPick>);
    Hook_Register(kHookMenuPickNotify, Recording<kHookMenuPickNotify>);
    Hook_Register(kHookNestedInteraction, TakeEvent);
    if (withHook6) {
        Hook_Register(kHookMenuRefresh, Recording<kHookMenuRefresh>);
    } else {
        Hook_Unregister(kHookMenuRefresh);
    }
    HoldModifiers(0);
}

void HoldModifiers(unsigned int state)
{
    Velkor_UpdateModifiers(state);
}

std::vector<HookCall> MenuWorld::CallsOf(uint32_t hook) const
{
    std::vector<HookCall> out;
    std::copy_if(hookCalls.begin(), hookCalls.end(), std::back_inserter(out),
                 [&](const HookCall& call) { return call.hook == hook; });
    return out;
}

int MenuWorld::Count(const std::string& line) const
{
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}
