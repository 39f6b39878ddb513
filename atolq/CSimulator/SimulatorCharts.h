// The charts' part of a simulation: their update functions, run after each
// step, on the user's request and at the end of a run, and their
// initialisation functions, run when a state begins.
#pragma once

#include <cstdint>

// Updates the charts that take part in the simulation: with 0 every chart
// through its own update condition (after a step); with 1 the selected
// charts, or every chart on the pages of the selected page nodes, forced
// ("Update Chart"). 1 when the request succeeded or the user chose to go on
// after an ML exception, else 0.
int SUpdateCharts(int selected);
// "Update Chart" of the Sim menu.
void SUpdateChartCommand();

// Forces the update of the charts that ask to be updated at the end of a
// run; an ML exception is shown with message 11561.
void SRefreshCharts();

// Runs the initialisation function of every chart that takes part in the
// simulation (bar charts first, then line charts) in one request; an ML
// exception is shown with message 11560. Nothing is sent when no chart
// takes part.
void SInitCharts();

// How the update of an ML exception goes on during an interactive run: the
// simulator installs the question and the stop of its run here. Without one
// (no interactive run can be active) the exception is reported.
struct SChartRunControl {
    bool (*interactiveRunActive)() = nullptr;
    void (*stopInteractiveRun)() = nullptr;
};
void SSetChartRunControl(const SChartRunControl& control);
