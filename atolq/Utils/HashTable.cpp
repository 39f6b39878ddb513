// Hash tables with sorted chains (see HashTable.h).
#include "atolq/Utils/HashTable.h"

#include <cstring>

#include "atolq/CEditor/ErrorReport.h"
#include "atolq/Utils/QXMem.h"

namespace {

// A key of either kind, as the table's operations pass it around.
struct Key {
    int32_t integer = 0;
    const char* string = nullptr;
    uint16_t kind = kHashIntegerKeys;
};

Key IntegerKey(int32_t key)
{
    return Key{key, nullptr, kHashIntegerKeys};
}

Key StringKey(const char* key)
{
    return Key{0, key, kHashStringKeys};
}

int Compare(const Key& key, const HashEntry* entry)
{
    if (key.kind == kHashStringKeys)
        return std::strcmp(key.string, entry->stringKey);
    return key.integer < entry->integerKey ? -1 : key.integer > entry->integerKey ? 1 : 0;
}

// Integer keys go to key modulo the bucket count; string keys to the sum of
// their first ten bytes (as signed bytes) modulo the bucket count.
uint16_t InRange(int32_t value, uint16_t bucketCount)
{
    int32_t remainder = value % int32_t{bucketCount};
    if (remainder < 0)
        remainder += bucketCount;
    return static_cast<uint16_t>(remainder);
}

uint16_t BucketOf(const Key& key, uint16_t bucketCount)
{
    if (key.kind == kHashIntegerKeys)
        return InRange(key.integer, bucketCount);
    int16_t sum = 0;
    for (int i = 0; i < 10 && key.string[i] != '\0'; ++i)
        sum = static_cast<int16_t>(sum + static_cast<signed char>(key.string[i]));
    return InRange(sum, bucketCount);
}

// A table the operation may use: a null table is fatal; a key of the other
// kind or a null string key is refused with its message.
bool Usable(const HashTable* table, const Key& key)
{
    if (table == nullptr) {
        EE_FatalError(kMsgHashBadTable);
        return false;
    }
    if (key.kind != table->keyKind) {
        EE_ReportError(kMsgHashBadTable);
        return false;
    }
    if (key.kind == kHashStringKeys && key.string == nullptr) {
        EE_ReportError(kMsgNullPointer);
        return false;
    }
    return true;
}

struct Place {
    HashEntry** head;   // the key's chain
    HashEntry* entry;   // first entry whose key is not smaller, or the chain's last; 0 when empty
    int comparison;     // key compared with that entry's key
};

Place Find(const HashTable* table, const Key& key)
{
    Place place{&table->buckets[BucketOf(key, table->bucketCount)], nullptr, 0};
    HashEntry* entry = *place.head;
    if (entry == nullptr)
        return place;
    int comparison = Compare(key, entry);
    while (comparison > 0 && entry->next != nullptr) {
        entry = entry->next;
        comparison = Compare(key, entry);
    }
    place.entry = entry;
    place.comparison = comparison;
    return place;
}

HashEntry* Match(const HashTable* table, const Key& key)
{
    Place place = Find(table, key);
    return place.entry != nullptr && place.comparison == 0 ? place.entry : nullptr;
}

int Store(HashTable* table, const Key& key, void* data)
{
    if (!Usable(table, key))
        return 0;
    Place place = Find(table, key);
    if (place.entry != nullptr && place.comparison == 0) {
        EE_ReportError(kMsgHashDuplicateKey);
        return 0;
    }
    auto* entry = static_cast<HashEntry*>(QXMem_Alloc(sizeof(HashEntry)));
    if (entry == nullptr) {
        EE_FatalError(kMsgOutOfMemory);
        return 0;
    }
    entry->data = data;
    entry->integerKey = key.integer;
    entry->stringKey = key.string;
    if (place.entry == nullptr) {
        *place.head = entry;
    } else if (place.comparison > 0) {
        entry->prev = place.entry;
        place.entry->next = entry;
    } else {
        entry->next = place.entry;
        entry->prev = place.entry->prev;
        if (entry->prev != nullptr)
            entry->prev->next = entry;
        else
            *place.head = entry;
        place.entry->prev = entry;
    }
    ++table->entryCount;
    return 1;
}

void* Lookup(const HashTable* table, const Key& key)
{
    if (!Usable(table, key))
        return nullptr;
    HashEntry* entry = Match(table, key);
    return entry != nullptr ? entry->data : nullptr;
}

void* Remove(HashTable* table, const Key& key)
{
    if (!Usable(table, key))
        return nullptr;
    HashEntry* entry = Match(table, key);
    if (entry == nullptr)
        return nullptr;
    if (entry->prev != nullptr)
        entry->prev->next = entry->next;
    else
        table->buckets[BucketOf(key, table->bucketCount)] = entry->next;
    if (entry->next != nullptr)
        entry->next->prev = entry->prev;
    void* data = entry->data;
    QXMem_Free(entry);
    --table->entryCount;
    return data;
}

}  // namespace

HashTable* HashCreate(uint16_t bucketCount, uint16_t keyKind)
{
    if (bucketCount == 0 || (keyKind != kHashIntegerKeys && keyKind != kHashStringKeys)) {
        EE_ReportError(kMsgHashBadTable);
        return nullptr;
    }
    auto* table = static_cast<HashTable*>(QXMem_Alloc(sizeof(HashTable)));
    auto* buckets = static_cast<HashEntry**>(QXMem_Alloc(bucketCount * sizeof(HashEntry*)));
    if (table == nullptr || buckets == nullptr) {
        QXMem_Free(table);
        QXMem_Free(buckets);
        EE_FatalError(kMsgOutOfMemory);
        return nullptr;
    }
    table->keyKind = keyKind;
    table->bucketCount = bucketCount;
    table->buckets = buckets;
    return table;
}

void HashDestroy(HashTable* table)
{
    if (table == nullptr) {
        EE_ReportError(kMsgHashBadTable);
        return;
    }
    for (uint16_t b = 0; b < table->bucketCount; ++b) {
        for (HashEntry* entry = table->buckets[b]; entry != nullptr;) {
            HashEntry* next = entry->next;
            QXMem_Free(entry);
            entry = next;
        }
    }
    QXMem_Free(table->buckets);
    QXMem_Free(table);
}

int HashStore(HashTable* table, int32_t key, void* data)
{
    return Store(table, IntegerKey(key), data);
}

int HashStore(HashTable* table, const char* key, void* data)
{
    return Store(table, StringKey(key), data);
}

void* HashLookup(const HashTable* table, int32_t key)
{
    return Lookup(table, IntegerKey(key));
}

void* HashLookup(const HashTable* table, const char* key)
{
    return Lookup(table, StringKey(key));
}

void* HashRemove(HashTable* table, int32_t key)
{
    return Remove(table, IntegerKey(key));
}

void* HashRemove(HashTable* table, const char* key)
{
    return Remove(table, StringKey(key));
}

void HashApply(const HashTable* table, HashApplyFn callback, void* argument)
{
    if (table == nullptr || callback == nullptr)
        return;
    for (uint16_t b = 0; b < table->bucketCount; ++b) {
        for (HashEntry* entry = table->buckets[b]; entry != nullptr;) {
            HashEntry* next = entry->next;
            callback(entry->data, argument);
            entry = next;
        }
    }
}

uint32_t HashCount(const HashTable* table)
{
    return table != nullptr ? table->entryCount : 0;
}

void* HashNth(const HashTable* table, uint32_t n)
{
    if (table == nullptr) {
        EE_FatalError(kMsgHashBadTable);
        return nullptr;
    }
    if (n == 0 || n > table->entryCount)
        return nullptr;
    for (uint16_t b = 0; b < table->bucketCount; ++b)
        for (HashEntry* entry = table->buckets[b]; entry != nullptr; entry = entry->next)
            if (--n == 0)
                return entry->data;
    return nullptr;
}
