// Entry points of kernel modules that are not built yet (dialogs and the net
// layer's start-up, among others). Each does the least that keeps its callers
// sound: nothing is open, nothing is refused. An entry leaves this file when
// its module arrives.
#pragma once

#include "xkv/velkor/XTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "xkv/types/Types.h"
#include "xkv/window/Window.h"

// The gesture state machine, built: its entry points as callers know them.
#include "xkv/trans/Trans.h"


// Printing.
KernelStatus Comm_PrintDiagram();

// The net layer's entry: start-up (kinds 0 and 3) and its own commands (kind 1).
// The program links the net layer's; kernel-only programs get a stand-in.
uintptr_t QVmountopen(uint32_t kind, int32_t menuId, uint32_t value);

// The pages a page command works on: from hook 85, else the current page
// alone; the list is the caller's to free with free(). 1 when had.
uint32_t Comm_GetSelectedPages(uint16_t* count, uint32_t** pages);

// File selection and alerts: the selector is cancelled (60); an alert with
// two buttons answers No (1), so nothing is overwritten unasked.
uint32_t Dialog_SelectFile(const char* initial, const char* prompt, const char* button, char* name,
                           uint32_t options, uint32_t* result);
uint32_t Dialog_Alert(uint32_t messageId, const char* text, uint32_t kind);


// The 8x8 bits of fill pattern 1 to 38 (the dialog system's start-up table);
// solid until that table is built.
void LinePat_FillBits(int32_t fill, uint8_t bits[8]);
