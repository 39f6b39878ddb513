// Ready-made dialogs: message and question boxes filled from the message
// table, the report of a failed kernel operation, and the file selection
// behind the file-name dialog.
#include <X11/Intrinsic.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "xkv/dialog/DialogHost.h"
#include "xkv/dialog/DialogInternal.h"
#include "xkv/mem/Mem.h"
#include "xkv/mods/Strings.h"
#include "xkv/platform/sfselect/SelFile.h"

namespace {

constexpr uint32_t kMessageRecordSize = 280;
constexpr size_t kMessageTextOffset = 24;
constexpr size_t kMessageTextMax = 255;
constexpr MessageId kNoMessage = 9999;

int32_t AlertDialogNumber(int32_t kind)
{
    switch (kind) {
    case 1: return 1000;
    case 2: return 273;
    case 3: return 271;
    default: return 0;
    }
}

bool ShowsStatusNumber(MessageId id)
{
    return id == 41 || id == 50 || id == 58;
}

}  // namespace

int32_t Dialog_Alert(int32_t messageId, const char* text, int32_t kind)
{
    const int32_t number = AlertDialogNumber(kind);
    if (number == 0) {
        return 1;
    }
    std::string message;
    if (messageId != kNoMessage) {
        String_GetFullText(messageId, &message);
    }
    if (text != nullptr) {
        message += text;
    }
    message.resize(std::min(message.size(), kMessageTextMax));
    MemHandle block = 0;
    void* data = nullptr;
    if (Mem_AllocLocked(&block, &data, kMessageRecordSize) != kStatusOk) {
        return 1;
    }
    auto* bytes = static_cast<uint8_t*>(data);
    std::memcpy(bytes + kMessageTextOffset, message.data(), message.size());
    bytes[0] = 1;
    Mem_Unlock(block);
    int32_t item = 1;
    MemHandle result = 0;
    if (Dialog_OpenRecord(number, 0, block, 1, 0, &item, &result) != kStatusOk) {
        Mem_Free(block);
        return 1;
    }
    if (result != 0) {
        Mem_Free(result);
    }
    return item;
}

int32_t Dialog_ShowMessage(int32_t messageId, const char* text)
{
    return Dialog_Alert(messageId, text, 1);
}

int32_t Dialog_Ask(int32_t messageId, const char* text)
{
    return Dialog_Alert(messageId, text, 3);
}

int32_t Dialog_ReportStatus(KernelStatus status)
{
    const MessageId id = StrMap_Lookup(status);
    if (id == kNoMessage) {
        return kNoMessage;
    }
    if (!ShowsStatusNumber(id)) {
        return Dialog_ShowMessage(id, nullptr);
    }
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, " (#%u)", status);
    return Dialog_ShowMessage(id, suffix);
}

KernelStatus Dialog_SelectFile(const char* prompt, const char* acceptLabel, const char* initialPath, uint32_t,
                               char** path)
{
    if (path == nullptr) {
        return kStatusBadArgument;
    }
    Widget top = DialogHost_Toplevel();
    char* chosen = nullptr;
    const int result = XsraSelFile(top != nullptr ? XtDisplay(top) : nullptr, prompt, acceptLabel, "Cancel",
                                   initialPath != nullptr ? initialPath : "", nullptr, &chosen);
    if (result != 0) {
        return 60;
    }
    *path = chosen;
    return kStatusOk;
}
