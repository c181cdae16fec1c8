// A model read from today's formats (OBJ with MTL, glTF 2.0): independent triangles
// grouped by material, each corner with its position, normal, texture coordinate and
// colour, ready to draw with OpenGL 1.1. Reading needs no GL context; loading the
// textures and drawing need the one they are used in.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/read_result.h"

// Models with more triangles than this are refused: too large.
constexpr int64_t kMaxModelTriangles = 10000000;

struct TriangleCorner {
    float position[3];
    float normal[3];
    float uv[2];      // t = 0 at the picture's bottom row, as GL takes it
    float color[4];   // the vertex colour; white where the file has none
};

// A material's base colour and base-colour picture: a file beside the model, or
// bytes the model file carries (a glTF buffer or data URI).
struct TriangleMaterial {
    std::string name;
    float baseColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::string textureFile;                  // full path; empty without one
    std::vector<unsigned char> embeddedImage;  // encoded PNG or JPEG; empty without one
    uint32_t texture = 0;                      // GL name once loaded; 0 none
};

// The triangles drawn with one material (an index into materials, or -1 for none).
struct TriangleBatch {
    int32_t material = -1;
    bool vertexColors = false;  // the corners carry the file's own colours
    std::vector<TriangleCorner> corners;  // three per triangle
};

struct TriangleModel {
    std::vector<TriangleMaterial> materials;
    std::vector<TriangleBatch> batches;

    int64_t TriangleCount() const;
};

// Gives every corner of a batch whose file had no normals the normal of its position:
// the sum of the normals of the faces that share the position, made unit long; where
// they cancel out, the first such face's. Corners of degenerate faces only keep (0,0,0).
void BuildCornerNormals(TriangleBatch& batch);
