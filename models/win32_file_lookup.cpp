// Windows looks file names up without regard to letter case already.
#include "models/file_lookup.h"

std::string FindFileIgnoringCase(const std::string& path) {
    return path;
}
