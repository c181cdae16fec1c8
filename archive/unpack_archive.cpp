#include "archive/unpack_archive.h"

#include "archive/zip_reader.h"

bool UnpackArchive(const void* data, size_t size) {
    std::unique_ptr<ZipReader::ZipArchive> archive = ZipReader::openMemory(data, size);
    if (!archive) return false;
    // A member that fails (a read-only older copy, say) does not stop the others.
    bool everyMember = true;
    ZipEntry entry;
    for (int32_t i = 0; i < archive->count(); ++i) {
        if (archive->getEntry(i, &entry) != ZipReader::kSuccess ||
            archive->extractToFile(i, entry.name) != ZipReader::kSuccess)
            everyMember = false;
    }
    return everyMember;
}
