// Test support for the gesture machine: the events it posts, taken from the
// command layer through the nested-interaction hook, copied into plain
// records (class, pointer, modifiers, payload kind and the payload's points).
// Free of the kernel's event header so that toolkit tests can include it.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

struct Posted {
    uint32_t eventClass = 0;
    Fixed x = 0, y = 0;
    uint32_t button1 = 0;
    uint32_t shift = 0, control = 0, mod = 0, lock = 0;
    uint32_t kind = 0;
    uint32_t value = 0;
    std::vector<FixPoint> points;  // a point, a rectangle's corners or a point list
    uint32_t words[3] = {0, 0, 0};
};

std::vector<Posted>& PostedEvents();
// Hands everything posted so far to the capture.
void DrainEvents();
void StartCapture();
void StopCapture();

inline constexpr Fixed F(int32_t n)
{
    return n * kFixedOne;
}
