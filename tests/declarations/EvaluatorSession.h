// The real evaluator for the declaration tests: started for a test and
// stopped after it, with a log in the evaluator's top level that declaration
// texts can append to, so that a test sees which declarations the compile
// sent and in which order.
#pragma once

#include <string>
#include <vector>

// Starts the evaluator beside the test binaries, makes the ML-number table
// and declares `noted : string -> 'a -> 'a`, which appends the name to the
// log and gives back the value, or raises Fail for a refused name (so that a
// declaration such as `val b = noted "b" 2;` is refused by the evaluator). False when
// the evaluator could not be started.
bool StartTestEvaluator();
void StopTestEvaluator();

// The names `noted` refuses from now on (none at the start).
void RefuseNoted(const std::vector<std::string>& names);

// The names given to `noted`, in the order the evaluator ran them.
std::vector<std::string> NotedNames();

// The reply text of evaluating the text at the evaluator's top level.
std::string EvaluateForTest(const std::string& text);
