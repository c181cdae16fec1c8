// make_model OUTPUT.3DS
// Builds the lodge and writes it as a 3DS file whose one material takes its
// texture from TEXTURE.JPG; prints the vertex and face counts and the size.
#include <cstdio>
#include <vector>

#include "tools/assetgen/file_output.h"
#include "tools/assetgen/lodge_model.h"
#include "tools/assetgen/three_ds_output.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_model OUTPUT.3DS\n");
        return 2;
    }
    const Mesh lodge = BuildLodge();
    const ThreeDsNames names{"Lodge", "LodgeTexture", "TEXTURE.JPG", {196, 140, 92}};
    std::vector<std::uint8_t> bytes;
    if (!ThreeDsBytes(lodge, names, bytes)) {
        std::fprintf(stderr, "make_model: the lodge has too many vertices or faces for a 3DS file\n");
        return 1;
    }
    if (!WriteBytes(argv[1], bytes)) return 1;
    Vec3 low, high;
    lodge.Bounds(low, high);
    std::printf("%zu vertices, %zu faces, %.1f x %.1f x %.1f units\n", lodge.vertices.size(), lodge.triangles.size(),
                high.x - low.x, high.y - low.y, high.z - low.z);
    return 0;
}
