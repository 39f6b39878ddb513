// The texts of the message boxes the XML reader shows (read from the real
// dialogs on the private X server), and test doubles of the net editor's
// defaults, which answer fixed records.
#pragma once

#include <string>
#include <vector>

namespace interchange_test {
// Every text that a message box showed, in order.
std::vector<std::string>& shownMessages();
}  // namespace interchange_test
