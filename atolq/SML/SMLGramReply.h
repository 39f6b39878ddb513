// Shared pieces of the numbered requests' handlers: the interface's object
// lists freed on scope exit, argument forms, and the reply shapes.
#pragma once

#include <cstdint>

#include "atolq/SML/SMLWire.h"
#include "xkv/kv/QXMem.h"

namespace sml_gram {

using In = SMLWireIn;
using Out = SMLWireOut;

// An object list of the interface, freed when it goes out of scope.
struct QXList {
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    QXList() = default;
    QXList(const QXList&) = delete;
    QXList& operator=(const QXList&) = delete;
    ~QXList() {
        if (array != nullptr) QXMem_Free(array);
    }
    const ObjectHandle* begin() const { return array; }
    const ObjectHandle* end() const { return array + count; }
};

// Corners a connector holds at most.
inline constexpr uint16_t kConnPointsMax = 61;

inline uint32_t truth(uint32_t value) { return value != 0 ? 1 : 0; }
// A CommandId or menu id: the low 16 bits of the word.
inline uint32_t id16(In& in) { return in.u32() & 0xffffu; }
inline uint32_t word(int32_t value) { return static_cast<uint32_t>(value); }
// A 16-bit mask as the interface receives it: sign-extended.
inline uint32_t mask16(In& in) { return word(in.s16()); }

inline bool reply(Out& out, uint32_t result) {
    out.u32(result);
    return true;
}

// R, then the values only when R is not 0.
template <typename... V>
bool replyWith(Out& out, uint32_t result, V... values) {
    out.u32(result);
    if (result != 0) (out.u32(static_cast<uint32_t>(values)), ...);
    return true;
}

} // namespace sml_gram
