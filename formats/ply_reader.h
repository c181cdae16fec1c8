// PLY models, as scanners and photogrammetry write them: ascii, binary little- and
// big-endian. Vertices with x y z, optional normals, texture coordinates and colours;
// faces as lists of any size cut into triangles; other elements and properties skipped.
// A "comment TextureFile" names a picture beside the model.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Reads a PLY file's bytes into model; path names the file (its picture is found beside it).
ReadResult ReadPlyBytes(const uint8_t* data, size_t size, const char* path, TriangleModel* model);
