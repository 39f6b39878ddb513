// Inscription rules checked by the evaluator: the global and temporary
// declaration nodes (parsed, then defined one declaration at a time).
#include "atolq/AEditor/SENet.h"
#include "atolq/ConvertToSim/CTSCheck.h"

namespace {
constexpr uint32_t kCheckedMark = 0x1000;
constexpr const char* kMsgDeclNode = "C.4 Error in global/temporary declaration node";
} // namespace

int CTSCheckDeclNode(SEDeclNode* node, int subKind)
{
    MemFile* reply = CTSReplyBuffer();
    if (node == nullptr || reply == nullptr)
        return 0;
    const bool global = subKind == kSEDeclGlobal;
    MemFileReset(reply);
    int result = CTSParseDecl(subKind, node->text != nullptr ? node->text : "", reply);
    while (result == 0) {
        if (global && CTSProgress() == 0)
            return 0;
        MemFileReset(reply);
        result = CTSDefineGlob(reply);
    }
    if (result >= 0 && result <= 2) {
        node->flags |= kCheckedMark;
        if (global)
            DeclsCompiled = 1;
        return 1;
    }
    CTSReport(&node->head, kMsgDeclNode, reply);
    return 0;
}
