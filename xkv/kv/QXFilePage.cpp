// QX page files and saving under a new current name. A page file is read
// into the diagram (made first when there is none) and written under a
// temporary name that takes the target's name only when it is complete, the
// old file becoming the "~" backup.
#include "xkv/kv/QXFile.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/file/Diagram.h"
#include "xkv/group/Group.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"

namespace {

constexpr uint32_t kPageFile = 2;
constexpr uint32_t kReadPages = 1;
constexpr uint32_t kMenuRuleNewDiagram = 9;
constexpr KernelStatus kSelectorCancelled = 60;

// Runs the file selector; the chosen name, or nothing when it was cancelled.
bool AskName(const char* title, const char* button, const char* initial, uint32_t options, std::string* chosen)
{
    char* path = nullptr;
    const KernelStatus status = Dialog_SelectFile(title, button, initial, options, &path);
    std::unique_ptr<char, decltype(&std::free)> owned(path, &std::free);
    if (status != kStatusOk || path == nullptr) {
        return false;
    }
    *chosen = path;
    return true;
}

// A cancelled file selector ends the call: nothing is read or written.
uint32_t Cancelled(uint32_t* cancelled)
{
    if (cancelled != nullptr) {
        *cancelled = 1;
    }
    return qx::Fail(kSelectorCancelled);
}

KernelStatus ReadPageFile(const char* path, ObjectGroup* objects)
{
    FileHandle file = 0;
    if (KernelStatus s = File_Open(path, kOpenRead, &file); s != kStatusOk) {
        return s;
    }
    KernelStatus status = File_ReadDiagram(file, kReadPages, objects);
    KernelStatus closed = File_Close(file);
    return status != kStatusOk ? status : closed;
}

KernelStatus WritePageFile(const char* path, ObjectGroup pages)
{
    const std::string temporary = std::string(path) + ".tmp";
    FileHandle file = 0;
    if (KernelStatus s = File_Open(temporary.c_str(), kOpenWrite, &file); s != kStatusOk) {
        return s;
    }
    KernelStatus status = File_WritePages(file, pages);
    KernelStatus closed = File_Close(file);
    if (status == kStatusOk) {
        status = closed;
    }
    if (status == kStatusOk) {
        status = File_ReplaceWithBackup(path, temporary.c_str());
    }
    if (status != kStatusOk) {
        File_Remove(temporary.c_str());
    }
    return status;
}

// The pages to save: the given ones (each must be a page), else the current page.
KernelStatus PagesToSave(uint32_t useObjects, uint32_t count, const ObjectHandle* objects, qx::ScopedGroup* out)
{
    if (useObjects != 0 && count > 0 && objects != nullptr) {
        for (uint32_t i = 0; i < count; ++i) {
            if (!Model_IsPage(objects[i])) {
                return kStatusInvalidObject;
            }
        }
        *out->out() = qx::MakeGroup(objects, count);
        return out->get() != 0 ? kStatusOk : kStatusBadGroup;
    }
    const ObjectHandle page = Comm_GetCurrentPage();
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    *out->out() = Group_NewWith(page);
    return out->get() != 0 ? kStatusOk : kStatusBadGroup;
}

}  // namespace

uint32_t QXFile_LoadPage(const char* path, uint32_t ask, uint16_t* count, ObjectHandle** array, uint32_t* cancelled,
                         char* chosen)
{
    if (path == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    std::string name = path;
    if (ask != 0) {
        std::string picked;
        if (AskName("Load Page File", "Load", path, 0, &picked)) {
            name = picked;
            if (chosen != nullptr) {
                std::strncpy(chosen, picked.c_str(), kQXPathSize - 1);
                chosen[kQXPathSize - 1] = '\0';
            }
        } else {
            return Cancelled(cancelled);
        }
    }
    if (KernelStatus s = Comm_SetFilePath(kPageFile, name.c_str()); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (Model_GetRoot() == 0) {
        Menu_ApplyRule(kMenuRuleNewDiagram, 0);
    }
    qx::ScopedGroup objects;
    if (KernelStatus s = ReadPageFile(name.c_str(), objects.out()); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (count != nullptr && array != nullptr) {
        return qx::GroupToList(objects.get(), count, array);
    }
    return 1;
}

uint32_t QXFile_LoadPageQuiet(const char* path)
{
    return QXFile_LoadPage(path, 0, nullptr, nullptr, nullptr, nullptr);
}

uint32_t QXFile_SavePage(char* path, uint32_t ask, uint32_t* cancelled, uint32_t useObjects, uint32_t count,
                         const ObjectHandle* objects, uint32_t options, const char* title)
{
    if (path == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    if (ask != 0) {
        std::string picked;
        const char* heading = title != nullptr ? title : "Save Current Page As";
        if (AskName(heading, "Save", path, options, &picked)) {
            std::strncpy(path, picked.c_str(), kQXPathSize - 1);
            path[kQXPathSize - 1] = '\0';
        } else {
            return Cancelled(cancelled);
        }
    }
    if (KernelStatus s = Comm_SetFilePath(kPageFile, path); s != kStatusOk) {
        return qx::Store(s);
    }
    qx::ScopedGroup pages;
    if (KernelStatus s = PagesToSave(useObjects, count, objects, &pages); s != kStatusOk) {
        return qx::Store(s);
    }
    return qx::Store(WritePageFile(path, pages.get()));
}

uint32_t QXFile_SavePageAs(char* path, uint32_t ask, uint32_t* cancelled)
{
    return QXFile_SavePage(path, ask, cancelled, 0, 0, nullptr, 0, nullptr);
}

uint32_t QXFile_SaveAsCurrent(const char* path)
{
    if (QXFile_SetCurrentFileName(path) == 0) {
        return 0;
    }
    // The command layer's save: written beside the file, the old one kept as
    // the "~" backup, and the diagram no longer modified.
    return qx::Store(Comm_SaveDiagram());
}
