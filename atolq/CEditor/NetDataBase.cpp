// The net data base file beside the diagram: "%s.DB" with the diagram's file
// name, written safely with the previous file kept as its "~" backup, and
// read back after the diagram file with every record relinked to the object
// that the diagram load gave it.
#include "atolq/CEditor/NetDataBase.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "atolq/AEditor/SENet.h"
#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/LifeSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr int16_t kMsgLoadFailed = 16400;
constexpr int16_t kMsgNoModelMap = 16438;
constexpr uint16_t kArcSecondSubKind = 2;

MemHandle modelMap = 0;
uint32_t fileCode = 0;
bool foreignFile = false;
uint32_t firstPage = 0;

struct QXFree {
    void operator()(char* p) const { QXMem_Free(p); }
};
using QXString = std::unique_ptr<char, QXFree>;

std::string DataBasePath()
{
    char* raw = GE_DataBasePath();
    if (raw == nullptr)
        return {};
    QXString owned(raw);
    return std::string(raw);
}

// The permission bits of a file, or -1 when it does not exist.
int ModeOf(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

// The diagram's ML file beside the diagram file; empty when none is kept.
std::string MLFileName()
{
    char* raw = GE_GetMLFileName();
    if (raw == nullptr)
        return {};
    QXString owned(raw);
    return std::string(raw);
}

bool SaveWithRetries(const std::string& path)
{
    while (SESaveDBFile(path.c_str()) == 0) {
        QXUI_SetStatusBarMessage("Error Saving Data Base File");
        if (QXUI_Confirm("An Error was encountered\n in saving the database.\nWould you like to try to save again?") ==
            0)
            return false;
        QXUI_SetStatusBarMessage("Saving Data Base File...");
    }
    return true;
}

}  // namespace

char* GE_DataBasePath()
{
    char* diagram = nullptr;
    if (QXFile_GetCurrentFileName(&diagram) == 0 || diagram == nullptr)
        return nullptr;
    QXString owned(diagram);
    if (diagram[0] == '\0')
        return nullptr;
    const std::string path = std::string(diagram) + ".DB";
    char* copy = GE_Alloc(static_cast<uint32_t>(path.size() + 1));
    std::memcpy(copy, path.c_str(), path.size() + 1);
    return copy;
}

int GE_DataBaseExists()
{
    const std::string path = DataBasePath();
    if (path.empty())
        return 0;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return 0;
    std::fclose(file);
    return 1;
}

int GE_SaveDataBase()
{
    const std::string path = DataBasePath();
    if (path.empty())
        return 0;
    const std::string backup = path + "~";
    // The data base records whether the evaluator's image is saved with it.
    const std::string image = MLFileName();
    SEPrepareImageSave(image.empty() ? nullptr : image.c_str());
    QXUI_SetStatusBarMessage("Saving Data Base File...");
    // The backup takes the previous file, which keeps its own mode; the
    // backup's mode before the save is given back to it afterwards.
    const int backupMode = ModeOf(backup);
    if (!SaveWithRetries(path))
        return 0;
    if (backupMode >= 0 && ModeOf(backup) >= 0)
        chmod(backup.c_str(), static_cast<mode_t>(backupMode));
    if (!image.empty()) {
        QXUI_SetStatusBarMessage("Saving ML File...");
        uint32_t done = 0;
        // A failure is shown (13843) and leaves the image marked unsaved.
        SESaveMLImage(image.c_str(), &done);
    }
    return 1;
}

int GE_StoreMLFileName()
{
    if (SMLIsConnected() == 0)
        return 0;
    if (!MLFileName().empty())
        return 1;
    char* diagram = nullptr;
    if (QXFile_GetCurrentFileName(&diagram) == 0 || diagram == nullptr)
        return 0;
    QXString owned(diagram);
    const std::string_view path(diagram);
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty())
        return 0;
    return GE_SetMLFileName((std::string(name) + ".ML").c_str());
}

int GE_LoadDataBase(MemHandle map)
{
    modelMap = map;
    const std::string path = DataBasePath();
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        EE_ReportError(kMsgLoadFailed);
        return 0;
    }
    const int restored = SERestoreDB(file);
    std::fclose(file);
    return restored != 0 ? 1 : 0;
}

int GE_TranslateRecordLink(uint32_t* object, SEHead* record)
{
    if (object == nullptr || record == nullptr || modelMap == 0)
        return 0;
    const ObjectHandle mapped = QXStr_MapHandle(modelMap, *object);
    if (mapped == 0 || QXStr_IsObject(mapped) == 0)
        return 0;
    *object = mapped;
    SEHead* existing = nullptr;
    const bool connector = (QXRdAttr_GetObjectType(mapped) & kQXKindConnector) != 0;
    if (connector && record->subKind == kArcSecondSubKind && GE_GetSecondRecord(mapped, &existing) != 0 &&
        existing != nullptr)
        return GE_SetSecondRecord(mapped, record);
    return GE_SetSERecord(mapped, record);
}

int GE_TranslateHandle(uint32_t* handle)
{
    if (handle != nullptr && modelMap != 0)
        *handle = QXStr_MapHandle(modelMap, *handle);
    return 1;
}

uintptr_t EE_AfterFileRead(uintptr_t, uintptr_t object, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    uint32_t fileClass = 0;
    uint32_t machineClass = 0;
    UD_GetByteOrderClasses(&fileClass, &machineClass);
    fileCode = UD_FileMachineCode();
    foreignFile = fileClass != machineClass;
    const auto handle = static_cast<ObjectHandle>(object);
    if (firstPage == 0 && handle != 0 && QXRdAttr_GetObjectType(handle) == kQXKindPage)
        firstPage = handle;
    return 1;
}

int GE_IsForeignFile()
{
    return foreignFile ? 1 : 0;
}

uint32_t GE_FileCode()
{
    return fileCode;
}

void GE_ClearFileCodes()
{
    fileCode = 0;
    foreignFile = false;
    firstPage = 0;
}

uint32_t GE_FirstLoadedPage()
{
    return firstPage;
}

int GE_UpdateReferences()
{
    if (modelMap == 0) {
        EE_ReportError(kMsgNoModelMap);
        return 0;
    }
    QXUI_SetStatusBarMessage("Updating References...");
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    if (QXStr_GetPageList(&count, &pages) != 0 && pages != nullptr) {
        for (uint16_t i = 0; i < count; ++i) {
            const ObjectHandle page = pages[i];
            // The page's error box keeps its link only when the link and the
            // box's own mark still name each other on this page.
            const ObjectHandle old = GE_GetAuxWord(page);
            if (old == 0)
                continue;
            const ObjectHandle box = QXStr_MapHandle(modelMap, old);
            if (box != 0 && QXStr_IsObject(box) != 0 && GE_GetSelfMark(box) == old &&
                QXStr_GetObjectPage(box) == page) {
                GE_SetAuxWord(page, box);
                GE_SetSelfMark(box, box);
            } else {
                GE_SetAuxWord(page, 0);
            }
        }
    }
    if (pages != nullptr)
        QXMem_Free(pages);
    PGMapLoadedHandles(PGFindHierarchyPage(), modelMap);
    return 1;
}

void GE_ForgetModelMap()
{
    modelMap = 0;
}
