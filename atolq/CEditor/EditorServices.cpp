// Small services of the net editor that the other net-layer modules call:
// new pages, the editor's questions and message boxes, the saved-state mark
// of the page list and the evaluator's connection state.
#include <array>
#include <cstring>

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/SML/SMLLink.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kOwnText = 9999;
constexpr uint32_t kTagSavedState = 0xF903;
constexpr int kConnected = 2;

}  // namespace

ObjectHandle GE_NewPage(int flag)
{
    return QXStr_CreatePageOpt(1, flag != 0 ? 0u : 257u);
}

int GE_AskContinue(int16_t messageId)
{
    char text[kGEMessageTextSize];
    GE_GetMessageText(messageId, text);
    return QXUI_Confirm(text) != 0 ? 1 : 0;
}

void GE_MessageBoxText(const char* text, int32_t)
{
    QXUI_Beep(0);
    Dialog_Alert(kOwnText, text != nullptr ? text : "", 1);
}

int GE_PageListHasImageMark()
{
    return GE_HasUserData(QXStr_GetPageListHandle(), kTagSavedState) != 0 ? 1 : 0;
}

// The graphic attributes of the defaults are not applied yet; a region takes
// the region tag of its default record, which the editor reads back.
void GE_ApplyDefaultAttributes(int32_t key, ObjectHandle object)
{
    std::array<uint32_t, kDefAttributeWords> words{};
    if (QXRdAttr_GetObjectType(object) == kQXKindRegion && DefGetByKey(key, words.data(), kDefLevelDiagram) != 0)
        GE_SetChartTag(object, static_cast<uint8_t>(words[24]), static_cast<uint8_t>(words[25]),
                       static_cast<uint16_t>(words[26]));
}

int SMLIsConnected()
{
    return SMLGetConnState() == kConnected ? 1 : 0;
}
