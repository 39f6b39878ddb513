// The newer-simulator flag and its hand-over table: a module of its own, so
// that the checker and the abstract simulator can ask for it without
// linking the newer simulator.
#include "atolq/NewSim/NSMode.h"

uint32_t& NSNewSimFlag()
{
    static uint32_t flag = 0;
    return flag;
}

NSHandOverTable& NSHandOvers()
{
    static NSHandOverTable table;
    return table;
}

const NSHandOverTable* NSActiveHandOvers()
{
    return NSNewSimFlag() != 0 ? &NSHandOvers() : nullptr;
}

NSShownTexts& NSShown()
{
    static NSShownTexts texts;
    return texts;
}
