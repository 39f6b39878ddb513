// Graphic helpers of the net editor: connectors made from the shape record
// of a default key, the defaults that a new page takes (size, palette and
// border switches, default name, mode attributes), and the popped-up state
// that a key region keeps in its region tag.
#include <array>
#include <cstring>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"

ObjectHandle GE_CreateConnectorByKeyDir(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t direction,
                                        int32_t key);
int GE_ApplyPageDefaults(ObjectHandle page);

namespace {

constexpr int32_t kFirstConnectorShape = 20;
constexpr int32_t kLastConnectorShape = 22;
// Words of the shape group of an attribute record, as a connector reads them.
constexpr size_t kWordShape = 0;
constexpr size_t kWordArrowWidth = 1;
constexpr size_t kWordArrowHeight = 2;
constexpr size_t kWordDirection = 5;
constexpr uint32_t kLargestArrow = 100;
constexpr uint32_t kDirectionForward = 1;
constexpr uint32_t kFlagShowsOwnerState = 16;
constexpr uint32_t kFlagPoppedUp = 128;
constexpr uint16_t kTagPopupWithParent = 4;
constexpr int32_t kUseRecordDirection = -1;

bool IsConnectorShape(uint32_t shape)
{
    return static_cast<int32_t>(shape) >= kFirstConnectorShape && static_cast<int32_t>(shape) <= kLastConnectorShape;
}

}  // namespace

// A connector from one object to another with the look of a default key.
// A key whose record holds no connector shape still gives a connector, with
// the kernel's connector defaults and the forward direction, so that every
// caller gets its arc.
ObjectHandle GE_CreateConnectorByKeyDir(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t direction,
                                        int32_t key)
{
    std::array<uint32_t, 8> shape{};
    const bool haveShape = DefGetShape(key, shape.data(), kDefLevelDiagram) != 0 && IsConnectorShape(shape[kWordShape]);
    const ObjectHandle connector = QXStr_CreateConnector(page, from, to);
    if (connector == 0) {
        return 0;
    }
    uint32_t code = kDirectionForward;
    if (direction != kUseRecordDirection) {
        code = static_cast<uint32_t>(direction);
    } else if (haveShape) {
        code = shape[kWordDirection];
    }
    if (haveShape) {
        const uint32_t width = shape[kWordArrowWidth];
        const uint32_t height = shape[kWordArrowHeight];
        int16_t oldWidth = 0, oldHeight = 0, textWidth = 0, textHeight = 0;
        int32_t connectorShape = 0;
        if (width > 0 && width <= kLargestArrow && height > 0 && height <= kLargestArrow &&
            QXRdAttr_GetConnAttr(connector, &oldWidth, &oldHeight, &connectorShape, &textWidth, &textHeight) != 0) {
            QXWtAttr_SetConnAttr(connector, static_cast<int16_t>(width), static_cast<int16_t>(height), connectorShape,
                                 textWidth, textHeight);
        }
    }
    QXWtAttr_SetDirection(connector, code <= 3 ? code : kDirectionForward);
    GE_ApplyDefaultAttributes(key, connector);
    return connector;
}

ObjectHandle GE_CreateConnectorByKey(ObjectHandle page, ObjectHandle from, ObjectHandle to, int32_t key)
{
    return GE_CreateConnectorByKeyDir(page, from, to, kUseRecordDirection, key);
}

// The new-page defaults: size, palette and border switches; the default name
// only for a page that has none, so that a page never loses its own name;
// and for a net page the mode attributes of the defaults.
int GE_ApplyPageDefaults(ObjectHandle page)
{
    if (QXRdAttr_GetObjectType(page) != kQXKindPage) {
        return 0;
    }
    uint16_t width = 0, height = 0;
    uint32_t palette = 0, border = 0;
    std::array<char, 257> name{};
    if (DefGetPageTitle(&width, &height, &palette, &border, name.data(), kDefLevelDiagram) == 0) {
        return 0;
    }
    name.back() = '\0';
    std::array<char, 256> current{};
    uint16_t number = 0;
    if (QXRdAttr_GetPageAttr(page, current.data(), &number, nullptr, nullptr, nullptr) == 0) {
        return 0;
    }
    current.back() = '\0';
    const char* newName = current[0] == '\0' && name[0] != '\0' ? name.data() : nullptr;
    QXWtAttr_SetPageAttr(page, newName, number, static_cast<int16_t>(width & 0x7fff),
                         static_cast<int16_t>(height & 0x7fff), border != 0 ? 1 : 0);
    QXWtAttr_SetPaletteOption(page, palette != 0 ? 1 : 0);
    // A net page takes the mode switches of the defaults.
    EE_ApplyPageModeDefaults(page);
    return 1;
}

void EE_ApplyPageTitle(ObjectHandle page)
{
    GE_ApplyPageDefaults(page);
}

// The popped-up state of a key region lives in the option bits of its region
// tag: the bits of set are turned on, those of clear off; the kernel flag
// that lets the region follow its owner's state is set while the popup does
// not change with the parent, and the popped-up drawing mark is dropped.
void EE_SetRegionState(ObjectHandle region, int32_t set, int32_t clear)
{
    if (QXRdAttr_GetObjectType(region) != kQXKindRegion) {
        return;
    }
    uint8_t kind = 0, sub = 0;
    uint16_t bits = 0;
    GE_GetChartTag(region, &kind, &sub, &bits);
    bits = static_cast<uint16_t>((bits | static_cast<uint16_t>(set)) & ~static_cast<uint16_t>(clear));
    GE_SetChartTag(region, kind, sub, bits);
    QXWtAttr_SetFlag(region, kFlagShowsOwnerState, (bits & kTagPopupWithParent) == 0 ? 1 : 0);
    QXWtAttr_SetFlag(region, kFlagPoppedUp, 0);
}
