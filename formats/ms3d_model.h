// The MS3D model: a model read from an MS3D binary file (".ms3d"), in the records
// of the file, and the one in-memory model made from them. Reading needs no GL context.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// One group of the file: the triangles drawn with one material.
struct MS3DMesh {
    int32_t materialIndex = -1;  // negative: no material
    int32_t numTriangles = 0;
    std::unique_ptr<int32_t[]> triangleIndices;  // into the model's triangles
};

struct MS3DMaterial {
    float ambient[4] = {};   // red, green, blue, alpha as stored
    float diffuse[4] = {};
    float specular[4] = {};
    float emissive[4] = {};
    float shininess = 0.0f;
    std::unique_ptr<char[]> textureFilename;    // after the texture path rule; "" for none
};

struct MS3DTriangle {
    float vertexNormals[3][3] = {};
    float s[3] = {};
    float t[3] = {};  // 1.0 minus the stored value, so that pictures map upright
    int32_t vertexIndices[3] = {};  // into the model's vertices
};

struct MS3DVertex {
    float location[3] = {};
};

// Sizes of the file's header and fixed records.
constexpr size_t kMS3DHeaderSize = 14;
constexpr size_t kMS3DVertexSize = 15;
constexpr size_t kMS3DTriangleSize = 70;
constexpr size_t kMS3DGroupSizeWithoutIndices = 36;
constexpr size_t kMS3DMaterialSize = 361;
constexpr size_t kMS3DNameFieldSize = 128;  // texture and alpha map names
// The longest texture path composed from the model's directory.
constexpr size_t kMS3DMaxComposedPath = 260;

class MS3DModel {
public:
    MS3DModel() = default;
    virtual ~MS3DModel();
    MS3DModel(const MS3DModel&) = delete;
    MS3DModel& operator=(const MS3DModel&) = delete;

    // Reads the model file. Fails, with the model left empty, when the file cannot be
    // opened or is over the model file limit, is not an MS3D file (not this format), is
    // older than version 3 (unsupported), or ends before its material block does
    // (truncated).
    ReadResult read(const char* fileName);
    // Reads a file image held in memory; fileName is the model's path, which
    // the texture path rule takes the model's directory from.
    ReadResult parse(const unsigned char* data, size_t size, const char* fileName);

    // Releases everything the model owns and leaves it empty.
    void clear();

    int32_t numMeshes = 0;
    std::unique_ptr<MS3DMesh[]> meshes;
    int32_t numMaterials = 0;
    std::unique_ptr<MS3DMaterial[]> materials;
    int32_t numTriangles = 0;
    std::unique_ptr<MS3DTriangle[]> triangles;
    int32_t numVertices = 0;
    std::unique_ptr<MS3DVertex[]> vertices;
    int32_t version = 0;  // the version field of the last file read
};

// The texture path rule. storedName is the material's name field of up to
// kMS3DNameFieldSize characters (it need not hold a terminator); modelPath is
// the model file's path. A relative name is taken from the model's directory (a
// leading ".\" standing for that directory); an absolute one (a leading separator
// or a drive letter) is used as it stands. An empty string comes back for an empty
// name, and for a composed path longer than kMS3DMaxComposedPath characters (which
// would not name the intended file).
std::string ResolveMS3DTexturePath(const char* storedName, size_t fieldSize, const char* modelPath);

// The one in-memory model of an MS3D model: one batch per group, in file order, its
// corners with the file's normals and texture coordinates. Each material keeps its own
// values for lit drawing, its diffuse colour as the colour (tinting its texture) and
// its texture file, minified from the nearest of the smaller levels. A group without a
// material is drawn untextured in the material of the group before it. Triangles and
// corners whose indices name nothing are left out.
TriangleModel BuildMS3DTriangleModel(const MS3DModel& model);
