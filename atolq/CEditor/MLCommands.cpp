// The syntax check command and the ML commands of the editor: starting and
// stopping the evaluator and evaluating the selected object's text.
#include "atolq/CEditor/MLCommands.h"

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/EditorML.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/LifeSeams.h"
#include "atolq/CEditor/MessageBox.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgCheckPassed = 11812;
constexpr int16_t kMsgCheckErrors = 11813;
constexpr int16_t kMsgCheckUnexpected = 16421;
constexpr int16_t kMsgNoGroups = 11326;
constexpr int16_t kMsgNoMLRegion = 16422;
constexpr int32_t kCommandSaveAs = 205;
constexpr int kScopeDiagram = 4;

bool GroupSelected()
{
    uint16_t count = 0;
    ObjectHandle* members = nullptr;
    const bool group = QXStr_GetCurGroup(&count, &members) != 0 && count > 1;
    if (members != nullptr)
        QXMem_Free(members);
    return group;
}

void MenusChanged()
{
    GE_RequestMenuUpdate();
    GE_SetStateFlags(kGEMenusStale);
}

}  // namespace

void EE_SyntaxCheckCommand()
{
    const int cursor = EE_BeginBusy("Starting Syntax Check");
    const int result = EE_RunSyntaxCheck(0, kScopeDiagram, 0, 1);
    EE_EndBusy(cursor);
    switch (result) {
    case 0:
        QXUI_SetStatusBarMessage("Syntax Check Stopped");
        break;
    case 1:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        GE_MessageBox(kMsgCheckPassed);
        break;
    case -2:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        break;
    case -1:
        QXUI_SetStatusBarMessage("Finished Syntax Check");
        GE_MessageBox(kMsgCheckErrors);
        break;
    default:
        EE_ReportError(kMsgCheckUnexpected);
        break;
    }
}

int EE_EvaluateMLNode()
{
    if (GroupSelected()) {
        GE_MessageBox(kMsgNoGroups);
        return 0;
    }
    const ObjectHandle object = QXStr_GetCurObject();
    if (object == 0)
        return 0;
    if (SMLIsConnected() == 0) {
        if (CTSStartEvaluator(GE_GetMLSettings) == 0 || SMLIsConnected() == 0)
            return 0;
        MenusChanged();
    }
    const uint32_t region = GE_GetMLRegion(object);
    if (region == 0) {
        EE_ReportError(kMsgNoMLRegion);
        return 0;
    }
    return GE_EvaluateObjectText(object, region) == 1 ? 1 : 0;
}

int EE_StartStopML()
{
    bool done = false;
    if (SMLIsConnected() != 0) {
        GE_DoCommand(kCommandSaveAs);
        CTSStopEvaluator();
        done = SMLIsConnected() == 0;
    } else {
        done = CTSStartEvaluator(GE_GetMLSettings) != 0 && SMLIsConnected() != 0;
    }
    if (!done)
        return 0;
    MenusChanged();
    return 1;
}
