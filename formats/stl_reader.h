// STL models, as 3D printers and their slicers take them: binary (an 80-byte header,
// a triangle count, then 50 bytes a facet) and ASCII ("solid ... facet normal ...
// outer loop vertex ... endloop endfacet ... endsolid"). Facets that share corners are
// welded for smooth normals; the facet colours of the binary conventions in use are drawn.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formats/read_result.h"
#include "formats/triangle_model.h"

// Whether a file of fileSize bytes that begins with the size bytes at head is an ASCII
// STL file: "solid" (in any letter case) first on its first line, and "facet" or
// "endsolid" first on the next, unless the file is exactly as long as a binary file
// of the count after its 80-byte header (a binary header may begin with "solid" too).
bool IsAsciiStl(const uint8_t* head, size_t size, uint64_t fileSize);

// Reads an STL file's bytes into model; path names the file.
ReadResult ReadStlBytes(const uint8_t* data, size_t size, const char* path, TriangleModel* model);
