// One-level undo of the group moves of alignment and spread, the bell, and
// the current date and time as short strings.
#pragma once

#include <cstdint>
#include <ctime>

#include "xkv/types/Types.h"

using GroupNumber = uint16_t;
struct _XDisplay;

enum UndoKind : uint32_t {
    kUndoNothing = 0,
    kUndoAlignment = 1,
    kRedoAlignment = 2,
    kUndoSpread = 3,
    kRedoSpread = 4,
};

// One recorded member: the object, its allocation serial at recording (so
// that a slot reused by another object is not moved) and its position.
struct UndoEntry {
    ObjectHandle object;
    uint32_t serial;
    FixPoint position;
};

KernelStatus Undo_GetLabel(uint32_t kind, char* buffer, uint32_t size);
KernelStatus Undo_SetKind(uint32_t kind);
uint32_t Undo_GetKind();
KernelStatus Undo_Record(uint32_t kind, GroupNumber group);
KernelStatus Undo_Clear();
KernelStatus Undo_Perform();
MemHandle Undo_TakeSnapshot(GroupNumber group);
KernelStatus Undo_MoveBack(MemHandle oldSnapshot, MemHandle newSnapshot, uint16_t n);
// Frees the undo group and snapshot (at shutdown).
void Undo_Shutdown();

// The display the bell rings on, set by start-up once the display is open
// (null: no display, the bell stays silent).
void Bell_SetDisplay(_XDisplay* display);
void Bell_Ring();

inline constexpr uint32_t kDateSize = 12;  // "Mmm-dd-yyyy"
inline constexpr uint32_t kTimeSize = 9;   // "hh:mm:ss"
void Misc_GetDateTime(char* date, char* time);
void Misc_FormatDateTime(const std::tm& when, char* date, char* time);
