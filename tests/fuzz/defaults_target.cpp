// Fuzz target: the standard defaults file in the home directory, read at
// start-up in its current form or, without the header, in the older XDR
// form.
#include <fstream>

#include "NetSession.h"
#include "atolq/CEditor/DefaultsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::NetSession session;
    {
        std::ofstream out(fuzz::Home() + "/" + kDefaultsFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    GE_ReadDefaultsFile();
    GE_ResetDiagramDefaults();
    return 0;
}
