// Conversion of user data written on a machine of another byte order or
// text convention: format descriptions, the generic converter and the walk
// over an object's fields after a diagram has been read.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/kv/Hook.h"
#include "xkv/kvud/UserData.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"

namespace {

constexpr HookId kHookConvertUserData = 83;

enum ValueType : uint32_t {
    kByte = 0, kChar = 1, kHalf = 2, kWord = 3, kDouble = 4, kText = 5, kLineText = 6,
    kBool = 7, kPixel = 8, kPointer = 9, kTag = 10,
};

struct TypeName {
    std::string_view name;
    ValueType type;
};

constexpr TypeName kTypeNames[] = {
    {"b", kByte},   {"c", kChar},   {"hw", kHalf},  {"SW", kHalf},  {"npr", kHalf},  {"w", kWord},
    {"CD", kWord},  {"HD", kWord},  {"LW", kWord},  {"SZ", kWord},  {"fw", kWord},   {"fpr", kWord},
    {"d", kDouble}, {"fd", kDouble}, {"s", kText},  {"sc", kLineText}, {"BL", kBool}, {"PX", kPixel},
    {"PR", kPointer}, {"pu", kTag},
};

bool LeastFirst(uint32_t cls)
{
    return cls == 0 || cls == 3;
}

uint8_t LineEndChar(uint32_t cls)
{
    return cls <= 1 ? 13 : 10;
}

uint32_t FixedSize(ValueType type, uint32_t cls)
{
    switch (type) {
    case kByte: case kChar: return 1;
    case kHalf: case kBool: return 2;
    case kWord: case kPixel: case kPointer: return 4;
    case kDouble: return 8;
    case kTag: return cls <= 1 ? 2 : 4;
    default: return 0;
    }
}

uint64_t ReadUnsigned(const uint8_t* at, uint32_t size, bool leastFirst)
{
    uint64_t value = 0;
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t index = leastFirst ? size - 1 - i : i;
        value = value << 8 | at[index];
    }
    return value;
}

void WriteUnsigned(uint8_t* at, uint32_t size, uint64_t value, bool leastFirst)
{
    for (uint32_t i = 0; i < size; ++i) {
        uint32_t index = leastFirst ? i : size - 1 - i;
        at[index] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A text of type 6 in the destination's line-end convention.
std::string ConvertLines(std::string_view text, uint32_t from, uint32_t to)
{
    if (from == to) {
        return std::string(text);
    }
    std::string out;
    const uint8_t sourceEnd = LineEndChar(from);
    for (char c : text) {
        auto byte = static_cast<uint8_t>(c);
        if (from == 0 && byte == 13) {
            continue;  // the line feed of the pair stands for the line end
        }
        if (byte == sourceEnd) {
            if (to == 0) {
                out += "\r\n";
            } else {
                out += static_cast<char>(LineEndChar(to));
            }
        } else {
            out += c;
        }
    }
    return out;
}

// One element of the plan: where it lies in the source and its sizes.
struct Element {
    ValueType type;
    uint32_t sourceOffset;
    uint32_t sourceSize;
    uint32_t destinationSize;
};

struct Item {
    ValueType type;
    uint32_t first;  // index of its first element
    uint32_t count;
};

struct Plan {
    std::vector<Element> elements;
    uint32_t sourceTotal = 0;
    uint32_t destinationTotal = 0;
};

class FormatParser {
public:
    FormatParser(const UDConversion& conversion, Plan* plan) : c_(conversion), plan_(plan) {}

    uint32_t Run()
    {
        if (c_.format == nullptr) {
            return kConvertFormatError;
        }
        std::string_view format(c_.format);
        while (!format.empty()) {
            if (format.front() == ',') {
                format.remove_prefix(1);
                continue;
            }
            if (uint32_t result = ParseItem(&format); result != kConvertOk) {
                return result;
            }
        }
        return plan_->sourceTotal == c_.sourceSize ? kConvertOk : kConvertSizeMismatch;
    }

private:
    static std::optional<uint64_t> Number(std::string_view* text)
    {
        size_t digits = 0;
        while (digits < text->size() && (*text)[digits] >= '0' && (*text)[digits] <= '9') {
            ++digits;
        }
        if (digits == 0 || digits > 11) {
            return digits == 0 ? std::nullopt : std::optional<uint64_t>(UINT64_MAX);
        }
        uint64_t value = 0;
        for (size_t i = 0; i < digits; ++i) {
            value = value * 10 + static_cast<uint64_t>((*text)[i] - '0');
        }
        text->remove_prefix(digits);
        return value;
    }

    // The type name at the start of the text, grown one character at a
    // time until it is a known name; the text is left after it.
    static std::optional<ValueType> TypeOf(std::string_view* text)
    {
        if (text->size() >= 2 && (*text)[0] == 's' && (*text)[1] == 'c') {
            text->remove_prefix(2);
            return kLineText;
        }
        for (size_t length = 1; length <= text->size() && length <= 3; ++length) {
            for (const TypeName& name : kTypeNames) {
                if (name.name == text->substr(0, length)) {
                    text->remove_prefix(length);
                    return name.type;
                }
            }
        }
        return std::nullopt;
    }

    // The value of element m of item n, for a repeat count.
    std::optional<uint64_t> ReferencedValue(uint64_t n, uint64_t m)
    {
        const std::vector<Element>& elements = plan_->elements;
        if (m == 0) {
            return std::nullopt;
        }
        uint64_t index = 0;
        if (n == 0) {
            // The item itself: an element already read.
            index = current_.first + m - 1;
            if (index >= elements.size()) {
                return std::nullopt;
            }
        } else {
            if (n > items_.size()) {
                return std::nullopt;
            }
            const Item& item = items_[n - 1];
            if (m > item.count) {
                return std::nullopt;
            }
            index = item.first + m - 1;
        }
        const Element& element = elements[index];
        if (element.type != kChar && element.type != kHalf && element.type != kWord) {
            return std::nullopt;
        }
        return ReadUnsigned(c_.source + element.sourceOffset, element.sourceSize, LeastFirst(c_.sourceClass));
    }

    // Adds one element at the current source offset; false when the source
    // has no room for it.
    bool AddElement(ValueType type)
    {
        uint32_t offset = plan_->sourceTotal;
        uint32_t left = c_.sourceSize - offset;
        uint32_t sourceSize = FixedSize(type, c_.sourceClass);
        uint32_t destinationSize = FixedSize(type, c_.destinationClass);
        if (type == kText || type == kLineText) {
            const void* zero = std::memchr(c_.source + offset, 0, left);
            if (zero == nullptr) {
                return false;
            }
            sourceSize = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - (c_.source + offset)) + 1;
            destinationSize = sourceSize;
            if (type == kLineText) {
                std::string_view text(reinterpret_cast<const char*>(c_.source + offset), sourceSize);
                destinationSize = static_cast<uint32_t>(ConvertLines(text, c_.sourceClass, c_.destinationClass).size());
            }
        }
        if (sourceSize > left || uint64_t{plan_->destinationTotal} + destinationSize > UINT32_MAX) {
            return false;
        }
        plan_->elements.push_back({type, offset, sourceSize, destinationSize});
        plan_->sourceTotal += sourceSize;
        plan_->destinationTotal += destinationSize;
        return true;
    }

    uint32_t ParseItem(std::string_view* format)
    {
        std::string_view& text = *format;
        std::optional<uint64_t> n = Number(&text);
        bool untilEnd = false;
        bool fromData = false;
        uint64_t m = 1;
        uint64_t k = 0;
        if (!text.empty() && text[0] == '.') {
            text.remove_prefix(1);
            std::optional<uint64_t> element = Number(&text);
            if (!element || text.empty() || text[0] != '*') {
                return kConvertFormatError;
            }
            text.remove_prefix(1);
            m = *element;
            fromData = true;
            k = Number(&text).value_or(0);
        } else if (!text.empty() && text[0] == 'v') {
            text.remove_prefix(1);
            untilEnd = true;
        } else if (!text.empty() && text[0] == '*') {
            text.remove_prefix(1);
            fromData = true;
            k = Number(&text).value_or(0);
        }
        std::optional<ValueType> type = TypeOf(&text);
        if (!type) {
            return kConvertFormatError;
        }
        current_ = Item{*type, static_cast<uint32_t>(plan_->elements.size()), 0};
        uint64_t count = n.value_or(0) == 0 ? 1 : *n;
        if (fromData) {
            std::optional<uint64_t> value = ReferencedValue(n.value_or(0), m);
            if (!value) {
                return kConvertFormatError;
            }
            count = *value != 0 ? *value : k;
        }
        if (untilEnd) {
            while (plan_->sourceTotal < c_.sourceSize) {
                if (!AddElement(*type)) {
                    return kConvertSizeMismatch;
                }
                ++current_.count;
            }
        } else {
            for (uint64_t i = 0; i < count; ++i) {
                if (!AddElement(*type)) {
                    return kConvertSizeMismatch;
                }
                ++current_.count;
            }
        }
        items_.push_back(current_);
        return kConvertOk;
    }

    const UDConversion& c_;
    Plan* plan_;
    std::vector<Item> items_;
    Item current_{};
};

// One cell of the conversion matrix: converts one element.
void ConvertElement(const UDConversion& c, const Element& element, uint8_t* out)
{
    const uint8_t* in = c.source + element.sourceOffset;
    bool sameOrder = LeastFirst(c.sourceClass) == LeastFirst(c.destinationClass);
    switch (element.type) {
    case kText:
        std::memcpy(out, in, element.sourceSize);
        break;
    case kLineText: {
        std::string text = ConvertLines(std::string_view(reinterpret_cast<const char*>(in), element.sourceSize),
                                        c.sourceClass, c.destinationClass);
        std::memcpy(out, text.data(), text.size());
        break;
    }
    case kTag:
        WriteUnsigned(out, element.destinationSize,
                      ReadUnsigned(in, element.sourceSize, LeastFirst(c.sourceClass)),
                      LeastFirst(c.destinationClass));
        break;
    default:
        std::memcpy(out, in, element.sourceSize);
        if (!sameOrder) {
            for (uint32_t i = 0; i < element.sourceSize / 2; ++i) {
                std::swap(out[i], out[element.sourceSize - 1 - i]);
            }
        }
        break;
    }
}

uint32_t MakePlan(const UDConversion* conversion, Plan* plan)
{
    if (conversion == nullptr || (conversion->source == nullptr && conversion->sourceSize > 0) ||
        conversion->sourceClass > 3 || conversion->destinationClass > 3) {
        return kConvertFormatError;
    }
    return FormatParser(*conversion, plan).Run();
}

struct WalkState {
    UDConvertHandler handler = nullptr;
    bool running = false;
    bool stop = false;
    uint32_t fileCode = kMachineCode;
};

WalkState& State()
{
    static WalkState state;
    return state;
}

uintptr_t ConvertHook(uintptr_t object, uintptr_t page, uintptr_t code, uintptr_t, uintptr_t, uintptr_t)
{
    return UD_ConvertObject(static_cast<ObjectHandle>(object), static_cast<ObjectHandle>(page),
                            static_cast<uint32_t>(code));
}

uint32_t HeaderSize(uint32_t cls)
{
    return cls <= 1 ? 6 : 8;
}

// The length word of a field header in the file's layout.
uint32_t HeaderLength(const uint8_t* header, uint32_t cls)
{
    if (cls == 1) {
        return UD_OldFieldLength(header);
    }
    if (cls == 0) {
        return static_cast<uint32_t>(ReadUnsigned(header + 2, 4, true));
    }
    return static_cast<uint32_t>(ReadUnsigned(header + 4, 4, LeastFirst(cls)));
}

// Copies the object's block out; empty when it has none.
std::vector<uint8_t> CopyBlock(ObjectHandle object)
{
    std::vector<uint8_t> bytes;
    MemHandle block = UD_GetBlock(object);
    if (block == 0) {
        return bytes;
    }
    if (void* data = UD_LockBlock(block); data != nullptr) {
        auto* begin = static_cast<uint8_t*>(data);
        bytes.assign(begin, begin + Mem_Size(block));
        UD_UnlockBlock(block);
    }
    return bytes;
}

}  // namespace

uint32_t UD_ByteOrderClass(uint32_t machineCode)
{
    switch (machineCode) {
    case 0x303: case 0x404: return 0;
    case 0x202: return 1;
    case 0x808: return 3;
    default: return 2;
    }
}

void UD_SetFileMachineCode(uint32_t machineCode)
{
    State().fileCode = machineCode;
}

uint32_t UD_FileMachineCode()
{
    return State().fileCode;
}

void UD_GetByteOrderClasses(uint32_t* fileClass, uint32_t* machineClass)
{
    if (fileClass != nullptr) {
        *fileClass = UD_ByteOrderClass(State().fileCode);
    }
    if (machineClass != nullptr) {
        *machineClass = UD_ByteOrderClass(kMachineCode);
    }
}

uint32_t UD_ConvertedSize(const UDConversion* conversion, uint32_t* size)
{
    if (size == nullptr || conversion == nullptr) {
        return kConvertFormatError;
    }
    if (conversion->sourceClass == conversion->destinationClass) {
        *size = conversion->sourceSize;
        return kConvertOk;
    }
    Plan plan;
    uint32_t result = MakePlan(conversion, &plan);
    if (result == kConvertOk) {
        *size = plan.destinationTotal;
    }
    return result;
}

uint32_t UD_ConvertRecord(const UDConversion* conversion, uint8_t* destination, uint32_t destinationSize)
{
    Plan plan;
    uint32_t result = MakePlan(conversion, &plan);
    if (result != kConvertOk) {
        return result;
    }
    if (destination == nullptr || plan.destinationTotal > destinationSize) {
        return kConvertSizeMismatch;
    }
    uint8_t* out = destination;
    for (const Element& element : plan.elements) {
        ConvertElement(*conversion, element, out);
        out += element.destinationSize;
    }
    return kConvertOk;
}

uint32_t UD_ConvertField(ObjectHandle object, UserDataTag tag, const char* format)
{
    uint32_t length = 0;
    if (!UD_GetFieldSize(object, tag, &length)) {
        return kConvertFormatError;
    }
    std::vector<uint8_t> source(length);
    if (!UD_GetField(object, tag, source.data())) {
        return kConvertLockFailed;
    }
    uint32_t fileClass = 0;
    uint32_t machineClass = 0;
    UD_GetByteOrderClasses(&fileClass, &machineClass);
    UDConversion conversion{source.data(), length, 0, fileClass, machineClass, format};
    uint32_t size = 0;
    if (uint32_t result = UD_ConvertedSize(&conversion, &size); result != kConvertOk) {
        return result;
    }
    std::vector<uint8_t> converted(size);
    if (uint32_t result = UD_ConvertRecord(&conversion, converted.data(), size); result != kConvertOk) {
        return result;
    }
    return UD_SetField(object, tag, converted.data(), size) ? kConvertOk : kConvertNoMemory;
}

void UD_SetConvertHandler(UDConvertHandler handler)
{
    WalkState& state = State();
    if (handler != nullptr) {
        state.handler = handler;
        Hook_Register(kHookConvertUserData, ConvertHook);
        return;
    }
    state.handler = nullptr;
    Hook_Unregister(kHookConvertUserData);
    if (state.running) {
        state.stop = true;
    }
}

uint32_t UD_OldFieldLength(const uint8_t* header)
{
    uint32_t high = uint32_t{header[2]} << 8 | header[3];
    uint32_t low = uint32_t{header[4]} << 8 | header[5];
    return high << 16 | low;
}

uint32_t UD_CheckLayout(ObjectHandle object)
{
    std::vector<uint8_t> block = CopyBlock(object);
    if (block.size() <= 4) {
        return 0;
    }
    uint32_t fileClass = UD_ByteOrderClass(State().fileCode);
    uint32_t header = HeaderSize(fileClass);
    uint64_t offset = 0;
    while (offset < block.size()) {
        if (block.size() - offset < header) {
            return 0;
        }
        uint64_t length = HeaderLength(block.data() + offset, fileClass);
        offset += header + ((length + 3) & ~uint64_t{3});
    }
    return offset == block.size() ? 1 : 0;
}

uint32_t UD_NormalizeLayout(ObjectHandle object)
{
    uint32_t fileClass = UD_ByteOrderClass(State().fileCode);
    uint32_t machineClass = UD_ByteOrderClass(kMachineCode);
    if (!UD_CheckLayout(object)) {
        return 0;
    }
    std::vector<uint8_t> block = CopyBlock(object);
    const uint32_t fromHeader = HeaderSize(fileClass);
    std::vector<uint8_t> out;
    for (size_t offset = 0; offset < block.size();) {
        const uint8_t* header = block.data() + offset;
        UDConversion conversion{header, fromHeader, 0, fileClass, machineClass, "puSZ"};
        uint8_t converted[8] = {};
        if (UD_ConvertRecord(&conversion, converted, sizeof(converted)) != kConvertOk) {
            return 0;
        }
        uint32_t length = HeaderLength(header, fileClass);
        uint32_t padded = UD_PaddedLength(length);
        out.insert(out.end(), converted, converted + sizeof(converted));
        const uint8_t* data = header + fromHeader;
        uint32_t available = static_cast<uint32_t>(block.size() - offset - fromHeader);
        uint32_t copied = std::min(padded, available);
        out.insert(out.end(), data, data + copied);
        out.resize(out.size() + (padded - copied), 0);
        offset += fromHeader + padded;
    }
    if (out == block) {
        return 1;
    }
    if (!UD_ResizeBlock(object, static_cast<uint32_t>(out.size()))) {
        return 0;
    }
    MemHandle handle = UD_GetBlock(object);
    void* data = UD_LockBlock(handle);
    if (data == nullptr) {
        return 0;
    }
    std::memcpy(data, out.data(), out.size());
    UD_UnlockBlock(handle);
    return 1;
}

uintptr_t UD_ConvertObject(ObjectHandle object, ObjectHandle page, uint32_t code)
{
    WalkState& state = State();
    state.running = true;
    state.stop = false;
    if (UD_CheckLayout(object) && UD_NormalizeLayout(object)) {
        std::vector<uint32_t> order;
        // The tags are taken first: a handler may resize or replace the block.
        if (uint32_t length = UD_GetBlockSize(object); length > 0) {
            std::vector<uint8_t> block = CopyBlock(object);
            for (size_t offset = 0; offset + sizeof(UserDataField) <= block.size();) {
                UserDataField field{};
                std::memcpy(&field, block.data() + offset, sizeof(field));
                order.push_back(field.tag);
                offset += sizeof(UserDataField) + UD_PaddedLength(field.length);
            }
        }
        for (uint32_t tag : order) {
            if (state.stop || state.handler == nullptr || UD_GetBlock(object) == 0) {
                break;
            }
            state.handler(object, tag, page, code);
        }
    }
    state.running = false;
    state.stop = false;
    return 1;
}
