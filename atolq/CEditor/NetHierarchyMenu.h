// Hierarchy, fusion and makeup commands of the net editor that work through
// picks of pages and nodes: Substitution Transition, Fusion Place..., Merge
// Node, Move Node and Merge Options..., with the pick helpers they share.
#pragma once

#include <cstdint>
#include <string>

#include "xkv/types/Types.h"

struct SEHead;

// A test on a page offered in a page pick; true accepts it.
using EEPageFilter = bool (*)(ObjectHandle page);

// Lets the user pick a page node on the hierarchy page (opened for the pick
// and closed again when it was closed); the page it stands for when the
// filter accepts it (any page with a net record without a filter), else 0.
ObjectHandle EE_PickSubpage(EEPageFilter filter);

// Lets the user pick a node of the net kind (any when 0) and sub-kind (any
// when 0), other than the deferred object; 0 when cancelled.
ObjectHandle EE_PickObject(uint16_t kind, uint16_t subKind);

// "Substitution Transition": the selected places or transitions become
// substitution nodes of the page the user picks, their ports assigned.
void EE_MakeSubstitution();

// "Fusion Place...": creates, joins, leaves, deletes or renames fusion sets
// of the selected nodes through dialog 30175.
void EE_FusionCommand();

// What the fusion dialog answers.
struct EEFusionAnswer {
    int action = 0;     // 1 create, 2 add to, 3 subtract from, 4 delete, 5 rename/retype
    uint16_t type = 1;  // 1 global, 2 page, 3 instance
    std::string name;
};
// Dialog 30175 for the node (0 for none) and its set (null for none); the
// names listed are the sets visible from the current page. 1 on OK.
int EE_AskFusion(ObjectHandle node, SEHead* set, EEFusionAnswer* answer);

// "Merge Node": the selected node is merged into the node the user picks.
void EE_Merge();

// "Move Node": the selected nodes move with their records to the page the
// user picks; arcs to nodes left behind are deleted.
void EE_MoveToPage();

// "Merge Options...": dialog 30078; the six switches become the diagram's
// merge defaults.
void EE_MergeOptions();
// Dialog 30078 on the six switches; 1 on OK.
int EE_AskMergeOptions(uint32_t* six);
