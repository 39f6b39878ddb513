// The table of the net editor's built command handlers, by menu and command,
// handed to the menu dispatcher when the program starts.
#include "atolq/OGA/OGA.h"
#include "atolq/Performance/Perf.h"
#include "atolq/CEditor/AlignCommands.h"
#include "atolq/CEditor/DeclarationCommands.h"
#include "atolq/CEditor/EditorDialogs.h"
#include "atolq/CEditor/HierarchyPageCommands.h"
#include "atolq/CEditor/MLCommands.h"
#include "atolq/CEditor/ModeAttributes.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetCreate.h"
#include "atolq/CEditor/NetHierarchyMenu.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRegionCommands.h"
#include "atolq/CEditor/NetStartup.h"
#include "atolq/CEditor/NewSimCommand.h"
#include "atolq/CEditor/SetMenuOptions.h"
#include "atolq/CEditor/SimOptionCommands.h"
#include "atolq/CEditor/SimulatorEntry.h"
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

void HorizontalSpread()
{
    EE_AlignSpread(true);
}

void VerticalSpread()
{
    EE_AlignSpread(false);
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
    {3, 301, Run<EE_UndoCommand>},
    {4, 11450, Run<EE_MakeNodeCommand>},
    {4, 11452, Run<EE_ConvertToAux>},
    {4, 11451, Run<EE_ConvertToNet>},
    {4, 411, Run<EE_MakeRegionCommand>},
    {4, 11453, Run<EE_EvaluateMLNode>},
    {4, 11455, Run<EE_StartStopML>},
    {5, 11551, Run<EE_Drag>},
    {5, 11552, Run<EE_HideRegions>},
    {5, 11553, Run<EE_ShowRegions>},
    {6, 602, Run<EE_ZoomInPages>},
    {6, 603, Run<EE_ZoomOutPages>},
    {6, 604, Run<EE_NewPage>},
    {6, 613, Run<EE_RedrawPages>},
    {6, 11651, Run<EE_OpenPages>},
    {6, 11652, Run<EE_ClosePages>},
    {6, 11653, Run<EE_CenterPages>},
    {6, 11656, Run<EE_RedrawHierarchy>},
    {7, 706, Run<EE_Duplicate>},
    {7, 11751, Run<EE_SelectAllNodes>},
    {7, 11752, Run<EE_SelectAllRegions>},
    {7, 11753, Run<EE_SelectAllConnectors>},
    {7, 11754, Run<EE_SelectFusionSet>},
    {8, 11850, Run<EE_NotImplemented>},
    {8, 11853, Run<EE_SelectAllText>},
    {9, 914, Run<EE_AlignPosition>},
    {9, 11952, Run<HorizontalSpread>},
    {9, 11953, Run<VerticalSpread>},
    {9, 11954, Run<EE_AlignCircular>},
    {10100, 10105, Run<EE_CreateDeclNodeCommand>},
    {10100, 10104, Run<EE_CreateRegionCommand>},
    {10100, 10107, Run<ChartOptionsCommand>},
    {10100, 10109, Run<EE_MoveToSubpage>},
    {10100, 10110, Run<EE_ReplaceBySubpageCommand>},
    {10100, 10114, Run<EE_PortCommand>},
    {10100, 10115, Run<EE_PortAssignmentCommand>},
    {10100, 10112, Run<EE_MakeSubstitution>},
    {10100, 10113, Run<EE_FusionCommand>},
    {5, 515, Run<EE_Merge>},
    {5, 506, Run<EE_MoveToPage>},
    {10200, 10214, Run<EE_MergeOptions>},
    {10100, 10117, Run<EE_SyntaxCheckMenuCommand>},
    {10100, kCmdNewDeclaration, Run<EE_NewDeclarationCommand>},
    {10100, kCmdEditDeclaration, Run<EE_EditDeclarationCommand>},
    {10100, kCmdDeclarationBrowser, Run<EE_DeclarationBrowserCommand>},
    {10100, kCmdConvertDeclarations, Run<EE_ConvertDeclarationsCommand>},
    {10200, 10201, Run<EE_TextAttributes>},
    {10200, 10202, Run<EE_GraphicAttributes>},
    {10200, 10203, Run<EE_ShapeAttributes>},
    {10200, 10206, Run<EE_PageAttributes>},
    {10200, 10207, Run<EE_ModeAttributesCommand>},
    {10200, 10211, Run<EE_HierarchyOptions>},
    {10200, 10209, Run<ChartAttributesCommand>},
    {10200, 10212, Run<EE_InteractionOptions>},
    {10200, 10215, Run<EE_TextOptions>},
    {10200, 10216, Run<EE_SyntaxOptions>},
    {10200, 10218, Run<EE_CodeOptions>},
    {10200, 10224, Run<EE_MLOptions>},
    {10200, 10226, Run<EE_CopyDefaults>},
    {10200, 10219, Run<EE_RunOptions>},
    {10200, 10220, Run<EE_DisplayOptions>},
    {10200, 10221, Run<EE_OccSetOptions>},
    {10200, 10228, Run<EE_RXLOptions>},
    {2, 11250, Run<EE_EnterSimulatorCommand>},
    {2, 11258, Run<EE_EnterOccGraphCommand>},
    {2, 11259, Run<EE_EnterOEOSGraphCommand>},
    {10100, 10119, Run<EE_RemoveSimRegionsCommand>},
    {10200, 10204, Run<EE_RegionAttributes>},
    {2, 11264, Run<EE_EnterNewSim>},
    {2, 11262, Run<EE_EnterPerfCommand>},
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
