// Runs a child program for a test: arguments, standard input, extra environment,
// captured standard output and error, exit status, and a time limit.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace tolq::test {

struct ProcessResult {
    int exit_status = -1;   // exit code, or -1 when the child did not exit normally
    int term_signal = 0;    // signal that ended the child, 0 if none
    bool timed_out = false; // the child was killed after the time limit
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::string stdin_data;
    std::vector<std::pair<std::string, std::string>> env; // set in the child
    std::string cwd;                                      // empty: inherit
    std::chrono::milliseconds timeout{60000};
};

// Runs argv[0] (looked up in PATH when it has no slash) and waits for it.
ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// A child left running while the test talks to it; killed and reaped on destruction.
class BackgroundProcess {
public:
    BackgroundProcess() = default;
    BackgroundProcess(const std::vector<std::string>& argv,
                      const std::vector<std::pair<std::string, std::string>>& env = {},
                      const std::string& cwd = {});
    BackgroundProcess(BackgroundProcess&& other) noexcept;
    BackgroundProcess& operator=(BackgroundProcess&& other) noexcept;
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;
    ~BackgroundProcess();

    int pid() const { return pid_; }
    bool running();
    // Sends the signal and waits up to the limit; returns the wait status or -1.
    int stop(int signal_number, std::chrono::milliseconds limit = std::chrono::milliseconds(5000));
    // Waits for the child to end by itself; returns the wait status or -1 on time-out.
    int wait(std::chrono::milliseconds limit);

private:
    int pid_ = -1;
    int status_ = -1;
};

// A temporary directory removed with everything in it when the object ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& data);

} // namespace tolq::test
