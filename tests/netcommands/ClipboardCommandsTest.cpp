// Cut, Copy and Paste through the Edit menu on a real net: the clipboard
// holds no records, the cut nodes' records and outer arcs go, and pasted
// places, transitions and the arcs between them get records of their own.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetRecords.h"

namespace {

constexpr uint16_t kEditMenu = 3;

class ClipboardCommandsTest : public NetCommandTest {
protected:
    static void SelectGroup(const std::vector<ObjectHandle>& objects)
    {
        ASSERT_NE(QXStr_SetCurGroup(static_cast<uint32_t>(objects.size()), objects.data()), 0u);
    }
    static std::vector<ObjectHandle> Nodes(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetNodeList(page, &count, &list);
        std::vector<ObjectHandle> nodes(list, list + count);
        QXMem_Free(list);
        return nodes;
    }
    static std::vector<ObjectHandle> Connectors(ObjectHandle page)
    {
        uint16_t count = 0;
        ObjectHandle* list = nullptr;
        QXStr_GetPageConnList(page, &count, &list);
        std::vector<ObjectHandle> connectors(list, list + count);
        QXMem_Free(list);
        return connectors;
    }
    // Every object in the clipboard is without a record.
    static bool ClipboardWithoutRecords()
    {
        const ObjectHandle content = QXStr_GetBucketContent();
        if (content == 0)
            return false;
        std::vector<ObjectHandle> objects{content};
        if ((QXRdAttr_GetObjectType(content) & 2) != 0) {
            objects = Nodes(content);
            const std::vector<ObjectHandle> connectors = Connectors(content);
            objects.insert(objects.end(), connectors.begin(), connectors.end());
        }
        for (ObjectHandle object : objects) {
            if (Record(object) != nullptr)
                return false;
        }
        return true;
    }
};

TEST_F(ClipboardCommandsTest, CopyKeepsTheNetAndLeavesNoRecordsInTheClipboard)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    Arc(p, t);
    SelectGroup({p, t});
    EXPECT_EQ(GE_DispatchPick(kEditMenu, 304, true), 1);
    EXPECT_TRUE(ClipboardWithoutRecords());
    EXPECT_NE(GE_TestStateFlags(kGEClipboardHasNet), 0);
    EXPECT_EQ(LMCount(net_->places), 1u);
    EXPECT_EQ(LMCount(net_->transitions), 1u);
    EXPECT_NE(Record(p), nullptr);
    EXPECT_NE(Record(t), nullptr);
}

TEST_F(ClipboardCommandsTest, CutRemovesTheRecordsAndTheArcsToTheRest)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20), q = Place(140, 20);
    Arc(p, t);
    const ObjectHandle outer = Arc(t, q);
    SelectGroup({p, t});
    EXPECT_EQ(EE_CutCopy(303), 1);
    EXPECT_TRUE(ClipboardWithoutRecords());
    EXPECT_EQ(LMCount(net_->places), 1u);
    EXPECT_EQ(LMCount(net_->transitions), 0u);
    // The arc to the rest lost its net object.
    EXPECT_EQ(Record(outer), nullptr);
    EXPECT_NE(Record(q), nullptr);
}

TEST_F(ClipboardCommandsTest, PasteGivesThePastedNetObjectsRecords)
{
    const ObjectHandle p = Place(20, 20), t = Transition(80, 20);
    Arc(p, t);
    SelectGroup({p, t});
    ASSERT_EQ(EE_CutCopy(304), 1);
    EXPECT_EQ(GE_DispatchPick(kEditMenu, 305, true), 1);
    EXPECT_EQ(Nodes(page_).size(), 4u);
    EXPECT_EQ(LMCount(net_->places), 2u);
    EXPECT_EQ(LMCount(net_->transitions), 2u);
    for (ObjectHandle node : Nodes(page_))
        EXPECT_NE(Record(node), nullptr) << node;
    for (ObjectHandle connector : Connectors(page_))
        EXPECT_NE(Record(connector), nullptr) << connector;
}

TEST_F(ClipboardCommandsTest, CutCopyWithNothingSelectedSaysThePageIsEmpty)
{
    Place(20, 20);
    EXPECT_EQ(EE_CutCopy(304), 0);
    EXPECT_EQ(ShownMessages(), std::vector<int16_t>{11307});
}

}  // namespace

namespace {

// What Cut and Copy refuse, by the kind of object and its role masks.
struct FilterCase {
    const char* what;
    uint32_t type;
    uint32_t net;
    uint32_t graphic;
    bool group;
    int16_t refusal;  // 0: accepted
};

class CutCopyFilterTest : public ClipboardCommandsTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(CutCopyFilterTest, RefusesWithItsMessageOrAccepts)
{
    const FilterCase& c = GetParam();
    ShownMessages().clear();
    EECutCopyRecord record;
    record.group = c.group;
    const int result = EE_FilterCutCopy(0, c.type, c.net, c.graphic, &record);
    EXPECT_EQ(result, c.refusal == 0 ? 1 : 0) << c.what;
    EXPECT_EQ(record.refusal, c.refusal) << c.what;
    if (c.refusal != 0) {
        ASSERT_EQ(ShownMessages().size(), 1u) << c.what;
        EXPECT_EQ(ShownMessages().front(), c.refusal) << c.what;
    } else {
        EXPECT_TRUE(ShownMessages().empty()) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutCopyFilterTest,
    ::testing::Values(FilterCase{"a plain place", 4, 0x1, 0, false, 0},
                      FilterCase{"a page node", 4, 0, 0x1000, false, 11308},
                      FilterCase{"a group of connectors", 8, 0x1, 0xff00, true, 11287},
                      FilterCase{"a substitution connector", 8, 0, 0x10000, false, 11308},
                      FilterCase{"a group of regions", 16, 0x1, 0, true, 11304},
                      FilterCase{"a hierarchy tag", 16, 0x8, 0, false, 11288},
                      FilterCase{"a fusion tag", 16, 0x20, 0, false, 11288},
                      FilterCase{"a port tag", 16, 0x200000, 0, false, 11288},
                      FilterCase{"a page mode region", 16, 0x2000, 0, false, 11288},
                      FilterCase{"a substitution label", 16, 0x800000, 0, false, 11308},
                      FilterCase{"a guard", 16, 0x100, 0, false, 0}));

// A guard region through the clipboard: Copy leaves the guard in the net and
// no marks on the original; Cut takes it out of the net and keeps its kind
// with the clipboard's copy.
TEST_F(ClipboardCommandsTest, GuardRegionCopiedThenCut)
{
    const ObjectHandle t = Transition(60, 40);
    const ObjectHandle guard = QXStr_CreateLabel(page_, F(60), F(20), F(40), F(10), "[x > 1]");
    ASSERT_NE(guard, 0u);
    ASSERT_EQ(QXStr_MakeRegion(guard, t), 1u);
    ASSERT_NE(QXWtAttr_SetRegionKind(guard, 4104), 0u);
    ASSERT_EQ(EE_UpdateNetFromRegion(guard), 1);
    ASSERT_STREQ(SEGetGuard(Record(t)), "[x > 1]");

    ASSERT_NE(QXStr_SetCurObject(guard), 0u);
    EXPECT_EQ(EE_CutCopy(304), 1);
    EXPECT_STREQ(SEGetGuard(Record(t)), "[x > 1]");
    EXPECT_EQ(GE_HasUserData(guard, kTagRegionPairA), 0) << "the original keeps the clipboard's offset";

    ASSERT_NE(QXStr_SetCurObject(guard), 0u);
    EXPECT_EQ(EE_CutCopy(303), 1);
    EXPECT_EQ(QXStr_IsObject(guard), 0u);
    EXPECT_EQ(SEGetGuard(Record(t)), nullptr);
    const ObjectHandle content = QXStr_GetBucketContent();
    ASSERT_NE(content, 0u);
    EXPECT_EQ(GE_GetAuxWord(content), 4104u);
    EXPECT_EQ(GE_HasUserData(content, kTagRegionPairA), 1);
    EXPECT_NE(GE_TestStateFlags(kGEClipboardHasNet), 0);
}

}  // namespace
