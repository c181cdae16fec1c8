// Wavefront OBJ models with their MTL materials, read through tinyobjloader into a
// TriangleModel. Polygons, concave ones too, are split into triangles in their own
// plane (formats/polygon_triangulation.h); MTL files and texture pictures are looked
// for beside the model.
#pragma once
#include <cstddef>
#include <string>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

ReadResult ReadObjFile(const char* path, TriangleModel* model);
// The same from the file's text; path names the file (MTL files are read beside it).
ReadResult ReadObjText(const std::string& text, const char* path, TriangleModel* model);
