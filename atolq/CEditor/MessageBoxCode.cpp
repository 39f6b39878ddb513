// Message texts and the error box that shows a message with its number. Kept
// apart from the plain box so that a program may bring its own plain box.
// A print-files run writes the texts to the error output instead.
#include "atolq/CEditor/MessageBox.h"

#include <cstdio>
#include <cstring>

#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"
#include "xkv/mods/Strings.h"
#include "xkv/velkor/Velkor.h"

namespace {

// Alert of the kernel's dialog system: its own text, one button.
constexpr int32_t kAlertOwnText = 9999;
constexpr int32_t kAlertOneButton = 1;
// The longest message that still gets its number appended.
constexpr size_t kMaxTextBeforeCode = 245;

}  // namespace

bool GE_ReportWithoutBox(const char* text)
{
    const VelkorSettings& settings = Velkor_Settings();
    if (!settings.printFiles)
        return false;
    std::fprintf(stderr, "%s: %s\n", settings.programName, text != nullptr ? text : "");
    return true;
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
    Dialog_Alert(kAlertOwnText, text, kAlertOneButton);
    return 1;
}
