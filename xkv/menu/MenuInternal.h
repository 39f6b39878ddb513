// State shared by the menu module's parts: the menu list, the flags that tie
// the rules, the refresh and the drawing together, and the last pick.
#pragma once

#include <memory>
#include <vector>

#include "xkv/menu/Menu.h"

struct MenuState {
    std::vector<std::unique_ptr<Menu>> menus;
    bool initialised = false;
    bool menusChanged = false;  // the next Menu_Refresh acts
    bool barChanged = false;    // the rule runner refits the bar
    bool barDrawn = false;
    bool barTracking = true;    // a press on the bar opens menus
    Menu* openMenu = nullptr;
    MenuItem* currentItem = nullptr;
    int32_t barWidth = 0;
    int32_t barHeight = 0;
    int32_t barOriginX = 0;
    int32_t barOriginY = 0;
    int32_t lastMenuId = 0;
    CommandId lastCommand = 0;
};

MenuState& MenuStateOf();

// A new item from the command's MenuItemRow (enabled, no mark), or null.
std::unique_ptr<MenuItem> Menu_ItemFromTable(CommandId command);
// Sets the request number of the command's item; 0 or 51.
KernelStatus Menu_SetItemRequest(CommandId command, int32_t request);
// Whether the command layer takes a pick now.
bool Menu_CommandLayerAcceptsPicks();
// Drawing of one title's or item's highlight when it changed (nothing before
// the bar is up).
void Menu_DrawTitleHighlight(Menu* menu, int32_t on);
void Menu_DrawItemHighlight(Menu* menu, MenuItem* item, int32_t on);
// Forgets the open menu and current item when they are about to be freed.
void Menu_ForgetMenu(const Menu* menu);
void Menu_ForgetItem(const MenuItem* item);
// Empties the accelerator table (at shutdown).
void Accel_Clear();
// Clears the bar's window so that it is drawn again.
void Menu_ClearBar();
// Runs a list of rule actions until the first result other than 0 and 51
// (the end action gives 1).
void Menu_RunActions(const MenuRuleAction* actions, uintptr_t argument);
