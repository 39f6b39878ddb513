// Test doubles of services that exist nowhere in the code base yet: those of
// the code generator, simulator and evaluator that the abstract net calls,
// the kernel and editor services that net records reach, and the selection
// classifier (with the role masks of the nodes and regions the tests build).
#include "NetCreateDoubles.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/kv/QXAttr.h"

NetCreateLog& createLog()
{
    static NetCreateLog log;
    return log;
}

// Abstract-net services.
void EE_RefreshNodeName(uint32_t) {}
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

// Services of the net records.
uint32_t QXUI_ShowMessage(const char*) { return 1; }
int GE_AskContinue(int16_t) { return 1; }
void PGReadOptions(int) {}
void PGSetLayoutOptions(int, int, int32_t, int32_t, uint16_t, uint16_t) {}
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char**, uint32_t*) { return 0; }

namespace {

// Net mask of a node from its record: plain place 0x1, plain transition
// 0x1000, a place port by type, a fusion member by fusion type, a
// substitution transition 0x200000; others as the test set them.
uint32_t NodeMask(uint32_t object)
{
    auto found = createLog().netMasks.find(object);
    if (found != createLog().netMasks.end())
        return found->second;
    SEHead* head = nullptr;
    uint16_t kind = 0;
    uint16_t sub = 0;
    if (GE_GetSERecord(object, &head) == 0 || SEGetKind(head, &kind, &sub) == 0)
        return 0;
    if (kind == 2)
        return 0x1;
    if (kind == 3)
        return sub == 6 ? 0x200000 : 0x1000;
    if (kind == 4)
        return 0x1;
    return 0;
}

}  // namespace

int EQ_MapSpec(uint32_t count, const uint32_t* objects, EQFilter filter, void* argument, uint32_t* type,
               uint32_t* netMask, uint32_t* graphicMask)
{
    ++createLog().mapCalls;
    *type = count > 0 ? QXRdAttr_GetObjectType(objects[0]) : 0;
    *netMask = 0;
    *graphicMask = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t objectType = QXRdAttr_GetObjectType(objects[i]);
        const uint32_t net = NodeMask(objects[i]);
        auto graphicFound = createLog().graphicMasks.find(objects[i]);
        uint32_t graphic = graphicFound != createLog().graphicMasks.end() ? graphicFound->second : 0;
        if (graphicFound == createLog().graphicMasks.end() && net == 0)
            graphic = objectType == 8 ? 0xFF00 : (objectType == 16 ? 1 : 0x1);
        if (filter != nullptr && filter(objects[i], objectType, net, graphic, argument) == 0)
            return 0;
        *netMask |= net;
        *graphicMask |= graphic;
    }
    return 1;
}

