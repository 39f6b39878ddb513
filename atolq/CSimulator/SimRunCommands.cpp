// The "Sim" menu's step and run commands, handed to the step and run
// machinery.
#include "atolq/CSimulator/SimRunCommands.h"

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStep.h"

void SStartStepCommand() { SStartStep(); }

void SInteractiveRunCommand() { SStartInteractiveRun(); }

// The automatic code made at the reset decides the form of the run: the
// fast form where it was made (first code option 1 or 2), else the plain
// one. The first run option word is set for the run as the run expects it.
void SAutomaticRunCommand()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return;
    int32_t& runMode = ASRunOptions(root)[0];
    if (ASCodeGenOptions(root)[0] == 0) {
        runMode = 0;
        SAutomaticRun(0);
        runMode = 2;
    } else {
        const int32_t saved = runMode;
        runMode = 1;
        SAutomaticRun(1);
        runMode = saved;
    }
}

void SContinueCommand()
{
    if (SActivityHas(kSimStep) != 0)
        SContinueStep();
    else if (SActivityHas(kSimRun) != 0)
        SContinueRun();
}

void SStopCommand()
{
    if (SActivityHas(kSimRun) != 0)
        SStopInteractiveRun();
}
