// The plain message box of the net layer.
#include "atolq/CEditor/MessageBox.h"

#include "xkv/kv/QXUI.h"
#include "xkv/pending/Pending.h"

int GE_MessageBox(int16_t id)
{
    char text[kGEMessageTextSize];
    GE_GetMessageText(id, text);
    QXUI_Beep(0);
    Dialog_Alert(9999, text, 1);
    return 1;
}
