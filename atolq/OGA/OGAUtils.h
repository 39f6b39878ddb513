// Graph objects of the occurrence-graph tool on the diagram: the graph number
// each node, connector and descriptor region carries in its user data, the
// node labels, the selection tests, descriptors and the clean-up of numbers.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "xkv/types/Types.h"

// User data holding the graph number (4 bytes, big-endian).
inline constexpr uint32_t kOGANumberTag = 0xF90D;

int OGAHasOccGraph(ObjectHandle object);
int OGASetNumber(ObjectHandle object, uint32_t number);
// The number of a node or connector.
int OGAGetNumber(ObjectHandle object, uint32_t* number);
// The number field of any object (the page list keeps the variant in it).
int OGAReadNumberField(ObjectHandle object, uint32_t* number);
int OGAClearNumber(ObjectHandle object);
void OGAClearAll();

int OGAFindNodeOnPage(ObjectHandle page, uint32_t number, ObjectHandle* object);
int OGAFindArcOnPage(ObjectHandle page, uint32_t number, ObjectHandle* object);

// 1 when every selected object carries a graph number and is a node
// (connector); the selection in order either way.
int OGASelectionIsNodes(std::vector<ObjectHandle>* selection);
int OGASelectionIsArcs(std::vector<ObjectHandle>* selection);

// "%ld%c\r%ld:%ld": number, mark (' for 1, " for 0, blank else), a, b.
void OGASetLabel(ObjectHandle node, long number, long mark, long a, long b);

std::vector<uint32_t> OGAPredecessorArcs(ObjectHandle node);
std::vector<uint32_t> OGASuccessorArcs(ObjectHandle node);

int OGAFindDescriptor(ObjectHandle object, ObjectHandle* region);
void OGAToggleDescriptor(ObjectHandle object);
// "Toggle Descriptor" on the selection.
void OGAToggleSelectionDescriptors();
void OGAPasteCleanup(std::span<const ObjectHandle> objects);

// Rows 52 to 55 of the evaluator's function table.
void OGAInstallTableRows();
