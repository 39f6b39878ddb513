// QX printing: pages chosen by the command layer, by a page-number range, by
// handle or by number, printed as one PostScript document.
#include "xkv/kv/QXUI.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "xkv/comm/Comm.h"
#include "xkv/core/Core.h"
#include "xkv/kv/QXInternal.h"
#include "xkv/model/Model.h"
#include "xkv/print/Print.h"

namespace {

// A page whose connectors were rebuilt already.
constexpr uint32_t kFlagRebuilt = 2048;

struct NumberFilter {
    const int32_t* numbers;
    uint32_t count;
    int32_t low;
    int32_t high;
    bool range;
    std::vector<ObjectHandle>* out;
};

KernelStatus CollectNumbered(ObjectHandle page, void* argument)
{
    auto* f = static_cast<NumberFilter*>(argument);
    const auto number = static_cast<int32_t>(Model_GetFieldValue(page, Field::kPageNumber));
    bool wanted = f->range && number >= f->low && number <= f->high;
    for (uint32_t i = 0; !f->range && f->numbers != nullptr && i < f->count; ++i) {
        wanted = wanted || f->numbers[i] == number;
    }
    if (wanted) {
        f->out->push_back(page);
    }
    return kStatusOk;
}

KernelStatus PagesWithNumbers(NumberFilter filter)
{
    return Model_ApplyPages(CollectNumbered, &filter);
}

// The pages the command layer gives the application: its page list, or the
// current page.
KernelStatus ApplicationPages(std::vector<ObjectHandle>* out)
{
    uint16_t count = 0;
    uint32_t* list = nullptr;
    const uint32_t had = Comm_ApplicationPages(&count, &list);
    if (had != 0 && list != nullptr) {
        for (uint16_t i = 0; i < count; ++i) {
            if (Model_IsPage(list[i])) {
                out->push_back(list[i]);
            }
        }
    }
    std::free(list);
    return had != 0 ? kStatusOk : kStatusNoModelMap;
}

KernelStatus SelectPrintPages(int32_t mode, const ObjectHandle* pages, const int32_t* numbers, uint32_t count,
                              std::vector<ObjectHandle>* out)
{
    switch (mode) {
    case 1:
        return ApplicationPages(out);
    case 2:
        if (count != 2 || numbers == nullptr) {
            return kStatusBadContainerArgument;
        }
        return PagesWithNumbers({nullptr, 0, numbers[0], numbers[1], true, out});
    case 3:
        if (pages != nullptr) {
            for (uint32_t i = 0; i < count; ++i) {
                if (!Model_IsPage(pages[i])) {
                    return kStatusNoModelMap;
                }
                out->push_back(pages[i]);
            }
            return kStatusOk;
        }
        return PagesWithNumbers({numbers, count, 0, 0, false, out});
    default:
        return kStatusBadArgument;
    }
}

}  // namespace

uint32_t QXUI_PrintPages(int32_t mode, const ObjectHandle* pages, const int32_t* numbers, uint32_t count)
{
    if (mode == 0) {
        return QXUI_DoCommand(211) != 0 ? 1 : qx::Fail(kStatusFailed);
    }
    std::vector<ObjectHandle> selected;
    if (KernelStatus s = SelectPrintPages(mode, pages, numbers, count, &selected); s != kStatusOk) {
        return qx::Fail(s);
    }
    std::sort(selected.begin(), selected.end(),
              [](ObjectHandle a, ObjectHandle b) { return Model_ComparePageNumbers(a, b) < 0; });
    if (selected.empty()) {
        return 1;
    }
    if (Print_BeginDocument() != kStatusOk) {
        return qx::Fail(kStatusFailed);
    }
    for (ObjectHandle page : selected) {
        if (!Model_HasFlags(page, kFlagRebuilt)) {
            Core_RebuildPageConnectors(page);
        }
        Print_DrawPage(page);
    }
    if (Print_EndDocument() != 0) {
        return qx::Fail(kStatusFailed);
    }
    QXStatus = kStatusOk;
    return 1;
}
