// Memory for the net editor's strings and small buffers.
#include "atolq/CEditor/EditorMemory.h"

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/QXMem.h"

char* GE_Alloc(uint32_t size)
{
    auto* block = static_cast<char*>(QXMem_Alloc(size == 0 ? 1 : size));
    if (block == nullptr)
        EE_FatalError(kMsgOutOfMemory);
    return block;
}
