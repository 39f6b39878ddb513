// The static command table: every (state, event) the command layer knows,
// with its handler. Sorted at start-up; listed here by state.
#include "xkv/comm/CommHandlers.h"
#include "xkv/comm/CommTable.h"

#include <array>

namespace {

// clang-format off
std::array<CommandBinding, 244> gStaticTable = {{
    {1, 2, 12, Cmd_PickItem, 0, 0, 0, 0},
    {2, 6, 257, Cmd_Finish, 0, 0, 0, 0},
    {3, 2, 16, Cmd_GroupRectDone, 0, 0, 0, 0},
    {4, 2, 9998, Cmd_AlignBottomToBottom, 0, 0, 0, 0},
    {5, 2, 9998, Cmd_AlignBottomToTop, 0, 0, 0, 0},
    {6, 2, 9998, Cmd_AlignCenter, 0, 0, 0, 0},
    {7, 2, 9998, Cmd_AlignHorizontal, 0, 0, 0, 0},
    {8, 2, 9998, Cmd_AlignLeftToLeft, 0, 0, 0, 0},
    {9, 2, 9998, Cmd_AlignLeftToRight, 0, 0, 0, 0},
    {10, 2, 9998, Cmd_AlignRightToLeft, 0, 0, 0, 0},
    {11, 2, 9998, Cmd_AlignRightToRight, 0, 0, 0, 0},
    {12, 2, 9998, Cmd_AlignTopToBottom, 0, 0, 0, 0},
    {13, 2, 9998, Cmd_AlignTopToTop, 0, 0, 0, 0},
    {14, 2, 9998, Cmd_AlignVertical, 0, 0, 0, 0},
    {15, 6, 1, Cmd_OpenDialogDone, 0, 0, 0, 0},
    {16, 6, 271, Cmd_SaveChangesDone, 0, 0, 0, 0},
    {17, 6, 1, Cmd_SaveAsDialogDone, 0, 0, 0, 0},
    {18, 2, 10, Cmd_AttachToPage, 0, 0, 0, 0},
    {19, 2, 10, Cmd_AttachToText, 0, 0, 0, 0},
    {20, 2, 10, Cmd_PickObject, 0, 0, 0, 0},
    {20, 2, 6, Cmd_PointerOnObject, 0, 0, 0, 0},
    {20, 9, 0, Cmd_BeginDragWithRegions, 0, 0, 0, 0},
    {20, 2, 14, Cmd_PointInReady, 0, 0, 0, 0},
    {20, 1, 20, Cmd_FileCommand, 0, 0, 0, 0},  // Quit
    {20, 1, 17, Cmd_FileCommand, 0, 0, 0, 0},  // New
    {20, 1, 3, Cmd_FileCommand, 0, 0, 0, 0},  // Close
    {20, 1, 16, Cmd_FileCommand, 0, 0, 0, 0},  // Open...
    {20, 1, 24, Cmd_Save, 0, 0, 0, 0},  // Save
    {20, 1, 65, Cmd_Save, 0, 0, 0, 0},  // Save As...
    {20, 1, 71, Cmd_Revert, 0, 0, 0, 0},  // Revert
    {20, 1, 72, Cmd_OpenPropertyDialog, 20, 291, 0x3e7, 6},  // Get Info
    {20, 1, 122, Cmd_OpenPropertyDialog, 61, 1001, 14, 6},  // Page Setup...
    {20, 1, 73, Cmd_OpenPropertyDialog, 64, 1002, 19, 6},  // Print...
    {20, 1, 75, Cmd_Finish, 0, 0, 0, 0},  // Print Preview
    {20, 1, 123, Cmd_OpenPropertyDialog, 47, 1005, 15, 6},  // Eps Setup...
    {20, 1, 74, Cmd_SaveEps, 0, 0, 0, 0},  // Save Eps...
    {20, 1, 76, Cmd_OpenPropertyDialog, 63, 260, 18, 6},  // Preferences...
    {20, 1, 67, Cmd_TextFile, 0, 0, 0, 0},  // Load Text...
    {20, 1, 68, Cmd_TextFile, 0, 0, 0, 0},  // Save Text...
    {20, 1, 69, Cmd_PageFile, 0, 0, 0, 0},  // Load Page...
    {20, 1, 70, Cmd_PageFile, 0, 0, 0, 0},  // Save Page...
    {20, 1, 77, Cmd_OpenPropertyDialog, 2, 257, 29, 6},
    {20, 1, 127, Cmd_Undo, 0, 0, 0, 0},  // Undo
    {20, 1, 78, Cmd_Cut, 0, 0, 0, 0},  // Cut
    {20, 1, 79, Cmd_Copy, 0, 0, 0, 0},  // Copy
    {20, 1, 80, Cmd_Paste, 0, 0, 0, 0},  // Paste
    {20, 1, 81, Cmd_Clear, 0, 0, 0, 0},  // Clear
    {20, 1, 82, Cmd_SelectAllNodes, 0, 0, 0, 0},  // Select All Nodes
    {20, 1, 83, Cmd_TextCut, 0, 0, 0, 0},
    {20, 1, 84, Cmd_TextCopy, 0, 0, 0, 0},
    {20, 1, 85, Cmd_TextPaste, 0, 0, 0, 0},
    {20, 1, 86, Cmd_TextClear, 0, 0, 0, 0},
    {20, 1, 87, Cmd_SelectAllText, 0, 0, 0, 0},  // Select All Text
    {20, 1, 6, Cmd_BeginConnector, 0, 0, 0, 0},
    {20, 1, 5, Cmd_BeginBox, 0, 0, 0, 0},
    {20, 1, 11, Cmd_BeginBox, 0, 0, 0, 0},
    {20, 1, 7, Cmd_BeginEllipse, 0, 0, 0, 0},
    {20, 1, 9, Cmd_BeginPolygon, 0, 0, 0, 0},
    {20, 1, 10, Cmd_BeginRegularPolygon, 0, 0, 0, 0},
    {20, 1, 12, Cmd_BeginWedge, 0, 0, 0, 0},
    {20, 1, 133, Cmd_BeginLine, 0, 0, 0, 0},
    {20, 1, 66, Cmd_LoadImage, 0, 0, 0, 0},
    {20, 1, 8, Cmd_BeginLabel, 0, 0, 0, 0},
    {20, 1, 4, Cmd_BeginConnector, 0, 0, 0, 0},  // Connector
    {20, 1, 2, Cmd_BeginBox, 0, 0, 0, 0},  // Box
    {20, 1, 22, Cmd_BeginBox, 0, 0, 0, 0},  // RoundedBox
    {20, 1, 14, Cmd_BeginEllipse, 0, 0, 0, 0},  // Ellipse
    {20, 1, 19, Cmd_BeginPolygon, 0, 0, 0, 0},  // Polygon
    {20, 1, 21, Cmd_BeginRegularPolygon, 0, 0, 0, 0},  // Regular Polygon
    {20, 1, 23, Cmd_BeginWedge, 0, 0, 0, 0},  // Wedge
    {20, 1, 131, Cmd_BeginLine, 0, 0, 0, 0},  // Line
    {20, 1, 18, Cmd_LoadImage, 0, 0, 0, 0},  // Load Image...
    {20, 1, 15, Cmd_BeginLabel, 0, 0, 0, 0},  // Label
    {20, 1, 63, Cmd_BeginGesture, 56, 16, 0xfffff, 0x10000},  // Make Region
    {20, 1, 64, Cmd_UnmakeRegion, 0, 0, 0, 0},  // Unmake Region
    {20, 1, 88, Cmd_OpenPropertyDialog, 27, 262, 10, 6},  // Set Attributes...
    {20, 1, 89, Cmd_OpenPropertyDialog, 26, 263, 4, 6},  // Set Conn Attributes...
    {20, 1, 90, Cmd_OpenPropertyDialog, 75, 266, 27, 6},  // Set Wedge Attributes...
    {20, 1, 91, Cmd_OpenPropertyDialog, 62, 269, 16, 6},  // Set Polygon Attributes...
    {20, 1, 46, Cmd_BeginSelect, 0, 0, 0, 0},  // Select
    {20, 1, 36, Cmd_Adjust, 0, 0, 0, 0},  // Adjust
    {20, 1, 135, Cmd_BeginGesture, 99, 97, 63, 0},
    {20, 1, 38, Cmd_BeginGesture, 24, 20, 63, 0x10000},  // Change Shape
    {20, 1, 40, Cmd_BeginDrag, 0, 0, 0, 0},  // Drag
    {20, 1, 92, Cmd_BeginTextPick, 0, 0, 0, 0},
    {20, 1, 39, Cmd_Displace, 0, 0, 0, 0},  // Displace
    {20, 1, 43, Cmd_MoveTo, 0, 0, 0, 0},  // Move To...
    {20, 1, 41, Cmd_HideSubstructure, 0, 0, 0, 0},  // Hide Substructure
    {20, 1, 48, Cmd_ShowSubstructure, 0, 0, 0, 0},  // Show Substructure
    {20, 1, 94, Cmd_NextObject, 0, 0, 0, 0},  // Next Object
    {20, 1, 95, Cmd_PreviousObject, 0, 0, 0, 0},  // Previous Object
    {20, 1, 37, Cmd_BeginGesture, 23, 21, 63, 0x10000},  // Bring Forward
    {20, 1, 47, Cmd_OpenPropertyDialog, 74, 288, 9, 6},  // Set Merge Attributes...
    {20, 1, 42, Cmd_BeginGesture, 57, 17, 63, 0},  // Merge
    {20, 1, 136, Cmd_ToggleVertexHandles, 0, 0, 0, 0},
    {20, 1, 96, Cmd_ShowPage, 0, 0, 0, 0},  // Show Page
    {20, 1, 31, Cmd_Zoom, 0, 0, 0, 0},  // Blowup
    {20, 1, 35, Cmd_Zoom, 0, 0, 0, 0},  // Reduce
    {20, 1, 1, Cmd_NewPage, 0, 0, 0, 0},  // New Page
    {20, 1, 13, Cmd_DeletePage, 0, 0, 0, 0},  // Delete Page...
    {20, 1, 132, Cmd_ClosePage, 0, 0, 0, 0},  // Close Page
    {20, 1, 97, Cmd_OpenPropertyDialog, 59, 270, 12, 6},  // Attributes...
    {20, 1, 32, Cmd_Child, 0, 0, 0, 0},  // Child
    {20, 1, 34, Cmd_Parent, 0, 0, 0, 0},  // Parent
    {20, 1, 100, Cmd_FollowReference, 0, 0, 0, 0},
    {20, 1, 101, Cmd_GoToReferrer, 0, 0, 0, 0},
    {20, 1, 102, Cmd_PageStructure, 0, 0, 0, 0},  // Page Structure...
    {20, 1, 103, Cmd_OpenPropertyDialog, 60, 280, 11, 6},  // Defaults...
    {20, 1, 33, Cmd_Cleanup, 0, 0, 0, 0},  // Cleanup
    {20, 1, 104, Cmd_Regroup, 0, 0, 0, 0},  // Regroup
    {20, 1, 105, Cmd_Ungroup, 0, 0, 0, 0},  // Ungroup
    {20, 1, 27, Cmd_BeginGroupRect, 49, 0, 0, 0},  // Form
    {20, 1, 25, Cmd_BeginGroupRect, 3, 0, 0, 0},  // Add
    {20, 1, 29, Cmd_BeginGroupRect, 79, 0, 0, 0},  // Subtract
    {20, 1, 30, Cmd_BeginGroupRect, 83, 0, 0, 0},
    {20, 1, 106, Cmd_Duplicate, 0, 0, 0, 0},  // Duplicate
    {20, 1, 107, Cmd_OpenPropertyDialog, 77, 281, 24, 6},  // Spread...
    {20, 1, 108, Cmd_Coarsen, 0, 0, 0, 0},  // Coarsen
    {20, 1, 124, Cmd_Refine, 0, 0, 0, 0},  // Refine
    {20, 1, 109, Cmd_Attach, 0, 0, 0, 0},  // Attach
    {20, 1, 111, Cmd_Detach, 0, 0, 0, 0},  // Detach
    {20, 1, 126, Cmd_OpenPropertyDialog, 78, 278, 25, 6},  // Subpage Options...
    {20, 1, 113, Cmd_OpenPropertyDialog, 84, 286, 7, 3},  // Group Domain...
    {20, 1, 114, Cmd_TextOn, 0, 0, 0, 0},  // Turn On
    {20, 1, 115, Cmd_TextOff, 0, 0, 0, 0},  // Turn Off
    {20, 1, 116, Cmd_FitBoxToText, 0, 0, 0, 0},  // Fit Box To Text
    {20, 1, 117, Cmd_OpenPropertyDialog, 80, 274, 26, 3},  // Attributes...
    {20, 1, 118, Cmd_SelectToBracket, 0, 0, 0, 0},  // Select to Matching Bracket
    {20, 1, 125, Cmd_OpenPropertyDialog, 73, 258, 22, 3},  // Select to...
    {20, 1, 119, Cmd_OpenPropertyDialog, 48, 284, 5, 3},  // Find...
    {20, 1, 120, Cmd_FindNext, 0, 0, 0, 0},  // Find Next
    {20, 1, 121, Cmd_FindBeginning, 0, 0, 0, 0},  // Find Begining
    {20, 1, 53, Cmd_BeginGesture, 7, 18, 0xfffff, 0x100},  // Horizontal
    {20, 1, 62, Cmd_BeginGesture, 14, 18, 0xfffff, 0x100},  // Vertical
    {20, 1, 54, Cmd_BeginGesture, 8, 18, 0xfffff, 0x100},  // Left to Left
    {20, 1, 55, Cmd_BeginGesture, 9, 18, 0xfffff, 0x100},  // Left to Right
    {20, 1, 58, Cmd_BeginGesture, 10, 18, 0xfffff, 0x100},  // Right to Left
    {20, 1, 59, Cmd_BeginGesture, 11, 18, 0xfffff, 0x100},  // Right to Right
    {20, 1, 61, Cmd_BeginGesture, 13, 18, 0xfffff, 0x100},  // Top to Top
    {20, 1, 60, Cmd_BeginGesture, 12, 18, 0xfffff, 0x100},  // Top to Bottom
    {20, 1, 51, Cmd_BeginGesture, 5, 18, 0xfffff, 0x100},  // Bottom to Top
    {20, 1, 50, Cmd_BeginGesture, 4, 18, 0xfffff, 0x100},  // Bottom to Bottom
    {20, 1, 52, Cmd_BeginGesture, 6, 18, 0xfffff, 0x100},  // Center
    {20, 1, 49, Cmd_BeginGesture, 21, 18, 0xfffff, 0x100},  // Between
    {20, 1, 56, Cmd_BeginGesture, 66, 18, 0xfffff, 0x100},  // Projection
    {20, 1, 57, Cmd_BeginGesture, 68, 18, 0xfffff, 0x100},  // Radial...
    {21, 2, 9998, Cmd_KeepAndBeginGesture, 22, 19, 0xfffff, 0x100},
    {22, 2, 9998, Cmd_AlignBetween, 0, 0, 0, 0},
    {23, 2, 10, Cmd_BringForwardDone, 0, 0, 0, 0},
    {24, 2, 10, Cmd_ChangeShapeDone, 0, 0, 0, 0},
    {25, 6, 273, Cmd_RevertDone, 0, 0, 0, 0},
    {26, 6, 263, Cmd_ConnAttributesDone, 0, 0, 0, 0},
    {27, 6, 262, Cmd_NodeAttributesDone, 0, 0, 0, 0},
    {28, 2, 16, Cmd_NodeDone, 0, 0, 0, 0},
    {29, 2, 2, Cmd_ConnectorDone, 0, 0, 0, 0},
    {30, 2, 16, Cmd_NodeDone, 0, 0, 0, 0},
    {31, 2, 15, Cmd_LineDone, 0, 0, 0, 0},
    {32, 2, 12, Cmd_PickItem, 0, 0, 0, 0},
    {32, 2, 14, Cmd_PointInItemState, 0, 0, 0, 0},
    {33, 2, 16, Cmd_ImageDone, 0, 0, 0, 0},
    {33, 2, 16, Cmd_ImageDone, 0, 0, 0, 0},
    {33, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {34, 2, 15, Cmd_PolygonDone, 0, 0, 0, 0},
    {35, 2, 15, Cmd_PolygonDone, 0, 0, 0, 0},
    {36, 2, 16, Cmd_NodeDone, 0, 0, 0, 0},
    {37, 2, 16, Cmd_NodeDone, 0, 0, 0, 0},
    {38, 2, 16, Cmd_CoarsenDone, 0, 0, 0, 0},
    {39, 2, 16, Cmd_CoarsenNewNode, 0, 0, 0, 0},
    {40, 2, 14, Cmd_DragPoint, 0, 0, 0, 0},
    {40, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {41, 2, 14, Cmd_DragWithRegionsDone, 0, 0, 0, 0},
    {41, 4, 0, Cmd_DragWithRegionsCancel, 0, 0, 0, 0},
    {42, 2, 10, Cmd_TextPickDone, 0, 0, 0, 0},
    {42, 4, 0, Cmd_TextPickCancel, 0, 0, 0, 0},
    {42, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {43, 2, 14, Cmd_DragDone, 0, 0, 0, 0},
    {43, 4, 0, Cmd_DragCancel, 0, 0, 0, 0},
    {45, 2, 15, Cmd_MoveVertexDone, 0, 0, 0, 0},
    {46, 2, 15, Cmd_MoveShapePointsDone, 0, 0, 0, 0},
    {47, 6, 1005, Cmd_EpsSetupDone, 0, 0, 0, 0},
    {48, 6, 284, Cmd_FindDone, 0, 0, 0, 0},
    {49, 2, 16, Cmd_GroupRectDone, 0, 0, 0, 0},
    {55, 2, 14, Cmd_LabelPointStay, 0, 0, 0, 0},
    {55, 11, 9, Cmd_LabelBox, 0, 0, 0, 0},
    {55, 10, 10, Cmd_LabelDelete, 0, 0, 0, 0},
    {55, 4, 0, Cmd_LabelCancel, 0, 0, 0, 0},
    {55, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {56, 2, 10, Cmd_MakeRegionDone, 0, 0, 0, 0},
    {57, 2, 10, Cmd_MergeDone, 0, 0, 0, 0},
    {58, 2, 10, Cmd_MoveToDone, 0, 0, 0, 0},
    {59, 6, 270, Cmd_PageAttributesDone, 0, 0, 0, 0},
    {60, 6, 280, Cmd_DefaultsDone, 0, 0, 0, 0},
    {61, 6, 1001, Cmd_PageSetupDone, 0, 0, 0, 0},
    {62, 6, 269, Cmd_PolygonAttributesDone, 0, 0, 0, 0},
    {63, 6, 260, Cmd_PreferencesDone, 0, 0, 0, 0},
    {64, 6, 1002, Cmd_PrintDone, 0, 0, 0, 0},
    {66, 2, 9998, Cmd_KeepAndBeginGesture, 67, 19, 0xfffff, 0x100},
    {67, 2, 9998, Cmd_AlignProjection, 0, 0, 0, 0},
    {68, 2, 10, Cmd_OpenPropertyDialog, 69, 295, 21, 3},
    {69, 6, 295, Cmd_Finish, 0, 0, 0, 0},
    {70, 2, 2, Cmd_ReconnectDone, 0, 0, 0, 0},
    {71, 2, 16, Cmd_ResizeDone, 0, 0, 0, 0},
    {72, 2, 10, Cmd_SelectDone, 0, 0, 0, 0},
    {73, 6, 258, Cmd_SelectToDone, 0, 0, 0, 0},
    {74, 6, 288, Cmd_Finish, 0, 0, 0, 0},
    {75, 6, 266, Cmd_WedgeAttributesDone, 0, 0, 0, 0},
    {77, 6, 281, Cmd_SpreadDone, 0, 0, 0, 0},
    {78, 6, 278, Cmd_Finish, 0, 0, 0, 0},
    {79, 2, 16, Cmd_GroupRectDone, 0, 0, 0, 0},
    {80, 6, 274, Cmd_TextAttributesDone, 0, 0, 0, 0},
    {81, 2, 10, Cmd_MoveToTextDone, 0, 0, 0, 0},
    {83, 2, 16, Cmd_GroupRectDone, 0, 0, 0, 0},
    {84, 6, 286, Cmd_GroupDomainDone, 0, 0, 0, 0},
    {85, 6, 287, Cmd_DeletePageDone, 0, 0, 0, 0},
    {86, 2, 10, Cmd_DeletePagePick, 0, 0, 0, 0},
    {86, 4, 0, Cmd_DeletePageCancel, 0, 0, 0, 0},
    {87, 2, 16, Cmd_ResizeDone, 0, 0, 0, 0},
    {88, 2, 16, Cmd_NodeDoneStay, 0, 0, 0, 0},
    {88, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {89, 2, 16, Cmd_NodeDoneStay, 0, 0, 0, 0},
    {89, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {90, 2, 16, Cmd_NodeDoneStay, 0, 0, 0, 0},
    {90, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {91, 2, 15, Cmd_LineDoneKeep, 0, 0, 0, 0},
    {91, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {93, 2, 15, Cmd_PolygonDoneStay, 0, 0, 0, 0},
    {94, 2, 15, Cmd_PolygonDoneStay, 0, 0, 0, 0},
    {94, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {95, 2, 16, Cmd_NodeDoneStay, 0, 0, 0, 0},
    {95, 2, 29, Cmd_WindowPick, 0, 0, 0, 0},
    {96, 2, 2, Cmd_ConnectorDoneKeep, 0, 0, 0, 0},
    {97, 2, 14, Cmd_LabelPoint, 0, 0, 0, 0},
    {97, 11, 9, Cmd_LabelBox, 0, 0, 0, 0},
    {97, 10, 10, Cmd_LabelDelete, 0, 0, 0, 0},
    {97, 4, 0, Cmd_LabelCancel, 0, 0, 0, 0},
    {98, 2, 16, Cmd_PlaceLoadedText, 0, 0, 0, 0},
    {99, 2, 10, Cmd_KeepAndOpenPropertyDialog, 100, 282, 30, 6},
    {100, 6, 282, Cmd_SizeToModelDone, 0, 0, 0, 0},
    {101, 2, 9998, Cmd_PasteKeep, 102, 101, 63, 0},
    {102, 2, 9998, Cmd_PasteDone, 0, 0, 0, 0},
    {103, 6, 273, Cmd_ConfirmDone, 0, 0, 0, 0},
    {104, 2, 10, Cmd_PageStructurePick, 0, 0, 0, 0},
    {105, 2, 16, Cmd_CoarsenDone, 0, 0, 0, 0},
    {kCommStateTableEnd, 0, 0, nullptr, 0, 0, 0, 0},
}};

std::array<CommandBinding, 9> gBaseTable = {{
    {1, 1, -1, Comm_BaseCommand, 0, 0, 0, 0},
    {1, 2, 9998, Comm_BasePick, 0, 0, 0, 0},
    {1, 3, 9998, Comm_Ignore, 0, 0, 0, 0},
    {1, 4, 0, Comm_EndCommand, 0, 0, 0, 0},
    {1, 5, 0, Comm_IgnoreTimer, 0, 0, 0, 0},
    {1, 6, 400, Comm_Ignore, 0, 0, 0, 0},
    {1, 7, 400, Comm_Ignore, 0, 0, 0, 0},
    {1, 9, 0, Comm_Ignore, 0, 0, 0, 0},
    {kCommStateTableEnd, 0, 0, nullptr, 0, 0, 0, 0},
}};
// clang-format on

}  // namespace

std::span<CommandBinding> Comm_StaticTable()
{
    return gStaticTable;
}

std::span<CommandBinding> Comm_BaseTable()
{
    return gBaseTable;
}
