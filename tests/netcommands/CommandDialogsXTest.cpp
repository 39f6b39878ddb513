// The net editor's command dialogs on the private X server, answered with
// real input: the port type of Port Place... with its preselection and its
// refusal of OK without a choice. Port Place..., Replace by Subpage... and
// Copy Defaults... run on a real net with their dialogs answered, and Port
// Assignment... refuses what is not a single socket.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"

namespace tolq::test {
namespace {

constexpr int kPortDialog = 30045;
// The net layer's own message box and its text item.
constexpr int kMessageBoxDialog = 30000;
constexpr int kMessageBoxText = 3;

void Click(const XClient& input, int item)
{
    Widget w = Dialog_ItemWidget(item);
    if (w == nullptr)
        return;
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                          w->core.height / 2, &x, &y, &child);
    input.click(x, y);
}

// Waits for the dialog to be up and focused.
Driver::Step Up(int dialog)
{
    return [dialog] { return Dialog_TopDialogNumber() == dialog && DialogX::FocusOn(Dialog_ShellWidget()); };
}

Driver::Step ClickItem(const XClient& input, int item)
{
    return [&input, item] {
        Click(input, item);
        return true;
    };
}

Driver::Step WaitRadio(int first, int last, int chosen)
{
    return [=] { return Dialog_GetRadioChoice(first, last) == chosen; };
}

Driver::Step Press(const XClient& input, const char* key)
{
    return [&input, key] {
        input.key(key);
        return true;
    };
}

class CommandDialogsTest : public DialogX {
protected:
    void TearDown() override
    {
        CloseDialogsAndSelector();
        DialogX::TearDown();
    }
};

TEST_F(CommandDialogsTest, PortTypeFollowsTheChosenItem)
{
    struct Case {
        const char* name;
        uint32_t present;
        int click;  // 0: keep the preselection
        int preselected;
        uint16_t portType;
    };
    const Case cases[] = {
        {"no port yet gives General", 0, 0, 5, 4},
        {"an input port keeps Input", kEQPortType1, 0, 6, 1},
        {"Output chosen", 0, 7, 5, 2},
        {"Input & Output chosen", kEQPortType2, 8, 7, 3},
    };
    for (const Case& c : cases) {
        XClient input;
        int preselected = -1;
        std::vector<Driver::Step> steps = {Up(kPortDialog), [&] {
                                               preselected = Dialog_GetRadioChoice(5, 8);
                                               return true;
                                           }};
        if (c.click != 0) {
            steps.push_back(ClickItem(input, c.click));
            steps.push_back(WaitRadio(5, 8, c.click));
        }
        steps.push_back(Press(input, "Return"));
        Driver driver(app(), steps, CloseDialogsAndSelector);
        uint16_t portType = 0;
        EXPECT_EQ(EE_AskPortType(c.present, &portType), 1) << c.name;
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(preselected, c.preselected) << c.name;
        EXPECT_EQ(portType, c.portType) << c.name;
    }
}

TEST_F(CommandDialogsTest, PortTypeCancelAnswersNothing)
{
    XClient input;
    Driver driver(app(), {Up(kPortDialog), ClickItem(input, 2)}, CloseDialogsAndSelector);
    uint16_t portType = 9;
    EXPECT_EQ(EE_AskPortType(0, &portType), 0);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(portType, 9);
}

TEST_F(CommandDialogsTest, PortTypeWithoutAChoiceAsksForOne)
{
    // Several port types present: nothing is preselected, OK says so and the
    // dialog stays until a type is chosen.
    XClient input;
    std::string shown;
    Driver driver(app(),
                  Then(Then({Up(kPortDialog), WaitRadio(5, 8, 0), Press(input, "Return")},
                            AnswerAlert(input, kMessageBoxDialog, kMessageBoxText, 0, &shown)),
                       {Up(kPortDialog), ClickItem(input, 6), WaitRadio(5, 8, 6), Press(input, "Return")}),
                  CloseDialogsAndSelector);
    uint16_t portType = 0;
    EXPECT_EQ(EE_AskPortType(kEQPortType1 | kEQPortType2, &portType), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(shown, "Please select a port type.");
    EXPECT_EQ(portType, 1);
}

// Port Place... and Copy Defaults... on a net: the kernel model with one page, the net's defaults
// and an abstract net.
class PortCommandTest : public CommandDialogsTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        char pattern[] = "/tmp/netportXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        SEInitPools();
        SEStart();
        page_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_NE(page_, 0u);
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetMode(kGEModeEditor);
        ASSERT_NE(QXStr_SetCurPage(page_), 0u);
        SEPage* net = SECreatePage(page_, 1);
        ASSERT_EQ(GE_SetSERecord(page_, &net->head), 1);
    }
    void TearDown() override
    {
        CommandDialogsTest::TearDown();
        Select_Clear();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        for (HookId id = 0; id < kHookCount; ++id)
            Hook_Unregister(id);
        if (Model_GetRoot() != 0)
            Model_DestroyTree(Model_GetRoot());
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
        std::string remove = "rm -rf " + home_;
        (void)std::system(remove.c_str());
    }
    ObjectHandle Place(int x)
    {
        ObjectHandle node = QXStr_CreateNode(page_, x << 16, 100 << 16, 20 << 16, 20 << 16, 2);
        EXPECT_EQ(EE_CreateNetPlace(node), 1);
        return node;
    }
    static uint16_t SubKind(ObjectHandle object)
    {
        SEHead* record = nullptr;
        GE_GetSERecord(object, &record);
        return record != nullptr ? record->subKind : 0;
    }

    ObjectHandle page_ = 0;
    std::string home_;
};

TEST_F(PortCommandTest, SelectedPlacesBecomePortsOfTheChosenType)
{
    const ObjectHandle a = Place(100), b = Place(200);
    const ObjectHandle both[] = {a, b};
    ASSERT_NE(QXStr_SetCurGroup(2, both), 0u);
    XClient input;
    Driver driver(app(), {Up(kPortDialog), ClickItem(input, 7), WaitRadio(5, 8, 7), Press(input, "Return")},
                  CloseDialogsAndSelector);
    EXPECT_EQ(GE_DispatchPick(10100, 10114, true), 1);
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(SubKind(a), kSEPortOutput);
    EXPECT_EQ(SubKind(b), kSEPortOutput);
}

TEST_F(PortCommandTest, CancelLeavesThePlacesPlain)
{
    const ObjectHandle a = Place(100);
    ASSERT_NE(QXStr_SetCurObject(a), 0u);
    XClient input;
    Driver driver(app(), {Up(kPortDialog), ClickItem(input, 2)}, CloseDialogsAndSelector);
    EE_PortCommand();
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(SubKind(a), kSEPlain);
}

}  // namespace
}  // namespace tolq::test

namespace tolq::test {
namespace {

constexpr int kCopyDefaultsDialog = 30600;

TEST_F(PortCommandTest, CopyDefaultsCopiesTheDiagramsDefaultsToTheStandardLevel)
{
    const uint32_t mine[6] = {0, 1, 0, 1, 0, 1};
    ASSERT_EQ(DefSetMergeOptions(mine, kDefLevelDiagram), 1);
    QXStr_SetModified(0);
    XClient input;
    Driver driver(app(),
                  {Up(kCopyDefaultsDialog), WaitRadio(5, 6, 5), ClickItem(input, 6), WaitRadio(5, 6, 6),
                   Press(input, "Return")},
                  CloseDialogsAndSelector);
    EXPECT_EQ(GE_DispatchPick(10200, 10226, true), 1);
    EXPECT_TRUE(driver.finished());
    uint32_t standard[6] = {};
    ASSERT_EQ(DefGetMergeOptions(standard, kDefLevelStandard), 1);
    EXPECT_TRUE(std::equal(std::begin(mine), std::end(mine), std::begin(standard)));
    EXPECT_EQ(QXStr_IsModified(), 1u);
}

TEST_F(PortCommandTest, CopyDefaultsCancelledChangesNothing)
{
    QXStr_SetModified(0);
    XClient input;
    Driver driver(app(), {Up(kCopyDefaultsDialog), ClickItem(input, 2)}, CloseDialogsAndSelector);
    EE_CopyDefaults();
    EXPECT_TRUE(driver.finished());
    EXPECT_EQ(QXStr_IsModified(), 0u);
}

}  // namespace
}  // namespace tolq::test

namespace tolq::test {
namespace {

constexpr int kReplaceDialog = 30450;

class ReplaceBySubpageTest : public PortCommandTest {
protected:
    ObjectHandle TransitionOn(ObjectHandle page, int x)
    {
        ObjectHandle node = QXStr_CreateNode(page, x << 16, 100 << 16, 30 << 16, 20 << 16, 1);
        EXPECT_EQ(EE_CreateNetTrans(node), 1);
        return node;
    }
    ObjectHandle PlaceOn(ObjectHandle page, int x)
    {
        ObjectHandle node = QXStr_CreateNode(page, x << 16, 100 << 16, 20 << 16, 20 << 16, 2);
        EXPECT_EQ(EE_CreateNetPlace(node), 1);
        return node;
    }
    static ObjectHandle ArcOn(ObjectHandle from, ObjectHandle to)
    {
        ObjectHandle connector = QXStr_CreateConnector(QXStr_GetObjectPage(from), from, to);
        QXWtAttr_SetDirection(connector, 1);
        EXPECT_EQ(EE_CreateNetArc(connector), 1);
        return connector;
    }
    static std::vector<ObjectHandle> NodesOf(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetNodeList(page, &count, &list);
        std::vector<ObjectHandle> nodes(list, list + count);
        QXMem_Free(list);
        return nodes;
    }
    static SEHead* RecordOf(ObjectHandle object)
    {
        SEHead* record = nullptr;
        GE_GetSERecord(object, &record);
        return record;
    }
};

TEST_F(ReplaceBySubpageTest, TheSubpagesNetTakesTheSubstitutionTransitionsPlace)
{
    // in -> T -> out on the page; T refines a subpage pin -> u -> pout.
    const ObjectHandle in = Place(100), t = TransitionOn(page_, 200), out = Place(300);
    ArcOn(in, t);
    ArcOn(t, out);
    const ObjectHandle subpage = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(EE_CreateNetPage(subpage, 1), 1);
    const ObjectHandle pin = PlaceOn(subpage, 100), u = TransitionOn(subpage, 200), pout = PlaceOn(subpage, 300);
    ArcOn(pin, u);
    ArcOn(u, pout);
    ASSERT_EQ(EE_MakePort(pin, kSEPortInput), 1);
    ASSERT_EQ(EE_MakePort(pout, kSEPortOutput), 1);
    ASSERT_EQ(EE_MakeCompound(t, kSESubstitution, nullptr), 1);
    ASSERT_EQ(EE_AssignSubpage(t, subpage, 0), 1);
    ASSERT_EQ(EE_AssignPort(t, in, pin), 1);
    ASSERT_EQ(EE_AssignPort(t, out, pout), 1);
    ASSERT_NE(QXStr_SetCurObject(t), 0u);

    XClient input;
    Driver driver(app(), {Up(kReplaceDialog), Press(input, "Return")}, CloseDialogsAndSelector);
    EXPECT_EQ(GE_DispatchPick(10100, 10110, true), 1);
    EXPECT_TRUE(driver.finished());

    EXPECT_EQ(QXStr_IsObject(t), 0u);
    const std::vector<ObjectHandle> nodes = NodesOf(page_);
    ASSERT_EQ(nodes.size(), 3u);
    // The copy of u runs from in to out.
    ObjectHandle copy = 0;
    for (ObjectHandle node : nodes) {
        if (node != in && node != out)
            copy = node;
    }
    ASSERT_NE(RecordOf(copy), nullptr);
    EXPECT_EQ(RecordOf(copy)->kind, kSETrans);
    EXPECT_EQ(SEArcDirection(RecordOf(in), RecordOf(copy)), 1);
    EXPECT_EQ(SEArcDirection(RecordOf(out), RecordOf(copy)), 2);
    // The sockets stay plain places; the subpage went with its last supernode.
    EXPECT_EQ(RecordOf(in)->subKind, kSEPlain);
    EXPECT_EQ(QXStr_IsObject(subpage), 0u);
}

TEST_F(ReplaceBySubpageTest, OnlySubstitutionTransitionsAreReplaced)
{
    const ObjectHandle t = TransitionOn(page_, 200);
    ASSERT_NE(QXStr_SetCurObject(t), 0u);
    XClient input;
    std::string shown;
    Driver driver(app(), AnswerAlert(input, kMessageBoxDialog, kMessageBoxText, 0, &shown), CloseDialogsAndSelector);
    EE_ReplaceBySubpageCommand();
    EXPECT_TRUE(driver.finished());
    EXPECT_FALSE(shown.empty());
    EXPECT_NE(QXStr_IsObject(t), 0u);
}

}  // namespace
}  // namespace tolq::test

namespace tolq::test {
namespace {

class PortAssignmentTest : public ReplaceBySubpageTest {
protected:
    // in -> T, T refines a subpage with an input and an output port.
    void Build()
    {
        in_ = Place(100);
        t_ = TransitionOn(page_, 200);
        ArcOn(in_, t_);
        subpage_ = QXStr_NewPage(1, 0, 0, -1, -1, -1, -1);
        ASSERT_EQ(EE_CreateNetPage(subpage_, 1), 1);
        pin_ = PlaceOn(subpage_, 100);
        pout_ = PlaceOn(subpage_, 300);
        ASSERT_EQ(EE_MakePort(pin_, kSEPortInput), 1);
        ASSERT_EQ(EE_MakePort(pout_, kSEPortOutput), 1);
        ASSERT_EQ(EE_MakeCompound(t_, kSESubstitution, nullptr), 1);
        ASSERT_EQ(EE_AssignSubpage(t_, subpage_, 0), 1);
    }
    ObjectHandle in_ = 0, t_ = 0, subpage_ = 0, pin_ = 0, pout_ = 0;
};

TEST_F(PortAssignmentTest, Refusals)
{
    Build();
    const ObjectHandle lonely = Place(400);
    const ObjectHandle plain = QXStr_CreateNode(page_, 500 << 16, 100 << 16, 20 << 16, 20 << 16, 1);
    struct Case {
        const char* name;
        std::vector<ObjectHandle> selection;
        const char* message;
    };
    const Case cases[] = {
        {"two nodes", {in_, lonely}, "This command is not yet implemented for groups of nodes."},
        {"no peer", {lonely}, "Selection must consist of a single socket place."},
        {"the substitution itself", {t_}, "This command has not yet been implemented for substitution transitions."},
        {"not a net node", {plain}, "Selection is only allowed to contain places."},
    };
    for (const Case& c : cases) {
        if (c.selection.size() == 1)
            ASSERT_NE(QXStr_SetCurObject(c.selection.front()), 0u);
        else
            ASSERT_NE(QXStr_SetCurGroup(static_cast<uint32_t>(c.selection.size()), c.selection.data()), 0u);
        XClient input;
        std::string shown;
        Driver driver(app(), AnswerAlert(input, kMessageBoxDialog, kMessageBoxText, 0, &shown), CloseDialogsAndSelector);
        EE_PortAssignmentCommand();
        EXPECT_TRUE(driver.finished()) << c.name;
        EXPECT_EQ(shown, c.message) << c.name;
        EXPECT_EQ(EE_GetAssignedNode(t_, in_), 0u) << c.name;
    }
}

}  // namespace
}  // namespace tolq::test
