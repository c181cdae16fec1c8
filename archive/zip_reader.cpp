// ZipReader over minizip: minizip reads the end record, the central directory, the
// local headers and inflates member data; it reads the archive from memory through
// the I/O callbacks below.
#include "archive/zip_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <minizip/unzip.h>
#include <new>
#include <string>
#include <vector>

#include "platform/little_endian.h"

namespace {

struct MemoryInput {
    const unsigned char* data;
    size_t size;
};

// One reader's position in the memory block; minizip opens one per archive.
struct MemoryCursor {
    const MemoryInput* input;
    size_t position;
    bool shortRead;  // the last read ended at the end of the block before its size
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int mode) {
    if (mode & ZLIB_FILEFUNC_MODE_WRITE) return nullptr;
    return new (std::nothrow) MemoryCursor{static_cast<const MemoryInput*>(opaque), 0, false};
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    MemoryCursor* cursor = static_cast<MemoryCursor*>(stream);
    size_t count = std::min<size_t>(size, cursor->input->size - cursor->position);
    if (count > 0) std::memcpy(buffer, cursor->input->data + cursor->position, count);
    cursor->position += count;
    cursor->shortRead = count < size;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) { return static_cast<MemoryCursor*>(stream)->position; }

// A position outside the block is refused, so no later read starts past its end.
long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    MemoryCursor* cursor = static_cast<MemoryCursor*>(stream);
    size_t size = cursor->input->size;
    size_t base;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: base = cursor->position; break;
        case ZLIB_FILEFUNC_SEEK_END: base = size; break;
        default: return -1;
    }
    if (offset > size - base) return -1;
    cursor->position = base + static_cast<size_t>(offset);
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf stream) {
    delete static_cast<MemoryCursor*>(stream);
    return 0;
}

// minizip asks after a read that came up short: a short read is an error. (Else its
// field readers take the missing bytes as read, leaving the field's value unset.)
int ZCALLBACK MemoryError(voidpf, voidpf stream) { return static_cast<MemoryCursor*>(stream)->shortRead ? 1 : 0; }

}  // namespace

struct ZipHandle {
    ~ZipHandle() {
        if (archive) unzClose(archive);
    }
    MemoryInput input;
    unzFile archive;
    int32_t count;
    int32_t currentIndex;  // the entry minizip stands on; -1 when not known
    int32_t lastIndex;     // the entry last returned, answered again from lastEntry; -1 none
    ZipEntry lastEntry;
    std::string root;      // the current directory at opening, with a trailing separator
};

namespace ZipReader {

namespace {

uint32_t AttributesOf(uint32_t external) {
    uint32_t attributes = kFileAttributeNormal;
    if (external & (1u << 4 | 1u << 30)) attributes |= kFileAttributeDirectory;
    if (external & (1u << 5)) attributes |= kFileAttributeArchive;
    if (external & (1u << 1)) attributes |= kFileAttributeHidden;
    if (external & (1u << 2)) attributes |= kFileAttributeSystem;
    if ((external & 1u) || !(external & (1u << 23))) attributes |= kFileAttributeReadOnly;
    return attributes;
}

// The DOS date (high half) and time (low half) as a file time; 0 for an impossible date.
FileTime FileTimeFromDos(uint32_t dosDateTime) {
    uint32_t date = dosDateTime >> 16, time = dosDateTime & 0xFFFF;
    int year = 1980 + static_cast<int>(date >> 9), month = (date >> 5) & 15, day = date & 31;
    int hour = static_cast<int>(time >> 11), minute = (time >> 5) & 63, second = (time & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return 0;
    return FileTimeFromLocalTime(year, month, day, hour, minute, second);
}

// Takes the times of an extended timestamp ("UT") record of the extra field: a flags
// byte (modification, access, creation), then a signed 32-bit Unix time for each flag
// that is set, in that order. Records and times that do not fit are left alone.
void ApplyExtendedTimestamp(const std::vector<unsigned char>& extra, ZipEntry* entry) {
    size_t at = 0;
    while (extra.size() - at >= 4) {
        uint32_t id = LittleEndian16(&extra[at]);
        size_t length = LittleEndian16(&extra[at + 2]);
        at += 4;
        if (length > extra.size() - at) return;
        if (id == 0x5455 && length >= 1) {
            const unsigned char* field = &extra[at];
            unsigned flags = field[0];
            size_t used = 1;
            FileTime* targets[3] = {&entry->modificationTime, &entry->accessTime, &entry->creationTime};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1u << bit))) continue;
                if (length - used < 4) break;
                int32_t seconds = static_cast<int32_t>(LittleEndian32(field + used));
                *targets[bit] = FileTimeFromUnixTime(seconds);
                used += 4;
            }
        }
        at += length;
    }
}

int32_t ClampSize(ZPOS64_T size) { return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size); }

// Moves minizip onto entry `index`, from the current entry or, behind it, from the first.
uint32_t PositionOn(ZipHandle* handle, int32_t index) {
    if (handle->currentIndex < 0 || index < handle->currentIndex) {
        handle->currentIndex = -1;
        if (unzGoToFirstFile(handle->archive) != UNZ_OK) return kCorrupt;
        handle->currentIndex = 0;
    }
    while (handle->currentIndex < index) {
        if (unzGoToNextFile(handle->archive) != UNZ_OK) {
            handle->currentIndex = -1;
            return kCorrupt;
        }
        ++handle->currentIndex;
    }
    return kSuccess;
}

// Fills `entry` from the central directory record and the local header of the entry
// minizip stands on.
uint32_t ReadCurrentEntry(ZipHandle* handle, int32_t index, ZipEntry* entry) {
    unz_file_info64 info;
    char name[sizeof entry->name];
    if (unzGetCurrentFileInfo64(handle->archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
        return kCorrupt;
    name[sizeof name - 1] = '\0';  // a longer name is cut; minizip leaves it unterminated

    ZipEntry filled = {};
    filled.index = index;
    std::memcpy(filled.name, name, sizeof name);
    filled.attributes = AttributesOf(static_cast<uint32_t>(info.external_fa));
    filled.accessTime = filled.creationTime = filled.modificationTime =
        FileTimeFromDos(static_cast<uint32_t>(info.dosDate));
    filled.compressedSize = ClampSize(info.compressed_size);
    filled.uncompressedSize = ClampSize(info.uncompressed_size);

    // The local header's extra field holds all the times the packer kept (the central
    // one usually just the modification time). Opened raw: only the header is read.
    int method = 0, level = 0;
    if (unzOpenCurrentFile2(handle->archive, &method, &level, 1) != UNZ_OK) return kCorrupt;
    std::vector<unsigned char> extra;
    int extraSize = unzGetLocalExtrafield(handle->archive, nullptr, 0);
    bool extraRead = extraSize >= 0;
    if (extraSize > 0) {
        extra.resize(static_cast<size_t>(extraSize));
        extraRead = unzGetLocalExtrafield(handle->archive, extra.data(), static_cast<unsigned>(extraSize)) == extraSize;
    }
    unzCloseCurrentFile(handle->archive);
    if (!extraRead) return kReadError;
    ApplyExtendedTimestamp(extra, &filled);
    *entry = filled;
    return kSuccess;
}

// Positions on entry `index` (0 <= index < count) and takes its entry.
uint32_t SelectEntry(ZipHandle* handle, int32_t index, ZipEntry* entry) {
    if (handle->lastIndex == index && handle->currentIndex == index) {
        *entry = handle->lastEntry;
        return kSuccess;
    }
    handle->lastIndex = -1;
    uint32_t result = PositionOn(handle, index);
    if (result == kSuccess) result = ReadCurrentEntry(handle, index, entry);
    if (result != kSuccess) return result;
    handle->lastIndex = index;
    handle->lastEntry = *entry;
    return kSuccess;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A name that stays inside the folder it is written to: not absolute, no drive
// letter, no ".." part.
bool StaysInside(const char* name) {
    if (IsSeparator(name[0]) || (name[0] != '\0' && name[1] == ':')) return false;
    const char* part = name;
    for (const char* c = name;; ++c) {
        if (*c == '\0' || IsSeparator(*c)) {
            if (c - part == 2 && part[0] == '.' && part[1] == '.') return false;
            if (*c == '\0') return true;
            part = c + 1;
        }
    }
}

// Creates each directory of `path` (its parts up to `length`) under the root.
void MakeDirectoriesUnderRoot(const std::string& root, const char* path, size_t length) {
    std::string directory = root;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && !IsSeparator(path[i])) continue;
        if (i > start) {
            if (directory.size() > root.size()) directory += PathSeparator();
            directory.append(path + start, i - start);
            MakeDirectory(directory.c_str());
        }
        start = i + 1;
    }
}

// Inflates the current member into `file` in pieces of 16384 bytes; false when
// reading, the member's check sum or writing fails.
bool CopyMember(unzFile archive, OutputFile* file) {
    std::vector<char> piece(16384);
    bool ok = true;
    for (;;) {
        int count = unzReadCurrentFile(archive, piece.data(), static_cast<unsigned>(piece.size()));
        if (count == 0) break;
        if (count < 0 || !WriteOutputFile(file, piece.data(), static_cast<size_t>(count))) {
            ok = false;
            break;
        }
    }
    // Reports a CRC mismatch once the whole member has been read.
    if (unzCloseCurrentFile(archive) != UNZ_OK) ok = false;
    return ok;
}

struct TextOfCode {
    uint32_t code;
    const char* text;
};

const TextOfCode kTexts[] = {
    {kSuccess, "Success"},
    {kCannotCreateFile, "Couldn't create/open file"},
    {kNoMemory, "Failed to allocate memory"},
    {kWriteError, "Error writing to file"},
    {kCorrupt, "Zipfile is corrupt or not a zipfile"},
    {kReadError, "Error reading file"},
    {kFaultyArguments, "Caller: faulty arguments"},
};

}  // namespace

std::unique_ptr<ZipArchive> openMemory(const void* data, size_t size, uint32_t* result) {
    uint32_t ignored;
    uint32_t& code = result ? *result : ignored;
    code = kSuccess;
    if (!data) {
        code = kFaultyArguments;
        return nullptr;
    }
    std::unique_ptr<ZipHandle> handle(new (std::nothrow) ZipHandle{});
    if (!handle) {
        code = kNoMemory;
        return nullptr;
    }
    handle->input = MemoryInput{static_cast<const unsigned char*>(data), size};
    handle->currentIndex = handle->lastIndex = -1;
    handle->root = CurrentDirectory();
    // Without a readable current directory, member directories are made relative to
    // whatever directory is current, never from the file system's root.
    if (!handle->root.empty() && !IsSeparator(handle->root.back())) handle->root += PathSeparator();

    zlib_filefunc64_def memoryFunctions = {OpenMemory,  ReadMemory,  WriteMemory, TellMemory,
                                           SeekMemory, CloseMemory, MemoryError, &handle->input};
    handle->archive = unzOpen2_64(&handle->input, &memoryFunctions);
    unz_global_info64 global;
    // Every central directory record takes at least 46 bytes of the block: a larger
    // count comes from a damaged end record and is not stepped through.
    if (!handle->archive || unzGetGlobalInfo64(handle->archive, &global) != UNZ_OK ||
        global.number_entry > size / 46 || global.number_entry > INT32_MAX) {
        code = kCorrupt;
        return nullptr;  // the handle closes what minizip opened
    }
    handle->count = static_cast<int32_t>(global.number_entry);
    std::unique_ptr<ZipArchive> archive(new (std::nothrow) ZipArchive(std::move(handle)));
    if (!archive) code = kNoMemory;
    return archive;
}

ZipArchive::ZipArchive(std::unique_ptr<ZipHandle> opened) : handle(std::move(opened)) {}

ZipArchive::~ZipArchive() = default;

int32_t ZipArchive::count() const { return handle->count; }

uint32_t ZipArchive::getEntry(int32_t index, ZipEntry* entry) {
    if (!entry || index < 0 || index >= handle->count) return kFaultyArguments;
    return SelectEntry(handle.get(), index, entry);
}

uint32_t ZipArchive::extractToFile(int32_t index, const char* fileName) {
    if (!fileName || index < 0 || index >= handle->count) return kFaultyArguments;
    ZipEntry entry;
    if (uint32_t result = SelectEntry(handle.get(), index, &entry)) return result;

    if (entry.attributes & kFileAttributeDirectory) {
        if (!StaysInside(entry.name)) return kFaultyArguments;
        MakeDirectoriesUnderRoot(handle->root, entry.name, std::strlen(entry.name));
        return kSuccess;
    }
    if (!StaysInside(fileName)) return kFaultyArguments;
    size_t directoryLength = 0;
    for (const char* c = fileName; *c; ++c)
        if (IsSeparator(*c)) directoryLength = static_cast<size_t>(c - fileName);
    MakeDirectoriesUnderRoot(handle->root, fileName, directoryLength);

    // The member is opened before the file is created, so that a member whose data
    // cannot be read at all leaves no empty file behind.
    unzFile archive = handle->archive;
    if (unzOpenCurrentFile(archive) != UNZ_OK) return kReadError;
    OutputFile* file = CreateOutputFile(fileName, entry.attributes & ~kFileAttributeDirectory);
    if (!file) {
        unzCloseCurrentFile(archive);
        return kCannotCreateFile;
    }
    bool ok = CopyMember(archive, file);
    const bool onDisk = IsDiskFile(file);
    if (ok && onDisk) SetOutputFileTimes(file, entry.creationTime, entry.accessTime, entry.modificationTime);
    CloseOutputFile(file);
    // A member that failed its read or its CRC is not left on disk with wrong bytes
    // for the next step to load.
    if (!ok && onDisk) RemoveOutputFile(fileName);
    return ok ? kSuccess : kWriteError;
}

uint32_t zipResultText(uint32_t code, char* buffer, uint32_t length) {
    const char* text = "unknown zip result code";
    for (const TextOfCode& known : kTexts)
        if (known.code == code) text = known.text;
    uint32_t full = static_cast<uint32_t>(std::strlen(text));
    if (buffer && length > 0) {
        uint32_t copied = std::min(full, length - 1);
        std::memcpy(buffer, text, copied);
        buffer[copied] = '\0';
    }
    return full;
}

}  // namespace ZipReader
