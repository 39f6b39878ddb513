// The test harness itself: a private Xvfb, a window drawn by a client, pixels, window
// trees and input read back from the server; child processes with their exit statuses.
#include <gtest/gtest.h>

#include "process.h"
#include "xvfb.h"
#include "xclient.h"

#include <X11/Xutil.h>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

// A client of its own that maps a named window and fills a red square on white.
class DrawnWindow {
public:
    DrawnWindow() : dpy_(XOpenDisplay(nullptr)) {
        if (!dpy_) throw std::runtime_error("no display");
        int screen = DefaultScreen(dpy_);
        window_ = XCreateSimpleWindow(dpy_, RootWindow(dpy_, screen), 10, 20, 200, 100, 0,
                                      BlackPixel(dpy_, screen), WhitePixel(dpy_, screen));
        XStoreName(dpy_, window_, "harness-window");
        XSelectInput(dpy_, window_, ExposureMask | ButtonPressMask | KeyPressMask);
        XMapWindow(dpy_, window_);
        XSync(dpy_, False);
    }
    ~DrawnWindow() { XCloseDisplay(dpy_); }

    void fill_red_square() {
        XColor red;
        Colormap map = DefaultColormap(dpy_, DefaultScreen(dpy_));
        XParseColor(dpy_, map, "#ff0000", &red);
        XAllocColor(dpy_, map, &red);
        GC gc = XCreateGC(dpy_, window_, 0, nullptr);
        XSetForeground(dpy_, gc, red.pixel);
        XFillRectangle(dpy_, window_, gc, 50, 30, 40, 20);
        XFreeGC(dpy_, gc);
        XSync(dpy_, False);
    }

    // The first button press seen within the limit, as window coordinates.
    std::optional<std::pair<int, int>> wait_button_press() {
        std::optional<std::pair<int, int>> where;
        wait_until([&] {
            while (XPending(dpy_)) {
                XEvent ev;
                XNextEvent(dpy_, &ev);
                if (ev.type == ButtonPress) where = std::make_pair(ev.xbutton.x, ev.xbutton.y);
            }
            return where.has_value();
        });
        return where;
    }

    Window window() const { return window_; }

private:
    Display* dpy_;
    Window window_ = 0;
};

TEST(Harness, DisplayIsPrivateServer) {
    const char* display = getenv("DISPLAY");
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(XvfbEnvironment::display(), display);
}

TEST(Harness, DrawnPixelsReadBack) {
    DrawnWindow drawn;
    XClient client;
    auto info = client.wait_for_window("harness-window");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->width, 200);
    EXPECT_EQ(info->height, 100);
    drawn.fill_red_square();
    client.sync();
    EXPECT_EQ(client.pixel(drawn.window(), 60, 40), (Rgb{255, 0, 0}));
    EXPECT_EQ(client.pixel(drawn.window(), 5, 5), (Rgb{255, 255, 255}));
    EXPECT_EQ(client.count_pixels(drawn.window(), 40, 20, 60, 40, Rgb{255, 0, 0}), 40 * 20);
}

TEST(Harness, ScreenshotIsPng) {
    DrawnWindow drawn;
    XClient client;
    ASSERT_TRUE(client.wait_for_window("harness-window"));
    drawn.fill_red_square();
    TempDir dir;
    client.screenshot(drawn.window(), dir.file("shot.png"));
    std::string png = read_file(dir.file("shot.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(Harness, XTestClickReachesWindow) {
    DrawnWindow drawn;
    XClient client;
    auto info = client.wait_for_window("harness-window");
    ASSERT_TRUE(info.has_value());
    client.click(info->root_x + 33, info->root_y + 44);
    auto press = drawn.wait_button_press();
    ASSERT_TRUE(press.has_value());
    EXPECT_EQ(press->first, 33);
    EXPECT_EQ(press->second, 44);
}

TEST(Harness, XdotoolSeesWindow) {
    DrawnWindow drawn;
    XClient client;
    ASSERT_TRUE(client.wait_for_window("harness-window"));
    auto r = xdotool({"search", "--name", "harness-window"});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(std::stoul(r.out), drawn.window());
}

TEST(Process, ExitStatusOutputAndInput) {
    struct Case {
        std::vector<std::string> argv;
        std::string input;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {{"sh", "-c", "exit 3"}, "", 3, ""},
        {{"cat"}, "hello\n", 0, "hello\n"},
        {{"sh", "-c", "echo out; echo err >&2"}, "", 0, "out\n"},
    };
    for (const auto& c : cases) {
        ProcessOptions options;
        options.stdin_data = c.input;
        auto r = run_process(c.argv, options);
        EXPECT_EQ(r.exit_status, c.status) << c.argv.back();
        EXPECT_EQ(r.out, c.out) << c.argv.back();
    }
}

TEST(Process, LargeInputAndOutputDoNotDeadlock) {
    ProcessOptions options;
    options.stdin_data.assign(1 << 20, 'x');
    auto r = run_process({"cat"}, options);
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out.size(), size_t{1} << 20);
}

TEST(Process, TimeoutKills) {
    ProcessOptions options;
    options.timeout = std::chrono::milliseconds(200);
    auto r = run_process({"sleep", "10"}, options);
    EXPECT_TRUE(r.timed_out);
}

} // namespace
} // namespace tolq::test
