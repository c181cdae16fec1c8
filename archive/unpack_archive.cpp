#include "archive/unpack_archive.h"

#include "archive/zip_reader.h"

bool UnpackArchive(const void* data, size_t size) {
    ZipHandle* archive = ZipReader::openMemory(data, size);
    if (!archive) return false;
    ZipEntry entry;
    ZipReader::getEntry(archive, -1, &entry);
    int32_t count = entry.index;
    // A member that fails (a read-only older copy, say) does not stop the others.
    bool everyMember = true;
    for (int32_t i = 0; i < count; ++i) {
        if (ZipReader::getEntry(archive, i, &entry) != ZipReader::kSuccess ||
            ZipReader::extractToFile(archive, i, entry.name) != ZipReader::kSuccess)
            everyMember = false;
    }
    ZipReader::close(archive);
    return everyMember;
}
