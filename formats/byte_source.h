// Where a model reader takes its bytes from: an open file or a block of memory.
// Both are read through ReadBytes, so a parser has one code path for both.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct ByteSource {
    std::FILE* file = nullptr;          // set for a file source
    const unsigned char* data = nullptr;  // set for a memory source
    size_t size = 0;
    size_t position = 0;
};

// Opens the file for binary reading; false when it cannot be opened.
bool OpenFileSource(ByteSource& source, const char* path);
// Reads from a caller-owned block that must outlive the source's use.
void OpenMemorySource(ByteSource& source, const void* data, size_t size);
// Closes a file source; a memory source is only forgotten. Safe to call twice.
void CloseSource(ByteSource& source);

// Reads up to count bytes into destination, or passes over them when destination
// is null. Returns the bytes actually read: fewer than count only at the end.
size_t ReadBytes(ByteSource& source, void* destination, size_t count);


