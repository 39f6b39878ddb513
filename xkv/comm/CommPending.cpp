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
COMM_NOT_BUILT(Cmd_ConfirmDone, "Confirm Done")
COMM_NOT_BUILT(Cmd_ConnAttributesDone, "Conn Attributes Done")
COMM_NOT_BUILT(Cmd_DefaultsDone, "Defaults Done")
COMM_NOT_BUILT(Cmd_FileCommand, "File Command")
COMM_NOT_BUILT(Cmd_FindBeginning, "Find Beginning")
COMM_NOT_BUILT(Cmd_FindDone, "Find Done")
COMM_NOT_BUILT(Cmd_FindNext, "Find Next")
COMM_NOT_BUILT(Cmd_FollowReference, "Follow Reference")
COMM_NOT_BUILT(Cmd_GoToReferrer, "Go To Referrer")
COMM_NOT_BUILT(Cmd_GroupDomainDone, "Group Domain Done")
COMM_NOT_BUILT(Cmd_MoveToTextDone, "Move To Text Done")
COMM_NOT_BUILT(Cmd_NodeAttributesDone, "Node Attributes Done")
COMM_NOT_BUILT(Cmd_OpenDialogDone, "Open Dialog Done")
COMM_NOT_BUILT(Cmd_PageAttributesDone, "Page Attributes Done")
COMM_NOT_BUILT(Cmd_PageSetupDone, "Page Setup Done")
COMM_NOT_BUILT(Cmd_PolygonAttributesDone, "Polygon Attributes Done")
COMM_NOT_BUILT(Cmd_PreferencesDone, "Preferences Done")
COMM_NOT_BUILT(Cmd_Revert, "Revert")
COMM_NOT_BUILT(Cmd_RevertDone, "Revert Done")
COMM_NOT_BUILT(Cmd_SaveAsDialogDone, "Save As Dialog Done")
COMM_NOT_BUILT(Cmd_SaveChangesDone, "Save Changes Done")
COMM_NOT_BUILT(Cmd_SelectAllText, "Select All Text")
COMM_NOT_BUILT(Cmd_SelectToBracket, "Select To Bracket")
COMM_NOT_BUILT(Cmd_SelectToDone, "Select To Done")
COMM_NOT_BUILT(Cmd_SizeToModelDone, "Size To Model Done")
COMM_NOT_BUILT(Cmd_SpreadDone, "Spread Done")
COMM_NOT_BUILT(Cmd_TextAttributesDone, "Text Attributes Done")
COMM_NOT_BUILT(Cmd_TextClear, "Text Clear")
COMM_NOT_BUILT(Cmd_TextCopy, "Text Copy")
COMM_NOT_BUILT(Cmd_TextCut, "Text Cut")
COMM_NOT_BUILT(Cmd_TextPaste, "Text Paste")
COMM_NOT_BUILT(Cmd_TextPickCancel, "Text Pick Cancel")
COMM_NOT_BUILT(Cmd_TextPickDone, "Text Pick Done")
COMM_NOT_BUILT(Cmd_WedgeAttributesDone, "Wedge Attributes Done")
// clang-format on
