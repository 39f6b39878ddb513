// The numbered kernel requests: one table row per request code, sorted by
// code, each a handler that reads the request's arguments (checked against
// the request's bytes), calls one function of the kernel's programming
// interface and writes the reply words. A code whose function is not there
// has no handler and is answered as failed.
#include "atolq/SML/SMLGram.h"
#include "atolq/SML/SMLGramReply.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

namespace {

using namespace sml_gram;

bool replyList(Out& out, uint32_t result, const QXList& list) {
    out.hlist(result, list.count, list.array);
    return true;
}

bool replyPixels(Out& out, uint32_t result, Fixed a, Fixed b) {
    out.u32(result);
    if (result != 0) {
        out.px(a);
        out.px(b);
    }
    return true;
}

// ---- structure ----

bool createLabel(In& in, Out& out) {
    ObjectHandle page = in.u32();
    Fixed x = in.px(), y = in.px(), w = in.px(), h = in.px();
    std::string text = in.str();
    return in.ok() && reply(out, QXStr_CreateLabel(page, x, y, w, h, text.c_str()));
}
bool createNode(In& in, Out& out) {
    ObjectHandle page = in.u32();
    Fixed x = in.px(), y = in.px(), w = in.px(), h = in.px();
    int32_t shape = in.i32();
    return in.ok() && reply(out, QXStr_CreateNode(page, x, y, w, h, shape));
}
bool createConnector(In& in, Out& out) {
    ObjectHandle page = in.u32(), from = in.u32(), to = in.u32();
    return in.ok() && reply(out, QXStr_CreateConnector(page, from, to));
}
bool createLine(In& in, Out& out) {
    ObjectHandle page = in.u32();
    auto points = in.pxlist();
    return in.ok() && reply(out, QXStr_CreateLine(page, static_cast<uint32_t>(points.size()), points.data()));
}
bool makeCoarseNode(In& in, Out& out) {
    ObjectHandle page = in.u32();
    auto objects = in.list();
    ObjectHandle node = in.u32();
    return in.ok() &&
           reply(out, QXStr_MakeCoarseNode(page, static_cast<uint32_t>(objects.size()), objects.data(), node));
}
bool createPolygon(In& in, Out& out) {
    ObjectHandle page = in.u32();
    auto points = in.pxlist();
    return in.ok() && reply(out, QXStr_CreatePolygon(page, static_cast<uint32_t>(points.size()), points.data()));
}
bool deleteObject(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, QXStr_DeleteObject(object));
}
bool makeRegion(In& in, Out& out) {
    ObjectHandle object = in.u32(), parent = in.u32();
    return in.ok() && reply(out, QXStr_MakeRegion(object, parent));
}
bool merge(In& in, Out& out) {
    auto objects = in.list();
    ObjectHandle target = in.u32();
    return in.ok() && reply(out, QXUI_Merge(objects.data(), static_cast<uint32_t>(objects.size()), target));
}
// Node and page, then two lists of one count that the attach does not use;
// they are read so that the whole request is checked.
bool attachNode(In& in, Out& out) {
    ObjectHandle node = in.u32(), page = in.u32();
    uint32_t n = in.u32();
    in.words(n);
    in.words(n);
    return in.ok() && reply(out, QXStr_AttachNode(node, page, 0));
}
bool unmakeRegion(In& in, Out& out) {
    ObjectHandle region = in.u32();
    return in.ok() && reply(out, QXStr_UnmakeRegion(region));
}
bool moveNodesToPage(In& in, Out& out) {
    auto objects = in.list();
    ObjectHandle page = in.u32();
    return in.ok() && reply(out, QXStr_MoveNodesToPage(objects.data(), static_cast<uint32_t>(objects.size()), page));
}
bool createPage(In& in, Out& out) {
    int16_t kind = in.s16();
    return in.ok() && reply(out, QXStr_CreatePage(kind));
}
bool createPageOpt(In& in, Out& out) {
    int16_t kind = in.s16();
    uint32_t options = static_cast<uint16_t>(in.s16());
    return in.ok() && reply(out, QXStr_CreatePageOpt(kind, options));
}
bool setModified(In& in, Out&) {
    uint32_t flag = truth(in.u32());
    if (!in.ok()) return false;
    QXStr_SetModified(flag);
    return true;
}

// ---- dialogs, utilities ----

bool clearUndo(In&, Out&) {
    QXUI_ClearUndo();
    return true;
}
bool delay(In& in, Out&) {
    int16_t ticks = in.s16();
    if (!in.ok()) return false;
    QXUtil_Delay(ticks);
    return true;
}
// The print request: the mode, and for modes 2 and 3 a list of page handles
// and a counted list of page numbers (low 16 bits each), exactly one of them
// holding something. The reply is empty.
bool printPages(In& in, Out&) {
    const int16_t mode = in.s16();
    if (!in.ok()) return false;
    if (mode < 0 || mode > 3) {
        QXUI_ShowMessage("Print Page: Illegal print option");
        return true;
    }
    if (mode < 2) {
        QXUI_PrintPages(mode, nullptr, nullptr, 0);
        return true;
    }
    std::vector<ObjectHandle> pages = in.list();
    const std::vector<uint32_t> words = in.words(in.u32());
    if (!in.ok()) return false;
    std::vector<int32_t> numbers;
    for (uint32_t w : words) numbers.push_back(static_cast<int32_t>(w & 0xffffu));
    if (!pages.empty() && !numbers.empty()) {
        QXUI_ShowMessage("Cannot print -- both lists non-empty.");
    } else if (pages.empty() && numbers.empty()) {
        QXUI_ShowMessage("Cannot print -- both lists empty.");
    } else if (mode == 2 && !pages.empty()) {
        QXUI_ShowMessage("Cannot print -- page number list empty.");
    } else if (!pages.empty()) {
        QXUI_PrintPages(mode, pages.data(), nullptr, static_cast<uint32_t>(pages.size()));
    } else {
        QXUI_PrintPages(mode, nullptr, numbers.data(), static_cast<uint32_t>(numbers.size()));
    }
    return true;
}
bool intToFixed(In& in, Out& out) {
    int16_t value = in.s16();
    return in.ok() && reply(out, word(QXUtil_IntToFixed(value) >> 15));
}
bool currentCommand(In&, Out& out) { return reply(out, QXUI_GetCurrentCommand()); }
bool beep(In& in, Out& out) {
    uint32_t ignored = in.u32();
    return in.ok() && reply(out, QXUI_Beep(ignored));
}
bool fixedToInt(In& in, Out& out) {
    Fixed value = in.px();
    return in.ok() && reply(out, word(QXUtil_FixedToInt(value)));
}

// ---- texts ----

template <uint32_t (*Set)(int32_t)>
bool setTextDefault(In& in, Out&) {
    int16_t value = in.s16();
    if (!in.ok()) return false;
    Set(value);
    return true;
}
bool maxLineLength(In& in, Out& out) {
    in.u32();
    return in.ok() && reply(out, QXText_MaxLineLength());
}
bool isEditing(In&, Out& out) { return reply(out, QXText_IsEditing()); }
bool getText(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint32_t length = 0;
    if (QXText_GetLength(object, &length) == 0) return reply(out, 0);
    std::string text(length, '\0');
    uint32_t got = length;
    uint32_t result = QXText_GetText(object, text.data(), &got);
    out.u32(result);
    if (result != 0) out.str(std::string_view(text).substr(0, std::min(got, length)));
    return true;
}
bool textLength(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint32_t length = 0;
    uint32_t result = QXText_GetLength(object, &length);
    return replyWith(out, result, length);
}
template <uint32_t (*Put)(ObjectHandle, const char*)>
bool putText(In& in, Out& out) {
    ObjectHandle object = in.u32();
    std::string text = in.str();
    return in.ok() && reply(out, Put(object, text.c_str()));
}

// ---- current objects and lists ----

bool curGroup(In&, Out& out) {
    QXList list;
    uint32_t result = QXStr_GetCurGroup(&list.count, &list.array);
    return replyList(out, result, list);
}
bool setCurPage(In& in, Out& out) {
    ObjectHandle page = in.u32();
    return in.ok() && reply(out, QXStr_SetCurPage(page));
}
bool setCurGroup(In& in, Out& out) {
    auto objects = in.list();
    return in.ok() && reply(out, QXStr_SetCurGroup(static_cast<uint32_t>(objects.size()), objects.data()));
}
bool curPage(In&, Out& out) { return reply(out, QXStr_GetCurPage()); }
bool curObject(In&, Out& out) { return reply(out, QXStr_GetCurObject()); }
bool setCurObject(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, QXStr_SetCurObject(object));
}
template <uint32_t (*Get)(ObjectHandle, uint16_t*, ObjectHandle**)>
bool objectList(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    QXList list;
    uint32_t result = Get(object, &list.count, &list.array);
    return replyList(out, result, list);
}
bool pageList(In&, Out& out) {
    QXList list;
    uint32_t result = QXStr_GetPageList(&list.count, &list.array);
    return replyList(out, result, list);
}
template <ObjectHandle (*Get)(ObjectHandle)>
bool objectOf(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, Get(object));
}
bool pageListHandle(In&, Out& out) { return reply(out, QXStr_GetPageListHandle()); }
bool groupConnList(In& in, Out& out) {
    auto objects = in.list();
    if (!in.ok()) return false;
    QXList list;
    uint32_t result =
        QXStr_GetGroupConnList(objects.data(), static_cast<uint32_t>(objects.size()), &list.array, &list.count);
    return replyList(out, result, list);
}
bool connOtherEnd(In& in, Out& out) {
    ObjectHandle node = in.u32(), connector = in.u32();
    if (!in.ok()) return false;
    ObjectHandle other = 0;
    uint32_t direction = 0;
    uint32_t result = QXStr_GetConnOtherEnd(node, connector, &other, &direction);
    return replyWith(out, result, other, direction);
}
bool nodeConnLists(In& in, Out& out) {
    ObjectHandle node = in.u32();
    if (!in.ok()) return false;
    QXList first, second;
    uint32_t result = QXStr_GetNodeConnLists(node, &first.count, &first.array, &second.count, &second.array);
    out.u32(result);
    if (result != 0) {
        for (const QXList* list : {&first, &second}) {
            out.u32(list->count);
            for (uint16_t i = 0; i < list->count; ++i) out.u32(list->array[i]);
        }
    }
    return true;
}
bool isObject(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, QXStr_IsObject(object));
}
bool connEnds(In& in, Out& out) {
    ObjectHandle connector = in.u32();
    uint32_t attached = in.u32();
    if (!in.ok()) return false;
    ObjectHandle start = 0, end = 0;
    uint32_t result = QXRdAttr_GetConnEnds(connector, attached, &start, &end);
    return replyWith(out, result, start, end);
}

// ---- menus ----

bool setItemMark(In& in, Out&) {
    uint32_t unused = id16(in), command = id16(in);
    int32_t on = in.i32();
    if (!in.ok()) return false;
    QXMenu_SetItemMark(unused, command, on);
    return true;
}
bool getItemMark(In& in, Out& out) {
    uint32_t unused = id16(in), command = id16(in);
    return in.ok() && reply(out, word(QXMenu_GetItemMark(unused, command)));
}
bool deleteMenu(In& in, Out& out) {
    int16_t menu = in.s16();
    return in.ok() && reply(out, QXMenu_DeleteMenu(menu));
}
template <uint32_t (*Op)(int32_t, int32_t)>
bool menuPair(In& in, Out& out) {
    int16_t menu = in.s16(), before = in.s16();
    return in.ok() && reply(out, Op(menu, before));
}
bool deleteItem(In& in, Out& out) {
    uint32_t command = id16(in);
    return in.ok() && reply(out, QXMenu_DeleteItem(command));
}
bool addItem(In& in, Out& out) {
    uint32_t command = id16(in);
    std::string label = in.str();
    int16_t menu = in.s16();
    uint32_t before = id16(in);
    return in.ok() && reply(out, QXMenu_AddItem(command, label.c_str(), menu, before));
}
bool moveItem(In& in, Out& out) {
    uint32_t command = id16(in);
    int16_t menu = in.s16();
    uint32_t before = id16(in);
    return in.ok() && reply(out, QXMenu_MoveItem(command, menu, before));
}
bool setItemLabel(In& in, Out& out) {
    uint32_t command = id16(in);
    std::string label = in.str();
    return in.ok() && reply(out, QXMenu_SetItemLabel(command, label.c_str()));
}
bool setItemState(In& in, Out& out) {
    uint32_t command = id16(in);
    uint32_t bits = static_cast<uint16_t>(in.s16());
    return in.ok() && reply(out, QXMenu_SetItemState(command, bits));
}
bool itemPosition(In& in, Out& out) {
    uint32_t command = id16(in);
    if (!in.ok()) return false;
    uint16_t menu = 0, item = 0;
    uint32_t result = QXMenu_GetItemPosition(command, &menu, &item);
    return replyWith(out, result, menu, item);
}
bool setMenuTitle(In& in, Out& out) {
    int16_t menu = in.s16();
    std::string title = in.str();
    return in.ok() && reply(out, QXMenu_SetMenuTitle(menu, title.c_str()));
}
bool setMenuState(In& in, Out& out) {
    int16_t menu = in.s16();
    uint32_t bits = static_cast<uint16_t>(in.s16());
    return in.ok() && reply(out, QXMenu_SetMenuState(menu, bits));
}
bool menuPosition(In& in, Out& out) {
    int16_t menu = in.s16();
    if (!in.ok()) return false;
    uint16_t index = 0;
    uint32_t result = QXMenu_GetMenuPosition(menu, &index);
    return replyWith(out, result, index);
}
bool updateMenuBar(In&, Out&) {
    QXMenu_UpdateMenuBar();
    return true;
}

// ---- display ----

bool redrawPage(In& in, Out& out) {
    ObjectHandle page = in.u32();
    return in.ok() && reply(out, QXUI_RedrawPage(page));
}
bool updateStatusBar(In&, Out&) {
    QXUI_UpdateStatusBar();
    return true;
}
bool closePage(In& in, Out& out) {
    ObjectHandle page = in.u32();
    return in.ok() && reply(out, QXStr_ClosePage(page));
}
bool noOp(In&, Out&) {
    QXUI_NoOp(0);
    return true;
}
bool objectIndication(In& in, Out&) {
    in.u32();
    if (!in.ok()) return false;
    QXUI_SetObjectIndication();
    return true;
}
bool isPageOpen(In& in, Out& out) {
    ObjectHandle page = in.u32();
    if (!in.ok()) return false;
    uint32_t open = 0;
    uint32_t result = QXStr_IsPageOpen(page, &open);
    return replyWith(out, result, open);
}
bool statusText(In& in, Out&) {
    std::string text = in.str();
    if (!in.ok()) return false;
    QXUI_SetStatusBarMessage(text.c_str());
    return true;
}
bool commFlag(In& in, Out&) {
    uint32_t flag = in.u32();
    if (!in.ok()) return false;
    QXUI_SetCommFlag(flag);
    return true;
}
bool showPage(In& in, Out&) {
    ObjectHandle page = in.u32();
    uint32_t raise = in.u32();
    if (!in.ok()) return false;
    QXUI_ShowPage(page, raise);
    return true;
}
bool pickPage(In&, Out& out) { return reply(out, QXUI_PickPage()); }
bool redrawObject(In& in, Out&) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    QXUI_RedrawObject(object);
    return true;
}
bool flushDisplay(In&, Out&) {
    QXUI_FlushDisplay();
    return true;
}

// ---- reading attributes ----

bool groupSelected(In&, Out& out) { return reply(out, QXRdAttr_IsGroupSelected()); }
template <uint32_t (*Get)(ObjectHandle)>
bool attrOf(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, Get(object));
}
bool maxObjectCount(In&, Out& out) { return reply(out, QXRdAttr_MaxObjectCount()); }
bool lineAttr(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint32_t style = 0, pattern = 0, visible = 0;
    int16_t width = 0;
    uint32_t result = QXRdAttr_GetLineAttr(object, &style, &width, &pattern, &visible);
    return replyWith(out, result, style, word(width), pattern, visible);
}
bool connEndAttr(In& in, Out& out) {
    ObjectHandle connector = in.u32();
    uint32_t end = in.u32();
    return in.ok() && reply(out, QXRdAttr_GetConnEndAttr(connector, end));
}
bool getFlag(In& in, Out& out) {
    ObjectHandle object = in.u32();
    uint32_t mask = mask16(in);
    if (!in.ok()) return false;
    uint32_t value = 0;
    uint32_t result = QXRdAttr_GetFlag(object, mask, &value);
    return replyWith(out, result, value);
}
template <uint32_t (*Get)(ObjectHandle, uint32_t*)>
bool attrValue(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint32_t value = 0;
    uint32_t result = Get(object, &value);
    return replyWith(out, result, value);
}
bool pageScale(In& in, Out& out) {
    ObjectHandle page = in.u32();
    if (!in.ok()) return false;
    Fixed scale = 0, second = 0;
    uint32_t result = QXRdAttr_GetPageScale(page, &scale, &second);
    return replyWith(out, result, word(scale), word(second));
}
bool selectableFlag(In&, Out& out) { return reply(out, QXRdAttr_SelectableFlag()); }
bool shape(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, word(QXRdAttr_GetShape(object)));
}
bool defaultTextAttr(In&, Out& out) {
    int32_t font = 0, size = 0, style = 0, justification = 0;
    uint32_t extra = 0;
    QXRdAttr_GetDefaultTextAttr(&font, &size, &style, &justification, &extra);
    for (int32_t v : {font, size, style, justification}) out.i32(v);
    out.u32(extra);
    return true;
}
template <uint32_t (*Get)(ObjectHandle, Fixed*, Fixed*)>
bool pixelPair(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    Fixed a = 0, b = 0;
    uint32_t result = Get(object, &a, &b);
    return replyPixels(out, result, a, b);
}
bool colors(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    int16_t line = 0, fill = 0, text = 0;
    uint32_t result = QXColor_GetColors(object, &line, &fill, &text);
    return replyWith(out, result, word(line), word(fill), word(text));
}
bool setColors(In& in, Out& out) {
    ObjectHandle object = in.u32();
    int16_t line = in.s16(), fill = in.s16(), text = in.s16();
    return in.ok() && reply(out, QXColor_SetColors(object, line, fill, text));
}

// ---- writing attributes ----

template <uint32_t (*Set)(ObjectHandle, Fixed, Fixed)>
bool setPixelPair(In& in, Out& out) {
    ObjectHandle object = in.u32();
    Fixed a = in.px(), b = in.px();
    return in.ok() && reply(out, Set(object, a, b));
}
bool setLineAttr(In& in, Out& out) {
    ObjectHandle object = in.u32();
    uint32_t style = in.u32();
    auto width = static_cast<int16_t>(in.u32());
    uint32_t pattern = in.u32(), visible = in.u32();
    return in.ok() && reply(out, QXWtAttr_SetLineAttr(object, style, width, pattern, visible));
}
bool setConnEndAttr(In& in, Out&) {
    ObjectHandle connector = in.u32();
    uint32_t end = in.u32();
    uint32_t value = word(in.s16());
    if (!in.ok()) return false;
    QXWtAttr_SetConnEndAttr(connector, end, value);
    return true;
}
bool setConnHidden(In& in, Out&) {
    ObjectHandle connector = in.u32();
    Fixed value = in.px();
    if (!in.ok()) return false;
    QXWtAttr_SetConnHidden(connector, word(value));
    return true;
}
template <uint32_t (*Set)(ObjectHandle, uint32_t)>
bool setValue(In& in, Out& out) {
    ObjectHandle object = in.u32();
    uint32_t value = in.u32();
    return in.ok() && reply(out, Set(object, value));
}
bool setFlag(In& in, Out& out) {
    ObjectHandle object = in.u32();
    uint32_t mask = mask16(in);
    uint32_t value = in.u32();
    return in.ok() && reply(out, QXWtAttr_SetFlag(object, mask, value));
}
bool setShapeBit(In& in, Out&) {
    ObjectHandle node = in.u32();
    uint32_t value = in.u32();
    if (!in.ok()) return false;
    QXWtAttr_SetShapeBit(node, value);
    return true;
}
bool clearRebuiltMark(In& in, Out& out) {
    ObjectHandle page = in.u32();
    return in.ok() && reply(out, QXWtAttr_ClearRebuiltMark(page));
}
bool setDefaultTextAttr(In& in, Out&) {
    int16_t font = in.s16(), size = in.s16(), style = in.s16(), justification = in.s16();
    uint32_t extra = in.u32();
    if (!in.ok()) return false;
    QXWtAttr_SetDefaultTextAttr(font, size, style, justification, extra);
    return true;
}
bool setLineWidth(In& in, Out& out) {
    ObjectHandle object = in.u32();
    Fixed width = in.px();
    return in.ok() && reply(out, QXWtAttr_SetLineWidth(object, width));
}

// ---- attributes added with the connector and page entries ----

bool createPicture(In& in, Out& out) {
    ObjectHandle page = in.u32();
    Fixed x = in.px(), y = in.px(), w = in.px(), h = in.px();
    std::string path = in.str();
    return in.ok() && reply(out, QXStr_CreatePicture(page, x, y, w, h, path.c_str()));
}
template <uint32_t (*Set)(ObjectHandle, uint32_t, const FixPoint*)>
bool setPoints(In& in, Out& out) {
    ObjectHandle object = in.u32();
    auto points = in.pxlist();
    return in.ok() && reply(out, Set(object, static_cast<uint32_t>(points.size()), points.data()));
}
// R; when R is not 0 the count of coordinate values and the points as pixels.
bool replyPoints(Out& out, uint32_t result, const FixPoint* points, uint16_t count) {
    out.u32(result);
    if (result == 0) return true;
    out.u32(2u * count);
    for (uint16_t i = 0; i < count; ++i) {
        out.px(points[i].x);
        out.px(points[i].y);
    }
    return true;
}
bool connPoints(In& in, Out& out) {
    ObjectHandle connector = in.u32();
    if (!in.ok()) return false;
    FixPoint points[kConnPointsMax] = {};
    uint16_t count = 0;
    uint32_t result = QXRdAttr_GetConnPoints(connector, &count, points);
    return replyPoints(out, result, points, std::min(count, kConnPointsMax));
}
bool polyPointCount(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint16_t count = 0;
    uint32_t result = QXRdAttr_GetPolyPointCount(object, &count);
    return replyWith(out, result, count);
}
bool polyPoints(In& in, Out& out) {
    ObjectHandle object = in.u32();
    if (!in.ok()) return false;
    uint16_t count = 0;
    uint32_t result = QXRdAttr_GetPolyPointCount(object, &count);
    std::vector<FixPoint> points(count);
    if (result != 0) result = QXRdAttr_GetPolyPoints(object, points.data());
    return replyPoints(out, result, points.data(), count);
}
constexpr size_t kPageNameSize = 64; // a page name holds at most 63 bytes
bool pageAttr(In& in, Out& out) {
    ObjectHandle page = in.u32();
    if (!in.ok()) return false;
    char name[kPageNameSize] = {};
    uint16_t number = 0;
    int16_t width = 0, height = 0;
    uint32_t border = 0;
    uint32_t result = QXRdAttr_GetPageAttr(page, name, &number, &width, &height, &border);
    out.u32(result);
    if (result != 0) {
        out.pstr(std::string_view(name, strnlen(name, kPageNameSize - 1)));
        for (uint32_t v : {uint32_t{number}, word(width), word(height), border}) out.u32(v);
    }
    return true;
}
bool setPageAttr(In& in, Out& out) {
    ObjectHandle page = in.u32();
    std::string name = in.str();
    auto number = static_cast<uint16_t>(in.s16());
    int16_t width = in.s16(), height = in.s16();
    uint32_t border = in.u32();
    return in.ok() && reply(out, QXWtAttr_SetPageAttr(page, name.c_str(), number, width, height, border));
}
bool fontSize(In& in, Out& out) {
    ObjectHandle object = in.u32();
    return in.ok() && reply(out, QXRdAttr_GetFontSize(object));
}
bool connAttr(In& in, Out& out) {
    ObjectHandle connector = in.u32();
    if (!in.ok()) return false;
    int16_t arrowWidth = 0, arrowHeight = 0, textWidth = 0, textHeight = 0;
    int32_t shape = 0;
    uint32_t result = QXRdAttr_GetConnAttr(connector, &arrowWidth, &arrowHeight, &shape, &textWidth, &textHeight);
    return replyWith(out, result, word(arrowWidth), word(arrowHeight), word(shape), word(textWidth),
                     word(textHeight));
}
bool setConnAttr(In& in, Out& out) {
    ObjectHandle connector = in.u32();
    auto arrowWidth = static_cast<int16_t>(in.u32()), arrowHeight = static_cast<int16_t>(in.u32());
    int32_t shape = in.i32();
    int16_t textWidth = in.s16(), textHeight = in.s16();
    return in.ok() &&
           reply(out, QXWtAttr_SetConnAttr(connector, arrowWidth, arrowHeight, shape, textWidth, textHeight));
}
bool default16(In&, Out& out) {
    uint16_t a = 0;
    uint32_t b = 0;
    QXRdAttr_GetDefault16(&a, &b);
    out.u32(a);
    out.u32(b);
    return true;
}
bool setDefault16(In& in, Out&) {
    auto a = static_cast<uint16_t>(in.s16());
    uint32_t b = in.u32();
    if (!in.ok()) return false;
    QXWtAttr_SetDefault16(a, b);
    return true;
}
bool setDefaultLineWord(In& in, Out&) {
    uint32_t value = in.u32();
    if (!in.ok()) return false;
    QXWtAttr_SetDefaultLineWord(value);
    return true;
}

// ---- file names, edit mode and menu updates ----

// A QXMem text freed when it goes out of scope.
struct QXText {
    char* text = nullptr;
    QXText() = default;
    QXText(const QXText&) = delete;
    QXText& operator=(const QXText&) = delete;
    ~QXText() {
        if (text != nullptr) QXMem_Free(text);
    }
    std::string_view view() const { return text != nullptr ? std::string_view(text) : std::string_view(); }
};

// The path alone as a text (empty when there is none).
bool currentFileName(In&, Out& out) {
    QXText path;
    QXFile_GetCurrentFileName(&path.text);
    out.str(path.view());
    return true;
}
// Title, button label, initial name, options: 1 and the path, or 0.
bool selectFile(In& in, Out& out) {
    std::string title = in.str(), button = in.str(), initial = in.str();
    uint32_t options = in.u32();
    if (!in.ok()) return false;
    QXText path;
    uint32_t result = QXFile_SelectFile(title.c_str(), button.c_str(), initial.c_str(), options, &path.text);
    out.u32(result != 0 ? 1 : 0);
    if (result != 0) out.str(path.view());
    return true;
}
bool setEditMode(In& in, Out&) {
    uint32_t mode = truth(in.u32());
    if (!in.ok()) return false;
    QXText_SetEditMode(mode);
    return true;
}
bool cancelMenuUpdate(In&, Out&) {
    QXMenu_CancelUpdate();
    return true;
}
bool requestMenuUpdate(In&, Out&) {
    QXMenu_RequestUpdate();
    return true;
}

struct GramEntry {
    uint32_t code;
    SMLGramHandler run; // null: the operation is not there yet
};

// Sorted by code. Null rows are bound as tolq starts (the dialogs, picks and
// group operations of the interface, and the net layer's codes from 15000
// up); a code left null is answered as failed.
GramEntry g_requests[] = {
    {20, createLabel},
    {21, createNode},
    {22, createConnector},
    {23, createLine},
    {24, createPicture},
    {25, makeCoarseNode},
    {30, createPolygon},
    {31, deleteObject},
    {40, nullptr},
    {41, makeRegion},
    {50, merge},
    {55, attachNode},
    {60, unmakeRegion},
    {70, moveNodesToPage},
    {80, createPage},
    {90, createPageOpt},
    {100, setModified},
    {110, nullptr},
    {120, nullptr},
    {130, setPoints<QXWtAttr_SetPolyPoints>},
    {1000, nullptr},
    {1010, nullptr},
    {1050, nullptr},
    {1060, nullptr},
    {1070, clearUndo},
    {1080, nullptr},
    {1090, delay},
    {1100, printPages},
    {1110, intToFixed},
    {1120, currentCommand},
    {1130, nullptr},
    {1150, beep},
    {1160, fixedToInt},
    {1190, nullptr},
    {1200, nullptr},
    {2000, setTextDefault<QXText_SetDefaultFont>},
    {2010, setTextDefault<QXText_SetDefaultSize>},
    {2020, setTextDefault<QXText_SetDefaultJustification>},
    {2030, setTextDefault<QXText_SetDefaultStyle>},
    {2040, maxLineLength},
    {2050, isEditing},
    {2060, getText},
    {2070, setEditMode},
    {2080, textLength},
    {2090, putText<QXText_SetText>},
    {2100, putText<QXText_AppendText>},
    {3000, nullptr},
    {3010, curGroup},
    {3020, setCurPage},
    {3030, setCurGroup},
    {3040, curPage},
    {3050, curObject},
    {3060, setCurPage},
    {3070, setCurObject},
    {4000, objectList<QXStr_GetPageConnList>},
    {4010, objectList<QXStr_GetSetConnLists>},
    {4020, pageList},
    {4030, objectOf<QXStr_GetBaseObject>},
    {4040, pageListHandle},
    {4050, groupConnList},
    {4060, connOtherEnd},
    {4070, nodeConnLists},
    {4080, isObject},
    {4090, objectList<QXStr_GetNodeList>},
    {4100, objectOf<QXStr_GetObjectPage>},
    {4110, objectList<QXStr_GetBorderNodeList>},
    {4120, objectList<QXStr_GetObjectConnList>},
    {4130, connEnds},
    {4140, objectOf<QXRdAttr_GetSuperNode>},
    {4150, objectList<QXStr_GetRegionList>},
    {4160, objectOf<QXText_FirstReferrer>},
    {6010, setItemMark},
    {6030, getItemMark},
    {6040, deleteMenu},
    {6050, menuPair<QXMenu_AddMenu>},
    {6060, deleteItem},
    {6070, addItem},
    {6080, moveItem},
    {6090, setItemLabel},
    {6100, setItemState},
    {6110, itemPosition},
    {6120, menuPair<QXMenu_MoveMenu>},
    {6130, setMenuTitle},
    {6140, setMenuState},
    {6150, menuPosition},
    {6170, updateMenuBar},
    {7080, nullptr},
    {8000, nullptr},
    {8010, nullptr},
    {8020, nullptr},
    {8030, nullptr},
    {8040, redrawPage},
    {8050, updateStatusBar},
    {8060, closePage},
    {8070, noOp},
    {8080, nullptr},
    {8090, objectIndication},
    {8100, nullptr},
    {8110, isPageOpen},
    {8120, cancelMenuUpdate},
    {8130, requestMenuUpdate},
    {8140, statusText},
    {8150, commFlag},
    {8160, redrawObject},
    {8170, showPage},
    {8180, pickPage},
    {8190, flushDisplay},
    {8200, nullptr},
    {9000, groupSelected},
    {9010, nullptr},
    {9020, attrOf<QXRdAttr_GetShapeBit>},
    {9030, pageAttr},
    {9040, currentFileName},
    {9050, fontSize},
    {9060, attrOf<QXUtil_IsLabel>},
    {9070, maxObjectCount},
    {9080, lineAttr},
    {9090, connEndAttr},
    {9100, connAttr},
    {9110, connPoints},
    {9120, attrOf<QXRdAttr_GetConnHidden>},
    {9140, getFlag},
    {9150, attrOf<QXRdAttr_GetShapeBitRaw>},
    {9160, attrOf<QXRdAttr_GetDirection>},
    {9170, attrOf<QXRdAttr_GetObjectType>},
    {9180, attrValue<QXRdAttr_GetRefineState>},
    {9190, default16},
    {9200, polyPointCount},
    {9210, polyPoints},
    {9220, pageScale},
    {9230, objectOf<QXRdAttr_GetSubPage>},
    {9240, attrValue<QXRdAttr_GetBorderFlag>},
    {9250, attrValue<QXRdAttr_GetRegionKind>},
    {9260, selectableFlag},
    {9270, shape},
    {9280, defaultTextAttr},
    {9290, pixelPair<QXRdAttr_GetSize>},
    {9300, pixelPair<QXRdAttr_GetPosition>},
    {10000, colors},
    {10040, setColors},
    {11010, setPixelPair<QXWtAttr_SetSize>},
    {11020, setPageAttr},
    {11040, setPixelPair<QXWtAttr_SetPosition>},
    {11050, setLineAttr},
    {11060, nullptr},
    {11070, setConnEndAttr},
    {11080, setConnAttr},
    {11090, setPoints<QXWtAttr_SetConnPoints>},
    {11100, setConnHidden},
    {11110, setValue<QXWtAttr_SetLinePattern>},
    {11120, setFlag},
    {11130, setValue<QXWtAttr_SetLineStyle>},
    {11140, setShapeBit},
    {11150, setValue<QXWtAttr_SetDirection>},
    {11160, clearRebuiltMark},
    {11170, setDefault16},
    {11180, setValue<QXWtAttr_SetBorderFlag>},
    {11190, setValue<QXWtAttr_SetRegionKind>},
    {11200, setDefaultLineWord},
    {11210, setDefaultTextAttr},
    {11220, setLineWidth},
    {11230, setValue<QXWtAttr_SetSuperNode>},
    {11240, setValue<QXWtAttr_SetSubPage>},
    {14000, nullptr},
    {14100, selectFile},
    // The net layer's codes; 15016 is the kernel's.
    {15000, nullptr}, // ASGetPageInstances
    {15001, nullptr}, // ASGetRecordMembers
    {15002, nullptr}, // SEGetCodeSegmentVars
    {15003, nullptr}, // EE_SetModeAttributes
    {15004, nullptr}, // GE_RefreshObjectFlags
    {15005, nullptr}, // RXL_ConnectWithLabel
    {15006, nullptr}, // RXL_CreatePlaceWithLabels
    {15007, nullptr}, // RXL_CreateTransWithLabels
    {15008, nullptr}, // RXL_MakeDirectory
    {15009, nullptr}, // RXL_AddResourceLabel
    {15010, nullptr}, // RXL_CreateReportPage
    {15011, nullptr}, // RXL_CreateResourceNet
    {15013, nullptr}, // RXL_AddTimeStampsResource
    {15014, nullptr}, // RXL_AddTimeStampsPiece
    {15015, nullptr}, // RXL_GetSubstitutionPairs
    {15016, currentFileName},
    {15017, nullptr}, // SIM_LoadTaggedPairs
    {15018, nullptr}, // SIM_StoreTaggedPairs
};

GramEntry* find(uint32_t code) {
    auto* end = std::end(g_requests);
    auto* at = std::lower_bound(std::begin(g_requests), end, code,
                                [](const GramEntry& e, uint32_t c) { return e.code < c; });
    return at != end && at->code == code ? at : nullptr;
}

} // namespace

void SMLSynchronizeDisplay() { QXUI_FlushDisplay(); }

bool SMLSetGramHandler(uint32_t code, SMLGramHandler handler) {
    GramEntry* entry = find(code);
    if (entry == nullptr) return false;
    entry->run = handler;
    return true;
}

int SMLGramSwitch(std::span<const uint8_t> request, SMLWireOut& reply) {
    reply.clear();
    SMLWireIn in(request);
    const GramEntry* entry = find(in.u32());
    if (!in.ok() || entry == nullptr || entry->run == nullptr) return -1;
    if (!entry->run(in, reply)) {
        reply.clear();
        return -1;
    }
    SMLSynchronizeDisplay();
    return 0;
}
