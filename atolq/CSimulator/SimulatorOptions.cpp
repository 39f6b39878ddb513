// The run options kept in the net data base's root.
#include "atolq/CSimulator/SimulatorOptions.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SERecords.h"

namespace {

int RunOption(int entry)
{
    const SERoot* root = SECurrentRoot();
    return root != nullptr ? root->runOptions[entry] : 0;
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
