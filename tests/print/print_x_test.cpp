// The EPS export with the real dialogs on the private X server: the file
// name comes from the file selector (Cancel ends the export), an existing
// file is overwritten only after "Yes" to the question, and a write that
// fails part way keeps the old state and says so in a message box.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "process.h"
#include "user_answers.h"
#include "xclient.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

constexpr int kQuestion = 273;
constexpr int kQuestionText = 3;
constexpr int kNoButton = 2;
constexpr int kMessage = 1000;
constexpr int kMessageText = 2;

ObjectHandle gPage = 0;
uintptr_t ThePage(uintptr_t count, uintptr_t pages, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* list = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t)));
    list[0] = gPage;
    *reinterpret_cast<uint16_t*>(count) = 1;
    *reinterpret_cast<uint32_t**>(pages) = list;
    return 1;
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

class EpsDialogTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        ASSERT_EQ(Core_AddPage(&gPage), kStatusOk);
        ObjectHandle box = 0;
        ASSERT_EQ(Core_AddNode(gPage, {-200 << 15, -200 << 15, -100 << 15, -100 << 15}, 1, 0, &box), kStatusOk);
        Model_SetFieldValue(box, Field::kPattern, 1);
        SetPageName("figure");
        Hook_Register(85, ThePage);
        ASSERT_EQ(chdir(dir_.path().c_str()), 0);
    }
    void TearDown() override
    {
        ASSERT_EQ(chdir("/"), 0);
        CloseDialogsAndSelector();
        DialogX::TearDown();
        Print_CloseOutput();
        Hook_Unregister(85);
        Core_CloseModel();
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    // EPS settings: name from the page or asked, ".eps" forced.
    void SetEps(uint32_t nameFromPage)
    {
        std::vector<uint8_t> record(Default_PropertySize(15));
        ASSERT_EQ(Default_Get(0, kDefaultLevelNew, 15, record.data()), kStatusOk);
        const uint32_t words[][2] = {{40, nameFromPage}, {44, 1}};
        for (const auto& w : words) {
            std::memcpy(record.data() + w[0], &w[1], sizeof w[1]);
        }
        ASSERT_EQ(Default_Set(0, kDefaultLevelNew, 15, record.data()), kStatusOk);
    }
    void SetPageName(const char* name)
    {
        std::vector<uint8_t> record(Default_PropertySize(kPropPage));
        ASSERT_EQ(Default_Get(gPage, kDefaultLevelObject, kPropPage, record.data()), kStatusOk);
        std::memset(record.data() + kPageRecordName, 0, kPageRecordNameSize);
        std::memcpy(record.data() + kPageRecordName, name, std::strlen(name));
        std::memset(record.data(), 0, kChangedBytes);
        record[2] = 1;  // only the name changes
        ASSERT_EQ(Default_Set(gPage, kDefaultLevelObject, kPropPage, record.data()), kStatusOk);
    }

    // Runs the export while the steps answer its dialogs.
    uint32_t Export(std::vector<Driver::Step> steps)
    {
        Driver driver(app(), std::move(steps), CloseDialogsAndSelector);
        const uint32_t result = Print_ExportEPS();
        EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
        EXPECT_EQ(Dialog_Depth(), 0);
        EXPECT_EQ(Print_IsActive(), 0u);
        return result;
    }

    TempDir dir_;
    XClient input_;
};

TEST_F(EpsDialogTest, AnExistingFileIsKeptOnNoAndOverwrittenOnYes)
{
    SetEps(1);
    write_file(dir_.file("figure.eps"), "old");
    std::string question;
    EXPECT_EQ(Export(AnswerAlert(input_, kQuestion, kQuestionText, kNoButton, &question)), 0u);
    EXPECT_EQ(question, "File ./figure.eps Exists, Do You Want to Overwrite?");
    EXPECT_EQ(read_file(dir_.file("figure.eps")), "old");

    EXPECT_EQ(Export(AnswerAlert(input_, kQuestion, kQuestionText, 0, nullptr)), 1u);  // Return: "Yes"
    EXPECT_EQ(read_file(dir_.file("figure.eps")).rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);
    EXPECT_EQ(FilesIn(dir_.path()).size(), 1u) << "no temporary file is left";
}

TEST_F(EpsDialogTest, TheSelectorNamesTheFileAndCancelEndsTheExport)
{
    SetEps(0);
    std::string field;
    EXPECT_EQ(Export(ChooseFile(input_, dir_.path(), "drawing", &field)), 1u);
    EXPECT_NE(field.find("figure"), std::string::npos) << "the page's name is proposed: " << field;
    EXPECT_EQ(read_file(dir_.file("drawing.eps")).rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u);

    EXPECT_EQ(Export(ChooseFile(input_, dir_.path(), "", nullptr)), 1u);
    EXPECT_EQ(FilesIn(dir_.path()), std::vector<std::string>{"drawing.eps"});
}

TEST_F(EpsDialogTest, AFailedWriteKeepsNoPartAndIsReported)
{
    SetEps(1);
    write_file(dir_.file("figure.eps.old"), "");
    // A file size limit makes the writes fail part way through.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 2048;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string shown;
    const uint32_t result = Export(AnswerAlert(input_, kMessage, kMessageText, 0, &shown));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(shown, "Could not write file ./figure.eps");
    EXPECT_FALSE(fs::exists(dir_.file("figure.eps")));
    EXPECT_EQ(FilesIn(dir_.path()).size(), 1u) << "no temporary file is left";
}

}  // namespace
}  // namespace tolq::test
