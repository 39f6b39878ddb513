// Text services for the diagram operations; see TextObject.h.
#include "xkv/text/TextObject.h"

#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/model/ModelMap.h"
#include "xkv/text/Text.h"
#include "xkv/types/Fixed.h"

namespace {

MemHandle gPendingLabel = 0;

MemHandle TextHandleOf(ObjectHandle object)
{
    uint32_t text = 0;
    if (Model_GetField(object, Field::kText, &text) != kStatusOk) {
        return 0;
    }
    return text;
}

}  // namespace

KernelStatus Text_Get(ObjectHandle object, MemHandle* out, uint32_t create)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    if (!Model_IsObject(object)) {
        return kStatusBadObjectHandle;
    }
    MemHandle text = TextHandleOf(object);
    if (text == 0 && create != 0) {
        FixRect box{};
        Model_GetField(object, Field::kBox, &box);
        text = Text_Create(object, box, 1);
        if (text == 0) {
            return kStatusOutOfMemory;
        }
        Model_SetField(object, Field::kText, &text);
    }
    *out = text;
    return text != 0 ? kStatusOk : kStatusNoText;
}

KernelStatus Text_SetFrame(MemHandle text, FixRect frame)
{
    BlockLock<TextRec> record(text);
    if (!record) {
        return kStatusNoText;
    }
    record->frameX = frame.left;
    record->frameY = frame.top;
    if (record->label == 0) {
        record->frameWidth = Fix_Sub(frame.right, frame.left);
        record->frameHeight = Fix_Sub(frame.bottom, frame.top);
    }
    return kStatusOk;
}

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

KernelStatus Text_FitToObject(ObjectHandle object)
{
    MemHandle text = TextHandleOf(object);
    if (text == 0) {
        return kStatusOk;
    }
    FixRect box{};
    Model_GetField(object, Field::kBox, &box);
    return Text_SetFrame(text, box);
}

KernelStatus Text_Relayout(ObjectHandle)
{
    return kStatusOk;
}

KernelStatus Text_DropReferences(ObjectHandle)
{
    return kStatusOk;
}

KernelStatus Text_Coarsen(ObjectHandle, ObjectHandle)
{
    return kStatusOk;
}

KernelStatus Text_Refine(ObjectHandle)
{
    return kStatusOk;
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

KernelStatus Text_RemapReferences(MemHandle map, ObjectHandle, MemHandle text)
{
    BlockLock<TextRec> record(text);
    if (!record) {
        return kStatusOk;
    }
    for (MemHandle line = record->firstLine; line != 0;) {
        BlockLock<TextLine> l(line);
        if (!l) {
            break;
        }
        BlockLock<MemHandle> segments(l->references);
        for (uint16_t i = 0; segments && i < l->referenceCount && (i + 1u) * sizeof(MemHandle) <= segments.size();
             ++i) {
            BlockLock<TextSegment> segment(segments.get()[i]);
            if (!segment || segment->start != 0) {
                continue;  // each reference once, through its first segment
            }
            BlockLock<TextRef> reference(segment->reference);
            if (reference) {
                ObjectHandle mapped = ModelMap_Lookup(map, reference->object);
                if (mapped != 0) {
                    reference->object = mapped;
                }
            }
        }
        line = l->next;
    }
    return kStatusOk;
}
