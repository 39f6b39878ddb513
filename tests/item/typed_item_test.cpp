// Typed items: copy and release by kind, positions, extents and hit tests of
// the drawable payloads, outlines of objects and selection handles.
#include <cstring>

#include "KernelFixture.h"
#include "xkv/item/TypedItem.h"
#include "xkv/mem/Mem.h"
#include "xkv/types/PtArray.h"

namespace {

class TypedItemTest : public KernelTest {};

FixRect Extent(MemHandle item)
{
    FixRect r{};
    TypedItem_GetExtent(item, &r);
    return r;
}

bool Same(const FixRect& a, const FixRect& b)
{
    return std::memcmp(&a, &b, sizeof(a)) == 0;
}

TEST_F(TypedItemTest, CopyingFollowsTheKind)
{
    struct Case {
        uint32_t kind;
        bool copies;
    };
    for (Case c : {Case{1, true}, Case{10, true}, Case{28, true}, Case{3, false}, Case{13, false}, Case{29, false},
                   Case{32, false}, Case{40, false}}) {
        uint32_t value[2] = {5, 6};
        MemHandle item = TypedItem_Create(c.kind, value, 0);
        MemHandle copy = TypedItem_Copy(item);
        EXPECT_EQ(copy != 0, c.copies) << "kind " << c.kind;
        if (copy != 0) {
            EXPECT_EQ(TypedItem_Kind(copy), c.kind);
            TypedItem_Free(copy);
        }
        if (c.kind != 32) {
            TypedItem_Free(item);
        } else {
            Mem_Free(item);  // its value is no block of connector sets
        }
    }
}

TEST_F(TypedItemTest, PayloadsAreDuplicatedNotShared)
{
    MemHandle outline = TypedItem_NewRectOutline(FixRect{0, 0, F(10), F(10)}, 1, 0);
    MemHandle copy = TypedItem_Copy(outline);
    ASSERT_NE(copy, 0u);
    EXPECT_NE(TypedItem_Payload(copy), TypedItem_Payload(outline));
    TypedItem_Move(copy, FixPoint{F(1), F(2)});
    FixPoint moved{};
    FixPoint original{};
    TypedItem_GetPosition(copy, &moved);
    TypedItem_GetPosition(outline, &original);
    EXPECT_EQ(moved.y, F(2));
    EXPECT_EQ(original.y, 0);
    // The extent of an outline does not follow a move.
    EXPECT_TRUE(Same(Extent(copy), FixRect{0, 0, F(10), F(10)}));
    TypedItem_Free(copy);
    TypedItem_Free(outline);

    GroupNumber group = Group_NewWith(7);
    uint32_t value[2] = {group, 0};
    MemHandle groupItem = TypedItem_Create(kItemGroup, value, 0);
    MemHandle groupCopy = TypedItem_Copy(groupItem);
    EXPECT_NE(TypedItem_Group(groupCopy), group);
    EXPECT_EQ(Group_Member(TypedItem_Group(groupCopy), 0), 7u);
    TypedItem_Free(groupCopy);
    TypedItem_Free(groupItem);
    EXPECT_EQ(Group_Count(group), 0u);  // freed with its item
}

TEST_F(TypedItemTest, ARectangleSetOwnsItsRectangles)
{
    MemHandle rects = 0;
    FixRect boxes[2] = {{0, 0, F(10), F(10)}, {F(20), 0, F(30), F(10)}};
    Mem_AllocCopy(&rects, boxes, sizeof(boxes));
    FixPoint origin{F(100), 0};
    MemHandle set = TypedItem_NewRectSet(&origin, nullptr, 2, rects, 0);
    EXPECT_TRUE(Same(Extent(set), FixRect{0, 0, F(30), F(10)}));
    EXPECT_EQ(TypedItem_HitTest(set, FixPoint{F(125), F(5)}), 1u);
    EXPECT_EQ(TypedItem_HitTest(set, FixPoint{F(115), F(5)}), 0u);
    EXPECT_EQ(TypedItem_HitTest(set, FixPoint{F(25), F(5)}), 0u);
    MemHandle copy = TypedItem_Copy(set);
    TypedItem_Free(set);
    EXPECT_EQ(TypedItem_HitTest(copy, FixPoint{F(105), F(5)}), 1u);
    TypedItem_Free(copy);
}

TEST_F(TypedItemTest, ExtentsByKind)
{
    MemHandle ellipse = TypedItem_NewEllipse(F(10), F(10), F(4), F(6), 0);
    EXPECT_TRUE(Same(Extent(ellipse), FixRect{F(8), F(7), F(12), F(13)}));
    MemHandle segment = TypedItem_NewSegment(FixPoint{F(5), F(5)}, FixPoint{F(1), F(2)}, 0);
    EXPECT_TRUE(Same(Extent(segment), FixRect{F(1), F(2), F(5), F(5)}));
    EXPECT_EQ(TypedItem_HitTest(segment, FixPoint{F(3), F(3)}), 0u);
    MemHandle arc = TypedItem_NewArc(F(10), F(10), F(3), F(2), 0, 90, 0);
    EXPECT_TRUE(Same(Extent(arc), FixRect{F(7), F(8), F(13), F(12)}));
    MemHandle object = TypedItem_NewObject(5);
    EXPECT_TRUE(Same(Extent(object), FixRect{kFixedPlusInfinity, kFixedPlusInfinity, kFixedMinusInfinity,
                                             kFixedMinusInfinity}));
    EXPECT_EQ(TypedItem_HitTest(object, FixPoint{0, 0}), 0u);
    EXPECT_EQ(TypedItem_Object(object), 5u);
    for (MemHandle item : {ellipse, segment, arc, object}) {
        TypedItem_Free(item);
    }
}

TEST_F(TypedItemTest, APageLabelKeepsNineteenCharacters)
{
    FontSpec font{3, 12, 0};
    const char* text = "A page name longer than nineteen";
    MemHandle label = TypedItem_NewPageLabel(0, FixPoint{F(1), F(2)}, &font, text, 32, 7, 9);
    PageLabelRec* record = nullptr;
    ASSERT_EQ(Mem_LockAs(TypedItem_Payload(label), &record), kStatusOk);
    EXPECT_EQ(std::strlen(record->text), 19u);
    EXPECT_EQ(std::strncmp(record->text, text, 19), 0);
    EXPECT_STREQ(record->number, "P. 7");
    EXPECT_EQ(record->numberAt.x, F(76));
    EXPECT_EQ(record->owner, 9u);
    TypedItem_Free(label);
}

TEST_F(TypedItemTest, OutlinesFollowTheShapeKind)
{
    ObjectHandle page = Model_NewPage();
    ObjectHandle box = NewNodeAt(page, 0, 0, F(10), F(10), 7);
    ObjectHandle ellipse = NewNodeAt(page, 0, 0, F(10), F(10), 2);
    ObjectHandle polygon = NewNodeAt(page, 0, 0, F(10), F(10), 5);
    PtArray points = PtArray_New();
    PtArray_Append(points, FixPoint{0, 0});
    PtArray_Append(points, FixPoint{F(10), F(10)});
    Model_SetShapeData(polygon, points);
    ObjectHandle connector = Model_NewConnector(page);

    MemHandle a = TypedItem_OutlineOf(box, 1);
    MemHandle b = TypedItem_OutlineOf(ellipse, 1);
    MemHandle c = TypedItem_OutlineOf(polygon, 1);
    EXPECT_EQ(TypedItem_Kind(a), kItemRectOutline);
    EXPECT_EQ(TypedItem_Kind(b), kItemEllipse);
    EXPECT_EQ(TypedItem_Kind(c), kItemPolyline);
    EXPECT_TRUE(Same(Extent(c), FixRect{0, 0, F(10), F(10)}));
    EXPECT_EQ(TypedItem_OutlineOf(connector, 1), 0u);
    for (MemHandle item : {a, b, c}) {
        TypedItem_Free(item);
    }
    EXPECT_EQ(PtArray_Count(points), 2u);  // the object's own points stay

    GroupNumber group = Group_New();
    Group_Add(group, box);
    Group_Add(group, 999999);  // not an object: left out
    FixPoint grow{F(1), F(2)};
    MemHandle set = TypedItem_RectSetOfGroup(group, 0, &grow);
    EXPECT_TRUE(Same(Extent(set), FixRect{F(-1), F(-2), F(11), F(12)}));
    TypedItem_Free(set);
    Group_Free(group);
}

TEST_F(TypedItemTest, ADotIsASquareAroundItsCentre)
{
    MemHandle dot = Dot_Create(7, 2, FixPoint{F(10), F(10)}, 42, F(6));
    EXPECT_EQ(Dot_IsHandle(dot), 1u);
    EXPECT_EQ(Dot_Kind(dot), 7u);
    EXPECT_EQ(Dot_Owner(dot), 42u);
    MemHandle item = TypedItem_NewDot(dot);
    EXPECT_TRUE(Same(Extent(item), FixRect{F(7), F(7), F(13), F(13)}));
    EXPECT_EQ(TypedItem_Object(item), 42u);
    TypedItem_Free(item);
    EXPECT_EQ(Dot_Kind(0), 17u);
    MemHandle other = Dot_Create(4, 0, FixPoint{}, 0, F(2));
    EXPECT_EQ(Dot_IsHandle(other), 0u);
    Dot_Free(other);
}

}  // namespace
