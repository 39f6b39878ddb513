// The net editor's answer to the kernel's attribute dialogs (hook 66) on a
// net with places, its questions answered with real input: the change-current
// switch stores the selected object's kind's defaults at the chosen levels and
// is taken out of the record, a group is refused, a cancelled question stores
// nothing, and the page dialog stores the page defaults.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"

#include <X11/IntrinsicP.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelDialogDefaults.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"

namespace tolq::test {
namespace {

constexpr int kSaveDefaultsDialog = 30150;
constexpr int kConfirmDialog = 30155;
constexpr int kContinueDialog = 30001;
constexpr int kPlaceKey = 3;

void ClickWidget(const XClient& input, int item)
{
    Widget w = Dialog_ItemWidget(item);
    if (w == nullptr) {
        return;
    }
    Window child = 0;
    int x = 0;
    int y = 0;
    XTranslateCoordinates(XtDisplay(w), XtWindow(w), DefaultRootWindow(XtDisplay(w)), w->core.width / 2,
                          w->core.height / 2, &x, &y, &child);
    input.click(x, y);
}

Driver::Step Up(int dialog)
{
    return [dialog] { return Dialog_TopDialogNumber() == dialog && DialogX::FocusOn(Dialog_ShellWidget()); };
}

Driver::Step ClickItem(const XClient& input, int item)
{
    return [&input, item] {
        ClickWidget(input, item);
        return true;
    };
}

Driver::Step WaitState(int item, int state)
{
    return [=] { return Dialog_GetItemState(item) == state; };
}

// A kernel value record as the text-attribute dialog delivers it: bold set
// (changed), the alignment not touched, the change-current switch on.
std::vector<uint8_t> TextRecord(bool changeCurrent)
{
    std::vector<uint8_t> record(60, 0);
    auto put = [&record](size_t offset, uint32_t value) { std::memcpy(record.data() + offset, &value, 4); };
    put(24, 1);
    put(28, changeCurrent ? 1 : 0);
    record[1] = changeCurrent ? 1 : 0;
    put(32, 2);  // bold
    record[2] = 1;
    put(36, 0);  // justification, unchanged
    return record;
}

uint32_t Word(const std::vector<uint8_t>& record, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, record.data() + offset, 4);
    return value;
}

bool StoredAt(uint32_t property, uint32_t level)
{
    MemHandle block = 0;
    return Default_Find(0, level, property, &block, 0) == kStatusOk && block != 0;
}

class KernelDialogDefaultsTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        char pattern[] = "/tmp/kerneldefaultsXXXXXX";
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
        property_ = 0;
        ASSERT_EQ(DefKeyToProperty(kPlaceKey, &property_), 1);
    }
    void TearDown() override
    {
        CloseDialogsAndSelector();
        DialogX::TearDown();
        GE_ClearStateFlags(kGEApplyingAttributes | kGEAttributesSecondPass);
        Select_Clear();
        SEFreeDB();
        GE_SetCurrentDiagram(0);
        for (HookId id = 0; id < kHookCount; ++id) {
            Hook_Unregister(id);
        }
        if (Model_GetRoot() != 0) {
            Model_DestroyTree(Model_GetRoot());
        }
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
    // The hook as the kernel calls it when the dialog closed with OK.
    void Deliver(int dialog, std::vector<uint8_t>& record, std::vector<Driver::Step> steps)
    {
        Driver driver(app(), std::move(steps), CloseDialogsAndSelector);
        EXPECT_EQ(EE_KernelDialogEnded(static_cast<uintptr_t>(dialog), 0, reinterpret_cast<uintptr_t>(record.data()),
                                       0, 0, 0),
                  1u);
        EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
    }

    ObjectHandle page_ = 0;
    int32_t property_ = 0;
    std::string home_;
    XClient input_;
};

TEST_F(KernelDialogDefaultsTest, TextAttributesBecomeTheDefaultsOfPlacesAtTheChosenLevels)
{
    ASSERT_NE(QXStr_SetCurObject(Place(100)), 0u);
    uint32_t before[5] = {};
    DefGetText(kPlaceKey, before, kDefLevelBuiltin);
    std::vector<uint8_t> record = TextRecord(true);
    std::string what;
    Deliver(274, record,
            {Up(kSaveDefaultsDialog),
             [&what] {
                 char text[64] = {};
                 Dialog_GetItemText(7, text, sizeof text - 1);
                 what = text;
                 return true;
             },
             ClickItem(input_, 5), WaitState(5, 0),  // not the diagram
             ClickItem(input_, 6), WaitState(6, 1),  // the system
             ClickItem(input_, 1)});
    EXPECT_EQ(what, "Selected Objects");
    EXPECT_EQ(Word(record, 28), 0u) << "the kernel stores nothing itself";
    EXPECT_EQ(record[1], 0);
    EXPECT_FALSE(StoredAt(static_cast<uint32_t>(property_), kDefLevelDiagram));
    uint32_t text[5] = {};
    ASSERT_EQ(DefGetText(kPlaceKey, text, kDefLevelStandard), 1);
    EXPECT_EQ(text[0], 2u) << "bold";
    EXPECT_EQ(text[1], before[1]) << "the unchanged justification keeps its value";
}

TEST_F(KernelDialogDefaultsTest, NothingIsStoredWhenTheQuestionIsCancelled)
{
    ASSERT_NE(QXStr_SetCurObject(Place(100)), 0u);
    std::vector<uint8_t> record = TextRecord(true);
    Deliver(274, record, {Up(kSaveDefaultsDialog), ClickItem(input_, 2)});
    EXPECT_EQ(Word(record, 28), 0u);
    EXPECT_FALSE(StoredAt(static_cast<uint32_t>(property_), kDefLevelDiagram));
    EXPECT_FALSE(StoredAt(static_cast<uint32_t>(property_), kDefLevelStandard));
}

TEST_F(KernelDialogDefaultsTest, AGroupIsRefusedWithoutAsking)
{
    const ObjectHandle both[] = {Place(100), Place(200)};
    ASSERT_NE(QXStr_SetCurGroup(2, both), 0u);
    std::vector<uint8_t> record = TextRecord(true);
    std::string shown;
    Deliver(274, record, AnswerAlert(input_, kContinueDialog, 4, 0, &shown));
    EXPECT_EQ(shown, "This command does not yet allow defaults to be changed when a group is selected.");
    EXPECT_EQ(Word(record, 28), 0u);
    EXPECT_FALSE(StoredAt(static_cast<uint32_t>(property_), kDefLevelDiagram));
}

TEST_F(KernelDialogDefaultsTest, WithoutTheSwitchOrWithCancelTheRecordIsLeftAlone)
{
    ASSERT_NE(QXStr_SetCurObject(Place(100)), 0u);
    std::vector<uint8_t> plain = TextRecord(false);
    const std::vector<uint8_t> copy = plain;
    Deliver(274, plain, {});
    EXPECT_EQ(plain, copy);
    std::vector<uint8_t> cancelled = TextRecord(true);
    EXPECT_EQ(EE_KernelDialogEnded(274, 1, reinterpret_cast<uintptr_t>(cancelled.data()), 0, 0, 0), 1u);
    EXPECT_EQ(Word(cancelled, 28), 1u);
}

TEST_F(KernelDialogDefaultsTest, GraphicAttributesWhileApplyingAskToSaveTheStandard)
{
    ASSERT_NE(QXStr_SetCurObject(Place(100)), 0u);
    GE_SetStateFlags(kGEApplyingAttributes);
    std::vector<uint8_t> record(64, 0);
    const uint32_t on = 1;
    std::memcpy(record.data() + 28, &on, 4);
    Deliver(262, record, {Up(kConfirmDialog), ClickItem(input_, 1)});
    EXPECT_NE(GE_TestStateFlags(kGEAttributesSecondPass), 0);
    EXPECT_FALSE(StoredAt(static_cast<uint32_t>(property_), kDefLevelDiagram));
    // Another answer than OK only ends the applying.
    EXPECT_EQ(EE_KernelDialogEnded(262, 1, reinterpret_cast<uintptr_t>(record.data()), 0, 0, 0), 1u);
    EXPECT_EQ(GE_TestStateFlags(kGEApplyingAttributes), 0);
}

TEST_F(KernelDialogDefaultsTest, PageAttributesBecomeThePageDefaults)
{
    std::vector<uint8_t> record(308, 0);
    auto put = [&record](size_t offset, uint32_t value) { std::memcpy(record.data() + offset, &value, 4); };
    put(28, 1);
    std::strcpy(reinterpret_cast<char*>(record.data() + 32), "A page name longer than thirty characters");
    put(292, 1);
    put(296, 500u << 15);
    put(300, 300u << 15);
    put(304, 0);
    Deliver(270, record, {Up(kSaveDefaultsDialog), ClickItem(input_, 1)});
    uint16_t width = 0;
    uint16_t height = 0;
    uint32_t c = 0;
    uint32_t d = 9;
    char name[256] = {};
    ASSERT_EQ(DefGetPageTitle(&width, &height, &c, &d, name, kDefLevelDiagram), 1);
    EXPECT_EQ(width, 500);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(c, 1u);
    EXPECT_EQ(d, 0u);
    EXPECT_EQ(std::string(name), std::string("A page name longer than thirty characters").substr(0, 30));
}

}  // namespace
}  // namespace tolq::test
