// A toolkit application on the test's private X server, set up as start-up
// would set it up for the dialog toolkit, with helpers that pump the kernel's
// event loop and drive nested loops from toolkit timers.
#pragma once

#include <gtest/gtest.h>

#include <X11/Intrinsic.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tolq::test {

class DialogX : public ::testing::Test {
public:
    static void SetUpTestSuite();
    void TearDown() override;

    static Display* display();
    static XtAppContext app();
    // Runs the kernel's event loop (without waiting) until the condition holds.
    static bool Pump(const std::function<bool()>& done,
                     std::chrono::milliseconds limit = std::chrono::milliseconds(5000));
    // Waits until the widget's window is viewable and gives it the keyboard focus.
    static bool FocusOn(Widget widget);
    static int BorderWidth(Widget widget);
    // Sends an empty message so that a nested loop waiting for X input looks
    // at its flags again (after a timer step changed them).
    static void Wake();
};

// Steps run one after another from a toolkit timer while a nested loop runs:
// each step is called every 30 ms until it returns true. A step list that
// does not finish within the limit is abandoned and marks itself failed.
class Driver {
public:
    using Step = std::function<bool()>;
    // abort runs once when the limit passes, to end the nested loop.
    Driver(XtAppContext app, std::vector<Step> steps, std::function<void()> abort,
           std::chrono::milliseconds limit = std::chrono::milliseconds(15000));
    ~Driver();
    bool finished() const { return next_ >= steps_.size(); }
    size_t reached() const { return next_; }

private:
    static void Tick(XtPointer self, XtIntervalId*);
    XtAppContext app_;
    std::vector<Step> steps_;
    std::function<void()> abort_;
    size_t next_ = 0;
    XtIntervalId timer_ = 0;
    std::chrono::steady_clock::time_point deadline_;
};

// Closes every message box that comes up while it lives (the command layer
// reports failures of commands it cannot run yet).
class MessageCloser {
public:
    explicit MessageCloser(XtAppContext app);
    ~MessageCloser();
    int closed() const { return closed_; }

private:
    static void Tick(XtPointer self, XtIntervalId*);
    XtAppContext app_;
    XtIntervalId timer_ = 0;
    int closed_ = 0;
};

}  // namespace tolq::test
