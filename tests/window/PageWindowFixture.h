// Test fixture for page windows on the private X server: a toolkit
// connection attached to the kernel, a fresh object model with one diagram,
// the window module initialised, and helpers to build pages and objects and
// to read pixels back.
#pragma once

#include <gtest/gtest.h>

#include "xclient.h"
#include "xt_fixture.h"

#include <X11/Xutil.h>

#include <vector>

#include "xkv/cache/Cache.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextEdit.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

inline constexpr Fixed U(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VelkorSettings& s = Velkor_Settings();
        s.display = X().display();
        s.appContext = X().app();
        Velkor_CopyBounded(s.programName, "tolqtest");
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        Window_Init();
        Cache_Initialize();
    }

    void TearDown() override
    {
        Text_Shutdown();
        Select_Clear();
        Window_UnhideAll();
        for (int i = 0; i < 3 && Window_FirstPage() != 0; ++i) {
            while (ObjectHandle page = Window_FirstPage()) {
                Window_ClosePage(page);
            }
        }
        Window_FlushDamage();
        Pump();
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    ObjectHandle NewPage(uint32_t number)
    {
        ObjectHandle page = Model_NewPage();
        Model_SetFieldValue(page, Field::kScaleX, kFixedOne);
        Model_SetFieldValue(page, Field::kScaleY, kFixedOne);
        Model_SetFieldValue(page, Field::kPageNumber, number);
        Model_SetFlags(page, 8, 1);  // no page frame
        return page;
    }

    ObjectHandle NewBox(ObjectHandle page, FixRect box, uint32_t shape = 1)
    {
        ObjectHandle node = Model_NewNode(page);
        SetBox(node, box);
        Model_SetFieldValue(node, Field::kShapeKind, shape);
        Model_SetFieldValue(node, Field::kLineWidth, U(1));
        return node;
    }

    void SetBox(ObjectHandle node, FixRect box)
    {
        FixPoint centre{box.left + (box.right - box.left) / 2, box.top + (box.bottom - box.top) / 2};
        Model_SetField(node, Field::kBox, &box);
        Model_SetField(node, Field::kPosition, &centre);
        Model_SetFieldValue(node, Field::kWidth, static_cast<uint32_t>(box.right - box.left));
        Model_SetFieldValue(node, Field::kHeight, static_cast<uint32_t>(box.bottom - box.top));
    }

    // Fill pattern and colours (line colour index, fill colour index).
    void SetLook(ObjectHandle node, uint32_t pattern, uint32_t style, uint32_t lineColour, uint32_t fillColour)
    {
        Model_SetFieldValue(node, Field::kPattern, pattern);
        Model_SetFieldValue(node, Field::kLineStyle, style);
        Model_SetFieldValue(node, Field::kColours, (lineColour << 24) | (fillColour << 16));
    }

    Widget Open(ObjectHandle page)
    {
        Widget widget = nullptr;
        EXPECT_EQ(Window_OpenPage(page, &widget, 0, nullptr, 1), kStatusOk);
        WaitShowing(widget);
        return widget;
    }

    void WaitShowing(Widget widget)
    {
        ASSERT_TRUE(tolq::test::wait_until([&] {
            Pump();
            return Window_CanDraw(widget) != 0;
        }));
        Pump();
    }

    // Dispatches the queued X events until the server has been quiet a while.
    void Pump()
    {
        for (int quiet = 0; quiet < 3;) {
            XSync(X().display(), False);
            XEvent* event = nullptr;
            MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                ++quiet;
                struct timespec ts{0, 5'000'000};
                nanosleep(&ts, nullptr);
                continue;
            }
            quiet = 0;
            XtDispatchEvent(event);
            Events_FreeRecord(record);
        }
    }

    // The pixels of a rectangle of the widget's window.
    std::vector<unsigned long> Pixels(Widget widget, int x, int y, int width, int height)
    {
        XSync(X().display(), False);
        XImage* image = XGetImage(X().display(), XtWindow(widget), x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
        std::vector<unsigned long> out;
        if (image == nullptr) {
            return out;
        }
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                out.push_back(XGetPixel(image, i, j));
            }
        }
        XDestroyImage(image);
        return out;
    }

    unsigned long PixelAt(Widget widget, int x, int y) { return Pixels(widget, x, y, 1, 1).at(0); }

    int32_t PixelX(Widget widget, Fixed x)
    {
        int32_t px = 0, py = 0;
        Window_PageToPixel(widget, {x, 0}, &px, &py);
        return px;
    }
    int32_t PixelY(Widget widget, Fixed y)
    {
        int32_t px = 0, py = 0;
        Window_PageToPixel(widget, {0, y}, &px, &py);
        return py;
    }

    // Repaints the whole window from the model and waits for it.
    void RepaintAll(Widget widget)
    {
        Window_RedrawPage(Window_Page(widget), 0);
        Pump();
    }

    // One toolkit connection for the whole program: the window module keeps
    // its graphics contexts for the display it first drew on.
    static tolq::test::XtConnection& X()
    {
        static auto* connection = new tolq::test::XtConnection();
        return *connection;
    }
};
