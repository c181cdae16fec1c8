#include "tools/assetgen/image.h"

#include <cmath>

double Clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

double SmoothStep(double edge0, double edge1, double x) {
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

void Image::blend(int x, int y, Colour c, double alpha) {
    if (x < 0 || y < 0 || x >= width || y >= height || alpha <= 0.0) return;
    Colour& p = at(x, y);
    p = Mix(p, c, Clamp01(alpha));
}

std::vector<std::uint8_t> Image::rgb8() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 3);
    for (const Colour& c : pixels)
        for (double v : {c.r, c.g, c.b}) bytes.push_back(static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0)));
    return bytes;
}
