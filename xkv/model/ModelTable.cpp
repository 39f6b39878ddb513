// The object table: slots, the free list, creation and release of objects and
// the field interface.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/BlockLock.h"
#include "xkv/model/Model.h"
#include "xkv/model/ModelInternal.h"
#include "xkv/model/Picture.h"
#include "xkv/text/Text.h"
#include "xkv/types/PtArray.h"

namespace {

struct ObjectTable {
    bool exists = false;
    std::vector<ObjectRecord> slots;
    // Per slot: the allocation serial (0 while free).
    std::vector<uint32_t> serials;
    ObjectHandle freeHead = 0;
    ObjectHandle root = 0;
    uint32_t modified = 0;
    uint32_t lastSerial = 0;
};

ObjectTable& Table()
{
    static ObjectTable table;
    return table;
}

enum class FieldPlace : uint8_t { None, Record, Connector, Text };

struct FieldInfo {
    FieldPlace place;
    uint8_t size;
    uint8_t offset;  // word index in the record, or byte offset in the connector data
};

constexpr FieldInfo R(uint8_t word, uint8_t size = 4)
{
    return {FieldPlace::Record, size, word};
}
constexpr FieldInfo C(uint8_t offset, uint8_t size = 4)
{
    return {FieldPlace::Connector, size, offset};
}
constexpr FieldInfo T(uint8_t size)
{
    return {FieldPlace::Text, size, 0};
}
constexpr FieldInfo kNoField{FieldPlace::None, 0, 0};

// The place and size of every field id 0 to 78.
constexpr FieldInfo kFields[79] = {
    R(24),     R(20, 8),  R(0),      R(25),     kNoField,  R(24),     R(29),     R(30),     // 0-7
    R(31),     R(34),     R(7, 16),  R(16),     T(4),      R(22),     R(24, 32), R(27),     // 8-15
    R(5),      kNoField,  R(12),     R(13),     R(25),     R(26),     R(24),     R(27),     // 16-23
    R(2),      R(33),     R(26),     kNoField,  R(24),     R(25, 8),  R(25),     R(26),     // 24-31
    R(27),     R(25),     R(18),     R(1),      R(28),     R(29),     R(24),     R(30, 8),  // 32-39
    T(4),      R(6),      T(2),      T(2),      R(30),     R(31),     R(11),     R(32),     // 40-47
    R(17),     R(29),     R(28),     R(23),     R(28, 16), R(33, 8),  R(20),     R(14),     // 48-55
    R(21),     R(4),      C(0, 8),   C(8, 8),   C(16),     C(20),     C(24),     C(28),     // 56-63
    C(32),     C(36),     C(40),     C(44, 16), C(60),     C(64),     C(64),     C(68),     // 64-71
    C(72),     T(2),      R(26),     R(14),     R(15),     T(4),      T(2),                 // 72-78
};

const FieldInfo& InfoOf(FieldId field)
{
    return field < std::size(kFields) ? kFields[field] : kNoField;
}

bool IsValid(ObjectHandle object)
{
    return object != 0 && object < Table().slots.size();
}

ObjectRecord& Slot(ObjectHandle object)
{
    return Table().slots[object];
}

uint32_t& Word(ObjectHandle object, FieldId field)
{
    return Slot(object).words[kFields[field].offset];
}

void ClearSlot(ObjectHandle object)
{
    std::memset(&Slot(object), 0, sizeof(ObjectRecord));
}

void GetTextField(MemHandle text, FieldId field, void* buffer)
{
    switch (field) {
    case Field::kFontFamily:
        Text_GetFontFamily(text, static_cast<uint32_t*>(buffer));
        break;
    case Field::kAlignment:
        Text_GetAlignment(text, static_cast<uint32_t*>(buffer));
        break;
    case Field::kFontSize:
        Text_GetFontSize(text, static_cast<uint16_t*>(buffer));
        break;
    case Field::kFontStyle:
        Text_GetFontStyle(text, static_cast<uint16_t*>(buffer));
        break;
    case Field::kScrollBars:
        Text_GetScrollBars(text, static_cast<uint16_t*>(buffer));
        break;
    case Field::kTextAttribute:
        Text_GetField77(text, static_cast<uint32_t*>(buffer));
        break;
    case Field::kLineHeight:
        Text_GetLineHeight(text, static_cast<uint16_t*>(buffer));
        break;
    default:
        break;
    }
}

void SetTextField(MemHandle text, FieldId field, const void* buffer)
{
    uint32_t word = 0;
    uint16_t half = 0;
    std::memcpy(&word, buffer, std::min<uint32_t>(4, Model_FieldSize(field)));
    std::memcpy(&half, buffer, 2);
    switch (field) {
    case Field::kFontFamily:
        Text_SetFontFamily(text, word);
        break;
    case Field::kAlignment:
        Text_SetAlignment(text, word);
        break;
    case Field::kFontSize:
        Text_SetFontSize(text, half);
        break;
    case Field::kFontStyle:
        Text_SetFontStyle(text, half);
        break;
    case Field::kScrollBars:
        Text_SetScrollBars(text, half);
        break;
    case Field::kTextAttribute:
        Text_SetField77(text, word);
        break;
    default:  // field 78 is read-only
        break;
    }
}

// Copies the defaults of a property at the level for new objects onto the
// object, all changed bytes set except the one named (or none: -1).
KernelStatus ApplyNewObjectDefaults(ObjectHandle object, uint32_t property, int skipAttribute)
{
    std::vector<uint8_t> record(Default_PropertySize(property), 0);
    if (record.size() < kChangedBytes) {
        return kStatusBadArgument;
    }
    KernelStatus status = Default_Get(0, kDefaultLevelNew, property, record.data());
    if (status != kStatusOk) {
        return status;
    }
    Default_SetMask(record.data(), 1);
    if (skipAttribute >= 0) {
        record[skipAttribute] = 0;
    }
    return Default_Set(object, kDefaultLevelObject, property, record.data());
}

ObjectHandle NewChild(ObjectHandle parent, uint32_t type)
{
    ObjectHandle child = Model_NewObject(type);
    if (child != 0 && Model_AppendChild(parent, child) != kStatusOk) {
        Model_FreeSlot(child, 4);
        return 0;
    }
    return child;
}

KernelStatus DestroyOne(ObjectHandle object, void*)
{
    Model_Destroy(object, 0);
    return kStatusOk;
}

// The point arrays that a connector-data record owns: the arrow heads, and
// the two paths when the mode is 9.
std::vector<MemHandle ConnectorData::*> OwnedArrays(const ConnectorData& data)
{
    if (data.mode == 9) {
        return {&ConnectorData::startHead, &ConnectorData::endHead, &ConnectorData::path,
                &ConnectorData::roundedPath};
    }
    return {&ConnectorData::startHead, &ConnectorData::endHead};
}

bool ClearOwnedArrays(MemHandle block)
{
    BlockLock<ConnectorData> data(block);
    if (!data) {
        return false;
    }
    for (auto member : OwnedArrays(*data)) {
        data.get()->*member = 0;
    }
    return true;
}

// Gives the copy its own duplicate of each point array of the source; 1 when
// one cannot be duplicated (those made so far stay in the copy).
KernelStatus DuplicateOwnedArrays(MemHandle source, MemHandle copy)
{
    BlockLock<ConnectorData> from(source);
    BlockLock<ConnectorData> to(copy);
    if (!from || !to) {
        return kStatusNullHandle;
    }
    for (auto member : OwnedArrays(*from)) {
        if (from.get()->*member == 0) {
            continue;
        }
        MemHandle duplicate = PtArray_Duplicate(from.get()->*member);
        if (duplicate == 0) {
            return kStatusFailed;
        }
        to.get()->*member = duplicate;
    }
    return kStatusOk;
}

}  // namespace

// ---- Table ----

KernelStatus Model_CreateTable(uint32_t slotCount)
{
    ObjectTable& table = Table();
    if (table.exists) {
        return kStatusTableExists;
    }
    if (slotCount < 1) {
        return kStatusBadArgument;
    }
    try {
        table.slots.assign(slotCount, ObjectRecord{});
        table.serials.assign(slotCount, 0);
    } catch (const std::bad_alloc&) {
        table.slots.clear();
        table.serials.clear();
        return kStatusOutOfMemory;
    }
    table.exists = true;
    table.root = 0;
    table.modified = 0;
    table.freeHead = 0;
    if (slotCount > 1) {
        table.freeHead = 1;
        Model_ChainFree(1, slotCount - 1);
    }
    return kStatusOk;
}

KernelStatus Model_DestroyTable()
{
    ObjectTable& table = Table();
    table.slots.clear();
    table.slots.shrink_to_fit();
    table.serials.clear();
    table.serials.shrink_to_fit();
    table.exists = false;
    table.freeHead = 0;
    table.root = 0;
    return kStatusOk;
}

uint32_t Model_SlotCount()
{
    return static_cast<uint32_t>(Table().slots.size());
}

KernelStatus Model_ChainFree(uint32_t first, uint32_t n)
{
    ObjectTable& table = Table();
    if (n == 0 || first == 0 || uint64_t{first} + n - 1 >= table.slots.size()) {
        return kStatusPastTableEnd;
    }
    for (uint32_t i = 0; i < n; ++i) {
        ObjectHandle slot = first + i;
        ClearSlot(slot);
        table.serials[slot] = 0;
        Word(slot, Field::kNextSibling) = i + 1 < n ? slot + 1 : 0;
    }
    return kStatusOk;
}

ObjectHandle Model_LastFreeSlot()
{
    ObjectHandle slot = Table().freeHead;
    while (slot != 0 && Word(slot, Field::kNextSibling) != 0) {
        slot = Word(slot, Field::kNextSibling);
    }
    return slot;
}

KernelStatus Model_GrowTable(int32_t n)
{
    ObjectTable& table = Table();
    if (n < 1) {
        return kStatusBadArgument;
    }
    size_t oldCount = table.slots.size();
    if (!table.exists || oldCount + static_cast<uint32_t>(n) > UINT32_MAX) {
        return kStatusOutOfMemory;
    }
    try {
        table.slots.resize(oldCount + n, ObjectRecord{});
        table.serials.resize(oldCount + n, 0);
    } catch (const std::bad_alloc&) {
        table.slots.resize(oldCount);
        table.serials.resize(oldCount);
        return kStatusOutOfMemory;
    }
    auto first = static_cast<ObjectHandle>(oldCount);
    Model_ChainFree(first, static_cast<uint32_t>(n));
    ObjectHandle last = Model_LastFreeSlot();
    if (last == 0) {
        table.freeHead = first;
    } else {
        Word(last, Field::kNextSibling) = first;
    }
    return kStatusOk;
}

KernelStatus Model_GetRecord(ObjectHandle object, ObjectRecord** out)
{
    if (!IsValid(object)) {
        if (out != nullptr) {
            *out = nullptr;
        }
        return kStatusBadObjectHandle;
    }
    if (out != nullptr) {
        *out = &Slot(object);
    }
    return kStatusOk;
}

KernelStatus Model_ReleaseRecord(ObjectHandle object)
{
    return IsValid(object) ? kStatusOk : kStatusBadObjectHandle;
}

KernelStatus Model_ClearRecord(ObjectHandle object, uint32_t all)
{
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    ObjectRecord& record = Slot(object);
    ObjectRecord kept = record;
    ClearSlot(object);
    if (all == 0) {
        for (FieldId field : {Field::kFirstChild, Field::kNextSibling, Field::kParent}) {
            record.words[kFields[field].offset] = kept.words[kFields[field].offset];
        }
    }
    return kStatusOk;
}

uint32_t Model_RecordSize()
{
    return sizeof(ObjectRecord);
}

KernelStatus Model_CopyRecord(ObjectHandle from, ObjectHandle to)
{
    if (!IsValid(from) || !IsValid(to)) {
        return kStatusBadObjectHandle;
    }
    Slot(to) = Slot(from);
    return kStatusOk;
}

KernelStatus Model_SetRoot(ObjectHandle root)
{
    if (root != 0 && !IsValid(root)) {
        return kStatusBadObjectHandle;
    }
    Table().root = root;
    return kStatusOk;
}

ObjectHandle Model_GetRoot()
{
    ObjectHandle root = Table().root;
    return Model_IsObject(root) ? root : 0;
}

uint32_t Model_IsModified()
{
    return Table().modified;
}

void Model_SetModified(uint32_t flag)
{
    Table().modified = flag != 0 ? 1 : 0;
}

uint32_t Model_GetSerial(ObjectHandle object)
{
    return IsValid(object) ? Table().serials[object] : 0;
}

uint32_t ModelInternal_IsInUse(ObjectHandle object)
{
    return IsValid(object) && Table().serials[object] != 0 ? 1 : 0;
}

// ---- Allocation and creation ----

ObjectHandle Model_AllocSlot()
{
    ObjectTable& table = Table();
    if (!table.exists) {
        return 0;
    }
    if (table.freeHead == 0 && Model_GrowTable(kObjectTableGrowth) != kStatusOk) {
        return 0;
    }
    ObjectHandle slot = table.freeHead;
    table.freeHead = Word(slot, Field::kNextSibling);
    ClearSlot(slot);
    // Serials skip 0, which marks a free slot.
    table.lastSerial = table.lastSerial == UINT32_MAX ? 1 : table.lastSerial + 1;
    table.serials[slot] = table.lastSerial;
    return slot;
}

ObjectHandle Model_NewObject(uint32_t type)
{
    ObjectHandle object = Model_AllocSlot();
    if (object != 0) {
        Word(object, Field::kType) = type;
    }
    return object;
}

KernelStatus Model_NewDiagram()
{
    ObjectTable& table = Table();
    if (Model_GetRoot() != 0) {
        Model_DestroyTree(table.root);
    }
    table.root = 0;
    ObjectHandle root = Model_NewObject(kTypeDiagram);
    if (root == 0) {
        return kStatusFailed;
    }
    table.root = root;
    for (uint32_t type : {kTypePart, kTypePageList, kTypePart, kTypePart}) {
        if (NewChild(root, type) == 0) {
            Model_DestroyTree(root);
            table.root = 0;
            return kStatusFailed;
        }
    }
    return kStatusOk;
}

KernelStatus Model_AddPageParts(ObjectHandle page)
{
    if (!IsValid(page)) {
        return kStatusBadObjectHandle;
    }
    if (Model_GetFirstChild(page) != 0) {
        return kStatusBadArgument;
    }
    for (uint32_t type : {kTypePart, kTypeNodeList, kTypeConnectorList, kTypePart}) {
        if (NewChild(page, type) == 0) {
            return kStatusNoPagePart;
        }
    }
    return kStatusOk;
}

ObjectHandle Model_NewPage()
{
    ObjectHandle pageList = Model_GetPageList();
    if (pageList == 0) {
        return 0;
    }
    ObjectHandle page = NewChild(pageList, kTypePage);
    if (page == 0) {
        return 0;
    }
    if (Model_AddPageParts(page) != kStatusOk ||
        ApplyNewObjectDefaults(page, kPropPage, 3) != kStatusOk) {
        Model_DestroyTree(page);
        return 0;
    }
    return page;
}

ObjectHandle Model_NewNode(ObjectHandle page)
{
    ObjectHandle nodeList = Model_GetNodeList(page);
    if (nodeList == 0) {
        return 0;
    }
    ObjectHandle node = NewChild(nodeList, kTypeNode);
    if (node != 0 && ApplyNewObjectDefaults(node, kPropGraphics, -1) != kStatusOk) {
        Model_DestroyTree(node);
        return 0;
    }
    return node;
}

ObjectHandle Model_NewConnector(ObjectHandle page)
{
    ObjectHandle connectorList = Model_GetConnectorList(page);
    if (connectorList == 0) {
        return 0;
    }
    ObjectHandle connector = Model_NewObject(kTypeConnector);
    if (connector == 0) {
        return 0;
    }
    if (Model_NewConnectorData(connector) != kStatusOk) {
        Model_FreeSlot(connector, 0);
        return 0;
    }
    if (Model_AppendChild(connectorList, connector) != kStatusOk ||
        ApplyNewObjectDefaults(connector, kPropGraphics, -1) != kStatusOk ||
        ApplyNewObjectDefaults(connector, kPropConnector, -1) != kStatusOk) {
        Model_Destroy(connector, 0);
        return 0;
    }
    return connector;
}

ObjectHandle Model_GetRegionList(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return 0;
    }
    ObjectHandle first = Model_GetFirstChild(object);
    return first != 0 ? first : NewChild(object, kTypeRegionList);
}

KernelStatus Model_NewConnectorData(ObjectHandle connector)
{
    if (!IsValid(connector)) {
        return kStatusBadObjectHandle;
    }
    MemHandle block = 0;
    ConnectorData* data = nullptr;
    KernelStatus status = Mem_AllocLocked(&block, reinterpret_cast<void**>(&data), sizeof(ConnectorData));
    if (status != kStatusOk) {
        return status;
    }
    data->word66 = 1;
    data->mode = 9;
    Mem_Unlock(block);
    Word(connector, Field::kShapeData) = block;
    return kStatusOk;
}

KernelStatus Model_FreeConnectorData(MemHandle block)
{
    {
        BlockLock<ConnectorData> data(block);
        if (!data) {
            return kStatusNullHandle;
        }
        for (auto member : OwnedArrays(*data)) {
            if (data.get()->*member != 0) {
                PtArray_Free(data.get()->*member);
            }
        }
    }
    return Mem_Free(block);
}

KernelStatus Model_CopyConnectorData(MemHandle block, MemHandle* out)
{
    if (out == nullptr) {
        return kStatusNullHandle;
    }
    *out = 0;
    MemHandle copy = 0;
    KernelStatus status = Mem_Duplicate(&copy, block);
    if (status != kStatusOk) {
        return status;
    }
    if (!ClearOwnedArrays(copy)) {
        Mem_Free(copy);
        return kStatusNullHandle;
    }
    status = DuplicateOwnedArrays(block, copy);
    if (status != kStatusOk) {
        Model_FreeConnectorData(copy);
        return status;
    }
    *out = copy;
    return kStatusOk;
}

// ---- Release ----

KernelStatus Model_Destroy(ObjectHandle object, uint32_t flags)
{
    if (!IsValid(object) || !ModelInternal_IsInUse(object)) {
        return kStatusBadArgument;
    }
    Model_Unlink(object);
    return Model_FreeSlot(object, flags);
}

KernelStatus Model_FreeSlot(ObjectHandle object, uint32_t flags)
{
    ObjectTable& table = Table();
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    // A slot that is already free must not enter the free list twice.
    if (!ModelInternal_IsInUse(object)) {
        return kStatusBadArgument;
    }
    if ((flags & 4) == 0) {
        Model_FreeContents(object);
    }
    bool wasEmpty = table.freeHead == 0;
    Word(object, Field::kNextSibling) = table.freeHead;
    table.freeHead = object;
    table.serials[object] = 0;
    return wasEmpty ? kStatusBadArgument : kStatusOk;
}

KernelStatus Model_FreeContents(ObjectHandle object)
{
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    uint32_t type = Word(object, Field::kType);
    if (type == kTypePage && Word(object, Field::kPageName) != 0) {
        Mem_Free(Word(object, Field::kPageName));
        Word(object, Field::kPageName) = 0;
    }
    bool shaped = type == kTypeNode || type == kTypeRegion;
    if (shaped && Word(object, Field::kShapeKind) == 4 && Word(object, Field::kShapeData) != 0) {
        Picture_Free(Word(object, Field::kShapeData));
        Word(object, Field::kShapeData) = 0;
    }
    Model_SetShapeData(object, 0);
    Text_Delete(object);
    if (Word(object, Field::kUserData) != 0) {
        Mem_Free(Word(object, Field::kUserData));
        Word(object, Field::kUserData) = 0;
    }
    return kStatusOk;
}

KernelStatus Model_DestroyObject(ObjectHandle object)
{
    return Model_Destroy(object, 0);
}

KernelStatus Model_DestroyTree(ObjectHandle object)
{
    if (!Model_IsObject(object)) {
        return kStatusBadArgument;
    }
    ObjectHandle first = Model_GetFirstChild(object);
    if (first != 0) {
        Model_WalkPostOrder(first, kMaskAll, DestroyOne, nullptr);
    }
    if (object == Table().root) {
        Table().root = 0;
    }
    return Model_Destroy(object, 0);
}

// ---- Fields ----

uint32_t Model_FieldSize(FieldId field)
{
    return InfoOf(field).size;
}

void* Model_FieldAddress(ObjectRecord* record, FieldId field, MemHandle* lockedBlock)
{
    if (lockedBlock != nullptr) {
        *lockedBlock = 0;
    }
    if (record == nullptr) {
        return nullptr;
    }
    const FieldInfo& info = InfoOf(field);
    if (info.place == FieldPlace::Record) {
        return &record->words[info.offset];
    }
    if (info.place != FieldPlace::Connector) {
        return nullptr;
    }
    MemHandle block = record->words[kFields[Field::kShapeData].offset];
    void* data = nullptr;
    if (block == 0 || Mem_Lock(block, &data) != kStatusOk || Mem_Size(block) < sizeof(ConnectorData)) {
        if (data != nullptr) {
            Mem_Unlock(block);
        }
        return nullptr;
    }
    if (lockedBlock != nullptr) {
        *lockedBlock = block;
    }
    return static_cast<uint8_t*>(data) + info.offset;
}

KernelStatus Model_GetField(ObjectHandle object, FieldId field, void* buffer)
{
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    const FieldInfo& info = InfoOf(field);
    if (info.place == FieldPlace::Text) {
        // A text field reads as 0 when the object has no text.
        std::memset(buffer, 0, info.size);
        GetTextField(Word(object, Field::kText), field, buffer);
        return kStatusOk;
    }
    MemHandle locked = 0;
    void* address = Model_FieldAddress(&Slot(object), field, &locked);
    if (address == nullptr) {
        return kStatusUnknownField;
    }
    std::memcpy(buffer, address, info.size);
    if (locked != 0) {
        Mem_Unlock(locked);
    }
    return kStatusOk;
}

KernelStatus Model_SetField(ObjectHandle object, FieldId field, const void* buffer)
{
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    const FieldInfo& info = InfoOf(field);
    if (info.place == FieldPlace::None) {
        return kStatusOk;
    }
    if (info.place == FieldPlace::Text) {
        SetTextField(Word(object, Field::kText), field, buffer);
    } else {
        MemHandle locked = 0;
        void* address = Model_FieldAddress(&Slot(object), field, &locked);
        if (address == nullptr) {
            return kStatusUnknownField;
        }
        std::memcpy(address, buffer, info.size);
        if (locked != 0) {
            Mem_Unlock(locked);
        }
    }
    if (field != Field::kRecent) {
        Model_SetModified(1);
    }
    return kStatusOk;
}

uint32_t Model_GetFieldValue(ObjectHandle object, FieldId field)
{
    uint32_t size = Model_FieldSize(field);
    if (size == 0 || size > 4) {
        return 0;
    }
    uint8_t bytes[4] = {};
    if (Model_GetField(object, field, bytes) != kStatusOk) {
        return 0;
    }
    if (size == 2) {
        uint16_t half = 0;
        std::memcpy(&half, bytes, 2);
        return half;
    }
    uint32_t value = 0;
    std::memcpy(&value, bytes, 4);
    return value;
}

KernelStatus Model_SetFieldValue(ObjectHandle object, FieldId field, uint32_t value)
{
    uint32_t size = Model_FieldSize(field);
    if (size > 4) {
        return kStatusUnknownField;
    }
    if (size == 2) {
        auto half = static_cast<uint16_t>(value);
        return Model_SetField(object, field, &half);
    }
    return Model_SetField(object, field, &value);
}

uint32_t Model_FieldEquals(ObjectHandle object, FieldId field, const void* buffer)
{
    if (!IsValid(object) || buffer == nullptr || InfoOf(field).place == FieldPlace::Text) {
        return 0;
    }
    MemHandle locked = 0;
    void* address = Model_FieldAddress(&Slot(object), field, &locked);
    if (address == nullptr) {
        return 0;
    }
    bool equal = std::memcmp(address, buffer, InfoOf(field).size) == 0;
    if (locked != 0) {
        Mem_Unlock(locked);
    }
    return equal ? 1 : 0;
}

KernelStatus Model_SetShapeData(ObjectHandle object, MemHandle data)
{
    if (!IsValid(object)) {
        return kStatusBadObjectHandle;
    }
    MemHandle old = Word(object, Field::kShapeData);
    if (old != 0 && old != data) {
        switch (Word(object, Field::kShapeKind)) {
        case 5:
        case 13:
            PtArray_Free(old);
            break;
        case 9:
        case 10:
        case 11:
            Model_FreeConnectorData(old);
            break;
        default:
            break;
        }
    }
    Word(object, Field::kShapeData) = data;
    return kStatusOk;
}

KernelStatus Model_SetFlags(ObjectHandle object, uint32_t bits, uint32_t on)
{
    uint32_t flags = 0;
    KernelStatus status = Model_GetField(object, Field::kFlags, &flags);
    if (status != kStatusOk) {
        return status;
    }
    flags = on != 0 ? (flags | bits) : (flags & ~bits);
    return Model_SetField(object, Field::kFlags, &flags);
}

KernelStatus Model_TestFlags(ObjectHandle object, uint32_t bits, uint32_t* result)
{
    uint32_t flags = 0;
    KernelStatus status = Model_GetField(object, Field::kFlags, &flags);
    if (result != nullptr) {
        *result = status == kStatusOk && (flags & bits) == bits ? 1 : 0;
    }
    return status;
}

uint32_t Model_HasFlags(ObjectHandle object, uint32_t bits)
{
    uint32_t result = 0;
    return Model_TestFlags(object, bits, &result) == kStatusOk ? result : 0;
}
