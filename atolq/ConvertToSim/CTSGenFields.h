// Where the code generator finds, in the abstract net's records, the fields
// that the syntax check fills: ML names, arc-function entries, token types,
// the second guard and the guard kind, and the generation marks. Every read
// of such a field goes through this header, so the record layout is one seam.
#pragma once

#include <cstdint>

#include "atolq/AEditor/SERecords.h"

namespace cts {

// Generation marks in the flag words.
inline constexpr uint32_t kTimedMark = 0x2;          // place, transition, arc, fusion set
inline constexpr uint32_t kStatesMark = 0x100;       // page
inline constexpr uint32_t kCodeMark = 0x100;         // transition
inline constexpr uint32_t kCheckedMark = 0x1000;     // page, place, transition, compound, fusion set
inline constexpr uint32_t kTypesMark = 0x10000;      // page
inline constexpr uint32_t kFusionStateMark = 0x10000; // place fusion set
inline constexpr uint32_t kPlaceWalkMark = 0x100000; // place, compound: the check's walk mark

// Arc flags.
inline constexpr uint32_t kArcCode = 0x1;
inline constexpr uint32_t kArcTimed = 0x2;
inline constexpr uint32_t kArcPlainName = 0x10;
inline constexpr uint32_t kArcNotConstant = 0x100;

// Mode words.
inline constexpr uint32_t kPageInSimulation = 0x1;
inline constexpr uint32_t kCompoundSubstituted = 32;

inline const char* mlName(const SEPage* p) { return p->text; }
inline const char* mlName(const SEPlace* p) { return p->text2; }
inline const char* mlName(const SETrans* t) { return t->mlName; }
inline const char* mlName(const SEArc* a) { return a->text; }
inline const char* mlName(const SEPlaceFusSet* s) { return s->text; }

// The shared arc-expression entry (kind 13) of an arc; its second text is
// the name of the arc function TOLQ'AF<name>.
inline const char* arcFunctionName(const SEArc* a)
{
    if (a->link == nullptr || a->link->kind != kSECheckEntry)
        return nullptr;
    return reinterpret_cast<const SECheckEntry*>(a->link)->text2;
}
inline uint16_t tokenType(const SEArc* a) { return a->half; }
inline const char* secondGuard(const SETrans* t) { return t->text3; }
inline uint16_t guardKind(const SETrans* t) { return static_cast<uint16_t>(t->bool1); }

inline SEPage* pageOf(const SETrans* t) { return reinterpret_cast<SEPage*>(t->head.owner); }
inline SEPage* pageOf(const SEPlace* p) { return reinterpret_cast<SEPage*>(p->head.owner); }
inline SETrans* transOf(const SEArc* a) { return reinterpret_cast<SETrans*>(a->head.owner); }

inline bool inSimulation(const SEPage* p) { return p != nullptr && (p->modeFlags & kPageInSimulation) != 0; }
inline bool substituted(const SETrans* t)
{
    return t->compound != nullptr && (t->compound->modeFlags & kCompoundSubstituted) != 0;
}

// Root words: the shared binding-code entries, the binding-function choice,
// the with-time switch, the saved name counter and the colour table.
inline LMList*& bindEntries(SERoot* r) { return r->simRecords12; }
inline int32_t bindChoice(const SERoot* r) { return r->codeGenOptions[0]; }
inline uint32_t withTime(const SERoot* r) { return r->bool4; }
inline int32_t& savedCounter(SERoot* r) { return r->cg5; }
inline HashTable* colourTable(const SERoot* r) { return r->declHashTable; }

} // namespace cts
