// Kernel files: handles, exact transfers, value codecs, whole-file operations.
#include "xkv/file/File.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"

namespace {

struct FileRecord {
    FILE* stream = nullptr;
    uint32_t encoding = 0;
    EncodeStream codec;
};

bool gRawBigEndian = true;

bool HostIsBigEndian()
{
    const uint16_t probe = 1;
    uint8_t first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 0;
}

// Reverses the bytes of a raw value when its order differs from the host's.
void ToHostOrder(uint8_t* bytes, uint32_t size, bool bigEndian)
{
    if (bigEndian != HostIsBigEndian()) {
        for (uint32_t i = 0; i < size / 2; ++i) {
            std::swap(bytes[i], bytes[size - 1 - i]);
        }
    }
}

FILE* StreamOf(FileHandle file)
{
    BlockLock<FileRecord> record(file);
    return record ? record->stream : nullptr;
}

// The stream of an encoding handle, or null.
EncodeStream* CodecOf(FileHandle file)
{
    EncodeStream* stream = nullptr;
    return File_GetStream(file, &stream) == kStatusOk ? stream : nullptr;
}

KernelStatus MappedErrno()
{
    KernelStatus status = File_ErrnoStatus(errno);
    return status != kStatusOk ? status : kStatusSystemError;
}

}  // namespace

KernelStatus File_ErrnoStatus(int error)
{
    switch (error) {
    case 0:
        return kStatusOk;
    case EPERM: case EACCES: case EROFS:
        return kStatusNoPermission;
    case ENOENT: case EEXIST: case EXDEV: case ENODEV: case ENOTDIR: case EISDIR: case ENAMETOOLONG:
        return kStatusNoSuchFile;
    case EIO:
        return kStatusIoError;
    case ENOMEM:
        return kStatusOutOfMemory;
    case ENFILE: case EMFILE: case ELOOP:
        return kStatusTooManyFiles;
    case EFBIG: case ENOSPC: case EDQUOT:
        return kStatusDiskFull;
    default:
        return kStatusSystemError;
    }
}

KernelStatus File_Open(const char* path, uint32_t mode, FileHandle* out)
{
    static const char* const kModes[] = {"r", "w", "a"};
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    *out = 0;
    if (path == nullptr || mode > kOpenAppend) {
        return kStatusBadArgument;
    }
    errno = 0;
    FILE* stream = std::fopen(path, kModes[mode]);
    if (stream == nullptr) {
        return MappedErrno();
    }
    FileHandle file = 0;
    FileRecord* record = nullptr;
    if (Mem_AllocLocked(&file, reinterpret_cast<void**>(&record), sizeof(FileRecord)) != kStatusOk) {
        std::fclose(stream);
        return kStatusOutOfMemory;
    }
    *record = FileRecord{};
    record->stream = stream;
    Mem_Unlock(file);
    *out = file;
    return kStatusOk;
}

KernelStatus File_Close(FileHandle file)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    KernelStatus status = std::fclose(stream) == 0 ? kStatusOk : MappedErrno();
    Mem_Free(file);
    return status;
}

KernelStatus File_StreamOn(FileHandle file, uint32_t direction)
{
    BlockLock<FileRecord> record(file);
    if (!record) {
        return kStatusBadArgument;
    }
    if (record->encoding != 0) {
        return kStatusEncoding;
    }
    EncodeStream_InitFile(&record->codec, record->stream, direction);
    record->encoding = 1;
    return kStatusOk;
}

KernelStatus File_StreamOff(FileHandle file)
{
    BlockLock<FileRecord> record(file);
    if (!record) {
        return kStatusBadArgument;
    }
    if (record->encoding == 0) {
        return kStatusEncoding;
    }
    EncodeStream_Clear(&record->codec);
    record->encoding = 0;
    return kStatusOk;
}

KernelStatus File_GetStream(FileHandle file, EncodeStream** out)
{
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    *out = nullptr;
    BlockLock<FileRecord> record(file);
    if (!record) {
        return kStatusBadArgument;
    }
    if (record->encoding == 0) {
        return kStatusFailed;
    }
    *out = &record->codec;
    return kStatusOk;
}

FILE* File_GetFILE(FileHandle file)
{
    return StreamOf(file);
}

uint32_t File_IsEncoding(FileHandle file)
{
    BlockLock<FileRecord> record(file);
    return record && record->encoding != 0 ? 1 : 0;
}

KernelStatus File_Read(FileHandle file, void* buffer, uint32_t n, uint32_t* got)
{
    if (got != nullptr) {
        *got = 0;
    }
    if (n == 0) {
        return kStatusOk;
    }
    FILE* stream = StreamOf(file);
    if (stream == nullptr || buffer == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    size_t done = std::fread(buffer, 1, n, stream);
    if (got != nullptr) {
        *got = static_cast<uint32_t>(done);
    }
    if (done == n) {
        return kStatusOk;
    }
    if (std::feof(stream)) {
        return kStatusEndOfFile;
    }
    return std::ferror(stream) ? MappedErrno() : kStatusOk;
}

KernelStatus File_ReadExact(FileHandle file, void* buffer, uint32_t n)
{
    uint32_t got = 0;
    KernelStatus status = File_Read(file, buffer, n, &got);
    if (status == kStatusOk && got < n) {
        return kStatusShortRead;
    }
    return status;
}

KernelStatus File_Write(FileHandle file, const void* buffer, uint32_t n)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr || buffer == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    return std::fwrite(buffer, 1, n, stream) == n ? kStatusOk : MappedErrno();
}

int32_t File_Size(FileHandle file)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return -1;
    }
    long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return -1;
    }
    long end = std::ftell(stream);
    if (std::fseek(stream, here, SEEK_SET) != 0 || end < 0 || end > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(end);
}

int32_t File_Tell(FileHandle file)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return -1;
    }
    long here = std::ftell(stream);
    return here >= 0 && here <= INT32_MAX ? static_cast<int32_t>(here) : -1;
}

KernelStatus File_SeekSet(FileHandle file, int32_t offset)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    return std::fseek(stream, offset, SEEK_SET) == 0 ? kStatusOk : MappedErrno();
}

KernelStatus File_Skip(FileHandle file, int32_t offset)
{
    if (offset == 0) {
        return kStatusOk;
    }
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    return std::fseek(stream, offset, SEEK_CUR) == 0 ? kStatusOk : MappedErrno();
}

KernelStatus File_SeekEnd(FileHandle file)
{
    FILE* stream = StreamOf(file);
    if (stream == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    return std::fseek(stream, 0, SEEK_END) == 0 ? kStatusOk : MappedErrno();
}

uint32_t File_Remaining(FileHandle file)
{
    int32_t size = File_Size(file);
    int32_t here = File_Tell(file);
    return size >= 0 && here >= 0 && size > here ? static_cast<uint32_t>(size - here) : 0;
}

void File_SetRawBigEndian(uint32_t bigEndian)
{
    gRawBigEndian = bigEndian != 0;
}

uint32_t File_RawBigEndian()
{
    return gRawBigEndian ? 1 : 0;
}

KernelStatus File_ReadValue(FileHandle file, void* value, uint32_t size)
{
    if (value == nullptr) {
        return kStatusBadArgument;
    }
    if (EncodeStream* codec = CodecOf(file); codec != nullptr) {
        int ok = 0;
        switch (size) {
        case 1: ok = EncodeStream_Byte(codec, static_cast<uint8_t*>(value)); break;
        case 2: ok = EncodeStream_Short(codec, static_cast<int16_t*>(value)); break;
        case 4: ok = EncodeStream_Long(codec, static_cast<uint32_t*>(value)); break;
        default: break;
        }
        return ok ? kStatusOk : kStatusEncoding;
    }
    if (size != 1 && size != 2 && size != 4) {
        return kStatusEncoding;
    }
    uint8_t bytes[4];
    KernelStatus status = File_ReadExact(file, bytes, size);
    if (status != kStatusOk) {
        return status;
    }
    ToHostOrder(bytes, size, gRawBigEndian);
    std::memcpy(value, bytes, size);
    return kStatusOk;
}

KernelStatus File_WriteValue(FileHandle file, const void* value, uint32_t size)
{
    if (value == nullptr) {
        return kStatusBadArgument;
    }
    if (EncodeStream* codec = CodecOf(file); codec != nullptr) {
        int ok = 0;
        switch (size) {
        case 1: {
            uint8_t byte = *static_cast<const uint8_t*>(value);
            ok = EncodeStream_Byte(codec, &byte);
            break;
        }
        case 2: {
            int16_t half = 0;
            std::memcpy(&half, value, 2);
            ok = EncodeStream_Short(codec, &half);
            break;
        }
        case 4: {
            uint32_t word = 0;
            std::memcpy(&word, value, 4);
            ok = EncodeStream_Long(codec, &word);
            break;
        }
        default:
            break;
        }
        return ok ? kStatusOk : kStatusEncoding;
    }
    if (size != 1 && size != 2 && size != 4) {
        return kStatusEncoding;
    }
    return File_Write(file, value, size);
}

KernelStatus File_ReadValues(FileHandle file, void* values, uint32_t size, uint32_t count)
{
    auto* at = static_cast<uint8_t*>(values);
    for (uint32_t i = 0; i < count; ++i, at += size) {
        if (KernelStatus status = File_ReadValue(file, at, size); status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

KernelStatus File_WriteValues(FileHandle file, const void* values, uint32_t size, uint32_t count)
{
    const auto* at = static_cast<const uint8_t*>(values);
    for (uint32_t i = 0; i < count; ++i, at += size) {
        if (KernelStatus status = File_WriteValue(file, at, size); status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

KernelStatus File_ReadPair(FileHandle file, void* values, uint32_t size)
{
    return File_ReadValues(file, values, size, 2);
}

KernelStatus File_WritePair(FileHandle file, const void* values, uint32_t size)
{
    return File_WriteValues(file, values, size, 2);
}

KernelStatus File_ReadQuad(FileHandle file, void* values, uint32_t size)
{
    return File_ReadValues(file, values, size, 4);
}

KernelStatus File_WriteQuad(FileHandle file, const void* values, uint32_t size)
{
    return File_WriteValues(file, values, size, 4);
}

KernelStatus File_ReadBytes(FileHandle file, void* bytes, uint32_t n)
{
    if (EncodeStream* codec = CodecOf(file); codec != nullptr) {
        return EncodeStream_Opaque(codec, bytes, n) ? kStatusOk : kStatusEncoding;
    }
    return File_ReadExact(file, bytes, n);
}

KernelStatus File_WriteBytes(FileHandle file, const void* bytes, uint32_t n)
{
    if (EncodeStream* codec = CodecOf(file); codec != nullptr) {
        return EncodeStream_Opaque(codec, const_cast<void*>(bytes), n) ? kStatusOk : kStatusEncoding;
    }
    if (n == 0) {
        return kStatusOk;
    }
    return File_Write(file, bytes, n);
}

KernelStatus File_ReadAvailable(FileHandle file, void* buffer, uint32_t* n)
{
    if (n == nullptr) {
        return kStatusBadArgument;
    }
    if (EncodeStream* codec = CodecOf(file); codec != nullptr) {
        return EncodeStream_Opaque(codec, buffer, *n) ? kStatusOk : kStatusEncoding;
    }
    uint32_t got = 0;
    KernelStatus status = File_Read(file, buffer, *n, &got);
    *n = got;
    if (status == kStatusEndOfFile && got > 0) {
        return kStatusOk;
    }
    return status;
}

KernelStatus File_GetInfo(const char* path, FileInfo* info)
{
    if (path == nullptr || info == nullptr) {
        return kStatusBadArgument;
    }
    *info = FileInfo{};
    struct stat status {};
    errno = 0;
    if (stat(path, &status) != 0) {
        return errno == ENOENT ? kStatusOk : MappedErrno();
    }
    info->exists = 1;
    info->size = static_cast<uint32_t>(status.st_size);
    for (auto [mode, flag] : {std::pair{kOpenRead, &info->readable}, std::pair{kOpenAppend, &info->appendable}}) {
        FileHandle trial = 0;
        if (File_Open(path, mode, &trial) == kStatusOk) {
            *flag = 1;
            File_Close(trial);
        }
    }
    return kStatusOk;
}

uint32_t File_Exists(const char* path)
{
    struct stat status {};
    return path != nullptr && stat(path, &status) == 0 ? 1 : 0;
}

// A fresh, empty file under the temporary directory, made exclusively so that
// no other process can take the name in between.
KernelStatus File_TempName(std::string* out)
{
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    const char* directory = std::getenv("TMPDIR");
    std::string pattern = std::string(directory != nullptr && *directory != '\0' ? directory : "/tmp") +
                          "/kvXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    errno = 0;
    int fd = mkstemp(name.data());
    if (fd < 0) {
        return MappedErrno();
    }
    close(fd);
    *out = name.data();
    return kStatusOk;
}

KernelStatus File_Remove(const char* path)
{
    if (path == nullptr) {
        return kStatusBadArgument;
    }
    errno = 0;
    return unlink(path) == 0 ? kStatusOk : MappedErrno();
}

KernelStatus File_Create(const char* path)
{
    FileHandle file = 0;
    KernelStatus status = File_Open(path, kOpenWrite, &file);
    return status != kStatusOk ? status : File_Close(file);
}

KernelStatus File_Copy(const char* source, const char* destination)
{
    FileHandle in = 0;
    KernelStatus status = File_Open(source, kOpenRead, &in);
    if (status != kStatusOk) {
        return status;
    }
    FileHandle out = 0;
    status = File_Open(destination, kOpenWrite, &out);
    if (status != kStatusOk) {
        File_Close(in);
        return status;
    }
    uint8_t block[256];
    for (;;) {
        uint32_t got = 0;
        status = File_Read(in, block, sizeof(block), &got);
        if (got > 0) {
            if (KernelStatus written = File_Write(out, block, got); written != kStatusOk) {
                status = written;
                break;
            }
        }
        if (status != kStatusOk) {
            if (status == kStatusEndOfFile) {
                status = kStatusOk;
            }
            break;
        }
    }
    File_Close(in);
    KernelStatus closed = File_Close(out);
    if (status == kStatusOk) {
        status = closed;
    }
    if (status != kStatusOk) {
        File_Remove(destination);
    }
    return status;
}

// The old target stays reachable under a hard link until the new file has
// taken its name; only then does the link become the "~" backup. A failure
// before that point leaves the old file and the old backup as they were.
KernelStatus File_ReplaceWithBackup(const char* target, const char* newFile)
{
    if (target == nullptr || newFile == nullptr) {
        return kStatusBadArgument;
    }
    std::string backup = std::string(target) + "~";
    std::string resolved = target;
    if (char* real = realpath(target, nullptr); real != nullptr) {
        resolved = real;
        std::free(real);
    }
    struct stat backupStatus {};
    struct stat oldStatus {};
    bool hadBackup = stat(backup.c_str(), &backupStatus) == 0;
    bool hadOld = stat(resolved.c_str(), &oldStatus) == 0;
    if (hadOld && chmod(newFile, oldStatus.st_mode & 07777) != 0) {
        return MappedErrno();
    }
    if (!hadOld) {
        errno = 0;
        return rename(newFile, resolved.c_str()) == 0 ? kStatusOk : MappedErrno();
    }
    std::string keep = backup + ".old";
    unlink(keep.c_str());
    errno = 0;
    if (link(resolved.c_str(), keep.c_str()) != 0) {
        // No hard links here: move the old file aside and put it back when
        // the new one cannot take its place.
        if (rename(resolved.c_str(), backup.c_str()) != 0) {
            return MappedErrno();
        }
        if (rename(newFile, resolved.c_str()) != 0) {
            KernelStatus status = MappedErrno();
            rename(backup.c_str(), resolved.c_str());
            return status;
        }
    } else {
        if (rename(newFile, resolved.c_str()) != 0) {
            KernelStatus status = MappedErrno();
            unlink(keep.c_str());
            return status;
        }
        if (rename(keep.c_str(), backup.c_str()) != 0) {
            KernelStatus status = MappedErrno();
            unlink(keep.c_str());
            return status;
        }
    }
    if (hadBackup) {
        chmod(backup.c_str(), backupStatus.st_mode & 07777);
    }
    return kStatusOk;
}

KernelStatus File_JoinPath(MemHandle name, MemHandle directory, std::string* out)
{
    if (out == nullptr) {
        return kStatusBadArgument;
    }
    out->clear();
    auto text = [](MemHandle handle, std::string* into) -> KernelStatus {
        char* data = nullptr;
        KernelStatus status = Mem_LockAs(handle, &data);
        if (status != kStatusOk || data == nullptr) {
            return status != kStatusOk ? status : kStatusNullHandle;
        }
        into->assign(data, strnlen(data, Mem_Size(handle)));
        Mem_Unlock(handle);
        return kStatusOk;
    };
    std::string nameText;
    if (KernelStatus status = text(name, &nameText); status != kStatusOk) {
        return status;
    }
    std::string directoryText;
    if (directory != 0) {
        text(directory, &directoryText);
    }
    *out = directoryText + nameText;
    return kStatusOk;
}

void File_SplitPath(const std::string& path, std::string* baseName, std::string* directory)
{
    size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    if (baseName != nullptr) {
        *baseName = base;
    }
    if (directory != nullptr) {
        *directory = dir;
    }
}
