#include "formats/model_file.h"

#include "platform/file_open.h"

ReadResult ReadModelFile(const char* path, FileBytes* bytes) {
    switch (ReadFileAtMost(path, kMaxModelFileBytes, *bytes)) {
        case FileReading::Whole: break;
        case FileReading::CannotOpen: return ReadResult().fail(ReadFailure::CannotOpen);
        case FileReading::TooLarge: return ReadResult().fail(ReadFailure::TooLarge, "a file over 256 MiB");
    }
    return ReadResult();
}

std::string FolderOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string FileBesideModel(const std::string& modelPath, const std::string& name) {
    const bool absolute = name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':');
    const std::string folder = FolderOf(modelPath);
    if (absolute || folder.empty()) return name;
    const bool dotBackslash = name.size() >= 2 && name[0] == '.' && name[1] == '\\';
    // ".\name": the folder without its own separator, then the name's backslash.
    if (dotBackslash) return folder.substr(0, folder.size() - 1) + name.substr(1);
    return folder + name;
}
