// Starts Xvfb with -displayfd so that the server itself picks a free display number.
#include "xvfb.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tolq::test {
namespace {

std::string read_display_number(int fd, std::chrono::milliseconds limit) {
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (text.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        char buf[32];
        ssize_t got = read(fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(buf, static_cast<size_t>(got));
    }
    auto nl = text.find('\n');
    if (nl == std::string::npos || nl == 0) return {};
    return text.substr(0, nl);
}

std::string& current_display() {
    static std::string display;
    return display;
}

} // namespace

Xvfb::Xvfb(int width, int height, int depth) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("Xvfb: pipe failed");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
    server_ = BackgroundProcess({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                                 "-nolisten", "tcp", "-noreset", "+extension", "XTEST"});
    close(fds[1]);
    std::string number = read_display_number(fds[0], std::chrono::milliseconds(20000));
    close(fds[0]);
    if (number.empty()) throw std::runtime_error("Xvfb: the server did not start");
    display_ = ":" + number;
}

void XvfbEnvironment::SetUp() {
    server_ = std::make_unique<Xvfb>();
    current_display() = server_->display();
    setenv("DISPLAY", server_->display().c_str(), 1);
}

void XvfbEnvironment::TearDown() {
    server_.reset();
    unsetenv("DISPLAY");
}

const std::string& XvfbEnvironment::display() { return current_display(); }

} // namespace tolq::test
