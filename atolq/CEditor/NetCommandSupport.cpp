// Helpers shared by the net editor's command handlers.
#include "atolq/CEditor/NetCommandSupport.h"

#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"

std::vector<ObjectHandle> GE_TakeHandleList(uint16_t count, ObjectHandle* block)
{
    std::vector<ObjectHandle> list;
    if (block != nullptr) {
        list.assign(block, block + count);
        QXMem_Free(block);
    }
    return list;
}

std::vector<ObjectHandle> GE_PageNodes(ObjectHandle page)
{
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    if (QXStr_GetNodeList(page, &count, &block) == 0)
        return GE_TakeHandleList(0, block);
    return GE_TakeHandleList(count, block);
}

std::vector<ObjectHandle> GE_PageConnectors(ObjectHandle page)
{
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    if (QXStr_GetPageConnList(page, &count, &block) == 0)
        return GE_TakeHandleList(0, block);
    return GE_TakeHandleList(count, block);
}

std::vector<ObjectHandle> GE_ObjectRegions(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    if (QXStr_GetRegionList(object, &count, &block) == 0)
        return GE_TakeHandleList(0, block);
    return GE_TakeHandleList(count, block);
}

std::vector<ObjectHandle> GE_ConnectorsOf(ObjectHandle object)
{
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    if (QXStr_GetObjectConnList(object, &count, &block) == 0)
        return GE_TakeHandleList(0, block);
    return GE_TakeHandleList(count, block);
}

std::vector<ObjectHandle> GE_CommandPages()
{
    const ObjectHandle hierarchy = PGFindHierarchyPage();
    if (hierarchy != 0 && QXStr_GetCurPage() == hierarchy)
        return PGSelectedPages();
    uint16_t count = 0;
    uint32_t* block = nullptr;
    if (EE_GetSelectedPages(&count, &block) == 0)
        return GE_TakeHandleList(0, block);
    return GE_TakeHandleList(count, block);
}

bool GE_PageIsOpen(ObjectHandle page)
{
    uint32_t open = 0;
    return QXStr_IsPageOpen(page, &open) != 0 && open != 0;
}

uint32_t GE_KernelType(ObjectHandle object)
{
    return object != 0 ? QXRdAttr_GetObjectType(object) : 0;
}

bool GE_TextEditing()
{
    return Comm_InTextMode() != 0;
}

std::vector<ObjectHandle> EE_CommandSelection()
{
    uint16_t count = 0;
    ObjectHandle* block = nullptr;
    if (QXStr_GetCurGroup(&count, &block) != 0 && count > 0 && block != nullptr)
        return GE_TakeHandleList(count, block);
    GE_TakeHandleList(0, block);
    const ObjectHandle current = QXStr_GetCurObject();
    if (current == 0)
        return {};
    return {current};
}

void EE_SelectCommandObjects(const std::vector<ObjectHandle>& objects)
{
    if (objects.size() == 1)
        QXStr_SetCurObject(objects.front());
    else if (!objects.empty())
        QXStr_SetCurGroup(static_cast<uint32_t>(objects.size()), objects.data());
}
