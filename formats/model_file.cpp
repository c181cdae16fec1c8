#include "formats/model_file.h"

#include "platform/file_open.h"

ReadResult ReadModelFile(const char* path, std::vector<uint8_t>* bytes) {
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

bool IsAbsoluteName(const std::string& name) {
    return !name.empty() && (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'));
}
