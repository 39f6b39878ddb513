// Set menu commands that check the selection and hand over to the kernel's
// attribute dialogs: text, graphic and shape attributes, page attributes,
// the interaction preferences, the kernel's text defaults and copying the
// defaults between the diagram and the user's standard level.
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetCommandSupport.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetShapeAttributes.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/Utils/LMList.h"
#include "atolq/CSimulator/SimDiagramOptions.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kTypeNode = 4;
constexpr uint32_t kTypeConnector = 8;

// Runs the kernel command when something is selected, else says the page is
// empty.
void WithSelection(int32_t command)
{
    if (EE_CommandSelection().empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    GE_DoCommand(command);
}

bool PageHasInstances(ObjectHandle page)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(page, &record) == 0 || record == nullptr || record->kind != kSEPage)
        return false;
    return LMCount(reinterpret_cast<SEPage*>(record)->instances) > 0;
}

}  // namespace

void EE_TextAttributes()
{
    WithSelection(804);
}

void EE_GraphicAttributes()
{
    WithSelection(413);
}

void EE_ShapeAttributes()
{
    const std::vector<ObjectHandle> selection = EE_CommandSelection();
    if (selection.empty()) {
        GE_MessageBox(kMsgCmdPageEmpty);
        return;
    }
    const uint32_t type = GE_KernelType(selection.front());
    if ((type & kTypeConnector) != 0) {
        if (GE_GetMode() == kGEModeSimulator)
            GE_MessageBox(kMsgCmdSimConnectors);
        else
            GE_DoCommand(414);
        return;
    }
    if ((type & kTypeNode) == 0) {
        GE_MessageBox(kMsgCmdNotImplemented);
        return;
    }
    switch (QXRdAttr_GetShape(selection.front())) {
    case 3:
        GE_DoCommand(416);
        return;
    case 5:
        GE_DoCommand(415);
        return;
    case 1: case 2: case 4: case 6:
        EE_SetShapeSizes(selection);
        return;
    default:
        GE_MessageBox(kMsgCmdNotImplemented);
        return;
    }
}

void EE_PageAttributes()
{
    const std::vector<ObjectHandle> pages = GE_CommandPages();
    if (pages.empty())
        return;
    if (pages.size() > 1) {
        GE_MessageBox(kMsgCmdPageNodeGroup);
        return;
    }
    const ObjectHandle page = pages.front();
    if (PageHasInstances(page)) {
        QXUI_ShowMessage("Page Attributes cannot be set - page has instances.");
        return;
    }
    const ObjectHandle previous = QXStr_GetCurPage();
    const bool madeCurrent = previous != page;
    const bool wasOpen = GE_PageIsOpen(page);
    if (madeCurrent)
        QXStr_SetCurPage(page);
    constexpr int32_t kCommandPageAttributes = 606;
    GE_DoCommand(kCommandPageAttributes);
    if (madeCurrent) {
        if (!wasOpen)
            GE_DeletePage(page);
        if (previous != 0)
            QXStr_SetCurPage(previous);
    }
}

void EE_InteractionOptions()
{
    constexpr int32_t kCommandPreferences = 214;
    GE_DoCommand(kCommandPreferences);
}

int EE_TextOptions()
{
    constexpr int32_t kTenPoints = 0xa0000;
    for (uint32_t code : {3u, 4u, 1u, 2u})
        QXWtAttr_SetDefault(code, kTenPoints);
    constexpr int32_t kCommandDefaults = 612;
    GE_DoCommand(kCommandDefaults);
    return 0;
}

void EE_CopyDefaults()
{
    int direction = 0;
    if (EE_AskCopyDefaults(&direction) == 0)
        return;
    QXStr_SetModified(1);
    DefCopyLevel(direction);
    // The simulator works with the diagram's options as they now are.
    SApplyDiagramLevelOptions();
}
