// Starting, checking, interrupting and stopping the ML evaluator, locally as a
// child process or remotely over three TCP connections.
#include "atolq/SML/SMLLink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "atolq/SML/SMLWait.h"

namespace {

SMLLinkState g_link;

// The evaluator child as the SIGCHLD handler sees it. The handler reaps only
// this process, so other children of the program keep their exit statuses.
volatile sig_atomic_t g_childPid = -1;
volatile sig_atomic_t g_childReaped = 1;

void onChildSignal(int) {
    int savedErrno = errno;
    pid_t pid = g_childPid;
    if (pid > 0 && !g_childReaped) {
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) g_childReaped = 1;
    }
    errno = savedErrno;
}

void installSignalHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = onChildSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &action, nullptr);
}

// Holds SIGCHLD back while the child's pid is looked at and signalled, so the
// pid cannot be reaped (and reused) between the check and the signal.
class ChildSignalBlock {
public:
    ChildSignalBlock() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGCHLD);
        sigprocmask(SIG_BLOCK, &set, &saved_);
    }
    ~ChildSignalBlock() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    ChildSignalBlock(const ChildSignalBlock&) = delete;
    ChildSignalBlock& operator=(const ChildSignalBlock&) = delete;

private:
    sigset_t saved_;
};

bool childAlive() { return g_childPid > 0 && !g_childReaped; }

// Sends a signal to the evaluator child unless it has already been reaped.
bool signalChild(int signalNumber) {
    ChildSignalBlock block;
    if (!childAlive()) return false;
    return kill(g_childPid, signalNumber) == 0;
}

bool reapNow(pid_t pid, int options) {
    int status;
    pid_t result;
    do {
        result = waitpid(pid, &status, options);
    } while (result < 0 && errno == EINTR);
    return result == pid || (result < 0 && errno == ECHILD);
}

// SIGTERM, up to one second for the child to end, then SIGKILL.
void terminateChild() {
    using namespace std::chrono;
    ChildSignalBlock block;
    if (childAlive()) {
        pid_t pid = g_childPid;
        kill(pid, SIGTERM);
        auto deadline = steady_clock::now() + seconds(1);
        bool ended = reapNow(pid, WNOHANG);
        while (!ended && steady_clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(5));
            ended = reapNow(pid, WNOHANG);
        }
        if (!ended) {
            kill(pid, SIGKILL);
            reapNow(pid, 0);
        }
        g_childReaped = 1;
    }
    g_childPid = -1;
    g_link.childPid = -1;
}

void closeFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

void freeStreams() {
    SMLCloseOut(g_link.controlOut);
    SMLCloseIn(g_link.controlIn);
    SMLCloseOut(g_link.textOut);
    SMLCloseIn(g_link.textIn);
    SMLCloseOut(g_link.binaryOut);
    SMLCloseIn(g_link.binaryIn);
}

// Gives back everything of the previous connection: child, sockets, streams.
void releaseConnection() {
    terminateChild();
    SMLCloseSockets();
    freeStreams();
    g_link.kind = kSMLKindNone;
}

int fail(int32_t error) {
    g_link.linkError = error;
    return 0;
}

int failStart(int32_t error) {
    releaseConnection();
    return fail(error);
}

// Moves a descriptor to 4 or above, out of the way of 0, 1 and 3.
int moveAbove3(int fd) { return fcntl(fd, F_DUPFD, 4); }

[[noreturn]] void execEvaluator(int textEnd, int binaryEnd, const char* program, char* const argv[]) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    std::signal(SIGPIPE, SIG_DFL);
    int text = moveAbove3(textEnd);
    int binary = moveAbove3(binaryEnd);
    if (text < 0 || binary < 0 || dup2(text, 0) < 0 || dup2(text, 1) < 0 || dup2(binary, 3) < 0)
        _exit(kMLErrStart);
    if (close_range(4, ~0u, 0) != 0)
        for (int fd = 4; fd < 1024; ++fd) close(fd);
    execv(program, argv);
    _exit(kMLErrStart);
}

bool openChannelStreams(int textFd, int binaryFd) {
    g_link.textOut = SMLOpenOut(textFd);
    g_link.textIn = SMLOpenIn(textFd);
    g_link.binaryIn = SMLOpenIn(binaryFd);
    g_link.binaryOut = SMLOpenOut(binaryFd);
    return g_link.textOut && g_link.textIn && g_link.binaryIn && g_link.binaryOut;
}

int startLocal(const char* image, const char* program) {
    int textPair[2], binaryPair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, binaryPair) != 0) return fail(kMLErrSocketPair);
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, textPair) != 0) {
        close(binaryPair[0]);
        close(binaryPair[1]);
        return fail(kMLErrSocketPair);
    }
    g_link.textFd = textPair[0];
    g_link.binaryFd = binaryPair[0];
    installSignalHandlers();

    // Everything the child needs is made before the fork.
    std::string programPath = program ? program : "";
    std::string loadArgument = std::string("@SMLload=") + (image ? image : "");
    char* argv[] = {programPath.data(), loadArgument.data(), nullptr};

    pid_t pid;
    {
        ChildSignalBlock block;
        pid = fork();
        if (pid == 0) execEvaluator(textPair[1], binaryPair[1], programPath.c_str(), argv);
        if (pid > 0) {
            g_childReaped = 0;
            g_childPid = pid;
            g_link.childPid = pid;
        }
    }
    close(textPair[1]);
    close(binaryPair[1]);
    if (pid < 0) return failStart(kMLErrStart);
    if (!openChannelStreams(g_link.textFd, g_link.binaryFd)) return failStart(kMLErrStart);
    if (!signalChild(SIGCONT)) return failStart(kMLErrStart);
    return SMLCheckBanner() ? 1 : failStart(g_link.linkError);
}

std::string loginPayload(const char* user, const char* password) {
    std::string payload = std::string(user ? user : "") + '\0' + (password ? password : "") + '\0';
    // The working directory must leave room for its NUL within the control limit.
    std::array<char, kSMLControlMax> cwd{};
    size_t room = payload.size() + 1 < kSMLControlMax ? kSMLControlMax - payload.size() - 1 : 0;
    if (room > 1 && getcwd(cwd.data(), room) != nullptr)
        payload += cwd.data();
    else
        payload += "./";
    payload += '\0';
    return payload;
}

// Sends one control message and reads its reply; the reply type must be 1.
int controlExchange(uint32_t type, std::string_view payload, int32_t refusedError) {
    if (!SMLSendControl(g_link.controlOut.get(), type, static_cast<uint32_t>(payload.size()),
                        payload.data()))
        return fail(kMLErrControlSend);
    uint32_t replyType = 0, replyLength = 0;
    std::array<char, kSMLControlMax> reply;
    if (!SMLReceiveControl(g_link.controlIn.get(), &replyType, &replyLength, reply))
        return fail(kMLErrControlReceive);
    if (replyType != 1) return fail(refusedError);
    return 1;
}

int startRemote(const char* host, uint16_t port, const char* image, const char* user,
                const char* password) {
    sockaddr_in address{};
    if (!SMLResolveHost(host, port, &address)) return fail(kMLErrUnknownHost);
    for (int* fd : {&g_link.controlFd, &g_link.textFd, &g_link.binaryFd}) {
        if (!SMLOpenConnection(fd, address)) return failStart(kMLErrConnect);
        SMLGreet(*fd);
    }
    g_link.controlOut = SMLOpenOut(g_link.controlFd);
    g_link.controlIn = SMLOpenIn(g_link.controlFd);
    if (!g_link.controlOut || !g_link.controlIn || !openChannelStreams(g_link.textFd, g_link.binaryFd))
        return failStart(kMLErrStart);
    if (!controlExchange(kSMLControlLogin, loginPayload(user, password), kMLErrLogin) ||
        !controlExchange(kSMLControlImage, image ? image : "", kMLErrStart) || !SMLCheckBanner())
        return failStart(g_link.linkError);
    return 1;
}

int stopRemoteRun(uint32_t type) {
    if (!g_link.controlOut || !g_link.controlIn) return fail(kMLErrControlSend);
    return controlExchange(type, {}, kMLErrControlReceive);
}

} // namespace

SMLLinkState& SMLLink() { return g_link; }

void SMLMarkBroken(int32_t linkError) {
    g_link.kind = kSMLKindNone;
    if (linkError != kMLErrNone) g_link.linkError = linkError;
}

int SMLStartProcess(int local, const char* host, uint16_t port, const char* image,
                    const char* program, const char* user, const char* password) {
    releaseConnection();
    g_link.local = local ? 1 : 0;
    g_link.linkError = kMLErrNone;
    return local ? startLocal(image, program) : startRemote(host, port, image, user, password);
}

int SMLStart(int local, const char* host, uint16_t port, const char* image, const char* program,
             const char* user, const char* password) {
    if (SMLStartProcess(local, host, port, image, program, user, password)) return 0;
    switch (g_link.linkError) {
    case kMLErrSocketPair: return -1;
    case kMLErrUnknownHost: return -2;
    case kMLErrConnect: return -3;
    case kMLErrStart: return -4;
    case kMLErrControlSend: return -7;
    case kMLErrControlReceive: return -8;
    case kMLErrNoVersion: return -13;
    case kMLErrBadVersion: return -14;
    default: return -11;
    }
}

int SMLCheckBanner() {
    if (g_link.textFd < 0) return fail(kMLErrStart);
    std::array<char, 1024> chunk;
    uint32_t length = 0;
    for (int receives = 0; receives < 5; ++receives) {
        length = static_cast<uint32_t>(chunk.size());
        if (!SMLRecvRaw(g_link.textFd, chunk.data(), &length)) return fail(kMLErrStart);
        if (chunk[length - 1] == '\001') break;
    }
    std::string_view banner(chunk.data(), length);
    size_t close = banner.rfind(']');
    size_t open = close == std::string_view::npos ? close : banner.rfind('[', close);
    if (open == std::string_view::npos) {
        g_link.kind = kSMLKindNone;
        return fail(kMLErrNoVersion);
    }
    std::string_view tag = banner.substr(open + 1, close - open - 1);
    if (tag == "0404NJ")
        g_link.kind = kSMLKindNJ;
    else if (tag == "0031ED")
        g_link.kind = kSMLKindOld;
    else {
        g_link.kind = kSMLKindNone;
        return fail(kMLErrBadVersion);
    }
    return 1;
}

int SMLSendControl(SMLStream* out, uint32_t type, uint32_t length, const void* payload) {
    if (!out) return 0;
    return SMLPutU32(out, type) && SMLPutU32(out, length) && SMLPutBytes(out, payload, length) &&
           SMLFlush(out);
}

int SMLReceiveControl(SMLStream* in, uint32_t* type, uint32_t* length,
                      std::array<char, kSMLControlMax>& buffer) {
    if (!in || !SMLGetU32(in, type) || !SMLGetU32(in, length)) return 0;
    if (*length > buffer.size()) return 0;
    return SMLGetBytes(in, buffer.data(), *length);
}

int SMLGreet(int socket) {
    uint8_t greeting[8] = {};
    uint32_t count = sizeof greeting;
    SMLSendRaw(socket, greeting, &count);
    count = sizeof greeting;
    SMLRecvRaw(socket, greeting, &count);
    return 1;
}

int SMLResolveHost(const char* host, uint16_t port, sockaddr_in* address) {
    if (!host) return 0;
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    if (inet_pton(AF_INET, host, &result.sin_addr) == 1) {
        // A dotted address must have a name, as the reverse lookup requires.
        char name[NI_MAXHOST];
        if (getnameinfo(reinterpret_cast<const sockaddr*>(&result), sizeof result, name, sizeof name,
                        nullptr, 0, NI_NAMEREQD) != 0)
            return 0;
    } else {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return 0;
        result.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    *address = result;
    return 1;
}

int SMLOpenConnection(int* socketFd, const sockaddr_in& address) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // An interrupted connect goes on in the background: wait for its outcome.
        bool connected = false;
        if (errno == EINTR || errno == EINPROGRESS) {
            pollfd entry{fd, POLLOUT, 0};
            int ready;
            do {
                ready = poll(&entry, 1, -1);
            } while (ready < 0 && errno == EINTR);
            int error = 0;
            socklen_t size = sizeof error;
            connected = ready == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        if (!connected) {
            close(fd);
            return 0;
        }
    }
    *socketFd = fd;
    return 1;
}

int SMLCloseSockets() {
    closeFd(g_link.controlFd);
    closeFd(g_link.textFd);
    closeFd(g_link.binaryFd);
    return 1;
}

int SMLInterrupt() {
    if (g_link.local) return signalChild(SIGINT) ? 1 : fail(kMLErrStart);
    return stopRemoteRun(kSMLControlInterrupt);
}

int SMLStopRun() {
    if (g_link.local) return signalChild(SIGUSR1) ? 1 : fail(kMLErrStart);
    return stopRemoteRun(kSMLControlStopRun);
}

int SMLStopProcess() {
    // Also releases what a broken connection left behind.
    releaseConnection();
    return 1;
}

int SMLShutdown() {
    SMLInterrupt();
    return SMLStopProcess() ? 0 : -1;
}

int SMLBreak() {
    if (g_link.kind == kSMLKindNone) return 0;
    return SMLInterrupt() ? 0 : -12;
}

int SMLDisconnect() {
    if (g_link.kind == kSMLKindNone) return 0;
    SMLSessionReset();
    return SMLShutdown();
}

int SMLGetConnState() {
    switch (g_link.kind) {
    case kSMLKindNone:
    case kSMLKindOld:
    case kSMLKindNJ: return g_link.kind;
    default: return 3;
    }
}
