#include "formats/obj_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <sstream>
#include <vector>

#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include "formats/model_file.h"
#include "formats/polygon_triangulation.h"
#include "platform/trace.h"

namespace {

// MTL files through the platform's file reading (wide names on Windows), beside the
// model or where an absolute name points.
class MaterialsBesideModel : public tinyobj::MaterialReader {
public:
    explicit MaterialsBesideModel(std::string modelPath) : modelPath(std::move(modelPath)) {}
    bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                    std::map<std::string, int>* names, std::string* warning, std::string*) override {
        std::vector<uint8_t> bytes;
        if (!ReadModelFile(FileBesideModel(modelPath, name).c_str(), &bytes)) {
            if (warning) *warning += "material file not read: " + name + "\n";
            return false;
        }
        std::istringstream text(std::string(bytes.begin(), bytes.end()));
        tinyobj::LoadMtl(names, materials, &text, warning, nullptr);
        return true;
    }

private:
    std::string modelPath;
};

// Whether any corner carries a colour of its own (the library fills white without).
bool HasVertexColors(const tinyobj::attrib_t& attrib) {
    for (float value : attrib.colors)
        if (value != 1.0f) return true;
    return false;
}

// Reads the triple `index` of `values` into out; false when it is not there.
bool Triple(const std::vector<tinyobj::real_t>& values, int index, float out[3]) {
    if (index < 0 || static_cast<size_t>(index) >= values.size() / 3) return false;
    for (int i = 0; i < 3; ++i) out[i] = values[3 * static_cast<size_t>(index) + i];
    return true;
}

// The number of corners of every face of three or more, in the file's order. The
// library keeps a face's count in one byte, so faces of more than 255 corners are
// counted again here by the library's own face parsing.
std::vector<size_t> FaceSizes(const std::string& text) {
    std::vector<size_t> sizes;
    tinyobj::callback_t callback;
    callback.index_cb = [](void* user, tinyobj::index_t*, int count) {
        if (count >= 3) static_cast<std::vector<size_t>*>(user)->push_back(static_cast<size_t>(count));
    };
    std::istringstream stream(text);
    tinyobj::LoadObjWithCallback(stream, callback, &sizes);
    return sizes;
}

// Each face's number of corners: as the library gives them, or, where some face had
// more than 255, from sizes (FaceSizes), checked to agree with the library's faces.
// Empty when they do not agree.
std::vector<std::vector<size_t>> FaceCornerCounts(const std::vector<tinyobj::shape_t>& shapes,
                                                  const std::function<std::vector<size_t>()>& sizes) {
    std::vector<std::vector<size_t>> counts;
    bool complete = true;
    for (const tinyobj::shape_t& shape : shapes) {
        counts.emplace_back(shape.mesh.num_face_vertices.begin(), shape.mesh.num_face_vertices.end());
        size_t total = 0;
        for (size_t count : counts.back()) total += count;
        complete = complete && total == shape.mesh.indices.size();
    }
    if (complete) return counts;
    const std::vector<size_t> recounted = sizes();
    size_t next = 0;
    for (size_t s = 0; s < shapes.size(); ++s) {
        size_t total = 0;
        for (size_t& count : counts[s]) {
            if (next == recounted.size() || recounted[next] % 256 != count) return {};
            count = recounted[next++];
            total += count;
        }
        if (total != shapes[s].mesh.indices.size()) return {};
    }
    return counts;
}

ReadResult Convert(const tinyobj::attrib_t& attrib, const std::vector<tinyobj::shape_t>& shapes,
                   const std::vector<std::vector<size_t>>& faceCounts, const std::vector<tinyobj::material_t>& materials,
                   const std::string& modelPath, TriangleModel* model) {
    ReadResult result;
    for (const tinyobj::material_t& source : materials) {
        TriangleMaterial material;
        material.name = source.name;
        for (int i = 0; i < 3; ++i) material.baseColor[i] = std::isfinite(source.diffuse[i]) ? source.diffuse[i] : 1.0f;
        if (!source.diffuse_texname.empty()) {
            const std::string& name = source.diffuse_texname;
            material.textureFile = FileBesideModel(modelPath, name);
        }
        model->materials.push_back(std::move(material));
    }
    const bool colored = HasVertexColors(attrib);
    std::map<int, size_t> batchOfMaterial;
    std::vector<bool> needsNormals;
    int64_t triangles = 0;
    PolygonTriangulator triangulator;
    std::vector<TriangleCorner> corners;
    std::vector<std::array<double, 3>> positions;
    std::vector<uint32_t> cuts;
    for (size_t s = 0; s < shapes.size(); ++s) {
        const tinyobj::mesh_t& mesh = shapes[s].mesh;
        size_t first = 0;
        for (size_t face = 0; face < faceCounts[s].size(); ++face) {
            const size_t count = faceCounts[s][face];
            if (first + count > mesh.indices.size()) break;
            const size_t at = first;
            first += count;
            if (count < 3) continue;  // lines and points are not drawn
            int material = face < mesh.material_ids.size() ? mesh.material_ids[face] : -1;
            if (material < 0 || static_cast<size_t>(material) >= model->materials.size()) material = -1;
            corners.resize(count);
            positions.resize(count);
            bool whole = true, normals = true;
            for (size_t c = 0; c < count && whole; ++c) {
                const tinyobj::index_t& index = mesh.indices[at + c];
                TriangleCorner& corner = corners[c];
                whole = Triple(attrib.vertices, index.vertex_index, corner.position);
                if (!Triple(attrib.normals, index.normal_index, corner.normal)) {
                    normals = false;
                    corner.normal[0] = corner.normal[1] = corner.normal[2] = 0.0f;
                }
                corner.uv[0] = corner.uv[1] = 0.0f;
                const int uv = index.texcoord_index;
                if (uv >= 0 && static_cast<size_t>(uv) < attrib.texcoords.size() / 2) {
                    corner.uv[0] = attrib.texcoords[2 * static_cast<size_t>(uv)];
                    corner.uv[1] = attrib.texcoords[2 * static_cast<size_t>(uv) + 1];
                }
                corner.color[0] = corner.color[1] = corner.color[2] = corner.color[3] = 1.0f;
                if (colored) Triple(attrib.colors, index.vertex_index, corner.color);
                positions[c] = {corner.position[0], corner.position[1], corner.position[2]};
            }
            if (!whole) continue;  // a corner without a position: the face is dropped
            triangles += static_cast<int64_t>(count - 2);
            if (triangles > kMaxModelTriangles) return result.fail(ReadFailure::TooLarge, "more than 10,000,000 triangles");
            auto found = batchOfMaterial.find(material);
            if (found == batchOfMaterial.end()) {
                found = batchOfMaterial.emplace(material, model->batches.size()).first;
                model->batches.emplace_back();
                model->batches.back().material = material;
                model->batches.back().vertexColors = colored;
                needsNormals.push_back(false);
            }
            TriangleBatch& batch = model->batches[found->second];
            cuts.clear();
            triangulator.Triangulate(positions, &cuts);
            for (uint32_t corner : cuts) batch.corners.push_back(corners[corner]);
            if (!normals) needsNormals[found->second] = true;
        }
    }
    for (size_t b = 0; b < model->batches.size(); ++b)
        if (needsNormals[b]) BuildCornerNormals(model->batches[b]);
    if (triangles == 0) return result.fail(ReadFailure::Unsupported, "no triangles");
    return result;
}

// Lines of kinds drawing has no use for, which the library reads unsafely, become
// comments before it sees the text: vertex weights ("vw"), whose joint numbers it
// converts to int without a range check (undefined for 1e13), and subdivision tags
// ("t"), whose counts size its arrays as given (a count of two billion).
std::string WithoutUnusedLines(const std::string& text) {
    std::string kept = text;
    auto startsLine = [&](size_t at, const char* keyword) {
        const size_t length = std::strlen(keyword);
        return kept.compare(at, length, keyword) == 0 &&
               (at + length == kept.size() || kept[at + length] == ' ' || kept[at + length] == '\t');
    };
    size_t line = 0;
    while (line < kept.size()) {
        const size_t at = kept.find_first_not_of(" \t", line);
        if (at != std::string::npos && (startsLine(at, "vw") || startsLine(at, "t"))) kept[at] = '#';
        const size_t end = kept.find_first_of("\r\n", line);  // the library ends lines at either
        if (end == std::string::npos) break;
        line = end + 1;
    }
    return kept;
}

}  // namespace

ReadResult ReadObjText(const std::string& text, const char* path, TriangleModel* model) {
    *model = TriangleModel();
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning, error;
    const std::string modelPath = path ? path : "";
    MaterialsBesideModel materialReader(modelPath);
    ReadResult result;
    try {
        const std::string kept = WithoutUnusedLines(text);
        std::istringstream stream(kept);
        // Polygons stay whole: the library's own splitting loses parts of concave ones.
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &stream, &materialReader, false, true)) {
            const std::string line = error.substr(0, error.find('\n'));
            return result.fail(ReadFailure::NotThisFormat, line);
        }
        if (!warning.empty()) TraceF("OBJ: %s", warning.substr(0, warning.find('\n')).c_str());
        const std::vector<std::vector<size_t>> faceCounts =
            FaceCornerCounts(shapes, [&kept] { return FaceSizes(kept); });
        if (faceCounts.size() != shapes.size()) return result.fail(ReadFailure::NotThisFormat, "faces that could not be counted");
        result = Convert(attrib, shapes, faceCounts, materials, modelPath, model);
    } catch (const std::bad_alloc&) {
        result.fail(ReadFailure::TooLarge, "out of memory");
    } catch (const std::exception& e) {
        result.fail(ReadFailure::NotThisFormat, e.what());
    }
    if (!result) *model = TriangleModel();
    return result;
}

ReadResult ReadObjFile(const char* path, TriangleModel* model) {
    std::vector<uint8_t> bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) return read;
    return ReadObjText(std::string(bytes.begin(), bytes.end()), path, model);
}
