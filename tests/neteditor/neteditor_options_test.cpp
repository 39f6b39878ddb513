// The net layer's command-line options: which words are consumed, what each
// sets, and the usage exit of -autoexec without an absolute script path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atolq/CEditor/NetOptions.h"

namespace {

struct OptionCase {
    const char* name;
    std::vector<std::string> args;  // after the program name
    std::vector<std::string> kept;  // after the program name
    uint32_t NetOptions::*flag;     // a flag the case must set, or null
    uint32_t NetOptions::*flag2;
    const char* path;               // expected script path, or null
    const char* prompt;             // expected prompt arguments, or null
};

std::vector<std::string> Parse(const std::vector<std::string>& args)
{
    std::vector<std::string> storage = {"tolq"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(storage.size());
    EXPECT_EQ(GE_ParseArguments(&argc, argv.data()), 1);
    EXPECT_EQ(argv[argc], nullptr);
    return std::vector<std::string>(argv.begin() + 1, argv.begin() + argc);
}

class OptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionTest, ConsumesItsWordsAndKeepsTheRest)
{
    const OptionCase& c = GetParam();
    EXPECT_EQ(Parse(c.args), c.kept);
    const NetOptions& o = GE_Options();
    if (c.flag != nullptr) {
        EXPECT_EQ(o.*c.flag, 1u);
    }
    if (c.flag2 != nullptr) {
        EXPECT_EQ(o.*c.flag2, 1u);
    }
    if (c.path != nullptr) {
        EXPECT_EQ(o.scriptPath, c.path);
    }
    if (c.prompt != nullptr) {
        EXPECT_EQ(o.promptArgs, c.prompt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, OptionTest,
    ::testing::Values(
        OptionCase{"DebugBeforeFile", {"-dbg", "file.diag"}, {"file.diag"}, &NetOptions::debug, nullptr, nullptr, nullptr},
        OptionCase{"DumpML", {"-dumpML"}, {}, &NetOptions::dumpML, nullptr, nullptr, nullptr},
        OptionCase{"KernelWordsStay", {"-print", "a.cpn", "-xrm", "x"}, {"-print", "a.cpn", "-xrm", "x"}, nullptr,
                   nullptr, nullptr, nullptr},
        OptionCase{"PerfQuitExtra", {"-autoexec", "/m/x.sml", "perf", "quit", "extra"}, {},
                   &NetOptions::performance, &NetOptions::quit, "/m/x.sml", "extra"},
        OptionCase{"OgThenSimulatorIsPrompt", {"-autoexec", "/m/y.sml", "og", "simulator"}, {},
                   &NetOptions::occurrenceGraph, &NetOptions::enterSimulator, "/m/y.sml", "simulator"},
        OptionCase{"NewSimBothSides", {"-newsim", "-autoexec", "/m/z.sml", "-newsim"}, {}, &NetOptions::newSim,
                   &NetOptions::autoExec, "/m/z.sml", nullptr},
        OptionCase{"DashWordAfterPathIsKept", {"-autoexec", "/m/w.sml", "-print"}, {"-print"}, &NetOptions::autoExec,
                   nullptr, "/m/w.sml", nullptr},
        OptionCase{"SecondAutoexecIsKept", {"-autoexec", "/a.sml", "-autoexec"}, {"-autoexec"},
                   &NetOptions::autoExec, nullptr, "/a.sml", nullptr},
        OptionCase{"SaveCodeAndMlDebug", {"-savecode", "-mldebug"}, {}, &NetOptions::saveCode, &NetOptions::mlDebug,
                   nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionEdges, NullEntriesAndNullArgumentsAreSafe)
{
    char program[] = "tolq";
    char dbg[] = "-dbg";
    char* argv[] = {program, nullptr, dbg, nullptr};
    int argc = 3;
    EXPECT_EQ(GE_ParseArguments(&argc, argv), 1);
    EXPECT_EQ(argc, 2);
    EXPECT_EQ(argv[1], nullptr);
    EXPECT_EQ(GE_ParseArguments(nullptr, argv), 1);
    int none = 0;
    EXPECT_EQ(GE_ParseArguments(&none, nullptr), 1);
}

TEST(OptionEdges, VeryLongScriptPathIsCut)
{
    Parse({"-autoexec", "/" + std::string(20000, 'p')});
    EXPECT_EQ(GE_Options().scriptPath.size(), kGEMaxOptionText);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
};

class UsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, PrintsUsageAndExits1)
{
    testing::internal::CaptureStdout();
    EXPECT_EXIT(
        {
            Parse(GetParam().args);
            std::fflush(stdout);
        },
        testing::ExitedWithCode(1), "");
    testing::internal::GetCapturedStdout();
}

INSTANTIATE_TEST_SUITE_P(NoPath, UsageTest,
                         ::testing::Values(UsageCase{"Relative", {"-autoexec", "x.sml"}},
                                           UsageCase{"Missing", {"-autoexec"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
