#include "formats/byte_source.h"

#include <algorithm>
#include <cstring>

#include "platform/file_open.h"

bool OpenFileSource(ByteSource& source, const char* path) {
    CloseSource(source);
    source.file = OpenFileForReading(path);
    return source.file != nullptr;
}

void OpenMemorySource(ByteSource& source, const void* data, size_t size) {
    CloseSource(source);
    source.data = static_cast<const unsigned char*>(data);
    source.size = data ? size : 0;
    source.position = 0;
}

void CloseSource(ByteSource& source) {
    if (source.file) std::fclose(source.file);
    source = ByteSource();
}

size_t ReadBytes(ByteSource& source, void* destination, size_t count) {
    if (source.file) {
        if (destination) return std::fread(destination, 1, count, source.file);
        // Passing over: read in pieces so that the end of the file is noticed
        // exactly where a seek would not notice it.
        unsigned char piece[16384];
        size_t done = 0;
        while (done < count) {
            size_t want = std::min(count - done, sizeof piece);
            size_t got = std::fread(piece, 1, want, source.file);
            done += got;
            if (got < want) break;
        }
        return done;
    }
    size_t available = source.size - source.position;
    size_t take = std::min(count, available);
    if (destination && take) std::memcpy(destination, source.data + source.position, take);
    source.position += take;
    return take;
}

