// Services of other modules that the net records, regions and defaults call:
// declarations only; the modules that own them provide the definitions.
#pragma once

#include <cstdint>

// Kernel: the current diagram file's path as a new QX memory string (freed
// with QXMem_Free); 1 when one was returned.
uint32_t QXFile_GetCurrentFileName(char** path);
// Kernel: modal message dialog with an OK button; 1 when confirmed.
uint32_t QXUI_ShowMessage(const char* text);

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

// Kernel: copies of the program's file name and directory (ending in "/"),
// as QX memory strings; 1 when they are known.
uint32_t QXUtil_GetStartPaths(char** program, char** directory);

// Net editor: the evaluator's working directory as a new GE_Alloc string.
int EE_GetWorkingDirectory(char** directory, uint32_t* length);
