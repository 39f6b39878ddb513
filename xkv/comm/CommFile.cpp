// The file commands that need no dialog: loading the diagram named by the
// diagram path (the command-line argument, or a revert), and "Save" to that
// path with the previous file kept as its "~" backup.
#include <string>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
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
    status = File_SaveDiagram(path.c_str());
    if (status == kStatusOk) {
        Model_SetModified(0);
    }
    return status;
}

// "Save" with a known file name saves at once. Save without a name and
// "Save As..." ask for one through the file selector, which is not here yet.
COMM_HANDLER(Cmd_Save)
{
    if (row->detail != kRequestSave || Comm_GetFileNameText(kDiagramFile) == nullptr ||
        Comm_GetFileNameText(kDiagramFile)[0] == '\0') {
        return Comm_NotBuilt(row, event, nextState, freeFlag, "Save As");
    }
    if (Model_GetRoot() == 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    const KernelStatus status = Comm_SaveDiagram();
    if (status != kStatusOk) {
        return status;
    }
    const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
    StatusBar_Refresh();
    return ended;
}
