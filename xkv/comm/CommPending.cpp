// Command handlers whose modules are not built yet. Each ends the command it
// belongs to, changes nothing and says so in the status bar. A handler leaves
// this list when the module that does its work arrives.
#include "xkv/comm/Comm.h"
#include "xkv/comm/CommHandlers.h"

#define COMM_NOT_BUILT(name, label) \
    COMM_HANDLER(name) { return Comm_NotBuilt(row, event, nextState, freeFlag, label); }

// clang-format off
COMM_NOT_BUILT(Cmd_AttachToText, "Attach To Text")
COMM_NOT_BUILT(Cmd_BeginTextPick, "Begin Text Pick")
COMM_NOT_BUILT(Cmd_Child, "Child")
COMM_NOT_BUILT(Cmd_Cleanup, "Cleanup")
COMM_NOT_BUILT(Cmd_ClosePage, "Close Page")
COMM_NOT_BUILT(Cmd_ConnAttributesDone, "Conn Attributes Done")
COMM_NOT_BUILT(Cmd_DefaultsDone, "Defaults Done")
COMM_NOT_BUILT(Cmd_DeletePage, "Delete Page")
COMM_NOT_BUILT(Cmd_DeletePageCancel, "Delete Page Cancel")
COMM_NOT_BUILT(Cmd_DeletePageDone, "Delete Page Done")
COMM_NOT_BUILT(Cmd_DeletePagePick, "Delete Page Pick")
COMM_NOT_BUILT(Cmd_FindBeginning, "Find Beginning")
COMM_NOT_BUILT(Cmd_FindDone, "Find Done")
COMM_NOT_BUILT(Cmd_FindNext, "Find Next")
COMM_NOT_BUILT(Cmd_FollowReference, "Follow Reference")
COMM_NOT_BUILT(Cmd_GoToReferrer, "Go To Referrer")
COMM_NOT_BUILT(Cmd_GroupDomainDone, "Group Domain Done")
COMM_NOT_BUILT(Cmd_ImageDone, "Image Done")
COMM_NOT_BUILT(Cmd_LoadImage, "Load Image")
COMM_NOT_BUILT(Cmd_MoveToTextDone, "Move To Text Done")
COMM_NOT_BUILT(Cmd_NewPage, "New Page")
COMM_NOT_BUILT(Cmd_NodeAttributesDone, "Node Attributes Done")
COMM_NOT_BUILT(Cmd_PageAttributesDone, "Page Attributes Done")
COMM_NOT_BUILT(Cmd_PageFile, "Page File")
COMM_NOT_BUILT(Cmd_PageSetupDone, "Page Setup Done")
COMM_NOT_BUILT(Cmd_PageStructure, "Page Structure")
COMM_NOT_BUILT(Cmd_PageStructurePick, "Page Structure Pick")
COMM_NOT_BUILT(Cmd_Parent, "Parent")
COMM_NOT_BUILT(Cmd_PlaceLoadedText, "Place Loaded Text")
COMM_NOT_BUILT(Cmd_PolygonAttributesDone, "Polygon Attributes Done")
COMM_NOT_BUILT(Cmd_PreferencesDone, "Preferences Done")
COMM_NOT_BUILT(Cmd_SelectAllText, "Select All Text")
COMM_NOT_BUILT(Cmd_SelectToBracket, "Select To Bracket")
COMM_NOT_BUILT(Cmd_SelectToDone, "Select To Done")
COMM_NOT_BUILT(Cmd_ShowPage, "Show Page")
COMM_NOT_BUILT(Cmd_SizeToModelDone, "Size To Model Done")
COMM_NOT_BUILT(Cmd_SpreadDone, "Spread Done")
COMM_NOT_BUILT(Cmd_TextAttributesDone, "Text Attributes Done")
COMM_NOT_BUILT(Cmd_TextClear, "Text Clear")
COMM_NOT_BUILT(Cmd_TextCopy, "Text Copy")
COMM_NOT_BUILT(Cmd_TextCut, "Text Cut")
COMM_NOT_BUILT(Cmd_TextFile, "Text File")
COMM_NOT_BUILT(Cmd_TextPaste, "Text Paste")
COMM_NOT_BUILT(Cmd_TextPickCancel, "Text Pick Cancel")
COMM_NOT_BUILT(Cmd_TextPickDone, "Text Pick Done")
COMM_NOT_BUILT(Cmd_WedgeAttributesDone, "Wedge Attributes Done")
COMM_NOT_BUILT(Cmd_Zoom, "Zoom")
// clang-format on
