// Writes 3DS-style chunk trees for tests: Begin a chunk, write its payload and
// its sub-chunks, End it to fill in its length.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

class ChunkWriter {
public:
    // Starts a chunk; returns its offset (for SetLength).
    size_t Begin(uint16_t id) {
        size_t at = bytes.size();
        U16(id);
        U32(0);
        open.push_back(at);
        return at;
    }
    // Ends the innermost open chunk; its length covers everything written since Begin.
    void End() {
        size_t at = open.back();
        open.pop_back();
        SetLength(at, static_cast<uint32_t>(bytes.size() - at));
    }
    // Overwrites the length field of the chunk at offset (for broken lengths).
    void SetLength(size_t at, uint32_t length) {
        for (int i = 0; i < 4; ++i) bytes[at + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
    }

    void U8(uint8_t v) { bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void F32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        U32(bits);
    }
    // The text and its NUL.
    void Str(const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        U8(0);
    }
    void Fill(size_t count, uint8_t value) { bytes.insert(bytes.end(), count, value); }

    std::vector<uint8_t> bytes;

private:
    std::vector<size_t> open;
};

// Common shapes of a 3DS file.
namespace chunks {

inline void Version(ChunkWriter& w, uint32_t version) {
    w.Begin(0x0002);
    w.U32(version);
    w.End();
}

inline void Vertices(ChunkWriter& w, const std::vector<float>& xyz) {
    w.Begin(0x4110);
    w.U16(static_cast<uint16_t>(xyz.size() / 3));
    for (float f : xyz) w.F32(f);
    w.End();
}

inline void TexCoords(ChunkWriter& w, const std::vector<float>& uv) {
    w.Begin(0x4140);
    w.U16(static_cast<uint16_t>(uv.size() / 2));
    for (float f : uv) w.F32(f);
    w.End();
}

// Begins a face list (left open for nested groups); each face gets flags 7.
inline void BeginFaces(ChunkWriter& w, const std::vector<uint16_t>& abc) {
    w.Begin(0x4120);
    w.U16(static_cast<uint16_t>(abc.size() / 3));
    for (size_t i = 0; i < abc.size(); i += 3) {
        w.U16(abc[i]);
        w.U16(abc[i + 1]);
        w.U16(abc[i + 2]);
        w.U16(7);
    }
}

inline void MaterialGroup(ChunkWriter& w, const std::string& name, const std::vector<uint16_t>& faces) {
    w.Begin(0x4130);
    w.Str(name);
    w.U16(static_cast<uint16_t>(faces.size()));
    for (uint16_t f : faces) w.U16(f);
    w.End();
}

inline void SmoothingGroups(ChunkWriter& w, size_t faceCount) {
    w.Begin(0x4150);
    for (size_t i = 0; i < faceCount; ++i) w.U32(1);
    w.End();
}

// An object with one triangle mesh of the given vertices and faces, and material
// groups of (material name, face indices).
inline void MeshObject(ChunkWriter& w, const std::string& name, const std::vector<float>& xyz,
                       const std::vector<uint16_t>& abc,
                       const std::vector<std::pair<std::string, std::vector<uint16_t>>>& groups = {}) {
    w.Begin(0x4000);
    w.Str(name);
    w.Begin(0x4100);
    Vertices(w, xyz);
    BeginFaces(w, abc);
    for (const auto& group : groups) MaterialGroup(w, group.first, group.second);
    w.End();
    w.End();
    w.End();
}

// A material: name, a 24-bit diffuse colour, and a texture map when fileName is given.
inline void Material(ChunkWriter& w, const std::string& name, uint8_t r, uint8_t g, uint8_t b,
                     const std::string& fileName = std::string()) {
    w.Begin(0xAFFF);
    w.Begin(0xA000);
    w.Str(name);
    w.End();
    w.Begin(0xA020);
    w.Begin(0x0011);
    w.U8(r);
    w.U8(g);
    w.U8(b);
    w.End();
    w.End();
    if (!fileName.empty()) {
        w.Begin(0xA200);
        w.Begin(0x0030);  // map strength, passed over
        w.U16(100);
        w.End();
        w.Begin(0xA300);
        w.Str(fileName);
        w.End();
        w.End();
    }
    w.End();
}

// Opens the primary chunk and the editor block, with its mesh version sub-chunk
// when asked.
inline void BeginFile(ChunkWriter& w, uint32_t version = 3, bool meshVersion = true) {
    w.Begin(0x4D4D);
    Version(w, version);
    w.Begin(0x3D3D);
    if (!meshVersion) return;
    w.Begin(0x3D3E);
    w.U32(3);
    w.End();
}

// Closes the editor block, adds a key-frame block and closes the primary chunk.
inline void EndFile(ChunkWriter& w) {
    w.End();
    w.Begin(0xB000);
    w.Begin(0xB00A);
    w.U16(5);
    w.Str("MAXSCENE");
    w.End();
    w.End();
    w.End();
}

}  // namespace chunks
