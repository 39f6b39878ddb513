// What the test doubles of the XML tests were asked: message texts and
// message boxes; the selection that the net editor's selection gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XmlDoubleLog {
    std::vector<std::string> messages;
    std::vector<int16_t> messageBoxes;
    std::vector<uint32_t> selection;
};
XmlDoubleLog& xmlLog();
