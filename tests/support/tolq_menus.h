// Picking an item from tolq's menu bar as a user does. The menus are drawn
// with Xlib, so their places are computed from the menu font and the titles
// and items the test lists (each listed menu complete, "" for a separator).
#pragma once

#include <X11/Xlib.h>

#include <map>
#include <string>
#include <vector>

#include "xclient.h"

namespace tolq::test {

struct MenuTable {
    const std::vector<std::string>& titles;
    const std::map<std::string, std::vector<std::string>>& items;
};

struct MenuPick {
    bool itemListed = false;  // false: nothing was pressed
    bool opened = false;      // the pull-down of the listed height appeared
    int height = 0;           // the pull-down's height computed from the list
};

// Presses on the title, moves onto the item in the menu that opened and
// releases there.
MenuPick PickMenuItem(const XClient& client, const WindowInfo& bar, XFontStruct* font, const MenuTable& menus,
                      const std::string& title, const std::string& item);

}  // namespace tolq::test
