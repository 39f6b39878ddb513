// Record ids: every abstract-net record has a 32-bit id, unique while it
// lives, by which it is named in the net data base file and wherever a 32-bit
// word has to refer to a record. An id that comes from outside is looked up
// here, and checked for its kind, before it is used.
#pragma once

#include <cstdint>

struct SEHead;

// The record's id (0 for null).
uint32_t SERecordId(const SEHead* record);

// The live record with that id, or null; with a kind mask (bit 1 << kind) the
// record must also be of one of those kinds.
SEHead* SERecordById(uint32_t id, uint32_t kindMask = 0xffffffffu);
