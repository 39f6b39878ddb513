// The TOLQ menu's declaration commands and their items, added each time the
// TOLQ menu is made. Each ends text editing first, so that the declarations
// work on the texts as the user last typed them.
#include "atolq/CEditor/DeclarationCommands.h"

#include "atolq/CEditor/NetMenus.h"
#include "atolq/CEditor/NetRecords.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/DEclarations/DEclarations.h"
#include "xkv/kv/QXMenu.h"
#include "xkv/kv/QXStr.h"

namespace {

// The items follow "Declaration Node..." (before the separator 10106).
constexpr uint32_t kItemsBefore = 10106;

void AddDeclarationItems()
{
    QXMenu_AddItem(kCmdNewDeclaration, "New Declaration...", 10100, kItemsBefore);
    QXMenu_AddItem(kCmdEditDeclaration, "Edit Declaration...", 10100, kItemsBefore);
    QXMenu_AddItem(kCmdDeclarationBrowser, "Declarations...", 10100, kItemsBefore);
    QXMenu_AddItem(kCmdConvertDeclarations, "Convert Declarations", 10100, kItemsBefore);
}

const bool itemsInstalled = (GE_SetTolqMenuAdditions(AddDeclarationItems), true);

// The declaration entry of the current object, or null.
SEHead* CurrentEntry()
{
    SEHead* record = nullptr;
    const uint32_t object = QXStr_GetCurObject();
    if (object == 0 || GE_GetSERecord(object, &record) == 0 || record == nullptr)
        return nullptr;
    return record->kind == kSEDeclEntry ? record : nullptr;
}

} // namespace

void EE_NewDeclarationCommand()
{
    GE_EndTextEdit();
    DENewDeclaration(1, 0);
}

void EE_EditDeclarationCommand()
{
    GE_EndTextEdit();
    if (CurrentEntry() != nullptr)
        DEEditEntry(QXStr_GetCurObject(), 1);
}

void EE_DeclarationBrowserCommand()
{
    GE_EndTextEdit();
    DEBrowserOpen(CurrentEntry(), 0, 0);
}

void EE_ConvertDeclarationsCommand()
{
    GE_EndTextEdit();
    DEConvertDeclarations();
    QXStr_SetModified(1);
}
