// Default attributes: the property table, the stored defaults of levels 1 to
// 5 with their built-in values, and the attributes of level 0 read from and
// written to objects.
#include "xkv/default/Default.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/HandleList.h"
#include "xkv/model/Model.h"
#include "xkv/types/Fixed.h"
#include "xkv/window/Window.h"

namespace {

constexpr PropertyDef kBuiltinProperties[] = {
    {1, 28, 0, 0, 1, 1, -1},   {2, 4, 0, 0, 0, 0, -1},     {4, 68, 1, 1, 1, 1, -1},  {5, 548, 0, 0, 1, 1, -1},
    {6, 28, 0, 0, 1, 1, -1},   {7, 40, 0, 0, 1, 1, -1},    {8, 4, 0, 0, 0, 0, -1},   {9, 32, 0, 0, 1, 1, -1},
    {10, 64, 1, 1, 1, 1, -1},  {11, 244, 0, 0, 1, 1, -1},  {12, 308, 1, 1, 1, 1, -1}, {13, 284, 0, 0, 1, 1, -1},
    {14, 48, 0, 0, 1, 1, -1},  {15, 68, 0, 0, 1, 1, -1},   {16, 32, 0, 1, 1, 1, -1}, {17, 4, 0, 0, 0, 0, -1},
    {18, 60, 0, 0, 1, 1, -1},  {19, 36, 0, 0, 1, 1, -1},   {21, 28, 0, 0, 1, 1, -1}, {22, 536, 0, 0, 1, 1, -1},
    {24, 32, 0, 0, 1, 1, -1},  {25, 40, 0, 0, 1, 1, -1},   {26, 60, 1, 1, 1, 1, -1}, {27, 40, 1, 1, 1, 1, -1},
    {28, 36, 0, 0, 1, 1, -1},  {30, 32, 0, 0, 1, 1, -1},
};

// Built-in values are set in this order.
constexpr uint32_t kBuiltinOrder[] = {1, 2, 4, 5, 6, 7, 8, 9, 10, 12, 11, 13, 14,
                                     15, 16, 17, 18, 19, 21, 22, 24, 25, 26, 27, 28, 30};

constexpr uint32_t kApplyWord = 24;
constexpr uint32_t kMixedWord = 28;
constexpr uint32_t kFlagHidden = 2;
constexpr uint32_t kFlagsHiddenSet = 0x400002;
constexpr uint32_t kPageFlagNoBorder = 8;
constexpr uint32_t kPageFlag512 = 512;
constexpr uint32_t kMaxPattern = 38;

struct DefaultsState {
    bool initialised = false;
    HandleList entries{};
    std::vector<PropertyDef> userProperties;
    int32_t maxTextInObject = 0x7fffffff;
};

DefaultsState& State()
{
    static DefaultsState state;
    return state;
}

// The property's row and whether it comes from the application's table.
const PropertyDef* FindProperty(uint32_t property, bool* fromUser = nullptr)
{
    for (const PropertyDef& row : kBuiltinProperties) {
        if (static_cast<uint32_t>(row.id) == property) {
            if (fromUser != nullptr) {
                *fromUser = false;
            }
            return &row;
        }
    }
    for (const PropertyDef& row : State().userProperties) {
        if (static_cast<uint32_t>(row.id) == property) {
            if (fromUser != nullptr) {
                *fromUser = true;
            }
            return &row;
        }
    }
    return nullptr;
}

// Access to the words of a value record, never past its size.
class Record {
public:
    Record(void* bytes, uint32_t size) : bytes_(static_cast<uint8_t*>(bytes)), size_(size) {}
    uint32_t Get(uint32_t offset) const
    {
        uint32_t value = 0;
        if (offset + 4 <= size_) {
            std::memcpy(&value, bytes_ + offset, 4);
        }
        return value;
    }
    void Put(uint32_t offset, uint32_t value)
    {
        if (offset + 4 <= size_) {
            std::memcpy(bytes_ + offset, &value, 4);
        }
    }
    void PutText(uint32_t offset, uint32_t fieldSize, const char* text)
    {
        if (offset + fieldSize <= size_) {
            std::memset(bytes_ + offset, 0, fieldSize);
            std::memcpy(bytes_ + offset, text, std::min<size_t>(std::strlen(text), fieldSize - 1));
        }
    }
    bool Changed(uint32_t attribute) const { return attribute < kChangedBytes && attribute < size_ && bytes_[attribute] != 0; }
    uint8_t* Bytes() const { return bytes_; }
    uint32_t Size() const { return size_; }

private:
    uint8_t* bytes_;
    uint32_t size_;
};

// ---- The stored entries ----

MemHandle EntryAt(uint32_t index)
{
    return List_Member(&State().entries, index);
}

MemHandle FindEntry(ObjectHandle owner, uint32_t level, uint32_t property)
{
    uint32_t count = List_Count(&State().entries);
    for (uint32_t i = 0; i < count; ++i) {
        MemHandle entry = EntryAt(i);
        BlockLock<DefaultEntry> e(entry);
        if (e && e->owner == owner && e->level == level && e->property == property) {
            return entry;
        }
    }
    return 0;
}

MemHandle ValueOf(MemHandle entry)
{
    BlockLock<DefaultEntry> e(entry);
    return e ? e->value : 0;
}

void FreeEntry(MemHandle entry)
{
    Mem_Free(ValueOf(entry));
    Mem_Free(entry);
}

// The value block of (owner, property) at the level, or at the next higher
// level that has one when searching up.
MemHandle FindValue(ObjectHandle owner, uint32_t level, uint32_t property, bool searchUp)
{
    for (uint32_t l = level; l <= kDefaultLevelBuiltin; ++l) {
        MemHandle entry = FindEntry(owner, l, property);
        if (entry != 0) {
            return ValueOf(entry);
        }
        if (!searchUp) {
            break;
        }
    }
    return 0;
}

// ---- Level 0: attributes of objects ----

uint32_t Field32(ObjectHandle object, FieldId field)
{
    return Model_GetFieldValue(object, field);
}

bool CanReadAtLevel0(ObjectHandle owner, uint32_t property, KernelStatus* status)
{
    *status = kStatusOk;
    if (!Model_MatchesTypeMask(owner, 4095)) {
        *status = kStatusInvalidObject;
        return false;
    }
    switch (property) {
    case kPropConnector:
        *status = Model_IsConnector(owner) ? kStatusOk : kStatusNotFound;
        break;
    case kPropPage:
        // A page property on another object reads nothing.
        return Model_IsPage(owner) != 0;
    case kPropText:
        *status = Field32(owner, Field::kText) != 0 ? kStatusOk : kStatusNotFound;
        break;
    case kPropGraphics:
    case kPropWedge:
        break;
    default:
        *status = kStatusNotFound;
        break;
    }
    return *status == kStatusOk;
}

void ReadConnector(ObjectHandle owner, Record& r)
{
    FixRect textBox{};
    Model_GetField(owner, Field::kTextBox, &textBox);
    r.Put(32, Field32(owner, Field::kShapeKind));
    r.Put(36, static_cast<uint32_t>(textBox.right) - static_cast<uint32_t>(textBox.left));
    r.Put(40, static_cast<uint32_t>(textBox.bottom) - static_cast<uint32_t>(textBox.top));
    r.Put(44, Field32(owner, Field::kArrowWidth));
    r.Put(48, Field32(owner, Field::kArrowHeight));
    r.Put(52, Field32(owner, Field::kCornerRadius));
    r.Put(56, Field32(owner, Field::kDirection));
    r.Put(60, Field32(owner, Field::kStartValue));
    r.Put(64, Field32(owner, Field::kEndValue));
}

void ReadGraphics(ObjectHandle owner, Record& r)
{
    uint32_t colours = Field32(owner, Field::kColours);
    r.Put(32, colours & 0xff);
    r.Put(36, (Field32(owner, Field::kFlags) & kFlagHidden) == 0 ? 1 : 0);
    r.Put(40, Field32(owner, Field::kLineWidth));
    r.Put(44, Field32(owner, Field::kPattern));
    r.Put(48, Field32(owner, Field::kLineStyle));
    r.Put(52, colours >> 24);
    r.Put(56, (colours >> 16) & 0xff);
    r.Put(60, (colours >> 8) & 0xff);
}

void ReadPage(ObjectHandle owner, Record& r)
{
    char name[kPageNameSize];
    Model_GetPageName(owner, name);
    r.PutText(kPageRecordName, kPageRecordNameSize, name);
    uint32_t flags = Field32(owner, Field::kFlags);
    r.Put(kPageRecordNumber, Field32(owner, Field::kPageNumber));
    r.Put(292, (flags & kPageFlagNoBorder) == 0 ? 1 : 0);
    r.Put(296, Field32(owner, Field::kWidth));
    r.Put(300, Field32(owner, Field::kHeight));
    r.Put(304, (flags & kPageFlag512) != 0 ? 1 : 0);
}

void ReadText(ObjectHandle owner, Record& r)
{
    r.Put(32, Field32(owner, Field::kFontStyle));
    r.Put(36, Field32(owner, Field::kAlignment));
    r.Put(40, Field32(owner, Field::kFontFamily));
    r.Put(44, Field32(owner, Field::kFontSize));
    r.Put(48, Field32(owner, Field::kScrollBars));
    r.Put(52, Field32(owner, Field::kTextAttribute));
    r.Put(56, Field32(owner, Field::kLineHeight));
}

KernelStatus GetLevel0(ObjectHandle owner, uint32_t property, Record& r)
{
    KernelStatus status = kStatusOk;
    if (!CanReadAtLevel0(owner, property, &status)) {
        return status;
    }
    switch (property) {
    case kPropConnector:
        ReadConnector(owner, r);
        break;
    case kPropGraphics:
        ReadGraphics(owner, r);
        break;
    case kPropPage:
        ReadPage(owner, r);
        return kStatusOk;
    case kPropText:
        ReadText(owner, r);
        break;
    case kPropWedge:
        r.Put(32, Field32(owner, Field::kWedgeStart));
        r.Put(36, Field32(owner, Field::kWedgeEnd));
        break;
    default:
        return kStatusNotFound;
    }
    r.Put(kApplyWord, 1);
    r.Put(kMixedWord, 0);
    return kStatusOk;
}

void SetField32(ObjectHandle object, FieldId field, uint32_t value)
{
    Model_SetFieldValue(object, field, value);
}

void WriteConnector(ObjectHandle owner, const Record& r)
{
    if (r.Changed(2)) {
        SetField32(owner, Field::kShapeKind, 9);
    }
    if (r.Changed(3) || r.Changed(4)) {
        FixPoint centre{};
        FixRect box{};
        Model_GetField(owner, Field::kPosition, &centre);
        Model_GetField(owner, Field::kTextBox, &box);
        if (r.Changed(3)) {
            auto width = static_cast<Fixed>(r.Get(36));
            box.left = Fix_Sub(centre.x, width / 2);
            box.right = Fix_Add(box.left, width);
        }
        if (r.Changed(4)) {
            auto height = static_cast<Fixed>(r.Get(40));
            box.top = Fix_Sub(centre.y, height / 2);
            box.bottom = Fix_Add(box.top, height);
        }
        Model_SetField(owner, Field::kTextBox, &box);
    }
    constexpr struct {
        uint32_t attribute;
        uint32_t word;
        FieldId field;
    } kWords[] = {{5, 44, Field::kArrowWidth}, {6, 48, Field::kArrowHeight}, {7, 52, Field::kCornerRadius},
                  {8, 56, Field::kDirection},  {10, 60, Field::kStartValue}, {11, 64, Field::kEndValue}};
    for (const auto& w : kWords) {
        if (r.Changed(w.attribute)) {
            SetField32(owner, w.field, r.Get(w.word));
        }
    }
}

void WriteGraphics(ObjectHandle owner, const Record& r)
{
    uint32_t colours = Field32(owner, Field::kColours);
    auto setByte = [&](int shift, uint32_t value) {
        colours = (colours & ~(0xffu << shift)) | ((value & 0xff) << shift);
    };
    if (r.Changed(2)) {
        setByte(0, r.Get(32));
    }
    if (r.Changed(7)) {
        setByte(24, r.Get(52));
    }
    if (r.Changed(8)) {
        setByte(16, r.Get(56));
    }
    if (r.Changed(9)) {
        setByte(8, r.Get(60));
    }
    if (r.Changed(2) || r.Changed(7) || r.Changed(8) || r.Changed(9)) {
        SetField32(owner, Field::kColours, colours);
    }
    if (r.Changed(3)) {
        Model_SetFlags(owner, kFlagsHiddenSet, r.Get(36) == 0 ? 1 : 0);
    }
    if (r.Changed(4)) {
        SetField32(owner, Field::kLineWidth, r.Get(40));
    }
    if (r.Changed(5) && r.Get(44) <= kMaxPattern) {
        SetField32(owner, Field::kPattern, r.Get(44));
    }
    if (r.Changed(6)) {
        SetField32(owner, Field::kLineStyle, r.Get(48));
    }
}

KernelStatus WritePageName(ObjectHandle page, const Record& r)
{
    const char* name = reinterpret_cast<const char*>(r.Bytes() + kPageRecordName);
    size_t length = strnlen(name, kPageRecordNameSize - 1);
    MemHandle block = 0;
    char* text = nullptr;
    KernelStatus status = Mem_AllocLocked(&block, reinterpret_cast<void**>(&text), length + 1);
    if (status != kStatusOk) {
        return status;
    }
    std::memcpy(text, name, length);
    Mem_Unlock(block);
    MemHandle old = Field32(page, Field::kPageName);
    SetField32(page, Field::kPageName, block);
    if (old != 0) {
        Mem_Free(old);
    }
    if (Hook_IsRegistered(kHookPageChanged)) {
        Hook_GetHandler(kHookPageChanged)(page, 0, 0, 0, 0, 0);
    }
    Window_SetTitle(page);
    Core_NotifyModelChanged();
    return kStatusOk;
}

KernelStatus WritePage(ObjectHandle page, const Record& r)
{
    if (r.Size() < 308) {
        return kStatusBadArgument;
    }
    KernelStatus status = kStatusOk;
    if (r.Changed(2)) {
        status = WritePageName(page, r);
    }
    if (r.Changed(3)) {
        Core_SetPageNumber(page, r.Get(kPageRecordNumber));
        Core_NotifyModelChanged();
    }
    if (r.Changed(4)) {
        Model_SetFlags(page, kPageFlagNoBorder, r.Get(292) == 0 ? 1 : 0);
    }
    FixRect box{};
    Model_GetField(page, Field::kBox, &box);
    if (r.Changed(5)) {
        auto width = static_cast<Fixed>(r.Get(296));
        SetField32(page, Field::kWidth, static_cast<uint32_t>(width));
        box.left = -(width / 2);
        box.right = width / 2;
        Model_SetField(page, Field::kBox, &box);
    }
    if (r.Changed(6)) {
        auto height = static_cast<Fixed>(r.Get(300));
        SetField32(page, Field::kHeight, static_cast<uint32_t>(height));
        box.top = -(height / 2);
        box.bottom = height / 2;
        Model_SetField(page, Field::kBox, &box);
    }
    if (r.Changed(7)) {
        Model_SetFlags(page, kPageFlag512, r.Get(304) != 0 ? 1 : 0);
    }
    return status;
}

void WriteText(ObjectHandle owner, const Record& r)
{
    constexpr struct {
        uint32_t attribute;
        uint32_t word;
        FieldId field;
    } kWords[] = {{2, 32, Field::kFontStyle}, {3, 36, Field::kAlignment},  {4, 40, Field::kFontFamily},
                  {5, 44, Field::kFontSize},  {6, 48, Field::kScrollBars}, {7, 52, Field::kTextAttribute}};
    for (const auto& w : kWords) {
        if (r.Changed(w.attribute)) {
            SetField32(owner, w.field, r.Get(w.word));
        }
    }
}

KernelStatus SetLevel0(ObjectHandle owner, uint32_t property, const Record& r)
{
    if (!Model_MatchesTypeMask(owner, 4095)) {
        return kStatusInvalidObject;
    }
    switch (property) {
    case kPropConnector:
        if (Model_IsConnector(owner)) {
            WriteConnector(owner, r);
        }
        return kStatusOk;
    case kPropGraphics:
        WriteGraphics(owner, r);
        return kStatusOk;
    case kPropPage:
        return Model_IsPage(owner) ? WritePage(owner, r) : kStatusOk;
    case kPropText:
        if (Field32(owner, Field::kText) == 0) {
            return kStatusNoText;
        }
        WriteText(owner, r);
        return kStatusOk;
    default:
        return kStatusOk;
    }
}

// ---- Built-in values ----

void FillBuiltin(uint32_t property, Record& r)
{
    switch (property) {
    case 4:
        r.Put(24, 1);
        r.Put(32, 9);
        r.Put(36, 0x200000);
        r.Put(40, 0x100000);
        r.Put(44, 0x20000);
        r.Put(48, 0x40000);
        r.Put(56, 1);
        break;
    case 5:
        r.Put(536, 3);
        break;
    case 7:
        r.Put(24, 1);
        break;
    case 9:
        r.Put(24, 1);
        r.Put(28, 1);
        break;
    case 10:
        r.Put(24, 1);
        r.Put(36, 1);
        r.Put(40, 0x2000);
        break;
    case 11:
        for (uint32_t offset : {24u, 28u, 32u, 36u}) {
            r.Put(offset, 0x140000);
        }
        r.Put(40, 0x50000);
        r.Put(44, 10000);
        r.Put(80, 30);
        r.PutText(48, 16, "{");
        r.PutText(64, 16, "}");
        r.PutText(84, 16, "{");
        r.PutText(100, 16, "(");
        r.PutText(116, 16, "[");
        r.PutText(132, 16, "begin");
        r.PutText(164, 16, "}");
        r.PutText(180, 16, ")");
        r.PutText(196, 16, "]");
        r.PutText(212, 16, "end");
        break;
    case 12:
        r.Put(24, 1);
        r.PutText(kPageRecordName, kPageRecordNameSize, "unnamed");
        r.Put(292, 1);
        r.Put(296, static_cast<uint32_t>(kBuiltinPrintableWidth) << 15);
        r.Put(300, static_cast<uint32_t>(kBuiltinPrintableHeight) << 15);
        break;
    case 14:
        r.Put(24, 1);
        r.Put(28, 100);
        break;
    case 15:
        r.Put(24, 100);
        for (uint32_t offset : {32u, 36u, 40u, 44u}) {
            r.Put(offset, 1);
        }
        r.PutText(48, 16, ".eps");
        break;
    case 16:
        r.Put(24, 3);
        r.Put(28, 1);
        break;
    case 18:
        r.Put(28, 1);
        r.Put(32, 1);
        r.Put(52, 2);
        r.Put(56, 1);
        break;
    case 19:
        r.Put(24, 1);
        r.Put(28, 1);
        r.Put(32, 9999);
        break;
    case 22:
        r.PutText(24, 256, "Select To ...");
        break;
    case 26:
        r.Put(24, 1);
        r.Put(36, 2);
        r.Put(40, 3);
        r.Put(44, 12);
        r.Put(48, 1);
        r.Put(52, static_cast<uint32_t>(State().maxTextInObject));
        r.Put(56, 12);
        break;
    case 27:
        r.Put(36, 180);
        break;
    case 28:
        r.Put(24, 1);
        r.Put(28, 1);
        r.Put(32, 1);
        break;
    case 30:
        r.Put(24, 1);
        r.Put(28, 1);
        break;
    default:
        break;
    }
}

// Merges the attributes marked in the changes into the current value.
KernelStatus MergeInto(uint32_t property, Record& current, const Record& changes)
{
    switch (property) {
    case kPropConnector:
    case kPropGraphics:
    case kPropText:
    case kPropWedge:
        for (uint32_t i = 0; i < kChangedBytes; ++i) {
            if (changes.Changed(i)) {
                current.Put(kChangedBytes + 4 * i, changes.Get(kChangedBytes + 4 * i));
            }
        }
        return kStatusOk;
    case kPropPage: {
        constexpr uint32_t kWordOf[] = {24, 28, 0, 288, 292, 296, 300, 304};
        for (uint32_t i = 0; i < std::size(kWordOf); ++i) {
            if (!changes.Changed(i)) {
                continue;
            }
            if (i == 2) {
                char name[kPageRecordNameSize];
                const char* source = reinterpret_cast<const char*>(changes.Bytes() + kPageRecordName);
                size_t length = strnlen(source, kPageRecordNameSize - 1);
                std::memcpy(name, source, length);
                name[length] = '\0';
                current.PutText(kPageRecordName, kPageRecordNameSize, name);
            } else {
                current.Put(kWordOf[i], changes.Get(kWordOf[i]));
            }
        }
        return kStatusOk;
    }
    default:
        return kStatusNoMergeRule;
    }
}

}  // namespace

KernelStatus Default_Init()
{
    DefaultsState& state = State();
    if (!state.initialised) {
        KernelStatus status = List_Init(&state.entries, 12, 12, 1, 1);
        if (status != kStatusOk) {
            return status;
        }
        state.initialised = true;
    }
    return Default_Reset();
}

KernelStatus Default_Reset()
{
    Default_FreeAll();
    return Default_InitBuiltins();
}

KernelStatus Default_Shutdown()
{
    DefaultsState& state = State();
    Default_FreeAll();
    if (state.initialised) {
        List_Destroy(&state.entries, nullptr, nullptr);
        state.initialised = false;
    }
    return kStatusOk;
}

KernelStatus Default_FreeAll()
{
    DefaultsState& state = State();
    if (!state.initialised) {
        return kStatusOk;
    }
    return List_Clear(
        &state.entries, [](uint32_t entry, void*) -> KernelStatus { FreeEntry(entry); return kStatusOk; }, nullptr);
}

KernelStatus Default_InitBuiltins()
{
    for (uint32_t property : kBuiltinOrder) {
        std::vector<uint8_t> bytes(Default_PropertySize(property), 0);
        Record record(bytes.data(), static_cast<uint32_t>(bytes.size()));
        FillBuiltin(property, record);
        KernelStatus status = Default_Set(0, kDefaultLevelBuiltin, property, bytes.data());
        if (status != kStatusOk) {
            return status;
        }
    }
    return kStatusOk;
}

void Default_SetMaxTextInObject(int32_t value)
{
    State().maxTextInObject = value > 0 ? value : 0x7fffffff;
}

KernelStatus Default_Get(ObjectHandle owner, uint32_t level, uint32_t property, void* record)
{
    const PropertyDef* row = FindProperty(property);
    if (row == nullptr) {
        return kStatusNotFound;
    }
    if (record == nullptr) {
        return kStatusNullHandle;
    }
    Record r(record, static_cast<uint32_t>(row->size));
    if (level == kDefaultLevelObject) {
        return GetLevel0(owner, property, r);
    }
    if (level > kDefaultLevelBuiltin) {
        return kStatusBadArgument;
    }
    MemHandle value = FindValue(owner, level, property, true);
    BlockLock<uint8_t> bytes(value);
    if (!bytes) {
        return kStatusFailed;
    }
    std::memcpy(record, bytes.get(), std::min<uint32_t>(bytes.size(), r.Size()));
    return kStatusOk;
}

KernelStatus Default_GetHandle(ObjectHandle owner, uint32_t level, uint32_t property, MemHandle* out,
                               uint32_t searchUp)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    if (FindProperty(property) == nullptr) {
        return kStatusNotFound;
    }
    if (level == kDefaultLevelObject || level > kDefaultLevelBuiltin) {
        return kStatusBadArgument;
    }
    MemHandle value = FindValue(owner, level, property, searchUp != 0);
    if (value == 0) {
        return kStatusFailed;
    }
    return Mem_Duplicate(out, value);
}

KernelStatus Default_Set(ObjectHandle owner, uint32_t level, uint32_t property, const void* record)
{
    const PropertyDef* row = FindProperty(property);
    if (record == nullptr) {
        return kStatusNullHandle;
    }
    if (level == kDefaultLevelObject) {
        if (row == nullptr) {
            return Model_MatchesTypeMask(owner, 4095) ? kStatusOk : kStatusInvalidObject;
        }
        Record r(const_cast<void*>(record), static_cast<uint32_t>(row->size));
        return SetLevel0(owner, property, r);
    }
    if (row == nullptr) {
        return kStatusBadArgument;
    }
    if (level > kDefaultLevelBuiltin) {
        return kStatusBadArgument;
    }
    MemHandle value = 0;
    KernelStatus status = Default_Find(owner, level, property, &value, 1);
    if (status != kStatusOk) {
        return status;
    }
    BlockLock<uint8_t> bytes(value);
    if (!bytes) {
        return kStatusNullHandle;
    }
    std::memcpy(bytes.get(), record, std::min<uint32_t>(bytes.size(), static_cast<uint32_t>(row->size)));
    return kStatusOk;
}

KernelStatus Default_Merge(ObjectHandle owner, uint32_t level, uint32_t property, const void* changes)
{
    if (level == kDefaultLevelObject) {
        return Default_Set(owner, level, property, changes);
    }
    const PropertyDef* row = FindProperty(property);
    if (row == nullptr) {
        return kStatusNotFound;
    }
    if (changes == nullptr) {
        return kStatusNullHandle;
    }
    std::vector<uint8_t> bytes(static_cast<uint32_t>(row->size), 0);
    KernelStatus status = Default_Get(owner, level, property, bytes.data());
    if (status != kStatusOk) {
        return status;
    }
    Record current(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Record change(const_cast<void*>(changes), static_cast<uint32_t>(row->size));
    status = MergeInto(property, current, change);
    if (status != kStatusOk) {
        return status;
    }
    return Default_Set(owner, level, property, bytes.data());
}

void Default_SetMask(void* record, uint8_t byte)
{
    if (record != nullptr) {
        std::memset(record, byte, kChangedBytes);
    }
}

void Default_CopyName(char* field, const char* text)
{
    if (field == nullptr) {
        return;
    }
    size_t length = text != nullptr ? strnlen(text, kPageRecordNameSize - 1) : 0;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

KernelStatus Default_RemoveLevel(uint32_t level, uint32_t userFlag)
{
    DefaultsState& state = State();
    if (!state.initialised) {
        return kStatusOk;
    }
    struct Filter {
        uint32_t level;
        uint32_t userFlag;
    } filter{level, userFlag};
    auto keep = [](uint32_t entry, void* argument) -> uint32_t {
        auto* f = static_cast<Filter*>(argument);
        BlockLock<DefaultEntry> e(entry);
        if (!e) {
            return 1;
        }
        bool fromUser = false;
        FindProperty(e->property, &fromUser);
        bool levelMatches = f->level == kDefaultLevelAll || e->level == f->level;
        return levelMatches && (fromUser ? 1u : 0u) == f->userFlag ? 0 : 1;
    };
    auto drop = [](uint32_t entry, void*) -> KernelStatus {
        FreeEntry(entry);
        return kStatusOk;
    };
    return List_Filter(&state.entries, keep, drop, &filter);
}

KernelStatus Default_GetEntry(uint32_t index, uint32_t* level, uint32_t* property, MemHandle* out)
{
    MemHandle entry = EntryAt(index);
    BlockLock<DefaultEntry> e(entry);
    if (!e) {
        return kStatusNotFound;
    }
    if (level != nullptr) {
        *level = e->level;
    }
    if (property != nullptr) {
        *property = e->property;
    }
    if (out != nullptr) {
        return Mem_Duplicate(out, e->value);
    }
    return kStatusOk;
}

uint32_t Default_EntryCount()
{
    return List_Count(&State().entries);
}

KernelStatus Default_Find(ObjectHandle owner, uint32_t level, uint32_t property, MemHandle* out, uint32_t create)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    MemHandle entry = FindEntry(owner, level, property);
    if (entry != 0) {
        *out = ValueOf(entry);
        return kStatusOk;
    }
    if (create == 0) {
        return kStatusFailed;
    }
    const PropertyDef* row = FindProperty(property);
    if (row == nullptr) {
        return kStatusBadArgument;
    }
    MemHandle value = 0;
    KernelStatus status = Mem_Alloc(&value, static_cast<uint32_t>(row->size));
    if (status != kStatusOk) {
        return status;
    }
    DefaultEntry* e = nullptr;
    status = Mem_AllocLocked(&entry, reinterpret_cast<void**>(&e), sizeof(DefaultEntry));
    if (status != kStatusOk) {
        Mem_Free(value);
        return status;
    }
    *e = DefaultEntry{owner, level, property, value};
    Mem_Unlock(entry);
    status = List_Append(&State().entries, entry);
    if (status != kStatusOk) {
        FreeEntry(entry);
        return status;
    }
    *out = value;
    return kStatusOk;
}

KernelStatus Default_PropertyInfo(uint32_t property, uint32_t column, int32_t* value)
{
    bool fromUser = false;
    const PropertyDef* row = FindProperty(property, &fromUser);
    if (row == nullptr) {
        return kStatusNotFound;
    }
    const int32_t columns[] = {row->size, row->flag1, row->flag2, row->flag3, row->flag4, row->number,
                               fromUser ? 1 : 0};
    if (column >= std::size(columns)) {
        return kStatusBadArgument;
    }
    if (value != nullptr) {
        *value = columns[column];
    }
    return kStatusOk;
}

uint32_t Default_PropertySize(uint32_t property)
{
    const PropertyDef* row = FindProperty(property);
    return row != nullptr && row->size > 0 ? static_cast<uint32_t>(row->size) : 0;
}

namespace {

int32_t Column(uint32_t property, uint32_t column, int32_t unknown)
{
    int32_t value = unknown;
    return Default_PropertyInfo(property, column, &value) == kStatusOk ? value : unknown;
}

}  // namespace

int32_t Default_PropertyFlag1(uint32_t property)
{
    return Column(property, 1, 0);
}

int32_t Default_PropertyFlag2(uint32_t property)
{
    return Column(property, 2, 0);
}

int32_t Default_PropertyFlag3(uint32_t property)
{
    return Column(property, 3, 0);
}

int32_t Default_PropertyFlag4(uint32_t property)
{
    return Column(property, 4, 0);
}

int32_t Default_PropertyNumber(uint32_t property)
{
    return Column(property, 5, -1);
}

KernelStatus Default_SetUserProperties(const PropertyDef* table, uint32_t count)
{
    std::vector<PropertyDef>& rows = State().userProperties;
    rows.clear();
    if (table != nullptr) {
        rows.assign(table, table + count);
    }
    return kStatusOk;
}
