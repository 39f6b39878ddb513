// Entering the editor and the orderly quit.
#include "atolq/CEditor/NetStartup.h"

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetMenus.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int32_t kCommandClose = 203;
constexpr int32_t kCommandQuit = 220;

int (*defaultsSaver)() = nullptr;

// The root's page list when a diagram exists, else 0.
uint32_t DiagramNow()
{
    return QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0;
}

}  // namespace

void GE_SetDefaultsSaver(int (*save)())
{
    defaultsSaver = save;
}

uint32_t GE_EnterEditor()
{
    EE_InstallEditorMenus();
    GE_SetModeHooks(kGEModeEditor);
    return 1;
}

uint32_t EE_Quit()
{
    if (GE_GetCurrentDiagram() != 0) {
        GE_DoCommand(kCommandClose);
        GE_SetCurrentDiagram(DiagramNow());
    }
    if (GE_GetCurrentDiagram() != 0)
        return GE_GetCurrentDiagram();
    if (defaultsSaver != nullptr)
        defaultsSaver();
    return GE_DoCommand(kCommandQuit);
}

