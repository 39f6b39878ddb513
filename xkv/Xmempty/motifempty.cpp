// The Motif placeholder: the Motif-available flag (always 0) and the kernel's
// Motif-interface flag, which therefore never switches on.
#include "xkv/Xmempty/motifempty.h"

namespace {
constexpr int kMotifAvailable = 0;
int interfaceFlag = 0;
} // namespace

int Xm_MotifAvailable()
{
    return kMotifAvailable;
}

void Xm_SetInterfaceFlag(int on)
{
    interfaceFlag = (on != 0 && kMotifAvailable != 0) ? 1 : 0;
}

int Xm_InterfaceFlag()
{
    return interfaceFlag;
}
