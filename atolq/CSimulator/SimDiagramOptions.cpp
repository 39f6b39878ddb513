// Installs the diagram's simulation options in the abstract simulator: the
// code options, the run options (their five-state mode word settled first),
// the interactive, occurrence-set and analysis options.
#include "atolq/CSimulator/SimDiagramOptions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CSimulator/SimOptionDialogs.h"
#include "atolq/CSimulator/SimStatus.h"

namespace {

// A copy of the property's record, no longer than the defaults hold it.
template <size_t Words>
std::array<int32_t, Words> RecordOf(const void* bytes, uint32_t property)
{
    std::array<int32_t, Words> words{};
    const size_t size = std::min<size_t>(DefPropertySize(property), sizeof words);
    std::memcpy(words.data(), bytes, size);
    return words;
}

}  // namespace

void SApplyDiagramOptions(const void* codeOptions, const void* runOptions, const void* interactiveOptions,
                          const void* occSetOptions, const void* rxlOptions)
{
    if (SECurrentRoot() == nullptr)
        return;
    if (codeOptions != nullptr)
        ASSetCodeGenOptions(RecordOf<11>(codeOptions, kDefCodeOptions).data());
    if (runOptions != nullptr) {
        auto run = RecordOf<44>(runOptions, kDefRunOptions);
        SOptionRead(&run[0], &SRunModeValue());
        ASSetRunOptions(run.data());
    }
    if (interactiveOptions != nullptr)
        ASSetDisplayOptions(RecordOf<4>(interactiveOptions, kDefInteractiveOptions).data());
    if (occSetOptions != nullptr)
        ASSetSimOptions(RecordOf<7>(occSetOptions, kDefOccSetOptions).data());
    if (rxlOptions != nullptr)
        ASSetRXLOptions(RecordOf<64>(rxlOptions, kDefRXLOptions).data());
}

void SApplyDiagramLevelOptions()
{
    const uint32_t properties[] = {kDefCodeOptions, kDefRunOptions, kDefInteractiveOptions, kDefOccSetOptions,
                                   kDefRXLOptions};
    std::array<std::vector<uint8_t>, 5> records;
    for (size_t i = 0; i < records.size(); ++i)
        records[i].assign(DefPropertySize(properties[i]), 0);
    const bool read = DefCopyCodeOptions(nullptr, records[0].data()) != 0 &&
                      DefCopyRunOptions(nullptr, records[1].data()) != 0 &&
                      DefCopyInteractiveOptions(nullptr, records[2].data()) != 0 &&
                      DefCopyRecord1067(nullptr, records[3].data()) != 0 &&
                      DefCopyRXLOptions(nullptr, records[4].data()) != 0;
    if (read)
        SApplyDiagramOptions(records[0].data(), records[1].data(), records[2].data(), records[3].data(),
                             records[4].data());
}
