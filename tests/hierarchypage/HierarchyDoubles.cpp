// Test doubles of the kernel and net-editor services that the hierarchy
// page calls: alignment by boxes, page names kept in the log, nodes,
// connectors and regions made through the kernel interface, reference
// names from the net records.
#include "HierarchyDoubles.h"

#include <cstdio>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/model/Model.h"

HierarchyDoubleLog& hierLog()
{
    static HierarchyDoubleLog log;
    return log;
}

namespace {

struct Box {
    Fixed left = 0;
    Fixed top = 0;
    Fixed right = 0;
    Fixed bottom = 0;
};

Box BoxOf(ObjectHandle object)
{
    if (QXRdAttr_GetObjectType(object) == kQXKindPage) {
        return {};
    }
    Fixed x = 0;
    Fixed y = 0;
    Fixed w = 0;
    Fixed h = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    QXRdAttr_GetSize(object, &w, &h);
    return {x - w / 2, y - h / 2, x + w / 2, y + h / 2};
}

}  // namespace

uint32_t QXUI_Align(ObjectHandle object, uint32_t command, ObjectHandle reference, uint32_t)
{
    const Box ref = BoxOf(reference);
    Fixed x = 0;
    Fixed y = 0;
    Fixed w = 0;
    Fixed h = 0;
    QXRdAttr_GetPosition(object, &x, &y);
    QXRdAttr_GetSize(object, &w, &h);
    switch (command) {
    case 903: x = ref.left + w / 2; break;
    case 905: x = ref.left - w / 2; break;
    case 907: y = ref.top + h / 2; break;
    case 908: y = ref.bottom + h / 2; break;
    default: return 0;
    }
    return QXWtAttr_SetPosition(object, x, y);
}

uint32_t QXUI_SetCursor(uint32_t cursor)
{
    hierLog().cursors.push_back(cursor);
    const uint32_t previous = hierLog().cursor;
    hierLog().cursor = cursor;
    return previous;
}

uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, uint32_t* number, Fixed* width, Fixed* height,
                              uint32_t* border)
{
    if (QXRdAttr_GetObjectType(page) != kQXKindPage) {
        return 0;
    }
    const auto found = hierLog().pages.find(page);
    const HierarchyDoubleLog::PageAttr attr = found != hierLog().pages.end() ? found->second
                                                                              : HierarchyDoubleLog::PageAttr{};
    if (name != nullptr) std::strcpy(name, attr.name.c_str());
    if (number != nullptr) *number = attr.number;
    if (width != nullptr) *width = 0x2000000;
    if (height != nullptr) *height = 0x2000000;
    if (border != nullptr) *border = 0;
    return 1;
}

uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, uint32_t number, Fixed, Fixed, uint32_t)
{
    if (QXRdAttr_GetObjectType(page) != kQXKindPage) {
        return 0;
    }
    hierLog().pages[page] = {name != nullptr ? name : "", number};
    return 1;
}

ObjectHandle GE_NewPage(int flag)
{
    return QXStr_CreatePageOpt(1, flag != 0 ? 0 : 257);
}

ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t*)
{
    return QXStr_CreateNode(page, x, y, 0x140000, 0xa0000, 1);
}

int GE_ApplyDefaultAttributes(int32_t, ObjectHandle)
{
    return 1;
}

ObjectHandle GE_CreateConnectorByKey(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t)
{
    return QXStr_CreateConnector(page, from, to);
}

ObjectHandle GE_MakeRegion(ObjectHandle object, int32_t kind)
{
    if (hierLog().failRegions != 0) {
        return 0;
    }
    const ObjectHandle page = QXStr_GetObjectPage(object);
    const ObjectHandle label = QXStr_CreateLabel(page, 0, 0, 0x100000, 0x60000, "");
    if (label == 0 || QXStr_MakeRegion(label, object) == 0) {
        return 0;
    }
    QXWtAttr_SetRegionKind(label, static_cast<uint32_t>(kind));
    return label;
}

int GE_ObjectRefName(ObjectHandle object, char* buffer)
{
    SEHead* record = nullptr;
    if (GE_GetSERecord(object, &record) != 0 && record != nullptr) {
        const char* name = SEGetName(record);
        const int number = record->kind == kSEPage ? SEGetPageNumber(reinterpret_cast<SEPage*>(record)) : 0;
        std::snprintf(buffer, 88, "%s#%d", name != nullptr && *name != '\0' ? name : "***", number);
        return 1;
    }
    const auto found = hierLog().pages.find(object);
    const std::string name = found != hierLog().pages.end() ? found->second.name : "";
    const uint32_t number = found != hierLog().pages.end() ? found->second.number : 0;
    std::snprintf(buffer, 88, "%s#%u", name.empty() ? "***" : name.c_str(), number);
    return 1;
}

// Services that the net records, the defaults and the abstract net call and
// that these tests do not reach.
uint32_t QXFile_GetCurrentFileName(char**) { return 0; }
uint32_t QXUtil_GetStartPaths(char**, char**) { return 0; }
uint32_t QXUI_ShowMessage(const char*) { return 1; }
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char**, uint32_t*) { return 0; }
void QXMenu_RequestUpdate() {}
void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*) { return 1; }
int GE_MessageBox(int16_t) { return 1; }
int CTSFindGlobalDeclNode(SEDeclNode**, int) { return 0; }
void CTSResetCheckInfo(SETrans*) {}
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}
int SMLSessionInit() { return 0; }
int SMLSessionReset() { return 0; }
int SMLIsConnected() { return 0; }

int GE_AskContinue(int16_t messageId)
{
    hierLog().questions.push_back(messageId);
    return hierLog().answer;
}

ObjectHandle QXUI_PickObject(uint32_t, uint32_t)
{
    return hierLog().pick;
}

void QXUI_ShowObjects(uint32_t count, const ObjectHandle* objects, uint32_t)
{
    hierLog().shown.insert(hierLog().shown.end(), objects, objects + count);
}

void QXUI_ShowObject(ObjectHandle object)
{
    hierLog().shown.push_back(object);
}

void EE_RemoveNetInfo(ObjectHandle object, int deleteRegions)
{
    if (deleteRegions != 0) {
        hierLog().stripped.push_back(object);
    }
}

int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind)
{
    hierLog().removedRegions.emplace_back(object, kind);
    return 1;
}

int GE_DeletePage(ObjectHandle page)
{
    hierLog().deletedPages.push_back(page);
    return 1;
}
