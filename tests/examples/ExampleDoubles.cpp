// Services that the abstract net calls while its data base is read back:
// stand-ins for the evaluator link, the code generator, the simulator and
// the editor's handle translation, none of which the example's tests run.
#include "atolq/AEditor/SEServices.h"

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
void SSetReswitchNeeded(int) {}
void EE_RefreshNodeName(uint32_t) {}
// The handles stay as the data base file wrote them; the test maps them itself.
int GE_TranslateHandle(uint32_t*)
{
    return 1;
}
