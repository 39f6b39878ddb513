// The kernel's adapter table, and the adapters that need only plain values:
// the menu-pick, key-filter, creation-code and argument-reordering hooks, and
// the slots whose adapter never calls the application. The adapters that
// convert groups, point arrays and records are in HookAdaptersGroups.cpp.
#include "xkv/kv/HookAdapters.h"
#include "xkv/kv/HookAdaptersInternal.h"

#include <array>
#include <cstring>

#include "xkv/item/TypedItem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"

namespace {

uintptr_t CallApplication(HookId hook, uintptr_t a = 0, uintptr_t b = 0, uintptr_t c = 0, uintptr_t d = 0,
                          uintptr_t e = 0, uintptr_t f = 0)
{
    return Hook_GetApplicationHandler(hook)(a, b, c, d, e, f);
}

// Hook 11: the kernel's creation kind becomes a command of the Create menu.
uint32_t CreationCommand(uint32_t code)
{
    switch (code) {
    case 29: case 96: return 401;
    case 30: case 90: return 404;
    case 31: case 91: return 418;
    case 32: return 417;
    case 33: case 92: return 420;
    case 34: case 93: return 405;
    case 35: case 94: return 406;
    case 36: case 89: return 403;
    case 37: case 95: return 407;
    case 55: case 97: return 409;
    case 56: return 411;
    default: return 402;
    }
}

uintptr_t AdaptCreation(uintptr_t, uintptr_t code, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    CallApplication(11, CreationCommand(static_cast<uint32_t>(code)));
    return 1;
}

uintptr_t AdaptNeverCalled(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 1;
}

// Hook 44: (word) becomes (word, 1).
uintptr_t AdaptPagePrinted(uintptr_t word, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    CallApplication(44, word, 1);
    return 1;
}

// Hook 21: (menu, command) as 16-bit numbers; a kernel command names its menu
// by its hundreds.
uintptr_t AdaptMenuPick(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto menuId = static_cast<int16_t>(menu);
    const auto commandId = static_cast<int16_t>(command);
    int32_t outMenu = menuId;
    if (menuId <= 9999 && commandId <= 9999) {
        outMenu = commandId / 100;
    }
    return CallApplication(21, static_cast<uint16_t>(outMenu), static_cast<uint16_t>(commandId));
}

// Hook 33: as hook 21, with the numbers compared as unsigned 32-bit words.
uintptr_t AdaptPickNotify(uintptr_t menu, uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto menuId = static_cast<uint32_t>(menu);
    const auto commandId = static_cast<uint32_t>(command);
    uint32_t outMenu = menuId;
    if (menuId <= 9999 && commandId <= 9999) {
        outMenu = commandId / 100;
    }
    return CallApplication(33, static_cast<uint16_t>(outMenu), static_cast<uint16_t>(commandId));
}

// Hook 50: the kernel hands the memory block of the pressed handle's record;
// the application gets its fifth word (the object) and whether its second
// word (the handle's index) is set.
uintptr_t AdaptHandlePress(uintptr_t record, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const BlockLock<DotRec> dot(static_cast<MemHandle>(record));
    if (!dot || dot.size() < sizeof(DotRec)) {
        return 1;
    }
    return CallApplication(50, dot->owner, dot->index != 0 ? 1 : 0);
}

// Hook 56: the rectangle reaches the application as (top, left, bottom, right);
// its changes come back in the kernel's order.
uintptr_t AdaptFitText(uintptr_t object, uintptr_t rectAddress, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* rect = reinterpret_cast<FixRect*>(rectAddress);
    if (rect == nullptr) {
        return 1;
    }
    std::array<Fixed, 4> swapped = {rect->top, rect->left, rect->bottom, rect->right};
    CallApplication(56, object, reinterpret_cast<uintptr_t>(swapped.data()));
    rect->top = swapped[0];
    rect->left = swapped[1];
    rect->bottom = swapped[2];
    rect->right = swapped[3];
    return 1;
}

// Hook 17: arrow keys get the characters 28 to 31; a bare modifier key is
// consumed without asking the application.
uintptr_t AdaptKeyFilter(uintptr_t modifiers, uintptr_t keysymAddress, uintptr_t charAddress, uintptr_t,
                         uintptr_t, uintptr_t)
{
    const auto* keysym = reinterpret_cast<const unsigned long*>(keysymAddress);
    auto* character = reinterpret_cast<char*>(charAddress);
    if (keysym != nullptr) {
        if (*keysym >= kKeySymFirstModifier && *keysym <= kKeySymLastModifier) {
            return 0;
        }
        if (character != nullptr) {
            switch (*keysym) {
            case kKeySymRight: *character = 29; break;
            case kKeySymDown: *character = 31; break;
            case kKeySymLeft: *character = 28; break;
            case kKeySymUp: *character = 30; break;
            default: break;
            }
        }
    }
    return CallApplication(17, modifiers, keysymAddress, charAddress);
}

// In the kernel's order of the adapter table.
constexpr std::array kDefaultTable = {
    HookDefault{8, KV_AdaptReattach},         HookDefault{2, KV_AdaptArrowHead},
    HookDefault{7, KV_AdaptConnectorRecord},  HookDefault{9, KV_AdaptConnectEnds},
    HookDefault{10, KV_AdaptRebuildConnector}, HookDefault{11, AdaptCreation},
    HookDefault{15, KV_AdaptDuplicated},      HookDefault{22, AdaptNeverCalled},
    HookDefault{19, KV_AdaptOwnerGroup},      HookDefault{24, KV_AdaptMoved},
    HookDefault{30, KV_AdaptPasted},          HookDefault{44, AdaptPagePrinted},
    HookDefault{21, AdaptMenuPick},           HookDefault{33, AdaptPickNotify},
    HookDefault{35, KV_AdaptResized},         HookDefault{46, KV_AdaptPrintRange},
    HookDefault{50, AdaptHandlePress},        HookDefault{56, AdaptFitText},
    HookDefault{29, KV_AdaptCurrentItem},     HookDefault{45, KV_AdaptPageSelect},
    HookDefault{58, KV_AdaptRegionGroup},     HookDefault{5, KV_AdaptCoarsen},
    HookDefault{13, KV_AdaptDeleteConnector}, HookDefault{75, AdaptNeverCalled},
    HookDefault{60, AdaptNeverCalled},        HookDefault{66, KV_AdaptPropertyDialog},
    HookDefault{73, KV_AdaptNewConnector},    HookDefault{17, AdaptKeyFilter},
    HookDefault{78, KV_AdaptUserDataRead},    HookDefault{static_cast<int32_t>(kHookTableEnd), nullptr},
};

}  // namespace

void KV_ConvertRecordShape(uint32_t group, uint32_t dialogId, void* record, int32_t direction)
{
    if (record == nullptr || (group != 4 && dialogId != 263)) {
        return;
    }
    constexpr size_t kNinthWord = 8 * sizeof(int32_t);
    int32_t shape = 0;
    std::memcpy(&shape, static_cast<uint8_t*>(record) + kNinthWord, sizeof shape);
    shape = Model_ConvertCode(shape, 0, static_cast<uint32_t>(direction));
    std::memcpy(static_cast<uint8_t*>(record) + kNinthWord, &shape, sizeof shape);
}

std::span<const HookDefault> HookDefaultTable()
{
    return kDefaultTable;
}
