// Test double of Text_Export and Text_Import (see TextTransferDouble.h).
#include "TextTransferDouble.h"

#include <cstring>
#include <map>

#include "xkv/mem/Mem.h"
#include "xkv/model/Model.h"
#include "xkv/text/Text.h"
#include "xkv/text/TextTransfer.h"

namespace {

std::map<MemHandle, StoredText>& Texts()
{
    static std::map<MemHandle, StoredText> texts;
    return texts;
}

MemHandle NewRecord(ObjectHandle object)
{
    return Text_Create(object, FixRect{0, 0, 100 * kFixedOne, 20 * kFixedOne}, 1);
}

}  // namespace

void TestText_Set(ObjectHandle object, const StoredText& text)
{
    MemHandle record = NewRecord(object);
    Texts()[record] = text;
    Model_SetFieldValue(object, Field::kText, record);
}

StoredText TestText_Get(ObjectHandle object)
{
    auto found = Texts().find(Model_GetFieldValue(object, Field::kText));
    return found != Texts().end() ? found->second : StoredText{};
}

void TestText_Reset()
{
    Texts().clear();
}

KernelStatus Text_Export(MemHandle text, uint32_t* header, uint32_t* second, MemHandle* characters,
                         uint32_t* count, MemHandle* references)
{
    auto found = Texts().find(text);
    if (found == Texts().end()) {
        return kStatusNullHandle;
    }
    const StoredText& stored = found->second;
    std::memcpy(header, stored.header, sizeof(stored.header));
    header[7] = static_cast<uint32_t>(stored.references.size());
    *second = 0;
    *count = static_cast<uint32_t>(stored.characters.size());
    *characters = 0;
    *references = 0;
    if (!stored.characters.empty()) {
        Mem_AllocCopy(characters, stored.characters.data(), stored.characters.size());
    }
    if (!stored.references.empty()) {
        Mem_AllocCopy(references, stored.references.data(), stored.references.size() * 4);
    }
    return kStatusOk;
}

KernelStatus Text_Import(ObjectHandle object, MemHandle* text, const uint32_t* header, uint32_t,
                         MemHandle characters, uint32_t count, MemHandle references)
{
    StoredText stored;
    std::memcpy(stored.header, header, sizeof(stored.header));
    if (characters != 0) {
        void* data = nullptr;
        Mem_Lock(characters, &data);
        stored.characters.assign(static_cast<char*>(data), count);
        Mem_Unlock(characters);
    }
    if (references != 0) {
        void* data = nullptr;
        Mem_Lock(references, &data);
        auto* words = static_cast<uint32_t*>(data);
        stored.references.assign(words, words + header[7]);
        Mem_Unlock(references);
    }
    *text = NewRecord(object);
    Texts()[*text] = stored;
    return *text != 0 ? kStatusOk : kStatusOutOfMemory;
}
