// The Motif placeholder: this kernel is built on the Athena widgets only, so Motif
// is reported as not available and the Motif interface flag stays off.
#pragma once

// 0: no Motif toolkit in this program.
int Xm_MotifAvailable();

// The kernel's Motif-interface flag. Start-up clears it and sets it only when the
// Motif widget set was asked for and is available, which it never is here.
void Xm_SetInterfaceFlag(int on);
int Xm_InterfaceFlag();
