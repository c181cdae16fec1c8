#include "formats/gltf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>  // the library's saving code uses it even without its file calls
#include <map>
#include <memory>
#include <new>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

// The library parses the JSON and gathers the buffers. Pictures stay encoded (no
// stb_image, external ones unread), and files are opened only through the callbacks
// below, never by the library's own narrow-character file calls.
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_FS
#include <tiny_gltf.h>
#include <nlohmann/json.hpp>

#include "formats/gltf_meshopt.h"
#include "formats/model_file.h"
#include "platform/file_open.h"

namespace {

using Json = nlohmann::json;

// The library turns "extras" and "extensions" into its own values recursively; real
// files nest a handful of levels.
constexpr int kMaxJsonDepth = 64;
constexpr int kMaxNodeDepth = 256;
constexpr size_t kMaxDecodedBytes = size_t(512) << 20;

// The first line of a library's message, short enough for a summary.
std::string OneLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.size() > 160) line = line.substr(0, 157) + "...";
    return line.empty() ? "not a readable glTF file" : line;
}

// Names what went wrong; false for the caller to return.
bool Refuse(ReadResult& result, ReadFailure why, std::string what) {
    result.fail(why, std::move(what));
    return false;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

uint32_t LittleEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A relative URI as a file name: "%20" and the like become their bytes.
std::string PercentDecoded(const std::string& uri) {
    std::string name;
    for (size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && HexDigit(uri[i + 1]) >= 0 && HexDigit(uri[i + 2]) >= 0) {
            name += static_cast<char>(HexDigit(uri[i + 1]) * 16 + HexDigit(uri[i + 2]));
            i += 2;
        } else {
            name += uri[i];
        }
    }
    return name;
}

// External buffers, read only from the model's folder (the library would also try
// the working directory, which is no place of the model's) and within one budget.
struct BufferFiles {
    std::string prefix;  // how the library's paths into the model's folder start
    size_t budget = kMaxModelFileBytes;
    bool tooLarge = false;
    std::string missing;  // the name of the first buffer file that did not open
};

bool BufferFileExists(const std::string& path, void* user) {
    BufferFiles& files = *static_cast<BufferFiles*>(user);
    // A buffer without a URI names the folder itself.
    if (!StartsWith(path, files.prefix.c_str()) || path.size() == files.prefix.size()) return false;
    std::FILE* file = OpenFileForReading(path.c_str());
    if (!file) {
        if (files.missing.empty()) files.missing = path.substr(files.prefix.size());
        return false;
    }
    std::fclose(file);
    return true;
}

std::string PathAsGiven(const std::string& path, void*) { return path; }

bool ReadBufferFile(std::vector<unsigned char>* bytes, std::string* error, const std::string& path, void* user) {
    BufferFiles& files = *static_cast<BufferFiles*>(user);
    switch (ReadFileAtMost(path.c_str(), files.budget, *bytes)) {
        case FileReading::Whole:
            files.budget -= bytes->size();
            return true;
        case FileReading::TooLarge:
            files.tooLarge = true;
            if (error) *error += "buffers over 256 MiB";
            return false;
        case FileReading::CannotOpen:
            break;
    }
    if (error) *error += "cannot read " + path;
    return false;
}

// Pictures are decoded where they are drawn: the library only has to hear that
// loading goes on.
bool LeavePictureEncoded(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
                         void*) {
    return true;
}

// Whether JSON text nests arrays and objects deeper than limit (strings skipped).
bool NestedDeeperThan(const char* text, size_t size, int limit) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

// Text that opens a JSON object (after a byte order mark and white space).
bool LooksLikeJson(const unsigned char* data, size_t size) {
    size_t at = size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
    while (at < size && (data[at] == ' ' || data[at] == '\t' || data[at] == '\r' || data[at] == '\n')) ++at;
    return at < size && data[at] == '{';
}

// Checks a binary file's chunks before the library reads them: the library lets the
// binary chunk's data run 8 bytes past the end of the file. Gives the JSON chunk.
bool CheckBinaryLayout(const unsigned char* data, size_t size, const char** json, size_t* jsonSize, ReadResult& result) {
    if (size < 12) return Refuse(result, ReadFailure::Truncated, "a binary header cut short");
    const uint32_t version = LittleEndian32(data + 4);
    if (version != 2) return Refuse(result, ReadFailure::Unsupported, "binary glTF version " + std::to_string(version));
    const size_t length = LittleEndian32(data + 8);
    if (length > size) return Refuse(result, ReadFailure::Truncated, "a file shorter than its header says");
    if (length < 20) return Refuse(result, ReadFailure::Truncated, "no JSON chunk");
    const size_t jsonLength = LittleEndian32(data + 12);
    if (LittleEndian32(data + 16) != 0x4E4F534Au)
        return Refuse(result, ReadFailure::NotThisFormat, "a first chunk that is not JSON");
    if (jsonLength > length - 20) return Refuse(result, ReadFailure::Truncated, "a JSON chunk past the end");
    const size_t binary = 20 + jsonLength;
    if (binary < length) {
        if (length - binary < 8) return Refuse(result, ReadFailure::Truncated, "a binary chunk header cut short");
        if (LittleEndian32(data + binary) > length - binary - 8)
            return Refuse(result, ReadFailure::Truncated, "a binary chunk past the end");
    }
    *json = reinterpret_cast<const char*>(data + 20);
    *jsonSize = jsonLength;
    return true;
}

const Json* Member(const Json& object, const char* key) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// An integer as the library reads one (64 bits cut to an int).
bool LibraryInt(const Json* value, int* out) {
    if (!value || !value->is_number_integer()) return false;
    *out = static_cast<int>(value->get<int64_t>());
    return true;
}

bool Count(const Json* value, size_t* out) {
    if (!value || !value->is_number_unsigned()) return false;
    *out = value->get<size_t>();
    return true;
}

// The object at index of an array member, or null.
const Json* ElementOf(const Json& document, const char* key, int index) {
    const Json* array = Member(document, key);
    if (!array || !array->is_array() || index < 0 || static_cast<size_t>(index) >= array->size()) return nullptr;
    const Json& element = (*array)[static_cast<size_t>(index)];
    return element.is_object() ? &element : nullptr;
}

// The library takes the bytes of an image stored in a buffer view without checking
// that the view lies inside its buffer. Read the way the library reads it, the view
// must lie inside (a buffer's data is as long as its byteLength once loaded).
bool ImageViewInsideBuffer(const Json& document, const Json& image) {
    int viewIndex = -1;
    if (!LibraryInt(Member(image, "bufferView"), &viewIndex) || viewIndex == -1) return true;
    const Json* view = ElementOf(document, "bufferViews", viewIndex);
    int bufferIndex = -1;
    if (!view || !LibraryInt(Member(*view, "buffer"), &bufferIndex)) return false;
    const Json* buffer = ElementOf(document, "buffers", bufferIndex);
    size_t offset = 0, length = 0, bufferLength = 0;
    if (!buffer || !Count(Member(*view, "byteLength"), &length) || !Count(Member(*buffer, "byteLength"), &bufferLength))
        return false;
    Count(Member(*view, "byteOffset"), &offset);  // 0 unless a count, as the library takes it
    return offset <= bufferLength && length <= bufferLength - offset;
}

// The extensions a file may require and still be drawn as its maker meant: quantized
// attributes, meshopt-compressed buffer views, specular-glossiness materials, unlit
// materials (their base colour is what is drawn) and texture coordinate transforms.
bool DrawableExtension(const std::string& name) {
    return name == "KHR_mesh_quantization" || name == "EXT_meshopt_compression" ||
           name == "KHR_materials_pbrSpecularGlossiness" || name == "KHR_materials_unlit" ||
           name == "KHR_texture_transform";
}

// Whether a buffer is only the stand-in of meshopt-compressed views: its bytes are
// never read and a file may leave them out.
bool MeshoptFallback(const Json& buffer) {
    const Json* extensions = Member(buffer, "extensions");
    const Json* meshopt = extensions ? Member(*extensions, "EXT_meshopt_compression") : nullptr;
    const Json* fallback = meshopt ? Member(*meshopt, "fallback") : nullptr;
    return fallback && fallback->is_boolean() && fallback->get<bool>();
}

// Checks the JSON before the library reads it and takes the images' data URIs (the
// library decodes them for a picture loader and keeps no trace of them). Where meshopt
// fallback buffers hold no bytes (which the library cannot load), rewritten is the
// JSON with each of them one byte long; empty otherwise.
bool CheckJson(const char* text, size_t size, std::vector<std::string>* imageDataUris, std::string* rewritten,
               ReadResult& result) {
    if (NestedDeeperThan(text, size, kMaxJsonDepth))
        return Refuse(result, ReadFailure::TooLarge, "JSON nested deeper than 64 levels");
    Json document;
    try {
        document = Json::parse(text, text + size);
    } catch (const Json::parse_error& error) {
        // Cut text fails where its input ends.
        const bool cut = error.byte >= size;
        return Refuse(result, cut ? ReadFailure::Truncated : ReadFailure::NotThisFormat, OneLine(error.what()));
    }
    const Json* asset = Member(document, "asset");
    if (!asset || !asset->is_object()) return Refuse(result, ReadFailure::NotThisFormat, "JSON that is not glTF");
    const Json* version = Member(*asset, "version");
    if (!version || !version->is_string())
        return Refuse(result, ReadFailure::NotThisFormat, "a glTF asset without its version");
    if (!StartsWith(version->get_ref<const std::string&>(), "2."))
        return Refuse(result, ReadFailure::Unsupported, "glTF version " + OneLine(version->get<std::string>()));
    if (const Json* required = Member(document, "extensionsRequired"); required && required->is_array()) {
        for (const Json& name : *required)
            if (name.is_string() && !DrawableExtension(name.get_ref<const std::string&>()))
                return Refuse(result, ReadFailure::Unsupported, "requires " + name.get<std::string>());
    }
    // The library reads the first byte of a binary buffer of no bytes with at(), which throws.
    if (const Json* buffers = Member(document, "buffers"); buffers && buffers->is_array()) {
        size_t length = 0;
        for (const Json& buffer : *buffers)
            if (Count(Member(buffer, "byteLength"), &length) && length == 0)
                return Refuse(result, ReadFailure::NotThisFormat, "a buffer of no bytes");
    }
    bool fallbacks = false;
    if (Json* buffers = document.is_object() && document.contains("buffers") ? &document["buffers"] : nullptr;
        buffers && buffers->is_array()) {
        for (Json& buffer : *buffers)
            if (MeshoptFallback(buffer)) {
                buffer["byteLength"] = 1;
                buffer["uri"] = "data:application/octet-stream;base64,AA==";
                fallbacks = true;
            }
    }
    Json* images = document.is_object() && document.contains("images") ? &document["images"] : nullptr;
    if (images && images->is_array()) {
        imageDataUris->resize(images->size());
        for (size_t i = 0; i < images->size(); ++i) {
            Json& image = (*images)[i];
            if (!ImageViewInsideBuffer(document, image))
                return Refuse(result, ReadFailure::Truncated, "image " + std::to_string(i) + " past its buffer");
            if (image.is_object() && image.contains("uri") && image["uri"].is_string() &&
                StartsWith(image["uri"].get_ref<const std::string&>(), "data:"))
                (*imageDataUris)[i] = std::move(image["uri"].get_ref<std::string&>());
        }
    }
    if (fallbacks) *rewritten = document.dump();
    return true;
}

// A binary file with its JSON chunk replaced; the binary chunk stays as it was.
std::vector<unsigned char> WithJsonChunk(const unsigned char* data, size_t size, size_t jsonSize, std::string json) {
    json.resize((json.size() + 3) / 4 * 4, ' ');
    const size_t rest = 20 + jsonSize;  // where the binary chunk starts
    std::vector<unsigned char> file(data, data + 12);
    auto put32 = [&file](size_t value, size_t at) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    file.resize(20);
    put32(json.size(), 12);
    put32(0x4E4F534Au, 16);
    file.insert(file.end(), json.begin(), json.end());
    const size_t length = LittleEndian32(data + 8);  // checked to be no more than size
    if (rest < length && length <= size) file.insert(file.end(), data + rest, data + length);
    put32(file.size(), 8);
    return file;
}

// 4x4 matrices as glTF stores them: by columns.
struct Matrix {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    Matrix operator*(const Matrix& right) const {
        Matrix product;
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row) {
                double sum = 0;
                for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * right.m[column * 4 + k];
                product.m[column * 4 + row] = sum;
            }
        return product;
    }
};

// A node's own transform: its matrix, or translation * rotation * scale.
Matrix LocalTransform(const tinygltf::Node& node) {
    Matrix local;
    if (node.matrix.size() == 16) {
        std::copy(node.matrix.begin(), node.matrix.end(), local.m);
        return local;
    }
    double q[4] = {0, 0, 0, 1};
    if (node.rotation.size() == 4) {
        const double length = std::sqrt(node.rotation[0] * node.rotation[0] + node.rotation[1] * node.rotation[1] +
                                        node.rotation[2] * node.rotation[2] + node.rotation[3] * node.rotation[3]);
        if (length > 0 && std::isfinite(length))
            for (int i = 0; i < 4; ++i) q[i] = node.rotation[i] / length;
    }
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double rotation[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                                2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                                2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    for (int column = 0; column < 3; ++column) {
        const double scale = node.scale.size() == 3 ? node.scale[column] : 1.0;
        for (int row = 0; row < 3; ++row) local.m[column * 4 + row] = rotation[column * 3 + row] * scale;
        if (node.translation.size() == 3) local.m[12 + column] = node.translation[column];
    }
    return local;
}

float Finite(double value) {
    const float f = static_cast<float>(value);
    return std::isfinite(f) ? f : 0.0f;
}

// Where a mesh is placed: its positions' transform, the normals' (the inverse
// transpose, by the cofactors of the upper 3x3 block: scaled, then renormalised), and
// whether it mirrors, which turns the triangles' winding over.
struct Placement {
    Matrix world;
    double normal[9];
    bool mirrored;

    explicit Placement(const Matrix& world) : world(world) {
        const double* a = world.m;  // columns a[0..2], a[4..6], a[8..10]
        auto cross = [](const double* u, const double* v, double* out) {
            out[0] = u[1] * v[2] - u[2] * v[1];
            out[1] = u[2] * v[0] - u[0] * v[2];
            out[2] = u[0] * v[1] - u[1] * v[0];
        };
        cross(a + 4, a + 8, normal);
        cross(a + 8, a, normal + 3);
        cross(a, a + 4, normal + 6);
        const double determinant = a[0] * normal[0] + a[1] * normal[1] + a[2] * normal[2];
        mirrored = determinant < 0;
        if (mirrored)
            for (double& value : normal) value = -value;
    }

    void Position(const float in[3], float out[3]) const {
        for (int row = 0; row < 3; ++row)
            out[row] = Finite(world.m[row] * in[0] + world.m[4 + row] * in[1] + world.m[8 + row] * in[2] + world.m[12 + row]);
    }
    void Normal(const float in[3], float out[3]) const {
        double n[3];
        for (int row = 0; row < 3; ++row) n[row] = normal[row] * in[0] + normal[3 + row] * in[1] + normal[6 + row] * in[2];
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int row = 0; row < 3; ++row) out[row] = length > 0 ? Finite(n[row] / length) : 0.0f;
    }
};

size_t ComponentBytes(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            return 4;
        default:
            return 0;  // no glTF 2.0 type
    }
}

// An accessor's elements, checked to lie inside their buffer.
struct Elements {
    const unsigned char* first = nullptr;
    size_t stride = 0;
    size_t count = 0;
    size_t componentBytes = 0;
    int componentType = 0;
    int components = 0;
    bool normalized = false;

    // A component as a number; normalized integers scaled to [0, 1] or [-1, 1].
    float Get(size_t element, int component) const {
        const unsigned char* at = first + element * stride + static_cast<size_t>(component) * componentBytes;
        switch (componentType) {
            case TINYGLTF_COMPONENT_TYPE_BYTE: {
                const float value = static_cast<int8_t>(at[0]);
                return normalized ? std::max(value / 127.0f, -1.0f) : value;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                return normalized ? at[0] / 255.0f : at[0];
            case TINYGLTF_COMPONENT_TYPE_SHORT: {
                int16_t value;
                std::memcpy(&value, at, 2);
                return normalized ? std::max(value / 32767.0f, -1.0f) : value;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                uint16_t value;
                std::memcpy(&value, at, 2);
                return normalized ? value / 65535.0f : value;
            }
            default: {
                float value;
                std::memcpy(&value, at, 4);
                return std::isfinite(value) ? value : 0.0f;
            }
        }
    }
    uint32_t Index(size_t element) const {
        const unsigned char* at = first + element * stride;
        if (componentBytes == 1) return at[0];
        if (componentBytes == 2) return uint32_t(at[0]) | uint32_t(at[1]) << 8;
        return LittleEndian32(at);
    }
};

enum class Kind { Attribute, Indices };

// Turns a tinygltf::Model into triangles: materials first, then the chosen scene's
// nodes, each mesh with its node's transform.
class Converter {
public:
    Converter(const tinygltf::Model& gltf, std::string folder, const std::vector<std::string>& imageDataUris,
              TriangleModel& model, ReadResult& result)
        : gltf(gltf), folder(std::move(folder)), imageDataUris(imageDataUris), model(model), result(result) {}

    bool Convert() {
        // Each material holds its own copy of an embedded picture: many naming one
        // large picture must not fill memory.
        size_t pictureBytes = 0;
        for (const tinygltf::Material& material : gltf.materials) {
            model.materials.push_back(MaterialOf(material));
            pictureBytes += model.materials.back().embeddedImage.size();
            if (pictureBytes > kMaxModelFileBytes) return Fail(ReadFailure::TooLarge, "pictures over 256 MiB");
        }
        // The scene is counted through first, so a model over the limit is refused
        // before any of its triangles are built.
        for (const bool build : {false, true}) {
            building = build;
            announced = 0;
            placed.assign(gltf.nodes.size(), false);
            for (int root : Roots())
                if (!Place(root, Matrix(), 0)) return false;
        }
        if (model.TriangleCount() == 0) return Fail(ReadFailure::Unsupported, "no triangles");
        return true;
    }

private:
    bool Fail(ReadFailure why, std::string what) { return Refuse(result, why, std::move(what)); }

    // The default scene, else the first, else every node that is no other's child.
    std::vector<int> Roots() const {
        const int count = static_cast<int>(gltf.scenes.size());
        if (gltf.defaultScene >= 0 && gltf.defaultScene < count) return gltf.scenes[gltf.defaultScene].nodes;
        if (count > 0) return gltf.scenes[0].nodes;
        std::vector<bool> child(gltf.nodes.size(), false);
        for (const tinygltf::Node& node : gltf.nodes)
            for (int index : node.children)
                if (index >= 0 && static_cast<size_t>(index) < child.size()) child[index] = true;
        std::vector<int> roots;
        for (size_t i = 0; i < child.size(); ++i)
            if (!child[i]) roots.push_back(static_cast<int>(i));
        return roots;
    }

    bool Place(int index, const Matrix& parent, int depth) {
        if (index < 0 || static_cast<size_t>(index) >= gltf.nodes.size())
            return Fail(ReadFailure::NotThisFormat, "no node " + std::to_string(index));
        // A node has one place in the tree: a cycle or a second parent ends here.
        if (placed[index]) return true;
        if (depth >= kMaxNodeDepth) return Fail(ReadFailure::TooLarge, "nodes nested more than 256 deep");
        placed[index] = true;
        const tinygltf::Node& node = gltf.nodes[index];
        const Matrix world = parent * LocalTransform(node);
        if (node.mesh >= 0) {
            if (static_cast<size_t>(node.mesh) >= gltf.meshes.size())
                return Fail(ReadFailure::NotThisFormat, "no mesh " + std::to_string(node.mesh));
            const Placement placement(world);
            for (const tinygltf::Primitive& primitive : gltf.meshes[node.mesh].primitives)
                if (!AddPrimitive(primitive, placement)) return false;
        }
        for (int child : node.children)
            if (!Place(child, world, depth + 1)) return false;
        return true;
    }

    // The bytes of a meshopt-compressed buffer view, decoded once; its compressed
    // source checked to lie inside its buffer.
    bool Decoded(int index, const std::vector<unsigned char>** bytes) {
        const auto known = decodedViews.find(index);
        if (known != decodedViews.end()) {
            *bytes = &known->second;
            return true;
        }
        const std::string name = "buffer view " + std::to_string(index);
        const tinygltf::BufferView& view = gltf.bufferViews[index];
        const tinygltf::Value& extension = view.extensions.at("EXT_meshopt_compression");
        if (!extension.IsObject()) return Fail(ReadFailure::NotThisFormat, name + " with a broken compression entry");
        auto number = [&extension](const char* key, int fallback) {
            const tinygltf::Value& value = extension.Get(key);
            return value.IsInt() ? value.Get<int>() : fallback;
        };
        auto text = [&extension](const char* key, const char* fallback) {
            const tinygltf::Value& value = extension.Get(key);
            return value.IsString() ? value.Get<std::string>() : std::string(fallback);
        };
        const int buffer = number("buffer", -1), offset = number("byteOffset", 0), length = number("byteLength", -1),
                  stride = number("byteStride", -1), count = number("count", -1);
        if (buffer < 0 || static_cast<size_t>(buffer) >= gltf.buffers.size() || offset < 0 ||
            length < 0 || stride < 0 || count < 0)
            return Fail(ReadFailure::NotThisFormat, name + " with a broken compression entry");
        const std::vector<unsigned char>& source = gltf.buffers[buffer].data;
        if (static_cast<size_t>(offset) > source.size() || static_cast<size_t>(length) > source.size() - offset)
            return Fail(ReadFailure::Truncated, name + "'s compressed bytes past their buffer");
        // Decoded views may be larger than the file, but not without end.
        if (view.byteLength > kMaxDecodedBytes - decodedBytes)
            return Fail(ReadFailure::TooLarge, "compressed buffer views over 512 MiB");
        MeshoptCompressedView compressed;
        compressed.data = source.data() + offset;
        compressed.size = static_cast<size_t>(length);
        compressed.count = static_cast<size_t>(count);
        compressed.stride = static_cast<size_t>(stride);
        compressed.mode = text("mode", "");
        compressed.filter = text("filter", "NONE");
        std::vector<unsigned char> decoded;
        std::string why;
        if (!DecodeMeshoptView(compressed, view.byteLength, &decoded, &why))
            return Fail(ReadFailure::NotThisFormat, name + ": " + why);
        decodedBytes += decoded.size();
        *bytes = &(decodedViews[index] = std::move(decoded));
        return true;
    }

    // Checks that accessor index is of one of the types and that its elements lie
    // inside their buffer. Attributes are floats or small integers, indices unsigned.
    bool Check(int index, const char* role, int type, int otherType, Kind kind, Elements* out) {
        if (index < 0 || static_cast<size_t>(index) >= gltf.accessors.size())
            return Fail(ReadFailure::NotThisFormat, std::string(role) + " names no accessor");
        const tinygltf::Accessor& accessor = gltf.accessors[index];
        const std::string name = "accessor " + std::to_string(index);
        if (accessor.sparse.isSparse) return Fail(ReadFailure::Unsupported, "sparse accessors");
        const int c = accessor.componentType;
        const bool integer = c == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE || c == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
        const bool fits = kind == Kind::Indices ? integer || c == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT
                                                : integer || c == TINYGLTF_COMPONENT_TYPE_FLOAT ||
                                                      c == TINYGLTF_COMPONENT_TYPE_BYTE || c == TINYGLTF_COMPONENT_TYPE_SHORT;
        if (!fits || (accessor.type != type && accessor.type != otherType))
            return Fail(ReadFailure::NotThisFormat, name + " is no " + role);
        if (accessor.bufferView < 0 || static_cast<size_t>(accessor.bufferView) >= gltf.bufferViews.size())
            return Fail(ReadFailure::NotThisFormat, name + " without data");
        const tinygltf::BufferView& view = gltf.bufferViews[accessor.bufferView];
        const std::string viewName = "buffer view " + std::to_string(accessor.bufferView);
        if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= gltf.buffers.size())
            return Fail(ReadFailure::NotThisFormat, viewName + " without a buffer");
        const std::vector<unsigned char>* bytes = &gltf.buffers[view.buffer].data;
        size_t viewOffset = view.byteOffset;
        if (view.extensions.count("EXT_meshopt_compression")) {
            if (!Decoded(accessor.bufferView, &bytes)) return false;
            viewOffset = 0;
        }
        const std::vector<unsigned char>& data = *bytes;
        if (viewOffset > data.size() || view.byteLength > data.size() - viewOffset)
            return Fail(ReadFailure::Truncated, viewName + " past its buffer");
        Elements elements;
        elements.componentType = c;
        elements.componentBytes = ComponentBytes(c);
        elements.components = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type));
        elements.normalized = accessor.normalized;
        const size_t element = elements.componentBytes * static_cast<size_t>(elements.components);
        elements.stride = view.byteStride != 0 ? view.byteStride : element;  // 0: packed tightly
        elements.count = accessor.count;
        if (elements.count > 0) {
            const size_t length = view.byteLength;
            if (accessor.byteOffset > length || element > length - accessor.byteOffset ||
                elements.count - 1 > (length - accessor.byteOffset - element) / elements.stride)
                return Fail(ReadFailure::Truncated, name + " past its buffer view");
            elements.first = data.data() + viewOffset + accessor.byteOffset;
        }
        *out = elements;
        return true;
    }

    // An attribute the primitive may have; at least one element per vertex.
    bool Optional(const tinygltf::Primitive& primitive, const char* role, int type, int otherType, size_t vertices,
                  Elements* out, bool* present) {
        const auto found = primitive.attributes.find(role);
        *present = found != primitive.attributes.end();
        if (!*present) return true;
        if (!Check(found->second, role, type, otherType, Kind::Attribute, out)) return false;
        if (out->count < vertices) return Fail(ReadFailure::NotThisFormat, std::string(role) + " shorter than POSITION");
        return true;
    }

    bool AddPrimitive(const tinygltf::Primitive& primitive, const Placement& placement) {
        const int mode = primitive.mode;
        if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP && mode != TINYGLTF_MODE_TRIANGLE_FAN)
            return true;  // points and lines are not drawn
        const auto position = primitive.attributes.find("POSITION");
        if (position == primitive.attributes.end()) return true;
        Elements positions, normals, uvs, colors, indices;
        bool hasNormals = false, hasUvs = false, hasColors = false;
        if (!Check(position->second, "POSITION", TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC3, Kind::Attribute, &positions))
            return false;
        const size_t vertices = positions.count;
        if (!Optional(primitive, "NORMAL", TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC3, vertices, &normals, &hasNormals) ||
            !Optional(primitive, "TEXCOORD_0", TINYGLTF_TYPE_VEC2, TINYGLTF_TYPE_VEC2, vertices, &uvs, &hasUvs) ||
            !Optional(primitive, "COLOR_0", TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC4, vertices, &colors, &hasColors))
            return false;
        const bool indexed = primitive.indices >= 0;
        if (indexed && !Check(primitive.indices, "indices", TINYGLTF_TYPE_SCALAR, TINYGLTF_TYPE_SCALAR, Kind::Indices,
                              &indices))
            return false;

        // A mesh placed by many nodes counts each time.
        const size_t corners = indexed ? indices.count : vertices;
        const size_t triangles = mode == TINYGLTF_MODE_TRIANGLES ? corners / 3 : corners >= 3 ? corners - 2 : 0;
        if (triangles > static_cast<size_t>(kMaxModelTriangles - announced))
            return Fail(ReadFailure::TooLarge, "more than 10,000,000 triangles");
        announced += static_cast<int64_t>(triangles);
        if (!building || triangles == 0) return true;

        LargeVector<uint32_t> order(corners);
        if (indexed) {
            for (size_t i = 0; i < corners; ++i) {
                order[i] = indices.Index(i);
                if (order[i] >= vertices)
                    return Fail(ReadFailure::NotThisFormat,
                                "index " + std::to_string(order[i]) + " past " + std::to_string(vertices) + " vertices");
            }
        } else {
            std::iota(order.begin(), order.end(), 0u);
        }

        TriangleBatch batch;
        batch.material = primitive.material >= 0 && static_cast<size_t>(primitive.material) < gltf.materials.size()
                             ? primitive.material
                             : -1;
        batch.vertexColors = hasColors;
        batch.corners.reserve(triangles * 3);
        double uvTransform[6];
        UvTransform(batch.material, uvTransform);
        const auto convert = [&](uint32_t vertex, TriangleCorner& corner) {
            corner = TriangleCorner{};
            const float at[3] = {positions.Get(vertex, 0), positions.Get(vertex, 1), positions.Get(vertex, 2)};
            placement.Position(at, corner.position);
            if (hasNormals) {
                const float n[3] = {normals.Get(vertex, 0), normals.Get(vertex, 1), normals.Get(vertex, 2)};
                placement.Normal(n, corner.normal);
            }
            if (hasUvs) {
                const float u = uvs.Get(vertex, 0), v = uvs.Get(vertex, 1);
                corner.uv[0] = Finite(uvTransform[0] * u + uvTransform[2] * v + uvTransform[4]);
                // glTF's v runs down the picture
                corner.uv[1] = 1.0f - Finite(uvTransform[1] * u + uvTransform[3] * v + uvTransform[5]);
            }
            for (int i = 0; i < 4; ++i) corner.color[i] = hasColors && i < colors.components ? colors.Get(vertex, i) : 1.0f;
        };
        // A vertex that several corners share (an indexed mesh: about six corners a
        // vertex) is converted once and copied; a primitive using few of many vertices
        // converts its corners one by one. Corners copied from vertices have their
        // places for the normals numbered over the vertices, once each.
        const bool byVertex = vertices <= corners;
        LargeVector<TriangleCorner> converted(byVertex ? vertices : 0);
        for (size_t vertex = 0; vertex < converted.size(); ++vertex) convert(static_cast<uint32_t>(vertex), converted[vertex]);
        LargeVector<uint32_t> places;
        if (byVertex && !hasNormals) places.reserve(triangles * 3);
        for (size_t t = 0; t < triangles; ++t) {
            uint32_t v[3];
            if (mode == TINYGLTF_MODE_TRIANGLES) {
                v[0] = order[3 * t], v[1] = order[3 * t + 1], v[2] = order[3 * t + 2];
            } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
                // Every other triangle of a strip turns the other way: its last two swap.
                v[0] = order[t], v[1] = order[t + 1 + t % 2], v[2] = order[t + 2 - t % 2];
            } else {
                v[0] = order[0], v[1] = order[t + 1], v[2] = order[t + 2];
            }
            if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;  // no area: strips join with these
            if (placement.mirrored) std::swap(v[1], v[2]);
            for (uint32_t vertex : v) {
                if (byVertex) {
                    batch.corners.push_back(converted[vertex]);
                    if (!hasNormals) places.push_back(vertex);
                } else {
                    batch.corners.emplace_back();
                    convert(vertex, batch.corners.back());
                }
            }
        }
        LargeVector<uint32_t>().swap(order);
        if (batch.corners.empty()) return true;
        if (!hasNormals && byVertex) {
            LargeVector<uint32_t> placeOfVertex(converted.size());
            const size_t count = NumberPlaces(converted.data()->position, converted.size(), sizeof(TriangleCorner),
                                              placeOfVertex.data());
            LargeVector<TriangleCorner>().swap(converted);
            for (uint32_t& place : places) place = placeOfVertex[place];
            BuildCornerNormals(batch, places.data(), count);
        } else if (!hasNormals) {
            BuildCornerNormals(batch);
        }
        model.batches.push_back(std::move(batch));
        return true;
    }

    // The base-colour texture's KHR_texture_transform as a 2x3 matrix by columns
    // (u' = m0 u + m2 v + m4, v' = m1 u + m3 v + m5): offset, then rotation, then
    // scale. Quantized texture coordinates carry their dequantization in it.
    void UvTransform(int material, double m[6]) const {
        double offset[2] = {0, 0}, scale[2] = {1, 1}, rotation = 0;
        if (material >= 0) {
            const tinygltf::ExtensionMap& extensions =
                gltf.materials[material].pbrMetallicRoughness.baseColorTexture.extensions;
            const auto found = extensions.find("KHR_texture_transform");
            if (found != extensions.end() && found->second.IsObject()) {
                const tinygltf::Value& transform = found->second;
                const std::vector<double> o = Numbers(transform.Get("offset")), s = Numbers(transform.Get("scale"));
                if (o.size() == 2) offset[0] = o[0], offset[1] = o[1];
                if (s.size() == 2) scale[0] = s[0], scale[1] = s[1];
                if (transform.Get("rotation").IsNumber()) rotation = transform.Get("rotation").GetNumberAsDouble();
            }
        }
        const double c = std::cos(rotation), n = std::sin(rotation);
        const double matrix[6] = {c * scale[0], -n * scale[0], n * scale[1], c * scale[1], offset[0], offset[1]};
        std::copy(matrix, matrix + 6, m);
    }

    static std::vector<double> Numbers(const tinygltf::Value& value) {
        std::vector<double> numbers;
        for (size_t i = 0; i < value.ArrayLen(); ++i) {
            const tinygltf::Value& item = value.Get(static_cast<int>(i));
            if (!item.IsNumber()) return {};
            numbers.push_back(item.GetNumberAsDouble());
        }
        return numbers;
    }

    TriangleMaterial MaterialOf(const tinygltf::Material& source) const {
        TriangleMaterial material;
        material.name = source.name;
        std::vector<double> factor = source.pbrMetallicRoughness.baseColorFactor;
        int texture = source.pbrMetallicRoughness.baseColorTexture.index;
        int set = source.pbrMetallicRoughness.baseColorTexture.texCoord;
        // A specular-glossiness material's base colour is its diffuse one (white by default).
        const auto glossy = source.extensions.find("KHR_materials_pbrSpecularGlossiness");
        if (glossy != source.extensions.end() && glossy->second.IsObject()) {
            const tinygltf::Value& extension = glossy->second;
            factor = extension.Has("diffuseFactor") ? Numbers(extension.Get("diffuseFactor")) : std::vector<double>(4, 1.0);
            texture = -1;
            set = 0;
            const tinygltf::Value& info = extension.Get("diffuseTexture");
            if (info.IsObject() && info.Get("index").IsInt()) texture = info.Get("index").GetNumberAsInt();
            if (info.IsObject() && info.Get("texCoord").IsInt()) set = info.Get("texCoord").GetNumberAsInt();
        }
        if (factor.size() == 4)
            for (int i = 0; i < 4; ++i) material.baseColor[i] = static_cast<float>(std::min(std::max(factor[i], 0.0), 1.0));
        if (set == 0) TakePicture(texture, material);  // other coordinate sets are not kept
        return material;
    }

    // The material's picture: the bytes of a buffer view or data URI, or the file a
    // relative URI names beside the model.
    void TakePicture(int texture, TriangleMaterial& material) const {
        if (texture < 0 || static_cast<size_t>(texture) >= gltf.textures.size()) return;
        const int source = gltf.textures[texture].source;
        if (source < 0 || static_cast<size_t>(source) >= gltf.images.size()) return;
        const tinygltf::Image& image = gltf.images[source];
        if (image.bufferView >= 0) {
            if (static_cast<size_t>(image.bufferView) >= gltf.bufferViews.size()) return;
            const tinygltf::BufferView& view = gltf.bufferViews[image.bufferView];
            if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= gltf.buffers.size()) return;
            const std::vector<unsigned char>& data = gltf.buffers[view.buffer].data;
            if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) return;
            material.embeddedImage.assign(data.begin() + view.byteOffset, data.begin() + view.byteOffset + view.byteLength);
        } else if (static_cast<size_t>(source) < imageDataUris.size() && !imageDataUris[source].empty()) {
            std::string mimeType;
            std::vector<unsigned char> bytes;
            if (tinygltf::DecodeDataURI(&bytes, mimeType, imageDataUris[source], 0, false))
                material.embeddedImage = std::move(bytes);
        } else if (!image.uri.empty() && !StartsWith(image.uri, "data:")) {
            material.textureFile = folder + PercentDecoded(image.uri);
        }
    }

    const tinygltf::Model& gltf;
    const std::string folder;
    const std::vector<std::string>& imageDataUris;
    TriangleModel& model;
    ReadResult& result;
    std::vector<bool> placed;
    bool building = false;  // or only counting
    int64_t announced = 0;  // triangles the primitives placed so far hold
    std::map<int, std::vector<unsigned char>> decodedViews;  // by buffer view
    size_t decodedBytes = 0;
};

bool Read(const unsigned char* data, size_t size, const std::string& path, TriangleModel& model, ReadResult& result) {
    if (size > kMaxModelFileBytes) return Refuse(result, ReadFailure::TooLarge, "a file over 256 MiB");
    const bool binary = size >= 4 && std::memcmp(data, "glTF", 4) == 0;
    const char* json = reinterpret_cast<const char*>(data);
    size_t jsonSize = size;
    if (binary) {
        if (!CheckBinaryLayout(data, size, &json, &jsonSize, result)) return false;
    } else if (!LooksLikeJson(data, size)) {
        return Refuse(result, ReadFailure::NotThisFormat, "neither glTF JSON nor binary glTF");
    }
    std::vector<std::string> imageDataUris;
    std::string rewritten;
    if (!CheckJson(json, jsonSize, &imageDataUris, &rewritten, result)) return false;
    std::vector<unsigned char> rewrittenFile;
    if (!rewritten.empty()) {
        if (binary) {
            rewrittenFile = WithJsonChunk(data, size, jsonSize, std::move(rewritten));
            data = rewrittenFile.data();
            size = rewrittenFile.size();
        } else {
            json = rewritten.data();
            jsonSize = rewritten.size();
        }
    }

    // The library joins its base folder and a URI with '/'.
    const std::string folder = FolderOf(path);
    const std::string base = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    BufferFiles files;
    files.prefix = base.empty() || base.back() == '/' ? base : base + "/";
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(&LeavePictureEncoded, nullptr);
    loader.SetFsCallbacks({&BufferFileExists, &PathAsGiven, &ReadBufferFile, nullptr, &files});
    tinygltf::Model gltf;
    std::string error, warning;
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&gltf, &error, &warning, data, static_cast<unsigned>(size), base)
               : loader.LoadASCIIFromString(&gltf, &error, &warning, json, static_cast<unsigned>(jsonSize), base);
    if (!loaded) {
        if (files.tooLarge) return Refuse(result, ReadFailure::TooLarge, "buffers over 256 MiB");
        if (!files.missing.empty()) return Refuse(result, ReadFailure::CannotOpen, "no buffer file " + files.missing);
        return Refuse(result, ReadFailure::NotThisFormat, OneLine(error));
    }
    return Converter(gltf, folder, imageDataUris, model, result).Convert();
}

}  // namespace

ReadResult ReadGltfBytes(const unsigned char* data, size_t size, const char* path, TriangleModel* model) {
    ReadResult result;
    TriangleModel read;
    try {
        Read(data ? data : reinterpret_cast<const unsigned char*>(""), data ? size : 0, path ? path : "", read, result);
    } catch (const std::bad_alloc&) {
        result.fail(ReadFailure::TooLarge, "out of memory");
    } catch (const std::exception& error) {
        // Whatever else the library stops at by throwing.
        result.fail(ReadFailure::NotThisFormat, OneLine(error.what()));
    } catch (...) {
        result.fail(ReadFailure::NotThisFormat);
    }
    *model = result ? std::move(read) : TriangleModel();
    return result;
}

ReadResult ReadGltfFile(const char* path, TriangleModel* model) {
    *model = TriangleModel();
    FileBytes bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) return read;
    return ReadGltfBytes(bytes.data(), bytes.size(), path, model);
}
