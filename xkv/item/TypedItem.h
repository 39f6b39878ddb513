// Typed items: the kernel's small tagged values (selection, event payloads,
// drawables), the payload records of the drawable kinds, their copy and
// release by kind, and their geometry.
#pragma once

#include <cstdint>

#include "xkv/text/TextFont.h"
#include "xkv/types/Types.h"

using GroupNumber = uint16_t;

// The 16-byte item: kind, an 8-byte value and an extra block.
struct TypedItemRec {
    uint32_t kind;
    uint32_t value[2];
    MemHandle extra;
};
static_assert(sizeof(TypedItemRec) == 16);

enum TypedItemKind : uint32_t {
    kItemNone = 0,
    kItemCommand = 1,
    kItemTriple = 2,
    kItemDialog = 4,
    kItemPair = 5,
    kItemDot = 6,
    kItemGroup = 7,
    kItemGreyRect = 8,
    kItemBox = 9,
    kItemObject = 10,
    kItemPageLabel = 11,
    kItemObjectRelease = 12,
    kItemPoint = 14,
    kItemPoints = 15,
    kItemRect = 16,
    kItemRectOutline = 17,
    kItemRectSet = 18,
    kItemEllipse = 19,
    kItemSegment = 20,
    kItemPolyline = 21,
    kItemHandleCopy = 26,
    kItemTimer = 28,
    kItemWindow = 29,
    kItemArc = 30,
    kItemFilledRect = 31,
    kItemConnectorSets = 32,
};

// Selection handle drawn around a selected object.
struct DotRec {
    uint32_t kind;  // 5 to 12 are handle kinds
    uint16_t index;
    FixPoint centre;
    ObjectHandle owner;
    FixRect box;
};

struct GreyRectRec {
    FixRect rect;
    uint32_t mode;
    ObjectHandle owner;
    FixPoint offset;
};

struct PageLabelRec {
    FixRect box;
    uint32_t layout;  // 1: page number under the text
    FontSpec font;
    FixPoint textAt;
    char text[20];
    FixPoint numberAt;
    char number[20];
    ObjectHandle owner;
};
static_assert(sizeof(PageLabelRec) == 88);

struct RectOutlineRec {
    FixRect rect;
    uint32_t mode;
    Fixed corner;
    FixPoint offset;
};

struct RectSetRec {
    FixPoint origin;
    FixPoint scale;  // 0x8000 is 1.0
    uint16_t count;
    MemHandle rects;  // count FixRects
    uint32_t mode;
};

struct EllipseRec {
    FixPoint centre;
    Fixed width;
    Fixed height;
    uint32_t mode;
    FixPoint offset;
};

struct SegmentRec {
    FixPoint from;
    FixPoint to;
    uint32_t mode;
    FixPoint offset;
};

struct PolylineRec {
    MemHandle points;
    uint32_t mode;
    uint32_t closed;
    int16_t skip;
    FixPoint offset;
    ObjectHandle owner;
};

struct ArcRec {
    Fixed centreX, centreY;
    Fixed sizeX, sizeY;
    int32_t start, end;
    uint32_t mode;
    FixPoint offset;
};

// Record operations
MemHandle TypedItem_Create(uint32_t kind, const uint32_t* value, MemHandle extra);
MemHandle TypedItem_NewObject(ObjectHandle object);
MemHandle TypedItem_Copy(MemHandle item);
KernelStatus TypedItem_Free(MemHandle item);
uint32_t TypedItem_Kind(MemHandle item);
ObjectHandle TypedItem_Object(MemHandle item);
GroupNumber TypedItem_Group(MemHandle item);
uint32_t TypedItem_Payload(MemHandle item);
KernelStatus TypedItem_GetPosition(MemHandle item, FixPoint* out);
KernelStatus TypedItem_SetPosition(MemHandle item, FixPoint position);
KernelStatus TypedItem_Move(MemHandle item, FixPoint delta);
KernelStatus TypedItem_GetExtent(MemHandle item, FixRect* out);
uint32_t TypedItem_HitTest(MemHandle item, FixPoint point);

// The value copy and release by kind, for items held inside other records
// (event payloads): status 59 for kinds whose copy is refused, 34 for kinds
// that cannot be copied at all.
KernelStatus TypedItem_CopyValue(const TypedItemRec& from, TypedItemRec* to);
void TypedItem_ReleaseValue(TypedItemRec* item);

// Drawable constructors
MemHandle TypedItem_NewDot(MemHandle dot);
MemHandle TypedItem_NewGreyRect(FixRect rect, uint32_t mode, ObjectHandle owner);
MemHandle TypedItem_NewPageLabel(uint32_t layout, FixPoint at, const FontSpec* font, const char* text,
                                 uint16_t length, int32_t pageNumber, ObjectHandle owner);
MemHandle TypedItem_NewRectOutline(FixRect rect, uint32_t mode, Fixed corner);
MemHandle TypedItem_NewRectSet(const FixPoint* origin, const FixPoint* scale, uint16_t count, MemHandle rects,
                               uint32_t mode);
MemHandle TypedItem_NewEllipse(Fixed centreX, Fixed centreY, Fixed width, Fixed height, uint32_t mode);
MemHandle TypedItem_NewSegment(FixPoint from, FixPoint to, uint32_t mode);
MemHandle TypedItem_NewPolyline(MemHandle points, uint32_t mode, uint32_t closed, int16_t skip, ObjectHandle owner);
MemHandle TypedItem_NewArc(Fixed centreX, Fixed centreY, Fixed sizeX, Fixed sizeY, int32_t start, int32_t end,
                           uint32_t mode);
MemHandle TypedItem_NewFilledRect(FixRect rect);
MemHandle TypedItem_OutlineOf(ObjectHandle object, uint32_t mode);
MemHandle TypedItem_RectSetOfGroup(GroupNumber group, uint32_t mode, const FixPoint* grow);

// Selection handles
MemHandle Dot_Create(uint32_t kind, uint16_t index, FixPoint centre, ObjectHandle owner, Fixed size);
KernelStatus Dot_Free(MemHandle dot);
uint32_t Dot_IsHandle(MemHandle dot);
uint32_t Dot_Kind(MemHandle dot);
ObjectHandle Dot_Owner(MemHandle dot);
