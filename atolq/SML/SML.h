// The ML evaluator link: connection, channels, wait loop and request ring.
#pragma once

#include "atolq/SML/SMLLink.h"
#include "atolq/SML/SMLStream.h"
#include "atolq/SML/SMLWait.h"
