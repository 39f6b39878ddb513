// The file selector: a modal window with a prompt, an editable path field,
// three directory panes over consecutive levels of the path, and OK and Cancel.
#pragma once

#include <X11/Xlib.h>

#include <sys/stat.h>

// Decides whether a file is listed (nonzero) and may give a text to show in
// place of its name.
using SelFileFilter = int (*)(const char* name, char** shownText, struct stat* status);

// Runs the selector until OK (0; *result gets a new copy of the path, which
// the caller frees with free()) or Cancel (-1; *result untouched). Null
// labels default to "Pathname:", "OK" and "Cancel".
int XsraSelFile(Display* display, const char* prompt, const char* okLabel, const char* cancelLabel,
                const char* initialPath, SelFileFilter filter, char** result);

// The selector's shell window, 0 before its first use.
Window SelFile_ShellWindow();
// Ends a shown file selector as its cancel button does.
void SelFile_Cancel();
