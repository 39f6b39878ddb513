// The table of the net editor's built command handlers, by menu and command,
// handed to the menu dispatcher when the program starts.
#include "atolq/CEditor/EditorDialogs.h"
#include "atolq/CEditor/MLCommands.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetCreate.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/CEditor/NetObjects.h"
#include "atolq/Chart/ChartDialogs.h"

namespace {

struct NetCommand {
    uint16_t menu;
    int16_t command;
    void (*run)();
};

template <auto Handler>
void Run()
{
    Handler();
}

void CutCommand()
{
    EE_CutCopy(303);
}

void CopyCommand()
{
    EE_CutCopy(304);
}

void ChartAttributesCommand()
{
    EE_ChartAttributes(1);
}

constexpr NetCommand kNetCommands[] = {
    {2, 208, Run<EE_GetInfo>},
    {2, 11263, Run<EE_RunToolExtension>},
    {3, 303, Run<CutCommand>},
    {3, 304, Run<CopyCommand>},
    {3, 305, Run<EE_Paste>},
    {3, 306, Run<EE_Clear>},
    {4, 11450, Run<EE_MakeNodeCommand>},
    {4, 11452, Run<EE_ConvertToAux>},
    {4, 11453, Run<EE_EvaluateMLNode>},
    {4, 11455, Run<EE_StartStopML>},
    {5, 11551, Run<EE_Drag>},
    {5, 11552, Run<EE_HideRegions>},
    {5, 11553, Run<EE_ShowRegions>},
    {6, 602, Run<EE_ZoomInPages>},
    {6, 603, Run<EE_ZoomOutPages>},
    {6, 613, Run<EE_RedrawPages>},
    {6, 11651, Run<EE_OpenPages>},
    {6, 11652, Run<EE_ClosePages>},
    {6, 11653, Run<EE_CenterPages>},
    {7, 706, Run<EE_Duplicate>},
    {7, 11751, Run<EE_SelectAllNodes>},
    {7, 11752, Run<EE_SelectAllRegions>},
    {7, 11753, Run<EE_SelectAllConnectors>},
    {7, 11754, Run<EE_SelectFusionSet>},
    {8, 11850, Run<EE_NotImplemented>},
    {8, 11853, Run<EE_SelectAllText>},
    {10100, 10105, Run<EE_CreateDeclNodeCommand>},
    {10100, 10107, Run<ChartOptionsCommand>},
    {10100, 10109, Run<EE_MoveToSubpage>},
    {10100, 10110, Run<EE_ReplaceBySubpageCommand>},
    {10100, 10114, Run<EE_PortCommand>},
    {10100, 10115, Run<EE_PortAssignmentCommand>},
    {10100, 10117, Run<EE_SyntaxCheckMenuCommand>},
    {10200, 10201, Run<EE_TextAttributes>},
    {10200, 10202, Run<EE_GraphicAttributes>},
    {10200, 10203, Run<EE_ShapeAttributes>},
    {10200, 10206, Run<EE_PageAttributes>},
    {10200, 10209, Run<ChartAttributesCommand>},
    {10200, 10212, Run<EE_InteractionOptions>},
    {10200, 10215, Run<EE_TextOptions>},
    {10200, 10224, Run<EE_MLOptions>},
    {10200, 10226, Run<EE_CopyDefaults>},
};

// Installed before main runs, so that every pick finds the table.
[[maybe_unused]] const bool installed = (GE_SetNetCommandRunner(EE_RunNetCommand), true);

}  // namespace

bool EE_RunNetCommand(uint16_t menu, int16_t command)
{
    for (const NetCommand& row : kNetCommands) {
        if (row.menu == menu && row.command == command) {
            row.run();
            return true;
        }
    }
    return false;
}
