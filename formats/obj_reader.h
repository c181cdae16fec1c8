// Wavefront OBJ models with their MTL materials (the MTL text read by tinyobjloader)
// into a TriangleModel, in two passes over the text: the vertex lists first, with how
// many triangles each material's faces make, then the faces straight into corners
// reserved once. Polygons, concave ones too, are split into triangles in their own
// plane (formats/polygon_triangulation.h); MTL files and texture pictures are looked
// for beside the model.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/read_result.h"
#include "formats/triangle_model.h"
#include "platform/file_open.h"

ReadResult ReadObjFile(const char* path, TriangleModel* model);
// The same from the file's bytes, let go of as soon as the faces are read; path names
// the file (MTL files are read beside it).
ReadResult ReadObjBytes(FileBytes bytes, const char* path, TriangleModel* model);
// The same from the file's text; path names the file (MTL files are read beside it).
ReadResult ReadObjText(const std::string& text, const char* path, TriangleModel* model);
