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
    friend bool operator==(const FixPoint&, const FixPoint&) = default;
};

struct FixRect {
    Fixed left = 0;
    Fixed top = 0;
    Fixed right = 0;
    Fixed bottom = 0;
    friend bool operator==(const FixRect&, const FixRect&) = default;
};

// Centre, width and height: the form in which ellipses and node shapes are given.
struct FixBox {
    Fixed cx = 0;
    Fixed cy = 0;
    Fixed width = 0;
    Fixed height = 0;
    friend bool operator==(const FixBox&, const FixBox&) = default;
};

// Index of an object in the object table; 0 means none.
using ObjectHandle = uint32_t;

// Result of kernel operations; 0 is success.
using KernelStatus = uint32_t;

// Relocatable kernel memory block (see xkv/mem/Mem.h); 0 means none.
using MemHandle = uint32_t;

// Kernel status codes.
inline constexpr KernelStatus kStatusOk = 0;
inline constexpr KernelStatus kStatusFailed = 1;
inline constexpr KernelStatus kStatusNoModelMap = 2;
inline constexpr KernelStatus kStatusTableExists = 5;
inline constexpr KernelStatus kStatusBadArgument = 6;
inline constexpr KernelStatus kStatusUnknownField = 8;
inline constexpr KernelStatus kStatusBadGroup = 13;
inline constexpr KernelStatus kStatusNotAPage = 14;
inline constexpr KernelStatus kStatusBadContainerArgument = 15;
inline constexpr KernelStatus kStatusNotAWedge = 16;
inline constexpr KernelStatus kStatusUnknownShapeKind = 19;
inline constexpr KernelStatus kStatusPastTableEnd = 23;
inline constexpr KernelStatus kStatusInvalidObject = 32;
inline constexpr KernelStatus kStatusNullHandle = 33;
inline constexpr KernelStatus kStatusNoMergeRule = 39;
inline constexpr KernelStatus kStatusNoPagePart = 43;
inline constexpr KernelStatus kStatusBadObjectHandle = 44;
inline constexpr KernelStatus kStatusNoFreeWindow = 47;
inline constexpr KernelStatus kStatusNoText = 48;
inline constexpr KernelStatus kStatusNotFound = 51;
inline constexpr KernelStatus kStatusRefusedByHook = 53;
inline constexpr KernelStatus kStatusOutOfMemory = 55;
inline constexpr KernelStatus kStatusSkipSubtree = 56;
inline constexpr KernelStatus kStatusNoPointBlock = 57;
inline constexpr KernelStatus kStatusUnknownShape = 59;
inline constexpr KernelStatus kStatusModelMapConflict = 66;
