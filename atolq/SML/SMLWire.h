// Reading and writing the bodies of the evaluator's numbered, Pantel and
// chart requests: big-endian words, texts counted without padding, padded
// texts, pixel values and object lists. Every read is checked against the
// bytes that remain; a read past the end marks the reader as failed and
// gives zeros, so a handler can read all its arguments and look once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "xkv/types/Types.h"

class SMLWireIn {
public:
    explicit SMLWireIn(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    size_t remaining() const { return bytes_.size() - position_; }
    size_t position() const { return position_; }

    uint32_t u32();
    int32_t i32() { return static_cast<int32_t>(u32()); }
    int16_t s16() { return static_cast<int16_t>(u32() & 0xffffu); }
    // A pixel value as Fixed (one pixel is 0x8000).
    Fixed px();
    // A text counted without padding.
    std::string str();
    // Word n (its low 16 bits as a signed count) and n words; a negative count
    // is malformed.
    std::vector<ObjectHandle> list();
    // Word n and n words, n taken whole.
    std::vector<uint32_t> words(uint32_t n);
    // Word n of coordinate values and n pixel values; n / 2 points.
    std::vector<FixPoint> pxlist();
    // A counted text whose count may be given as the word alone.
    std::string bytes(uint32_t n);

    void fail() { ok_ = false; }

private:
    bool take(size_t n);
    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool ok_ = true;
};

class SMLWireOut {
public:
    void u32(uint32_t value);
    void i32(int32_t value) { u32(static_cast<uint32_t>(value)); }
    // Fixed back to pixels by an arithmetic shift.
    void px(Fixed value) { i32(value >> 15); }
    // Word n and the n bytes, no padding.
    void str(std::string_view text);
    // Word n, the bytes and 1 to 4 padding bytes up to the next multiple of 4 above n.
    void pstr(std::string_view text);
    // A handle list: 0 alone when result is 0, else result, count and handles.
    void hlist(uint32_t result, uint16_t count, const ObjectHandle* handles);
    void raw(std::string_view bytes);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    void clear() { bytes_.clear(); }

private:
    std::vector<uint8_t> bytes_;
};

// Fixed from pixels and back, as the link converts them.
inline Fixed SMLPixelsToFixed(int32_t pixels) { return static_cast<Fixed>(static_cast<uint32_t>(pixels) << 15); }
