// Hash tables from signed 32-bit integer keys or C-string keys (one kind per
// table) to data words. Each bucket's chain is kept sorted by key, so a failed
// lookup stops at the first greater key and iteration within a bucket is in
// key order. String keys are not copied: a key must outlive its entry.
#pragma once

#include <cstdint>

enum : uint16_t { kHashIntegerKeys = 1, kHashStringKeys = 2 };

struct HashEntry {
    void* data;
    int32_t integerKey;
    const char* stringKey;
    HashEntry* next;
    HashEntry* prev;
};

struct HashTable {
    uint16_t keyKind;      // kHashIntegerKeys or kHashStringKeys
    uint16_t bucketCount;  // fixed at creation
    uint32_t entryCount;
    HashEntry** buckets;   // bucketCount chain heads
};

using HashApplyFn = void (*)(void* data, void* argument);

// A new empty table; 0 (with message 16433) for no buckets or an unknown key
// kind. Exhausted memory is fatal.
HashTable* HashCreate(uint16_t bucketCount, uint16_t keyKind);

// Gives back every entry, the buckets and the table; never the data.
void HashDestroy(HashTable* table);

// Stores the pair in its sorted place: 1. A key already present (16437), a
// null string key (16434) or a key of the other kind (16433) stores nothing: 0.
int HashStore(HashTable* table, int32_t key, void* data);
int HashStore(HashTable* table, const char* key, void* data);

// The data stored under the key, or 0.
void* HashLookup(const HashTable* table, int32_t key);
void* HashLookup(const HashTable* table, const char* key);

// Removes the key's entry and gives its data, or 0 when absent.
void* HashRemove(HashTable* table, int32_t key);
void* HashRemove(HashTable* table, const char* key);

// Calls the callback for every entry: buckets in index order, each chain from
// its head. The callback may remove the entry it is given.
void HashApply(const HashTable* table, HashApplyFn callback, void* argument);

uint32_t HashCount(const HashTable* table);

// The data of the n-th entry (from 1) in the order of HashApply, else 0.
void* HashNth(const HashTable* table, uint32_t n);
