// Null-checked wrappers of the C string functions, and path, case and dump
// helpers. A null argument is reported (message 16434) instead of crashing.
#pragma once

#include <cstddef>
#include <cstdint>

// Clears n bytes when the pointer is not null; returns the pointer.
void* SafeMemZero(void* pointer, size_t n);

// strcat, strncat, strcpy, strncpy when both arguments are not null; return
// the destination either way.
char* SafeStrcat(char* destination, const char* source);
char* SafeStrncat(char* destination, const char* source, size_t n);
char* SafeStrcpy(char* destination, const char* source);
char* SafeStrncpy(char* destination, const char* source, size_t n);

// strcmp; 1 when either string is null.
int SafeStrcmp(const char* a, const char* b);

// strlen; 0 for null.
size_t SafeStrlen(const char* text);

// strrchr; null for a null string.
char* SafeStrrchr(char* text, int character);
const char* SafeStrrchr(const char* text, int character);

// The part of the path before its last "/", as a new string from GE_Alloc;
// null when the path is null or has no "/".
char* OSPathDir(const char* path);

// The part of the path after its last "/", as a new string from GE_Alloc;
// null when the path is null, has no "/" or ends with "/".
char* OSPathFile(const char* path);

// Convert the string in place and return it; null is returned as it is.
char* OSLowerCase(char* text);
char* OSUpperCase(char* text);

// Writes a hex and character dump of the bytes to standard error, 16 bytes a
// line; returns n rounded up to a multiple of 16.
uint32_t OSHexDump(const void* bytes, uint32_t n);
