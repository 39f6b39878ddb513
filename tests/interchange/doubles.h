// Test doubles for what the XML reader needs of modules that are not built:
// the message dialog records its texts; the net editor's defaults answer
// fixed records.
#pragma once

#include <string>
#include <vector>

namespace interchange_test {
// Every text that QXUI_ShowMessage was given, in order.
std::vector<std::string>& shownMessages();
}  // namespace interchange_test
