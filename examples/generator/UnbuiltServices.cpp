// Services that the net layer's record, region and data base functions call
// but that this headless program does not carry: the hierarchy page, the
// graphic and page-title defaults, dialogs, the declarations, the charts, the
// simulator and the evaluator link. The generator only creates objects,
// links their records and writes the files, so each service here does the
// nothing that fits a net without hierarchy page, evaluator or user:
// no message is asked, no evaluator runs, no dialog is answered.
#include <cstdio>

#include "atolq/AEditor/SEServices.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/Seams.h"
#include "xkv/kv/QXAttr.h"

// ---- reached while the example is built ----

// No hierarchy page is kept: a new page needs no page node.
void PGAddPage(ObjectHandle) {}
// Of the page defaults only the mode switches are applied (the page is in
// the simulation); the kernel's page attributes stay.
void EE_ApplyPageTitle(ObjectHandle page)
{
    EE_ApplyPageModeDefaults(page);
}
// The graphic defaults are not built: regions keep the kernel's attributes.
void GE_ApplyDefaultAttributes(int32_t, ObjectHandle) {}
// There is no evaluator session to prepare.
int SMLSessionInit()
{
    return 0;
}
int SMLSessionReset()
{
    return 0;
}
int SMLIsConnected()
{
    return 0;
}

// The page attributes in the form the editor's page hook uses, read and
// written through the kernel's own calls; sizes pass through unchanged.
uint32_t QXRdAttr_GetPageAttr(ObjectHandle page, char* name, uint32_t* number, Fixed* width, Fixed* height,
                              uint32_t* border)
{
    uint16_t kernelNumber = 0;
    int16_t kernelWidth = 0;
    int16_t kernelHeight = 0;
    const uint32_t result = QXRdAttr_GetPageAttr(page, name, &kernelNumber, &kernelWidth, &kernelHeight, border);
    *number = kernelNumber;
    *width = kernelWidth;
    *height = kernelHeight;
    return result;
}
uint32_t QXWtAttr_SetPageAttr(ObjectHandle page, const char* name, uint32_t number, Fixed width, Fixed height,
                              uint32_t border)
{
    return QXWtAttr_SetPageAttr(page, name, static_cast<uint16_t>(number), static_cast<int16_t>(width),
                                static_cast<int16_t>(height), border);
}

// ---- linked in with the functions used, never reached by the generator ----

void EE_UpdateNetFromObject(ObjectHandle) {}
uintptr_t EE_CreationEnded(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    return 1;
}
int DEMergeNodeText(uint32_t, uint32_t)
{
    return 0;
}
int DEDeleteEntry(SEDeclEntry*)
{
    return 0;
}
ObjectHandle PGFindPageNode(ObjectHandle)
{
    return 0;
}
ObjectHandle PGNodePage(ObjectHandle)
{
    return 0;
}
void PGDropPage(ObjectHandle) {}
void PGPageChanged(ObjectHandle) {}
void PGUpdatePage(ObjectHandle) {}
void PGUpdateNode(ObjectHandle) {}
void PGDropSubpageArc(ObjectHandle) {}
void PGReadOptions(int) {}
void PGSetLayoutOptions(int, int, int32_t, int32_t, uint16_t, uint16_t) {}
int EE_UpdatePageNameRegion(ObjectHandle)
{
    return 0;
}
uint32_t QXWtAttr_SetConnEnds(ObjectHandle, ObjectHandle, ObjectHandle, ObjectHandle, ObjectHandle)
{
    return 1;
}
int EE_SetModeAttributes(ObjectHandle, const uint32_t*)
{
    return 0;
}
void EE_PortText(ObjectHandle, char** text)
{
    *text = nullptr;
}
void EE_FusionText(ObjectHandle, char** text)
{
    *text = nullptr;
}
void EE_HierarchyText(ObjectHandle, char** text)
{
    *text = nullptr;
}
void EE_SetRegionState(ObjectHandle, int32_t, int32_t) {}
int GE_GetSelection(uint16_t* count, uint32_t** objects)
{
    *count = 0;
    *objects = nullptr;
    return 0;
}
void GE_EndTextEdit() {}
int EE_AskBarChart(void*, int)
{
    return 0;
}
int EE_AskLineChart(void*, int)
{
    return 0;
}
int ChartApplyBar(SEHead*, const void*)
{
    return 0;
}
int ChartApplyLine(SEHead*, const void*)
{
    return 0;
}
int EE_BeginBusy(const char*)
{
    return 0;
}
void EE_EndBusy(int) {}
int GE_AskContinue(int16_t)
{
    return 0;
}
void SApplyDiagramOptions(const void*, const void*, const void*, const void*, const void*) {}
int EE_GetWorkingDirectory(char**, uint32_t*)
{
    return 0;
}
void SSetReswitchNeeded(int) {}
