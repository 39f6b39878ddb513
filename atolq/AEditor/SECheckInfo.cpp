// Clearing a transition's check record: everything the syntax check fills
// except the variable list, which its owner keeps.
#include "atolq/AEditor/SENet.h"

void CTSResetCheckInfo(SETrans* trans)
{
    if (trans == nullptr || trans->codeSegment == nullptr)
        return;
    SECodeSegment& segment = *trans->codeSegment;
    for (SEText& text : segment.texts)
        text = nullptr;
    for (uint32_t& word : segment.words)
        word = 0;
}
