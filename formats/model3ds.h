// The 3DS model: the records a 3DS file is read into, and the reader that fills
// them. The file is a tree of chunks (16-bit ID, 32-bit length including the
// 6-byte header, then the payload); the reader keeps object names, vertices,
// triangles, texture coordinates and material assignment (per object and per
// face), and of each material its name, diffuse colour and texture file name.
// Everything else is passed over.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

struct Vector3 {
    float x, y, z;
};

struct Vector2 {
    float u, v;
};

// Vertex indices in the file's order a, b, c.
struct tTriangle {
    int32_t vertIndex[3];
};

constexpr int kModelNameLength = 255;  // characters of every name field, NUL included

struct t3DObject {
    int32_t numVerts = 0;       // entries in verts and normals
    int32_t numFaces = 0;       // entries in faces
    int32_t numTexCoords = 0;   // entries in texCoords
    int32_t materialIndex = 0;  // index into the model's materials: the last matched group's
    bool hasTexture = false;    // a matched material group names a textured material
    char name[kModelNameLength] = {};
    std::unique_ptr<Vector3[]> verts;
    std::unique_ptr<Vector3[]> normals;
    std::unique_ptr<Vector2[]> texCoords;  // indexed by vertex index
    std::unique_ptr<tTriangle[]> faces;
    // One entry per face: the material of the group that lists the face, -1 for a
    // face in no group (it takes materialIndex). Null without faces.
    std::unique_ptr<int32_t[]> faceMaterials;
};

// The material that face of object is drawn in: its group's, else the object's.
int32_t FaceMaterial(const t3DObject& object, int32_t face);

struct tMaterialInfo {
    char name[kModelNameLength] = {};
    char fileName[kModelNameLength] = {};  // texture file name; empty without a texture map
    uint8_t color[3] = {};                 // diffuse red, green, blue
};

struct t3DModel {
    int32_t numObjects = 0;
    int32_t numMaterials = 0;
    std::vector<tMaterialInfo> materials;  // in file order
    std::vector<t3DObject> objects;        // in file order
};

struct tChunkState {
    uint16_t id = 0;
    uint32_t length = 0;    // the whole chunk, header included
    uint32_t consumed = 0;  // bytes of this chunk read so far, header included
};

class Model3DS {
public:
    // Chunk loops nested deeper than this pass their chunk over unread; real files
    // nest five or six deep.
    static constexpr int kMaxNesting = 32;

    Model3DS();

    // Reads the 3DS file at path into target and gives every vertex its normal.
    // Fails when the file cannot be opened (traced) or is over the model file limit,
    // is not a 3DS file (with the "Error" notice) or ends inside a chunk; target is
    // then left empty. A file that ends inside the key-frame block after a whole
    // editor block keeps what it read (traced). A file without a single triangle
    // (lights and cameras only) fails as unsupported, with what it held left in
    // target. A version above 3 gives the "Warning" notice and reads on.
    ReadResult Import(t3DModel* target, const char* path);
    // The same reading from a block of memory; name stands for the path in messages.
    ReadResult ImportMemory(t3DModel* target, const void* data, size_t size, const char* name);

    // Releases the mesh arrays of every object of model.
    void FreeMeshes();

    std::unique_ptr<tChunkState> currentChunk;  // the primary chunk of the import
    std::unique_ptr<tChunkState> scratchChunk;  // spare: every sub-chunk is now read by a chunk loop
    t3DModel model;
    uint32_t version = 0;  // of the last file read; 0 when it had no version chunk

private:
    size_t TakeBytes(void* destination, size_t count);
    ReadResult ImportOpened(t3DModel* target, const char* name);

    void ReadChunkHeader(tChunkState& chunk);
    bool ReadChildHeader(tChunkState& child, uint32_t bytesLeft);
    uint32_t ReadCString(char* destination, uint32_t bytesLeft);
    void ReadFrom(tChunkState& chunk, void* destination, uint32_t count);
    void ReadRestInto(tChunkState& chunk, void* destination, uint32_t capacity);
    bool ReadCount(tChunkState& chunk, uint16_t* count);
    void ReadName(tChunkState& chunk, char* destination);

    template <typename Act>
    void RunChunkLoop(tChunkState& parent, Act act);
    void ReadMainChunks(t3DModel* target, tChunkState& parent);
    void ReadObjectChunks(t3DModel* target, t3DObject& object, tChunkState& parent);
    void ReadMaterialChunks(t3DModel* target, tChunkState& parent);

    void ReadEditorBlock(t3DModel* target, tChunkState& chunk);
    void ReadVertexList(t3DObject& object, tChunkState& chunk);
    void ReadFaceList(t3DObject& object, tChunkState& chunk);
    void ReadTexCoordList(t3DObject& object, tChunkState& chunk);
    void ReadMaterialGroup(t3DModel* target, t3DObject& object, tChunkState& chunk);
    void ReadColor(uint8_t* color, tChunkState& chunk);
    void SkipChunkRest(tChunkState& chunk);

    void BuildVertexNormals(t3DModel* target);
    void FinishImport();

    const unsigned char* bytes = nullptr;  // the file's bytes, during an import only
    size_t byteCount = 0;
    size_t position = 0;
    bool readFailed = false;  // a read met the end of the data: the import ends
    ReadResult* result = nullptr;  // of the import in progress, for its notices
    int nesting = 0;          // chunk loops open right now
    // An editor block was read whole at the top level, and the data has not ended
    // anywhere but in the key-frame block since: a cut there keeps the meshes.
    bool meshesWhole = false;
};

// Releases every array of every object and empties both lists.
void ClearModel(t3DModel* target);

// The one in-memory model of a 3DS model read from modelPath: per object, one batch
// for every run of faces in one material, textured where the faces want their
// material's texture (the faces of a group whose material names a texture file, and
// the faces in no group of an object whose groups named a textured material), else in
// the material's colour (white without a material). Every material's texture file is
// looked for beside the model and minified linearly, without smaller levels.
TriangleModel Build3DSTriangleModel(const t3DModel& model, const char* modelPath);
