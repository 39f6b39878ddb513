// Test-side X client: window trees, pixels, screenshots and XTest input.
#include "xclient.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>

namespace tolq::test {
namespace {

using ImagePtr = std::unique_ptr<XImage, int (*)(XImage*)>;

int destroy_image(XImage* image) { return XDestroyImage(image); }

ImagePtr get_image(Display* dpy, Window window, int x, int y, int width, int height) {
    XImage* image = XGetImage(dpy, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) throw std::runtime_error("XGetImage failed");
    return ImagePtr(image, destroy_image);
}

int mask_shift(unsigned long mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

uint8_t mask_channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    unsigned long value = (pixel & mask) >> mask_shift(mask);
    unsigned long max = mask >> mask_shift(mask);
    return static_cast<uint8_t>(value * 255 / max);
}

// Turns pixel values of one window into colours: straight from the masks on a
// TrueColor visual, through the window's colormap otherwise.
class PixelDecoder {
public:
    PixelDecoder(Display* dpy, Window window) : dpy_(dpy) {
        XWindowAttributes attrs;
        XGetWindowAttributes(dpy, window, &attrs);
        colormap_ = attrs.colormap;
        visual_ = attrs.visual;
    }
    Rgb operator()(unsigned long pixel) const {
        if (visual_ && visual_->c_class == TrueColor)
            return {mask_channel(pixel, visual_->red_mask), mask_channel(pixel, visual_->green_mask),
                    mask_channel(pixel, visual_->blue_mask)};
        XColor colour;
        colour.pixel = pixel;
        XQueryColor(dpy_, colormap_, &colour);
        return {static_cast<uint8_t>(colour.red >> 8), static_cast<uint8_t>(colour.green >> 8),
                static_cast<uint8_t>(colour.blue >> 8)};
    }

private:
    Display* dpy_;
    Colormap colormap_ = 0;
    Visual* visual_ = nullptr;
};

std::string text_property(Display* dpy, Window w) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(dpy, w, &name) && name) {
        result = name;
        XFree(name);
    }
    return result;
}

void sleep_ms(int ms) {
    struct timespec ts{ms / 1000, (ms % 1000) * 1'000'000L};
    nanosleep(&ts, nullptr);
}

} // namespace

XClient::XClient() {
    dpy_ = XOpenDisplay(nullptr);
    if (!dpy_) throw std::runtime_error("XClient: cannot open display");
}

XClient::~XClient() {
    if (dpy_) XCloseDisplay(dpy_);
}

Window XClient::root() const { return DefaultRootWindow(dpy_); }

std::vector<WindowInfo> XClient::window_tree() const {
    std::vector<WindowInfo> result;
    std::function<void(Window, int, int)> walk = [&](Window w, int ox, int oy) {
        Window root_return, parent;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy_, w, &root_return, &parent, &children, &count)) return;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attrs;
            if (!XGetWindowAttributes(dpy_, children[i], &attrs)) continue;
            WindowInfo info;
            info.id = children[i];
            info.parent = w;
            info.name = text_property(dpy_, children[i]);
            XClassHint hint{};
            if (XGetClassHint(dpy_, children[i], &hint)) {
                if (hint.res_name) info.res_name = hint.res_name, XFree(hint.res_name);
                if (hint.res_class) info.res_class = hint.res_class, XFree(hint.res_class);
            }
            info.x = attrs.x;
            info.y = attrs.y;
            info.root_x = ox + attrs.x + attrs.border_width;
            info.root_y = oy + attrs.y + attrs.border_width;
            info.width = attrs.width;
            info.height = attrs.height;
            info.mapped = attrs.map_state == IsViewable;
            result.push_back(info);
            walk(children[i], info.root_x, info.root_y);
        }
        if (children) XFree(children);
    };
    walk(root(), 0, 0);
    return result;
}

std::optional<WindowInfo> XClient::message_box_button() const
{
    const std::vector<WindowInfo> tree = window_tree();
    for (const WindowInfo& shell : tree) {
        if (shell.parent != root() || !shell.mapped || shell.res_name != "dialog")
            continue;
        for (const WindowInfo& form : tree) {
            if (form.parent != shell.id)
                continue;
            for (const WindowInfo& child : tree) {
                if (child.parent == form.id && child.height < 40)
                    return child;
            }
        }
    }
    return std::nullopt;
}

std::optional<WindowInfo> XClient::wait_for_window(const std::string& name_or_class,
                                                   std::chrono::milliseconds limit, bool must_be_mapped) const {
    std::optional<WindowInfo> found;
    wait_until(
        [&] {
            for (const auto& w : window_tree()) {
                bool named = w.name == name_or_class || w.res_name == name_or_class || w.res_class == name_or_class;
                if (named && (!must_be_mapped || w.mapped)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        limit);
    return found;
}

Rgb XClient::pixel(Window window, int x, int y) const {
    auto image = get_image(dpy_, window, x, y, 1, 1);
    return PixelDecoder(dpy_, window)(XGetPixel(image.get(), 0, 0));
}

int XClient::count_pixels(Window window, int x, int y, int width, int height, Rgb colour) const {
    auto image = get_image(dpy_, window, x, y, width, height);
    PixelDecoder decode(dpy_, window);
    int count = 0;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            if (decode(XGetPixel(image.get(), i, j)) == colour) ++count;
    return count;
}

void XClient::screenshot(Window window, const std::string& png_path) const {
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(dpy_, window, &attrs)) throw std::runtime_error("screenshot: no such window");
    auto image = get_image(dpy_, window, 0, 0, attrs.width, attrs.height);
    PixelDecoder decode(dpy_, window);
    std::string ppm = "P6\n" + std::to_string(attrs.width) + " " + std::to_string(attrs.height) + "\n255\n";
    for (int j = 0; j < attrs.height; ++j)
        for (int i = 0; i < attrs.width; ++i) {
            Rgb c = decode(XGetPixel(image.get(), i, j));
            ppm.push_back(static_cast<char>(c.r));
            ppm.push_back(static_cast<char>(c.g));
            ppm.push_back(static_cast<char>(c.b));
        }
    std::string ppm_path = png_path + ".ppm";
    write_file(ppm_path, ppm);
    auto r = run_process({"convert", ppm_path, png_path});
    std::remove(ppm_path.c_str());
    if (r.exit_status != 0) throw std::runtime_error("screenshot: convert failed: " + r.err);
}

void XClient::move_pointer(int root_x, int root_y) const {
    XTestFakeMotionEvent(dpy_, -1, root_x, root_y, CurrentTime);
    sync();
}

void XClient::click(int root_x, int root_y, unsigned button) const {
    move_pointer(root_x, root_y);
    XTestFakeButtonEvent(dpy_, button, True, CurrentTime);
    XTestFakeButtonEvent(dpy_, button, False, CurrentTime);
    sync();
}

void XClient::key(const std::string& keysym_name, bool with_control, bool with_shift) const {
    KeySym sym = XStringToKeysym(keysym_name.c_str());
    if (sym == NoSymbol) throw std::invalid_argument("key: unknown keysym " + keysym_name);
    KeyCode code = XKeysymToKeycode(dpy_, sym);
    KeyCode control = XKeysymToKeycode(dpy_, XK_Control_L);
    KeyCode shift = XKeysymToKeycode(dpy_, XK_Shift_L);
    if (with_control) XTestFakeKeyEvent(dpy_, control, True, CurrentTime);
    if (with_shift) XTestFakeKeyEvent(dpy_, shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy_, code, False, CurrentTime);
    if (with_shift) XTestFakeKeyEvent(dpy_, shift, False, CurrentTime);
    if (with_control) XTestFakeKeyEvent(dpy_, control, False, CurrentTime);
    sync();
}

void XClient::type_text(const std::string& text) const {
    auto r = xdotool({"type", "--delay", "5", text});
    if (r.exit_status != 0) throw std::runtime_error("type_text: xdotool failed: " + r.err);
}

void XClient::sync() const {
    XSync(dpy_, False);
    sleep_ms(1);
}

ProcessResult xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_process(argv);
}

} // namespace tolq::test
