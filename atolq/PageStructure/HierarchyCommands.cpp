// What the user does with the hierarchy page: the selected page nodes and
// arcs, deleting pages and relations from it, choosing a page by picking its
// node, and the page numbers kept free for hierarchy pages.
#include <cstring>
#include <vector>

#include "atolq/CEditor/Seams.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "atolq/PageStructure/HierarchySeams.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

namespace {

constexpr int16_t kMsgDeletePages = 11292;
constexpr int16_t kMsgDeleteRelations = 11313;
constexpr int32_t kRegionSubpage = 4099;

void Show(const std::vector<ObjectHandle>& objects)
{
    if (objects.empty()) {
        return;
    }
    if (QXRdAttr_IsGroupSelected() != 0) {
        QXUI_ShowObjects(static_cast<uint32_t>(objects.size()), objects.data());
    } else {
        QXUI_ShowObject(objects.front());
    }
}

// Removes the substitution or invocation of the object behind each label.
void DissolveLabels(const std::vector<ObjectHandle>& labels)
{
    for (ObjectHandle label : labels) {
        if (const ObjectHandle object = PGLabelObject(label); object != 0) {
            GE_RemoveRegionInfo(object, kRegionSubpage);
        }
    }
}

}  // namespace

std::vector<ObjectHandle> PGFilterObjects(const std::vector<ObjectHandle>& objects, int wantHierarchy)
{
    std::vector<ObjectHandle> kept;
    for (ObjectHandle object : objects) {
        if ((PGIsHierarchyObject(object, nullptr) != 0) == (wantHierarchy != 0)) {
            kept.push_back(object);
        }
    }
    return kept;
}

std::vector<ObjectHandle> PGSelectedObjects(int wantHierarchy)
{
    if (wantHierarchy != 0 && !PGIsHierarchyObject(QXStr_GetCurPage(), nullptr)) {
        return {};
    }
    std::vector<ObjectHandle> selected;
    uint16_t count = 0;
    ObjectHandle* array = nullptr;
    if (QXStr_GetCurGroup(&count, &array) != 0 && array != nullptr) {
        selected.assign(array, array + count);
    } else if (const ObjectHandle object = QXStr_GetCurObject(); object != 0) {
        selected.push_back(object);
    }
    if (array != nullptr) {
        QXMem_Free(array);
    }
    return PGFilterObjects(selected, wantHierarchy);
}

std::vector<ObjectHandle> PGSelectedPages()
{
    if (QXStr_GetCurPage() != PGFindHierarchyPage()) {
        return {};
    }
    std::vector<ObjectHandle> selected = PGSelectedObjects(1);
    if (!selected.empty() && QXRdAttr_GetObjectType(selected.front()) == kQXKindNode) {
        for (ObjectHandle& each : selected) {
            each = PGNodePage(each);
        }
    }
    return selected;
}

std::vector<ObjectHandle> PGNodePages(ObjectHandle page)
{
    std::vector<ObjectHandle> pages;
    for (ObjectHandle node : PGObjectList(page, 4)) {
        pages.push_back(PGNodePage(node));
    }
    return pages;
}

ObjectHandle PGPickPage()
{
    return PGNodePage(QXUI_PickObject(kQXKindNode, 0));
}

int PGDeleteSelection()
{
    if (!PGIsHierarchyObject(QXStr_GetCurPage(), nullptr)) {
        return 1;
    }
    const std::vector<ObjectHandle> plain = PGSelectedObjects(0);
    Show(plain);
    const std::vector<ObjectHandle> hierarchy = PGSelectedObjects(1);
    Show(hierarchy);
    if (!hierarchy.empty()) {
        switch (QXRdAttr_GetObjectType(hierarchy.front())) {
        case kQXKindNode: {
            std::vector<ObjectHandle> pages;
            for (ObjectHandle node : hierarchy) {
                if (const ObjectHandle page = PGNodePage(node); page != 0) {
                    pages.push_back(page);
                }
            }
            if (!pages.empty()) {
                if (GE_AskContinue(kMsgDeletePages) == 0) {
                    return 0;
                }
                for (ObjectHandle page : pages) {
                    if (!PGIsHierarchyObject(page, nullptr)) {
                        EE_DeleteNetPage(page);
                    }
                }
            }
            break;
        }
        case kQXKindConnector: {
            if (GE_AskContinue(kMsgDeleteRelations) == 0) {
                return 0;
            }
            for (ObjectHandle arc : hierarchy) {
                DissolveLabels(PGObjectList(arc, 16));
            }
            break;
        }
        case kQXKindRegion: {
            if (GE_AskContinue(kMsgDeleteRelations) == 0) {
                return 0;
            }
            DissolveLabels(hierarchy);
            break;
        }
        default: break;
        }
    }
    for (ObjectHandle object : plain) {
        EE_RemoveNetInfo(object, 1);
    }
    return 0;
}

uintptr_t PGChoosePage(uint32_t menu, uint32_t command, ObjectHandle* page)
{
    if (menu == 2 && command == 211) {
        return 0;
    }
    if (page != nullptr) {
        *page = 0;
    }
    const ObjectHandle hierarchyPage = PGGetHierarchyPage();
    if (hierarchyPage == 0) {
        return 1;
    }
    const ObjectHandle previousPage = QXStr_GetCurPage();
    const ObjectHandle previousObject = QXStr_GetCurObject();
    const bool pickRequest = !(menu == 6 && command == 610);
    if (pickRequest) {
        PGSetStyleUpdate(0);
    }
    uint32_t wasOpen = 0;
    QXStr_IsPageOpen(hierarchyPage, &wasOpen);
    if (previousPage != hierarchyPage) {
        QXStr_SetCurPage(hierarchyPage);
        QXUI_FlushDisplay();
    }
    if (QXText_IsEditing() == 0 && pickRequest) {
        const ObjectHandle picked = PGPickPage();
        if (page != nullptr) {
            *page = picked;
        }
        if (wasOpen == 0) {
            QXStr_ClosePage(hierarchyPage);
        }
        if (previousObject != 0 && QXStr_IsObject(previousObject)) {
            QXStr_SetCurObject(previousObject);
        } else if (previousPage != 0 && QXStr_IsObject(previousPage)) {
            QXStr_SetCurPage(previousPage);
        }
    }
    PGSetStyleUpdate(1);
    return 0;
}

int PGPageNumbers(const uint16_t* attributes, MemHandle* numbers, uint16_t* count, uint32_t* kind)
{
    if (attributes == nullptr || (attributes[0] == 0 && attributes[1] == 0) ||
        attributes[1] >= kPGHierarchyNumber) {
        return 1;
    }
    std::vector<uint16_t> found;
    for (ObjectHandle page : PGObjectList(0, 2)) {
        char name[256] = {};
        uint16_t number = 0;
        if (QXRdAttr_GetObjectType(page) == kQXKindPage &&
            QXRdAttr_GetPageAttr(page, name, &number, nullptr, nullptr, nullptr) != 0) {
            found.push_back(number);
        }
    }
    if (found.empty()) {
        return 1;
    }
    const auto size = static_cast<uint32_t>(found.size() * sizeof(uint16_t));
    const MemHandle block = QXMem_NewHandle(size);
    void* bytes = block != 0 ? QXMem_LockHandle(block) : nullptr;
    if (bytes == nullptr) {
        if (block != 0) {
            QXMem_FreeHandle(block);
        }
        return 1;
    }
    std::memcpy(bytes, found.data(), size);
    QXMem_UnlockHandle(block);
    *numbers = block;
    *count = static_cast<uint16_t>(found.size());
    *kind = 3;
    return 1;
}
