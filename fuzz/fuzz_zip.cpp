// The ZIP reader over bytes, the way the saver unpacks its packed model: open from
// memory, list every member, extract each under its stored name into the current
// folder. The process works inside sandbox/out of a fresh temporary folder; after
// every input the sandbox must hold nothing but out, so no stored name led a file
// out of the folder it was extracted into.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "fuzz/quiet.h"
#include "scene/unpack_default_model.h"
#include "scene/zip_reader.h"

namespace fs = std::filesystem;

namespace {

fs::path Sandbox() {
    static const fs::path sandbox = [] {
        std::string pattern = (fs::temp_directory_path() / "velmora-fuzz-zip-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        // Removed again when the run ends normally; a crash leaves it for a look. The
        // root's own static outlives the handler, which runs first.
        static const fs::path root = pattern;
        std::atexit([] { fs::remove_all(root); });
        fs::path folder = root / "sandbox";
        fs::create_directories(folder / "out");
        if (chdir((folder / "out").c_str()) != 0) std::abort();
        return folder;
    }();
    return sandbox;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilenceReaders();
    const fs::path sandbox = Sandbox();
    UnpackArchive(data, size);

    // Every entry once more, past the count too: queries must stay answers.
    if (ZipHandle* archive = ZipReader::openMemory(data, size)) {
        ZipEntry entry;
        ZipReader::getEntry(archive, -1, &entry);
        const int32_t count = entry.index;
        for (int32_t i = -2; i <= count + 1 && i < 1000; ++i) ZipReader::getEntry(archive, i, &entry);
        ZipReader::close(archive);
    }

    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(sandbox)) {
        if (item.path().filename() != "out") __builtin_trap();  // written outside out
    }
    for (const fs::directory_entry& item : fs::directory_iterator(sandbox / "out", error))
        fs::remove_all(item.path(), error);
    return 0;
}
