// Small helpers shared by the net editor's command handlers: kernel object
// lists as vectors and the page and kind checks the commands share.
#pragma once

#include <cstdint>
#include <vector>

#include "xkv/types/Types.h"

// Takes over a QXMem block of count handles (freed here) into a vector.
std::vector<ObjectHandle> GE_TakeHandleList(uint16_t count, ObjectHandle* block);
// The nodes, the connectors, the regions of a page or object, in page order.
std::vector<ObjectHandle> GE_PageNodes(ObjectHandle page);
std::vector<ObjectHandle> GE_PageConnectors(ObjectHandle page);
std::vector<ObjectHandle> GE_ObjectRegions(ObjectHandle object);
std::vector<ObjectHandle> GE_ConnectorsOf(ObjectHandle object);
// The pages of a page command (the current page, or the pages of the page
// nodes selected on the hierarchy page).
std::vector<ObjectHandle> GE_CommandPages();
// True when the page has an open window.
bool GE_PageIsOpen(ObjectHandle page);
// The kernel type bits of an object (4 node, 8 connector, 16 region).
uint32_t GE_KernelType(ObjectHandle object);
// True when text editing is on.
bool GE_TextEditing();
