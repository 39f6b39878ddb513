// Fuzz target: the net data base file, in every version and in the older raw
// form, read as a diagram load reads it.
#include <cstdio>

#include "FuzzInput.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/CEditor/EditorState.h"
#include "atolq/CEditor/ErrorReport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GE_SetMode(1);
    SEInitPools();
    SEStart();
    if (FILE* stream = fuzz::StreamOf(data, size)) {
        SERestoreDB(stream);
        std::fclose(stream);
    }
    SEFreeDB();
    EE_ClearPendingError();
    return 0;
}
