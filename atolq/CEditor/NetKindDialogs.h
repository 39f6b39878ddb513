// The choice dialogs of making net objects: the kind of a new inscription
// region and the net kind of a converted node.
#pragma once

#include <cstdint>

// Dialog 30030: the region kind chosen (4096 name, 4097 colour set, 4098
// initial marking, 4104 guard, 4105 code, 4111 log, 4125 time); 0 on Cancel.
int EE_AskRegionKind(int32_t* kind);

// What a drawn node becomes in Convert to TOLQ.
enum class EEConvertKind : int {
    Place = 0,
    Transition = 1,
    GlobalDecl = 2,
    TemporaryDecl = 3,
    LocalDecl = 4,
};
// Dialog 30750: the kind chosen; 0 on Cancel.
int EE_AskConvertKind(EEConvertKind* kind);
