// The EPS export command: each selected page into a file of its own, named
// after the page or by the user, written under a temporary name and put in
// place only when written whole.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"
#include "xkv/print/PrintInternal.h"

namespace {

constexpr size_t kProposedNameLength = 80;
constexpr int32_t kMessageInternalError = 41;
constexpr int32_t kMessageOwnText = 9999;
constexpr int32_t kAlertOneButton = 1;
constexpr int32_t kAlertTwoButtons = 2;
constexpr int32_t kAnswerYes = 0;
constexpr KernelStatus kSelectorCancelled = 60;

void Alert(const std::string& format, const std::string& name)
{
    std::vector<char> text(format.size() + name.size() + 1);
    std::snprintf(text.data(), text.size(), format.c_str(), name.c_str());
    Dialog_Alert(kMessageOwnText, text.data(), kAlertOneButton);
}

std::string ProposedName(ObjectHandle page)
{
    char name[kPageNameSize] = {};
    Model_GetPageName(page, name);
    std::string proposed = std::string("./") + name;
    if (proposed.size() > kProposedNameLength) {
        proposed.resize(kProposedNameLength);
    }
    return proposed;
}

std::string WithExtension(std::string name, const PropertyRecord& eps)
{
    const char* field = reinterpret_cast<const char*>(eps.bytes.data() + kEpsExtension);
    std::string extension(field, strnlen(field, kEpsExtensionSize));
    size_t dot = name.rfind('.');
    size_t slash = name.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
        name.compare(dot, std::string::npos, extension) == 0) {
        name.resize(dot);
    }
    return name + extension;
}

// The permission bits the new file takes: the old file's, or those a newly
// created file gets.
mode_t ModeFor(const std::string& name)
{
    struct stat old {};
    if (stat(name.c_str(), &old) == 0) {
        return old.st_mode & 07777;
    }
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

enum class Written { kOk, kNotOpened, kNotWritten, kStopped };

// Writes the page as EPS under a temporary name beside the file and renames
// it into place.
Written WriteEps(ObjectHandle page, const std::string& name)
{
    std::string temporary = name + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return Written::kNotOpened;
    }
    fchmod(fd, ModeFor(name));
    FILE* stream = fdopen(fd, "w");
    if (stream == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return Written::kNotOpened;
    }
    PrintOutput& out = Print_Output();
    out.stream = stream;
    out.eps = true;
    out.fileName = temporary;
    out.exportPage = page;
    if (Print_BeginDocument() != kStatusOk) {
        Print_CloseOutput();
        unlink(temporary.c_str());
        return Written::kStopped;
    }
    Print_DrawPage(page);
    if (Print_EndDocument() != 0 || rename(temporary.c_str(), name.c_str()) != 0) {
        unlink(temporary.c_str());
        return Written::kNotWritten;
    }
    return Written::kOk;
}

}  // namespace

uint32_t Print_ExportEPS()
{
    PropertyRecord eps;
    if (Print_ReadProperty(kPropEps, &eps) != kStatusOk) {
        return 0;
    }
    uint16_t count = 0;
    uint32_t* list = nullptr;
    if (Comm_ApplicationPages(&count, &list) == 0 || list == nullptr || count == 0) {
        std::free(list);
        return 0;
    }
    std::unique_ptr<uint32_t, decltype(&std::free)> pages(list, &std::free);
    uint32_t result = 1;
    for (uint16_t i = 0; i < count; ++i) {
        ObjectHandle page = pages.get()[i];
        if (!Model_IsPage(page)) {
            continue;
        }
        Core_RebuildPageConnectors(page);
        std::string name = ProposedName(page);
        if (eps.Word(kEpsNameFromPage) == 0) {
            char* chosen = nullptr;
            const KernelStatus status = Dialog_SelectFile("Save as...", "Save", name.c_str(), 0, &chosen);
            std::unique_ptr<char, decltype(&std::free)> owned(chosen, &std::free);
            if (status == kSelectorCancelled) {
                return 1;
            }
            if (status != kStatusOk || chosen == nullptr) {
                Dialog_Alert(kMessageInternalError, nullptr, kAlertOneButton);
                return 0;
            }
            name = chosen;
        }
        if (eps.Word(kEpsForceExtension) != 0) {
            name = WithExtension(name, eps);
        }
        if (access(name.c_str(), F_OK) == 0) {
            std::string question = "File " + name + " Exists, Do You Want to Overwrite?";
            if (Dialog_Alert(kMessageOwnText, question.c_str(), kAlertTwoButtons) != kAnswerYes) {
                return 0;
            }
        }
        switch (WriteEps(page, name)) {
        case Written::kOk:
            break;
        case Written::kNotOpened:
            Alert("Could not open file %s", name);
            break;
        case Written::kNotWritten:
            Alert("Could not write file %s", name);
            result = 0;
            break;
        case Written::kStopped:
            return 0;
        }
    }
    return result;
}
