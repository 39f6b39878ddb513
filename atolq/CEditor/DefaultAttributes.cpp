// The graphic defaults of a default key applied to a new object: visibility,
// layering, colours, line and text attributes, and for regions the colour
// rules of their kind and the region tag; the tag's flags re-applied to a
// region read from a file.
#include <array>
#include <cstdint>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRecords.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"

namespace {

// Words of the object attribute record.
enum Word : size_t {
    kLineShown = 0,
    kShownFlag = 1,
    kLayering = 2,
    kLineWidth = 3,
    kLineColour = 4,
    kFillColour = 5,
    kTextColour = 6,
    kLineStyle = 7,
    kFillPattern = 8,
    kTextStyle = 9,
    kJustification = 10,
    kFont = 11,
    kFontSize = 13,
    kTagKind = 24,
    kTagSubKind = 25,
    kTagOptions = 26,
};

// Kernel flags: 1 and 4 go with a line that is not shown, 0x400002 with a
// cleared shown flag; 16 keeps a region's popup from following its owner;
// 128 makes an object's size follow its text.
constexpr uint32_t kLineHiddenFlags = 1 | 4;
constexpr uint32_t kHiddenFlags = 0x400002;
constexpr uint32_t kFixedPopupFlag = 16;
constexpr uint32_t kSizeFollowsTextFlag = 128;

// Region tag options.
constexpr uint16_t kOptionPopupFollows = 4;
constexpr uint16_t kOptionOwnerColours = 8;

// Keys whose regions get fixed colours or the colours of their owner.
constexpr int32_t kEnablingKey = 16;
constexpr int32_t kEnablingColour = 13;
constexpr std::array<int32_t, 2> kGreyKeys = {66, 67};
constexpr int32_t kGreyColour = 6;
constexpr std::array<int32_t, 4> kOwnerColourKeys = {68, 69, 74, 75};

struct Colours {
    int16_t line = 0, fill = 0, text = 0;
};

bool IsRegion(ObjectHandle object)
{
    return QXRdAttr_GetObjectType(object) == kQXKindRegion;
}

template <size_t N>
bool IsAmong(int32_t key, const std::array<int32_t, N>& keys)
{
    for (int32_t each : keys) {
        if (each == key)
            return true;
    }
    return false;
}

// The object a region belongs to (a region of a region gives that region).
ObjectHandle OwnerOf(ObjectHandle region)
{
    return QXStr_GetObjectPage(region);
}

// The colours a region takes: fixed ones for some keys, its owner's for
// others and when its options ask for them, else the record's.
Colours RegionColours(int32_t key, ObjectHandle region, uint16_t options, Colours fromRecord)
{
    if (key == kEnablingKey)
        return {kEnablingColour, kEnablingColour, kEnablingColour};
    if (IsAmong(key, kGreyKeys))
        return {kGreyColour, kGreyColour, kGreyColour};
    if ((options & kOptionOwnerColours) != 0 || IsAmong(key, kOwnerColourKeys)) {
        Colours owner;
        const ObjectHandle ownerObject = OwnerOf(region);
        if (ownerObject != 0 && QXColor_GetColors(ownerObject, &owner.line, &owner.fill, &owner.text) != 0)
            return owner;
    }
    return fromRecord;
}

void ApplyTextAttributes(ObjectHandle object, const std::array<uint32_t, kDefAttributeWords>& words)
{
    uint32_t length = 0;
    // Only an object that has a text takes text attributes.
    if (QXText_CanHaveText(object) == 0 || QXText_GetLength(object, &length) == 0)
        return;
    QXText_SetTextAttr(object, static_cast<int32_t>(words[kFont]), static_cast<int32_t>(words[kFontSize]),
                       static_cast<int32_t>(words[kTextStyle]), static_cast<int32_t>(words[kJustification]));
}

}  // namespace

void GE_ApplyDefaultAttributes(int32_t key, ObjectHandle object)
{
    std::array<uint32_t, kDefAttributeWords> words{};
    if (object == 0 || DefGetByKey(key, words.data(), kDefLevelDiagram) == 0)
        return;
    QXWtAttr_SetFlag(object, kHiddenFlags, words[kShownFlag] == 0 ? 1 : 0);
    QXWtAttr_SetFlag(object, kLineHiddenFlags, words[kLineShown] == 0 ? 1 : 0);
    QXWtAttr_SetLayeringLogic(object, words[kLayering]);
    QXWtAttr_SetLineAttr(object, words[kLineStyle], static_cast<int16_t>(words[kLineWidth]), words[kFillPattern],
                         words[kLineShown] != 0 ? 1 : 0);
    Colours colours{static_cast<int16_t>(words[kLineColour]), static_cast<int16_t>(words[kFillColour]),
                    static_cast<int16_t>(words[kTextColour])};
    if (IsRegion(object)) {
        const auto options = static_cast<uint16_t>(words[kTagOptions]);
        colours = RegionColours(key, object, options, colours);
        if ((options & kOptionPopupFollows) == 0)
            QXWtAttr_SetFlag(object, kFixedPopupFlag, 1);
        GE_SetChartTag(object, static_cast<uint8_t>(words[kTagKind]), static_cast<uint8_t>(words[kTagSubKind]),
                       options);
    }
    QXColor_SetColors(object, colours.line, colours.fill, colours.text);
    ApplyTextAttributes(object, words);
}

void GE_ApplyRegionTagFlags(ObjectHandle region)
{
    uint8_t kind = 0, sub = 0;
    uint16_t options = 0;
    if (!IsRegion(region) || GE_GetChartTag(region, &kind, &sub, &options) == 0)
        return;
    QXWtAttr_SetFlag(region, kSizeFollowsTextFlag, 0);
    QXWtAttr_SetFlag(region, kFixedPopupFlag, (options & kOptionPopupFollows) == 0 ? 1 : 0);
}
