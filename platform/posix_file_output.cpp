// Unpacked files on POSIX systems. A read-only file is one without write permission;
// there is no creation time, hidden or system attribute.
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_output.h"

struct OutputFile {
    int descriptor;
};

// Archive names may separate directories with backslashes.
static std::string PosixPath(const char* name) {
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

FileTime FileTimeFromLocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm calendar = {};
    calendar.tm_year = year - 1900;
    calendar.tm_mon = month - 1;
    calendar.tm_mday = day;
    calendar.tm_hour = hour;
    calendar.tm_min = minute;
    calendar.tm_sec = second;
    calendar.tm_isdst = -1;  // whatever daylight saving time applied on that day
    std::time_t seconds = std::mktime(&calendar);
    if (seconds == static_cast<std::time_t>(-1) || seconds < -kUnixEpochInFileTimeSeconds) return 0;
    return FileTimeFromUnixTime(seconds);
}

OutputFile* CreateOutputFile(const char* name, uint32_t attributes) {
    std::string path = PosixPath(name);
    // Windows refuses to replace a read-only file, even for an administrator; the same
    // holds here, also for root, whom the permission bits would not stop.
    struct stat existing;
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && !(existing.st_mode & S_IWUSR))
        return nullptr;
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    struct stat created;
    if ((attributes & kFileAttributeReadOnly) && fstat(descriptor, &created) == 0 && S_ISREG(created.st_mode))
        fchmod(descriptor, created.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) & 07777);
    return new OutputFile{descriptor};
}

bool WriteOutputFile(OutputFile* file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(file->descriptor, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool IsDiskFile(OutputFile* file) {
    struct stat info;
    return fstat(file->descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

static timespec AsTimespec(FileTime time) {
    timespec result = {};
    if (time == 0) {
        result.tv_nsec = UTIME_OMIT;
        return result;
    }
    int64_t ticks = static_cast<int64_t>(time) - kUnixEpochInFileTimeSeconds * 10000000;
    int64_t seconds = ticks / 10000000;
    int64_t rest = ticks % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    result.tv_sec = static_cast<time_t>(seconds);
    result.tv_nsec = static_cast<long>(rest * 100);
    return result;
}

bool SetOutputFileTimes(OutputFile* file, FileTime, FileTime access, FileTime modification) {
    const timespec times[2] = {AsTimespec(access), AsTimespec(modification)};
    return futimens(file->descriptor, times) == 0;
}

void CloseOutputFile(OutputFile* file) {
    if (!file) return;
    close(file->descriptor);
    delete file;
}

bool RemoveOutputFile(const char* name) {
    // Off Windows a directory's permissions decide removal; the file's own mode is
    // cleared all the same, as its attributes are there.
    std::string path = PosixPath(name);
    chmod(path.c_str(), 0600);
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool MakeDirectory(const char* path) {
    std::string posixPath = PosixPath(path);
    if (mkdir(posixPath.c_str(), 0777) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(posixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string CurrentDirectory() {
    std::string buffer(256, '\0');
    while (getcwd(&buffer[0], buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(buffer.find('\0'));
    return buffer;
}

char PathSeparator() { return '/'; }
