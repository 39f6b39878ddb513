// Text edit sessions: which object's text is being edited, the edit-changed
// flag, the edit record that tells the interaction layer what the cursor
// stands on, and starting and ending edits (hook 76 at every end).
#pragma once

#include <cstdint>

#include "xkv/types/Types.h"

// The edit record: word 0 the edited object, 1 a selection is highlighted,
// 2 the cursor stands on a reference, 3 the object it refers to.
struct EditRecord {
    uint32_t object;
    uint32_t selectionHighlighted;
    uint32_t onReference;
    uint32_t referredObject;
};

// Called with the edit record's handle whenever one of its words changes.
using EditNotifier = void (*)(uint32_t block);

inline constexpr uint32_t kEditingNone = 0;
inline constexpr uint32_t kEditingText = 1;
inline constexpr uint32_t kEditingLabel = 2;

void Text_SetChanged(uint32_t flag);
uint32_t Text_Changed();

uint32_t Text_EditingState();
MemHandle TextWidget_CurrentText();
ObjectHandle TextWidget_EditedObject();
ObjectHandle TextWidget_Current(MemHandle* text);
void TextWidget_SetCurrent(ObjectHandle object, MemHandle text);

void Text_SetEditNotifier(EditNotifier notifier);
MemHandle Text_EditRecord();
// Sets words of the edit record and calls the notifier when any changed.
void Text_UpdateEditRecord(int32_t selection, int32_t onReference, int32_t referred);

void Text_StartEdit(ObjectHandle object);
void Text_EndEdit();
void Text_LeaveEditing();
void Text_EndLabelEdit();
uint32_t Text_HasSelection();

// Ends any edit and frees what the editor keeps for the program's life (the
// edit record and the selection buffer); at the program's end.
void Text_Shutdown();
