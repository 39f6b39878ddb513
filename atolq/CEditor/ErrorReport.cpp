// The pending error of the net layer, the timer that deals with it, and the
// fatal-error exit.
#include "atolq/CEditor/ErrorReport.h"

#include <cstdio>
#include <cstdlib>

#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetStartup.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"

namespace {

int16_t pendingError = 0;

constexpr int16_t kMsgMLQuit = 11549;
constexpr int16_t kMsgDiagramCorrupted = 16386;
constexpr int32_t kCommandSaveAs = 205;
constexpr int32_t kCommandRevert = 206;

// Errors after which reverting to the saved diagram would not help.
bool KeepsDiagram(int16_t id)
{
    return id == kMsgDataBaseIncompatible || id == kMsgRestoreFailed || id == kMsgDataBaseLoadFailed;
}

}  // namespace

int EE_ReportError(int16_t id)
{
    if (pendingError != 0 || id == 0)
        return id;
    pendingError = id;
    return GE_MessageBoxWithCode(id);
}

void EE_ClearPendingError()
{
    pendingError = 0;
}

int16_t EE_GetPendingError()
{
    return pendingError;
}

uintptr_t EE_PendingErrorTimer(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (pendingError == 0)
        return 1;
    const int16_t error = pendingError;
    // Cleared first, so that an error of the revert itself is shown.
    pendingError = 0;
    if (KeepsDiagram(error))
        return 1;
    // A diagram that has a file returns to its saved version; without one
    // the user is told that the diagram may be spoilt.
    char* name = nullptr;
    const bool saved = QXFile_GetCurrentFileName(&name) != 0 && name != nullptr && name[0] != '\0';
    if (name != nullptr)
        QXMem_Free(name);
    if (saved)
        GE_DoCommand(kCommandRevert);
    else
        GE_MessageBox(kMsgDiagramCorrupted);
    return 1;
}

void EE_FatalError(int16_t id)
{
    const int16_t shown = id == 1 ? kMsgMLQuit : id;
    std::fprintf(stderr, "tolq: fatal error %d\n", shown);
    std::fflush(stderr);
    GE_MessageBox(shown);
    if (id == kMsgOutOfMemory) {
        GE_DoCommand(kCommandSaveAs);
        EE_Quit();
    }
    // Callers cannot go on without what failed: when the quit did not end
    // the program (the user kept the diagram), it ends here.
    std::exit(255);
}
