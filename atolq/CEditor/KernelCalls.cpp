// Kernel commands and menu updates requested by the net layer.
#include "atolq/CEditor/KernelCalls.h"

#include <cstdio>

#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"
#include "xkv/menu/Menu.h"
#include "xkv/statusbar/StatusBar.h"

uint32_t GE_DoCommand(int32_t command)
{
    int32_t request = 0;
    MenuItem* item = nullptr;
    if (Menu_FindItem(command, &item, nullptr) == kStatusOk && item != nullptr)
        request = item->requestNumber;
    if (request == 0)
        Menu_TableRequest(command, &request);
    if (request == 0)
        return 0;
    if (Comm_IsPointerCommand(request) != 0) {
        // Commands that wait for the pointer are left to the main loop.
        Comm_SetPendingCommand(request);
        return Comm_PostEvent(Event_NewCommand(0, 0, 0, 0, static_cast<uint32_t>(request))) == 0 ? 1 : 0;
    }
    return Comm_RunCommand(request) == 0 ? 1 : 0;
}

void GE_RequestMenuUpdate()
{
    Menu_ForceNextUpdate();
}

void GE_ReportNotBuilt(const char* what)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s is not available yet.", what != nullptr ? what : "This command");
    StatusBar_ShowMessage(text);
}
