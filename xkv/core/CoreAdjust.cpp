// Size and position changes: the adjustment step with its region handling,
// moving, resizing, fitting to text, aligning, spreading, moving objects to
// another page and copying another object's shape.
#include <algorithm>
#include <vector>

#include "xkv/core/CoreInternal.h"
#include "xkv/model/Picture.h"
#include "xkv/text/TextObject.h"
#include "xkv/types/Fixed.h"
#include "xkv/types/Geometry.h"

using namespace core;

namespace {

FixPoint gLastDisplacement;

bool HasSize(uint8_t flags)
{
    return (flags & kAdjustSizeFlags) != 0;
}

bool HasPosition(uint8_t flags)
{
    return (flags & kAdjustPositionFlags) != 0;
}

bool IsPointShape(uint32_t kind)
{
    return kind == 5 || kind == 6 || kind == 13;
}

Fixed FactorX(const AdjustRequest& r)
{
    return (r.flags & (kAdjustWidth | kAdjustWidthFactor)) != 0 ? r.sx : kFixedOne;
}

Fixed FactorY(const AdjustRequest& r)
{
    return (r.flags & (kAdjustHeight | kAdjustHeightFactor)) != 0 ? r.sy : kFixedOne;
}

Fixed NonZero(Fixed size)
{
    return size == 0 ? kFixedHalf : size;
}

// The point data of an object follows its new box: scaled about the old
// position by the size change and shifted by the position change.
void TransformPoints(ObjectHandle object, FixPoint oldPosition, Fixed fx, Fixed fy, FixPoint shift)
{
    PtArray copy = PtArray_Duplicate(Model_GetFieldValue(object, Field::kShapeData));
    if (copy == 0) {
        return;
    }
    if (fx != kFixedOne || fy != kFixedOne) {
        PtArray_Scale(copy, &oldPosition, fx, fy);
    }
    if (shift.x != 0 || shift.y != 0) {
        PtArray_Translate(copy, shift);
    }
    if (Core_SetShapePoints(object, copy, 0) != kStatusOk) {
        PtArray_Free(copy);
    }
}

// Writes size and position and brings the box or the points along.
void ApplyGeometry(ObjectHandle object, const AdjustRequest& r, bool size, bool position, Fixed fx, Fixed fy,
                   FixPoint newPosition)
{
    FixPoint oldPosition = Position(object);
    Fixed width = Width(object);
    Fixed height = Height(object);
    if (size) {
        if ((r.flags & (kAdjustWidth | kAdjustWidthFactor)) != 0) {
            width = r.width;
        }
        if ((r.flags & (kAdjustHeight | kAdjustHeightFactor)) != 0) {
            height = r.height;
        }
        Model_SetFieldValue(object, Field::kWidth, static_cast<uint32_t>(width));
        Model_SetFieldValue(object, Field::kHeight, static_cast<uint32_t>(height));
    }
    if (position) {
        Put(object, Field::kPosition, newPosition);
    }
    if (IsPointShape(Kind(object))) {
        FixPoint shift = position ? FixPoint{Fix_Sub(newPosition.x, oldPosition.x), Fix_Sub(newPosition.y, oldPosition.y)}
                                  : FixPoint{};
        TransformPoints(object, oldPosition, size ? fx : kFixedOne, size ? fy : kFixedOne, shift);
    } else if (!Model_IsConnector(object)) {
        Core_RecomputeBox(object, 1);
    }
}

void ComputeSizes(ObjectHandle object, AdjustRequest* r)
{
    Fixed w = Width(object);
    Fixed h = Height(object);
    if ((r->flags & kAdjustWidth) != 0) {
        r->sx = Fix_Div(NonZero(r->width), NonZero(w));
    } else if ((r->flags & kAdjustWidthFactor) != 0) {
        if (r->sx == 0) {
            r->sx = kFixedOne;
        }
        r->width = Fix_Mul(w, r->sx);
    } else {
        r->sx = kFixedOne;
        r->width = w;
    }
    if ((r->flags & kAdjustHeight) != 0) {
        r->sy = Fix_Div(NonZero(r->height), NonZero(h));
    } else if ((r->flags & kAdjustHeightFactor) != 0) {
        if (r->sy == 0) {
            r->sy = kFixedOne;
        }
        r->height = Fix_Mul(h, r->sy);
    } else {
        r->sy = kFixedOne;
        r->height = h;
    }
}

void ComputeOffsets(AdjustRequest* r)
{
    if ((r->flags & (kAdjustX | kAdjustY)) == 0) {
        if ((r->flags & kAdjustDx) == 0) {
            r->dx = 0;
        }
        if ((r->flags & kAdjustDy) == 0) {
            r->dy = 0;
        }
        return;
    }
    r->dx = (r->flags & kAdjustX) != 0 ? Fix_Sub(r->newX, r->refX) : 0;
    r->dy = (r->flags & kAdjustY) != 0 ? Fix_Sub(r->newY, r->refY) : 0;
}

KernelStatus RebuildRegionConnectors(ObjectHandle region, uint32_t kind, const FixRect& oldBox)
{
    RebuildRequest request;
    request.kind = kind;
    request.changed = region;
    request.oldBox = oldBox;
    return Core_RebuildAttachedConnectors(region, &request, 0);
}

void AdjustRegionList(ObjectHandle owner, AdjustRequest* r)
{
    bool size = HasSize(r->flags);
    Fixed fx = FactorX(*r);
    Fixed fy = FactorY(*r);
    Fixed dx = (r->flags & (kAdjustDx | kAdjustX)) != 0 ? r->dx : 0;
    Fixed dy = (r->flags & (kAdjustDy | kAdjustY)) != 0 ? r->dy : 0;
    uint32_t guard = Model_SlotCount();
    for (ObjectHandle region = Model_GetFirstRegion(owner); region != 0 && guard-- > 0;
         region = Model_GetNextSibling(region)) {
        // A region in the request's group is adjusted as a member itself, and
        // a region that keeps both size and position stays; the regions after
        // either in the list still follow their owner.
        if (r->group != 0 && Group_Contains(r->group, region)) {
            continue;
        }
        bool keepPosition = r->keepPosition != 0 || Model_HasFlags(region, kFlagFixedPosition);
        bool keepSize = r->keepSize != 0 || (Model_GetFieldValue(region, Field::kFlags) & 0x90) != 0;
        if ((keepSize || !size) && keepPosition) {
            continue;
        }
        FixRect oldBox = Box(region);
        AdjustRequest own = *r;
        own.width = Fix_Mul(Width(region), fx);
        own.height = Fix_Mul(Height(region), fy);
        own.flags = static_cast<uint8_t>(size && !keepSize ? (kAdjustWidth | kAdjustHeight) : 0);
        FixPoint position = Position(region);
        if (!keepPosition) {
            Fixed ox = Fix_Sub(position.x, r->refX);
            Fixed oy = Fix_Sub(position.y, r->refY);
            position.x = Fix_Add(Fix_Add(position.x, Fix_Sub(Fix_ScaleCoord(ox, fx), ox)), dx);
            position.y = Fix_Add(Fix_Add(position.y, Fix_Sub(Fix_ScaleCoord(oy, fy), oy)), dy);
        }
        bool sizeRegion = size && !keepSize;
        ApplyGeometry(region, own, sizeRegion, !keepPosition, sizeRegion ? fx : kFixedOne,
                      sizeRegion ? fy : kFixedOne, position);
        if (size) {
            RebuildRegionConnectors(region, keepSize ? kRebuildFull : kRebuildResized, oldBox);
        } else {
            RebuildRegionConnectors(region, kRebuildGroupMoved, oldBox);
        }
        AdjustRequest inner = *r;
        inner.keepSize = keepSize ? 1 : 0;
        inner.keepPosition = keepPosition ? 1 : 0;
        AdjustRegionList(region, &inner);
    }
}

}  // namespace

namespace core {
void ResetLastDisplacement()
{
    gLastDisplacement = {};
}
}  // namespace core

void Core_InitAdjust(AdjustRequest* request)
{
    if (request != nullptr) {
        *request = AdjustRequest{};
    }
}

void Core_GetLastDisplacement(FixPoint* out)
{
    if (out != nullptr) {
        *out = gLastDisplacement;
    }
}

KernelStatus Core_AdjustRegions(ObjectHandle object, AdjustRequest* request)
{
    if (!Model_IsObject(object) || request == nullptr) {
        return kStatusBadArgument;
    }
    AdjustRegionList(object, request);
    return kStatusOk;
}

KernelStatus Core_AdjustObject(ObjectHandle object, AdjustRequest* request)
{
    if (!Model_IsObject(object) || request == nullptr) {
        return kStatusBadArgument;
    }
    AdjustRequest& r = *request;
    const uint8_t savedFlags = r.flags;
    const FixRect oldBox = Box(object);
    if (Model_HasFlags(object, kFlagSizeFollowsText)) {
        if (!HasPosition(r.flags)) {
            return kStatusSkipSubtree;
        }
        r.flags &= static_cast<uint8_t>(~kAdjustSizeFlags);
    }
    if ((Model_GetFieldValue(object, Field::kFlags) & (kFlagFixedPosition | kFlagNoPosition)) != 0) {
        if (!HasSize(r.flags)) {
            r.flags = savedFlags;
            return kStatusSkipSubtree;
        }
        r.flags &= static_cast<uint8_t>(~kAdjustPositionFlags);
    }
    if (r.redrawFirst != 0) {
        Core_RedrawObject(object);
    }
    ComputeSizes(object, &r);
    FixPoint position = Position(object);
    r.refX = position.x;
    r.refY = position.y;
    ComputeOffsets(&r);
    bool size = HasSize(r.flags);
    bool moved = HasPosition(r.flags);
    FixPoint newPosition{Fix_Add(position.x, r.dx), Fix_Add(position.y, r.dy)};
    ApplyGeometry(object, r, size, moved, r.sx, r.sy, newPosition);
    if (size) {
        RebuildResized(object, oldBox);
    }
    if (r.adjustRegions != 0) {
        AdjustRegionList(object, &r);
    }
    Core_RedrawObject(object);
    r.flags = savedFlags;
    return kStatusOk;
}

// ---- Moving ----

KernelStatus Core_MoveGroup(GroupNumber group, Fixed dx, Fixed dy, uint32_t adjustRegions, uint32_t redrawFirst)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    ScopedSets sets(kSetInner | kSetOneEnd);
    Core_ClassifyConnectorsExcept(group, sets.get(), kFlagFixedPosition);
    for (ObjectHandle member : Members(group)) {
        AdjustRequest request;
        request.flags = kAdjustDx | kAdjustDy;
        request.dx = dx;
        request.dy = dy;
        request.adjustRegions = adjustRegions;
        request.redrawFirst = redrawFirst;
        request.group = group;
        Core_AdjustObject(member, &request);
    }
    gLastDisplacement = {dx, dy};
    Core_DisplaceConnectors(sets->inner, {dx, dy});
    RebuildRequest rebuild;
    rebuild.kind = kRebuildGroupMoved;
    rebuild.groupGiven = 1;
    rebuild.group = group;
    rebuild.dx = dx;
    rebuild.dy = dy;
    Core_RebuildGroup(sets->oneEnd, &rebuild);
    return kStatusOk;
}

KernelStatus Core_MoveObject(ObjectHandle object, Fixed dx, Fixed dy, uint32_t adjustRegions, uint32_t redrawFirst)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusOk;
    }
    return Core_MoveGroup(group.get(), dx, dy, adjustRegions, redrawFirst);
}

KernelStatus Core_DisplaceConnectors(GroupNumber group, FixPoint offset)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle connector : Members(group)) {
        Core_DisplaceConnector(connector, offset);
    }
    return kStatusOk;
}

KernelStatus Core_DisplaceConnector(ObjectHandle connector, FixPoint offset)
{
    if (!Model_IsConnector(connector)) {
        return kStatusBadArgument;
    }
    Core_RedrawObject(connector);
    PtArray_Translate(Get<MemHandle>(connector, Field::kPath), offset);
    if (Model_GetFieldValue(connector, Field::kCornerRadius) != 0) {
        PtArray_Translate(Get<MemHandle>(connector, Field::kRoundedPath), offset);
    }
    uint32_t direction = Model_GetFieldValue(connector, Field::kDirection);
    if (direction == 2 || direction == 3) {
        PtArray_Translate(Get<MemHandle>(connector, Field::kStartHead), offset);
    }
    if (direction == 1 || direction == 3) {
        PtArray_Translate(Get<MemHandle>(connector, Field::kEndHead), offset);
    }
    FixPoint old = Position(connector);
    FixPoint position;
    Geom_MidPoint(&position, Position(Model_GetFieldValue(connector, Field::kStartObject)),
                  Position(Model_GetFieldValue(connector, Field::kEndObject)));
    Put(connector, Field::kPosition, position);
    if (!(old == position)) {
        AdjustRequest request;
        request.flags = kAdjustDx | kAdjustDy;
        request.dx = Fix_Sub(position.x, old.x);
        request.dy = Fix_Sub(position.y, old.y);
        request.sx = kFixedOne;
        request.sy = kFixedOne;
        request.refX = old.x;
        request.refY = old.y;
        AdjustRegionList(connector, &request);
    }
    Core_RecomputeBox(connector, 1);
    FixRect textBox = Get<FixRect>(connector, Field::kTextBox);
    FixPoint centre = CentreOf(Box(connector));
    Fixed hw = static_cast<Fixed>((int64_t{textBox.right} - textBox.left) >> 1);
    Fixed hh = static_cast<Fixed>((int64_t{textBox.bottom} - textBox.top) >> 1);
    Put(connector, Field::kTextBox,
        FixRect{Fix_Sub(centre.x, hw), Fix_Sub(centre.y, hh), Fix_Add(centre.x, hw), Fix_Add(centre.y, hh)});
    return Core_RedrawObject(connector);
}

// ---- Sizes ----

KernelStatus Core_SetSize(ObjectHandle object, Fixed width, Fixed height, uint32_t adjustRegions)
{
    AdjustRequest request;
    request.flags = kAdjustWidth | kAdjustHeight;
    request.width = width;
    request.height = height;
    request.adjustRegions = adjustRegions;
    return Core_AdjustObject(object, &request);
}

KernelStatus Core_ResizeAndMove(GroupNumber group, Fixed width, Fixed height, Fixed dx, Fixed dy,
                                uint32_t adjustRegions)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        AdjustRequest request;
        request.flags = kAdjustWidth | kAdjustHeight | kAdjustDx | kAdjustDy;
        request.width = width;
        request.height = height;
        request.dx = dx;
        request.dy = dy;
        request.adjustRegions = adjustRegions;
        request.group = group;
        Core_AdjustObject(member, &request);
    }
    Hook_Fire(35, group);
    return kStatusOk;
}

KernelStatus Core_SetObjectRect(ObjectHandle object, FixRect rect, uint32_t adjustRegions)
{
    Fixed width = std::max(Fix_Sub(rect.right, rect.left), kFixedHalf);
    Fixed height = std::max(Fix_Sub(rect.bottom, rect.top), kFixedHalf);
    FixPoint centre = CentreOf(rect);
    FixPoint position = Position(object);
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    return Core_ResizeAndMove(group.get(), width, height, Fix_Sub(centre.x, position.x),
                              Fix_Sub(centre.y, position.y), adjustRegions);
}

KernelStatus Core_SetGroupSize(GroupNumber group, Fixed width, Fixed height)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    uint8_t flags = static_cast<uint8_t>((width >= 0 ? kAdjustWidth : 0) | (height >= 0 ? kAdjustHeight : 0));
    if (flags == 0) {
        return kStatusOk;
    }
    for (ObjectHandle member : Members(group)) {
        AdjustRequest request;
        request.flags = flags;
        request.width = width;
        request.height = height;
        Core_AdjustObject(member, &request);
    }
    return kStatusOk;
}

KernelStatus Core_ScaleSize(ObjectHandle object, Fixed sx, Fixed sy)
{
    return Core_SetSize(object, Fix_ScaleCoord(Width(object), sx), Fix_ScaleCoord(Height(object), sy), 1);
}

KernelStatus Core_FitBoxToText(ObjectHandle object)
{
    MemHandle text = 0;
    KernelStatus status = Text_Get(object, &text, 0);
    if (status != kStatusOk) {
        return status;
    }
    FixRect extent = Text_GetExtent(text);
    Fixed line = 0;
    if ((Model_IsNode(object) || Model_IsRegion(object)) && !Model_IsLabel(object)) {
        Fixed width = static_cast<Fixed>(Model_GetFieldValue(object, Field::kLineWidth));
        if (width >= 1) {
            line = width;
            Geom_InsetRect(&extent, -line, -line);
        }
    }
    Model_SetFieldValue(object, Field::kText, 0);
    status = Core_SetSize(object, Fix_Sub(extent.right, extent.left), Fix_Sub(extent.bottom, extent.top), 1);
    FixRect frame = Box(object);
    Geom_InsetRect(&frame, line, line);
    Text_SetFrame(text, frame);
    Model_SetFieldValue(object, Field::kText, text);
    return status;
}

KernelStatus Core_FitGroupToText(GroupNumber group)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_FitBoxToText(member);
    }
    return kStatusOk;
}

// ---- Alignment and spreading ----

namespace {

KernelStatus MoveTo(ObjectHandle object, FixPoint position, uint8_t flags, GroupNumber excluded)
{
    AdjustRequest request;
    request.flags = flags;
    request.newX = position.x;
    request.newY = position.y;
    request.group = excluded;
    KernelStatus status = Core_AdjustObject(object, &request);
    gLastDisplacement = {request.dx, request.dy};
    return status;
}

Fixed Half(Fixed size)
{
    return size >> 1;
}

}  // namespace

KernelStatus Core_AlignObjects(GroupNumber members, GroupNumber reference, uint32_t mode, GroupNumber excluded)
{
    if (!GroupExists(members)) {
        return kStatusBadGroup;
    }
    ObjectHandle r = Group_Member(reference, 0);
    ObjectHandle s = Group_Member(reference, 1);
    // Modes that need a second reference object move nothing without one.
    bool usable = Model_IsObject(r) && ((mode != 0 && mode != 7) || Model_IsObject(s));
    for (ObjectHandle member : Members(members)) {
        if (!usable || mode > 13) {
            break;
        }
        FixPoint p = Position(member);
        FixPoint ref = Position(r);
        Fixed hw = Half(Width(member));
        Fixed hh = Half(Height(member));
        Fixed rw = Half(Width(r));
        Fixed rh = Half(Height(r));
        int64_t x = p.x;
        int64_t y = p.y;
        switch (mode) {
        case 0: {
            FixPoint mid;
            Geom_MidPoint(&mid, ref, Position(s));
            x = mid.x;
            y = mid.y;
            break;
        }
        case 1: y = int64_t{ref.y} + rh - hh; break;
        case 2: y = int64_t{ref.y} - rh - hh; break;
        case 3: x = ref.x; y = ref.y; break;
        case 4: y = ref.y; break;
        case 5: x = int64_t{ref.x} - rw + hw; break;
        case 6: x = int64_t{ref.x} + rw + hw; break;
        case 7: {
            FixPoint second = Position(s);
            x = 2 * int64_t{second.x} - ref.x;
            y = 2 * int64_t{second.y} - ref.y;
            r = s;
            s = member;
            break;
        }
        case 8: break;
        case 9: x = int64_t{ref.x} - rw - hw; break;
        case 10: x = int64_t{ref.x} + rw - hw; break;
        case 11: y = int64_t{ref.y} + rh + hh; break;
        case 12: y = int64_t{ref.y} - rh + hh; break;
        case 13: x = ref.x; break;
        default: break;
        }
        MoveTo(member, {Fix_Saturate(x), Fix_Saturate(y)}, kAdjustX | kAdjustY, excluded);
    }
    return Core_RebuildAfterAlign(members, kRebuildGroupMoved);
}

namespace {

uint32_t gSpreadAxis = 0;

int CompareOnAxis(ObjectHandle a, ObjectHandle b)
{
    FixPoint pa = Position(a);
    FixPoint pb = Position(b);
    int64_t difference = gSpreadAxis == 0 ? int64_t{pa.x} - pb.x : int64_t{pa.y} - pb.y;
    difference >>= 15;
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}

}  // namespace

KernelStatus Core_SpreadObjects(GroupNumber group, uint32_t direction)
{
    uint16_t count = Group_Count(group);
    if (count < 3) {
        return kStatusTooFewToSpread;
    }
    gSpreadAxis = direction;
    Group_Sort(group, CompareOnAxis);
    std::vector<ObjectHandle> sorted = Members(group);
    auto coordinate = [direction](ObjectHandle o) { return direction == 0 ? Position(o).x : Position(o).y; };
    int64_t first = coordinate(sorted.front());
    int64_t step = (coordinate(sorted.back()) - first) / (count - 1);
    int64_t running = first;
    for (ObjectHandle member : sorted) {
        FixPoint target = Position(member);
        (direction == 0 ? target.x : target.y) = Fix_Saturate(running);
        MoveTo(member, target, direction == 0 ? kAdjustX : kAdjustY, 0);
        running += step;
    }
    return Core_RebuildAfterAlign(group, kRebuildGroupMoved);
}

// ---- Other pages ----

KernelStatus Core_MoveToPage(GroupNumber group, ObjectHandle page, uint32_t withBorderNodes)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    bool removed = false;
    for (ObjectHandle member : Members(group)) {
        if (Model_GetFieldValue(member, Field::kSubpage) == page ||
            Model_GetFieldValue(member, Field::kAttachedTo) == page) {
            Group_Remove(group, member);
            removed = true;
        }
    }
    if (removed) {
        return kStatusMoveOntoOwnPage;
    }
    for (ObjectHandle member : Members(group)) {
        if (!Model_IsNode(member) || (withBorderNodes == 0 && Model_IsBorderNode(member))) {
            Group_Remove(group, member);
        }
    }
    ScopedSets sets(kSetInner | kSetOneEnd | kSetOneEndFlagged);
    if (Core_ClassifyConnectors(group, sets.get()) != kStatusOk) {
        return kStatusFailed;
    }
    Model_RemoveRecentGroup(group);
    Core_DeleteGroup(sets->oneEnd, 0);
    Core_DeleteGroup(sets->oneEndFlagged, 0);
    for (GroupNumber part : {group, sets->inner}) {
        for (ObjectHandle object : Members(part)) {
            Core_RedrawObject(object);
            Model_MoveToPage(object, page);
            Core_RedrawObject(object);
        }
    }
    Core_NotifyModelChanged();
    Hook_Fire(24, group, sets->inner);
    return kStatusOk;
}

KernelStatus Core_MoveObjectToPage(ObjectHandle object, ObjectHandle page)
{
    ScopedGroup group(GroupOf(object));
    if (!group) {
        return kStatusBadGroup;
    }
    return Core_MoveToPage(group.get(), page, 0);
}

// ---- Shapes ----

namespace {

void FreeShapeData(ObjectHandle object)
{
    MemHandle data = Model_GetFieldValue(object, Field::kShapeData);
    uint32_t kind = Kind(object);
    if (kind == 4 && data != 0) {
        Picture_Free(data);
        Model_SetFieldValue(object, Field::kShapeData, 0);
    } else if (kind == 6 && data != 0) {
        PtArray_Free(data);
        Model_SetFieldValue(object, Field::kShapeData, 0);
    } else {
        Model_SetShapeData(object, 0);
    }
}

MemHandle CopyShapeDataOf(ObjectHandle object, ObjectHandle model)
{
    MemHandle data = Model_GetFieldValue(model, Field::kShapeData);
    switch (Kind(model)) {
    case 4:
        return data != 0 ? Picture_Copy(data) : 0;
    case 5:
    case 6:
    case 13: {
        PtArray copy = PtArray_Duplicate(data);
        if (copy == 0) {
            return 0;
        }
        FixPoint position = Position(object);
        FixPoint modelPosition = Position(model);
        PtArray_Translate(copy, {Fix_Sub(position.x, modelPosition.x), Fix_Sub(position.y, modelPosition.y)});
        PtArray_Scale(copy, &position, Fix_Div(NonZero(Width(object)), NonZero(Width(model))),
                      Fix_Div(NonZero(Height(object)), NonZero(Height(model))));
        return copy;
    }
    default:
        return 0;
    }
}

}  // namespace

KernelStatus Core_CopyShape(ObjectHandle object, ObjectHandle model, uint32_t takeSize)
{
    if (object == model) {
        return kStatusOk;
    }
    auto shaped = [](ObjectHandle o) { return Model_IsNode(o) || Model_IsRegion(o); };
    if (!shaped(object) || !shaped(model)) {
        return kStatusBadArgument;
    }
    if (!HookAllows(4, object, model)) {
        return kStatusRefusedByHook;
    }
    if (takeSize == 0) {
        Core_RedrawObject(object);
    }
    FreeShapeData(object);
    uint32_t kind = Kind(model);
    Model_SetFieldValue(object, Field::kShapeKind, kind);
    Model_SetFieldValue(object, Field::kShapeData, CopyShapeDataOf(object, model));
    if (kind == 7) {
        Model_SetFieldValue(object, Field::kRoundedness, Model_GetFieldValue(model, Field::kRoundedness));
    } else if (kind == 8) {
        Model_SetFieldValue(object, Field::kWedgeStart, Model_GetFieldValue(model, Field::kWedgeStart));
        Model_SetFieldValue(object, Field::kWedgeEnd, Model_GetFieldValue(model, Field::kWedgeEnd));
    }
    Model_SetShapeBit(object, kind);
    if (takeSize != 0) {
        Core_SetSize(object, Width(model), Height(model), 1);
    } else {
        Core_RecomputeBox(object, 1);
    }
    RebuildResized(object, Box(object));
    return kStatusOk;
}

KernelStatus Core_CopyShapeToGroup(GroupNumber group, ObjectHandle model, uint32_t takeSize)
{
    if (!GroupExists(group)) {
        return kStatusBadGroup;
    }
    for (ObjectHandle member : Members(group)) {
        Core_CopyShape(member, model, takeSize);
    }
    return kStatusOk;
}
