// Doubles of the abstract net's neighbours that exist nowhere yet: node
// names, the load's handle map, the code generator and
// the simulator. The kernel, the net records and the evaluator link are real.
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/LMList.h"

void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*) { return 1; }
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
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*) { return 0; }
void SSetReswitchNeeded(int) {}
int SMLIsConnected() { return 0; }

// Services that the editor's defaults and net records call: messages,
// questions, the simulator's options and the working directory exist nowhere
// yet; the hierarchy page's options live in a library these tests do not link.
uint32_t QXUI_ShowMessage(const char*) { return 1; }
int GE_AskContinue(int16_t) { return 1; }
void PGReadOptions(int) {}
void PGSetLayoutOptions(int, int, int32_t, int32_t, uint16_t, uint16_t) {}
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char**, uint32_t*) { return 0; }
