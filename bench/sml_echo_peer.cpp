// The least an evaluator can be: a banner, then every ML text on descriptor 3
// answered on standard output with the text itself and \001. The floor against
// which the link's round trip with the real evaluator is measured.
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace {

bool readAll(int fd, void* buffer, size_t count) {
    auto* p = static_cast<char*>(buffer);
    while (count > 0) {
        ssize_t n = read(fd, p, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

int main() {
    if (!writeAll(1, "echo peer [0404NJ]\001")) return 1;
    for (;;) {
        uint32_t header[2];
        if (!readAll(3, header, sizeof header)) return 0;
        std::string text(ntohl(header[1]), '\0');
        if (!readAll(3, text.data(), text.size())) return 0;
        if (ntohl(header[0]) == 1 && !writeAll(1, text + "\001")) return 0;
    }
}
