// Cut, Copy and Paste through the Edit menu on a real net: the clipboard
// holds no records, the cut nodes' records and outer arcs go, and pasted
// places, transitions and the arcs between them get records of their own.
#include <gtest/gtest.h>

#include "NetCommandFixture.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetDispatch.h"

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
