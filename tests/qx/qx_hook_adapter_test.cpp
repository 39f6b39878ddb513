// Kernel hook adapters: application handlers registered on the hooks record
// what they receive while kernel operations (duplication, deletion, resizing,
// coarsening) or firings with kernel-side arguments run the adapters.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "QXFixture.h"
#include "xkv/kv/HookAdapters.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/item/TypedItem.h"
#include "xkv/kvud/UserData.h"
#include "xkv/mem/Mem.h"

namespace {

// The words a handler got and the lists behind them, copied during the call
// (the adapter frees its lists afterwards).
struct Call {
    std::vector<uintptr_t> words;
    std::vector<std::vector<uint32_t>> lists;
};
std::vector<Call> gCalls;
uintptr_t gAnswer = 1;
// Where lists stand in the words: (index of the array, index of its count).
std::vector<std::pair<size_t, size_t>> gListAt;

std::vector<uint32_t> List(uintptr_t array, uintptr_t count)
{
    const auto* words = reinterpret_cast<const uint32_t*>(array);
    return words != nullptr ? std::vector<uint32_t>(words, words + count) : std::vector<uint32_t>{};
}

uintptr_t Record(std::span<const uintptr_t> words)
{
    Call call{std::vector<uintptr_t>(words.begin(), words.end()), {}};
    for (auto [array, count] : gListAt) {
        call.lists.push_back(List(words[array], words[count]));
    }
    gCalls.push_back(std::move(call));
    return gAnswer;
}

uintptr_t RecordSix(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f)
{
    const uintptr_t words[] = {a, b, c, d, e, f};
    return Record(words);
}

class HookAdapterTest : public QXDiagramTest {
protected:
    void SetUp() override
    {
        QXDiagramTest::SetUp();
        Hook_ClearTable();
        Hook_InitTable();
        gCalls.clear();
        gListAt.clear();
        gAnswer = 1;
    }
    void TearDown() override
    {
        QXUtil_ClosePoints();
        QXDiagramTest::TearDown();
        Hook_ClearTable();
    }
    PtArray Points(std::initializer_list<FixPoint> points)
    {
        PtArray array = 0;
        EXPECT_EQ(PtArray_Create(&array, static_cast<uint16_t>(points.size())), kStatusOk);
        for (const FixPoint& p : points) {
            PtArray_Append(array, p);
        }
        arrays_.push_back(array);
        return array;
    }
    void FreeArrays()
    {
        for (PtArray a : arrays_) {
            PtArray_Free(a);
        }
        arrays_.clear();
    }
    std::vector<PtArray> arrays_;
};

TEST_F(HookAdapterTest, DuplicationPassesTheThreeGroupsAsLists)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    QXStr_CreateConnector(page_, a, b);
    Hook_Register(15, RecordSix);
    gListAt = {{0, 1}, {2, 3}, {4, 5}};
    const ObjectHandle pair[] = {a, b};
    qx::ScopedGroup group(qx::MakeGroup(pair, 2));
    qx::ScopedGroup copies;
    ASSERT_EQ(Core_DuplicateObjects(group.get(), copies.out(), 0), kStatusOk);
    ASSERT_EQ(gCalls.size(), 1u);
    const auto& w = gCalls[0].words;
    EXPECT_EQ(gCalls[0].lists[0].size(), 2u);  // the member copies
    const auto inner = gCalls[0].lists[1];
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_TRUE(Model_IsConnector(inner[0]));
    EXPECT_EQ(w[5], 0u);  // no one-end connectors: count 0, no list
    EXPECT_EQ(w[4], 0u);
}

TEST_F(HookAdapterTest, DeletedConnectorGivesSevenWordsWithItsPage)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    Hook_RegisterWide(13, Record);
    ASSERT_EQ(Core_DeleteObject(arc, 0), kStatusOk);
    ASSERT_EQ(gCalls.size(), 1u);
    const auto& w = gCalls[0].words;
    ASSERT_EQ(w.size(), 7u);
    EXPECT_EQ(w[0], arc);
    EXPECT_EQ(w[1], a);
    EXPECT_EQ(w[2], b);
    EXPECT_EQ(w[6], page_);
}

TEST_F(HookAdapterTest, SixWordHandlerOnAWideHookGetsTheFirstSix)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    Hook_Register(13, RecordSix);
    ASSERT_EQ(Core_DeleteObject(arc, 0), kStatusOk);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].words[0], arc);
}

TEST_F(HookAdapterTest, ResizeCallsOncePerMemberWithPositionAndSize)
{
    ObjectHandle a = QXStr_CreateNode(page_, F(10), F(20), F(30), F(40), 1);
    ObjectHandle b = QXStr_CreateNode(page_, F(100), F(20), F(30), F(40), 1);
    Hook_Register(35, RecordSix);
    const ObjectHandle both[] = {a, b};
    qx::ScopedGroup group(qx::MakeGroup(both, 2));
    gAnswer = 0;  // ignored
    ASSERT_EQ(Core_ResizeAndMove(group.get(), F(30), F(40), 0, 0, 0), kStatusOk);
    ASSERT_EQ(gCalls.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const auto& w = gCalls[i].words;
        EXPECT_EQ(w[0], both[i]);
        FixPoint p{};
        Model_GetField(both[i], Field::kPosition, &p);
        EXPECT_EQ(static_cast<Fixed>(w[1]), p.x);
        EXPECT_EQ(static_cast<Fixed>(w[2]), p.y);
        EXPECT_EQ(static_cast<Fixed>(w[3]), F(30));
        EXPECT_EQ(static_cast<Fixed>(w[4]), F(40));
    }
}

TEST_F(HookAdapterTest, CoarseningSortsConnectorEndsByTheGroup)
{
    ObjectHandle inside = Node(F(0), F(0));
    ObjectHandle outside = Node(F(300), F(0));
    ObjectHandle arc = QXStr_CreateConnector(page_, inside, outside);
    Hook_RegisterWide(5, Record);
    gListAt = {{2, 1}, {6, 5}, {7, 5}, {8, 5}, {9, 5}};
    qx::ScopedGroup group(qx::MakeGroup(&inside, 1));
    MemHandle plan = Core_PrepareCoarsen(0, group.get());
    ASSERT_NE(plan, 0u);
    uint32_t shape = 1;
    ASSERT_EQ(Hook_Fire(5, 77, group.get(), plan, reinterpret_cast<uintptr_t>(&shape)), 1u);
    ASSERT_EQ(gCalls.size(), 1u);
    const auto& w = gCalls[0].words;
    ASSERT_EQ(w.size(), 11u);
    EXPECT_EQ(w[0], 77u);
    const auto& lists = gCalls[0].lists;
    EXPECT_EQ(lists[0], std::vector<uint32_t>{inside});
    EXPECT_EQ(lists[1], std::vector<uint32_t>{arc});
    EXPECT_EQ(lists[2], std::vector<uint32_t>{1});        // starts inside
    EXPECT_EQ(lists[3], std::vector<uint32_t>{outside});  // outer end
    EXPECT_EQ(lists[4], std::vector<uint32_t>{inside});   // inner end
    EXPECT_EQ(shape, 1u);  // converted back after the call
    Core_EndCoarsen(plan);
}

TEST_F(HookAdapterTest, ArrowHeadTakesTheAccumulatedPointsOnlyWhenAppended)
{
    struct Case {
        const char* name;
        uintptr_t (*handler)(std::span<const uintptr_t>);
        uint16_t expectedCount;
    };
    const Case cases[] = {
        {"appends nothing", [](std::span<const uintptr_t>) -> uintptr_t { return 1; }, 3},
        {"appends and accepts",
         [](std::span<const uintptr_t>) -> uintptr_t {
             QXUtil_AppendPoint({F(7), F(8)});
             QXUtil_AppendPoint({F(9), F(10)});
             return 1;
         },
         3},
        {"appends and refuses",
         [](std::span<const uintptr_t>) -> uintptr_t {
             QXUtil_AppendPoint({F(7), F(8)});
             return 0;
         },
         3},
    };
    for (const Case& c : cases) {
        PtArray head = Points({{F(0), F(0)}, {F(4), F(2)}, {F(0), F(4)}});
        Hook_RegisterWide(2, c.handler);
        Hook_Fire(2, 1, 5, head);
        EXPECT_EQ(PtArray_Count(head), c.expectedCount) << c.name;
        EXPECT_EQ(QXUtil_OpenPointArray(), 0u) << c.name;  // closed after the call
    }
    // The accepted head is the midpoint of its ends followed by the appended points.
    PtArray head = Points({{F(0), F(0)}, {F(4), F(2)}, {F(0), F(4)}});
    Hook_RegisterWide(2, Record);
    gCalls.clear();
    Hook_Fire(2, 1, 5, head);
    ASSERT_EQ(gCalls.size(), 1u);
    const std::vector<uintptr_t> expected = {1, 5, static_cast<uint32_t>(F(0)), static_cast<uint32_t>(F(0)),
                                             static_cast<uint32_t>(F(4)), static_cast<uint32_t>(F(2)),
                                             static_cast<uint32_t>(F(0)), static_cast<uint32_t>(F(4))};
    EXPECT_EQ(gCalls[0].words, expected);
    Hook_RegisterWide(2, [](std::span<const uintptr_t>) -> uintptr_t {
        QXUtil_AppendPoint({F(9), F(10)});
        return 1;
    });
    Hook_Fire(2, 1, 5, head);
    ASSERT_EQ(PtArray_Count(head), 2u);
    FixPoint p{};
    PtArray_GetPoint(head, 0, &p);
    EXPECT_EQ(p.x, F(0));
    EXPECT_EQ(p.y, F(2));
    PtArray_GetPoint(head, 1, &p);
    EXPECT_EQ(p.x, F(9));
    FreeArrays();
}

TEST_F(HookAdapterTest, PrintRangeGetsTheConstantOneAndSignedShorts)
{
    Hook_RegisterWide(46, Record);
    const uintptr_t nine[] = {1, 0xFFFF, 0x8000, 4, 0xFFFE, 6, 7, 8, 9};
    Hook_FireWords(46, nine);
    ASSERT_EQ(gCalls.size(), 1u);
    const auto minus = [](intptr_t v) { return static_cast<uintptr_t>(v); };
    const std::vector<uintptr_t> expected = {1, minus(-1), minus(-32768), 1, 4, minus(-2), 6, 7, 8, 9};
    EXPECT_EQ(gCalls[0].words, expected);
}

TEST_F(HookAdapterTest, EndsAndBasesOfReattachAndConnect)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    ObjectHandle region = Node(F(0), F(5));
    ASSERT_EQ(QXStr_MakeRegion(region, a), 1u);
    ObjectHandle arc = QXStr_CreateConnector(page_, a, b);
    Hook_Register(8, RecordSix);
    Hook_Register(9, RecordSix);
    struct Case {
        HookId hook;
        uintptr_t a, b, c;
        std::vector<uintptr_t> expected;
    };
    const Case cases[] = {
        {8, arc, region, 1, {arc, 1, region, a, 0, 0}},
        {8, arc, b, 0, {arc, 0, b, b, 0, 0}},
        {8, arc, b, 2, {arc, 0, b, b, 0, 0}},
        {9, region, b, 1, {a, b, 1, region, b, 0}},
    };
    for (const Case& c : cases) {
        gCalls.clear();
        Hook_Fire(c.hook, c.a, c.b, c.c);
        ASSERT_EQ(gCalls.size(), 1u) << c.hook;
        EXPECT_EQ(gCalls[0].words, c.expected) << c.hook;
    }
}

TEST_F(HookAdapterTest, OwnerAndRegionGroupsBecomeCountAndList)
{
    ObjectHandle a = Node(F(0), F(0));
    ObjectHandle b = Node(F(100), F(0));
    const ObjectHandle both[] = {a, b};
    qx::ScopedGroup group(qx::MakeGroup(both, 2));
    Hook_Register(19, RecordSix);
    Hook_Register(58, RecordSix);
    gListAt = {{3, 2}};
    Hook_Fire(19, a, page_, group.get());
    gListAt = {{2, 1}};
    Hook_Fire(58, b, group.get());
    ASSERT_EQ(gCalls.size(), 2u);
    EXPECT_EQ(gCalls[0].words[0], a);
    EXPECT_EQ(gCalls[0].words[1], page_);
    EXPECT_EQ(gCalls[0].lists[0], std::vector<uint32_t>(both, both + 2));
    EXPECT_EQ(gCalls[1].lists[0], std::vector<uint32_t>(both, both + 2));
    gAnswer = 0;
    EXPECT_EQ(Hook_Fire(58, b, group.get()), 0u);  // the refusal reaches the kernel
}

TEST_F(HookAdapterTest, PathThroughAPointBlockComesBackAtMost61Points)
{
    Hook_Register(73, [](uintptr_t, uintptr_t, uintptr_t value, uintptr_t count, uintptr_t points,
                         uintptr_t) -> uintptr_t {
        *reinterpret_cast<uint32_t*>(value) = 99;
        auto* block = reinterpret_cast<FixPoint*>(points);
        block[0].x = F(42);
        *reinterpret_cast<uint16_t*>(count) = 2;
        return 1;
    });
    PtArray path = Points({{F(1), F(1)}, {F(2), F(2)}, {F(3), F(3)}});
    uint32_t from = 1, to = 2, value = 5;
    EXPECT_EQ(Hook_Fire(73, reinterpret_cast<uintptr_t>(&from), reinterpret_cast<uintptr_t>(&to),
                        reinterpret_cast<uintptr_t>(&value), path),
              1u);
    EXPECT_EQ(value, 99u);
    ASSERT_EQ(PtArray_Count(path), 2u);
    FixPoint p{};
    PtArray_GetPoint(path, 0, &p);
    EXPECT_EQ(p.x, F(42));

    // A handler that claims more points than the block holds is cut to 61.
    Hook_Register(73, [](uintptr_t, uintptr_t, uintptr_t, uintptr_t count, uintptr_t, uintptr_t) -> uintptr_t {
        *reinterpret_cast<uint16_t*>(count) = 5000;
        return 1;
    });
    Hook_Fire(73, reinterpret_cast<uintptr_t>(&from), reinterpret_cast<uintptr_t>(&to),
              reinterpret_cast<uintptr_t>(&value), path);
    EXPECT_EQ(PtArray_Count(path), 61u);

    // A path of 62 points is not handed over: consent without a call.
    gCalls.clear();
    Hook_Register(73, RecordSix);
    PtArray long_path = Points({});
    for (int i = 0; i < 62; ++i) {
        PtArray_Append(long_path, {F(i), 0});
    }
    EXPECT_EQ(Hook_Fire(73, reinterpret_cast<uintptr_t>(&from), reinterpret_cast<uintptr_t>(&to),
                        reinterpret_cast<uintptr_t>(&value), long_path),
              1u);
    EXPECT_TRUE(gCalls.empty());
    FreeArrays();
}

TEST_F(HookAdapterTest, PropertyRecordOfDialog263ShowsAnInterfaceShapeCode)
{
    static int32_t seenShape = -1;
    Hook_Register(66, [](uintptr_t, uintptr_t, uintptr_t record, uintptr_t, uintptr_t, uintptr_t) -> uintptr_t {
        std::memcpy(&seenShape, reinterpret_cast<const uint8_t*>(record) + 32, 4);
        return 0;
    });
    const int32_t kernelShape = 2;
    MemHandle handle = 0;
    int32_t words[12] = {};
    words[8] = kernelShape;
    ASSERT_EQ(Mem_AllocCopy(&handle, words, sizeof words), kStatusOk);
    EXPECT_EQ(Hook_Fire(66, 263, 0, handle), 1u);
    EXPECT_EQ(seenShape, Model_ConvertCode(kernelShape, 0, 2));
    int32_t after[12] = {};
    void* locked = nullptr;
    ASSERT_EQ(Mem_Lock(handle, &locked), kStatusOk);
    std::memcpy(after, locked, sizeof after);
    Mem_Unlock(handle);
    EXPECT_EQ(after[8], Model_ConvertCode(Model_ConvertCode(kernelShape, 0, 2), 0, 1));
    EXPECT_EQ(Hook_Fire(66, 270, 0, handle), 1u);
    EXPECT_EQ(seenShape, kernelShape);  // other dialogs see the kernel's number
    Mem_Free(handle);
}

TEST_F(HookAdapterTest, UserDataReadCallsOncePerField)
{
    ObjectHandle node = Node(0, 0);
    const uint32_t value = 7;
    ASSERT_NE(UD_SetField(node, 0xF901, &value, 4), 0u);
    ASSERT_NE(UD_SetField(node, 0xF905, &value, 4), 0u);
    Hook_Register(78, RecordSix);
    EXPECT_EQ(Hook_Fire(78, 1234, node), 1u);
    ASSERT_EQ(gCalls.size(), 2u);
    EXPECT_EQ(gCalls[0].words[0], 1234u);
    EXPECT_EQ(gCalls[0].words[1], node);
    EXPECT_EQ(gCalls[0].words[2], 0xF901u);
    EXPECT_EQ(gCalls[1].words[2], 0xF905u);
    EXPECT_NE(gCalls[1].words[3], 0u);
}

TEST_F(HookAdapterTest, ConnectorRecordWordsAreReordered)
{
    Hook_RegisterWide(7, Record);
    uint32_t record[15];
    for (uint32_t i = 0; i < 15; ++i) {
        record[i] = 100 + i;
    }
    record[8] = 1;
    ObjectHandle a = Node(0, 0);
    Hook_Fire(7, a, reinterpret_cast<uintptr_t>(record));
    ASSERT_EQ(gCalls.size(), 1u);
    const std::vector<uintptr_t> expected = {a,   111, 112, 114, static_cast<uint32_t>(Model_ConvertCode(1, 0, 2)),
                                             109, 110, 113};
    EXPECT_EQ(gCalls[0].words, expected);
}

// A press on a connector's end handle: the kernel hands the handle's record
// as a memory block; the application gets its object and which end.
TEST_F(HookAdapterTest, HandlePressGivesTheObjectAndWhetherItIsTheEnd)
{
    Hook_Register(50, RecordSix);
    for (uint16_t index : {0, 1}) {
        gCalls.clear();
        const DotRec dot{0, index, FixPoint{0x10000, 0x20000}, 4242, FixRect{}};
        MemHandle block = 0;
        ASSERT_EQ(Mem_AllocCopy(&block, &dot, sizeof dot), kStatusOk);
        EXPECT_EQ(Hook_Fire(50, block), 1u);
        Mem_Free(block);
        ASSERT_EQ(gCalls.size(), 1u);
        EXPECT_EQ(gCalls[0].words[0], 4242u);
        EXPECT_EQ(gCalls[0].words[1], index != 0 ? 1u : 0u);
    }
    // A block too small for the record never reaches the application.
    gCalls.clear();
    MemHandle small = 0;
    ASSERT_EQ(Mem_Alloc(&small, 4), kStatusOk);
    EXPECT_EQ(Hook_Fire(50, small), 1u);
    Mem_Free(small);
    EXPECT_TRUE(gCalls.empty());
}

}  // namespace
