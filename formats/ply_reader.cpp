#include "formats/ply_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "formats/model_file.h"
#include "formats/polygon_triangulation.h"
#include "platform/little_endian.h"

// How damaged or unusual files are taken:
// - A face naming a vertex the file does not have (negative, or past the vertex count)
//   is dropped, as are faces of fewer than three corners; the rest of the model reads.
// - Elements other than the first "vertex" and first "face" are passed over by their
//   declared properties; so are properties that are none of those read. Nothing after
//   the faces is read.
// - Colours: float and double values are taken as 0..1, 16-bit integers as 0..65535,
//   other integers as 0..255; every channel is clamped to 0..1.
// - ASCII values are read as whitespace-separated numbers, line breaks aside.

namespace {

// The header may declare no more than these: enough for any real exporter, and a
// bound on the work a header of nonsense can cause.
constexpr size_t kMaxElements = 1024;
constexpr size_t kMaxProperties = 4096;
// More vertices than the triangle cap can use are refused before reading them.
constexpr uint64_t kMaxVertices = 3 * static_cast<uint64_t>(kMaxModelTriangles);

enum class Encoding { Ascii, LittleEndian, BigEndian };
enum class Type : uint8_t { None, Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

Type TypeNamed(std::string_view name) {
    static const struct {
        const char* name;
        Type type;
    } kTypes[] = {
        {"char", Type::Int8},     {"int8", Type::Int8},       {"uchar", Type::UInt8},    {"uint8", Type::UInt8},
        {"short", Type::Int16},   {"int16", Type::Int16},     {"ushort", Type::UInt16},  {"uint16", Type::UInt16},
        {"int", Type::Int32},     {"int32", Type::Int32},     {"uint", Type::UInt32},    {"uint32", Type::UInt32},
        {"float", Type::Float32}, {"float32", Type::Float32}, {"double", Type::Float64}, {"float64", Type::Float64}};
    for (const auto& entry : kTypes)
        if (name == entry.name) return entry.type;
    return Type::None;
}

size_t SizeOf(Type type) {
    switch (type) {
        case Type::Int8:
        case Type::UInt8: return 1;
        case Type::Int16:
        case Type::UInt16: return 2;
        case Type::Int32:
        case Type::UInt32:
        case Type::Float32: return 4;
        case Type::Float64: return 8;
        case Type::None: break;
    }
    return 0;
}

// Where a vertex property's value goes among a corner's numbers.
enum Slot : int8_t { kNoSlot = -1, kX, kY, kZ, kNX, kNY, kNZ, kU, kV, kRed, kGreen, kBlue, kAlpha, kSlots };

Slot SlotNamed(std::string_view name) {
    static const struct {
        const char* name;
        Slot slot;
    } kSlotNames[] = {{"x", kX},
                      {"y", kY},
                      {"z", kZ},
                      {"nx", kNX},
                      {"ny", kNY},
                      {"nz", kNZ},
                      {"s", kU},
                      {"t", kV},
                      {"u", kU},
                      {"v", kV},
                      {"texture_u", kU},
                      {"texture_v", kV},
                      {"texture_s", kU},
                      {"texture_t", kV},
                      {"red", kRed},
                      {"green", kGreen},
                      {"blue", kBlue},
                      {"alpha", kAlpha},
                      {"diffuse_red", kRed},
                      {"diffuse_green", kGreen},
                      {"diffuse_blue", kBlue}};
    for (const auto& entry : kSlotNames)
        if (name == entry.name) return entry.slot;
    return kNoSlot;
}

// What brings a colour of this type to 0..1.
float ColorScale(Type type) {
    switch (type) {
        case Type::Float32:
        case Type::Float64: return 1.0f;
        case Type::Int16:
        case Type::UInt16: return 1.0f / 65535.0f;
        default: return 1.0f / 255.0f;
    }
}

struct Property {
    std::string name;
    Type type = Type::None;       // the value's type, or a list's items'
    Type countType = Type::None;  // a list's length type; None for a single value
    Slot slot = kNoSlot;          // vertex properties: where the value goes
    float scale = 1.0f;           // colours: what brings the type's range to 0..1
    bool list() const { return countType != Type::None; }
};

struct Element {
    std::string name;
    uint64_t count = 0;
    std::vector<Property> properties;
};

struct Header {
    Encoding encoding = Encoding::Ascii;
    std::vector<Element> elements;
    std::string texture;  // the picture a "comment TextureFile" names
    size_t dataStart = 0;
};

// Splits a header line at spaces and tabs into at most max words; returns how many
// words there were.
size_t Words(std::string_view line, std::string_view* words, size_t max) {
    size_t count = 0, at = 0;
    while (true) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos) return count;
        const size_t end = std::min(line.find_first_of(" \t", at), line.size());
        if (count < max) words[count] = line.substr(at, end - at);
        ++count;
        at = end;
    }
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

ReadResult ParseHeader(const uint8_t* data, size_t size, Header* header) {
    ReadResult result;
    const char* text = reinterpret_cast<const char*>(data);
    size_t at = 0, properties = 0;
    bool first = true, formatSeen = false;
    while (true) {
        const void* newline = at < size ? std::memchr(text + at, '\n', size - at) : nullptr;
        if (!newline) {
            if (first) return result.fail(ReadFailure::NotThisFormat, "no \"ply\" line");
            return result.fail(ReadFailure::Truncated, "the header has no end_header");
        }
        const size_t end = static_cast<size_t>(static_cast<const char*>(newline) - text);
        std::string_view line(text + at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;
        if (first) {
            if (line != "ply") return result.fail(ReadFailure::NotThisFormat, "no \"ply\" line");
            first = false;
            continue;
        }
        std::string_view words[6];
        const size_t count = Words(line, words, 6);
        if (count == 0) continue;
        const std::string_view keyword = words[0];
        if (keyword == "comment") {
            if (count >= 3 && SameLetters(words[1], "TextureFile") && header->texture.empty()) {
                std::string_view name = line.substr(static_cast<size_t>(words[2].data() - line.data()));
                name.remove_suffix(name.size() - (name.find_last_not_of(" \t") + 1));
                header->texture = std::string(name);
            }
        } else if (keyword == "obj_info") {
            // notes about the object for other programs: nothing to draw
        } else if (keyword == "format") {
            if (count != 3 || words[2].empty() || words[2][0] != '1')
                return result.fail(ReadFailure::NotThisFormat, "an unknown format line");
            if (words[1] == "ascii")
                header->encoding = Encoding::Ascii;
            else if (words[1] == "binary_little_endian")
                header->encoding = Encoding::LittleEndian;
            else if (words[1] == "binary_big_endian")
                header->encoding = Encoding::BigEndian;
            else
                return result.fail(ReadFailure::NotThisFormat, "an unknown format line");
            formatSeen = true;
        } else if (keyword == "element") {
            if (count != 3) return result.fail(ReadFailure::NotThisFormat, "a bad element line");
            if (header->elements.size() == kMaxElements)
                return result.fail(ReadFailure::TooLarge, "more than 1024 elements");
            Element element;
            element.name = std::string(words[1]);
            const char* last = words[2].data() + words[2].size();
            const auto [ptr, error] = std::from_chars(words[2].data(), last, element.count);
            if (error == std::errc::result_out_of_range)
                return result.fail(ReadFailure::TooLarge, "an element count past 64 bits");
            if (error != std::errc() || ptr != last)
                return result.fail(ReadFailure::NotThisFormat, "a bad element count");
            header->elements.push_back(std::move(element));
        } else if (keyword == "property") {
            if (header->elements.empty())
                return result.fail(ReadFailure::NotThisFormat, "a property before any element");
            if (++properties > kMaxProperties) return result.fail(ReadFailure::TooLarge, "more than 4096 properties");
            Property property;
            if (count == 3) {
                property.type = TypeNamed(words[1]);
                property.name = std::string(words[2]);
            } else if (count == 5 && words[1] == "list") {
                property.countType = TypeNamed(words[2]);
                property.type = TypeNamed(words[3]);
                property.name = std::string(words[4]);
                if (property.countType == Type::Float32 || property.countType == Type::Float64)
                    return result.fail(ReadFailure::NotThisFormat, "a list length that is no integer");
            } else {
                return result.fail(ReadFailure::NotThisFormat, "a bad property line");
            }
            if (property.type == Type::None || (count == 5 && property.countType == Type::None))
                return result.fail(ReadFailure::NotThisFormat, "an unknown property type");
            header->elements.back().properties.push_back(std::move(property));
        } else if (keyword == "end_header" && count == 1) {
            if (!formatSeen) return result.fail(ReadFailure::NotThisFormat, "no format line");
            header->dataStart = at;
            return result;
        } else {
            return result.fail(ReadFailure::NotThisFormat, "an unknown header line");
        }
    }
}

// A double as a float, out-of-range values going to infinity.
float ToFloat(double value) {
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

void PutDefaults(float* slots) {
    std::fill(slots, slots + kRed, 0.0f);
    std::fill(slots + kRed, slots + kSlots, 1.0f);  // white where the file gives no colour
}

inline void Store(float* slots, const Property& property, double value) {
    if (property.slot < kRed) {
        slots[property.slot] = ToFloat(value);
    } else {
        const double channel = value * property.scale;
        slots[property.slot] = channel > 1.0 ? 1.0f : channel >= 0.0 ? static_cast<float>(channel) : 0.0f;
    }
}

TriangleCorner CornerOf(const float* slots) {
    TriangleCorner corner;
    std::copy(slots + kX, slots + kX + 3, corner.position);
    std::copy(slots + kNX, slots + kNX + 3, corner.normal);
    std::copy(slots + kU, slots + kU + 2, corner.uv);
    std::copy(slots + kRed, slots + kRed + 4, corner.color);
    return corner;
}

// Binary values of either byte order, assembled byte by byte.
template <bool Big>
inline uint16_t Load16(const uint8_t* p) {
    return Big ? static_cast<uint16_t>(p[0] << 8 | p[1]) : LittleEndian16(p);
}
template <bool Big>
inline uint32_t Load32(const uint8_t* p) {
    return Big ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                     static_cast<uint32_t>(p[2]) << 8 | p[3]
               : LittleEndian32(p);
}

template <bool Big>
inline double BinaryValue(const uint8_t* p, Type type) {
    switch (type) {
        case Type::Int8: return static_cast<int8_t>(p[0]);
        case Type::UInt8: return p[0];
        case Type::Int16: return static_cast<int16_t>(Load16<Big>(p));
        case Type::UInt16: return Load16<Big>(p);
        case Type::Int32: return static_cast<int32_t>(Load32<Big>(p));
        case Type::UInt32: return Load32<Big>(p);
        case Type::Float32: {
            const uint32_t bits = Load32<Big>(p);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case Type::Float64: {
            const uint64_t high = Load32<Big>(Big ? p : p + 4), low = Load32<Big>(Big ? p + 4 : p);
            const uint64_t bits = high << 32 | low;
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case Type::None: break;
    }
    return 0.0;
}

// Why reading values stopped, once it has.
struct Stop {
    bool Fail(ReadFailure why, const char* what) {
        failure = why;
        problem = what;
        return false;
    }
    ReadFailure failure = ReadFailure::None;
    const char* problem = "";
};
constexpr const char* kEnds = "the file ends inside";

// The values after a binary header, every read checked against the bytes left.
template <bool Big>
class BinarySource : public Stop {
public:
    static constexpr bool kBinary = true;
    static constexpr bool kBig = Big;
    BinarySource(const uint8_t* at, const uint8_t* end) : at(at), end(end) {}
    size_t Left() const { return static_cast<size_t>(end - at); }
    // The fewest bytes a value of the type takes.
    static size_t Least(Type type) { return SizeOf(type); }
    bool Value(Type type, double* value) {
        const size_t size = SizeOf(type);
        if (Left() < size) return Fail(ReadFailure::Truncated, kEnds);
        *value = BinaryValue<Big>(at, type);
        at += size;
        return true;
    }
    bool Skip(Type type, uint64_t count) {
        if (count > Left() / SizeOf(type)) return Fail(ReadFailure::Truncated, kEnds);
        at += count * SizeOf(type);
        return true;
    }

    const uint8_t* at;
    const uint8_t* const end;
};

// The values after an ASCII header: numbers apart by whitespace.
class AsciiSource : public Stop {
public:
    static constexpr bool kBinary = false;
    AsciiSource(const uint8_t* at, const uint8_t* end)
        : at(reinterpret_cast<const char*>(at)), end(reinterpret_cast<const char*>(end)) {}
    size_t Left() const { return static_cast<size_t>(end - at); }
    static size_t Least(Type) { return 1; }
    bool Value(Type, double* value) {
        const char* first;
        const char* last;
        if (!Next(&first, &last)) return Fail(ReadFailure::Truncated, kEnds);
        if (*first == '+' && last - first > 1 && first[1] != '-') ++first;  // from_chars takes no '+'
        const auto [ptr, error] = std::from_chars(first, last, *value);
        if (error != std::errc() || ptr != last) return Fail(ReadFailure::NotThisFormat, "a value that is no number");
        return true;
    }
    bool Skip(Type, uint64_t count) {
        const char* first;
        const char* last;
        for (; count > 0; --count)
            if (!Next(&first, &last)) return Fail(ReadFailure::Truncated, kEnds);
        return true;
    }

private:
    static bool Space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f'; }
    bool Next(const char** first, const char** last) {
        while (at != end && Space(*at)) ++at;
        if (at == end) return false;
        *first = at;
        while (at != end && !Space(*at)) ++at;
        *last = at;
        return true;
    }

    const char* at;
    const char* const end;
};

// A list's length: a whole number whose items the bytes left can hold.
template <class Source>
bool ListLength(Source& source, const Property& property, uint64_t* length) {
    double value;
    if (!source.Value(property.countType, &value)) return false;
    if (!(value >= 0.0 && value <= 4294967295.0) || value != std::floor(value))
        return source.Fail(ReadFailure::NotThisFormat, "a list length that is no count");
    *length = static_cast<uint64_t>(value);
    if (*length > source.Left() / Source::Least(property.type))
        return source.Fail(ReadFailure::Truncated, "a list longer than the rest of the file");
    return true;
}

template <class Source>
bool SkipProperty(Source& source, const Property& property) {
    if (!property.list()) return source.Skip(property.type, 1);
    uint64_t length;
    return ListLength(source, property, &length) && source.Skip(property.type, length);
}

template <class Source>
bool SkipRows(Source& source, const Element& element) {
    for (uint64_t row = 0; row < element.count; ++row)
        for (const Property& property : element.properties)
            if (!SkipProperty(source, property)) return false;
    return true;
}

template <class Source>
bool ReadVertexRows(Source& source, const Element& element, LargeVector<TriangleCorner>* vertices) {
    float slots[kSlots];
    for (uint64_t row = 0; row < element.count; ++row) {
        PutDefaults(slots);
        for (const Property& property : element.properties) {
            if (property.slot == kNoSlot) {
                if (!SkipProperty(source, property)) return false;
                continue;
            }
            double value;
            if (!source.Value(property.type, &value)) return false;
            Store(slots, property, value);
        }
        vertices->push_back(CornerOf(slots));
    }
    return true;
}

// Binary vertex rows without lists all have one size: each value read at its offset
// in the row, with the rows' bytes checked once beforehand.
template <bool Big>
void ReadFixedVertexRows(const uint8_t* at, const Element& element, LargeVector<TriangleCorner>* vertices) {
    struct Field {
        size_t offset;
        const Property* property;
    };
    std::vector<Field> fields;
    size_t rowSize = 0;
    for (const Property& property : element.properties) {
        if (property.slot != kNoSlot) fields.push_back({rowSize, &property});
        rowSize += SizeOf(property.type);
    }
    float slots[kSlots];
    for (uint64_t row = 0; row < element.count; ++row, at += rowSize) {
        PutDefaults(slots);
        for (const Field& field : fields)
            Store(slots, *field.property, BinaryValue<Big>(at + field.offset, field.property->type));
        vertices->push_back(CornerOf(slots));
    }
}

// Faces into triangles of one batch, each corner a copy of its vertex.
class FaceBuilder {
public:
    // cornerVertices, when given, receives each corner's vertex number.
    FaceBuilder(const LargeVector<TriangleCorner>& vertices, TriangleBatch* batch, LargeVector<uint32_t>* cornerVertices)
        : vertices(vertices), batch(*batch), cornerVertices(cornerVertices) {}

    // Adds the triangles of the face of corners vertices[index[0 .. n)], n >= 3, with
    // the texture coordinates uvs (two a corner) where given; false past the cap.
    bool Add(const uint32_t* index, size_t n, const float* uvs) {
        triangles += static_cast<int64_t>(n - 2);
        if (triangles > kMaxModelTriangles) return false;
        if (n == 3) {
            for (size_t c = 0; c < 3; ++c) Put(index, c, uvs);
            return true;
        }
        positions.resize(n);
        for (size_t c = 0; c < n; ++c) {
            const float* p = vertices[index[c]].position;
            positions[c] = {p[0], p[1], p[2]};
        }
        cuts.clear();
        triangulator.Triangulate(positions, &cuts);
        for (uint32_t c : cuts) Put(index, c, uvs);
        return true;
    }

    int64_t triangles = 0;

private:
    void Put(const uint32_t* index, size_t c, const float* uvs) {
        batch.corners.push_back(vertices[index[c]]);
        if (cornerVertices) cornerVertices->push_back(index[c]);
        if (uvs) {
            batch.corners.back().uv[0] = uvs[2 * c];
            batch.corners.back().uv[1] = uvs[2 * c + 1];
        }
    }

    const LargeVector<TriangleCorner>& vertices;
    TriangleBatch& batch;
    LargeVector<uint32_t>* cornerVertices;
    PolygonTriangulator triangulator;
    std::vector<std::array<double, 3>> positions;
    std::vector<uint32_t> cuts;
};

// Reads the face rows: the corners of the property numbered indexList, the texture
// coordinates of texcoordList (-1 when none); None, why reading stopped, or TooLarge.
template <class Source>
ReadFailure ReadFaceRows(Source& source, const Element& element, size_t indexList, int texcoordList, size_t vertexCount,
                         FaceBuilder* builder) {
    std::vector<uint32_t> indices;  // scratch space for every face
    std::vector<float> uvs;
    for (uint64_t row = 0; row < element.count; ++row) {
        size_t corners = 0, coordinates = 0;
        bool whole = true;
        for (size_t i = 0; i < element.properties.size(); ++i) {
            const Property& property = element.properties[i];
            const bool isIndices = i == indexList;
            if (!isIndices && static_cast<int>(i) != texcoordList) {
                if (!SkipProperty(source, property)) return source.failure;
                continue;
            }
            uint64_t length;
            if (!ListLength(source, property, &length)) return source.failure;
            // A face of more corners than the triangle limit allows is refused before
            // its scratch space is made.
            if (length > static_cast<uint64_t>(kMaxModelTriangles) + 2) return ReadFailure::TooLarge;
            if (isIndices && indices.size() < length) indices.resize(static_cast<size_t>(length));
            if (!isIndices && uvs.size() < length) uvs.resize(static_cast<size_t>(length));
            for (uint64_t k = 0; k < length; ++k) {
                double value;
                if (!source.Value(property.type, &value)) return source.failure;
                if (!isIndices) {
                    uvs[k] = ToFloat(value);
                } else if (value >= 0.0 && value < static_cast<double>(vertexCount)) {
                    indices[k] = static_cast<uint32_t>(value);
                } else {
                    whole = false;  // a vertex the file does not have: the face is dropped
                }
            }
            (isIndices ? corners : coordinates) = static_cast<size_t>(length);
        }
        if (!whole || corners < 3) continue;
        if (!builder->Add(indices.data(), corners, coordinates == 2 * corners ? uvs.data() : nullptr))
            return ReadFailure::TooLarge;
    }
    return ReadFailure::None;
}

// What the header says about the vertices and faces, checked for what drawing needs.
struct Plan {
    size_t vertexElement = 0, faceElement = 0;
    size_t indexList = 0;
    int texcoordList = -1;
    bool normals = false, texCoords = false, colors = false;
};

ReadResult MakePlan(Header& header, Plan* plan) {
    ReadResult result;
    const size_t none = header.elements.size();
    size_t vertex = none, face = none;
    for (size_t i = 0; i < header.elements.size(); ++i) {
        if (vertex == none && header.elements[i].name == "vertex") vertex = i;
        if (face == none && header.elements[i].name == "face") face = i;
    }
    if (face == none || header.elements[face].count == 0) return result.fail(ReadFailure::Unsupported, "no triangles");
    if (vertex == none) return result.fail(ReadFailure::NotThisFormat, "faces without vertices");
    if (vertex > face) return result.fail(ReadFailure::Unsupported, "faces before their vertices");
    Element& vertices = header.elements[vertex];
    if (vertices.count > kMaxVertices) return result.fail(ReadFailure::TooLarge, "more than 30,000,000 vertices");

    bool present[kSlots] = {};
    for (Property& property : vertices.properties) {
        property.slot = property.list() ? kNoSlot : SlotNamed(property.name);
        if (property.slot != kNoSlot) present[property.slot] = true;
        if (property.slot >= kRed) property.scale = ColorScale(property.type);
    }
    if (!present[kX] || !present[kY] || !present[kZ])
        return result.fail(ReadFailure::NotThisFormat, "vertices without x, y and z");
    plan->normals = present[kNX] && present[kNY] && present[kNZ];
    plan->texCoords = present[kU] && present[kV];
    plan->colors = present[kRed] && present[kGreen] && present[kBlue];
    // A group the file gives only in part is not read.
    for (Property& property : vertices.properties) {
        const Slot slot = property.slot;
        if ((slot >= kNX && slot <= kNZ && !plan->normals) || ((slot == kU || slot == kV) && !plan->texCoords) ||
            (slot >= kRed && !plan->colors))
            property.slot = kNoSlot;
    }

    const Element& faces = header.elements[face];
    bool indices = false;
    for (size_t i = 0; i < faces.properties.size(); ++i) {
        const Property& property = faces.properties[i];
        if (!property.list()) continue;
        if (!indices && (property.name == "vertex_indices" || property.name == "vertex_index")) {
            plan->indexList = i;
            indices = true;
        } else if (plan->texcoordList < 0 && property.name == "texcoord") {
            plan->texcoordList = static_cast<int>(i);
            plan->texCoords = true;
        }
    }
    if (!indices) return result.fail(ReadFailure::NotThisFormat, "faces without vertex indices");
    plan->vertexElement = vertex;
    plan->faceElement = face;
    return result;
}

void MakeNormalsUnitLong(LargeVector<TriangleCorner>& vertices) {
    for (TriangleCorner& vertex : vertices) {
        float* n = vertex.normal;
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length > 0.0f && std::isfinite(length))
            for (int i = 0; i < 3; ++i) n[i] /= length;
    }
}

template <class Source>
ReadResult ReadBody(Source& source, const Header& header, const Plan& plan, TriangleBatch* batch) {
    ReadResult result;
    LargeVector<TriangleCorner> vertices;
    // Without normals in the file, corners share a normal where their positions are
    // equal: the places are numbered once over the vertices, not over every corner.
    LargeVector<uint32_t> cornerVertices;
    FaceBuilder builder(vertices, batch, plan.normals ? nullptr : &cornerVertices);
    for (size_t e = 0; e <= plan.faceElement; ++e) {
        const Element& element = header.elements[e];
        size_t rowBytes = 0;  // the fewest bytes a row takes
        bool fixed = Source::kBinary;
        for (const Property& property : element.properties) {
            rowBytes += Source::Least(property.list() ? property.countType : property.type);
            fixed = fixed && !property.list();
        }
        if (rowBytes == 0) continue;  // rows of nothing
        if (element.count > source.Left() / rowBytes)
            return result.fail(ReadFailure::Truncated, "the file ends before its " + std::to_string(element.count) +
                                                           " " + element.name + " rows");
        bool read = true;
        if (e == plan.vertexElement) {
            vertices.reserve(static_cast<size_t>(element.count));
            if constexpr (Source::kBinary) {
                if (fixed) {
                    ReadFixedVertexRows<Source::kBig>(source.at, element, &vertices);
                    source.at += element.count * rowBytes;
                }
            }
            if (!fixed) read = ReadVertexRows(source, element, &vertices);
            if (plan.normals) MakeNormalsUnitLong(vertices);
        } else if (e == plan.faceElement) {
            const Property& indexList = element.properties[plan.indexList];
            const size_t triangleRow = rowBytes + 3 * Source::Least(indexList.type);
            const uint64_t triangles = std::min<uint64_t>(
                {element.count, static_cast<uint64_t>(kMaxModelTriangles), source.Left() / triangleRow});
            batch->corners.reserve(static_cast<size_t>(3 * triangles));
            if (!plan.normals) cornerVertices.reserve(static_cast<size_t>(3 * triangles));
            const ReadFailure failure =
                ReadFaceRows(source, element, plan.indexList, plan.texcoordList, vertices.size(), &builder);
            if (failure == ReadFailure::TooLarge) return result.fail(failure, "more than 10,000,000 triangles");
            read = failure == ReadFailure::None;
        } else {
            if constexpr (Source::kBinary) {
                if (fixed) source.at += element.count * rowBytes;
            }
            if (!fixed) read = SkipRows(source, element);
        }
        if (!read)
            return result.fail(source.failure, std::string(source.problem) + " in the " + element.name + " rows");
    }
    if (builder.triangles == 0) return result.fail(ReadFailure::Unsupported, "no triangles");
    if (!plan.normals) {
        LargeVector<uint32_t> placeOfVertex(vertices.size());
        const size_t places =
            NumberPlaces(vertices.data()->position, vertices.size(), sizeof(TriangleCorner), placeOfVertex.data());
        for (uint32_t& vertex : cornerVertices) vertex = placeOfVertex[vertex];
        BuildCornerNormals(*batch, cornerVertices.data(), places);
    }
    return result;
}

ReadResult Read(const uint8_t* data, size_t size, const char* path, TriangleModel* model) {
    Header header;
    ReadResult result = ParseHeader(data, size, &header);
    if (!result) return result;
    Plan plan;
    result = MakePlan(header, &plan);
    if (!result) return result;

    model->batches.emplace_back();
    TriangleBatch& batch = model->batches.back();
    batch.vertexColors = plan.colors;
    batch.texCoords = plan.texCoords;
    const uint8_t* body = data + header.dataStart;
    const uint8_t* end = data + size;
    if (header.encoding == Encoding::Ascii) {
        AsciiSource source(body, end);
        result = ReadBody(source, header, plan, &batch);
    } else if (header.encoding == Encoding::LittleEndian) {
        BinarySource<false> source(body, end);
        result = ReadBody(source, header, plan, &batch);
    } else {
        BinarySource<true> source(body, end);
        result = ReadBody(source, header, plan, &batch);
    }
    if (!result) return result;
    if (!header.texture.empty()) {
        TriangleMaterial material;
        material.textureFile = FileBesideModel(path ? path : "", header.texture);
        model->materials.push_back(std::move(material));
        batch.material = 0;
    }
    return result;
}

}  // namespace

ReadResult ReadPlyBytes(const uint8_t* data, size_t size, const char* path, TriangleModel* model) {
    return ReadIntoEmptyModel(model, [&]() -> ReadResult {
        if (!data || size == 0) return ReadResult().fail(ReadFailure::NotThisFormat, "an empty file");
        return Read(data, size, path, model);
    });
}
