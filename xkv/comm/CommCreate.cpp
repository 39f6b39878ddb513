// Creation commands: each begins a shape gesture with the default sizes and
// takes its result (a rectangle, a point list, a connection or a point) to
// make a node, polygon, line, connector or label on the current page, which
// is then selected and announced to the application. The Create menu's
// requests keep creating until cancelled; the others make one object.
#include "xkv/comm/CommInternal.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextKernel.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kNoPrompt = 9999;
constexpr int32_t kCreateCursor = 1;
constexpr int32_t kPointCursor = 5;
constexpr uint32_t kPropPolygon = 16;
constexpr HookId kHookLabelCreated = 79;
constexpr uintptr_t kGroupConnectorArgument = 96;

// The shape gestures' option bits: flipped corners, solid outline and the
// restart argument, with bit 6 taken from the shift flag of the command.
uint32_t ShapeFlags(const EventRec& command)
{
    return 0xB8u | (command.modifiers.shift == 1 ? 0x40u : 0u);
}

// Words of a default property at the level of new objects.
std::vector<uint32_t> PropertyWords(uint32_t property, size_t count)
{
    std::vector<uint32_t> words(count, 0);
    const uint32_t size = Default_PropertySize(property);
    if (size == 0) {
        return words;
    }
    std::vector<uint8_t> record(size);
    if (Default_Get(0, kDefaultLevelNew, property, record.data()) == kStatusOk) {
        std::memcpy(words.data(), record.data(), std::min<size_t>(size, count * sizeof(uint32_t)));
    }
    return words;
}

struct NodeDefaults {
    Fixed width = 0;
    Fixed height = 0;
    Fixed corner = 0;
};

NodeDefaults ReadNodeDefaults()
{
    const std::vector<uint32_t> words = PropertyWords(kPropNode, 11);
    return {static_cast<Fixed>(words[6]), static_cast<Fixed>(words[7]), static_cast<Fixed>(words[10])};
}

int32_t RequestOf(const EventRec& command)
{
    return command.eventClass == kEventCommand ? static_cast<int32_t>(command.payload.value[0]) : 0;
}

// Creation request -> the state that waits for its result.
int32_t CreationState(int32_t request)
{
    switch (request) {
    case 2: return 88;
    case 22: return 89;
    case 14: return 90;
    case 23: return 95;
    case 19: return 93;
    case 21: return 94;
    case 131: return 91;
    case 4: return 96;
    case 5: return 28;
    case 11: return 36;
    case 7: return 30;
    case 12: return 37;
    case 9: return 34;
    case 10: return 35;
    case 133: return 31;
    case 6: return 29;
    default: return 0;
    }
}

// The node shape made in a state.
uint32_t ShapeOfState(int32_t state)
{
    switch (state) {
    case 30: case 90: case 105: return 2;
    case 36: case 89: return 7;
    case 37: case 95: return 8;
    default: return 1;
    }
}

// Starts a gesture and, when it has begun, enters the state.
KernelStatus Enter(KernelStatus gestureStatus, int32_t state, int32_t* nextState)
{
    if (gestureStatus == 0 && state != 0) {
        *nextState = state;
    }
    return gestureStatus;
}

// Takes a creation's result: the new object is selected and announced.
void Created(ObjectHandle object, uintptr_t argument)
{
    if (object != 0) {
        Comm_SelectAndNotify(object, argument);
    }
}

// ---- Labels ----

struct LabelRun {
    ObjectHandle label = 0;  // the label being typed
    bool started = false;    // a label was made in this command
    uint32_t textModeBefore = 0;
};

LabelRun& Labels()
{
    static LabelRun run;
    return run;
}

KernelStatus BeginLabelPoint()
{
    return Trans_BeginPointPick(Comm_GetCurrentWindow(), kNoPrompt, kPointCursor, 1, 0);
}

// The label typed so far is taken: selected and announced when it is still there.
void TakeCurrentLabel()
{
    const ObjectHandle label = Labels().label;
    if (label != 0 && Model_IsObject(label) != 0) {
        Select_Object(label, 1);
        Comm_NotifyObjectCreated(label, static_cast<uintptr_t>(Comm_GetState()));
    }
}

KernelStatus LabelAtPoint(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    EventRec record{};
    FixPoint point{};
    if (!Comm_CopyEvent(event, &record) || !Comm_PickedPoint(record, &point)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    LabelRun& run = Labels();
    if (run.label != 0 && Comm_InTextMode() != 0) {
        TakeCurrentLabel();
        Text_LeaveEditing();
    }
    // Text mode comes on with the first label, before the label is made and
    // selected, so that selecting it keeps its edit going; nothing else's text
    // is edited on the way.
    if (!run.started) {
        run.started = true;
        run.textModeBefore = Comm_InTextMode();
        if (run.textModeBefore == 0) {
            Select_Clear();
            Comm_SetTextMode(1);
        }
    }
    ObjectHandle label = 0;
    const KernelStatus status = Core_AddLabel(Comm_GetCurrentPage(), point, &label, 1);
    if (status != 0) {
        return status;
    }
    Comm_ShowHandles(1);
    Select_Object(label, 1);
    run.label = label;
    const KernelStatus pickStatus = BeginLabelPoint();
    Hook_Fire(kHookLabelCreated, label);
    return pickStatus;
}

// ---- Connectors ----

// One connector per member of the selected group when exactly one end lies
// in it; false when the connection is not of that kind.
bool ConnectGroup(ObjectHandle from, ObjectHandle to, PtArray path, KernelStatus* status)
{
    if (Select_GetMode() != kSelectGroup) {
        return false;
    }
    const GroupNumber selected = Select_GetGroup();
    const bool fromInside = Group_Contains(selected, from) != 0;
    const bool toInside = Group_Contains(selected, to) != 0;
    if (fromInside == toInside) {
        return false;
    }
    GroupNumber members = Group_Duplicate(selected);
    *status = 0;
    for (uint16_t i = 0; i < Group_Count(members); ++i) {
        const ObjectHandle member = Group_Member(members, i);
        ObjectHandle connector = 0;
        const KernelStatus one = Core_AddConnector(Comm_GetCurrentPage(), fromInside ? member : from,
                                                   toInside ? member : to, member == from || member == to ? path : 0,
                                                   &connector, 1);
        if (one == 0) {
            Comm_NotifyObjectCreated(connector, kGroupConnectorArgument);
        } else if (one != kStatusRefusedByHook) {
            *status = one;
            break;
        }
    }
    Group_Free(members);
    Select_Group(selected, 1);
    return true;
}

KernelStatus MakeConnector(MemHandle event, int32_t state)
{
    EventRec record{};
    uint32_t words[3] = {};
    if (!Comm_CopyEvent(event, &record) || !Comm_PickedConnection(record, words)) {
        return 0;
    }
    const ObjectHandle from = words[0];
    const ObjectHandle to = words[1];
    const PtArray path = words[2];
    KernelStatus status = 0;
    if (ConnectGroup(from, to, path, &status)) {
        return status;
    }
    ObjectHandle connector = 0;
    status = Core_AddConnector(Comm_GetCurrentPage(), from, to, path, &connector, 1);
    if (status == kStatusRefusedByHook) {
        return 0;
    }
    if (status == 0) {
        Created(connector, static_cast<uintptr_t>(state));
    }
    return status;
}

KernelStatus MakeNode(MemHandle event, int32_t state)
{
    EventRec record{};
    FixRect rect{};
    if (!Comm_CopyEvent(event, &record) || !Comm_PickedRect(record, &rect)) {
        return 0;
    }
    ObjectHandle node = 0;
    const KernelStatus status = Comm_AddNode(Comm_GetCurrentPage(), rect, ShapeOfState(state), 0, &node);
    if (status == 0) {
        Created(node, static_cast<uintptr_t>(state));
    }
    return status;
}

using PointCreator = KernelStatus (*)(ObjectHandle, PtArray, ObjectHandle*);

KernelStatus MakeFromPoints(MemHandle event, int32_t state, PointCreator create)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record) || Comm_PickedPoints(record) == 0) {
        return 0;
    }
    ObjectHandle object = 0;
    const KernelStatus status = create(Comm_GetCurrentPage(), Comm_PickedPoints(record), &object);
    if (status == 0) {
        Created(object, static_cast<uintptr_t>(state));
    }
    return status;
}

// The result handled, the command either stays in its state or ends.
KernelStatus StayOrEnd(KernelStatus status, bool stay, const CommandBinding* row, MemHandle event,
                       int32_t* nextState, int32_t* freeFlag)
{
    if (status != 0 || stay) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

}  // namespace

KernelStatus Comm_AddNode(ObjectHandle page, FixRect box, uint32_t shape, uint32_t flags, ObjectHandle* out)
{
    return Core_AddNode(page, box, shape, flags, out);
}

// ---- Start handlers ----

KernelStatus Cmd_BeginBox(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const int32_t request = RequestOf(record);
    const NodeDefaults size = ReadNodeDefaults();
    const uint32_t flags = ShapeFlags(record);
    if (request == 22 || request == 11) {
        const Fixed radius = size.corner / 2;
        return Enter(Trans_BeginRoundBox(kNoPrompt, kCreateCursor, size.width, size.height, radius, radius, flags),
                     CreationState(request), nextState);
    }
    int32_t prompt = kNoPrompt;
    int32_t state = CreationState(request);
    if (request == 108 || request == 130) {
        prompt = 40;  // "Draw bounds of coarse box."
        state = request == 108 ? 38 : 39;
    } else if (request == 67) {
        prompt = 93;  // "Draw a load text box."
        state = 98;
    }
    return Enter(Trans_BeginBox(prompt, kCreateCursor, size.width, size.height, 0, flags), state, nextState);
}

KernelStatus Cmd_BeginEllipse(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const NodeDefaults size = ReadNodeDefaults();
    return Enter(Trans_BeginOval(kNoPrompt, kCreateCursor, size.width, size.height, ShapeFlags(record)),
                 CreationState(RequestOf(record)), nextState);
}

KernelStatus Cmd_BeginWedge(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const NodeDefaults size = ReadNodeDefaults();
    return Enter(Trans_BeginBox(kNoPrompt, kCreateCursor, size.width, size.height, 0, ShapeFlags(record)),
                 CreationState(RequestOf(record)), nextState);
}

KernelStatus Cmd_BeginPolygon(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    return Enter(Trans_BeginPolygon(kNoPrompt, kCreateCursor), CreationState(RequestOf(record)), nextState);
}

KernelStatus Cmd_BeginRegularPolygon(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    const std::vector<uint32_t> polygon = PropertyWords(kPropPolygon, 8);
    const NodeDefaults size = ReadNodeDefaults();
    return Enter(Trans_BeginRegularPolygon(kNoPrompt, kCreateCursor, ShapeFlags(record),
                                           static_cast<uint16_t>(polygon[6]), size.width, polygon[7]),
                 CreationState(RequestOf(record)), nextState);
}

KernelStatus Cmd_BeginLine(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    return Enter(Trans_BeginLine(kNoPrompt, kCreateCursor), CreationState(RequestOf(record)), nextState);
}

KernelStatus Cmd_BeginConnector(const CommandBinding*, MemHandle event, int32_t* nextState, int32_t*)
{
    EventRec record{};
    if (!Comm_CopyEvent(event, &record)) {
        return kStatusNullHandle;
    }
    return Enter(Trans_BeginConnector(kNoPrompt, kCreateCursor), CreationState(RequestOf(record)), nextState);
}

// ---- Completion handlers ----

KernelStatus Cmd_NodeDoneStay(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeNode(event, Comm_GetState()), true, row, event, nextState, freeFlag);
}

KernelStatus Cmd_NodeDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeNode(event, Comm_GetState()), false, row, event, nextState, freeFlag);
}

KernelStatus Cmd_PolygonDoneStay(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeFromPoints(event, Comm_GetState(), Core_AddPolygon), true, row, event, nextState,
                     freeFlag);
}

KernelStatus Cmd_PolygonDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeFromPoints(event, Comm_GetState(), Core_AddPolygon), false, row, event, nextState,
                     freeFlag);
}

KernelStatus Cmd_LineDoneKeep(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeFromPoints(event, Comm_GetState(), Core_AddLine), true, row, event, nextState, freeFlag);
}

KernelStatus Cmd_LineDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeFromPoints(event, Comm_GetState(), Core_AddLine), false, row, event, nextState, freeFlag);
}

KernelStatus Cmd_ConnectorDoneKeep(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                   int32_t* freeFlag)
{
    return StayOrEnd(MakeConnector(event, Comm_GetState()), true, row, event, nextState, freeFlag);
}

KernelStatus Cmd_ConnectorDone(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return StayOrEnd(MakeConnector(event, Comm_GetState()), false, row, event, nextState, freeFlag);
}

KernelStatus Cmd_WindowPick(const CommandBinding*, MemHandle event, int32_t*, int32_t*)
{
    EventRec record{};
    if (Comm_CopyEvent(event, &record) && record.payload.kind == kItemWindow) {
        // A window pick names its window by the window's page.
        const ObjectHandle page = record.payload.value[0];
        if (page != 0 && Window_OfPage(page) != nullptr) {
            Comm_SetCurrentPage(page);
        }
    }
    return 0;
}

// ---- Labels ----

KernelStatus Cmd_BeginLabel(const CommandBinding*, MemHandle, int32_t* nextState, int32_t*)
{
    Labels() = LabelRun{};
    Text_ForgetLabel();
    return Enter(BeginLabelPoint(), 55, nextState);
}

KernelStatus Cmd_LabelPointStay(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return LabelAtPoint(row, event, nextState, freeFlag);
}

KernelStatus Cmd_LabelPoint(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    return LabelAtPoint(row, event, nextState, freeFlag);
}

KernelStatus Cmd_LabelBox(const CommandBinding*, MemHandle event, int32_t*, int32_t*)
{
    EventRec record{};
    struct BoxReport {
        uint32_t object;
        uint32_t text;
        FixRect box;
    } report{};
    const ObjectHandle label = Labels().label;
    if (label == 0 || Model_IsObject(label) == 0 || !Comm_CopyEvent(event, &record) ||
        record.payload.kind != kItemBox) {
        return 0;
    }
    {
        BlockLock<BoxReport> block(record.payload.value[0]);
        if (!block || block.size() < sizeof(BoxReport)) {
            return 0;
        }
        report = *block;
    }
    if (report.text != 0) {
        Model_SetFieldValue(label, Field::kText, report.text);
    }
    return Core_SetNodeBox(label, report.box, 1);
}

KernelStatus Cmd_LabelDelete(const CommandBinding*, MemHandle event, int32_t*, int32_t*)
{
    EventRec record{};
    if (Comm_CopyEvent(event, &record)) {
        const ObjectHandle label = record.payload.kind == kItemObject ? record.payload.value[0] : Labels().label;
        if (label == Labels().label) {
            Labels().label = 0;
        }
        if (label != 0 && Model_IsObject(label) != 0) {
            Core_DeleteObject(label, 0);
        }
    }
    Comm_SelectRecentObject(Comm_GetCurrentPage());
    return BeginLabelPoint();
}

KernelStatus Cmd_LabelCancel(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    LabelRun& run = Labels();
    if (run.label != 0) {
        Text_LeaveEditing();
        TakeCurrentLabel();
        const ObjectHandle selected = Select_GetObject();
        if (selected != 0 && Model_IsObject(selected) != 0) {
            Comm_SetCurrentPage(Model_GetPage(selected));
        } else {
            Comm_SelectRecentObject(Comm_GetCurrentPage());
        }
    }
    Text_ForgetLabel();
    if (run.started && run.textModeBefore == 0) {
        Comm_SetTextMode(0);
    }
    run = LabelRun{};
    const KernelStatus status = Comm_EndCommand(row, event, nextState, freeFlag);
    if (Comm_InTextMode() != 0) {
        Comm_ShowHandles(0);
    }
    return status;
}
