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
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "atolq/CEditor/DefaultsFile.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/NetRecords.h"
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

constexpr std::string_view kErrorsHeading = "Errors\n";
// Where a new error box goes and how large it is, in points.
constexpr Fixed kBoxCentre = 120 << 16;
constexpr Fixed kBoxWidth = 200 << 16;
constexpr Fixed kBoxHeight = 60 << 16;
constexpr int32_t kBoxShape = 1;

ObjectHandle PageOf(ObjectHandle object)
{
    if ((QXRdAttr_GetObjectType(object) & kQXKindPage) != 0)
        return object;
    return QXStr_GetObjectPage(object);
}

// The page's error box; with create, made when the page has none yet.
ObjectHandle ErrorBox(ObjectHandle page, bool create)
{
    const ObjectHandle box = GE_GetAuxWord(page);
    if (box != 0 && QXStr_IsObject(box) != 0 && QXStr_GetObjectPage(box) == page)
        return box;
    if (!create)
        return 0;
    const ObjectHandle made = QXStr_CreateNode(page, kBoxCentre, kBoxCentre, kBoxWidth, kBoxHeight, kBoxShape);
    if (made != 0)
        GE_SetAuxWord(page, made);
    return made;
}

std::string TextOf(ObjectHandle object)
{
    std::vector<char> buffer(4096);
    for (;;) {
        auto length = static_cast<uint32_t>(buffer.size());
        if (QXText_GetText(object, buffer.data(), &length) == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// The evaluator's explanation that came with an error, as text.
std::string DetailsOf(MemFile* details)
{
    if (details == nullptr)
        return {};
    std::string text(MemFileLength(details), '\0');
    auto length = static_cast<uint32_t>(text.size());
    MemFileRewind(details);
    if (length > 0)
        MemFileRead(details, text.data(), &length);
    text.resize(std::min<size_t>(length, text.size()));
    return text;
}

void CleanErrorBoxes()
{
    uint16_t count = 0;
    ObjectHandle* pages = nullptr;
    if (QXStr_GetPageList(&count, &pages) != 0 && pages != nullptr) {
        for (const ObjectHandle page : std::span(pages, count)) {
            if (const ObjectHandle box = ErrorBox(page, false))
                QXText_SetText(box, "");
        }
    }
    if (pages != nullptr)
        QXMem_Free(pages);
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

int EE_AddErrorText(uint32_t object, const char* text, MemFile* details)
{
    if (object == 0 || QXStr_IsObject(object) == 0)
        return 0;
    const ObjectHandle page = PageOf(object);
    const ObjectHandle box = page != 0 ? ErrorBox(page, true) : 0;
    if (box != 0) {
        std::string listed = TextOf(box);
        if (listed.empty())
            listed = kErrorsHeading;
        listed += text != nullptr ? text : "";
        listed += DetailsOf(details);
        if (!listed.ends_with('\n'))
            listed += '\n';
        QXText_SetText(box, listed.c_str());
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
    CleanErrorBoxes();
    QXUI_SetStatusBarMessage("Checking Syntax");
    const int verdict = CTSCheckNet(EE_AddErrorText, pageList, static_cast<int16_t>(scope),
                                    static_cast<uint32_t>(argument), flag, EE_ShowProgress, GE_GetMLSettings);
    GE_RequestMenuUpdate();
    GE_SetStateFlags(kCheckDone);
    GE_ClearStateFlags(kCheckRunning);
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
