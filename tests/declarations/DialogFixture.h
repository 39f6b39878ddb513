// The declaration dialogs on the private X server: a toolkit timer runs
// test steps while a modal dialog's loop runs, and the fixture clicks items
// with real pointer input and reads items and list rows back.
#pragma once

#include "DeclFixture.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>

#include <functional>

#include "atolq/DEclarations/DEServices.h"
#include "xclient.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/velkor/Velkor.h"

using Step = std::function<bool()>;

// Runs the steps one after another from a toolkit timer while a modal
// dialog's loop runs; each step is retried until it returns true.
class Steps {
public:
    Steps(XtAppContext app, std::vector<Step> steps) : app_(app), steps_(std::move(steps))
    {
        timer_ = XtAppAddTimeOut(app_, 50, Tick, this);
    }
    ~Steps()
    {
        if (timer_ != 0)
            XtRemoveTimeOut(timer_);
    }
    bool finished() const { return next_ == steps_.size(); }

private:
    static void Tick(XtPointer self, XtIntervalId*)
    {
        auto* s = static_cast<Steps*>(self);
        s->timer_ = 0;
        if (++s->ticks_ > 300) { // give up: close whatever is open
            while (Dialog_Depth() > 0)
                Dialog_Close(2);
            return;
        }
        if (s->next_ < s->steps_.size() && s->steps_[s->next_]())
            ++s->next_;
        if (s->next_ < s->steps_.size())
            s->timer_ = XtAppAddTimeOut(s->app_, 30, Tick, s);
    }
    XtAppContext app_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    XtIntervalId timer_ = 0;
};

class DialogTest : public DeclTest {
protected:
    void SetUp() override
    {
        DeclTest::SetUp();
        static Widget top = nullptr;
        VelkorSettings& s = Velkor_Settings();
        if (top == nullptr) {
            top = XtVaAppCreateShell("tolq", "Tolq", applicationShellWidgetClass, X().display(), XtNwidth, 200,
                                     XtNheight, 100, nullptr);
            XtRealizeWidget(top);
            s.toplevel = top;
            s.screen = DefaultScreen(X().display());
            s.foreground = BlackPixel(X().display(), s.screen);
            s.background = WhitePixel(X().display(), s.screen);
            ASSERT_EQ(Dialog_Initialize(), 0u);
        }
        s.toplevel = top;
    }
    void TearDown() override
    {
        while (Dialog_Depth() > 0)
            Dialog_Close(2);
        DeclTest::TearDown();
    }

    static bool showing(int dialog)
    {
        if (Dialog_TopDialogNumber() != dialog)
            return false;
        Widget shell = Dialog_ShellWidget();
        XWindowAttributes a{};
        return shell != nullptr && XtIsRealized(shell) &&
               XGetWindowAttributes(XtDisplay(shell), XtWindow(shell), &a) != 0 && a.map_state == IsViewable;
    }
    // A real click in the middle of the item.
    void click(int item)
    {
        Widget w = Dialog_ItemWidget(item);
        ASSERT_NE(w, nullptr) << "item " << item;
        Window child = 0;
        int x = 0, y = 0;
        XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                              w->core.height / 2, &x, &y, &child);
        input.click(x, y);
    }
    static std::string item(int number)
    {
        char buffer[1024] = {};
        Dialog_GetItemText(number, buffer, sizeof buffer - 1);
        return buffer;
    }
    static std::vector<std::string> rows(int list = 6)
    {
        std::vector<std::string> out;
        int32_t count = 0;
        Dialog_GetListCount(list, &count);
        for (int32_t i = 0; i < count; ++i) {
            char buffer[300] = {};
            int32_t max = sizeof buffer;
            Dialog_GetListEntry(list, i, &max, buffer);
            out.emplace_back(buffer);
        }
        return out;
    }
    tolq::test::XClient input;
};

