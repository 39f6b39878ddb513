// Command and cancel events handed to the command layer for the tests.
#include "InboxDetail.h"

#include "xkv/comm/Comm.h"
#include "xkv/item/Event.h"

void HandleCommandEvent(uint32_t request)
{
    Comm_HandleEvent(Event_NewCommand(0, 0, 0, 0, request));
}

void HandleCancelEvent()
{
    Comm_HandleEvent(Event_NewCancel());
}
