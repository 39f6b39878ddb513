// QX object attributes of shapes and pages: connector attributes and corner
// points, polygon and line points, wedge angles, page attributes and the
// default groups that the interface reads and writes by code.
#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXMem.h"
#include "xkv/model/Model.h"
#include "xkv/types/PtArray.h"
#include "xkv/window/Window.h"

namespace {

constexpr uint32_t kPolyline = 9;
constexpr uint32_t kPolygon = 5;
constexpr uint32_t kLine = 13;
constexpr uint32_t kWedge = 8;
constexpr uint32_t kMaxCorners = 61;
constexpr uint32_t kDefault16 = 16;
constexpr uint32_t kNodeBlockSize = 80;
constexpr uint32_t kNodeTextSize = 16;

// A property record of the size the kernel gives the property.
class Record {
public:
    explicit Record(uint32_t property, uint32_t atLeast)
        : property_(property), bytes_(std::max(Default_PropertySize(property), atLeast), 0)
    {
    }
    uint8_t* data() { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    KernelStatus Read(ObjectHandle owner, uint32_t level)
    {
        return Default_Get(owner, level, property_, bytes_.data());
    }
    KernelStatus Write(ObjectHandle owner, uint32_t level) const
    {
        return Default_Set(owner, level, property_, bytes_.data());
    }
    void ClearMarks() { std::memset(bytes_.data(), 0, kChangedBytes); }
    uint32_t Get(uint32_t offset) const
    {
        uint32_t v = 0;
        if (offset + 4 <= bytes_.size()) {
            std::memcpy(&v, bytes_.data() + offset, 4);
        }
        return v;
    }
    // Stores a word and marks its attribute (the word's index after the marks).
    void Put(uint32_t offset, uint32_t value) { PutMarked(offset, value, (offset - kChangedBytes) / 4); }
    void PutMarked(uint32_t offset, uint32_t value, uint32_t attribute)
    {
        if (offset + 4 <= bytes_.size()) {
            std::memcpy(bytes_.data() + offset, &value, 4);
        }
        if (attribute < kChangedBytes) {
            bytes_[attribute] = 1;
        }
    }

private:
    uint32_t property_;
    std::vector<uint8_t> bytes_;
};

uint32_t Kind(ObjectHandle o)
{
    return Model_GetKind(o);
}

bool IsShape(ObjectHandle o, uint32_t kind)
{
    return (Model_IsNode(o) || Model_IsRegion(o)) && Kind(o) == kind;
}

// A point array made from the caller's points, freed on leaving scope.
class Points {
public:
    ~Points()
    {
        if (array_ != 0) {
            PtArray_Free(array_);
        }
    }
    KernelStatus Fill(uint32_t count, const FixPoint* points)
    {
        if (points == nullptr || count == 0 || count > kPtArrayMaxPoints) {
            return kStatusBadArgument;
        }
        if (KernelStatus s = PtArray_Create(&array_, static_cast<uint16_t>(count)); s != kStatusOk) {
            return s;
        }
        for (uint32_t i = 0; i < count; ++i) {
            if (KernelStatus s = PtArray_Append(array_, points[i]); s != kStatusOk) {
                return s;
            }
        }
        return kStatusOk;
    }
    PtArray get() const { return array_; }

private:
    PtArray array_ = 0;
};

// Copies the points of an array into the caller's buffer.
void CopyPoints(PtArray array, FixPoint* out, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i) {
        PtArray_GetPoint(array, i, &out[i]);
    }
}

int32_t ShapeCode(uint32_t kind)
{
    return Model_ConvertCode(static_cast<int32_t>(kind), 2, 2);
}

int16_t ToInt(uint32_t fixedWord)
{
    return QXUtil_FixedToInt(static_cast<Fixed>(fixedWord));
}

}  // namespace

// ---- Shape data, boxes and texts ----

MemHandle QXRdAttr_GetShapeData(ObjectHandle object)
{
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    return Model_GetFieldValue(object, Field::kShapeData);
}

uint32_t QXRdAttr_GetEndAttr(ObjectHandle connector, uint32_t, uint32_t endFlag)
{
    return QXRdAttr_GetConnEndAttr(connector, endFlag);
}

uint32_t QXWtAttr_SetEndAttr(ObjectHandle connector, uint32_t, uint32_t endFlag, uint32_t value)
{
    return QXWtAttr_SetConnEndAttr(connector, endFlag, value);
}

uint32_t QXRdAttr_IsConnHidden(ObjectHandle connector)
{
    return QXRdAttr_GetConnHidden(connector);
}

uint32_t QXRdAttr_GetRefineStateRaw(ObjectHandle node)
{
    if (Model_GetFieldValue(node, Field::kSubpage) != 0) {
        return Model_HasFlags(node, kFlagAttached) ? 1 : 0;
    }
    return Model_GetFieldValue(node, 15);
}

uint32_t QXRdAttr_GetBoxWords(ObjectHandle object, Fixed* a, Fixed* b, Fixed* c, Fixed* d)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    FixRect box{};
    if (KernelStatus s = Model_GetField(object, Field::kBox, &box); s != kStatusOk) {
        return qx::Fail(s);
    }
    // The four words in the order first, third, second, fourth.
    if (a != nullptr) *a = box.left;
    if (b != nullptr) *b = box.right;
    if (c != nullptr) *c = box.top;
    if (d != nullptr) *d = box.bottom;
    return 1;
}

uint32_t QXRdAttr_GetFontSize(ObjectHandle object)
{
    if (!Model_IsObject(object) || Model_GetFieldValue(object, Field::kText) == 0) {
        return 0;
    }
    return Model_GetFieldValue(object, Field::kFontSize);
}

// ---- Connector attributes ----

uint32_t QXRdAttr_GetConnAttr(ObjectHandle connector, int16_t* arrowWidth, int16_t* arrowHeight, int32_t* shape,
                              int16_t* textWidth, int16_t* textHeight)
{
    uint32_t aw = 0;
    uint32_t ah = 0;
    uint32_t kind = 0;
    int32_t tw = 0;
    int32_t th = 0;
    if (connector == 0) {
        Record r(kPropConnector, 68);
        if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
            return qx::Fail(s);
        }
        aw = r.Get(44);
        ah = r.Get(48);
        kind = r.Get(32);
        tw = static_cast<int32_t>(r.Get(36)) >> 15;
        th = static_cast<int32_t>(r.Get(40)) >> 15;
    } else if (Model_IsConnector(connector)) {
        FixRect box{};
        Model_GetField(connector, Field::kTextBox, &box);
        aw = Model_GetFieldValue(connector, Field::kArrowWidth);
        ah = Model_GetFieldValue(connector, Field::kArrowHeight);
        kind = Kind(connector);
        // Differences of 32-bit words, taken without overflow.
        tw = static_cast<int32_t>((static_cast<int64_t>(box.right) - box.left) >> 15);
        th = static_cast<int32_t>((static_cast<int64_t>(box.bottom) - box.top) >> 15);
    } else {
        return qx::Fail(34);
    }
    if (arrowWidth != nullptr) *arrowWidth = ToInt(aw);
    if (arrowHeight != nullptr) *arrowHeight = ToInt(ah);
    if (shape != nullptr) *shape = ShapeCode(kind);
    if (textWidth != nullptr) *textWidth = static_cast<int16_t>(tw);
    if (textHeight != nullptr) *textHeight = static_cast<int16_t>(th);
    return 1;
}

uint32_t QXWtAttr_SetConnAttr(ObjectHandle connector, int16_t arrowWidth, int16_t arrowHeight, int32_t shape,
                              int16_t textWidth, int16_t textHeight)
{
    if (connector != 0 && !Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    Record r(kPropConnector, 68);
    const ObjectHandle owner = connector;
    const uint32_t level = connector == 0 ? kDefaultLevelNew : kDefaultLevelObject;
    if (KernelStatus s = r.Read(owner, level); s != kStatusOk) {
        return qx::Fail(s);
    }
    r.ClearMarks();
    r.Put(32, static_cast<uint32_t>(Model_ConvertCode(shape, 2, 1)));
    r.Put(36, static_cast<uint32_t>(QXUtil_IntToFixed(textWidth)));
    r.Put(40, static_cast<uint32_t>(QXUtil_IntToFixed(textHeight)));
    r.Put(44, static_cast<uint32_t>(QXUtil_IntToFixed(arrowWidth)));
    r.Put(48, static_cast<uint32_t>(QXUtil_IntToFixed(arrowHeight)));
    if (connector != 0) {
        Core_RedrawObject(connector);
    }
    if (KernelStatus s = r.Write(owner, level); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (connector != 0) {
        RebuildRequest request;
        request.kind = kRebuildAttributes;
        Core_RebuildObject(connector, &request);
        Core_RedrawObject(connector);
    }
    return 1;
}

uint32_t QXRdAttr_GetConnPoints(ObjectHandle connector, uint16_t* count, FixPoint* points)
{
    if (!Model_IsConnector(connector) || Kind(connector) != kPolyline || count == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    const PtArray path = Model_GetFieldValue(connector, Field::kPath);
    const uint16_t n = PtArray_Count(path);
    // The caller's buffer holds at most as many points as a connector may have.
    if (n < 2 || n > kMaxCorners) {
        return qx::Fail(kStatusBadArgument);
    }
    FixPoint first{};
    FixPoint last{};
    KernelStatus status = kStatusOk;
    if (Model_GetFieldValue(connector, Field::kConnector66) != 0) {
        ObjectHandle start = 0;
        ObjectHandle end = 0;
        status = Model_GetConnectorEnds(connector, &start, &end, 1);
        Model_GetField(start, Field::kPosition, &first);
        Model_GetField(end, Field::kPosition, &last);
    } else {
        status = Model_GetConnectorEndPoints(connector, &first, &last);
    }
    QXStatus = status;
    if (status != kStatusOk) {
        return 0;
    }
    *count = n;
    if (points != nullptr) {
        CopyPoints(path, points, n);
        points[0] = first;
        points[n - 1] = last;
    }
    return 1;
}

uint32_t QXWtAttr_SetConnPoints(ObjectHandle connector, uint32_t count, const FixPoint* points)
{
    if (!Model_IsConnector(connector) || Kind(connector) != kPolyline || count < 2 || count > kMaxCorners) {
        return qx::Fail(kStatusBadArgument);
    }
    Points array;
    if (KernelStatus s = array.Fill(count, points); s != kStatusOk) {
        return qx::Fail(s);
    }
    Core_RedrawObject(connector);
    if (KernelStatus s = Core_ReplaceConnectorPoints(connector, array.get()); s != kStatusOk) {
        return qx::Fail(s);
    }
    Core_RedrawObject(connector);
    Window_RefreshIndicationFor(connector);
    return 1;
}

// ---- Polygon, line and wedge ----

uint32_t QXRdAttr_GetPolyPointCount(ObjectHandle object, uint16_t* count)
{
    if (!IsShape(object, kPolygon) || count == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    *count = PtArray_Count(Model_GetFieldValue(object, Field::kShapeData));
    return 1;
}

uint32_t QXRdAttr_GetPolyPoints(ObjectHandle object, FixPoint* points)
{
    if (!IsShape(object, kPolygon) || points == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    const PtArray array = Model_GetFieldValue(object, Field::kShapeData);
    CopyPoints(array, points, PtArray_Count(array));
    return 1;
}

uint32_t QXRdAttr_GetLinePoints(ObjectHandle object, uint16_t* count, FixPoint** array)
{
    if (!IsShape(object, kLine) || count == nullptr || array == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    const PtArray points = Model_GetFieldValue(object, Field::kShapeData);
    const uint16_t n = PtArray_Count(points);
    auto* block = static_cast<FixPoint*>(QXMem_Alloc(static_cast<uint32_t>(n * sizeof(FixPoint)) + 1));
    if (block == nullptr) {
        return qx::Fail(kStatusOutOfMemory);
    }
    CopyPoints(points, block, n);
    *count = n;
    *array = block;
    return 1;
}

namespace {

uint32_t ReplacePoints(ObjectHandle object, uint32_t count, const FixPoint* points)
{
    Points array;
    if (KernelStatus s = array.Fill(count, points); s != kStatusOk) {
        return qx::Fail(s);
    }
    Core_RedrawObject(object);
    if (KernelStatus s = Core_ReplaceShapePoints(object, array.get()); s != kStatusOk) {
        return qx::Fail(s);
    }
    Core_RedrawObject(object);
    return 1;
}

}  // namespace

uint32_t QXWtAttr_SetPolyPoints(ObjectHandle object, uint32_t count, const FixPoint* points)
{
    if (!IsShape(object, kPolygon) || count < 3) {
        return qx::Fail(kStatusNotNodes);
    }
    return ReplacePoints(object, count, points);
}

uint32_t QXWtAttr_SetLinePoints(ObjectHandle object, uint32_t count, const FixPoint* points)
{
    if (!IsShape(object, kLine) || count < 2) {
        return qx::Fail(39);
    }
    return ReplacePoints(object, count, points);
}

uint32_t QXRdAttr_GetWedgeAngles(ObjectHandle object, int32_t* start, int32_t* extent)
{
    uint32_t s = 0;
    uint32_t e = 0;
    if (object == 0) {
        Record r(kPropWedge, 40);
        if (KernelStatus st = r.Read(0, kDefaultLevelNew); st != kStatusOk) {
            return qx::Fail(st);
        }
        s = r.Get(32);
        e = r.Get(36);
    } else if (IsShape(object, kWedge)) {
        s = Model_GetFieldValue(object, Field::kWedgeStart);
        e = Model_GetFieldValue(object, Field::kWedgeEnd);
    } else {
        return qx::Fail(kStatusNotNodes);
    }
    if (start != nullptr) *start = static_cast<int32_t>(s);
    if (extent != nullptr) *extent = static_cast<int32_t>(e);
    return 1;
}

uint32_t QXWtAttr_SetWedgeAngles(ObjectHandle object, int32_t start, int32_t extent)
{
    if (!IsShape(object, kWedge)) {
        return qx::Fail(kStatusNotNodes);
    }
    Record r(kPropWedge, 40);
    r.Put(32, static_cast<uint32_t>(start));
    r.Put(36, static_cast<uint32_t>(extent));
    if (KernelStatus s = Core_SetArcAngles(object, r.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

// ---- Page attributes ----

namespace {

constexpr uint32_t kPageBorder = 292;
constexpr uint32_t kPageWidth = 296;
constexpr uint32_t kPageHeight = 300;
constexpr uint32_t kPagePalette = 304;
constexpr uint32_t kPageRecordSize = 308;

uint32_t ReadPageRecord(ObjectHandle page, Record& r)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (r.Read(page, kDefaultLevelObject) != kStatusOk) {
        return qx::Fail(kStatusNotFound);
    }
    return 1;
}

}  // namespace

uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, uint16_t* number, int16_t* width, int16_t* height,
                              uint32_t* border)
{
    Record r(kPropPage, kPageRecordSize);
    if (!ReadPageRecord(page, r)) {
        return 0;
    }
    if (name != nullptr) {
        const char* text = reinterpret_cast<const char*>(r.data() + kPageRecordName);
        const size_t length = strnlen(text, 255);
        std::memcpy(name, text, length);
        name[length] = '\0';
    }
    if (number != nullptr) *number = static_cast<uint16_t>(r.Get(kPageRecordNumber));
    if (width != nullptr) *width = static_cast<int16_t>(static_cast<int32_t>(r.Get(kPageWidth)) >> 15);
    if (height != nullptr) *height = static_cast<int16_t>(static_cast<int32_t>(r.Get(kPageHeight)) >> 15);
    if (border != nullptr) *border = r.Get(kPageBorder);
    return 1;
}

uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, uint16_t number, int16_t width,
                              int16_t height, uint32_t border)
{
    Record r(kPropPage, kPageRecordSize);
    if (!ReadPageRecord(page, r)) {
        return 0;
    }
    r.ClearMarks();
    if (name != nullptr) {
        Default_CopyName(reinterpret_cast<char*>(r.data() + kPageRecordName), name);
        r.data()[2] = 1;
    }
    r.PutMarked(kPageRecordNumber, number, 3);
    r.PutMarked(kPageBorder, border != 0 ? 1 : 0, 4);
    if (width > 0) r.PutMarked(kPageWidth, static_cast<uint32_t>(QXUtil_IntToFixed(width)), 5);
    if (height > 0) r.PutMarked(kPageHeight, static_cast<uint32_t>(QXUtil_IntToFixed(height)), 6);
    if (KernelStatus s = Core_SetPageAttributes(page, r.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXRdAttr_GetPaletteOption(ObjectHandle page, uint32_t* flag)
{
    Record r(kPropPage, kPageRecordSize);
    if (!Model_IsPage(page) || !ReadPageRecord(page, r)) {
        return 0;
    }
    if (flag != nullptr) *flag = r.Get(kPagePalette);
    return 1;
}

uint32_t QXWtAttr_SetPaletteOption(ObjectHandle page, uint32_t value)
{
    Record r(kPropPage, kPageRecordSize);
    if (!ReadPageRecord(page, r)) {
        return 0;
    }
    r.ClearMarks();
    r.PutMarked(kPagePalette, value != 0 ? 1 : 0, 7);
    if (KernelStatus s = Core_SetPageAttributes(page, r.data()); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

// ---- Defaults by code ----

namespace {

// Where a code of the node and connector defaults stands: its group and word.
struct DefaultSlot {
    uint32_t code;
    uint32_t property;
    uint32_t offset;
};

constexpr DefaultSlot kDefaultSlots[] = {
    {1, kPropNode, 24},       {2, kPropNode, 28},       {3, kPropNode, 32},       {4, kPropNode, 36},
    {5, kPropNode, 80},       {9, kPropNode, 40},       {10, kPropNode, 44},      {7, kPropConnector, 36},
    {8, kPropConnector, 40},  {15, kPropConnector, 44}, {16, kPropConnector, 32}, {17, kPropConnector, 52},
    {18, kPropConnector, 56}, {19, kPropConnector, 60},
};

const DefaultSlot* SlotOf(uint32_t code)
{
    for (const DefaultSlot& slot : kDefaultSlots) {
        if (slot.code == code) {
            return &slot;
        }
    }
    return nullptr;
}

// The node defaults' texts and blocks: code 11 and 12 texts, 13 and 14 blocks.
struct NodeBytes {
    uint32_t offset;
    uint32_t size;
};

bool NodeBytesOf(uint32_t code, NodeBytes* out)
{
    switch (code) {
    case 11: *out = {48, kNodeTextSize}; return true;
    case 12: *out = {64, kNodeTextSize}; return true;
    case 13: *out = {84, kNodeBlockSize}; return true;
    case 14: *out = {164, kNodeBlockSize}; return true;
    default: return false;
    }
}

}  // namespace

uint32_t QXRdAttr_GetNodeDefault(uint32_t code, void* value)
{
    if (value == nullptr) {
        return qx::Fail(kStatusBadArgument);
    }
    Record r(kPropNode, 244);
    if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    NodeBytes bytes{};
    if (NodeBytesOf(code, &bytes)) {
        std::memcpy(value, r.data() + bytes.offset, bytes.size);
        if (bytes.size == kNodeTextSize) {
            static_cast<char*>(value)[kNodeTextSize - 1] = '\0';
        }
        return 1;
    }
    const DefaultSlot* slot = SlotOf(code);
    if (slot == nullptr || slot->property != kPropNode || code == 5) {
        return qx::Fail(kStatusBadArgument);
    }
    const uint32_t word = r.Get(slot->offset);
    std::memcpy(value, &word, 4);
    return 1;
}

uint32_t QXWtAttr_SetNodeDefault(uint32_t code, const void* value)
{
    NodeBytes bytes{};
    if (value == nullptr || !NodeBytesOf(code, &bytes)) {
        return qx::Fail(kStatusBadArgument);
    }
    Record r(kPropNode, 244);
    if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (bytes.size == kNodeTextSize) {
        const auto* text = static_cast<const char*>(value);
        const size_t length = strnlen(text, kNodeTextSize - 1);
        std::memset(r.data() + bytes.offset, 0, kNodeTextSize);
        std::memcpy(r.data() + bytes.offset, text, length);
    } else {
        std::memcpy(r.data() + bytes.offset, value, bytes.size);
    }
    if (KernelStatus s = r.Write(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXWtAttr_SetDefault(uint32_t code, int32_t value)
{
    Record node(kPropNode, 244);
    Record connector(kPropConnector, 68);
    if (KernelStatus s = node.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (KernelStatus s = connector.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    connector.ClearMarks();
    if (const DefaultSlot* slot = SlotOf(code); slot != nullptr) {
        Record& r = slot->property == kPropNode ? node : connector;
        uint32_t word = static_cast<uint32_t>(value);
        if (code == 10 && value < 0) {
            word = 0;
        } else if (code == 16) {
            word = static_cast<uint32_t>(Model_ConvertCode(value, 0, 1));
        }
        r.Put(slot->offset, word);
        if (code == 15) {
            r.Put(48, word);
        }
    }
    if (KernelStatus s = node.Write(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (KernelStatus s = connector.Write(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXRdAttr_GetDefault16(uint16_t* a, uint32_t* b)
{
    Record r(kDefault16, 32);
    if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (a != nullptr) *a = static_cast<uint16_t>(r.Get(24));
    if (b != nullptr) *b = r.Get(28);
    return 1;
}

uint32_t QXWtAttr_SetDefault16(uint16_t a, uint32_t b)
{
    Record r(kDefault16, 32);
    if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    r.Put(24, a);
    r.Put(28, b);
    if (KernelStatus s = r.Write(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXWtAttr_SetDefaultLineWord(uint32_t value)
{
    Record r(kPropGraphics, 64);
    if (KernelStatus s = r.Read(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    r.ClearMarks();
    r.Put(32, value);
    if (KernelStatus s = r.Write(0, kDefaultLevelNew); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}
