// The import log beside a loaded XML file (its name with ".log" appended),
// created on the first message of a load, and the reader's and writer's
// shared message dialogs and fatal stop.
#pragma once

#include <string>
#include <string_view>

// Starts a load's log state for the chosen file; returns the log's name.
const std::string& XmlLogSetName(std::string_view xmlFileName);
// Writes the formatted text into the log, opening (truncating) it first on
// the load's first message; when it cannot be opened, one dialog and the
// rest of the load's messages are dropped.
void XmlLogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A recoverable problem: the message, cut to 254 characters, and a newline.
void XmlLogWarning(const char* sourceFile, int sourceLine, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// As XmlLogWarning, then the dialog that asks the user to save and restart.
void XmlLogError(const char* sourceFile, int sourceLine, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// Ends the load's log: when anything was logged, tells the user where and
// closes the log; forgets the name.
void XmlLogFinish();

void XmlShowMessage(std::string_view text);
void XmlStructureError();
// The structure message followed by the tag that does not fit and its line.
void XmlStructureError(std::string_view tag, int line);
[[noreturn]] void XmlFatal();

#define XML_WARN(...) XmlLogWarning(__FILE__, __LINE__, __VA_ARGS__)
#define XML_ERROR(...) XmlLogError(__FILE__, __LINE__, __VA_ARGS__)
