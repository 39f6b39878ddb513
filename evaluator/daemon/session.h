// One remote evaluator session: three connections from one client, the
// login, the start of the evaluator on the text and binary connections, and
// the interrupt and stop-run requests until the client goes away.
#pragma once

#include <string>

namespace tolq::evald {

struct Config {
    std::string users_file; // empty: local accounts
    std::string runtime;    // the ML run-time executable
};

// Descriptors owned by a session: control, text, binary.
struct Connections {
    int control = -1;
    int text = -1;
    int binary = -1;
};

// Serves the session to its end and closes its descriptors; returns the
// process exit status for the session's process.
int serve_session(const Config& config, Connections connections);

} // namespace tolq::evald
