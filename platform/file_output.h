// Writing unpacked files: creating a file with attributes, writing it, giving it
// its times; creating directories; the current directory. Windows implements these
// with its file API, other systems with POSIX calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// File attribute bits, with the values Windows gives them.
constexpr uint32_t kFileAttributeReadOnly = 0x01;
constexpr uint32_t kFileAttributeHidden = 0x02;
constexpr uint32_t kFileAttributeSystem = 0x04;
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr uint32_t kFileAttributeNormal = 0x80;

// A file time as Windows counts it: 100-nanosecond steps since 1601-01-01 UTC.
// 0 stands for "no time": a file time of 0 is never set on a file.
using FileTime = uint64_t;

constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600;

// The file time of a Unix time (seconds since 1970-01-01 UTC).
constexpr FileTime FileTimeFromUnixTime(int64_t seconds) {
    return static_cast<FileTime>(seconds + kUnixEpochInFileTimeSeconds) * 10000000u;
}

// The file time of a calendar time in the local time zone (month 1-12, day 1-31);
// 0 when the platform cannot convert it.
FileTime FileTimeFromLocalTime(int year, int month, int day, int hour, int minute, int second);

struct OutputFile;

// Creates `name` for writing, not shared, replacing an existing file, with the given
// attributes (kFileAttribute* bits; read-only, hidden and system are kept, off Windows
// only read-only, as a cleared write permission). Relative names resolve against the
// current directory; both "/" and "\" separate directories. An existing read-only file
// is not replaced. Null when the file cannot be created.
OutputFile* CreateOutputFile(const char* name, uint32_t attributes);
// Writes all `size` bytes; false on any failure.
bool WriteOutputFile(OutputFile* file, const void* data, size_t size);
// True for a file on disk (not a device such as the null device).
bool IsDiskFile(OutputFile* file);
// Sets the times that are not 0; systems without a creation time ignore it.
bool SetOutputFileTimes(OutputFile* file, FileTime creation, FileTime access, FileTime modification);
void CloseOutputFile(OutputFile* file);
// Removes a closed file that was not written whole, clearing its attributes first (a
// read-only member's file could not be removed otherwise); true when it is gone.
bool RemoveOutputFile(const char* name);

// Creates one directory; true when it exists afterwards.
bool MakeDirectory(const char* path);
// The process's current directory, without a trailing separator unless it is a root;
// empty when it cannot be read.
std::string CurrentDirectory();
// The character the platform puts between directory names.
char PathSeparator();
