// Text services for the diagram operations; see TextObject.h.
#include "xkv/text/TextObject.h"

#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/Text.h"
#include "xkv/types/Fixed.h"

namespace {

MemHandle gPendingLabel = 0;


}  // namespace

FixRect Text_GetExtent(MemHandle text)
{
    BlockLock<TextRec> record(text);
    if (!record) {
        return {};
    }
    Fixed width = record->frameWidth == kUnboundedFrame ? 0 : record->frameWidth;
    Fixed height = record->frameHeight == kUnboundedFrame ? 0 : record->frameHeight;
    return {record->frameX, record->frameY, Fix_Add(record->frameX, width), Fix_Add(record->frameY, height)};
}

// Coarsening a text: its selection moves into the target's text and a
// reference to the target takes its place.
KernelStatus Text_Coarsen(ObjectHandle object, ObjectHandle target)
{
    return Text_ExtractToReference(object, target);
}

// Refining a text: the reference at its cursor gives way to the referred
// object's whole text.
KernelStatus Text_Refine(ObjectHandle object)
{
    return Text_InlineReference(object);
}

MemHandle Text_ForLabel(ObjectHandle object, FixPoint at)
{
    FixRect frame{at.x, at.y, at.x, at.y};
    if (gPendingLabel == 0) {
        gPendingLabel = Text_Create(object, frame, 0);
        return gPendingLabel;
    }
    BlockLock<TextRec> record(gPendingLabel);
    if (!record) {
        gPendingLabel = 0;
        return 0;
    }
    record->owner = object;
    record->frameX = at.x;
    record->frameY = at.y;
    return gPendingLabel;
}

void Text_ReleaseLabel()
{
    gPendingLabel = 0;
}

