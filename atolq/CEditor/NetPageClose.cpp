// Closing a page's window: the kernel closes it and the page's node on the
// hierarchy page takes the style of a closed page.
#include "atolq/PageStructure/HierarchyPage.h"
#include "xkv/kv/QXStr.h"

int GE_DeletePage(uint32_t page);

int GE_DeletePage(uint32_t page)
{
    QXStr_ClosePage(page);
    if (PGFindHierarchyPage() != 0)
        PGSetNodeStyle(page, PGPageState(page));
    return 1;
}
