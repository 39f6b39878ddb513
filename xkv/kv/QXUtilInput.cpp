// QX utilities beside units and windows: defaults in the interface's codes,
// user-added properties, locating under a point, starting kernel commands,
// the point accumulator, queued key events, the display and start-up paths.
#include "xkv/kv/QXUtil.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/kv/HookAdapters.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/TextEdit.h"
#include "xkv/velkor/Velkor.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kProperty9 = 9;
constexpr int32_t kConvertToKernel = 1;
constexpr int32_t kConvertToInterface = 2;
constexpr Fixed kScaleOne = 0x10000;

// The record of a default group, copied so that its shape code can be turned
// into the kernel's numbering without touching the caller's record.
std::vector<uint8_t> RecordCopy(uint32_t group, const void* record)
{
    const uint32_t size = Default_PropertySize(group);
    std::vector<uint8_t> copy(size);
    if (size > 0) {
        std::memcpy(copy.data(), record, size);
    }
    return copy;
}

// Default owner and level: the object's own attributes, else those that new
// objects take.
uint32_t DefaultLevel(ObjectHandle object)
{
    return object != 0 ? kDefaultLevelObject : kDefaultLevelNew;
}

PtArray& OpenArray()
{
    static PtArray array = 0;
    return array;
}

}  // namespace

// ---- Defaults ----

uint32_t QXUtil_SetDefault(ObjectHandle object, uint32_t group, uint32_t attribute, const void* record)
{
    if (record == nullptr || Default_PropertySize(group) == 0) {
        return qx::Fail(kStatusBadArgument);
    }
    if (object != 0 && !Model_IsElement(object) && !Model_IsPage(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    std::vector<uint8_t> copy = RecordCopy(group, record);
    KV_ConvertRecordShape(group, attribute, copy.data(), kConvertToKernel);
    if (KernelStatus s = Default_Set(object, DefaultLevel(object), group, copy.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXUtil_GetDefault(ObjectHandle object, uint32_t group, uint32_t attribute, void* record)
{
    if (record == nullptr || Default_PropertySize(group) == 0) {
        return qx::Fail(kStatusBadArgument);
    }
    if (object != 0 && !Model_IsElement(object) && !Model_IsPage(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (KernelStatus s = Default_Get(object, DefaultLevel(object), group, record); s != kStatusOk) {
        return qx::Fail(s);
    }
    KV_ConvertRecordShape(group, attribute, record, kConvertToInterface);
    return 1;
}

uint32_t QXUtil_GetProperty9(int32_t* zero, int32_t* a, int32_t* b)
{
    std::vector<uint8_t> record(Default_PropertySize(kProperty9));
    if (record.size() < kChangedBytes + 2 * sizeof(int32_t)) {
        return qx::Fail(kStatusNotFound);
    }
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kProperty9, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    int32_t words[2] = {};
    std::memcpy(words, record.data() + kChangedBytes, sizeof words);
    if (zero != nullptr) *zero = 0;
    if (a != nullptr) *a = words[0];
    if (b != nullptr) *b = words[1];
    return 1;
}

uint32_t QXUtil_SetProperty9(int32_t, int32_t a, int32_t b)
{
    std::vector<uint8_t> record(Default_PropertySize(kProperty9));
    if (record.size() < kChangedBytes + 2 * sizeof(int32_t)) {
        return qx::Fail(kStatusNotFound);
    }
    if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kProperty9, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    const int32_t words[2] = {a, b};
    std::memcpy(record.data() + kChangedBytes, words, sizeof words);
    Default_SetMask(record.data(), 0);
    record[0] = 1;  // both words marked changed
    record[1] = 1;
    if (KernelStatus s = Default_Set(0, kDefaultLevelNew, kProperty9, record.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXUtil_InstallUserProperties(const PropertyDef* table, uint32_t count)
{
    if (table == nullptr && count > 0) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Default_SetUserProperties(table, count));
}

uint32_t QXUtil_IsUserProperty(uint32_t property)
{
    int32_t fromUser = 0;
    return Default_PropertyInfo(property, 6, &fromUser) == kStatusOk && fromUser != 0 ? 1 : 0;
}

uint32_t QXUtil_GetDefaultEntry(uint32_t index, uint32_t* level, uint32_t* property, MemHandle* value)
{
    uint32_t l = 0;
    uint32_t p = 0;
    if (KernelStatus s = Default_GetEntry(index, &l, &p, value); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (level != nullptr) *level = l;
    if (property != nullptr) *property = p;
    return 1;
}

uint32_t QXUtil_RemoveUserDefaults(uint32_t level)
{
    return qx::Store(Default_RemoveLevel(level, 1));
}

// ---- Objects under a point ----

ObjectHandle QXUtil_LocateAt(int32_t x, int32_t y, uint32_t kinds)
{
    const ObjectHandle page = Comm_GetCurrentPage();
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotAPage);
    }
    uint32_t mask = 0;
    if ((kinds & kQXKindNode) != 0) mask |= 0x001F;
    if ((kinds & kQXKindRegion) != 0) mask |= 0x0020;
    if ((kinds & kQXKindConnector) != 0) mask |= 0x0300;
    if (mask == 0) mask = 0x0FFF & ~0x0C00u;
    const FixPoint point{QXUtil_IntToFixed(x), QXUtil_IntToFixed(y)};
    qx::ScopedGroup hits(Model_HitGroup(page, point, 0, 0, mask, 0));
    if (hits.get() == 0 || Group_Count(hits.get()) == 0) {
        return 0;
    }
    ObjectHandle chosen = 0;
    return Model_PickNearest(hits.get(), point, &chosen) == kStatusOk ? chosen : 0;
}

uint32_t QXUtil_GetConnEndPoint(ObjectHandle connector, ObjectHandle end, uint32_t, FixPoint* out)
{
    if (out == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    ObjectHandle start = 0;
    ObjectHandle finish = 0;
    if (KernelStatus s = Model_GetConnectorEnds(connector, &start, &finish, 1); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (end != start && end != finish) {
        return qx::Fail(kStatusNotFound);
    }
    FixPoint a{};
    FixPoint b{};
    if (KernelStatus s = Model_GetConnectorEndPoints(connector, &a, &b); s != kStatusOk) {
        return qx::Fail(s);
    }
    *out = end == start ? a : b;
    return 1;
}

// ---- Kernel commands ----

int32_t QXUtil_InteractionRequest(int32_t kind)
{
    switch (kind) {
    case 1: return 5;
    case 2: return 7;
    case 3: return 9;
    case 4: return 11;
    case 5: return 12;
    case 7: return 133;
    case 20: case 21: case 22: return 6;
    default: return 0;
    }
}

ObjectHandle QXUtil_StartInteraction(ObjectHandle page, int32_t kind)
{
    const int32_t request = QXUtil_InteractionRequest(kind);
    if (request == 0) {
        return 0;
    }
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    const ObjectHandle before = Select_GetObject();
    const ObjectHandle previous = Comm_GetCurrentPage();
    if (previous != page) {
        Comm_SetCurrentPage(page);
    }
    const KernelStatus status = Comm_RunCommand(request);
    if (previous != page && Model_IsPage(previous)) {
        Comm_SetCurrentPage(previous);
    }
    if (status != kStatusOk) {
        return qx::Fail(status);
    }
    const ObjectHandle after = Select_GetObject();
    return after != before ? after : 0;
}

void QXUtil_AbortCommand()
{
    Comm_Abort();
}

uint32_t QXUtil_GetInboxDetail(int32_t* detail)
{
    if (detail == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    Comm_GetInbox(nullptr, nullptr, detail);
    return 1;
}

uint32_t QXUtil_ResetPageScale(ObjectHandle page)
{
    if (page == 0) {
        return 1;
    }
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    Fixed scale = kScaleOne;
    if (KernelStatus s = Model_GetField(page, Field::kScaleX, &scale); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (scale == kScaleOne) {
        return 0;
    }
    const bool editing = page == Comm_GetCurrentPage() && Comm_InTextMode() != 0;
    if (editing) {
        Comm_SetTextMode(0);
    }
    const KernelStatus status = Core_SetPageScale(page, kScaleOne);
    if (editing) {
        Comm_SetTextMode(1);
    }
    if (status != kStatusOk) {
        return qx::Fail(status);
    }
    Window_RedrawPage(page, 0);
    return 1;
}

// ---- Point accumulator ----

uint32_t QXUtil_OpenPoints(uint16_t capacity)
{
    QXUtil_ClosePoints();
    return PtArray_Create(&OpenArray(), capacity) == kStatusOk ? 1 : 0;
}

PtArray QXUtil_OpenPointArray()
{
    return OpenArray();
}

void QXUtil_ClosePoints()
{
    if (OpenArray() != 0) {
        PtArray_Free(OpenArray());
        OpenArray() = 0;
    }
}

uint32_t QXUtil_AppendPoint(FixPoint point)
{
    if (OpenArray() == 0) {
        return 0;
    }
    return PtArray_Append(OpenArray(), point) == kStatusOk ? 1 : 0;
}

// Appends count points on the circle through the three points, from the first
// to the third by way of the second; on a straight line when they are collinear.
uint32_t QXUtil_AppendArc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t count)
{
    if (OpenArray() == 0) {
        return 0;
    }
    if (count < 1) {
        return qx::Fail(34);
    }
    const double ax = x1, ay = y1, bx = x2, by = y2, cx = x3, cy = y3;
    const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    auto append = [](double x, double y) {
        const FixPoint p{static_cast<Fixed>(std::lround(x * 32768.0)), static_cast<Fixed>(std::lround(y * 32768.0))};
        return PtArray_Append(OpenArray(), p) == kStatusOk;
    };
    const double steps = count > 1 ? count - 1 : 1;
    if (std::fabs(d) < 1e-9) {
        for (int32_t i = 0; i < count; ++i) {
            const double t = count > 1 ? i / steps : 1.0;
            if (!append(ax + (cx - ax) * t, ay + (cy - ay) * t)) return 0;
        }
        return 1;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    const double r = std::hypot(ax - ux, ay - uy);
    const double start = std::atan2(ay - uy, ax - ux);
    const double through = std::atan2(by - uy, bx - ux);
    const double end = std::atan2(cy - uy, cx - ux);
    constexpr double kTurn = 2 * std::numbers::pi;
    auto ccw = [&](double from, double to) { return std::fmod(to - from + 2 * kTurn, kTurn); };
    double sweep = ccw(start, end);
    if (ccw(start, through) > sweep) {
        sweep -= kTurn;  // the second point lies the other way round
    }
    for (int32_t i = 0; i < count; ++i) {
        const double angle = start + sweep * (count > 1 ? i / steps : 1.0);
        if (!append(ux + r * std::cos(angle), uy + r * std::sin(angle))) return 0;
    }
    return 1;
}

// ---- Display and input ----

void QXUtil_Synchronize()
{
    Window_FlushDamage();
    Display* display = Velkor_Settings().display;
    if (display == nullptr) {
        return;
    }
    XSync(display, False);
    XEvent event;
    while (XCheckMaskEvent(display, ExposureMask | StructureNotifyMask, &event)) {
        Velkor_DispatchEvent(&event);
    }
}

void QXUtil_SetSynchronous(uint32_t on)
{
    if (Display* display = Velkor_Settings().display) {
        XSynchronize(display, on != 0 ? True : False);
    }
}

uint32_t QXUtil_GetDisplayInfo(QXDisplayInfo* out)
{
    const VelkorSettings& s = Velkor_Settings();
    if (out == nullptr || s.display == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    out->display = s.display;
    out->screen = s.screen;
    out->visual = DefaultVisual(s.display, s.screen);
    out->root = RootWindow(s.display, s.screen);
    return 1;
}

namespace {

struct KeySearch {
    uint32_t mask;
    char key;
    bool found = false;
    unsigned long serial = 0;
    Window window = 0;
    Time time = 0;
    uint32_t state = 0;
};

bool KeyMatches(const KeySearch& search, XKeyEvent* event)
{
    const uint32_t state = event->state;
    const bool modifiersMatch = search.mask == 0 || state == search.mask || (state & search.mask) == search.mask ||
                                (search.mask > 0xFFFF && state != 0);
    if (!modifiersMatch) {
        return false;
    }
    // The modifiers were matched above; the key is read as the character it
    // types with Shift and Lock alone, so that Control does not turn it into a
    // control character.
    XKeyEvent plain = *event;
    plain.state &= ShiftMask | LockMask;
    char text[8] = {};
    const int length = XLookupString(&plain, text, sizeof text, nullptr, nullptr);
    return length == 1 && text[0] == search.key;
}

// Looks at every queued event and remembers the first matching key press;
// it never takes an event out of the queue.
Bool NoteKey(Display*, XEvent* event, XPointer argument)
{
    auto* search = reinterpret_cast<KeySearch*>(argument);
    if (!search->found && event->type == KeyPress && KeyMatches(*search, &event->xkey)) {
        search->found = true;
        search->serial = event->xkey.serial;
        search->window = event->xkey.window;
        search->time = event->xkey.time;
        search->state = event->xkey.state;
    }
    return False;
}

// Takes out exactly the key press that NoteKey found.
Bool IsNotedKey(Display*, XEvent* event, XPointer argument)
{
    const auto* search = reinterpret_cast<const KeySearch*>(argument);
    return event->type == KeyPress && event->xkey.serial == search->serial && event->xkey.window == search->window &&
                   event->xkey.time == search->time
               ? True
               : False;
}

}  // namespace

uint32_t QXUtil_FindKeyEvent(uint32_t mask, char key, uint32_t* modifiers, uint32_t remove)
{
    Display* display = Velkor_Settings().display;
    if (display == nullptr) {
        return 0;
    }
    KeySearch search{mask, key};
    XEvent scratch;
    XCheckIfEvent(display, &scratch, NoteKey, reinterpret_cast<XPointer>(&search));
    if (!search.found) {
        return 0;
    }
    if (modifiers != nullptr) {
        *modifiers = search.state;
    }
    if (remove != 0) {
        XCheckIfEvent(display, &scratch, IsNotedKey, reinterpret_cast<XPointer>(&search));
    }
    return 1;
}

uint32_t QXUtil_GetStartPaths(char** name, char** directory)
{
    if (name == nullptr || directory == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const VelkorSettings& s = Velkor_Settings();
    auto copy = [](const char* text) {
        const size_t length = std::strlen(text);
        auto* block = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(length + 1)));
        if (block != nullptr) {
            std::memcpy(block, text, length);
        }
        return block;
    };
    char* n = copy(s.programName);
    char* d = n != nullptr ? copy(s.programDirectory) : nullptr;
    if (d == nullptr) {
        if (n != nullptr) {
            QXMem_Free(n);
        }
        return 0;
    }
    *name = n;
    *directory = d;
    return 1;
}
