#include "tools/assetgen/three_ds_output.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {

// Chunks: a 16-bit id and a 32-bit length that counts the 6-byte header, the
// data and the nested chunks; all numbers little-endian.
class ChunkWriter {
public:
    std::vector<std::uint8_t> bytes;

    void begin(std::uint16_t id) {
        open.push_back(bytes.size());
        u16(id);
        u32(0);  // patched by end()
    }
    void end() {
        const size_t start = open.back();
        open.pop_back();
        const std::uint32_t length = static_cast<std::uint32_t>(bytes.size() - start);
        for (int i = 0; i < 4; ++i) bytes[start + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void f32(double v) {
        const float f = static_cast<float>(v);
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        u32(bits);
    }
    void text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        u8(0);
    }

private:
    std::vector<size_t> open;
};

void Colour24(ChunkWriter& w, std::uint16_t id, const std::uint8_t rgb[3]) {
    w.begin(id);
    for (int i = 0; i < 3; ++i) w.u8(rgb[i]);
    w.end();
}

void MaterialBlock(ChunkWriter& w, const ThreeDsNames& names) {
    w.begin(0xAFFF);
    w.begin(0xA000);
    w.text(names.material);
    w.end();
    w.begin(0xA020);  // diffuse colour: 24-bit, then gamma-corrected 24-bit
    Colour24(w, 0x0011, names.diffuse);
    std::uint8_t gamma[3];
    for (int i = 0; i < 3; ++i)
        gamma[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(names.diffuse[i] / 255.0, 1.0 / 2.2)));
    Colour24(w, 0x0012, gamma);
    w.end();
    w.begin(0xA200);  // texture map: strength 100 %, then the file name
    w.begin(0x0030);
    w.u16(100);
    w.end();
    w.begin(0xA300);
    w.text(names.textureFile);
    w.end();
    w.end();
    w.end();
}

void MeshObject(ChunkWriter& w, const Mesh& mesh, const ThreeDsNames& names) {
    const std::uint16_t vertexCount = static_cast<std::uint16_t>(mesh.vertices.size());
    const std::uint16_t faceCount = static_cast<std::uint16_t>(mesh.triangles.size());
    w.begin(0x4000);
    w.text(names.object);
    w.begin(0x4100);
    w.begin(0x4110);  // vertex positions
    w.u16(vertexCount);
    for (const Vertex& v : mesh.vertices) {
        w.f32(v.position.x);
        w.f32(v.position.y);
        w.f32(v.position.z);
    }
    w.end();
    w.begin(0x4140);  // texture coordinates, one pair per vertex
    w.u16(vertexCount);
    for (const Vertex& v : mesh.vertices) {
        w.f32(v.u);
        w.f32(v.v);
    }
    w.end();
    w.begin(0x4160);  // the object's local axes and origin: identity
    const double axes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (double a : axes) w.f32(a);
    w.end();
    w.begin(0x4120);  // faces, then the groups nested in the face list
    w.u16(faceCount);
    for (const Triangle& t : mesh.triangles) {
        for (std::uint32_t corner : t.corners) w.u16(static_cast<std::uint16_t>(corner));
        w.u16(t.edgeFlags);
    }
    w.begin(0x4130);  // every face uses the one material
    w.text(names.material);
    w.u16(faceCount);
    for (std::uint16_t i = 0; i < faceCount; ++i) w.u16(i);
    w.end();
    w.begin(0x4150);  // smoothing group bits per face: curved log sides in group 1
    for (const Triangle& t : mesh.triangles) w.u32(t.smooth ? 1u : 0u);
    w.end();
    w.end();
    w.end();
    w.end();
}

void KeyFrames(ChunkWriter& w, const ThreeDsNames& names) {
    const std::uint32_t frames = 100;
    w.begin(0xB000);
    w.begin(0xB00A);  // header: revision, scene name, animation length
    w.u16(5);
    w.text("MAXSCENE");
    w.u32(frames);
    w.end();
    w.begin(0xB008);  // active segment
    w.u32(0);
    w.u32(frames);
    w.end();
    w.begin(0xB009);  // current frame
    w.u32(0);
    w.end();
    w.begin(0xB002);  // the object's node
    w.begin(0xB030);
    w.u16(0);
    w.end();
    w.begin(0xB010);  // name, flags, no parent
    w.text(names.object);
    w.u16(0x4000);
    w.u16(0);
    w.u16(0xFFFF);
    w.end();
    w.begin(0xB013);  // pivot
    for (int i = 0; i < 3; ++i) w.f32(0);
    w.end();
    // Position, rotation and scale tracks, one key each at frame 0.
    const struct {
        std::uint16_t id;
        int values;
        double key[4];
    } tracks[] = {{0xB020, 3, {0, 0, 0, 0}}, {0xB021, 4, {0, 0, 0, 1}}, {0xB022, 3, {1, 1, 1, 0}}};
    for (const auto& track : tracks) {
        w.begin(track.id);
        w.u16(0);  // track flags
        w.u32(0);
        w.u32(0);
        w.u32(1);  // keys
        w.u32(0);  // frame
        w.u16(0);  // no spline parameters
        for (int i = 0; i < track.values; ++i) w.f32(track.key[i]);
        w.end();
    }
    w.end();
    w.end();
}

}  // namespace

bool ThreeDsBytes(const Mesh& mesh, const ThreeDsNames& names, std::vector<std::uint8_t>& bytes) {
    if (mesh.vertices.size() > 0xFFFF || mesh.triangles.size() > 0xFFFF) return false;
    ChunkWriter w;
    w.begin(0x4D4D);
    w.begin(0x0002);  // file version
    w.u32(3);
    w.end();
    w.begin(0x3D3D);
    w.begin(0x3D3E);  // mesh version
    w.u32(3);
    w.end();
    MaterialBlock(w, names);
    w.begin(0x0100);  // master scale
    w.f32(1.0);
    w.end();
    MeshObject(w, mesh, names);
    w.end();
    KeyFrames(w, names);
    w.end();
    bytes = std::move(w.bytes);
    return true;
}
