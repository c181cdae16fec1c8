// Unpacking the default model, which travels inside the executable as a ZIP archive.
#pragma once
#include <cstddef>

// Windows: makes the "TEMP" directory the process's current directory and writes
// every member of the archive resource (RCDATA 503 of HostState.instance) there under
// its stored name. True when the archive was opened and every member attempted;
// false when "TEMP" names no usable directory (then nothing is written anywhere), or
// when the resource or the archive cannot be opened.
bool UnpackDefaultModel();

// Writes every member of the ZIP archive in `data` to the current directory under its
// stored name; a member that cannot be written does not stop the others. False when
// the archive cannot be opened.
bool UnpackArchive(const void* data, size_t size);
