// Finding tolq's main and page windows in the window tree.
#include "tolq_windows.h"

#include <algorithm>

namespace tolq::test {

TolqWindows ScanTolqWindows(const XClient& client)
{
    const std::vector<WindowInfo> tree = client.window_tree();
    auto children = [&](Window parent) {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : tree)
            if (w.parent == parent)
                out.push_back(w);
        return out;
    };
    TolqWindows found;
    for (const WindowInfo& shell : children(client.root())) {
        if (!shell.mapped || shell.res_class != "Tolq" || shell.res_name != "tolq")
            continue;
        for (const WindowInfo& frame : children(shell.id)) {
            const std::vector<WindowInfo> inner = children(frame.id);
            const auto title =
                std::find_if(inner.begin(), inner.end(), [](const WindowInfo& w) { return w.x == -1 && w.y == -1; });
            if (title != inner.end()) {
                TolqPageWindow page{shell, *title, {}};
                for (const WindowInfo& w : inner)
                    if (w.width * w.height > page.drawing.width * page.drawing.height && w.id != title->id)
                        page.drawing = w;
                found.pages.push_back(page);
            } else if (inner.size() == 2) {
                found.main = shell;
                found.bar = inner[0].y < inner[1].y ? inner[0] : inner[1];
            }
        }
    }
    return found;
}

}  // namespace tolq::test
