// Test doubles of what the menus use of the command layer, events, the main
// loop, the selection, the status bar, the text editor, the net layer's entry
// and the hook registry: each records what reached it.
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
    // What reached the command layer, in order: "cancel", "process",
    // "command <request>", "pending <request>".
    std::vector<std::string> log;
    std::vector<PostedCommand> commands;
    std::vector<HookCall> hookCalls;
    std::vector<std::vector<int64_t>> netCalls;  // QVmountopen (kind, menu, value)
    int statusRefreshes = 0;
    std::set<uint32_t> registered;
    uintptr_t hookResult = 1;
    std::function<void(MenuStateRecord*)> onHook6;
    uint32_t busy = 0;
    int32_t modifiers[4] = {};
    uint32_t selectMode = 3;
    ObjectHandle selectObject = 0;
    uint32_t selectGroup = 0;
    ObjectHandle currentPage = 0;
    uint32_t textMode = 0;
    ObjectHandle referrer = 0;
    int shellHintWidth = -1;

    std::vector<HookCall> CallsOf(uint32_t hook) const;
    // Counts the log lines equal to the text.
    int Count(const std::string& line) const;
};

MenuWorld& World();
void ResetWorld();
