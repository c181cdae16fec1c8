// ZipReader: reads a ZIP archive held in memory (minizip over zlib's inflate), lists
// its entries and writes members to files. Every operation returns a result code and
// also keeps it in ZipReader::lastResult.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/file_output.h"

struct ZipEntry {
    int32_t index;         // the member's index; for the query with index -1, the member count
    char name[260];        // the stored name with its directory part, NUL-terminated
    uint32_t attributes;   // kFileAttribute* bits
    FileTime accessTime;   // from the DOS date and time, or the "UT" extra field
    FileTime creationTime;
    FileTime modificationTime;
    int32_t compressedSize;
    int32_t uncompressedSize;
};

// An open archive; only ever handled through a pointer.
struct ZipHandle;

namespace ZipReader {

// Result codes. 0x100 to 0x800: failures of input, output or data; 0x10000 to
// 0x80000: misuse by the caller; 0x1000000 and above: internal failures.
constexpr uint32_t kSuccess = 0x0;
constexpr uint32_t kCannotDuplicateHandle = 0x100;
constexpr uint32_t kCannotCreateFile = 0x200;
constexpr uint32_t kNoMemory = 0x300;
constexpr uint32_t kWriteError = 0x400;
constexpr uint32_t kNotFound = 0x500;
constexpr uint32_t kMoreData = 0x600;
constexpr uint32_t kCorrupt = 0x700;
constexpr uint32_t kReadError = 0x800;
constexpr uint32_t kFaultyArguments = 0x10000;
constexpr uint32_t kNotMemoryZip = 0x20000;
constexpr uint32_t kMemoryTooSmall = 0x30000;
constexpr uint32_t kPreviousError = 0x40000;
constexpr uint32_t kAlreadyEnded = 0x50000;
constexpr uint32_t kWrongSize = 0x60000;
constexpr uint32_t kPartlyUnzipped = 0x70000;
constexpr uint32_t kNotOpenArchive = 0x80000;
constexpr uint32_t kNotInitialised = 0x1000000;
constexpr uint32_t kUnseekable = 0x2000000;
constexpr uint32_t kCannotChangeMind = 0x4000000;
constexpr uint32_t kFlationError = 0x5000000;
// Not a result: given to zipResultText, it stands for lastResult.
constexpr uint32_t kLastResult = 1;

// The result code of the last operation.
extern uint32_t lastResult;

// Opens the archive in `data`, which must stay in place until close. Records the
// current directory as the root under which member directories are created. Null
// when `data` is null (0x10000) or holds no readable ZIP archive (0x700).
ZipHandle* openMemory(const void* data, size_t size);

// Fills `entry` for member `index`. Index -1 gives only the member count in
// entry->index. Another index below 0 or not below the count gives 0x10000; an
// unreadable local header 0x700; an unreadable extra field 0x800.
uint32_t getEntry(ZipHandle* handle, int32_t index, ZipEntry* entry);

// Writes member `index` to the file `fileName` (relative to the current directory),
// creating the directories of its directory part under the root; a directory member
// creates its directory. A name that is absolute, starts with a drive letter or has a
// ".." part is refused with 0x10000 and nothing is created. 0x200 when the file
// cannot be created, 0x400 when reading the member or writing the file fails.
uint32_t extractToFile(ZipHandle* handle, int32_t index, const char* fileName);

// Releases the handle; it is no longer an open archive afterwards.
uint32_t close(ZipHandle* handle);

// Copies the text of `code` (kLastResult: of lastResult) into `buffer`, cut to
// `length` - 1 characters, NUL-terminated; with no buffer or a length of 0 nothing is
// copied. Returns the length of the whole text.
uint32_t zipResultText(uint32_t code, char* buffer, uint32_t length);

}  // namespace ZipReader
