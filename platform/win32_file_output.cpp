// Unpacked files on Windows: CreateFile with the member's attributes, SetFileTime.
#include <windows.h>

#include <string>

#include "platform/file_output.h"

struct OutputFile {
    HANDLE handle;
};

static FILETIME AsFiletime(FileTime time) {
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(time);
    result.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return result;
}

FileTime FileTimeFromLocalTime(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    // The time zone's rules for that day, so that a summer date gets the summer offset.
    SYSTEMTIME universal;
    FILETIME result;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) || !SystemTimeToFileTime(&universal, &result))
        return 0;
    return static_cast<FileTime>(result.dwHighDateTime) << 32 | result.dwLowDateTime;
}

OutputFile* CreateOutputFile(const char* name, uint32_t attributes) {
    // Windows refuses to replace a read-only file; Wine running as root does not, as
    // its Unix permission check does not stop root. The refusal is made here for both.
    DWORD existing = GetFileAttributesA(name);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) &&
        !(existing & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    DWORD kept = attributes & (kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem |
                               kFileAttributeArchive | kFileAttributeNormal);
    HANDLE handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return new OutputFile{handle};
}

bool WriteOutputFile(OutputFile* file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file->handle, bytes, piece, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool IsDiskFile(OutputFile* file) { return GetFileType(file->handle) == FILE_TYPE_DISK; }

bool SetOutputFileTimes(OutputFile* file, FileTime creation, FileTime access, FileTime modification) {
    FILETIME created = AsFiletime(creation), accessed = AsFiletime(access), modified = AsFiletime(modification);
    return SetFileTime(file->handle, creation ? &created : nullptr, access ? &accessed : nullptr,
                       modification ? &modified : nullptr) != 0;
}

void CloseOutputFile(OutputFile* file) {
    if (!file) return;
    CloseHandle(file->handle);
    delete file;
}

bool RemoveOutputFile(const char* name) {
    SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(name) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool MakeDirectory(const char* path) {
    if (CreateDirectoryA(path, nullptr)) return true;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CurrentDirectory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return std::string();
    std::string buffer(needed, '\0');
    DWORD length = GetCurrentDirectoryA(needed, &buffer[0]);
    if (length == 0 || length >= needed) return std::string();
    buffer.resize(length);
    return buffer;
}

char PathSeparator() { return '\\'; }
