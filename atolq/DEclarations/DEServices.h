// The kernel programming interface, the command layer and the editor's
// defaults that the declarations call, and the few services of other
// subsystems that are not built here yet: those are only declared, and the
// programs that link the declarations provide them.
#pragma once

#include <cstdint>

#include "atolq/CEditor/DefaultsFile.h"
#include "xkv/comm/Comm.h"
#include "xkv/kv/QXAttr.h"
#include "xkv/kv/QXMem.h"
#include "xkv/kv/QXStr.h"
#include "xkv/kv/QXText.h"
#include "xkv/kv/QXUI.h"

// Issues a kernel command as if chosen from its menu; 1 when it ran.
uint32_t QXUI_DoCommand(int32_t command);
// Aligns the object against the references (alignment commands 901 to 914);
// 1 when it was moved.
uint32_t QXUI_AlignObjects(ObjectHandle object, int32_t command, ObjectHandle a, ObjectHandle b);

// The syntax check's legal-ML-identifier test.
int CTSLegalMLName(const char* name);
// Starting the evaluator with the editor's evaluator settings
// (GE_GetMLSettings gives them): 1 when up.
using CTSConfigFn = int (*)(int remote, uint32_t* local, char** host, uint16_t* port, char** image, char** mlFile,
                            char** runtime, char** directory, uint32_t* directoryLength, uint32_t level);
int CTSStartEvaluator(CTSConfigFn configuration);
// The simulator's with-time option.
int SWithTime();
