// The kernel's adapters in front of application hook handlers: each converts
// the kernel's arguments into the application's, calls the application
// handler of its slot and converts back.
#pragma once

#include <span>

#include "xkv/kv/Hook.h"

// The adapter table, ended by the row with id 86.
std::span<const HookDefault> HookDefaultTable();

// Key symbols the key-filter adapter treats specially.
inline constexpr unsigned long kKeySymLeft = 65361;
inline constexpr unsigned long kKeySymUp = 65362;
inline constexpr unsigned long kKeySymRight = 65363;
inline constexpr unsigned long kKeySymDown = 65364;
inline constexpr unsigned long kKeySymFirstModifier = 65505;
inline constexpr unsigned long kKeySymLastModifier = 65518;

// The shape kind in the ninth word of a property record of group 4 (or of the
// record of dialog 263) converted between the kernel's numbering and the
// interface's shape codes: direction 1 to the kernel, 2 to the interface.
void KV_ConvertRecordShape(uint32_t group, uint32_t dialogId, void* record, int32_t direction);
