// QX utilities and the page-window entries.
#include "xkv/kv/QXUtil.h"

#include <unistd.h>

#include <algorithm>

#include <cstring>
#include <ctime>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXStr.h"
#include "xkv/menu/Menu.h"
#include "xkv/model/Model.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kMenuRuleNoWindow = 0;
constexpr size_t kPascalMax = 255;

}  // namespace

int32_t QXUtil_ConvertCode(int32_t code, uint32_t fromTable, uint32_t toTable)
{
    return Model_ConvertCode(code, fromTable, toTable);
}

uint32_t QXUtil_IsLabel(ObjectHandle object)
{
    return Model_IsLabel(object) ? 1 : 0;
}

uint32_t QXUtil_SetLayerOrder(ObjectHandle object, ObjectHandle other)
{
    if (!Model_IsElement(object) || (other != 0 && !Model_IsElement(other))) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (other != 0 && Model_GetPage(object) != Model_GetPage(other)) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Core_SetLayerOrder(object, other));
}

uint32_t QXUtil_FitBoxToText(ObjectHandle object)
{
    if (!Model_IsNode(object) && !Model_IsRegion(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    return qx::Store(Core_FitBoxToText(object));
}

uint32_t QXUtil_GetTextModeCode()
{
    return Comm_InTextMode() != 0 ? 2 : 1;
}

uint64_t QXUtil_DelayMicroseconds(int16_t ticks)
{
    return ticks <= 0 ? 0 : static_cast<uint64_t>(ticks) * 100000 / 6;
}

void QXUtil_Delay(int16_t ticks)
{
    uint64_t remaining = QXUtil_DelayMicroseconds(ticks);
    timespec wait{static_cast<time_t>(remaining / 1000000), static_cast<long>(remaining % 1000000) * 1000};
    while (nanosleep(&wait, &wait) != 0) {
    }
}

uint32_t QXUtil_FormatDate(int32_t format, char* buffer)
{
    if (buffer == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const char* pattern = format == 1 ? "%A, %B %e, %Y" : format == 2 ? "%a, %b %e, %Y" : "%x";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    buffer[0] = '\0';
    std::strftime(buffer, kQXDateSize, pattern, &local);
    return 1;
}

uint32_t QXUtil_FormatTime(uint32_t withSeconds, char* buffer)
{
    if (buffer == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    buffer[0] = '\0';
    std::strftime(buffer, kQXDateSize, withSeconds != 0 ? "%T" : "%R", &local);
    return 1;
}

uint32_t QXUtil_GetTimerInterval()
{
    return QXCall_TimerInterval();
}

void QXUtil_SetTimerInterval(uint32_t milliseconds)
{
    QXCall_SetTimerInterval(milliseconds);
}

const unsigned char* QXUtil_CopyToPascal(const char* text)
{
    static unsigned char buffer[kPascalMax + 1];
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > kPascalMax) {
        buffer[0] = 0;
        return buffer;
    }
    buffer[0] = static_cast<unsigned char>(length);
    std::memcpy(buffer + 1, text, length);
    return buffer;
}

void QXUtil_CopyPascal(unsigned char* destination, const unsigned char* source)
{
    if (destination == nullptr || source == nullptr) {
        qx::Fail(kStatusBadArgument);
        return;
    }
    std::memmove(destination, source, static_cast<size_t>(source[0]) + 1);
}

void QXUtil_Idle() {}

// ---- Page windows ----

uint32_t QXWin_OpenPage(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    if (Window_OfPage(page) == nullptr) {
        QXStr_SetCurPage(page);
    }
    return 1;
}

uint32_t QXWin_IsOpen(ObjectHandle page)
{
    return Model_IsPage(page) && Window_OfPage(page) != nullptr ? 1 : 0;
}

uint32_t QXWin_ClosePage(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusInvalidObject);
    }
    const bool wasCurrent = Comm_GetCurrentPage() == page;
    const KernelStatus status = Window_ClosePage(page);
    if (wasCurrent) {
        const ObjectHandle next = Window_FirstPage();
        Comm_SetCurrentPage(next);
        if (next == 0) {
            Menu_ApplyRule(kMenuRuleNoWindow, 0);
        }
    }
    return qx::Store(status);
}

uint32_t QXWin_GetGeometry(ObjectHandle page, int32_t* width, int32_t* height, int32_t* x, int32_t* y)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotNodes);
    }
    int32_t rect[4] = {};
    if (qx::Store(Window_GetScreenGeometry(page, rect)) == 0) {
        return 0;
    }
    if (x != nullptr) *x = rect[0];
    if (y != nullptr) *y = rect[1];
    if (width != nullptr) *width = rect[2];
    if (height != nullptr) *height = rect[3];
    return 1;
}

uint32_t QXWin_SetGeometry(ObjectHandle page, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (Window_OfPage(page) == nullptr) {
        return qx::Fail(72);
    }
    // One unit further out on each side, in 64 bits so that no edge wraps.
    auto widen = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const int32_t rect[4] = {widen(int64_t{x} - 1), widen(int64_t{y} - 1), widen(int64_t{width} + 2),
                             widen(int64_t{height} + 2)};
    return qx::Store(Window_SetScreenGeometry(page, rect));
}

uint32_t QXWin_Raise(ObjectHandle page)
{
    Widget window = Model_IsPage(page) ? Window_OfPage(page) : nullptr;
    if (window == nullptr) {
        return qx::Fail(72);
    }
    return qx::Store(Window_Raise(window));
}

uint32_t QXWin_SetTitle(ObjectHandle page, const char* title)
{
    Widget window = Model_IsPage(page) ? Window_OfPage(page) : nullptr;
    if (title == nullptr || window == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    return qx::Store(Window_SetTitleString(window, title));
}

uint32_t QXWin_GetTitle(ObjectHandle page, char* out, size_t size)
{
    Widget window = Model_IsPage(page) ? Window_OfPage(page) : nullptr;
    if (out == nullptr || size == 0 || window == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    out[0] = '\0';
    return qx::Store(Window_GetTitleString(window, out, size));
}
