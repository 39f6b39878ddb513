// QX user interface functions that drive the kernel: commands issued as if
// chosen from a menu, cursors, default group 28, scrolling to objects and
// pages, nested interaction with object and page picks, and the group
// operations that keep an undo record (align, spread, duplicate, copy shape).
#include "xkv/kv/QXUI.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/default/Default.h"
#include "xkv/group/Group.h"
#include "xkv/item/Event.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/select/Select.h"
#include "xkv/trans/Trans.h"
#include "xkv/undo/Undo.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kCommandIdle = 20;
constexpr uint32_t kProperty28 = 28;
constexpr KernelStatus kStatusCommandFailed = 35;
constexpr KernelStatus kStatusNotShowable = 36;
constexpr KernelStatus kStatusWrongType = 37;
constexpr KernelStatus kStatusNotPage = 38;

struct NestedLevel {
    uint32_t done = 0;
    uint32_t result = 0;
    uint16_t skip = 0;
};

struct NestedState {
    int32_t current = -1;
    std::array<NestedLevel, kQXNestedLevels> levels{};
};

NestedState& Nested()
{
    static NestedState state;
    return state;
}

// The request number of a command: the fixed mappings, else its menu item's.
KernelStatus RequestOf(CommandId command, int32_t* request)
{
    switch (command) {
    case 307: *request = Comm_InTextMode() != 0 ? 87 : 82; return kStatusOk;
    case 701: *request = Select_GetMode() == kSelectGroup ? 105 : 104; return kStatusOk;
    case 801: *request = Comm_InTextMode() != 0 ? 115 : 114; return kStatusOk;
    default: break;
    }
    MenuItem* item = nullptr;
    Menu* menu = nullptr;
    if (KernelStatus s = Menu_FindItem(command, &item, &menu); s != kStatusOk) {
        return s;
    }
    *request = item->requestNumber;
    return kStatusOk;
}

// The value of word `index` of group 28 stored with its changed mark.
uint32_t SetDefault28(uint32_t index, uint32_t value)
{
    std::vector<uint8_t> record(Default_PropertySize(kProperty28));
    const size_t offset = kChangedBytes + index * sizeof(uint32_t);
    if (record.size() < offset + sizeof value) {
        return qx::Fail(kStatusNotFound);
    }
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kProperty28, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    Default_SetMask(record.data(), 0);
    record[index] = 1;
    std::memcpy(record.data() + offset, &value, sizeof value);
    if (KernelStatus s = Default_Set(0, kDefaultLevelNew, kProperty28, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t PickMask(int32_t kinds)
{
    if (kinds <= 0) {
        return 0x0FFF;
    }
    const auto bits = static_cast<uint32_t>(kinds);
    uint32_t mask = 0;
    if ((bits & kQXKindPage) != 0) mask |= 0x0C00;
    if ((bits & kQXKindNode) != 0) mask |= 0x001F;
    if ((bits & kQXKindRegion) != 0) mask |= 0x0020;
    if ((bits & kQXKindConnector) != 0) mask |= 0x0300;
    return mask;
}

// Alignment commands 901 to 914 as the kernel's alignment codes; -1 for others.
int32_t AlignmentCode(int32_t command)
{
    static constexpr std::array<int32_t, 14> kCodes = {4, 13, 5, 6, 9, 10, 12, 11, 2, 1, 3, 0, 7, 8};
    if (command < 901 || command > 914) {
        return -1;
    }
    return kCodes[static_cast<size_t>(command - 901)];
}

}  // namespace

// ---- Commands and cursors ----

uint32_t QXUI_DoCommand(CommandId command)
{
    int32_t request = 0;
    if (KernelStatus s = RequestOf(command, &request); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (request == 0) {
        return 1;  // an item without a request of its own (command 310)
    }
    KernelStatus status = kStatusOk;
    if (Comm_IsPointerCommand(request) != 0) {
        int32_t modifiers[4] = {};
        Velkor_GetModifierState(modifiers);
        MemHandle event = Event_NewCommand(static_cast<uint32_t>(modifiers[0]), static_cast<uint32_t>(modifiers[1]),
                                           static_cast<uint32_t>(modifiers[2]), static_cast<uint32_t>(modifiers[3]),
                                           static_cast<uint32_t>(request));
        status = event != 0 ? Comm_PostEvent(event) : kStatusOutOfMemory;
    } else {
        status = Comm_RunCommand(request);
    }
    return status == kStatusOk ? 1 : qx::Fail(status);
}

uint32_t QXUI_DoCommandAlias(CommandId command)
{
    return QXUI_DoCommand(command);
}

uint32_t QXUI_DoCommandWithCursor(CommandId command, int32_t cursor)
{
    Trans_SetPendingCursor(cursor);
    if (QXUI_DoCommand(command) == 0) {
        return qx::Fail(kStatusCommandFailed);
    }
    return 1;
}

uint32_t QXUI_SetTransCursor(int32_t cursor)
{
    return Trans_SetCursor(cursor) == kStatusOk ? 1 : 0;
}

int32_t QXUI_SetCursor(int32_t cursor)
{
    const int32_t previous = Cursor_GetCurrent();
    if (cursor >= 0) {
        Cursor_Set(static_cast<uint32_t>(cursor));
    }
    return previous;
}

uint32_t QXUI_SetDefault28(uint32_t value)
{
    return SetDefault28(0, value);
}

uint32_t QXUI_SetDefault28b(uint32_t value)
{
    return SetDefault28(1, value);
}

uint32_t QXUI_SetDefault28c(uint32_t value)
{
    return SetDefault28(2, value);
}

// ---- Showing objects and pages ----

uint32_t QXUI_ShowObject(ObjectHandle object)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    Widget window = Comm_GetCurrentWindow();
    if (window == nullptr) {
        return qx::Fail(72);
    }
    return Window_ScrollToShow(window, object) == kStatusOk ? 1 : 0;
}

uint32_t QXUI_ShowObjects(uint32_t count, const ObjectHandle* objects)
{
    if (count == 0 || objects == nullptr) {
        return qx::Fail(kStatusTooFewToSpread);
    }
    if (count > kQXMaxObjects) {
        return qx::Fail(kStatusPastTableEnd);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!Model_IsNode(objects[i]) && !Model_IsRegion(objects[i])) {
            return qx::Fail(kStatusNotShowable);
        }
    }
    if (count == 1) {
        return QXUI_ShowObject(objects[0]);
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    Select_Group(group.get(), 0);
    Comm_ScrollToObject(objects[0]);
    return 1;
}

uint32_t QXUI_ShowPoint(ObjectHandle object, uint32_t atPosition)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    Widget window = Comm_GetCurrentWindow();
    if (window == nullptr) {
        return qx::Fail(72);
    }
    if (atPosition == 0) {
        return qx::Store(Window_ScrollToShow(window, object));
    }
    FixPoint position{};
    if (KernelStatus s = Model_GetField(object, Field::kPosition, &position); s != kStatusOk) {
        return qx::Fail(s);
    }
    return qx::Store(Window_ScrollToPoint(window, position));
}

uint32_t QXUI_ShowPage(ObjectHandle page, uint32_t raise)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotPage);
    }
    Comm_SetCurrentPage(page);
    if (Comm_GetCurrentPage() != page) {
        return qx::Fail(kStatusRefusedByHook);
    }
    // Last in the page order even when it was current already.
    Model_MoveToLast(page);
    if (raise != 0) {
        if (Widget window = Window_OfPage(page)) {
            Window_Raise(window);
        }
    }
    return 1;
}

Widget QXUI_GetObjectWindow(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return nullptr;
    }
    const ObjectHandle page = Model_IsPage(object) ? object : Model_GetPage(object);
    return page != 0 ? Window_OfPage(page) : nullptr;
}

// ---- Nested interaction and picks ----

int32_t QXUI_NestedLevel()
{
    return Nested().current;
}

uintptr_t QXUI_NestedEventHook(uintptr_t eventHandle, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    NestedState& state = Nested();
    if (state.current < 0) {
        return 1;
    }
    NestedLevel& level = state.levels[static_cast<size_t>(state.current)];
    if (level.skip != 0) {
        --level.skip;
        return 1;
    }
    const auto event = static_cast<MemHandle>(eventHandle);
    const uint32_t eventClass = Event_Class(event);
    bool consumed = false;
    if (eventClass == kEventCancel) {
        consumed = true;
    } else if (eventClass == kEventPick && Event_ItemKind(event) == kItemObject) {
        level.result = Event_ItemValue(event);
        consumed = true;
    } else if (eventClass == kEventPick && Event_ItemKind(event) == kItemWindow) {
        consumed = true;
    }
    if (!consumed) {
        return 1;
    }
    level.done = 1;
    Event_Free(event);  // a consumed event is the handler's to free
    return 0;
}

uint32_t QXUI_RunNested()
{
    NestedState& state = Nested();
    if (state.current >= kQXNestedLevels - 1) {
        return 0;
    }
    ++state.current;
    bool registered = true;
    if (state.current == 0) {
        registered = Hook_Register(kHookNestedInteraction, QXUI_NestedEventHook) == kStatusOk;
    }
    NestedLevel& level = state.levels[static_cast<size_t>(state.current)];
    level = NestedLevel{};
    Window_FlushDamage();
    if (registered) {
        while (level.done == 0) {
            Comm_ProcessEvents();
            if (level.done != 0) {
                break;
            }
            Velkor_DispatchNextEvent(Comm_GetState() != kCommandIdle ? 1 : 0);
        }
        if (state.current == 0) {
            Hook_Unregister(kHookNestedInteraction);
        }
    }
    const uint32_t result = level.result;
    --state.current;
    return result;
}

ObjectHandle QXUI_PickObject(int32_t kinds, uint32_t flag)
{
    if (Comm_GetState() != kCommandIdle) {
        return 0;
    }
    Widget window = Comm_GetCurrentWindow();
    const uint32_t options = flag != 0 ? 0 : 0x100002;
    if (window == nullptr || Trans_BeginTrack(window, 0, PickMask(kinds), 0, options) != kStatusOk) {
        return 0;
    }
    const ObjectHandle picked = QXUI_RunNested();
    Window_EndDrag(window);
    return picked;
}

ObjectHandle QXUI_PickPage()
{
    const ObjectHandle previous = Comm_GetCurrentPage();
    if (Trans_BeginPageSelect(9999, previous) != kStatusOk) {
        return 0;
    }
    const ObjectHandle picked = QXUI_RunNested();
    Trans_BeginWait();
    if (Model_IsPage(previous) && Comm_GetCurrentPage() != previous) {
        Comm_SetCurrentPage(previous);
    }
    return picked;
}

// ---- Group operations ----

uint32_t QXUI_AlignObjects(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle b)
{
    const int32_t code = AlignmentCode(command);
    if (code < 0) {
        return qx::Fail(kStatusBadArgument);
    }
    if (!Model_IsObject(object) || Model_MatchesTypeMask(object, 0x0F00) || !Model_IsObject(a) ||
        Model_IsConnector(a) || (b != 0 && (!Model_IsObject(b) || Model_IsConnector(b)))) {
        return qx::Fail(kStatusWrongType);
    }
    qx::ScopedGroup members(qx::MakeGroup(&object, 1));
    const ObjectHandle refs[2] = {a, b};
    qx::ScopedGroup reference(qx::MakeGroup(refs, b != 0 ? 2 : 1));
    if (members.get() == 0 || reference.get() == 0) {
        return 0;
    }
    Undo_Record(kUndoAlignment, members.get());
    return qx::Store(Core_AlignObjects(members.get(), reference.get(), static_cast<uint32_t>(code), 0));
}

uint32_t QXUI_Align(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle b)
{
    return QXUI_AlignObjects(object, command, a, b);
}

uint32_t QXUI_SpreadObjects(const ObjectHandle* objects, uint32_t count, uint32_t direction)
{
    if (objects == nullptr || count < 3 || count > 199) {
        return qx::Fail(kStatusTooFewToSpread);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!Model_IsNode(objects[i])) {
            return qx::Fail(kStatusWrongType);
        }
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    Undo_Record(kUndoSpread, group.get());
    if (KernelStatus s = Core_SpreadObjects(group.get(), direction); s != kStatusOk) {
        return qx::Fail(s);
    }
    Widget window = Comm_GetCurrentWindow();
    if (window != nullptr && Window_Page(window) == Model_GetPage(objects[0])) {
        Window_RefreshIndication(window);
    }
    return 1;
}

uint32_t QXUI_DuplicateObjects(ObjectHandle page, uint32_t count, const ObjectHandle* objects)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    qx::ScopedGroup group(qx::MakeGroup(objects, count));
    if (group.get() == 0) {
        return 0;
    }
    qx::ScopedGroup copies;
    if (KernelStatus s = Core_DuplicateObjects(group.get(), copies.out(), 1); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXUI_CopyShape(const ObjectHandle* objects, uint32_t count, ObjectHandle model, uint32_t takeSize)
{
    if (!Model_IsNode(model) && !Model_IsRegion(model)) {
        return qx::Fail(kStatusWrongType);
    }
    std::vector<ObjectHandle> kept;
    for (uint32_t i = 0; objects != nullptr && i < count; ++i) {
        if (!Model_IsLabel(objects[i])) {
            kept.push_back(objects[i]);
        }
    }
    if (kept.empty()) {
        return 1;
    }
    qx::ScopedGroup group(qx::MakeGroup(kept.data(), static_cast<uint32_t>(kept.size())));
    if (group.get() == 0) {
        return 0;
    }
    return qx::Store(Core_CopyShapeToGroup(group.get(), model, takeSize));
}
