// Commands that make inscription regions and turn drawn objects into net
// objects. Each returns the message id it refused with, 0 when it went ahead
// or the user cancelled.
#pragma once

#include <cstdint>

// TOLQ Region... (10104): an inscription region for the selected place,
// transition, arc or chart (a selected region stands for its owner), drawn by
// the user; places and transitions ask for the kind.
int16_t EE_CreateRegionCommand();
// Convert to TOLQ... (11451): selected drawn nodes become places,
// transitions or declaration nodes, connectors arcs, plain regions
// inscriptions of their net owners.
int16_t EE_ConvertToNet();
// Make Region (411): the selected drawn objects become plain regions of an
// object the user picks.
int16_t EE_MakeRegionCommand();
