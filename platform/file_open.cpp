#include "platform/file_open.h"

#include <new>

namespace {

template <class Bytes>
FileReading ReadInto(const char* path, size_t limit, Bytes& bytes) {
    bytes.clear();
    std::FILE* file = OpenFileForReading(path);
    if (!file) return FileReading::CannotOpen;
    FileReading reading = FileReading::Whole;
    try {
        // Sized once from the file's length where the system tells it, and read in one
        // call: a file of hundreds of megabytes is neither grown step by step nor
        // copied through a block. What the length did not tell (a file that grew, or
        // one with no length) follows block by block.
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            if (std::fseek(file, 0, SEEK_SET) != 0) reading = FileReading::CannotOpen;
            else if (size > 0 && static_cast<unsigned long>(size) > limit) reading = FileReading::TooLarge;
            else if (size > 0) {
                bytes.resize(static_cast<size_t>(size));
                bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
            }
        }
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
    if (reading != FileReading::Whole) Bytes().swap(bytes);  // nothing kept of a file not read
    return reading;
}

}  // namespace

FileReading ReadFileAtMost(const char* path, size_t limit, FileBytes& bytes) { return ReadInto(path, limit, bytes); }

FileReading ReadFileAtMost(const char* path, size_t limit, std::vector<uint8_t>& bytes) {
    return ReadInto(path, limit, bytes);
}
