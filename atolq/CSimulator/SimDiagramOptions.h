// The diagram's option records handed over to the abstract simulator: after
// a diagram is read, and whenever the diagram-level options were replaced.
#pragma once

// The records of properties 1065, 1064, 1066, 1067 and 1075 as the defaults
// hold them; a null record is skipped.
void SApplyDiagramOptions(const void* codeOptions, const void* runOptions, const void* interactiveOptions,
                          const void* occSetOptions, const void* rxlOptions);

// Reads the five records from the diagram level and applies them.
void SApplyDiagramLevelOptions();
