// Basic kernel value types shared by every kernel module: fixed-point numbers,
// points, rectangles, object handles and kernel statuses.
#pragma once

#include <cstdint>

// Signed 16.16 fixed point; 0x10000 is 1.0.
using Fixed = int32_t;

inline constexpr Fixed kFixedOne = 0x10000;
inline constexpr Fixed kFixedPlusInfinity = 0x7fffffff;
inline constexpr Fixed kFixedMinusInfinity = static_cast<Fixed>(0x80000001u);

struct FixPoint {
    Fixed x = 0;
    Fixed y = 0;
};

struct FixRect {
    Fixed left = 0;
    Fixed top = 0;
    Fixed right = 0;
    Fixed bottom = 0;
};

// Centre, width and height: the form in which ellipses and node shapes are given.
struct FixBox {
    Fixed cx = 0;
    Fixed cy = 0;
    Fixed width = 0;
    Fixed height = 0;
};

// Index of an object in the object table; 0 means none.
using ObjectHandle = uint32_t;

// Result of kernel operations; 0 is success.
using KernelStatus = uint32_t;
