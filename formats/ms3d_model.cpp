// Reading an MS3D file: the whole file is read into memory in one read and
// parsed from there in a single pass. Every count and record is checked against
// the bytes left, so a damaged file is rejected without reading past its image.
#include "formats/ms3d_model.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/little_endian.h"
#include "formats/model_file.h"

namespace {

const char kIdentifier[10] = {'M', 'S', '3', 'D', '0', '0', '0', '0', '0', '0'};
constexpr int32_t kOldestVersion = 3;

// A read position in the file image.
struct Cursor {
    const unsigned char* data;
    size_t size;
    size_t position;

    size_t left() const { return size - position; }
    bool has(size_t count) const { return count <= left(); }
    const unsigned char* here() const { return data + position; }
};


void Floats(const unsigned char* p, float* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = LittleEndianFloat(p + 4 * i);
}

// Reads a block's 16-bit count, checking that count records of at least
// minimumRecord bytes can follow.
bool BlockCount(Cursor& c, size_t minimumRecord, uint16_t& count) {
    if (!c.has(2)) return false;
    count = LittleEndian16(c.here());
    c.position += 2;
    return c.has(count * minimumRecord);
}

std::unique_ptr<char[]> CopyString(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace

std::string ResolveMS3DTexturePath(const char* storedName, size_t fieldSize, const char* modelPath) {
    size_t nameLength = 0;
    while (nameLength < fieldSize && storedName[nameLength] != '\0') ++nameLength;
    const std::string path = FileBesideModel(modelPath ? modelPath : "", std::string(storedName, nameLength));
    // A longer path would not name the intended file.
    if (path.size() > kMS3DMaxComposedPath) return std::string();
    return path;
}

MS3DModel::~MS3DModel() { clear(); }

void MS3DModel::clear() {
    for (int32_t i = 0; meshes && i < numMeshes; ++i) meshes[i].triangleIndices.reset();
    for (int32_t i = 0; materials && i < numMaterials; ++i) materials[i].textureFilename.reset();
    meshes.reset();
    numMeshes = 0;
    materials.reset();
    numMaterials = 0;
    triangles.reset();
    numTriangles = 0;
    vertices.reset();
    numVertices = 0;
}

ReadResult MS3DModel::read(const char* fileName) {
    clear();
    FileBytes image;
    ReadResult result = ReadModelFile(fileName, &image);
    if (!result) return result;
    return parse(image.data(), image.size(), fileName);
}

ReadResult MS3DModel::parse(const unsigned char* data, size_t size, const char* fileName) {
    clear();
    ReadResult result;
    Cursor c{data, data ? size : 0, 0};

    if (!c.has(kMS3DHeaderSize) || std::memcmp(c.here(), kIdentifier, sizeof kIdentifier) != 0)
        return result.fail(ReadFailure::NotThisFormat);
    int32_t fileVersion = static_cast<int32_t>(LittleEndian32(c.here() + 10));
    if (fileVersion < kOldestVersion) return result.fail(ReadFailure::Unsupported);
    c.position = kMS3DHeaderSize;

    bool complete = false;
    do {
        uint16_t count = 0;
        if (!BlockCount(c, kMS3DVertexSize, count)) break;
        numVertices = count;
        if (count) vertices.reset(new MS3DVertex[count]);
        for (uint16_t i = 0; i < count; ++i, c.position += kMS3DVertexSize)
            Floats(c.here() + 1, vertices[i].location, 3);

        if (!BlockCount(c, kMS3DTriangleSize, count)) break;
        numTriangles = count;
        if (count) triangles.reset(new MS3DTriangle[count]);
        for (uint16_t i = 0; i < count; ++i, c.position += kMS3DTriangleSize) {
            const unsigned char* r = c.here();
            MS3DTriangle& tri = triangles[i];
            for (int k = 0; k < 3; ++k) tri.vertexIndices[k] = LittleEndian16(r + 2 + 2 * k);
            Floats(r + 8, &tri.vertexNormals[0][0], 9);
            Floats(r + 44, tri.s, 3);
            for (int k = 0; k < 3; ++k) tri.t[k] = 1.0f - LittleEndianFloat(r + 56 + 4 * k);
        }

        if (!BlockCount(c, kMS3DGroupSizeWithoutIndices, count)) break;
        numMeshes = count;
        if (count) meshes.reset(new MS3DMesh[count]);
        bool groupsRead = true;
        for (uint16_t i = 0; i < count && groupsRead; ++i) {
            // Flags and name, then the triangle count.
            if (!c.has(35)) {
                groupsRead = false;
                break;
            }
            uint16_t n = LittleEndian16(c.here() + 33);
            size_t recordSize = kMS3DGroupSizeWithoutIndices + 2 * static_cast<size_t>(n);
            if (!c.has(recordSize)) {
                groupsRead = false;
                break;
            }
            const unsigned char* r = c.here();
            MS3DMesh& mesh = meshes[i];
            mesh.numTriangles = n;
            if (n) mesh.triangleIndices.reset(new int32_t[n]);
            for (uint16_t k = 0; k < n; ++k) mesh.triangleIndices[k] = LittleEndian16(r + 35 + 2 * k);
            mesh.materialIndex = static_cast<int8_t>(r[35 + 2 * static_cast<size_t>(n)]);
            c.position += recordSize;
        }
        if (!groupsRead) break;

        if (!BlockCount(c, kMS3DMaterialSize, count)) break;
        numMaterials = count;
        if (count) materials.reset(new MS3DMaterial[count]);
        for (uint16_t i = 0; i < count; ++i, c.position += kMS3DMaterialSize) {
            const unsigned char* r = c.here();
            MS3DMaterial& m = materials[i];
            Floats(r + 32, m.ambient, 4);
            Floats(r + 48, m.diffuse, 4);
            Floats(r + 64, m.specular, 4);
            Floats(r + 80, m.emissive, 4);
            m.shininess = LittleEndianFloat(r + 96);
            m.textureFilename = CopyString(ResolveMS3DTexturePath(
                reinterpret_cast<const char*>(r + 105), kMS3DNameFieldSize, fileName));
        }
        // Whatever follows the material block (animation and other data) is not used.
        complete = true;
    } while (false);

    if (!complete) {
        clear();
        return result.fail(ReadFailure::Truncated);
    }
    version = fileVersion;
    return result;
}
