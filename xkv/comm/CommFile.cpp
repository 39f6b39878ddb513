// Loading the diagram named by the diagram path (the command-line argument,
// Open or Revert), saving to that path with the previous file kept as its "~"
// backup, and "Save" / "Save As...".
#include <string>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/comm/CommInternal.h"
#include "xkv/core/Core.h"
#include "xkv/cursor/Cursor.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr uint32_t kDiagramFile = 1;
constexpr uint32_t kDiagramLevel = 3;
constexpr uint32_t kRuleNoDiagram = 8;
constexpr uint32_t kRuleDiagramOpen = 9;
constexpr uint32_t kRuleDiagramNamed = 19;
constexpr int32_t kRequestSave = 24;
constexpr int32_t kRequestSaveAs = 65;
constexpr int32_t kStateSaveAsDialog = 17;
constexpr uint32_t kCursorBusy = 17;
constexpr MessageId kNoMessage = 9999;
constexpr size_t kShownPathMax = 160;

std::string DiagramPath(KernelStatus* status)
{
    char path[4096];
    *status = Comm_GetFilePath(kDiagramFile, path, sizeof path);
    return *status == kStatusOk ? std::string(path) : std::string();
}

bool PrintingFiles()
{
    return Velkor_Settings().printFiles != 0;
}

}  // namespace

KernelStatus Comm_ReadDiagramFile(ObjectGroup* pages)
{
    *pages = 0;
    KernelStatus status = kStatusOk;
    const std::string path = DiagramPath(&status);
    if (status != kStatusOk) {
        return status;
    }
    FileHandle file = 0;
    status = File_Open(path.c_str(), kOpenRead, &file);
    if (status != kStatusOk) {
        return status;
    }
    Cursor_Set(kCursorBusy);
    status = File_ReadDiagram(file, 0, pages);
    const KernelStatus closed = File_Close(file);
    return status != kStatusOk ? status : closed;
}

KernelStatus Comm_LoadDiagram()
{
    const uint32_t textMode = Comm_InTextMode();
    const bool wasOpen = Model_GetRoot() != 0;
    if (wasOpen) {
        if (textMode != 0) {
            Comm_SetTextMode(0);
        }
        const KernelStatus closed = Core_CloseModel();
        if (closed != kStatusOk) {
            return closed;
        }
    }
    Comm_SetCurrentPage(0);
    Default_RemoveLevel(kDiagramLevel, 0);
    if (wasOpen) {
        Comm_NotifyModelClosed();
    }
    ObjectGroup pages = 0;
    const KernelStatus status = Comm_ReadDiagramFile(&pages);
    if (status != kStatusOk) {
        // A refusal after the read diagram became current leaves it open.
        if (Model_GetRoot() != 0) {
            Core_CloseModel();
        }
        Comm_SetCurrentPage(0);
        Select_Clear();
        if (!PrintingFiles()) {
            Menu_ApplyRule(kRuleNoDiagram, 0);
        }
        Model_SetModified(0);
        return status;
    }
    if (!PrintingFiles()) {
        Menu_ApplyRule(kRuleDiagramOpen, 0);
        Menu_ApplyRule(kRuleDiagramNamed, 0);
        const uint16_t count = pages != 0 ? Group_Count(pages) : 0;
        for (uint16_t i = 0; i < count; ++i) {
            Comm_SetCurrentPage(Group_Member(pages, i));
        }
        if (count == 0 && Model_GetFirstPage() != 0) {
            Comm_SetCurrentPage(Model_GetFirstPage());
        }
    }
    if (pages != 0) {
        Group_Free(pages);
    }
    if (textMode != 0 && Comm_GetCurrentPage() != 0) {
        Comm_SetTextMode(1);
    }
    Model_SetModified(0);
    if (!PrintingFiles()) {
        Comm_Finish();
        StatusBar_Refresh();
    }
    return kStatusOk;
}

KernelStatus Comm_SaveDiagram()
{
    KernelStatus status = kStatusOk;
    const std::string path = DiagramPath(&status);
    if (status != kStatusOk) {
        return status;
    }
    // Written under the name with ".tmp"; only a complete file replaces the
    // old one, which stays as the "~" backup.
    Cursor_Set(kCursorBusy);
    status = File_SaveDiagram(path.c_str());
    if (status == kStatusOk) {
        Model_SetModified(0);
    }
    return status;
}

void Comm_ReportLoadFailure(KernelStatus status)
{
    // The application reports its own refusals.
    if (status == kStatusOk || status == kStatusRefusedByHook) {
        return;
    }
    KernelStatus pathStatus = kStatusOk;
    std::string path = DiagramPath(&pathStatus);
    if (path.size() > kShownPathMax) {
        path = "..." + path.substr(path.size() - kShownPathMax);
    }
    std::string reason;
    if (const MessageId id = StrMap_Lookup(status); id != kNoMessage) {
        String_GetFullText(id, &reason);
    }
    std::string text = "The diagram file " + path + " could not be loaded.";
    if (!reason.empty()) {
        text += " " + reason;
    }
    Dialog_ShowMessage(kNoMessage, text.c_str());
}

// "Save" with a known file name saves at once. Save without a name and
// "Save As..." keep a command event for Save As, which the answer of the
// file selector performs after saving under the chosen name.
COMM_HANDLER(Cmd_Save)
{
    if (Model_GetRoot() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const char* name = Comm_GetFileNameText(kDiagramFile);
    if (row->detail == kRequestSave && name != nullptr && name[0] != '\0') {
        const KernelStatus status = Comm_SaveDiagram();
        if (status != kStatusOk) {
            return status;
        }
        const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
        StatusBar_Refresh();
        return ended;
    }
    EventRec record{};
    Comm_CopyEvent(event, &record);
    const Modifiers& m = record.modifiers;
    const MemHandle saveAs = Event_NewCommand(m.shift, m.control, m.mod, m.lock, kRequestSaveAs);
    if (saveAs == 0 || Comm_PushArgument(saveAs) != 0) {
        if (saveAs != 0) {
            Event_Free(saveAs);
        }
        return 55;
    }
    if (const KernelStatus status = Comm_OpenFileDialog(kRequestSaveAs, nullptr, 0); status != kStatusOk) {
        return status;
    }
    *nextState = kStateSaveAsDialog;
    return kStatusOk;
}
