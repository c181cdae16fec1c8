// The ZIP reader over bytes, the way the saver unpacks its packed model: open from
// memory, list every member, extract each under its stored name into the current
// folder. Each input is unpacked in root/a/b/c/out of a fresh temporary root (the
// process's own folder is restored after it, so input paths stay valid); after every
// input each folder from root down must hold nothing but the next one, so no stored
// name led a file out of the folder it was extracted into, however far it climbed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "archive/unpack_archive.h"
#include "archive/zip_reader.h"
#include "fuzz/quiet.h"

namespace fs = std::filesystem;

namespace {

const char* const kLevels[] = {"a", "b", "c", "out"};

const fs::path& Root() {
    static const fs::path root = [] {
        std::string pattern = (fs::temp_directory_path() / "velmora-fuzz-zip-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        fs::path out = pattern;
        for (const char* level : kLevels) out /= level;
        fs::create_directories(out);
        return fs::path(pattern);
    }();
    return root;
}

// Removed when the run ends normally; a crash leaves it for a look.
void RemoveRoot() { fs::remove_all(Root()); }

// True when `folder` holds exactly one entry, named `only`.
bool HoldsOnly(const fs::path& folder, const char* only) {
    int count = 0;
    for (const fs::directory_entry& item : fs::directory_iterator(folder)) {
        if (item.path().filename() != only) return false;
        ++count;
    }
    return count == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    static const bool cleanUpAtExit = (Root(), std::atexit(RemoveRoot) == 0);
    (void)cleanUpAtExit;
    fs::path out = Root();
    for (const char* level : kLevels) out /= level;
    const int previous = open(".", O_RDONLY | O_DIRECTORY);
    if (previous < 0 || chdir(out.c_str()) != 0) std::abort();
    UnpackArchive(data, size);

    // Every entry once more, past the count too: queries must stay answers.
    if (std::unique_ptr<ZipReader::ZipArchive> archive = ZipReader::openMemory(data, size)) {
        ZipEntry entry;
        for (int32_t i = -2; i <= archive->count() + 1 && i < 1000; ++i) archive->getEntry(i, &entry);
    }

    if (fchdir(previous) != 0) std::abort();
    close(previous);

    fs::path folder = Root();
    for (const char* level : kLevels) {
        if (!HoldsOnly(folder, level)) __builtin_trap();  // something was written outside out
        folder /= level;
    }
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(out, error)) fs::remove_all(item.path(), error);
    return 0;
}
