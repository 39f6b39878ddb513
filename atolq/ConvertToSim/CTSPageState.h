// Page state types and state creators: the record types of a page's place
// states, initial states and arc states, the functions that create and copy
// them, and the references to the state of one place in generated ML text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/MemFile.h"

// State kinds of a place: 1 plain, 2 port or socket, 3 member of an instance
// fusion set, 4 member of a global or page fusion set.
int CTSPlaceStateKind(const SEPlace* place);
// The ML name under which a place's marking is kept (its fusion set's name
// when fused).
const char* CTSPlaceStateName(const SEPlace* place, uint32_t* length = nullptr);
// The timed flag of the colour set governing a place, transition, arc or
// place fusion set (0 for other kinds); also stores it as the timed mark.
int CTSIsTimed(SEHead* record);

int CTSWritePlaceStateRef(const char* name, uint32_t nameLength, const char* id, uint32_t idLength, int form,
                          int store, MemFile* buffer);
int CTSWritePlaceStateVar(const char* name, uint32_t nameLength, const char* state, uint32_t stateLength,
                          int form, MemFile* buffer);
// The same reference as text: "(#P<name> <state>)" and so on; empty for an
// unknown form.
std::string CTSPlaceStateVarText(std::string_view name, std::string_view state, int form);

int CTSDefinePageTypes(SEPage* page);
int CTSCreatePageStates(SEPage* page);
