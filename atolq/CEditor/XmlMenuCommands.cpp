// Hands the XML interchange's "Load XML..." and "Save XML..." to the net
// editor's menu dispatch. Linked into the program as an object with the
// kernel's entry, so the commands are in place before the first menu pick;
// the dispatch itself stays free of the interchange.
#include "Interchange/XmlReader.h"
#include "Interchange/XmlWriter.h"
#include "atolq/CEditor/NetDispatch.h"

namespace {

const bool xmlCommandsInstalled = [] {
    GE_SetXmlCommands(INT_LoadXML, INT_SaveXML);
    return true;
}();

}  // namespace
