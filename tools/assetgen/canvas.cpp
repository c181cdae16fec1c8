#include "tools/assetgen/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 4;  // per pixel and axis

// Non-zero winding test of a point against a polygon.
bool Inside(const std::vector<Point>& polygon, double x, double y) {
    int winding = 0;
    const size_t n = polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const Point& a = polygon[i];
        const Point& b = polygon[(i + 1) % n];
        const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
        if (a.y <= y) {
            if (b.y > y && side > 0) ++winding;
        } else if (b.y <= y && side < 0) {
            --winding;
        }
    }
    return winding != 0;
}

// Holds a FreeType face at one pixel size for the length of a text operation.
class Face {
public:
    Face(const std::string& path, double pixelSize) {
        if (FT_Init_FreeType(&library) != 0) return;
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) return;
        ok = FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(pixelSize * 64.0)), 72, 72) == 0;
    }
    ~Face() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool ok = false;
};

}  // namespace

Canvas::Canvas(int width, int height) : image(width, height), alpha(static_cast<size_t>(width) * height, 0.0) {}

void Canvas::BlendPixel(int x, int y, Colour colour, double a) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || a <= 0.0) return;
    a = std::min(a, 1.0);
    double& dstA = alpha[static_cast<size_t>(y) * image.width + x];
    Colour& dst = image.at(x, y);
    const double outA = a + dstA * (1.0 - a);
    dst = (colour * a + dst * (dstA * (1.0 - a))) * (1.0 / outA);
    dstA = outA;
}

void Canvas::FillPolygon(const std::vector<Point>& polygon, const Shader& shader, double opacity) {
    double minX = image.width, minY = image.height, maxX = 0, maxY = 0;
    for (const Point& p : polygon) {
        minX = std::min(minX, p.x);
        minY = std::min(minY, p.y);
        maxX = std::max(maxX, p.x);
        maxY = std::max(maxY, p.y);
    }
    const int x0 = std::max(0, static_cast<int>(std::floor(minX))), x1 = std::min(image.width - 1, static_cast<int>(maxX));
    const int y0 = std::max(0, static_cast<int>(std::floor(minY))), y1 = std::min(image.height - 1, static_cast<int>(maxY));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (Inside(polygon, x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples)) ++hits;
            if (hits > 0)
                BlendPixel(x, y, shader(x + 0.5, y + 0.5), opacity * hits / static_cast<double>(kSamples * kSamples));
        }
}

void Canvas::FillPolygon(const std::vector<Point>& polygon, Colour colour, double opacity) {
    FillPolygon(polygon, [colour](double, double) { return colour; }, opacity);
}

void Canvas::FillEllipse(Point centre, double rx, double ry, Colour colour, double opacity) {
    FillPolygon(Ellipse(centre, rx, ry), colour, opacity);
}

void Canvas::Mask(const std::vector<Point>& polygon) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (Inside(polygon, x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples)) ++hits;
            double& a = alpha[static_cast<size_t>(y) * image.width + x];
            a *= hits / static_cast<double>(kSamples * kSamples);
            if (a == 0.0) image.at(x, y) = {0, 0, 0};
        }
}

void Canvas::Fill(const Shader& shader) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            image.at(x, y) = shader(x + 0.5, y + 0.5);
            alpha[static_cast<size_t>(y) * image.width + x] = 1.0;
        }
}

void Canvas::BlendCoverage(const std::vector<std::uint8_t>& coverage, int width, int height, int left, int top,
                           Colour colour, double opacity) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            BlendPixel(left + x, top + y, colour, opacity * coverage[static_cast<size_t>(y) * width + x] / 255.0);
}

bool Canvas::DrawText(const std::string& fontPath, double pixelSize, const std::string& text, Point origin,
                      Colour colour, double opacity) {
    Face font(fontPath, pixelSize);
    if (!font.ok) return false;
    double penX = origin.x;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        const FT_UInt index = FT_Get_Char_Index(font.face, c);
        if (previous && index && FT_HAS_KERNING(font.face)) {
            FT_Vector kern;
            FT_Get_Kerning(font.face, previous, index, FT_KERNING_DEFAULT, &kern);
            penX += kern.x / 64.0;
        }
        if (FT_Load_Glyph(font.face, index, FT_LOAD_RENDER) != 0) return false;
        const FT_GlyphSlot g = font.face->glyph;
        std::vector<std::uint8_t> coverage(static_cast<size_t>(g->bitmap.width) * g->bitmap.rows);
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            std::copy_n(g->bitmap.buffer + static_cast<std::ptrdiff_t>(row) * g->bitmap.pitch, g->bitmap.width,
                        &coverage[static_cast<size_t>(row) * g->bitmap.width]);
        BlendCoverage(coverage, static_cast<int>(g->bitmap.width), static_cast<int>(g->bitmap.rows),
                      static_cast<int>(std::lround(penX)) + g->bitmap_left,
                      static_cast<int>(std::lround(origin.y)) - g->bitmap_top, colour, opacity);
        penX += g->advance.x / 64.0;
        previous = index;
    }
    return true;
}

bool Canvas::MeasureText(const std::string& fontPath, double pixelSize, const std::string& text, double& width) {
    Face font(fontPath, pixelSize);
    if (!font.ok) return false;
    width = 0.0;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        const FT_UInt index = FT_Get_Char_Index(font.face, c);
        if (previous && index && FT_HAS_KERNING(font.face)) {
            FT_Vector kern;
            FT_Get_Kerning(font.face, previous, index, FT_KERNING_DEFAULT, &kern);
            width += kern.x / 64.0;
        }
        if (FT_Load_Glyph(font.face, index, FT_LOAD_DEFAULT) != 0) return false;
        width += font.face->glyph->advance.x / 64.0;
        previous = index;
    }
    return true;
}

std::vector<Point> RoundedRectangle(double left, double top, double right, double bottom, double radius) {
    std::vector<Point> polygon;
    const Point centres[4] = {{right - radius, top + radius},
                              {right - radius, bottom - radius},
                              {left + radius, bottom - radius},
                              {left + radius, top + radius}};
    for (int corner = 0; corner < 4; ++corner)
        for (int i = 0; i <= 8; ++i) {
            const double a = kPi / 2 * (corner - 1) + kPi / 2 * i / 8;
            polygon.push_back({centres[corner].x + radius * std::cos(a), centres[corner].y + radius * std::sin(a)});
        }
    return polygon;
}

std::vector<Point> Ellipse(Point centre, double rx, double ry, bool reversed) {
    std::vector<Point> polygon;
    const int steps = 128;
    for (int i = 0; i < steps; ++i) {
        const double a = 2.0 * kPi * (reversed ? steps - i : i) / steps;
        polygon.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a)});
    }
    return polygon;
}
