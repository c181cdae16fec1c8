#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/temp_folder.h"

const char* PlatformTemporaryFolder(char* buffer, int size) {
    const char* folder = std::getenv("TMPDIR");
    if (!folder || !*folder) folder = "/tmp";
    size_t length = std::strlen(folder);
    while (length > 1 && folder[length - 1] == '/') --length;
    if (length >= static_cast<size_t>(size)) {
        buffer[0] = '\0';
        return buffer;
    }
    std::memcpy(buffer, folder, length);
    buffer[length] = '\0';
    return buffer;
}
