// Test doubles of the kernel, editor, hierarchy page, simulator, code
// generator and evaluator services called by the code under test.
#include "NetDoubles.h"

#include <cstring>

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/QXMem.h"

NetDoubleLog& netLog()
{
    static NetDoubleLog log;
    return log;
}


int GE_AskContinue(int16_t messageId)
{
    netLog().questions.push_back(messageId);
    return netLog().askAnswer;
}

void PGReadOptions(int)
{
    ++netLog().readOptions;
}

void PGSetLayoutOptions(int showSubstitutions, int showInvocations, int32_t gridX, int32_t gridY, uint16_t,
                        uint16_t)
{
    auto& log = netLog();
    ++log.layoutCalls;
    log.showSub = showSubstitutions;
    log.showInv = showInvocations;
    log.gridX = gridX;
    log.gridY = gridY;
}

void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*)
{
    ++netLog().simulatorCalls;
}

int EE_GetWorkingDirectory(char** directory, uint32_t* length)
{
    *directory = GE_Alloc(2);
    (*directory)[0] = '/';
    *length = 1;
    return 1;
}

// Services of the abstract net.
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
