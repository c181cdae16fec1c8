// ZipReader: reads a ZIP archive held in memory (minizip over zlib's inflate), lists
// its entries and writes members to files. Every operation returns a result code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/file_output.h"

struct ZipEntry {
    int32_t index;         // the member's index
    char name[260];        // the stored name with its directory part, NUL-terminated
    uint32_t attributes;   // kFileAttribute* bits
    FileTime accessTime;   // from the DOS date and time, or the "UT" extra field
    FileTime creationTime;
    FileTime modificationTime;
    int32_t compressedSize;
    int32_t uncompressedSize;
};

// What minizip needs of an open archive; inside the reader only.
struct ZipHandle;

namespace ZipReader {

// Result codes. 0x100 to 0x800: failures of input, output or data; 0x10000: misuse by
// the caller.
constexpr uint32_t kSuccess = 0x0;
constexpr uint32_t kCannotCreateFile = 0x200;
constexpr uint32_t kNoMemory = 0x300;
constexpr uint32_t kWriteError = 0x400;
constexpr uint32_t kCorrupt = 0x700;
constexpr uint32_t kReadError = 0x800;
constexpr uint32_t kFaultyArguments = 0x10000;

// An open archive over a block of memory; it is closed when it goes.
class ZipArchive {
public:
    explicit ZipArchive(std::unique_ptr<ZipHandle> handle);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The number of members.
    int32_t count() const;

    // Fills `entry` for member `index`. An index below 0 or not below the count gives
    // 0x10000; an unreadable local header 0x700; an unreadable extra field 0x800.
    uint32_t getEntry(int32_t index, ZipEntry* entry);

    // Writes member `index` to the file `fileName` (relative to the current
    // directory), creating the directories of its directory part under the root; a
    // directory member creates its directory. A name that is absolute, starts with a
    // drive letter or has a ".." part is refused with 0x10000 and nothing is created.
    // 0x200 when the file cannot be created, 0x400 when reading the member or writing
    // the file fails (a file written with wrong bytes is removed again).
    uint32_t extractToFile(int32_t index, const char* fileName);

private:
    std::unique_ptr<ZipHandle> handle;
};

// Opens the archive in `data`, which must stay in place while the archive lives.
// Records the current directory as the root under which member directories are
// created. Null when `data` is null (0x10000), holds no readable ZIP archive (0x700)
// or no memory is left (0x300); `result`, when given, receives the code.
std::unique_ptr<ZipArchive> openMemory(const void* data, size_t size, uint32_t* result = nullptr);

// Copies the text of `code` into `buffer`, cut to `length` - 1 characters,
// NUL-terminated; with no buffer or a length of 0 nothing is copied. Returns the
// length of the whole text.
uint32_t zipResultText(uint32_t code, char* buffer, uint32_t length);

}  // namespace ZipReader
