// glTF 2.0 models, JSON ".gltf" (buffers in files beside it or in data URIs) and
// binary ".glb", read through tinygltf into a TriangleModel: the scene's meshes with
// their node transforms applied, one batch per triangle primitive. Pictures stay
// encoded: a material names its base-colour file or carries the picture's bytes.
#pragma once
#include <cstddef>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Reads a glTF 2.0 file (JSON ".gltf" or binary ".glb", told by the file's first bytes) into model.
ReadResult ReadGltfFile(const char* path, TriangleModel* model);
// The same from bytes in memory; path names the file (its folder is where external
// buffers and images are looked for).
ReadResult ReadGltfBytes(const unsigned char* data, size_t size, const char* path, TriangleModel* model);
