// The text services that the diagram operations call on an object's text:
// getting or creating the text record, its frame and extent, the pending
// label text and the rewriting of embedded references. Layout and editing
// come with the text editor; until then a relayout keeps the frame.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// The object's text record (field 41) in *out; with create, a new bounded
// text on the object's box when it has none. 48 when there is none.
KernelStatus Text_Get(ObjectHandle object, MemHandle* out, uint32_t create);
// Resets the text frame to the object's box and lays the text out again.
KernelStatus Text_FitToObject(ObjectHandle object);
// Lays the object's text out again after a style change.
KernelStatus Text_Relayout(ObjectHandle object);
// The rectangle of the text's contents.
FixRect Text_GetExtent(MemHandle text);
KernelStatus Text_SetFrame(MemHandle text, FixRect frame);
// Ends the editing of the object's text and removes references to and from it.
KernelStatus Text_DropReferences(ObjectHandle object);
// Moves text references on coarsening and refining.
KernelStatus Text_Coarsen(ObjectHandle object, ObjectHandle target);
KernelStatus Text_Refine(ObjectHandle object);
// The pending label text for a new label at the point, owned by the object.
MemHandle Text_ForLabel(ObjectHandle object, FixPoint at);
// Forgets the pending label text so that the next label gets its own.
void Text_ReleaseLabel();
// Rewrites the objects that the text refers to through a model map; a
// referred object without a pair stays as it is.
KernelStatus Text_RemapReferences(MemHandle map, ObjectHandle object, MemHandle text);
