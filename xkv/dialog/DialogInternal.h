// State shared by the dialog toolkit's source files: the open levels, the
// list buffers, the per-level record-dialog state and the build helpers.
#pragma once

#include <X11/Intrinsic.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "atolq/Resources/DialogTables.h"
#include "xkv/dialog/Dialog.h"

struct DialogItemEntry {
    Widget widget = nullptr;
    Widget second = nullptr;  // label of a check box or radio button; list of a list area
    int32_t focusCode = 0;    // text items: 1 field, 2 read-only, 5 field of 274, 6 read-only of 274
};

// One row of a record dialog's field map.
struct RecordField {
    int32_t item = 0;
    int32_t flagIndex = -1;
    int32_t fieldClass = 0;
    int32_t offset = 0;
    int32_t size = 0;
    int32_t specialKind = -1;  // for class 6
    int32_t specialCount = 0;
    int32_t groupFirst = 0;    // radio group, or the range of a special row
    int32_t groupLast = 0;
};

// One button of a palette: where its pick goes in the record.
struct PaletteCell {
    int32_t level = 0;
    uint32_t generation = 0;
    int32_t offset = 0;
    int32_t flagIndex = -1;
    int32_t value = 0;
    int32_t row = -1;  // colour palettes: which of the three colours
};

// A caller blocked in Dialog_OpenRecord until its dialog delivers.
struct RecordWaiter {
    bool waiting = false;
    int32_t result = 0;
    MemHandle handle = 0;
};

struct RecordState {
    bool active = false;
    int32_t number = 0;
    uint8_t* current = nullptr;
    uint8_t* defaults = nullptr;
    MemHandle currentHandle = 0;
    MemHandle defaultsHandle = 0;
    bool exclusive = false;
    bool noWait = false;
    int32_t firstSpecial = -1;
    int32_t firstConversion = -1;
    std::vector<RecordField> fields;
    int32_t currentSize = 0;   // bytes of the records; 0 when not known
    int32_t defaultsSize = 0;
    RecordWaiter* waiter = nullptr;
    bool delivered = false;
    // Palettes: their buttons' picks, the pattern display and colour swatches.
    std::vector<std::unique_ptr<PaletteCell>> paletteCells;
    Widget patternDisplay = nullptr;
    std::array<Widget, 3> swatches{};
};

// A record dialog closed before it delivered its result: delivered as a
// cancel once the level is gone.
struct UndeliveredRecord {
    bool pending = false;
    int32_t number = 0;
    MemHandle defaultsHandle = 0;
    MemHandle currentHandle = 0;
    RecordWaiter* waiter = nullptr;
};

struct DialogLevel {
    int16_t number = 0;
    uint32_t generation = 0;
    int16_t closedResult = 0;
    int32_t recordIndex = -1;
    Widget shell = nullptr;
    Widget container = nullptr;
    std::vector<DialogItemEntry> items;
    uint16_t listCount = 0;
    DialogCallback callback = nullptr;
    void* clientData = nullptr;
    int32_t running = 0;
    int16_t defaultItem = -1;
    int16_t focusItem = -1;
    int32_t x = 0, y = 0, width = 0, height = 0;
    RecordState record;
};

struct ListBuffer {
    int32_t item = 0;  // index from 0
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t capacity = 0;
    int32_t entryWidth = 0;
    bool forceBars = false;
    int32_t count = 0;
    std::vector<char> storage;
    std::vector<char*> pointers;  // capacity + 1, ending in null
    int32_t level = 0;
    DialogListCallback callback = nullptr;
    char* Entry(int32_t index) { return storage.data() + static_cast<size_t>(index) * entryWidth; }
};

struct DialogState {
    std::array<DialogLevel, kDialogMaxDepth + 1> levels;  // 1..10 used
    int32_t depth = 0;
    uint32_t errorWord = 0;
    int16_t lastResult = 0;
    bool fileSelectorShown = false;
    std::vector<std::unique_ptr<ListBuffer>> lists;
    bool lastRecordExclusive = false;
    int32_t lastDeliveredResult = 0;
};

DialogState& Dialogs();
DialogLevel* Dialog_TopLevel();
// The top level when it is running, else null (and no error set).
DialogLevel* Dialog_RunningTop();
// The top level's record and the item's table row; null with error 35 or 74.
const DialogRecord* Dialog_TopRecord();
DialogItemRow* Dialog_ItemRow(const DialogRecord& record, int32_t item);
bool Dialog_CheckItem(int32_t item, DialogLevel** level, DialogItemRow** row);
ListBuffer* Dialog_FindList(int32_t level, int32_t itemIndex);

// Construction.
int32_t Dialog_Build(int32_t levelNumber);
void Dialog_RedrawItemState(DialogLevel& level, int32_t itemIndex, const DialogItemRow& row);
Widget Dialog_CreateListWidgets(DialogLevel& level, int32_t levelNumber, ListBuffer& buffer);
void Dialog_ScrollSetValue(Widget bar, const DialogScrollRow& row, int32_t value);
int32_t Dialog_ScrollReadValue(Widget bar, const DialogScrollRow& row);
Pixel Dialog_Foreground();
Pixel Dialog_Background();
Pixmap Dialog_FocusPattern();
bool Dialog_HasSpecialRow(int32_t number, int32_t item);
void Dialog_WakeLoop();

// Record-dialog helpers the other parts call.
UndeliveredRecord Dialog_RecordLevelClosing(DialogLevel& level);
void Dialog_RecordFinishClosing(const UndeliveredRecord& undelivered);
int16_t Dialog_RecordCallback(int16_t dialog, int32_t code, int16_t item, intptr_t value);
void Dialog_TextStyleAfterKey(DialogLevel& level);
