#include "platform/file_open.h"

#include <new>

FileReading ReadFileAtMost(const char* path, size_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::FILE* file = OpenFileForReading(path);
    if (!file) return FileReading::CannotOpen;
    FileReading reading = FileReading::Whole;
    try {
        uint8_t block[65536];
        size_t count;
        while (reading == FileReading::Whole && (count = std::fread(block, 1, sizeof block, file)) > 0) {
            if (count > limit - bytes.size()) reading = FileReading::TooLarge;
            else bytes.insert(bytes.end(), block, block + count);
        }
        if (reading == FileReading::Whole && std::ferror(file)) reading = FileReading::CannotOpen;
    } catch (const std::bad_alloc&) {
        reading = FileReading::TooLarge;
    }
    std::fclose(file);
    if (reading != FileReading::Whole) bytes.clear();
    return reading;
}
