// The status widget, the widget support and the Motif placeholder, against a
// private X server: segments, inverse video, widths, geometry managers, thumbs.
#include <gtest/gtest.h>

#include "xclient.h"
#include "xvfb.h"
#include "xt_fixture.h"

#include "xkv/Xmempty/motifempty.h"
#include "xkv/platform/xwindows/PlStatus.h"
#include "xkv/platform/xwindows/Widget.h"

#include <X11/IntrinsicP.h>
#include <X11/CompositeP.h>
#include <X11/Shell.h>
#include <X11/Xaw/Form.h>

#include <string>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

class StatusStrip : public ::testing::Test {
protected:
    Widget Make(int segments, int minWidth)
    {
        Arg shellArgs[2];
        XtSetArg(shellArgs[0], XtNwidth, 1300);
        XtSetArg(shellArgs[1], XtNheight, 40);
        shell_ = XtAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, x_.display(), shellArgs, 2);
        Arg args[4];
        Cardinal n = 0;
        XtSetArg(args[n], const_cast<String>("stringCount"), segments);
        ++n;
        XtSetArg(args[n], const_cast<String>("min_width"), minWidth);
        ++n;
        XtSetArg(args[n], XtNbackground, WhitePixel(x_.display(), DefaultScreen(x_.display())));
        ++n;
        XtSetArg(args[n], XtNforeground, BlackPixel(x_.display(), DefaultScreen(x_.display())));
        ++n;
        Widget form = XtCreateManagedWidget("menu", formWidgetClass, shell_, nullptr, 0);
        Arg constraints[4];
        XtSetArg(constraints[0], XtNleft, XawChainLeft);
        XtSetArg(constraints[1], XtNright, XawChainLeft);
        XtSetArg(constraints[2], XtNtop, XawChainTop);
        XtSetArg(constraints[3], XtNbottom, XawChainTop);
        Widget strip = XtCreateWidget("statusbar", statusWidgetClass, form, args, n);
        XtSetValues(strip, constraints, 4);
        XtManageChild(strip);
        XtRealizeWidget(shell_);
        XSync(x_.display(), False);
        Pump();
        return strip;
    }

    // Dispatches what the server sent until it has been quiet for a moment.
    void Pump()
    {
        for (int quiet = 0; quiet < 5;) {
            XSync(x_.display(), False);
            XEvent* event = nullptr;
            MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                ++quiet;
                struct timespec ts{0, 10'000'000};
                nanosleep(&ts, nullptr);
                continue;
            }
            quiet = 0;
            XtDispatchEvent(event);
            Events_FreeRecord(record);
        }
    }

    int Ink(Widget strip, int x, int width)
    {
        XClient client;
        return client.count_pixels(XtWindow(strip), x, 0, width, strip->core.height, kBlack);
    }

    void TearDown() override
    {
        if (shell_ != nullptr) {
            XtDestroyWidget(shell_);
        }
    }

    XtConnection x_;
    Widget shell_ = nullptr;
};

TEST_F(StatusStrip, ReportsItsMinimumWidthWhileItsWindowIs1200Wide)
{
    Widget strip = Make(4, 300);
    EXPECT_EQ(strip->core.width, 300);
    EXPECT_EQ(Status_GetMinWidth(strip), 300);
    XWindowAttributes attributes;
    XGetWindowAttributes(x_.display(), XtWindow(strip), &attributes);
    EXPECT_EQ(attributes.width, 1200);
}

TEST_F(StatusStrip, SegmentTextsAreCutTo119AndMovedWithoutNewText)
{
    Widget strip = Make(4, 300);
    std::string longText(200, 'M');
    Status_SetString(strip, longText.c_str(), 1, 10);
    ASSERT_NE(Status_GetString(strip, 1), nullptr);
    EXPECT_EQ(std::string(Status_GetString(strip, 1)), std::string(119, 'M'));

    Status_SetString(strip, "MMMM", 0, 10);
    Status_SetString(strip, nullptr, 1, 0);
    XSync(x_.display(), False);
    EXPECT_GT(Ink(strip, 10, 40), 0);
    EXPECT_EQ(Ink(strip, 600, 60), 0);
    // A text value of 1 keeps the text and moves it only.
    Status_SetString(strip, reinterpret_cast<const char*>(1), 0, 600);
    XSync(x_.display(), False);
    EXPECT_STREQ(Status_GetString(strip, 0), "MMMM");
    EXPECT_EQ(Ink(strip, 0, 100), 0);
    EXPECT_GT(Ink(strip, 600, 60), 0);
    // Out-of-range segments are ignored.
    Status_SetString(strip, "x", 4, 0);
    Status_SetString(strip, "x", -1, 0);
    EXPECT_EQ(Status_GetString(strip, 4), nullptr);
    EXPECT_EQ(Status_GetString(strip, 2), nullptr) << "an empty segment gives null";
}

TEST_F(StatusStrip, WidthsOfSegmentsAndStrings)
{
    Widget strip = Make(4, 300);
    XFontStruct* font = nullptr;
    XtVaGetValues(strip, XtNfont, &font, nullptr);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(Status_TextWidth(strip, 0), 0) << "an empty segment";
    Status_SetString(strip, "Type: None", 0, 1);
    EXPECT_EQ(Status_TextWidth(strip, 0), XTextWidth(font, "Type: None", 10));
    EXPECT_EQ(Status_StringWidth(strip, "MM"), XTextWidth(font, "MM", 2));
    // An index that names no segment is never taken as a string address.
    EXPECT_EQ(Status_TextWidth(strip, 4), 0);
    EXPECT_EQ(Status_TextWidth(strip, 0x7fffffff), 0);
    EXPECT_EQ(Status_TextWidth(strip, -3), 0);
}

TEST_F(StatusStrip, SingleSegmentKeepsItsOwnCopyOfTheTitle)
{
    Widget strip = Make(1, 200);
    {
        std::string title = "Page MMMM";
        Status_SetString(strip, title.c_str(), 0, 5);
        title.assign(title.size(), 'x');
    } // the caller's string is gone
    XClearArea(x_.display(), XtWindow(strip), 0, 0, 0, 0, True);
    Pump();
    EXPECT_STREQ(Status_GetString(strip, 0), "Page MMMM");
    EXPECT_GT(Ink(strip, 5, 100), 0);
}

TEST_F(StatusStrip, InverseVideoOnATitleFillsTheStripAndDrawsInTheBackground)
{
    Widget strip = Make(1, 200);
    Status_SetString(strip, "MMMM", 0, 10);
    Status_SetInverse(strip, 1);
    XSync(x_.display(), False);
    XClient client;
    int height = strip->core.height;
    EXPECT_EQ(client.count_pixels(XtWindow(strip), 1100, 0, 100, height, kBlack), 100 * height);
    EXPECT_GT(client.count_pixels(XtWindow(strip), 10, 0, 40, height, kWhite), 0);
    Status_SetInverse(strip, 0);
    XSync(x_.display(), False);
    EXPECT_EQ(client.count_pixels(XtWindow(strip), 1100, 0, 100, height, kWhite), 100 * height);
}

Widget picked = nullptr;
void RememberPick(Widget widget)
{
    picked = widget;
}

TEST_F(StatusStrip, FirstButtonPressCallsTheCallback)
{
    Widget strip = Make(1, 200);
    XtPopup(shell_, XtGrabNone);
    Pump();
    Status_SetCallback(strip, RememberPick);
    picked = nullptr;
    XClient client;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    XTranslateCoordinates(x_.display(), XtWindow(strip), DefaultRootWindow(x_.display()), 5, 2, &rootX, &rootY,
                          &child);
    client.click(rootX, rootY);
    EXPECT_TRUE(wait_until([&] {
        Pump();
        return picked == strip;
    }));
}

// ---- widget support ----

TEST(ScrollThumb, TopAndShownFromTheVirtualArea)
{
    struct Row {
        int origin;
        unsigned int extent;
        unsigned int size;
        float top;
        float shown;
    };
    const Row rows[] = {
        {-50, 500, 100, 0.1f, 0.2f},
        {0, 0, 100, 0.0f, 1.0f},
        {0, 400, 400, 0.0f, 1.0f},
        {-300, 400, 100, 0.75f, 0.25f},
    };
    for (const Row& row : rows) {
        ScrollThumb thumb = Widget_ThumbFor(row.origin, row.extent, row.size);
        EXPECT_FLOAT_EQ(thumb.top, row.top) << row.origin << " " << row.extent;
        EXPECT_FLOAT_EQ(thumb.shown, row.shown) << row.origin << " " << row.extent;
    }
}

// A container class of the test's own without a geometry manager.
CompositeClassRec bareClassRec;
WidgetClass BareClass()
{
    static bool made = false;
    if (!made) {
        bareClassRec = compositeClassRec;
        bareClassRec.core_class.superclass = reinterpret_cast<WidgetClass>(&compositeClassRec);
        bareClassRec.core_class.class_name = const_cast<String>("Bare");
        bareClassRec.core_class.class_inited = False;
        bareClassRec.core_class.class_initialize = nullptr;
        bareClassRec.core_class.class_part_initialize = nullptr;
        bareClassRec.core_class.resources = nullptr;
        bareClassRec.core_class.num_resources = 0;
        bareClassRec.core_class.xrm_class = NULLQUARK;
        // Only what the container class itself adds: the rest comes from Composite.
        bareClassRec.core_class.initialize = nullptr;
        bareClassRec.core_class.destroy = nullptr;
        bareClassRec.core_class.set_values = nullptr;
        bareClassRec.core_class.realize = XtInheritRealize;
        bareClassRec.core_class.resize = XtInheritResize;
        bareClassRec.composite_class.change_managed = nullptr;
        bareClassRec.composite_class.insert_child = XtInheritInsertChild;
        bareClassRec.composite_class.delete_child = XtInheritDeleteChild;
        bareClassRec.composite_class.geometry_manager = nullptr;
        made = true;
    }
    return reinterpret_cast<WidgetClass>(&bareClassRec);
}

TEST(GeometryManager, InstalledOnlyWhereTheClassHasNone)
{
    XtConnection x;
    Widget shell = XtAppCreateShell("tolqtest", "Tolq", applicationShellWidgetClass, x.display(), nullptr, 0);
    Widget bare = XtCreateWidget("bare", BareClass(), shell, nullptr, 0);
    Arg formSize[2];
    XtSetArg(formSize[0], XtNwidth, 10);
    XtSetArg(formSize[1], XtNheight, 10);
    Widget form = XtCreateWidget("form", formWidgetClass, shell, formSize, 2);
    XtGeometryHandler formManager = reinterpret_cast<CompositeWidgetClass>(XtClass(form))->composite_class.geometry_manager;
    ASSERT_NE(formManager, nullptr);

    Widget_EnsureGeometryManager(bare);
    Widget_EnsureGeometryManager(form);
    EXPECT_EQ(bareClassRec.composite_class.geometry_manager, Widget_GeometryDone);
    EXPECT_EQ(reinterpret_cast<CompositeWidgetClass>(XtClass(form))->composite_class.geometry_manager, formManager);

    // Every request of a child of the bare container is taken as done.
    Arg size[2];
    XtSetArg(size[0], XtNwidth, 20);
    XtSetArg(size[1], XtNheight, 10);
    Widget child = XtCreateManagedWidget("child", formWidgetClass, bare, size, 2);
    XtManageChild(bare);
    XtVaSetValues(shell, XtNwidth, 100, XtNheight, 100, nullptr);
    XtRealizeWidget(shell);
    EXPECT_EQ(XtMakeResizeRequest(child, 77, 33, nullptr, nullptr), XtGeometryYes);
    EXPECT_EQ(child->core.width, 20) << "the manager changed nothing";
    Widget_Destroy(shell);
    Widget_Destroy(nullptr);
}

TEST(MotifPlaceholder, MotifIsNeverAvailableSoTheInterfaceStaysAthena)
{
    EXPECT_EQ(Xm_MotifAvailable(), 0);
    Xm_SetInterfaceFlag(1);
    EXPECT_EQ(Xm_InterfaceFlag(), 0);
    Xm_SetInterfaceFlag(0);
    EXPECT_EQ(Xm_InterfaceFlag(), 0);
}

} // namespace
} // namespace tolq::test
