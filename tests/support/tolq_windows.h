// tolq's top-level windows as the tests find them in the server's window
// tree: the main window with its menu bar, and every page window with its
// title bar and drawing area.
#pragma once

#include <vector>

#include "xclient.h"

namespace tolq::test {

struct TolqPageWindow {
    WindowInfo shell;
    WindowInfo title;
    WindowInfo drawing;  // id 0 while the drawing area is not there yet
};

struct TolqWindows {
    WindowInfo main;  // id 0 until the main window is mapped
    WindowInfo bar;
    std::vector<TolqPageWindow> pages;  // in the order of the window tree
};

// Reads the window tree once: mapped "tolq"/"Tolq" shells whose frame holds a
// title bar (placed at -1,-1) are page windows, the one whose frame holds two
// children is the main window (the upper child is the menu bar).
TolqWindows ScanTolqWindows(const XClient& client);

}  // namespace tolq::test
