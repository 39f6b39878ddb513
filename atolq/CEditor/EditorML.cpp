// "ML Evaluate" from the editor: the object's text goes to the evaluator; the answer's pieces are written
// into the ML region as they arrive.
#include "atolq/CEditor/EditorML.h"

#include <string>
#include <vector>

#include "atolq/SML/SMLWait.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr Fixed kPixel = 0x8000;
constexpr Fixed kDefaultSize = 40 * kPixel;
constexpr int16_t kBusyWidth = 2;
constexpr uint32_t kBusyPattern = 22;
constexpr int16_t kColourDone = 13;
constexpr int16_t kColourErrors = 6;
constexpr int16_t kColourFailed = 14;

// The line attributes kept between the start and the end of an evaluation.
struct SavedLine {
    uint32_t style = 0;
    int16_t width = 1;
    uint32_t pattern = 0;
    uint32_t visible = 1;
};
SavedLine savedLine;

std::string TextOf(ObjectHandle object)
{
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0 || length == 0)
        return {};
    std::vector<char> buffer(length + 1, '\0');
    uint32_t got = length;
    if (QXText_GetText(object, buffer.data(), &got) == 0)
        return {};
    return std::string(buffer.data(), got);
}

// The part of the text the user selected while editing it; empty when
// nothing is selected or the text is not being edited.
std::string SelectedTextOf(ObjectHandle object)
{
    if (Comm_InTextMode() == 0 || QXText_IsEditing() == 0)
        return {};
    const uint32_t length = QXText_GetSelectionLength(object, 0);
    if (length == 0)
        return {};
    std::vector<char> buffer(length + 1, '\0');
    if (QXText_GetSelectedText(object, buffer.data(), length + 1, 0) == 0)
        return {};
    return std::string(buffer.data());
}

int OnStart(SMLPending* entry)
{
    const ObjectHandle object = entry->data[0];
    QXRdAttr_GetLineAttr(object, &savedLine.style, &savedLine.width, &savedLine.pattern, &savedLine.visible);
    QXWtAttr_SetLineAttr(object, savedLine.style, kBusyWidth, kBusyPattern, savedLine.visible);
    QXUI_FlushDisplay();
    QXText_SetText(entry->data[1], "");
    return 1;
}

int OnChunk(SMLPending* entry)
{
    const ObjectHandle region = entry->data[1];
    if (entry->chunk == nullptr || entry->chunkLength == 0)
        return 1;
    const std::string piece(entry->chunk, entry->chunkLength);
    QXText_SetText(region, (TextOf(region) + piece).c_str());
    return 1;
}

// The ML region's line colour tells how the evaluation ended.
void ShowOutcome(ObjectHandle region, uint32_t status)
{
    switch (status) {
    case kReplyDone:
        QXColor_SetLineColor(region, kColourDone);
        break;
    case kReplyClass2:
    case kReplyClass3:
        QXColor_SetLineColor(region, kColourErrors);
        break;
    case kReplyFailed:
        QXColor_SetLineColor(region, kColourFailed);
        break;
    default:
        break;
    }
}

int OnComplete(SMLPending* entry)
{
    const ObjectHandle object = entry->data[0];
    ShowOutcome(entry->data[1], entry->status);
    QXWtAttr_SetLineAttr(object, savedLine.style, savedLine.width, savedLine.pattern, savedLine.visible);
    QXUI_FlushDisplay();
    return 1;
}

}  // namespace

uint32_t GE_CreateMLRegion(uint32_t object)
{
    ObjectHandle base = object;
    if ((QXRdAttr_GetObjectType(object) & kQXKindRegion) != 0)
        base = QXStr_GetBaseObject(object);
    const ObjectHandle page = QXStr_GetObjectPage(base);
    if (page == 0)
        return 0;
    Fixed x = 0, y = 0, width = 0, height = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    if ((QXRdAttr_GetObjectType(object) & kQXKindNode) == 0 || QXRdAttr_GetSize(object, &width, &height) == 0 ||
        width <= 0 || height <= 0)
        width = height = kDefaultSize;
    const ObjectHandle box = QXStr_CreateNode(page, x, y, width, height, 1);
    if (box == 0)
        return 0;
    if (QXStr_MakeRegion(box, object) == 0 ||
        QXWtAttr_SetRegionKind(box, static_cast<uint32_t>(kMLRegionKind)) == 0) {
        QXStr_DeleteObject(box);
        return 0;
    }
    return box;
}

uint32_t GE_GetMLRegion(uint32_t object)
{
    uint16_t count = 0;
    ObjectHandle* regions = nullptr;
    ObjectHandle found = 0;
    if (QXStr_GetRegionList(object, &count, &regions) != 0 && regions != nullptr) {
        for (uint16_t i = 0; i < count && found == 0; ++i) {
            uint32_t kind = 0;
            if (QXRdAttr_GetRegionKind(regions[i], &kind) != 0 && static_cast<int32_t>(kind) == kMLRegionKind)
                found = regions[i];
        }
    }
    if (regions != nullptr)
        QXMem_Free(regions);
    return found != 0 ? found : GE_CreateMLRegion(object);
}

int GE_EvaluateObjectText(uint32_t object, uint32_t mlRegion)
{
    std::string text = SelectedTextOf(object);
    if (text.empty())
        text = TextOf(object);
    SMLPending entry;
    entry.request = text.c_str();
    entry.requestLength = static_cast<uint32_t>(text.size());
    entry.beforeSend = OnStart;
    entry.onChunk = OnChunk;
    entry.onComplete = OnComplete;
    entry.data[0] = object;
    entry.data[1] = mlRegion;
    const int result = SMLSubmit(&entry, 0);
    return result < 0 ? result : 1;
}
