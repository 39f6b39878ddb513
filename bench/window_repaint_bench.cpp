// Repaint of a page window holding 2,000 mixed objects (boxes, ellipses,
// polygons, connectors with arrow heads, labels) under a private Xvfb,
// timed from the damage flush to the X server's acknowledgment (XSync):
// the whole page, and one moved object.
#include <benchmark/benchmark.h>

#include <X11/Intrinsic.h>

#include <spawn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "xkv/cache/Cache.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/platform/xwindows/Platform.h"
#include "xkv/types/PtArray.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

extern char** environ;

namespace {

constexpr int kObjectCount = 2000;

// A private Xvfb for the run, unless a display is given.
class PrivateServer {
public:
    PrivateServer()
    {
        if (std::getenv("DISPLAY") != nullptr && std::getenv("TOLQ_BENCH_OWN_XVFB") == nullptr) {
            return;
        }
        std::string display = ":" + std::to_string(90 + getpid() % 50);
        std::string arg0 = "Xvfb";
        std::string screen = "0";
        std::string size = "1280x1024x24";
        std::string noListen = "-nolisten";
        std::string tcp = "tcp";
        std::string screenFlag = "-screen";
        char* argv[] = {arg0.data(), display.data(), screenFlag.data(), screen.data(), size.data(),
                        noListen.data(), tcp.data(), nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv, environ) != 0) {
            std::fprintf(stderr, "cannot start Xvfb\n");
            std::exit(1);
        }
        setenv("DISPLAY", display.c_str(), 1);
        for (int i = 0; i < 200; ++i) {
            if (Display* d = XOpenDisplay(nullptr)) {
                XCloseDisplay(d);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::fprintf(stderr, "Xvfb did not come up\n");
        std::exit(1);
    }
    ~PrivateServer()
    {
        if (pid_ != 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = 0;
};

constexpr Fixed U(double v)
{
    return static_cast<Fixed>(v * 65536.0);
}

struct Scene {
    Display* display = nullptr;
    Widget widget = nullptr;
    ObjectHandle page = 0;
    ObjectHandle moved = 0;
    FixRect visible{};
};

void Pump(Display* display)
{
    for (int quiet = 0; quiet < 2;) {
        XSync(display, False);
        XEvent* event = nullptr;
        MemHandle record = Events_NextEvent(&event, 0);
        if (record == 0) {
            ++quiet;
            continue;
        }
        quiet = 0;
        XtDispatchEvent(event);
        Events_FreeRecord(record);
    }
}

void SetBox(ObjectHandle node, FixRect box)
{
    FixPoint centre{box.left + (box.right - box.left) / 2, box.top + (box.bottom - box.top) / 2};
    Model_SetField(node, Field::kBox, &box);
    Model_SetField(node, Field::kPosition, &centre);
    Model_SetFieldValue(node, Field::kWidth, static_cast<uint32_t>(box.right - box.left));
    Model_SetFieldValue(node, Field::kHeight, static_cast<uint32_t>(box.bottom - box.top));
}

PtArray Points(std::initializer_list<FixPoint> points)
{
    PtArray array = PtArray_New();
    for (FixPoint p : points) {
        PtArray_Append(array, p);
    }
    return array;
}

void AddObject(const Scene& scene, int i)
{
    // Spread the objects over the visible part of the page.
    Fixed width = scene.visible.right - scene.visible.left - U(30);
    Fixed height = scene.visible.bottom - scene.visible.top - U(30);
    Fixed x = scene.visible.left + static_cast<Fixed>((int64_t{i} * 7919 % 1000) * width / 1000);
    Fixed y = scene.visible.top + static_cast<Fixed>((int64_t{i} * 104729 % 1000) * height / 1000);
    FixRect box{x, y, x + U(20), y + U(12)};
    switch (i % 5) {
    case 0:
    case 1:
    case 3: {
        ObjectHandle node = Model_NewNode(scene.page);
        SetBox(node, box);
        uint32_t shape = i % 5 == 0 ? 1 : (i % 5 == 1 ? 2 : 12);
        Model_SetFieldValue(node, Field::kShapeKind, shape);
        Model_SetFieldValue(node, Field::kPattern, i % 3 == 0 ? 1 : 0);
        Model_SetFieldValue(node, Field::kColours, ((i % 16u) << 24) | (((i + 5) % 16u) << 16));
        break;
    }
    case 2: {
        ObjectHandle node = Model_NewNode(scene.page);
        SetBox(node, box);
        Model_SetFieldValue(node, Field::kShapeKind, 5);
        Model_SetShapeData(node, Points({{x, y}, {x + U(20), y + U(4)}, {x + U(10), y + U(12)}}));
        Model_SetFieldValue(node, Field::kPattern, 1);
        break;
    }
    default: {
        ObjectHandle connector = Model_NewConnector(scene.page);
        Model_SetFieldValue(connector, Field::kShapeKind, 9);
        Model_SetFieldValue(connector, Field::kPath,
                            Points({{x, y}, {x + U(15), y}, {x + U(15), y + U(10)}, {x + U(25), y + U(10)}}));
        Model_SetFieldValue(connector, Field::kEndHead,
                            Points({{x + U(22), y + U(8)}, {x + U(22), y + U(12)}}));
        Model_SetFieldValue(connector, Field::kStartHead, Points({{x + U(3), y - U(2)}, {x + U(3), y + U(2)}}));
        FixRect bounds{x, y - U(2), x + U(25), y + U(12)};
        Model_SetField(connector, Field::kBox, &bounds);
        Model_SetFieldValue(connector, Field::kPattern, 1);
        break;
    }
    }
}

Scene& TheScene()
{
    static Scene scene = [] {
        static PrivateServer server;
        Scene s;
        XtToolkitInitialize();
        XtAppContext app = XtCreateApplicationContext();
        int argc = 0;
        s.display = XtOpenDisplay(app, nullptr, "tolqbench", "Tolq", nullptr, 0, &argc, nullptr);
        if (s.display == nullptr) {
            std::fprintf(stderr, "cannot open the display\n");
            std::exit(1);
        }
        Platform_Attach(app, s.display);
        VelkorSettings& settings = Velkor_Settings();
        settings.display = s.display;
        settings.appContext = app;
        Velkor_CopyBounded(settings.programName, "tolqbench");
        Group_CreateTable(kGroupTableInitialSize);
        Model_CreateTable(kInitialObjectSlots);
        Default_Init();
        Model_NewDiagram();
        Window_Init();
        Cache_Initialize();
        s.page = Model_NewPage();
        Model_SetFieldValue(s.page, Field::kScaleX, kFixedOne);
        Model_SetFieldValue(s.page, Field::kScaleY, kFixedOne);
        Model_SetFlags(s.page, 8, 1);
        Window_OpenPage(s.page, &s.widget, 0, nullptr, 1);
        for (int i = 0; i < 500 && Window_CanDraw(s.widget) == 0; ++i) {
            Pump(s.display);
        }
        Window_VisibleRect(s.widget, &s.visible);
        for (int i = 0; i < kObjectCount; ++i) {
            AddObject(s, i);
        }
        s.moved = Model_NewNode(s.page);
        SetBox(s.moved, {s.visible.left + U(40), s.visible.top + U(40), s.visible.left + U(70), s.visible.top + U(60)});
        Model_SetFieldValue(s.moved, Field::kShapeKind, 1);
        Model_SetFieldValue(s.moved, Field::kPattern, 1);
        Pump(s.display);
        return s;
    }();
    return scene;
}

void BM_RepaintFullPage(benchmark::State& state)
{
    Scene& s = TheScene();
    for (auto _ : state) {
        Pump(s.display);
        Window_AddDamage(s.widget, s.visible);
        auto start = std::chrono::steady_clock::now();
        Window_FlushDamage();
        XSync(s.display, False);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["objects"] = kObjectCount + 1;
}
BENCHMARK(BM_RepaintFullPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(9);

void BM_RepaintMovedObject(benchmark::State& state)
{
    Scene& s = TheScene();
    Fixed step = U(4);
    for (auto _ : state) {
        Pump(s.display);
        FixRect box;
        Model_GetField(s.moved, Field::kBox, &box);
        Window_RedrawObject(s.moved, nullptr);
        step = -step;
        SetBox(s.moved, {box.left + step, box.top + step, box.right + step, box.bottom + step});
        Window_RedrawObject(s.moved, nullptr);
        auto start = std::chrono::steady_clock::now();
        Window_FlushDamage();
        XSync(s.display, False);
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_RepaintMovedObject)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200)->Repetitions(9);

}  // namespace

BENCHMARK_MAIN();
