// Property dialogs: opening a dialog on the values of a default property (of
// the current page, of the selection or of the stored defaults) and the
// answers that apply what was set to the page or the selection, store it as
// the diagram's defaults, or act on it (spread, size to model).
#include "xkv/comm/CommProperties.h"

#include <algorithm>
#include <cstring>

#include "xkv/comm/Comm.h"
#include "xkv/comm/CommEvents.h"
#include "xkv/comm/CommHandlers.h"
#include "xkv/comm/CommInternal.h"
#include "xkv/core/Core.h"
#include "xkv/default/Default.h"
#include "xkv/dialog/Dialog.h"
#include "xkv/group/Group.h"
#include "xkv/kv/Hook.h"
#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/select/Select.h"
#include "xkv/text/Text.h"
#include "xkv/undo/Undo.h"
#include "xkv/window/Window.h"

namespace {

constexpr int32_t kNoProperty = 999;
constexpr uint32_t kDiagramLevel = kDefaultLevelNew;
constexpr size_t kUnknownPropertyBlock = 1024;

constexpr uint32_t kPropGroupDomain = 7;
constexpr uint32_t kPropPolygon = 16;
constexpr uint32_t kPropPreferences = 18;
constexpr uint32_t kPropSpread = 24;
constexpr uint32_t kPropSizeToModel = 30;

// Attribute numbers of the records' words (changed byte i is word 24 + 4i).
constexpr size_t kAttributeCount = 24;
constexpr uint32_t kMixed = 0xFFFFFFFFu;

// Wedge record: start and end angle.
constexpr size_t kWedgeStartWord = 32;
constexpr size_t kWedgeEndWord = 36;
constexpr uint32_t kShapeWedge = 8;

// Preferences: the scroll-to-selection switch.
constexpr size_t kScrollWord = 28;
// Spread: horizontally, vertically. Size to model: width, height.
constexpr size_t kFirstSwitch = 24;
constexpr size_t kSecondSwitch = 28;
constexpr uint16_t kFewestToSpread = 3;

using Record = std::vector<uint8_t>;

uint32_t WordAt(const Record& record, size_t offset)
{
    uint32_t value = 0;
    if (offset + sizeof value <= record.size()) {
        std::memcpy(&value, record.data() + offset, sizeof value);
    }
    return value;
}

void PutWord(Record& record, size_t offset, uint32_t value)
{
    if (offset + sizeof value <= record.size()) {
        std::memcpy(record.data() + offset, &value, sizeof value);
    }
}

// Properties whose values are an object's own attributes, read at level 0
// from the selection: those whose apply and mixed words the defaults table
// marks (the page property aside, which the current page gives).
bool IsObjectProperty(uint32_t property)
{
    return Default_PropertyFlag1(property) != 0 && property != kPropPage;
}

// The stored defaults of the property (the diagram's, else the user's or the
// built-in ones), zero-filled when none can be read.
Record StoredRecord(uint32_t property, uint32_t level)
{
    Record record(Default_PropertySize(property), 0);
    if (!record.empty() && Default_Get(0, level, property, record.data()) != kStatusOk) {
        std::fill(record.begin(), record.end(), 0);
    }
    return record;
}

// Words that differ between two attribute records become "mixed" (-1): the
// dialog shows them empty or unchosen and writes them only when set.
void MarkDifferences(Record& merged, const Record& other)
{
    for (size_t offset = kChangedBytes + 8; offset + 4 <= merged.size() && offset + 4 <= other.size(); offset += 4) {
        if (WordAt(merged, offset) != WordAt(other, offset)) {
            PutWord(merged, offset, kMixed);
        }
    }
}

std::vector<ObjectHandle> SelectedObjects()
{
    std::vector<ObjectHandle> objects;
    const GroupNumber group = Comm_SelectionAsGroup();
    if (group == 0) {
        return objects;
    }
    for (uint16_t i = 0; i < Group_Count(group); ++i) {
        objects.push_back(Group_Member(group, i));
    }
    Group_Free(group);
    return objects;
}

// The current values of an object property: the selected object's, or the
// members' of a selected group with their differences marked mixed; the
// stored defaults when nothing selected has the property.
Record CurrentObjectValues(uint32_t property)
{
    Record values = StoredRecord(property, kDiagramLevel);
    bool first = true;
    for (ObjectHandle object : SelectedObjects()) {
        Record own(values.size(), 0);
        if (Default_Get(object, kDefaultLevelObject, property, own.data()) != kStatusOk) {
            continue;
        }
        if (first) {
            values = own;
            first = false;
        } else {
            MarkDifferences(values, own);
        }
    }
    if (!first) {
        PutWord(values, kPropertyApplyWord, 1);
        PutWord(values, kPropertyMakeDefaultWord, 0);
    }
    return values;
}

Record CurrentPageValues()
{
    Record values = StoredRecord(kPropPage, kDiagramLevel);
    if (const ObjectHandle page = Comm_GetCurrentPage(); page != 0) {
        Record own = values;
        if (Default_Get(page, kDefaultLevelObject, kPropPage, own.data()) == kStatusOk) {
            values = own;
        }
    }
    return values;
}

KernelStatus ToBlock(Record record, MemHandle* out)
{
    *out = 0;
    if (record.empty()) {
        return kStatusBadArgument;
    }
    // Nothing is marked changed when the dialog opens.
    std::fill_n(record.begin(), std::min(record.size(), size_t{kChangedBytes}), 0);
    return Mem_AllocCopy(out, record.data(), record.size());
}

void FreeBlock(MemHandle block)
{
    if (block != 0) {
        Mem_Free(block);
    }
}

}  // namespace

KernelStatus Comm_BuildPropertyBlocks(uint32_t property, MemHandle* values, MemHandle* defaults)
{
    *values = 0;
    *defaults = 0;
    if (Default_PropertySize(property) == 0) {
        // A dialog on a property without stored values (the about box) shows
        // its own texts over an empty record.
        return ToBlock(Record(kUnknownPropertyBlock, 0), values);
    }
    Record current;
    // Attribute dialogs reset to the stored defaults; setting dialogs, whose
    // current values are the stored ones, to the built-in values.
    uint32_t resetLevel = kDefaultLevelBuiltin;
    if (property == kPropPage) {
        current = CurrentPageValues();
        resetLevel = kDiagramLevel;
    } else if (IsObjectProperty(property)) {
        current = CurrentObjectValues(property);
        resetLevel = kDiagramLevel;
    } else {
        current = StoredRecord(property, kDiagramLevel);
    }
    if (KernelStatus status = ToBlock(current, values); status != kStatusOk) {
        return status;
    }
    Record reset = StoredRecord(property, resetLevel);
    if (ToBlock(reset, defaults) != kStatusOk) {
        *defaults = 0;
    }
    return kStatusOk;
}

PropertyAnswer Comm_ReadPropertyAnswer(MemHandle event, uint32_t property)
{
    PropertyAnswer answer;
    CommEventView view;
    if (Comm_ReadEvent(event, &view) != kStatusOk || view.eventClass != kEventClassDialog) {
        return answer;
    }
    const auto block = static_cast<MemHandle>(view.payloadValue);
    uint32_t* words = nullptr;
    if (block == 0 || Mem_Size(block) < 3 * sizeof(uint32_t) || Mem_LockAs(block, &words) != kStatusOk ||
        words == nullptr) {
        return answer;
    }
    answer.button = static_cast<int32_t>(words[1]);
    const MemHandle values = words[2];
    Mem_Unlock(block);
    uint8_t* data = nullptr;
    const uint32_t size = Default_PropertySize(property);
    if (values == 0 || size == 0 || Mem_LockAs(values, &data) != kStatusOk || data == nullptr) {
        return answer;
    }
    answer.values.assign(data, data + std::min<size_t>(Mem_Size(values), size));
    answer.values.resize(size, 0);
    Mem_Unlock(values);
    return answer;
}

uint32_t Comm_PreferencesScrollFlag(const uint8_t* record, size_t size)
{
    uint32_t value = 0;
    if (record != nullptr && kScrollWord + sizeof value <= size) {
        std::memcpy(&value, record + kScrollWord, sizeof value);
    }
    return value != 0 ? 1 : 0;
}

// Opens the row's dialog on the values of its property; the answer comes back
// as a dialog event in the row's next state. When the dialog cannot be built
// or opened the command ends.
KernelStatus Cmd_OpenPropertyDialog(const CommandBinding* row, MemHandle event, int32_t* nextState, int32_t* freeFlag)
{
    if (row->argument == kNoProperty || row->argument < 0) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    MemHandle values = 0;
    MemHandle defaults = 0;
    if (Comm_BuildPropertyBlocks(static_cast<uint32_t>(row->argument), &values, &defaults) != kStatusOk) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    int32_t item = 0;
    MemHandle result = 0;
    const int32_t depth = Dialog_Depth();
    if (Dialog_OpenRecord(row->number, defaults, values, 0, 0, &item, &result) != kStatusOk) {
        // A dialog that opened owns the blocks even when the gesture change
        // failed; one that did not open gave nothing up.
        if (Dialog_Depth() <= depth) {
            FreeBlock(values);
            FreeBlock(defaults);
        }
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    *nextState = row->nextState;
    return kStatusOk;
}

KernelStatus Cmd_KeepAndOpenPropertyDialog(const CommandBinding* row, MemHandle event, int32_t* nextState,
                                           int32_t* freeFlag)
{
    if (Comm_PushArgument(event) == 0) {
        *freeFlag = 0;
    }
    return Cmd_OpenPropertyDialog(row, event, nextState, freeFlag);
}

namespace {

// The changes a record stores as defaults: every attribute it shows, except
// the two switches and the words mixed across a group. The page property
// keeps its name as attribute 2 and its words 288 to 304 as attributes 3 to 7.
Record AsDefaults(uint32_t property, Record values)
{
    std::fill_n(values.begin(), std::min(values.size(), size_t{kChangedBytes}), 0);
    auto mark = [&values](size_t attribute, size_t offset) {
        if (attribute < kChangedBytes && attribute < values.size() && offset + 4 <= values.size()) {
            values[attribute] = WordAt(values, offset) == kMixed ? 0 : 1;
        }
    };
    if (property == kPropPage) {
        values[2] = 1;
        for (size_t attribute = 3; attribute <= 7; ++attribute) {
            mark(attribute, kPageRecordNumber + 4 * (attribute - 3));
        }
        return values;
    }
    for (size_t attribute = 2; attribute < kAttributeCount; ++attribute) {
        mark(attribute, kChangedBytes + 4 * attribute);
    }
    return values;
}

// The shared pattern of the page and object attribute answers: the
// make-default switch (cleared on use, turning the apply switch on) stores
// the values as the diagram's defaults; the apply switch has them applied.
template <typename Apply>
KernelStatus ApplyAndStore(uint32_t property, Record& values, Apply apply)
{
    if (WordAt(values, kPropertyMakeDefaultWord) != 0) {
        PutWord(values, kPropertyMakeDefaultWord, 0);
        PutWord(values, kPropertyApplyWord, 1);
        const Record changes = AsDefaults(property, values);
        if (KernelStatus status = Default_Merge(0, kDiagramLevel, property, changes.data()); status != kStatusOk) {
            return status;
        }
    }
    if (WordAt(values, kPropertyApplyWord) != 0) {
        return apply(values);
    }
    return kStatusOk;
}

KernelStatus Store(uint32_t property, const Record& values)
{
    return Default_Set(0, kDiagramLevel, property, values.data());
}

// Runs the answer: Cancel (or an unreadable answer) ends the command; OK
// hands the values to the action, whose failure goes back to the dispatcher.
template <typename Action>
KernelStatus Answer(uint32_t property, const CommandBinding* row, MemHandle event, int32_t* nextState,
                    int32_t* freeFlag, Action action)
{
    PropertyAnswer answer = Comm_ReadPropertyAnswer(event, property);
    if (answer.button != 0 || answer.values.empty()) {
        return Comm_EndCommand(row, event, nextState, freeFlag);
    }
    if (KernelStatus status = action(answer.values); status != kStatusOk) {
        return status;
    }
    return Comm_EndCommand(row, event, nextState, freeFlag);
}

void RefreshHandles()
{
    if (Widget window = Comm_GetCurrentWindow(); window != nullptr) {
        Window_RefreshIndication(window);
    }
}

// The graphic attributes go to the selected node, or to the selected group
// as its domain widens it.
KernelStatus ApplyGraphics(const Record& values)
{
    GroupNumber group = 0;
    if (Select_GetMode() == kSelectGroup) {
        group = Core_ExpandGroup(Select_GetGroup());
    } else {
        group = Comm_SelectionAsGroup();
    }
    if (group == 0) {
        return kStatusOk;
    }
    const KernelStatus status = Core_SetLineAttributesOfGroup(group, values.data());
    Group_Free(group);
    RefreshHandles();
    return status;
}

void ApplyToConnector(ObjectHandle connector, const Record& values)
{
    if (Hook_IsRegistered(7) != 0 && Hook_Fire(7, connector, reinterpret_cast<uintptr_t>(values.data())) == 0) {
        return;
    }
    Core_RedrawObject(connector);
    Default_Set(connector, kDefaultLevelObject, kPropConnector, values.data());
    Text_FitToObject(connector);
    RebuildRequest request{};
    request.kind = kRebuildAttributes;
    Core_RebuildObject(connector, &request);
}

// The connector attributes go to every selected connector and, for a group,
// to the connectors that run between its members.
KernelStatus ApplyConnectors(const Record& values)
{
    for (ObjectHandle object : SelectedObjects()) {
        if (Model_IsConnector(object) != 0) {
            ApplyToConnector(object, values);
        }
    }
    if (Select_GetMode() == kSelectGroup) {
        Core_SetConnectorAttributesOfGroup(Select_GetGroup(), values.data());
    }
    RefreshHandles();
    return kStatusOk;
}

KernelStatus ApplyTextStyle(const Record& values)
{
    for (ObjectHandle object : SelectedObjects()) {
        if (Model_GetFieldValue(object, Field::kText) != 0) {
            Core_SetTextStyle(object, values.data());
        }
    }
    RefreshHandles();
    return kStatusOk;
}

// An angle brought into 0..359.
int32_t NormalAngle(int32_t angle)
{
    const int32_t rest = angle % 360;
    return rest < 0 ? rest + 360 : rest;
}

// Start and end in 0..359, the end made greater than the start.
void NormaliseWedge(Record& values)
{
    const int32_t start = NormalAngle(static_cast<int32_t>(WordAt(values, kWedgeStartWord)));
    int32_t end = NormalAngle(static_cast<int32_t>(WordAt(values, kWedgeEndWord)));
    if (end <= start) {
        end += 360;
    }
    PutWord(values, kWedgeStartWord, static_cast<uint32_t>(start));
    PutWord(values, kWedgeEndWord, static_cast<uint32_t>(end));
}

bool IsChanged(const Record& values, size_t offset)
{
    const size_t index = (offset - kChangedBytes) / 4;
    return index < kChangedBytes && index < values.size() && values[index] != 0;
}

// The angles that were set go to every selected wedge; an angle left alone
// keeps each wedge's own.
KernelStatus ApplyWedges(const Record& values)
{
    const bool startSet = IsChanged(values, kWedgeStartWord);
    const bool endSet = IsChanged(values, kWedgeEndWord);
    if (!startSet && !endSet) {
        return kStatusOk;
    }
    for (ObjectHandle object : SelectedObjects()) {
        if (Model_GetFieldValue(object, Field::kShapeKind) != kShapeWedge) {
            continue;
        }
        Record own = values;
        if (!startSet) {
            PutWord(own, kWedgeStartWord, Model_GetFieldValue(object, Field::kWedgeStart));
        }
        if (!endSet) {
            PutWord(own, kWedgeEndWord, Model_GetFieldValue(object, Field::kWedgeEnd));
        }
        NormaliseWedge(own);
        Core_SetArcAngles(object, own.data());
    }
    RefreshHandles();
    return kStatusOk;
}

KernelStatus ApplyPage(const Record& values)
{
    const ObjectHandle page = Comm_GetCurrentPage();
    if (page == 0) {
        return kStatusOk;
    }
    return Core_SetPageAttributes(page, values.data());
}

KernelStatus ApplyPreferences(const Record& values)
{
    if (KernelStatus status = Store(kPropPreferences, values); status != kStatusOk) {
        return status;
    }
    Core_NotifyModelChanged();
    for (ObjectHandle page = Model_GetFirstPage(); page != 0; page = Model_GetNextSibling(page)) {
        if (Window_OfPage(page) != nullptr) {
            Window_RedrawPage(page, 0);
        }
    }
    Comm_SetScrollToSelection(Comm_PreferencesScrollFlag(values.data(), values.size()));
    return kStatusOk;
}

KernelStatus SpreadSelection(const Record& values)
{
    const bool horizontal = WordAt(values, kFirstSwitch) != 0;
    const bool vertical = WordAt(values, kSecondSwitch) != 0;
    const GroupNumber group = Comm_SelectionAsGroup();
    if (group == 0) {
        return kStatusOk;
    }
    KernelStatus status = kStatusOk;
    if (Group_Count(group) >= kFewestToSpread && (horizontal || vertical)) {
        Undo_Record(kUndoSpread, group);
        if (horizontal) {
            status = Core_SpreadObjects(group, 0);
        }
        if (vertical && status == kStatusOk) {
            status = Core_SpreadObjects(group, 1);
        }
    }
    Group_Free(group);
    RefreshHandles();
    return status;
}

// The model is the object picked before the dialog opened (kept on the
// argument stack); the selection takes its width and/or height.
KernelStatus SizeToModel(const Record& values)
{
    ObjectHandle model = 0;
    if (MemHandle kept = Comm_PopArgument(); kept != 0) {
        EventRec record{};
        if (Comm_CopyEvent(kept, &record)) {
            model = Comm_PickedObject(record);
        }
        Event_Free(kept);
    }
    if (model == 0 || Model_IsObject(model) == 0) {
        return kStatusOk;
    }
    const bool width = WordAt(values, kFirstSwitch) != 0;
    const bool height = WordAt(values, kSecondSwitch) != 0;
    const GroupNumber group = Comm_SelectionAsGroup();
    if (group == 0 || (!width && !height)) {
        Group_Free(group);
        return kStatusOk;
    }
    const auto modelWidth = static_cast<Fixed>(Model_GetFieldValue(model, Field::kWidth));
    const auto modelHeight = static_cast<Fixed>(Model_GetFieldValue(model, Field::kHeight));
    const KernelStatus status = Core_SetGroupSize(group, width ? modelWidth : -1, height ? modelHeight : -1);
    Group_Free(group);
    RefreshHandles();
    return status;
}

}  // namespace

COMM_HANDLER(Cmd_NodeAttributesDone)
{
    return Answer(kPropGraphics, row, event, nextState, freeFlag,
                  [](Record& values) { return ApplyAndStore(kPropGraphics, values, ApplyGraphics); });
}

COMM_HANDLER(Cmd_ConnAttributesDone)
{
    return Answer(kPropConnector, row, event, nextState, freeFlag,
                  [](Record& values) { return ApplyAndStore(kPropConnector, values, ApplyConnectors); });
}

COMM_HANDLER(Cmd_WedgeAttributesDone)
{
    return Answer(kPropWedge, row, event, nextState, freeFlag, [](Record& values) {
        NormaliseWedge(values);
        return ApplyAndStore(kPropWedge, values, ApplyWedges);
    });
}

COMM_HANDLER(Cmd_TextAttributesDone)
{
    return Answer(kPropText, row, event, nextState, freeFlag,
                  [](Record& values) { return ApplyAndStore(kPropText, values, ApplyTextStyle); });
}

COMM_HANDLER(Cmd_PageAttributesDone)
{
    return Answer(kPropPage, row, event, nextState, freeFlag,
                  [](Record& values) { return ApplyAndStore(kPropPage, values, ApplyPage); });
}

COMM_HANDLER(Cmd_PolygonAttributesDone)
{
    return Answer(kPropPolygon, row, event, nextState, freeFlag,
                  [](Record& values) { return Store(kPropPolygon, values); });
}

COMM_HANDLER(Cmd_DefaultsDone)
{
    return Answer(kPropNode, row, event, nextState, freeFlag, [](Record& values) { return Store(kPropNode, values); });
}

COMM_HANDLER(Cmd_GroupDomainDone)
{
    return Answer(kPropGroupDomain, row, event, nextState, freeFlag,
                  [](Record& values) { return Store(kPropGroupDomain, values); });
}

COMM_HANDLER(Cmd_PreferencesDone)
{
    return Answer(kPropPreferences, row, event, nextState, freeFlag, ApplyPreferences);
}

COMM_HANDLER(Cmd_SpreadDone)
{
    return Answer(kPropSpread, row, event, nextState, freeFlag, SpreadSelection);
}

COMM_HANDLER(Cmd_SizeToModelDone)
{
    return Answer(kPropSizeToModel, row, event, nextState, freeFlag, SizeToModel);
}
