// The kernel's menus. Until the menu bar is built there are no menu items for
// a rule to change, so applying a rule changes nothing.
#include "xkv/menu/Menu.h"

KernelStatus Menu_ApplyRule(uint32_t, uintptr_t)
{
    return kStatusOk;
}
