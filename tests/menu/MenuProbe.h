// What reached the hooks and the command layer while a test drove the menus:
// hooks 6, 21 and 33 record their arguments, and hook 61 takes every event the
// command layer processes, records its class, detail and modifiers, and frees it.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "xkv/menu/Menu.h"

struct PostedCommand {
    uint32_t shift = 0;
    uint32_t control = 0;
    uint32_t mod = 0;
    uint32_t lock = 0;
    uint32_t number = 0;
};

struct HookCall {
    uint32_t hook = 0;
    uintptr_t a = 0;
    uintptr_t b = 0;
};

struct MenuWorld {
    // Events in the order the command layer processed them: "cancel" or
    // "command <request>".
    std::vector<std::string> log;
    std::vector<PostedCommand> commands;
    std::vector<HookCall> hookCalls;
    uintptr_t hookResult = 1;
    std::function<void(MenuStateRecord*)> onHook6;

    std::vector<HookCall> CallsOf(uint32_t hook) const;
    int Count(const std::string& line) const;
};

MenuWorld& World();
// Clears the record and registers the recording hooks (21, 33 and 61, and 6
// when asked).
void ResetWorld(bool withHook6 = false);
// Sets the kernel modifier state from an X state word.
void HoldModifiers(unsigned int state);
