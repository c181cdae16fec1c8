// modelinfo's MS3D output.
#pragma once
#include <string>

// The JSON object for an MS3D file: counts, meshes and materials, and with `full`
// the vertices, triangles and each mesh's triangle indices. Reads without GL.
std::string DescribeMS3D(const char* path, bool full, bool* loaded);
