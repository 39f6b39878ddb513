// tolq's side of the evaluator link for the tests.
#include "evaluator_link.h"

#include <arpa/inet.h>
#include <cerrno>
#include <crypt.h>
#include <csignal>
#include <fcntl.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolq::test::evaluator {
namespace {

using Clock = std::chrono::steady_clock;

int millis_left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool wait_readable(int fd, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, millis_left(deadline));
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

void write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("evaluator link: send failed");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The class of a reply from the last bytes of its final piece.
Result classify(std::string_view piece) {
    if (piece.ends_with('\001')) return Result::Success;
    if (piece.size() >= 2 && piece[piece.size() - 2] == '2') return Result::NotCompiled;
    if (piece.size() >= 2 && piece[piece.size() - 2] == '3') return Result::ErrorClass;
    return Result::Failure;
}

void close_fd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

bool ended_within(pid_t pid, int& status, Millis limit) {
    auto deadline = Clock::now() + limit;
    for (;;) {
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        if (Clock::now() >= deadline) return false;
        usleep(2000);
    }
}

class LocalLink final : public Link {
public:
    LocalLink(const std::string& heap, const std::vector<std::string>& runtime_options) {
        int text[2], binary[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, text) != 0 ||
            socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, binary) != 0)
            throw std::runtime_error("socketpair failed");
        const std::string program = bin_dir() + "/run.x86-linux";
        const std::string load = "@SMLload=" + heap;
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            dup2(text[1], 0);
            dup2(text[1], 1);
            dup2(binary[1], 3);
            for (int fd = 4; fd < 1024; ++fd) close(fd);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& option : runtime_options) argv.push_back(const_cast<char*>(option.c_str()));
            argv.push_back(const_cast<char*>(load.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(103);
        }
        close(text[1]);
        close(binary[1]);
        text_ = text[0];
        binary_ = binary[0];
        kill(pid_, SIGCONT);
        read_banner();
    }

    ~LocalLink() override {
        close_channels();
        if (pid_ > 0 && !exited_) {
            int status;
            kill(pid_, SIGTERM);
            if (!ended_within(pid_, status, Millis(1000))) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
    }

    void interrupt() override { kill(pid_, SIGINT); }
    void stop_run() override { kill(pid_, SIGUSR1); }
    void terminate() override { kill(pid_, SIGTERM); }

    std::optional<int> wait_exit(Millis limit) override {
        int status = 0;
        if (!ended_within(pid_, status, limit)) return std::nullopt;
        exited_ = true;
        return status;
    }

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
};

int connect_loopback(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect to the daemon");
    return fd;
}

// Greets as tolq does: 8 bytes out, one receive of up to 8 bytes ignored.
void greet(int fd) {
    write_all(fd, word(0x746f6c71) + word(0));
    char answer[8];
    if (!wait_readable(fd, Clock::now() + kWait) || recv(fd, answer, sizeof answer, 0) <= 0)
        throw std::runtime_error("no greeting from the daemon");
}

class RemoteLink final : public Link {
public:
    RemoteLink(int control, int text, int binary) : control_(control) {
        text_ = text;
        binary_ = binary;
    }
    ~RemoteLink() override {
        close_channels();
        close_fd(control_);
    }

    // Sends a control message and returns the reply's type (0 when none).
    std::uint32_t control(std::uint32_t type, std::string_view payload) const {
        write_all(control_, word(type) + word(static_cast<std::uint32_t>(payload.size())) +
                                std::string(payload));
        std::string header = read_exact(control_, 8, kWait);
        if (header.size() < 8) return 0;
        const std::uint32_t n = word_at(header, 4);
        if (n > 1024) return 0;
        read_exact(control_, n, kWait);
        return word_at(header, 0);
    }

    void start() { read_banner(); }
    void interrupt() override { control(4, {}); }
    void stop_run() override { control(5, {}); }
    void terminate() override { close_fd(control_); }

    // A remote evaluator's end shows as the end of its text connection.
    std::optional<int> wait_exit(Millis limit) override {
        auto deadline = Clock::now() + limit;
        char buffer[4096];
        while (wait_readable(text_, deadline)) {
            if (recv(text_, buffer, sizeof buffer, 0) <= 0) return 0;
        }
        return std::nullopt;
    }

    static std::string read_exact(int fd, std::size_t n, Millis limit) {
        std::string out;
        auto deadline = Clock::now() + limit;
        while (out.size() < n && wait_readable(fd, deadline)) {
            char buffer[4096];
            ssize_t got = recv(fd, buffer, std::min(sizeof buffer, n - out.size()), 0);
            if (got <= 0) break;
            out.append(buffer, static_cast<std::size_t>(got));
        }
        return out;
    }

private:
    int control_ = -1;
};

} // namespace

std::string word(std::uint32_t w) {
    const std::uint32_t big = htonl(w);
    return std::string(reinterpret_cast<const char*>(&big), 4);
}

std::string raw_string(std::string_view s) {
    return word(static_cast<std::uint32_t>(s.size())) + std::string(s);
}

std::string padded_string(std::string_view s) {
    return raw_string(s) + std::string((4 - s.size() % 4) % 4, '\0');
}

std::uint32_t word_at(std::string_view bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) throw std::out_of_range("word_at");
    std::uint32_t w;
    std::memcpy(&w, bytes.data() + offset, 4);
    return ntohl(w);
}

std::string encode_input_text(std::string_view text) {
    std::string out;
    while (text.size() > 252) {
        out.append(text.substr(0, 253));
        out.append("\006\n");
        text.remove_prefix(253);
    }
    out.append(text);
    out.append("\004\n");
    return out;
}

Link::~Link() = default;

void Link::close_channels() {
    close_fd(text_);
    close_fd(binary_);
}

void Link::read_banner() {
    // As tolq does: up to 1024 bytes per receive, at most 5 receives.
    auto deadline = Clock::now() + kWait;
    for (int i = 0; i < 5 && wait_readable(text_, deadline); ++i) {
        char buffer[1024];
        ssize_t n = recv(text_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        banner_.append(buffer, static_cast<std::size_t>(n));
        if (buffer[n - 1] == '\001') break;
    }
}

void Link::send_binary(std::string_view bytes) const { write_all(binary_, bytes); }
void Link::send_text(std::string_view bytes) const { write_all(text_, bytes); }

void Link::evaluate_async(std::string_view ml) const {
    send_binary(word(1) + raw_string(ml));
}

Reply Link::evaluate(std::string_view ml, Millis limit) const {
    evaluate_async(ml);
    return read_reply(limit);
}

Reply Link::read_reply(Millis limit) const {
    Reply reply;
    auto deadline = Clock::now() + limit;
    while (wait_readable(text_, deadline)) {
        char buffer[4096];
        ssize_t n = recv(text_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        ++reply.pieces;
        std::string_view piece(buffer, static_cast<std::size_t>(n));
        reply.raw.append(piece);
        if (piece.ends_with('\001') || piece.ends_with('\002')) {
            reply.result = classify(piece);
            const std::size_t cut = piece.ends_with('\001') || piece.size() < 2 ? 1 : 2;
            reply.text = reply.raw.substr(0, reply.raw.size() - cut);
            return reply;
        }
    }
    reply.text = reply.raw;
    return reply;
}

std::string Link::read_binary(std::size_t n, Millis limit) const {
    std::string out = RemoteLink::read_exact(binary_, n, limit);
    return out.size() == n ? out : std::string();
}

bool Link::has_more(int fd, Millis limit) { return wait_readable(fd, Clock::now() + limit); }

std::unique_ptr<Link> start_local(const std::string& heap, const std::vector<std::string>& runtime_options) {
    return std::make_unique<LocalLink>(heap, runtime_options);
}

std::string bin_dir() { return TOLQ_BIN_DIR; }
std::string default_heap() { return bin_dir() + "/tolq.ML"; }

Daemon::Daemon(const std::vector<std::pair<std::string, std::string>>& users) {
    char pattern[] = "/tmp/tolq-evald-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    const std::string users_file = dir_ + "/users";
    {
        std::ofstream out(users_file);
        crypt_data data{};
        for (const auto& [name, password] : users)
            out << name << ':' << crypt_r(password.c_str(), "$6$tolqtests$", &data) << '\n';
    }
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const std::string program = bin_dir() + "/tolq-evald";
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        execl(program.c_str(), program.c_str(), "--port", "0", "--users", users_file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    auto deadline = Clock::now() + kWait;
    while (line.find('\n') == std::string::npos && wait_readable(out[0], deadline)) {
        char buffer[256];
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    const auto at = line.rfind(' ');
    if (at == std::string::npos) throw std::runtime_error("daemon did not start: " + line);
    port_ = std::stoi(line.substr(at + 1));
}

Daemon::~Daemon() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::remove((dir_ + "/users").c_str());
    rmdir(dir_.c_str());
}

RemoteStart start_remote(int port, const std::string& user, const std::string& password,
                         const std::string& heap) {
    const int control = connect_loopback(port);
    greet(control);
    const int text = connect_loopback(port);
    greet(text);
    const int binary = connect_loopback(port);
    greet(binary);
    auto link = std::make_unique<RemoteLink>(control, text, binary);
    RemoteStart start;
    std::string login = user + '\0' + password + '\0' + "./" + '\0';
    start.login_reply = link->control(1, login);
    if (start.login_reply != 1) return start;
    start.image_reply = link->control(3, heap);
    if (start.image_reply != 1) return start;
    link->start();
    start.link = std::move(link);
    return start;
}

} // namespace tolq::test::evaluator
