// Stand-ins for the services of the abstract net's neighbours in the chart
// programs that run the real evaluator (which bring the link's own session
// functions).
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"

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
int GE_MessageBox(int16_t)
{
    return 1;
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
