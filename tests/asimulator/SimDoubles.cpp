// Doubles of the neighbours that exist nowhere yet: node names, the handle
// map, simulator links, session services and the editor's dialogs (never
// asked in these tests), and the code generator's enabling check, done here
// as that module will do it: one enabling question per transition instance,
// moving the transition between the instance's enabled and disabled lists.
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/ASimulator/ASSeams.h"
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

namespace simtest {
int enablingChecks = 0;
std::vector<int> recalcCodes;
} // namespace simtest

int CTSCheckEnabling(SETrans* t, ASInstance* i)
{
    ++simtest::enablingChecks;
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    int enabled = 0;
    if (ASCheckEnabled(cts::mlName(t), i->mlName, 1, false, reply, false, false, false) >= 0) {
        char* text = nullptr;
        enabled = ASReadBindReply(reply, &text) >= 0 ? 1 : 0;
        if (text != nullptr)
            QXMem_Free(text);
    }
    se::removeValue(i->enabled, t);
    se::removeValue(i->disabled, t);
    se::prependValue(enabled ? i->enabled : i->disabled, t);
    return enabled;
}

void CTSRecalcEnablingFor(int code)
{
    simtest::recalcCodes.push_back(code);
    se::forEachRec(SECurrentRoot()->pages, [](SEHead* pr) {
        auto* page = reinterpret_cast<SEPage*>(pr);
        se::forEachRec(page->instances, [&](SEHead* ir) {
            auto* i = reinterpret_cast<ASInstance*>(ir);
            se::destroyList(i->enabled);
            se::destroyList(i->disabled);
            se::forEachRec(page->transitions, [&](SEHead* tr) {
                auto* t = reinterpret_cast<SETrans*>(tr);
                if (!(t->flags & kASNoRequestMark))
                    CTSCheckEnabling(t, i);
            });
        });
    });
}
