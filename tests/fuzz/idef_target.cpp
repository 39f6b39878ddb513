// Fuzz target: an IDEF machine file imported into a new net diagram, with
// the Ruxel sections read when the first byte asks for them.
#include "FuzzInput.h"
#include "NetSession.h"
#include "atolq/CEditor/IDEFImport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int ruxel = data[0] & 1;
    const std::string path = fuzz::FileOf(data + 1, size - 1);
    if (path.empty())
        return 0;
    fuzz::NetSession session;
    ImportErrors = 0;
    IDEF_ImportPath(session.page(), ruxel, path.c_str());
    return 0;
}
