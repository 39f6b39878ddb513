// Load and save of large generated diagrams through the real readers and
// writers: a net of 10,000 or 100,000 net objects (places, transitions and
// arcs, each with inscriptions) spread over 50 pages, saved as File > Save
// saves it (the diagram file and its net data base beside it, with backups)
// and read back as File > Open reads it. The peak resident size is reported
// beside the times.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetServices.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/model/Model.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 50;
constexpr int32_t kShapeBox = 1;
constexpr int32_t kShapeEllipse = 2;

void Check(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(what);
}

constexpr Fixed Units(int value) { return static_cast<Fixed>(value * 0x10000); }

void Inscribe(ObjectHandle owner, int32_t kind, const std::string& text)
{
    const ObjectHandle region = GE_MakeRegion(owner, kind);
    Check(region != 0, "no inscription region");
    Check(QXText_SetText(region, text.c_str()) == 1, "inscription text not set");
    Check(EE_UpdateNetFromRegion(region) == 1, "inscription not stored");
}

ObjectHandle Node(ObjectHandle page, int32_t shape, const std::string& name, int x, int y)
{
    const ObjectHandle node = QXStr_CreateNode(page, Units(x), Units(y), Units(36), Units(24), shape);
    Check(node != 0, "no node");
    Check(QXText_SetText(node, name.c_str()) == 1, "name not set");
    return node;
}

// Rows of place -> transition -> place chains: three nodes and two arcs per
// step, so every page holds objectsPerPage net objects.
void BuildPage(ObjectHandle page, int pageNumber, int objectsPerPage)
{
    ObjectHandle previous = 0;
    for (int made = 0, step = 0; made < objectsPerPage; ++step) {
        const int x = (step % 40) * 120, y = (step / 40) * 80;
        const std::string suffix = std::to_string(pageNumber) + "_" + std::to_string(step);
        if (previous == 0) {
            previous = Node(page, kShapeEllipse, "P" + suffix, x, y);
            Check(EE_CreateNetPlace(previous) == 1 && EE_TakeNameFromRegion(previous) == 1, "no place record");
            Inscribe(previous, kRegionColourSet, "INT");
            Inscribe(previous, kRegionInitMark, "1`" + std::to_string(step));
            ++made;
            continue;
        }
        const ObjectHandle transition = Node(page, kShapeBox, "T" + suffix, x + 60, y);
        Check(EE_CreateNetTrans(transition) == 1 && EE_TakeNameFromRegion(transition) == 1, "no transition");
        Inscribe(transition, kRegionGuard, "[n < " + std::to_string(step) + "]");
        const ObjectHandle in = QXStr_CreateConnector(page, previous, transition);
        Check(in != 0 && QXWtAttr_SetDirection(in, 1) == 1 && EE_CreateNetArc(in) == 1, "no input arc");
        Inscribe(in, kRegionArcExpr, "n");
        made += 2;
        if (made >= objectsPerPage)
            break;
        const ObjectHandle next = Node(page, kShapeEllipse, "Q" + suffix, x + 120, y);
        Check(EE_CreateNetPlace(next) == 1 && EE_TakeNameFromRegion(next) == 1, "no place record");
        Inscribe(next, kRegionColourSet, "INT");
        const ObjectHandle out = QXStr_CreateConnector(page, transition, next);
        Check(out != 0 && QXWtAttr_SetDirection(out, 1) == 1 && EE_CreateNetArc(out) == 1, "no output arc");
        Inscribe(out, kRegionArcExpr, "n + 1");
        made += 2;
        previous = next;
    }
}

// The kernel and net layer with a diagram of `objects` net objects, saved
// once to a private directory.
class GeneratedDiagram {
public:
    explicit GeneratedDiagram(int objects)
    {
        dir_ = fs::temp_directory_path() / ("tolq-diagram-bench-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        setenv("HOME", dir_.c_str(), 1);
        path_ = (dir_ / "big").string();
        Check(Group_CreateTable(kGroupTableInitialSize) == kStatusOk, "no group table");
        Check(Model_CreateTable(kInitialObjectSlots) == kStatusOk, "no object table");
        Check(Default_Init() == kStatusOk && Model_NewDiagram() == kStatusOk, "no diagram");
        Check(DefRegisterProperties() == 1 && DefInitAll() == 1, "no net defaults");
        SEInitPools();
        Check(SEStart() != nullptr, "no abstract net");
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        Hook_Set(kHookPageChanged, EE_PageChangedHook);
        const std::pair<HookId, HookHandler> hooks[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                        {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                        {64, EE_DiagramClosed}, {78, EE_AfterFileRead}};
        for (const auto& [hook, handler] : hooks)
            Hook_Set(hook, handler);
        Comm_SetFilePath(1, path_.c_str());
        QXStatus = 0;
        for (int number = 0; number < kPages; ++number) {
            const ObjectHandle page = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
            Check(page != 0, "no page");
            Check(EE_CreateNetPage(page, 1) == 1, "no page record");
            const std::string name = "Page" + std::to_string(number + 1);
            Check(QXWtAttr_SetPageAttr(page, name.c_str(), static_cast<uint16_t>(number + 1), 0, 0, 0) == 1,
                  "page name not set");
            BuildPage(page, number, objects / kPages);
        }
        Save();
    }
    ~GeneratedDiagram()
    {
        QXUI_ClearUndo();
        GE_SetCurrentDiagram(0);
        SEFreeDB();
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        Core_CloseModel();
        if (Model_GetRoot() != 0)
            Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        fs::remove_all(dir_);
    }
    GeneratedDiagram(const GeneratedDiagram&) = delete;
    GeneratedDiagram& operator=(const GeneratedDiagram&) = delete;

    void Save() { Check(File_SaveDiagram(path_.c_str()) == kStatusOk, "the diagram was not saved"); }

    // Closes the diagram as the kernel does and reads the file back.
    void Load()
    {
        Core_CloseModel();
        Hook_Fire(64);
        FileHandle file = 0;
        Check(File_Open(path_.c_str(), kOpenRead, &file) == kStatusOk, "the diagram file did not open");
        ObjectGroup pages = 0;
        const KernelStatus status = File_ReadDiagram(file, 0, &pages);
        File_Close(file);
        if (pages != 0)
            Group_Free(pages);
        Check(status == kStatusOk, "the diagram was not read");
    }
    uint64_t FileBytes() const { return fs::file_size(path_) + fs::file_size(path_ + ".DB"); }

private:
    fs::path dir_;
    std::string path_;
};

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_DiagramLoadAndSave(benchmark::State& state)
{
    GeneratedDiagram diagram(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        diagram.Load();
        diagram.Save();
    }
    state.counters["objects"] = static_cast<double>(state.range(0));
    state.counters["file_bytes"] = static_cast<double>(diagram.FileBytes());
    state.counters["peak_rss_mb"] = PeakMegabytes();
}
BENCHMARK(BM_DiagramLoadAndSave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DiagramLoad(benchmark::State& state)
{
    GeneratedDiagram diagram(static_cast<int>(state.range(0)));
    for (auto _ : state)
        diagram.Load();
    state.counters["peak_rss_mb"] = PeakMegabytes();
}
BENCHMARK(BM_DiagramLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DiagramSave(benchmark::State& state)
{
    GeneratedDiagram diagram(static_cast<int>(state.range(0)));
    for (auto _ : state)
        diagram.Save();
    state.counters["peak_rss_mb"] = PeakMegabytes();
}
BENCHMARK(BM_DiagramSave)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
