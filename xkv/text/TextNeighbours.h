// The services of the command layer and the selection that the text editor
// calls: the current page, the selected object or group, selecting an object.
// They belong to the command layer (xkv/comm) and the selection (xkv/select);
// the editor only calls them.
#pragma once

#include "xkv/comm/Comm.h"
#include "xkv/select/Select.h"
