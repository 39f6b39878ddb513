// Text services that the diagram operations call on an object's text and that
// the editing core does not provide: the extent of a text, the pending label
// text, and the moving of references on coarsening and refining.
#pragma once

#include <cstdint>

#include "xkv/text/Text.h"
#include "xkv/types/Types.h"

// The rectangle of the text's contents.
FixRect Text_GetExtent(MemHandle text);
// Moves text references on coarsening and refining.
KernelStatus Text_Coarsen(ObjectHandle object, ObjectHandle target);
KernelStatus Text_Refine(ObjectHandle object);
// The pending label text for a new label at the point, owned by the object.
MemHandle Text_ForLabel(ObjectHandle object, FixPoint at);
// Forgets the pending label text so that the next label gets its own.
void Text_ReleaseLabel();
