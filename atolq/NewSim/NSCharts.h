// The charts of the net told to the newer simulator (request class 600).
#pragma once

// 600/1: the update texts of the charts that take part in the simulation.
int NSChartsToUpdate();
// 600/2: the numbers and names of the bar charts and of the line charts.
int NSSendCharts();
