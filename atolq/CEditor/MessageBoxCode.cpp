// Message texts and the error box that shows a message with its number. Kept
// apart from the plain box so that a program may bring its own plain box.
// A print-files run, or a scripted run that quits by itself, writes the
// texts to the error output instead.
#include "atolq/CEditor/MessageBox.h"

#include <cstdio>
#include <cstring>

#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"
#include "xkv/mods/Strings.h"
#include "xkv/velkor/Velkor.h"

namespace {

// The message box: "OK" (1), a placeholder (2) and the message (3).
constexpr int32_t kMessageDialog = 30000;
constexpr int16_t kMessageOk = 1;
constexpr int16_t kMessageLastButton = 2;
constexpr int32_t kMessageTextItem = 3;

int16_t MessageCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    const auto* text = static_cast<const char*>(Dialog_GetClientData());
    if (code == 0) {
        Dialog_SetItemText(kMessageTextItem, text != nullptr ? text : "");
        Dialog_SetDefaultItem(kMessageOk);
        return item;
    }
    if (item >= kMessageOk && item <= kMessageLastButton)
        Dialog_Close(item);
    return item;
}
bool unattendedRun = false;

// The longest message that still gets its number appended.
constexpr size_t kMaxTextBeforeCode = 245;

}  // namespace

bool GE_ReportWithoutBox(const char* text)
{
    const VelkorSettings& settings = Velkor_Settings();
    if (!settings.printFiles && !unattendedRun)
        return false;
    std::fprintf(stderr, "%s: %s\n", settings.programName, text != nullptr ? text : "");
    return true;
}

void GE_SetUnattended(bool unattended)
{
    unattendedRun = unattended;
}

void GE_GetMessageText(int16_t id, char* text)
{
    String_GetText(static_cast<MessageId>(id), text, kGEMessageTextSize);
}

void GE_MessageTextWithCode(int16_t id, char* text)
{
    GE_GetMessageText(id, text);
    const size_t length = std::strlen(text);
    if (length <= kMaxTextBeforeCode)
        std::snprintf(text + length, kGEMessageTextSize - length, " (0x%04X)", static_cast<uint16_t>(id));
}

int GE_MessageBoxWithCode(int16_t id)
{
    char text[kGEMessageTextSize];
    GE_MessageTextWithCode(id, text);
    if (GE_ReportWithoutBox(text))
        return 1;
    QXUI_Beep(0);
    GE_ShowMessageDialog(text);
    return 1;
}

void GE_ShowMessageDialog(const char* text)
{
    // The callback reads the text; the dialog only borrows it.
    Dialog_OpenModal(kMessageDialog, MessageCallback, const_cast<char*>(text));
}
