// In-memory text files kept in chains of fixed blocks (see MemFile.h).
#include "atolq/Utils/MemFile.h"

#include <algorithm>
#include <cstring>

#include "atolq/Utils/QXMem.h"

namespace {

// The length stays representable in 32 bits.
constexpr uint32_t kMaxBlocks = UINT32_MAX / kMemFileBlockSize;

MemFileBlock* NewBlock()
{
    return static_cast<MemFileBlock*>(QXMem_Alloc(sizeof(MemFileBlock)));
}

// Links a new block after the write block and makes it the write block.
bool AddBlock(MemFile* file)
{
    if (file->blockNumber >= kMaxBlocks)
        return false;
    MemFileBlock* block = NewBlock();
    if (block == nullptr)
        return false;
    MemFileBlock* after = file->writeBlock;
    block->prev = after;
    block->next = after->next;
    if (block->next != nullptr)
        block->next->prev = block;
    after->next = block;
    file->writeBlock = block;
    file->writeOffset = 0;
    ++file->blockNumber;
    return true;
}

void FreeBlocksAfter(MemFileBlock* block)
{
    MemFileBlock* next = block->next;
    block->next = nullptr;
    while (next != nullptr) {
        MemFileBlock* after = next->next;
        QXMem_Free(next);
        next = after;
    }
}

// Where the readable bytes of the read block end.
uint16_t ReadableEnd(const MemFile* file)
{
    return file->readBlock == file->writeBlock ? file->writeOffset : kMemFileBlockSize;
}

uint32_t ReadableHere(const MemFile* file)
{
    uint16_t end = ReadableEnd(file);
    return file->readOffset < end ? end - file->readOffset : 0;
}

void StepToNextBlock(MemFile* file)
{
    file->readBlock = file->readBlock->next;
    file->readOffset = 0;
}

}  // namespace

MemFile* MemFileCreate()
{
    auto* file = static_cast<MemFile*>(QXMem_Alloc(sizeof(MemFile)));
    MemFileBlock* block = NewBlock();
    if (file == nullptr || block == nullptr) {
        QXMem_Free(file);
        QXMem_Free(block);
        return nullptr;
    }
    file->firstBlock = file->writeBlock = file->readBlock = block;
    file->blockNumber = 1;
    return file;
}

void MemFileDestroy(MemFile* file)
{
    if (file == nullptr)
        return;
    FreeBlocksAfter(file->firstBlock);
    QXMem_Free(file->firstBlock);
    QXMem_Free(file);
}

void MemFileReset(MemFile* file)
{
    FreeBlocksAfter(file->firstBlock);
    file->writeBlock = file->readBlock = file->firstBlock;
    file->writeOffset = file->readOffset = 0;
    file->blockNumber = 1;
}

int MemFileWrite(MemFile* file, const void* bytes, uint32_t count)
{
    const auto* source = static_cast<const char*>(bytes);
    while (count > 0) {
        uint32_t room = kMemFileBlockSize - file->writeOffset;
        if (room == 0) {
            if (!AddBlock(file))
                return -1;
            continue;
        }
        uint32_t piece = std::min(count, room);
        std::memcpy(file->writeBlock->data + file->writeOffset, source, piece);
        file->writeOffset = static_cast<uint16_t>(file->writeOffset + piece);
        source += piece;
        count -= piece;
    }
    return 0;
}

int MemFilePutc(MemFile* file, int byte)
{
    char c = static_cast<char>(byte);
    return MemFileWrite(file, &c, 1);
}

uint32_t MemFileLength(const MemFile* file)
{
    return file->writeOffset + (file->blockNumber - 1) * kMemFileBlockSize;
}

void MemFileRewind(MemFile* file)
{
    file->readBlock = file->firstBlock;
    file->readOffset = 0;
}

int MemFileRead(MemFile* file, void* buffer, uint32_t* count)
{
    auto* target = static_cast<char*>(buffer);
    uint32_t wanted = *count;
    uint32_t copied = 0;
    for (;;) {
        uint32_t piece = std::min(wanted, ReadableHere(file));
        if (piece > 0)
            std::memcpy(target + copied, file->readBlock->data + file->readOffset, piece);
        file->readOffset = static_cast<uint16_t>(file->readOffset + piece);
        copied += piece;
        wanted -= piece;
        if (wanted == 0) {
            *count = copied;
            return 0;
        }
        if (file->readBlock == file->writeBlock) {
            *count = copied;
            return -1;
        }
        StepToNextBlock(file);
    }
}

int MemFileReadPtr(MemFile* file, const char** address, uint32_t* count)
{
    uint32_t here = ReadableHere(file);
    *address = file->readBlock->data + file->readOffset;
    if (*count <= here) {
        file->readOffset = static_cast<uint16_t>(file->readOffset + *count);
        return 0;
    }
    *count = here;
    if (file->readBlock != file->writeBlock) {
        StepToNextBlock(file);
        return 0;
    }
    file->readOffset = ReadableEnd(file);
    return -1;
}

int MemFileGetc(MemFile* file)
{
    while (ReadableHere(file) == 0) {
        if (file->readBlock == file->writeBlock)
            return -1;
        StepToNextBlock(file);
    }
    return static_cast<unsigned char>(file->readBlock->data[file->readOffset++]);
}

int MemFileUngetc(MemFile* file)
{
    if (file->readOffset > 0) {
        --file->readOffset;
        return 0;
    }
    if (file->readBlock == file->firstBlock)
        return -1;
    file->readBlock = file->readBlock->prev;
    file->readOffset = kMemFileBlockSize - 1;
    return 0;
}

int MemFileSeekBack(MemFile* file, uint32_t count)
{
    for (;;) {
        if (count <= file->readOffset) {
            file->readOffset = static_cast<uint16_t>(file->readOffset - count);
            return 0;
        }
        if (file->readBlock == file->firstBlock) {
            file->readOffset = 0;
            return -1;
        }
        count -= file->readOffset + 1u;
        file->readBlock = file->readBlock->prev;
        file->readOffset = kMemFileBlockSize - 1;
    }
}
