// Command handlers whose modules are not built yet. Each ends the command it
// belongs to, changes nothing and says so in the status bar. A handler leaves
// this list when the module that does its work arrives.
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"

#define COMM_NOT_BUILT(name, label) \
    COMM_HANDLER(name) { return Comm_NotBuilt(row, event, nextState, freeFlag, label); }

// clang-format off
COMM_NOT_BUILT(Cmd_Child, "Child")
COMM_NOT_BUILT(Cmd_Cleanup, "Cleanup")
COMM_NOT_BUILT(Cmd_ClosePage, "Close Page")
COMM_NOT_BUILT(Cmd_DeletePage, "Delete Page")
COMM_NOT_BUILT(Cmd_DeletePageCancel, "Delete Page Cancel")
COMM_NOT_BUILT(Cmd_DeletePageDone, "Delete Page Done")
COMM_NOT_BUILT(Cmd_DeletePagePick, "Delete Page Pick")
COMM_NOT_BUILT(Cmd_ImageDone, "Image Done")
COMM_NOT_BUILT(Cmd_LoadImage, "Load Image")
COMM_NOT_BUILT(Cmd_NewPage, "New Page")
COMM_NOT_BUILT(Cmd_PageFile, "Page File")
COMM_NOT_BUILT(Cmd_PageSetupDone, "Page Setup Done")
COMM_NOT_BUILT(Cmd_PageStructure, "Page Structure")
COMM_NOT_BUILT(Cmd_PageStructurePick, "Page Structure Pick")
COMM_NOT_BUILT(Cmd_Parent, "Parent")
COMM_NOT_BUILT(Cmd_PlaceLoadedText, "Place Loaded Text")
COMM_NOT_BUILT(Cmd_ShowPage, "Show Page")
COMM_NOT_BUILT(Cmd_TextFile, "Text File")
COMM_NOT_BUILT(Cmd_Zoom, "Zoom")
// clang-format on
