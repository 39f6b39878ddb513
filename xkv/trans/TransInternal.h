// What the gesture families share inside the module: the handlers named by
// the dispatch tables, the end callbacks and small posting helpers.
#pragma once

#include "xkv/trans/TransRecord.h"

inline constexpr uint8_t kEscape = 27;

// Posts an event to the command layer; 1 when there was one.
int32_t Trans_Post(MemHandle event);
int32_t Trans_PostCancel();
// The window that gestures draw their feedback in.
Widget Trans_FeedbackWindow(Widget given);

#define TRANS_HANDLER(name) int32_t name(Transaction* record, Widget window, PointerState* pointer, InputModifiers* modifiers)

TRANS_HANDLER(Rubber_Key);
TRANS_HANDLER(Rubber_Press);
TRANS_HANDLER(Rubber_Release);
TRANS_HANDLER(Rubber_Motion);

TRANS_HANDLER(Vertex_Key);
TRANS_HANDLER(Vertex_PressStart);
TRANS_HANDLER(Vertex_PressFirst);
TRANS_HANDLER(Vertex_ReleaseConnector);
TRANS_HANDLER(Vertex_ReleaseAdd);
TRANS_HANDLER(Vertex_ReleaseReattach);
TRANS_HANDLER(Vertex_ReleaseFinish);
TRANS_HANDLER(Vertex_Motion);

TRANS_HANDLER(Track_Key);
TRANS_HANDLER(Track_Press);
TRANS_HANDLER(Track_Release);
TRANS_HANDLER(Track_Motion);

TRANS_HANDLER(PageSelect_Key);
TRANS_HANDLER(PageSelect_Release);

// Frees a typed-item or PtArray handle held in a field and clears the field.
void Trans_FreePoints(MemHandle* points);
