// The paper table, printable sizes and the default page size, and reading
// the print and EPS settings.
#include <array>
#include <cstring>
#include <utility>

#include "xkv/default/Default.h"
#include "xkv/print/Print.h"
#include "xkv/print/PrintInternal.h"

namespace {

struct Paper {
    const char* name;
    int32_t width;
    int32_t height;
};

constexpr std::array<Paper, kPaperCount> kPapers = {{{"Letter", 612, 792},
                                                     {"A4", 597, 842},
                                                     {"Legal", 612, 1008},
                                                     {"B5", 518, 720},
                                                     {"Tabloid", 792, 1224},
                                                     {"B4", 729, 1030},
                                                     {"A3", 842, 1195},
                                                     {"A2", 1195, 1684},
                                                     {"A1", 1684, 2390},
                                                     {"A0", 2390, 3369}}};

constexpr int32_t kMarginWidth = 64;
constexpr int32_t kMarginHeight = 66;

}  // namespace

uint32_t PropertyRecord::Word(size_t offset) const
{
    uint32_t value = 0;
    if (offset + sizeof value <= bytes.size()) {
        std::memcpy(&value, bytes.data() + offset, sizeof value);
    }
    return value;
}

void PropertyRecord::SetWord(size_t offset, uint32_t value)
{
    if (offset + sizeof value <= bytes.size()) {
        std::memcpy(bytes.data() + offset, &value, sizeof value);
    }
}

KernelStatus Print_ReadProperty(uint32_t property, PropertyRecord* out, ObjectHandle owner, uint32_t level)
{
    out->bytes.assign(Default_PropertySize(property), 0);
    if (out->bytes.empty()) {
        return kStatusBadArgument;
    }
    return Default_Get(owner, level, property, out->bytes.data());
}

KernelStatus Print_GetPaperPoints(uint32_t index, int32_t size[2])
{
    if (index >= kPaperCount) {
        return kStatusFailed;
    }
    size[0] = kPapers[index].width;
    size[1] = kPapers[index].height;
    return kStatusOk;
}

const char* Print_GetPaperName(uint32_t index)
{
    return index < kPaperCount ? kPapers[index].name : "Unknown";
}

KernelStatus Print_GetPrintableSize(uint32_t index, int32_t size[2])
{
    KernelStatus status = Print_GetPaperPoints(index, size);
    if (status == kStatusOk) {
        size[0] -= kMarginWidth;
        size[1] -= kMarginHeight;
    }
    return status;
}

KernelStatus Print_GetOrientedPrintableSize(uint32_t index, uint32_t landscape, int32_t size[2])
{
    KernelStatus status = Print_GetPrintableSize(index, size);
    if (status == kStatusOk && landscape == 1) {
        std::swap(size[0], size[1]);
    }
    return status;
}

KernelStatus Print_GetPaperSize(int32_t size[2])
{
    PropertyRecord settings;
    KernelStatus status = Print_ReadProperty(kPropPrint, &settings);
    if (status != kStatusOk) {
        return status;
    }
    status = Print_GetPaperPoints(settings.Word(kPrintPaper), size);
    if (status == kStatusOk && settings.Word(kPrintLandscape) == 1) {
        std::swap(size[0], size[1]);
    }
    return status;
}

KernelStatus Print_SetDefaultPageSize(uint32_t index, uint32_t landscape)
{
    int32_t size[2] = {};
    KernelStatus status = Print_GetOrientedPrintableSize(index, landscape != 0 ? 1 : 0, size);
    if (status != kStatusOk) {
        return status;
    }
    PropertyRecord page;
    status = Print_ReadProperty(kPropPage, &page);
    if (status != kStatusOk) {
        return status;
    }
    page.SetWord(296, static_cast<uint32_t>(size[0]) << 15);
    page.SetWord(300, static_cast<uint32_t>(size[1]) << 15);
    return Default_Set(0, kDefaultLevelNew, kPropPage, page.bytes.data());
}
