// The performance tool's dialogs: report setup (31600) and data collector
// (31605), and the command that creates collectors for the selection.
#pragma once

#include <string>

// Dialog 31600; true after "OK" stored the record (the diagram is then
// modified and the record written at the diagram level).
bool PerfReportSetupDialog();

struct PerfCollectorChoice {
    bool statistics = false;
    bool logFile = false;
    bool timed = false;
    std::string name;
};
// Dialog 31605 with the net's timed flag; true after "OK".
bool PerfDataCollectorDialog(bool netTimed, PerfCollectorChoice* choice);

// "Data Collector...": checks the selection, asks, sends the template request.
void PerfDataCollectorCommand();
