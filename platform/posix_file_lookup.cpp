// Case-insensitive file lookup on a file system that keeps letter case apart.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include "platform/file_lookup.h"

std::string FindFileIgnoringCase(const std::string& path) {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) == 0) return path;

    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return path;

    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory) return path;
    std::string found = path;
    while (dirent* entry = readdir(directory)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = folder + entry->d_name;
            break;
        }
    }
    closedir(directory);
    return found;
}
