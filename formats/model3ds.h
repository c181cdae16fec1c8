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

#include "formats/byte_source.h"
#include "formats/read_result.h"
#include "formats/texture_kind.h"

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
    static constexpr int kTextureCount = 100;
    // Chunk loops nested deeper than this pass their chunk over unread; real files
    // nest five or six deep.
    static constexpr int kMaxNesting = 32;

    Model3DS();

    // Reads the 3DS file at path into target and gives every vertex its normal.
    // Fails when the file cannot be opened (traced), is not a 3DS file (with the
    // "Error" notice) or ends inside a chunk; target is then left empty. A file that
    // ends inside the key-frame block after a whole editor block keeps what it read
    // (traced). A file without a single triangle (lights and cameras only) fails as
    // unsupported, with what it held left in target. A version above 3 gives the
    // "Warning" notice and reads on.
    ReadResult Import(t3DModel* target, const char* path);
    // The same reading from a block of memory; name stands for the path in messages.
    ReadResult ImportMemory(t3DModel* target, const void* data, size_t size, const char* name);

    // Releases the mesh arrays of every object of model.
    void FreeMeshes();

    // Imports the model file, then makes one GL texture for every material that
    // names a texture file that loads. The failure is that of the import; texture
    // failures are traced and never change it (the material's faces then show its
    // colour), and the picture library's messages join the import's notices. Needs
    // a current GL context.
    ReadResult Load(const char* path);
    // Draws every object as independent triangles, with the caller's transform and
    // start-up state, each face in its material: textured where the material's
    // texture was made, else in the material's colour. From the display list Load
    // compiled, else in immediate mode.
    void Draw();
    // Deletes the recorded drawing in the current context; Draw then draws in
    // immediate mode. Before the meshes are freed, while the context is current.
    void ReleaseDisplayList();

    ByteSource file;                            // open during an import only
    std::unique_ptr<tChunkState> currentChunk;  // the primary chunk of the import
    std::unique_ptr<tChunkState> scratchChunk;  // spare: every sub-chunk is now read by a chunk loop
    uint32_t textures[kTextureCount] = {};      // GL texture names by material index
    // The drawing commands of the loaded model, recorded once: replaying them costs a
    // handful of calls a frame instead of one per corner attribute (three per corner
    // of some 5,000 triangles for the lodge, each a crossing into the driver). 0: none.
    uint32_t displayList = 0;
    t3DModel model;
    uint32_t version = 0;  // of the last file read; 0 when it had no version chunk

private:
    void DrawImmediate();
    // Sets texturing, texture and colour for faces of material index, textured when
    // wanted and its texture was made. Gives the colour each corner takes (null: the
    // white set here) and returns whether the faces are textured.
    bool ApplyMaterial(int32_t index, bool wantsTexture, const uint8_t** color);
    // Records DrawImmediate's commands into displayList (the textures are bound already).
    void CompileDisplayList();

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

    bool readFailed = false;  // a read met the end of the data: the import ends
    ReadResult* result = nullptr;  // of the import in progress, for its notices
    int nesting = 0;          // chunk loops open right now
    // An editor block was read whole at the top level, and the data has not ended
    // anywhere but in the key-frame block since: a cut there keeps the meshes.
    bool meshesWhole = false;
};

// Releases every array of every object and empties both lists.
void ClearModel(t3DModel* target);

// The texture file beside the model: every directory component of modelPath,
// each followed by '/', then name. Backslashes become forward slashes and the
// model's own file name is dropped.
std::string TextureFilePath(const char* modelPath, const char* name);
// Makes the GL texture of material index from the image file name next to the
// model file (a BMP or JPEG file; a Targa file is traced as unsupported). Without
// a picture, and at index kTextureCount or above, the entry is left as it was. The
// picture library's messages are added to notices, when given.
void LoadMaterialTexture(uint32_t* textures, const char* name, int index, const char* modelPath,
                         ReadResult* notices = nullptr);
