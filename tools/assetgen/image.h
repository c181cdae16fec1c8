// An RGB image with floating-point channels (0 to 1) for painting.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour {
    double r, g, b;
};

inline Colour operator*(Colour c, double f) { return {c.r * f, c.g * f, c.b * f}; }
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour Mix(Colour a, Colour b, double t) { return a * (1.0 - t) + b * t; }

class Image {
public:
    Image(int width, int height) : width(width), height(height), pixels(static_cast<size_t>(width) * height) {}
    Colour& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Colour& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Blends `c` over the pixel with opacity `alpha`; ignores pixels outside.
    void blend(int x, int y, Colour c, double alpha);
    // Eight bits per channel, rows top first, rounded and clamped.
    std::vector<std::uint8_t> rgb8() const;

    const int width, height;

private:
    std::vector<Colour> pixels;
};

double Clamp01(double v);
double SmoothStep(double edge0, double edge1, double x);
