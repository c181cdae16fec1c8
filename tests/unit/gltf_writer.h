// Builds glTF files for tests: data goes into one buffer as views and accessors, the
// rest of the JSON is the test's own; packed as binary ".glb" (a JSON and a BIN
// chunk) or as ".gltf" text with the buffer in a data URI or a file of its own.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

using Json = nlohmann::json;

constexpr int kGltfUnsignedByte = 5121;
constexpr int kGltfUnsignedShort = 5123;
constexpr int kGltfFloat = 5126;

template <typename T>
std::vector<uint8_t> BytesOf(const std::vector<T>& values) {
    std::vector<uint8_t> bytes(values.size() * sizeof(T));
    if (!bytes.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

inline std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t group = uint32_t(bytes[i]) << 16 | (left > 1 ? uint32_t(bytes[i + 1]) << 8 : 0) |
                               (left > 2 ? bytes[i + 2] : 0);
        text += digits[(group >> 18) & 63];
        text += digits[(group >> 12) & 63];
        text += left > 1 ? digits[(group >> 6) & 63] : '=';
        text += left > 2 ? digits[group & 63] : '=';
    }
    return text;
}

class GltfWriter {
public:
    Json doc = {{"asset", {{"version", "2.0"}}}};
    std::vector<uint8_t> bin;

    // Appends bytes at a multiple of 4 as a buffer view; returns its index.
    int View(const std::vector<uint8_t>& bytes, size_t stride = 0) {
        bin.resize((bin.size() + 3) / 4 * 4, 0);
        Json view = {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", bytes.size()}};
        if (stride) view["byteStride"] = stride;
        bin.insert(bin.end(), bytes.begin(), bytes.end());
        doc["bufferViews"].push_back(view);
        return static_cast<int>(doc["bufferViews"].size() - 1);
    }
    int Accessor(int view, size_t offset, int componentType, const char* type, size_t count, bool normalized = false) {
        doc["accessors"].push_back({{"bufferView", view}, {"byteOffset", offset}, {"componentType", componentType},
                                    {"type", type}, {"count", count}, {"normalized", normalized}});
        return static_cast<int>(doc["accessors"].size() - 1);
    }
    int Floats(const std::vector<float>& values, const char* type) {
        const size_t components = type[0] == 'S' ? 1 : static_cast<size_t>(type[3] - '0');
        return Accessor(View(BytesOf(values)), 0, kGltfFloat, type, values.size() / components);
    }
    int Indices(const std::vector<uint16_t>& values) {
        return Accessor(View(BytesOf(values)), 0, kGltfUnsignedShort, "SCALAR", values.size());
    }

    // missing: bytes the BIN chunk and its buffer announce beyond those the file holds.
    std::vector<uint8_t> Glb(size_t missing = 0) {
        bin.resize((bin.size() + 3) / 4 * 4, 0);
        doc["buffers"] = Json::array({{{"byteLength", bin.size() + missing}}});
        std::string json = doc.dump();
        json.resize((json.size() + 3) / 4 * 4, ' ');
        std::vector<uint8_t> file = {'g', 'l', 'T', 'F'};
        auto put32 = [&file](size_t v) {
            for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
        };
        put32(2);
        put32(12 + 8 + json.size() + 8 + bin.size());
        put32(json.size());
        put32(0x4E4F534A);
        file.insert(file.end(), json.begin(), json.end());
        put32(bin.size() + missing);
        put32(0x004E4942);
        file.insert(file.end(), bin.begin(), bin.end());
        return file;
    }
    // The buffer as a data URI, or named by uri (the test writes that file itself).
    std::string Gltf(const std::string& uri = "") {
        doc["buffers"] = Json::array(
            {{{"byteLength", bin.size()}, {"uri", uri.empty() ? "data:application/octet-stream;base64," + Base64(bin) : uri}}});
        return doc.dump();
    }
};
