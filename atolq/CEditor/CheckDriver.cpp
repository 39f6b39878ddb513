// The syntax check's driver: it runs the check with the editor's error and
// progress reporters, reads Escape as a stop, and turns the outcome into the
// driver's result; the errors go into each page's error box. Also the busy
// state and the decimal-number check.
#include "atolq/CEditor/CheckDriver.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/ErrorBoxes.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/Utils/MemFile.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr uint32_t kCheckDone = 16;
constexpr uint32_t kCheckRunning = 64;
constexpr uint32_t kInterrupted = 8192;

struct Shown {
    std::string format;
    int16_t kind;
    uint16_t values[5];
    bool operator==(const Shown&) const = default;
};
std::optional<Shown> lastShown;

std::string Format(const ProgressRecord& record)
{
    char text[512];
    const uint16_t* v = record.counters;
    // The format comes from the check's own table; only its values vary.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    switch (record.kind) {
    case 5: std::snprintf(text, sizeof text, record.format, v[0], v[2]); break;
    case 7: std::snprintf(text, sizeof text, record.format, v[0], v[1], v[2]); break;
    case 8: std::snprintf(text, sizeof text, record.format, v[3]); break;
    case 16: std::snprintf(text, sizeof text, record.format, v[4]); break;
    default: std::snprintf(text, sizeof text, "%s", record.format); break;
    }
#pragma GCC diagnostic pop
    return text;
}

ObjectHandle PageOf(ObjectHandle object)
{
    if ((QXRdAttr_GetObjectType(object) & kQXKindPage) != 0)
        return object;
    return QXStr_GetObjectPage(object);
}

// After a check that found errors the hierarchy page is shown with its list
// of the pages' error boxes selected.
void ShowErrorList()
{
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    if (hierarchy == 0 || QXStr_SetCurPage(hierarchy) == 0)
        return;
    if (const ObjectHandle list = GE_GetErrorBox(hierarchy, 0)) {
        GE_FitErrorBox(list);
        QXStr_SetCurObject(list);
    }
}

int Outcome(int verdict)
{
    const bool stopped = GE_TestStateFlags(kInterrupted) != 0;
    int result = 0;
    if (GE_GetErrorCount() != 0)
        result = -1;
    else
        result = verdict != 0 ? 1 : -2;
    return stopped ? 0 : result;
}

}  // namespace

int EE_HasPageNameError(ObjectHandle textObject)
{
    uint32_t length = 0;
    if (QXText_GetLength(textObject, &length) == 0 || length == 0)
        return 0;
    std::string text(length, '\0');
    if (QXText_GetText(textObject, text.data(), &length) == 0)
        return 0;
    text.resize(std::min<size_t>(length, text.size()));
    return text.find("O.7 Page name can only appear once") != std::string::npos ||
                   text.find("O.8 Page name must be a legal ML identifier") != std::string::npos
               ? 1
               : 0;
}

int EE_AddErrorText(uint32_t object, const char* text, MemFile* details)
{
    if (object == 0 || QXStr_IsObject(object) == 0)
        return 0;
    const ObjectHandle page = PageOf(object);
    const ObjectHandle box = GE_GetErrorBox(page, 1);
    if (box != 0) {
        // The first error of the page since the reset heads its box and
        // enters the page in the hierarchy page's list. A box that already
        // holds errors (also errors of the page itself, which carry no
        // reference) keeps them.
        char start[kGEErrorsHeading.size() + 1] = {};
        auto length = static_cast<uint32_t>(kGEErrorsHeading.size());
        if (QXText_GetText(box, start, &length) == 0)
            length = 0;
        start[std::min<size_t>(length, kGEErrorsHeading.size())] = '\0';
        const bool headed = GE_HasPrefix(start, std::string(kGEErrorsHeading).c_str()) != 0;
        if (QXText_HasReferences(box) == 0 && EE_HasPageNameError(box) == 0 && !headed) {
            const ObjectHandle hierarchy = PGFindHierarchyPage();
            if (hierarchy != 0 && hierarchy != page) {
                if (const ObjectHandle list = GE_GetErrorBox(hierarchy, 1))
                    GE_ListErrorBox(list, box);
            }
            QXText_SetText(box, std::string(kGEErrorsHeading).c_str());
        }
        GE_AddErrorText(box, object, text, details);
    }
    GE_SetErrorCount(GE_GetErrorCount() + 1);
    return 0;
}

void EE_ShowProgress(int* continueFlag, ProgressRecord* record)
{
    if (continueFlag == nullptr || *continueFlag == 0 || record == nullptr)
        return;
    // Escape sets the stop flag, which is also the driver's interrupted mark.
    if (GE_TestStateFlags(kGEStopRequested) != 0) {
        GE_SetStateFlags(kInterrupted);
        *continueFlag = 0;
        return;
    }
    if (record->format == nullptr) {
        lastShown.reset();
        return;
    }
    Shown now{record->format, record->kind, {}};
    std::memcpy(now.values, record->counters, sizeof now.values);
    if (lastShown && *lastShown == now)
        return;
    lastShown = now;
    QXUI_SetStatusBarMessage(Format(*record).c_str());
}

int EE_RunSyntaxCheck(uint32_t pageList, int scope, int argument, int flag)
{
    GE_SetStateFlags(kCheckRunning);
    GE_ClearStateFlags(kInterrupted);
    GE_SetErrorCount(0);
    QXUI_SetStatusBarMessage("Cleaning Error Boxes");
    GE_ResetErrorBoxes(0);
    QXUI_SetStatusBarMessage("Checking Syntax");
    const int verdict = CTSCheckNet(EE_AddErrorText, pageList, static_cast<int16_t>(scope),
                                    static_cast<uint32_t>(argument), flag, EE_ShowProgress, GE_GetMLSettings);
    GE_RequestMenuUpdate();
    GE_SetStateFlags(kCheckDone);
    GE_ClearStateFlags(kCheckRunning);
    if (GE_GetErrorCount() != 0)
        ShowErrorList();
    return Outcome(verdict);
}

int EE_ParseNumber(const char* text, int* isInteger)
{
    *isInteger = 1;
    if (text == nullptr || *text == '\0')
        return 0;
    const char* p = text;
    if (*p == '-')
        ++p;
    // A lone '-' has no digits and is no number.
    if (*p == '\0')
        return 0;
    for (; *p != '\0' && *p != '.'; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p)) == 0)
            return 0;
    }
    if (*p == '\0')
        return 1;
    *isInteger = 0;
    ++p;
    if (*p == '\0')
        return 0;
    for (; *p != '\0'; ++p) {
        if (std::isdigit(static_cast<unsigned char>(*p)) != 0)
            continue;
        if (*p != 'E')
            return 0;
        if (p[1] == '-')
            ++p;
    }
    return 1;
}
