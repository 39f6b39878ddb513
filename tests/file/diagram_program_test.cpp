// tolq started with a diagram file as its argument, under the private Xvfb:
// a diagram written here with its net data base file opens with a page
// window; a damaged one is refused with the start-up message and no crash;
// one without its data base file is refused with a message box that the
// user answers, and a print-files run reports that refusal and goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "NetDataBaseFixture.h"
#include "process.h"
#include "xclient.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xvfb.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";

// Writes a diagram of two named pages, the first with a node, to `path`.
void WriteDiagram(const std::string& path)
{
    ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
    ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
    ASSERT_EQ(Default_Init(), kStatusOk);
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    for (uint32_t number : {1u, 2u}) {
        ObjectHandle page = Model_NewPage();
        Model_SetFieldValue(page, Field::kPageNumber, number);
        if (number == 1) {
            ObjectHandle node = Model_NewNode(page);
            FixRect box{10 << 16, 10 << 16, 60 << 16, 40 << 16};
            Model_SetField(node, Field::kBox, &box);
        }
    }
    EXPECT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    Model_DestroyTree(Model_GetRoot());
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
}

std::vector<WindowInfo> MappedShells(const XClient& client)
{
    std::vector<WindowInfo> shells;
    for (const WindowInfo& w : client.window_tree()) {
        if (w.parent == client.root() && w.mapped && w.res_class == "Tolq") {
            shells.push_back(w);
        }
    }
    return shells;
}

// The box's windows go away while the tree is read: a window that vanished
// between listing and asking is no fault of the program.
int IgnoreVanishedWindows(Display*, XErrorEvent* error)
{
    return error->error_code == BadWindow ? 0 : 1;
}

class DiagramArgumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.path + "/net.dia";
        WriteDiagram(path_);
        WriteEmptyNetDataBase(path_);
    }
    ::TempDir dir_;
    std::string path_;
    XClient client_;
};

TEST_F(DiagramArgumentTest, DiagramGivenAsArgumentOpensItsPage)
{
    BackgroundProcess tolq({kTolq, path_});
    ASSERT_TRUE(client_.wait_for_window("tolq").has_value());
    // The main window and the window of the diagram's first page.
    EXPECT_TRUE(wait_until([&] { return MappedShells(client_).size() == 2; })) << MappedShells(client_).size();
    EXPECT_TRUE(tolq.running());
}

// A damaged diagram is reported in a message box; once the user has
// answered it only the main window is left and tolq runs on.
TEST_F(DiagramArgumentTest, DamagedDiagramIsReportedAndOpensNothing)
{
    std::vector<uint8_t> bytes = ReadBytes(path_);
    ASSERT_GT(bytes.size(), 60u);
    std::string bad = dir_.path + "/bad.dia";
    WriteBytes(bad, std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() - 30));
    WriteEmptyNetDataBase(bad);
    const XErrorHandler previous = XSetErrorHandler(IgnoreVanishedWindows);
    BackgroundProcess tolq({kTolq, bad});
    ASSERT_TRUE(client_.wait_for_window("tolq").has_value());
    std::optional<WindowInfo> button;
    ASSERT_TRUE(wait_until([&] { return (button = client_.message_box_button()).has_value(); })) << "no message box";
    client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
    EXPECT_TRUE(wait_until([&] { return MappedShells(client_).size() == 1; })) << MappedShells(client_).size();
    client_.sync();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(MappedShells(client_).size(), 1u);
    EXPECT_TRUE(tolq.running());
    XSetErrorHandler(previous);
}

// In print mode each file's load is reported: a damaged file "could not be
// opened"; a good one is loaded and goes on to printing.
TEST_F(DiagramArgumentTest, PrintModeReportsEachFile)
{
    std::string bad = dir_.path + "/bad.dia";
    WriteBytes(bad, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 8, 8, 0, 0, 4});
    WriteEmptyNetDataBase(bad);
    ProcessOptions options;
    options.timeout = std::chrono::milliseconds(20000);
    ProcessResult r = run_process({kTolq, "-print", bad, path_}, options);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.term_signal, 0);
    EXPECT_NE(r.err.find("tolq: File " + bad + " could not be opened.\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("tolq: File " + path_ + " could not be opened."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tolq: File " + path_ + " "), std::string::npos) << r.err;
}

const std::string kNoDataBase =
    "Data base file could not be found. It must be in the same folder as the diagram file and have the same name "
    "(extended with .DB).";

// Without its data base file the diagram is refused before anything of it is
// read: a message box says why, and once the user has answered it only the
// main window is left and tolq runs on.
TEST_F(DiagramArgumentTest, DiagramWithoutDataBaseIsRefusedWithAMessageBox)
{
    const std::string lone = dir_.path + "/lone.dia";
    WriteDiagram(lone);
    const XErrorHandler previous = XSetErrorHandler(IgnoreVanishedWindows);
    BackgroundProcess tolq({kTolq, lone});
    ASSERT_TRUE(client_.wait_for_window("tolq").has_value());
    std::optional<WindowInfo> button;
    ASSERT_TRUE(wait_until([&] { return (button = client_.message_box_button()).has_value(); })) << "no message box";
    client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
    EXPECT_TRUE(wait_until([&] { return MappedShells(client_).size() == 1; })) << MappedShells(client_).size();
    client_.sync();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(MappedShells(client_).size(), 1u);
    EXPECT_TRUE(tolq.running());
    XSetErrorHandler(previous);
}

// A print-files run never waits on a box: the refusal goes to the error
// output, the file is reported as not opened and the next one is printed.
TEST_F(DiagramArgumentTest, PrintModeReportsAMissingDataBaseAndGoesOn)
{
    const std::string lone = dir_.path + "/lone.dia";
    WriteDiagram(lone);
    ProcessOptions options;
    options.timeout = std::chrono::milliseconds(20000);
    options.env = {{"VelkorPrintDirectory", dir_.path}, {"VelkorPrintCommand", "true"}};
    const ProcessResult r = run_process({kTolq, "-print", lone, path_}, options);
    ASSERT_FALSE(r.timed_out) << "the run waited: " << r.err;
    EXPECT_EQ(r.term_signal, 0);
    EXPECT_NE(r.err.find("tolq: " + kNoDataBase + "\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tolq: File " + lone + " could not be opened.\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tolq: File " + path_ + " was printed.\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tolq::test
