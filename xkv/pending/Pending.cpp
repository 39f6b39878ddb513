// Placeholders of kernel modules that are not built yet; see Pending.h.
#include "xkv/pending/Pending.h"

#include <X11/Intrinsic.h>

#include <cstdio>
#include <cstring>

#include "xkv/default/Default.h"

// Printing from the command layer is not wired yet: it fails.
KernelStatus Comm_PrintDiagram() { return 1; }

void LinePat_FillBits(int32_t, uint8_t bits[8])
{
    std::memset(bits, 0xff, 8);
}

