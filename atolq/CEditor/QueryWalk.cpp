// Walks one query of the abstract net and hands each result to a function.
#include "atolq/CEditor/SelectionQueries.h"

#include "atolq/AEditor/SENet.h"

int EQ_ForEachInQuery(uint16_t query, EQQueryFunction function, SEIter* iterator, void* argument)
{
    if (function == nullptr || iterator == nullptr || SEInitNext(query, iterator) == 0)
        return 0;
    int result = 1;
    while (SENextGet(query, iterator) != 0) {
        result = function(iterator->result, argument);
        if (result == 0)
            break;
    }
    return result;
}
