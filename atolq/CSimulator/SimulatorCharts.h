// The charts' part of a simulation state: their initialisation functions,
// run when a state begins.
#pragma once

// Runs the initialisation function of every chart that takes part in the
// simulation (bar charts first, then line charts) in one request; an ML
// exception is shown with message 11560. Nothing is sent when no chart
// takes part.
void SInitCharts();
