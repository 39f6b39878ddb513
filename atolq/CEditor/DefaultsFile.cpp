// The standard defaults file: reading (with the older XDR form as fall-back),
// writing under a temporary name that then replaces the file, the diagram
// level's reset and the defaults' start-up.
#include "atolq/CEditor/DefaultsFile.h"

#include <rpc/xdr.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/OldDefaults.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/default/Default.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/DiagramRead.h"
#include "xkv/file/File.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

// An open kernel file, closed with its scope unless closed before.
class KernelFile {
public:
    KernelFile() = default;
    ~KernelFile() { Close(); }
    KernelFile(const KernelFile&) = delete;
    KernelFile& operator=(const KernelFile&) = delete;
    FileHandle* out() { return &file_; }
    FileHandle get() const { return file_; }
    KernelStatus Close()
    {
        KernelStatus status = kStatusOk;
        if (file_ != 0) {
            if (File_IsEncoding(file_)) {
                File_StreamOff(file_);
            }
            status = File_Close(file_);
            file_ = 0;
        }
        return status;
    }

private:
    FileHandle file_ = 0;
};

std::string DefaultsPath()
{
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? std::string(home) + "/" + kDefaultsFileName : std::string();
}

// One entry of the file is taken only when it is a standard-level record of
// the net layer's own properties with exactly its size.
bool AcceptableEntry(const ParsedDefault& entry)
{
    uint32_t size = DefPropertySize(entry.head[2]);
    return entry.head[0] == 0 && entry.head[1] == kDefLevelStandard && size != 0 && entry.sizeRead == size &&
           entry.value.size() >= size;
}

// Reads the current form; wrongFormat is set when the magic does not match.
bool ReadCurrentForm(const std::string& path, bool* wrongFormat)
{
    KernelFile file;
    if (File_Open(path.c_str(), kOpenRead, file.out()) != kStatusOk) {
        return false;
    }
    char header[kDefaultsHeaderSize] = {};
    if (File_ReadExact(file.get(), header, kDefaultsHeaderSize) != kStatusOk) {
        *wrongFormat = true;
        return false;
    }
    if (std::memcmp(header, kDefaultsMagic, 6) != 0) {
        *wrongFormat = true;
        return false;
    }
    if (std::memcmp(header + 6, "10", 2) > 0) {
        return false;
    }
    ReadState state;
    state.header = DiagramHeader{kThisPlatform, kDiagramVersion, 0, 1};
    if (File_StreamOn(file.get(), kDecode) != kStatusOk ||
        File_ParseDefaults(file.get(), &state, false) != kStatusOk) {
        return false;
    }
    for (const ParsedDefault& entry : state.defaults) {
        if (!AcceptableEntry(entry)) {
            return false;
        }
    }
    // Checked as a whole before anything is stored.
    for (const ParsedDefault& entry : state.defaults) {
        if (DefSet(0, entry.head[2], kDefLevelStandard, entry.value.data(), 0) == 0) {
            return false;
        }
    }
    return true;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

bool ReadOldForm(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    XDR xdr{};
    xdrstdio_create(&xdr, file.get(), XDR_DECODE);
    uint32_t word = 0;
    int result = OldDefaultsRead(&xdr, &word, kDefLevelStandard);
    xdr_destroy(&xdr);
    return result != 0;
}

// Only a name that is absent makes a first start; any other failure to
// read the file is a damaged file.
bool FileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

bool WriteAll(FileHandle file)
{
    return File_Write(file, kDefaultsHeader, kDefaultsHeaderSize) == kStatusOk &&
           File_StreamOn(file, kEncode) == kStatusOk &&
           File_WriteDefaultsSection(file, kDefLevelStandard) == kStatusOk &&
           File_StreamOff(file) == kStatusOk && std::fflush(File_GetFILE(file)) == 0 &&
           fsync(fileno(File_GetFILE(file))) == 0;
}

// Written under a temporary name in the same directory, then renamed.
bool WriteDefaults(const std::string& path)
{
    std::string temporary = path + ".XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        return false;
    }
    close(descriptor);
    KernelFile file;
    bool ok = File_Open(temporary.c_str(), kOpenWrite, file.out()) == kStatusOk && WriteAll(file.get());
    ok = file.Close() == kStatusOk && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
    }
    return ok;
}

}  // namespace

char* GE_DefaultsFilePath()
{
    std::string path = DefaultsPath();
    if (path.empty()) {
        return nullptr;
    }
    char* copy = GE_Alloc(static_cast<uint32_t>(path.size() + 1));
    std::memcpy(copy, path.c_str(), path.size() + 1);
    return copy;
}

int GE_ReadDefaultsFile()
{
    // Without a home directory there is no file: the built-in values hold.
    std::string path = DefaultsPath();
    if (path.empty()) {
        DefSetStandardChanged(0);
        return 1;
    }
    // A first start has no file yet: the built-in values hold and nothing is
    // written until a standard default is stored.
    if (!FileExists(path)) {
        DefSetStandardChanged(0);
        QXUI_SetStatusBarMessage(kDefaultsMissingStatus);
        return 1;
    }
    bool wrongFormat = false;
    bool ok = ReadCurrentForm(path, &wrongFormat);
    if (!ok && wrongFormat) {
        ok = ReadOldForm(path);
    }
    if (ok) {
        DefSetStandardChanged(0);
        return 1;
    }
    // Nothing of a damaged file stays: the built-in values are in force.
    Default_RemoveLevel(kDefLevelStandard, 1);
    int answer = GE_AskContinue(kMsgDefaultsUnreadable) != 0 ? 1 : 0;
    DefSetStandardChanged(answer);
    return answer;
}

int GE_SaveDefaultsFile()
{
    if (DefStandardChanged() == 0) {
        return 0;
    }
    std::string path = DefaultsPath();
    if (path.empty()) {
        return 0;
    }
    if (!WriteDefaults(path)) {
        QXUI_ShowMessage(kDefaultsSaveFailed);
        return 0;
    }
    DefSetStandardChanged(0);
    return 1;
}

int GE_ResetDiagramDefaults()
{
    Default_RemoveLevel(kDefLevelDiagram, 1);
    if (DefCopyLevel(2) == 0) {
        return 0;
    }
    return DefCopyLevel(0);
}

void GE_ApplyDiagramSettings(int atStartUp)
{
    uint32_t gridX = 0;
    uint32_t gridY = 0;
    uint16_t spacingX = 0;
    uint16_t spacingY = 0;
    uint32_t hideSub = 0;
    uint32_t hideInv = 0;
    if (DefGetPageLayout(&gridX, &gridY, &spacingX, &spacingY, &hideSub, &hideInv, kDefLevelDiagram) != 0) {
        PGSetLayoutOptions(hideSub == 0 ? 1 : 0, hideInv == 0 ? 1 : 0, static_cast<int32_t>(gridX),
                           static_cast<int32_t>(gridY), spacingX, spacingY);
    }
    if (atStartUp != 0) {
        return;
    }
    std::vector<uint8_t> code(DefPropertySize(kDefCodeOptions));
    std::vector<uint8_t> run(DefPropertySize(kDefRunOptions));
    std::vector<uint8_t> interactive(DefPropertySize(kDefInteractiveOptions));
    std::vector<uint8_t> occ(DefPropertySize(kDefOccSetOptions));
    std::vector<uint8_t> rxl(DefPropertySize(kDefRXLOptions));
    if (DefCopyCodeOptions(nullptr, code.data()) != 0 && DefCopyRunOptions(nullptr, run.data()) != 0 &&
        DefCopyInteractiveOptions(nullptr, interactive.data()) != 0 &&
        DefCopyRecord1067(nullptr, occ.data()) != 0 && DefCopyRXLOptions(nullptr, rxl.data()) != 0) {
        SApplyDiagramOptions(code.data(), run.data(), interactive.data(), occ.data(), rxl.data());
    }
}

int GE_InitDefaults(int atStartUp)
{
    if (atStartUp != 0) {
        if (DefRegisterProperties() == 0 || DefInitAll() == 0) {
            return 0;
        }
        if (GE_ReadDefaultsFile() == 0) {
            return 0;
        }
        GE_ResetDiagramDefaults();
    }
    GE_ApplyDiagramSettings(atStartUp);
    // New inscription regions of these kinds start without a text.
    const int32_t keys[] = {DefRegionKey(4108), DefRegionKey(4111), DefRegionKey(4113), DefRegionKey(4115),
                            DefRegionKey(4121), DefRegionKey(4113 | 0x10000000), DefRegionKey(4115 | 0x10000000),
                            DefRegionKey(4121 | 0x10000000)};
    for (int32_t key : keys) {
        int16_t id = 0;
        if (DefGetKeyTextDiagram(key, &id) != 0 && id != 0) {
            DefSetKeyTextDiagram(key, 0);
        }
    }
    return 1;
}

int GE_ConvertDiagramDefaults()
{
    uint32_t root = QXStr_GetPageListHandle();
    uint32_t length = 0;
    if (root == 0 || UD_GetFieldSize(root, kTagNetRecord, &length) == 0) {
        return 1;
    }
    // A 4-byte field is a record link, not the old defaults stream.
    if (length <= 4) {
        return 1;
    }
    std::vector<char> buffer(std::max<uint32_t>(length, OldDefaultsBufferSize()), 0);
    int result = 0;
    if (UD_GetField(root, kTagNetRecord, buffer.data()) != 0) {
        XDR xdr{};
        xdrmem_create(&xdr, buffer.data(), length, XDR_DECODE);
        uint32_t word = 0;
        result = OldDefaultsRead(&xdr, &word, kDefLevelDiagram);
        xdr_destroy(&xdr);
    }
    if (result == 0) {
        EE_ReportError(kMsgNoDiagramDefaults);
        return 0;
    }
    UD_DeleteField(root, kTagNetRecord);
    PGReadOptions(1);
    return 1;
}

namespace {

char* CopyOut(const char* text, uint32_t size)
{
    char* copy = GE_Alloc(size);
    std::strncpy(copy, text, size - 1);
    return copy;
}

}  // namespace

int GE_GetMLSettings(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                     char** runtime, char** directory, uint32_t* directoryLength, uint32_t level)
{
    std::vector<char> text(kMLPathSize, 0);
    DefGetMLImagePath(text.data(), level);
    *image = CopyOut(text.data(), kMLPathSize);
    DefGetMLRuntimePath(text.data(), level);
    *runtime = CopyOut(text.data(), kMLPathSize);
    if (remote != 0) {
        GE_SetMLFileName(nullptr);
    }
    char* file = GE_GetMLFileName();
    if (file == nullptr) {
        GE_SetMLFileName("");
        file = GE_GetMLFileName();
    }
    *mlFile = file;
    *local = 1;
    DefGetMLSwitch(local, level);
    if (*local == 0) {
        DefGetMLHost(text.data(), level);
        *host = CopyOut(text.data(), kMLHostSize);
        DefGetMLPort(port, level);
        if (EE_GetWorkingDirectory(directory, directoryLength) == 0) {
            QXMem_Free(*image);
            QXMem_Free(*runtime);
            QXMem_Free(*host);
            QXMem_Free(*mlFile);
            *image = *runtime = *host = *mlFile = nullptr;
            return 0;
        }
    }
    return 1;
}
