// Windows looks file names up without regard to letter case already.
#include "platform/file_lookup.h"

std::string FindFileIgnoringCase(const std::string& path) {
    return path;
}
