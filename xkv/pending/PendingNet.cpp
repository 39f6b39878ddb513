// Stand-in for the net layer's entry in programs linked without the net layer
// (the kernel on its own). It sits in a file of its own so that a program that
// links the net layer's entry as an object never takes this one.
#include "xkv/pending/Pending.h"

uintptr_t QVmountopen(uint32_t, int32_t, uint32_t)
{
    return 0;
}
