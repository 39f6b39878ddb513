// Doubles of the neighbours that exist nowhere yet: node names, the handle
// map, simulator links, session services and the editor's dialogs (never
// asked in these tests).
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSGenFields.h"
#include "atolq/ConvertToSim/CTSSeams.h"
#include "atolq/Utils/QXMem.h"

#include "SimFixture.h"

void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*) { return 1; }
uint32_t GE_GetSimLink(uint32_t) { return 0; }
int GE_SetSimLink(uint32_t, uint32_t) { return 1; }
int GE_DeleteUserData(uint32_t, uint16_t) { return 1; }
int GE_MessageBox(int16_t) { return 1; }
void SSetReswitchNeeded(int) {}
int SMLIsConnected() { return 1; }
int GE_AskYesNoCancel(int16_t, const char*) { return -1; }
int GE_LoginDialog(char**, char**) { return 0; }
int GE_MLSettingsDialog() { return 0; }
int GE_MLImageDialog() { return 0; }
int GE_PageListHasImageMark() { return 0; }
