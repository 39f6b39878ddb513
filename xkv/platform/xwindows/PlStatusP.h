// Instance and class records of the "status" widget (private to the platform layer).
#pragma once

#include "xkv/platform/xwindows/PlStatus.h"

#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>

#include <string>
#include <vector>

struct StatusSegment {
    int32_t x = 0;
    std::string text;
};

struct StatusPart {
    Pixel foreground;
    XFontStruct* font;
    std::vector<StatusSegment>* segments; // made by initialize, freed by destroy
    GC gc;
    GC inverse_gc; // only for strips of fewer than two segments
    Dimension min_width;
    Dimension stringCount;
    Bool reverseVideo;
    StatusMouseDownProc mouse_down_callback;
    Boolean inverse;
};

struct StatusRec {
    CorePart core;
    StatusPart status;
};
using StatusWidget = StatusRec*;

struct StatusClassPart {
    int unused;
};

struct StatusClassRec {
    CoreClassPart core_class;
    StatusClassPart status_class;
};
