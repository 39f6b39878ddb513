// Table calls of the evaluator: a row of the function table with up to five
// typed arguments, each input, output or both, and a typed result. The rows
// are a table of functions; a row whose function is not there refuses.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "atolq/SML/SMLStream.h"

inline constexpr uint32_t kSMLTableRows = 56;
inline constexpr uint32_t kSMLTableSlots = 6;

// Slot modes and types as they travel.
enum : uint32_t { kSlotIn = 1, kSlotOut = 2, kSlotInOut = 3, kSlotResult = 4 };
enum : uint32_t {
    kSlotInt = 1,
    kSlotHeapString = 2,
    kSlotShort = 3,
    kSlotNothing = 4,
    kSlotShort5 = 5,
    kSlotKernelString6 = 6,
    kSlotKernelString7 = 7,
    kSlotBlock = 8
};

// One argument or the result. Numbers live in value, texts in text, blocks
// (and output blocks of the size asked for) in block.
struct SMLSlot {
    uint32_t mode = 0;
    uint32_t type = 0;
    int32_t value = 0;
    std::string text;
    std::vector<uint8_t> block;
};

// One call as a row sees it. Slots that the call does not carry are absent:
// their accessors fail, so a row refuses a call that lacks its arguments.
class SMLTableCall {
public:
    uint32_t row = 0;
    uint32_t count = 0;
    std::array<SMLSlot, kSMLTableSlots> slots{};

    // Input numbers (types 1, 3, 5; shorts sign-extended from 16 bits).
    bool number(uint32_t slot, int32_t* value) const;
    // Input texts (types 2, 6, 7) or blocks (type 8).
    bool text(uint32_t slot, std::string_view* value) const;
    // Output number cells and output blocks.
    bool setNumber(uint32_t slot, int32_t value);
    // Output text cells (types 2, 6, 7).
    bool setText(uint32_t slot, std::string_view value);
    std::vector<uint8_t>* outBlock(uint32_t slot);
    // The result in slot 0.
    void result(int32_t value) { slots[0].value = value; }
    void resultText(std::string_view value) { slots[0].text = value; }

private:
    bool carries(uint32_t slot, bool input) const;
};

// Slot types that carry a text.
inline bool SMLIsTextType(uint32_t type) {
    return type == kSlotHeapString || type == kSlotKernelString6 || type == kSlotKernelString7;
}

// A row: false refuses the call (its arguments do not fit the row).
using SMLTableRow = bool (*)(SMLTableCall& call);

// Binds a row to its function (the net layer binds its rows).
void SMLSetTableRow(uint32_t row, SMLTableRow function);

// Reads one call after its opcode: 1 read (call filled; refused set when the
// call is well formed but cannot be served), 0 when its layout cannot be read.
int SMLReadTableCall(SMLStream* in, SMLTableCall* call, bool* refused);
// Runs the call's row; false when the row refuses or is not there.
bool SMLRunTableCall(SMLTableCall& call);
// Writes opcode 5 and the answer slots, flushed.
int SMLWriteTableAnswer(SMLStream* out, const SMLTableCall& call);

// The net layer's rows (abstract-net records travel as their ids).
void SMLInstallNetTableRows();
