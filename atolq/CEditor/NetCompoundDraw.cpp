// Drawing the new compound node of a move to a subpage: the kernel's
// creation gesture runs with the defaults of a transition (or a place) while
// the command waits, processing events, until the user has drawn the node or
// cancelled the gesture.
#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommTable.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"
#include "xkv/velkor/Velkor.h"


namespace {

constexpr int32_t kCommandEndGroup = 701;
constexpr int32_t kTransitionKey = 4;
constexpr int32_t kPlaceKey = 3;
constexpr int16_t kTransitionCursor = 3001;
constexpr int16_t kPlaceCursor = 3002;

std::vector<uint8_t> DefaultRecord(int32_t key)
{
    int32_t property = 0;
    if (DefKeyToProperty(key, &property) == 0)
        return {};
    std::vector<uint8_t> record(DefPropertySize(static_cast<uint32_t>(property)));
    if (record.empty() || DefGetByKey(key, record.data(), kDefLevelDiagram) == 0)
        return {};
    return record;
}

bool NewNode(ObjectHandle current, ObjectHandle before)
{
    return current != 0 && current != before && QXStr_IsObject(current) != 0 &&
           QXRdAttr_GetObjectType(current) == kQXKindNode;
}

}  // namespace

ObjectHandle EE_DrawCompoundNode(uint16_t kind)
{
    if (QXStr_GetCurPage() == 0)
        return 0;
    if (Comm_GetState() != kCommStateReady)
        QXUtil_AbortCommand();
    if (QXRdAttr_IsGroupSelected() != 0)
        GE_DoCommand(kCommandEndGroup);
    const bool transition = kind == kSETrans;
    QXUI_SetStatusBarMessage("Draw new compound node");
    const ObjectHandle before = QXStr_GetCurObject();
    // The object-created hook gives the drawn node its record.
    GE_SetCreateKind(transition ? kGECreateTransition : kGECreatePlace);
    const std::vector<uint8_t> record = DefaultRecord(transition ? kTransitionKey : kPlaceKey);
    EE_StartCreation(transition ? kTransitionCursor : kPlaceCursor, record.empty() ? nullptr : record.data());
    Comm_ProcessEvents();
    ObjectHandle made = 0;
    while (Comm_GetState() != kCommStateReady) {
        if (NewNode(QXStr_GetCurObject(), before))
            break;
        Velkor_DispatchNextEvent(1);
        Comm_ProcessEvents();
    }
    if (NewNode(QXStr_GetCurObject(), before))
        made = QXStr_GetCurObject();
    // The kernel repeats a drawing command after its object: it ends here.
    if (Comm_GetState() != kCommStateReady)
        QXUtil_AbortCommand();
    GE_SetCreateKind(0);
    GE_EndTextEdit();
    QXUI_UpdateStatusBar();
    return made;
}
