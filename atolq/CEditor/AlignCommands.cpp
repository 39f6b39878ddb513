// The net editor's Align commands that work against picked reference
// objects: Position... with its dialog, and the horizontal, vertical and
// circular spreads. The arithmetic lives in AlignGeometry.cpp; this file
// reads the objects from the kernel, runs the picks and the dialog and moves
// the objects.
#include <cstdlib>
#include <string>
#include <vector>

#include "atolq/CEditor/AlignCommands.h"
#include "atolq/CEditor/AlignGeometry.h"
#include "atolq/CEditor/NetCommands.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int32_t kPickKinds = 22;
constexpr const char* kFirstPrompt = "Please select node as reference for alignment";
constexpr const char* kSecondPrompt = "Please select second node";

constexpr int32_t kPositionDialog = 20408;
constexpr int16_t kItemOk = 1;
constexpr int16_t kItemCancel = 2;
constexpr int16_t kItemReset = 3;
constexpr int16_t kItemX = 5;
constexpr int16_t kItemXLabel = 6;
constexpr int16_t kItemYLabel = 7;
constexpr int16_t kItemY = 8;
constexpr int16_t kItemCartesian = 9;
constexpr int16_t kItemPolar = 10;
constexpr int16_t kItemAngleLabel = 11;
constexpr int16_t kItemDistanceLabel = 12;
constexpr int16_t kItemDistance = 15;
constexpr int16_t kItemAbsolute = 16;
constexpr int16_t kItemRelative = 17;
constexpr int16_t kItemAbsoluteAngle = 18;
constexpr int16_t kItemRelativeAngle = 19;

bool Movable(ObjectHandle object)
{
    return (QXRdAttr_GetObjectType(object) & (kQXKindNode | kQXKindRegion)) != 0;
}

AlignBox BoxOf(ObjectHandle object)
{
    AlignBox box;
    QXRdAttr_GetPosition(object, &box.x, &box.y);
    QXRdAttr_GetSize(object, &box.width, &box.height);
    return box;
}

FixPoint PositionOf(ObjectHandle object)
{
    FixPoint p;
    QXRdAttr_GetPosition(object, &p.x, &p.y);
    return p;
}

std::vector<AlignBox> BoxesOf(const std::vector<ObjectHandle>& objects)
{
    std::vector<AlignBox> boxes;
    boxes.reserve(objects.size());
    for (ObjectHandle object : objects)
        boxes.push_back(BoxOf(object));
    return boxes;
}

void MoveTo(ObjectHandle object, FixPoint to)
{
    if (Movable(object))
        QXWtAttr_SetPosition(object, to.x, to.y);
}

// Runs the kernel's pick with the prompt in the status bar; 0 when cancelled.
ObjectHandle PickWithPrompt(const char* prompt)
{
    QXUI_SetStatusBarMessage(prompt);
    const ObjectHandle picked = QXUI_PickObject(kPickKinds, 1);
    QXUI_SetStatusBarMessage("");
    return picked;
}

// ---- the Position... dialog ----

void ShowCartesian(bool cartesian)
{
    for (int16_t item : {kItemX, kItemXLabel, kItemYLabel, kItemY})
        Dialog_ShowItem(item, cartesian ? 1 : 0);
    for (int16_t item : {kItemAngleLabel, kItemDistanceLabel, kItemDistance, kItemAbsolute, kItemRelative})
        Dialog_ShowItem(item, cartesian ? 0 : 1);
    Dialog_SetRadioGroup(kItemCartesian, kItemPolar, cartesian ? kItemCartesian : kItemPolar);
}

void ShowAngleField(const PositionRecord& record)
{
    const bool polar = record[kPosType] == kPositionPolar;
    const bool relative = record[kPosRelative] != 0;
    Dialog_ShowItem(kItemAbsoluteAngle, polar && !relative ? 1 : 0);
    Dialog_ShowItem(kItemRelativeAngle, polar && relative ? 1 : 0);
    Dialog_SetRadioGroup(kItemAbsolute, kItemRelative, relative ? kItemRelative : kItemAbsolute);
}

void FillField(int16_t item, int16_t value, bool shown)
{
    if (shown)
        Dialog_SetItemNumber(item, value);
    else
        Dialog_SetItemText(item, "");
}

void ResetPositionDialog(PositionRecord& record)
{
    record[kPosType] = kPositionCartesian;
    record[kPosRelative] = 0;
    const bool each = record[kPosMode] == 2;
    FillField(kItemX, record[kPosStartX], !each || record[kPosShowX] != 0);
    FillField(kItemY, record[kPosStartY], !each || record[kPosShowY] != 0);
    FillField(kItemAbsoluteAngle, record[kPosStartAngle], !each || record[kPosShowAngle] != 0);
    FillField(kItemDistance, record[kPosStartDistance], !each || record[kPosShowDistance] != 0);
    Dialog_SetItemNumber(kItemRelativeAngle, 0);
    ShowCartesian(true);
    ShowAngleField(record);
}

// A field's number when it holds one; false when it is empty.
bool FieldNumber(int16_t item, int16_t* value)
{
    char text[32] = {};
    if (Dialog_GetItemText(item, text, sizeof text - 1) <= 0 || text[0] == '\0')
        return false;
    *value = static_cast<int16_t>(std::strtol(text, nullptr, 10));
    return true;
}

void ReadPositionDialog(PositionRecord& record)
{
    for (size_t word = kPosApplyX; word <= kPosApplyDistance; ++word)
        record[word] = 0;
    if (record[kPosType] == kPositionCartesian) {
        record[kPosApplyX] = FieldNumber(kItemX, &record[kPosFirst]) ? 1 : 0;
        record[kPosApplyY] = FieldNumber(kItemY, &record[kPosSecond]) ? 1 : 0;
        return;
    }
    if (record[kPosRelative] != 0)
        record[kPosApplyRelative] = FieldNumber(kItemRelativeAngle, &record[kPosFirst]) ? 1 : 0;
    else
        record[kPosApplyAngle] = FieldNumber(kItemAbsoluteAngle, &record[kPosFirst]) ? 1 : 0;
    record[kPosApplyDistance] = FieldNumber(kItemDistance, &record[kPosSecond]) ? 1 : 0;
}

struct PositionAnswer {
    PositionRecord record{};
    bool ok = false;
};

}  // namespace

int16_t GE_PositionDialog(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* answer = static_cast<PositionAnswer*>(Dialog_GetClientData());
    if (answer == nullptr)
        return item;
    PositionRecord& record = answer->record;
    if (code == 0) {
        ResetPositionDialog(record);
        Dialog_SetDefaultItem(kItemOk);
        return item;
    }
    switch (item) {
    case kItemReset:
        ResetPositionDialog(record);
        break;
    case kItemCartesian:
    case kItemPolar:
        record[kPosType] = item == kItemCartesian ? kPositionCartesian : kPositionPolar;
        ShowCartesian(item == kItemCartesian);
        ShowAngleField(record);
        break;
    case kItemAbsolute:
    case kItemRelative:
        record[kPosRelative] = item == kItemRelative ? 1 : 0;
        ShowAngleField(record);
        break;
    case kItemOk:
        ReadPositionDialog(record);
        answer->ok = true;
        Dialog_Close(kItemOk);
        break;
    case kItemCancel:
        Dialog_Close(kItemCancel);
        break;
    default:
        break;
    }
    return item;
}

int GE_ReferenceMode()
{
    int32_t detail = 0;
    QXUtil_GetInboxDetail(&detail);
    if ((detail & 2) != 0)
        return 1;
    if ((detail & 1) != 0)
        return 0;
    return 2;
}

bool GE_AlignOffset(const std::vector<ObjectHandle>& objects, ObjectHandle reference, ObjectHandle second,
                    int32_t command, FixPoint* offset, int mode, const PositionRecord& record)
{
    if (objects.empty())
        return false;
    const std::vector<AlignBox> boxes = BoxesOf(objects);
    const AlignBox s = mode == 0 ? boxes.front() : GE_BoundsOf(boxes).box;
    const FixPoint r2 = second != 0 ? PositionOf(second) : FixPoint{};
    return GE_OffsetFor(command, s, BoxOf(reference), r2, record, offset);
}

void GE_OffsetObjects(const std::vector<ObjectHandle>& objects, FixPoint offset)
{
    for (ObjectHandle object : objects) {
        const FixPoint at = PositionOf(object);
        MoveTo(object, {static_cast<Fixed>(int64_t{at.x} + offset.x), static_cast<Fixed>(int64_t{at.y} + offset.y)});
    }
}

void GE_PlaceByRecord(const std::vector<ObjectHandle>& objects, ObjectHandle reference, const PositionRecord& record)
{
    std::vector<FixPoint> positions;
    for (ObjectHandle object : objects)
        positions.push_back(PositionOf(object));
    const std::vector<FixPoint> placed = GE_PlacedByRecord(positions, PositionOf(reference), record);
    for (size_t i = 0; i < objects.size(); ++i)
        MoveTo(objects[i], placed[i]);
}

PositionRecord GE_PrepareRecord(const std::vector<ObjectHandle>& objects, ObjectHandle reference, int mode)
{
    return GE_StartRecord(BoxesOf(objects), BoxOf(reference), static_cast<int16_t>(mode));
}

int EE_AlignPosition()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return 0;
    const int mode = GE_ReferenceMode();
    const ObjectHandle reference = PickWithPrompt(kFirstPrompt);
    if (reference == 0)
        return -1;
    PositionAnswer answer;
    answer.record = GE_PrepareRecord(selection, reference, mode);
    Dialog_OpenModal(kPositionDialog, GE_PositionDialog, &answer);
    if (!answer.ok)
        return 0;
    if (mode == 2) {
        GE_PlaceByRecord(selection, reference, answer.record);
        return 1;
    }
    FixPoint offset;
    if (GE_AlignOffset(selection, reference, 0, 914, &offset, mode, answer.record))
        GE_OffsetObjects(selection, offset);
    return 1;
}

// Moves one object so that its edge meets the reference's by the command.
void AlignOne(ObjectHandle object, ObjectHandle reference, int32_t command)
{
    FixPoint offset;
    if (GE_AlignOffset({object}, reference, 0, command, &offset, 0, PositionRecord{}))
        GE_OffsetObjects({object}, offset);
}

int GE_SpreadByCentres(const std::vector<ObjectHandle>& objects, size_t start, size_t end, bool horizontal)
{
    std::vector<FixPoint> positions;
    for (ObjectHandle object : objects)
        positions.push_back(PositionOf(object));
    const std::vector<FixPoint> placed = GE_SpreadCentres(positions, start, end, horizontal);
    for (size_t i = 0; i < objects.size(); ++i) {
        if (placed[i] != positions[i])
            MoveTo(objects[i], placed[i]);
    }
    return 1;
}

int EE_AlignSpread(bool horizontal)
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    const ObjectHandle first = PickWithPrompt(kFirstPrompt);
    if (first == 0)
        return -1;
    const ObjectHandle second = PickWithPrompt(kSecondPrompt);
    if (second == 0)
        return -1;
    if (selection.size() < 2)
        return 0;
    const std::vector<ObjectHandle> pair = {first, second};
    const AlignBounds pairBounds = GE_BoundsOf(BoxesOf(pair));
    const AlignBounds bounds = GE_BoundsOf(BoxesOf(selection));
    if (horizontal) {
        AlignOne(selection[bounds.leftmost], pair[pairBounds.leftmost], 903);
        AlignOne(selection[bounds.rightmost], pair[pairBounds.rightmost], 906);
    } else {
        AlignOne(selection[bounds.bottommost], pair[pairBounds.bottommost], 910);
        AlignOne(selection[bounds.topmost], pair[pairBounds.topmost], 907);
    }
    const std::vector<AlignBox> boxes = BoxesOf(selection);
    if (GE_ObjectsFit(boxes, horizontal) &&
        QXUI_SpreadObjects(selection.data(), static_cast<uint32_t>(selection.size()), horizontal ? 0 : 1) != 0)
        return 1;
    // The kernel's spread takes nodes only and at least three; the centres
    // are spread here otherwise.
    const AlignBounds now = GE_BoundsOf(boxes);
    return horizontal ? GE_SpreadByCentres(selection, now.leftmost, now.rightmost, true)
                      : GE_SpreadByCentres(selection, now.topmost, now.bottommost, false);
}

void GE_CircularSpread(ObjectHandle centre, ObjectHandle through, int mode)
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty())
        return;
    bool throughSelected = false;
    for (ObjectHandle object : selection)
        throughSelected = throughSelected || object == through;
    const std::vector<FixPoint> positions =
        GE_CirclePositions(PositionOf(centre), PositionOf(through), selection.size(), throughSelected, mode);
    if (mode != 2) {
        const FixPoint at = PositionOf(selection.front());
        GE_OffsetObjects(selection, {static_cast<Fixed>(int64_t{positions.front().x} - at.x),
                                     static_cast<Fixed>(int64_t{positions.front().y} - at.y)});
        return;
    }
    for (size_t i = 0; i < selection.size() && i < positions.size(); ++i)
        MoveTo(selection[i], positions[i]);
}

int EE_AlignCircular()
{
    const int mode = GE_ReferenceMode();
    const ObjectHandle centre = PickWithPrompt(kFirstPrompt);
    if (centre == 0)
        return -1;
    const ObjectHandle through = PickWithPrompt(kSecondPrompt);
    if (through == 0)
        return -1;
    GE_CircularSpread(centre, through, mode);
    return 1;
}
