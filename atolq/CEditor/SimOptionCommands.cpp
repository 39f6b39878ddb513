// The Set menu's simulation option commands. Each runs the simulator's
// dialog; on "OK" the diagram is marked modified, the record is stored with
// the diagram's options and installed in the abstract simulator.
#include "atolq/CEditor/SimOptionCommands.h"

#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/NetServices.h"
#include "atolq/CSimulator/SimGraphics.h"
#include "atolq/CSimulator/SimOptionDialogs.h"
#include "atolq/CSimulator/SimRXLOptionsDialog.h"
#include "atolq/CSimulator/SimStatus.h"
#include "xkv/kv/QXStr.h"

void EE_RunOptions()
{
    SRunOptions record{};
    if (SRunOptionsDialog(&record) == 0)
        return;
    QXStr_SetModified(1);
    // The diagram keeps the five-state word with the chosen mode recorded;
    // the simulator gets the settled word.
    SOptionChange(&record[0], SChosenRunMode());
    DefCopyRunOptions(record.data(), nullptr);
    SRunOptions installed = record;
    SOptionRead(&installed[0], &SRunModeValue());
    ASSetRunOptions(installed.data());
    if (GE_GetMode() != kGEModeSimulator)
        return;
    // The status line follows the new time and step settings.
    const int previous = EE_BeginBusy("Installing New Values");
    SShowStatus(nullptr, kSTimeRefreshed, kSStepRefreshed);
    EE_EndBusy(previous);
}

void EE_DisplayOptions()
{
    SInteractiveOptions record{};
    if (SInteractiveOptionsDialog(&record) == 0)
        return;
    QXStr_SetModified(1);
    DefCopyInteractiveOptions(record.data(), nullptr);
    ASSetDisplayOptions(record.data());
    // The open pages show their simulation regions as the options now say.
    if (GE_GetMode() == kGEModeSimulator)
        SShowOpenPages();
}

void EE_OccSetOptions()
{
    SOccSetOptions record{};
    if (SOccSetOptionsDialog(&record) == 0)
        return;
    QXStr_SetModified(1);
    DefCopyRecord1067(record.data(), nullptr);
    ASSetSimOptions(record.data());
}

void EE_RXLOptions()
{
    SRXLOptions record{};
    if (SRXLOptionsDialog(&record) == 0)
        return;
    QXStr_SetModified(1);
    DefCopyRXLOptions(record.data(), nullptr);
    ASSetRXLOptions(record.data());
}
