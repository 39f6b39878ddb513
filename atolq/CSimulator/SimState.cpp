// The interactive simulator's flags and the current activity.
#include "atolq/CSimulator/SimState.h"

#include <utility>
#include <vector>

#include "xkv/kv/QXStr.h"

namespace {

struct Piece {
    uint32_t page;
    uint32_t object;
};

struct SimFlags {
    uint32_t activity = kSActivityNone;
    int reswitchNeeded = 0;
    int stateInvalid = 0;
    int rxlMode = 0;
    int pasteState = 2;
    std::vector<Piece> pieces;
    uint16_t currentPiece = 0;
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

uint32_t SCurrentActivity()
{
    return Flags().activity;
}

void SEnterActivity(uint32_t code)
{
    Flags().activity = code;
}

bool SActivityIsIdle()
{
    return Flags().activity == kSActivityIdle || Flags().activity == kSActivityAutomaticOnly;
}

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

void SSetRXLMode(int flag)
{
    Flags().rxlMode = flag != 0 ? 1 : 0;
}

int SInRXLMode()
{
    return Flags().rxlMode;
}

void SSetPasteState(int enabled)
{
    Flags().pasteState = enabled == 1 ? 1 : 2;
}

int SPasteEnabled()
{
    return Flags().pasteState;
}

void SDropPieces()
{
    Flags().pieces.clear();
    Flags().currentPiece = 0;
}

bool SHasPieces()
{
    return !Flags().pieces.empty();
}
