#include "formats/model3ds.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "formats/model_file.h"
#include "formats/vertex_normals.h"
#include "platform/little_endian.h"
#include "platform/trace.h"

namespace {

// Chunk IDs the reader acts on.
constexpr uint16_t kPrimary = 0x4D4D;
constexpr uint16_t kVersion = 0x0002;
constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kTriangleMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kMaterialGroup = 0x4130;
constexpr uint16_t kTexCoordList = 0x4140;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kDiffuseColor = 0xA020;
constexpr uint16_t kTextureMap = 0xA200;
constexpr uint16_t kMapFileName = 0xA300;
constexpr uint16_t kKeyframes = 0xB000;
// Colour sub-chunks: three floats, three bytes, and the gamma-corrected twin of each.
constexpr uint16_t kColorFloat = 0x0010;
constexpr uint16_t kColorBytes = 0x0011;
constexpr uint16_t kColorBytesGamma = 0x0012;
constexpr uint16_t kColorFloatGamma = 0x0013;

constexpr uint32_t kHeaderSize = 6;
constexpr uint32_t kFaceSize = 8;  // a, b, c, flags as 16-bit values

uint32_t RestOf(const tChunkState& chunk) {
    return chunk.length - chunk.consumed;
}

#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
// A fuzzer's damaged files announce lists of 65,535 entries in a few bytes, object
// after object, so each run would fill hundreds of megabytes with zeros. A fuzz build
// keeps at most this many entries beyond those the chunk carries: the zero-filled
// rest is still read, only shorter.
constexpr uint32_t kMaxAbsentEntries = 1024;
#else
constexpr uint32_t kMaxAbsentEntries = 65535;
#endif

// The length a list is kept at: its count, or in a fuzz build no more than the
// entries the chunk's rest holds and kMaxAbsentEntries besides.
uint16_t KeptListLength(uint16_t count, const tChunkState& chunk, uint32_t entrySize) {
    return static_cast<uint16_t>(std::min<uint32_t>(count, RestOf(chunk) / entrySize + kMaxAbsentEntries));
}

// A face that names a vertex the object does not have would be read out of
// bounds by the normals and by drawing; such faces are dropped, with their
// material entries.
void DropFacesWithoutVertices(t3DObject& object) {
    int32_t kept = 0;
    for (int32_t j = 0; j < object.numFaces; ++j) {
        const tTriangle& face = object.faces[j];
        bool valid = true;
        for (int32_t index : face.vertIndex) valid = valid && index >= 0 && index < object.numVerts;
        if (!valid) continue;
        if (object.faceMaterials) object.faceMaterials[kept] = object.faceMaterials[j];
        object.faces[kept++] = face;
    }
    object.numFaces = kept;
}

// A float colour component as a byte: clamped to 0..1 (NaN as 0), times 255.
uint8_t ColorByte(float value) {
    if (!(value > 0.0f)) return 0;
    if (value > 1.0f) value = 1.0f;
    return static_cast<uint8_t>(std::lround(value * 255.0f));
}

}  // namespace

Model3DS::Model3DS()
    : currentChunk(std::make_unique<tChunkState>()), scratchChunk(std::make_unique<tChunkState>()) {}

ReadResult Model3DS::Import(t3DModel* target, const char* path) {
    FileBytes bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) {
        if (read.failure == ReadFailure::CannotOpen) TraceF("Unable to find the file: %s!", path);
        return read;
    }
    return ImportMemory(target, bytes.data(), bytes.size(), path);
}

ReadResult Model3DS::ImportMemory(t3DModel* target, const void* data, size_t size, const char* name) {
    bytes = static_cast<const unsigned char*>(data);
    byteCount = bytes ? size : 0;
    position = 0;
    return ImportOpened(target, name);
}

// Takes up to count bytes into destination, or passes over them when it is null.
// Returns the bytes taken: fewer than count only at the end of the data.
size_t Model3DS::TakeBytes(void* destination, size_t count) {
    const size_t take = std::min(count, byteCount - position);
    if (destination && take) std::memcpy(destination, bytes + position, take);
    position += take;
    return take;
}

ReadResult Model3DS::ImportOpened(t3DModel* target, const char* name) {
    ReadResult outcome;
    result = &outcome;
    if (!currentChunk) currentChunk = std::make_unique<tChunkState>();
    if (!scratchChunk) scratchChunk = std::make_unique<tChunkState>();
    readFailed = false;
    meshesWhole = false;
    nesting = 0;
    version = 0;

    tChunkState& primary = *currentChunk;
    primary = tChunkState();
    ReadChunkHeader(primary);
    if (readFailed || primary.id != kPrimary) {
        outcome.notify(ReaderNotice::Kind::Message, "Error",
                       std::string("Unable to load PRIMARY chuck from file: ") + name + "!");
        FinishImport();
        return outcome.fail(ReadFailure::NotThisFormat);
    }

    ReadMainChunks(target, primary);
    if (readFailed && !meshesWhole) {
        TraceF("3DS: the file ends inside a chunk: %s", name);
        ClearModel(target);
        FinishImport();
        return outcome.fail(ReadFailure::Truncated);
    }
    // Animation only: every mesh before the key-frame block was read whole.
    if (readFailed) TraceF("3DS: the file ends inside the key-frame block: %s", name);
    int64_t triangles = 0;
    for (t3DObject& object : target->objects) {
        DropFacesWithoutVertices(object);
        triangles += object.numFaces;
    }
    BuildVertexNormals(target);
    FinishImport();
    if (triangles == 0) {
        // Lights and cameras alone: nothing to draw, so the file does not count as a model.
        TraceF("3DS: the file holds no triangles: %s", name);
        return outcome.fail(ReadFailure::Unsupported);
    }
    return outcome;
}

// Byte accounting: every read adds what it actually read to its chunk's count;
// a short read means the data ended and ends the import.
void Model3DS::ReadFrom(tChunkState& chunk, void* destination, uint32_t count) {
    if (readFailed || count == 0) return;
    size_t got = TakeBytes(destination, count);
    chunk.consumed += static_cast<uint32_t>(got);
    if (got < count) readFailed = true;
}

void Model3DS::ReadChunkHeader(tChunkState& chunk) {
    unsigned char bytes[kHeaderSize] = {};
    chunk.consumed = 0;
    ReadFrom(chunk, bytes, 2);
    ReadFrom(chunk, bytes + 2, 4);
    chunk.id = LittleEndian16(bytes);
    chunk.length = LittleEndian32(bytes + 2);
}

// Reads the header of a chunk that must lie within the bytesLeft of its parent.
// False (header bytes counted, if any were read) when there is no room for a
// header or the chunk's length is below the header's size or past the parent.
bool Model3DS::ReadChildHeader(tChunkState& child, uint32_t bytesLeft) {
    child = tChunkState();
    if (bytesLeft < kHeaderSize) return false;
    ReadChunkHeader(child);
    return !readFailed && child.length >= kHeaderSize && child.length <= bytesLeft;
}

// Reads the rest of the chunk, keeping at most capacity bytes in destination
// (none when it is null) and passing over the others.
void Model3DS::ReadRestInto(tChunkState& chunk, void* destination, uint32_t capacity) {
    uint32_t rest = RestOf(chunk);
    uint32_t kept = destination ? std::min(rest, capacity) : 0;
    ReadFrom(chunk, destination, kept);
    ReadFrom(chunk, nullptr, rest - kept);
}

void Model3DS::SkipChunkRest(tChunkState& chunk) {
    ReadRestInto(chunk, nullptr, 0);
}

// A NUL-terminated string of at most bytesLeft bytes. Stores up to the field's
// last character and always terminates it; the rest of a longer string is
// still read. Returns the bytes read, its NUL included.
uint32_t Model3DS::ReadCString(char* destination, uint32_t bytesLeft) {
    uint32_t count = 0;
    uint32_t stored = 0;
    while (count < bytesLeft && !readFailed) {
        char c = 0;
        if (TakeBytes(&c, 1) != 1) {
            readFailed = true;
            break;
        }
        ++count;
        if (c == '\0') break;
        if (stored < kModelNameLength - 1) destination[stored++] = c;
    }
    destination[stored] = '\0';
    return count;
}

// A name chunk: the rest of the chunk, the field cleared first and kept terminated.
void Model3DS::ReadName(tChunkState& chunk, char* destination) {
    std::memset(destination, 0, kModelNameLength);
    ReadRestInto(chunk, destination, kModelNameLength - 1);
}

// The 16-bit count that opens a list chunk; false when the chunk cannot hold it.
bool Model3DS::ReadCount(tChunkState& chunk, uint16_t* count) {
    if (RestOf(chunk) < 2) return false;
    unsigned char bytes[2] = {};
    ReadFrom(chunk, bytes, 2);
    *count = LittleEndian16(bytes);
    return !readFailed;
}

// The loop shared by the three chunk loops: headers are read one after the other
// until the parent's length is reached. A child header that does not fit its
// parent ends the loop, and the rest of the parent is passed over.
template <typename Act>
void Model3DS::RunChunkLoop(tChunkState& parent, Act act) {
    if (nesting >= kMaxNesting) {
        SkipChunkRest(parent);
        return;
    }
    ++nesting;
    tChunkState chunk;
    while (!readFailed && parent.consumed < parent.length) {
        bool fits = ReadChildHeader(chunk, RestOf(parent));
        if (!fits) {
            parent.consumed += chunk.consumed;
            SkipChunkRest(parent);
            break;
        }
        act(chunk);
        parent.consumed += chunk.consumed;
    }
    --nesting;
}

void Model3DS::ReadMainChunks(t3DModel* target, tChunkState& parent) {
    const bool topLevel = &parent == currentChunk.get();
    RunChunkLoop(parent, [&](tChunkState& chunk) {
        switch (chunk.id) {
            case kVersion: {
                unsigned char bytes[4] = {};
                ReadRestInto(chunk, bytes, sizeof bytes);
                version = LittleEndian32(bytes);
                if (!readFailed && version > 3) {
                    result->notify(ReaderNotice::Kind::Message, "Warning",
                                   "This 3DS file is over version 3 so it may load incorrectly");
                }
                break;
            }
            case kEditor:
                ReadEditorBlock(target, chunk);
                break;
            case kObject: {
                target->numObjects += 1;
                target->objects.emplace_back();
                t3DObject& object = target->objects.back();
                chunk.consumed += ReadCString(object.name, RestOf(chunk));
                ReadObjectChunks(target, object, chunk);
                break;
            }
            case kMaterial:
                target->numMaterials += 1;
                target->materials.emplace_back();
                ReadMaterialChunks(target, chunk);
                break;
            default:  // key-frame block and everything else
                SkipChunkRest(chunk);
                break;
        }
        if (topLevel) {
            // Once the editor block is whole the meshes are complete; the data may
            // then end in the key-frame block (or between chunks) and lose nothing drawn.
            if (chunk.id == kEditor && !readFailed) meshesWhole = true;
            if (chunk.id != kKeyframes && readFailed) meshesWhole = false;
        }
    });
}

// Every sub-chunk of the editor block goes to the main loop; the mesh version
// chunk, which most exporters write first and some leave out, is passed over there.
void Model3DS::ReadEditorBlock(t3DModel* target, tChunkState& chunk) {
    ReadMainChunks(target, chunk);
}

void Model3DS::ReadObjectChunks(t3DModel* target, t3DObject& object, tChunkState& parent) {
    RunChunkLoop(parent, [&](tChunkState& chunk) {
        switch (chunk.id) {
            case kTriangleMesh: ReadObjectChunks(target, object, chunk); break;
            case kVertexList: ReadVertexList(object, chunk); break;
            case kFaceList: ReadFaceList(object, chunk); break;
            case kMaterialGroup: ReadMaterialGroup(target, object, chunk); break;
            case kTexCoordList: ReadTexCoordList(object, chunk); break;
            default: SkipChunkRest(chunk); break;
        }
    });
}

void Model3DS::ReadMaterialChunks(t3DModel* target, tChunkState& parent) {
    RunChunkLoop(parent, [&](tChunkState& chunk) {
        tMaterialInfo& material = target->materials.back();
        switch (chunk.id) {
            case kMaterialName: ReadName(chunk, material.name); break;
            case kDiffuseColor: ReadColor(material.color, chunk); break;
            case kTextureMap: ReadMaterialChunks(target, chunk); break;
            case kMapFileName: ReadName(chunk, material.fileName); break;
            default: SkipChunkRest(chunk); break;
        }
    });
}

// Positions as 32-bit floats; a rest shorter than the count leaves the last
// vertices at zero, a longer one is passed over.
void Model3DS::ReadVertexList(t3DObject& object, tChunkState& chunk) {
    uint16_t count = 0;
    if (!ReadCount(chunk, &count)) {
        SkipChunkRest(chunk);
        return;
    }
    count = KeptListLength(count, chunk, 12);
    object.numVerts = count;
    object.verts = std::make_unique<Vector3[]>(count);
    std::vector<unsigned char> bytes(std::min<uint32_t>(RestOf(chunk), count * 12u));
    ReadRestInto(chunk, bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (size_t f = 0; f + 4 <= bytes.size(); f += 4) {
        float value = LittleEndianFloat(&bytes[f]);
        Vector3& vertex = object.verts[f / 12];
        switch (f / 4 % 3) {
            case 0: vertex.x = value; break;
            case 1: vertex.y = value; break;
            default: vertex.z = value; break;
        }
    }
}

// Only the faces that fit the chunk are read; what follows them (the material
// and smoothing groups) is left to the enclosing loop.
void Model3DS::ReadFaceList(t3DObject& object, tChunkState& chunk) {
    uint16_t count = 0;
    if (!ReadCount(chunk, &count)) {
        SkipChunkRest(chunk);
        return;
    }
    uint32_t fitting = std::min<uint32_t>(count, RestOf(chunk) / kFaceSize);
    std::vector<unsigned char> bytes(fitting * kFaceSize);
    ReadFrom(chunk, bytes.data(), static_cast<uint32_t>(bytes.size()));
    object.numFaces = static_cast<int32_t>(fitting);
    object.faces = std::make_unique<tTriangle[]>(fitting);
    object.faceMaterials = std::make_unique<int32_t[]>(fitting);
    std::fill_n(object.faceMaterials.get(), fitting, -1);
    for (uint32_t j = 0; j < fitting; ++j) {
        const unsigned char* face = &bytes[j * kFaceSize];
        for (int corner = 0; corner < 3; ++corner) object.faces[j].vertIndex[corner] = LittleEndian16(face + 2 * corner);
    }
}

void Model3DS::ReadTexCoordList(t3DObject& object, tChunkState& chunk) {
    uint16_t count = 0;
    if (!ReadCount(chunk, &count)) {
        SkipChunkRest(chunk);
        return;
    }
    count = KeptListLength(count, chunk, 8);
    object.numTexCoords = count;
    object.texCoords = std::make_unique<Vector2[]>(count);
    std::vector<unsigned char> bytes(std::min<uint32_t>(RestOf(chunk), count * 8u));
    ReadRestInto(chunk, bytes.data(), static_cast<uint32_t>(bytes.size()));
    for (size_t f = 0; f + 4 <= bytes.size(); f += 4) {
        float value = LittleEndianFloat(&bytes[f]);
        Vector2& coord = object.texCoords[f / 8];
        if (f / 4 % 2 == 0) coord.u = value;
        else coord.v = value;
    }
}

// The object takes the material that the group names, if it was read before, and
// so do the faces the group lists (those the face list read before it holds).
void Model3DS::ReadMaterialGroup(t3DModel* target, t3DObject& object, tChunkState& chunk) {
    char strMaterial[kModelNameLength];
    chunk.consumed += ReadCString(strMaterial, RestOf(chunk));
    int32_t matched = -1;
    for (int32_t i = 0; i < target->numMaterials; ++i) {
        const tMaterialInfo& material = target->materials[i];
        if (std::strcmp(strMaterial, material.name) == 0) {
            matched = i;
            object.materialIndex = i;
            if (material.fileName[0] != '\0') object.hasTexture = true;
            break;
        }
    }
    uint16_t count = 0;
    if (matched >= 0 && object.faceMaterials && ReadCount(chunk, &count)) {
        std::vector<unsigned char> bytes(std::min<uint32_t>(RestOf(chunk), count * 2u) & ~1u);
        ReadFrom(chunk, bytes.data(), static_cast<uint32_t>(bytes.size()));
        for (size_t f = 0; !readFailed && f < bytes.size(); f += 2) {
            const uint16_t face = LittleEndian16(&bytes[f]);
            if (face < object.numFaces) object.faceMaterials[face] = matched;
        }
    }
    SkipChunkRest(chunk);
}

// The first colour sub-chunk of a colour chunk, as bytes or as floats; the others
// (the gamma-corrected twin, percentages) are passed over.
void Model3DS::ReadColor(uint8_t* color, tChunkState& parent) {
    bool found = false;
    RunChunkLoop(parent, [&](tChunkState& chunk) {
        const bool isBytes = chunk.id == kColorBytes || chunk.id == kColorBytesGamma;
        const bool isFloats = chunk.id == kColorFloat || chunk.id == kColorFloatGamma;
        if (found || (!isBytes && !isFloats)) {
            SkipChunkRest(chunk);
            return;
        }
        found = true;
        if (isBytes) {
            ReadRestInto(chunk, color, 3);
            return;
        }
        unsigned char bytes[12] = {};
        ReadRestInto(chunk, bytes, sizeof bytes);
        for (int i = 0; i < 3; ++i) color[i] = ColorByte(LittleEndianFloat(bytes + 4 * i));
    });
}

void Model3DS::BuildVertexNormals(t3DModel* target) {
    for (int32_t i = 0; i < target->numObjects; ++i) BuildObjectNormals(target->objects[i]);
}

void Model3DS::FinishImport() {
    result = nullptr;
    bytes = nullptr;
    byteCount = position = 0;
    currentChunk.reset();
    scratchChunk.reset();
}

void Model3DS::FreeMeshes() {
    for (int32_t i = 0; i < model.numObjects; ++i) {
        t3DObject& object = model.objects[i];
        object.faces.reset();
        object.normals.reset();
        object.verts.reset();
        object.texCoords.reset();
        object.faceMaterials.reset();
        // Counts follow the arrays, so nothing can index a released array.
        object.numFaces = object.numVerts = object.numTexCoords = 0;
    }
}

int32_t FaceMaterial(const t3DObject& object, int32_t face) {
    if (object.faceMaterials && face >= 0 && face < object.numFaces && object.faceMaterials[face] >= 0)
        return object.faceMaterials[face];
    return object.materialIndex;
}

void ClearModel(t3DModel* target) {
    target->objects.clear();
    target->materials.clear();
    target->numObjects = 0;
    target->numMaterials = 0;
}
