// Unpacking a whole ZIP archive held in memory into the current directory.
#pragma once
#include <cstddef>

// Writes every member of the ZIP archive in `data` to the current directory under its
// stored name; a member that cannot be written does not stop the others. True when
// the archive opened and every member was written.
bool UnpackArchive(const void* data, size_t size);
