// Opening a file named by a UTF-8 path for reading: the wide call on Windows, so
// names outside the system's code page open too.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/large_block.h"

// A binary stream, or null when the file does not open.
std::FILE* OpenFileForReading(const char* path);

// Reads a whole file of at most `limit` bytes. Reading stops at the limit, so a device
// or a file that keeps growing cannot fill memory.
// A model file's bytes may be hundreds of megabytes: they go into a large block.
using FileBytes = LargeVector<uint8_t>;
enum class FileReading { Whole, CannotOpen, TooLarge };
FileReading ReadFileAtMost(const char* path, size_t limit, FileBytes& bytes);
FileReading ReadFileAtMost(const char* path, size_t limit, std::vector<uint8_t>& bytes);
