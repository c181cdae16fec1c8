#include "formats/obj_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <sstream>
#include <string_view>
#include <vector>

#define TINYOBJLOADER_IMPLEMENTATION
#include <tiny_obj_loader.h>

#include "formats/model_file.h"
#include "formats/polygon_triangulation.h"
#include "platform/trace.h"

namespace {

// The text one line at a time. Lines end at "\n" or "\r" (so "\r\n" leaves an empty
// line behind, which says nothing); a line's words are split at spaces and tabs.
class Lines {
public:
    Lines(const char* text, size_t size) : at(text), end(text + size) {}

    // The next line, without its end; false after the last.
    bool Next(std::string_view* line) {
        if (at >= end) return false;
        const char* stop = at;
        while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
        *line = std::string_view(at, static_cast<size_t>(stop - at));
        *line = line->substr(0, line->find('#'));  // a comment runs to the line's end
        at = stop < end ? stop + 1 : end;
        return true;
    }

private:
    const char* at;
    const char* end;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next word of a line, moving past it; empty at the line's end.
std::string_view Word(std::string_view* rest) {
    size_t from = 0;
    while (from < rest->size() && IsBlank((*rest)[from])) ++from;
    size_t to = from;
    while (to < rest->size() && !IsBlank((*rest)[to])) ++to;
    const std::string_view word = rest->substr(from, to - from);
    rest->remove_prefix(to);
    return word;
}

// A number as the file writes it ("1", "-2.5e3", "+0.5"); 0 where it is none, as
// modellers' files are read by every tool. Past float's range: its infinity, or zero
// for what is too small to tell from it.
float Number(std::string_view word) {
    if (!word.empty() && word[0] == '+') word.remove_prefix(1);
    float value = 0.0f;
    const std::from_chars_result parsed = std::from_chars(word.data(), word.data() + word.size(), value);
    if (parsed.ec == std::errc::result_out_of_range) {
        const bool negative = word[0] == '-';
        const size_t exponent = word.find_first_of("eE");
        const size_t digits = negative ? 1 : 0;
        const bool tiny = exponent == std::string_view::npos
                              ? digits < word.size() && word[digits] == '0'  // 0.000...1
                              : exponent + 1 < word.size() && word[exponent + 1] == '-';
        const float infinity = std::numeric_limits<float>::infinity();
        return tiny ? (negative ? -0.0f : 0.0f) : (negative ? -infinity : infinity);
    }
    return parsed.ec == std::errc() ? value : 0.0f;
}

// Up to `count` numbers of a line into out; the rest stay as they were. The count read.
int Numbers(std::string_view rest, float* out, int count) {
    int read = 0;
    for (; read < count; ++read) {
        const std::string_view word = Word(&rest);
        if (word.empty()) break;
        out[read] = Number(word);
    }
    return read;
}

// A face corner's number of a list: 1-based from the start, or negative from the end
// of the list as it stands at this line. -1 for none ("", "0", not a number, too far).
int64_t ListIndex(std::string_view word, int64_t listSize) {
    if (word.empty()) return -1;
    const bool fromEnd = word[0] == '-';
    if (word[0] == '+' || fromEnd) word.remove_prefix(1);
    if (word.empty() || word[0] < '0' || word[0] > '9') return -1;  // one sign at most
    int64_t number = 0;
    const std::from_chars_result parsed = std::from_chars(word.data(), word.data() + word.size(), number);
    if (parsed.ec != std::errc() || parsed.ptr != word.data() + word.size() || number == 0) return -1;
    return fromEnd ? (number <= listSize ? listSize - number : -1) : number - 1;
}

// One face corner, "v", "v/vt", "v//vn" or "v/vt/vn": its numbers in the lists, each
// -1 where it has none.
struct CornerIndices {
    int64_t position, uv, normal;
};

CornerIndices CornerOf(std::string_view word, const int64_t listSizes[3]) {
    int64_t found[3] = {-1, -1, -1};
    for (int part = 0; part < 3; ++part) {
        const size_t slash = word.find('/');
        found[part] = ListIndex(word.substr(0, slash), listSizes[part]);
        if (slash == std::string_view::npos) break;
        word.remove_prefix(slash + 1);
    }
    return {found[0], found[1], found[2]};
}

// MTL files through the platform's file reading (wide names on Windows), beside the
// model or where an absolute name points, read by the library's MTL parser.
bool ReadMaterialFile(const std::string& modelPath, const std::string& name, std::vector<tinyobj::material_t>* materials,
                      std::map<std::string, int>* names) {
    FileBytes bytes;
    if (!ReadModelFile(FileBesideModel(modelPath, name).c_str(), &bytes)) {
        TraceF("OBJ: material file not read: %s", name.c_str());
        return false;
    }
    std::istringstream text(std::string(bytes.begin(), bytes.end()));
    std::string warning;
    tinyobj::LoadMtl(names, materials, &text, &warning, nullptr);
    return true;
}

template <size_t N>
bool Is(std::string_view keyword, const char (&name)[N]) {
    return keyword.size() == N - 1 && std::memcmp(keyword.data(), name, N - 1) == 0;
}

// What a first look through the file finds: every vertex list, the materials and
// which one each "usemtl" line selects, and how many triangles each material's faces
// may make (to reserve the corners once, never growing a list of millions).
struct ObjLists {
    // Millions of vertices in a scan: the lists grow in large blocks.
    LargeVector<float> positions;  // x y z
    LargeVector<float> colors;     // r g b per position; empty when no line has one
    LargeVector<float> uvs;        // u v
    LargeVector<float> normals;    // x y z
    bool colored = false;          // some vertex colour is other than white
    std::vector<tinyobj::material_t> materials;
    std::vector<int> selections;              // the material of each "usemtl" line; -1 unknown
    std::map<int, int64_t> trianglesOf;       // by material, at most
};

void ReadLists(const char* text, size_t size, const std::string& modelPath, ObjLists* lists) {
    std::map<std::string, int> materialNames;
    int material = -1;
    Lines lines(text, size);
    std::string_view line;
    while (lines.Next(&line)) {
        std::string_view rest = line;
        const std::string_view keyword = Word(&rest);
        if (Is(keyword, "v")) {
            // "v x y z", "v x y z w", or "v x y z r g b" with the vertex's colour.
            float values[6] = {0, 0, 0, 1, 1, 1};
            const int read = Numbers(rest, values, 6);
            lists->positions.insert(lists->positions.end(), values, values + 3);
            const bool colored = read >= 6;
            // The colour list starts at the first coloured vertex, white for those before.
            if (colored && lists->colors.empty()) lists->colors.assign(lists->positions.size() - 3, 1.0f);
            if (!colored) values[3] = values[4] = values[5] = 1.0f;
            if (colored || !lists->colors.empty()) lists->colors.insert(lists->colors.end(), values + 3, values + 6);
            lists->colored = lists->colored || values[3] != 1.0f || values[4] != 1.0f || values[5] != 1.0f;
        } else if (Is(keyword, "vt")) {
            float values[2] = {0, 0};
            Numbers(rest, values, 2);
            lists->uvs.insert(lists->uvs.end(), values, values + 2);
        } else if (Is(keyword, "vn")) {
            float values[3] = {0, 0, 0};
            Numbers(rest, values, 3);
            lists->normals.insert(lists->normals.end(), values, values + 3);
        } else if (Is(keyword, "f")) {
            int64_t corners = 0;
            while (!Word(&rest).empty()) ++corners;
            if (corners >= 3) lists->trianglesOf[material] += corners - 2;
        } else if (Is(keyword, "usemtl")) {
            const auto found = materialNames.find(std::string(Word(&rest)));
            material = found == materialNames.end() ? -1 : found->second;
            lists->selections.push_back(material);
        } else if (Is(keyword, "mtllib")) {
            // The first of the named files that reads.
            for (std::string_view name = Word(&rest); !name.empty(); name = Word(&rest))
                if (ReadMaterialFile(modelPath, std::string(name), &lists->materials, &materialNames)) break;
        }
        // Everything else (groups, objects, smoothing, lines, points, vertex weights,
        // comments) draws nothing.
    }
}

// The corners of every face, in the file's order, into one batch per material (in the
// order materials are first used). A face with a corner whose position is not in the
// list is dropped; a corner without a texture coordinate gets (0, 0).
struct FaceCorners {
    std::vector<bool> needsNormals;                 // by batch: a corner the file gives no normal
    std::vector<LargeVector<uint32_t>> positionOf;  // by batch, each corner's position number
};

ReadResult ReadFaces(const char* text, size_t size, const ObjLists& lists, TriangleModel* model, FaceCorners* out) {
    ReadResult result;
    const int64_t listSizes[3] = {static_cast<int64_t>(lists.positions.size() / 3),
                                  static_cast<int64_t>(lists.uvs.size() / 2),
                                  static_cast<int64_t>(lists.normals.size() / 3)};
    int64_t seen[3] = {0, 0, 0};  // the lists' lengths as they stand at the current line
    std::map<int, size_t> batchOfMaterial;
    int64_t triangles = 0;
    size_t nextSelection = 0;
    int material = -1;
    PolygonTriangulator triangulator;
    std::vector<TriangleCorner> corners;
    std::vector<uint32_t> positions;  // of the face's corners
    std::vector<std::array<double, 3>> outline;
    std::vector<uint32_t> cuts;
    Lines lines(text, size);
    std::string_view line;
    while (lines.Next(&line)) {
        std::string_view rest = line;
        const std::string_view keyword = Word(&rest);
        if (Is(keyword, "v")) {
            ++seen[0];
        } else if (Is(keyword, "vt")) {
            ++seen[1];
        } else if (Is(keyword, "vn")) {
            ++seen[2];
        } else if (Is(keyword, "usemtl")) {
            material = nextSelection < lists.selections.size() ? lists.selections[nextSelection++] : -1;
            if (material >= static_cast<int>(model->materials.size())) material = -1;
        } else if (Is(keyword, "f")) {
            corners.clear();
            positions.clear();
            bool whole = true, normals = true;
            for (std::string_view word = Word(&rest); !word.empty() && whole; word = Word(&rest)) {
                const CornerIndices index = CornerOf(word, seen);
                TriangleCorner corner;
                whole = index.position >= 0 && index.position < listSizes[0];
                if (!whole) break;
                const size_t p = static_cast<size_t>(index.position);
                std::memcpy(corner.position, &lists.positions[3 * p], sizeof corner.position);
                if (index.normal >= 0 && index.normal < listSizes[2]) {
                    std::memcpy(corner.normal, &lists.normals[3 * static_cast<size_t>(index.normal)], sizeof corner.normal);
                } else {
                    normals = false;
                    corner.normal[0] = corner.normal[1] = corner.normal[2] = 0.0f;
                }
                if (index.uv >= 0 && index.uv < listSizes[1]) {
                    std::memcpy(corner.uv, &lists.uvs[2 * static_cast<size_t>(index.uv)], sizeof corner.uv);
                } else {
                    corner.uv[0] = corner.uv[1] = 0.0f;
                }
                corner.color[0] = corner.color[1] = corner.color[2] = corner.color[3] = 1.0f;
                if (lists.colored) std::memcpy(corner.color, &lists.colors[3 * p], 3 * sizeof(float));
                corners.push_back(corner);
                positions.push_back(static_cast<uint32_t>(p));
            }
            if (!whole || corners.size() < 3) continue;  // lines and points are not drawn
            triangles += static_cast<int64_t>(corners.size() - 2);
            if (triangles > kMaxModelTriangles) return result.fail(ReadFailure::TooLarge, "more than 10,000,000 triangles");
            auto found = batchOfMaterial.find(material);
            if (found == batchOfMaterial.end()) {
                found = batchOfMaterial.emplace(material, model->batches.size()).first;
                model->batches.emplace_back();
                TriangleBatch& batch = model->batches.back();
                batch.material = material;
                batch.vertexColors = lists.colored;
                out->needsNormals.push_back(false);
                out->positionOf.emplace_back();
                const auto expected = lists.trianglesOf.find(material);
                if (expected != lists.trianglesOf.end()) {
                    const size_t reserved = 3 * static_cast<size_t>(std::min(expected->second, kMaxModelTriangles));
                    batch.corners.reserve(reserved);
                    out->positionOf.back().reserve(reserved);
                }
            }
            TriangleBatch& batch = model->batches[found->second];
            LargeVector<uint32_t>& positionOf = out->positionOf[found->second];
            if (corners.size() == 3) {
                batch.corners.insert(batch.corners.end(), corners.begin(), corners.end());
                positionOf.insert(positionOf.end(), positions.begin(), positions.end());
            } else {
                outline.resize(corners.size());
                for (size_t c = 0; c < corners.size(); ++c)
                    outline[c] = {corners[c].position[0], corners[c].position[1], corners[c].position[2]};
                cuts.clear();
                triangulator.Triangulate(outline, &cuts);
                for (uint32_t corner : cuts) {
                    batch.corners.push_back(corners[corner]);
                    positionOf.push_back(positions[corner]);
                }
            }
            if (!normals) out->needsNormals[found->second] = true;
        }
    }
    if (triangles == 0) return result.fail(ReadFailure::Unsupported, "no triangles");
    return result;
}

void TakeMaterials(const std::vector<tinyobj::material_t>& materials, const std::string& modelPath,
                   TriangleModel* model) {
    for (const tinyobj::material_t& source : materials) {
        TriangleMaterial material;
        material.name = source.name;
        for (int i = 0; i < 3; ++i) material.baseColor[i] = std::isfinite(source.diffuse[i]) ? source.diffuse[i] : 1.0f;
        if (!source.diffuse_texname.empty()) material.textureFile = FileBesideModel(modelPath, source.diffuse_texname);
        model->materials.push_back(std::move(material));
    }
}

}  // namespace

ReadResult ReadObjBytes(FileBytes bytes, const char* path, TriangleModel* model) {
    *model = TriangleModel();
    const std::string modelPath = path ? path : "";
    ReadResult result;
    try {
        const char* text = reinterpret_cast<const char*>(bytes.data());
        FaceCorners faces;
        LargeVector<uint32_t> placeOfPosition;
        {
            ObjLists lists;
            ReadLists(text, bytes.size(), modelPath, &lists);
            // Refused before any corner is reserved: more faces than the limit are too
            // many, even where some of them would be dropped.
            int64_t announced = 0;
            for (const auto& count : lists.trianglesOf) announced += count.second;
            if (announced > kMaxModelTriangles) return result.fail(ReadFailure::TooLarge, "more than 10,000,000 triangles");
            TakeMaterials(lists.materials, modelPath, model);
            result = ReadFaces(text, bytes.size(), lists, model, &faces);
            // Corners share a normal where their positions are equal: the places are
            // numbered once over the position list, not over every corner.
            const bool normalsToMake =
                std::find(faces.needsNormals.begin(), faces.needsNormals.end(), true) != faces.needsNormals.end();
            if (result && normalsToMake) {
                placeOfPosition.resize(lists.positions.size() / 3);
                NumberPlaces(lists.positions.data(), placeOfPosition.size(), 3 * sizeof(float), placeOfPosition.data());
            }
        }
        // The text and the lists are let go before the normals' own arrays are made.
        FileBytes().swap(bytes);
        // Each batch's places are numbered anew from 0, so its sums are as many as the
        // places its own corners meet, not as the whole model's.
        LargeVector<uint32_t> placeInBatch(placeOfPosition.size(), UINT32_MAX);
        std::vector<uint32_t> met;  // the model's places the batch met, to clear after
        for (size_t b = 0; result && b < model->batches.size(); ++b) {
            LargeVector<uint32_t>& place = faces.positionOf[b];
            if (faces.needsNormals[b]) {
                met.clear();
                for (uint32_t& number : place) {
                    const uint32_t global = placeOfPosition[number];
                    if (placeInBatch[global] == UINT32_MAX) {
                        placeInBatch[global] = static_cast<uint32_t>(met.size());
                        met.push_back(global);
                    }
                    number = placeInBatch[global];
                }
                BuildCornerNormals(model->batches[b], place.data(), met.size());
                for (uint32_t global : met) placeInBatch[global] = UINT32_MAX;
            }
            LargeVector<uint32_t>().swap(place);
        }
    } catch (const std::bad_alloc&) {
        result.fail(ReadFailure::TooLarge, "out of memory");
    } catch (const std::exception& e) {
        result.fail(ReadFailure::NotThisFormat, e.what());
    }
    if (!result) *model = TriangleModel();
    return result;
}

ReadResult ReadObjText(const std::string& text, const char* path, TriangleModel* model) {
    return ReadObjBytes(FileBytes(text.begin(), text.end()), path, model);
}

ReadResult ReadObjFile(const char* path, TriangleModel* model) {
    FileBytes bytes;
    ReadResult read = ReadModelFile(path, &bytes);
    if (!read) return read;
    return ReadObjBytes(std::move(bytes), path, model);
}
