// The arithmetic of the net editor's alignment commands: bounding data of a
// list of objects, the offset each alignment command asks for, the position
// record of the Position... dialog, rotation and distance about a reference,
// and the spreads. Coordinates are kernel Fixed values (one pixel = 0x8000),
// y grows downwards; an object's position is its centre.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "xkv/types/Types.h"

inline constexpr int kFixedShiftPerPixel = 15;

// An object's centre and its full width and height.
struct AlignBox {
    Fixed x = 0;
    Fixed y = 0;
    Fixed width = 0;
    Fixed height = 0;
};

// The box around a list and the indices of its extreme objects (ties keep the
// earlier object).
struct AlignBounds {
    AlignBox box;
    size_t leftmost = 0;
    size_t rightmost = 0;
    size_t bottommost = 0;
    size_t topmost = 0;
};

AlignBounds GE_BoundsOf(std::span<const AlignBox> boxes);

// The Position... dialog's record, by word.
enum PositionWord : size_t {
    kPosType = 0,
    kPosFirst = 1,   // x offset or angle in degrees
    kPosSecond = 2,  // y offset or distance, in pixels
    kPosStartX = 3,
    kPosStartY = 4,
    kPosStartAngle = 5,
    kPosStartDistance = 6,
    kPosRelative = 7,
    kPosMode = 8,
    kPosShowX = 9,
    kPosShowY = 10,
    kPosShowAngle = 11,
    kPosShowDistance = 12,
    kPosApplyX = 13,
    kPosApplyY = 14,
    kPosApplyAngle = 15,
    kPosApplyRelative = 16,
    kPosApplyDistance = 17,
    kPosWords = 18,
};
using PositionRecord = std::array<int16_t, kPosWords>;

inline constexpr int16_t kPositionCartesian = 9;
inline constexpr int16_t kPositionPolar = 10;

// The offset that moves S for the alignment command (901-914) against the
// reference R and the second reference's position; false for another command.
bool GE_OffsetFor(int32_t command, const AlignBox& s, const AlignBox& r, FixPoint second, const PositionRecord& record,
                  FixPoint* offset);

// The start values of the record for the objects against the reference.
PositionRecord GE_StartRecord(std::span<const AlignBox> boxes, const AlignBox& reference, int16_t mode);

// Rotation about (xr, yr) to an absolute angle, or by an angle relative to
// the object's direction; and the object moved to a distance along its
// direction.
FixPoint GE_RotatedAbout(FixPoint reference, FixPoint object, double degrees, bool relative);
FixPoint GE_AtDistance(FixPoint reference, FixPoint object, int32_t pixels);

// Where each object goes when placed by itself from the record.
std::vector<FixPoint> GE_PlacedByRecord(std::span<const FixPoint> objects, FixPoint reference,
                                        const PositionRecord& record);

// True when the objects' widths (heights) add up to less than the box's.
bool GE_ObjectsFit(std::span<const AlignBox> boxes, bool horizontal);

// The spread by centres: the end objects stay, the others are placed in
// order of their coordinate at equal steps between the ends.
std::vector<FixPoint> GE_SpreadCentres(std::span<const FixPoint> objects, size_t start, size_t end, bool horizontal);

// The circular spread: the positions of count objects on the circle about
// the centre through the point; the whole block's first position only
// (modes 0 and 1) or every object's (mode 2).
std::vector<FixPoint> GE_CirclePositions(FixPoint centre, FixPoint through, size_t count, bool throughIsSelected,
                                         int mode);
