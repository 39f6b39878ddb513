// The interactive simulator's flags.
#include "atolq/CSimulator/SimState.h"

#include <utility>
#include <vector>

#include "xkv/kv/QXStr.h"

namespace {

struct SimFlags {
    int reswitchNeeded = 0;
    int stateInvalid = 0;
    int pasteState = 2;
};

SimFlags& Flags()
{
    static SimFlags flags;
    return flags;
}

void MarkDiagramModified()
{
    if (QXStr_HasDiagram() != 0)
        QXStr_SetModified(1);
}

}  // namespace

void SSetReswitchNeeded(int flag)
{
    Flags().reswitchNeeded = flag != 0 ? 1 : 0;
    if (flag != 0)
        MarkDiagramModified();
}

int SReswitchNeeded()
{
    return Flags().reswitchNeeded;
}

void SSetStateInvalid(int flag)
{
    Flags().stateInvalid = flag != 0 ? 1 : 0;
    if (flag != 0)
        MarkDiagramModified();
}

int SStateInvalid()
{
    return Flags().stateInvalid;
}

void SSetPasteState(int enabled)
{
    Flags().pasteState = enabled == 1 ? 1 : 2;
}

int SPasteEnabled()
{
    return Flags().pasteState;
}

