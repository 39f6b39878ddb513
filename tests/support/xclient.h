// Test-side X client: a connection to the test's server, real input through XTest
// and xdotool, window trees and pixels read back from the server.
#pragma once
// Include GoogleTest before this header: Xlib's macros (None, Bool, Status) clash with it.

#include "process.h"

#include <X11/Xlib.h>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolq::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct WindowInfo {
    Window id = 0;
    Window parent = 0;
    std::string name;      // WM_NAME, may be empty
    std::string res_name;  // WM_CLASS instance
    std::string res_class; // WM_CLASS class
    int x = 0, y = 0;      // relative to the parent
    int root_x = 0, root_y = 0;
    int width = 0, height = 0;
    bool mapped = false;
};

// A connection to $DISPLAY, closed on destruction.
class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    Display* display() const { return dpy_; }
    Window root() const;

    // Every window below the root, depth first.
    std::vector<WindowInfo> window_tree() const;
    // The first window whose WM_NAME or WM_CLASS name/class equals the text, waiting up to the limit.
    // The button of a mapped message box (a "dialog" shell): the small child
    // of its form.
    std::optional<WindowInfo> message_box_button() const;
    std::optional<WindowInfo> wait_for_window(const std::string& name_or_class,
                                              std::chrono::milliseconds limit = std::chrono::milliseconds(10000),
                                              bool must_be_mapped = true) const;

    // Pixels as the screen shows them, read with XGetImage.
    Rgb pixel(Window window, int x, int y) const;
    // Counts the pixels of the rectangle that have the colour.
    int count_pixels(Window window, int x, int y, int width, int height, Rgb colour) const;
    // Writes the window's contents as a PNG (through a PPM and ImageMagick's convert).
    void screenshot(Window window, const std::string& png_path) const;

    // Real input through XTest, at root coordinates.
    void move_pointer(int root_x, int root_y) const;
    void click(int root_x, int root_y, unsigned button = 1) const;
    void key(const std::string& keysym_name, bool with_control = false, bool with_shift = false) const;
    void type_text(const std::string& text) const;

    // Waits until the server has handled everything sent so far.
    void sync() const;

private:
    Display* dpy_ = nullptr;
};

// Runs xdotool against $DISPLAY.
ProcessResult xdotool(const std::vector<std::string>& args);

// Polls the condition every 20 ms until it holds or the limit passes.
template <typename Pred>
bool wait_until(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        struct timespec ts{0, 20'000'000};
        nanosleep(&ts, nullptr);
    }
    return true;
}

} // namespace tolq::test
