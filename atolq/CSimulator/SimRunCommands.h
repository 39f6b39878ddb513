// The "Sim" menu's step and run commands: "Start Step", "Interactive Run",
// "Automatic Run", "Continue" and "Stop".
#pragma once

void SStartStepCommand();
void SInteractiveRunCommand();
void SAutomaticRunCommand();
void SContinueCommand();
void SStopCommand();
