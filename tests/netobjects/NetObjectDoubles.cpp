// Test doubles of the kernel, net editor, hierarchy page, declaration, chart,
// simulator, code generator and evaluator services called by the code under
// test. They log what they were asked (NetObjectDoubles.h).
#include "NetObjectDoubles.h"

#include <array>
#include <cstring>
#include <tuple>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"

NetObjectLog& objectLog()
{
    static NetObjectLog log;
    return log;
}

namespace {

char* Copy(const std::string& text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

// ---- message boxes ----
int GE_MessageBox(int16_t id)
{
    objectLog().messageBoxes.push_back(id);
    return 1;
}

// ---- Seams.h (defaults file and records) ----
uint32_t QXUI_ShowMessage(const char*) { return 1; }
int GE_AskContinue(int16_t) { return 1; }
void PGReadOptions(int) {}
void PGSetLayoutOptions(int, int, int32_t, int32_t, uint16_t, uint16_t) {}
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char** directory, uint32_t* length)
{
    *directory = Copy("/");
    *length = 1;
    return 1;
}

// ---- SEServices.h (abstract net) ----
int GE_TranslateHandle(uint32_t*) { return 1; }
int CTSFindGlobalDeclNode(SEDeclNode**, int) { return 0; }
void CTSResetCheckInfo(SETrans*) {}
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}
int SMLSessionInit() { return 0; }
int SMLSessionReset() { return 0; }
int SMLIsConnected() { return 0; }

// ---- NetObjectSeams.h ----
ObjectHandle QXUI_PickObject(int32_t kinds, uint32_t)
{
    auto& log = objectLog();
    log.pickKinds.push_back(kinds);
    for (uint32_t candidate : log.pickCandidates) {
        uint32_t scratch = 0;
        if (Hook_Fire(65, candidate, reinterpret_cast<uintptr_t>(&scratch)) != 0) {
            return candidate;
        }
    }
    return 0;
}

uint32_t QXWtAttr_SetConnEnds(ObjectHandle connector, ObjectHandle node1, ObjectHandle region1, ObjectHandle node2,
                              ObjectHandle region2)
{
    objectLog().reattached.push_back(connector);
    return Model_SetConnectorEnds(connector, region1 != 0 ? region1 : node1, region2 != 0 ? region2 : node2) ==
                   kStatusOk
               ? 1
               : 0;
}

void GE_ApplyDefaultAttributes(int32_t key, ObjectHandle object)
{
    objectLog().appliedDefaults.emplace_back(key, object);
    // Regions take the region tag of their record (words 24 to 26).
    std::array<uint32_t, kDefAttributeWords> words{};
    if (DefGetByKey(key, words.data(), kDefLevelDiagram) != 0 && key >= 49 && key <= 80) {
        GE_SetChartTag(object, static_cast<uint8_t>(words[24]), static_cast<uint8_t>(words[25]),
                       static_cast<uint16_t>(words[26]));
    }
}

void GE_BeginTextEdit() { ++objectLog().textEditsBegun; }
void GE_EndTextEdit() { ++objectLog().textEditsEnded; }
void EE_StartCreation(int16_t cursor, const void* record)
{
    int32_t shape = 0;
    if (record != nullptr) {
        std::memcpy(&shape, static_cast<const uint8_t*>(record) + 14 * 4, 4);
    }
    objectLog().creations.emplace_back(cursor, shape);
}

int GE_GetSelection(uint16_t* count, uint32_t** objects)
{
    const auto& selection = objectLog().selection;
    *count = static_cast<uint16_t>(selection.size());
    *objects = nullptr;
    if (selection.empty()) {
        return 0;
    }
    *objects = static_cast<uint32_t*>(QXMem_Alloc(static_cast<uint32_t>(selection.size() * 4)));
    std::memcpy(*objects, selection.data(), selection.size() * 4);
    return 1;
}
uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) { return 1; }
void EE_UpdateNetFromObject(ObjectHandle object) { objectLog().updatedFromObject.push_back(object); }
void EE_AfterSelect(ObjectHandle) {}

void EE_PortText(ObjectHandle node, char** text)
{
    *text = Copy(objectLog().portTexts[node]);
}

void EE_FusionText(ObjectHandle node, char** text)
{
    SEHead* record = nullptr;
    GE_GetSERecord(node, &record);
    SEHead* set = record != nullptr ? SEGetFusSet(record) : nullptr;
    const char* name = set != nullptr ? SEGetName(set) : nullptr;
    *text = Copy(name != nullptr ? name : "");
}

void EE_HierarchyText(ObjectHandle node, char** text)
{
    *text = Copy(objectLog().hierarchyTexts[node]);
}

void EE_ApplyPageTitle(ObjectHandle) {}

int EE_SetModeAttributes(ObjectHandle node, const uint32_t*)
{
    objectLog().modeAttributeStores.push_back(node);
    return 1;
}

int EE_UpdatePageNameRegion(ObjectHandle object)
{
    objectLog().pageNameUpdates.push_back(object);
    return 1;
}

int EE_BeginBusy(const char* text)
{
    objectLog().busyTexts.emplace_back(text != nullptr ? text : "");
    return 0;
}

void EE_EndBusy(int) {}

uint32_t PG_GetHierarchyPage() { return objectLog().hierarchyPage; }
ObjectHandle PGFindPageNode(ObjectHandle page)
{
    auto found = objectLog().pageNodes.find(page);
    return found != objectLog().pageNodes.end() ? found->second : 0;
}
ObjectHandle PGNodePage(ObjectHandle node)
{
    for (const auto& [page, pageNode] : objectLog().pageNodes) {
        if (pageNode == node) {
            return page;
        }
    }
    return 0;
}
int PGIsHierarchyObject(ObjectHandle object, uint32_t*)
{
    for (const auto& [page, pageNode] : objectLog().pageNodes) {
        if (pageNode == object) {
            return 1;
        }
    }
    return 0;
}

uint16_t PGArcKind(ObjectHandle) { return 0; }

ObjectHandle EE_DrawCompoundNode(uint16_t kind)
{
    objectLog().drawnKinds.push_back(kind);
    return objectLog().drawnNode;
}
void PGAddPage(ObjectHandle page) { objectLog().hierarchyCalls.emplace_back("add", page); }
void PGDropPage(ObjectHandle page) { objectLog().hierarchyCalls.emplace_back("drop", page); }
void PGPageChanged(ObjectHandle page) { objectLog().hierarchyCalls.emplace_back("changed", page); }
void PGUpdatePage(ObjectHandle page) { objectLog().hierarchyCalls.emplace_back("update", page); }
void PGUpdateNode(ObjectHandle node) { objectLog().hierarchyCalls.emplace_back("node", node); }
void PGDropSubpageArc(ObjectHandle node) { objectLog().hierarchyCalls.emplace_back("droparc", node); }

int DEMergeNodeText(uint32_t source, uint32_t target)
{
    objectLog().mergedTexts.emplace_back(source, target);
    return 1;
}

int DEDeleteEntry(SEDeclEntry* entry)
{
    objectLog().deletedEntries.push_back(entry);
    return 1;
}

void EE_SetRegionState(ObjectHandle region, int32_t a, int32_t b)
{
    objectLog().regionStates.emplace_back(region, a, b);
}

int EE_AskBarChart(void*, int) { return objectLog().chartDialogAnswer; }
int EE_AskLineChart(void*, int) { return objectLog().chartDialogAnswer; }

int ChartApplyBar(SEHead* chart, const void*)
{
    objectLog().chartsApplied.push_back(SEGetKVObj(chart));
    return 1;
}

int ChartApplyLine(SEHead* chart, const void*)
{
    objectLog().chartsApplied.push_back(SEGetKVObj(chart));
    return 1;
}
