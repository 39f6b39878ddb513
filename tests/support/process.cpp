// Child processes and temporary files for tests.
#include "process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace tolq::test {
namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void exec_child(const std::vector<std::string>& argv,
                             const std::vector<std::pair<std::string, std::string>>& env,
                             const std::string& cwd) {
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

bool wait_for(int pid, int& status, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    for (;;) {
        int r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return true;
        if (Clock::now() >= deadline) return false;
        usleep(2000);
    }
}

} // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const ProcessOptions& options) {
    if (argv.empty()) throw std::invalid_argument("run_process: no program");
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC))
        throw std::runtime_error("run_process: pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("run_process: fork failed");
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        exec_child(argv, options.env, options.cwd);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);

    ProcessResult result;
    size_t written = 0;
    int in_fd = in[1];
    if (options.stdin_data.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        fcntl(in_fd, F_SETFL, O_NONBLOCK);
    }
    int out_fd = out[0], err_fd = err[0];
    auto deadline = Clock::now() + options.timeout;
    std::signal(SIGPIPE, SIG_IGN);
    while (out_fd >= 0 || err_fd >= 0) {
        pollfd fds[3];
        int n = 0;
        if (out_fd >= 0) fds[n++] = {out_fd, POLLIN, 0};
        if (err_fd >= 0) fds[n++] = {err_fd, POLLIN, 0};
        if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timed_out = true;
            kill(pid, SIGKILL);
            break;
        }
        int r = poll(fds, n, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            int fd = fds[i].fd;
            if (fd == in_fd) {
                ssize_t w = write(in_fd, options.stdin_data.data() + written, options.stdin_data.size() - written);
                if (w > 0) written += static_cast<size_t>(w);
                if (w < 0 && errno != EAGAIN && errno != EINTR) written = options.stdin_data.size();
                if (written == options.stdin_data.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            char buf[65536];
            ssize_t got = read(fd, buf, sizeof buf);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                close(fd);
                (fd == out_fd ? out_fd : err_fd) = -1;
                continue;
            }
            (fd == out_fd ? result.out : result.err).append(buf, static_cast<size_t>(got));
        }
    }
    if (in_fd >= 0) close(in_fd);
    if (out_fd >= 0) close(out_fd);
    if (err_fd >= 0) close(err_fd);
    int status = 0;
    if (!wait_for(pid, status, std::chrono::milliseconds(5000))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.timed_out = true;
    }
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
    return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::vector<std::pair<std::string, std::string>>& env,
                                     const std::string& cwd) {
    if (argv.empty()) throw std::invalid_argument("BackgroundProcess: no program");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("BackgroundProcess: fork failed");
    if (pid_ == 0) exec_child(argv, env, cwd);
}

BackgroundProcess::BackgroundProcess(BackgroundProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), status_(other.status_) {}

BackgroundProcess& BackgroundProcess::operator=(BackgroundProcess&& other) noexcept {
    if (this != &other) {
        if (pid_ > 0) stop(SIGKILL);
        pid_ = std::exchange(other.pid_, -1);
        status_ = other.status_;
    }
    return *this;
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0 && running()) stop(SIGTERM, std::chrono::milliseconds(2000));
    if (pid_ > 0 && running()) stop(SIGKILL);
}

bool BackgroundProcess::running() {
    if (pid_ <= 0 || status_ != -1) return false;
    int status = 0;
    int r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = status;
        return false;
    }
    return r == 0;
}

int BackgroundProcess::wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return -1;
    if (status_ != -1) return status_;
    int status = 0;
    if (!wait_for(pid_, status, limit)) return -1;
    status_ = status;
    return status_;
}

int BackgroundProcess::stop(int signal_number, std::chrono::milliseconds limit) {
    if (pid_ <= 0) return -1;
    if (status_ != -1) return status_;
    kill(pid_, signal_number);
    int status = wait(limit);
    if (status == -1 && signal_number != SIGKILL) {
        kill(pid_, SIGKILL);
        status = wait(std::chrono::milliseconds(5000));
    }
    return status;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tolq-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("TempDir: mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("read_file: cannot open " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("write_file: cannot open " + path);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out.flush()) throw std::runtime_error("write_file: write failed " + path);
}

} // namespace tolq::test
