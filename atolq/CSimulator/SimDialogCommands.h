// The Sim menu's commands that run the simulator's dialogs: "Bind...",
// "Occurrence Set...", "Change Marking...", "Select Instance..." and
// "Select Enabled...".
#pragma once

void SBind();
void SOccurrenceSet();
void SChangeMarking();
void SSelectInstance();
void SSelectEnabled();
