// The newer simulator's bootstrap request (class 100): the model-time kind,
// the start-time expression and the file that keeps the generated code.
#pragma once

// 1 when the evaluator accepted it; 0 for a time kind other than 3 (integer
// time, sent as "intinf") or 4 (no time), which sends nothing.
int NSBootstrap();
