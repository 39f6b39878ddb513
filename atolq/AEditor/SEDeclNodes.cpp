// The search for the global and temporary declaration nodes among the
// root's declaration nodes.
#include "atolq/AEditor/SEInternal.h"
#include "atolq/AEditor/SENet.h"

int CTSFindGlobalDeclNode(SEDeclNode** node, int kind)
{
    SERoot* root = SECurrentRoot();
    int found = 0;
    if (root != nullptr)
        se::forEachRec(root->globalDecls, [&](SEHead* h) {
            if (h->kind == kSEDeclNode && h->subKind == kind) {
                if (found == 0 && node != nullptr)
                    *node = reinterpret_cast<SEDeclNode*>(h);
                ++found;
            }
        });
    return found == 0 ? -1 : found == 1 ? 0 : 1;
}
