// The print and EPS setup commands with their real dialogs on the private X
// server: "Print..." opens the print dialog on the stored settings and OK
// prints the pages they choose through the spooler; Cancel prints nothing;
// "Eps Setup..." stores what the dialog answers for the diagram; "Page
// Setup..." stores its answer and makes the paper's printable area the size
// of new pages.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "process.h"
#include "user_answers.h"
#include "xclient.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestEvents.h"
#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kRequestPrint = 73;
constexpr uint32_t kRequestEpsSetup = 123;
constexpr uint32_t kRequestPageSetup = 122;
constexpr int kPageSetupDialog = 1001;
constexpr int kPrintDialog = 1002;
constexpr int kEpsDialog = 1005;
constexpr int kCancelItem = 2;

std::vector<ObjectHandle> gPages;
uintptr_t ThePages(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* list = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * gPages.size()));
    std::copy(gPages.begin(), gPages.end(), list);
    *reinterpret_cast<uint16_t*>(count) = static_cast<uint16_t>(gPages.size());
    *reinterpret_cast<uint32_t**>(pages) = list;
    return 1;
}

class PrintDialogTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        for (uint32_t number : {1u, 2u}) {
            ObjectHandle page = 0;
            ASSERT_EQ(Core_AddPage(&page), kStatusOk);
            Model_SetFieldValue(page, Field::kPageNumber, number);
            gPages.push_back(page);
        }
        Hook_Register(85, ThePages);
        setenv("VelkorPrintDirectory", dir_.path().c_str(), 1);
        const std::string spooler = "sh -c 'mv \"$2\" \"$1\"' _ " + spooled_;
        setenv("VelkorPrintCommand", spooler.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("VelkorPrintDirectory");
        unsetenv("VelkorPrintCommand");
        CloseDialogsAndSelector();
        DialogX::TearDown();
        Hook_Unregister(85);
        gPages.clear();
        Core_CloseModel();
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    static void SetWord(uint32_t property, size_t offset, uint32_t value)
    {
        std::vector<uint8_t> record(Default_PropertySize(property));
        ASSERT_EQ(Default_Get(0, kDefaultLevelNew, property, record.data()), kStatusOk);
        std::memcpy(record.data() + offset, &value, sizeof value);
        ASSERT_EQ(Default_Set(0, kDefaultLevelNew, property, record.data()), kStatusOk);
    }
    static uint32_t WordOf(uint32_t property, size_t offset)
    {
        std::vector<uint8_t> record(Default_PropertySize(property));
        EXPECT_EQ(Default_Get(0, kDefaultLevelNew, property, record.data()), kStatusOk);
        uint32_t value = 0;
        std::memcpy(&value, record.data() + offset, sizeof value);
        return value;
    }

    // Runs the command; the steps answer its dialog, after which the command
    // layer is back in its ready state.
    void RunWithAnswer(uint32_t request, std::vector<Driver::Step> steps)
    {
        Driver driver(app(), std::move(steps), CloseDialogsAndSelector);
        ASSERT_EQ(Comm_PostEvent(TestCommand(request, 0)), 0u);
        EXPECT_EQ(Comm_ProcessEvents(), kStatusOk);
        EXPECT_TRUE(Pump([&] { return driver.finished() && Dialog_Depth() == 0; }))
            << "stopped at step " << driver.reached();
        EXPECT_TRUE(Pump([] { return Comm_GetState() == kCommStateReady; })) << "state " << Comm_GetState();
    }

    TempDir dir_;
    std::string spooled_ = dir_.file("spooled.ps");
    XClient input_;
};

TEST_F(PrintDialogTest, OkPrintsTheChosenPagesAndCancelNothing)
{
    RunWithAnswer(kRequestPrint, AnswerAlert(input_, kPrintDialog, 1, kCancelItem, nullptr));
    EXPECT_FALSE(fs::exists(spooled_));

    // The stored settings: pages numbered 2 to 2.
    SetWord(19, 24, 2);
    SetWord(19, 28, 2);
    SetWord(19, 32, 2);
    RunWithAnswer(kRequestPrint, AnswerAlert(input_, kPrintDialog, 1, 0, nullptr));
    ASSERT_TRUE(fs::exists(spooled_));
    const std::string document = read_file(spooled_);
    EXPECT_NE(document.find("%%Page: (2) 1\n"), std::string::npos);
    EXPECT_EQ(document.find("%%Page: (1)"), std::string::npos);
}

TEST_F(PrintDialogTest, EpsSetupStoresItsAnswerForTheDiagramOnOkOnly)
{
    auto storedForDiagram = [] {
        MemHandle block = 0;
        return Default_Find(0, kDefaultLevelNew, 15, &block, 0) == kStatusOk && block != 0;
    };
    ASSERT_FALSE(storedForDiagram()) << "only the built-in settings at first";
    RunWithAnswer(kRequestEpsSetup, AnswerAlert(input_, kEpsDialog, 1, kCancelItem, nullptr));
    EXPECT_FALSE(storedForDiagram()) << "Cancel stores nothing";

    RunWithAnswer(kRequestEpsSetup, AnswerAlert(input_, kEpsDialog, 1, 0, nullptr));
    EXPECT_TRUE(storedForDiagram());
    EXPECT_EQ(WordOf(15, 24), 100u) << "the dialog showed the built-in scale";
}

TEST_F(PrintDialogTest, PageSetupStoresItsAnswerAndSizesNewPagesOnOkOnly)
{
    // Letter in landscape: the printable area is 792 - 66 by 612 - 64 points.
    SetWord(14, 24, 0);
    SetWord(14, 32, 1);
    const uint32_t width = WordOf(12, 296), height = WordOf(12, 300);
    RunWithAnswer(kRequestPageSetup, AnswerAlert(input_, kPageSetupDialog, 1, kCancelItem, nullptr));
    EXPECT_EQ(WordOf(12, 296), width) << "Cancel changes nothing";
    EXPECT_EQ(WordOf(12, 300), height);

    RunWithAnswer(kRequestPageSetup, AnswerAlert(input_, kPageSetupDialog, 1, 0, nullptr));
    EXPECT_EQ(WordOf(14, 24), 0u) << "the dialog showed the stored paper";
    EXPECT_EQ(WordOf(14, 32), 1u);
    EXPECT_EQ(WordOf(14, 28), 100u);
    EXPECT_EQ(WordOf(12, 296), 726u << 15);
    EXPECT_EQ(WordOf(12, 300), 548u << 15);
}

}  // namespace
}  // namespace tolq::test
