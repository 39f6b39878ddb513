// The gesture record of one nesting level with the data areas of the
// gesture families, the input modifiers handed to gesture handlers and the
// handler and end-callback types.
#pragma once

#include <cstdint>

#include "xkv/item/Event.h"
#include "xkv/trans/Trans.h"

using KeySymWord = unsigned long;

// The four modifier flags of an input event, then the KeySym and character
// of a key event (both 0 for other events).
struct InputModifiers {
    Modifiers flags;
    KeySymWord keysym = 0;
    uint8_t character = 0;
};

using GestureHandler = int32_t (*)(Transaction* record, Widget window, PointerState* pointer,
                                   InputModifiers* modifiers);

// Idle state: picks and drags.
struct IdleData {
    int32_t pressed = 0;
    int32_t dragAllowed = 0;
    FixPoint pressPoint{};
    MemHandle heldItem = 0;
    FixPoint heldPoint{};  // where heldItem was located
};

// Rubber bands and drag outlines.
struct RubberData {
    FixPoint cornerA{}, cornerB{};
    FixPoint lastPoint{}, pressPoint{};
    FixPoint size{};
    int32_t waiting = 0, moveAll = 0, shiftMove = 0, centred = 0, ratioActive = 0;
    int32_t horizontalOnly = 0, verticalOnly = 0, flipX = 0, flipY = 0, solid = 0;
    int32_t pressSeen = 0, shiftLatched = 0;
    int32_t axisChosen = 0;
    FixPoint axisRef{};
    int32_t axisHorizontal = 0, axisVertical = 0;
    uint16_t sides = 0;
    int32_t polygonFlag = 0;
    MemHandle outline = 0;   // PtArray
    MemHandle outlineTemplate = 0;  // PtArray
    int32_t moved = 0;
    int32_t outlineValue = 0;
    Fixed slope = 0;
    int32_t slopeVertical = 0, slopeHorizontal = 0;
    Fixed radiusX = 0, radiusY = 0;
};

// Point lists and vertices.
struct VertexData {
    FixPoint prevPoint{}, nextPoint{}, rubberPoint{};
    MemHandle points = 0;  // PtArray
    int32_t count = 0;
    ObjectHandle startObject = 0, endObject = 0;
    int32_t waiting = 0, constrained = 0, constrainX = 0;
    FixPoint constraintRef{};
    int32_t index = 0;
    int32_t moved = 0;
    MemHandle segmentA = 0, segmentB = 0;
};

// Object tracking and point picks.
struct TrackData {
    uint32_t locateMask = 0, locateFilter = 0, locateFlags = 0;
    FixPoint lastPoint{};
    ObjectHandle currentObject = 0;
    int32_t pickOnPress = 0;
    Widget window = nullptr;
};

// Page selection.
struct PageSelectData {
    ObjectHandle chosenPage = 0;
    Widget returnWindow = nullptr;
};

// One nesting level of the machine.
struct Transaction {
    GestureState state = 1;
    int32_t cursor = 0;
    TransEndProc endCallback = nullptr;
    int32_t dragHeld = 0;
    int32_t argument = 0;
    IdleData idle;
    RubberData rubber;
    VertexData vertex;
    TrackData track;
    PageSelectData pageSelect;
};

