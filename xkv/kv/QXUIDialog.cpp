// QX user interface functions that talk to the user through modal dialogs of
// the kernel's dialog toolkit: the message box, the yes/no question, the text
// and number prompts, and the range check that explains a refused number.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"
#include "xkv/mem/Mem.h"

namespace {

constexpr int32_t kNoMessage = 9999;
constexpr int32_t kAlertMessage = 1;   // dialog 1000, OK
constexpr int32_t kAlertQuestion = 2;  // dialog 273, Yes and No

// Dialog 258's record: the prompt (item 3) and the text field (item 4), each
// a 256-byte text with its terminating zero.
constexpr int32_t kAskDialog = 258;
constexpr size_t kAskRecordSize = 536;
constexpr size_t kAskPromptOffset = 24;
constexpr size_t kAskFieldOffset = 280;
constexpr size_t kAskTextMax = 255;

void CopyText(uint8_t* to, const char* from)
{
    if (from == nullptr) {
        return;
    }
    std::memcpy(to, from, strnlen(from, kAskTextMax));
}

// Runs dialog 258 with the prompt and the initial field text; true with the
// field's text when it was closed with its first button (OK).
bool Ask(const char* prompt, const char* initial, std::string* answer)
{
    MemHandle record = 0;
    void* data = nullptr;
    if (Mem_AllocLocked(&record, &data, kAskRecordSize) != kStatusOk) {
        return false;
    }
    auto* bytes = static_cast<uint8_t*>(data);
    std::memset(bytes, 0, kAskRecordSize);
    CopyText(bytes + kAskPromptOffset, prompt);
    CopyText(bytes + kAskFieldOffset, initial);
    Mem_Unlock(record);
    // The closing item less one: 0 for OK; a dialog that did not run leaves 1.
    int32_t item = 1;
    MemHandle result = 0;
    if (Dialog_OpenRecord(kAskDialog, 0, record, 1, 0, &item, &result) != kStatusOk) {
        Mem_Free(record);
        return false;
    }
    bool accepted = false;
    if (item == 0 && result != 0) {
        char* text = nullptr;
        if (Mem_LockAs(result, &text) == kStatusOk) {
            if (Mem_Size(result) >= kAskRecordSize) {
                answer->assign(text + kAskFieldOffset, strnlen(text + kAskFieldOffset, kAskTextMax));
                accepted = true;
            }
            Mem_Unlock(result);
        }
    }
    if (result != 0) {
        Mem_Free(result);
    }
    return accepted;
}

// The number at the start of the text, as scanf reads one; false when there
// is none or it does not fit between the bounds.
bool ParseNumber(const std::string& text, long minimum, long maximum, long* value)
{
    const char* start = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || parsed < minimum || parsed > maximum) {
        return false;
    }
    *value = parsed;
    return true;
}

}  // namespace

uint32_t QXUI_ShowMessage(const char* text)
{
    return Dialog_Alert(kNoMessage, text != nullptr ? text : "", kAlertMessage) == 0 ? 1 : 0;
}

uint32_t QXUI_Confirm(const char* text)
{
    return Dialog_Alert(kNoMessage, text != nullptr ? text : "", kAlertQuestion) == 0 ? 1 : 0;
}

uint32_t QXUI_AskString(const char* prompt, char* text)
{
    if (text == nullptr) {
        return 0;
    }
    std::string answer;
    if (!Ask(prompt, text, &answer)) {
        return 0;
    }
    std::memcpy(text, answer.c_str(), answer.size() + 1);
    return 1;
}

uint32_t QXUI_AskNumber(const char* prompt, int32_t* value)
{
    if (value == nullptr) {
        return 0;
    }
    char initial[16];
    std::snprintf(initial, sizeof initial, "%ld", static_cast<long>(*value));
    std::string answer;
    long number = 0;
    if (!Ask(prompt, initial, &answer) || !ParseNumber(answer, INT32_MIN, INT32_MAX, &number)) {
        return 0;
    }
    *value = static_cast<int32_t>(number);
    return 1;
}

uint32_t QXUI_AskShort(const char* prompt, int16_t* value)
{
    if (value == nullptr) {
        return 0;
    }
    char initial[8];
    std::snprintf(initial, sizeof initial, "%hd", *value);
    std::string answer;
    long number = 0;
    if (!Ask(prompt, initial, &answer) || !ParseNumber(answer, INT16_MIN, INT16_MAX, &number)) {
        return 0;
    }
    *value = static_cast<int16_t>(number);
    return 1;
}

uint32_t QXUI_CheckRange(int16_t value, int16_t minimum, int16_t maximum, int16_t nameId)
{
    if (minimum <= value && value <= maximum) {
        return 1;
    }
    std::string text = QXUI_GetMessage(nameId);
    char bounds[32];
    std::snprintf(bounds, sizeof bounds, " %d and %d", minimum, maximum);
    text += " must have a value between";
    text += bounds;
    QXUI_ShowMessage(text.c_str());
    return 0;
}
