// Net objects made from the TOLQ menu on the kernel started as tolq starts
// it, under the private Xvfb: a new diagram's page gets its net, Place and
// Transition followed by a click on the page make nodes with their net
// records, Arc dragged from the place to the transition makes a connector
// with its arc record; saving writes the data base beside the diagram and
// opening the file again brings the same net back, linked to its objects.
#include <gtest/gtest.h>

#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/DiagramLife.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/Utils/LMList.h"
#include "process.h"
#include "xclient.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/platform/xwindows/Events.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextKernel.h"
#include "xkv/trans/Trans.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

constexpr uint16_t kTolqMenu = 10100;
constexpr int16_t kCommandPlace = 10101;
constexpr int16_t kCommandTransition = 10102;
constexpr int16_t kCommandArc = 10103;

struct Pixel {
    int x;
    int y;
};

// The kernel and the net layer started once for the program, as tolq's
// start-up does before its main loop.
void StartTolq()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    static char program[] = "tolq";
    static char* argv[] = {program, nullptr};
    static int argc = 1;
    ASSERT_EQ(Velkor_InitX(&argc, argv, 0), 0u);
    ASSERT_EQ(Velkor_ReadConfiguration(), 0u);
    ASSERT_EQ(Velkor_InitModules(), 0u);
    ASSERT_EQ(Velkor_OpenWindows(), 0u);
    Text_InitWindows(Trans_PostIdleText);
    ASSERT_EQ(KV_Initialize(), 0u);
    ASSERT_EQ(Velkor_PassArguments(&argc, argv), 0u);
    KV_StartApplication();
}

// Gives back what the kernel's modules hold for the run, as tolq does at its end.
class KernelEnd : public ::testing::Environment {
public:
    void TearDown() override { Velkor_ShutdownModules(); }
};
const auto* const kKernelEnd = ::testing::AddGlobalTestEnvironment(new KernelEnd);

SEHead* RecordOf(ObjectHandle object)
{
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 ? record : nullptr;
}

void* Nth(LMList* list, uint16_t n)
{
    void* value = nullptr;
    void* second = nullptr;
    LMNth(list, &value, &second, n);
    return value;
}

// The record's kernel object carries that very record.
bool Linked(SEHead* record)
{
    return record != nullptr && RecordOf(SEGetKVObj(record)) == record;
}

class NetCreateX : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartTolq();
        ASSERT_FALSE(HasFatalFailure());
        display_ = Velkor_Settings().display;
        EE_ClearPendingError();
        // The kernel's New: an empty diagram with its first page in a window;
        // then the net side that the dispatch runs after New.
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        ObjectHandle page = 0;
        ASSERT_EQ(Core_AddPage(&page), kStatusOk);
        Model_SetFlags(page, 8, 1);
        Comm_SetCurrentPage(page);
        EE_AfterNewCommand(0);
        Run();
        page_ = QXStr_GetCurPage();
        ASSERT_NE(page_, 0u);
        ASSERT_NE(RecordOf(page_), nullptr) << "New gives the page its net";
        window_ = Window_OfPage(page_);
        ASSERT_NE(window_, nullptr);
        ASSERT_TRUE(tolq::test::wait_until([&] {
            Run();
            return Window_CanDraw(window_) != 0;
        }));
    }

    void TearDown() override
    {
        EXPECT_EQ(EE_GetPendingError(), 0) << "an error was reported";
        EE_ClearPendingError();
        Comm_SetTextMode(0);
        Run();
        // The drawing command the kernel repeats ends, as Escape ends it.
        if (Comm_GetState() != kCommStateReady) {
            Comm_PostCancel();
            Comm_ProcessEvents();
        }
        Trans_Begin(0, nullptr, 1);
        Select_Clear();
        if (QXStr_HasDiagram() != 0)
            CloseDiagram();
        Run();
    }

    // Closes the diagram as the kernel's Close does: the model goes, then the
    // application hears of it.
    static void CloseDiagram()
    {
        Core_CloseModel();
        Comm_NotifyModelClosed();
    }

    // Takes every queued event through the kernel's event switch and lets
    // the command layer handle what the gesture machine posted.
    void Run()
    {
        for (int quiet = 0; quiet < 3;) {
            XSync(display_, False);
            XEvent* event = nullptr;
            const MemHandle record = Events_NextEvent(&event, 0);
            if (record == 0) {
                Comm_ProcessEvents();
                ++quiet;
                struct timespec pause{0, 5'000'000};
                nanosleep(&pause, nullptr);
                continue;
            }
            quiet = 0;
            if (event != nullptr)
                Velkor_DispatchEvent(event);
            Events_FreeRecord(record);
            Comm_ProcessEvents();
        }
    }

    Pixel OnRoot(Pixel at) const
    {
        Window child = 0;
        Pixel root{};
        XTranslateCoordinates(display_, XtWindow(window_), DefaultRootWindow(display_), at.x, at.y, &root.x, &root.y,
                              &child);
        return root;
    }

    // Presses at one pixel of the page window, moves in steps to another and
    // releases there, each step through the kernel's event switch.
    void Drag(Pixel from, Pixel to)
    {
        const Pixel a = OnRoot(from);
        const Pixel b = OnRoot(to);
        XTestFakeMotionEvent(display_, -1, a.x, a.y, 0);
        Run();
        XTestFakeButtonEvent(display_, 1, True, 0);
        Run();
        constexpr int kSteps = 6;
        for (int i = 1; i <= kSteps; ++i) {
            XTestFakeMotionEvent(display_, -1, a.x + (b.x - a.x) * i / kSteps, a.y + (b.y - a.y) * i / kSteps, 0);
            Run();
        }
        XTestFakeButtonEvent(display_, 1, False, 0);
        Run();
    }

    void Click(Pixel at) { Drag(at, at); }

    // A menu command, then a click on the page: the object the kernel made.
    ObjectHandle CreateAt(int16_t command, Pixel at)
    {
        GE_DispatchPick(kTolqMenu, command, true);
        Run();
        Click(at);
        Comm_SetTextMode(0);
        Run();
        return QXStr_GetCurObject();
    }

    static uint16_t KindOf(SEHead* record)
    {
        uint16_t kind = 0, subKind = 0;
        SEGetKind(record, &kind, &subKind);
        return kind;
    }

    Display* display_ = nullptr;
    ObjectHandle page_ = 0;
    Widget window_ = nullptr;
};

TEST_F(NetCreateX, PlaceAndTransitionGetTheirRecordsOnThePagesNet)
{
    const ObjectHandle place = CreateAt(kCommandPlace, {80, 80});
    ASSERT_NE(place, 0u);
    SEHead* placeRecord = RecordOf(place);
    ASSERT_NE(placeRecord, nullptr) << "the place has no net record";
    EXPECT_EQ(KindOf(placeRecord), kSEPlace);
    EXPECT_EQ(SEGetKVObj(placeRecord), place);
    EXPECT_EQ(GE_GetCreateKind(), kGECreateNone) << "the creation has ended";

    const ObjectHandle transition = CreateAt(kCommandTransition, {80, 240});
    ASSERT_NE(transition, 0u);
    ASSERT_NE(transition, place);
    SEHead* transRecord = RecordOf(transition);
    ASSERT_NE(transRecord, nullptr) << "the transition has no net record";
    EXPECT_EQ(KindOf(transRecord), kSETrans);

    auto* net = reinterpret_cast<SEPage*>(RecordOf(page_));
    ASSERT_NE(net, nullptr);
    EXPECT_EQ(LMCount(net->places), 1);
    EXPECT_EQ(LMCount(net->transitions), 1);
}

// An arc from the place to the transition: one record, place to transition,
// owned by the transition as its input; saved and read back unchanged.
TEST_F(NetCreateX, ArcFromPlaceToTransitionSurvivesSaveAndReopen)
{
    const ObjectHandle place = CreateAt(kCommandPlace, {80, 80});
    const ObjectHandle transition = CreateAt(kCommandTransition, {80, 240});
    ASSERT_NE(RecordOf(place), nullptr);
    ASSERT_NE(RecordOf(transition), nullptr);

    GE_DispatchPick(kTolqMenu, kCommandArc, true);
    Run();
    Drag({80, 80}, {80, 240});
    Run();
    const ObjectHandle arc = QXStr_GetCurObject();
    ASSERT_NE(arc, 0u);
    ASSERT_EQ(QXRdAttr_GetObjectType(arc), kQXKindConnector) << "no connector was drawn";
    SEHead* arcRecord = RecordOf(arc);
    ASSERT_NE(arcRecord, nullptr) << "the arc has no net record";
    uint16_t kind = 0, direction = 0;
    SEGetKind(arcRecord, &kind, &direction);
    EXPECT_EQ(kind, kSEArc);
    EXPECT_EQ(direction, kSEPlaceToTrans);
    auto* trans = reinterpret_cast<SETrans*>(RecordOf(transition));
    ASSERT_EQ(LMCount(trans->inputArcs), 1);
    EXPECT_EQ(Nth(trans->inputArcs, 1), arcRecord);
    EXPECT_EQ(reinterpret_cast<SEArc*>(arcRecord)->place, reinterpret_cast<SEPlace*>(RecordOf(place)));

    tolq::test::TempDir dir;
    const std::string path = dir.file("made.tolq");
    ASSERT_EQ(Comm_SetFilePath(1, path.c_str()), kStatusOk);
    ASSERT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    ASSERT_FALSE(tolq::test::read_file(path + ".DB").empty()) << "no data base beside the diagram";

    CloseDiagram();
    Run();
    EXPECT_EQ(SECurrentRoot(), nullptr) << "closing frees the net";
    ASSERT_EQ(Comm_SetFilePath(1, path.c_str()), kStatusOk);
    ASSERT_EQ(Comm_LoadDiagram(), kStatusOk);
    Run();

    SERoot* root = SECurrentRoot();
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(LMCount(root->pages), 1);
    auto* net = static_cast<SEPage*>(Nth(root->pages, 1));
    ASSERT_EQ(LMCount(net->places), 1);
    ASSERT_EQ(LMCount(net->transitions), 1);
    auto* readPlace = static_cast<SEHead*>(Nth(net->places, 1));
    auto* readTrans = static_cast<SETrans*>(Nth(net->transitions, 1));
    EXPECT_TRUE(Linked(readPlace));
    EXPECT_TRUE(Linked(&readTrans->head));
    ASSERT_EQ(LMCount(readTrans->inputArcs), 1);
    EXPECT_EQ(LMCount(readTrans->outputArcs), 0);
    auto* readArc = static_cast<SEArc*>(Nth(readTrans->inputArcs, 1));
    EXPECT_TRUE(Linked(&readArc->head));
    EXPECT_EQ(readArc->head.subKind, kSEPlaceToTrans);
    EXPECT_EQ(&readArc->place->head, readPlace);
    EXPECT_EQ(QXRdAttr_GetObjectType(SEGetKVObj(&readArc->head)), kQXKindConnector);
}

// Drawn the other way, from the transition to the place, the arc is the
// transition's output.
TEST_F(NetCreateX, ArcFromTransitionToPlaceIsItsOutput)
{
    const ObjectHandle transition = CreateAt(kCommandTransition, {80, 240});
    const ObjectHandle place = CreateAt(kCommandPlace, {80, 80});
    ASSERT_NE(RecordOf(place), nullptr);
    ASSERT_NE(RecordOf(transition), nullptr);

    GE_DispatchPick(kTolqMenu, kCommandArc, true);
    Run();
    Drag({80, 240}, {80, 80});
    Run();
    const ObjectHandle arc = QXStr_GetCurObject();
    ASSERT_EQ(QXRdAttr_GetObjectType(arc), kQXKindConnector) << "no connector was drawn";
    SEHead* arcRecord = RecordOf(arc);
    ASSERT_NE(arcRecord, nullptr);
    EXPECT_EQ(arcRecord->subKind, kSETransToPlace);
    auto* trans = reinterpret_cast<SETrans*>(RecordOf(transition));
    EXPECT_EQ(LMCount(trans->inputArcs), 0);
    ASSERT_EQ(LMCount(trans->outputArcs), 1);
    EXPECT_EQ(Nth(trans->outputArcs, 1), arcRecord);
}

// Steps run from a toolkit timer while a modal dialog's nested loop runs, each
// tried every 30 ms until it returns true; after the limit the dialogs close.
class DialogSteps {
public:
    explicit DialogSteps(std::vector<std::function<bool()>> steps)
        : steps_(std::move(steps)), deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(15))
    {
        timer_ = XtAppAddTimeOut(Velkor_Settings().appContext, 30, Tick, this);
    }
    ~DialogSteps()
    {
        if (timer_ != 0)
            XtRemoveTimeOut(timer_);
    }
    bool finished() const { return next_ == steps_.size(); }

private:
    static void Tick(XtPointer self, XtIntervalId*)
    {
        auto* s = static_cast<DialogSteps*>(self);
        s->timer_ = 0;
        while (s->next_ < s->steps_.size() && s->steps_[s->next_]())
            ++s->next_;
        if (s->finished())
            return;
        if (std::chrono::steady_clock::now() > s->deadline_) {
            while (Dialog_Depth() > 0)
                Dialog_Close(2);
            return;
        }
        s->timer_ = XtAppAddTimeOut(Velkor_Settings().appContext, 30, Tick, s);
    }
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    std::chrono::steady_clock::time_point deadline_;
    XtIntervalId timer_ = 0;
};

// A real click on an item of the top dialog.
std::function<bool()> ClickDialogItem(int item)
{
    return [item] {
        Widget w = Dialog_ItemWidget(item);
        if (w == nullptr || !XtIsRealized(w))
            return false;
        Display* display = XtDisplay(w);
        Window child = 0;
        int x = 0, y = 0;
        Dimension width = 0, height = 0;
        XtVaGetValues(w, XtNwidth, &width, XtNheight, &height, nullptr);
        XTranslateCoordinates(display, XtWindow(w), DefaultRootWindow(display), width / 2, height / 2, &x, &y,
                              &child);
        XTestFakeMotionEvent(display, -1, x, y, 0);
        XTestFakeButtonEvent(display, 1, True, 0);
        XTestFakeButtonEvent(display, 1, False, 0);
        XFlush(display);
        return true;
    };
}

// "Declaration Node..." asks for the node's kind; a click on the page then
// makes a node with the declaration record of the chosen kind. "Cancel"
// starts nothing.
TEST_F(NetCreateX, DeclarationNodeOfTheKindChosenInItsDialog)
{
    constexpr int16_t kCommandDeclNode = 10105;
    {
        DialogSteps steps({[] { return Dialog_TopDialogNumber() == 30165; }, ClickDialogItem(6),
                           [] { return Dialog_GetRadioChoice(5, 7) == 6; }, ClickDialogItem(1)});
        GE_DispatchPick(kTolqMenu, kCommandDeclNode, true);
        EXPECT_TRUE(steps.finished());
    }
    EXPECT_EQ(GE_GetCreateKind(), kGECreateTemporaryDecl);
    Run();
    Click({120, 120});
    Comm_SetTextMode(0);
    Run();
    const ObjectHandle node = QXStr_GetCurObject();
    SEHead* record = RecordOf(node);
    ASSERT_NE(record, nullptr) << "the node has no declaration record";
    EXPECT_EQ(KindOf(record), kSEDeclNode);
    EXPECT_EQ(record->subKind, kSEDeclTemporary);

    GE_SetCreateKind(kGECreateNone);
    {
        DialogSteps steps({[] { return Dialog_TopDialogNumber() == 30165; }, ClickDialogItem(2)});
        GE_DispatchPick(kTolqMenu, kCommandDeclNode, true);
        EXPECT_TRUE(steps.finished());
    }
    EXPECT_EQ(GE_GetCreateKind(), kGECreateNone);
}

}  // namespace
