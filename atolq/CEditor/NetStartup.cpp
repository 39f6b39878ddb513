// Starting the net layer in a mode, the orderly quit and the page list of
// page commands.
#include "atolq/CEditor/NetStartup.h"

#include <cstdlib>
#include <cstring>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetOptions.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kMsgNoSuchMode = 16388;
constexpr int32_t kCommandClose = 203;
constexpr int32_t kCommandQuit = 220;

// The root's page list when a diagram exists, else 0.
uint32_t DiagramNow()
{
    return QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0;
}

// The scripted run needs the evaluator link and the simulator, which this
// program does not carry yet: it says so and does nothing.
void RunToolExtension()
{
    GE_ReportNotBuilt("The scripted run");
}

}  // namespace

uint32_t GE_EnterEditor()
{
    EE_InstallEditorMenus();
    GE_SetModeHooks(kGEModeEditor);
    return 1;
}

uint32_t GE_StartMode(uint16_t mode)
{
    QXMenu_SetMenuTitle(4, "Aux");
    EE_InstallStartMenus();
    switch (mode) {
    case kGEStartEditor:
        return GE_EnterEditor();
    case kGEStartSimulator:
        // The switch to the simulator is not built: the editor stays.
        GE_SetModeHooks(kGEModeEditor);
        GE_ReportNotBuilt("Enter Simulator");
        return GE_EnterEditor();
    case kGEStartMatricer:
    case kGEStartOccurrencer:
        return 1;
    case kGEStartScripted:
        GE_EnterEditor();
        RunToolExtension();
        if (GE_Options().quit != 0) {
            QXStr_SetModified(0);
            EE_Quit();
        }
        return 1;
    default:
        EE_ReportError(kMsgNoSuchMode);
        return 0;
    }
}

uint32_t EE_Quit()
{
    if (GE_GetCurrentDiagram() != 0) {
        GE_DoCommand(kCommandClose);
        GE_SetCurrentDiagram(DiagramNow());
    }
    if (GE_GetCurrentDiagram() != 0)
        return GE_GetCurrentDiagram();
    return GE_DoCommand(kCommandQuit);
}

int EE_GetSelectedPages(uint16_t* count, uint32_t** pages)
{
    *count = 0;
    *pages = nullptr;
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0)
        return 0;
    // Without the hierarchy page every current page is an ordinary page.
    auto* list = static_cast<uint32_t*>(QXMem_Alloc(sizeof(uint32_t)));
    if (list == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    list[0] = page;
    *pages = list;
    *count = 1;
    return 1;
}

uintptr_t EE_HookPages(uintptr_t countAddress, uintptr_t pagesAddress, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* count = reinterpret_cast<uint16_t*>(countAddress);
    auto* pages = reinterpret_cast<uint32_t**>(pagesAddress);
    if (count == nullptr || pages == nullptr)
        return 0;
    uint16_t got = 0;
    uint32_t* list = nullptr;
    const int result = EE_GetSelectedPages(&got, &list);
    *count = 0;
    *pages = nullptr;
    if (result != 0 && got != 0) {
        auto* copy = static_cast<uint32_t*>(std::malloc(got * sizeof(uint32_t)));
        if (copy == nullptr) {
            QXMem_Free(list);
            EE_FatalError(kMsgOutOfMemory);
        }
        std::memcpy(copy, list, got * sizeof(uint32_t));
        *pages = copy;
        *count = got;
    }
    if (list != nullptr)
        QXMem_Free(list);
    return static_cast<uintptr_t>(result);
}
