// The hook registry: 86 slots of (kernel adapter, application handler,
// registered flag). Firing an unregistered hook calls nothing and counts as
// consent (result 1).
#include "xkv/kv/Hook.h"

#include <algorithm>
#include <array>
#include <span>

#include "xkv/kv/HookAdapters.h"

namespace {

struct HookSlot {
    HookHandler adapter = nullptr;
    HookHandler application = nullptr;
    HookHandlerWide wide = nullptr;
    uint32_t registered = 0;
};

std::array<HookSlot, kHookCount>& Table()
{
    static std::array<HookSlot, kHookCount> table;
    return table;
}

constexpr KernelStatus kBadHookId = 6;

bool InRange(HookId hook)
{
    return hook < kHookCount;
}

}  // namespace

uintptr_t Hook_NoOp(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 1;
}

KernelStatus Hook_Unregister(HookId hook)
{
    if (!InRange(hook)) {
        return kBadHookId;
    }
    HookSlot& slot = Table()[hook];
    slot.application = nullptr;
    slot.wide = nullptr;
    slot.registered = 0;
    return 0;
}

KernelStatus Hook_Register(HookId hook, HookHandler handler)
{
    if (!InRange(hook)) {
        return kBadHookId;
    }
    Hook_Unregister(hook);
    HookSlot& slot = Table()[hook];
    slot.application = handler;
    slot.registered = 1;
    return 0;
}

KernelStatus Hook_RegisterWide(HookId hook, HookHandlerWide handler)
{
    if (!InRange(hook)) {
        return kBadHookId;
    }
    Hook_Unregister(hook);
    HookSlot& slot = Table()[hook];
    slot.wide = handler;
    slot.registered = 1;
    return 0;
}

HookHandlerWide Hook_GetWideHandler(HookId hook)
{
    return InRange(hook) && Table()[hook].registered != 0 ? Table()[hook].wide : nullptr;
}

uintptr_t Hook_CallApplication(HookId hook, std::span<const uintptr_t> words)
{
    if (HookHandlerWide wide = Hook_GetWideHandler(hook)) {
        return wide(words);
    }
    std::array<uintptr_t, 6> first{};
    std::copy_n(words.begin(), std::min(words.size(), first.size()), first.begin());
    return Hook_GetApplicationHandler(hook)(first[0], first[1], first[2], first[3], first[4], first[5]);
}

uintptr_t Hook_FireWords(HookId hook, std::span<const uintptr_t> words)
{
    if (Hook_IsRegistered(hook) == 0) {
        return 1;
    }
    if (Table()[hook].adapter != nullptr) {
        return Table()[hook].adapter(reinterpret_cast<uintptr_t>(words.data()), words.size(), 0, 0, 0, 0);
    }
    return Hook_CallApplication(hook, words);
}

KernelStatus Hook_Set(HookId hook, HookHandler handler)
{
    return handler != nullptr ? Hook_Register(hook, handler) : Hook_Unregister(hook);
}

uint32_t Hook_IsRegistered(HookId hook)
{
    return InRange(hook) ? Table()[hook].registered : 0;
}

HookHandler Hook_GetHandler(HookId hook)
{
    if (!InRange(hook) || Table()[hook].registered == 0) {
        return Hook_NoOp;
    }
    const HookSlot& slot = Table()[hook];
    if (slot.adapter != nullptr) {
        return slot.adapter;
    }
    return slot.application != nullptr ? slot.application : Hook_NoOp;
}

HookHandler Hook_GetApplicationHandler(HookId hook)
{
    if (!InRange(hook) || Table()[hook].registered == 0 || Table()[hook].application == nullptr) {
        return Hook_NoOp;
    }
    return Table()[hook].application;
}

HookHandler Hook_Query(HookId hook, HookHandler* out)
{
    HookHandler handler = Hook_IsRegistered(hook) != 0 ? Hook_GetApplicationHandler(hook) : nullptr;
    if (out != nullptr) {
        *out = handler;
    }
    return handler;
}

void Hook_ClearTable()
{
    for (HookSlot& slot : Table()) {
        slot.adapter = nullptr;
        slot.registered = 0;
    }
}

void Hook_InitTable()
{
    for (const HookDefault& row : HookDefaultTable()) {
        if (row.id < 0 || static_cast<HookId>(row.id) >= kHookTableEnd) {
            break;
        }
        Table()[static_cast<HookId>(row.id)].adapter = row.adapter;
    }
}

uintptr_t Hook_Fire(HookId hook, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f)
{
    if (Hook_IsRegistered(hook) == 0) {
        return 1;
    }
    return Hook_GetHandler(hook)(a, b, c, d, e, f);
}
