// The benchmarks' synthetic mesh as a file of each format a user may choose: a gently
// curved grid of columns x rows vertices and two triangles per cell, the size of a scan
// or a photogrammetry download when large. Written once into a folder; the reads then
// run from the disk cache.
#ifndef VELMORA_BENCH_GRID_FILES_H
#define VELMORA_BENCH_GRID_FILES_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

// The grid's height at a vertex: a small ripple, so that the normals differ.
inline float GridHeight(int column, int row) { return float((column * column + row * row) % 17) * 0.05f; }

namespace grid_files {

inline bool Save(const std::string& path, const std::string& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

inline void Append(std::string& out, const void* data, size_t size) { out.append(static_cast<const char*>(data), size); }
inline void Append32(std::string& out, uint32_t value) {
    const unsigned char bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    Append(out, bytes, 4);
}
inline void AppendFloat(std::string& out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    Append32(out, bits);
}

// The corners of cell (c, r)'s two triangles, counter-clockwise, as vertex numbers.
inline void CellCorners(int columns, int c, int r, uint32_t out[6]) {
    const uint32_t a = uint32_t(r * columns + c), b = a + 1, d = a + uint32_t(columns), e = d + 1;
    const uint32_t corners[6] = {a, b, e, a, e, d};
    std::memcpy(out, corners, sizeof corners);
}

// OBJ: "v" lines, optionally "vt" and "vn" lines, then "f" lines naming them.
inline bool WriteObj(const std::string& path, int columns, int rows, bool uvs, bool normals) {
    std::string text;
    char line[96];
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            std::snprintf(line, sizeof line, "v %d %d %.6f\n", c, r, double(GridHeight(c, r)));
            text += line;
        }
    if (uvs)
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                std::snprintf(line, sizeof line, "vt %.6f %.6f\n", double(c) / columns, double(r) / rows);
                text += line;
            }
    if (normals)
        for (int i = 0; i < rows * columns; ++i) text += "vn 0 0 1\n";
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t corners[6];
            CellCorners(columns, c, r, corners);
            for (int t = 0; t < 2; ++t) {
                text += "f";
                for (int k = 0; k < 3; ++k) {
                    const unsigned n = corners[3 * t + k] + 1;
                    if (uvs && normals) std::snprintf(line, sizeof line, " %u/%u/%u", n, n, n);
                    else if (uvs) std::snprintf(line, sizeof line, " %u/%u", n, n);
                    else if (normals) std::snprintf(line, sizeof line, " %u//%u", n, n);
                    else std::snprintf(line, sizeof line, " %u", n);
                    text += line;
                }
                text += "\n";
            }
        }
    return Save(path, text);
}

// Binary glTF: positions, texture coordinates and 32-bit indices in one buffer.
inline bool WriteGlb(const std::string& path, int columns, int rows) {
    std::string bin;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            for (float value : {float(c), float(r), GridHeight(c, r)}) AppendFloat(bin, value);
    const size_t uvOffset = bin.size();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            for (float value : {float(c) / columns, float(r) / rows}) AppendFloat(bin, value);
    const size_t indexOffset = bin.size();
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t corners[6];
            CellCorners(columns, c, r, corners);
            for (uint32_t index : corners) Append32(bin, index);
        }
    const size_t vertices = size_t(rows) * columns, indices = (bin.size() - indexOffset) / 4;
    std::string json = "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0}],"
                       "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"TEXCOORD_0\":1},\"indices\":2}]}],"
                       "\"buffers\":[{\"byteLength\":" + std::to_string(bin.size()) + "}],\"bufferViews\":["
                       "{\"buffer\":0,\"byteOffset\":0,\"byteLength\":" + std::to_string(uvOffset) + "},"
                       "{\"buffer\":0,\"byteOffset\":" + std::to_string(uvOffset) + ",\"byteLength\":" + std::to_string(indexOffset - uvOffset) + "},"
                       "{\"buffer\":0,\"byteOffset\":" + std::to_string(indexOffset) + ",\"byteLength\":" + std::to_string(bin.size() - indexOffset) + "}],"
                       "\"accessors\":["
                       "{\"bufferView\":0,\"componentType\":5126,\"count\":" + std::to_string(vertices) + ",\"type\":\"VEC3\","
                       "\"min\":[0,0,0],\"max\":[" + std::to_string(columns) + "," + std::to_string(rows) + ",1]},"
                       "{\"bufferView\":1,\"componentType\":5126,\"count\":" + std::to_string(vertices) + ",\"type\":\"VEC2\"},"
                       "{\"bufferView\":2,\"componentType\":5125,\"count\":" + std::to_string(indices) + ",\"type\":\"SCALAR\"}]}";
    while (json.size() % 4) json += ' ';
    while (bin.size() % 4) bin += '\0';
    std::string glb = "glTF";
    Append32(glb, 2);
    Append32(glb, uint32_t(12 + 8 + json.size() + 8 + bin.size()));
    Append32(glb, uint32_t(json.size()));
    glb += "JSON" + json;
    Append32(glb, uint32_t(bin.size()));
    glb += std::string("BIN\0", 4) + bin;
    return Save(path, glb);
}

// Binary STL: every triangle on its own with its three corners, as slicers take them.
inline bool WriteStl(const std::string& path, int columns, int rows) {
    std::string stl(80, ' ');
    Append32(stl, uint32_t(2 * (rows - 1) * (columns - 1)));
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t corners[6];
            CellCorners(columns, c, r, corners);
            for (int t = 0; t < 2; ++t) {
                for (int i = 0; i < 3; ++i) AppendFloat(stl, i == 2 ? 1.0f : 0.0f);
                for (int k = 0; k < 3; ++k) {
                    const int vc = int(corners[3 * t + k] % uint32_t(columns)), vr = int(corners[3 * t + k] / uint32_t(columns));
                    for (float value : {float(vc), float(vr), GridHeight(vc, vr)}) AppendFloat(stl, value);
                }
                stl += std::string(2, '\0');
            }
        }
    return Save(path, stl);
}

// Binary little-endian PLY with vertex colours, as scanners write them.
inline bool WritePly(const std::string& path, int columns, int rows) {
    const size_t vertices = size_t(rows) * columns, faces = 2 * size_t(rows - 1) * (columns - 1);
    std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(vertices) +
                      "\nproperty float x\nproperty float y\nproperty float z\n"
                      "property uchar red\nproperty uchar green\nproperty uchar blue\n"
                      "element face " + std::to_string(faces) + "\nproperty list uchar int vertex_indices\nend_header\n";
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            for (float value : {float(c), float(r), GridHeight(c, r)}) AppendFloat(ply, value);
            const unsigned char rgb[3] = {uint8_t(c), uint8_t(r), 200};
            Append(ply, rgb, 3);
        }
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t corners[6];
            CellCorners(columns, c, r, corners);
            for (int t = 0; t < 2; ++t) {
                ply += '\3';
                for (int k = 0; k < 3; ++k) Append32(ply, corners[3 * t + k]);
            }
        }
    return Save(path, ply);
}

}  // namespace grid_files

#endif
