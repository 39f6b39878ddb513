// QX object attributes. Most attributes are one word of an object field
// whose kinds of object are checked the same way for the reader and the
// writer; the rest have entries of their own.
#include "xkv/kv/QXAttr.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/kv/QXText.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/window/Window.h"

namespace {

constexpr FieldId kFieldX = 54;
constexpr FieldId kFieldY = 56;
constexpr FieldId kFieldRefineState = 15;
constexpr uint32_t kLineRecordSize = 64;
constexpr uint32_t kLineVisible = 36;
constexpr uint32_t kLineWidth = 40;
constexpr uint32_t kLinePattern = 44;
constexpr uint32_t kLineStyle = 48;
constexpr uint32_t kNoLineStyle = 7;
constexpr uint32_t kQuietLabelBit = 1u << 7;

// The interface's own default of the inverted flag (field 66 of new connectors).
uint32_t gInvertedDefault = 0;

bool IsNodeOrRegion(ObjectHandle o)
{
    return Model_IsNode(o) || Model_IsRegion(o);
}

bool IsDrawn(ObjectHandle o)
{
    return Model_IsNode(o) || Model_IsRegion(o) || Model_IsConnector(o);
}

uint32_t Word(ObjectHandle o, FieldId field)
{
    return Model_GetFieldValue(o, field);
}

// Stores one word; the kernel's status goes to QXStatus only on failure.
uint32_t SetWord(ObjectHandle o, FieldId field, uint32_t value)
{
    if (KernelStatus s = Model_SetFieldValue(o, field, value); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t Rebuild(ObjectHandle connector, uint32_t kind)
{
    RebuildRequest request;
    request.kind = kind;
    Core_RebuildObject(connector, &request);
    Core_RedrawObject(connector);
    return 1;
}

// The field that holds a two-kind attribute for the object, or none.
FieldId BorderField(ObjectHandle o)
{
    return Model_IsConnector(o) ? Field::kConnectorBorderMark : Model_IsNode(o) ? Field::kBorderMark : 0;
}

FieldId SubPageField(ObjectHandle o)
{
    return Model_IsNode(o) ? Field::kSubpage : Model_IsConnector(o) ? 5 : 0;
}

uint32_t ReadLineRecord(ObjectHandle object, uint8_t* record)
{
    const ObjectHandle owner = object;
    const uint32_t level = object == 0 ? kDefaultLevelNew : kDefaultLevelObject;
    if (KernelStatus s = Default_Get(owner, level, kPropGraphics, record); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t RecordWord(const uint8_t* record, uint32_t offset)
{
    uint32_t v = 0;
    std::memcpy(&v, record + offset, 4);
    return v;
}

void SetRecordWord(uint8_t* record, uint32_t offset, uint32_t value)
{
    std::memcpy(record + offset, &value, 4);
    record[(offset - 24) / 4] = 1;
}

}  // namespace

// ---- Readers ----

uint32_t QXRdAttr_GetObjectType(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    return qx::KindBits(object);
}

uint32_t QXRdAttr_GetPosition(ObjectHandle object, Fixed* x, Fixed* y)
{
    if (!IsNodeOrRegion(object) && !Model_IsPage(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (x != nullptr) *x = static_cast<Fixed>(Word(object, kFieldX));
    if (y != nullptr) *y = static_cast<Fixed>(Word(object, kFieldY));
    return 1;
}

uint32_t QXRdAttr_GetSize(ObjectHandle object, Fixed* width, Fixed* height)
{
    if (!IsNodeOrRegion(object) && !Model_IsPage(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (width != nullptr) *width = static_cast<Fixed>(Word(object, Field::kWidth));
    if (height != nullptr) *height = static_cast<Fixed>(Word(object, Field::kHeight));
    return 1;
}

int32_t QXRdAttr_GetShape(ObjectHandle object)
{
    if (!Model_IsElement(object)) {
        return static_cast<int32_t>(qx::Fail(kStatusNotNodes));
    }
    return Model_ConvertCode(static_cast<int32_t>(Model_GetKind(object)), 0, 0);
}

uint32_t QXRdAttr_GetShapeBit(ObjectHandle object)
{
    if (!IsNodeOrRegion(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    return Word(object, Field::kShapeBits);
}

uint32_t QXRdAttr_GetShapeBitRaw(ObjectHandle object)
{
    return Word(object, Field::kShapeBits);
}

uint32_t QXRdAttr_GetDirection(ObjectHandle object)
{
    if (object == 0) {
        std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropConnector), 60));
        uint8_t* record = buffer.data();
        if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropConnector, record); s != kStatusOk) {
            return qx::Fail(s);
        }
        return RecordWord(record, 56);
    }
    if (!Model_IsElement(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    return Word(object, Field::kDirection);
}

uint32_t QXRdAttr_GetConnEnds(ObjectHandle connector, uint32_t attached, ObjectHandle* start, ObjectHandle* end)
{
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    ObjectHandle s = 0;
    ObjectHandle e = 0;
    Model_GetConnectorEnds(connector, &s, &e, attached != 0 ? 1 : 0);
    if (start != nullptr) *start = s;
    if (end != nullptr) *end = e;
    return 1;
}

uint32_t QXRdAttr_GetConnEndAttr(ObjectHandle connector, uint32_t endFlag)
{
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    return Word(connector, endFlag == 0 ? Field::kStartValue : Field::kEndValue);
}

uint32_t QXRdAttr_GetConnHidden(ObjectHandle connector)
{
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    return Word(connector, Field::kCornerRadius);
}

uint32_t QXRdAttr_GetLineAttr(ObjectHandle object, uint32_t* style, int16_t* width, uint32_t* pattern,
                              uint32_t* visible)
{
    if (object != 0 && !Model_IsElement(object)) {
        return qx::Fail(34);
    }
    std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropGraphics), kLineRecordSize));
    uint8_t* record = buffer.data();
    if (!ReadLineRecord(object, record)) {
        return 0;
    }
    const uint32_t s = RecordWord(record, kLineStyle);
    const uint32_t p = RecordWord(record, kLinePattern);
    if (style != nullptr) *style = s;
    if (width != nullptr) *width = QXUtil_FixedToInt(static_cast<Fixed>(RecordWord(record, kLineWidth)));
    if (pattern != nullptr) *pattern = p;
    if (visible != nullptr) *visible = (s != kNoLineStyle || p != 0) ? 1 : 0;
    return 1;
}

uint32_t QXRdAttr_GetLayeringLogic(ObjectHandle object, uint32_t* mode)
{
    if (!IsDrawn(object) || mode == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    *mode = Word(object, Field::kColours) & 0xff;
    return 1;
}

uint32_t QXRdAttr_GetRegionKind(ObjectHandle region, uint32_t* value)
{
    if (!Model_IsRegion(region) || value == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    *value = Word(region, Field::kRegionKind);
    return 1;
}

uint32_t QXRdAttr_GetBorderFlag(ObjectHandle object, uint32_t* value)
{
    const FieldId field = BorderField(object);
    if (field == 0 || value == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    *value = Word(object, field);
    return 1;
}

ObjectHandle QXRdAttr_GetSubPage(ObjectHandle object)
{
    const FieldId field = SubPageField(object);
    if (field == 0) {
        return qx::Fail(kStatusNotNodes);
    }
    return Word(object, field);
}

uint32_t QXRdAttr_GetRefineState(ObjectHandle node, uint32_t* value)
{
    if (!Model_IsNode(node) || value == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    if (Word(node, Field::kSubpage) != 0) {
        *value = Model_HasFlags(node, kFlagAttached) ? 1 : 0;
    } else {
        *value = Word(node, kFieldRefineState);
    }
    return 1;
}

ObjectHandle QXRdAttr_GetSuperNode(ObjectHandle page)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(kStatusNotNodes);
    }
    return Word(page, Field::kRefinedNode);
}

uint32_t QXRdAttr_GetFlag(ObjectHandle object, uint32_t mask, uint32_t* value)
{
    if (!Model_IsObject(object) || value == nullptr) {
        return qx::Fail(kStatusNotNodes);
    }
    *value = Model_HasFlags(object, mask) ? 1 : 0;
    return 1;
}

uint32_t QXRdAttr_GetInvertedFlag(ObjectHandle object, uint32_t* a, uint32_t* b)
{
    uint32_t word = 0;
    if (object == 0) {
        word = gInvertedDefault;
    } else if (Model_IsConnector(object)) {
        word = Word(object, Field::kConnector66);
    } else {
        return qx::Fail(34);
    }
    const uint32_t flag = word == 0 ? 1 : 0;
    if (a != nullptr) *a = flag;
    if (b != nullptr) *b = flag;
    return 1;
}

uint32_t QXRdAttr_GetPageScale(ObjectHandle page, Fixed* scale, Fixed* second)
{
    if (!Model_IsPage(page)) {
        return qx::Fail(34);
    }
    if (scale != nullptr) *scale = static_cast<Fixed>(Word(page, Field::kScaleX));
    if (second != nullptr) *second = static_cast<Fixed>(Word(page, Field::kScaleY));
    return 1;
}

uint32_t QXRdAttr_GetRoundedness(ObjectHandle object, uint32_t* a, uint32_t* b)
{
    if (!IsNodeOrRegion(object) || Model_GetKind(object) != 7) {
        return qx::Fail(kStatusNotNodes);
    }
    const uint32_t radius = Word(object, Field::kRoundedness);
    if (a != nullptr) *a = radius;
    if (b != nullptr) *b = radius;
    return 1;
}

uint32_t QXRdAttr_GetDefaultTextAttr(int32_t* font, int32_t* size, int32_t* style, int32_t* justification,
                                     uint32_t* word)
{
    QXText_GetTextAttr(0, font, size, style, justification, nullptr, word);
    return 1;
}

uint32_t QXRdAttr_IsGroupSelected()
{
    return Select_GetMode() == kSelectGroup ? 1 : 0;
}

// ---- Writers ----

uint32_t QXWtAttr_SetPosition(ObjectHandle object, Fixed x, Fixed y)
{
    if (!IsNodeOrRegion(object)) {
        return qx::Fail(kStatusInvalidObject);
    }
    AdjustRequest request;
    Core_InitAdjust(&request);
    request.flags = kAdjustX | kAdjustY;
    request.newX = x;
    request.newY = y;
    if (KernelStatus s = Core_AdjustObject(object, &request); s != kStatusOk) {
        return qx::Fail(s);
    }
    Window_RefreshIndicationFor(object);
    return 1;
}

uint32_t QXWtAttr_SetSize(ObjectHandle object, Fixed width, Fixed height)
{
    if (!IsNodeOrRegion(object) && !Model_IsPage(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (width < 0 || height < 0) {
        return 0;
    }
    if (KernelStatus s = Core_SetSize(object, width, height, 1); s != kStatusOk) {
        return qx::Fail(s);
    }
    return 1;
}

uint32_t QXWtAttr_SetShapeBit(ObjectHandle node, uint32_t value)
{
    if (!Model_IsNode(node)) {
        return qx::Fail(kStatusNotNodes);
    }
    return SetWord(node, Field::kShapeBits, value);
}

namespace {

uint32_t SetLineWord(ObjectHandle object, FieldId field, uint32_t value)
{
    if (!IsDrawn(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    Core_RedrawObject(object);
    if (!SetWord(object, field, value)) {
        return 0;
    }
    if (field == Field::kLineWidth) {
        Core_RecomputeBox(object, 0);
    }
    Core_RedrawObject(object);
    return 1;
}

}  // namespace

uint32_t QXWtAttr_SetLineWidth(ObjectHandle object, Fixed width)
{
    return SetLineWord(object, Field::kLineWidth, static_cast<uint32_t>(width));
}

uint32_t QXWtAttr_SetLineStyle(ObjectHandle object, uint32_t style)
{
    return SetLineWord(object, Field::kLineStyle, style);
}

uint32_t QXWtAttr_SetLinePattern(ObjectHandle object, uint32_t pattern)
{
    return SetLineWord(object, Field::kPattern, pattern);
}

uint32_t QXWtAttr_SetLineAttr(ObjectHandle object, uint32_t style, int16_t width, uint32_t pattern,
                              uint32_t visible)
{
    if (visible == 0) {
        style = kNoLineStyle;
        pattern = 0;
    }
    const Fixed fixedWidth = QXUtil_IntToFixed(width);
    if (object == 0) {
        std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropGraphics), kLineRecordSize));
    uint8_t* record = buffer.data();
        if (!ReadLineRecord(0, record)) {
            return 0;
        }
        std::memset(record, 0, kChangedBytes);
        SetRecordWord(record, kLineStyle, style);
        SetRecordWord(record, kLineWidth, static_cast<uint32_t>(fixedWidth));
        SetRecordWord(record, kLinePattern, pattern);
        if (KernelStatus s = Default_Set(0, kDefaultLevelNew, kPropGraphics, record); s != kStatusOk) {
            return qx::Fail(s);
        }
        return 1;
    }
    if (!IsDrawn(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    Core_RedrawObject(object);
    SetWord(object, Field::kPattern, pattern);
    SetWord(object, Field::kLineStyle, style);
    SetWord(object, Field::kLineWidth, static_cast<uint32_t>(fixedWidth));
    Core_RecomputeBox(object, 0);
    Core_RedrawObject(object);
    return 1;
}

uint32_t QXWtAttr_SetLayeringLogic(ObjectHandle object, uint32_t mode)
{
    if (!IsDrawn(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    const uint32_t colours = (Word(object, Field::kColours) & ~0xffu) | (mode & 0xff);
    if (!SetWord(object, Field::kColours, colours)) {
        return 0;
    }
    Core_RedrawObject(object);
    return 1;
}

uint32_t QXWtAttr_SetSubPage(ObjectHandle object, ObjectHandle value)
{
    const FieldId field = SubPageField(object);
    if (field == 0) {
        return qx::Fail(kStatusNotNodes);
    }
    return SetWord(object, field, value);
}

uint32_t QXWtAttr_SetBorderFlag(ObjectHandle object, uint32_t value)
{
    const FieldId field = BorderField(object);
    if (field == 0) {
        return qx::Fail(kStatusNotNodes);
    }
    return SetWord(object, field, value);
}

uint32_t QXWtAttr_SetRefineState(ObjectHandle node, uint32_t value)
{
    if (!Model_IsNode(node)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (Word(node, Field::kSubpage) != 0) {
        return qx::Store(Model_SetFlags(node, kFlagAttached, value != 0 ? 1 : 0));
    }
    return SetWord(node, kFieldRefineState, value);
}

uint32_t QXWtAttr_SetDirection(ObjectHandle connector, uint32_t code)
{
    if (code > 3) {
        return qx::Fail(kStatusBadArgument);
    }
    if (connector == 0) {
        std::vector<uint8_t> buffer(std::max<uint32_t>(Default_PropertySize(kPropConnector), 60));
        uint8_t* record = buffer.data();
        if (KernelStatus s = Default_Get(0, kDefaultLevelNew, kPropConnector, record); s != kStatusOk) {
            return qx::Fail(s);
        }
        std::memset(record, 0, kChangedBytes);
        SetRecordWord(record, 56, code);
        return Default_Set(0, kDefaultLevelNew, kPropConnector, record) == kStatusOk ? 1 : qx::Fail(kStatusFailed);
    }
    if (!Model_IsConnector(connector)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (!SetWord(connector, Field::kDirection, code)) {
        return 0;
    }
    return Rebuild(connector, kRebuildAttributes);
}

uint32_t QXWtAttr_SetConnEndAttr(ObjectHandle connector, uint32_t endFlag, uint32_t value)
{
    QXStatus = 0;
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    if (!SetWord(connector, endFlag == 0 ? Field::kStartValue : Field::kEndValue, value)) {
        return 0;
    }
    return Rebuild(connector, kRebuildAttributes);
}

uint32_t QXWtAttr_SetConnHidden(ObjectHandle connector, uint32_t value)
{
    if (!Model_IsConnector(connector)) {
        return qx::Fail(34);
    }
    if (!SetWord(connector, Field::kCornerRadius, value)) {
        return 0;
    }
    return Rebuild(connector, kRebuildAttributes);
}

uint32_t QXWtAttr_SetRegionKind(ObjectHandle region, uint32_t value)
{
    if (!Model_IsRegion(region)) {
        return qx::Fail(kStatusNotNodes);
    }
    return SetWord(region, Field::kRegionKind, value);
}

uint32_t QXWtAttr_SetSuperNode(ObjectHandle page, ObjectHandle node)
{
    if (!Model_IsPage(page) || (node != 0 && !Model_IsNode(node))) {
        return qx::Fail(kStatusNotNodes);
    }
    return SetWord(page, Field::kRefinedNode, node);
}

uint32_t QXWtAttr_SetFlagQuiet(ObjectHandle object, uint32_t mask, uint32_t value)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    if (Model_IsLabel(object)) {
        mask &= ~kQuietLabelBit;
    }
    return qx::Store(Model_SetFlags(object, mask, value != 0 ? 1 : 0)) != 0 ? 1 : 0;
}

uint32_t QXWtAttr_SetFlag(ObjectHandle object, uint32_t mask, uint32_t value)
{
    if (!Model_IsObject(object)) {
        return qx::Fail(kStatusNotNodes);
    }
    const uint32_t before = Word(object, Field::kFlags);
    if (KernelStatus s = Model_SetFlags(object, mask, value != 0 ? 1 : 0); s != kStatusOk) {
        return qx::Fail(s);
    }
    if (((before ^ Word(object, Field::kFlags)) & kInvisibleFlags) != 0 && IsDrawn(object)) {
        Core_RedrawObject(object);
    }
    return 1;
}

uint32_t QXWtAttr_ClearRebuiltMark(ObjectHandle page)
{
    if (Model_IsPage(page)) {
        Model_SetFlags(page, kFlagPageRebuilt, 0);
    }
    return 1;
}

uint32_t QXWtAttr_SetInvertedFlag(ObjectHandle object, uint32_t value)
{
    if (object == 0) {
        gInvertedDefault = value != 0 ? 0 : 1;
        return 1;
    }
    if (!Model_IsConnector(object)) {
        return qx::Fail(34);
    }
    return SetWord(object, Field::kConnector66, value != 0 ? 0 : 1);
}

uint32_t QXWtAttr_SetRoundedness(ObjectHandle object, uint32_t value, uint32_t)
{
    if (!IsNodeOrRegion(object) || Model_GetKind(object) != 7) {
        return qx::Fail(kStatusNotNodes);
    }
    if (value < 1) {
        return 0;
    }
    return SetWord(object, Field::kRoundedness, value);
}

uint32_t QXWtAttr_SetDefaultTextAttr(int32_t font, int32_t size, int32_t style, int32_t justification,
                                     uint32_t word)
{
    if (justification < 0 || justification > 2) {
        return qx::Fail(34);
    }
    return QXText_SetDefaultFont(font) && QXText_SetDefaultSize(size) && QXText_SetDefaultStyle(style) &&
                   QXText_SetDefaultJustification(justification) && QXText_SetTextAttrWord(0, word)
               ? 1
               : 0;
}
