// The menu programming interface: lookups by menu id, CommandId and request
// number, and the operations that add, change, move and remove menus and items
// at run time, building them from the static menu tables.
#include <algorithm>
#include <iterator>

#include "xkv/menu/Menu.h"
#include "xkv/menu/MenuInternal.h"

namespace {

constexpr KernelStatus kNotFound = kStatusNotFound;

using MenuList = std::vector<std::unique_ptr<Menu>>;
using ItemList = std::vector<std::unique_ptr<MenuItem>>;

MenuList& Menus()
{
    return MenuStateOf().menus;
}

bool IsMenuEnd(int32_t menuId)
{
    return menuId == kMenuListEnd;
}

bool IsItemEnd(CommandId command)
{
    return command == kCommandListEnd;
}

MenuList::iterator MenuPosition(int32_t menuId)
{
    return std::find_if(Menus().begin(), Menus().end(), [&](const auto& menu) { return menu->menuId == menuId; });
}

Menu* MenuOf(int32_t menuId)
{
    const auto found = MenuPosition(menuId);
    return found == Menus().end() ? nullptr : found->get();
}

ItemList::iterator ItemPosition(Menu& menu, CommandId command)
{
    return std::find_if(menu.items.begin(), menu.items.end(),
                        [&](const auto& item) { return item->commandId == command; });
}

ItemList::iterator ItemPosition(Menu& menu, const MenuItem* item)
{
    return std::find_if(menu.items.begin(), menu.items.end(), [&](const auto& held) { return held.get() == item; });
}

std::unique_ptr<MenuItem> MakeItem(CommandId command, const char* label, int32_t enabled, int32_t separator,
                                   int32_t checkMark, int32_t request)
{
    auto item = std::make_unique<MenuItem>();
    item->commandId = command;
    item->hasLabel = label != nullptr;
    item->label = label != nullptr ? label : "";
    item->enabled = enabled != 0 ? 1 : 0;
    item->separator = separator;
    item->checkMark = checkMark;
    item->requestNumber = request;
    return item;
}

// Builds a menu and its items from the menu table; null when the menu or one
// of its rows is missing.
std::unique_ptr<Menu> MenuFromTable(int32_t menuId)
{
    const MenuRow* row = MenuTable_FindMenu(menuId);
    if (row == nullptr) {
        return nullptr;
    }
    auto menu = std::make_unique<Menu>();
    menu->menuId = menuId;
    menu->title = row->title;
    for (const CommandId* command = row->commands; *command != kCommandListEnd; ++command) {
        auto item = Menu_ItemFromTable(*command);
        if (item == nullptr) {
            return nullptr;
        }
        menu->items.push_back(std::move(item));
    }
    return menu;
}

// Inserts the menu before the menu `before` (kMenuListEnd: at the end); 51
// when `before` is not there.
KernelStatus InsertMenu(std::unique_ptr<Menu> menu, int32_t before)
{
    auto position = IsMenuEnd(before) ? Menus().end() : MenuPosition(before);
    if (!IsMenuEnd(before) && position == Menus().end()) {
        return kNotFound;
    }
    Menus().insert(position, std::move(menu));
    return kStatusOk;
}

void RemoveMenu(MenuList::iterator position)
{
    Menu_ForgetMenu(position->get());
    Menus().erase(position);
}

void RemoveItem(Menu& menu, ItemList::iterator position)
{
    Menu_ForgetItem(position->get());
    menu.items.erase(position);
}

// Inserts the item into the menu before the item `before` of that menu
// (32767 or 9999: at the end); 51 when `before` is not in the menu.
KernelStatus InsertItemInto(Menu& menu, std::unique_ptr<MenuItem> item, CommandId before)
{
    if (IsItemEnd(before) || before == kMenuListEnd) {
        menu.items.push_back(std::move(item));
        return kStatusOk;
    }
    const auto position = ItemPosition(menu, before);
    if (position == menu.items.end()) {
        return kNotFound;
    }
    menu.items.insert(position, std::move(item));
    return kStatusOk;
}

uint32_t CountEnabledEntries(const Menu& menu)
{
    return static_cast<uint32_t>(std::count_if(menu.items.begin(), menu.items.end(), [](const auto& item) {
        return item->separator == 0 && item->enabled != 0;
    }));
}

}  // namespace

std::unique_ptr<MenuItem> Menu_ItemFromTable(CommandId command)
{
    const MenuItemRow* row = MenuTable_FindItem(command);
    if (row == nullptr) {
        return nullptr;
    }
    return MakeItem(command, row->label, 1, row->separator, 0, row->request);
}

const std::vector<std::unique_ptr<Menu>>& Menu_List()
{
    return Menus();
}

// ---- Lookups ----

KernelStatus Menu_FindMenu(int32_t menuId, Menu** menu)
{
    Menu* found = MenuOf(menuId);
    if (menu != nullptr) {
        *menu = found;
    }
    return found != nullptr ? kStatusOk : kNotFound;
}

KernelStatus Menu_FindMenuAt(int32_t x, int32_t y, Menu** menu)
{
    for (const auto& held : Menus()) {
        const MenuRect& r = held->titleRect;
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) {
            if (menu != nullptr) {
                *menu = held.get();
            }
            return kStatusOk;
        }
    }
    return kNotFound;
}

KernelStatus Menu_MenuAtIndex(uint32_t index, Menu** menu)
{
    if (index >= Menus().size()) {
        return kNotFound;
    }
    if (menu != nullptr) {
        *menu = Menus()[index].get();
    }
    return kStatusOk;
}

KernelStatus Menu_FindItem(CommandId command, MenuItem** item, Menu** menu)
{
    for (const auto& held : Menus()) {
        const auto position = ItemPosition(*held, command);
        if (position != held->items.end()) {
            if (item != nullptr) {
                *item = position->get();
            }
            if (menu != nullptr) {
                *menu = held.get();
            }
            return kStatusOk;
        }
    }
    return kNotFound;
}

KernelStatus Menu_FindItemByRequest(int32_t request, int32_t* menuId, CommandId* command)
{
    for (const auto& menu : Menus()) {
        for (const auto& item : menu->items) {
            if (item->requestNumber == request) {
                if (menuId != nullptr) {
                    *menuId = menu->menuId;
                }
                if (command != nullptr) {
                    *command = item->commandId;
                }
                return kStatusOk;
            }
        }
    }
    return kNotFound;
}

uint32_t Menu_MenuExists(int32_t menuId)
{
    return MenuOf(menuId) != nullptr ? 1 : 0;
}

uint32_t Menu_ItemExists(CommandId command)
{
    return Menu_FindItem(command, nullptr, nullptr) == kStatusOk ? 1 : 0;
}

KernelStatus Menu_MenuIndex(int32_t menuId, uint16_t* index)
{
    const auto position = MenuPosition(menuId);
    const bool found = position != Menus().end();
    if (index != nullptr) {
        *index = found ? static_cast<uint16_t>(std::distance(Menus().begin(), position)) : UINT16_MAX;
    }
    return found ? kStatusOk : kNotFound;
}

KernelStatus Menu_MenuIdAt(uint16_t index, int32_t* menuId)
{
    Menu* menu = nullptr;
    if (Menu_MenuAtIndex(index, &menu) != kStatusOk) {
        return kNotFound;
    }
    if (menuId != nullptr) {
        *menuId = menu->menuId;
    }
    return kStatusOk;
}

KernelStatus Menu_ItemIdAt(uint16_t menuIndex, uint16_t itemIndex, uint16_t* command)
{
    Menu* menu = nullptr;
    if (Menu_MenuAtIndex(menuIndex, &menu) != kStatusOk || itemIndex >= menu->items.size()) {
        return kNotFound;
    }
    if (command != nullptr) {
        *command = static_cast<uint16_t>(menu->items[itemIndex]->commandId);
    }
    return kStatusOk;
}

KernelStatus Menu_ItemPosition(CommandId command, uint16_t* menuIndex, uint16_t* itemIndex)
{
    for (size_t m = 0; m < Menus().size(); ++m) {
        Menu& menu = *Menus()[m];
        const auto position = ItemPosition(menu, command);
        if (position != menu.items.end()) {
            if (menuIndex != nullptr) {
                *menuIndex = static_cast<uint16_t>(m);
            }
            if (itemIndex != nullptr) {
                *itemIndex = static_cast<uint16_t>(std::distance(menu.items.begin(), position));
            }
            return kStatusOk;
        }
    }
    return kNotFound;
}

int32_t Menu_GetItemMark(CommandId command)
{
    MenuItem* item = nullptr;
    return Menu_FindItem(command, &item, nullptr) == kStatusOk ? item->checkMark : 0;
}

KernelStatus Menu_TableRequest(CommandId command, int32_t* request)
{
    const MenuItemRow* row = MenuTable_FindItem(command);
    if (row == nullptr) {
        return kNotFound;
    }
    if (request != nullptr) {
        *request = row->request;
    }
    return kStatusOk;
}

// ---- Items ----

KernelStatus Menu_SetItemEnabled(CommandId command, int32_t state)
{
    MenuItem* item = nullptr;
    Menu* menu = nullptr;
    if (Menu_FindItem(command, &item, &menu) != kStatusOk) {
        return kNotFound;
    }
    item->enabled = state != 0 ? 1 : 0;
    if (item->separator == 0) {
        const uint32_t enabledEntries = CountEnabledEntries(*menu);
        if (item->enabled == 0 && enabledEntries == 0) {
            menu->enabled = 0;
        } else if (item->enabled != 0 && enabledEntries == 1) {
            menu->enabled = 1;
        }
    }
    return kStatusOk;
}

KernelStatus Menu_SetItemMark(CommandId command, int32_t on)
{
    MenuItem* item = nullptr;
    if (Menu_FindItem(command, &item, nullptr) != kStatusOk) {
        return kNotFound;
    }
    item->checkMark = on;
    return kStatusOk;
}

KernelStatus Menu_SetItemLabel(CommandId command, const char* text)
{
    MenuItem* item = nullptr;
    if (Menu_FindItem(command, &item, nullptr) != kStatusOk) {
        return kNotFound;
    }
    item->hasLabel = text != nullptr;
    item->label = text != nullptr ? text : "";
    return kStatusOk;
}

KernelStatus Menu_SetItemRequest(CommandId command, int32_t request)
{
    MenuItem* item = nullptr;
    if (Menu_FindItem(command, &item, nullptr) != kStatusOk) {
        return kNotFound;
    }
    item->requestNumber = request;
    return kStatusOk;
}

KernelStatus Menu_InsertItem(int32_t menuId, CommandId command, const char* label, int32_t enabled,
                             int32_t separator, int32_t checkMark, int32_t request, CommandId before)
{
    Menu* menu = MenuOf(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    if (Menu_ItemExists(command) != 0) {
        return kStatusOk;
    }
    if (!IsItemEnd(before) && Menu_ItemExists(before) == 0) {
        return kNotFound;
    }
    return InsertItemInto(*menu, MakeItem(command, label, enabled, separator, checkMark, request), before);
}

KernelStatus Menu_NewItem(int32_t menuId, CommandId command, const char* label, int32_t enabled, int32_t separator,
                          int32_t checkMark, int32_t request, CommandId before)
{
    Menu* menu = MenuOf(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    if (Menu_ItemExists(command) != 0) {
        return kStatusOk;
    }
    const KernelStatus status =
        InsertItemInto(*menu, MakeItem(command, label, enabled, separator, checkMark, request), before);
    if (status == kStatusOk) {
        Accel_LoadCommand(command);
    }
    return status;
}

KernelStatus Menu_InsertTableItem(CommandId command, CommandId before, int32_t menuId)
{
    if (Menu_ItemExists(command) != 0) {
        return kStatusOk;
    }
    Menu* menu = MenuOf(menuId);
    auto item = Menu_ItemFromTable(command);
    if (menu == nullptr || item == nullptr) {
        return kNotFound;
    }
    const KernelStatus status = InsertItemInto(*menu, std::move(item), before);
    if (status == kStatusOk) {
        Accel_LoadCommand(command);
    }
    return status;
}

KernelStatus Menu_ReplaceItem(CommandId oldCommand, CommandId newCommand)
{
    MenuItem* oldItem = nullptr;
    Menu* menu = nullptr;
    if (Menu_FindItem(oldCommand, &oldItem, &menu) != kStatusOk) {
        return kNotFound;
    }
    auto item = Menu_ItemFromTable(newCommand);
    if (item == nullptr) {
        return kNotFound;
    }
    menu->items.insert(ItemPosition(*menu, oldItem), std::move(item));
    Accel_LoadCommand(newCommand);
    RemoveItem(*menu, ItemPosition(*menu, oldItem));
    return kStatusOk;
}

KernelStatus Menu_MoveItem(CommandId command, int32_t toMenuId, CommandId before)
{
    MenuItem* item = nullptr;
    Menu* from = nullptr;
    if (Menu_FindItem(command, &item, &from) != kStatusOk) {
        return kNotFound;
    }
    Menu* to = nullptr;
    if (IsItemEnd(before)) {
        to = MenuOf(toMenuId);
    } else if (before != command) {
        Menu_FindItem(before, nullptr, &to);
    } else {
        return kStatusOk;  // before itself: it stays where it is
    }
    if (to == nullptr) {
        return kNotFound;
    }
    const auto position = ItemPosition(*from, item);
    std::unique_ptr<MenuItem> moved = std::move(*position);
    Menu_ForgetItem(moved.get());
    from->items.erase(position);
    return InsertItemInto(*to, std::move(moved), before);
}

KernelStatus Menu_DeleteItem(CommandId command)
{
    MenuItem* item = nullptr;
    Menu* menu = nullptr;
    if (Menu_FindItem(command, &item, &menu) != kStatusOk) {
        return kNotFound;
    }
    RemoveItem(*menu, ItemPosition(*menu, item));
    return kStatusOk;
}

// ---- Menus ----

KernelStatus Menu_NewMenu(int32_t menuId, const char* title, int32_t enabled, int32_t beforeMenuId)
{
    if (Menu_MenuExists(menuId) != 0) {
        return kStatusOk;
    }
    auto menu = std::make_unique<Menu>();
    menu->menuId = menuId;
    menu->title = title != nullptr ? title : "";
    menu->enabled = enabled != 0 ? 1 : 0;
    menu->shownEnabled = menu->enabled;
    return InsertMenu(std::move(menu), beforeMenuId);
}

KernelStatus Menu_InsertTableMenu(int32_t menuId, int32_t beforeMenuId)
{
    if (Menu_MenuExists(menuId) != 0) {
        return kStatusOk;
    }
    auto menu = MenuFromTable(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    const KernelStatus status = InsertMenu(std::move(menu), beforeMenuId);
    if (status == kStatusOk) {
        Accel_LoadAll();
    }
    return status;
}

KernelStatus Menu_ReplaceMenu(int32_t oldMenuId, int32_t newMenuId)
{
    if (Menu_MenuExists(oldMenuId) == 0) {
        return kNotFound;
    }
    if (oldMenuId == newMenuId) {
        return kStatusOk;
    }
    if (Menu_MenuExists(newMenuId) == 0) {
        auto menu = MenuFromTable(newMenuId);
        if (menu == nullptr) {
            return kNotFound;
        }
        Menus().insert(MenuPosition(oldMenuId), std::move(menu));
        Accel_LoadAll();
    }
    RemoveMenu(MenuPosition(oldMenuId));
    return kStatusOk;
}

KernelStatus Menu_MoveMenu(int32_t menuId, int32_t beforeMenuId)
{
    if (Menu_MenuExists(menuId) == 0) {
        return kStatusBadArgument;
    }
    if (!IsMenuEnd(beforeMenuId) && Menu_MenuExists(beforeMenuId) == 0) {
        return kNotFound;
    }
    if (menuId == beforeMenuId) {
        return kStatusOk;
    }
    const auto position = MenuPosition(menuId);
    std::unique_ptr<Menu> moved = std::move(*position);
    Menus().erase(position);
    return InsertMenu(std::move(moved), beforeMenuId);
}

KernelStatus Menu_DeleteMenu(int32_t menuId)
{
    const auto position = MenuPosition(menuId);
    if (position != Menus().end()) {
        RemoveMenu(position);
    }
    return kStatusOk;
}

KernelStatus Menu_SetMenuTitle(int32_t menuId, const char* text)
{
    Menu* menu = MenuOf(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    menu->title = text != nullptr ? text : "";
    return kStatusOk;
}

KernelStatus Menu_SetMenuEnabled(int32_t menuId, int32_t state, int32_t withItems)
{
    Menu* menu = MenuOf(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    menu->enabled = state != 0 ? 1 : 0;
    if (withItems != 0) {
        for (const auto& item : menu->items) {
            item->enabled = menu->enabled;
        }
    }
    return kStatusOk;
}

KernelStatus Menu_SetMenuHighlight(int32_t menuId, int32_t on)
{
    Menu* menu = MenuOf(menuId);
    if (menu == nullptr) {
        return kNotFound;
    }
    Menu_DrawTitleHighlight(menu, on != 0 ? 1 : 0);
    return kStatusOk;
}

void Menu_EnableKernelMenus(int32_t state)
{
    const int32_t enabled = state != 0 ? 1 : 0;
    for (const auto& menu : Menus()) {
        if (menu->menuId > kMenuListEnd) {
            continue;
        }
        menu->enabled = enabled;
        for (const auto& item : menu->items) {
            if (item->commandId <= kMenuListEnd) {
                item->enabled = enabled;
            }
        }
    }
}

KernelStatus Menu_LoadBar(int32_t barId)
{
    const MenuBarRow* bar = MenuTable_FindBar(barId);
    if (bar == nullptr) {
        return kNotFound;
    }
    while (!Menus().empty()) {
        RemoveMenu(Menus().end() - 1);
    }
    KernelStatus status = kStatusOk;
    for (const int32_t* menuId = bar->menuIds; *menuId != kMenuListEnd && status == kStatusOk; ++menuId) {
        auto menu = MenuFromTable(*menuId);
        if (menu == nullptr) {
            status = kNotFound;
        } else {
            Menus().push_back(std::move(menu));
        }
    }
    Accel_LoadAll();
    return status;
}

KernelStatus Menu_PickCommand(uint32_t, CommandId command)
{
    MenuItem* item = nullptr;
    Menu* menu = nullptr;
    if (Menu_FindItem(command, &item, &menu) != kStatusOk) {
        return kNotFound;
    }
    return Menu_CommandLayerAcceptsPicks() ? Menu_DoPick(menu, item) : kStatusOk;
}
