// Doubles of the neighbours of the abstract net and of the syntax check that
// exist nowhere yet: node names, the load's handle map and sim links.
#include <cstring>

#include "CheckDoubles.h"
#include "atolq/ConvertToSim/CTSSeams.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/SML/SML.h"

void EE_RefreshNodeName(uint32_t) {}
int GE_TranslateHandle(uint32_t*) { return 1; }
uint32_t GE_GetSimLink(uint32_t) { return 0; }
int GE_SetSimLink(uint32_t, uint32_t) { return 1; }
int GE_DeleteUserData(uint32_t, uint16_t) { return 1; }
void SSetReswitchNeeded(int) {}
int SMLIsConnected() { return SMLGetConnState() != kSMLKindNone ? 1 : 0; }

// The editor's dialogs that the evaluator start asks: answers set by tests.
DialogAnswers& dialogAnswers()
{
    static DialogAnswers answers;
    return answers;
}
int GE_AskYesNoCancel(int16_t, const char*)
{
    ++dialogAnswers().asked;
    return dialogAnswers().yesNoCancel;
}
int GE_AskYesNo(int16_t, const char*)
{
    ++dialogAnswers().askedYesNo;
    return dialogAnswers().yesNo;
}
int GE_LoginDialog(char**, char**) { return 0; }
int GE_MLSettingsDialog() { return 0; }
int GE_MLImageDialog() { return 0; }
int GE_PageListHasImageMark() { return 0; }
int GE_MessageBox(int16_t id)
{
    dialogAnswers().messages.push_back(id);
    return 1;
}
int EE_BeginBusy(const char*)
{
    ++dialogAnswers().busy;
    return 1;
}
void EE_EndBusy(int) {}
