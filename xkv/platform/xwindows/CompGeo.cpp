// Default geometry manager for container widgets whose class has none.
#include "xkv/platform/xwindows/Widget.h"

#include <X11/IntrinsicP.h>
#include <X11/CompositeP.h>

XtGeometryResult Widget_GeometryDone(Widget, XtWidgetGeometry*, XtWidgetGeometry*)
{
    return XtGeometryDone;
}

void Widget_EnsureGeometryManager(Widget composite)
{
    if (composite == nullptr || !XtIsComposite(composite)) {
        return;
    }
    auto* widgetClass = reinterpret_cast<CompositeWidgetClass>(XtClass(composite));
    if (widgetClass->composite_class.geometry_manager == nullptr) {
        widgetClass->composite_class.geometry_manager = Widget_GeometryDone;
    }
}
