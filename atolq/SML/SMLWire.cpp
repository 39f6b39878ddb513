// Checked readers and writers of request and reply bodies.
#include "atolq/SML/SMLWire.h"

bool SMLWireIn::take(size_t n) {
    if (!ok_ || n > remaining()) {
        ok_ = false;
        return false;
    }
    return true;
}

uint32_t SMLWireIn::u32() {
    if (!take(4)) return 0;
    const uint8_t* p = bytes_.data() + position_;
    position_ += 4;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

Fixed SMLWireIn::px() { return SMLPixelsToFixed(i32()); }

std::string SMLWireIn::bytes(uint32_t n) {
    if (!take(n)) return {};
    std::string text(reinterpret_cast<const char*>(bytes_.data() + position_), n);
    position_ += n;
    return text;
}

std::string SMLWireIn::str() {
    uint32_t n = u32();
    return ok_ ? bytes(n) : std::string();
}

std::vector<uint32_t> SMLWireIn::words(uint32_t n) {
    std::vector<uint32_t> out;
    if (!ok_ || n > remaining() / 4) {
        ok_ = false;
        return out;
    }
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i) out.push_back(u32());
    return out;
}

std::vector<ObjectHandle> SMLWireIn::list() {
    int16_t n = s16();
    if (n < 0) {
        ok_ = false;
        return {};
    }
    return words(static_cast<uint32_t>(n));
}

std::vector<FixPoint> SMLWireIn::pxlist() {
    std::vector<uint32_t> values = words(u32());
    std::vector<FixPoint> points;
    points.reserve(values.size() / 2);
    for (size_t i = 0; i + 1 < values.size(); i += 2)
        points.push_back({SMLPixelsToFixed(static_cast<int32_t>(values[i])),
                          SMLPixelsToFixed(static_cast<int32_t>(values[i + 1]))});
    return points;
}

void SMLWireOut::u32(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value >> 24));
    bytes_.push_back(static_cast<uint8_t>(value >> 16));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
    bytes_.push_back(static_cast<uint8_t>(value));
}

void SMLWireOut::raw(std::string_view bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }

void SMLWireOut::str(std::string_view text) {
    u32(static_cast<uint32_t>(text.size()));
    raw(text);
}

void SMLWireOut::pstr(std::string_view text) {
    str(text);
    bytes_.insert(bytes_.end(), 4 - text.size() % 4, 0);
}

void SMLWireOut::hlist(uint32_t result, uint16_t count, const ObjectHandle* handles) {
    u32(result);
    if (result == 0) return;
    u32(count);
    for (uint16_t i = 0; i < count; ++i) u32(handles[i]);
}
