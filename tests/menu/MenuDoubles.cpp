// Test doubles of the menus' neighbours; see MenuDoubles.h.
#include "MenuDoubles.h"

#include <algorithm>

#include "xkv/kv/Hook.h"
#include "xkv/menu/MenuNeeds.h"

namespace {

template <uint32_t Hook>
uintptr_t RecordingHandler(uintptr_t a, uintptr_t b, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    World().hookCalls.push_back({Hook, a, b});
    if (Hook == 6 && World().onHook6) {
        World().onHook6(reinterpret_cast<MenuStateRecord*>(a));
    }
    return World().hookResult;
}

uintptr_t AcceptAll(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 1;
}

}  // namespace

MenuWorld& World()
{
    static MenuWorld world;
    return world;
}

void ResetWorld()
{
    World() = MenuWorld{};
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

uint32_t Hook_IsRegistered(HookId hook)
{
    return World().registered.count(hook) != 0 ? 1 : 0;
}

HookHandler Hook_GetHandler(HookId hook)
{
    switch (hook) {
    case 6: return RecordingHandler<6>;
    case 21: return RecordingHandler<21>;
    case 33: return RecordingHandler<33>;
    default: return AcceptAll;
    }
}

KernelStatus Comm_PostEvent(MemHandle event)
{
    if (event == 0 || event > World().commands.size()) {
        return 1;
    }
    World().log.push_back("command " + std::to_string(World().commands[event - 1].number));
    return 0;
}

KernelStatus Comm_PostCancel()
{
    World().log.push_back("cancel");
    return 0;
}

KernelStatus Comm_ProcessEvents()
{
    World().log.push_back("process");
    return 0;
}

void Comm_SetPendingCommand(int32_t value)
{
    World().log.push_back("pending " + std::to_string(value));
}

uint32_t Comm_IsBusy() { return World().busy; }
ObjectHandle Comm_GetCurrentPage() { return World().currentPage; }
uint32_t Comm_InTextMode() { return World().textMode; }

MemHandle Event_NewCommand(uint32_t shift, uint32_t control, uint32_t mod, uint32_t lock, uint32_t command)
{
    World().commands.push_back({shift, control, mod, lock, command});
    return static_cast<MemHandle>(World().commands.size());
}

void Velkor_GetModifierState(int32_t* modifiers)
{
    std::copy(std::begin(World().modifiers), std::end(World().modifiers), modifiers);
}

void Velkor_SetShellSizeHints(int width, Widget)
{
    World().shellHintWidth = width;
}

KernelStatus StatusBar_Refresh()
{
    ++World().statusRefreshes;
    return 0;
}

Widget StatusBar_Widget() { return nullptr; }
uint32_t Select_GetMode() { return World().selectMode; }
ObjectHandle Select_GetObject() { return World().selectObject; }
uint32_t Select_GetGroup() { return World().selectGroup; }
ObjectHandle Text_FirstReferrer(ObjectHandle) { return World().referrer; }

uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value)
{
    World().netCalls.push_back({kind, menuId, value});
    return 0;
}
