// Shared helpers of the evaluator-link tests: reply files, and a fixture that
// runs the link against the scripted fake evaluator.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <string>

#include "atolq/SmlEval/SmlEval.h"
#include "process.h"

namespace sml_test {

inline const std::string kFake = TOLQ_BIN_DIR "/sml_fake_evaluator";
inline const std::string kBanner = "out TOLQ evaluator [0404NJ]\\001\n";
// Banner, then the reply to the start-up text that SMLConnect evaluates.
inline const std::string kConnected = kBanner + "eval \\001\n";

// An owned MemFile.
class File {
public:
    File() : file_(MemFileCreate()) {}
    explicit File(const std::string& text) : File() { write(text); }
    ~File() { MemFileDestroy(file_); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    MemFile* get() const { return file_; }
    void write(const std::string& text) { MemFileWrite(file_, text.data(), static_cast<uint32_t>(text.size())); }
    std::string text() const {
        std::string all(MemFileLength(file_), '\0');
        uint32_t count = static_cast<uint32_t>(all.size());
        MemFileRewind(file_);
        MemFileRead(file_, all.data(), &count);
        MemFileRewind(file_);
        return all;
    }

private:
    MemFile* file_;
};

// Processes (zombies too) whose parent is this process.
inline int childCount() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state;
        int parent = 0;
        rest >> state >> parent;
        if (parent == getpid()) ++count;
    }
    return count;
}

inline bool processExists(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno != ESRCH); }

class FakeEvaluatorTest : public ::testing::Test {
protected:
    void TearDown() override { SMLStopProcess(); }

    std::string scriptFile(const std::string& script) {
        std::string path = dir_.file("script" + std::to_string(++scripts_));
        tolq::test::write_file(path, script);
        return path;
    }
    int start(const std::string& script) {
        return SMLStart(1, nullptr, 0, scriptFile(script).c_str(), kFake.c_str(), nullptr, nullptr);
    }
    int connect(const std::string& script) {
        return SMLConnect(1, nullptr, 0, scriptFile(script).c_str(), kFake.c_str(), nullptr, nullptr);
    }

    // Evaluates the text; the reply without the leading carriage return.
    std::string evaluate(const std::string& text, int16_t* result) {
        File request(text), reply("\r");
        *result = SMLEvaluate(request.get(), reply.get());
        return reply.text().substr(1);
    }

    tolq::test::TempDir dir_;
    int scripts_ = 0;
};

} // namespace sml_test
