// A small anti-aliased rasteriser for the saver's pictures (the dialog banner
// and the icon): filled polygons and text over an RGBA canvas.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/assetgen/image.h"

struct Point {
    double x, y;  // pixels, y down; pixel (i, j) covers [i, i+1) x [j, j+1)
};

class Canvas {
public:
    Canvas(int width, int height);

    // The colour of a shape at a point (for gradients and textures).
    using Shader = std::function<Colour(double x, double y)>;

    // Fills the polygon (non-zero winding), blending `opacity` times its
    // coverage, measured with 4 x 4 samples per pixel.
    void FillPolygon(const std::vector<Point>& polygon, const Shader& shader, double opacity = 1.0);
    void FillPolygon(const std::vector<Point>& polygon, Colour colour, double opacity = 1.0);
    void FillEllipse(Point centre, double rx, double ry, Colour colour, double opacity = 1.0);
    // Every pixel, whatever is there, made opaque.
    void Fill(const Shader& shader);
    // Multiplies every pixel's alpha by its coverage by the polygon.
    void Mask(const std::vector<Point>& polygon);
    // Blends a coverage map (0 to 255, `width` per row) at the given place.
    void BlendCoverage(const std::vector<std::uint8_t>& coverage, int width, int height, int left, int top,
                       Colour colour, double opacity = 1.0);

    // Draws text with a FreeType font at a pixel size, its baseline starting at
    // `origin`; returns false when the font cannot be read. MeasureText gives the
    // advance width.
    bool DrawText(const std::string& fontPath, double pixelSize, const std::string& text, Point origin, Colour colour,
                  double opacity = 1.0);
    static bool MeasureText(const std::string& fontPath, double pixelSize, const std::string& text, double& width);

    Image image;
    std::vector<double> alpha;  // 0 transparent to 1 opaque, per pixel

private:
    void BlendPixel(int x, int y, Colour colour, double a);
};

// A rounded rectangle as a polygon.
std::vector<Point> RoundedRectangle(double left, double top, double right, double bottom, double radius);
// An ellipse as a polygon, counter-clockwise on screen unless `reversed`.
std::vector<Point> Ellipse(Point centre, double rx, double ry, bool reversed = false);
