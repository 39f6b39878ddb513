// A scripted stand-in for the ML evaluator, for the link's and the request
// servers' tests. Besides the commands below it has, for answers that carry
// no length:
//   recvwords N         read one message of an opcode and N words and note them
//
// Local mode: started like the evaluator, "fake_evaluator @SMLload=<script>",
// with the text channel on descriptors 0 and 1 and the binary channel on 3.
// The script holds one command per line; texts take C escapes (\001, \n, \xHH):
//   out TEXT            write TEXT to standard output in one write
//   outrep N TEXT       write TEXT N times in one write
//   pause MS            sleep
//   recv                read one message from descriptor 3 and note it
//   eval TEXT           read one message from descriptor 3 (not noted) and write TEXT
//   input               read an input text from standard input and note it
//   say TEXT            write the notes, then TEXT, in one write; clear the notes
//   words W...          write 32-bit big-endian words on descriptor 3
//   bytes TEXT          write raw bytes on descriptor 3
//   fields S | I | T    write opcode 7 and a field list (comma-separated values)
//   ignore-term         ignore SIGTERM
//   await-signal NAME   wait (up to 5 s) for SIGINT or SIGUSR1, note it
//   echo-loop           answer every ML text with the text and \001, until end of file
//   close-binary        close descriptor 3
//   die                 end by SIGKILL
//   hang                sleep until killed
//   exit N              exit with status N
//
// Server mode: "fake_evaluator --server PORTFILE LOGFILE [refuse-login|refuse-image]"
// listens on loopback, writes its port to PORTFILE, takes three connections
// (control, text, binary) with their greetings, serves the control messages
// (noting them in LOGFILE) and, on the heap-image message, runs the script
// named by the image path on the text and binary connections.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBinaryFd = 3;
std::string g_notes;
volatile sig_atomic_t g_sawInt = 0;
volatile sig_atomic_t g_sawUsr1 = 0;

void onSignal(int number) {
    if (number == SIGINT) g_sawInt = 1;
    if (number == SIGUSR1) g_sawUsr1 = 1;
}

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "fake_evaluator: %s\n", why.c_str());
    std::exit(2);
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'n') out += '\n';
        else if (c == 'r') out += '\r';
        else if (c == 't') out += '\t';
        else if (c == 's') out += ' ';
        else if (c == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (c >= '0' && c <= '7') {
            out += static_cast<char>(std::stoi(text.substr(i, 3), nullptr, 8));
            i += 2;
        } else out += c;
    }
    return out;
}

void writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) die("write failed");
        done += static_cast<size_t>(n);
    }
}

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

bool readWord(uint32_t* value) {
    uint32_t wire;
    if (!readAll(kBinaryFd, &wire, 4)) return false;
    *value = ntohl(wire);
    return true;
}

std::string wordBytes(uint32_t value) {
    uint32_t wire = htonl(value);
    return std::string(reinterpret_cast<const char*>(&wire), 4);
}

bool readCounted(std::string* text, bool padded) {
    uint32_t n;
    if (!readWord(&n)) return false;
    text->assign(n, '\0');
    if (n > 0 && !readAll(kBinaryFd, text->data(), n)) return false;
    uint32_t pad = padded ? (4 - n % 4) % 4 : 0;
    char skip[4];
    return pad == 0 || readAll(kBinaryFd, skip, pad);
}

// A short text is noted as it is; a long one by its length and byte sum.
std::string describeText(const std::string& text) {
    if (text.size() <= 200) return text;
    uint32_t sum = 0;
    for (unsigned char c : text) sum += c;
    return "sum=" + std::to_string(sum);
}

std::string readFieldList() {
    uint32_t counts[3];
    for (uint32_t& c : counts)
        if (!readWord(&c)) return "eof";
    std::string note = "fields(";
    const char* names[3] = {"s:", " i:", " t:"};
    for (int group = 0; group < 3; ++group) {
        note += names[group];
        for (uint32_t i = 0; i < counts[group]; ++i) {
            if (i > 0) note += ",";
            if (group < 2) {
                uint32_t v;
                if (!readWord(&v)) return "eof";
                note += std::to_string(static_cast<int32_t>(v));
            } else {
                std::string s;
                if (!readCounted(&s, true)) return "eof";
                note += s;
            }
        }
    }
    return note + ")";
}

// Reads one message from the binary channel and describes it.
std::string receiveMessage() {
    uint32_t opcode;
    if (!readWord(&opcode)) return "eof";
    std::string body;
    switch (opcode) {
    case 1:
        if (!readCounted(&body, false)) return "eof";
        return "eval[" + std::to_string(body.size()) + "]:" + describeText(body);
    case 9: return readFieldList();
    case 2:
    case 7:
    case 10: {
        if (!readCounted(&body, false)) return "eof";
        std::ostringstream hex;
        for (unsigned char c : body) hex << std::hex << (c >> 4) << (c & 15);
        return "answer" + std::to_string(opcode) + "[" + hex.str() + "]";
    }
    default: return "op" + std::to_string(opcode);
    }
}

// An opcode and n words, noted as "op<opcode>[word,word...]" (signed).
std::string receiveWords(int n) {
    uint32_t opcode;
    if (!readWord(&opcode)) return "eof";
    std::string text = "op" + std::to_string(opcode) + "[";
    for (int i = 0; i < n; ++i) {
        uint32_t value;
        if (!readWord(&value)) return text + "eof";
        text += (i > 0 ? "," : "") + std::to_string(static_cast<int32_t>(value));
    }
    return text + "]";
}

void note(const std::string& text) {
    if (!g_notes.empty()) g_notes += ";";
    g_notes += text;
}

// Input text: pieces ended by \006\n, the whole by \004\n.
void receiveInput() {
    std::string text;
    char c;
    while (readAll(0, &c, 1)) {
        text += c;
        if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\004\n") == 0) {
            text.resize(text.size() - 2);
            size_t at;
            while ((at = text.find("\006\n")) != std::string::npos) text.erase(at, 2);
            note("input:" + describeText(text));
            return;
        }
    }
    note("input-eof");
}

void writeFields(const std::string& description) {
    std::vector<std::string> groups(3);
    std::istringstream in(description);
    for (auto& g : groups) {
        std::getline(in, g, '|');
        while (!g.empty() && g.front() == ' ') g.erase(0, 1);
        while (!g.empty() && g.back() == ' ') g.pop_back();
    }
    std::vector<std::vector<std::string>> values(3);
    for (int i = 0; i < 3; ++i) {
        std::istringstream items(groups[i]);
        std::string item;
        while (std::getline(items, item, ','))
            if (!item.empty()) values[i].push_back(item);
    }
    std::string bytes = wordBytes(7);
    for (auto& v : values) bytes += wordBytes(static_cast<uint32_t>(v.size()));
    for (int i = 0; i < 2; ++i)
        for (auto& v : values[i]) bytes += wordBytes(static_cast<uint32_t>(std::stol(v)));
    for (auto& v : values[2]) {
        std::string s = unescape(v);
        bytes += wordBytes(static_cast<uint32_t>(s.size())) + s + std::string((4 - s.size() % 4) % 4, '\0');
    }
    writeAll(kBinaryFd, bytes);
}

void awaitSignal(const std::string& name) {
    volatile sig_atomic_t* flag = name == "INT" ? &g_sawInt : &g_sawUsr1;
    for (int i = 0; i < 500 && !*flag; ++i) usleep(10000);
    note(*flag ? "got-" + name : "no-" + name);
    *flag = 0;
}

void echoLoop() {
    for (;;) {
        uint32_t opcode;
        std::string text;
        if (!readWord(&opcode) || opcode != 1 || !readCounted(&text, false)) std::exit(0);
        writeAll(1, text + "\001");
    }
}

void runCommand(const std::string& command, const std::string& argument) {
    if (command == "out") writeAll(1, unescape(argument));
    else if (command == "outrep") {
        std::istringstream in(argument);
        int count;
        std::string text;
        in >> count >> text;
        std::string piece = unescape(text), all;
        for (int i = 0; i < count; ++i) all += piece;
        writeAll(1, all);
    } else if (command == "pause") usleep(static_cast<useconds_t>(std::stoi(argument)) * 1000);
    else if (command == "recv") note(receiveMessage());
    else if (command == "recvwords") note(receiveWords(std::stoi(argument)));
    else if (command == "eval") {
        receiveMessage();
        writeAll(1, unescape(argument));
    } else if (command == "input") receiveInput();
    else if (command == "say") {
        writeAll(1, g_notes + unescape(argument));
        g_notes.clear();
    } else if (command == "words") {
        std::istringstream in(argument);
        std::string word, bytes;
        while (in >> word) bytes += wordBytes(static_cast<uint32_t>(std::stoll(word, nullptr, 0)));
        writeAll(kBinaryFd, bytes);
    } else if (command == "bytes") writeAll(kBinaryFd, unescape(argument));
    else if (command == "fields") writeFields(argument);
    else if (command == "ignore-term") std::signal(SIGTERM, SIG_IGN);
    else if (command == "await-signal") awaitSignal(argument);
    else if (command == "echo-loop") echoLoop();
    else if (command == "close-binary") close(kBinaryFd);
    else if (command == "die") raise(SIGKILL);
    else if (command == "hang") for (;;) pause();
    else if (command == "exit") std::exit(std::stoi(argument));
    else die("unknown command " + command);
}

void runScript(const std::string& path) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGUSR1, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::ifstream script(path);
    if (!script) die("cannot read script " + path);
    std::string line;
    while (std::getline(script, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t space = line.find(' ');
        runCommand(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
    }
    // Stay until the program closes the link.
    char c;
    while (read(0, &c, 1) > 0) {
    }
    std::exit(0);
}

// ---- server mode ----

int acceptOne(int listener) {
    int fd;
    do {
        fd = accept(listener, nullptr, nullptr);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) die("accept failed");
    char greeting[8];
    if (!readAll(fd, greeting, 8)) die("no greeting");
    writeAll(fd, std::string(8, '\0'));
    return fd;
}

void appendLog(const std::string& path, const std::string& line) {
    std::ofstream(path, std::ios::app) << line << "\n";
}

void serve(const std::string& self, const std::string& portFile, const std::string& logFile,
           const std::string& option) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        die("cannot listen");
    std::ofstream(portFile + ".tmp") << ntohs(address.sin_port) << "\n";
    std::rename((portFile + ".tmp").c_str(), portFile.c_str());

    int control = acceptOne(listener);
    int text = acceptOne(listener);
    int binary = acceptOne(listener);
    pid_t child = -1;
    for (;;) {
        uint32_t header[2];
        if (!readAll(control, header, 8)) break;
        uint32_t type = ntohl(header[0]), length = ntohl(header[1]);
        std::string payload(length, '\0');
        if (length > 0 && !readAll(control, payload.data(), length)) break;
        uint32_t replyType = 1;
        if (type == 1) {
            std::string shown = payload;
            for (char& c : shown)
                if (c == '\0') c = '|';
            appendLog(logFile, "login " + shown);
            if (option == "refuse-login") replyType = 2;
        } else if (type == 3) {
            appendLog(logFile, "image " + payload);
            if (option == "refuse-image") replyType = 2;
            else if ((child = fork()) == 0) {
                dup2(text, 0);
                dup2(text, 1);
                dup2(binary, kBinaryFd);
                std::string load = "@SMLload=" + payload;
                execl(self.c_str(), self.c_str(), load.c_str(), static_cast<char*>(nullptr));
                _exit(127);
            }
        } else if (type == 4 || type == 5) {
            appendLog(logFile, type == 4 ? "interrupt" : "stop-run");
            if (child > 0) kill(child, type == 4 ? SIGINT : SIGUSR1);
        }
        writeAll(control, wordBytes(replyType) + wordBytes(0));
    }
    appendLog(logFile, "closed");
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string first = argc > 1 ? argv[1] : "";
    if (first == "--server" && argc >= 4) {
        serve(argv[0], argv[2], argv[3], argc > 4 ? argv[4] : "");
        return 0;
    }
    const std::string prefix = "@SMLload=";
    if (first.compare(0, prefix.size(), prefix) != 0) die("usage: fake_evaluator @SMLload=SCRIPT");
    runScript(first.substr(prefix.size()));
}
