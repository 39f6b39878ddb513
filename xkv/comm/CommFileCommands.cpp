// The whole-diagram file commands: New, Open, Close, Quit, Save As and
// Revert, with the save-changes protocol around them. A command that must
// wait for an answer keeps its event on the argument stack, opens the
// question or the file selector and goes on in the answer's handler.
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommEvents.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/comm/CommPageFile.h"
#include "xkv/comm/CommProperties.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/File.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/mods/Strings.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr int32_t kRequestClose = 3;
constexpr int32_t kRequestOpen = 16;
constexpr int32_t kRequestNew = 17;
constexpr int32_t kRequestQuit = 20;
constexpr int32_t kRequestSaveAs = 65;
constexpr int32_t kRequestLoadText = 67;
constexpr int32_t kRequestSaveText = 68;
constexpr int32_t kRequestLoadPage = 69;
constexpr int32_t kRequestSavePage = 70;

constexpr int32_t kStateFileDialog = 15;
constexpr int32_t kStateSaveChanges = 16;
constexpr int32_t kStateSaveAsDialog = 17;
constexpr int32_t kStateRevert = 25;
constexpr int32_t kStateOverwrite = 103;

constexpr int32_t kDialogFile = 1;
constexpr int32_t kDialogSaveChanges = 271;
constexpr int32_t kDialogYesNo = 273;

constexpr int32_t kAnswerOk = 0;
constexpr int32_t kAnswerThird = 3;

constexpr uint32_t kDiagramFile = 1;
constexpr uint32_t kDiagramLevel = 3;
constexpr uint32_t kPropertyPreferences = 18;
constexpr HookId kHookCloseCheck = 63;
constexpr KernelStatus kStatusBadFileName = 46;
constexpr KernelStatus kStatusNoKeptEvent = 46;
constexpr KernelStatus kStatusNotACommand = 7;

constexpr uint32_t kRuleNoDiagram = 8;
constexpr uint32_t kRuleDiagramOpen = 9;
constexpr uint32_t kRuleDiagramNamed = 19;
constexpr uint32_t kRuleDiagramClosed = 20;

constexpr MessageId kMessageSave = 22;
constexpr MessageId kMessageOpen = 23;
constexpr MessageId kMessageSaveDiagramAs = 26;
constexpr MessageId kMessageSavePageAs = 27;
constexpr MessageId kMessageSaveTextAs = 28;
constexpr MessageId kMessageOpenDiagram = 29;
constexpr MessageId kMessageLoadPage = 30;
constexpr MessageId kMessageLoadText = 31;
constexpr MessageId kMessageSaveChanges = 32;
constexpr MessageId kMessageRevert = 71;
constexpr MessageId kMessageOverwrite = 104;

// The file dialog's block, as the file selector reads and fills it.
constexpr size_t kFileBlockSize = 816;
constexpr size_t kFileNamePreset = 1;
constexpr size_t kFileDirectoryPreset = 2;
constexpr size_t kFileNameOffset = 28;
constexpr size_t kFileDirectoryOffset = 284;
constexpr size_t kFileLabelOffset = 540;
constexpr size_t kFileTitleOffset = 556;
constexpr size_t kFileRequestOffset = 812;
constexpr size_t kFileFieldSize = 256;
constexpr size_t kFileLabelSize = 16;

// The question dialogs' block: a flag byte and the question's text.
constexpr size_t kQuestionBlockSize = 280;
constexpr size_t kQuestionTextOffset = 24;
constexpr size_t kQuestionTextMax = 255;

struct FileDialogSetup {
    int32_t request;
    uint32_t kind;
    bool presetName;  // the directory is always preset
    MessageId label;
    MessageId title;
};

constexpr std::array<FileDialogSetup, 6> kFileDialogs = {{
    {kRequestOpen, 1, false, kMessageOpen, kMessageOpenDiagram},
    {kRequestSaveAs, 1, true, kMessageSave, kMessageSaveDiagramAs},
    {kRequestLoadText, 3, false, kMessageOpen, kMessageLoadText},
    {kRequestSaveText, 3, true, kMessageSave, kMessageSaveTextAs},
    {kRequestLoadPage, 2, false, kMessageOpen, kMessageLoadPage},
    {kRequestSavePage, 2, true, kMessageSave, kMessageSavePageAs},
}};

const FileDialogSetup* SetupOf(int32_t request)
{
    for (const FileDialogSetup& setup : kFileDialogs) {
        if (setup.request == request) {
            return &setup;
        }
    }
    return nullptr;
}

std::string MessageText(MessageId id)
{
    std::string text;
    String_GetFullText(id, &text);
    return text;
}

// Copies the text into a field of the given size, cut to leave its NUL.
void PutText(uint8_t* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

std::string FieldText(const uint8_t* field, size_t size)
{
    const char* text = reinterpret_cast<const char*>(field);
    return std::string(text, strnlen(text, size - 1));
}

bool DiagramOpen()
{
    return Model_GetRoot() != 0;
}

bool DiagramHasName()
{
    const char* name = Comm_GetFileNameText(kDiagramFile);
    return name != nullptr && name[0] != '\0';
}

// The application's close check (hook 63): false when it refuses.
bool ApplicationAllowsClose()
{
    return Hook_IsRegistered(kHookCloseCheck) == 0 || Hook_GetHandler(kHookCloseCheck)(0, 0, 0, 0, 0, 0) != 0;
}

// Keeps the command's event for the answer's handler.
void KeepEvent(MemHandle event, int32_t* freeFlag)
{
    if (Comm_PushArgument(event) == 0) {
        *freeFlag = 0;
    }
}

// Opens one of the two-button questions; its answer comes as a dialog event.
KernelStatus AskQuestion(int32_t dialog, MessageId message, uint8_t flag)
{
    MemHandle block = 0;
    void* data = nullptr;
    if (Mem_AllocLocked(&block, &data, kQuestionBlockSize) != kStatusOk || data == nullptr) {
        return 55;
    }
    auto* bytes = static_cast<uint8_t*>(data);
    std::memset(bytes, 0, kQuestionBlockSize);
    bytes[0] = flag;
    PutText(bytes + kQuestionTextOffset, kQuestionTextMax + 1, MessageText(message));
    Mem_Unlock(block);
    const KernelStatus status = Dialog_OpenRecord(dialog, 0, block, 0, 0, nullptr, nullptr);
    if (status != kStatusOk) {
        Mem_Free(block);
    }
    return status;
}

struct DialogAnswer {
    int32_t button = 1;
    MemHandle values = 0;
};

DialogAnswer ReadAnswer(MemHandle event)
{
    DialogAnswer answer;
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != kStatusOk || view.eventClass != kEventClassDialog) {
        return answer;
    }
    const auto block = static_cast<MemHandle>(view.payloadValue);
    uint32_t* words = nullptr;
    if (block == 0 || Mem_LockAs(block, &words) != kStatusOk || words == nullptr) {
        return answer;
    }
    if (Mem_Size(block) >= 3 * sizeof(uint32_t)) {
        answer.button = static_cast<int32_t>(words[1]);
        answer.values = words[2];
    }
    Mem_Unlock(block);
    return answer;
}

// Opens the file dialog for the request and sets the state its answer
// arrives in.
KernelStatus OpenFileDialogIn(int32_t request, int32_t state, int32_t* nextState)
{
    const KernelStatus status = Comm_OpenFileDialog(request, nullptr, 0);
    if (status == kStatusOk) {
        *nextState = state;
    }
    return status;
}

// Performs the request and ends the command; a failure goes back to the
// dispatcher, whose cancel ends the command.
KernelStatus PerformAndEnd(int32_t request, uint32_t saveFirst, const CommandBinding* row, MemHandle event,
                           int32_t* nextState, int32_t* freeFlag)
{
    if (const KernelStatus status = Comm_PerformFileCommand(request, saveFirst, nextState); status != kStatusOk) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

KernelStatus PerformKeptAndEnd(uint32_t saveFirst, const CommandBinding* row, MemHandle event, int32_t* nextState,
                               int32_t* freeFlag)
{
    if (const KernelStatus status = Comm_PerformKeptCommand(saveFirst, nextState); status != kStatusOk) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

// After the diagram has a name to be saved under: a kept Open saves and
// asks for the file to open; any other kept command is performed with the
// save first.
KernelStatus SaveAndGoOn(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (Comm_KeptRequest() == kRequestOpen) {
        if (const KernelStatus status = Comm_SaveDiagram(); status != kStatusOk) {
            return status;
        }
        StatusBar_Refresh();
        return OpenFileDialogIn(kRequestOpen, kStateFileDialog, nextState);
    }
    return PerformKeptAndEnd(1, row, event, nextState, freeFlag);
}

KernelStatus Quit()
{
    Velkor_SetRunning(0);
    // The diagram goes before the program ends, and the application is told.
    return DiagramOpen() ? Comm_CloseDiagram() : kStatusOk;
}

uint32_t ScrollPreference()
{
    MemHandle values = 0;
    if (Default_GetHandle(0, kDiagramLevel, kPropertyPreferences, &values, 1) != kStatusOk || values == 0) {
        return 0;
    }
    uint32_t flag = 0;
    uint8_t* data = nullptr;
    if (Mem_LockAs(values, &data) == kStatusOk && data != nullptr) {
        flag = Comm_PreferencesScrollFlag(data, Mem_Size(values));
        Mem_Unlock(values);
    }
    Mem_Free(values);
    return flag;
}

}  // namespace

uint32_t Comm_FileExists(uint32_t kind)
{
    char path[4096];
    if (Comm_GetFilePath(kind, path, sizeof path) != kStatusOk) {
        return 0;
    }
    return File_Exists(path) != 0 ? 1 : 0;
}

KernelStatus Comm_OpenFileDialog(int32_t request, MemHandle* answer, uint32_t modal)
{
    const FileDialogSetup* setup = SetupOf(request);
    if (setup == nullptr) {
        return kStatusBadArgument;
    }
    if (answer != nullptr) {
        *answer = 0;
    }
    MemHandle block = 0;
    void* data = nullptr;
    if (Mem_AllocLocked(&block, &data, kFileBlockSize) != kStatusOk || data == nullptr) {
        return 55;
    }
    auto* bytes = static_cast<uint8_t*>(data);
    std::memset(bytes, 0, kFileBlockSize);
    bytes[3] = 1;
    bytes[4] = 1;
    if (const char* directory = Comm_GetFileDirectoryText(setup->kind); directory != nullptr && directory[0] != '\0') {
        PutText(bytes + kFileDirectoryOffset, kFileFieldSize, directory);
        bytes[kFileDirectoryPreset] = 1;
    }
    if (const char* name = Comm_GetFileNameText(setup->kind); setup->presetName && name != nullptr && name[0] != '\0') {
        PutText(bytes + kFileNameOffset, kFileFieldSize, name);
        bytes[kFileNamePreset] = 1;
    }
    PutText(bytes + kFileLabelOffset, kFileLabelSize, MessageText(setup->label));
    PutText(bytes + kFileTitleOffset, kFileFieldSize, MessageText(setup->title));
    std::memcpy(bytes + kFileRequestOffset, &request, sizeof request);
    Mem_Unlock(block);

    int32_t item = 1;
    MemHandle result = 0;
    const KernelStatus status = Dialog_OpenRecord(kDialogFile, 0, block, modal != 0 ? 1 : 0, 0, &item, &result);
    // A chosen file takes the block over with the answer; after a cancel (or
    // a failure) it is still ours.
    const bool chosen = status == kStatusOk && (modal != 0 ? item == kAnswerOk : Dialog_GetLastResult() == kAnswerOk);
    if (!chosen) {
        Mem_Free(block);
    }
    if (modal != 0) {
        if (chosen && answer != nullptr) {
            *answer = result;
        } else if (result != 0) {
            Mem_Free(result);
        }
    }
    return status;
}

namespace {

// The file kind and the path chosen in the file dialog's answer.
KernelStatus ChosenPath(MemHandle answer, uint32_t* kind, std::string* path)
{
    uint8_t* bytes = nullptr;
    if (answer == 0 || Mem_LockAs(answer, &bytes) != kStatusOk || bytes == nullptr) {
        return kStatusBadArgument;
    }
    if (Mem_Size(answer) < kFileBlockSize) {
        Mem_Unlock(answer);
        return kStatusBadArgument;
    }
    int32_t request = 0;
    std::memcpy(&request, bytes + kFileRequestOffset, sizeof request);
    const std::string name = bytes[kFileNamePreset] == 1 ? FieldText(bytes + kFileNameOffset, kFileFieldSize) : "";
    const std::string directory =
        bytes[kFileDirectoryPreset] == 1 ? FieldText(bytes + kFileDirectoryOffset, kFileFieldSize) : "";
    Mem_Unlock(answer);
    const FileDialogSetup* setup = SetupOf(request);
    if (setup == nullptr) {
        return kStatusBadArgument;
    }
    // A directory alone names no file: going on would act on the file named
    // before.
    if (name.empty()) {
        return kStatusBadFileName;
    }
    *kind = setup->kind;
    *path = directory + name;
    return kStatusOk;
}

// The existing file that Save As waits to be allowed to overwrite. The
// diagram keeps its own name until the user agrees, so that a Save As given
// up on leaves the diagram named as before.
std::string& PathToOverwrite()
{
    static std::string path;
    return path;
}

}  // namespace

KernelStatus Comm_TakeFileDialogPaths(MemHandle answer)
{
    uint32_t kind = 0;
    std::string path;
    if (const KernelStatus status = ChosenPath(answer, &kind, &path); status != kStatusOk) {
        return status;
    }
    return Comm_SetFilePath(kind, path.c_str());
}

KernelStatus Comm_PerformFileCommand(int32_t request, uint32_t saveFirst, int32_t* nextState)
{
    if (saveFirst != 0) {
        if (const KernelStatus status = Comm_SaveDiagram(); status != kStatusOk) {
            return status;
        }
    }
    *nextState = kCommStateReady;
    switch (request) {
    case 0:
        return kStatusOk;
    case kRequestClose:
        return Comm_CloseDiagram();
    case kRequestOpen:
        // A file that cannot be read is shown with its name and the reason;
        // the command ends with no diagram half-loaded.
        Comm_ReportLoadFailure(Comm_LoadDiagram());
        return kStatusOk;
    case kRequestNew:
        return Comm_NewDiagram();
    case kRequestQuit:
        return Quit();
    case kRequestSaveAs:
        Menu_ApplyRule(kRuleDiagramNamed, 0);
        StatusBar_Refresh();
        return kStatusOk;
    case kRequestLoadText:
        return Comm_LoadTextFile(nextState);
    case kRequestSaveText:
        return Comm_SaveTextFile();
    case kRequestLoadPage:
        return Comm_LoadPage(nullptr);
    case kRequestSavePage:
        return Comm_SavePage(0);
    default:
        return kStatusBadArgument;
    }
}

KernelStatus Comm_PerformKeptCommand(uint32_t saveFirst, int32_t* nextState)
{
    const MemHandle event = Comm_PopArgument();
    if (event == 0) {
        return kStatusNoKeptEvent;
    }
    CommEventView view;
    const bool isCommand = Comm_ReadEvent(event, &view) == kStatusOk && view.eventClass == kEventClassCommand;
    const auto request = static_cast<int32_t>(view.payloadValue);
    Event_Free(event);
    if (!isCommand) {
        return kStatusNotACommand;
    }
    return Comm_PerformFileCommand(request, saveFirst, nextState);
}

int32_t Comm_KeptRequest()
{
    const MemHandle event = Comm_PeekArgument();
    CommEventView view;
    if (event == 0 || Comm_ReadEvent(event, &view) != kStatusOk || view.eventClass != kEventClassCommand) {
        return 0;
    }
    return static_cast<int32_t>(view.payloadValue);
}

KernelStatus Comm_NewDiagram()
{
    if (Comm_InTextMode() != 0) {
        Comm_SetTextMode(0);
    }
    if (DiagramOpen()) {
        Core_CloseModel();
        Comm_SetCurrentPage(0);
        Default_RemoveLevel(kDiagramLevel, 0);
        Comm_NotifyModelClosed();
    }
    ObjectHandle page = 0;
    if (const KernelStatus status = Core_NewModel(&page); status != kStatusOk) {
        if (DiagramOpen()) {
            Core_CloseModel();
        }
        Menu_ApplyRule(kRuleNoDiagram, 0);
        return status;
    }
    Comm_SetCurrentPage(page);
    Comm_SetFilePath(kDiagramFile, nullptr);
    Select_Clear();
    Comm_Finish();
    Menu_ApplyRule(kRuleDiagramOpen, 0);
    StatusBar_Refresh();
    Model_SetModified(0);
    Comm_SetScrollToSelection(ScrollPreference());
    return kStatusOk;
}

KernelStatus Comm_CloseDiagram()
{
    if (!DiagramOpen()) {
        return kStatusOk;
    }
    if (Comm_InTextMode() != 0) {
        Comm_SetTextMode(0);
    }
    if (const KernelStatus status = Core_CloseModel(); status != kStatusOk) {
        return status;
    }
    Comm_SetFilePath(kDiagramFile, nullptr);
    Comm_SetCurrentPage(0);
    Select_Clear();
    // The closed diagram's own defaults must not pass to the next one.
    Default_RemoveLevel(kDiagramLevel, 0);
    Comm_Finish();
    Menu_ApplyRule(kRuleDiagramClosed, 0);
    StatusBar_Refresh();
    Comm_NotifyModelClosed();
    return kStatusOk;
}

// New, Open, Close and Quit: the application may refuse; a modified diagram
// is offered for saving first; Open asks for its file.
COMM_HANDLER(Cmd_FileCommand)
{
    const int32_t request = row->detail;
    if (DiagramOpen() && !ApplicationAllowsClose()) {
        return kStatusRefusedByHook;  // the dispatcher's cancel ends the command
    }
    if (DiagramOpen() && Model_IsModified() != 0) {
        KeepEvent(event, freeFlag);
        if (const KernelStatus status = AskQuestion(kDialogSaveChanges, kMessageSaveChanges, 1); status != kStatusOk) {
            return status;
        }
        *nextState = kStateSaveChanges;
        return kStatusOk;
    }
    if (request == kRequestOpen) {
        KeepEvent(event, freeFlag);
        return OpenFileDialogIn(kRequestOpen, kStateFileDialog, nextState);
    }
    return PerformAndEnd(request, 0, row, event, nextState, freeFlag);
}

// The answer to "Do You Want To Save The Current Diagram?": Yes saves (under
// a name asked for when there is none), No goes on without saving, Cancel
// ends.
COMM_HANDLER(Cmd_SaveChangesDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button == kAnswerThird) {
        if (Comm_KeptRequest() == kRequestOpen) {
            return OpenFileDialogIn(kRequestOpen, kStateFileDialog, nextState);
        }
        return PerformKeptAndEnd(0, row, event, nextState, freeFlag);
    }
    if (answer.button != kAnswerOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (!DiagramHasName()) {
        return OpenFileDialogIn(kRequestSaveAs, kStateSaveAsDialog, nextState);
    }
    return SaveAndGoOn(row, event, nextState, freeFlag);
}

// The name chosen to save under: an existing file is overwritten only when
// the user agrees.
COMM_HANDLER(Cmd_SaveAsDialogDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button != kAnswerOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    uint32_t kind = 0;
    std::string path;
    if (const KernelStatus status = ChosenPath(answer.values, &kind, &path); status != kStatusOk) {
        return status;
    }
    if (File_Exists(path.c_str()) != 0) {
        PathToOverwrite() = path;
        if (const KernelStatus status = AskQuestion(kDialogYesNo, kMessageOverwrite, 0); status != kStatusOk) {
            return status;
        }
        *nextState = kStateOverwrite;
        return kStatusOk;
    }
    if (const KernelStatus status = Comm_SetFilePath(kDiagramFile, path.c_str()); status != kStatusOk) {
        return status;
    }
    return SaveAndGoOn(row, event, nextState, freeFlag);
}

// The answer to "File Exists, Do You Want to Overwrite?": anything but Yes
// asks for another name.
COMM_HANDLER(Cmd_ConfirmDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    const std::string path = std::move(PathToOverwrite());
    PathToOverwrite().clear();
    if (answer.button != kAnswerOk || path.empty()) {
        return OpenFileDialogIn(kRequestSaveAs, kStateSaveAsDialog, nextState);
    }
    if (const KernelStatus status = Comm_SetFilePath(kDiagramFile, path.c_str()); status != kStatusOk) {
        return status;
    }
    return SaveAndGoOn(row, event, nextState, freeFlag);
}

// The answer of the file selector for Open, Load and Save Page and Text.
COMM_HANDLER(Cmd_OpenDialogDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button != kAnswerOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (const KernelStatus status = Comm_TakeFileDialogPaths(answer.values); status != kStatusOk) {
        return status;
    }
    return PerformKeptAndEnd(0, row, event, nextState, freeFlag);
}

// Revert asks before it replaces a modified diagram with its saved file.
COMM_HANDLER(Cmd_Revert)
{
    if (!DiagramOpen() || !DiagramHasName() || Model_IsModified() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (const KernelStatus status = AskQuestion(kDialogYesNo, kMessageRevert, 0); status != kStatusOk) {
        return status;
    }
    *nextState = kStateRevert;
    return kStatusOk;
}

COMM_HANDLER(Cmd_RevertDone)
{
    const DialogAnswer answer = ReadAnswer(event);
    if (answer.button == kAnswerOk) {
        Comm_ReportLoadFailure(Comm_LoadDiagram());
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}
