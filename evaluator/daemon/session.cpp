// A remote evaluator session.
#include "session.h"

#include "control.h"
#include "login.h"

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolq::evald {
namespace {

constexpr Millis kRequestLimit{30000};
constexpr const char* kHeapSuffix = ".x86-linux";

void close_all(const Connections& c) {
    for (int fd : {c.control, c.text, c.binary})
        if (fd >= 0) close(fd);
}

bool is_regular_file(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The run-time takes the image as named or with its architecture suffix.
bool heap_image_exists(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos &&
           (is_regular_file(path) || is_regular_file(path + kHeapSuffix));
}

[[noreturn]] void exec_evaluator(const Config& config, const Connections& c, const Login& login,
                                 const std::optional<Account>& account, const std::string& image) {
    if (account && geteuid() == 0) {
        if (initgroups(account->name.c_str(), account->gid) != 0 || setgid(account->gid) != 0 ||
            setuid(account->uid) != 0)
            _exit(103);
    }
    if (!login.workdir.empty() && chdir(login.workdir.c_str()) != 0) {
        // The working directory is a wish of the client; the daemon's own stays.
    }
    if (dup2(c.text, 0) < 0 || dup2(c.text, 1) < 0 || dup2(c.binary, 3) < 0) _exit(103);
    for (int fd = 4; fd < 1024; ++fd) close(fd);
    signal(SIGPIPE, SIG_DFL);
    const std::string load = "@SMLload=" + image;
    char* argv[] = {const_cast<char*>(config.runtime.c_str()), const_cast<char*>(load.c_str()),
                    nullptr};
    execv(argv[0], argv);
    _exit(103);
}

// Ends the evaluator: SIGTERM, and SIGKILL when it has not gone after a second.
void stop_evaluator(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool evaluator_ended(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == pid; }

// Control requests until the client closes the control connection or the
// evaluator ends.
void serve_requests(int control, pid_t evaluator) {
    for (;;) {
        pollfd p{control, POLLIN, 0};
        int r = poll(&p, 1, 200);
        if (r < 0 && errno != EINTR) break;
        if (r <= 0) {
            if (evaluator_ended(evaluator)) return;
            continue;
        }
        auto message = read_control(control, kRequestLimit);
        if (!message) break;
        int signal_number = 0;
        if (message->type == static_cast<std::uint32_t>(ControlType::Interrupt)) signal_number = SIGINT;
        if (message->type == static_cast<std::uint32_t>(ControlType::StopRun)) signal_number = SIGUSR1;
        const bool done = signal_number != 0 && kill(evaluator, signal_number) == 0;
        if (!write_control(control, done ? kReplyOk : kReplyRefused)) break;
    }
    stop_evaluator(evaluator);
}

} // namespace

int serve_session(const Config& config, Connections c) {
    auto login_message = read_control(c.control, kRequestLimit);
    std::optional<Login> login;
    if (login_message && login_message->type == static_cast<std::uint32_t>(ControlType::Login))
        login = parse_login(login_message->payload);
    const LoginResult verdict = login ? check_login(config.users_file, *login) : LoginResult{};
    if (!verdict.accepted) {
        write_control(c.control, kReplyRefused);
        close_all(c);
        return 1;
    }
    if (!write_control(c.control, kReplyOk)) {
        close_all(c);
        return 1;
    }

    auto image = read_control(c.control, kRequestLimit);
    if (!image || image->type != static_cast<std::uint32_t>(ControlType::HeapImage) ||
        !heap_image_exists(image->payload)) {
        write_control(c.control, kReplyRefused);
        close_all(c);
        return 1;
    }
    const pid_t evaluator = fork();
    if (evaluator == 0) exec_evaluator(config, c, *login, verdict.account, image->payload);
    close(c.text);
    close(c.binary);
    if (evaluator < 0 || !write_control(c.control, kReplyOk)) {
        if (evaluator > 0) stop_evaluator(evaluator);
        close(c.control);
        return 1;
    }
    serve_requests(c.control, evaluator);
    close(c.control);
    return 0;
}

} // namespace tolq::evald
