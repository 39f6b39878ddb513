// Hash tables with integer and string keys: buckets, sorted chains, storing,
// lookup, removal, iteration and the messages for misuse.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ReportedError.h"
#include "atolq/Utils/HashTable.h"

namespace {

void* V(uintptr_t n)
{
    return reinterpret_cast<void*>(n);
}

uintptr_t N(void* p)
{
    return reinterpret_cast<uintptr_t>(p);
}

struct TableDestroy {
    void operator()(HashTable* table) const { HashDestroy(table); }
};
using Table = std::unique_ptr<HashTable, TableDestroy>;

// Data words in the order of HashApply.
std::vector<uintptr_t> InApplyOrder(const HashTable* table)
{
    std::vector<uintptr_t> out;
    HashApply(table, [](void* data, void* argument) {
        static_cast<std::vector<uintptr_t>*>(argument)->push_back(N(data));
    }, &out);
    return out;
}

// Checks every chain's links and order, and that the entries add up.
void ExpectWellFormed(const HashTable* table)
{
    uint32_t entries = 0;
    for (uint16_t b = 0; b < table->bucketCount; ++b) {
        const HashEntry* prev = nullptr;
        for (const HashEntry* e = table->buckets[b]; e != nullptr; prev = e, e = e->next) {
            EXPECT_EQ(e->prev, prev) << "bucket " << b;
            if (prev != nullptr && table->keyKind == kHashIntegerKeys) {
                EXPECT_LT(prev->integerKey, e->integerKey) << "bucket " << b;
            }
            ++entries;
        }
    }
    EXPECT_EQ(entries, table->entryCount);
}

// The bucket that holds the entry with the data, or -1.
int BucketHolding(const HashTable* table, uintptr_t data)
{
    for (uint16_t b = 0; b < table->bucketCount; ++b)
        for (const HashEntry* e = table->buckets[b]; e != nullptr; e = e->next)
            if (N(e->data) == data)
                return b;
    return -1;
}

class HashTableTest : public ReportedErrorTest {};

TEST_F(HashTableTest, IntegerKeysGoToTheirBucketInKeyOrder)
{
    Table table(HashCreate(50, kHashIntegerKeys));
    ASSERT_NE(table, nullptr);
    struct Case {
        int32_t key;
        int bucket;
    } cases[] = {{103, 3}, {3, 3}, {-47, 3}, {53, 3}, {0, 0}, {-1, 49}, {INT32_MIN, 2}, {49, 49}};
    for (const Case& c : cases)
        ASSERT_EQ(HashStore(table.get(), c.key, V(static_cast<uint32_t>(c.key) + 1000ull)), 1) << c.key;
    for (const Case& c : cases)
        EXPECT_EQ(BucketHolding(table.get(), static_cast<uint32_t>(c.key) + 1000ull), c.bucket) << c.key;

    std::vector<int32_t> chain;
    for (const HashEntry* e = table->buckets[3]; e != nullptr; e = e->next)
        chain.push_back(e->integerKey);
    EXPECT_EQ(chain, (std::vector<int32_t>{-47, 3, 53, 103}));
    ExpectWellFormed(table.get());
    EXPECT_EQ(HashCount(table.get()), 8u);
}

TEST_F(HashTableTest, StringKeysHashOnTheirFirstTenSignedBytes)
{
    Table table(HashCreate(10, kHashStringKeys));
    const std::string keys[] = {"ba", "ab", "aaaaaaaaaa-1", "aaaaaaaaaa-2", "\xff"};
    for (size_t i = 0; i < std::size(keys); ++i)
        ASSERT_EQ(HashStore(table.get(), keys[i].c_str(), V(i + 1)), 1) << keys[i];

    // ab and ba: (97 + 98) mod 10 = 5, and ab comes first in the chain.
    ASSERT_NE(table->buckets[5], nullptr);
    EXPECT_STREQ(table->buckets[5]->stringKey, "ab");
    ASSERT_NE(table->buckets[5]->next, nullptr);
    EXPECT_STREQ(table->buckets[5]->next->stringKey, "ba");

    // Keys that agree in ten bytes share a bucket and stay distinct.
    EXPECT_EQ(BucketHolding(table.get(), 3), BucketHolding(table.get(), 4));
    EXPECT_EQ(N(HashLookup(table.get(), "aaaaaaaaaa-1")), 3u);
    EXPECT_EQ(N(HashLookup(table.get(), "aaaaaaaaaa-2")), 4u);

    // The byte 0xff counts as -1: bucket -1 + 10 = 9.
    EXPECT_EQ(BucketHolding(table.get(), 5), 9);

    // Lookup compares the text, not the address.
    std::string copy = "ba";
    EXPECT_EQ(N(HashLookup(table.get(), copy.c_str())), 1u);
    EXPECT_EQ(HashLookup(table.get(), "bb"), nullptr);
    ExpectWellFormed(table.get());
    EXPECT_EQ(TakeReported(), 0);
}

TEST_F(HashTableTest, DuplicateKeyIsRefused)
{
    Table ints(HashCreate(50, kHashIntegerKeys));
    Table strings(HashCreate(10, kHashStringKeys));
    HashStore(ints.get(), 7, V(1));
    HashStore(strings.get(), "x", V(1));
    EXPECT_EQ(HashStore(ints.get(), 7, V(2)), 0);
    EXPECT_EQ(TakeReported(), kMsgHashDuplicateKey);
    EXPECT_EQ(HashStore(strings.get(), "x", V(2)), 0);
    EXPECT_EQ(TakeReported(), kMsgHashDuplicateKey);
    EXPECT_EQ(HashCount(ints.get()), 1u);
    EXPECT_EQ(HashCount(strings.get()), 1u);
    EXPECT_EQ(N(HashLookup(ints.get(), 7)), 1u);
    EXPECT_EQ(N(HashLookup(strings.get(), "x")), 1u);
}

TEST_F(HashTableTest, RemoveKeepsChainsLinked)
{
    Table table(HashCreate(10, kHashIntegerKeys));
    for (int32_t key : {5, 15, 25, 35, 1})
        HashStore(table.get(), key, V(static_cast<uintptr_t>(key)));
    struct Case {
        int32_t key;
        uintptr_t data;  // 0: absent
    } cases[] = {{15, 15}, {5, 5}, {35, 35}, {45, 0}, {15, 0}, {25, 25}};
    uint32_t count = HashCount(table.get());
    for (const Case& c : cases) {
        EXPECT_EQ(N(HashRemove(table.get(), c.key)), c.data) << c.key;
        if (c.data != 0)
            --count;
        EXPECT_EQ(HashCount(table.get()), count) << c.key;
        EXPECT_EQ(HashLookup(table.get(), c.key), nullptr) << c.key;
        ExpectWellFormed(table.get());
    }
    EXPECT_EQ(table->buckets[5], nullptr);
    EXPECT_EQ(N(HashLookup(table.get(), 1)), 1u);
}

TEST_F(HashTableTest, NthFollowsApplyOrder)
{
    Table table(HashCreate(10, kHashIntegerKeys));
    for (int32_t key : {12, 3, 2, 22, 9})
        HashStore(table.get(), key, V(static_cast<uintptr_t>(key)));
    std::vector<uintptr_t> order = InApplyOrder(table.get());
    EXPECT_EQ(order, (std::vector<uintptr_t>{2, 12, 22, 3, 9}));
    for (uint32_t n = 1; n <= order.size(); ++n)
        EXPECT_EQ(N(HashNth(table.get(), n)), order[n - 1]) << n;
    EXPECT_EQ(HashNth(table.get(), 0), nullptr);
    EXPECT_EQ(HashNth(table.get(), 6), nullptr);
}

TEST_F(HashTableTest, ApplyMayRemoveTheEntryItIsGiven)
{
    static HashTable* current;
    Table table(HashCreate(3, kHashIntegerKeys));
    current = table.get();
    for (int32_t key = 1; key <= 9; ++key)
        HashStore(table.get(), key, V(static_cast<uintptr_t>(key)));
    HashApply(table.get(), [](void* data, void*) {
        if (N(data) % 2 == 0)
            HashRemove(current, static_cast<int32_t>(N(data)));
    }, nullptr);
    EXPECT_EQ(HashCount(table.get()), 5u);
    ExpectWellFormed(table.get());
}

TEST_F(HashTableTest, AgreesWithAMapUnderRandomUse)
{
    Table table(HashCreate(50, kHashIntegerKeys));
    std::map<int32_t, uintptr_t> model;
    std::mt19937 random(42);
    for (int step = 0; step < 5000; ++step) {
        auto key = static_cast<int32_t>(random() % 400) - 200;
        uintptr_t data = static_cast<uintptr_t>(step) + 1;
        switch (random() % 3) {
        case 0:
        case 1: {
            bool fresh = model.emplace(key, data).second;
            EXPECT_EQ(HashStore(table.get(), key, V(data)), fresh ? 1 : 0);
            EE_ClearPendingError();
            break;
        }
        default: {
            auto found = model.find(key);
            EXPECT_EQ(N(HashRemove(table.get(), key)), found != model.end() ? found->second : 0);
            if (found != model.end())
                model.erase(found);
        }
        }
    }
    EXPECT_EQ(HashCount(table.get()), model.size());
    for (int32_t key = -200; key < 200; ++key) {
        auto found = model.find(key);
        EXPECT_EQ(N(HashLookup(table.get(), key)), found != model.end() ? found->second : 0) << key;
    }
    ExpectWellFormed(table.get());
}

TEST_F(HashTableTest, MisuseMessages)
{
    Table ints(HashCreate(10, kHashIntegerKeys));
    Table strings(HashCreate(10, kHashStringKeys));
    HashStore(strings.get(), "k", V(1));
    struct Case {
        const char* name;
        std::function<bool()> call;  // true when the call gave its failure result
        int16_t message;
    } cases[] = {
        {"store null string key", [&] { return HashStore(strings.get(), nullptr, V(1)) == 0; }, kMsgNullPointer},
        {"lookup null string key", [&] { return HashLookup(strings.get(), nullptr) == nullptr; },
         kMsgNullPointer},
        {"remove null string key", [&] { return HashRemove(strings.get(), nullptr) == nullptr; },
         kMsgNullPointer},
        {"integer key in string table", [&] { return HashStore(strings.get(), 4, V(1)) == 0; },
         kMsgHashBadTable},
        {"string key in integer table", [&] { return HashLookup(ints.get(), "k") == nullptr; },
         kMsgHashBadTable},
        {"destroy null", [] { HashDestroy(nullptr); return true; }, kMsgHashBadTable},
        {"no buckets", [] { return HashCreate(0, kHashIntegerKeys) == nullptr; }, kMsgHashBadTable},
        {"unknown key kind", [] { return HashCreate(10, 3) == nullptr; }, kMsgHashBadTable},
        {"remove absent", [&] { return HashRemove(ints.get(), 3) == nullptr; }, 0},
        {"apply on null", [] { HashApply(nullptr, [](void*, void*) {}, nullptr); return true; }, 0},
        {"count of null", [] { return HashCount(nullptr) == 0; }, 0},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.call()) << c.name;
        EXPECT_EQ(TakeReported(), c.message) << c.name;
    }
    EXPECT_EQ(HashCount(strings.get()), 1u);
    EXPECT_EQ(HashCount(ints.get()), 0u);
}

using HashTableDeathTest = testing::Test;

TEST_F(HashTableDeathTest, NullTableIsFatal)
{
    EXPECT_EXIT(HashStore(nullptr, 1, V(1)), testing::ExitedWithCode(255), "fatal error 16433");
    EXPECT_EXIT(HashLookup(nullptr, "a"), testing::ExitedWithCode(255), "fatal error 16433");
    EXPECT_EXIT(HashRemove(nullptr, 1), testing::ExitedWithCode(255), "fatal error 16433");
    EXPECT_EXIT(HashNth(nullptr, 1), testing::ExitedWithCode(255), "fatal error 16433");
}

}  // namespace
