// The question before a switch to the simulator on a net without prime
// pages: nothing would be simulated, so the user may return to the editor.
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"
#include "atolq/ASimulator/ASimulator.h"
#include "atolq/CEditor/MessageBox.h"
#include "atolq/ConvertToSim/CTSSwitch.h"

namespace {
constexpr int16_t kMsgNoPrimePages = 13845;
} // namespace

int CTSCheckPrimePages()
{
    SERoot* root = SECurrentRoot();
    if (root == nullptr)
        return 0;
    const bool anyPrime =
        se::findRec(root->pages, [](SEHead* page) { return ASGetPrimeCount(page) != 0; }) != nullptr;
    if (anyPrime)
        return 1;
    // "Return" is the first button: yes returns to the editor.
    return GE_AskYesNo(kMsgNoPrimePages, "Return") != 0 ? 0 : 1;
}
