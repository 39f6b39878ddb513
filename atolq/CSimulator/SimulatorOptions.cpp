// The run options kept in the net data base's root, the code-generation
// choices in force and the five-state option words.
#include "atolq/CSimulator/SimulatorOptions.h"

#include <iterator>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"

namespace {

int RunOption(int entry)
{
    const SERoot* root = SECurrentRoot();
    return root != nullptr ? root->runOptions[entry] : 0;
}

struct FiveState {
    int32_t readValue;
    int32_t afterRead;
    int32_t changedOn;
    int32_t changedOff;
};
// By state 0 to 4.
constexpr FiveState kFiveStates[] = {{0, 2, 3, 3}, {1, 1, 1, 1}, {0, 2, 4, 3}, {0, 2, 3, 3}, {1, 2, 4, 4}};

bool KnownState(const int32_t* state)
{
    return state != nullptr && *state >= 0 && *state < static_cast<int32_t>(std::size(kFiveStates));
}

}  // namespace

int SWithCode()
{
    return RunOption(1);
}

int SWithTime()
{
    return RunOption(2);
}

void SGetCodeGenFlags(int32_t* first, int32_t* withTime, int32_t* withCode)
{
    const SERoot* root = SECurrentRoot();
    int32_t* out[] = {first, withTime, withCode};
    for (size_t i = 0; i < std::size(out); ++i) {
        if (out[i] != nullptr)
            *out[i] = root != nullptr ? root->codeGenOptions[i] : 0;
    }
}

void SOptionRead(int32_t* state, int32_t* value)
{
    if (!KnownState(state))
        return;
    const FiveState& row = kFiveStates[*state];
    if (value != nullptr)
        *value = row.readValue;
    *state = row.afterRead;
}

void SOptionChange(int32_t* state, int32_t on)
{
    if (!KnownState(state))
        return;
    const FiveState& row = kFiveStates[*state];
    *state = on != 0 ? row.changedOn : row.changedOff;
}
