#include <windows.h>

#include "platform/temp_folder.h"

const char* PlatformTemporaryFolder(char* buffer, int size) {
    DWORD length = GetTempPathA(static_cast<DWORD>(size), buffer);
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        buffer[0] = '\0';
        return buffer;
    }
    if (buffer[length - 1] == '\\' || buffer[length - 1] == '/') buffer[length - 1] = '\0';
    return buffer;
}
