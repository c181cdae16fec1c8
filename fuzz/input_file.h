// The texture readers take paths, as the saver hands them files from disk: each
// input is written to one file in a private temporary folder first.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

inline const std::string& InputFile(const char* name) {
    static const std::string path = [name] {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        // Constructed before the handler is registered, so destroyed after it runs.
        static const std::string folder = pattern;
        std::atexit([] { std::filesystem::remove_all(folder); });
        return pattern + "/" + name;
    }();
    return path;
}

inline const char* WriteInput(const char* name, const uint8_t* data, size_t size) {
    const std::string& path = InputFile(name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path.c_str();
}
