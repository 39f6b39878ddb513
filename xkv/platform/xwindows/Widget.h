// Small toolkit support: a geometry manager that accepts every request, the
// widget-destroy wrapper, and two services of the Diagram widget.
#pragma once

#include <X11/Intrinsic.h>

// Installs Widget_GeometryDone as the geometry manager of the widget's class when
// that class has none; a class that has one keeps it.
void Widget_EnsureGeometryManager(Widget composite);
// Accepts every geometry request of a child as already done.
XtGeometryResult Widget_GeometryDone(Widget child, XtWidgetGeometry* request, XtWidgetGeometry* reply);
void Widget_Destroy(Widget widget);

// The Diagram widget's title-bar height plus its border; 0 without title bar.
int Diagram_TitleHeight(Widget diagram);
// Sets the thumbs of the Diagram widget's scroll bars from its virtual area.
void Diagram_UpdateScrollbars(Widget diagram);

// The thumb (top, shown) for a view of the given size at a signed origin of a
// virtual extent: top = -origin / extent, shown = size / extent; (0, 1) for extent 0.
struct ScrollThumb {
    float top = 0.0f;
    float shown = 1.0f;
};
ScrollThumb Widget_ThumbFor(int origin, unsigned int extent, unsigned int size);
