// ZipReader and UnpackArchive against archives made by Info-ZIP zip and Python's
// zipfile (tests/data/zip/make_archives.sh), and damaged copies of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "archive/unpack_archive.h"
#include "archive/zip_reader.h"

namespace fs = std::filesystem;
using namespace ZipReader;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes LoadArchive(const char* name) {
    std::string path = std::string(VELMORA_SOURCE_DIR) + "/tests/data/zip/" + name;
#ifdef _WIN32
    if (path[0] == '/') path = "Z:" + path;  // under Wine the Linux root is drive Z:
#endif
    std::ifstream in(path, std::ios::binary);
    Bytes bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_FALSE(bytes.empty()) << path;
    return bytes;
}

// A calendar time in the local time zone, as the C library converts it.
FileTime Local(int year, int month, int day, int hour, int minute, int second) {
    std::tm calendar = {};
    calendar.tm_year = year - 1900;
    calendar.tm_mon = month - 1;
    calendar.tm_mday = day;
    calendar.tm_hour = hour;
    calendar.tm_min = minute;
    calendar.tm_sec = second;
    calendar.tm_isdst = -1;
    return FileTimeFromUnixTime(std::mktime(&calendar));
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t Find(const Bytes& bytes, const char* signature, size_t from) {
    for (size_t at = from; at + 4 <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], signature, 4) == 0) return at;
    return 0;
}

struct Expected {
    const char* name;
    uint32_t attributes;
    FileTime modification, access, creation;
    int32_t uncompressedSize;
};

void ExpectEntries(const char* archiveName, const std::vector<Expected>& expected) {
    Bytes archive = LoadArchive(archiveName);
    std::unique_ptr<ZipArchive> handle = openMemory(archive.data(), archive.size());
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(handle->count(), static_cast<int32_t>(expected.size()));
    for (int32_t i = 0; i < handle->count(); ++i) {
        const Expected& want = expected[i];
        ZipEntry got;
        ASSERT_EQ(handle->getEntry(i, &got), kSuccess) << want.name;
        EXPECT_EQ(got.index, i);
        EXPECT_STREQ(got.name, want.name);
        EXPECT_EQ(got.attributes, want.attributes) << want.name;
        EXPECT_EQ(got.modificationTime, want.modification) << want.name;
        EXPECT_EQ(got.accessTime, want.access) << want.name;
        EXPECT_EQ(got.creationTime, want.creation) << want.name;
        EXPECT_EQ(got.uncompressedSize, want.uncompressedSize) << want.name;
    }
}

TEST(ZipResultText, CopiesCutsAndCounts) {
    char buffer[64] = "untouched";
    EXPECT_EQ(zipResultText(kSuccess, buffer, 0), 7u);
    EXPECT_EQ(zipResultText(kSuccess, nullptr, 50), 7u);
    EXPECT_STREQ(buffer, "untouched");
    EXPECT_EQ(zipResultText(kCorrupt, buffer, 10), 35u);
    EXPECT_STREQ(buffer, "Zipfile i");
    EXPECT_EQ(zipResultText(kCannotCreateFile, buffer, 1), 25u);
    EXPECT_STREQ(buffer, "");
    for (uint32_t unknown : {0x2u, 0x900u, 0x90000u, 0x3000000u}) {
        zipResultText(unknown, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, "unknown zip result code") << unknown;
    }
}

TEST(ZipOpen, TruncatedOrImplausibleArchivesGiveNoArchive) {
    const char notZip[] = "plain text, not a ZIP archive";
    uint32_t result = kSuccess;
    EXPECT_EQ(openMemory(notZip, sizeof notZip, &result), nullptr);
    EXPECT_EQ(result, kCorrupt);
    EXPECT_EQ(openMemory(nullptr, 100, &result), nullptr);
    EXPECT_EQ(result, kFaultyArguments);
    Bytes archive = LoadArchive("python.zip");
    for (size_t size = 0; size < archive.size(); ++size) {  // each loses (part of) the end record
        result = kSuccess;
        ASSERT_EQ(openMemory(archive.data(), size, &result), nullptr) << size;
        ASSERT_EQ(result, kCorrupt) << size;
    }
    // An end record counting more entries than the archive can hold.
    for (size_t at = archive.size() - 14; at < archive.size() - 10; ++at) archive[at] = 0xFF;
    EXPECT_EQ(openMemory(archive.data(), archive.size(), &result), nullptr);
    EXPECT_EQ(result, kCorrupt);
}

TEST(ZipEntries, AttributesTimesAndSizesFromBothPackers) {
    // Info-ZIP ran with TZ=UTC: DOS times are local times; "UT" holds two times.
    FileTime dos = Local(2001, 2, 3, 4, 5, 6), m = FileTimeFromUnixTime(981173106),
             a = FileTimeFromUnixTime(1015218367);
    ExpectEntries("infozip.zip", {{"sub/", 0x90, m, a, dos, 0},
                                  {"sub/deflated.txt", 0x80, m, a, dos, 8652},
                                  {"sub/readonly.txt", 0x81, m, a, dos, 46},
                                  {"stored.bin", 0x80, m, a, dos, 300}});
    dos = Local(2010, 6, 15, 12, 30, 44);
    auto unix = FileTimeFromUnixTime;
    ExpectEntries("python.zip", {{"plain.txt", 0xA1, dos, dos, dos, 2310},  // DOS only: no Unix write bit
                                 {"unixmode.txt", 0xA0, unix(1262347200), dos, dos, 17},
                                 {"hidden.sys", 0x87, unix(1293883200), unix(1325419200), dos, 500},
                                 {"folder/", 0x91, dos, dos, dos, 0},
                                 {"nested/deeper/three.txt", 0x80, unix(1356955200), unix(1388491200),
                                  unix(1420027200), 1000},
                                 {"unixdir/", 0x90, dos, dos, dos, 0}});
    // "UT" with fewer times than its flags promise; a record running past the field.
    ExpectEntries("damaged_ut.zip", {{"short.txt", 0x80, unix(1262347200), dos, dos, 6},
                                     {"overrun.txt", 0x80, dos, dos, dos, 8}});
}

TEST(ZipEntries, IndexesAndMisuse) {
    Bytes archive = LoadArchive("python.zip");
    uint32_t result = kCorrupt;
    std::unique_ptr<ZipArchive> handle = openMemory(archive.data(), archive.size(), &result);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(result, kSuccess);
    EXPECT_EQ(handle->count(), 6);
    ZipEntry entry;
    for (int32_t index : {4, 1, 1, 5, 0, 2}) {  // forwards, backwards, the same again
        ASSERT_EQ(handle->getEntry(index, &entry), kSuccess);
        EXPECT_EQ(entry.index, index);
    }
    EXPECT_STREQ(entry.name, "hidden.sys");
    for (int32_t index : {-2, -1, 6}) {
        EXPECT_EQ(handle->getEntry(index, &entry), kFaultyArguments) << index;
        EXPECT_EQ(handle->extractToFile(index, "x"), kFaultyArguments) << index;
    }
    EXPECT_EQ(handle->getEntry(0, nullptr), kFaultyArguments);
    EXPECT_EQ(handle->extractToFile(0, nullptr), kFaultyArguments);
}

// Each test runs in a fresh folder "<temp>/velmora-zip-N/work", made current.
class ZipFolder : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        static int counter = 0;
        do outer = fs::temp_directory_path() / ("velmora-zip-" + std::to_string(++counter));
        while (fs::exists(outer));
        fs::create_directories(work = outer / "work");
        fs::current_path(work);
    }
    void TearDown() override {
        fs::current_path(previous);
        std::error_code ignored;  // read-only files are made writable to be removed
        for (const auto& item : fs::recursive_directory_iterator(outer, ignored))
            fs::permissions(item.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(outer, ignored);
    }
    static std::set<std::string> Listing(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& item : fs::recursive_directory_iterator(folder))
            names.insert(fs::relative(item.path(), folder).generic_string());
        return names;
    }
    std::unique_ptr<ZipArchive> Open(const char* name) {
        archive = LoadArchive(name);
        return openMemory(archive.data(), archive.size());
    }
    fs::path previous, outer, work;
    Bytes archive;
};

TEST_F(ZipFolder, WritesMembersWithDirectoriesTimesAndAttributes) {
    std::unique_ptr<ZipArchive> handle = Open("infozip.zip");
    ASSERT_NE(handle, nullptr);
    ZipEntry entry;
    for (int32_t i = 0; i < 4; ++i) {
        ASSERT_EQ(handle->getEntry(i, &entry), kSuccess);
        EXPECT_EQ(handle->extractToFile(i, entry.name), kSuccess) << entry.name;
    }
    EXPECT_EQ(Listing(work), (std::set<std::string>{"sub", "sub/deflated.txt", "sub/readonly.txt", "stored.bin"}));
    for (const char* name : {"sub/deflated.txt", "sub/readonly.txt", "stored.bin"}) {
        struct stat info;  // before the contents are read, which may move the access time
        ASSERT_EQ(stat(name, &info), 0);
        EXPECT_EQ(info.st_mtime, 981173106) << name;
        EXPECT_EQ(info.st_atime, 1015218367) << name;
        EXPECT_EQ((info.st_mode & S_IWUSR) == 0, std::strcmp(name, "sub/readonly.txt") == 0) << name;
    }
    std::string text, binary;
    for (int i = 1; i <= 120; ++i)
        text += "Velmora Lodge line " + std::to_string(i) + ": the model drifts and turns about its three axes.\n";
    for (int i = 0; i < 300; ++i) binary += static_cast<char>((i * 37 + 11) % 256);
    EXPECT_EQ(Contents("sub/deflated.txt"), text);
    EXPECT_EQ(Contents("stored.bin"), binary);
    // Again: older copies are replaced, except a read-only one.
    std::ofstream("stored.bin", std::ios::trunc) << "older copy";
    EXPECT_EQ(handle->extractToFile(3, "stored.bin"), kSuccess);
    EXPECT_EQ(Contents("stored.bin"), binary);
    EXPECT_EQ(handle->extractToFile(2, "sub/readonly.txt"), kCannotCreateFile);
    EXPECT_EQ(Contents("sub/readonly.txt"), "This member was read-only when it was packed.\n");
    handle.reset();

    // Directory members make their directory; a name's directory part is made as needed.
    handle = Open("python.zip");
    for (int32_t i : {3, 5}) EXPECT_EQ(handle->extractToFile(i, "ignored"), kSuccess);
    EXPECT_EQ(handle->extractToFile(4, "nested/deeper/three.txt"), kSuccess);
    EXPECT_EQ(handle->extractToFile(1, "made\\on/demand.txt"), kSuccess);
    EXPECT_EQ(handle->extractToFile(1, "..dots..in..names"), kSuccess);
    handle.reset();
    for (const char* made : {"folder", "unixdir", "nested/deeper", "made/on/demand.txt", "..dots..in..names"})
        EXPECT_TRUE(fs::exists(made)) << made;
    EXPECT_EQ(fs::file_size("nested/deeper/three.txt"), 1000u);
}

TEST_F(ZipFolder, NamesThatLeaveTheFolderAreRefused) {
    std::unique_ptr<ZipArchive> handle = Open("unsafe.zip");
    ASSERT_NE(handle, nullptr);
    ZipEntry entry;
    for (int32_t i = 0; i < 7; ++i) {
        ASSERT_EQ(handle->getEntry(i, &entry), kSuccess);
        EXPECT_EQ(handle->extractToFile(i, entry.name),
                  std::strcmp(entry.name, "safe.txt") == 0 ? kSuccess : kFaultyArguments) << entry.name;
    }
    for (const char* name : {"../x.txt", "sub/../x.txt", "sub\\..", "/x.txt", "\\x.txt", "C:x.txt", "c:\\x.txt"})
        EXPECT_EQ(handle->extractToFile(5, name), kFaultyArguments) << name;
    handle.reset();
    EXPECT_EQ(Listing(outer), (std::set<std::string>{"work", "work/safe.txt"}));
}

TEST_F(ZipFolder, DamagedMembersFailAlone) {
    Bytes original = LoadArchive("infozip.zip");
    // Member 1 (deflated) has the second local header; member 3 (stored, last) ends
    // where the central directory begins.
    size_t second = Find(original, "PK\3\4", 4), central = Find(original, "PK\1\2", 0);
    ASSERT_TRUE(second && central);
    archive = original;
    archive[second + 30 + 16 + 24 + 100] ^= 0x55;  // header, name, extra field, then data
    archive[central - 10] ^= 0xFF;
    std::unique_ptr<ZipArchive> handle = openMemory(archive.data(), archive.size());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->extractToFile(1, "deflated.txt"), kWriteError);
    EXPECT_EQ(handle->extractToFile(2, "readonly.txt"), kSuccess);
    EXPECT_EQ(handle->extractToFile(3, "stored.bin"), kWriteError);
    handle.reset();

    archive = original;
    archive[second] = 'X';  // a local header that is not one
    handle = openMemory(archive.data(), archive.size());
    ZipEntry entry;
    EXPECT_EQ(handle->getEntry(1, &entry), kCorrupt);
    EXPECT_EQ(handle->extractToFile(1, "other.txt"), kCorrupt);
    EXPECT_EQ(handle->getEntry(2, &entry), kSuccess);
    EXPECT_EQ(handle->getEntry(0, &entry), kSuccess);
    handle.reset();
    // Members that failed their CRC left no file with wrong bytes behind; the
    // read-only member that was written whole stays.
    EXPECT_EQ(Listing(work), (std::set<std::string>{"readonly.txt"}));
}

TEST_F(ZipFolder, DamagedArchivesNeitherCrashNorWriteOutside) {
    const std::set<uint32_t> possible = {kSuccess, kCannotCreateFile, kWriteError, kCorrupt, kReadError,
                                         kFaultyArguments};
    std::minstd_rand random(20240611);
    for (const char* name : {"infozip.zip", "python.zip", "unsafe.zip"}) {
        Bytes original = LoadArchive(name);
        for (int round = 0; round < 300; ++round) {
            archive = original;
            for (int flips = 1 + random() % 4; flips > 0; --flips)
                archive[random() % archive.size()] = static_cast<unsigned char>(random());
            std::unique_ptr<ZipArchive> handle = openMemory(archive.data(), archive.size());
            if (!handle) continue;
            ZipEntry entry;
            for (int32_t i = 0; i < handle->count(); ++i) {
                uint32_t result = handle->getEntry(i, &entry);
                if (result == kSuccess) result = handle->extractToFile(i, entry.name);
                ASSERT_TRUE(possible.count(result)) << name << " round " << round << ": " << std::hex << result;
            }
    handle.reset();
        }
    }
    // What the rounds wrote stays in "work" (not emptied each round: slow on some disks).
    EXPECT_EQ(std::distance(fs::directory_iterator(outer), fs::directory_iterator()), 1);
}

TEST_F(ZipFolder, UnpackArchiveWritesEveryMemberItCan) {
    const char garbage[] = "no archive here";
    EXPECT_FALSE(UnpackArchive(garbage, sizeof garbage));
    EXPECT_TRUE(Listing(work).empty());
    archive = LoadArchive("standin_model.zip");
    std::ofstream("Texture.jpg") << "older";
    fs::permissions("Texture.jpg", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(UnpackArchive(archive.data(), archive.size())) << "one member was not written";
    EXPECT_EQ(Contents("Texture.jpg"), "older");  // a read-only older copy stays
    struct stat info;
    ASSERT_EQ(stat("VLG.3DS", &info), 0);
    EXPECT_EQ(info.st_mtime, 1568023872);
    EXPECT_EQ(info.st_size, 2 + 400 * 12);
}

}  // namespace
