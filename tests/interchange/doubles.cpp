// The texts of the message boxes shown, and test doubles of the net editor's
// defaults.
#include "doubles.h"

#include "atolq/CEditor/Defaults.h"
#include "message_recorder.h"

#include <algorithm>
#include <cstring>

namespace interchange_test {
std::vector<std::string>& shownMessages() { return tolq::test::RecordedMessages(); }
}  // namespace interchange_test


// Key k gives (words numbered from 0): mask word 1 = 0, drawing function 1, line width 2, line colour
// 3, fill colour 4, line style 5, fill pattern 6, text style 8, justification
// 2, font 5, scroll bar 1, size 12; shape kind by key (20 for connector keys
// 5, 12 and 18, a wedge for 24, a rounded box for 20, else a box) with
// height k*0x10000 and width 2k*0x10000, curvature or start angle 30 (the
// curvature in Fixed), extent 90, text box 7 by 0; region offsets 1 and -1
// interface units, region bits 8|4.
int DefGetByKey(int32_t key, void* record, uint32_t level) {
    if (level != 5 || key == 99) return 0;
    auto* words = static_cast<int32_t*>(record);
    std::fill(words, words + kDefAttributeWords, 0);
    auto set = [words](int n, int32_t v) { words[n] = v; };
    set(1, 0);
    set(2, 1);
    set(3, 2);
    set(4, 3);
    set(5, 4);
    set(7, 5);
    set(8, 6);
    set(9, 8);
    set(10, 2);
    set(11, 5);
    set(12, 1);
    set(13, 12);
    int32_t shape = (key == 5 || key == 12 || key == 18) ? 20 : key == 24 ? 5 : key == 20 ? 4 : 1;
    set(14, shape);
    set(15, key * 0x10000);
    set(16, 2 * key * 0x10000);
    set(17, key == 20 ? 30 << 15 : 30);
    set(18, 90);
    set(19, 7);
    set(22, 1);
    set(23, -1);
    set(26, 12);
    return 1;
}

int DefGetPageTitle(uint16_t* width, uint16_t* height, uint32_t* palette, uint32_t* border, char* name, uint32_t) {
    *height = 600;
    *width = 400;
    *palette = 1;
    *border = 0;
    std::strcpy(name, "New Page");
    return 1;
}
