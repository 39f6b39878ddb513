// The mode text of a page: its prime count and the mode attributes that are
// off, then one line for each node that refers to the page with other mode
// attributes than the page's own. The hierarchy page shows it in the mode
// region of the page's node.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorMemory.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetTextParts.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "atolq/Utils/LMList.h"

namespace {


// The mode flags in the order of their letters: I, O, P, R, C.
struct ModeLetter {
    uint32_t bit;
    char letter;
};
constexpr std::array<ModeLetter, 5> kModeLetters = {{{1, 'I'}, {4, 'O'}, {2, 'P'}, {16, 'R'}, {8, 'C'}}};
constexpr uint32_t kAllModeBits = 1 | 2 | 4 | 8 | 16;

// A mode flag is on while its bit in the stored mode word is set.
uint32_t OnFlags(uint32_t modeWord)
{
    return modeWord & kAllModeBits;
}

// "None", nothing when all are on, else "not " and the letters that are off.
std::string FlagsText(uint32_t on)
{
    if (on == 0) {
        return "None";
    }
    if (on == kAllModeBits) {
        return {};
    }
    std::string text = "not ";
    for (const ModeLetter& each : kModeLetters) {
        if ((on & each.bit) == 0) {
            text.push_back(each.letter);
        }
    }
    return text;
}

}  // namespace

std::string EE_PageModeString(ObjectHandle page)
{
    SEHead* record = nullptr;
    if (page == 0 || GE_GetSERecord(page, &record) == 0 || record == nullptr || record->kind != kSEPage) {
        return {};
    }
    auto* net = reinterpret_cast<SEPage*>(record);
    std::string value;
    if (net->primeCount > 1) {
        value = "Prime:" + std::to_string(net->primeCount);
    } else if (net->primeCount == 1) {
        value = "Prime";
    }
    const uint32_t pageOn = OnFlags(net->modeFlags);
    if (pageOn != kAllModeBits) {
        value += (value.empty() ? "" : "\n") + FlagsText(pageOn);
    }
    // Each referring node whose flags differ from the page's gets a line.
    for (LMList* list : {net->superSubstitutions, net->superInvocations}) {
        for (void* each : EE_ListValues(list)) {
            auto* compound = static_cast<SECompound*>(each);
            const uint32_t nodeOn = OnFlags(compound->modeFlags);
            if (nodeOn == pageOn || compound->node == nullptr) {
                continue;
            }
            const bool substitution = compound->node->subKind == kSESubstitution;
            const ObjectHandle nodePage = compound->head.owner != nullptr ? SEGetKVObj(compound->head.owner) : 0;
            if (!value.empty()) {
                value += "\n";
            }
            value += (substitution ? "(" : "[") + EE_NameOrStars(compound->node) + "@" + EE_RefNameText(nodePage) +
                     (substitution ? ") = " : "] = ") + FlagsText(nodeOn);
        }
    }
    return value;
}

void EE_PageModeText(ObjectHandle page, char** text)
{
    *text = nullptr;
    const std::string value = EE_PageModeString(page);
    if (!value.empty()) {
        char* copy = GE_Alloc(static_cast<uint32_t>(value.size() + 1));
        std::memcpy(copy, value.c_str(), value.size() + 1);
        *text = copy;
    }
}
