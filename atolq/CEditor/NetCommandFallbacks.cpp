// Editor services that the copies and selection descriptions call and whose
// full forms come with the creation commands. Each lives in this archive
// member alone with its kind, so that a program that links the full forms
// never takes these: the hierarchy page look-up, the start of text editing,
// and the interactive creation, which reports that it is not available and
// makes nothing.
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/comm/Comm.h"
#include "xkv/types/Types.h"

uint32_t PG_GetHierarchyPage();
void GE_BeginTextEdit();
void EE_StartCreation(int16_t cursor, const void* defaultRecord);

uint32_t PG_GetHierarchyPage()
{
    return PGFindHierarchyPage();
}

void GE_BeginTextEdit()
{
    constexpr int32_t kCommandTextMode = 801;
    if (Comm_InTextMode() == 0)
        GE_DoCommand(kCommandTextMode);
}

void EE_StartCreation(int16_t, const void*)
{
    GE_ReportNotBuilt("Creating");
}
