// Geometric questions about objects: hit tests, picking the nearest object,
// collecting objects in a rectangle, boxes and extents, wedge geometry,
// connector end points, and the derived texts and numbers of pages.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/Window.h"

namespace {

constexpr Fixed kHitMargin = 0x50000;
constexpr Fixed kBoxTolerance = 0x8000;
constexpr Fixed kNoOutlineDistance = 0x3fffffff;
constexpr uint32_t kFlagNoExtent = 1;

struct Shape {
    uint32_t type = 0;
    uint32_t kind = 0;
    FixRect box;
    FixPoint position;
    Fixed width = 0;
    Fixed height = 0;
    Fixed lineWidth = 0;
};

bool ReadShape(ObjectHandle object, Shape* shape)
{
    if (!Model_IsObject(object)) {
        return false;
    }
    shape->type = Model_GetType(object);
    shape->kind = Model_GetKind(object);
    shape->width = static_cast<Fixed>(Model_GetFieldValue(object, Field::kWidth));
    shape->height = static_cast<Fixed>(Model_GetFieldValue(object, Field::kHeight));
    shape->lineWidth = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
    return Model_GetField(object, Field::kBox, &shape->box) == kStatusOk &&
           Model_GetField(object, Field::kPosition, &shape->position) == kStatusOk;
}

// The hit tolerance of lines: the line width plus 5.0.
Fixed LineMargin(const Shape& shape)
{
    return Fix_Add(shape.lineWidth, kHitMargin);
}

FixRect Grown(FixRect r, Fixed by)
{
    r.left = Fix_Sub(r.left, by);
    r.top = Fix_Sub(r.top, by);
    r.right = Fix_Add(r.right, by);
    r.bottom = Fix_Add(r.bottom, by);
    return r;
}

FixBox EllipseBox(const Shape& shape, Fixed grow)
{
    return FixBox{shape.position.x, shape.position.y, Fix_Add(shape.width, grow), Fix_Add(shape.height, grow)};
}

bool IsBoxKind(uint32_t kind)
{
    return kind == 0 || kind == 1 || kind == 4 || kind == 7 || kind == 12;
}

// The points of a connector's two end fields (58 and 59) as given.
bool ReadEndFields(ObjectHandle connector, FixPoint* start, FixPoint* end)
{
    return Model_GetField(connector, Field::kStartOffset, start) == kStatusOk &&
           Model_GetField(connector, Field::kEndOffset, end) == kStatusOk;
}

FixRect SpannedBox(const FixPoint& a, const FixPoint& b)
{
    FixRect r;
    Geom_RectFromPoints(&r, a, b);
    Geom_NormalizeRect(&r);
    return r;
}

MemHandle PointList(ObjectHandle object, uint32_t kind)
{
    if (kind == 9) {
        return Model_GetFieldValue(object, Field::kPath);
    }
    return Model_GetFieldValue(object, Field::kShapeData);
}

bool HitPage(const Shape& shape, FixPoint point)
{
    Fixed d = LineMargin(shape);
    if (shape.kind == 1) {
        return Geom_RectContainsPoint(Grown(shape.box, d), point) &&
               !Geom_RectContainsPoint(Grown(shape.box, -d), point);
    }
    if (shape.kind == 2) {
        return Geom_InEllipse(EllipseBox(shape, d), point) && !Geom_InEllipse(EllipseBox(shape, -d), point);
    }
    return false;
}

bool HitPolyline(ObjectHandle object, const Shape& shape, FixPoint point)
{
    MemHandle points = PointList(object, shape.kind);
    if (points == 0) {
        return false;
    }
    FixPoint nearest = point;
    Fixed distance = kNoOutlineDistance;
    bool onSegment = false;
    PtArray_NearestPoint(points, point, &nearest, &distance, &onSegment);
    return onSegment && distance <= LineMargin(shape) / 2;
}

bool HitQuarterEllipse(ObjectHandle object, const Shape& shape, FixPoint point)
{
    FixPoint a;
    FixPoint b;
    if (!ReadEndFields(object, &a, &b)) {
        return false;
    }
    Fixed d = LineMargin(shape);
    if (!Geom_RectContainsPoint(Grown(SpannedBox(a, b), d), point)) {
        return false;
    }
    FixPoint corner = shape.kind == 10 ? FixPoint{b.x, a.y} : FixPoint{a.x, b.y};
    int64_t rx = std::abs(int64_t{b.x} - a.x);
    int64_t ry = std::abs(int64_t{b.y} - a.y);
    FixBox ellipse{corner.x, corner.y, Fix_Saturate(2 * rx), Fix_Saturate(2 * ry)};
    FixPoint nearest;
    Fixed distance = 0;
    Geom_NearestOnEllipse(ellipse, point, &nearest, &distance);
    return distance <= d;
}

// The nearest distance from the point to a closed outline of points.
Fixed OutlineDistance(std::initializer_list<FixPoint> corners, MemHandle source, FixPoint point)
{
    MemHandle outline = 0;
    if (source != 0) {
        outline = PtArray_Duplicate(source);
        FixPoint first;
        if (outline != 0 && PtArray_Count(outline) > 0) {
            PtArray_GetPoint(outline, 0, &first);
            PtArray_Append(outline, first);
        }
    } else {
        outline = PtArray_New();
        for (const FixPoint& corner : corners) {
            if (outline != 0) {
                PtArray_Append(outline, corner);
            }
        }
    }
    if (outline == 0) {
        return kNoOutlineDistance;
    }
    FixPoint nearest = point;
    Fixed distance = kNoOutlineDistance;
    bool onSegment = false;
    PtArray_NearestPoint(outline, point, &nearest, &distance, &onSegment);
    PtArray_Free(outline);
    return distance;
}

}  // namespace

// ---- Hit tests ----

uint32_t Model_HitTest(ObjectHandle object, FixPoint point)
{
    Shape shape;
    if (!ReadShape(object, &shape)) {
        return 0;
    }
    if (shape.type == kTypePage) {
        return HitPage(shape, point) ? 1 : 0;
    }
    switch (shape.kind) {
    case 0: case 1: case 4: case 7: case 12:
        return Geom_RectContainsPoint(Grown(shape.box, kBoxTolerance), point) ? 1 : 0;
    case 5:
    case 6: {
        if (!Geom_RectContainsPoint(Grown(shape.box, kBoxTolerance), point)) {
            return 0;
        }
        MemHandle points = Model_GetFieldValue(object, Field::kShapeData);
        if (points != 0 && !PtArray_SelfCrosses(points)) {
            return PtArray_Encloses(points, point) ? 1 : 0;
        }
        return 1;
    }
    case 2:
        return Geom_InEllipse(EllipseBox(shape, kBoxTolerance), point) ? 1 : 0;
    case 8:
        return Model_HitWedge(object, point);
    case 9:
    case 13:
        return HitPolyline(object, shape, point) ? 1 : 0;
    case 10:
    case 11:
        return HitQuarterEllipse(object, shape, point) ? 1 : 0;
    default:
        return 0;
    }
}

uint32_t Model_InRect(ObjectHandle object, const FixRect* rect)
{
    if (rect == nullptr) {
        return 0;
    }
    if (Model_IsConnector(object)) {
        return Model_ConnectorTouchesRect(object, rect);
    }
    if (!Model_IsNode(object) && !Model_IsRegion(object)) {
        return 0;
    }
    FixPoint position;
    if (Model_GetField(object, Field::kPosition, &position) != kStatusOk) {
        return 0;
    }
    return Geom_RectContainsPoint(*rect, position) ? 1 : 0;
}

uint32_t Model_OverlapsRect(ObjectHandle object, const FixRect* rect)
{
    if (rect == nullptr) {
        return 0;
    }
    if (Model_IsConnector(object)) {
        return Model_ConnectorTouchesRect(object, rect);
    }
    if (!Model_IsNode(object) && !Model_IsRegion(object)) {
        return 0;
    }
    FixRect box;
    if (Model_GetField(object, Field::kBox, &box) != kStatusOk) {
        return 0;
    }
    return Geom_RectsOverlap(box, *rect) ? 1 : 0;
}

uint32_t Model_ConnectorTouchesRect(ObjectHandle connector, const FixRect* rect)
{
    Shape shape;
    if (rect == nullptr || !Model_IsConnector(connector) || !ReadShape(connector, &shape)) {
        return 0;
    }
    if (Model_GetFieldValue(connector, Field::kText) != 0) {
        FixRect textBox;
        if (Model_GetField(connector, Field::kTextBox, &textBox) == kStatusOk && Geom_RectsOverlap(textBox, *rect)) {
            return 1;
        }
    }
    Fixed d = LineMargin(shape);
    if (shape.kind == 9) {
        MemHandle path = Model_GetFieldValue(connector, Field::kPath);
        uint16_t count = path != 0 ? PtArray_Count(path) : 0;
        for (uint16_t i = count; i >= 2; --i) {
            FixPoint a;
            FixPoint b;
            PtArray_GetPoint(path, static_cast<uint16_t>(i - 1), &a);
            PtArray_GetPoint(path, static_cast<uint16_t>(i - 2), &b);
            if (Geom_RectsOverlap(Grown(SpannedBox(a, b), d), *rect)) {
                return 1;
            }
        }
        return 0;
    }
    if (shape.kind == 10 || shape.kind == 11) {
        FixPoint a;
        FixPoint b;
        return ReadEndFields(connector, &a, &b) && Geom_RectsOverlap(Grown(SpannedBox(a, b), d), *rect) ? 1 : 0;
    }
    return 0;
}

uint32_t Model_HitWedge(ObjectHandle object, FixPoint point)
{
    FixRect box;
    if (Model_GetWedgeBox(object, &box) != kStatusOk) {
        return 0;
    }
    return Geom_RectContainsPoint(box, point) ? 1 : 0;
}

// ---- Distance and picking ----

Fixed Model_Distance(ObjectHandle object, FixPoint point)
{
    if (!Model_HitTest(object, point)) {
        return kFixedPlusInfinity;
    }
    Shape shape;
    ReadShape(object, &shape);
    Fixed distance = kNoOutlineDistance;
    if (IsBoxKind(shape.kind)) {
        const FixRect& r = shape.box;
        distance = OutlineDistance({{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom},
                                    {r.left, r.top}},
                                   0, point);
    } else if (shape.kind == 2 || shape.kind == 8) {
        FixPoint nearest;
        Geom_NearestOnEllipse(EllipseBox(shape, 0), point, &nearest, &distance);
    } else if (shape.kind == 5 || shape.kind == 6 || shape.kind == 13) {
        MemHandle points = Model_GetFieldValue(object, Field::kShapeData);
        if (points != 0) {
            distance = OutlineDistance({}, points, point);
        }
    }
    return Fix_Twice(distance);
}

KernelStatus Model_PickNearest(GroupNumber group, FixPoint point, ObjectHandle* out)
{
    uint16_t count = Group_Count(group);
    if (count < 2) {
        if (out != nullptr) {
            *out = Group_Member(group, 0);
        }
        return kStatusOk;
    }
    ObjectHandle choice = 0;
    Fixed best = kFixedPlusInfinity;
    bool haveCandidate = false;
    // Later members lie on top: go from the last down, stopping below the
    // first member that covers what lies beneath it.
    for (uint16_t i = count; i > 0; --i) {
        ObjectHandle member = Group_Member(group, static_cast<uint16_t>(i - 1));
        if (Window_IsHidden(member)) {
            continue;
        }
        Fixed distance = Model_Distance(member, point);
        if (!haveCandidate || distance < best) {
            choice = member;
            best = distance;
            haveCandidate = true;
        }
        if (Model_GetFieldValue(member, Field::kPattern) != 0) {
            break;
        }
    }
    if (out != nullptr) {
        *out = best < kFixedPlusInfinity ? choice : 0;
    }
    return best < kFixedPlusInfinity ? kStatusOk : kStatusNotFound;
}

namespace {

struct HitCollect {
    GroupNumber group;
    FixPoint point;
    const FixRect* rect;
};

KernelStatus CollectHit(ObjectHandle object, void* argument)
{
    auto* state = static_cast<HitCollect*>(argument);
    return Model_HitTest(object, state->point) ? Group_Add(state->group, object) : kStatusOk;
}

KernelStatus CollectInRect(ObjectHandle object, void* argument)
{
    auto* state = static_cast<HitCollect*>(argument);
    return Model_InRect(object, state->rect) ? Group_Add(state->group, object) : kStatusOk;
}

}  // namespace

GroupNumber Model_HitGroup(ObjectHandle root, FixPoint point, uint32_t pick, uint32_t excludeMask,
                           uint32_t includeMask, uint32_t flagBits)
{
    HitCollect state{Group_New(), point, nullptr};
    if (state.group == 0) {
        return 0;
    }
    if (Model_WalkTree(1, root, 4095, CollectHit, &state) != kStatusOk) {
        Group_Free(state.group);
        return 0;
    }
    bool filtered = Group_FilterByMask(state.group, excludeMask, includeMask) == kStatusOk &&
                    Group_FilterByFlags(state.group, flagBits) == kStatusOk;
    if (pick != 0 && filtered) {
        ObjectHandle nearest = 0;
        Model_PickNearest(state.group, point, &nearest);
        Group_Clear(state.group);
        if (nearest != 0) {
            Group_Add(state.group, nearest);
        }
    }
    return state.group;
}

ObjectHandle Model_LocateAt(ObjectHandle root, FixPoint point, uint32_t excludeMask, uint32_t includeMask,
                            uint32_t flagBits)
{
    GroupNumber group = Model_HitGroup(root, point, 1, excludeMask, includeMask, flagBits);
    ObjectHandle found = Group_Member(group, 0);
    Group_Free(group);
    return found;
}

GroupNumber Model_CollectInRect(ObjectHandle page, const FixRect* rect, uint32_t excludeMask, uint32_t includeMask)
{
    if (!Model_IsPage(page) || rect == nullptr) {
        return 0;
    }
    HitCollect state{Group_New(), {}, rect};
    if (state.group == 0) {
        return 0;
    }
    KernelStatus status = Model_WalkConnectors(page, CollectInRect, &state);
    if (status == kStatusOk) {
        status = Model_WalkNodes(page, CollectInRect, &state);
    }
    if (status == kStatusOk) {
        status = Group_FilterByMask(state.group, excludeMask, includeMask);
    }
    if (status != kStatusOk) {
        Group_Free(state.group);
        return 0;
    }
    return state.group;
}

// ---- Boxes and extents ----

void Model_CenterSpan(Fixed* low, Fixed* high, Fixed length)
{
    if (low == nullptr || high == nullptr) {
        return;
    }
    int64_t mid = (int64_t{*low} >> 1) + (int64_t{*high} >> 1) + (*low & *high & 1);
    int64_t newLow = mid - (length / 2);
    *low = Fix_Saturate(newLow);
    *high = Fix_Saturate(newLow + length);
}

KernelStatus Model_GetBox(ObjectHandle object, FixRect* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    if (Model_IsConnector(object)) {
        return Model_GetField(object, Field::kTextBox, out);
    }
    KernelStatus status = Model_GetField(object, Field::kBox, out);
    if (status != kStatusOk) {
        return status;
    }
    if ((Model_IsNode(object) || Model_IsRegion(object)) && Model_GetKind(object) == 13) {
        int64_t width = int64_t{out->right} - out->left;
        int64_t height = int64_t{out->bottom} - out->top;
        if (width < height) {
            Model_CenterSpan(&out->left, &out->right, Fix_Saturate(height));
        } else if (height < width) {
            Model_CenterSpan(&out->top, &out->bottom, Fix_Saturate(width));
        }
    }
    return kStatusOk;
}

namespace {

struct ExtentState {
    FixRect* rect;
    bool stroked;
    bool started;
};

KernelStatus AddExtent(ObjectHandle object, void* argument)
{
    auto* state = static_cast<ExtentState*>(argument);
    if (Model_HasFlags(object, kFlagNoExtent)) {
        return kStatusOk;
    }
    Shape shape;
    if (!ReadShape(object, &shape)) {
        return kStatusOk;
    }
    FixRect box = shape.box;
    Fixed halfLine = shape.lineWidth / 2;
    if (state->stroked) {
        box = Grown(box, halfLine);
    } else if (shape.kind == 5 || shape.kind == 7 || shape.kind == 13) {
        box = Grown(box, Fix_Add(halfLine, kBoxTolerance));
    }
    if (state->started) {
        Geom_RectUnion(state->rect, box);
    } else {
        *state->rect = box;
        state->started = true;
    }
    return kStatusOk;
}

}  // namespace

KernelStatus Model_GetExtent(ObjectHandle object, FixRect* rect)
{
    if (rect == nullptr) {
        return kStatusNullHandle;
    }
    KernelStatus status = Model_GetField(object, Field::kBox, rect);
    if (status != kStatusOk) {
        return status;
    }
    ExtentState state{rect, false, true};
    return Model_WalkTree(1, object, 4095, AddExtent, &state);
}

KernelStatus Model_GetStrokedExtent(uint32_t whole, ObjectHandle object, FixRect* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    if (whole != 0) {
        Shape shape;
        if (!ReadShape(object, &shape)) {
            return kStatusBadObjectHandle;
        }
        *out = Grown(shape.box, shape.lineWidth / 2);
        ExtentState state{out, true, true};
        return Model_WalkTree(1, object, 4095, AddExtent, &state);
    }
    Shape first;
    if (!Model_IsPage(object) || !ReadShape(Model_GetFirstNode(object), &first)) {
        return kStatusBadObjectHandle;
    }
    *out = Grown(first.box, first.lineWidth / 2);
    ExtentState state{out, true, true};
    return Model_WalkTree(1, object, 1023, AddExtent, &state);
}

KernelStatus Model_GetWedge(ObjectHandle object, WedgeRecord* out)
{
    Shape shape;
    if (!ReadShape(object, &shape) || shape.kind != 8) {
        return kStatusNotAWedge;
    }
    if (out != nullptr) {
        out->position = shape.position;
        out->width = shape.width;
        out->height = shape.height;
        out->startDegrees = static_cast<int32_t>(Model_GetFieldValue(object, Field::kWedgeStart));
        out->endDegrees = static_cast<int32_t>(Model_GetFieldValue(object, Field::kWedgeEnd));
    }
    return kStatusOk;
}

KernelStatus Model_GetWedgeBox(ObjectHandle object, FixRect* out)
{
    WedgeRecord wedge;
    FixRect box;
    if (out == nullptr || Model_GetWedge(object, &wedge) != kStatusOk ||
        Model_GetField(object, Field::kBox, &box) != kStatusOk) {
        return kStatusFailed;
    }
    // Angles in [0, 360): the same directions as the stored ones.
    int32_t start = ((wedge.startDegrees % 360) + 360) % 360;
    int32_t end = ((wedge.endDegrees % 360) + 360) % 360;
    FixPoint a;
    FixPoint b;
    Geom_EllipsePoint(&wedge.position, wedge.width / 2, wedge.height / 2, start, &a);
    Geom_EllipsePoint(&wedge.position, wedge.width / 2, wedge.height / 2, end, &b);
    *out = SpannedBox(a, b);
    auto covers = [&](int32_t direction) {
        return end > start ? (start <= direction && direction <= end) : (direction >= start || direction <= end);
    };
    if (covers(0)) {
        out->top = box.top;
    }
    if (covers(90)) {
        out->right = box.right;
    }
    if (covers(180)) {
        out->bottom = box.bottom;
    }
    if (covers(270)) {
        out->left = box.left;
    }
    return kStatusOk;
}

// ---- Connector end points ----

KernelStatus Model_GetConnectorEndPoints(ObjectHandle connector, FixPoint* start, FixPoint* end)
{
    FixPoint startOffset;
    FixPoint endOffset;
    FixPoint startAt;
    FixPoint endAt;
    KernelStatus status = Model_GetField(connector, Field::kStartOffset, &startOffset);
    if (status == kStatusOk) {
        status = Model_GetField(connector, Field::kEndOffset, &endOffset);
    }
    if (status == kStatusOk) {
        status = Model_GetField(Model_GetFieldValue(connector, Field::kStartObject), Field::kPosition, &startAt);
    }
    if (status == kStatusOk) {
        status = Model_GetField(Model_GetFieldValue(connector, Field::kEndObject), Field::kPosition, &endAt);
    }
    if (status != kStatusOk) {
        return status;
    }
    if (start != nullptr) {
        *start = {Fix_Add(startOffset.x, startAt.x), Fix_Add(startOffset.y, startAt.y)};
    }
    if (end != nullptr) {
        *end = {Fix_Add(endOffset.x, endAt.x), Fix_Add(endOffset.y, endAt.y)};
    }
    return kStatusOk;
}

KernelStatus Model_SetConnectorEndPoints(ObjectHandle connector, FixPoint start, FixPoint end)
{
    FixPoint startAt;
    FixPoint endAt;
    KernelStatus status =
        Model_GetField(Model_GetFieldValue(connector, Field::kStartObject), Field::kPosition, &startAt);
    if (status == kStatusOk) {
        status = Model_GetField(Model_GetFieldValue(connector, Field::kEndObject), Field::kPosition, &endAt);
    }
    if (status != kStatusOk) {
        return status;
    }
    FixPoint startOffset{Fix_Sub(start.x, startAt.x), Fix_Sub(start.y, startAt.y)};
    FixPoint endOffset{Fix_Sub(end.x, endAt.x), Fix_Sub(end.y, endAt.y)};
    status = Model_SetField(connector, Field::kStartOffset, &startOffset);
    if (status == kStatusOk) {
        status = Model_SetField(connector, Field::kEndOffset, &endOffset);
    }
    return status;
}

// ---- Page texts and numbers ----

KernelStatus Model_GetPageName(ObjectHandle page, char* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    out[0] = '\0';
    MemHandle name = 0;
    KernelStatus status = Model_GetField(page, Field::kPageName, &name);
    if (status != kStatusOk || name == 0) {
        return status;
    }
    BlockLock<char> text(name);
    if (!text) {
        return kStatusNullHandle;
    }
    // The block may lack a terminator: never read past it.
    size_t length = strnlen(text.get(), std::min<size_t>(text.size(), kPageNameSize - 1));
    std::memcpy(out, text.get(), length);
    out[length] = '\0';
    return kStatusOk;
}

KernelStatus Model_GetPageLabel(ObjectHandle page, char* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    out[0] = '\0';
    uint32_t number = 0;
    KernelStatus status = Model_GetField(page, Field::kPageNumber, &number);
    if (status != kStatusOk) {
        return status;
    }
    char prefix[kPageLabelSize];
    String_GetText(0, prefix, sizeof(prefix));
    char digits[16];
    std::snprintf(digits, sizeof(digits), " %ld", static_cast<long>(static_cast<int32_t>(number)));
    // The prefix is cut so that the whole label fits.
    size_t room = kPageLabelSize - 1 - std::min<size_t>(std::strlen(digits), kPageLabelSize - 1);
    size_t prefixLength = std::min(std::strlen(prefix), room);
    std::snprintf(out, kPageLabelSize, "%.*s%s", static_cast<int>(prefixLength), prefix, digits);
    return kStatusOk;
}

KernelStatus Model_GetPageTitle(ObjectHandle page, char* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    out[0] = '\0';
    if (!Model_IsPage(page)) {
        return kStatusBadArgument;
    }
    char name[kPageNameSize];
    char label[kPageLabelSize];
    Model_GetPageName(page, name);
    Model_GetPageLabel(page, label);
    int nameLength = static_cast<int>(std::min<size_t>(std::strlen(name), 126 - std::strlen(label)));
    std::snprintf(out, kPageTitleSize, "%.*s %s", nameLength, name, label);
    return kStatusOk;
}

uint32_t Model_PageNumberUsed(uint32_t number, ObjectHandle except)
{
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        if (page != except && Model_GetFieldValue(page, Field::kPageNumber) == number) {
            return 1;
        }
    }
    return 0;
}

uint32_t Model_FreePageNumber()
{
    uint32_t candidate = 1;
    while (candidate < UINT32_MAX && Model_PageNumberUsed(candidate, 0)) {
        ++candidate;
    }
    return candidate;
}
