// The net side of a new diagram: an empty net, the first page's record, the
// hierarchy page, and the diagram recorded as current and unmodified.
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

int EE_NewDiagram(ObjectHandle page)
{
    constexpr uint32_t kCommandSaveXml = 11261;
    QXMenu_SetItemState(kCommandSaveXml, 1);
    if (page != 0) {
        SEStart();
        EE_CreateNetPage(page, 1);
        PGGetHierarchyPage();
        GE_SetCurrentDiagram(QXStr_GetPageListHandle());
        GE_SetStateFlags(kGEMenusStale);
    }
    QXStr_SetModified(0);
    GE_RequestMenuUpdate();
    return 0;
}
