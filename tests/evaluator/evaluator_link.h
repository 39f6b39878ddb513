// tolq's side of the evaluator link, as the tests drive it: starts the real
// heap image on two socket pairs, or through the remote daemon on three
// loopback TCP connections, and sends and reads the link's messages with
// time limits.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolq::test::evaluator {

using Millis = std::chrono::milliseconds;
inline constexpr Millis kWait{10000};

// An evaluation's outcome as tolq classifies a kind-2 reply.
enum class Result { Success = 0, NotCompiled = -2, ErrorClass = -4, Failure = -5, NoReply = -8 };

struct Reply {
    Result result = Result::NoReply;
    std::string text;   // without the terminator
    std::string raw;    // every byte received
    int pieces = 0;     // receives of at most 4096 bytes
};

// Big-endian words and the link's string forms.
std::string word(std::uint32_t w);
std::string raw_string(std::string_view s);    // word n, n bytes
std::string padded_string(std::string_view s); // word n, n bytes, pad to 4
std::uint32_t word_at(std::string_view bytes, std::size_t offset);

// An input text as tolq writes it: pieces of 253 bytes, each followed by
// \006 and a newline while more than 252 bytes remain, the whole ended by
// \004 and a newline.
std::string encode_input_text(std::string_view text);

// A running evaluator and tolq's ends of its channels.
class Link {
public:
    virtual ~Link();

    int text_fd() const { return text_; }
    int binary_fd() const { return binary_; }

    // The banner, read as tolq reads it: until a receive ends with \001.
    const std::string& banner() const { return banner_; }

    void send_binary(std::string_view bytes) const;
    void send_text(std::string_view bytes) const;
    // Opcode 1 with the text.
    void evaluate_async(std::string_view ml) const;
    // Opcode 1, then the reply.
    Reply evaluate(std::string_view ml, Millis limit = kWait) const;
    // Receives reply pieces until one ends with a terminator.
    Reply read_reply(Millis limit = kWait) const;
    // Exactly n bytes from the binary channel; empty on time-out or end.
    std::string read_binary(std::size_t n, Millis limit = kWait) const;
    // Whether any byte arrives on fd within the limit.
    static bool has_more(int fd, Millis limit);

    virtual void interrupt() = 0;
    virtual void stop_run() = 0;
    // Ends the evaluator: SIGTERM to a local one; a remote one loses its
    // control connection, and the daemon ends it.
    virtual void terminate() = 0;
    // Waits for the evaluator process to end; its wait status, or nullopt.
    virtual std::optional<int> wait_exit(Millis limit) = 0;
    // Closes tolq's ends of both channels.
    void close_channels();

protected:
    void read_banner();
    int text_ = -1;
    int binary_ = -1;
    std::string banner_;
};

// The evaluator as a local child: text pair on descriptors 0 and 1, binary
// pair on descriptor 3. Runtime options go before the state to load.
std::unique_ptr<Link> start_local(const std::string& heap,
                                  const std::vector<std::string>& runtime_options = {});

// The remote daemon, started for one test.
class Daemon {
public:
    // users: lines "name:password" turned into a users file of crypt hashes.
    explicit Daemon(const std::vector<std::pair<std::string, std::string>>& users);
    ~Daemon();
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;
    int port() const { return port_; }

private:
    std::string dir_;
    int pid_ = -1;
    int port_ = -1;
};

// Control connection outcome of a remote start.
struct RemoteStart {
    std::unique_ptr<Link> link;   // set when the evaluator started
    std::uint32_t login_reply = 0;
    std::uint32_t image_reply = 0;
};

RemoteStart start_remote(int port, const std::string& user, const std::string& password,
                         const std::string& heap);

std::string bin_dir();
std::string default_heap(); // "<bin>/tolq.ML"

} // namespace tolq::test::evaluator
