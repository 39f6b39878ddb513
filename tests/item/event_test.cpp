// Kernel events: fresh records, constructors and their payloads, copy and
// release, and decoding X state masks.
#include <cstring>

#include "KernelFixture.h"
#include "xkv/item/Event.h"
#include "xkv/mem/Mem.h"
#include "xkv/types/PtArray.h"

namespace {

class EventTest : public KernelTest {
protected:
    static EventRec Read(MemHandle event)
    {
        EventRec* record = nullptr;
        EXPECT_EQ(Mem_LockAs(event, &record), kStatusOk);
        EventRec copy = *record;
        Mem_Unlock(event);
        return copy;
    }
};

TEST_F(EventTest, XStateMasksDecodeIntoModifiersAndButtons)
{
    struct Case {
        uint32_t mask;
        Modifiers modifiers;
        uint32_t b1, b2, b3;
    };
    const Case cases[] = {
        {0x105, {1, 1, 0, 0}, 0x100, 0, 0},
        {0x20, {0, 0, 1, 0}, 0, 0, 0},
        {0x602, {0, 0, 0, 1}, 0, 0x200, 0x400},
        {0x8, {0, 0, 1, 0}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Modifiers modifiers{9, 9, 9, 9};
        PointerState pointer{};
        FixPoint at{F(3), F(4)};
        Event_FromXState(c.mask, &at, &modifiers, &pointer);
        EXPECT_EQ(modifiers.shift, c.modifiers.shift) << std::hex << c.mask;
        EXPECT_EQ(modifiers.control, c.modifiers.control) << std::hex << c.mask;
        EXPECT_EQ(modifiers.mod, c.modifiers.mod) << std::hex << c.mask;
        EXPECT_EQ(modifiers.lock, c.modifiers.lock) << std::hex << c.mask;
        EXPECT_EQ(pointer.button1, c.b1);
        EXPECT_EQ(pointer.button2, c.b2);
        EXPECT_EQ(pointer.button3, c.b3);
        EXPECT_EQ(pointer.x, F(3));
    }
    PointerState kept{F(1), F(2), 0, 0, 0};
    Event_FromXState(0, nullptr, nullptr, &kept);
    EXPECT_EQ(kept.x, F(1));
}

TEST_F(EventTest, ACancelHasNoPayloadAndUnsetButtons)
{
    MemHandle cancel = Event_NewCancel();
    EventRec record = Read(cancel);
    EXPECT_EQ(record.eventClass, kEventCancel);
    EXPECT_EQ(record.payload.kind, kItemNone);
    EXPECT_EQ(record.pointer.x, 0);
    EXPECT_EQ(record.pointer.button1, 4u);
    EXPECT_EQ(record.pointer.button3, 4u);
    Event_Free(cancel);
}

TEST_F(EventTest, ARectanglePickOrdersItsCorners)
{
    PointerState pointer{F(9), F(9), 1, 0, 0};
    Modifiers modifiers{1, 0, 0, 0};
    MemHandle pick = Event_NewRectPick(&pointer, &modifiers, FixPoint{F(5), F(5)}, FixPoint{F(1), F(2)});
    EXPECT_EQ(Event_Class(pick), kEventPick);
    EXPECT_EQ(Event_ItemKind(pick), kItemRect);
    FixRect* rect = nullptr;
    ASSERT_EQ(Mem_LockAs(Event_ItemValue(pick), &rect), kStatusOk);
    EXPECT_EQ(rect->left, F(1));
    EXPECT_EQ(rect->top, F(2));
    EXPECT_EQ(rect->right, F(5));
    EXPECT_EQ(rect->bottom, F(5));
    EXPECT_EQ(Read(pick).modifiers.shift, 1u);
    Event_Free(pick);
}

TEST_F(EventTest, CopiesOwnTheirPayloads)
{
    PointerState pointer{};
    Modifiers modifiers{};
    MemHandle point = Event_NewPointPick(&pointer, &modifiers, FixPoint{F(1), F(2)});
    MemHandle copy = Event_Duplicate(point);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(Event_ItemValue(copy), Event_ItemValue(point));
    Event_Free(point);
    FixPoint* p = nullptr;
    ASSERT_EQ(Mem_LockAs(Event_ItemValue(copy), &p), kStatusOk);
    EXPECT_EQ(p->y, F(2));
    Event_Free(copy);

    MemHandle dot = Dot_Create(6, 1, FixPoint{}, 3, F(2));
    MemHandle handlePick = Event_NewHandlePick(&pointer, &modifiers, dot);
    Dot_Free(dot);
    EXPECT_EQ(Dot_Owner(Event_ItemValue(handlePick)), 3u);
    Event_Free(handlePick);

    // A dialog event owns its block and a triple its point array.
    MemHandle result = 0;
    Mem_Alloc(&result, 8);
    Event_Free(Event_NewDialog(263, 2, result));
    EXPECT_EQ(Mem_Size(result), 0u);
    PtArray points = PtArray_New();
    Event_Free(Event_NewTriplePick(1, 2, points));
    EXPECT_EQ(PtArray_Count(points), 0u);
}

TEST_F(EventTest, RefusedPayloadCopiesGiveNoEvent)
{
    MemHandle triple = Event_NewTriplePick(1, 2, 0);
    EXPECT_EQ(Event_Duplicate(triple), 0u);
    Event_Free(triple);
}

TEST_F(EventTest, AnItemPickValueIsAPlainWord)
{
    MemHandle victim = 0;
    Mem_Alloc(&victim, sizeof(uint32_t) * 16);
    MemHandle pick = Event_NewItemPick(victim);  // a value that happens to name a block
    MemHandle copy = Event_Duplicate(pick);
    ASSERT_NE(copy, 0u);
    EXPECT_EQ(Event_ItemValue(copy), victim);
    Event_Free(pick);
    Event_Free(copy);
    EXPECT_EQ(Mem_Size(victim), 64u);
    Mem_Free(victim);
}

TEST_F(EventTest, ConstructorsSetClassAndKind)
{
    struct Case {
        MemHandle event;
        uint32_t eventClass;
        uint32_t kind;
        uint32_t value;
    };
    PointerState pointer{};
    Modifiers modifiers{};
    const Case cases[] = {
        {Event_NewCommand(0, 1, 0, 0, 402), kEventCommand, kItemCommand, 402},
        {Event_NewObjectPick(&pointer, &modifiers, 17), kEventPick, kItemObject, 17},
        {Event_NewObjectRelease(&pointer, &modifiers, 18), kEventPick, kItemObjectRelease, 18},
        {Event_NewWindowPick(&pointer, &modifiers, 99), kEventPick, kItemWindow, 99},
        {Event_NewTimer(3), kEventTimer, kItemTimer, 3},
        {Event_NewPair(4, 5), kEventPair, kItemPair, 4},
        {Event_NewObjectEvent(6), kEventObject, kItemObject, 6},
        {Event_NewPick(&pointer, &modifiers), kEventPick, kItemNone, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Event_Class(c.event), c.eventClass);
        EXPECT_EQ(Event_ItemKind(c.event), c.kind);
        EXPECT_EQ(Event_ItemValue(c.event), c.value);
        Event_Free(c.event);
    }
    EXPECT_EQ(Event_Class(0), 0u);
    EXPECT_EQ(Event_Free(0), kStatusNullHandle);
}

}  // namespace
