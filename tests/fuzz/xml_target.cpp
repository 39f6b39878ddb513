// Fuzz target: an XML net file loaded into a new net diagram as "Load XML..."
// loads it: scanner, grammar, tag-cell tree, option walk and the object
// builders, with the import log written beside the file.
#include <fstream>

#include "NetSession.h"
#include "Interchange/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::Home() + "/net.xml";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    fuzz::NetSession session;
    XmlLoadFile(path);
    return 0;
}
