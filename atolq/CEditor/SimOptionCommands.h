// The Set menu's simulation option commands: general, interactive and
// occurrence-set options.
#pragma once

// Set > General Simulation Options...
void EE_RunOptions();
// Set > Interactive Simulation Options...
void EE_DisplayOptions();
// Set > Occurrence Set Options...
void EE_OccSetOptions();
// "RXL Simulation Options...": the sibling tool's analysis options.
void EE_RXLOptions();
