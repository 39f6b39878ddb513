// The choice dialogs of making net objects: the kind of a new inscription
// region and the net kind of a converted node.
#pragma once

#include <cstdint>

// Whose inscription a new or converted region becomes.
enum class EERegionOwner { Place, Transition };
// Dialog 30030, titled for a conversion or a new region: the region kind
// chosen among those the owner takes (4096 name, 4097 colour set and 4098
// initial marking for places; 4096, 4104 guard, 4105 code, 4111 log and
// 4125 time for transitions); 0 on Cancel.
int EE_AskRegionKind(EERegionOwner owner, int converting, int32_t* kind);

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
