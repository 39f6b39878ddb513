// The net layer takes its memory blocks from the kernel's QX memory table.
#pragma once

#include "xkv/kv/QXMem.h"
