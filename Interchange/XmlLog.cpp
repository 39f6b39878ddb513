// The import log and the XML reader's and writer's message dialogs.
#include "Interchange/XmlLog.h"

#include "xkv/kv/QXUI.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

struct LogState {
    std::string name;
    std::FILE* stream = nullptr;
    bool tried = false;
};

LogState& logState() {
    static LogState state;
    return state;
}

void closeStream() {
    auto& s = logState();
    if (s.stream) {
        std::fclose(s.stream);
        s.stream = nullptr;
    }
}

void vlogPrintf(const char* format, va_list args) {
    auto& s = logState();
    if (!s.stream) {
        if (s.tried) return;
        s.tried = true;
        s.stream = s.name.empty() ? nullptr : std::fopen(s.name.c_str(), "w");
        if (!s.stream) {
            XmlShowMessage("ERROR: could not open logfile!");
            return;
        }
    }
    std::vfprintf(s.stream, format, args);
    std::fflush(s.stream);
}

void logLine(const char* format, va_list args) {
    char message[255];
    std::vsnprintf(message, sizeof message, format, args);
    XmlLogPrintf("%s\n", message);
}

}  // namespace

const std::string& XmlLogSetName(std::string_view xmlFileName) {
    auto& s = logState();
    closeStream();
    s.tried = false;
    s.name = std::string(xmlFileName) + ".log";
    return s.name;
}

void XmlLogPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    vlogPrintf(format, args);
    va_end(args);
}

void XmlLogWarning(const char*, int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    logLine(format, args);
    va_end(args);
}

void XmlLogError(const char*, int, const char* format, ...) {
    va_list args;
    va_start(args, format);
    logLine(format, args);
    va_end(args);
    XmlShowMessage("Serious error occured! Save changes and restart.");
}

void XmlLogFinish() {
    auto& s = logState();
    if (s.stream) {
        XmlShowMessage("Warnings/Errors detected.\nPlease check log-file:\n\n" + s.name);
        closeStream();
    }
    s.name.clear();
    s.tried = false;
}

void XmlShowMessage(std::string_view text) { QXUI_ShowMessage(std::string(text).c_str()); }

namespace {
constexpr std::string_view kStructureMessage = "ERROR: Something must be wrong with the structure...";
}

void XmlStructureError() { XmlShowMessage(kStructureMessage); }

void XmlStructureError(std::string_view tag, int line) {
    XmlShowMessage(std::string(kStructureMessage) + "\nat " + std::string(tag) + " in line " + std::to_string(line));
}

void XmlFatal() {
    XmlShowMessage("Serious internal error! Shutting down!");
    std::exit(1);
}
