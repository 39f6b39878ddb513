// The QX file functions with the real file selector on the private X server:
// the path typed into the selector's field is the one chosen, the selector
// shows the caller's prompt and button, and a click on Cancel gives the
// cancel result (status 60) or, for page files, goes on with the given path.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "user_answers.h"
#include "xclient.h"
#include "process.h"

#include <X11/IntrinsicP.h>
#include <X11/StringDefs.h>

#include <filesystem>
#include <string>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommPageFile.h"
#include "xkv/core/Core.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/platform/sfselect/SFinternal.h"

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

int gCalls = 0;

uint32_t WriteHello(FileHandle file)
{
    ++gCalls;
    return QXFile_Write(file, "hello", 5);
}

uint32_t CountCall(FileHandle)
{
    ++gCalls;
    return 1;
}

std::string LabelOf(Widget w)
{
    const char* label = nullptr;
    XtVaGetValues(w, XtNlabel, &label, nullptr);
    return label != nullptr ? label : "";
}

class QXFileSelectorTest : public DialogX {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
        ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
        ASSERT_EQ(Default_Init(), kStatusOk);
        ASSERT_EQ(Model_NewDiagram(), kStatusOk);
        ASSERT_EQ(Core_AddPage(&page_), kStatusOk);
        gCalls = 0;
        QXStatus = 0;
    }
    void TearDown() override
    {
        CloseDialogsAndSelector();
        DialogX::TearDown();
        Core_CloseModel();
        Default_Shutdown();
        Model_DestroyTable();
        Group_DestroyTable();
    }

    // Runs the call while the steps answer the selector.
    void WithSelector(const std::string& name, const std::function<void()>& call, std::string* shownField = nullptr)
    {
        XClient input;
        Driver driver(app(), ChooseFile(input, dir_.path(), name, shownField), CloseDialogsAndSelector);
        call();
        EXPECT_TRUE(driver.finished()) << "stopped at step " << driver.reached();
        EXPECT_EQ(Dialog_IsFileSelectorShown(), 0u);
    }

    TempDir dir_;
    ObjectHandle page_ = 0;
};

TEST_F(QXFileSelectorTest, SelectFileGivesTheTypedPathWithTheCallersPromptAndButton)
{
    char* chosen = nullptr;
    uint32_t result = 0;
    WithSelector("picked.txt", [&] { result = QXFile_SelectFile("Pick a net", "Take", nullptr, 0, &chosen); });
    ASSERT_EQ(result, 1u);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(std::string(chosen), dir_.file("picked.txt"));
    QXMem_Free(chosen);
    EXPECT_EQ(LabelOf(SelFile().prompt), "Pick a net");
    EXPECT_EQ(LabelOf(SelFile().ok), "Take");
}

TEST_F(QXFileSelectorTest, CreateWithTheDialogWritesTheChosenFileUnderTheSaveButton)
{
    uint32_t result = 0;
    WithSelector("made.txt", [&] { result = QXFile_CreateFileWith(WriteHello, nullptr, 0, "Save Net As", 0); });
    EXPECT_EQ(result, 1u) << QXStatus;
    EXPECT_EQ(gCalls, 1);
    EXPECT_EQ(read_file(dir_.file("made.txt")), "hello");
    EXPECT_EQ(LabelOf(SelFile().prompt), "Save Net As");
    EXPECT_EQ(LabelOf(SelFile().ok), "Save");
}

TEST_F(QXFileSelectorTest, OpenWithTheDialogReadsTheChosenFile)
{
    write_file(dir_.file("there.txt"), "hello");
    uint32_t result = 0;
    std::string shown;
    WithSelector("there.txt", [&] { result = QXFile_OpenFileWith(CountCall, dir_.file("start.txt").c_str()); },
                 &shown);
    EXPECT_EQ(result, 1u) << QXStatus;
    EXPECT_EQ(gCalls, 1);
    EXPECT_NE(shown.find("start.txt"), std::string::npos) << "the given name is the initial path: " << shown;
    EXPECT_EQ(LabelOf(SelFile().prompt), "Open File");
    EXPECT_EQ(LabelOf(SelFile().ok), "Open");
}

TEST_F(QXFileSelectorTest, CancelGivesSixtyAndCallsNothing)
{
    struct Case {
        const char* name;
        std::function<uint32_t()> call;
    };
    char* chosen = nullptr;
    const Case cases[] = {
        {"create", [&] { return QXFile_CreateFileWith(WriteHello, dir_.file("x").c_str(), 0, "Save", 0); }},
        {"open", [&] { return QXFile_OpenFileWith(CountCall, nullptr); }},
        {"select", [&] { return QXFile_SelectFile("t", "b", "i", 0, &chosen); }},
    };
    for (const Case& c : cases) {
        QXStatus = 0;
        uint32_t result = 99;
        WithSelector("", [&] { result = c.call(); });
        EXPECT_EQ(result, 0u) << c.name;
        EXPECT_EQ(QXStatus, 60u) << c.name;
    }
    EXPECT_EQ(gCalls, 0);
    EXPECT_EQ(chosen, nullptr);
    EXPECT_FALSE(fs::exists(dir_.file("x")));
}

TEST_F(QXFileSelectorTest, PageFilesTakeTheChosenNameAndStopOnCancel)
{
    char path[kQXPathSize] = {};
    std::snprintf(path, sizeof path, "%s", dir_.file("given.page").c_str());
    uint32_t cancelled = 0;
    uint32_t result = 0;
    QXStatus = 0;
    WithSelector("", [&] { result = QXFile_SavePage(path, 1, &cancelled, 1, 1, &page_, 0, nullptr); });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(QXStatus, 60u);
    EXPECT_EQ(cancelled, 1u);
    EXPECT_FALSE(fs::exists(dir_.file("given.page")));

    // A cancelled load reads nothing, not even the path it was given.
    const uint32_t pagesBefore = Model_CountPages();
    cancelled = 0;
    QXStatus = 0;
    WithSelector("", [&] { result = QXFile_LoadPage(path, 1, nullptr, nullptr, &cancelled, nullptr); });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(QXStatus, 60u);
    EXPECT_EQ(cancelled, 1u);
    EXPECT_EQ(Model_CountPages(), pagesBefore);

    cancelled = 0;
    WithSelector("chosen.page", [&] { result = QXFile_SavePage(path, 1, &cancelled, 1, 1, &page_, 0, nullptr); });
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(cancelled, 0u);
    EXPECT_EQ(std::string(path), dir_.file("chosen.page"));
    EXPECT_TRUE(fs::exists(dir_.file("chosen.page")));

    char loaded[kQXPathSize] = {};
    WithSelector("chosen.page", [&] {
        result = QXFile_LoadPage(dir_.file("none.page").c_str(), 1, nullptr, nullptr, &cancelled, loaded);
    });
    EXPECT_EQ(result, 1u) << QXStatus;
    EXPECT_EQ(std::string(loaded), dir_.file("chosen.page"));
}

// The file dialog of Load and Save Page and Text, answered in the selector:
// the stored path of the file kind preset (with the name for saving), the
// request's title and button, and the chosen name and directory back in the
// answered block; a cancel answers nothing.
TEST_F(QXFileSelectorTest, TheCommandFileDialogShowsTheStoredPathAndAnswersTheChosenOne)
{
    constexpr int32_t kSavePage = 70;
    constexpr int32_t kLoadText = 67;
    ASSERT_EQ(Comm_SetFilePath(2, dir_.file("stored.page").c_str()), 0u);
    MemHandle answer = 0;
    KernelStatus status = 1;
    std::string shown;
    WithSelector("chosen.page", [&] { status = Comm_OpenFileDialog(kSavePage, &answer, 1); }, &shown);
    ASSERT_EQ(status, 0u);
    EXPECT_EQ(shown, dir_.file("stored.page"));
    EXPECT_EQ(LabelOf(SelFile().prompt), "Save Current Page As:");
    EXPECT_EQ(LabelOf(SelFile().ok), "Save");
    ASSERT_NE(answer, 0u);
    ASSERT_GE(Mem_Size(answer), 812u);
    std::vector<char> block(Mem_Size(answer));
    ASSERT_EQ(Mem_CopyOut(block.data(), answer), 0u);
    Mem_Free(answer);
    EXPECT_EQ(std::string(block.data() + 28), "chosen.page");
    EXPECT_EQ(std::string(block.data() + 284), dir_.path() + "/");

    // Loading presets the directory only; a cancel answers nothing.
    answer = 0;
    ASSERT_EQ(Comm_SetFilePath(3, dir_.file("notes.txt").c_str()), 0u);
    WithSelector("", [&] { status = Comm_OpenFileDialog(kLoadText, &answer, 1); }, &shown);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(answer, 0u);
    EXPECT_EQ(shown.find("notes.txt"), std::string::npos) << shown;
    EXPECT_EQ(LabelOf(SelFile().prompt), "Load Text From:");
    EXPECT_EQ(LabelOf(SelFile().ok), "Open");
    EXPECT_EQ(Comm_OpenFileDialog(4242, &answer, 1), 6u);
}

}  // namespace
}  // namespace tolq::test
