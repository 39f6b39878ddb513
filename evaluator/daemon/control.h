// Control messages of the remote evaluator link and the socket helpers the
// daemon uses: whole reads and writes with a time limit, and the greeting.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tolq::evald {

using Millis = std::chrono::milliseconds;

// Control message types.
enum class ControlType : std::uint32_t {
    Login = 1,      // user, NUL, password, NUL, working directory, NUL
    HeapImage = 3,  // path of the heap image
    Interrupt = 4,  // interrupt the current evaluation
    StopRun = 5,    // stop the running simulation
};

// Replies: 1 accepted; anything else refused.
inline constexpr std::uint32_t kReplyOk = 1;
inline constexpr std::uint32_t kReplyRefused = 2;

// The largest control payload accepted from a client.
inline constexpr std::uint32_t kMaxPayload = 4096;

struct ControlMessage {
    std::uint32_t type = 0;
    std::string payload;
};

// Reads exactly out.size() bytes; false on end of file, error or time-out
// (no limit when limit is negative).
bool read_exact(int fd, std::span<char> out, Millis limit);
bool write_all(int fd, std::span<const char> data);

// One control message; nullopt when the peer closed, broke the framing or
// sent a payload over kMaxPayload.
std::optional<ControlMessage> read_control(int fd, Millis limit);
bool write_control(int fd, std::uint32_t type, std::string_view payload = {});

// The client's 8-byte greeting, answered with 8 bytes.
bool exchange_greeting(int fd, Millis limit);

} // namespace tolq::evald
