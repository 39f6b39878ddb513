// The same-kind selection filter of hook 16: while it is on, only objects of
// the kernel type of the current object join the selection. It lives with the
// editor state because the Group menu's toggles reach it from the dispatch.
#include <cstdint>

#include "atolq/CEditor/HookHandlers.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/select/Select.h"

namespace {

constexpr uint32_t kSelectionGroup = 1;
constexpr uint32_t kNodeType = 4;

bool selectFilterOn = true;
uint32_t rememberedType = 0;

bool SelectionIsGroup()
{
    return Select_GetMode() == kSelectionGroup;
}

}  // namespace

int GE_SelectFilterOn()
{
    return selectFilterOn ? 1 : 0;
}

GE_HOOK_HANDLER(EE_SelectFilter)
{
    (void)b, (void)c, (void)d, (void)e, (void)f;
    if (static_cast<uint32_t>(a) == UINT32_MAX) {
        selectFilterOn = !selectFilterOn;
        return 1;
    }
    if (!selectFilterOn)
        return 1;
    if (!(SelectionIsGroup() && a != 0))
        rememberedType = QXRdAttr_GetObjectType(QXStr_GetCurObject());
    const uint32_t type = QXRdAttr_GetObjectType(static_cast<ObjectHandle>(a));
    // With nothing selected a new selection holds nodes, so that a rubber
    // band on an empty selection takes the nodes inside it.
    if (rememberedType == 0)
        rememberedType = kNodeType;
    return type == rememberedType ? 1 : 0;
}
