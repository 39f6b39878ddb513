// The size of selected boxes, ellipses, rounded boxes and polygons, asked in
// the shape dialog.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

// Width, height and curvature in whole units.
struct EEShapeSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t curvature = 0;
};

// Dialog 30400 from the starting values (the curvature only for rounded
// boxes): 1 with the values checked on "OK" (width and height 1-9999,
// curvature 0-9999), 0 on "Cancel".
int EE_AskShape(const EEShapeSize& start, bool rounded, EEShapeSize* answer);
// The selection (nodes of one kind) takes the size asked; 1 when set.
int EE_SetShapeSizes(const std::vector<ObjectHandle>& selection);
