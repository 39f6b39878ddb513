// Model maps: unique keys, conflicts, growth and lookups after unsorted adds.
#include <gtest/gtest.h>

#include "xkv/group/Group.h"
#include "xkv/model/ModelMap.h"

namespace {

class ModelMapTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ModelMap_Create(&map, 0), kStatusOk); }
    void TearDown() override { ModelMap_Destroy(map); }
    MemHandle map = 0;
};

TEST_F(ModelMapTest, APairIsStoredOnceAndAConflictingValueIsRefused)
{
    EXPECT_EQ(ModelMap_Add(map, 10, 20), kStatusOk);
    EXPECT_EQ(ModelMap_Add(map, 10, 20), kStatusOk);
    EXPECT_EQ(ModelMap_Count(map), 1u);
    EXPECT_EQ(ModelMap_Add(map, 10, 21), kStatusModelMapConflict);
    EXPECT_EQ(ModelMap_Find(map, 11, 0), kStatusNotFound);
    EXPECT_EQ(ModelMap_RemapLinks(map), 1u);
}

TEST_F(ModelMapTest, The201stAdditionGrowsTheMapTo400Pairs)
{
    EXPECT_EQ(ModelMap_Capacity(map), 200u);
    for (uint32_t key = 1; key <= 201; ++key) {
        ASSERT_EQ(ModelMap_Add(map, 1000 - key, key), kStatusOk);
    }
    EXPECT_EQ(ModelMap_Capacity(map), 400u);
    EXPECT_EQ(ModelMap_IsSorted(map), 0u);
    EXPECT_EQ(ModelMap_Lookup(map, 999), 1u);
    EXPECT_EQ(ModelMap_Lookup(map, 799), 201u);
    EXPECT_EQ(ModelMap_Lookup(map, 5), 0u);
    EXPECT_EQ(ModelMap_IsSorted(map), 1u);
    uint32_t key = 0;
    uint32_t value = 0;
    EXPECT_EQ(ModelMap_GetPair(map, 0, &key, &value), kStatusOk);
    EXPECT_EQ(key, 799u);
    EXPECT_EQ(ModelMap_GetPair(map, 201, &key, &value), kStatusNotFound);
}

TEST_F(ModelMapTest, GroupsAddPairsByIndexSkippingZeroKeys)
{
    ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
    GroupNumber keys = Group_New();
    GroupNumber values = Group_New();
    for (ObjectHandle k : {3u, 0u, 4u}) {
        GroupBlock* block = nullptr;
        Group_Lock(keys, &block);
        block->members[block->count++] = k;
    }
    for (ObjectHandle v : {30u, 31u, 40u}) {
        Group_Add(values, v);
    }
    EXPECT_EQ(ModelMap_AddGroups(map, keys, values), kStatusOk);
    EXPECT_EQ(ModelMap_Count(map), 2u);
    EXPECT_EQ(ModelMap_Lookup(map, 4), 40u);
    Group_DestroyTable();
}

}  // namespace
