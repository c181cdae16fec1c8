// The one model in memory, whatever file it was read from (3DS, MS3D, OBJ with MTL,
// glTF 2.0): independent triangles grouped by material, each corner with its position,
// normal, texture coordinate and colour, ready to draw with OpenGL 1.1. Reading needs no
// GL context; loading the textures and drawing need the one they are used in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "formats/read_result.h"
#include "platform/large_block.h"

struct JpegImage;

// Models with more triangles than this are refused: too large.
constexpr int64_t kMaxModelTriangles = 10000000;

struct TriangleCorner {
    float position[3];
    float normal[3];
    float uv[2];      // t = 0 at the picture's bottom row, as GL takes it
    float color[4];   // the vertex colour; white where the file has none
};

// The values a material gives lit drawing of its own (an MS3D material): drawn with
// them, the current colour does not track into the material.
struct LightingMaterial {
    float ambient[4] = {};
    float diffuse[4] = {};
    float specular[4] = {};
    float emissive[4] = {};
    float shininess = 0.0f;
};

// How a texture is minified. Only the mipmapped filters need the smaller levels built.
enum class TextureFilter { Linear, LinearMipmapNearest, LinearMipmapLinear };

// A material's base colour and base-colour picture: a file beside the model, or
// bytes the model file carries (a glTF buffer or data URI).
struct TriangleMaterial {
    std::string name;
    float baseColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    // Whether the base colour tints the texture; a 3DS texture shows in its own colours.
    bool colorTintsTexture = true;
    bool lit = false;           // lighting holds the material's own values
    LightingMaterial lighting;
    TextureFilter filter = TextureFilter::LinearMipmapLinear;
    std::string textureFile;                  // full path; empty without one
    std::vector<unsigned char> embeddedImage;  // encoded PNG or JPEG; empty without one
    // The 3DS reader names each step of reading its texture file in the trace.
    bool traceTextureSteps = false;
    std::shared_ptr<JpegImage> picture;        // decoded, not yet a texture
    uint32_t texture = 0;                      // GL name once loaded; 0 none
};

// A model's corners: millions of them in a scan, so in memory of their own (large_block.h).
using CornerList = LargeVector<TriangleCorner>;

// The triangles drawn with one material (an index into materials, or -1 for none).
struct TriangleBatch {
    int32_t material = -1;
    bool vertexColors = false;  // the corners carry the file's own colours
    bool textured = true;       // the material's texture, when it has one, is drawn
    bool texCoords = true;      // the corners carry texture coordinates; else GL's current one holds
    CornerList corners;  // three per triangle
};

struct TriangleModel {
    std::vector<TriangleMaterial> materials;
    std::vector<TriangleBatch> batches;

    int64_t TriangleCount() const;
};

// The box that holds every corner; false when there is no corner with finite coordinates.
struct ModelBounds {
    float low[3];
    float high[3];
};
bool BoundsOf(const TriangleModel& model, ModelBounds* bounds);

// Gives every corner of a batch whose file had no normals the normal of its position:
// the sum of the normals of the faces that share the position, made unit long; where
// they cancel out, the first such face's. Corners of degenerate faces only keep (0,0,0).
void BuildCornerNormals(TriangleBatch& batch);

// The same with each corner's place already numbered by the reader (places[k] for corner
// k, below placeCount, equal exactly for corners with equal position bits), as a reader
// that copied the corners from a list of vertices numbers the vertices' places once
// (NumberPlaces) instead of every corner's.
void BuildCornerNormals(TriangleBatch& batch, const uint32_t* places, size_t placeCount);

// Numbers the places of count positions (three floats each, stride bytes apart) into
// places: equal numbers for equal position bits, from 0 in the order the places first
// appear. Returns how many places there are.
size_t NumberPlaces(const float* positions, size_t count, size_t stride, uint32_t* places);

// Runs a reader's `read()` into `model`, which starts empty and is left empty when the
// read fails: running out of memory is a model too large, any other exception a
// reason the file is not supported, never an end of the program.
template <typename Read>
ReadResult ReadIntoEmptyModel(TriangleModel* model, Read read) {
    *model = TriangleModel();
    ReadResult result;
    try {
        result = read();
    } catch (const std::bad_alloc&) {
        result.fail(ReadFailure::TooLarge, "out of memory");
    } catch (const std::exception& error) {
        result.fail(ReadFailure::Unsupported, error.what());
    }
    if (!result) *model = TriangleModel();
    return result;
}
