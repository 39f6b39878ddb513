// The list manager: order of insertion, sorting, iteration, views, record
// lists and the messages for misuse.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "ReportedError.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/MemPool.h"

namespace {

using Values = std::vector<uintptr_t>;

void* V(uintptr_t n)
{
    return reinterpret_cast<void*>(n);
}

uintptr_t N(void* p)
{
    return reinterpret_cast<uintptr_t>(p);
}

struct TestRecord {
    TestRecord* next;
    TestRecord* prev;
    int key;
};

LMLink& LinksOf(void* cell)
{
    return *static_cast<LMLink*>(cell);
}

// The list's data from the front, after checking its links, ends and count.
Values Contents(const LMList* list)
{
    Values out;
    void* prev = nullptr;
    for (void* cell = list->first; cell != nullptr; cell = LinksOf(cell).next) {
        EXPECT_EQ(LinksOf(cell).prev, prev);
        if (list->kind == kLMValueList)
            out.push_back(N(static_cast<LMValueCell*>(cell)->value));
        else if (list->kind == kLMPairList)
            out.push_back(N(static_cast<LMPairCell*>(cell)->first) * 100 +
                          N(static_cast<LMPairCell*>(cell)->second));
        else
            out.push_back(static_cast<uintptr_t>(static_cast<TestRecord*>(cell)->key));
        prev = cell;
        if (out.size() > 70000)
            break;
    }
    EXPECT_EQ(list->last, prev);
    EXPECT_EQ(list->count, out.size());
    return out;
}

class LMListTest : public ReportedErrorTest {
public:
    static void SetUpTestSuite() { LMInit(); }

    void SetUp() override
    {
        ReportedErrorTest::SetUp();
        recordPool = MemMgrNewPool(sizeof(TestRecord));
    }

    void TearDown() override
    {
        for (LMList* list : lists)
            Destroy(list);
    }

    // Table cases build their lists through the fixture.

    // A list that the fixture destroys at the end of the test.
    LMList* Keep(LMList* list)
    {
        lists.push_back(list);
        return list;
    }

    LMList* ValueList(const Values& values)
    {
        LMList* list = Keep(LMCreate(kLMValueList));
        for (uintptr_t v : values)
            LMAppend(list, V(v), nullptr);
        return list;
    }

    LMList* PairList(const std::vector<std::pair<uintptr_t, uintptr_t>>& pairs)
    {
        LMList* list = Keep(LMCreate(kLMPairList));
        for (auto [a, b] : pairs)
            LMAppend(list, V(a), V(b));
        return list;
    }

    TestRecord* NewRecord(int key)
    {
        auto* record = static_cast<TestRecord*>(MemMgrAlloc(recordPool));
        record->key = key;
        return record;
    }

    // A record list holding records with the keys, in that order.
    LMList* RecordList(const std::vector<int>& keys)
    {
        LMList* list = Keep(LMCreate(kLMRecordList));
        for (auto key = keys.rbegin(); key != keys.rend(); ++key)
            LMPushRec(list, NewRecord(*key));
        return list;
    }

    void Forget(LMList* list) { std::erase(lists, list); }

    void Destroy(LMList* list)
    {
        if (list == nullptr)
            return;
        if (list->view != 0) {
            LMFreeView(list);
            return;
        }
        if (list->kind == kLMRecordList)
            while (list->first != nullptr)
                LMUnlinkRec(list, list->first, recordPool);
        LMDestroy(list);
    }

    MemPool* recordPool = nullptr;
    std::vector<LMList*> lists;
};

int16_t ByValue(void* a, void* b)
{
    return static_cast<int16_t>(N(a) < N(b) ? -1 : N(a) > N(b) ? 1 : 0);
}

// Values are key * 16 + tag; only the key takes part in the order.
int16_t ByKey(void* a, void* b)
{
    return ByValue(V(N(a) / 16), V(N(b) / 16));
}

int16_t ByRecordKey(void* a, void* b)
{
    int ka = static_cast<TestRecord*>(a)->key;
    int kb = static_cast<TestRecord*>(b)->key;
    return static_cast<int16_t>(ka < kb ? -1 : ka > kb ? 1 : 0);
}

int16_t BySecondThenFirst(void* firstA, void* secondA, void* firstB, void* secondB)
{
    if (secondA != secondB)
        return ByValue(secondA, secondB);
    return ByValue(firstA, firstB);
}

TEST_F(LMListTest, PrependAndAppendOrder)
{
    LMList* front = Keep(LMCreate(kLMValueList));
    LMList* back = Keep(LMCreate(kLMValueList));
    for (uintptr_t v : {1, 2, 3}) {
        EXPECT_EQ(LMPrepend(front, V(v), nullptr), front);
        EXPECT_EQ(LMAppend(back, V(v), nullptr), back);
    }
    EXPECT_EQ(Contents(front), (Values{3, 2, 1}));
    EXPECT_EQ(Contents(back), (Values{1, 2, 3}));
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(LMListTest, NullValuesAreRefusedSilently)
{
    LMList* values = ValueList({7});
    LMList* pairs = PairList({});
    EXPECT_EQ(LMPrepend(values, nullptr, V(5)), nullptr);
    EXPECT_EQ(LMAppend(values, nullptr, nullptr), nullptr);
    EXPECT_EQ(LMPrepend(pairs, nullptr, nullptr), nullptr);
    EXPECT_EQ(LMInsertSorted(values, nullptr, nullptr,
                             [](void*, void*, int) { return 1; }, 0, nullptr),
              0);
    EXPECT_EQ(LMCount(values), 1);
    EXPECT_EQ(LMCount(pairs), 0);
    EXPECT_EQ(TakeReported(), 0);

    EXPECT_EQ(LMPrepend(pairs, nullptr, V(5)), pairs);
    EXPECT_EQ(Contents(pairs), (Values{5}));
}

TEST_F(LMListTest, ReadsByPosition)
{
    LMList* list = ValueList({10, 20, 30, 40});
    LMList* pairs = PairList({{1, 2}, {3, 4}});
    void* value = nullptr;
    void* second = V(99);
    ASSERT_EQ(LMFirst(list, &value, &second), 1);
    EXPECT_EQ(N(value), 10u);
    EXPECT_EQ(second, nullptr);
    ASSERT_EQ(LMLast(list, &value, nullptr), 1);
    EXPECT_EQ(N(value), 40u);
    ASSERT_EQ(LMNth(list, &value, nullptr, 3), 1);
    EXPECT_EQ(N(value), 30u);
    ASSERT_EQ(LMNth(pairs, &value, &second, 2), 1);
    EXPECT_EQ(N(value), 3u);
    EXPECT_EQ(N(second), 4u);
    EXPECT_EQ(LMIndexOf(list, V(30)), 3);
    EXPECT_EQ(LMIndexOf(list, V(77)), 5);
    EXPECT_EQ(LMIndexOf(ValueList({}), V(77)), 0);
    EXPECT_EQ(LMCount(nullptr), 0);
    EXPECT_EQ(TakeReported(), 0);
}

// Every misuse gives 0 and reports its message; nothing changes.
TEST_F(LMListTest, MisuseMessages)
{
    struct Case {
        const char* name;
        std::function<int(LMListTest&)> call;
        int16_t message;  // 0: refused without a message
    };
    auto view = [](LMListTest& t) { return t.Keep(LMMakeView(t.ValueList({1, 2}), nullptr)); };
    const Case cases[] = {
        {"first of empty", [](LMListTest& t) { return LMFirst(t.ValueList({}), nullptr, nullptr); },
         kMsgListBadList},
        {"last of null", [](LMListTest&) { return LMLast(nullptr, nullptr, nullptr); }, kMsgListBadList},
        {"nth 0", [](LMListTest& t) { return LMNth(t.ValueList({1}), nullptr, nullptr, 0); },
         kMsgListBadList},
        {"nth past end", [](LMListTest& t) { return LMNth(t.ValueList({1}), nullptr, nullptr, 2); }, 0},
        {"destroy view", [&](LMListTest& t) { return LMDestroy(view(t)); }, kMsgListWrongType},
        {"destroy null", [](LMListTest&) { return LMDestroy(nullptr); }, kMsgListBadList},
        {"destroy records", [](LMListTest& t) { return LMDestroy(t.RecordList({1})); },
         kMsgListWrongType},
        {"free real list as view", [](LMListTest& t) { return LMFreeView(t.ValueList({1})); },
         kMsgListWrongType},
        {"prepend to view", [&](LMListTest& t) { return LMPrepend(view(t), V(3), nullptr) != nullptr; },
         kMsgListWrongType},
        {"append to record list",
         [](LMListTest& t) { return LMAppend(t.RecordList({}), V(3), nullptr) != nullptr; },
         kMsgListWrongType},
        {"append to null", [](LMListTest&) { return LMAppend(nullptr, V(3), nullptr) != nullptr; },
         kMsgListBadList},
        {"push record on value list",
         [](LMListTest& t) { return LMPushRec(t.ValueList({}), t.Keep(LMCreate(kLMValueList))) != nullptr; },
         kMsgListWrongType},
        {"push null record", [](LMListTest& t) { return LMPushRec(t.RecordList({}), nullptr) != nullptr; },
         kMsgListBadList},
        {"current at end", [](LMListTest& t) { return LMCurrent(t.ValueList({1}), nullptr, nullptr); },
         kMsgListBadList},
        {"advance at end", [](LMListTest& t) { return LMAdvance(t.ValueList({})); }, kMsgListBadList},
        {"view with start on value list",
         [](LMListTest& t) { return LMMakeView(t.ValueList({1}), V(1)) != nullptr; }, kMsgListWrongType},
        {"unlink from empty",
         [](LMListTest& t) {
             TestRecord loose{};
             return LMUnlinkRec(t.RecordList({}), &loose, t.recordPool);
         },
         kMsgListBadList},
        {"concat view", [&](LMListTest& t) { return LMConcat(t.ValueList({1}), view(t)) != nullptr; },
         kMsgListWrongType},
        {"concat with itself",
         [](LMListTest& t) {
             LMList* list = t.ValueList({1});
             return LMConcat(list, list) != nullptr;
         },
         kMsgListBadList},
        {"concat kinds differ",
         [](LMListTest& t) { return LMConcat(t.ValueList({1}), t.PairList({{1, 2}})) != nullptr; },
         kMsgListWrongType},
        {"sort view", [&](LMListTest& t) { return LMSort(view(t), ByValue) != nullptr; }, kMsgListWrongType},
        {"sort null", [](LMListTest&) { return LMSort(nullptr, ByValue) != nullptr; }, kMsgListBadList},
        {"sort empty", [](LMListTest& t) { return LMSort(t.ValueList({}), ByValue) != nullptr; }, 0},
        {"sort pairs with value comparator",
         [](LMListTest& t) { return LMSort(t.PairList({{1, 2}, {3, 4}}), ByValue) != nullptr; },
         kMsgListWrongType},
        {"apply pair callback to values",
         [](LMListTest& t) {
             return LMApply(t.ValueList({1}), [](void*, void*, void*) { return 1; }, 1, nullptr);
         },
         kMsgListWrongType},
        {"apply-ref on view",
         [&](LMListTest& t) { return LMApplyRef(view(t), [](void**, void*) { return 1; }, 1, nullptr); },
         kMsgListWrongType},
        {"index in pair list", [](LMListTest& t) { return int{LMIndexOf(t.PairList({{1, 2}}), V(1))}; },
         kMsgListWrongType},
        {"remove first of empty", [](LMListTest& t) { return LMRemoveFirst(t.ValueList({})); }, 0},
        {"remove last of null", [](LMListTest&) { return LMRemoveLast(nullptr); }, 0},
        {"insert sorted into view",
         [&](LMListTest& t) {
             return LMInsertSorted(view(t), V(1), nullptr, [](void*, void*, int) { return 1; }, 0, nullptr);
         },
         kMsgListWrongType},
        {"create unknown kind", [](LMListTest&) { return LMCreate(4) != nullptr; }, kMsgListWrongType},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(*this), 0) << c.name;
        EXPECT_EQ(TakeReported(), c.message) << c.name;
    }
}

TEST_F(LMListTest, RefusedOperationsLeaveListsIntact)
{
    LMList* list = ValueList({1, 2});
    LMList* view = Keep(LMMakeView(list, nullptr));
    LMList* records = RecordList({5, 6});
    EXPECT_EQ(LMDestroy(view), 0);
    EXPECT_EQ(LMDestroy(records), 0);
    EXPECT_EQ(LMConcat(list, list), nullptr);
    EXPECT_EQ(Contents(list), (Values{1, 2}));
    EXPECT_EQ(Contents(view), (Values{1, 2}));
    EXPECT_EQ(Contents(records), (Values{5, 6}));
}

TEST_F(LMListTest, SortsValueLists)
{
    struct Case {
        Values input;
        Values sorted;
    } cases[] = {
        {{5}, {5}},
        {{2, 1}, {1, 2}},
        {{3, 1, 2}, {1, 2, 3}},
        {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}},
        {{9, 7, 5, 3, 1, 8, 6, 4, 2}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {{4, 4, 1, 4}, {1, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        LMList* list = ValueList(c.input);
        LMList* sorted = LMSort(list, ByValue);
        ASSERT_NE(sorted, nullptr);
        Forget(list);
        Keep(sorted);
        EXPECT_EQ(Contents(sorted), c.sorted);
        EXPECT_EQ(sorted->cursor, nullptr);
    }
}

TEST_F(LMListTest, SortOfOneCellReturnsSameHead)
{
    LMList* list = ValueList({5});
    EXPECT_EQ(LMSort(list, ByValue), list);
}

// Cells of the later half come first among equals: (a1, b, a2) with a1 = a2 <
// b sorts to (a2, a1, b).
TEST_F(LMListTest, SortPutsEqualCellsOfTheLaterHalfFirst)
{
    const uintptr_t a1 = 1 * 16 + 1, a2 = 1 * 16 + 2, b = 2 * 16;
    LMList* list = ValueList({a1, b, a2});
    LMList* sorted = LMSort(list, ByKey);
    Forget(list);
    Keep(sorted);
    EXPECT_EQ(Contents(sorted), (Values{a2, a1, b}));
}

TEST_F(LMListTest, SortsLongListsOfEveryKind)
{
    std::mt19937 random(7645);
    std::vector<int> keys(1000);
    for (int& key : keys)
        key = static_cast<int>(random() % 300);
    std::vector<int> expected = keys;
    std::sort(expected.begin(), expected.end());

    Values values;
    std::vector<std::pair<uintptr_t, uintptr_t>> pairs;
    for (int key : keys) {
        values.push_back(static_cast<uintptr_t>(key) + 1);
        pairs.emplace_back(1, static_cast<uintptr_t>(key));
    }
    LMList* sortedValues = LMSort(ValueList(values), ByValue);
    LMList* sortedPairs = LMSort(PairList(pairs), BySecondThenFirst);
    LMList* sortedRecords = LMSort(RecordList(keys), ByRecordKey);
    lists.clear();
    for (LMList* list : {sortedValues, sortedPairs, sortedRecords}) {
        ASSERT_NE(list, nullptr);
        Keep(list);
    }

    Values expectedValues, expectedPairs, expectedRecords;
    for (int key : expected) {
        expectedValues.push_back(static_cast<uintptr_t>(key) + 1);
        expectedPairs.push_back(100 + static_cast<uintptr_t>(key));
        expectedRecords.push_back(static_cast<uintptr_t>(key));
    }
    EXPECT_EQ(Contents(sortedValues), expectedValues);
    EXPECT_EQ(Contents(sortedPairs), expectedPairs);
    EXPECT_EQ(Contents(sortedRecords), expectedRecords);
}

// Answers 1 after the last cell whose value is smaller, -1 before a larger
// one, so that the list stays ascending.
int Ascending(void* value, void* argument, int position)
{
    uintptr_t newValue = N(argument);
    if (newValue < N(value))
        return -1;
    return position == 3 ? 1 : 0;
}

TEST_F(LMListTest, InsertSortedKeepsOrderWalkingEitherWay)
{
    for (uint16_t backwards : {0, 1}) {
        LMList* list = Keep(LMCreate(kLMValueList));
        for (uintptr_t v : {5, 1, 9, 3, 7, 3})
            EXPECT_EQ(LMInsertSorted(list, V(v), nullptr,
                                     backwards ? [](void* value, void* argument, int position) {
                                         uintptr_t newValue = N(argument);
                                         if (newValue >= N(value))
                                             return 1;
                                         return position == 3 ? -1 : 0;
                                     }
                                               : Ascending,
                                     backwards, V(v)),
                      1);
        EXPECT_EQ(Contents(list), (Values{1, 3, 3, 5, 7, 9})) << "backwards " << backwards;
    }
}

TEST_F(LMListTest, InsertSortedFollowsTheAnswer)
{
    struct Case {
        const char* name;
        LMValueInsertFn answer;
        uint16_t backwards;
        int result;
        Values after;
    } cases[] = {
        {"after first", [](void*, void*, int) { return 1; }, 0, 1, {1, 99, 2, 3}},
        {"before first", [](void*, void*, int) { return -1; }, 0, 1, {99, 1, 2, 3}},
        {"after last walking back", [](void*, void*, int) { return 1; }, 1, 1, {1, 2, 3, 99}},
        {"before first walking back", [](void*, void*, int p) { return p == 3 ? -1 : 0; }, 1, 1,
         {99, 1, 2, 3}},
        {"declined", [](void*, void*, int) { return 2; }, 0, 0, {1, 2, 3}},
        {"unknown answer", [](void*, void*, int) { return 5; }, 0, 0, {1, 2, 3}},
        {"walk runs out", [](void*, void*, int) { return 0; }, 0, 0, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        LMList* list = ValueList({1, 2, 3});
        EXPECT_EQ(LMInsertSorted(list, V(99), nullptr, c.answer, c.backwards, nullptr), c.result) << c.name;
        EXPECT_EQ(Contents(list), c.after) << c.name;
    }
}

TEST_F(LMListTest, InsertSortedTellsTheLastCellOfTheWalk)
{
    LMList* list = ValueList({1, 2, 3});
    static std::vector<std::pair<uintptr_t, int>> seen;
    seen.clear();
    LMInsertSorted(list, V(50), nullptr,
                   [](void* value, void*, int position) {
                       seen.emplace_back(N(value), position);
                       return 0;
                   },
                   1, nullptr);
    EXPECT_EQ(seen, (std::vector<std::pair<uintptr_t, int>>{{3, 2}, {2, 2}, {1, 3}}));
}

TEST_F(LMListTest, InsertSortedIntoEmptyListsAndPairLists)
{
    LMList* empty = ValueList({});
    EXPECT_EQ(LMInsertSorted(empty, V(4), nullptr, [](void*, void*, int) { return 2; }, 0, nullptr), 1);
    EXPECT_EQ(Contents(empty), (Values{4}));

    LMList* pairs = PairList({{1, 1}, {3, 3}});
    EXPECT_EQ(LMInsertSorted(pairs, V(2), V(2),
                             [](void* first, void*, void*, int) { return N(first) == 1 ? 1 : 0; }, 0,
                             nullptr),
              1);
    EXPECT_EQ(Contents(pairs), (Values{101, 202, 303}));
}

TEST_F(LMListTest, RemoveFirstLastAndIf)
{
    LMList* list = ValueList({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(LMRemoveFirst(list), 1);
    EXPECT_EQ(LMRemoveLast(list), 1);
    EXPECT_EQ(Contents(list), (Values{2, 3, 4, 5}));

    auto even = [](void* v, void*) { return static_cast<int>(N(v) % 2 == 0); };
    EXPECT_EQ(LMRemoveIf(list, even, 0, nullptr), 1);
    EXPECT_EQ(Contents(list), (Values{3, 4, 5}));
    EXPECT_EQ(LMRemoveIf(list, even, 1, nullptr), 1);
    EXPECT_EQ(Contents(list), (Values{3, 5}));
    EXPECT_EQ(LMRemoveIf(list, even, 1, nullptr), 0);

    LMList* pairs = PairList({{1, 2}, {3, 4}, {1, 5}});
    EXPECT_EQ(LMRemoveIf(pairs, [](void* a, void*, void*) { return static_cast<int>(N(a) == 1); }, 1,
                         nullptr),
              1);
    EXPECT_EQ(Contents(pairs), (Values{304}));
}

TEST_F(LMListTest, ApplyStopsAtFirstHitUnlessAll)
{
    LMList* list = ValueList({1, 2, 3, 4});
    Values seen;
    auto record = [](void* v, void* argument) {
        static_cast<Values*>(argument)->push_back(N(v));
        return static_cast<int>(N(v) >= 2);
    };
    EXPECT_EQ(LMApply(list, record, 0, &seen), 1);
    EXPECT_EQ(seen, (Values{1, 2}));
    seen.clear();
    EXPECT_EQ(LMApply(list, record, 1, &seen), 1);
    EXPECT_EQ(seen, (Values{1, 2, 3, 4}));
    EXPECT_EQ(LMApply(ValueList({}), record, 1, &seen), 0);

    LMApplyRef(list, [](void** v, void*) { *v = V(N(*v) * 10); return 0; }, 1, nullptr);
    EXPECT_EQ(Contents(list), (Values{10, 20, 30, 40}));

    LMList* pairs = PairList({{1, 2}});
    LMApplyRef(pairs, [](void** a, void** b, void*) { std::swap(*a, *b); return 0; }, 1, nullptr);
    EXPECT_EQ(Contents(pairs), (Values{201}));
}

TEST_F(LMListTest, ConcatMovesCells)
{
    LMList* a = ValueList({1, 2, 3});
    void* lastBefore = a->last;
    LMList* empty = ValueList({});
    Forget(empty);
    EXPECT_EQ(LMConcat(a, empty), a);
    EXPECT_EQ(a->last, lastBefore);
    EXPECT_EQ(Contents(a), (Values{1, 2, 3}));

    LMList* b = ValueList({4, 5});
    Forget(b);
    EXPECT_EQ(LMConcat(a, b), a);
    EXPECT_EQ(Contents(a), (Values{1, 2, 3, 4, 5}));

    LMList* startsEmpty = ValueList({});
    LMList* c = ValueList({6});
    Forget(c);
    EXPECT_EQ(LMConcat(startsEmpty, c), startsEmpty);
    EXPECT_EQ(Contents(startsEmpty), (Values{6}));
}

TEST_F(LMListTest, IterationAndFindNext)
{
    LMList* list = ValueList({1, 2, 3, 4});
    Values seen;
    for (LMRewind(list); LMMore(list); LMAdvance(list)) {
        void* value = nullptr;
        ASSERT_EQ(LMCurrent(list, &value, nullptr), 1);
        seen.push_back(N(value));
    }
    EXPECT_EQ(seen, (Values{1, 2, 3, 4}));

    auto isEven = [](void* v, void*) { return static_cast<int>(N(v) % 2 == 0); };
    LMRewind(list);
    ASSERT_EQ(LMFindNext(list, isEven, nullptr), 1);
    void* value = nullptr;
    LMCurrent(list, &value, nullptr);
    EXPECT_EQ(N(value), 3u);
    ASSERT_EQ(LMFindNext(list, isEven, nullptr), 1);
    EXPECT_FALSE(LMMore(list));

    LMRewind(list);
    LMAdvance(list);
    EXPECT_EQ(LMFindNext(list, [](void* v, void*) { return static_cast<int>(N(v) == 1); }, nullptr), 0);
    LMCurrent(list, &value, nullptr);
    EXPECT_EQ(N(value), 2u);
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(LMListTest, ViewsHaveTheirOwnCursor)
{
    LMList* records = RecordList({1, 2, 3});
    void* second = static_cast<TestRecord*>(records->first)->next;
    LMList* view = Keep(LMMakeView(records, second));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->view, 1u);
    EXPECT_EQ(LMCount(view), 3);

    LMRewind(records);
    void* record = nullptr;
    LMCurrent(view, &record, nullptr);
    EXPECT_EQ(static_cast<TestRecord*>(record)->key, 2);
    LMAdvance(view);
    LMCurrent(view, &record, nullptr);
    EXPECT_EQ(static_cast<TestRecord*>(record)->key, 3);
    LMCurrent(records, &record, nullptr);
    EXPECT_EQ(static_cast<TestRecord*>(record)->key, 1);

    int sum = 0;
    LMApplyRec(view, [](void* r, void* s) { *static_cast<int*>(s) += static_cast<TestRecord*>(r)->key; return 0; },
               1, &sum);
    EXPECT_EQ(sum, 6);
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(LMListTest, UnlinkRecordClearsLinksAndMovesCursorOn)
{
    LMList* records = RecordList({1, 2, 3});
    auto* middle = static_cast<TestRecord*>(records->first)->next;
    LMRewind(records);
    LMAdvance(records);
    ASSERT_EQ(LMUnlinkRec(records, middle, recordPool), 1);
    EXPECT_EQ(Contents(records), (Values{1, 3}));
    void* record = nullptr;
    LMCurrent(records, &record, nullptr);
    EXPECT_EQ(static_cast<TestRecord*>(record)->key, 3);
}

TEST_F(LMListTest, UnlinkRefusesRecordOfAnotherList)
{
    LMList* mine = RecordList({1, 2});
    LMList* other = RecordList({7});
    EXPECT_EQ(LMUnlinkRec(mine, other->first, recordPool), 0);
    EXPECT_EQ(TakeReported(), kMsgListBadList);
    EXPECT_EQ(Contents(mine), (Values{1, 2}));
    EXPECT_EQ(Contents(other), (Values{7}));
}

TEST_F(LMListTest, MoveRecord)
{
    LMList* from = RecordList({4});
    LMList* to = RecordList({1, 3, 5});
    auto goesBeforeLarger = [](void* record, void* argument, int position) {
        int key = static_cast<TestRecord*>(argument)->key;
        if (key < static_cast<TestRecord*>(record)->key)
            return -1;
        return position == 3 ? 1 : 0;
    };
    void* moving = from->first;
    ASSERT_EQ(LMMoveRec(from, to, moving, goesBeforeLarger, 0, moving), 1);
    EXPECT_EQ(from->count, 0);
    EXPECT_EQ(from->first, nullptr);
    EXPECT_EQ(from->last, nullptr);
    EXPECT_EQ(Contents(to), (Values{1, 3, 4, 5}));

    ASSERT_EQ(LMMoveRec(to, from, to->last, nullptr, 0, nullptr), 1);
    EXPECT_EQ(Contents(from), (Values{5}));
    EXPECT_EQ(Contents(to), (Values{1, 3, 4}));
}

TEST_F(LMListTest, DeclinedMoveLeavesRecordWhereItWas)
{
    LMList* from = RecordList({1, 2, 3});
    LMList* to = RecordList({8, 9});
    void* middle = static_cast<TestRecord*>(from->first)->next;
    EXPECT_EQ(LMMoveRec(from, to, middle, [](void*, void*, int) { return 2; }, 0, nullptr), 0);
    EXPECT_EQ(Contents(from), (Values{1, 2, 3}));
    EXPECT_EQ(Contents(to), (Values{8, 9}));
}

TEST_F(LMListTest, DestroyRecordsThroughCallback)
{
    static LMListTest* self;
    static LMList* current;
    self = this;
    LMList* records = RecordList({1, 2, 3});
    Forget(records);
    current = records;
    EXPECT_EQ(LMDestroyRecs(&records,
                            [](void* record) { LMUnlinkRec(current, record, self->recordPool); }),
              1);
    EXPECT_EQ(records, nullptr);

    LMList* stubborn = RecordList({1, 2});
    int calls = 0;
    static int* callCount;
    callCount = &calls;
    LMList* kept = stubborn;
    EXPECT_EQ(LMDestroyRecs(&kept, [](void*) { ++*callCount; }), 0);
    EXPECT_EQ(kept, stubborn);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(Contents(stubborn), (Values{1, 2}));

    LMList* empty = RecordList({});
    Forget(empty);
    EXPECT_EQ(LMDestroyRecs(&empty, [](void*) {}), 1);
    EXPECT_EQ(empty, nullptr);
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(LMListTest, ApplyRecMayDeleteTheRecordItIsGiven)
{
    static LMListTest* self;
    static LMList* current;
    self = this;
    current = RecordList({1, 2, 3, 4});
    EXPECT_EQ(LMApplyRec(current,
                         [](void* record, void*) {
                             if (static_cast<TestRecord*>(record)->key % 2 == 0)
                                 LMUnlinkRec(current, record, self->recordPool);
                             return 0;
                         },
                         1, nullptr),
              0);
    EXPECT_EQ(Contents(current), (Values{1, 3}));
}

TEST_F(LMListTest, CountNeverWraps)
{
    LMList* list = Keep(LMCreate(kLMValueList));
    for (uintptr_t v = 1; v <= kLMMaxCount; ++v)
        ASSERT_EQ(LMAppend(list, V(v), nullptr), list);
    EXPECT_EQ(LMAppend(list, V(1), nullptr), nullptr);
    EXPECT_EQ(TakeReported(), kMsgListBadList);
    EXPECT_EQ(LMCount(list), kLMMaxCount);
    EXPECT_EQ(LMIndexOf(list, V(kLMMaxCount + 5)), kLMMaxCount + 1);

    LMList* more = ValueList({1});
    EXPECT_EQ(LMConcat(list, more), nullptr);
    EXPECT_EQ(TakeReported(), kMsgListBadList);
    EXPECT_EQ(LMCount(list), kLMMaxCount);
}

}  // namespace
