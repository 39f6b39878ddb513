// The net layer's user-data fields: XDR encoding into exact-size buffers,
// size checks on every read, record ids looked up before use.
#include "atolq/CEditor/NetRecords.h"

#include <rpc/xdr.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SEIds.h"
#include "atolq/AEditor/SERecords.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/Seams.h"
#include "atolq/Utils/QXMem.h"
#include "xkv/kv/QX.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kvud/UserData.h"

namespace {

constexpr uint32_t kWordSize = 4;
// The longest ML file path kept on the root.
constexpr uint32_t kMaxPathLength = 4096;

// An XDR memory stream that is destroyed with its scope.
class XdrMemory {
public:
    XdrMemory(void* buffer, uint32_t size, xdr_op op)
    {
        xdrmem_create(&xdr_, static_cast<char*>(buffer), size, op);
    }
    ~XdrMemory() { xdr_destroy(&xdr_); }
    XdrMemory(const XdrMemory&) = delete;
    XdrMemory& operator=(const XdrMemory&) = delete;
    XDR* get() { return &xdr_; }

private:
    XDR xdr_{};
};

bool EncodeWord(uint32_t value, std::array<char, kWordSize>* out)
{
    XdrMemory stream(out->data(), kWordSize, XDR_ENCODE);
    return xdr_uint32_t(stream.get(), &value) != 0;
}

bool WriteWord(uint32_t object, uint32_t tag, uint32_t value)
{
    std::array<char, kWordSize> buffer{};
    return EncodeWord(value, &buffer) && UD_SetField(object, tag, buffer.data(), kWordSize) != 0;
}

// Reads a field only when it has exactly the expected size.
bool ReadExact(uint32_t object, uint32_t tag, void* buffer, uint32_t size)
{
    uint32_t length = 0;
    if (UD_GetFieldSize(object, tag, &length) == 0 || length != size) {
        return false;
    }
    return UD_GetField(object, tag, buffer) != 0;
}

bool ReadWord(uint32_t object, uint32_t tag, uint32_t* value)
{
    std::array<char, kWordSize> buffer{};
    if (!ReadExact(object, tag, buffer.data(), kWordSize)) {
        return false;
    }
    XdrMemory stream(buffer.data(), kWordSize, XDR_DECODE);
    return xdr_uint32_t(stream.get(), value) != 0;
}

bool IsConnector(uint32_t object)
{
    return QXRdAttr_GetObjectType(object) == kQXKindConnector;
}

int WriteRecordField(uint32_t object, uint32_t tag, SEHead* record)
{
    if (QXStr_IsObject(object) == 0) {
        EE_ReportError(kMsgUnknownObject);
        return 0;
    }
    if (!WriteWord(object, tag, SERecordId(record))) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

int ReadRecordField(uint32_t object, uint32_t tag, uint32_t kindMask, SEHead** record)
{
    if (record == nullptr) {
        return 0;
    }
    *record = nullptr;
    if (QXStr_IsObject(object) == 0) {
        EE_ReportError(kMsgUnknownObject);
        return 0;
    }
    uint32_t id = 0;
    if (!ReadWord(object, tag, &id) || id == 0) {
        return 0;
    }
    *record = SERecordById(id, kindMask);
    return *record != nullptr ? 1 : 0;
}

}  // namespace

int GE_SetSERecord(uint32_t object, SEHead* record)
{
    return WriteRecordField(object, kTagNetRecord, record);
}

int GE_GetSERecord(uint32_t object, SEHead** record)
{
    return ReadRecordField(object, kTagNetRecord, 0xffffffffu, record);
}

int GE_IsPlainObject(uint32_t object)
{
    if (QXStr_IsObject(object) == 0) {
        return 0;
    }
    SEHead* record = nullptr;
    return GE_GetSERecord(object, &record) == 0 ? 1 : 0;
}

int GE_DeleteSERecord(uint32_t object)
{
    int result = UD_DeleteField(object, kTagNetRecord) != 0 ? 1 : 0;
    // On the diagram root the second tag holds the ML file path: only a
    // connector's second arc goes with its first.
    if (result != 0 && IsConnector(object)) {
        result = UD_DeleteField(object, kTagSecondRecord) != 0 ? 1 : 0;
    }
    return result;
}

int GE_SetSecondRecord(uint32_t connector, SEHead* record)
{
    if (QXStr_IsObject(connector) != 0 && !IsConnector(connector)) {
        EE_ReportError(kMsgUnknownObject);
        return 0;
    }
    return WriteRecordField(connector, kTagSecondRecord, record);
}

int GE_GetSecondRecord(uint32_t connector, SEHead** record)
{
    if (record != nullptr) {
        *record = nullptr;
    }
    if (QXStr_IsObject(connector) != 0 && !IsConnector(connector)) {
        return 0;
    }
    return ReadRecordField(connector, kTagSecondRecord, 1u << kSEArc, record);
}

int GE_SetAuxWord(uint32_t object, uint32_t value)
{
    if (!WriteWord(object, kTagAuxWord, value)) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

uint32_t GE_GetAuxWord(uint32_t object)
{
    uint32_t value = 0;
    return ReadWord(object, kTagAuxWord, &value) ? value : 0;
}

int GE_SetNodeCode(uint32_t object, uint16_t code)
{
    std::array<char, kWordSize> buffer{};
    XdrMemory stream(buffer.data(), kWordSize, XDR_ENCODE);
    if (xdr_u_short(stream.get(), &code) == 0 || UD_SetField(object, kTagNodeCode, buffer.data(), kWordSize) == 0) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

uint16_t GE_GetNodeCode(uint32_t object)
{
    std::array<char, kWordSize> buffer{};
    if (!ReadExact(object, kTagNodeCode, buffer.data(), kWordSize)) {
        return 0;
    }
    XdrMemory stream(buffer.data(), kWordSize, XDR_DECODE);
    uint16_t code = 0;
    return xdr_u_short(stream.get(), &code) != 0 ? code : 0;
}

int GE_SetRegionPair(uint32_t region, int32_t a, int32_t b)
{
    if (!WriteWord(region, kTagRegionPairA, static_cast<uint32_t>(a)) ||
        !WriteWord(region, kTagRegionPairB, static_cast<uint32_t>(b))) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

int GE_GetRegionPair(uint32_t region, int32_t* a, int32_t* b)
{
    uint32_t first = 0;
    uint32_t second = 0;
    if (!ReadWord(region, kTagRegionPairA, &first) || !ReadWord(region, kTagRegionPairB, &second)) {
        return 0;
    }
    if (a != nullptr) {
        *a = static_cast<int32_t>(first);
    }
    if (b != nullptr) {
        *b = static_cast<int32_t>(second);
    }
    return 1;
}

int GE_SetSelfMark(uint32_t object, uint32_t handle)
{
    if (!WriteWord(object, kTagSelfMark, handle)) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

uint32_t GE_GetSelfMark(uint32_t object)
{
    uint32_t value = 0;
    return ReadWord(object, kTagSelfMark, &value) ? value : 0;
}

int GE_SetSimLink(uint32_t object, uint32_t value)
{
    if (!WriteWord(object, kTagSimLink, value)) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

uint32_t GE_GetSimLink(uint32_t object)
{
    uint32_t value = 0;
    return ReadWord(object, kTagSimLink, &value) ? value : 0;
}

int GE_SetUserFlag(uint32_t object, uint32_t tag)
{
    return UD_SetField(object, tag, nullptr, 0) != 0 ? 1 : 0;
}

int GE_HasUserData(uint32_t object, uint32_t tag)
{
    uint32_t length = 0;
    return UD_GetFieldSize(object, tag, &length) != 0 ? 1 : 0;
}

int GE_DeleteUserData(uint32_t object, uint16_t tag)
{
    return UD_DeleteField(object, tag) != 0 ? 1 : 0;
}

int GE_SetChartTagWord(uint32_t object, uint32_t word)
{
    if (!WriteWord(object, kTagChartTag, word)) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

int GE_SetChartTag(uint32_t object, uint8_t kind, uint8_t sub, uint16_t bits)
{
    return GE_SetChartTagWord(object, (uint32_t{kind} << 24) | (uint32_t{sub} << 16) | bits);
}

int GE_GetChartTag(uint32_t object, uint8_t* kind, uint8_t* sub, uint16_t* bits)
{
    uint32_t word = 0;
    // A tag used as a flag (no data) reads as all zero.
    int found = ReadWord(object, kTagChartTag, &word) ? 1 : 0;
    if (kind != nullptr) {
        *kind = static_cast<uint8_t>(word >> 24);
    }
    if (sub != nullptr) {
        *sub = static_cast<uint8_t>(word >> 16);
    }
    if (bits != nullptr) {
        *bits = static_cast<uint16_t>(word);
    }
    return found;
}

int GE_SetChartTagBits(uint32_t object, int on, uint16_t mask)
{
    uint32_t word = 0;
    ReadWord(object, kTagChartTag, &word);
    word = on != 0 ? (word | mask) : (word & ~uint32_t{mask});
    return GE_SetChartTagWord(object, word);
}

int GE_TestChartTagBits(uint32_t object, uint16_t mask)
{
    uint16_t bits = 0;
    GE_GetChartTag(object, nullptr, nullptr, &bits);
    return (bits & mask) != 0 ? 1 : 0;
}

int GE_SetMLFileName(const char* path)
{
    uint32_t root = GE_GetCurrentDiagram();
    if (root == 0 || QXStr_IsObject(root) == 0) {
        return 0;
    }
    UD_DeleteField(root, kTagSecondRecord);
    if (path == nullptr) {
        return 1;
    }
    size_t length = std::strlen(path);
    if (length > kMaxPathLength) {
        return 0;
    }
    std::vector<char> buffer(length + 12, 0);
    XdrMemory stream(buffer.data(), static_cast<uint32_t>(buffer.size()), XDR_ENCODE);
    char* text = const_cast<char*>(path);
    if (xdr_string(stream.get(), &text, kMaxPathLength) == 0 ||
        UD_SetField(root, kTagSecondRecord, buffer.data(), static_cast<uint32_t>(buffer.size())) == 0) {
        EE_ReportError(kMsgUserDataWriteFailed);
        return 0;
    }
    return 1;
}

namespace {

// The path stored on the root, decoded within the field's own bytes.
bool StoredMLPath(uint32_t root, std::string* path)
{
    uint32_t length = 0;
    if (UD_GetFieldSize(root, kTagSecondRecord, &length) == 0 || length < kWordSize ||
        length > kMaxPathLength + 12) {
        return false;
    }
    std::vector<char> field(length, 0);
    if (UD_GetField(root, kTagSecondRecord, field.data()) == 0) {
        return false;
    }
    std::vector<char> text(length - kWordSize + 1, 0);
    char* out = text.data();
    XdrMemory stream(field.data(), length, XDR_DECODE);
    if (xdr_string(stream.get(), &out, length - kWordSize) == 0) {
        return false;
    }
    path->assign(text.data());
    return !path->empty();
}

char* NewString(const std::string& text)
{
    char* copy = GE_Alloc(static_cast<uint32_t>(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

char* GE_GetMLFileName()
{
    uint32_t root = GE_GetCurrentDiagram();
    std::string stored;
    if (root == 0 || !StoredMLPath(root, &stored)) {
        return nullptr;
    }
    // Only the file name counts: it is looked for beside the diagram file.
    std::string name = stored.substr(stored.rfind('/') == std::string::npos ? 0 : stored.rfind('/') + 1);
    if (name.empty()) {
        return nullptr;
    }
    char* diagram = nullptr;
    if (QXFile_GetCurrentFileName(&diagram) == 0 || diagram == nullptr) {
        return nullptr;
    }
    std::string diagramPath(diagram);
    QXMem_Free(diagram);
    size_t slash = diagramPath.rfind('/');
    if (slash == std::string::npos) {
        return nullptr;
    }
    return NewString(diagramPath.substr(0, slash) + "/" + name);
}

int GE_RecordNodeDirection(uint32_t node, uint32_t connector, int flag)
{
    uint32_t direction = QXRdAttr_GetDirection(connector);
    uint16_t code = 3;
    if (direction == 1) {
        code = flag != 0 ? 2 : 1;
    } else if (direction == 2) {
        code = flag != 0 ? 1 : 2;
    }
    uint16_t old = GE_GetNodeCode(node);
    if (old == code) {
        return 1;
    }
    return GE_SetNodeCode(node, old == 0 ? code : 3);
}
