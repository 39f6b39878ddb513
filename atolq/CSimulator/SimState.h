// The interactive simulator's mode-wide state: the current activity, the
// flags that restrict its menus (the net changed since the code was made, an
// ML exception spoiled the state, the diagram holds an RXL model), the paste
// state of the menus and the piece list of "Find Pieces".
#pragma once

#include <cstdint>

// Activity codes: the high half is the activity, the low half its phase.
inline constexpr uint32_t kSActivityNone = 0;
inline constexpr uint32_t kSActivityIdle = 0x10000;
inline constexpr uint32_t kSActivityNewSimIdle = 0x30000;
inline constexpr uint32_t kSActivityAutomaticOnly = 0x80000;

// The activity word itself, its broadcast and SActivityIsIdle.
#include "atolq/CSimulator/SimActivity.h"

// Setting either flag marks the diagram modified.
void SSetReswitchNeeded(int flag);
int SReswitchNeeded();
void SSetStateInvalid(int flag);
int SStateInvalid();
// Kept with the sibling tool's diagram lists.
void SSetRXLMode(int flag);
int SInRXLMode();
// 1 enabled, 2 disabled: what the menu refresh gives "Paste".
void SSetPasteState(int enabled);
int SPasteEnabled();

// The pieces found in an RXL model (kept with the piece walk): dropped by
// most Sim commands.
void SDropPieces();
bool SHasPieces();
