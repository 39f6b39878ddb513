// The net editor's Align commands against picked reference objects:
// Position... and the three spreads, with the kernel-side helpers they use.
#pragma once

#include <cstdint>
#include <vector>

#include "atolq/CEditor/AlignGeometry.h"
#include "xkv/types/Types.h"

// The reference mode of the pick that started the command: 0 the block from
// its first object, 1 the block's bounding box, 2 each object by itself.
int GE_ReferenceMode();

// The offset that the command asks for the objects against the reference
// (and the second reference for "Between" and "Projection").
bool GE_AlignOffset(const std::vector<ObjectHandle>& objects, ObjectHandle reference, ObjectHandle second,
                    int32_t command, FixPoint* offset, int mode, const PositionRecord& record);
void GE_OffsetObjects(const std::vector<ObjectHandle>& objects, FixPoint offset);
void GE_PlaceByRecord(const std::vector<ObjectHandle>& objects, ObjectHandle reference, const PositionRecord& record);
PositionRecord GE_PrepareRecord(const std::vector<ObjectHandle>& objects, ObjectHandle reference, int mode);
int16_t GE_PositionDialog(int16_t dialog, int32_t code, int16_t item, intptr_t value);
int GE_SpreadByCentres(const std::vector<ObjectHandle>& objects, size_t start, size_t end, bool horizontal);
void GE_CircularSpread(ObjectHandle centre, ObjectHandle through, int mode);

// The commands: 914 "Position...", 11952/11953 the horizontal and vertical
// spreads, 11954 the circular spread. -1 when a pick was cancelled.
int EE_AlignPosition();
int EE_AlignSpread(bool horizontal);
int EE_AlignCircular();
