// For test programs whose code under test tells the user things through the
// programming interface's message box: every message box that comes up is
// read (its text) and closed with OK, on the test program's private X server.
// Linking message_recorder.cpp with dialog_fixture.cpp sets this up before
// the first test.
#pragma once

#include <string>
#include <vector>

namespace tolq::test {

// The texts of the message boxes shown so far, in order; tests may clear it.
std::vector<std::string>& RecordedMessages();

}  // namespace tolq::test
