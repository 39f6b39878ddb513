// tolq's print-files run on diagrams written here: each file is printed
// through the spooler command of VelkorPrintCommand (here one that keeps
// the document), and a spooler that fails is reported with exit status 1.
// Each diagram has its net data base file beside it, as tolq needs to open it.
#include <gtest/gtest.h>

#include "NetDataBaseFixture.h"
#include "process.h"
#include "xvfb.h"

#include <filesystem>
#include <string>
#include <vector>

#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/model/Model.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace tolq::test {
namespace {

namespace fs = std::filesystem;

const std::string kTolq = std::string(TOLQ_BIN_DIR) + "/tolq";

// A diagram of one page numbered 3 with a box on it.
void WriteDiagram(const std::string& path)
{
    ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
    ASSERT_EQ(Model_CreateTable(kInitialObjectSlots), kStatusOk);
    ASSERT_EQ(Default_Init(), kStatusOk);
    ASSERT_EQ(Model_NewDiagram(), kStatusOk);
    ObjectHandle page = Model_NewPage();
    Model_SetFieldValue(page, Field::kPageNumber, 3);
    ObjectHandle node = Model_NewNode(page);
    FixRect box{10 << 16, 10 << 16, 60 << 16, 40 << 16};
    Model_SetField(node, Field::kBox, &box);
    EXPECT_EQ(File_SaveDiagram(path.c_str()), kStatusOk);
    Model_DestroyTree(Model_GetRoot());
    Default_Shutdown();
    Model_DestroyTable();
    Group_DestroyTable();
}

class PrintFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteDiagram(diagram_);
        WriteEmptyNetDataBase(diagram_);
    }

    ProcessResult Print(const std::string& spooler)
    {
        ProcessOptions options;
        options.env = {{"VelkorPrintDirectory", dir_.path()}, {"VelkorPrintCommand", spooler}};
        options.timeout = std::chrono::milliseconds(20000);
        return run_process({kTolq, "-print", diagram_}, options);
    }

    TempDir dir_;
    std::string diagram_ = dir_.file("net.dia");
    std::string spooled_ = dir_.file("spooled.ps");
};

TEST_F(PrintFilesTest, EachFileGoesToTheSpooler)
{
    const ProcessResult r = Print("sh -c 'mv \"$2\" \"$1\"' _ " + spooled_);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NE(r.err.find("tolq: File " + diagram_ + " was printed.\n"), std::string::npos) << r.err;
    ASSERT_TRUE(fs::exists(spooled_));
    const std::string document = read_file(spooled_);
    EXPECT_EQ(document.rfind("%!PS-Adobe-3.0\n", 0), 0u);
    EXPECT_NE(document.find("%%Page: (3) 1\n"), std::string::npos) << document.substr(document.size() > 300 ? document.size() - 300 : 0);
}

TEST_F(PrintFilesTest, AFailingSpoolerIsReportedWithItsCommandAndStatusAndLeavesNoFile)
{
    struct Case {
        const char* spooler;
        const char* reason;
    };
    const Case cases[] = {
        {"false", "tolq: The print command \"false\" failed with exit status 1.\n"},
        {"no-such-spooler-here", "tolq: The print command \"no-such-spooler-here\" failed with exit status 127.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spooler);
        const ProcessResult r = Print(c.spooler);
        EXPECT_EQ(r.exit_status, 1) << r.err;
        EXPECT_NE(r.err.find("tolq: File " + diagram_ + " could not be printed.\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        for (const auto& entry : fs::directory_iterator(dir_.path())) {
            EXPECT_NE(entry.path().filename().string().rfind("Plexmor.PS", 0), 0u) << entry.path();
        }
    }
}

}  // namespace
}  // namespace tolq::test
