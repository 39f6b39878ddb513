// Instance and class records of the "Diagram" widget (private to the platform layer).
#pragma once

#include "xkv/platform/xwindows/Diagram.h"

#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <X11/CompositeP.h>

struct DiagramPart {
    XtPointer pageId;
    String titleString; // owned copy; null when empty
    Widget title;
    Widget verticalBar;
    Widget horizontalBar;
    Window frame;
    Dimension scrollIncX;
    Dimension scrollIncY;
    Dimension virtualWidth;
    Dimension virtualHeight;
    Position virtualX;
    Position virtualY;
    Boolean titleBar;
    Boolean allowScroll;
    Boolean buttonHeld;
    Boolean autoScrollArmed;
    Boolean scrollBar;
    Boolean titleInverse;
    Boolean mappedOnce;
    uint8_t pendingIndications;
};

struct DiagramRec {
    CorePart core;
    CompositePart composite;
    DiagramPart diagram;
};
using DiagramWidget = DiagramRec*;

struct DiagramClassPart {
    int unused;
};

struct DiagramClassRec {
    CoreClassPart core_class;
    CompositeClassPart composite_class;
    DiagramClassPart diagram_class;
};

// The Diagram widget behind a widget, or null for any other widget.
DiagramWidget Diagram_Cast(Widget widget);
