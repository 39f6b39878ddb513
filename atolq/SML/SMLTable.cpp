// Table calls: reading the typed slots (every count checked), the row table
// with the kernel's user-data rows, and writing the answer slots.
#include "atolq/SML/SMLTable.h"

#include <cstring>

#include "atolq/SML/SMLWait.h"
#include "xkv/kvud/UserData.h"

namespace {

bool isNumber(uint32_t type) { return type == kSlotInt || type == kSlotShort || type == kSlotShort5; }
bool isText(uint32_t type) {
    return type == kSlotHeapString || type == kSlotKernelString6 || type == kSlotKernelString7;
}
uint32_t padOf(uint32_t n) { return (4 - n % 4) % 4; }

// A counted string or block with its pad.
bool readCounted(SMLStream* in, std::string* text) {
    uint32_t n;
    if (!SMLGetU32(in, &n) || n > kSMLMaxCounted) return false;
    text->resize(n);
    return SMLGetBytes(in, text->data(), n) && SMLSkipBytes(in, padOf(n));
}

// ---- the kernel's user-data rows: (object, tag, ...) ----

bool objectAndTag(const SMLTableCall& call, ObjectHandle* object, UserDataTag* tag) {
    int32_t o, t;
    if (!call.number(1, &o) || !call.number(2, &t)) return false;
    *object = static_cast<ObjectHandle>(o);
    *tag = static_cast<UserDataTag>(t);
    return true;
}

// (object, tag, data, length): the length may not pass the data sent.
bool udSetField(SMLTableCall& call) {
    ObjectHandle object;
    UserDataTag tag;
    std::string_view data;
    int32_t length;
    if (!objectAndTag(call, &object, &tag) || !call.text(3, &data) || !call.number(4, &length) || length < 0 ||
        static_cast<uint32_t>(length) > data.size())
        return false;
    call.result(static_cast<int32_t>(UD_SetField(object, tag, data.data(), static_cast<uint32_t>(length))));
    return true;
}

bool udGetFieldSize(SMLTableCall& call) {
    ObjectHandle object;
    UserDataTag tag;
    if (!objectAndTag(call, &object, &tag)) return false;
    uint32_t length = 0;
    uint32_t result = UD_GetFieldSize(object, tag, &length);
    if (!call.setNumber(3, static_cast<int32_t>(length))) return false;
    call.result(static_cast<int32_t>(result));
    return true;
}

// (object, tag, output block): a field larger than the block is not read.
bool udGetField(SMLTableCall& call) {
    ObjectHandle object;
    UserDataTag tag;
    std::vector<uint8_t>* buffer = call.outBlock(3);
    if (!objectAndTag(call, &object, &tag) || buffer == nullptr) return false;
    uint32_t length = 0;
    if (UD_GetFieldSize(object, tag, &length) == 0 || length > buffer->size()) {
        call.result(0);
        return true;
    }
    call.result(static_cast<int32_t>(UD_GetField(object, tag, buffer->data())));
    return true;
}

bool udDeleteField(SMLTableCall& call) {
    ObjectHandle object;
    UserDataTag tag;
    if (!objectAndTag(call, &object, &tag)) return false;
    call.result(static_cast<int32_t>(UD_DeleteField(object, tag)));
    return true;
}

// Rows 0 to 55. Null rows refuse until their function exists; the net
// layer's rows are bound by SMLInstallNetTableRows.
constexpr std::array<SMLTableRow, kSMLTableRows> kernelRows() {
    std::array<SMLTableRow, kSMLTableRows> rows{};
    rows[26] = udSetField;
    rows[27] = udGetFieldSize;
    rows[28] = udGetField;
    rows[29] = udDeleteField;
    return rows;
}

std::array<SMLTableRow, kSMLTableRows> g_rows = kernelRows();

// The input value of one slot, by its mode and type.
bool readSlotValue(SMLStream* in, SMLSlot& slot, bool* refused) {
    if (slot.mode == kSlotResult) return true; // the result carries no value
    bool input = slot.mode == kSlotIn || slot.mode == kSlotInOut;
    uint32_t word;
    if (isNumber(slot.type)) {
        if (!input) return true;
        if (!SMLGetU32(in, &word)) return false;
        slot.value = static_cast<int32_t>(word);
        return true;
    }
    if (isText(slot.type)) return !input || readCounted(in, &slot.text);
    if (slot.type != kSlotBlock) return true; // nothing
    if (input) {
        if (!readCounted(in, &slot.text)) return false;
        slot.block.assign(slot.text.begin(), slot.text.end());
        return true;
    }
    if (!SMLGetU32(in, &word)) return false;
    if (word > kSMLMaxCounted) *refused = true;
    else slot.block.assign(word, 0);
    return true;
}

void writeSlot(SMLStream* out, const SMLSlot& slot, bool* ok) {
    if (slot.mode == kSlotIn || slot.type == kSlotNothing) return;
    if (slot.type == kSlotInt) *ok = *ok && SMLPutInt(out, slot.value);
    else if (isNumber(slot.type))
        *ok = *ok && SMLPutInt(out, static_cast<int16_t>(slot.value & 0xffff));
    else if (isText(slot.type)) *ok = *ok && SMLPutString(out, slot.text.c_str());
    else *ok = *ok && SMLPutBlock(out, slot.block.data(), static_cast<uint32_t>(slot.block.size()));
}

} // namespace

bool SMLTableCall::carries(uint32_t slot, bool input) const {
    if (slot == 0 || slot >= count) return false;
    uint32_t mode = slots[slot].mode;
    return input ? (mode == kSlotIn || mode == kSlotInOut) : (mode == kSlotOut || mode == kSlotInOut);
}

bool SMLTableCall::number(uint32_t slot, int32_t* value) const {
    if (!carries(slot, true) || !isNumber(slots[slot].type)) return false;
    const SMLSlot& s = slots[slot];
    *value = s.type == kSlotInt ? s.value : static_cast<int16_t>(s.value & 0xffff);
    return true;
}

bool SMLTableCall::text(uint32_t slot, std::string_view* value) const {
    if (!carries(slot, true) || !(isText(slots[slot].type) || slots[slot].type == kSlotBlock)) return false;
    *value = slots[slot].text;
    return true;
}

bool SMLTableCall::setNumber(uint32_t slot, int32_t value) {
    if (!carries(slot, false) || !isNumber(slots[slot].type)) return false;
    slots[slot].value = value;
    return true;
}

bool SMLTableCall::setText(uint32_t slot, std::string_view value) {
    if (!carries(slot, false) || !isText(slots[slot].type)) return false;
    slots[slot].text = value;
    return true;
}

std::vector<uint8_t>* SMLTableCall::outBlock(uint32_t slot) {
    if (!carries(slot, false) || slots[slot].type != kSlotBlock) return nullptr;
    return &slots[slot].block;
}

void SMLSetTableRow(uint32_t row, SMLTableRow function) {
    if (row < kSMLTableRows) g_rows[row] = function;
}

int SMLReadTableCall(SMLStream* in, SMLTableCall* call, bool* refused) {
    *refused = false;
    if (!SMLGetU32(in, &call->row) || !SMLGetU32(in, &call->count) || call->count > kSMLTableSlots) return 0;
    if (call->count == 0 || call->row >= kSMLTableRows) *refused = true;
    for (uint32_t i = 0; i < call->count; ++i) {
        SMLSlot& slot = call->slots[i];
        slot.mode = kSlotResult;
        if (i > 0 && (!SMLGetU32(in, &slot.mode) || slot.mode < kSlotIn || slot.mode > kSlotInOut)) return 0;
        if (!SMLGetU32(in, &slot.type) || slot.type < kSlotInt || slot.type > kSlotBlock) return 0;
        if (i == 0 && slot.type == kSlotBlock) *refused = true; // a block as result
        if (!readSlotValue(in, slot, refused)) return 0;
    }
    return 1;
}

bool SMLRunTableCall(SMLTableCall& call) {
    SMLTableRow row = call.row < kSMLTableRows ? g_rows[call.row] : nullptr;
    return row != nullptr && row(call);
}

int SMLWriteTableAnswer(SMLStream* out, const SMLTableCall& call) {
    bool ok = SMLPutU32(out, kOpTableAnswer);
    for (uint32_t i = 0; i < call.count; ++i) writeSlot(out, call.slots[i], &ok);
    return ok && SMLFlush(out);
}
