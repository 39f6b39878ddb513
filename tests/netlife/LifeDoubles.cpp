// Test doubles of the services that the diagram life cycle calls and that
// no module provides yet; the evaluator start connects the real evaluator.
#include <cstring>
#include <string>

#include "LifeDoubles.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/LifeSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/SML/SMLLink.h"
#include "atolq/SmlEval/SmlEval.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/types/Types.h"

LifeLog& lifeLog()
{
    static LifeLog log;
    return log;
}

uint32_t QXUI_Confirm(const char*)
{
    ++lifeLog().confirms;
    return 0;
}
uint32_t QXUI_ShowMessage(const char*) { return 1; }
int GE_AskContinue(int16_t) { return 1; }
// A diagram saved in a simulation state opens: the test nets carry no such state.
int GE_AskYesNo(int16_t, const char*) { return 1; }
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
// The simulator that takes up a saved state is not linked here; the test nets
// carry no saved state.
int SLoadSavedDiagram() { return 1; }
int EE_GetWorkingDirectory(char** directory, uint32_t* length)
{
    *directory = GE_Alloc(2);
    (*directory)[0] = '/';
    *length = 1;
    return 1;
}
int EE_CreateNetPage(ObjectHandle page, uint16_t mode)
{
    SEPage* record = SECreatePage(page, mode);
    return record != nullptr && GE_SetSERecord(page, &record->head) != 0 ? 1 : 0;
}
int CTSCheckNet(CTSErrorReporter reporter, uint32_t, int16_t, uint32_t, int, ProgressCallback progress, CTSConfigFn)
{
    int go = 1;
    if (lifeLog().escapeDuringCheck)
        GE_SetStateFlags(kGEStopRequested);
    for (ProgressRecord r : lifeLog().progress)
        progress(&go, &r);
    for (uint32_t object : lifeLog().errorObjects)
        reporter(object, "error", nullptr);
    return lifeLog().verdict;
}
int CTSStartEvaluator(MLSettingsCallback)
{
    ++lifeLog().starts;
    const std::string bin = TOLQ_BIN_DIR;
    return SMLConnect(1, nullptr, 0, (bin + "/tolq.ML").c_str(), (bin + "/run.x86-linux").c_str(), nullptr,
                      nullptr) == 0
               ? 1
               : 0;
}
int CTSStopEvaluator()
{
    SMLStopProcess();
    return 1;
}
int SMLIsConnected() { return SMLGetConnState() == 2 ? 1 : 0; }
void EE_RefreshNodeName(uint32_t) { ++lifeLog().refreshedNames; }
void EE_UpdateNetFromObject(ObjectHandle object) { lifeLog().storedTexts.push_back(object); }
int CTSFindGlobalDeclNode(SEDeclNode**, int) { return 0; }
void CTSResetCheckInfo(SETrans*) {}
void CTSSetIntegerTime(int) {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}

// The hierarchy page's helpers: plain kernel objects without defaults.
ObjectHandle GE_NewPage(int flag)
{
    return QXStr_CreatePageOpt(1, flag != 0 ? 0u : 257u);
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
ObjectHandle GE_MakeRegion(ObjectHandle, int32_t)
{
    return 0;
}
int GE_ObjectRefName(ObjectHandle, char* buffer)
{
    std::strcpy(buffer, "page#1");
    return 1;
}
