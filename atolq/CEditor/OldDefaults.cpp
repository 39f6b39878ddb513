// The older XDR defaults stream: its header, the old attribute record and the
// option records, each decoded field by field and converted into the current
// default records.
#include "atolq/CEditor/OldDefaults.h"

#include <array>
#include <initializer_list>
#include <cstring>
#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/ErrorReport.h"
#include "xkv/kv/QXUtil.h"

namespace {

// The session's copy of the last header read.
std::array<int32_t, kOldHeaderLongs> gHeader{};

constexpr uint32_t kOldBufferSize = 8284;

// A cursor over the stream that remembers the first failure.
class Reader {
public:
    explicit Reader(XDR* xdr) : xdr_(xdr) {}
    bool ok() const { return ok_; }
    int32_t Long()
    {
        int32_t value = 0;
        ok_ = ok_ && xdr_int32_t(xdr_, &value) != 0;
        return value;
    }
    int32_t Bool()
    {
        bool_t value = 0;
        ok_ = ok_ && xdr_bool(xdr_, &value) != 0;
        return value != 0 ? 1 : 0;
    }
    int32_t Short()
    {
        short value = 0;
        ok_ = ok_ && xdr_short(xdr_, &value) != 0;
        return value;
    }
    uint32_t UShort()
    {
        unsigned short value = 0;
        ok_ = ok_ && xdr_u_short(xdr_, &value) != 0;
        return value;
    }
    int32_t Char()
    {
        char value = 0;
        ok_ = ok_ && xdr_char(xdr_, &value) != 0;
        return static_cast<uint8_t>(value);
    }
    uint32_t ULong()
    {
        uint32_t value = 0;
        ok_ = ok_ && xdr_uint32_t(xdr_, &value) != 0;
        return value;
    }
    // A counted byte string of at most `maximum` bytes, NUL-terminated in
    // `out` (which holds maximum + 1 bytes).
    void Bytes(char* out, u_int maximum)
    {
        u_int length = 0;
        std::memset(out, 0, maximum + 1);
        ok_ = ok_ && xdr_bytes(xdr_, &out, &length, maximum) != 0;
    }
    void Skip(int units, int32_t (Reader::*field)())
    {
        for (int i = 0; i < units; ++i) {
            (this->*field)();
        }
    }

private:
    XDR* xdr_;
    bool ok_ = true;
};

std::vector<uint8_t> NewRecord(uint32_t property)
{
    return std::vector<uint8_t>(DefPropertySize(property), 0);
}

void PutWord(std::vector<uint8_t>* bytes, uint32_t index, int32_t value)
{
    if ((index + 1) * 4 <= bytes->size()) {
        std::memcpy(bytes->data() + index * 4, &value, 4);
    }
}

void PutText(std::vector<uint8_t>* bytes, uint32_t offset, uint32_t size, const char* text)
{
    if (offset + size <= bytes->size()) {
        std::memset(bytes->data() + offset, 0, size);
        std::memcpy(bytes->data() + offset, text, strnlen(text, size - 1));
    }
}

int Store(const Reader& reader, uint32_t property, const std::vector<uint8_t>& bytes, uint32_t level)
{
    if (!reader.ok()) {
        return 0;
    }
    return DefSet(0, property, level, bytes.data(), 0);
}

bool ReadOldAttribute(Reader* r, std::array<int32_t, kDefAttributeWords>* words)
{
    auto& w = *words;
    w[0] = r->Bool();
    w[1] = r->Bool();
    w[2] = r->Short();
    w[3] = r->Long();
    w[4] = r->Short();
    w[5] = r->Short();
    w[6] = r->Short();
    w[7] = r->Long();
    w[8] = r->Long();
    w[9] = r->Short();
    w[10] = r->Short();
    w[11] = r->Short();
    w[12] = r->Bool();
    w[13] = r->Short();
    w[14] = r->Short();
    w[15] = r->Long();
    w[16] = r->Long();
    int32_t tag = r->Long();
    std::array<uint32_t, 5> values{};
    for (uint32_t& value : values) {
        value = r->ULong();
    }
    auto asShort = [](uint32_t value) { return static_cast<int32_t>(static_cast<int16_t>(value)); };
    auto asLong = [](uint32_t value) { return static_cast<int32_t>(value); };
    bool tagOk = true;
    switch (tag) {
    case 1: w[21] = asLong(values[4]); [[fallthrough]];
    case 2:
        w[17] = asLong(values[0]);
        w[18] = asShort(values[1]);
        w[19] = asShort(values[2]);
        w[20] = asLong(values[3]);
        break;
    case 3: w[17] = asLong(values[0]); break;
    case 4: break;
    case 5:
        w[17] = asShort(values[0]);
        w[18] = asLong(values[1]);
        break;
    case 6:
        w[17] = asShort(values[0]);
        w[18] = asShort(values[1]);
        break;
    default: tagOk = false; break;
    }
    w[22] = r->Short();
    w[23] = r->Short();
    w[24] = r->Char();
    w[25] = r->Char();
    w[26] = static_cast<int32_t>(r->UShort());
    w[27] = r->Short();
    return r->ok() && tagOk;
}

int ReadBrackets(Reader* r, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefBrackets);
    std::array<char, 13> text{};
    for (uint32_t pair = 0; pair < 5; ++pair) {
        r->Bytes(text.data(), 12);
        PutText(&bytes, pair * 16, 16, text.data());
        r->Bytes(text.data(), 12);
        PutText(&bytes, 80 + pair * 16, 16, text.data());
    }
    return Store(*r, kDefBrackets, bytes, level);
}

int ReadWordsRecord(Reader* r, uint32_t property, std::initializer_list<int32_t (Reader::*)()> fields,
                    uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(property);
    uint32_t index = 0;
    for (auto field : fields) {
        PutWord(&bytes, index++, (r->*field)());
    }
    return Store(*r, property, bytes, level);
}

int Dropped(Reader* r, std::initializer_list<int32_t (Reader::*)()> fields)
{
    for (auto field : fields) {
        (r->*field)();
    }
    return r->ok() ? 1 : 0;
}

int ReadPageDefaults(Reader* r, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefPageTitle);
    PutWord(&bytes, 0, r->Short());
    PutWord(&bytes, 1, r->Short());
    PutWord(&bytes, 2, r->Bool());
    PutWord(&bytes, 3, r->Bool());
    std::array<char, 31> name{};
    r->Bytes(name.data(), 30);
    PutText(&bytes, 16, 256, name.data());
    return Store(*r, kDefPageTitle, bytes, level);
}

int ReadSwitches(Reader* r, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefSwitches);
    for (uint32_t i = 0; i < 5; ++i) {
        PutWord(&bytes, i, r->Bool());
    }
    r->Long();
    r->Long();
    PutWord(&bytes, 5, r->Bool());
    PutWord(&bytes, 6, r->Short());
    PutWord(&bytes, 7, r->Bool());
    r->Long();
    r->Long();
    return Store(*r, kDefSwitches, bytes, level);
}

int ReadOccSet(Reader* r, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefOccSetOptions);
    for (uint32_t i = 0; i < 6; ++i) {
        PutWord(&bytes, i, r->Short());
    }
    r->Bool();
    PutWord(&bytes, 6, r->Short());
    r->Short();
    r->Bool();
    return Store(*r, kDefOccSetOptions, bytes, level);
}

int ReadMLSettings(Reader* r, uint32_t level)
{
    std::vector<uint8_t> bytes = NewRecord(kDefMLSettings);
    std::vector<char> text(513, 0);
    r->Bytes(text.data(), 256);
    PutText(&bytes, kMLHostOffset, kMLHostSize, text.data());
    PutWord(&bytes, kMLPortOffset / 4, static_cast<int32_t>(r->UShort()));
    r->Bytes(text.data(), 512);
    PutText(&bytes, kMLImageOffset, kMLPathSize, text.data());
    r->Bytes(text.data(), 512);
    PutText(&bytes, kMLRuntimeOffset, kMLPathSize, text.data());
    PutWord(&bytes, kMLLocalOffset / 4, r->Bool());
    return Store(*r, kDefMLSettings, bytes, level);
}

using R = Reader;

}  // namespace

uint32_t OldDefaultsBufferSize()
{
    return kOldBufferSize;
}

int OldReadAttribute(XDR* xdr, int32_t key, uint32_t level)
{
    Reader reader(xdr);
    std::array<int32_t, kDefAttributeWords> words{};
    if (!ReadOldAttribute(&reader, &words)) {
        return 0;
    }
    int32_t property = 0;
    // A well-formed record of a key without a property is read and skipped.
    if (DefKeyToProperty(key, &property) == 0 || property == kDefNoProperty) {
        return 1;
    }
    if (gHeader[0] == 0) {
        words[11] = QXUtil_ConvertCode(words[11], 3, 1);
    }
    std::array<int32_t, kDefAttributeWords> builtin{};
    DefGet(0, static_cast<uint32_t>(property), kDefLevelBuiltin, builtin.data());
    if (std::memcmp(builtin.data(), words.data(), kDefAttributeSize) == 0) {
        return 1;
    }
    return DefSet(0, static_cast<uint32_t>(property), level, words.data(), 0);
}

int OldDefaultsRead(XDR* xdr, uint32_t* word, uint32_t level)
{
    if (word != nullptr) {
        *word = 0;
    }
    if (xdr == nullptr) {
        return 0;
    }
    {
        Reader header(xdr);
        std::array<int32_t, kOldHeaderLongs> longs{};
        for (int32_t& value : longs) {
            value = header.Long();
        }
        if (!header.ok()) {
            return 0;
        }
        gHeader = longs;
    }
    const int32_t version = gHeader[1];
    if (version < 0 || version > kOldNewestVersion) {
        EE_ReportError(kMsgDefaultsVersion);
        return 0;
    }
    int result = 0;
    const int32_t attributeKeys[] = {3, 4, 5, 6, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                     18, 19, 20, 21, 22, 23, 24, 25, 26};
    for (int32_t key : attributeKeys) {
        result = OldReadAttribute(xdr, key, level);
    }
    Reader r(xdr);
    auto fresh = [&r, xdr]() -> Reader& { return r = Reader(xdr); };
    result = Dropped(&fresh(), {&R::Bool, &R::Short, &R::Bool, &R::Bool, &R::Short, &R::Bool, &R::Bool});
    result = ReadWordsRecord(&fresh(), kDefMergeOptions, {&R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool},
                             level);
    result = ReadBrackets(&fresh(), level);
    result = ReadWordsRecord(&fresh(), kDefPageLayout, {&R::Long, &R::Long, &R::Short, &R::Short, &R::Bool, &R::Bool},
                             level);
    result = ReadWordsRecord(&fresh(), kDefRecord1060,
                             {&R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Short, &R::Short}, level);
    result = Dropped(&fresh(), {&R::Short, &R::Bool, &R::Short, &R::Bool, &R::Bool, &R::Long, &R::Long, &R::Long,
                                &R::Long, &R::Long, &R::Long, &R::Long});
    result = Dropped(&fresh(), {&R::Short, &R::Short, &R::Short, &R::Short, &R::Short, &R::Short});
    {
        Reader& d = fresh();
        std::array<char, 11> text{};
        d.Short();
        d.Short();
        d.Bytes(text.data(), 10);
        d.Bytes(text.data(), 10);
        result = d.ok() ? 1 : 0;
    }
    result = Dropped(&fresh(), {&R::Short, &R::Long});
    result = ReadPageDefaults(&fresh(), level);
    result = ReadSwitches(&fresh(), level);
    result = Dropped(&fresh(), {&R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Long, &R::Long});
    result = Dropped(&fresh(), {&R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool,
                                &R::Bool, &R::Bool});
    result = ReadOccSet(&fresh(), level);
    result = Dropped(&fresh(), {&R::Short, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool,
                                &R::Bool, &R::Bool, &R::Bool});
    result = Dropped(&fresh(), {&R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Bool, &R::Short, &R::Long,
                                &R::Long});
    result = Dropped(&fresh(), {&R::Short, &R::Long});
    result = Dropped(&fresh(), {&R::Short, &R::Long});
    result = Dropped(&fresh(), {&R::Bool, &R::Bool, &R::Short, &R::Bool, &R::Bool, &R::Short, &R::Bool, &R::Bool,
                                &R::Bool, &R::Bool, &R::Long, &R::Long});
    result = ReadMLSettings(&fresh(), level);
    const int32_t lastRegionKey = version < 2 ? 77 : 78;
    for (int32_t key = 49; key <= lastRegionKey; ++key) {
        result = OldReadAttribute(xdr, key, level);
    }
    if (gHeader[0] != 0 && version > 0) {
        result = OldReadAttribute(xdr, 88, level);
    }
    return result;
}
