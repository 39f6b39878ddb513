// Pieces of the net editor's composed texts.
#include "atolq/CEditor/NetTextParts.h"

#include <array>

#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/PageStructure/HierarchySeams.h"

namespace {
constexpr size_t kRefNameSize = 88;
constexpr const char* kNoName = "***";
}  // namespace

std::string EE_NameOrStars(SEHead* record)
{
    const char* name = record != nullptr ? SEGetName(record) : nullptr;
    return name != nullptr && *name != '\0' ? std::string(name) : std::string(kNoName);
}

std::string EE_RefNameText(ObjectHandle object)
{
    std::array<char, kRefNameSize> buffer{};
    if (object == 0 || GE_ObjectRefName(object, buffer.data()) == 0)
        return kNoName;
    buffer.back() = '\0';
    return buffer.data();
}

std::vector<void*> EE_ListValues(const LMList* list)
{
    std::vector<void*> values;
    const uint16_t count = list != nullptr ? LMCount(list) : 0;
    for (uint16_t n = 1; n <= count; ++n) {
        void* value = nullptr;
        if (LMNth(list, &value, nullptr, n) != 0 && value != nullptr)
            values.push_back(value);
    }
    return values;
}
