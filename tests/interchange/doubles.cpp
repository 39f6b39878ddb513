// The texts of the message boxes shown, and test doubles of the net editor's
// defaults.
#include "doubles.h"

#include "atolq/CEditor/NetDefaultsSeam.h"
#include "message_recorder.h"

#include <cstring>

namespace interchange_test {
std::vector<std::string>& shownMessages() { return tolq::test::RecordedMessages(); }
}  // namespace interchange_test


// Key k gives: mask word 1 = 0, drawing function 1, line width 2, line colour
// 3, fill colour 4, line style 5, fill pattern 6, text style 8, justification
// 2, font 5, scroll bar 1, size 12; shape kind by key (20 for connector keys
// 5, 12 and 18, a wedge for 24, a rounded box for 20, else a box) with
// height k*0x10000 and width 2k*0x10000; region offsets 0x8000 and -0x8000,
// region bits 8|4.
int DefGetByKey(int32_t key, NetObjectDefaults* r, int32_t level) {
    if (level != 5 || key == 99) return 0;
    *r = NetObjectDefaults{};
    auto set = [r](int n, int32_t v) { r->words[n - 1] = v; };
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
    set(17, 30);
    set(18, 90);
    set(19, 7);
    set(22, 0x8000);
    set(23, -0x8000);
    set(26, 12);
    return 1;
}

int DefGetPageTitle(int32_t* height, int32_t* width, int32_t* palette, int32_t* border, char* name, int32_t) {
    *height = 600;
    *width = 400;
    *palette = 1;
    *border = 0;
    std::strcpy(name, "New Page");
    return 1;
}
