// Object groups: numbering and the group table, capacity growth and its
// 16-bit limit, members, combination and filtering.
#include <vector>

#include "KernelFixture.h"

namespace {

class GroupTest : public KernelTest {};

std::vector<ObjectHandle> Members(GroupNumber group)
{
    std::vector<ObjectHandle> out;
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        out.push_back(Group_Member(group, i));
    }
    return out;
}

GroupNumber GroupOf(std::initializer_list<ObjectHandle> members)
{
    GroupNumber group = Group_New();
    for (ObjectHandle member : members) {
        Group_Add(group, member);
    }
    return group;
}

TEST_F(GroupTest, NumbersStartAtOneAndTheTableGrowsByTwenty)
{
    Group_DestroyTable();
    ASSERT_EQ(Group_CreateTable(kGroupTableInitialSize), kStatusOk);
    EXPECT_EQ(Group_CreateTable(10), kStatusTableExists);
    std::vector<GroupNumber> groups;
    for (int i = 1; i <= 39; ++i) {
        groups.push_back(Group_New());
        ASSERT_EQ(groups.back(), i);
    }
    EXPECT_EQ(Group_TableSize(), 40u);
    GroupNumber fortieth = Group_New();
    EXPECT_EQ(fortieth, 40);
    EXPECT_EQ(Group_TableSize(), 60u);
    Group_Free(groups[4]);
    EXPECT_EQ(Group_New(), 5);  // the lowest free number is reused
}

TEST_F(GroupTest, TheTableRefusesToGrowPastSixteenBits)
{
    EXPECT_EQ(Group_GrowTable(0), kStatusFailed);
    EXPECT_EQ(Group_GrowTable(65535), kStatusOutOfMemory);
    EXPECT_EQ(Group_TableSize(), 40u);
    EXPECT_EQ(Group_GrowTable(65535 - 40), kStatusOk);
    EXPECT_EQ(Group_TableSize(), 65535u);
    EXPECT_EQ(Group_GrowTable(1), kStatusOutOfMemory);
}

TEST_F(GroupTest, CapacityGrowsByFifteenWhenFull)
{
    GroupNumber group = Group_Create(0);
    EXPECT_EQ(Group_Capacity(group), 1);
    Group_Add(group, 11);
    EXPECT_EQ(Group_IsFull(group), 1u);
    Group_Add(group, 12);
    EXPECT_EQ(Group_Capacity(group), 16);
    Group_Add(group, 12);
    EXPECT_EQ(Group_Count(group), 2);
    EXPECT_EQ(Group_Resize(group, -100), kStatusOk);
    EXPECT_EQ(Group_Capacity(group), 2);  // never below the count
}

TEST_F(GroupTest, AFullGroupAtTheSixteenBitLimitRefusesMembers)
{
    GroupNumber group = Group_Create(65530);
    GroupBlock* block = nullptr;
    ASSERT_EQ(Group_Lock(group, &block), kStatusOk);
    for (uint16_t i = 0; i < 65530; ++i) {
        block->members[i] = i + 1u;
    }
    block->count = 65530;
    // The last growth takes only what is left below the limit.
    EXPECT_EQ(Group_Add(group, 100000), kStatusOk);
    EXPECT_EQ(Group_Capacity(group), 65535);
    ASSERT_EQ(Group_Lock(group, &block), kStatusOk);
    for (uint32_t i = 65531; i < 65535; ++i) {
        block->members[i] = 200000 + i;
    }
    block->count = 65535;
    EXPECT_EQ(Group_Add(group, 300000), kStatusOutOfMemory);
    EXPECT_EQ(Group_Count(group), 65535);
    EXPECT_EQ(Group_Member(group, 65534), 200000u + 65534);
    EXPECT_EQ(Group_Resize(group, 1), kStatusOutOfMemory);
    EXPECT_EQ(Group_Capacity(group), 65535);
}

TEST_F(GroupTest, IndexOfSearchesFromTheEnd)
{
    GroupNumber group = Group_Create(3);
    Group_Add(group, 5);
    Group_Add(group, 6);
    Group_SetMember(group, 1, 5);
    uint16_t index = 0;
    EXPECT_EQ(Group_IndexOf(group, 5, &index), kStatusOk);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Group_IndexOf(group, 9, &index), kStatusNotFound);
}

TEST_F(GroupTest, RemovingByFieldMovesTheLastMemberIntoTheHole)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle a = Model_NewNode(page);
    ObjectHandle b = Model_NewNode(page);
    ObjectHandle c = Model_NewNode(page);
    Model_SetFieldValue(a, Field::kLineStyle, 1);
    GroupNumber group = GroupOf({a, b, c});
    uint32_t one = 1;
    Group_RemoveByField(group, Field::kLineStyle, &one, 1);
    EXPECT_EQ(Members(group), (std::vector<ObjectHandle>{c, b}));
    Group_RemoveByField(group, Field::kLineStyle, &one, 0);
    EXPECT_EQ(Group_Count(group), 0);
}

TEST_F(GroupTest, Combinations)
{
    GroupNumber a = GroupOf({1, 2, 3});
    GroupNumber b = GroupOf({3, 4});
    GroupNumber work = Group_New();
    Group_Assign(work, a);
    Group_Union(work, b);
    EXPECT_EQ(Members(work), (std::vector<ObjectHandle>{1, 2, 3, 4}));
    Group_Subtract(work, b);
    EXPECT_EQ(Members(work), (std::vector<ObjectHandle>{1, 2}));
    Group_Toggle(work, a);
    EXPECT_EQ(Members(work), (std::vector<ObjectHandle>{3}));
    Group_Toggle(work, work);
    EXPECT_EQ(Group_Count(work), 0);
    EXPECT_EQ(Group_Equal(a, GroupOf({3, 1, 2})), 1u);
    EXPECT_EQ(Group_Equal(a, b), 0u);
    GroupNumber copy = Group_Duplicate(a);
    EXPECT_EQ(Members(copy), Members(a));
    EXPECT_EQ(Group_Capacity(copy), 3);
}

TEST_F(GroupTest, BadNumbersAreRefused)
{
    for (GroupNumber bad : {GroupNumber{0}, GroupNumber{39}, GroupNumber{5000}}) {
        EXPECT_EQ(Group_Add(bad, 1), kStatusBadGroup);
        EXPECT_EQ(Group_Count(bad), 0);
        EXPECT_EQ(Group_Member(bad, 0), 0u);
        EXPECT_EQ(Group_Clear(bad), kStatusBadGroup);
        EXPECT_EQ(Group_Unlock(bad), kStatusBadArgument);
        Group_Free(bad);
    }
    GroupNumber shorter = GroupOf({1});
    EXPECT_EQ(Group_ApplyPairs(GroupOf({1, 2}), shorter, [](ObjectHandle, ObjectHandle, void*) -> KernelStatus {
        ADD_FAILURE() << "no pair should be visited";
        return kStatusOk;
    }, nullptr), kStatusBadContainerArgument);
}

TEST_F(GroupTest, FilteringAndSortingKeepOrder)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle node = Model_NewNode(page);
    ObjectHandle connector = Model_NewConnector(page);
    GroupNumber group = GroupOf({connector, page, node});
    Group_FilterByMask(group, kMaskPage, 4095);
    EXPECT_EQ(Members(group), (std::vector<ObjectHandle>{connector, node}));
    Model_SetFlags(node, 0x10000, 1);
    Group_FilterByFlags(group, 0x10000);
    EXPECT_EQ(Members(group), (std::vector<ObjectHandle>{connector}));
    GroupNumber numbers = GroupOf({9, 3, 7});
    Group_Sort(numbers, [](ObjectHandle a, ObjectHandle b) { return static_cast<int>(a) - static_cast<int>(b); });
    EXPECT_EQ(Members(numbers), (std::vector<ObjectHandle>{3, 7, 9}));
    Group_Filter(numbers, [](ObjectHandle h, void*) -> uint32_t { return h != 7; }, nullptr);
    EXPECT_EQ(Members(numbers), (std::vector<ObjectHandle>{3, 9}));
    GroupNumber target = Group_New();
    Group_Apply(numbers, Group_AddTo, &target);
    EXPECT_EQ(Members(target), (std::vector<ObjectHandle>{3, 9}));
}

}  // namespace
