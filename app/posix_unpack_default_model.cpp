// The packed default model off Windows: the archive's bytes are built into the
// program and unpacked into a private folder made for this run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/unpack_default_model.h"
#include "archive/unpack_archive.h"
#include "platform/trace.h"

extern const std::uint8_t packedModelFile[];
extern const std::size_t packedModelFileSize;

namespace {

// A folder of this user's that nobody else may write into: the only kind a private
// folder is made in, for a folder of another's could be swapped for a link.
bool SafeParent(const std::string& path) {
    struct stat info;
    if (path.empty() || path[0] != '/' || stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (info.st_uid == getuid() && !(info.st_mode & (S_IWGRP | S_IWOTH))) return true;
    // A shared folder such as /tmp is safe only with its sticky bit (others cannot
    // remove or rename what this user made in it) and owned by root or this user, the
    // only others who still could.
    return (info.st_mode & S_ISVTX) != 0 && (info.st_uid == 0 || info.st_uid == getuid());
}

std::string MakeIn(const char* parent) {
    if (!parent || !*parent) return std::string();
    std::string base = parent;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (!SafeParent(base)) return std::string();
    std::string pattern = base + "/velmora-XXXXXX";
    // mkdtemp makes the folder with mode 0700 under a name nobody could have taken.
    if (!mkdtemp(&pattern[0])) return std::string();
    return pattern;
}

}  // namespace

std::string MakePrivateModelFolder() {
    std::string folder = MakeIn(std::getenv("XDG_RUNTIME_DIR"));
    if (folder.empty()) folder = MakeIn(std::getenv("TMPDIR"));
    if (folder.empty()) folder = MakeIn("/tmp");
    return folder;
}

void RemovePrivateModelFolder(const std::string& folder) {
    if (folder.empty()) return;
    // Only plain files are unpacked; anything else was not written by this run.
    if (DIR* listing = opendir(folder.c_str())) {
        const int descriptor = dirfd(listing);
        while (const dirent* entry = readdir(listing)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            unlinkat(descriptor, entry->d_name, 0);
        }
        closedir(listing);
    }
    rmdir(folder.c_str());
}

bool UnpackDefaultModel(const char* folder) {
    TraceF("Will extract zip file to %s", folder);
    if (!*folder) return false;
    // The archive writes into the current directory: step into the folder and back.
    const int previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous < 0) return false;
    bool written = false;
    if (chdir(folder) == 0) {
        written = UnpackArchive(packedModelFile, packedModelFileSize);
        if (fchdir(previous) != 0) written = false;
    }
    close(previous);
    return written;
}
