// tolq started on the example net under the private Xvfb, as `make run` starts
// it: the page window appears with the page's title naming the file, the net
// is drawn (the drawing area differs from that of an empty page of the same
// name), and arcs read from the file show their arrow heads. scripts/run-tolq
// opens the same example.
#include <gtest/gtest.h>

#include <X11/Xutil.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "NetDataBaseFixture.h"
#include "process.h"
#include "xclient.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";
const std::string kExample = std::string(TOLQ_SOURCE_DIR) + "/examples/producer-consumer.tolq";
const std::string kRunTolq = std::string(TOLQ_SOURCE_DIR) + "/scripts/run-tolq";
// The page's title: the net editor names a page window by its reference
// name, the page record's name and number.
const std::string kTitle = "producer-consumer#1";

// A diagram of one empty page with the example's page name and number, with
// the data base file of an empty net beside it.
void WriteEmptyPage(const std::string& path)
{
    ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
    ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
    ASSERT_EQ(Default_Init(), kStatusOk);
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(QXWtAttr_SetPageAttr(page, "producer-consumer", 1, 0, 0, 0), 1u);
    EXPECT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    Model_DestroyTree(Model_GetRoot());
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
    WriteEmptyNetDataBase(path);
}

// The pixels of a window as dark (true) or light, row by row.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<bool> dark;
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && dark[y * width + x]; }
};

Ink ReadInk(Display* display, Drawable drawable, int width, int height)
{
    Ink ink;
    ink.width = width;
    ink.height = height;
    XImage* image = XGetImage(display, drawable, 0, 0, static_cast<unsigned>(ink.width),
                              static_cast<unsigned>(ink.height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        ADD_FAILURE() << "XGetImage failed";
        return ink;
    }
    ink.dark.resize(static_cast<size_t>(ink.width) * ink.height);
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x) {
            // The test server's screen is 24-bit true colour.
            const unsigned long pixel = XGetPixel(image, x, y);
            const unsigned long r = (pixel >> 16) & 0xff;
            const unsigned long g = (pixel >> 8) & 0xff;
            const unsigned long b = pixel & 0xff;
            ink.dark[y * ink.width + x] = r + g + b < 3 * 128;
        }
    }
    XDestroyImage(image);
    return ink;
}

Ink ReadInk(Display* display, Window window)
{
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, window, &attributes);
    return ReadInk(display, window, attributes.width, attributes.height);
}

// A page window: its shell, title bar and drawing area.
struct PageWindow {
    WindowInfo shell;
    WindowInfo title;
    WindowInfo drawing;
};

// tolq's page window: a Tolq shell whose frame holds a title bar across the
// top (at -1, -1) and the drawing area as its largest child.
std::optional<PageWindow> FindPageWindow(const XClient& client)
{
    const std::vector<WindowInfo> tree = client.window_tree();
    for (const WindowInfo& shell : tree) {
        if (shell.parent != client.root() || !shell.mapped || shell.res_class != "Tolq") {
            continue;
        }
        for (const WindowInfo& frame : tree) {
            if (frame.parent != shell.id) {
                continue;
            }
            PageWindow page{shell, {}, {}};
            for (const WindowInfo& child : tree) {
                if (child.parent != frame.id) {
                    continue;
                }
                if (child.x == -1 && child.y == -1 && child.width >= frame.width) {
                    page.title = child;
                } else if (child.width * child.height > page.drawing.width * page.drawing.height) {
                    page.drawing = child;
                }
            }
            if (page.title.id != 0 && page.drawing.id != 0) {
                return page;
            }
        }
    }
    return std::nullopt;
}

std::optional<PageWindow> WaitForPageWindow(const XClient& client)
{
    std::optional<PageWindow> page;
    wait_until([&] { return (page = FindPageWindow(client)).has_value(); }, std::chrono::milliseconds(20000));
    return page;
}

// Which columns of a text line hold ink, from its first inked column to its
// last; `background` is the brightness of the line's own pixels.
std::vector<bool> InkedColumns(const Ink& line, bool background)
{
    std::vector<bool> columns(static_cast<size_t>(line.width), false);
    for (int y = 0; y < line.height; ++y) {
        for (int x = 0; x < line.width; ++x) {
            if (line.at(x, y) != background) {
                columns[static_cast<size_t>(x)] = true;
            }
        }
    }
    const auto first = std::find(columns.begin(), columns.end(), true);
    const auto last = std::find(columns.rbegin(), columns.rend(), true).base();
    return first < last ? std::vector<bool>(first, last) : std::vector<bool>{};
}

// The text drawn here in tolq's page title font ("fixed" when the server
// lacks it), dark on light.
Ink RenderText(Display* display, const std::string& text, int width, int height)
{
    XFontStruct* font = XLoadQueryFont(display, "*-helvetica-*-r-*-120-*");
    if (font == nullptr) {
        font = XLoadQueryFont(display, "fixed");
    }
    Ink ink;
    if (font == nullptr) {
        ADD_FAILURE() << "no font";
        return ink;
    }
    const int screen = DefaultScreen(display);
    const Pixmap pixmap = XCreatePixmap(display, RootWindow(display, screen), static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), static_cast<unsigned>(DefaultDepth(display, screen)));
    const GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XSetForeground(display, gc, WhitePixel(display, screen));
    XFillRectangle(display, pixmap, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSetForeground(display, gc, BlackPixel(display, screen));
    XSetFont(display, gc, font->fid);
    XDrawString(display, pixmap, gc, 4, font->ascent + 1, text.c_str(), static_cast<int>(text.size()));
    ink = ReadInk(display, pixmap, width, height);
    XFreeGC(display, gc);
    XFreePixmap(display, pixmap);
    XFreeFont(display, font);
    return ink;
}

// The title bar shows the text: its inked columns match the text's own, once
// drawing has settled.
void ExpectTitle(const XClient& client, const PageWindow& page, const std::string& text)
{
    const Ink rendered = RenderText(client.display(), text, page.title.width, page.title.height);
    const std::vector<bool> expected = InkedColumns(rendered, false);
    ASSERT_FALSE(expected.empty());
    std::vector<bool> shown;
    EXPECT_TRUE(wait_until([&] {
        client.sync();
        const Ink bar = ReadInk(client.display(), page.title.id);
        shown = InkedColumns(bar, bar.at(0, 0));
        return shown == expected;
    })) << "the title's text is " << shown.size() << " columns wide, \"" << text << "\" " << expected.size();
}

// The longest unbroken vertical run of dark pixels: the arc from Buffer down
// to Consume. Its column and its last row.
struct VerticalRun {
    int x = -1;
    int end = -1;
    int length = 0;
};

VerticalRun LongestVerticalRun(const Ink& ink)
{
    VerticalRun best;
    for (int x = 0; x < ink.width; ++x) {
        int length = 0;
        for (int y = 0; y < ink.height; ++y) {
            length = ink.at(x, y) ? length + 1 : 0;
            if (length > best.length) {
                best = {x, y, length};
            }
        }
    }
    return best;
}

// Rows of an arrow head at the lower end of a vertical arc: from the arc's
// last row down to the edge of the node it points at (a row dark across the
// whole neighbourhood), the rows with more than the line's own pixel. An arc
// without a head runs straight into that edge and has none.
int ArrowHeadRows(const Ink& ink, const VerticalRun& arc)
{
    int rows = 0;
    for (int y = arc.end; y < ink.height; ++y) {
        int count = 0;
        for (int dx = -9; dx <= 9; ++dx) {
            count += ink.at(arc.x + dx, y) ? 1 : 0;
        }
        if (count >= 15) {
            break;
        }
        rows += count >= 2 ? 1 : 0;
    }
    return rows;
}

int DarkPixels(const Ink& ink)
{
    return static_cast<int>(std::count(ink.dark.begin(), ink.dark.end(), true));
}

int DifferentPixels(const Ink& a, const Ink& b)
{
    int different = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y) {
        for (int x = 0; x < std::min(a.width, b.width); ++x) {
            different += a.at(x, y) != b.at(x, y) ? 1 : 0;
        }
    }
    return different;
}

// The drawing area once it has stopped changing.
Ink SettledDrawing(const XClient& client, const PageWindow& page)
{
    Ink last;
    Ink now = ReadInk(client.display(), page.drawing.id);
    wait_until([&] {
        client.sync();
        last = now;
        now = ReadInk(client.display(), page.drawing.id);
        return now.dark == last.dark && DarkPixels(now) > 0;
    }, std::chrono::milliseconds(3000));
    return now;
}

class ExampleWindowTest : public ::testing::Test {
protected:
    XClient client_;
};

TEST_F(ExampleWindowTest, OpensThePageTitledWithTheFileAndDrawsTheNet)
{
    TempDir dir;
    const std::string empty = dir.file("producer-consumer.tolq");
    WriteEmptyPage(empty);

    Ink emptyInk;
    {
        BackgroundProcess tolq({kTolq, empty});
        const std::optional<PageWindow> page = WaitForPageWindow(client_);
        ASSERT_TRUE(page.has_value());
        ExpectTitle(client_, *page, kTitle);
        client_.sync();
        emptyInk = ReadInk(client_.display(), page->drawing.id);
    }
    ASSERT_TRUE(wait_until([&] { return !FindPageWindow(client_).has_value(); }));

    BackgroundProcess tolq({kTolq, kExample});
    const std::optional<PageWindow> page = WaitForPageWindow(client_);
    ASSERT_TRUE(page.has_value());
    ExpectTitle(client_, *page, kTitle);
    const Ink netInk = SettledDrawing(client_, *page);
    ASSERT_EQ(netInk.width, emptyInk.width);
    ASSERT_EQ(netInk.height, emptyInk.height);
    // Nodes, arcs and inscriptions: thousands of pixels an empty page does not have.
    EXPECT_GT(DifferentPixels(netInk, emptyInk), 2000);
    EXPECT_GT(DarkPixels(netInk), DarkPixels(emptyInk) + 2000);
    EXPECT_TRUE(tolq.running());
}

// Arrow heads are made when the page of a diagram read from a file becomes
// current: the arc from Buffer down to Consume ends in one.
TEST_F(ExampleWindowTest, ArcsReadFromTheFileShowTheirArrowHeads)
{
    BackgroundProcess tolq({kTolq, kExample});
    const std::optional<PageWindow> page = WaitForPageWindow(client_);
    ASSERT_TRUE(page.has_value());
    const Ink ink = SettledDrawing(client_, *page);
    const VerticalRun arc = LongestVerticalRun(ink);
    ASSERT_GT(arc.length, 100);
    EXPECT_GE(ArrowHeadRows(ink, arc), 4) << "no arrow head at the end of the arc at x = " << arc.x;
}

TEST_F(ExampleWindowTest, RunScriptOpensTheExample)
{
    BackgroundProcess script({kRunTolq, std::string(TOLQ_BIN_DIR) + "/.."});
    const std::optional<PageWindow> page = WaitForPageWindow(client_);
    ASSERT_TRUE(page.has_value());
    ExpectTitle(client_, *page, kTitle);
    EXPECT_TRUE(script.running());
}

}  // namespace
}  // namespace tolq::test
