// The simulator's status line and the option words it reads.
#include "atolq/CSimulator/SimStatus.h"

#include <array>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetRoles.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "atolq/CSimulator/SimulatorOptions.h"
#include "atolq/NewSim/NSMode.h"
#include "atolq/NewSim/NSSimulator.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr size_t kMaxStepText = 255;

struct StatusCache {
    std::string time;
    std::string step;
};

StatusCache& Cache()
{
    static StatusCache cache;
    return cache;
}

// Whether the first run option was on when last asked.
int firstRunOptionShown = 0;

SERoot* Root()
{
    return SECurrentRoot();
}

std::string TimeText(int mode)
{
    if (mode == kSNoTime || SMLIsConnected() == 0 || SWithTime() == 0)
        return {};
    if (mode == kSTimeRefreshed)
        Cache().time.clear();
    if (Cache().time.empty())
        Cache().time = NSNewSimFlag() != 0 ? NSShown().time : ASRequestModelTimeText();
    return Cache().time;
}

std::string StepText(int mode)
{
    if (mode == kSStepRefreshed)
        Cache().step.clear();
    if (mode != kSStepShown && mode != kSStepRefreshed)
        return {};
    if (Cache().step.empty() && NSNewSimFlag() != 0)
        Cache().step = NSShown().step.substr(0, kMaxStepText);
    if (Cache().step.empty()) {
        Cache().step = std::to_string(static_cast<long>(static_cast<int32_t>(GE_GetErrorCount())));
        if (Cache().step.size() > kMaxStepText)
            Cache().step.resize(kMaxStepText);
    }
    return Cache().step;
}

// The region kinds whose text the user may edit while the occurrence set is
// empty.
constexpr std::array<int32_t, 7> kEditableWhileIdle = {4098, 4104, 4105, 4108, 4125, 4126, 69662};

int MayEditRegion(uint32_t region)
{
    const int32_t kind = GE_RegionKindOf(region);
    if (kind == -8)
        return 0;
    if (kind < 1)
        return 1;
    const int32_t base = GE_BaseRegionKind(kind);
    for (const int32_t editable : kEditableWhileIdle)
        if (base == editable)
            return ASStepIsEmpty() != 0 ? 1 : 0;
    return 0;
}

// Auxiliary objects may be edited unless they carry place or connector
// properties of the net.
int MayEditObject(uint32_t object)
{
    uint16_t kind = 0, subKind = 0;
    SEHead* record = nullptr;
    EE_GetObjectKind(object, &kind, &subKind, &record);
    if (kind != 0)
        return 0;
    uint32_t type = 0, netMask = 0, graphicMask = 0;
    if (EQ_MapSpec(1, &object, nullptr, nullptr, &type, &netMask, &graphicMask) == 0)
        return 1;
    constexpr uint32_t kNodeProperties = 0xFF000;
    constexpr uint32_t kConnectorProperties = 0xFF0000;
    return (netMask & (kNodeProperties | kConnectorProperties)) != 0 ? 0 : 1;
}

}  // namespace

bool SStatusSuffix(std::string* suffix, int timeMode, int stepMode)
{
    suffix->clear();
    const std::string time = TimeText(timeMode);
    const std::string step = StepText(stepMode);
    if (!time.empty())
        *suffix += "   Time: " + time;
    if (!step.empty())
        *suffix += "   Step: " + step;
    return !suffix->empty();
}

void SShowStatus(const char* text, int timeMode, int stepMode)
{
    std::string line = text != nullptr ? text : "";
    std::string suffix;
    if (SStatusSuffix(&suffix, timeMode, stepMode))
        line += suffix;
    QXUI_SetStatusBarMessage(line.c_str());
}

void SSetNewSimTexts(const char* step, const char* time)
{
    NSShown().step = step != nullptr && *step != '\0' ? step : "0";
    SSetNewSimTime(time);
}

void SGetNewSimTime(std::string* time)
{
    *time = NSShown().time;
}

void SSetNewSimTime(const char* time)
{
    NSShown().time = time != nullptr && *time != '\0' ? time : NSStartTimeText();
}

void SForgetStatusTexts()
{
    Cache() = StatusCache{};
}

int SRunOptionActive()
{
    SERoot* root = Root();
    if (root == nullptr)
        return 0;
    int32_t& first = root->runOptions[0];
    if (first == 0) {
        first = 2;
        firstRunOptionShown = 0;
    } else if (first == 1) {
        firstRunOptionShown = 1;
    }
    return first != 2 ? 1 : 0;
}

int SSubstepsShown()
{
    const SERoot* root = Root();
    return root != nullptr && (root->displayOptions[3] == 0 || root->displayOptions[3] == 1) ? 1 : 0;
}

void SGetCodeGenFlags(int32_t* first, int32_t* withTime, int32_t* withCode)
{
    const SERoot* root = Root();
    *first = root != nullptr ? root->codeGenOptions[0] : 0;
    *withTime = root != nullptr ? root->codeGenOptions[1] : 0;
    *withCode = root != nullptr ? root->codeGenOptions[2] : 0;
}

void SOptionRead(int32_t* state, int32_t* value)
{
    switch (*state) {
    case 0: case 2: case 3: *value = 0; *state = 2; break;
    case 1: *value = 1; break;
    case 4: *value = 1; *state = 2; break;
    default: break;
    }
}

void SOptionChange(int32_t* state, int on)
{
    switch (*state) {
    case 0: case 3: *state = 3; break;
    case 1: break;
    case 2: *state = on != 0 ? 4 : 3; break;
    case 4: break;
    default: break;
    }
}

int SMayEditText(uint32_t object)
{
    if (object == 0)
        return 0;
    const uint32_t type = QXRdAttr_GetObjectType(object);
    if ((type & kQXKindPage) != 0)
        return 0;
    if ((type & kQXKindRegion) != 0)
        return MayEditRegion(object);
    return MayEditObject(object);
}
