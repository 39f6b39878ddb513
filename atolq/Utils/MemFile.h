// In-memory text files: a growable byte buffer kept in a chain of 1024-byte
// blocks, with one write position at its end and an independent read
// position. Appending never moves what was written, so the address that
// MemFileReadPtr gives stays valid while the file grows.
#pragma once

#include <cstdint>

inline constexpr uint16_t kMemFileBlockSize = 1024;

struct MemFileBlock {
    MemFileBlock* next;
    MemFileBlock* prev;
    char data[kMemFileBlockSize];
};

struct MemFile {
    MemFileBlock* firstBlock;
    MemFileBlock* writeBlock;  // receives the next byte; every block before it is full
    MemFileBlock* readBlock;   // gives the next byte read
    uint16_t writeOffset;      // bytes used in the write block, 0 to 1024
    uint16_t readOffset;       // next byte to read in the read block
    uint32_t blockNumber;      // 1-based number of the write block in the chain
};

// A file with one empty block; 0 when memory cannot be had.
MemFile* MemFileCreate();

// Gives back every block and the file.
void MemFileDestroy(MemFile* file);

// Empties the file: every block after the first is given back, both positions
// go to the start.
void MemFileReset(MemFile* file);

// Append bytes: 0, or -1 when memory for a new block ran out (the bytes up to
// the end of the last block are kept, the rest is dropped).
int MemFileWrite(MemFile* file, const void* bytes, uint32_t count);
int MemFilePutc(MemFile* file, int byte);

uint32_t MemFileLength(const MemFile* file);

// Puts the read position at the start.
void MemFileRewind(MemFile* file);

// Copies up to *count bytes from the read position: 0 when all were copied;
// -1 when the data ended first. *count is set to the bytes copied.
int MemFileRead(MemFile* file, void* buffer, uint32_t* count);

// Gives the address of the read position without copying, and advances past
// the bytes that can be read there. When fewer than *count bytes are left in
// this block, *count becomes that number and the read position moves on to the
// next block (0), or stays at the end of the data (-1).
int MemFileReadPtr(MemFile* file, const char** address, uint32_t* count);

// The next byte (0 to 255), or -1 at the end of the data.
int MemFileGetc(MemFile* file);

// Moves the read position back one byte: 0, or -1 when it is at the start.
int MemFileUngetc(MemFile* file);

// Moves the read position back count bytes: 0, or -1 when the start was
// reached first (the position is then the start).
int MemFileSeekBack(MemFile* file, uint32_t count);
