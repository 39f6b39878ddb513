// The plain message box of the net layer; in a print-files run the message
// is written to the error output instead.
#include "atolq/CEditor/MessageBox.h"

#include "xkv/kv/QXUI.h"

int GE_MessageBox(int16_t id)
{
    char text[kGEMessageTextSize];
    GE_GetMessageText(id, text);
    if (GE_ReportWithoutBox(text))
        return 1;
    QXUI_Beep(0);
    GE_ShowMessageDialog(text);
    return 1;
}
