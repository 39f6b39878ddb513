// Stand-ins for the services of the abstract net's neighbours in the chart
// programs that run the real evaluator (which bring the link's own session
// functions).
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "xkv/types/Types.h"

#include <cstdint>
#include <vector>

int gChartReswitches = 0;

void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*)
{
    return 1;
}
uint32_t GE_GetSimLink(uint32_t)
{
    return 0;
}
int GE_SetSimLink(uint32_t, uint32_t)
{
    return 1;
}
int GE_DeleteUserData(uint32_t, uint16_t)
{
    return 1;
}
std::vector<int16_t> gChartMessages;
int gChartAnswerYes = 1;
int GE_MessageBox(int16_t id)
{
    gChartMessages.push_back(id);
    return 1;
}
int GE_AskYesNo(int16_t id, const char*)
{
    gChartMessages.push_back(id);
    return gChartAnswerYes;
}
// The simulator's "Update Chart" on a selection is driven through tolq's own
// menus; here only the updates of every chart run.
int EQ_MapSpec(uint32_t, const uint32_t*, EQFilter, void*, uint32_t*, uint32_t*, uint32_t*)
{
    return 0;
}
ObjectHandle PGNodePage(ObjectHandle)
{
    return 0;
}
int CTSFindGlobalDeclNode(SEDeclNode**, int)
{
    return -1;
}
void CTSResetCheckInfo(SETrans*) {}
void CTSSetIntegerTime(int) {}
void CTSStopEvaluator() {}
int CTSSaveImageRequest(const char*)
{
    return 0;
}
void SSetReswitchNeeded(int flag)
{
    gChartReswitches += flag != 0 ? 1 : 0;
}
int SMLIsConnected()
{
    return 1;
}
