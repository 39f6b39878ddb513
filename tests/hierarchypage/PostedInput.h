// The user's answers to the kernel's nested interaction, posted as kernel
// events to the command layer; kept apart from the toolkit's headers, whose
// Modifiers type clashes with the kernel's.
#pragma once

#include "xkv/types/Types.h"

// Posts the pick of an object; true when the event was queued.
bool PostObjectPick(ObjectHandle object);
// Posts a cancel; true when the event was queued.
bool PostCancel();
