// Start-up stages in process: the program's name and directory, and the
// kernel's X resources with their clamps, read through the real toolkit from
// the option table and -xrm lines on the test's private X server.
#include <gtest/gtest.h>

#include "xvfb.h"

#include <X11/Intrinsic.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "xkv/velkor/Velkor.h"

TOLQ_X11_TEST_ENVIRONMENT();

namespace {

std::string DirectoryOfRunningTest()
{
    char buffer[PATH_MAX + 1] = {};
    const ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind('/') + 1);
}

int SetPath(const std::string& arg0)
{
    std::vector<char> text(arg0.begin(), arg0.end());
    text.push_back('\0');
    char* argv[] = {text.data(), nullptr};
    return Velkor_SetProgramPath(argv);
}

TEST(ProgramPath, AbsolutePathGivesItsDirectory)
{
    ASSERT_EQ(SetPath("/x/y/tolq"), 0);
    EXPECT_STREQ(Velkor_Settings().programDirectory, "/x/y/");
    EXPECT_STREQ(Velkor_Settings().programName, "tolq");
}

TEST(ProgramPath, RelativePathIsJoinedToTheCurrentDirectory)
{
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(SetPath("bin/tolq"), 0);
    EXPECT_EQ(std::string(Velkor_Settings().programDirectory), std::string(cwd) + "/bin/");
}

TEST(ProgramPath, BareNameIsFoundAsTheRunningExecutable)
{
    ASSERT_EQ(SetPath("tolq"), 0);
    EXPECT_EQ(std::string(Velkor_Settings().programDirectory), DirectoryOfRunningTest());
}

TEST(ProgramPath, OverlongValuesAreBounded)
{
    ASSERT_EQ(SetPath("/d/" + std::string(200, 'n')), 0);
    EXPECT_EQ(std::string(Velkor_Settings().programName), std::string(kVelkorNameMax, 'n'));
    EXPECT_NE(SetPath("/" + std::string(2000, 'd') + "/tolq"), 0);
}

struct ResourceCase {
    const char* name;
    std::vector<std::string> args;
    int32_t tabSize;
    int32_t maxPageWindows;
    int32_t maxTextInObject;
    bool dragWithRegions;
    bool limitWorkspace;
};

class ResourceTest : public ::testing::TestWithParam<ResourceCase> {
protected:
    void TearDown() override
    {
        VelkorSettings& s = Velkor_Settings();
        if (s.appContext != nullptr) {
            XtDestroyApplicationContext(s.appContext);
        }
        s = VelkorSettings{};
    }
};

TEST_P(ResourceTest, ClampsAndBooleans)
{
    const ResourceCase& c = GetParam();
    std::vector<std::string> words = {"tolq"};
    words.insert(words.end(), c.args.begin(), c.args.end());
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    ASSERT_EQ(SetPath("tolq"), 0);
    ASSERT_EQ(Velkor_InitX(&argc, argv.data(), 0), 0u);
    EXPECT_EQ(argc, 1);  // every option was taken off the vector
    const VelkorSettings& s = Velkor_Settings();
    EXPECT_EQ(s.tabSize, c.tabSize);
    EXPECT_EQ(s.maxPageWindows, c.maxPageWindows);
    EXPECT_EQ(s.maxTextInObject, c.maxTextInObject);
    EXPECT_EQ(s.dragWithRegions, c.dragWithRegions);
    EXPECT_EQ(s.limitWorkspace, c.limitWorkspace);
}

INSTANTIATE_TEST_SUITE_P(
    Resources, ResourceTest,
    ::testing::Values(
        ResourceCase{"Defaults", {}, 4, 15, INT32_MAX, true, false},
        ResourceCase{"InRange", {"-tab", "8", "-maxWins", "3", "-maxText", "500"}, 8, 3, 500, true, false},
        ResourceCase{"ZeroValues", {"-tab", "0", "-maxWins", "0", "-maxText", "0"}, 4, 15, INT32_MAX, true, false},
        ResourceCase{"SixteenWindows", {"-maxWins", "16"}, 4, 15, INT32_MAX, true, false},
        ResourceCase{"NegativeText", {"-maxText", "-7"}, 4, 15, INT32_MAX, true, false},
        ResourceCase{"HugeNumber", {"-maxText", "99999999999999"}, 4, 15, INT32_MAX, true, false},
        ResourceCase{"TrueIsNotOn", {"-xrm", "*dragWithRegions: true"}, 4, 15, INT32_MAX, false, false},
        ResourceCase{"UpperCaseOn", {"-xrm", "*dragWithRegions: ON", "-limitWorkspace"}, 4, 15, INT32_MAX, true,
                     true},
        ResourceCase{"XrmLines", {"-xrm", "tolq.tabSize: 2", "-xrm", "*limitWorkspace: On"}, 2, 15, INT32_MAX, true,
                     true}),
    [](const ::testing::TestParamInfo<ResourceCase>& info) { return std::string(info.param.name); });

}  // namespace
