// Kernel diagram operations used by the object model's services: model-change
// notification, page numbering, moving an object and freeing connector sets.
// Moving does not yet re-route connectors or redraw: connectors are rebuilt
// and windows repaired by the parts of the core that come with the page
// windows.
#include "xkv/core/Core.h"

#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/window/Window.h"

namespace {

FixPoint lastDisplacement;

void FirePageChanged(ObjectHandle page)
{
    if (Hook_IsRegistered(kHookPageChanged)) {
        Hook_GetHandler(kHookPageChanged)(page, 0, 0, 0, 0, 0);
    }
    Window_SetTitle(page);
}

struct PageByNumber {
    uint32_t number;
    ObjectHandle except1;
    ObjectHandle except2;
    ObjectHandle found;
};

KernelStatus FindPageByNumber(ObjectHandle page, void* argument)
{
    auto* search = static_cast<PageByNumber*>(argument);
    if (page != search->except1 && page != search->except2 &&
        Model_GetFieldValue(page, Field::kPageNumber) == search->number) {
        search->found = page;
        return kStatusFailed;  // stops the walk
    }
    return kStatusOk;
}

ObjectHandle PageWithNumber(uint32_t number, ObjectHandle except1, ObjectHandle except2)
{
    PageByNumber search{number, except1, except2, 0};
    Model_ApplyPages(FindPageByNumber, &search);
    return search.found;
}

KernelStatus Translate(ObjectHandle object, void* argument)
{
    const FixPoint& d = *static_cast<const FixPoint*>(argument);
    FixPoint position{};
    FixRect box{};
    if (Model_GetField(object, Field::kPosition, &position) != kStatusOk ||
        Model_GetField(object, Field::kBox, &box) != kStatusOk) {
        return kStatusOk;
    }
    position.x += d.x;
    position.y += d.y;
    box.left += d.x;
    box.right += d.x;
    box.top += d.y;
    box.bottom += d.y;
    Model_SetField(object, Field::kPosition, &position);
    Model_SetField(object, Field::kBox, &box);
    return kStatusOk;
}

}  // namespace

uintptr_t Core_NotifyModelChanged()
{
    if (!Hook_IsRegistered(kHookModelChanged)) {
        return 0;
    }
    return Hook_GetHandler(kHookModelChanged)(0, 0, 0, 0, 0, 0);
}

KernelStatus Core_SetPageNumber(ObjectHandle page, uint32_t number)
{
    if (!Model_IsPage(page)) {
        return kStatusNotAPage;
    }
    // Push the pages that would clash upward until the next gap.
    uint32_t target = number;
    ObjectHandle clashing = PageWithNumber(target, page, 0);
    while (clashing != 0 && target < UINT32_MAX) {
        ObjectHandle next = PageWithNumber(target + 1, page, clashing);
        Model_SetFieldValue(clashing, Field::kPageNumber, target + 1);
        FirePageChanged(clashing);
        clashing = next;
        target++;
    }
    KernelStatus status = Model_SetFieldValue(page, Field::kPageNumber, number);
    FirePageChanged(page);
    return status;
}

KernelStatus Core_MoveObject(ObjectHandle object, Fixed dx, Fixed dy, uint32_t, uint32_t)
{
    if (!Model_IsObject(object)) {
        return kStatusInvalidObject;
    }
    FixPoint d{dx, dy};
    lastDisplacement = d;
    return Model_WalkTree(1, object, 0xfff, Translate, &d);
}

void Core_GetLastDisplacement(FixPoint* out)
{
    if (out != nullptr) {
        *out = lastDisplacement;
    }
}

void Core_FreeConnectorSets(ConnectorSets* sets)
{
    if (sets == nullptr) {
        return;
    }
    for (GroupNumber& group : sets->groups) {
        Group_Free(group);
        group = 0;
    }
    if ((sets->flags & 16) != 0 && sets->entries != 0) {
        Mem_Free(sets->entries);
        sets->entries = 0;
    }
}
