// Starting the net layer in an application mode (with the user's defaults
// read first), and the pages a page command applies to (hook 85), also when
// page nodes are selected on the hierarchy page.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetOptions.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/CEditor/RXLCandidates.h"
#include "atolq/CEditor/RXLNets.h"
#include "atolq/CEditor/SimulatorEntry.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr int16_t kMsgNoSuchMode = 16388;
constexpr int16_t kMsgNodesOnly = 11323;
constexpr int16_t kMsgPageNodesOnly = 11299;

}  // namespace

uint32_t GE_StartMode(uint16_t mode)
{
    QXMenu_SetMenuTitle(4, "Aux");
    EE_InstallStartMenus();
    // A model of the sibling tool read before the menus were made keeps its
    // options item.
    if (SInRXLMode() != 0)
        SAddRXLOptionsItem();
    // The user declined to go on without a readable defaults file.
    if (GE_InitDefaults(1) == 0)
        EE_Quit();
    SEInitPools();
    switch (mode) {
    case kGEStartEditor:
        return GE_EnterEditor();
    case kGEStartSimulator:
        GE_SetModeHooks(kGEModeEditor);
        return EE_SwitchToSimulator() != 0 ? 1 : GE_EnterEditor();
    case kGEStartMatricer:
    case kGEStartOccurrencer:
        return 1;
    case kGEStartScripted:
        GE_EnterEditor();
        EE_RunToolExtension();
        if (GE_Options().quit != 0) {
            QXStr_SetModified(0);
            EE_Quit();
        }
        return 1;
    default:
        EE_ReportError(kMsgNoSuchMode);
        return 0;
    }
}

namespace {

// A QXMem block holding the pages; out of memory is fatal.
uint32_t* PageBlock(const std::vector<ObjectHandle>& pages)
{
    auto* block = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(pages.size() * sizeof(uint32_t))));
    if (block == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    std::copy(pages.begin(), pages.end(), block);
    return block;
}

// The pages of the page nodes selected on the hierarchy page, in selection
// order; false (after its message) when the selection holds anything else.
bool SelectedPageNodes(std::vector<ObjectHandle>* pages)
{
    uint16_t count = 0;
    uint32_t* selection = nullptr;
    if (GE_GetSelection(&count, &selection) == 0 || selection == nullptr || count == 0) {
        if (selection != nullptr)
            QXMem_Free(selection);
        return true;
    }
    const std::vector<ObjectHandle> selected(selection, selection + count);
    QXMem_Free(selection);
    if ((QXRdAttr_GetObjectType(selected.front()) & kQXKindNode) == 0) {
        GE_MessageBox(kMsgNodesOnly);
        return false;
    }
    for (const ObjectHandle node : selected) {
        uint32_t size = 0;
        const ObjectHandle page = PGIsHierarchyObject(node, &size) != 0 ? PGNodePage(node) : 0;
        if (page == 0) {
            GE_MessageBox(kMsgPageNodesOnly);
            pages->clear();
            return false;
        }
        pages->push_back(page);
    }
    return true;
}

}  // namespace

int EE_GetSelectedPages(uint16_t* count, uint32_t** pages)
{
    *count = 0;
    *pages = nullptr;
    const ObjectHandle page = QXStr_GetCurPage();
    if (page == 0)
        return 0;
    uint32_t size = 0;
    if (PGIsHierarchyObject(page, &size) == 0) {
        *pages = PageBlock({page});
        *count = 1;
        return 1;
    }
    std::vector<ObjectHandle> chosen;
    if (!SelectedPageNodes(&chosen))
        return 0;
    if (!chosen.empty()) {
        *pages = PageBlock(chosen);
        *count = static_cast<uint16_t>(chosen.size());
    }
    return 1;
}

uintptr_t EE_HookPages(uintptr_t countAddress, uintptr_t pagesAddress, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    auto* count = reinterpret_cast<uint16_t*>(countAddress);
    auto* pages = reinterpret_cast<uint32_t**>(pagesAddress);
    if (count == nullptr || pages == nullptr)
        return 0;
    uint16_t got = 0;
    uint32_t* list = nullptr;
    const int result = EE_GetSelectedPages(&got, &list);
    *count = 0;
    *pages = nullptr;
    if (result != 0 && got != 0) {
        auto* copy = static_cast<uint32_t*>(std::malloc(got * sizeof(uint32_t)));
        if (copy == nullptr) {
            QXMem_Free(list);
            EE_FatalError(kMsgOutOfMemory);
        }
        std::memcpy(copy, list, got * sizeof(uint32_t));
        *pages = copy;
        *count = got;
    }
    if (list != nullptr)
        QXMem_Free(list);
    return static_cast<uintptr_t>(result);
}
