// The charts of the step and run chains: after a step every chart updates
// through its own condition, at the end of a run the charts that ask for it
// are forced. An ML exception of chart code during an interactive run asks
// whether the run goes on; "No" stops it.
#include "atolq/CSimulator/SimActivity.h"
#include "atolq/CSimulator/SimStep.h"
#include "atolq/CSimulator/SimStepView.h"
#include "atolq/CSimulator/SimulatorCharts.h"

namespace {

// Every activity but idle and the single step counts as a run.
bool runActive()
{
    const SimActivityCode activity = SCurrentActivity();
    return activity != 0 && activity != kSimIdle && (activity & 0xFFFF0000u) != kSimStep;
}

void stopRun() { SStopInteractiveRun(); }

// Installed before main runs, so that the first update finds it.
[[maybe_unused]] const bool installed = (SSetChartRunControl({runActive, stopRun}), true);

} // namespace

void SVUpdateCharts() { SUpdateCharts(0); }

void SVRefreshCharts() { SRefreshCharts(); }
