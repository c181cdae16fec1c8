#include "platform/file_open.h"

#include <string>

#include "platform/win32_utf8.h"

std::FILE* OpenFileForReading(const char* path) {
    if (!path) return nullptr;
    return _wfopen(WideFromUtf8(path).c_str(), L"rb");
}
