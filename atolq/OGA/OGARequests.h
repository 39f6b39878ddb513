// The occurrence-graph tool's requests to the evaluator: one ML text sent
// through the net layer's request and reply buffers, and the numbers and
// strings read back from the reply.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Evaluates text; below 0 on failure.
int OGASend(std::string_view text);
// Up to count integers of the last reply, in order (fewer when the reply
// holds fewer).
std::vector<long> OGAReadInts(std::size_t count);
// The first string of the last reply.
std::optional<std::string> OGAReadString();
// Numbers joined by ",".
std::string OGAJoin(const std::vector<unsigned long>& numbers);
