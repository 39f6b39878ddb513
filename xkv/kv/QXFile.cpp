// QX file functions over the kernel's files and its file-selection dialog.
// A file made or opened for the application's callback is always closed
// again, and the encoder switched off, whatever the callback answers. A file
// made for writing is written under a temporary name beside it and takes the
// name only when everything was written.
#include "xkv/kv/QXFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "xkv/comm/Comm.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/mods/Strings.h"

namespace {

constexpr uint32_t kDiagramFile = 1;
constexpr KernelStatus kSelectorCancelled = 60;
constexpr int32_t kMessageSave = 22;
constexpr int32_t kMessageOpen = 23;

// A copy of the text in a new QX memory block, 0 when none can be had.
char* CopyToBlock(const char* text)
{
    const size_t length = std::strlen(text);
    auto* block = static_cast<char*>(QXMem_Alloc(static_cast<uint32_t>(length + 1)));
    if (block != nullptr) {
        std::memcpy(block, text, length);
    }
    return block;
}

std::string Message(int32_t id)
{
    char text[64] = {};
    String_GetText(id, text, sizeof text);
    return text;
}

// Runs the file selector: true with the chosen path; false with the status
// stored (60 when the user cancelled).
bool Select(const char* title, const char* button, const char* initial, uint32_t options, std::string* chosen)
{
    char* path = nullptr;
    const KernelStatus status = Dialog_SelectFile(title != nullptr ? title : "", button != nullptr ? button : "",
                                                  initial, options, &path);
    std::unique_ptr<char, decltype(&std::free)> owned(path, &std::free);
    if (status != kStatusOk || path == nullptr) {
        QXStatus = status != kStatusOk ? status : kSelectorCancelled;
        return false;
    }
    *chosen = path;
    return true;
}

bool Ask(const char* title, int32_t button, const char* initial, uint32_t options, std::string* chosen)
{
    const std::string label = Message(button);
    return Select(title, label.c_str(), initial, options, chosen);
}

// Calls the callback with the open file, the encoder on when asked.
uint32_t RunCallback(FileHandle file, const QXFileRequest& request, uint32_t direction)
{
    uint32_t result = 0;
    if (request.stream != 0) {
        if (KernelStatus s = File_StreamOn(file, direction); s != kStatusOk) {
            File_Close(file);
            return qx::Fail(s);
        }
    }
    result = request.callback(file);
    if (request.stream != 0) {
        if (KernelStatus s = File_StreamOff(file); s != kStatusOk && direction == 1) {
            result = qx::Fail(s);
        }
    }
    if (KernelStatus s = File_Close(file); s != kStatusOk) {
        return qx::Fail(s);
    }
    return result;
}

// A new empty file beside the target, with the target's permissions (the
// usual ones for a new file): true with its name.
bool MakeTemporaryBeside(const std::string& target, std::string* temporary)
{
    std::string pattern = target + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        QXStatus = File_ErrnoStatus(errno);
        return false;
    }
    struct stat old {};
    mode_t mode = 0666;
    if (stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd, mode);
    close(fd);
    *temporary = pattern;
    return true;
}

}  // namespace

uint32_t QXFile_GetCurrentFileName(char** out)
{
    if (out == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    char path[kQXPathSize] = {};
    if (KernelStatus s = Comm_GetFilePath(kDiagramFile, path, sizeof path); s != kStatusOk) {
        return qx::Fail(s);
    }
    *out = CopyToBlock(path);
    return *out != nullptr ? 1 : 0;
}

uint32_t QXFile_SetCurrentFileName(const char* path)
{
    if (path == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    if (KernelStatus s = Comm_SetFilePath(kDiagramFile, path); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXFile_SelectFile(const char* title, const char* button, const char* initial, uint32_t options, char** out)
{
    if (out == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    std::string chosen;
    if (!Select(title, button, initial, options, &chosen)) {
        return 0;
    }
    *out = CopyToBlock(chosen.c_str());
    return *out != nullptr ? 1 : 0;
}

uint32_t QXFile_CreateFile(QXFileRequest* request)
{
    if (request == nullptr || request->callback == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    std::string path;
    if (request->ask != 0) {
        if (!Ask(request->title, kMessageSave, request->name, request->options, &path)) {
            return 0;
        }
    } else if (request->name != nullptr) {
        path = request->name;
    } else {
        return qx::Fail(kStatusBadArgument);
    }
    std::string temporary;
    if (!MakeTemporaryBeside(path, &temporary)) {
        return 0;
    }
    FileHandle file = 0;
    if (KernelStatus s = File_Open(temporary.c_str(), kOpenWrite, &file); s != kStatusOk) {
        File_Remove(temporary.c_str());
        return qx::Fail(s);
    }
    // The callback's answer, or the status of the closing write when that
    // failed: only a complete file replaces the old one.
    QXStatus = 0;
    const uint32_t result = RunCallback(file, *request, 0);
    if (result == 0) {
        File_Remove(temporary.c_str());
        return 0;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const KernelStatus s = File_ErrnoStatus(errno);
        File_Remove(temporary.c_str());
        return qx::Fail(s);
    }
    return result;
}

uint32_t QXFile_CreateFileWith(QXFileCallback callback, const char* name, uint32_t options, const char* title,
                               uint32_t)
{
    QXFileRequest request;
    request.callback = callback;
    request.name = name;
    request.ask = 1;
    request.options = options;
    request.title = title;
    return QXFile_CreateFile(&request);
}

uint32_t QXFile_OpenFile(QXFileRequest* request)
{
    if (request == nullptr || request->callback == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    std::string path;
    if (request->ask != 0) {
        if (!Ask("Open File", kMessageOpen, request->name, request->options, &path)) {
            return 0;
        }
    } else if (request->name != nullptr) {
        path = request->name;
    } else {
        return qx::Fail(kStatusBadArgument);
    }
    if (!File_Exists(path.c_str())) {
        return qx::Fail(kStatusNotFound);
    }
    FileHandle file = 0;
    if (KernelStatus s = File_Open(path.c_str(), kOpenRead, &file); s != kStatusOk) {
        return qx::Fail(s);
    }
    // A name chosen by the dialog stands in the record while the callback runs.
    const bool lend = request->name == nullptr;
    if (lend) {
        request->name = path.c_str();
    }
    const uint32_t result = RunCallback(file, *request, 1);
    if (lend) {
        request->name = nullptr;
    }
    return result;
}

uint32_t QXFile_OpenFileWith(QXFileCallback callback, const char* name)
{
    QXFileRequest request;
    request.callback = callback;
    request.name = name;
    request.ask = 1;
    return QXFile_OpenFile(&request);
}

uint32_t QXFile_Write(FileHandle file, const void* data, uint32_t count)
{
    if (data == nullptr && count != 0) {
        return qx::Fail(kStatusBadArgument);
    }
    const KernelStatus s = File_IsEncoding(file) ? File_WriteBytes(file, data, count) : File_Write(file, data, count);
    return s == kStatusOk ? 1 : qx::Fail(s);
}

uint32_t QXFile_WriteAlias(FileHandle file, const void* data, uint32_t count)
{
    return QXFile_Write(file, data, count);
}

uint32_t QXFile_ReadBlock(FileHandle file, void* buffer, uint32_t count)
{
    if (buffer == nullptr && count != 0) {
        return qx::Fail(kStatusBadArgument);
    }
    // A block that the file does not hold to its end is a failure, at the
    // end of the file too (status 26 then).
    const KernelStatus s = File_ReadBytes(file, buffer, count);
    if (s == kStatusOk) {
        return 1;
    }
    return qx::Fail(s);
}

uint32_t QXFile_ReadBytes(FileHandle file, void* buffer, uint32_t* count)
{
    if (buffer == nullptr || count == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const KernelStatus s = File_ReadAvailable(file, buffer, count);
    if (s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXFile_ReadDefaultsSection(FileHandle file)
{
    return qx::Store(File_ReadDefaultsSection(file, 0, 0));
}

uint32_t QXFile_WriteDefaultsSection(FileHandle file, uint32_t level)
{
    return qx::Store(File_WriteDefaultsSection(file, level));
}

uint32_t QXFile_StreamOn(FileHandle file, uint32_t direction)
{
    return qx::Store(File_StreamOn(file, direction != 0 ? 1 : 0));
}

uint32_t QXFile_StreamOff(FileHandle file)
{
    return qx::Store(File_StreamOff(file));
}
