// Opening a file named by a UTF-8 path for reading: the wide call on Windows, so
// names outside the system's code page open too.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// A binary stream, or null when the file does not open.
std::FILE* OpenFileForReading(const char* path);

// The whole file into bytes; false when it does not open or does not fit in memory.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes);
