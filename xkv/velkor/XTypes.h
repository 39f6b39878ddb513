// The few X and toolkit handle types that kernel headers name, declared
// exactly as Xlib and the toolkit declare them, so that headers which must
// not pull in <X11/Intrinsic.h> (its Modifiers clashes with the kernel's)
// can still mention them.
#pragma once

typedef struct _WidgetRec* Widget;
typedef struct _XtAppStruct* XtAppContext;
typedef struct _XDisplay Display;
typedef union _XEvent XEvent;
typedef unsigned long XID;
typedef XID Window;
typedef unsigned long Pixel;
typedef void* XtPointer;
