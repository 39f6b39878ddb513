// Widget-destroy wrapper and the Diagram widget's title height and scroll-bar thumbs.
#include "xkv/platform/xwindows/Widget.h"

#include "xkv/Xmempty/motifempty.h"
#include "xkv/platform/xwindows/DiagramP.h"

#include <X11/Xaw/Scrollbar.h>

void Widget_Destroy(Widget widget)
{
    if (widget != nullptr) {
        XtDestroyWidget(widget);
    }
}

int Diagram_TitleHeight(Widget diagram)
{
    DiagramWidget w = Diagram_Cast(diagram);
    if (w == nullptr || w->diagram.title == nullptr) {
        return 0;
    }
    return w->diagram.title->core.height + w->diagram.title->core.border_width;
}

ScrollThumb Widget_ThumbFor(int origin, unsigned int extent, unsigned int size)
{
    if (extent == 0) {
        return {};
    }
    return {static_cast<float>(-static_cast<double>(origin) / extent), static_cast<float>(static_cast<double>(size) / extent)};
}

void Diagram_UpdateScrollbars(Widget diagram)
{
    DiagramWidget w = Diagram_Cast(diagram);
    if (w == nullptr || !w->diagram.scrollBar || Xm_InterfaceFlag() != 0) {
        return;
    }
    if (w->diagram.verticalBar != nullptr) {
        ScrollThumb thumb = Widget_ThumbFor(w->diagram.virtualY, w->diagram.virtualHeight, w->core.height);
        XawScrollbarSetThumb(w->diagram.verticalBar, thumb.top, thumb.shown);
    }
    if (w->diagram.horizontalBar != nullptr) {
        ScrollThumb thumb = Widget_ThumbFor(w->diagram.virtualX, w->diagram.virtualWidth, w->core.width);
        XawScrollbarSetThumb(w->diagram.horizontalBar, thumb.top, thumb.shown);
    }
}
