#include "platform/file_open.h"

std::FILE* OpenFileForReading(const char* path) { return path ? std::fopen(path, "rb") : nullptr; }
