// tolq-evald: serves remote ML evaluators to tolq over TCP. Each session is
// three connections (control, text, binary) from one client; after the
// login the evaluator runs with its text channel and descriptor 3 on them.
//
//   tolq-evald --port N [--listen ADDRESS] [--users FILE] [--runtime PATH]
#include "control.h"
#include "session.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace tolq::evald;

constexpr Millis kHandshakeLimit{10000};

struct Options {
    std::string listen = "127.0.0.1";
    int port = -1;
    Config config;
};

void usage() {
    std::fprintf(stderr,
                 "usage: tolq-evald --port N [--listen ADDRESS] [--users FILE] [--runtime PATH]\n");
}

std::string default_runtime(const char* argv0) {
    std::error_code ec;
    auto self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = argv0;
    return (self.parent_path() / "run.x86-linux").string();
}

std::optional<Options> parse_options(int argc, char** argv) {
    Options o;
    o.config.runtime = default_runtime(argv[0]);
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (i + 1 >= argc) return std::nullopt;
        std::string value = argv[++i];
        if (arg == "--port") {
            char* end = nullptr;
            long port = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) return std::nullopt;
            o.port = static_cast<int>(port);
        } else if (arg == "--listen") {
            o.listen = value;
        } else if (arg == "--users") {
            o.config.users_file = value;
        } else if (arg == "--runtime") {
            o.config.runtime = value;
        } else {
            return std::nullopt;
        }
    }
    if (o.port < 0) return std::nullopt;
    return o;
}

int open_listener(const Options& o) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(o.port));
    if (inet_pton(AF_INET, o.listen.c_str(), &address.sin_addr) != 1) return -1;
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int bound_port(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Accepts one greeted connection within the handshake limit; -1 on failure.
// peer receives the client's address.
int accept_greeted(int listener, in_addr& peer) {
    pollfd p{listener, POLLIN, 0};
    int r;
    do r = poll(&p, 1, static_cast<int>(kHandshakeLimit.count()));
    while (r < 0 && errno == EINTR);
    if (r <= 0) return -1;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    int fd = accept4(listener, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
    if (fd < 0) return -1;
    peer = address.sin_addr;
    if (!exchange_greeting(fd, kHandshakeLimit)) {
        close(fd);
        return -1;
    }
    return fd;
}

// The three connections of a session, all from the control connection's host.
std::optional<Connections> accept_session(int listener) {
    Connections c;
    in_addr control_peer{}, peer{};
    do c.control = accept_greeted(listener, control_peer);
    while (c.control < 0);
    c.text = accept_greeted(listener, peer);
    if (c.text >= 0 && peer.s_addr == control_peer.s_addr) {
        c.binary = accept_greeted(listener, peer);
        if (c.binary >= 0 && peer.s_addr == control_peer.s_addr) return c;
    }
    for (int fd : {c.control, c.text, c.binary})
        if (fd >= 0) close(fd);
    return std::nullopt;
}

void reap_children(int) {
    const int saved = errno;
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    errno = saved;
}

} // namespace

int main(int argc, char** argv) {
    auto options = parse_options(argc, argv);
    if (!options) {
        usage();
        return 2;
    }
    int listener = open_listener(*options);
    if (listener < 0) {
        std::fprintf(stderr, "tolq-evald: cannot listen on %s port %d: %s\n",
                     options->listen.c_str(), options->port, std::strerror(errno));
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction reap{};
    reap.sa_handler = reap_children;
    reap.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &reap, nullptr);

    std::printf("tolq-evald: listening on port %d\n", bound_port(listener));
    std::fflush(stdout);

    for (;;) {
        auto session = accept_session(listener);
        if (!session) continue;
        pid_t pid = fork();
        if (pid == 0) {
            close(listener);
            struct sigaction plain{};
            plain.sa_handler = SIG_DFL;
            sigaction(SIGCHLD, &plain, nullptr);
            _exit(serve_session(options->config, *session));
        }
        close(session->control);
        close(session->text);
        close(session->binary);
    }
}
