// Error boxes: finding, making, placing, resetting and filling the error box
// of each page and the "Errors" list on the hierarchy page.
#include "atolq/CEditor/ErrorBoxes.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/Utils/MemFile.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int32_t kBoxDefaultKey = 19;
constexpr uint32_t kFlagsOfNewBox = 0x400002;
constexpr uint32_t kFlagCopied = 1024;
constexpr int16_t kMsgNoPageForBoxes = 16401;
constexpr size_t kRefNameSize = 88;
constexpr uint32_t kReadPiece = 1024;

constexpr Fixed Units(int n)
{
    return static_cast<Fixed>(n * 0x10000);
}
// Distance kept from the window's edges and from other objects.
constexpr Fixed kMargin = Units(6);
// Step of the search for a free place.
constexpr Fixed kStep = Units(8);
// Room around the text inside the box.
constexpr Fixed kPadding = Units(4);
// A box is never made smaller than this.
constexpr Fixed kMinWidth = Units(40);
constexpr Fixed kMinHeight = Units(12);
// What is taken as the view of a page without an open window.
constexpr Fixed kClosedViewWidth = Units(250);
constexpr Fixed kClosedViewHeight = Units(180);

struct Rect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    int64_t Width() const { return right - left; }
    int64_t Height() const { return bottom - top; }
    bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Inside(const Rect& o) const { return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom; }
};

// A QX array (nodes, connectors, regions, pages) as a vector; the block is freed.
template <typename Get>
std::vector<ObjectHandle> ListOf(Get get)
{
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    std::vector<ObjectHandle> out;
    if (get(&count, &array) != 0 && array != nullptr)
        out.assign(array, array + count);
    if (array != nullptr)
        QXMem_Free(array);
    return out;
}

std::vector<ObjectHandle> AllPages()
{
    return ListOf([](uint16_t* count, ObjectHandle** array) { return QXStr_GetPageList(count, array); });
}

std::optional<Rect> BoundsOf(ObjectHandle object)
{
    Fixed left = 0, right = 0, top = 0, bottom = 0;
    if (QXRdAttr_GetBoxWords(object, &left, &right, &top, &bottom) == 0)
        return std::nullopt;
    return Rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// Every object drawn on the page apart from the box: nodes, connectors and
// their regions, with the regions of those regions.
std::vector<Rect> Obstacles(ObjectHandle page, ObjectHandle box)
{
    std::vector<ObjectHandle> pending =
        ListOf([page](uint16_t* count, ObjectHandle** array) { return QXStr_GetNodeList(page, count, array); });
    const std::vector<ObjectHandle> connectors =
        ListOf([page](uint16_t* count, ObjectHandle** array) { return QXStr_GetPageConnList(page, count, array); });
    pending.insert(pending.end(), connectors.begin(), connectors.end());
    std::vector<Rect> rects;
    // Regions hang below their owners; the bound keeps a damaged tree finite.
    for (size_t i = 0; i < pending.size() && i < 100000; ++i) {
        const ObjectHandle object = pending[i];
        if (object == box)
            continue;
        if (const auto bounds = BoundsOf(object))
            rects.push_back(*bounds);
        const std::vector<ObjectHandle> regions = ListOf(
            [object](uint16_t* count, ObjectHandle** array) { return QXStr_GetRegionList(object, count, array); });
        pending.insert(pending.end(), regions.begin(), regions.end());
    }
    return rects;
}

// What the page's window shows; for a page without a window, an area at the
// top left of its objects.
Rect ViewOf(ObjectHandle page, ObjectHandle box)
{
    FixRect visible{};
    if (QXWin_GetVisibleRect(page, &visible) != 0)
        return Rect{visible.left, visible.top, visible.right, visible.bottom};
    Rect view{0, 0, kClosedViewWidth, kClosedViewHeight};
    const std::vector<Rect> objects = Obstacles(page, box);
    if (!objects.empty()) {
        view.left = objects.front().left;
        view.top = objects.front().top;
        for (const Rect& r : objects) {
            view.left = std::min(view.left, r.left);
            view.top = std::min(view.top, r.top);
        }
        view.right = view.left + kClosedViewWidth;
        view.bottom = view.top + kClosedViewHeight;
    }
    return view;
}

// The usable part of the view: inside its margins, never empty.
Rect Usable(const Rect& view)
{
    Rect usable{view.left + kMargin, view.top + kMargin, view.right - kMargin, view.bottom - kMargin};
    usable.right = std::max(usable.right, usable.left + kMinWidth);
    usable.bottom = std::max(usable.bottom, usable.top + kMinHeight);
    return usable;
}

bool IsFree(const Rect& spot, std::span<const Rect> obstacles)
{
    const Rect widened{spot.left - kMargin, spot.top - kMargin, spot.right + kMargin, spot.bottom + kMargin};
    return std::none_of(obstacles.begin(), obstacles.end(), [&](const Rect& r) { return widened.Overlaps(r); });
}

// The free spot of the size nearest to the usable area's top left corner,
// searched on a grid; none when every spot is taken.
std::optional<Rect> FreeSpot(const Rect& usable, int64_t width, int64_t height, std::span<const Rect> obstacles)
{
    std::optional<Rect> best;
    int64_t bestDistance = 0;
    for (int64_t top = usable.top; top + height <= usable.bottom; top += kStep) {
        for (int64_t left = usable.left; left + width <= usable.right; left += kStep) {
            const int64_t distance = (left - usable.left) + (top - usable.top);
            if (best && distance >= bestDistance)
                break;
            const Rect spot{left, top, left + width, top + height};
            if (IsFree(spot, obstacles)) {
                best = spot;
                bestDistance = distance;
            }
        }
    }
    return best;
}

// Moves the object so that its bounds begin at (left, top).
void MoveTopLeft(ObjectHandle object, int64_t left, int64_t top)
{
    const auto bounds = BoundsOf(object);
    Fixed x = 0, y = 0;
    if (!bounds || QXRdAttr_GetPosition(object, &x, &y) == 0)
        return;
    const int64_t nx = x + (left - bounds->left);
    const int64_t ny = y + (top - bounds->top);
    QXWtAttr_SetPosition(object, static_cast<Fixed>(std::clamp<int64_t>(nx, INT32_MIN + 1, INT32_MAX - 1)),
                         static_cast<Fixed>(std::clamp<int64_t>(ny, INT32_MIN + 1, INT32_MAX - 1)));
}

void SetSize(ObjectHandle object, int64_t width, int64_t height)
{
    QXWtAttr_SetSize(object, static_cast<Fixed>(std::clamp<int64_t>(width, kMinWidth, INT32_MAX)),
                     static_cast<Fixed>(std::clamp<int64_t>(height, kMinHeight, INT32_MAX)));
}

// Puts the box in a free spot of its current size inside its page's view;
// where none is free, at the view's top left so that it is at least seen.
void Place(ObjectHandle box)
{
    const ObjectHandle page = QXStr_GetObjectPage(box);
    const auto bounds = BoundsOf(box);
    if (page == 0 || !bounds)
        return;
    const Rect usable = Usable(ViewOf(page, box));
    const std::vector<Rect> obstacles = Obstacles(page, box);
    if (bounds->Inside(usable) && IsFree(*bounds, obstacles))
        return;
    if (const auto spot = FreeSpot(usable, bounds->Width(), bounds->Height(), obstacles))
        MoveTopLeft(box, spot->left, spot->top);
    else
        MoveTopLeft(box, usable.left, usable.top);
}

uint32_t Length(ObjectHandle object)
{
    uint32_t length = 0;
    return QXText_GetLength(object, &length) != 0 ? length : 0;
}

void CursorToEnd(ObjectHandle object)
{
    const auto end = static_cast<int32_t>(std::min<uint32_t>(Length(object), INT32_MAX));
    QXText_SetSelection(object, end, end);
}

// Appends text at the end; a 0 byte would end it early and becomes a blank.
void Append(ObjectHandle object, std::string text)
{
    std::replace(text.begin(), text.end(), '\0', ' ');
    QXText_AppendText(object, text.c_str());
}

bool IsPage(ObjectHandle object)
{
    if ((QXRdAttr_GetObjectType(object) & kQXKindPage) != 0)
        return true;
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) != 0 && record != nullptr && record->kind == kSEPage;
}

void Link(ObjectHandle page, ObjectHandle box)
{
    GE_SetAuxWord(page, box);
    GE_SetSelfMark(box, box);
}

}  // namespace

int GE_HasPrefix(const char* text, const char* prefix)
{
    if (text == nullptr || prefix == nullptr)
        return 0;
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0 ? 1 : 0;
}

ObjectHandle GE_GetErrorBox(ObjectHandle page, int create)
{
    if (page == 0 || QXStr_IsObject(page) == 0)
        return 0;
    const ObjectHandle box = GE_GetAuxWord(page);
    if (box != 0 && box != page && QXStr_IsObject(box) != 0 && GE_GetSelfMark(box) == box &&
        QXStr_GetObjectPage(box) == page)
        return box;
    return create != 0 ? GE_CreateErrorBox(page) : 0;
}

ObjectHandle GE_CreateErrorBox(ObjectHandle page)
{
    if (page == 0 || QXStr_IsObject(page) == 0)
        return 0;
    std::array<uint32_t, kDefAttributeWords> shape{};
    DefGetShape(kBoxDefaultKey, shape.data(), kDefLevelDiagram);
    const ObjectHandle box = GM_CreateOne(page, 0, 0, shape.data());
    if (box == 0)
        return 0;
    GE_ApplyDefaultAttributes(kBoxDefaultKey, box);
    QXWtAttr_SetFlag(box, kFlagsOfNewBox, 0);
    if (GE_SetAuxWord(page, box) == 0 || GE_SetSelfMark(box, box) == 0) {
        QXStr_DeleteObject(box);
        return 0;
    }
    Place(box);
    return box;
}

void GE_FitErrorBox(ObjectHandle box)
{
    const ObjectHandle page = QXStr_GetObjectPage(box);
    const auto bounds = BoundsOf(box);
    if (page == 0 || !bounds)
        return;
    const Rect usable = Usable(ViewOf(page, box));
    // Laid out at the widest the view allows, then as narrow as its lines.
    SetSize(box, usable.Width(), bounds->Height());
    Fixed textWidth = 0, textHeight = 0;
    QXText_GetTextSize(box, &textWidth, &textHeight);
    const int64_t width = std::clamp<int64_t>(int64_t{textWidth} + 2 * kPadding, kMinWidth, usable.Width());
    SetSize(box, width, bounds->Height());
    QXText_GetTextSize(box, &textWidth, &textHeight);
    const int64_t height = std::clamp<int64_t>(int64_t{textHeight} + 2 * kPadding, kMinHeight, usable.Height());
    SetSize(box, width, height);
    MoveTopLeft(box, bounds->left, bounds->top);
    Place(box);
}

void GE_BringErrorBoxIntoView(ObjectHandle page)
{
    const ObjectHandle box = GE_GetErrorBox(page, 0);
    FixRect visible{};
    if (box == 0 || QXWin_GetVisibleRect(page, &visible) == 0)
        return;
    const auto bounds = BoundsOf(box);
    const Rect view{visible.left, visible.top, visible.right, visible.bottom};
    // A box the user can see stays where it is.
    if (!bounds || bounds->Overlaps(view))
        return;
    Place(box);
}

int GE_ResetErrorBox(ObjectHandle* box)
{
    if (box == nullptr || *box == 0 || QXStr_IsObject(*box) == 0)
        return 0;
    if (QXText_FirstReferrer(*box) != 0 || QXText_HasReferences(*box) != 0) {
        const ObjectHandle page = QXStr_GetObjectPage(*box);
        const ObjectHandle copy = QXStr_CloneObject(*box);
        if (copy == 0 || QXStr_GetObjectPage(copy) != page) {
            if (copy != 0)
                QXStr_DeleteObject(copy);
            return 0;
        }
        QXStr_DeleteObject(*box);
        Link(page, copy);
        QXWtAttr_SetFlag(copy, kFlagsOfNewBox | kFlagCopied, 0);
        *box = copy;
    }
    QXText_SetText(*box, std::string(kGENoErrors).c_str());
    CursorToEnd(*box);
    GE_FitErrorBox(*box);
    return 1;
}

int GE_ListErrorBox(ObjectHandle listBox, ObjectHandle pageBox)
{
    if (listBox == 0 || pageBox == 0 || QXStr_IsObject(listBox) == 0 || QXStr_IsObject(pageBox) == 0)
        return 0;
    if (QXText_HasReferences(listBox) == 0)
        QXText_SetText(listBox, std::string(kGEErrorsHeading).c_str());
    char name[kRefNameSize] = {};
    GE_ObjectRefName(QXStr_GetObjectPage(pageBox), name);
    name[kRefNameSize - 1] = '\0';
    Append(listBox, name);
    CursorToEnd(listBox);
    const uint32_t referred = QXText_InsertReference(listBox, pageBox);
    Append(listBox, "\n");
    GE_FitErrorBox(listBox);
    return referred != 0 ? 1 : 0;
}

std::string GE_ReplyTail(MemFile* reply)
{
    std::string kept;
    if (reply == nullptr)
        return kept;
    MemFileRewind(reply);
    std::array<char, kReadPiece> piece{};
    for (;;) {
        uint32_t count = kReadPiece;
        const int result = MemFileRead(reply, piece.data(), &count);
        kept.append(piece.data(), std::min<uint32_t>(count, kReadPiece));
        if (kept.size() > kGEReplyKept)
            kept.erase(0, kept.size() - kGEReplyKept);
        if (result != 0 || count == 0)
            break;
    }
    if (const size_t at = kept.rfind(kGEDeclSeparator); at != std::string::npos)
        kept.erase(0, at + kGEDeclSeparator.size());
    return kept;
}

int GE_AddErrorText(ObjectHandle box, ObjectHandle object, const char* message, MemFile* reply)
{
    if (box == 0 || QXStr_IsObject(box) == 0)
        return 0;
    Append(box, "\n");
    Append(box, message != nullptr ? message : "");
    Append(box, "\n");
    if (reply != nullptr)
        Append(box, GE_ReplyTail(reply));
    int result = 1;
    if (object != 0 && !IsPage(object)) {
        CursorToEnd(box);
        if (QXText_InsertReference(box, object) == 0)
            result = 0;
    }
    if (result != 0)
        Append(box, "\n");
    GE_FitErrorBox(box);
    return result;
}

int GE_ResetErrorBoxes(int create)
{
    const std::vector<ObjectHandle> pages = AllPages();
    if (pages.empty()) {
        EE_ReportError(kMsgNoPageForBoxes);
        return 0;
    }
    ObjectHandle hierarchy = PGFindHierarchyPage();
    if (hierarchy == 0 && create != 0)
        hierarchy = PGGetHierarchyPage();
    ObjectHandle list = hierarchy != 0 ? GE_GetErrorBox(hierarchy, create) : 0;
    if (create != 0 && list == 0)
        return 0;
    if (list != 0)
        GE_ResetErrorBox(&list);
    for (const ObjectHandle page : pages) {
        SEHead* record = nullptr;
        if (page == hierarchy || GE_GetSERecord(page, &record) == 0 || record == nullptr)
            continue;
        ObjectHandle box = GE_GetErrorBox(page, create);
        if (box == 0)
            continue;
        GE_ResetErrorBox(&box);
        if (create != 0)
            GE_ListErrorBox(list, box);
    }
    return 1;
}
