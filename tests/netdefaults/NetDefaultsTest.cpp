// Default records and levels, the standard defaults file (current and older
// form) and damaged files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "KernelFixture.h"
#include "NetDoubles.h"
#include "message_recorder.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/OldDefaults.h"
#include "xkv/mem/Mem.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DefaultsTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        netLog() = NetDoubleLog{};
        char pattern[] = "/tmp/netdefaultsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("HOME", home_.c_str(), 1);
        EE_ClearPendingError();
        ASSERT_EQ(DefRegisterProperties(), 1);
        ASSERT_EQ(DefInitAll(), 1);
        DefSetStandardChanged(0);
    }
    void TearDown() override
    {
        chmod(home_.c_str(), 0700);
        std::filesystem::remove_all(home_);
        EE_ClearPendingError();
        KernelTest::TearDown();
    }
    std::string FilePath() const { return home_ + "/.TOLQSettings3.0"; }
    Bytes ReadFile() const
    {
        std::ifstream in(FilePath(), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const Bytes& bytes) const
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::array<uint32_t, kDefAttributeWords> Attribute(uint32_t property, uint32_t level)
    {
        std::array<uint32_t, kDefAttributeWords> words{};
        EXPECT_EQ(DefGet(0, property, level, words.data()), 1);
        return words;
    }
    // Every level-4 record, then the rest of the store is left alone.
    static void ResetStore()
    {
        Default_Init();
        DefRegisterProperties();
        DefInitAll();
        DefSetStandardChanged(0);
    }
    std::string home_;
};

constexpr uint32_t Fix(double value)
{
    return static_cast<uint32_t>(static_cast<int32_t>(value * 65536.0));
}

TEST_F(DefaultsTest, BuiltInRecordsFollowTheTemplate)
{
    auto place = Attribute(1001, kDefLevelBuiltin);
    const std::array<uint32_t, kDefAttributeWords> expected = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0,  2,         3, 1, 10,
                                                               2, Fix(15), Fix(30), 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0};
    EXPECT_EQ(place, expected);
    auto arc = Attribute(1003, kDefLevelBuiltin);
    EXPECT_EQ(arc[8], 1u);
    EXPECT_EQ(arc[3], 0u);
    EXPECT_EQ(arc[20], Fix(7.5));
    EXPECT_EQ(Attribute(1011, kDefLevelBuiltin)[3], 2u);
    EXPECT_EQ(Attribute(1047, kDefLevelBuiltin)[8], 0u);
    auto key = Attribute(1021, kDefLevelBuiltin);
    EXPECT_EQ(static_cast<int32_t>(key[22]), -45);
    EXPECT_EQ(key[27], 11779u);
    EXPECT_EQ(Attribute(1045, kDefLevelBuiltin)[16], 0x050147DFu);
    EXPECT_EQ(Attribute(1016, kDefLevelBuiltin)[9], 4u);
}

TEST_F(DefaultsTest, OptionRecordBuiltIns)
{
    char brackets[10][16] = {};
    ASSERT_EQ(DefGetBrackets(brackets, kDefLevelBuiltin), 1);
    EXPECT_STREQ(brackets[3], "begin");
    EXPECT_STREQ(brackets[8], "end");
    uint16_t width = 0, height = 0;
    uint32_t c = 0, d = 0;
    char name[256] = {};
    ASSERT_EQ(DefGetPageTitle(&width, &height, &c, &d, name, kDefLevelBuiltin), 1);
    EXPECT_EQ(width, 776);
    EXPECT_EQ(height, 533);
    EXPECT_STREQ(name, "New");
    std::vector<char> run(DefPropertySize(kDefRunOptions));
    ASSERT_EQ(DefGetRunOptions(run.data(), kDefLevelBuiltin), 1);
    EXPECT_STREQ(run.data() + 48, "100");
    uint16_t port = 0;
    DefGetMLPort(&port, kDefLevelBuiltin);
    EXPECT_EQ(port, 2097);
    uint32_t local = 0;
    DefGetMLSwitch(&local, kDefLevelBuiltin);
    EXPECT_EQ(local, 1u);
}

// Bar chart settings keep five texts after their twenty words, line chart
// settings ten; each accessor reads the record of its own chart kind.
TEST_F(DefaultsTest, ChartOptionRecordsAreNamedByTheirChartKind)
{
    EXPECT_EQ(DefPropertySize(kDefBarChartOptions), 80u + 5 * 256);
    EXPECT_EQ(DefPropertySize(kDefLineChartOptions), 80u + 10 * 256);
    std::vector<char> bar(DefPropertySize(kDefBarChartOptions));
    ASSERT_EQ(DefGetBarChartOptions(bar.data(), kDefLevelBuiltin), 1);
    EXPECT_STREQ(bar.data() + 80 + 3 * 256, "100"); // the maximum
    std::vector<char> line(DefPropertySize(kDefLineChartOptions));
    ASSERT_EQ(DefGetLineChartOptions(line.data(), kDefLevelBuiltin), 1);
    EXPECT_STREQ(line.data() + 80 + 5 * 256, "100"); // a maximum
}

TEST_F(DefaultsTest, ReadsFallBackThroughTheLevels)
{
    EXPECT_EQ(Attribute(1002, kDefLevelDiagram), Attribute(1002, kDefLevelBuiltin));
    auto standard = Attribute(1002, kDefLevelBuiltin);
    standard[13] = 14;
    ASSERT_EQ(DefSet(0, 1002, kDefLevelStandard, standard.data(), 0), 1);
    EXPECT_EQ(DefStandardChanged(), 1);
    EXPECT_EQ(Attribute(1002, kDefLevelDiagram)[13], 14u);
    auto diagram = standard;
    diagram[13] = 18;
    ASSERT_EQ(DefSet(0, 1002, kDefLevelDiagram, diagram.data(), 0), 1);
    EXPECT_EQ(Attribute(1002, kDefLevelDiagram)[13], 18u);
    EXPECT_EQ(Attribute(1002, kDefLevelStandard)[13], 14u);
    EXPECT_EQ(Attribute(1002, kDefLevelBuiltin)[13], 10u);
}

TEST_F(DefaultsTest, KeysMapToProperties)
{
    struct Case {
        int32_t key;
        int32_t property;
        int found;
    };
    const Case cases[] = {{3, 1001, 1},  {8, 1006, 1},  {9, 1008, 1},    {26, 1055, 1}, {35, 9999, 1},
                          {49, 1015, 1}, {75, 1041, 1}, {76, 1074, 1},   {77, 0, 0},    {80, 1073, 1},
                          {88, 1056, 1}, {92, 1068, 1}, {95, 1071, 1},   {27, 0, 0},    {2, 0, 0}};
    for (const Case& c : cases) {
        int32_t property = 0;
        EXPECT_EQ(DefKeyToProperty(c.key, &property), c.found) << c.key;
        EXPECT_EQ(property, c.property) << c.key;
    }
    EXPECT_EQ(DefRegionKey(4096), 49);
    EXPECT_EQ(DefRegionKey(4113 | 0x10000000), 67);
    EXPECT_EQ(EE_GetPendingError(), 0);
    EXPECT_EQ(DefRegionKey(4200), 4200 - 4096 + 49);
    EXPECT_EQ(EE_GetPendingError(), kMsgBadRegionKey);
    int32_t key = 0;
    EXPECT_EQ(DefKeyForSpec(4, 0x1000, 0, 0, &key), 1);
    EXPECT_EQ(key, 4);
    EXPECT_EQ(DefKeyForSpec(4, 0, 0x300, 0, &key), 1);
    EXPECT_EQ(key, 88);
    EXPECT_EQ(DefKeyForSpec(8, 0, 0x30000, 0, &key), 1);
    EXPECT_EQ(key, 12);
    EXPECT_EQ(DefKeyForSpec(16, 0x8, 0, 0, &key), 1);
    EXPECT_EQ(key, 52);
    EXPECT_EQ(DefKeyForSpec(4, 0, 0, 0, &key), 0);
    EXPECT_EQ(key, 0);
}

TEST_F(DefaultsTest, GroupSettersChangeOnlyTheirGroup)
{
    const uint32_t placement[5] = {11, 12, 13, 14, 15};
    ASSERT_EQ(DefSetPlacement(3, placement, kDefLevelDiagram), 1);
    auto words = Attribute(1001, kDefLevelDiagram);
    EXPECT_EQ(words[22], 11u);
    EXPECT_EQ(words[26], 15u);
    words[22] = words[23] = words[24] = words[25] = 0;
    words[26] = 8;
    EXPECT_EQ(words, Attribute(1001, kDefLevelBuiltin));
    uint32_t graphic[9] = {};
    EXPECT_EQ(DefGetGraphic(77, graphic, kDefLevelDiagram), 0);
    EXPECT_EQ(DefSetGraphic(35, graphic, kDefLevelDiagram), 0);
    int16_t id = 0;
    ASSERT_EQ(DefSetKeyTextDiagram(52, -3), 1);
    EXPECT_EQ(DefGetKeyTextDiagram(52, &id), 1);
    EXPECT_EQ(id, -3);
}

TEST_F(DefaultsTest, BracketSetterNeverStoresTheFifthPair)
{
    const char* texts[10] = {"a", "b", "c", "d", "e", "1", "2", "3", "4", "5"};
    ASSERT_EQ(DefSetBrackets(texts, kDefLevelDiagram), 1);
    char back[10][16] = {};
    ASSERT_EQ(DefGetBrackets(back, kDefLevelDiagram), 1);
    EXPECT_STREQ(back[0], "a");
    EXPECT_STREQ(back[8], "4");
    EXPECT_STREQ(back[4], "");
    EXPECT_STREQ(back[9], "");
}

TEST_F(DefaultsTest, CopiesBetweenOptionRecordsAndLevels)
{
    std::vector<uint8_t> run(DefPropertySize(kDefRunOptions), 0);
    ASSERT_EQ(DefGetRunOptions(run.data(), kDefLevelBuiltin), 1);
    run[0] = 9;
    std::memcpy(run.data() + 48, "200\0junk", 8);
    ASSERT_EQ(DefSetRunOptions(run.data(), kDefLevelStandard), 1);
    ASSERT_EQ(DefCopyRunOptions(reinterpret_cast<const void*>(1), nullptr), 1);
    std::vector<uint8_t> diagram(run.size(), 0);
    ASSERT_EQ(DefGetRunOptions(diagram.data(), kDefLevelDiagram), 1);
    EXPECT_EQ(diagram[0], 9);
    EXPECT_STREQ(reinterpret_cast<char*>(diagram.data()) + 48, "200");
    // Bytes behind a terminator are not copied.
    std::vector<uint8_t> scratch(run.size(), 0);
    ASSERT_EQ(DefCopyRunOptions(run.data(), scratch.data()), 1);
    EXPECT_EQ(scratch[48 + 4], 0);
    EXPECT_EQ(DefCopyRunOptions(scratch.data(), scratch.data()), 1);
}

TEST_F(DefaultsTest, CopyLevelModes)
{
    EXPECT_EQ(DefCopyLevel(4), 0);
    EXPECT_EQ(DefCopyLevel(-1), 0);
    ASSERT_EQ(DefCopyLevel(3), 1);
    EXPECT_EQ(DefStandardChanged(), 1);
    auto words = Attribute(1005, kDefLevelStandard);
    words[0] = 0;
    ASSERT_EQ(DefSet(0, 1005, kDefLevelStandard, words.data(), 0), 1);
    ASSERT_EQ(GE_ResetDiagramDefaults(), 1);
    EXPECT_EQ(Attribute(1005, kDefLevelDiagram)[0], 0u);
    EXPECT_EQ(Attribute(1006, kDefLevelDiagram)[0], 1u);
}

TEST_F(DefaultsTest, StoringAtTheDiagramLevelDoesNotWriteTheFile)
{
    auto words = Attribute(1001, kDefLevelDiagram);
    ASSERT_EQ(DefSet(0, 1001, kDefLevelDiagram, words.data(), 1), 1);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
    EXPECT_EQ(GE_SaveDefaultsFile(), 0);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
}

TEST_F(DefaultsTest, FileIsWrittenAndReadBackByteIdentically)
{
    auto words = Attribute(1019, kDefLevelBuiltin);
    words[22] = 99;
    ASSERT_EQ(DefSet(0, 1019, kDefLevelStandard, words.data(), 0), 1);
    std::vector<uint8_t> ml(kDefMLSettingsSize, 0);
    ASSERT_EQ(DefGetMLSettings(ml.data(), kDefLevelBuiltin), 1);
    std::memcpy(ml.data() + kMLHostOffset, "evalhost", 9);
    ASSERT_EQ(DefSet(0, kDefMLSettings, kDefLevelStandard, ml.data(), 1), 1);
    EXPECT_EQ(DefStandardChanged(), 0);
    Bytes first = ReadFile();
    ASSERT_GT(first.size(), kDefaultsHeaderSize);
    EXPECT_EQ(std::string(first.begin(), first.begin() + 10), "CPUXDF10  ");

    ResetStore();
    ASSERT_EQ(GE_ReadDefaultsFile(), 1);
    EXPECT_TRUE(netLog().questions.empty());
    EXPECT_EQ(Attribute(1019, kDefLevelStandard)[22], 99u);
    char host[256] = {};
    DefGetMLHost(host, kDefLevelDiagram);
    EXPECT_STREQ(host, "evalhost");
    DefSetStandardChanged(1);
    ASSERT_EQ(GE_SaveDefaultsFile(), 1);
    EXPECT_EQ(ReadFile(), first);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_), {}), 1);
}

TEST_F(DefaultsTest, FileVersions)
{
    auto words = Attribute(1002, kDefLevelBuiltin);
    words[13] = 12;
    ASSERT_EQ(DefSet(0, 1002, kDefLevelStandard, words.data(), 1), 1);
    Bytes file = ReadFile();
    struct Case {
        const char* version;
        int accepted;
    };
    for (const Case& c : {Case{"09", 1}, Case{"10", 1}, Case{"11", 0}, Case{"2 ", 0}}) {
        ResetStore();
        netLog().questions.clear();
        netLog().askAnswer = 0;
        Bytes changed = file;
        std::memcpy(changed.data() + 6, c.version, 2);
        WriteFile(changed);
        EXPECT_EQ(GE_ReadDefaultsFile(), c.accepted) << c.version;
        EXPECT_EQ(Attribute(1002, kDefLevelDiagram)[13], c.accepted != 0 ? 12u : 10u) << c.version;
        EXPECT_EQ(netLog().questions.size(), c.accepted != 0 ? 0u : 1u) << c.version;
    }
}

TEST_F(DefaultsTest, MissingFileOrHomeGoesOnWithTheBuiltInsWithoutAsking)
{
    // A first start: no file yet, no question, nothing to write at the end.
    netLog().askAnswer = 0;
    EXPECT_EQ(GE_ReadDefaultsFile(), 1);
    EXPECT_TRUE(netLog().questions.empty());
    EXPECT_EQ(DefStandardChanged(), 0);
    EXPECT_EQ(Attribute(1002, kDefLevelDiagram)[13], 10u);
    // Without a home directory there is no file to read or write.
    unsetenv("HOME");
    EXPECT_EQ(GE_ReadDefaultsFile(), 1);
    EXPECT_EQ(GE_DefaultsFilePath(), nullptr);
    auto words = Attribute(1002, kDefLevelBuiltin);
    const size_t shown = tolq::test::RecordedMessages().size();
    ASSERT_EQ(DefSet(0, 1002, kDefLevelStandard, words.data(), 1), 1);
    EXPECT_EQ(tolq::test::RecordedMessages().size(), shown);
    EXPECT_EQ(GE_SaveDefaultsFile(), 0);
    setenv("HOME", home_.c_str(), 1);
    EXPECT_TRUE(netLog().questions.empty());
}

TEST_F(DefaultsTest, UnreadableFileAsksAndTheAnswerDecides)
{
    WriteFile(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'f', 'i', 'l', 'e'});
    netLog().askAnswer = 1;
    EXPECT_EQ(GE_ReadDefaultsFile(), 1);
    ASSERT_EQ(netLog().questions.size(), 1u);
    EXPECT_EQ(netLog().questions[0], kMsgDefaultsUnreadable);
    EXPECT_EQ(DefStandardChanged(), 1);
    netLog().askAnswer = 0;
    EXPECT_EQ(GE_ReadDefaultsFile(), 0);
    EXPECT_EQ(DefStandardChanged(), 0);
}

TEST_F(DefaultsTest, TruncatedFileAtEveryLengthLeavesTheBuiltIns)
{
    auto words = Attribute(1030, kDefLevelBuiltin);
    words[22] = 5;
    ASSERT_EQ(DefSet(0, 1030, kDefLevelStandard, words.data(), 1), 1);
    Bytes file = ReadFile();
    netLog().askAnswer = 1;
    for (size_t length = 0; length < file.size(); ++length) {
        ResetStore();
        WriteFile(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
        EXPECT_EQ(GE_ReadDefaultsFile(), 1) << length;
        EXPECT_EQ(Attribute(1030, kDefLevelDiagram)[22], 70u) << length;
    }
}

TEST_F(DefaultsTest, EntriesOfOtherLevelsOrSizesRefuseTheFile)
{
    auto words = Attribute(1030, kDefLevelBuiltin);
    ASSERT_EQ(DefSet(0, 1030, kDefLevelStandard, words.data(), 1), 1);
    Bytes file = ReadFile();
    // Header (10), section header (3 units), then owner, level, property, size.
    const size_t levelAt = 10 + 12 + 4;
    ASSERT_EQ(file[levelAt + 3], 4);
    for (uint8_t level : {uint8_t{3}, uint8_t{5}}) {
        ResetStore();
        Bytes changed = file;
        changed[levelAt + 3] = level;
        WriteFile(changed);
        netLog().askAnswer = 1;
        EXPECT_EQ(GE_ReadDefaultsFile(), 1);
        EXPECT_EQ(netLog().questions.size(), 1u);
        netLog().questions.clear();
        EXPECT_EQ(Attribute(1030, kDefLevelBuiltin)[22], 70u);
    }
}

TEST_F(DefaultsTest, FailedWriteLeavesWhatWasThereAndIsReported)
{
    // The name is taken by a directory, so the new file cannot replace it.
    std::filesystem::create_directory(FilePath());
    std::ofstream(FilePath() + "/keep") << "old";
    auto words = Attribute(1002, kDefLevelBuiltin);
    ASSERT_EQ(DefSet(0, 1002, kDefLevelStandard, words.data(), 1), 1);
    ASSERT_EQ(tolq::test::RecordedMessages().size(), 1u);
    EXPECT_EQ(tolq::test::RecordedMessages()[0], kDefaultsSaveFailed);
    EXPECT_EQ(DefStandardChanged(), 1);
    EXPECT_TRUE(std::filesystem::exists(FilePath() + "/keep"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home_), {}), 1);
    // A home directory that does not exist.
    setenv("HOME", (home_ + "/missing").c_str(), 1);
    EXPECT_EQ(GE_SaveDefaultsFile(), 0);
    EXPECT_EQ(tolq::test::RecordedMessages().size(), 2u);
    setenv("HOME", home_.c_str(), 1);
}

// ---- The older format ----

// Big-endian XDR units, built from the old layout.
class OldStream {
public:
    OldStream& Unit(int32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
        }
        return *this;
    }
    OldStream& Units(int count, int32_t value = 0)
    {
        for (int i = 0; i < count; ++i) {
            Unit(value);
        }
        return *this;
    }
    OldStream& Text(const std::string& text)
    {
        Unit(static_cast<int32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        while (bytes.size() % 4 != 0) {
            bytes.push_back(0);
        }
        return *this;
    }
    // An old attribute record holding the current words, parameter tag 3.
    OldStream& Attribute(const std::array<uint32_t, kDefAttributeWords>& w)
    {
        for (int i = 0; i <= 16; ++i) {
            Unit(static_cast<int32_t>(w[i]));
        }
        Unit(3).Unit(static_cast<int32_t>(w[17])).Units(4);
        for (int i = 22; i <= 27; ++i) {
            Unit(static_cast<int32_t>(w[i]));
        }
        return *this;
    }
    Bytes bytes;
};

class OldDefaultsTest : public DefaultsTest {
protected:
    // A whole stream: every attribute record equal to the built-in one
    // except `changedKey`, whose line width becomes 7.
    Bytes Build(int32_t convertFlag, int32_t version, int32_t changedKey, const std::string& opener = "<<")
    {
        OldStream s;
        s.Unit(convertFlag).Unit(version).Units(97);
        auto attribute = [&](int32_t key) {
            int32_t property = 0;
            DefKeyToProperty(key, &property);
            std::array<uint32_t, kDefAttributeWords> w{};
            if (property != 9999 && property != 0) {
                DefGet(0, static_cast<uint32_t>(property), kDefLevelBuiltin, w.data());
            }
            w[18] = w[19] = w[20] = w[21] = 0;
            if (key == changedKey) {
                w[3] = 7;
            }
            s.Attribute(w);
        };
        for (int32_t key : {3, 4, 5, 6, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}) {
            attribute(key);
        }
        s.Units(7);                                                 // b
        s.Unit(1).Unit(0).Unit(1).Unit(0).Unit(1).Unit(1);         // c
        for (int pair = 0; pair < 5; ++pair) {                      // d
            s.Text(pair == 0 ? opener : "o").Text("c");
        }
        s.Unit(100).Unit(200).Unit(3).Unit(4).Unit(1).Unit(0);     // e
        s.Units(4, 1).Unit(60).Unit(70);                            // f
        s.Units(5).Unit(1).Units(6);                                // g
        s.Units(6);                                                 // h
        s.Units(2).Text("abc").Text("");                            // i
        s.Units(2);                                                 // j
        s.Unit(640).Unit(480).Unit(1).Unit(0).Text("Old page");     // k
        s.Units(5, 1).Units(2).Unit(0).Unit(5).Unit(1).Units(2);    // l
        s.Units(7);                                                 // m
        s.Units(10);                                                // n
        s.Unit(1).Unit(2).Unit(3).Unit(4).Unit(5).Unit(6).Unit(0).Unit(8).Unit(9).Unit(0);  // o
        s.Units(11);                                                // p
        s.Units(9);                                                 // q
        s.Units(2).Units(2);                                        // r, s
        s.Units(12);                                                // t
        s.Text("oldhost").Unit(3000).Text("/old/image").Text("/old/run").Unit(0);  // u
        for (int32_t key = 49; key <= (version < 2 ? 77 : 78); ++key) {
            attribute(key);
        }
        if (convertFlag != 0 && version > 0) {
            attribute(88);
        }
        return s.bytes;
    }
};

TEST_F(OldDefaultsTest, OldFileIsReadIntoTheStandardLevel)
{
    WriteFile(Build(1, 2, 4));
    ASSERT_EQ(GE_ReadDefaultsFile(), 1);
    EXPECT_TRUE(netLog().questions.empty());
    EXPECT_EQ(Attribute(1002, kDefLevelStandard)[3], 7u);
    char brackets[10][16] = {};
    ASSERT_EQ(DefGetBrackets(brackets, kDefLevelStandard), 1);
    EXPECT_STREQ(brackets[0], "<<");
    EXPECT_STREQ(brackets[5], "c");
    uint32_t gx = 0, gy = 0, hs = 0, hi = 0;
    uint16_t sx = 0, sy = 0;
    ASSERT_EQ(DefGetPageLayout(&gx, &gy, &sx, &sy, &hs, &hi, kDefLevelStandard), 1);
    EXPECT_EQ(gx, 100u);
    EXPECT_EQ(sy, 4);
    uint32_t switches[8] = {};
    ASSERT_EQ(DefGetSwitches(switches, kDefLevelStandard), 1);
    EXPECT_EQ(switches[5], 0u);
    EXPECT_EQ(switches[6], 5u);
    EXPECT_EQ(switches[7], 1u);
    std::vector<uint32_t> occ(7);
    ASSERT_EQ(DefGetOccSetOptions(occ.data(), kDefLevelStandard), 1);
    EXPECT_EQ(occ, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 8}));
    char host[256] = {};
    DefGetMLHost(host, kDefLevelStandard);
    EXPECT_STREQ(host, "oldhost");
    uint16_t port = 0;
    DefGetMLPort(&port, kDefLevelStandard);
    EXPECT_EQ(port, 3000);
    // Quitting writes the file again in the current form.
    DefSetStandardChanged(1);
    ASSERT_EQ(GE_SaveDefaultsFile(), 1);
    Bytes written = ReadFile();
    ASSERT_GE(written.size(), 10u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 10), "CPUXDF10  ");
}

TEST_F(OldDefaultsTest, RecordsEqualToTheBuiltInsAreNotStored)
{
    WriteFile(Build(1, 2, 4));
    ASSERT_EQ(GE_ReadDefaultsFile(), 1);
    MemHandle handle = 0;
    EXPECT_NE(Default_GetHandle(0, kDefLevelStandard, 1001, &handle, 0), kStatusOk);
    EXPECT_EQ(Default_GetHandle(0, kDefLevelStandard, 1002, &handle, 0), kStatusOk);
    Mem_Free(handle);
}

TEST_F(OldDefaultsTest, RegionKeysAndKey88DependOnTheHeader)
{
    struct Case {
        int32_t flag;
        int32_t version;
        int32_t changedKey;
        uint32_t property;
    };
    // Key 78 is read from version 2 on; key 88 with the conversion flag and
    // version 1 or more.
    for (const Case& c : {Case{1, 1, 88, 1056}, Case{1, 2, 78, 1044}, Case{1, 0, 76, 1074}}) {
        ResetStore();
        WriteFile(Build(c.flag, c.version, c.changedKey));
        ASSERT_EQ(GE_ReadDefaultsFile(), 1) << c.version;
        EXPECT_EQ(Attribute(c.property, kDefLevelStandard)[3], 7u) << c.version;
    }
    // A version-1 stream without the flag ends before key 88: a stream built
    // with it has bytes left over, which the reader never looks at.
    ResetStore();
    WriteFile(Build(0, 1, 3));
    ASSERT_EQ(GE_ReadDefaultsFile(), 1);
    EXPECT_EQ(Attribute(1001, kDefLevelStandard)[3], 7u);
}

TEST_F(OldDefaultsTest, NewerVersionAndLongBracketAreRefused)
{
    WriteFile(Build(1, 5, 4));
    netLog().askAnswer = 0;
    EXPECT_EQ(GE_ReadDefaultsFile(), 0);
    EXPECT_EQ(EE_GetPendingError(), kMsgDefaultsVersion);
    EE_ClearPendingError();

    ResetStore();
    Bytes stream = Build(1, 2, 4, "0123456789abc");
    XDR xdr{};
    xdrmem_create(&xdr, reinterpret_cast<char*>(stream.data()), static_cast<u_int>(stream.size()), XDR_DECODE);
    uint32_t word = 1;
    OldDefaultsRead(&xdr, &word, kDefLevelDiagram);
    xdr_destroy(&xdr);
    char brackets[10][16] = {};
    ASSERT_EQ(DefGetBrackets(brackets, kDefLevelDiagram), 1);
    EXPECT_STREQ(brackets[0], "{");
}

TEST_F(OldDefaultsTest, TruncatedOldFilesFailCleanly)
{
    Bytes stream = Build(1, 2, 4);
    netLog().askAnswer = 1;
    for (size_t length = 0; length < stream.size(); length += (length < 400 ? 3 : 41)) {
        ResetStore();
        WriteFile(Bytes(stream.begin(), stream.begin() + static_cast<long>(length)));
        EXPECT_EQ(GE_ReadDefaultsFile(), 1) << length;
        EXPECT_EQ(Attribute(1002, kDefLevelDiagram)[3], 0u) << length;
    }
}

}  // namespace
