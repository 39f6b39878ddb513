// Page files and text files: Load/Save Page and Load/Save Text keep their
// command and ask for a file name; once it is answered, pages are read into
// the open diagram or written with their subpages (under a temporary name,
// the old file kept as "~" backup), and texts are read into a new node or
// written from the selected object.
#include "xkv/comm/CommPageFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "xkv/comm/CommInternal.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/file/File.h"
#include "xkv/group/Group.h"
#include "xkv/mem/Mem.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/mods/Strings.h"
#include "xkv/select/Select.h"
#include "xkv/statusbar/StatusBar.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextKernel.h"
#include "xkv/trans/Trans.h"
#include "xkv/velkor/Velkor.h"

namespace {

constexpr uint32_t kPageFile = 2;
constexpr uint32_t kTextFile = 3;
constexpr uint32_t kReadPages = 1;
constexpr uint32_t kRulePageCurrent = 1;
constexpr int32_t kStateFileDialog = 15;
constexpr int32_t kRequestSaveText = 68;
constexpr KernelStatus kStatusNoCurrentPage = 62;
constexpr KernelStatus kStatusEmptyTextFile = 82;

std::string StoredPath(uint32_t kind, KernelStatus* status)
{
    char path[4096];
    *status = Comm_GetFilePath(kind, path, sizeof path);
    return *status == kStatusOk ? std::string(path) : std::string();
}

KernelStatus ReadPageFile(const std::string& path, ObjectGroup* pages)
{
    FileHandle file = 0;
    if (const KernelStatus opened = File_Open(path.c_str(), kOpenRead, &file); opened != kStatusOk) {
        return opened;
    }
    const KernelStatus status = File_ReadDiagram(file, kReadPages, pages);
    const KernelStatus closed = File_Close(file);
    return status != kStatusOk ? status : closed;
}

// Written under a temporary name; only a complete file takes the name, the
// old one staying as the "~" backup.
KernelStatus WritePageFile(const std::string& path, ObjectGroup pages)
{
    const std::string temporary = path + ".tmp";
    FileHandle file = 0;
    if (const KernelStatus opened = File_Open(temporary.c_str(), kOpenWrite, &file); opened != kStatusOk) {
        return opened;
    }
    KernelStatus status = File_WritePages(file, pages);
    const KernelStatus closed = File_Close(file);
    if (status == kStatusOk) {
        status = closed;
    }
    if (status == kStatusOk) {
        status = File_ReplaceWithBackup(path.c_str(), temporary.c_str());
    }
    if (status != kStatusOk) {
        File_Remove(temporary.c_str());
    }
    return status;
}

// The text of the object, whole.
bool ObjectText(ObjectHandle object, std::string* out)
{
    const uint32_t length = Text_Length(object, 1, kRefDisplay);
    std::vector<char> buffer(length + 1, '\0');
    uint32_t got = length;
    if (Text_GetString(object, buffer.data(), &got, kRefDisplay) != kStatusOk) {
        return false;
    }
    out->assign(buffer.data(), std::min(got, length));
    return true;
}

bool HasText(ObjectHandle object)
{
    MemHandle text = 0;
    return object != 0 && Text_Get(object, &text, 0) == kStatusOk && text != 0;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* out)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        return false;
    }
    out->clear();
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        out->append(chunk, got);
    }
    return std::ferror(file.get()) == 0;
}

}  // namespace

KernelStatus Comm_LoadPage(ObjectGroup* pages)
{
    if (pages != nullptr) {
        *pages = 0;
    }
    KernelStatus status = kStatusOk;
    const std::string path = StoredPath(kPageFile, &status);
    if (status != kStatusOk) {
        return status;
    }
    const uint32_t textMode = Comm_InTextMode();
    if (textMode != 0) {
        Comm_SetTextMode(0);
    }
    ObjectGroup loaded = 0;
    status = ReadPageFile(path, &loaded);
    if (status == kStatusOk && Velkor_Settings().maxPageWindows != 1) {
        const uint16_t count = loaded != 0 ? Group_Count(loaded) : 0;
        for (uint16_t i = 0; i < count; ++i) {
            if (const ObjectHandle page = Group_Member(loaded, i); Model_IsPage(page) != 0) {
                Comm_SetCurrentPage(page);
            }
        }
    }
    if (textMode != 0 && Comm_GetCurrentPage() != 0) {
        Comm_SetTextMode(1);
    }
    Comm_Finish();
    if (status == kStatusOk) {
        Menu_ApplyRule(kRulePageCurrent, 0);
    }
    StatusBar_Refresh();
    if (pages != nullptr && status == kStatusOk) {
        *pages = loaded;
    } else if (loaded != 0) {
        Group_Free(loaded);
    }
    return status;
}

KernelStatus Comm_SavePage(ObjectGroup pages)
{
    KernelStatus status = kStatusOk;
    const std::string path = StoredPath(kPageFile, &status);
    if (status != kStatusOk) {
        return status;
    }
    if (pages != 0) {
        return WritePageFile(path, pages);
    }
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return kStatusNoCurrentPage;
    }
    const ObjectGroup current = Group_NewWith(page);
    if (current == 0) {
        return kStatusBadGroup;
    }
    status = WritePageFile(path, current);
    Group_Free(current);
    return status;
}

KernelStatus Comm_SaveTextFile()
{
    KernelStatus status = kStatusOk;
    const std::string path = StoredPath(kTextFile, &status);
    if (status != kStatusOk) {
        return status;
    }
    const ObjectHandle object = Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
    std::string text;
    if (!HasText(object) || !ObjectText(object, &text)) {
        return kStatusNoText;
    }
    const std::string temporary = path + ".tmp";
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
        bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                       std::fflush(file.get()) == 0;
        if (file != nullptr && std::fclose(file.release()) != 0) {
            written = false;
        }
        if (!written) {
            File_Remove(temporary.c_str());
            return kStatusFailed;
        }
    }
    status = File_ReplaceWithBackup(path.c_str(), temporary.c_str());
    if (status != kStatusOk) {
        File_Remove(temporary.c_str());
    }
    return status;
}

// Load Page, Save Page: the command is kept and the file dialog asks for the
// name; its answer performs the command.
COMM_HANDLER(Cmd_PageFile)
{
    if (Comm_PushArgument(event) != kStatusOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    *freeFlag = 0;
    const KernelStatus status = Comm_OpenFileDialog(row->detail, nullptr, 0);
    if (status != kStatusOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    *nextState = kStateFileDialog;
    return kStatusOk;
}

// Load Text, Save Text: as the page files; Save Text is refused silently
// unless exactly one object with a text is selected.
COMM_HANDLER(Cmd_TextFile)
{
    if (row->detail == kRequestSaveText) {
        const ObjectHandle object = Select_GetMode() == kSelectObject ? Select_GetObject() : 0;
        if (!HasText(object)) {
            return kStatusOk;
        }
    }
    return Cmd_PageFile(row, event, nextState, freeFlag);
}

// ---- Loading a text file into a node ----

namespace {

constexpr uint32_t kPropertyTextLoad = 1;
constexpr uint32_t kPropertyNodeDefaults = 11;
constexpr int32_t kTextLoadDialog = 283;
constexpr int32_t kStatePlaceText = 98;
constexpr int32_t kPromptLoadTextBox = 93;
constexpr uint32_t kLoadedNodeShape = 1;
constexpr size_t kTextLoadOptionOffset = 24;
constexpr uint32_t kOptionStructured = 1;

// What Cmd_PlaceLoadedText needs: the file, how to cut it, its length.
// Kept here rather than on the argument stack, which holds events only.
struct LoadedText {
    std::string path;
    uint32_t option = 0;
    uint32_t length = 0;
};

std::optional<LoadedText>& PendingText()
{
    static std::optional<LoadedText> pending;
    return pending;
}

uint32_t OptionOf(MemHandle values)
{
    uint32_t option = 0;
    uint8_t* bytes = nullptr;
    if (values != 0 && Mem_LockAs(values, &bytes) == kStatusOk && bytes != nullptr) {
        if (Mem_Size(values) >= kTextLoadOptionOffset + sizeof option) {
            std::memcpy(&option, bytes + kTextLoadOptionOffset, sizeof option);
        }
        Mem_Unlock(values);
    }
    return option;
}

// Asks dialog 283 how to cut the text; false when it was not answered OK.
bool AskTextLoadOption(uint32_t* option)
{
    MemHandle values = 0;
    if (Default_GetHandle(0, 3, kPropertyTextLoad, &values, 1) != kStatusOk || values == 0) {
        return false;
    }
    int32_t item = 0;
    MemHandle result = 0;
    if (Dialog_OpenRecord(kTextLoadDialog, 0, values, 1, 0, &item, &result) != kStatusOk) {
        Mem_Free(values);
        return false;
    }
    *option = OptionOf(result);
    if (result != 0) {
        Mem_Free(result);
    }
    return item == 0;
}

std::vector<uint8_t> NodeDefaults()
{
    std::vector<uint8_t> record(Default_PropertySize(kPropertyNodeDefaults));
    if (record.empty() || Default_Get(0, kDefaultLevelNew, kPropertyNodeDefaults, record.data()) != kStatusOk) {
        return {};
    }
    return record;
}

}  // namespace

KernelStatus Comm_LoadTextFile(int32_t* nextState)
{
    KernelStatus status = kStatusOk;
    const std::string path = StoredPath(kTextFile, &status);
    if (status != kStatusOk) {
        return status;
    }
    std::string text;
    if (!ReadWholeFile(path, &text)) {
        return kStatusFailed;
    }
    if (text.empty()) {
        return kStatusEmptyTextFile;
    }
    char message[96];
    std::snprintf(message, sizeof message, "There are %d characters in text file.", static_cast<int>(text.size()));
    StatusBar_ShowMessage(message);
    uint32_t option = 0;
    if (!AskTextLoadOption(&option)) {
        return Comm_Finish();
    }
    PendingText() = LoadedText{path, option, static_cast<uint32_t>(text.size())};
    status = Trans_BeginBox(kPromptLoadTextBox, 1, 0, 0, 0, 0xB8);
    if (status == kStatusOk && nextState != nullptr) {
        *nextState = kStatePlaceText;
    }
    return status;
}

// The box of a loaded text: a node in it receives the file's text.
COMM_HANDLER(Cmd_PlaceLoadedText)
{
    EventRec pick{};
    FixRect box{};
    const std::optional<LoadedText> loaded = std::exchange(PendingText(), std::nullopt);
    if (!loaded || !Comm_CopyEvent(event, &pick) || !Comm_PickedRect(pick, &box)) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    std::string text;
    if (!ReadWholeFile(loaded->path, &text) || text.empty()) {
        Comm_EndCommand(row, event, nextState, freeFlag);
        return text.empty() ? kStatusEmptyTextFile : kStatusFailed;
    }
    ObjectHandle node = 0;
    KernelStatus status = Comm_AddNode(Comm_GetCurrentPage(), box, kLoadedNodeShape, 0, &node);
    if (status != kStatusOk) {
        return status;
    }
    StatusBar_ShowMessage("Loading text ...");
    const std::vector<uint8_t> defaults = NodeDefaults();
    const void* settings = defaults.empty() ? nullptr : defaults.data();
    const auto count = static_cast<uint32_t>(text.size());
    status = loaded->option == kOptionStructured ? Text_LoadStructured(node, settings, text.data(), count)
                                                : Text_LoadIntoNodes(node, settings, text.data(), count);
    Comm_SelectAndNotify(node, static_cast<uintptr_t>(Comm_GetState()));
    const KernelStatus ended = Comm_EndCommand(row, event, nextState, freeFlag);
    StatusBar_Refresh();
    return status != kStatusOk ? status : ended;
}
