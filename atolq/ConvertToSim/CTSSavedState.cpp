// The simulation state kept with the diagram: the root's clock text and
// time flags written for a save, and taken back after a load.
#include "atolq/ConvertToSim/CTSSavedState.h"

#include <cstdlib>
#include <string>

#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASRequests.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/ConvertToSim/CTSModelTime.h"
#include "atolq/ConvertToSim/CTSModule.h"
#include "atolq/Utils/HashTable.h"
#include "atolq/Utils/LMList.h"
#include "atolq/Utils/MemFile.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QXStr.h"

namespace {

constexpr const char* kClockZero = "(clock (\"0\"))";

bool gTimedNet = false;
bool gWithTime = false;

void setBit(uint32_t& flags, uint32_t bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

} // namespace

void CTSStoreSimStateWords(bool savedState)
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    QXStr_SetModified(0);
    char text[64] = {};
    if (CTSClockValue() != nullptr)
        CTSClockText(CTSClockValue(), text, sizeof text);
    se::freeText(root->clockText);
    root->clockText = se::copyText(text[0] != '\0' ? text : kClockZero);
    setBit(root->flags, kCTSRootTimedNet, CTSCurrentContext().timedColourSets != 0);
    setBit(root->flags, kCTSRootWithTime, ASRunOptions(root)[2] != 0);
    setBit(root->flags, kCTSRootSavedState, savedState);
}

long CTSRestoreSimState()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return -1;
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    std::string step;
    long steps = -1;
    if (ASGetStep(&step, reply) >= 0 && !step.empty()) {
        char* end = nullptr;
        const long value = std::strtol(step.c_str(), &end, 10);
        if (end != nullptr && *end == '\0' && value >= 0)
            steps = value;
    }
    CTSSetIntegerTime(CTSUseIntegerTime());
    CTSTimeInit();
    const char* clock = root->clockText != nullptr && root->clockText[0] != '\0' ? root->clockText : kClockZero;
    if (CTSParseClock(clock, CTSClockValue()) != 1)
        CTSParseClock(kClockZero, CTSClockValue());
    gTimedNet = (root->flags & kCTSRootTimedNet) != 0;
    gWithTime = (root->flags & kCTSRootWithTime) != 0;
    if (ASStepElementList() == nullptr)
        ASStepElementList() = LMCreate(kLMPairList);
    return steps;
}

bool CTSRestoredTimedNet() { return gTimedNet; }
bool CTSRestoredWithTime() { return gWithTime; }

void CTSRestoreTimedNetFlag()
{
    SERoot* root = SECurrentRoot();
    CTSCurrentContext().timedColourSets = 0;
    if (root == nullptr || root->declHashTable == nullptr)
        return;
    HashApply(root->declHashTable, [](void* entry, void*) {
        if (static_cast<SETableEntry*>(entry)->flag != 0)
            CTSCurrentContext().timedColourSets = 1;
    }, nullptr);
}
