// Socket helpers and control-message framing of the evaluator daemon.
#include "control.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolq::evald {
namespace {

using Clock = std::chrono::steady_clock;

// Waits until fd is readable; false on time-out or error.
bool wait_readable(int fd, Clock::time_point deadline, bool unlimited) {
    for (;;) {
        int timeout = -1;
        if (!unlimited) {
            auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now()).count();
            if (left <= 0) return false;
            timeout = static_cast<int>(left);
        }
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, timeout);
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

std::uint32_t decode_word(const std::array<char, 4>& b) {
    std::uint32_t w;
    std::memcpy(&w, b.data(), 4);
    return ntohl(w);
}

} // namespace

bool read_exact(int fd, std::span<char> out, Millis limit) {
    const bool unlimited = limit.count() < 0;
    const auto deadline = Clock::now() + (unlimited ? Millis(0) : limit);
    std::size_t got = 0;
    while (got < out.size()) {
        if (!wait_readable(fd, deadline, unlimited)) return false;
        ssize_t n = recv(fd, out.data() + got, out.size() - got, 0);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all(int fd, std::span<const char> data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<ControlMessage> read_control(int fd, Millis limit) {
    std::array<char, 4> type{}, length{};
    if (!read_exact(fd, type, limit) || !read_exact(fd, length, limit)) return std::nullopt;
    ControlMessage message;
    message.type = decode_word(type);
    const std::uint32_t n = decode_word(length);
    if (n > kMaxPayload) return std::nullopt;
    message.payload.resize(n);
    if (!read_exact(fd, message.payload, limit)) return std::nullopt;
    return message;
}

bool write_control(int fd, std::uint32_t type, std::string_view payload) {
    if (payload.size() > kMaxPayload) return false;
    std::string out(8, '\0');
    const std::uint32_t words[2] = {htonl(type), htonl(static_cast<std::uint32_t>(payload.size()))};
    std::memcpy(out.data(), words, 8);
    out.append(payload);
    return write_all(fd, out);
}

bool exchange_greeting(int fd, Millis limit) {
    std::array<char, 8> greeting{};
    if (!read_exact(fd, greeting, limit)) return false;
    const std::array<char, 8> answer{};
    return write_all(fd, answer);
}

} // namespace tolq::evald
