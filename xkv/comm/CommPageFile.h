// Page files and text files from the command layer: the file dialog of the
// file commands, loading and saving pages (file kind 2) and text files
// (file kind 3), and the page commands that other parts call.
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

using ObjectGroup = uint16_t;  // an object group's number, 0 for none

// Reads the page file (the kind-2 path) into the open diagram and shows its
// pages; out pages receives the group of loaded pages when not null (the
// caller frees it).
KernelStatus Comm_LoadPage(ObjectGroup* pages);
// Writes the pages of the group, or the current page when it is 0, with
// their subpages to the page file; 62 without a current page.
KernelStatus Comm_SavePage(ObjectGroup pages);

// Reads the text file (the kind-3 path) and asks how to place it; the box
// drawn next receives it (Cmd_PlaceLoadedText). 82 for an empty file.
KernelStatus Comm_LoadTextFile(int32_t* nextState);
// Writes the selected object's text to the text file.
KernelStatus Comm_SaveTextFile();

// Scales the page by the factor (Blowup 2.0, Reduce 0.5), keeping text
// editing and the selection handles of the current page in step.
KernelStatus Comm_ZoomPage(ObjectHandle page, Fixed factor);
// The page to show first: the diagram's most recent page, else the page of
// the first open window, else the last page.
ObjectHandle Comm_FirstWindowPage();
