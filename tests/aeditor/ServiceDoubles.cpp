// Test doubles of the kernel, editor, code generator, simulator and evaluator
// services that the abstract net calls.
#include "ServiceDoubles.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/Utils/LMList.h"

ServiceLog& serviceLog()
{
    static ServiceLog log;
    return log;
}

void EE_RefreshNodeName(uint32_t) {}

int GE_TranslateHandle(uint32_t* handle)
{
    auto& log = serviceLog();
    if (log.translateAll)
        return 1;
    auto it = log.handleMap.find(*handle);
    *handle = it != log.handleMap.end() ? it->second : 0;
    return 1;
}

uint32_t GE_GetSimLink(uint32_t object)
{
    auto it = serviceLog().simLinks.find(object);
    return it != serviceLog().simLinks.end() ? it->second : 0;
}

int GE_SetSimLink(uint32_t object, uint32_t value)
{
    serviceLog().simLinks[object] = value;
    return 1;
}

int GE_DeleteUserData(uint32_t object, uint16_t)
{
    serviceLog().simLinks.erase(object);
    return 1;
}

int GE_MessageBox(int16_t)
{
    return 1;
}

// Finds the global declaration node of a sub-kind: -1 none, 1 several, 0 one.
int CTSFindGlobalDeclNode(SEDeclNode** node, int kind)
{
    SERoot* root = SECurrentRoot();
    int found = 0;
    if (root != nullptr && root->globalDecls != nullptr)
        for (void* cell = root->globalDecls->first; cell != nullptr; cell = static_cast<LMLink*>(cell)->next) {
            auto* decl = static_cast<SEDeclNode*>(cell);
            if (decl->head.subKind == kind) {
                *node = decl;
                ++found;
            }
        }
    return found == 0 ? -1 : found == 1 ? 0 : 1;
}

void CTSResetCheckInfo(SETrans*) {}

void CTSSetIntegerTime(int flag)
{
    serviceLog().integerTime = flag != 0;
}

void CTSStopEvaluator() {}

int CTSSaveImageRequest(const char*)
{
    return 0;
}

void SSetReswitchNeeded(int flag)
{
    if (flag)
        ++serviceLog().reswitchRequests;
}

int SMLSessionInit()
{
    return 0;
}

int SMLSessionReset()
{
    return 0;
}

int SMLIsConnected()
{
    return 0;
}
