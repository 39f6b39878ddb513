// One-level undo of alignment and spread, the bell and the date service.
#include "xkv/undo/Undo.h"

#include <X11/Xlib.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "xkv/core/Core.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/types/Fixed.h"

namespace {

struct UndoState {
    uint32_t kind = kUndoNothing;
    GroupNumber group = 0;
    MemHandle snapshot = 0;
};

UndoState& State()
{
    static UndoState state;
    return state;
}

Display* bellDisplay = nullptr;

MessageId LabelOf(uint32_t kind)
{
    switch (kind) {
    case kUndoNothing:
        return 9999;
    case kUndoAlignment:
        return 78;
    case kRedoAlignment:
        return 79;
    case kUndoSpread:
        return 80;
    case kRedoSpread:
        return 81;
    default:
        return 77;
    }
}

uint32_t PartnerOf(uint32_t kind)
{
    switch (kind) {
    case kUndoAlignment:
        return kRedoAlignment;
    case kRedoAlignment:
        return kUndoAlignment;
    case kUndoSpread:
        return kRedoSpread;
    case kRedoSpread:
        return kUndoSpread;
    default:
        return kUndoNothing;
    }
}

void FreeSnapshot(MemHandle& snapshot)
{
    if (snapshot != 0) {
        Mem_Free(snapshot);
        snapshot = 0;
    }
}

uint32_t EntryCount(const BlockLock<UndoEntry>& entries)
{
    return entries.size() / sizeof(UndoEntry);
}

}  // namespace

KernelStatus Undo_GetLabel(uint32_t kind, char* buffer, uint32_t size)
{
    return String_GetText(LabelOf(kind), buffer, size);
}

KernelStatus Undo_SetKind(uint32_t kind)
{
    UndoState& state = State();
    if (kind == state.kind) {
        return kStatusOk;
    }
    KernelStatus status = kStatusOk;
    if (kind != kUndoNothing) {
        std::string label;
        status = String_GetFullText(LabelOf(kind), &label);
        Menu_ApplyRule(kMenuRuleUndoLabel, reinterpret_cast<uintptr_t>(label.c_str()));
    } else {
        Menu_ApplyRule(kMenuRuleUndoDisabled, 0);
    }
    state.kind = kind;
    return status;
}

uint32_t Undo_GetKind()
{
    return State().kind;
}

MemHandle Undo_TakeSnapshot(GroupNumber group)
{
    uint16_t count = Group_Count(group);
    MemHandle snapshot = 0;
    UndoEntry* entries = nullptr;
    if (count == 0 ||
        Mem_AllocLocked(&snapshot, reinterpret_cast<void**>(&entries), size_t{count} * sizeof(UndoEntry)) !=
            kStatusOk) {
        return 0;
    }
    for (uint16_t i = 0; i < count; ++i) {
        ObjectHandle object = Group_Member(group, i);
        FixPoint position{};
        bool live = Model_IsObject(object) && Model_GetField(object, Field::kPosition, &position) == kStatusOk;
        entries[i] = UndoEntry{object, live ? Model_GetSerial(object) : 0, position};
    }
    Mem_Unlock(snapshot);
    return snapshot;
}

KernelStatus Undo_MoveBack(MemHandle oldSnapshot, MemHandle newSnapshot, uint16_t n)
{
    BlockLock<UndoEntry> recorded(oldSnapshot);
    BlockLock<UndoEntry> current(newSnapshot);
    if (!recorded || !current) {
        return kStatusNullHandle;
    }
    uint32_t count = std::min({uint32_t{n}, EntryCount(recorded), EntryCount(current)});
    for (uint32_t i = 0; i < count; ++i) {
        const UndoEntry& then = recorded.get()[i];
        const UndoEntry& now = current.get()[i];
        // Only the very object that was recorded moves: a member deleted
        // since, or its slot reused by another object, is left alone.
        if (then.serial == 0 || now.object != then.object || now.serial != then.serial) {
            continue;
        }
        Fixed dx = Fix_Sub(then.position.x, now.position.x);
        Fixed dy = Fix_Sub(then.position.y, now.position.y);
        KernelStatus status = Core_MoveObject(then.object, dx, dy, 1, 1);
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

KernelStatus Undo_Clear()
{
    UndoState& state = State();
    Group_Clear(state.group);
    FreeSnapshot(state.snapshot);
    if (state.kind != kUndoNothing) {
        Undo_SetKind(kUndoNothing);
    }
    return kStatusOk;
}

KernelStatus Undo_Record(uint32_t kind, GroupNumber group)
{
    UndoState& state = State();
    Undo_Clear();
    if (state.group == 0) {
        state.group = Group_New();
    }
    if (state.group == 0 || Group_Assign(state.group, group) != kStatusOk) {
        return kStatusOk;
    }
    if (Group_Count(state.group) == 0) {
        return kStatusOk;
    }
    state.snapshot = Undo_TakeSnapshot(state.group);
    if (state.snapshot != 0) {
        Undo_SetKind(kind);
    }
    return kStatusOk;
}

KernelStatus Undo_Perform()
{
    UndoState& state = State();
    if (state.kind == kUndoNothing || state.kind > kRedoSpread || state.snapshot == 0) {
        return kStatusFailed;
    }
    MemHandle now = Undo_TakeSnapshot(state.group);
    if (now == 0) {
        return kStatusOutOfMemory;
    }
    KernelStatus status = Undo_MoveBack(state.snapshot, now, Group_Count(state.group));
    if (status != kStatusOk) {
        Mem_Free(now);
        return status;
    }
    FreeSnapshot(state.snapshot);
    state.snapshot = now;
    return Undo_SetKind(PartnerOf(state.kind));
}

void Undo_Shutdown()
{
    UndoState& state = State();
    FreeSnapshot(state.snapshot);
    Group_Free(state.group);
    state = UndoState{};
}

void Bell_SetDisplay(_XDisplay* display)
{
    bellDisplay = display;
}

void Bell_Ring()
{
    if (bellDisplay != nullptr) {
        XBell(bellDisplay, 0);
        XFlush(bellDisplay);
    }
}

void Misc_FormatDateTime(const std::tm& when, char* date, char* time)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = when.tm_mon >= 0 && when.tm_mon < 12 ? kMonths[when.tm_mon] : "???";
    if (date != nullptr) {
        // Four digits of the year, as the date field holds them.
        std::snprintf(date, kDateSize, "%s-%02u-%04u", month, static_cast<unsigned>(when.tm_mday) % 100u,
                      static_cast<unsigned>(when.tm_year + 1900) % 10000u);
    }
    if (time != nullptr) {
        std::snprintf(time, kTimeSize, "%02u:%02u:%02u", static_cast<unsigned>(when.tm_hour) % 100u,
                      static_cast<unsigned>(when.tm_min) % 100u, static_cast<unsigned>(when.tm_sec) % 100u);
    }
}

void Misc_GetDateTime(char* date, char* time)
{
    timeval now{};
    gettimeofday(&now, nullptr);
    time_t seconds = now.tv_sec;
    std::tm local{};
    localtime_r(&seconds, &local);
    Misc_FormatDateTime(local, date, time);
}
