// Fixed-point arithmetic: saturating multiply and divide, square roots,
// table trigonometry in whole degrees and the coordinate helpers that work
// on the doubled form of page coordinates.
//
// 0x7fffffff and 0x80000001 are plus and minus infinity, the results of
// overflow and of division by zero. The invalid value 0x80000000 is taken as
// minus infinity wherever an operation looks at magnitudes.
#pragma once

#include <array>
#include <cstdint>

#include "xkv/types/Types.h"

inline constexpr Fixed kFixedHalf = 0x8000;
inline constexpr int kTrigTableSize = 91;

using TrigTable = std::array<Fixed, kTrigTableSize>;

// floor(65536 × sin(i°)) and floor(65536 × tan(i°)) for i = 0..90 (tan 90° is
// plus infinity).
const TrigTable& Fix_SineTable();
const TrigTable& Fix_TangentTable();

// Integer n as a Fixed value, saturating.
Fixed Fix_FromInt(int64_t n);

Fixed Fix_Mul(Fixed a, Fixed b);
Fixed Fix_DivInt(Fixed a, int32_t n);
Fixed Fix_Snap(Fixed a);
Fixed Fix_Div(Fixed a, Fixed b);
Fixed Fix_Square(Fixed a);
Fixed Fix_Sqrt(Fixed a);  // 0 for a negative argument
Fixed Fix_Hypot(Fixed a, Fixed b);
uint32_t Int_Sqrt(uint32_t v);
uint32_t Int_SqrtNewton(uint32_t v);

Fixed Fix_ScaleCoord(Fixed c, Fixed f);
Fixed Fix_DivCoord(Fixed a, Fixed b);
Fixed Fix_RemCoord(Fixed a, Fixed b);
Fixed Fix_Mid(Fixed a, Fixed b);
Fixed Fix_SlopeScale(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed v);

Fixed Fix_TableSin(int32_t degrees, const TrigTable& table);
Fixed Fix_SinDeg(int32_t degrees);
Fixed Fix_CosDeg(int32_t degrees);
Fixed Fix_Sin(Fixed degrees);
Fixed Fix_Cos(Fixed degrees);
int32_t Fix_TableIndex(Fixed v, const TrigTable& table);
int32_t Fix_TableIndexSigned(Fixed v, const TrigTable& table);
Fixed Fix_ArcTan(Fixed ratio);
int32_t Fix_ArcTanInt(int32_t dx, int32_t dy);
Fixed Fix_Angle(Fixed dx, Fixed dy);

// Text of a value for messages; two static buffers used in turn.
const char* Fix_Format(Fixed a);
const char* Fix_FormatCoord(Fixed c);

// Saturating helpers for code that adds, subtracts or doubles Fixed values:
// results beyond the range become the infinities instead of wrapping.
Fixed Fix_Saturate(int64_t v);
inline Fixed Fix_Add(Fixed a, Fixed b) { return Fix_Saturate(int64_t{a} + b); }
inline Fixed Fix_Sub(Fixed a, Fixed b) { return Fix_Saturate(int64_t{a} - b); }
inline Fixed Fix_Twice(Fixed a) { return Fix_Saturate(int64_t{a} * 2); }
// Rounds a coordinate to the pixel grid (0x8000 steps).
Fixed Fix_ToGrid(Fixed c);
