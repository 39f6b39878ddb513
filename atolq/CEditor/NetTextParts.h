// Pieces of the texts the net editor composes for key regions and the
// hierarchy page: a record's name or "***", an object's reference name, and
// the values of a list.
#pragma once

#include <string>
#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/Utils/LMList.h"
#include "xkv/types/Types.h"

// The record's net name, "***" when it has none.
std::string EE_NameOrStars(SEHead* record);
// The object's reference name ("name#number"), "***" when it cannot be had.
std::string EE_RefNameText(ObjectHandle object);
// The non-null values of a list, in list order.
std::vector<void*> EE_ListValues(const LMList* list);
