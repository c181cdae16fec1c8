// UnpackDefaultModel with the real packed model resource of velmora.scr: the files
// it writes into "TEMP" with the archive's times and attributes, an older read-only
// copy, a missing resource and an unusable "TEMP" (nothing is written then).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/unpack_default_model.h"
#include "archive/zip_reader.h"
#include "host/host_state.h"
#include "platform/trace.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> traced;
void Capture(const char* message) { traced.push_back(message); }

FileTime AsFileTime(const FILETIME& time) {
    return static_cast<FileTime>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The entries of this module's packed archive, read through ZipReader.
std::vector<ZipEntry> PackedEntries() {
    std::vector<ZipEntry> entries;
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(503), MAKEINTRESOURCEA(10));
    if (!found) return entries;
    const void* data = LockResource(LoadResource(nullptr, found));
    std::unique_ptr<ZipReader::ZipArchive> archive = ZipReader::openMemory(data, SizeofResource(nullptr, found));
    if (!archive) return entries;
    ZipEntry entry;
    for (int32_t i = 0; i < archive->count(); ++i)
        if (archive->getEntry(i, &entry) == ZipReader::kSuccess) entries.push_back(entry);
    return entries;
}

// Each test gets a fresh empty folder as "TEMP"; the current directory, "TEMP" and
// the trace sink are put back afterwards.
class Unpack : public ::testing::Test {
protected:
    void SetUp() override {
        previousDirectory = fs::current_path();
        const char* temp = std::getenv("TEMP");
        previousTemp = temp ? temp : "";
        static int counter = 0;
        folder = (fs::temp_directory_path() / ("velmora-unpack-" + std::to_string(++counter))).string();
        fs::remove_all(folder);
        ASSERT_TRUE(fs::create_directory(folder));
        SetEnvironmentVariableA("TEMP", folder.c_str());
        HostState.instance = GetModuleHandleA(nullptr);
        traced.clear();
        previousSink = SetTraceSink(Capture);
    }
    void TearDown() override {
        SetTraceSink(previousSink);
        fs::current_path(previousDirectory);
        SetEnvironmentVariableA("TEMP", previousTemp.empty() ? nullptr : previousTemp.c_str());
        for (const std::string& name : Listing())
            SetFileAttributesA((folder + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder);
    }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder)) names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string folder, previousTemp;
    fs::path previousDirectory;
    TraceSink previousSink = nullptr;
};

TEST_F(Unpack, WritesTheMembersIntoTempWithTheArchiveTimesAndAttributes) {
    std::vector<ZipEntry> entries = PackedEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_STREQ(entries[0].name, "Texture.jpg");
    EXPECT_STREQ(entries[1].name, "VLG.3DS");

    // Twice: files deleted between runs are simply written again.
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(UnpackDefaultModel(folder.c_str()));
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        EXPECT_EQ(lstrcmpiA(current, folder.c_str()), 0) << current;
        EXPECT_EQ(traced, std::vector<std::string>{"Will extract zip file to " + folder});
        EXPECT_EQ(Listing(), (std::vector<std::string>{"Texture.jpg", "VLG.3DS"}));
        for (const ZipEntry& entry : entries) {
            SCOPED_TRACE(entry.name);
            EXPECT_EQ(entry.attributes, 0xA0u);
            WIN32_FILE_ATTRIBUTE_DATA written;
            ASSERT_TRUE(GetFileAttributesExA((folder + "\\" + entry.name).c_str(), GetFileExInfoStandard, &written));
            // "Normal" only stands alone; with the archive bit the file shows just that.
            EXPECT_EQ(written.dwFileAttributes, entry.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
            EXPECT_EQ(AsFileTime(written.ftLastWriteTime), entry.modificationTime);
            // Wine keeps no creation time on Linux file systems (it reports the
            // modification time), so the creation time is not compared.
            EXPECT_EQ(AsFileTime(written.ftLastAccessTime), entry.accessTime);
            EXPECT_EQ(written.nFileSizeLow, static_cast<DWORD>(entry.uncompressedSize));
        }
        for (const ZipEntry& entry : entries) DeleteFileA((folder + "\\" + entry.name).c_str());
        traced.clear();
    }
}

TEST_F(Unpack, ReadOnlyOlderCopyIsSkippedAndTheOtherMemberWritten) {
    std::vector<ZipEntry> entries = PackedEntries();
    ASSERT_EQ(entries.size(), 2u);
    std::ofstream(folder + "\\Texture.jpg") << "older texture";
    std::ofstream(folder + "\\VLG.3DS") << "older model";
    SetFileAttributesA((folder + "\\Texture.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
    // Not the default model as packed: the caller loads none of it.
    EXPECT_FALSE(UnpackDefaultModel(folder.c_str()));
    EXPECT_EQ(Contents(folder + "\\Texture.jpg"), "older texture");
    EXPECT_EQ(Contents(folder + "\\VLG.3DS").size(), static_cast<size_t>(entries[1].uncompressedSize));
}

TEST_F(Unpack, MissingResourceWritesNothing) {
    HostState.instance = GetModuleHandleA("kernel32.dll");
    EXPECT_FALSE(UnpackDefaultModel(folder.c_str()));
    EXPECT_TRUE(Listing().empty());
}

TEST_F(Unpack, UnusableTempWritesNothingAnywhere) {
    SetCurrentDirectoryA(folder.c_str());
    EXPECT_FALSE(UnpackDefaultModel((folder + "\\missing").c_str()));
    EXPECT_TRUE(Listing().empty()) << "nothing lands in the current directory";
    EXPECT_FALSE(UnpackDefaultModel(""));
    EXPECT_TRUE(Listing().empty());
}

}  // namespace
