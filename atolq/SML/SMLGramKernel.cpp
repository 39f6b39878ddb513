// The numbered requests that run the interface's dialogs, picks and group
// operations, move through the point accumulator, read connector end points,
// set text attributes and load page files. They are bound as tolq starts, so
// that the link itself needs no more of the interface than it serves with.
#include "atolq/SML/SMLGramKernel.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLGramReply.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

using namespace sml_gram;

// ---- group operations ----

// Page and objects: R, the count and the objects as they are after the call.
bool duplicateObjects(In& in, Out& out) {
    ObjectHandle page = in.u32();
    auto objects = in.list();
    if (!in.ok()) return false;
    out.u32(QXUI_DuplicateObjects(page, static_cast<uint32_t>(objects.size()), objects.data()));
    out.u32(static_cast<uint32_t>(objects.size()));
    for (ObjectHandle object : objects) out.u32(object);
    return true;
}
// Objects, then the horizontal and the vertical flag: each set flag spreads
// the objects in its direction; R is 1 only when every asked spread was made.
bool spreadObjects(In& in, Out& out) {
    auto objects = in.list();
    uint32_t horizontal = truth(in.u32()), vertical = truth(in.u32());
    if (!in.ok()) return false;
    const auto count = static_cast<uint32_t>(objects.size());
    uint32_t result = 1;
    if (horizontal != 0) result = QXUI_SpreadObjects(objects.data(), count, 0);
    if (vertical != 0 && result != 0) result = QXUI_SpreadObjects(objects.data(), count, 1);
    return reply(out, result);
}
bool setConnEnds(In& in, Out& out) {
    ObjectHandle connector = in.u32(), node1 = in.u32(), region1 = in.u32(), node2 = in.u32(), region2 = in.u32();
    return in.ok() && reply(out, QXWtAttr_SetConnEnds(connector, node1, region1, node2, region2));
}
bool align(In& in, Out&) {
    ObjectHandle object = in.u32();
    int16_t command = in.s16();
    ObjectHandle a = in.u32(), b = in.u32();
    if (!in.ok()) return false;
    QXUI_Align(object, command, a, b);
    return true;
}

// ---- dialogs ----

bool checkRange(In& in, Out& out) {
    int16_t value = in.s16(), minimum = in.s16(), maximum = in.s16(), nameId = in.s16();
    return in.ok() && reply(out, QXUI_CheckRange(value, minimum, maximum, nameId));
}
bool showMessage(In& in, Out&) {
    std::string text = in.str();
    if (!in.ok()) return false;
    QXUI_ShowMessage(text.c_str());
    return true;
}
bool confirm(In& in, Out& out) {
    std::string text = in.str();
    return in.ok() && reply(out, QXUI_Confirm(text.c_str()));
}
bool askNumber(In& in, Out& out) {
    std::string prompt = in.str();
    auto value = static_cast<int32_t>(in.u32());
    if (!in.ok()) return false;
    uint32_t result = QXUI_AskNumber(prompt.c_str(), &value);
    return replyWith(out, result, value);
}
// The answer's buffer holds 255 bytes and a terminator; a longer initial
// answer does not fit the request.
constexpr size_t kAnswerSize = 256;
bool askString(In& in, Out& out) {
    std::string prompt = in.str(), initial = in.str();
    if (!in.ok() || initial.size() >= kAnswerSize) return false;
    char answer[kAnswerSize] = {};
    std::memcpy(answer, initial.data(), initial.size());
    uint32_t result = QXUI_AskString(prompt.c_str(), answer);
    out.u32(result);
    if (result != 0) out.str(std::string_view(answer, strnlen(answer, kAnswerSize - 1)));
    return true;
}
// The kernel locates in interface units, which are the pixels sent.
bool locateAt(In& in, Out& out) {
    int32_t x = in.i32(), y = in.i32();
    uint32_t kinds = static_cast<uint16_t>(in.s16());
    return in.ok() && reply(out, QXUtil_LocateAt(x, y, kinds));
}
bool setDefault28(In& in, Out&) {
    uint32_t value = truth(in.u32());
    if (!in.ok()) return false;
    QXUI_SetDefault28(value);
    return true;
}
// Title and initial path: 1 and the chosen path, or 0.
bool selectFileDialog(In& in, Out& out) {
    std::string title = in.str(), initial = in.str();
    if (!in.ok()) return false;
    char* path = nullptr;
    const KernelStatus status = Dialog_SelectFile(title.c_str(), "OK", initial.c_str(), 0, &path);
    std::unique_ptr<char, decltype(&std::free)> owned(path, &std::free);
    if (status != kStatusOk || path == nullptr) return reply(out, 0);
    out.u32(1);
    out.str(path);
    return true;
}
bool pickObject(In& in, Out& out) {
    int16_t kinds = in.s16();
    uint32_t flag = truth(in.u32());
    return in.ok() && reply(out, QXUI_PickObject(kinds, flag));
}
bool doCommand(In& in, Out& out) {
    uint32_t command = id16(in);
    return in.ok() && reply(out, QXUI_DoCommand(static_cast<CommandId>(command)));
}

// ---- display and the point accumulator ----

bool showPoint(In& in, Out&) {
    ObjectHandle object = in.u32();
    uint32_t flag = in.u32();
    if (!in.ok()) return false;
    QXUI_ShowPoint(object, flag);
    return true;
}
// Three points and the number of points to make; the kernel takes them in
// interface units, which are the pixels sent.
bool appendArc(In& in, Out&) {
    int32_t c[6];
    for (int32_t& v : c) v = in.i32();
    auto count = static_cast<int32_t>(in.u32());
    if (!in.ok()) return false;
    QXUtil_AppendArc(c[0], c[1], c[2], c[3], c[4], c[5], count);
    return true;
}
bool setCursor(In& in, Out& out) {
    int16_t cursor = in.s16();
    return in.ok() && reply(out, word(QXUI_SetCursor(cursor)));
}
// The object and a word the kernel does not use.
bool showObject(In& in, Out&) {
    ObjectHandle object = in.u32();
    in.u32();
    if (!in.ok()) return false;
    QXUI_ShowObject(object);
    return true;
}
bool showObjects(In& in, Out& out) {
    auto objects = in.list();
    in.u32();
    return in.ok() && reply(out, QXUI_ShowObjects(static_cast<uint32_t>(objects.size()), objects.data()));
}
bool appendPoint(In& in, Out&) {
    FixPoint point{};
    point.x = in.px();
    point.y = in.px();
    if (!in.ok()) return false;
    QXUtil_AppendPoint(point);
    return true;
}
// The connector's corner points, then its end point at the given object.
bool connEndPoint(In& in, Out& out) {
    ObjectHandle connector = in.u32(), end = in.u32();
    if (!in.ok()) return false;
    FixPoint corners[kConnPointsMax] = {};
    uint16_t count = 0;
    uint32_t result = QXRdAttr_GetConnPoints(connector, &count, corners);
    out.u32(result);
    if (result != 0) {
        FixPoint point{};
        QXUtil_GetConnEndPoint(connector, end, 0, &point);
        out.px(point.x);
        out.px(point.y);
    }
    return true;
}
bool setTextAttr(In& in, Out&) {
    ObjectHandle object = in.u32();
    int16_t font = in.s16(), size = in.s16(), style = in.s16(), justification = in.s16();
    if (!in.ok()) return false;
    QXText_SetTextAttr(object, font, size, style, justification);
    return true;
}

// ---- page files ----

// Path and ask flag: R; when R is not 0 the name used (the one chosen in the
// dialog, else the path), the pages loaded and whether the dialog was
// cancelled.
bool loadPage(In& in, Out& out) {
    std::string path = in.str();
    uint32_t ask = in.u32();
    if (!in.ok()) return false;
    QXList pages;
    uint32_t cancelled = 0;
    std::vector<char> chosen(kQXPathSize, '\0');
    uint32_t result = QXFile_LoadPage(path.c_str(), ask, &pages.count, &pages.array, &cancelled, chosen.data());
    out.u32(result);
    if (result == 0) return true;
    std::string_view name(chosen.data(), strnlen(chosen.data(), kQXPathSize - 1));
    out.pstr(name.empty() ? std::string_view(path) : name);
    out.u32(pages.count);
    for (uint16_t i = 0; i < pages.count; ++i) out.u32(pages.array[i]);
    out.u32(cancelled);
    return true;
}

} // namespace

void SMLInstallKernelRequests() {
    const std::pair<uint32_t, SMLGramHandler> handlers[] = {
        {40, duplicateObjects}, {110, spreadObjects}, {120, setConnEnds},   {1000, checkRange},
        {1010, showMessage},    {1050, askNumber},    {1060, askString},    {1080, locateAt},
        {1130, setDefault28},   {1190, confirm},      {1200, selectFileDialog}, {3000, pickObject},
        {7080, doCommand},      {8000, align},        {8010, showPoint},    {8020, appendArc},
        {8030, setCursor},      {8080, showObject},   {8100, showObjects},  {8200, appendPoint},
        {9010, connEndPoint},   {11060, setTextAttr}, {14000, loadPage},
    };
    for (const auto& [code, handler] : handlers) SMLSetGramHandler(code, handler);
    SMLInstallPantelPick();
}
