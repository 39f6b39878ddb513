// Services of other modules that the net records, regions and defaults call:
// declarations only; the modules that own them provide the definitions.
#pragma once

#include <cstdint>

// The kernel's programming interface, declared by its own headers.
#include "xkv/kv/QXFile.h"
#include "xkv/kv/QXUI.h"
#include "xkv/kv/QXUtil.h"

// Net editor: asks the message's question; 1 when the user answers yes.
int GE_AskContinue(int16_t messageId);

// Hierarchy page: re-reads its options from the diagram defaults.
void PGReadOptions(int copy);
// Hierarchy page: its visibility switches, grid sizes and spacings.
void PGSetLayoutOptions(int showSubstitutions, int showInvocations, int32_t gridX, int32_t gridY,
                        uint16_t spacingX, uint16_t spacingY);

// Simulator: hands the diagram-level option records over to its modules.
void SApplyDiagramOptions(const void* codeOptions, const void* runOptions, const void* interactiveOptions,
                          const void* occSetOptions, const void* rxlOptions);


// Net editor: the evaluator's working directory as a new GE_Alloc string.
int EE_GetWorkingDirectory(char** directory, uint32_t* length);
