// Creating net objects in two halves: a command records the create kind,
// installs the hook-1 handler that ends the creation and starts the kernel's
// creation gesture with the kind's default shape; when the kernel has made
// the object, the object-created hook gives it its net record. Also the
// conversion of net objects back to auxiliary ones and of regions to nodes.
#include "atolq/CEditor/NetCreate.h"

#include <vector>

#include "atolq/CEditor/Defaults.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"
#include "atolq/CEditor/HookHandlers.h"
#include "atolq/CEditor/KernelCalls.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/CEditor/ModeHooks.h"
#include "atolq/CEditor/NetDispatch.h"
#include "atolq/CEditor/NetRegions.h"
#include "atolq/CEditor/NetCreateSeam.h"
#include "atolq/CEditor/SelectionFilters.h"
#include "atolq/CEditor/SelectionSeam.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/Hook.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUtil.h"

namespace {

constexpr int16_t kMsgPageEmpty = 11307;
constexpr int16_t kMsgHierarchyPage = 11312;
constexpr int16_t kMsgConvertedToAux = 11329;
constexpr int16_t kMsgWrongDialogType = 16430;
constexpr int16_t kMsgRegionCommand = 16423;
constexpr int16_t kMsgUnexpectedCommand = 16424;

constexpr int32_t kCommandEndGroup = 701;
constexpr int32_t kCommandConnector = 401;
constexpr int32_t kCommandText = 409;
constexpr uint32_t kDefaultLevel = 3;

struct CreateKind {
    int16_t kind;
    int32_t key;
    int16_t cursor;
};

constexpr CreateKind kPlace{kGECreatePlace, 3, 3002};
constexpr CreateKind kTransition{kGECreateTransition, 4, 3001};
constexpr CreateKind kArc{kGECreateArc, 5, 3003};
constexpr CreateKind kBarChart{kGECreateBarChart, 95, 3008};
constexpr CreateKind kLineChart{kGECreateLineChart, 95, 3008};
constexpr CreateKind kDeclKinds[] = {
    {kGECreateGlobalDecl, 6, 3006}, {kGECreateTemporaryDecl, 7, 3006}, {kGECreateLocalDecl, 8, 3006}};

// The default record of a key at the level, sized for its property.
std::vector<uint8_t> DefaultRecord(int32_t key)
{
    int32_t property = 0;
    if (DefKeyToProperty(key, &property) == 0)
        return {};
    std::vector<uint8_t> record(DefPropertySize(static_cast<uint32_t>(property)));
    if (record.empty() || DefGetByKey(key, record.data(), kDefaultLevel) == 0)
        return {};
    return record;
}

void StartGesture(const CreateKind& kind, bool endGroup)
{
    if (endGroup && QXRdAttr_IsGroupSelected() != 0)
        GE_DoCommand(kCommandEndGroup);
    const std::vector<uint8_t> record = DefaultRecord(kind.key);
    EE_StartCreation(kind.cursor, record.empty() ? nullptr : record.data());
}

// The kernel repeats a drawing command after it has made its object; that
// command ends here, before a new creation is recorded, so that its end is
// not taken for the end of the new one.
void EndRepeatedCommand()
{
    if (Comm_GetState() != kCommStateReady)
        QXUtil_AbortCommand();
}

int16_t StartCreation(const CreateKind& kind, bool endGroup)
{
    if (QXStr_GetCurPage() == 0)
        return 0;
    EndRepeatedCommand();
    GE_SetCreateKind(kind.kind);
    Hook_Set(kHookCommandEnd, EE_CreationEnded);
    StartGesture(kind, endGroup);
    return 0;
}

bool OnHierarchyPage()
{
    const uint32_t hierarchy = PG_GetHierarchyPage();
    return hierarchy != 0 && QXStr_GetCurPage() == hierarchy;
}

// The selection as a list owned here.
std::vector<uint32_t> Selection()
{
    uint16_t count = 0;
    uint32_t* objects = nullptr;
    if (GE_GetSelection(&count, &objects) == 0 || objects == nullptr)
        return {};
    std::vector<uint32_t> list(objects, objects + count);
    QXMem_Free(objects);
    return list;
}

void NewPlace(uint32_t object)
{
    GE_ApplyDefaultAttributes(kPlace.key, object);
    EE_CreateNetPlace(object);
    GE_BeginTextEdit();
}

void NewTransition(uint32_t object)
{
    GE_ApplyDefaultAttributes(kTransition.key, object);
    EE_CreateNetTrans(object);
    GE_BeginTextEdit();
}

void NewArc(int32_t command, uint32_t object)
{
    if (command != kCommandConnector)
        return;
    Hook_Set(kHookKeyFilter, GE_EditorHookHandler(kHookKeyFilter));
    GE_ApplyDefaultAttributes(kArc.key, object);
    EE_CreateNetArc(object);
}

void NewDeclNode(int16_t kind, uint32_t object)
{
    static constexpr uint16_t kSubKind[] = {1, 3, 2};  // global, temporary, local
    const auto index = static_cast<size_t>(kind - kGECreateGlobalDecl);
    GE_ApplyDefaultAttributes(kDeclKinds[index].key, object);
    const uint32_t page = kind == kGECreateLocalDecl ? QXStr_GetCurPage() : 0;
    EE_CreateDeclNode(object, page, kSubKind[index]);
}

// A region drawn with a shape tool: a code region starts with the frame of
// its code, then it is made as a typed one is.
void NewRegion(uint32_t object)
{
    ObjectHandle owner = 0;
    if (static_cast<int32_t>(GE_GetPendingRegion(&owner)) == kRegionCode)
        QXText_SetText(object, "input ();\noutput ();\naction\n");
    EE_MakePendingRegion(object);
}

// A chart node drawn: its record, and its settings from the chart dialog,
// which deletes the node when it is cancelled; the creation then ends.
void NewChart(int16_t kind, uint32_t object)
{
    GE_ApplyDefaultAttributes(kBarChart.key, object);
    const int made = kind == kGECreateBarChart ? EE_MakeBarChartRecord(object, 1) : EE_MakeLineChartRecord(object, 1);
    if (made != 0 && QXStr_IsObject(object) != 0)
        QXStr_SetCurObject(object);
    EE_CreationEnded(0, 0, 0, 0, 0, 0);
    if (Comm_InTextMode() != 0)
        GE_EndTextEdit();
}

void GiveNetRole(int32_t command, uint32_t object)
{
    const int16_t kind = GE_GetCreateKind();
    switch (kind) {
    case kGECreatePlace: NewPlace(object); break;
    case kGECreateTransition: NewTransition(object); break;
    case kGECreateArc: NewArc(command, object); break;
    case kGECreateRegion:
        // A region typed with the text command is made by the text hook.
        if (command != kCommandText)
            NewRegion(object);
        break;
    case kGECreateGlobalDecl:
    case kGECreateTemporaryDecl:
    case kGECreateLocalDecl: NewDeclNode(kind, object); break;
    case kGECreateBarChart:
    case kGECreateLineChart: NewChart(kind, object); break;
    default: EE_ReportError(kMsgUnexpectedCommand); break;
    }
}

}  // namespace

int16_t EE_CreatePlace()
{
    return StartCreation(kPlace, true);
}

int16_t EE_CreateTransition()
{
    return StartCreation(kTransition, true);
}

int16_t EE_CreateArc()
{
    return StartCreation(kArc, false);
}

int16_t EE_CreateBarChart()
{
    return StartCreation(kBarChart, true);
}

int16_t EE_CreateLineChart()
{
    return StartCreation(kLineChart, true);
}

int16_t EE_CreateDeclNodeCommand()
{
    if (QXStr_GetCurPage() == 0)
        return 0;
    int answer = -1;
    if (EE_AskDeclKind(&answer) == 0)
        return 0;
    EndRepeatedCommand();
    Hook_Set(kHookCommandEnd, EE_CreationEnded);
    if (answer < 0 || answer > 2) {
        EE_ReportError(kMsgWrongDialogType);
        return 0;
    }
    const CreateKind& kind = kDeclKinds[answer];
    GE_SetCreateKind(kind.kind);
    StartGesture(kind, true);
    return 0;
}

void EE_RunCreateCommand(int16_t command)
{
    switch (command) {
    case 10101: EE_CreatePlace(); break;
    case 10102: EE_CreateTransition(); break;
    case 10103: EE_CreateArc(); break;
    default: break;
    }
}

void EE_InstallCreation()
{
    constexpr HookId kHookObjectCreated = 11;
    GE_SetEditorHookHandler(kHookObjectCreated, EE_ObjectCreatedHook);
    GE_SetCreateCommandHandler(EE_RunCreateCommand);
}

void EE_ApplyCommandDefaults(int32_t command, uint32_t object)
{
    struct Row {
        int32_t command;
        int32_t key;
        bool keyFilter;
    };
    static constexpr Row kRows[] = {{401, 18, true},  {402, 19, false}, {403, 20, false}, {404, 21, false},
                                    {405, 22, true},  {406, 22, false}, {407, 24, false}, {418, 88, false}};
    if (command == 409 || command == 420)
        return;
    if (command == 411) {
        EE_ReportError(kMsgRegionCommand);
        return;
    }
    for (const Row& row : kRows) {
        if (row.command != command)
            continue;
        GE_ApplyDefaultAttributes(row.key, object);
        if (row.keyFilter)
            Hook_Set(kHookKeyFilter, GE_EditorHookHandler(kHookKeyFilter));
        if (command >= 402 && command <= 407 && GE_GetTextEditObject() == 0)
            GE_BeginTextEdit();
        return;
    }
    EE_ReportError(kMsgUnexpectedCommand);
}

uintptr_t EE_ObjectCreatedHook(uintptr_t command, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t)
{
    const auto kernelCommand = static_cast<int32_t>(command);
    const uint32_t object = QXStr_GetCurObject();
    if (GE_GetCreateKind() == kGECreateNone)
        EE_ApplyCommandDefaults(kernelCommand, object);
    else if (OnHierarchyPage())
        GE_MessageBox(kMsgConvertedToAux);
    else
        GiveNetRole(kernelCommand, object);
    // A chart whose dialog was cancelled is gone again.
    if (QXStr_IsObject(object) != 0)
        QXStr_SetCurObject(object);
    return 1;
}

int16_t EE_ConvertToAux()
{
    if (OnHierarchyPage()) {
        GE_MessageBox(kMsgHierarchyPage);
        return kMsgHierarchyPage;
    }
    const std::vector<uint32_t> selection = Selection();
    if (selection.empty()) {
        GE_MessageBox(kMsgPageEmpty);
        return kMsgPageEmpty;
    }
    EE_ConvertObjectsToAux(static_cast<uint16_t>(selection.size()), selection.data());
    return 0;
}

// The same command for the modules that turn a selection back into plain
// objects (a declaration node whose text could not be converted): 1 when
// the selection was converted, 0 when the command refused.
int EE_MakeSelectionAuxiliary()
{
    return EE_ConvertToAux() == 0 ? 1 : 0;
}

// A plain region made a free node of its page again, without the marks the
// net editor keeps on regions.
void EE_RegionToNode(uint32_t region)
{
    GE_UnmakeNetRegion(region);
}

int16_t EE_MakeNodeCommand()
{
    const std::vector<uint32_t> selection = Selection();
    if (selection.empty()) {
        GE_MessageBox(kMsgPageEmpty);
        return kMsgPageEmpty;
    }
    EEFilterRecord record;
    uint32_t type = 0, net = 0, graphic = 0;
    if (EQ_MapSpec(static_cast<uint32_t>(selection.size()), selection.data(), EE_FilterMakeNode, &record, &type,
                   &net, &graphic) == 0)
        return record.refusal;
    for (const uint32_t region : selection)
        EE_RegionToNode(region);
    GE_SetSelectionType(kEQTypeNode);
    return 0;
}
