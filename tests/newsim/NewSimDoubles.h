// Recorded net-editor reports of the typed-message tests.
#pragma once

#include <cstdint>
#include <vector>

// Every id EE_ReportError was called with, in order.
std::vector<int16_t>& reportedErrors();
