// The editor's busy state: a text in the status bar and the busy cursor while
// a long operation runs, and both put back afterwards.
#include "atolq/CEditor/NetServices.h"

#include "xkv/kv/QXUI.h"

namespace {

constexpr int32_t kBusyCursor = 17;

}  // namespace

int EE_BeginBusy(const char* text)
{
    if (text != nullptr)
        QXUI_SetStatusBarMessage(text);
    return QXUI_SetCursor(kBusyCursor);
}

void EE_EndBusy(int previous)
{
    QXUI_UpdateStatusBar();
    QXUI_SetCursor(previous);
}
