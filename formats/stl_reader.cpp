#include "formats/stl_reader.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cstring>
#include <limits>
#include <exception>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "platform/little_endian.h"

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kFirstFacet = 84;  // the header, then the uint32 facet count
constexpr size_t kFacetBytes = 50;  // 12 floats and a uint16 attribute
// About what an ASCII facet takes ("facet normal", "outer loop", three vertices and
// the closing words, indented, with six or seven digits a number): what is reserved.
constexpr size_t kAsciiFacetBytes = 250;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

uint8_t Lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + ('a' - 'A')) : c; }

// Whether the n bytes at text are word, in any letter case.
bool IsWord(const uint8_t* text, size_t n, const char* word) {
    if (n != std::strlen(word)) return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(text[i]) != static_cast<uint8_t>(word[i])) return false;
    return true;
}

// Whether text (of n bytes) begins with word, in any letter case, the word ending there.
bool BeginsWithWord(const uint8_t* text, size_t n, const char* word) {
    const size_t length = std::strlen(word);
    return n >= length && IsWord(text, length, word) && (n == length || IsSpace(text[length]));
}

uint32_t FacetCount(const uint8_t* data) { return LittleEndian32(data + kHeaderBytes); }

// Whether the file is exactly as long as a binary file of the count after its header.
bool HasBinarySize(const uint8_t* head, size_t headSize, uint64_t fileSize) {
    return headSize >= kFirstFacet && fileSize >= kFirstFacet &&
           fileSize - kFirstFacet == uint64_t{kFacetBytes} * FacetCount(head);
}

}  // namespace

bool IsAsciiStl(const uint8_t* head, size_t size, uint64_t fileSize) {
    size_t at = 0;
    while (at < size && IsSpace(head[at])) ++at;
    if (!BeginsWithWord(head + at, size - at, "solid") || HasBinarySize(head, size, fileSize)) return false;
    while (at < size && head[at] != '\n' && head[at] != '\r') ++at;
    while (at < size && IsSpace(head[at])) ++at;
    return BeginsWithWord(head + at, size - at, "facet") || BeginsWithWord(head + at, size - at, "endsolid");
}

namespace {

TriangleBatch NewBatch() {
    TriangleBatch batch;
    batch.material = -1;      // drawn white, or in the corners' own colours
    batch.texCoords = false;  // STL has none
    return batch;
}

// One corner; its normal comes from the welded faces later.
TriangleCorner Corner(const float position[3], const float color[3]) {
    TriangleCorner corner = {};
    std::memcpy(corner.position, position, sizeof corner.position);
    std::memcpy(corner.color, color, 3 * sizeof(float));
    corner.color[3] = 1.0f;  // colours are drawn opaque
    return corner;
}

// Five bits of a facet attribute, from shift up, as 0..1.
float Channel(uint16_t attribute, int shift) { return static_cast<float>((attribute >> shift) & 31) / 31.0f; }

// Binary facet colours come in two conventions that cannot be told apart by the facets
// alone, so the header decides:
// - A header holding "COLOR=" and four bytes R G B A gives the whole object's colour.
//   A facet whose attribute has bit 15 clear has its own colour then, red in the low
//   five bits, green, then blue; bit 15 set means the object's colour. Writers that
//   know nothing of colours write 0 for every attribute, which would make the whole
//   object black: where every attribute is 0 they all take the object's colour.
// - Without it, bit 15 set marks a facet colour with blue in the low five bits, green,
//   then red; bit 15 clear (0, as most writers leave it) means no colour.
// Facets with no colour of their own are drawn in the object's colour, or white. The
// header's alpha and any "MATERIAL=" that follows are not drawn: models are opaque.
class FacetColors {
public:
    FacetColors(const uint8_t* data, uint32_t count) {
        const uint8_t* attributes = data + kFirstFacet + 48;
        for (size_t at = 0; at + 10 <= kHeaderBytes; ++at) {
            if (std::memcmp(data + at, "COLOR=", 6) != 0) continue;
            for (int i = 0; i < 3; ++i) objectColor_[i] = data[at + 6 + i] / 255.0f;
            for (uint32_t i = 0; i < count && !facetColors_; ++i)
                facetColors_ = LittleEndian16(attributes + i * kFacetBytes) != 0;
            objectColorHeader_ = true;
            return;
        }
        for (uint32_t i = 0; i < count && !facetColors_; ++i)
            facetColors_ = (LittleEndian16(attributes + i * kFacetBytes) & 0x8000) != 0;
    }

    // Whether the corners carry colours: a header colour, or any facet's own.
    bool any() const { return objectColorHeader_ || facetColors_; }

    // The colour of the facet with this attribute.
    void of(uint16_t attribute, float rgb[3]) const {
        if (facetColors_ && objectColorHeader_ && !(attribute & 0x8000)) {
            rgb[0] = Channel(attribute, 0), rgb[1] = Channel(attribute, 5), rgb[2] = Channel(attribute, 10);
        } else if (facetColors_ && !objectColorHeader_ && (attribute & 0x8000)) {
            rgb[0] = Channel(attribute, 10), rgb[1] = Channel(attribute, 5), rgb[2] = Channel(attribute, 0);
        } else {
            std::memcpy(rgb, objectColor_, sizeof objectColor_);
        }
    }

private:
    float objectColor_[3] = {1.0f, 1.0f, 1.0f};
    bool objectColorHeader_ = false;
    bool facetColors_ = false;
};

ReadResult ReadBinary(const uint8_t* data, size_t size, TriangleModel* model) {
    ReadResult result;
    if (size < kFirstFacet) return result.fail(ReadFailure::Truncated, "shorter than the 84-byte header");
    const uint32_t count = FacetCount(data);
    if (count > kMaxModelTriangles) return result.fail(ReadFailure::TooLarge, std::to_string(count) + " triangles");
    if ((size - kFirstFacet) / kFacetBytes < count) return result.fail(ReadFailure::Truncated, "facets cut off");
    if (count == 0) return result.fail(ReadFailure::Unsupported, "no triangles");

    const FacetColors colors(data, count);
    TriangleBatch batch = NewBatch();
    batch.vertexColors = colors.any();
    batch.corners.reserve(size_t{count} * 3);
    const uint8_t* facet = data + kFirstFacet;
    for (uint32_t i = 0; i < count; ++i, facet += kFacetBytes) {
        float rgb[3];
        colors.of(LittleEndian16(facet + 48), rgb);
        // The facet normal (the first three floats) is passed over: the corners' normals
        // are built from the welded faces.
        for (int k = 0; k < 3; ++k) {
            const uint8_t* vertex = facet + 12 + 12 * k;
            const float position[3] = {LittleEndianFloat(vertex), LittleEndianFloat(vertex + 4),
                                       LittleEndianFloat(vertex + 8)};
            batch.corners.push_back(Corner(position, rgb));
        }
    }
    BuildCornerNormals(batch);
    model->batches.push_back(std::move(batch));
    return result;
}

// ASCII STL: "solid name", then facets of
//   facet normal nx ny nz / outer loop / vertex x y z (three times) / endloop / endfacet
// then "endsolid name"; more solids may follow. Words may be split by any white space
// and are taken in any letter case; the facet normal (which may be left out) is read
// but not used. A facet whose loop has other than three vertices makes the whole file
// unreadable (not this format), as does anything else out of place: a model missing
// some facets would be drawn with holes no one asked for. A file that ends inside a
// solid is truncated.
class AsciiReader {
public:
    AsciiReader(const uint8_t* data, size_t size) : begin_(data), at_(data), end_(data + size), token_(data) {}

    ReadResult read(TriangleBatch* batch) {
        ReadResult result;
        expectWord("solid");
        while (ok()) {
            skipLine();  // the solid's name
            while (ok()) {
                if (!nextToken()) break;
                if (isToken("endsolid")) break;
                if (!isToken("facet")) fail(ReadFailure::NotThisFormat, "expected \"facet\" or \"endsolid\"");
                else readFacet(batch);
            }
            if (!ok()) break;
            skipLine();  // the name again
            if (!nextToken(false)) break;  // the end of the file
            if (!isToken("solid")) fail(ReadFailure::NotThisFormat, "expected \"solid\" after \"endsolid\"");
        }
        if (!ok()) return result.fail(failure_, "line " + std::to_string(lineOf(failedAt_)) + ": " + detail_);
        if (triangles_ == 0) return result.fail(ReadFailure::Unsupported, "no triangles");
        return result;
    }

private:
    bool ok() const { return failure_ == ReadFailure::None; }

    void fail(ReadFailure why, std::string what) {
        if (!ok()) return;
        failure_ = why;
        detail_ = std::move(what);
        failedAt_ = token_;
    }

    // The next white-space separated word into token_. At the end of the bytes: false,
    // and where more was needed (required), the file is truncated.
    bool nextToken(bool required = true) {
        while (at_ < end_ && IsSpace(*at_)) ++at_;
        token_ = at_;
        while (at_ < end_ && !IsSpace(*at_)) ++at_;
        if (at_ != token_) return true;
        if (required) fail(ReadFailure::Truncated, "the file ends inside a solid");
        return false;
    }

    bool isToken(const char* word) const { return IsWord(token_, static_cast<size_t>(at_ - token_), word); }

    void expectWord(const char* word) {
        if (!ok() || !nextToken()) return;
        if (!isToken(word)) fail(ReadFailure::NotThisFormat, std::string("expected \"") + word + "\"");
    }

    void skipLine() {
        while (at_ < end_ && *at_ != '\n' && *at_ != '\r') ++at_;
    }

    // The next word as a number. A leading '+' is taken; values beyond a float's range
    // become infinite or zero (from_chars leaves them unset), never undefined.
    float number() {
        if (!ok() || !nextToken()) return 0.0f;
        const char* first = reinterpret_cast<const char*>(token_);
        const char* last = reinterpret_cast<const char*>(at_);
        if (*first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') ++first;
        float value = 0.0f;
        const std::from_chars_result parsed = std::from_chars(first, last, value);
        if (parsed.ptr != last || (parsed.ec != std::errc() && parsed.ec != std::errc::result_out_of_range)) {
            fail(ReadFailure::NotThisFormat, "expected a number");
            return 0.0f;
        }
        if (parsed.ec == std::errc::result_out_of_range) value = OutOfRange(first, last);
        return value;
    }

    // A number too large or too small for a float: first as a double, else by the sign
    // of its exponent (no double holds it, so it is far past either end).
    static float OutOfRange(const char* first, const char* last) {
        const bool negative = *first == '-';
        double wide = 0.0;
        const std::from_chars_result parsed = std::from_chars(first, last, wide);
        if (parsed.ec == std::errc()) {
            if (wide > FLT_MAX) return kInfinity;
            if (wide < -FLT_MAX) return -kInfinity;
            return static_cast<float>(wide);
        }
        const char* exponent = std::find_if(first, last, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = exponent != last && exponent + 1 != last && exponent[1] == '-';
        if (tiny) return negative ? -0.0f : 0.0f;
        return negative ? -kInfinity : kInfinity;
    }

    // After "facet": the rest of one facet, up to its "endfacet".
    void readFacet(TriangleBatch* batch) {
        if (!nextToken()) return;
        if (isToken("normal")) {
            for (int i = 0; i < 3; ++i) number();
            if (!ok() || !nextToken()) return;
        }
        if (!isToken("outer")) return fail(ReadFailure::NotThisFormat, "expected \"outer loop\"");
        expectWord("loop");
        float positions[3][3];
        int vertices = 0;
        while (ok() && nextToken()) {
            if (isToken("endloop")) break;
            if (!isToken("vertex")) return fail(ReadFailure::NotThisFormat, "expected \"vertex\" or \"endloop\"");
            if (vertices == 3) return fail(ReadFailure::NotThisFormat, "a facet of more than 3 vertices");
            for (int i = 0; i < 3; ++i) positions[vertices][i] = number();
            ++vertices;
        }
        if (ok() && vertices != 3) return fail(ReadFailure::NotThisFormat, "a facet of fewer than 3 vertices");
        expectWord("endfacet");
        if (!ok()) return;
        if (triangles_ >= kMaxModelTriangles) return fail(ReadFailure::TooLarge, "too many triangles");
        ++triangles_;
        const float white[3] = {1.0f, 1.0f, 1.0f};
        for (const float* position : positions) batch->corners.push_back(Corner(position, white));
    }

    size_t lineOf(const uint8_t* where) const { return 1 + static_cast<size_t>(std::count(begin_, where, '\n')); }

    const uint8_t* begin_;
    const uint8_t* at_;
    const uint8_t* end_;
    const uint8_t* token_;  // the current word runs from here to at_
    const uint8_t* failedAt_ = nullptr;
    ReadFailure failure_ = ReadFailure::None;
    std::string detail_;
    int64_t triangles_ = 0;
};

ReadResult ReadAscii(const uint8_t* data, size_t size, TriangleModel* model) {
    TriangleBatch batch = NewBatch();
    const size_t estimate = std::min<size_t>(size / kAsciiFacetBytes + 1, kMaxModelTriangles);
    batch.corners.reserve(estimate * 3);
    ReadResult result = AsciiReader(data, size).read(&batch);
    if (!result) return result;
    BuildCornerNormals(batch);
    model->batches.push_back(std::move(batch));
    return result;
}

}  // namespace

ReadResult ReadStlBytes(const uint8_t* data, size_t size, const char*, TriangleModel* model) {
    if (data == nullptr) size = 0;
    return ReadIntoEmptyModel(model, [&]() -> ReadResult {
        return data && IsAsciiStl(data, size, size) ? ReadAscii(data, size, model) : ReadBinary(data, size, model);
    });
}
