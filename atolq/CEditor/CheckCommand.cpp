// "Syntax Check" of the TOLQ menu: the text being edited is ended first, the
// check runs over the whole diagram, and the text menu follows the selection.
#include "atolq/CEditor/MLCommands.h"
#include "atolq/CEditor/NetCommands.h"
#include "atolq/CEditor/NetObjectSeams.h"
#include "atolq/CEditor/NetRoles.h"
#include "xkv/kv/QXStr.h"

void EE_SyntaxCheckMenuCommand()
{
    GE_EndTextEdit();
    EE_SyntaxCheckCommand();
    EE_RefreshTextMenu(QXStr_GetCurObject());
}
