// Writing a mesh as a 3DS file with the chunks that modelling programs write:
// the version, an editor block (mesh version, one textured material, the master
// scale, one mesh object whose face list nests its material group and smoothing
// groups) and a key-frame block with one object node.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/mesh.h"

struct ThreeDsNames {
    std::string object;
    std::string material;
    std::string textureFile;
    std::uint8_t diffuse[3];  // the material's colour, also written gamma-corrected
};

// The file's bytes; false when the mesh has more vertices or faces than the
// format's 16-bit counts allow.
bool ThreeDsBytes(const Mesh& mesh, const ThreeDsNames& names, std::vector<std::uint8_t>& bytes);
