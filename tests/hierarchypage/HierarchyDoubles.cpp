// Test doubles of the net-editor services that the hierarchy page calls:
// nodes, connectors and regions made through the kernel interface, reference
// names from the net records or the page's title. The kernel's alignment,
// cursors, page attributes, picks and scrolling are the real ones.
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

HierarchyDoubleLog& hierLog()
{
    static HierarchyDoubleLog log;
    return log;
}

ObjectHandle GE_NewPage(int flag)
{
    return QXStr_CreatePageOpt(1, flag != 0 ? 0 : 257);
}

ObjectHandle GM_CreateOne(ObjectHandle page, Fixed x, Fixed y, const uint32_t*)
{
    return QXStr_CreateNode(page, x, y, 0x140000, 0xa0000, 1);
}

void GE_ApplyDefaultAttributes(int32_t, uint32_t) {}

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
    char title[256] = {};
    uint16_t number = 0;
    if (QXRdAttr_GetPageAttr(object, title, &number, nullptr, nullptr, nullptr) == 0) {
        title[0] = '\0';
    }
    std::snprintf(buffer, 88, "%.80s#%u", title[0] == '\0' ? "***" : title, unsigned{number});
    return 1;
}

// Services that the net records, the defaults and the abstract net call,
// that exist nowhere yet and that these tests do not reach.
uint32_t QXUI_ShowMessage(const char*) { return 1; }
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char**, uint32_t*) { return 0; }
void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*) { return 1; }
int CTSFindGlobalDeclNode(SEDeclNode**, int) { return 0; }
void CTSResetCheckInfo(SETrans*) {}
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}
int SMLIsConnected() { return 0; }
// The evaluator link's session reset, which the abstract net's start calls;
// the link's library is not part of these tests.
int SMLSessionInit() { return 0; }
int SMLSessionReset() { return 0; }

int GE_AskContinue(int16_t messageId)
{
    hierLog().questions.push_back(messageId);
    return hierLog().answer;
}

int EE_RemoveNetInfo(uint32_t object, int deleteObjects)
{
    if (deleteObjects != 0) {
        hierLog().stripped.push_back(object);
    }
    return 1;
}

int GE_RemoveRegionInfo(ObjectHandle object, int32_t kind)
{
    hierLog().removedRegions.emplace_back(object, kind);
    return 1;
}

int EE_DeleteNetPage(ObjectHandle page)
{
    hierLog().deletedPages.push_back(page);
    return 1;
}
