// Diagram life-cycle hooks of the editor: the abstract net and its data base
// file follow the kernel's new, save, load and close of a diagram.
#include "atolq/CEditor/DiagramLife.h"

#include <utility>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/CheckDriver.h"
#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/LifeSeams.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/NetDataBase.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "atolq/CEditor/RXLNets.h"
#include "atolq/CSimulator/SimSwitch.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgNotInterchangeable = 11355;
constexpr int16_t kMsgNoDataBase = 11294;
constexpr uint32_t kTagHierarchyObject = 0xF900;
constexpr uint32_t kTagSavedState = 0xF903;
constexpr int16_t kMsgEnterSimulator = 11832;
// "Save XML..." is there for every open diagram.
constexpr uint32_t kCommandSaveXml = 11261;
constexpr uint32_t kItemEnable = 1, kItemDisable = 2;

// The busy state begun before the diagram is written or read.
int busyCursor = 0;
HookHandler savedPageHook = nullptr;

uintptr_t Finish(uintptr_t result)
{
    EE_EndBusy(busyCursor);
    // A failed load leaves no half-read net behind.
    if (result == 0) {
        SEStop();
        GE_SetCurrentDiagram(0);
        QXMenu_SetItemState(kCommandSaveXml, kItemDisable);
    }
    GE_ForgetModelMap();
    return result;
}

// Reads the data base file and relinks its records to the loaded objects.
bool RestoreNet(MemHandle map)
{
    QXUI_SetStatusBarMessage("Loading Data Base File...");
    if (GE_LoadDataBase(map) == 0)
        return false;
    QXUI_SetStatusBarMessage("Restoring Data Base File...");
    return SERelinkDB(GE_TranslateRecordLink) != 0 && GE_UpdateReferences() != 0;
}

// The text being edited goes into the net before the diagram is written.
void StoreEditedText()
{
    const ObjectHandle edited = GE_GetTextEditObject();
    if (Comm_InTextMode() != 0 && edited != 0)
        EE_UpdateNetFromObject(edited);
}

}  // namespace

int EE_AskModeForLoad()
{
    const ObjectHandle pageList = QXStr_HasDiagram() != 0 ? QXStr_GetPageListHandle() : 0;
    if (pageList == 0)
        return 0;
    if (GE_HasUserData(pageList, kTagSavedState) != 0 && GE_GetMode() == kGEModeEditor)
        return GE_AskYesNo(kMsgEnterSimulator, "Switch to Simulator");
    return 1;
}

int EE_ConvertOldDiagram()
{
    GE_ConvertDiagramDefaults();
    if (GE_IsForeignFile() != 0) {
        QXUI_SetStatusBarMessage("Fixing strings from foreign file...");
        SEFixStrings();
    }
    GE_ClearFileCodes();
    return 1;
}

void EE_AfterNewCommand(uint32_t previousPage)
{
    const ObjectHandle page = QXStr_GetCurPage();
    SEHead* record = nullptr;
    if (previousPage != 0 &&
        (GE_GetSERecord(page, &record) != 0 || GE_HasUserData(previousPage, kTagHierarchyObject) != 0))
        return;
    EE_NewDiagram(page);
}

void EE_InstallLifeCycle()
{
    const std::pair<HookId, HookHandler> handlers[] = {{48, EE_DiagramSaving}, {38, EE_DiagramSaved},
                                                       {42, EE_DiagramLoading}, {32, EE_DiagramRead},
                                                       {64, EE_DiagramClosed}, {78, EE_AfterFileRead}};
    for (const auto& [hook, handler] : handlers)
        GE_SetEditorHookHandler(hook, handler);
    GE_SetNewDiagramHandler(EE_AfterNewCommand);
}

uintptr_t EE_DiagramSaving(uintptr_t, uintptr_t flag, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (flag != 0)
        return 1;
    StoreEditedText();
    busyCursor = EE_BeginBusy("Saving Diagram Defaults...");
    GE_StoreMLFileName();
    QXUI_FlushDisplay();
    QXUI_SetStatusBarMessage("Saving Diagram File...");
    return 1;
}

uintptr_t EE_DiagramSaved(uintptr_t, uintptr_t flag, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    if (flag != 0)
        return 1;
    QXUI_FlushDisplay();
    GE_SaveDataBase();
    GE_SetStateFlags(kGEMenusStale);
    GE_RequestMenuUpdate();
    EE_EndBusy(busyCursor);
    return 1;
}

uintptr_t EE_DiagramLoading(uintptr_t, uintptr_t, uintptr_t loadingSub, uintptr_t fileIsSub, uintptr_t, uintptr_t)
{
    if ((loadingSub != 0) != (fileIsSub != 0)) {
        GE_MessageBox(kMsgNotInterchangeable);
        return 0;
    }
    GE_ClearFileCodes();
    if (loadingSub != 0) {
        savedPageHook = Hook_GetApplicationHandler(kHookPageChanged);
        Hook_Unregister(kHookPageChanged);
        return 1;
    }
    if (GE_DataBaseExists() == 0) {
        GE_MessageBox(kMsgNoDataBase);
        return 0;
    }
    SEStart();
    busyCursor = EE_BeginBusy("Loading Diagram File...");
    return 1;
}

uintptr_t EE_DiagramRead(uintptr_t, uintptr_t, uintptr_t loadingSub, uintptr_t map, uintptr_t, uintptr_t)
{
    QXMenu_SetItemState(kCommandSaveXml, kItemEnable);
    RXLReadDiagram(static_cast<MemHandle>(map));
    if (loadingSub != 0) {
        if (savedPageHook != nullptr)
            Hook_Set(kHookPageChanged, savedPageHook);
        savedPageHook = nullptr;
        GE_ForgetModelMap();
        return 1;
    }
    // A diagram saved in a simulation state is opened only when the user
    // agrees to the simulator.
    if (EE_AskModeForLoad() == 0) {
        QXUI_UpdateStatusBar();
        return Finish(0);
    }
    if (!RestoreNet(static_cast<MemHandle>(map)))
        return Finish(0);
    QXUI_SetStatusBarMessage("Loading Diagram Defaults...");
    GE_SetCurrentDiagram(QXStr_GetPageListHandle());
    GE_ApplyDiagramSettings(0);
    QXUI_SetStatusBarMessage("Converting old version diagram, save to record changes...");
    EE_ConvertOldDiagram();
    if (GE_CompareVersions(SEGetDBVersion(), "3.01") < 0)
        SEVisitNodeObjects();
    PGGetHierarchyPage();
    // A saved simulation state is taken up in the simulator.
    if (GE_HasUserData(QXStr_GetPageListHandle(), kTagSavedState) != 0 && SLoadSavedDiagram() == 0)
        return Finish(0);
    // Laying out the hierarchy page is part of the load, not an edit to undo.
    QXUI_ClearUndo();
    GE_SetStateFlags(kGEMenusStale);
    return Finish(1);
}

uintptr_t EE_DiagramClosed(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    GE_SetCurrentDiagram(0);
    SEStop();
    QXMenu_SetItemState(kCommandSaveXml, kItemDisable);
    // What undo remembers belongs to the closed diagram.
    QXUI_ClearUndo();
    return 1;
}
