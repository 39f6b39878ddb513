// Drawing the new compound node of a move to a subpage: the interactive
// creation is not available, so the move ends as if the user cancelled.
#include "atolq/CEditor/KernelCalls.h"
#include "xkv/types/Types.h"

ObjectHandle EE_DrawCompoundNode(uint16_t kind);

ObjectHandle EE_DrawCompoundNode(uint16_t)
{
    GE_ReportNotBuilt("Draw new compound node");
    return 0;
}
