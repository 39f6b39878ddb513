// A session with the real tolq program under the private Xvfb: tolq started
// on a copy of the example net with its own home directory, its main window,
// menu bar and page window found in the window tree, menus picked as a user
// picks them, dialogs found and answered, the window manager's close sent.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "process.h"
#include "tolq_windows.h"
#include "xclient.h"

namespace tolq::test {

using namespace std::chrono_literals;

inline const std::string kTolqProgram = std::string(TOLQ_BIN_DIR) + "/tolq";
inline const std::string kExampleNet = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";

// The menu bar as tolq lays it out and the items of its menus ("" is a
// separator).
inline const std::vector<std::string> kMenuTitles = {"File", "Edit", "TOLQ", "Aux", "Set",
                                                     "Makeup", "Page", "Group", "Text", "Align"};
inline const std::map<std::string, std::vector<std::string>> kMenuItems = {
    {"Aux",
     {"Connector", "Box", "RoundedBox", "Ellipse", "Polygon", "Regular Polygon", "Wedge", "Line", "Label", "",
      "Make Region", "Make Node", "", "Convert to TOLQ...", "Convert to Aux", "", "Start ML", "ML Evaluate"}},
    {"Set",
     {"Text Attributes...", "Graphic Attributes...", "Shape Attributes...", "Region Attributes...", "",
      "Page Attributes...", "Mode Attributes...", "", "Chart Attributes...", "", "Hierarchy Page Options...",
      "Interaction Options...", "", "Merge Options...", "Text Options...", "Syntax Options...", "",
      "Simulation Code Options...", "General Simulation Options...", "Interactive Simulation Options...",
      "Occurrence Set Options...", "Transition Feedback Options...", "", "ML Configuration Options...", "",
      "Copy Defaults..."}},
};
inline constexpr int kMenuSeparatorHeight = 8;

// Windows of tolq come and go while the tree is read; one that has gone just
// drops out of the reading.
inline int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

class TolqSession : public ::testing::Test {
protected:
    void SetUp() override { XSetErrorHandler(IgnoreXErrors); }

    void TearDown() override
    {
        if (font_ != nullptr)
            XFreeFont(client_.display(), font_);
        font_ = nullptr;
    }

    // tolq on a fresh copy of the example net, with the given home directory
    // (HOME is left out of the environment when home is empty), its standard
    // output written to the file when one is named.
    void Start(const std::string& home, std::vector<std::string> extra = {}, const std::string& output = {})
    {
        if (!std::filesystem::exists(diagram_)) {
            diagram_ = dir_.file("net.tolq");
            std::filesystem::copy_file(kExampleNet, diagram_);
            std::filesystem::copy_file(kExampleNet + ".DB", diagram_ + ".DB");
        }
        std::vector<std::string> argv;
        if (!output.empty())
            argv = {"/bin/sh", "-c", "exec \"$@\" > \"$TOLQ_OUTPUT\"", "sh"};
        argv.push_back("/usr/bin/env");
        if (home.empty())
            argv.insert(argv.end(), {"-u", "HOME"});
        else
            argv.push_back("HOME=" + home);
        argv.push_back(kTolqProgram);
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(diagram_);
        tolq_ = BackgroundProcess(argv, {{"TOLQ_OUTPUT", output}}, dir_.path());
    }

    // Waits for the main window and the page window; false when they did not
    // come (a dialog may hold the start-up).
    bool WaitForWindows(std::chrono::milliseconds limit = 30s)
    {
        if (!wait_until([&] { return FindWindows(); }, limit))
            return false;
        xdotool({"windowmove", std::to_string(page_.id), "0", "120"});
        if (!wait_until([&] { return FindWindows() && drawing_.root_y > 120; }))
            return false;
        if (font_ == nullptr) {
            font_ = XLoadQueryFont(client_.display(), "*-helvetica-bold-r*-14-*");
            if (font_ == nullptr)
                font_ = XLoadQueryFont(client_.display(), "fixed");
        }
        return font_ != nullptr;
    }

    bool FindWindows()
    {
        const TolqWindows found = ScanTolqWindows(client_);
        if (!found.pages.empty()) {
            page_ = found.pages.back().shell;
            drawing_ = found.pages.back().drawing;
        }
        if (found.main.id != 0) {
            main_ = found.main;
            bar_ = found.bar;
        }
        return found.main.id != 0 && !found.pages.empty() && drawing_.id != 0;
    }

    int TextWidth(const std::string& text) const
    {
        return XTextWidth(font_, text.c_str(), static_cast<int>(text.size()));
    }

    int ItemHeight() const { return font_->ascent + font_->descent + 4; }

    // Root position of the menu's left edge, and its items' total height.
    std::pair<int, int> MenuPlace(const std::string& title) const
    {
        const int em = TextWidth("M");
        int x = 0;
        for (const std::string& t : kMenuTitles) {
            if (t == title)
                break;
            x += TextWidth(t) + 2 * em;
        }
        int height = 0;
        for (const std::string& i : kMenuItems.at(title))
            height += i.empty() ? kMenuSeparatorHeight : ItemHeight();
        return {bar_.root_x + x, height};
    }

    int ItemTop(const std::string& title, const std::string& item) const
    {
        int y = 0;
        for (const std::string& i : kMenuItems.at(title)) {
            if (i == item)
                return y;
            y += i.empty() ? kMenuSeparatorHeight : ItemHeight();
        }
        return -1;
    }

    // The pull-down menu of the title while it is open.
    std::optional<WindowInfo> OpenMenu(const std::string& title) const
    {
        const auto [left, height] = MenuPlace(title);
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.height == height && std::abs(w.root_x - left) <= 2)
                return w;
        return std::nullopt;
    }

    // Presses on the title and keeps the button down; true when the menu opened.
    bool PressTitle(const std::string& title)
    {
        const auto [left, height] = MenuPlace(title);
        const int titleWidth = TextWidth(title) + 2 * TextWidth("M");
        client_.move_pointer(left - bar_.root_x + bar_.root_x + titleWidth / 2, bar_.root_y + ItemHeight() / 2);
        xdotool({"mousedown", "1"});
        return wait_until([&] { return OpenMenu(title).has_value(); }, 5s);
    }

    // Picks the item as a user does: press on the title, move onto the item,
    // release.
    void Pick(const std::string& title, const std::string& item)
    {
        const int itemY = ItemTop(title, item);
        ASSERT_GE(itemY, 0) << item;
        const bool opened = PressTitle(title);
        const auto [left, height] = MenuPlace(title);
        client_.move_pointer(left + 40, bar_.root_y + ItemHeight() + itemY + ItemHeight() / 2);
        std::this_thread::sleep_for(100ms);
        xdotool({"mouseup", "1"});
        ASSERT_TRUE(opened) << title << " did not open with " << height << " pixels of items";
        Settle();
    }

    void Settle() const
    {
        client_.sync();
        std::this_thread::sleep_for(400ms);
    }

    std::vector<WindowInfo> Dialogs() const
    {
        std::vector<WindowInfo> out;
        for (const WindowInfo& w : client_.window_tree())
            if (w.parent == client_.root() && w.mapped && w.res_name == "dialog")
                out.push_back(w);
        return out;
    }

    std::optional<WindowInfo> WaitForDialog(std::chrono::milliseconds limit = 20s) const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            const std::vector<WindowInfo> dialogs = Dialogs();
            if (!dialogs.empty())
                found = dialogs.front();
            return found.has_value();
        }, limit);
        return found;
    }

    bool NoDialogLeft() const
    {
        return wait_until([&] { return Dialogs().empty(); }, 10s);
    }

    // Presses the dialog's default button from the keyboard.
    void PressReturn(const WindowInfo& dialog)
    {
        client_.move_pointer(dialog.root_x + dialog.width / 2, dialog.root_y + dialog.height / 2);
        client_.key("Return");
        Settle();
    }

    // The file selector's shell once it is up (ten seconds at most).
    std::optional<WindowInfo> WaitForFileSelector() const
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            for (const WindowInfo& w : client_.window_tree())
                if (w.parent == client_.root() && w.mapped && w.res_name == "selFile")
                    found = w;
            return found.has_value();
        }, std::chrono::seconds(10));
        return found;
    }

    void CloseFromWindowManager(Window window)
    {
        Display* display = client_.display();
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        Settle();
    }

    // Ends tolq with the window manager's close of its main window; a save
    // question is answered with its third button ("No").
    void CloseWithoutSaving()
    {
        CloseFromWindowManager(main_.id);
        // "No" lies where the question's dialog table puts it.
        if (std::optional<WindowInfo> question = WaitForDialog(3s)) {
            client_.click(question->root_x + 266, question->root_y + 110);
            Settle();
        }
    }

    // True when tolq ended by itself with status 0.
    bool EndedCleanly()
    {
        const int status = tolq_.wait(20s);
        return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    TempDir dir_;
    XClient client_;
    std::string diagram_;
    BackgroundProcess tolq_;
    WindowInfo main_, bar_, page_, drawing_;
    XFontStruct* font_ = nullptr;
};

}  // namespace tolq::test
