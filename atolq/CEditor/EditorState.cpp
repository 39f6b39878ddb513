// The net editor's process-wide state and the version table (see EditorState.h).
#include "atolq/CEditor/EditorState.h"

#include <string_view>

namespace {

struct EditorState {
    int16_t mode = 0;
    int16_t createKind = kGECreateNone;
    uint32_t currentDiagram = 0;
    uint32_t stateFlags = kGEInitialStateFlags;
    uint32_t selectionType = 4;
    uint32_t errorCount = 0;
    uint32_t textEditObject = 0;
    uint32_t pendingRegionObject = 0;
    uint32_t pendingRegionKind = 0;
    uint16_t dialogArgs[2] = {0, 0};
    LMList* stepElements = nullptr;
    uint32_t deferredObject = 0;
    uint32_t deferredArg = 0;
};

EditorState state;

constexpr uint32_t kKeyRegionBit = 0x10000000;
constexpr int kUnknownVersion = static_cast<int>(kGEVersionNames.size());

// Index of the version in the table; the table's size when unknown, 0 for null.
int VersionPosition(const char* version)
{
    if (version == nullptr)
        return 0;
    for (size_t i = 0; i < kGEVersionNames.size(); ++i)
        if (std::string_view(version) == kGEVersionNames[i])
            return static_cast<int>(i);
    return kUnknownVersion;
}

}  // namespace

void GE_SetMode(int16_t mode) { state.mode = mode; }
int16_t GE_GetMode() { return state.mode; }

void GE_SetCreateKind(int16_t kind) { state.createKind = kind; }
int16_t GE_GetCreateKind() { return state.createKind; }

void GE_SetCurrentDiagram(uint32_t diagram) { state.currentDiagram = diagram; }
uint32_t GE_GetCurrentDiagram() { return state.currentDiagram; }

void GE_SetTextEditObject(uint32_t object) { state.textEditObject = object; }
uint32_t GE_GetTextEditObject() { return state.textEditObject; }

void GE_SetPendingRegion(uint32_t object, uint32_t regionKind)
{
    state.pendingRegionObject = object;
    state.pendingRegionKind = regionKind;
}

uint32_t GE_GetPendingRegion(uint32_t* object)
{
    if (object != nullptr)
        *object = state.pendingRegionObject;
    return state.pendingRegionKind;
}

void GE_SetDialogArgs(uint16_t first, uint16_t second)
{
    state.dialogArgs[0] = first;
    state.dialogArgs[1] = second;
}

void GE_GetDialogArgs(uint16_t* first, uint16_t* second)
{
    if (first != nullptr)
        *first = state.dialogArgs[0];
    if (second != nullptr)
        *second = state.dialogArgs[1];
}

void GE_SetStepElements(LMList* elements) { state.stepElements = elements; }
LMList* GE_GetStepElements() { return state.stepElements; }

void GE_SetDeferredArg(uint32_t argument) { state.deferredArg = argument; }
uint32_t GE_GetDeferredArg() { return state.deferredArg; }

uint32_t GE_SetDeferredObject(uint32_t object)
{
    state.deferredObject = object;
    return object;
}

uint32_t GE_GetDeferredObject() { return state.deferredObject; }

void GE_SetErrorCount(uint32_t count) { state.errorCount = count; }
uint32_t GE_GetErrorCount() { return state.errorCount; }

void GE_SetSelectionType(uint32_t type) { state.selectionType = type; }
uint32_t GE_GetSelectionType() { return state.selectionType; }

void GE_SetStateFlags(uint32_t bits) { state.stateFlags |= bits; }
void GE_ClearStateFlags(uint32_t bits) { state.stateFlags &= ~bits; }
uint32_t GE_GetStateFlags() { return state.stateFlags; }
int GE_TestStateFlags(uint32_t bits) { return (state.stateFlags & bits) != 0 ? 1 : 0; }

int GE_IsKnownVersion(const char* version)
{
    return version != nullptr && VersionPosition(version) != kUnknownVersion ? 1 : 0;
}

int GE_CompareVersions(const char* a, const char* b)
{
    return VersionPosition(a) - VersionPosition(b);
}

int16_t GE_RegionKindIndex(uint32_t regionKind)
{
    uint32_t kind = regionKind & ~kKeyRegionBit;
    if ((regionKind & kKeyRegionBit) != 0)
        kind += 1;
    uint32_t secondByte = (((kind >> 8) & 0xFF) - 0x10) & 0xFF;
    kind = (kind & ~0xFF00u) | (secondByte << 8);
    return static_cast<int16_t>(kind & 0xFFFF);
}
