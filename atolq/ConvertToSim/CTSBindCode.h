// Shared binding code: transitions whose input arcs, guard and variables
// agree share one generated bind sequence (TOLQ'CBF<e> / TOLQ'FastCBF<e>),
// found by a key text in the root's list of code entries. Also the name
// counter that gives generated entities their decimal ML names.
#pragma once

#include "atolq/ConvertToSim/CTSCheck.h"

#include <cstdint>
#include <string>
#include <vector>

#include "atolq/AEditor/SERecords.h"

// Increments the name counter and returns its decimal text (QXMem block,
// freed by the caller) and its length.

// One record of an entry's place list: a place outside fusion sets or a
// fusion set standing for its fused members.
struct CTSBindPlace {
    SEHead* record;
    std::string key; // the place's input-arc text
};

// The input places of t (fused places as their set), sorted by key text.
std::vector<CTSBindPlace> CTSBindPlaces(SETrans* t);
// The sharing key of t.
std::string CTSBindKey(SETrans* t);
// The shared entry of t, made and generated when no entry has its key.
SECodeEntry* CTSFindBindCode(SETrans* t, std::vector<CTSBindPlace>* places);
// Frees every shared entry of the root.
void CTSDropBindEntries();
