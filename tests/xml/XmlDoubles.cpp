// Test doubles of the services that the XML path reaches through the net
// editor and the hierarchy page and that no module provides yet: objects are
// made through the kernel interface, the hierarchy-page updates go to the
// hierarchy page's own entries, dialogs answer at once and are recorded.
#include "XmlDoubles.h"

#include <cstdio>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/select/Select.h"
#include "xvfb.h"

// One private X server for all the XML tests.
TOLQ_X11_TEST_ENVIRONMENT();

XmlDoubleLog& xmlLog()
{
    static XmlDoubleLog log;
    return log;
}

// ---- kernel interface and dialogs ----
uint32_t QXUI_ShowMessage(const char* text)
{
    xmlLog().messages.emplace_back(text != nullptr ? text : "");
    return 1;
}
// Questions of the net data base's file handling are declined.
uint32_t QXUI_Confirm(const char*) { return 0; }
int GE_AskContinue(int16_t) { return 1; }
int GE_MessageBox(int16_t id)
{
    xmlLog().messageBoxes.push_back(id);
    return 1;
}

// ---- net editor: objects, selection, texts ----
ObjectHandle GE_NewPage(int flag) { return QXStr_CreatePageOpt(1, flag != 0 ? 0 : 257); }
ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t*)
{
    return QXStr_CreateNode(page, x, y, 0x140000, 0xa0000, 1);
}
void GE_ApplyDefaultAttributes(int32_t, ObjectHandle) {}
ObjectHandle GE_CreateConnectorByKey(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t)
{
    return QXStr_CreateConnector(page, from, to);
}
int GE_ObjectRefName(ObjectHandle, char* buffer)
{
    std::snprintf(buffer, 88, "***");
    return 1;
}
int GE_GetSelection(uint16_t* count, uint32_t** objects)
{
    const auto& selected = xmlLog().selection;
    *count = 0;
    *objects = nullptr;
    if (selected.empty())
        return 0;
    auto* list = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(selected.size() * sizeof(uint32_t))));
    for (size_t i = 0; i < selected.size(); ++i)
        list[i] = selected[i];
    *objects = list;
    *count = static_cast<uint16_t>(selected.size());
    return 1;
}
void GE_BeginTextEdit() {}
void GE_EndTextEdit() {}
void EE_StartCreation(int16_t, const void*) {}
uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) { return 1; }
void EE_AfterSelect(ObjectHandle) {}
void EE_PortText(ObjectHandle, char** text) { *text = nullptr; }
// The fusion tag shows the set's name.
void EE_FusionText(ObjectHandle node, char** text)
{
    *text = nullptr;
    SEHead* record = nullptr;
    if (GE_GetSERecord(node, &record) == 0 || record == nullptr)
        return;
    SEHead* set = SEGetFusSet(record);
    const char* name = set != nullptr ? SEGetName(set) : nullptr;
    if (name == nullptr || *name == '\0')
        return;
    const size_t length = std::strlen(name) + 1;
    *text = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(length)));
    std::memcpy(*text, name, length);
}
void EE_HierarchyText(ObjectHandle, char** text) { *text = nullptr; }
void EE_ApplyPageTitle(ObjectHandle) {}
ObjectHandle EE_DrawCompoundNode(uint16_t) { return 0; }
void EE_RefreshNodeName(uint32_t) {}
void EE_SetRegionState(ObjectHandle, int32_t, int32_t) {}
int EE_AskBarChart(void*, int) { return 0; }
int EE_AskLineChart(void*, int) { return 0; }
int ChartApplyBar(SEHead*, const void*) { return 0; }
int ChartApplyLine(SEHead*, const void*) { return 0; }
int DEMergeNodeText(uint32_t, uint32_t) { return 1; }
int DEDeleteEntry(SEDeclEntry*) { return 1; }
int EE_GetWorkingDirectory(char**, uint32_t*) { return 0; }

// ---- hierarchy page, under the names the net editor calls ----
uint32_t PG_GetHierarchyPage() { return PGGetHierarchyPage(); }
void PGDropPage(ObjectHandle page) { PGRemovePage(page); }
void PGPageChanged(ObjectHandle page) { PGSetNodeText(page); }
void PGUpdatePage(ObjectHandle) {}
void PGUpdateNode(ObjectHandle) {}
void PGDropSubpageArc(ObjectHandle node) { PGRemoveRelation(node); }

// ---- defaults file, abstract net, code generator, simulator, evaluator ----
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}
int SMLSessionInit() { return 0; }
int SMLSessionReset() { return 0; }
int SMLIsConnected() { return 0; }
