// The net layer's questions: continue, yes/no/cancel and yes/no boxes on message-table
// texts, the number prompt and the start-mode choice. Each fills its dialog
// when it is built and turns the button that closed it into a plain answer.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "atolq/CEditor/MessageBox.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kFirstButton = 1;

// One question box: its dialog, the item that shows the text and the last
// button item.
struct QuestionForm {
    int32_t dialog;
    int32_t textItem;
    int16_t lastButton;
};

constexpr QuestionForm kContinue{30001, 4, 2};
constexpr QuestionForm kYesNoCancel{30550, 5, 3};
constexpr QuestionForm kYesNo{30555, 4, 2};

struct Question {
    const QuestionForm* form;
    int16_t id;
    int16_t closedBy = 0;
};

int16_t QuestionCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* question = static_cast<Question*>(Dialog_GetClientData());
    if (question == nullptr)
        return item;
    if (code == 0) {
        char text[kGEMessageTextSize];
        GE_GetMessageText(question->id, text);
        Dialog_SetItemText(question->form->textItem, text);
        Dialog_SetDefaultItem(kFirstButton);
        return item;
    }
    if (item >= kFirstButton && item <= question->form->lastButton) {
        question->closedBy = item;
        Dialog_Close(item);
    }
    return item;
}

// The button that closed the box, 0 when it could not be opened.
int16_t Ask(const QuestionForm& form, int16_t id)
{
    QXUI_Beep(0);
    Question question{&form, id};
    Dialog_OpenModal(form.dialog, QuestionCallback, &question);
    return question.closedBy;
}

// ---- number prompt ----

constexpr int32_t kNumberDialog = 31010;
constexpr int32_t kNumberItem = 4;
constexpr int32_t kNumberTextItem = 5;
constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;

// The last number read from the prompt, shared by all its uses.
int16_t gRememberedNumber = 1;

struct NumberPrompt {
    int16_t id;
    int16_t closedBy = 0;
    int16_t value = 0;
};

// The field's text as a whole number of 16 bits (blanks around it allowed).
bool ReadNumber(int16_t* value)
{
    constexpr int32_t kLongestNumber = 32;
    char text[kLongestNumber + 2] = {};
    if (Dialog_GetItemTextLength(kNumberItem) > kLongestNumber)
        return false;
    Dialog_GetItemText(kNumberItem, text, kLongestNumber + 1);
    std::string_view digits(text);
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    int parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || parsed < INT16_MIN ||
        parsed > INT16_MAX)
        return false;
    *value = static_cast<int16_t>(parsed);
    return true;
}

int16_t NumberCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* prompt = static_cast<NumberPrompt*>(Dialog_GetClientData());
    if (prompt == nullptr)
        return item;
    if (code == 0) {
        char text[kGEMessageTextSize];
        GE_GetMessageText(prompt->id, text);
        Dialog_SetItemText(kNumberTextItem, text);
        char number[16];
        std::snprintf(number, sizeof number, "%d", gRememberedNumber);
        Dialog_SetItemText(kNumberItem, number);
        Dialog_SetFocusItem(kNumberItem);
        Dialog_SelectItemText(kNumberItem, 0, 32767);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kOk || item == kCancel) {
        int16_t value = 0;
        const bool readable = ReadNumber(&value);
        if (!readable && item == kOk) {
            // Not a number of 16 bits: refused, the text selected for retyping.
            QXUI_Beep(0);
            Dialog_SetFocusItem(kNumberItem);
            Dialog_SelectItemText(kNumberItem, 0, 32767);
            return item;
        }
        // The number is remembered whichever button closed the prompt.
        if (readable) {
            prompt->value = value;
            gRememberedNumber = value;
        }
        prompt->closedBy = item;
        Dialog_Close(item);
    }
    return item;
}

// ---- start mode ----

constexpr int32_t kStartModeDialog = 30015;
constexpr int32_t kEnterEditor = 7;
constexpr int32_t kEnterSimulator = 8;
constexpr int32_t kEnterGSPN = 9;

struct StartModeChoice {
    int32_t chosen;
    int16_t closedBy = 0;
};

int16_t StartModeCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<StartModeChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(kEnterEditor, kEnterSimulator, choice->chosen);
        Dialog_ShowItem(kEnterGSPN, 0);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kEnterEditor || item == kEnterSimulator) {
        choice->chosen = item;
        Dialog_SetRadioGroup(kEnterEditor, kEnterSimulator, item);
    } else if (item == kOk || item == kCancel) {
        choice->closedBy = item;
        Dialog_Close(item);
    }
    return item;
}

}  // namespace

int GE_AskContinue(int16_t id)
{
    return Ask(kContinue, id) == 1 ? 1 : 0;
}

int GE_AskYesNoCancel(int16_t id, const char*)
{
    switch (Ask(kYesNoCancel, id)) {
    case 1: return 1;
    case 3: return 0;
    default: return -1;
    }
}

int GE_AskYesNo(int16_t id, const char*)
{
    return Ask(kYesNo, id) == 1 ? 1 : 0;
}

int GE_AskNumber(int16_t id, int16_t* number)
{
    NumberPrompt prompt{id};
    Dialog_OpenModal(kNumberDialog, NumberCallback, &prompt);
    if (prompt.closedBy != kOk)
        return 0;
    if (number != nullptr)
        *number = prompt.value;
    return 1;
}

int GE_ChooseStartMode(int* mode)
{
    StartModeChoice choice{mode != nullptr && *mode == 2 ? kEnterSimulator : kEnterEditor};
    Dialog_OpenModal(kStartModeDialog, StartModeCallback, &choice);
    if (choice.closedBy != kOk)
        return 0;
    if (mode != nullptr)
        *mode = choice.chosen == kEnterSimulator ? 2 : 1;
    return 1;
}
