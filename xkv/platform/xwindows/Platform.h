// The kernel's X connection as the platform layer sees it, and the Alt modifier
// bits found from the server's modifier map (Num Lock and Scroll Lock never count).
#pragma once

#include <X11/Intrinsic.h>

#include <array>
#include <vector>

// Start-up hands the toolkit's application context and display to the platform
// layer once the toolkit is up; the event queue, colours and cursors use them.
void Platform_Attach(XtAppContext context, Display* display);
Display* Platform_Display();
XtAppContext Platform_AppContext();

// Program name and resource directory, as start-up found them (bounded copies).
void Platform_SetProgramName(const char* name);
const char* Platform_ProgramName();
void Platform_SetResourceDirectory(const char* directory);
const char* Platform_ResourceDirectory();

// The keysyms bound to each of the eight modifiers (Shift, Lock, Control, Mod1..Mod5).
using ModifierKeysyms = std::array<std::vector<KeySym>, 8>;

// The Mod1..Mod5 bits that mean Alt: those holding Alt_L or Alt_R, else those holding
// Meta_L or Meta_R; a modifier that holds Num_Lock or Scroll_Lock never counts.
unsigned int Platform_AltMaskFromKeysyms(const ModifierKeysyms& modifiers);
// The Mod1..Mod5 bits of Num Lock and Scroll Lock.
unsigned int Platform_LockMaskFromKeysyms(const ModifierKeysyms& modifiers);

// Reads the modifier map of the attached display (again after a MappingNotify).
void Platform_RefreshModifierMap();
// The Alt bits of the attached display; Mod1 when no display is attached.
unsigned int Platform_AltMask();
// 1 when the X state word has an Alt bit set.
int Platform_IsAltDown(unsigned int state);
