// The MS3D model: a model read from an MS3D binary file (".ms3d"), its material
// textures made from JPEG and BMP files, and its drawing in OpenGL immediate mode.
//
// Reading (read, parse) needs no GL context, so tools can inspect MS3D files;
// load reads and then makes the material textures, and draw needs the context
// that load ran in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "formats/jpeg_reader.h"
#include "formats/read_result.h"

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
    uint32_t texture = 0;                       // GL texture name; 0 means none
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

    // Reads the model file and makes the GL textures of its materials (the GL
    // context must be current). Fails, with the model left empty, when the file
    // cannot be opened, is not an MS3D file (not this format), is older than
    // version 3 (unsupported), or ends before its material block does (truncated).
    // The picture library's messages come back as notices.
    ReadResult load(const char* fileName);
    // The reading half of load, without any GL call.
    ReadResult read(const char* fileName);
    // Reads a file image held in memory; fileName is the model's path, which
    // the texture path rule takes the model's directory from.
    ReadResult parse(const unsigned char* data, size_t size, const char* fileName);

    // Makes one GL texture per material that names a texture file; the picture
    // library's messages are added to notices, when given.
    void loadTextures(ReadResult* notices = nullptr);
    // Draws every mesh in its material's colours, lit or not: the material's values,
    // and its diffuse colour as the current colour (colour tracking off meanwhile).
    // A mesh without a material keeps the previous mesh's. The current colour, the
    // lighting state and the enables (GL_TEXTURE_2D among them) end as they were.
    void draw();

    // Releases everything the model owns (never its GL textures) and leaves it empty.
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

// Decodes the JPEG file as RGB. Nothing comes back when the file cannot be
// opened (traced), when the library cannot decode it, when its colour space cannot
// be turned into RGB, or when it announces a picture larger than kMaxTextureSide on
// a side (traced). A recoverable defect gives the picture as far as it was decoded.
// The library's messages are added to notices, when given.
std::unique_ptr<JpegImage> loadJpegImage(const char* fileName, ReadResult* notices = nullptr);

// Makes a mipmapped GL texture from the picture file and stores its name in
// *textureName: a BMP file by its ending (any letter case), every other name read
// as JPEG, but a Targa file (".tga") only traced as unsupported. Leaves
// *textureName alone when fileName is null or the file gives no picture. The JPEG
// library's messages are added to notices, when given.
void createMaterialTexture(uint32_t* textureName, const char* fileName, ReadResult* notices = nullptr);
