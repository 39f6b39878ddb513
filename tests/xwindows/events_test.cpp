// The kernel event queue against a private X server: motion merging, look-ahead,
// removal, dispatch of window-system events, last event time, the Alt modifier bits.
#include <gtest/gtest.h>

#include "xclient.h"
#include "xvfb.h"
#include "xt_fixture.h"

#include <X11/keysym.h>

#include <algorithm>
#include <string>
#include <vector>

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

constexpr Window kW1 = 0x100001;
constexpr Window kW2 = 0x100002;

// One event of a table row: its type, window, time and whether it is synthetic.
struct Ev {
    int type;
    Window window = kW1;
    Time time = 0;
    bool synthetic = false;
    std::string label = "";
};

XEvent Make(const Ev& e)
{
    XEvent event{};
    event.type = e.type;
    event.xany.window = e.window;
    event.xany.send_event = e.synthetic ? 1 : 0;
    switch (e.type) {
    case KeyPress:
    case KeyRelease:
        event.xkey.time = e.time;
        break;
    case ButtonPress:
    case ButtonRelease:
        event.xbutton.time = e.time;
        break;
    case MotionNotify:
        event.xmotion.time = e.time;
        event.xmotion.x = static_cast<int>(e.time);
        break;
    case SelectionRequest:
        event.xselectionrequest.owner = e.window;
        event.xselectionrequest.time = e.time;
        break;
    case PropertyNotify:
        event.xproperty.time = e.time;
        break;
    default:
        break;
    }
    return event;
}

class EventQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A harmless event ends any run of motion left from earlier use of the module.
        Feed({{ClientMessage}});
        DrainQueue();
    }
    void TearDown() override { DrainQueue(); }

    // Puts the events in the connection's queue, in order, as if the server sent them.
    void Feed(const std::vector<Ev>& events)
    {
        for (auto it = events.rbegin(); it != events.rend(); ++it) {
            XEvent event = Make(*it);
            XPutBackEvent(x_.display(), &event);
        }
    }

    // Every queued event, as (type, window, time) strings, taken with Events_NextEvent.
    std::vector<std::string> DrainQueue()
    {
        std::vector<std::string> seen;
        for (;;) {
            XEvent* event = nullptr;
            MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                EXPECT_EQ(event, nullptr);
                return seen;
            }
            seen.push_back(Describe(*event));
            EXPECT_EQ(Events_FreeRecord(record), 0u);
        }
    }

    static std::string Describe(const XEvent& event)
    {
        std::string text = std::to_string(event.type) + "@" + std::to_string(event.xany.window);
        if (event.type == MotionNotify) {
            text += "#" + std::to_string(event.xmotion.time);
        }
        return text;
    }
    static std::string D(int type, Window window, long time = -1)
    {
        std::string text = std::to_string(type) + "@" + std::to_string(window);
        if (time >= 0) {
            text += "#" + std::to_string(time);
        }
        return text;
    }

    XtConnection x_;
};

struct MergeCase {
    const char* name;
    std::vector<Ev> input;
    std::vector<std::string> expected;
};

TEST_F(EventQueue, MotionRunsAreMergedToFirstAndLatest)
{
    const std::vector<MergeCase> cases = {
        {"three motions between a key and a release",
         {{KeyPress, kW1, 1}, {MotionNotify, kW1, 2}, {MotionNotify, kW1, 3}, {MotionNotify, kW1, 4},
          {ButtonRelease, kW1, 5}},
         {D(KeyPress, kW1), D(MotionNotify, kW1, 2), D(MotionNotify, kW1, 4), D(ButtonRelease, kW1)}},
        {"a synthetic motion replaces the held one and is queued at once; the next starts a new run",
         {{KeyPress, kW1}, {MotionNotify, kW1, 2}, {MotionNotify, kW1, 3}, {MotionNotify, kW1, 4, true},
          {MotionNotify, kW1, 5}, {MotionNotify, kW1, 6}, {MotionNotify, kW1, 7}},
         {D(KeyPress, kW1), D(MotionNotify, kW1, 2), D(MotionNotify, kW1, 4), D(MotionNotify, kW1, 5),
          D(MotionNotify, kW1, 7)}},
        {"motion alternating between two windows queues the held one at each arrival",
         {{KeyPress, kW1}, {MotionNotify, kW1, 2}, {MotionNotify, kW1, 3}, {MotionNotify, kW2, 4},
          {MotionNotify, kW1, 5}, {MotionNotify, kW2, 6}},
         {D(KeyPress, kW1), D(MotionNotify, kW1, 2), D(MotionNotify, kW1, 3), D(MotionNotify, kW2, 4),
          D(MotionNotify, kW1, 5), D(MotionNotify, kW2, 6)}},
        {"a key release ends a run like any other event",
         {{MotionNotify, kW1, 1}, {MotionNotify, kW1, 2}, {MotionNotify, kW1, 3}, {KeyRelease, kW1},
          {MotionNotify, kW1, 4}},
         {D(MotionNotify, kW1, 1), D(MotionNotify, kW1, 3), D(KeyRelease, kW1), D(MotionNotify, kW1, 4)}},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Feed(c.input);
        EXPECT_EQ(DrainQueue(), c.expected);
        Feed({{ClientMessage}});
        DrainQueue();
    }
}

TEST_F(EventQueue, HeldMotionIsReleasedToTheReaderButTheRunGoesOn)
{
    Feed({{MotionNotify, kW1, 1}, {MotionNotify, kW1, 2}, {MotionNotify, kW1, 3}});
    EXPECT_EQ(DrainQueue(), (std::vector<std::string>{D(MotionNotify, kW1, 1), D(MotionNotify, kW1, 3)}));
    // The motion window was not reset: the next motion in it is held, then released by the read.
    Feed({{MotionNotify, kW1, 4}, {MotionNotify, kW1, 5}});
    EXPECT_EQ(DrainQueue(), (std::vector<std::string>{D(MotionNotify, kW1, 5)}));
}

TEST_F(EventQueue, EmptyQueueWithoutWaitGivesNothing)
{
    XEvent* event = reinterpret_cast<XEvent*>(this);
    EXPECT_EQ(Events_NextEvent(&event, 0), 0u);
    EXPECT_EQ(event, nullptr);
}

void PutBackClientMessage(XtPointer client, XtIntervalId*)
{
    auto* display = static_cast<Display*>(client);
    XEvent event{};
    event.type = ClientMessage;
    event.xclient.window = kW2;
    event.xclient.format = 8;
    XPutBackEvent(display, &event);
}

TEST_F(EventQueue, WaitingReadsStraightFromTheToolkitIntoTheDirectBuffer)
{
    XtAppAddTimeOut(x_.app(), 30, PutBackClientMessage, x_.display());
    XEvent* event = nullptr;
    EXPECT_EQ(Events_NextEvent(&event, 1), 0u);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->type, ClientMessage);
    EXPECT_EQ(event->xany.window, kW2);
    EXPECT_TRUE(DrainQueue().empty());
}

TEST_F(EventQueue, FindLooksAheadWithoutConsumingAndRemoveTakesOneOut)
{
    Feed({{KeyPress, kW1}, {ButtonPress, kW1}, {KeyPress, kW2}, {ButtonRelease, kW2}, {KeyPress, kW1, 9}});
    XEvent* event = nullptr;
    MemHandle first = Events_FindEvent(&event, KeyPress);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(event->xany.window, kW1);
    EXPECT_EQ(Events_UnlockRecord(first), 0u);

    MemHandle second = Events_FindNextEvent(first, &event, KeyPress);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(event->xany.window, kW2);
    EXPECT_EQ(Events_FindEvent(&event, MotionNotify), 0u);

    // Remove the second key press, passing the record in front of it as start.
    MemHandle before = Events_FindNextEvent(first, &event, ButtonPress);
    ASSERT_NE(before, 0u);
    EXPECT_EQ(Events_RemoveEvent(before, second), 0u);
    EXPECT_NE(Events_RemoveEvent(0, second), 0u) << "a removed record is not removed twice";

    // Remove the head and the tail too.
    EXPECT_EQ(Events_RemoveEvent(0, first), 0u);
    MemHandle last = Events_FindEvent(&event, KeyPress);
    ASSERT_NE(last, 0u);
    EXPECT_EQ(event->xkey.time, 9u);
    MemHandle release = Events_FindEvent(&event, ButtonRelease);
    EXPECT_EQ(Events_RemoveEvent(release, last), 0u);
    // Appending after removing the tail links behind the new tail.
    Feed({{KeyRelease, kW2}});
    EXPECT_EQ(DrainQueue(), (std::vector<std::string>{D(ButtonPress, kW1), D(ButtonRelease, kW2),
                                                      D(KeyRelease, kW2)}));
}

std::vector<std::string>* dispatched = nullptr;
MemHandle foundDuringDispatch = 1;

void RecordDispatch(XEvent* event)
{
    dispatched->push_back(std::to_string(event->type) + "@" + std::to_string(event->xany.window));
    XEvent* found = nullptr;
    foundDuringDispatch = Events_FindEvent(&found, 0);
}

TEST_F(EventQueue, WindowEventsAreDispatchedAtOnceAndInputStaysQueued)
{
    std::vector<std::string> seen;
    dispatched = &seen;
    Events_SetEventSwitch(RecordDispatch);
    Feed({{ButtonPress, kW1}, {Expose, kW1}, {KeyPress, kW1}, {ConfigureNotify, kW2}, {MotionNotify, kW1, 3},
          {SelectionRequest, kW2, 4}, {PropertyNotify, kW1}, {MapNotify, kW2}, {ClientMessage, kW1}});
    Events_DispatchWindowEvents(1);
    EXPECT_EQ(seen, (std::vector<std::string>{D(Expose, kW1), D(ConfigureNotify, kW2), D(SelectionRequest, kW2),
                                              D(MapNotify, kW2)}));
    EXPECT_EQ(foundDuringDispatch, 0u) << "searches see nothing while a window event is dispatched";
    EXPECT_EQ(DrainQueue(), (std::vector<std::string>{D(ButtonPress, kW1), D(KeyPress, kW1),
                                                      D(MotionNotify, kW1, 3), D(PropertyNotify, kW1),
                                                      D(ClientMessage, kW1)}));
    dispatched = nullptr;
}

TEST_F(EventQueue, LastEventTimeComesFromTimedInputAndSelections)
{
    struct Row {
        Ev event;
        Time expected;
    };
    const std::vector<Row> rows = {
        {{KeyPress, kW1, 100}, 100},     {{KeyRelease, kW1, 200}, 100}, {{PropertyNotify, kW1, 300}, 100},
        {{ButtonPress, kW1, 400}, 400},  {{MotionNotify, kW1, 500}, 500},
        {{SelectionRequest, kW1, 600}, 600},
    };
    for (const Row& row : rows) {
        Feed({row.event});
        DrainQueue();
        EXPECT_EQ(Events_LastEventTime(), row.expected) << "event type " << row.event.type;
    }
}

TEST_F(EventQueue, RealServerEventsPassThroughTheQueue)
{
    Display* dpy = x_.display();
    Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 50, 40, 0, 0, 0);
    XSelectInput(dpy, window, StructureNotifyMask | ExposureMask);
    XMapWindow(dpy, window);
    std::vector<std::string> seen;
    dispatched = &seen;
    Events_SetEventSwitch(RecordDispatch);
    ASSERT_TRUE(wait_until([&] {
        Events_DispatchWindowEvents(1);
        return std::find(seen.begin(), seen.end(), D(Expose, window)) != seen.end();
    }));
    EXPECT_EQ(seen.front(), D(MapNotify, window));
    dispatched = nullptr;
    XDestroyWindow(dpy, window);
}

// Alt is found from the modifier map; Num Lock and Scroll Lock never count.
TEST(AltModifier, MaskFromModifierKeysyms)
{
    struct Row {
        const char* name;
        ModifierKeysyms map;
        unsigned int alt;
    };
    auto with = [](std::initializer_list<std::pair<int, std::vector<KeySym>>> rows) {
        ModifierKeysyms map;
        for (const auto& [mod, syms] : rows) {
            map[mod] = syms;
        }
        return map;
    };
    const std::vector<Row> rows = {
        {"ordinary server: Alt on Mod1, Num Lock on Mod2",
         with({{3, {XK_Alt_L, XK_Meta_L}}, {4, {XK_Num_Lock}}}), Mod1Mask},
        {"Num Lock on Mod1, Alt on Mod3", with({{3, {XK_Num_Lock}}, {5, {XK_Alt_R}}}), Mod3Mask},
        {"Meta only", with({{6, {XK_Meta_L}}}), Mod4Mask},
        {"Alt and Num Lock on one modifier", with({{3, {XK_Alt_L, XK_Num_Lock}}, {5, {XK_Meta_L}}}), Mod3Mask},
        {"Scroll Lock never counts", with({{7, {XK_Scroll_Lock, XK_Alt_L}}}), 0u},
        {"Alt bound to Shift does not make Shift an Alt bit", with({{0, {XK_Alt_L}}, {4, {XK_Alt_L}}}), Mod2Mask},
        {"no Alt key", with({{4, {XK_Num_Lock}}}), 0u},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Platform_AltMaskFromKeysyms(row.map), row.alt) << row.name;
    }
}

TEST(AltModifier, ReadFromTheServersModifierMap)
{
    XtConnection x;
    Display* dpy = x.display();
    KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L);
    KeyCode numLock = XKeysymToKeycode(dpy, XK_Num_Lock);
    ASSERT_NE(alt, 0);
    ASSERT_NE(numLock, 0);

    // Num Lock on Mod1 and Alt on Mod3: only Mod3 means Alt.
    XModifierKeymap* map = XNewModifiermap(1);
    std::fill(map->modifiermap, map->modifiermap + 8, KeyCode{0});
    map->modifiermap[Mod1MapIndex] = numLock;
    map->modifiermap[Mod3MapIndex] = alt;
    ASSERT_EQ(XSetModifierMapping(dpy, map), MappingSuccess);
    XFreeModifiermap(map);
    // The server's MappingNotify, taken in by the queue, refreshes the Alt bits.
    EXPECT_TRUE(wait_until([&] {
        XEvent* event = nullptr;
        while (MemHandle record = Events_NextEvent(&event, 0)) {
            Events_FreeRecord(record);
        }
        return Platform_AltMask() == static_cast<unsigned int>(Mod3Mask);
    }));
    EXPECT_EQ(Platform_IsAltDown(Mod1Mask), 0) << "Num Lock on is not Alt";
    EXPECT_EQ(Platform_IsAltDown(Mod3Mask | Mod1Mask), 1);
}

} // namespace
} // namespace tolq::test
