// The editor's ML commands and the syntax check command.
#pragma once

// "Syntax Check": runs the check over the whole diagram and shows the outcome.
void EE_SyntaxCheckCommand();
// "ML Evaluate" on the selected object; 1 when evaluated.
int EE_EvaluateMLNode();
// "Start ML": starts the evaluator when it is down, else stops it; 1 when done.
int EE_StartStopML();
