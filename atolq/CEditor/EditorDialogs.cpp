// Dialogs of the net editor around declaration nodes and the evaluator, and
// the answers that the evaluator's start-up asks of the editor: the login,
// the settings and the lost ML file.
#include "atolq/CEditor/EditorDialogs.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kOk = 1;
constexpr int16_t kCancel = 2;
constexpr int32_t kWholeText = 32767;

// A copy of the text for a caller that frees it with QXMem_Free.
char* NewString(const std::string& text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The text of a field when it has at most limit characters.
std::optional<std::string> FieldText(int32_t item, int32_t limit)
{
    const int32_t length = Dialog_GetItemTextLength(item);
    if (length < 0 || length > limit)
        return std::nullopt;
    std::vector<char> text(static_cast<size_t>(length) + 2, '\0');
    Dialog_GetItemText(item, text.data(), length + 1);
    return std::string(text.data());
}

// A refused field: the bell, and its text selected for retyping.
void Refuse(int32_t item)
{
    QXUI_Beep(0);
    Dialog_SetFocusItem(item);
    Dialog_SelectItemText(item, 0, kWholeText);
}

// ---- confirmation before storing the user's defaults ----

int16_t ConfirmCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    if (code == 0) {
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kOk || item == kCancel)
        Dialog_Close(item);
    return item;
}

// 1 unless "Cancel" closed the question (or it could not be shown).
int ConfirmSaveStandard()
{
    constexpr int32_t kConfirmDialog = 30155;
    return Dialog_OpenModal(kConfirmDialog, ConfirmCallback, nullptr) == kOk ? 1 : 0;
}

// ---- declaration-node kind ----

constexpr int32_t kDeclKindDialog = 30165;
constexpr int32_t kGlobalItem = 5;
constexpr int32_t kLocalItem = 7;

struct DeclKindChoice {
    int32_t chosen = kGlobalItem;
    bool ok = false;
};

int16_t DeclKindCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* choice = static_cast<DeclKindChoice*>(Dialog_GetClientData());
    if (choice == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetRadioGroup(kGlobalItem, kLocalItem, choice->chosen);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item >= kGlobalItem && item <= kLocalItem) {
        choice->chosen = item;
        Dialog_SetRadioGroup(kGlobalItem, kLocalItem, item);
    } else if (item == kOk || item == kCancel) {
        choice->ok = item == kOk;
        Dialog_Close(item);
    }
    return item;
}

// ---- login ----

constexpr int32_t kLoginDialog = 30800;
constexpr int32_t kUserItem = 6;
constexpr int32_t kPasswordItem = 8;
constexpr size_t kLoginTextMax = 255;
constexpr intptr_t kBackSpace = 8;
constexpr intptr_t kDelete = 127;

struct Login {
    std::string user;
    std::string password;
};

// The login kept for the session.
std::optional<Login> gKeptLogin;

struct LoginDialog {
    std::string proposedUser;
    std::string password;  // typed into the hidden field
    std::optional<Login> answer;
};

std::string ProcessUserName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

int16_t LoginCallback(int16_t, int32_t code, int16_t item, intptr_t value)
{
    auto* dialog = static_cast<LoginDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetItemText(kUserItem, dialog->proposedUser.c_str());
        Dialog_SetFocusItem(kUserItem);
        Dialog_SelectItemText(kUserItem, 0, kWholeText);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kPasswordItem) {
        // Every key typed into the password field is taken here and never
        // reaches the field, so nothing of the password shows.
        if (value == kBackSpace || value == kDelete) {
            if (!dialog->password.empty())
                dialog->password.pop_back();
        } else if (value >= 32 && value < 127 && dialog->password.size() < kLoginTextMax) {
            dialog->password.push_back(static_cast<char>(value));
        }
        return 0;
    }
    if (item == kOk) {
        const std::optional<std::string> user = FieldText(kUserItem, kLoginTextMax);
        if (!user.has_value() || user->find_first_not_of(' ') == std::string::npos) {
            Refuse(kUserItem);
            return item;
        }
        dialog->answer = Login{*user, dialog->password};
        Dialog_Close(item);
    } else if (item == kCancel) {
        Dialog_Close(item);
    }
    return item;
}

// ---- evaluator settings ----

constexpr int32_t kSettingsDialog = 32000;
constexpr int16_t kResetItem = 3;
constexpr int16_t kLoadItem = 4;
constexpr int16_t kSaveItem = 5;
constexpr int32_t kLocalRadio = 6;
constexpr int32_t kRemoteRadio = 7;
constexpr int32_t kHostItem = 8;
constexpr int32_t kPortItem = 9;
constexpr int32_t kRuntimeItem = 10;
constexpr int32_t kImageItem = 11;

using SettingsRecord = std::vector<uint8_t>;

uint32_t WordOf(const SettingsRecord& record, uint32_t offset)
{
    uint32_t word = 0;
    std::memcpy(&word, record.data() + offset, sizeof word);
    return word;
}

void PutWord(SettingsRecord* record, uint32_t offset, uint32_t word)
{
    std::memcpy(record->data() + offset, &word, sizeof word);
}

std::string TextOf(const SettingsRecord& record, uint32_t offset, uint32_t size)
{
    const char* text = reinterpret_cast<const char*>(record.data() + offset);
    return std::string(text, strnlen(text, size - 1));
}

void PutText(SettingsRecord* record, uint32_t offset, uint32_t size, const std::string& text)
{
    std::memset(record->data() + offset, 0, size);
    std::memcpy(record->data() + offset, text.data(), std::min<size_t>(text.size(), size - 1));
}

struct SettingsDialog {
    SettingsRecord started;  // the values the dialog opened with
    SettingsRecord record;
    bool ok = false;
};

void ShowSettings(const SettingsRecord& record)
{
    const bool local = WordOf(record, kMLLocalOffset) == 1;
    Dialog_SetRadioGroup(kLocalRadio, kRemoteRadio, local ? kLocalRadio : kRemoteRadio);
    Dialog_SetItemText(kHostItem, TextOf(record, kMLHostOffset, kMLHostSize).c_str());
    Dialog_SetItemText(kPortItem, std::to_string(WordOf(record, kMLPortOffset) & 0xffff).c_str());
    Dialog_SetItemText(kRuntimeItem, TextOf(record, kMLRuntimeOffset, kMLPathSize).c_str());
    Dialog_SetItemText(kImageItem, TextOf(record, kMLImageOffset, kMLPathSize).c_str());
}

// The items read into the record; false after refusing a field.
bool ReadSettings(SettingsRecord* record)
{
    const std::optional<std::string> host = FieldText(kHostItem, kMLHostSize - 1);
    if (!host.has_value()) {
        Refuse(kHostItem);
        return false;
    }
    const std::optional<std::string> portText = FieldText(kPortItem, 5);
    uint32_t port = 0;
    if (!portText.has_value() ||
        std::from_chars(portText->data(), portText->data() + portText->size(), port).ptr !=
            portText->data() + portText->size() ||
        portText->empty() || port < 1 || port > 65535) {
        Refuse(kPortItem);
        return false;
    }
    const std::optional<std::string> runtime = FieldText(kRuntimeItem, kMLPathSize - 1);
    if (!runtime.has_value()) {
        Refuse(kRuntimeItem);
        return false;
    }
    const std::optional<std::string> image = FieldText(kImageItem, kMLPathSize - 1);
    if (!image.has_value()) {
        Refuse(kImageItem);
        return false;
    }
    PutWord(record, kMLLocalOffset, Dialog_GetRadioChoice(kLocalRadio, kRemoteRadio) == kLocalRadio ? 1 : 0);
    PutWord(record, kMLPortOffset, port);
    PutText(record, kMLHostOffset, kMLHostSize, *host);
    PutText(record, kMLRuntimeOffset, kMLPathSize, *runtime);
    PutText(record, kMLImageOffset, kMLPathSize, *image);
    return true;
}

int16_t SettingsCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<SettingsDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        ShowSettings(dialog->record);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    switch (item) {
    case kOk:
        if (ReadSettings(&dialog->record)) {
            dialog->ok = true;
            Dialog_Close(item);
        }
        break;
    case kCancel:
        Dialog_Close(item);
        break;
    case kResetItem: {
        SettingsRecord diagram(kDefMLSettingsSize, 0);
        const bool fromDiagram =
            GE_GetCurrentDiagram() != 0 && DefGetMLSettings(diagram.data(), kDefLevelDiagram) != 0;
        ShowSettings(fromDiagram ? diagram : dialog->started);
        break;
    }
    case kLoadItem: {
        SettingsRecord standard(kDefMLSettingsSize, 0);
        if (DefGetMLSettings(standard.data(), kDefLevelStandard) != 0)
            ShowSettings(standard);
        break;
    }
    case kSaveItem: {
        SettingsRecord saved = dialog->record;
        if (ReadSettings(&saved) && ConfirmSaveStandard() != 0)
            DefSetMLSettings(saved.data(), kDefLevelStandard);
        break;
    }
    case kLocalRadio:
    case kRemoteRadio:
        Dialog_SetRadioGroup(kLocalRadio, kRemoteRadio, item);
        break;
    default:
        break;
    }
    return item;
}

// ---- lost ML file ----

constexpr int32_t kMLFileDialog = 32100;
constexpr int32_t kRebuildRadio = 3;
constexpr int32_t kRenameRadio = 4;
constexpr int32_t kNameItem = 5;
constexpr int32_t kMLNameMax = 256;

struct MLFileDialog {
    std::string name;
    int32_t chosen = kRebuildRadio;
    std::string newName;
    bool ok = false;
};

void ShowChoice(const MLFileDialog& dialog)
{
    Dialog_SetRadioGroup(kRebuildRadio, kRenameRadio, dialog.chosen);
    Dialog_ShowItem(kNameItem, dialog.chosen == kRenameRadio ? 1 : 0);
    if (dialog.chosen == kRenameRadio) {
        Dialog_SetFocusItem(kNameItem);
        Dialog_SelectItemText(kNameItem, 0, kWholeText);
    }
}

int16_t MLFileCallback(int16_t, int32_t code, int16_t item, intptr_t)
{
    auto* dialog = static_cast<MLFileDialog*>(Dialog_GetClientData());
    if (dialog == nullptr)
        return item;
    if (code == 0) {
        Dialog_SetItemText(kNameItem, dialog->name.c_str());
        ShowChoice(*dialog);
        Dialog_SetDefaultItem(kOk);
        return item;
    }
    if (item == kRebuildRadio || item == kRenameRadio) {
        dialog->chosen = item;
        ShowChoice(*dialog);
    } else if (item == kOk) {
        if (dialog->chosen == kRenameRadio) {
            // A plain file name: the file is looked for in the old directory.
            const std::optional<std::string> name = FieldText(kNameItem, kMLNameMax);
            if (!name.has_value() || name->empty() || name->find('/') != std::string::npos) {
                Refuse(kNameItem);
                return item;
            }
            dialog->newName = *name;
        }
        dialog->ok = true;
        Dialog_Close(item);
    } else if (item == kCancel) {
        Dialog_Close(item);
    }
    return item;
}

}  // namespace

int EE_AskDeclKind(int* answer)
{
    DeclKindChoice choice;
    Dialog_OpenModal(kDeclKindDialog, DeclKindCallback, &choice);
    if (!choice.ok)
        return 0;
    if (answer != nullptr)
        *answer = choice.chosen - kGlobalItem;
    return 1;
}

int EE_GetLogin(char** user, char** password, int forget)
{
    if (forget == 1)
        gKeptLogin.reset();
    if (!gKeptLogin.has_value()) {
        LoginDialog dialog;
        dialog.proposedUser = ProcessUserName();
        Dialog_OpenModal(kLoginDialog, LoginCallback, &dialog);
        if (!dialog.answer.has_value())
            return 0;
        gKeptLogin = std::move(dialog.answer);
    }
    *user = NewString(gKeptLogin->user);
    *password = NewString(gKeptLogin->password);
    return 1;
}

int EE_EditMLSettings()
{
    const bool diagramOpen = GE_GetCurrentDiagram() != 0;
    SettingsDialog dialog;
    dialog.record.assign(kDefMLSettingsSize, 0);
    if (DefGetMLSettings(dialog.record.data(), diagramOpen ? kDefLevelDiagram : kDefLevelStandard) == 0)
        return 0;
    dialog.started = dialog.record;
    Dialog_OpenModal(kSettingsDialog, SettingsCallback, &dialog);
    if (!dialog.ok || !diagramOpen)
        return 0;
    if (DefSetMLSettings(dialog.record.data(), kDefLevelDiagram) == 0)
        return 0;
    QXStr_SetModified(1);
    return 1;
}

int EE_AskMLFile(char** path, int* rebuild)
{
    if (path == nullptr || rebuild == nullptr)
        return 0;
    const std::string old = *path != nullptr ? *path : "";
    const size_t slash = old.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : old.substr(0, slash);
    MLFileDialog dialog;
    dialog.name = slash == std::string::npos ? old : old.substr(slash + 1);
    Dialog_OpenModal(kMLFileDialog, MLFileCallback, &dialog);
    if (!dialog.ok)
        return 0;
    if (dialog.chosen == kRebuildRadio) {
        *rebuild = 1;
        return 1;
    }
    *rebuild = 0;
    if (*path != nullptr)
        QXMem_Free(*path);
    *path = NewString(directory + "/" + dialog.newName);
    return 1;
}

void EE_MLOptions()
{
    EE_EditMLSettings();
}

// ---- the evaluator start's questions to the editor ----

int GE_LoginDialog(char** user, char** password)
{
    // Asked after the evaluator refused a login: the kept one is wrong.
    return EE_GetLogin(user, password, 1);
}

int GE_MLSettingsDialog()
{
    return EE_EditMLSettings();
}

int GE_MLImageDialog()
{
    char* path = GE_GetMLFileName();
    if (path == nullptr)
        path = NewString("");
    int rebuild = 0;
    int answer = 0;
    if (EE_AskMLFile(&path, &rebuild) != 0) {
        if (rebuild != 0) {
            GE_SetMLFileName(nullptr);
            answer = 2;
        } else {
            answer = GE_SetMLFileName(path) != 0 ? 1 : 0;
        }
    }
    QXMem_Free(path);
    return answer;
}
