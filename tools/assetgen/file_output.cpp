#include "tools/assetgen/file_output.h"

#include <cstdio>

namespace {

bool WriteAll(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(data, 1, size, file) == size;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return WriteAll(path, bytes.data(), bytes.size());
}

bool WriteText(const std::string& path, const std::string& text) {
    return WriteAll(path, text.data(), text.size());
}
