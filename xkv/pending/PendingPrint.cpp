// Placeholders for the services printing calls in modules not built yet:
// the page selection, the file selector and alerts.

#include <cstdlib>

#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/model/Model.h"
#include "xkv/pending/Pending.h"

namespace {

constexpr HookId kHookPageList = 85;

}  // namespace

uint32_t Comm_GetSelectedPages(uint16_t* count, uint32_t** pages)
{
    *count = 0;
    *pages = nullptr;
    if (Hook_IsRegistered(kHookPageList)) {
        Hook_Fire(kHookPageList, reinterpret_cast<uintptr_t>(count), reinterpret_cast<uintptr_t>(pages));
        return *pages != nullptr ? 1 : 0;
    }
    ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return 1;
    }
    *pages = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t)));
    if (*pages == nullptr) {
        return 0;
    }
    (*pages)[0] = page;
    *count = 1;
    return 1;
}

uint32_t Dialog_SelectFile(const char*, const char*, const char*, char* name, uint32_t, uint32_t* result)
{
    if (name != nullptr) {
        name[0] = '\0';
    }
    if (result != nullptr) {
        *result = 0;
    }
    return 60;
}

uint32_t Dialog_Alert(uint32_t, const char*, uint32_t kind)
{
    return kind == 2 ? 1 : 0;
}
