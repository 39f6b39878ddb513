// Dialogs of the net editor around declaration nodes and the evaluator: the
// declaration-node kind, the login to a remote evaluator, the evaluator
// settings and the choice when the diagram's ML file cannot be found.
#pragma once

#include <cstdint>

// Declaration-node kind: 1 with answer 0 global, 1 temporary, 2 local; 0 on
// "Cancel".
int EE_AskDeclKind(int* answer);

// User name and password for a remote evaluator, kept for the session; with
// forget 1 the kept ones are dropped first. Without kept values the dialog
// asks for them. 1 with fresh copies (free with QXMem_Free), 0 on "Cancel".
int EE_GetLogin(char** user, char** password, int forget);

// The evaluator settings (record 1068) of the diagram, or of the user's
// defaults when no diagram is open. 1 when "OK" stored them for the diagram.
int EE_EditMLSettings();

// The ML file at path cannot be found: 1 with rebuild 1 to build a new one,
// 1 with rebuild 0 and path replaced (the old directory, the new name, a new
// string to free with QXMem_Free) to look elsewhere; 0 on "Cancel".
int EE_AskMLFile(char** path, int* rebuild);

// "ML Configuration Options..." of the Set menu: the evaluator settings.
void EE_MLOptions();
