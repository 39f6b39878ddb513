// The page list: an array of all page handles, and the layout of the page
// hierarchy (subpages under the pages holding the nodes they refine) as a
// tree or as an indented outline for the page structure window.
#pragma once

#include <cstdint>

#include "xkv/text/TextFont.h"
#include "xkv/types/Types.h"

struct PageListEntry {
    ObjectHandle page;
    int32_t parent;      // entry index, -1 for none
    int32_t next;        // next sibling entry, -1 for none
    int32_t firstChild;  // -1 for none
    uint16_t depth;      // 0 for a top-level page
    uint16_t order;      // place within its depth row, from 1
    Fixed x;
    Fixed y;
    uint16_t characters;  // characters of the page name to show
    uint16_t unused;
};

enum PageLayoutMode : uint32_t {
    kPageLayoutTree = 0,
    kPageLayoutOutline = 1,
};

using PageListCallback = KernelStatus (*)(const PageListEntry* entry, void* argument);

MemHandle PageList_Collect(uint32_t* count);
KernelStatus PageList_GetPages(uint32_t* count, ObjectHandle** pages);
void PageList_FreePages();
KernelStatus PageList_Layout(uint32_t mode, const FontSpec* font, MemHandle* out);
uint32_t PageList_EntryCount(MemHandle entries);
KernelStatus PageList_Lock(MemHandle entries, PageListEntry** out);
KernelStatus PageList_Unlock(MemHandle entries);
KernelStatus PageList_Free(MemHandle entries);
KernelStatus PageList_GetEntry(MemHandle entries, uint32_t index, PageListEntry* out);
KernelStatus PageList_Walk(MemHandle entries, PageListCallback callback, void* argument);
