// QX utilities on a diagram without windows: defaults in interface codes,
// user-added properties, connector end points, command kinds, the point accumulator,
// start-up paths and page origins.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "QXFixture.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/HookAdapters.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/velkor/Velkor.h"

namespace {

using QXUtilTest = QXDiagramTest;

int32_t NinthWord(const std::vector<uint8_t>& record)
{
    int32_t word = 0;
    std::memcpy(&word, record.data() + 32, sizeof word);
    return word;
}

void SetNinthWord(std::vector<uint8_t>& record, int32_t word)
{
    std::memcpy(record.data() + 32, &word, sizeof word);
}

TEST_F(QXUtilTest, ConnectorDefaultsCarryInterfaceShapeCodes)
{
    std::vector<uint8_t> record(Default_PropertySize(4));
    ASSERT_GE(record.size(), 36u);
    ASSERT_EQ(QXUtil_GetDefault(0, 4, 0, record.data()), 1u);
    std::vector<uint8_t> raw(record.size());
    ASSERT_EQ(Default_Get(0, kDefaultLevelNew, 4, raw.data()), kStatusOk);
    EXPECT_EQ(NinthWord(record), Model_ConvertCode(NinthWord(raw), 0, 2));

    // An interface code written through the interface arrives in the kernel's numbering.
    const int32_t code = Model_ConvertCode(NinthWord(raw), 0, 2);
    SetNinthWord(record, code);
    ASSERT_EQ(QXUtil_SetDefault(0, 4, 0, record.data()), 1u);
    ASSERT_EQ(Default_Get(0, kDefaultLevelNew, 4, raw.data()), kStatusOk);
    EXPECT_EQ(NinthWord(raw), Model_ConvertCode(code, 0, 1));

    // Other groups pass the ninth word unchanged.
    std::vector<uint8_t> graphics(Default_PropertySize(kPropGraphics));
    ASSERT_EQ(QXUtil_GetDefault(0, kPropGraphics, 0, graphics.data()), 1u);
    std::vector<uint8_t> rawGraphics(graphics.size());
    ASSERT_EQ(Default_Get(0, kDefaultLevelNew, kPropGraphics, rawGraphics.data()), kStatusOk);
    EXPECT_EQ(graphics, rawGraphics);
}

TEST_F(QXUtilTest, DefaultsRefuseBadArguments)
{
    static std::vector<uint8_t> record(Default_PropertySize(4));
    struct Case {
        const char* name;
        uint32_t (*call)();
        KernelStatus status;
    };
    const Case cases[] = {
        {"null record", [] { return QXUtil_GetDefault(0, 4, 0, nullptr); }, 6},
        {"unknown group", [] { return QXUtil_GetDefault(0, 9999, 0, record.data()); }, 6},
        {"stale object", [] { return QXUtil_SetDefault(987654, 4, 0, record.data()); }, 32},
        {"null set", [] { return QXUtil_SetDefault(0, 4, 0, nullptr); }, 6},
    };
    for (const Case& c : cases) {
        QXStatus = 0;
        EXPECT_EQ(c.call(), 0u) << c.name;
        EXPECT_EQ(QXStatus, c.status) << c.name;
    }
}

TEST_F(QXUtilTest, Property9WordsRoundTrip)
{
    ASSERT_EQ(QXUtil_SetProperty9(77, 12, -5), 1u);
    int32_t zero = 9, a = 0, b = 0;
    ASSERT_EQ(QXUtil_GetProperty9(&zero, &a, &b), 1u);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, -5);
}

TEST_F(QXUtilTest, UserPropertiesAndTheirDefaults)
{
    const PropertyDef table[] = {{500, 40, 0, 0, 1, 1, -1}};
    EXPECT_EQ(QXUtil_IsUserProperty(500), 0u);
    ASSERT_EQ(QXUtil_InstallUserProperties(table, 1), 1u);
    EXPECT_EQ(QXUtil_IsUserProperty(500), 1u);
    EXPECT_EQ(QXUtil_IsUserProperty(kPropNode), 0u);

    std::vector<uint8_t> record(40, 0);
    record[30] = 7;
    ASSERT_EQ(QXUtil_SetDefault(0, 500, 0, record.data()), 1u);
    bool found = false;
    for (uint32_t i = 0; i < Default_EntryCount(); ++i) {
        uint32_t level = 0, property = 0;
        MemHandle value = 0;
        ASSERT_EQ(QXUtil_GetDefaultEntry(i, &level, &property, &value), 1u);
        found = found || (property == 500 && level == kDefaultLevelNew && value != 0);
        QXMem_FreeHandle(value);  // the entry's value is the caller's copy
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(QXUtil_GetDefaultEntry(Default_EntryCount() + 5, nullptr, nullptr, nullptr), 0u);

    ASSERT_EQ(QXUtil_RemoveUserDefaults(kDefaultLevelNew), 1u);
    for (uint32_t i = 0; i < Default_EntryCount(); ++i) {
        uint32_t property = 0;
        MemHandle value = 0;
        QXUtil_GetDefaultEntry(i, nullptr, &property, &value);
        QXMem_FreeHandle(value);
        EXPECT_NE(property, 500u);
    }
    EXPECT_EQ(QXUtil_InstallUserProperties(nullptr, 3), 0u);
    QXUtil_InstallUserProperties(nullptr, 0);
}

TEST_F(QXUtilTest, ConnectorEndPointsByEndObject)
{
    ObjectHandle a = Node(F(100), F(100));
    ObjectHandle b = Node(F(300), F(100));
    ObjectHandle c = Node(F(500), F(100));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    FixPoint start{}, end{};
    ASSERT_EQ(Model_GetConnectorEndPoints(arc, &start, &end), kStatusOk);
    FixPoint got{};
    ASSERT_EQ(QXUtil_GetConnEndPoint(arc, a, 0, &got), 1u);
    EXPECT_EQ(got.x, start.x);
    ASSERT_EQ(QXUtil_GetConnEndPoint(arc, b, 0, &got), 1u);
    EXPECT_EQ(got.x, end.x);
    EXPECT_EQ(QXUtil_GetConnEndPoint(arc, c, 0, &got), 0u);
    EXPECT_EQ(QXUtil_GetConnEndPoint(a, b, 0, &got), 0u);
    EXPECT_EQ(QXStatus, 34u);
}

TEST_F(QXUtilTest, CommandKindsAndUnknownKindsStartNothing)
{
    const std::pair<int32_t, int32_t> kinds[] = {{1, 5},   {2, 7},  {3, 9},  {4, 11}, {5, 12}, {7, 133},
                                                 {20, 6},  {21, 6}, {22, 6}, {6, 0},   {0, 0},  {-3, 0}};
    for (auto [kind, request] : kinds) {
        EXPECT_EQ(QXUtil_InteractionRequest(kind), request) << kind;
    }
    EXPECT_EQ(QXUtil_StartInteraction(page_, 6), 0u);
}

TEST_F(QXUtilTest, PageScaleReset)
{
    EXPECT_EQ(QXUtil_ResetPageScale(0), 1u);
    EXPECT_EQ(QXUtil_ResetPageScale(page_), 0u);  // already 1.0
    ObjectHandle node = Node(F(10), F(10));
    EXPECT_EQ(QXUtil_ResetPageScale(node), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

TEST_F(QXUtilTest, PointAccumulatorAppendsOnlyWhileOpen)
{
    EXPECT_EQ(QXUtil_AppendPoint({1, 2}), 0u);
    ASSERT_EQ(QXUtil_OpenPoints(1), 1u);
    ASSERT_EQ(QXUtil_AppendPoint({F(1), F(2)}), 1u);
    // A half circle from (0,0) through (10,10) to (20,0): centre (10,0), radius 10.
    ASSERT_EQ(QXUtil_AppendArc(0, 0, 10, 10, 20, 0, 5), 1u);
    PtArray points = QXUtil_OpenPointArray();
    ASSERT_EQ(PtArray_Count(points), 6u);
    FixPoint p{};
    PtArray_GetPoint(points, 1, &p);
    EXPECT_EQ(p.x, QXUtil_IntToFixed(0));
    PtArray_GetPoint(points, 3, &p);  // the middle of the arc passes the second point
    EXPECT_NEAR(p.x, QXUtil_IntToFixed(10), 2);
    EXPECT_NEAR(p.y, QXUtil_IntToFixed(10), 2);
    PtArray_GetPoint(points, 5, &p);
    EXPECT_NEAR(p.x, QXUtil_IntToFixed(20), 2);
    // Collinear points give a straight line.
    ASSERT_EQ(QXUtil_AppendArc(0, 0, 5, 5, 10, 10, 3), 1u);
    PtArray_GetPoint(points, 7, &p);
    EXPECT_EQ(p.x, QXUtil_IntToFixed(5));
    EXPECT_EQ(QXUtil_AppendArc(0, 0, 5, 5, 10, 10, 0), 0u);
    EXPECT_EQ(QXStatus, 34u);
    QXUtil_ClosePoints();
    EXPECT_EQ(QXUtil_OpenPointArray(), 0u);
    EXPECT_EQ(QXUtil_AppendPoint({1, 2}), 0u);
}

TEST_F(QXUtilTest, StartPathsAreCopiesInQXBlocks)
{
    VelkorSettings& s = Velkor_Settings();
    std::strcpy(s.programName, "tolq");
    std::strcpy(s.programDirectory, "/opt/tolq/bin/");
    char* name = nullptr;
    char* directory = nullptr;
    ASSERT_EQ(QXUtil_GetStartPaths(&name, &directory), 1u);
    EXPECT_STREQ(name, "tolq");
    EXPECT_STREQ(directory, "/opt/tolq/bin/");
    QXStatus = 0;
    QXMem_Free(name);
    QXMem_Free(directory);
    EXPECT_EQ(QXStatus, 0u);  // both were live QX blocks
    EXPECT_EQ(QXUtil_GetStartPaths(nullptr, &directory), 0u);
}

TEST_F(QXUtilTest, PageOriginWithoutAWindowIsStoredInThePage)
{
    ASSERT_EQ(QXUtil_SetPageOrigin(page_, 30, -4), 1u);
    FixPoint origin{};
    ASSERT_EQ(Model_GetField(page_, 53, &origin), kStatusOk);
    EXPECT_EQ(origin.x, QXUtil_IntToFixed(30));
    EXPECT_EQ(origin.y, QXUtil_IntToFixed(-4));
    EXPECT_EQ(QXUtil_SetPageOrigin(Node(0, 0), 1, 1), 0u);
    EXPECT_EQ(QXStatus, 37u);
    int32_t x = 0, y = 0;
    EXPECT_EQ(QXWin_GetWindowOrigin(page_, &x, &y), 0u);  // no window
}

TEST_F(QXUtilTest, ScrollFlagsAreStoredInverted)
{
    ASSERT_EQ(QXWin_SetScrollable(page_, 0), 1u);
    EXPECT_TRUE(Model_HasFlags(page_, 256));
    ASSERT_EQ(QXWin_SetScrollable(page_, 1), 1u);
    EXPECT_FALSE(Model_HasFlags(page_, 256));
    ASSERT_EQ(QXWin_SetScrollBars(page_, 0), 1u);
    EXPECT_TRUE(Model_HasFlags(page_, 1024));
    ASSERT_EQ(QXWin_SetScrollBars(page_, 1), 1u);
    EXPECT_FALSE(Model_HasFlags(page_, 1024));
    EXPECT_EQ(QXWin_SetScrollBars(Node(0, 0), 1), 0u);
    EXPECT_EQ(QXStatus, 32u);
}

}  // namespace
