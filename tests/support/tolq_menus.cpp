// Menu geometry of tolq's menu bar and a pick through it with real input.
#include "tolq_menus.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace tolq::test {
namespace {

constexpr int kSeparatorHeight = 8;

int TextWidth(XFontStruct* font, const std::string& text)
{
    return XTextWidth(font, text.c_str(), static_cast<int>(text.size()));
}

int ItemHeight(XFontStruct* font) { return font->ascent + font->descent + 4; }

}  // namespace

MenuPick PickMenuItem(const XClient& client, const WindowInfo& bar, XFontStruct* font, const MenuTable& menus,
                      const std::string& title, const std::string& item)
{
    MenuPick pick;
    const int em = TextWidth(font, "M");
    int x = 0;
    for (const std::string& t : menus.titles) {
        if (t == title)
            break;
        x += TextWidth(font, t) + 2 * em;
    }
    const int titleWidth = TextWidth(font, title) + 2 * em;
    int y = 0, itemY = -1;
    for (const std::string& i : menus.items.at(title)) {
        if (i == item)
            itemY = y;
        y += i.empty() ? kSeparatorHeight : ItemHeight(font);
    }
    pick.height = y;
    if (itemY < 0)
        return pick;
    pick.itemListed = true;
    const int barHeight = ItemHeight(font);
    client.move_pointer(bar.root_x + x + titleWidth / 2, bar.root_y + barHeight / 2);
    xdotool({"mousedown", "1"});
    // The menu that opened has the height of the items listed.
    pick.opened = wait_until(
        [&] {
            for (const WindowInfo& w : client.window_tree())
                if (w.parent == client.root() && w.mapped && w.height == pick.height &&
                    std::abs(w.root_x - (bar.root_x + x)) <= 2)
                    return true;
            return false;
        },
        std::chrono::seconds(5));
    client.move_pointer(bar.root_x + x + 40, bar.root_y + barHeight + itemY + ItemHeight(font) / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    xdotool({"mouseup", "1"});
    return pick;
}

}  // namespace tolq::test
