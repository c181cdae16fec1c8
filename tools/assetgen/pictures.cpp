#include "tools/assetgen/pictures.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

const Colour kNightBlue{0.09, 0.13, 0.26};
const Colour kDusk{0.42, 0.30, 0.42};
const Colour kGlow{0.96, 0.62, 0.30};
const Colour kPine{0.05, 0.12, 0.10};
const Colour kCream{0.99, 0.93, 0.76};
const Colour kTrim{0.20, 0.36, 0.23};
const Colour kLamp{1.00, 0.83, 0.46};

// An evening sky: night blue at `top`, dusk in between, a warm glow at `horizon`.
Colour Sky(double y, double top, double horizon) {
    const double t = Clamp01((y - top) / (horizon - top));
    return t < 0.6 ? Mix(kNightBlue, kDusk, t / 0.6) : Mix(kDusk, kGlow, (t - 0.6) / 0.4);
}

// A pine: a trunk and three stacked tiers, its tip at (x, top).
void Pine(Canvas& canvas, double x, double top, double height, Colour colour) {
    const double width = height * 0.42;
    canvas.FillPolygon({{x - width * 0.06, top + height * 0.8}, {x + width * 0.06, top + height * 0.8},
                        {x + width * 0.06, top + height}, {x - width * 0.06, top + height}},
                       colour);
    for (int tier = 0; tier < 3; ++tier) {
        const double tierTop = top + height * 0.24 * tier;
        const double tierWidth = width * (0.55 + 0.22 * tier);
        canvas.FillPolygon({{x, tierTop}, {x + tierWidth / 2, tierTop + height * 0.42}, {x - tierWidth / 2, tierTop + height * 0.42}},
                           colour);
    }
}

// Rolling ground from `level` down to the bottom edge.
void Hills(Canvas& canvas, double level, double swell, double phase, Colour colour) {
    std::vector<Point> outline;
    const int w = canvas.image.width, h = canvas.image.height;
    for (int x = 0; x <= w; x += 2)
        outline.push_back({static_cast<double>(x), level - swell * std::sin(x * 0.035 + phase) - swell * 0.5 * std::sin(x * 0.09)});
    outline.push_back({static_cast<double>(w), static_cast<double>(h)});
    outline.push_back({0.0, static_cast<double>(h)});
    canvas.FillPolygon(outline, colour);
}

// Stained wood with its grain along x.
Colour Wood(double x, double y, Colour base, std::uint32_t seed) {
    const double streaks = FractalNoise(x / 40.0, y / 2.0, 4, seed);
    const double lines = std::abs(FractalNoise(x / 30.0, y / 1.2, 3, seed + 1) - 0.5);
    return base * (0.82 + 0.36 * streaks) * (1.0 - 0.3 * (1.0 - SmoothStep(0.0, 0.06, lines)));
}

void Stars(Canvas& canvas, double maxY, int count, std::uint32_t seed) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        const double x = random.range(2, canvas.image.width - 2), y = random.range(2, maxY);
        canvas.FillEllipse({x, y}, 0.7, 0.7, kCream, random.range(0.4, 0.9));
    }
}

}  // namespace

bool PaintBanner(const std::string& titleFont, Canvas& canvas) {
    const double w = canvas.image.width, h = canvas.image.height;
    canvas.Fill([h](double, double y) { return Sky(y, 0, h * 0.85); });
    Stars(canvas, h * 0.4, 22, 5);
    canvas.FillEllipse({w - 22, 13}, 6.5, 6.5, Colour{0.98, 0.95, 0.85});
    Hills(canvas, h * 0.86, 3.0, 1.0, Colour{0.10, 0.17, 0.17});
    for (double x : {8.0, 20.0, 33.0}) Pine(canvas, x, h * 0.22 + std::fmod(x * 7, 9.0), h * 0.72, kPine);
    for (double x : {w - 30.0, w - 17.0, w - 5.0}) Pine(canvas, x, h * 0.26 + std::fmod(x * 5, 8.0), h * 0.7, kPine);

    // The name on a hanging board.
    const double left = 44, right = w - 44, top = 15, bottom = h - 15;
    for (double x : {left + 16, right - 16})
        canvas.FillPolygon({{x - 0.8, 0}, {x + 0.8, 0}, {x + 0.8, top + 2}, {x - 0.8, top + 2}}, Colour{0.55, 0.45, 0.30});
    canvas.FillPolygon(RoundedRectangle(left + 1.5, top + 2, right + 1.5, bottom + 2, 5), Colour{0, 0, 0}, 0.45);
    canvas.FillPolygon(RoundedRectangle(left, top, right, bottom, 5), Colour{0.22, 0.12, 0.06});
    canvas.FillPolygon(RoundedRectangle(left + 2, top + 2, right - 2, bottom - 2, 4),
                       [](double x, double y) { return Wood(x, y, Colour{0.62, 0.38, 0.19}, 7); });
    for (double x : {left + 16, right - 16}) canvas.FillEllipse({x, top + 6}, 1.6, 1.6, Colour{0.15, 0.12, 0.10});

    const std::string title = "Velmora Lodge";
    double size = 30.0, width = 0.0;
    for (;; size -= 0.5) {
        if (!Canvas::MeasureText(titleFont, size, title, width)) return false;
        if (width <= right - left - 20) break;
    }
    const Point origin{(left + right) / 2 - width / 2, (top + bottom) / 2 + size * 0.36};
    canvas.DrawText(titleFont, size, title, {origin.x + 1.2, origin.y + 1.5}, Colour{0.12, 0.06, 0.02}, 0.85);
    return canvas.DrawText(titleFont, size, title, origin, kCream);
}

void PaintIcon(Canvas& canvas) {
    const double size = canvas.image.width;
    const Point centre{size / 2, size / 2};
    const double radius = size / 2 - 2;
    // An evening scene in a round badge.
    canvas.Fill([size](double, double y) { return Sky(y, size * 0.05, size * 0.78); });
    Stars(canvas, size * 0.35, 10, 9);
    canvas.FillEllipse({size * 0.24, size * 0.22}, 6, 6, Colour{0.98, 0.95, 0.85});
    Hills(canvas, size * 0.80, 3.0, 2.0, Colour{0.12, 0.22, 0.14});
    Pine(canvas, size * 0.13, size * 0.42, size * 0.42, kPine);
    Pine(canvas, size * 0.88, size * 0.38, size * 0.46, kPine);

    // The lodge: stone chimney, log walls, gable, roof, windows and door.
    const double wallLeft = 30, wallRight = 98, wallTop = 68, wallBottom = 104, eave = 71;
    canvas.FillPolygon({{81, 30}, {93, 30}, {93, 66}, {81, 66}},
                       [](double x, double y) {
                           const double course = std::floor(y / 4.0), block = std::floor((x + course * 2.5) / 5.0);
                           const double grey = 0.5 + 0.12 * LatticeValue(static_cast<std::int64_t>(block),
                                                                        static_cast<std::int64_t>(course), 3);
                           const bool joint = std::fmod(y, 4.0) < 0.8 || std::fmod(x + course * 2.5, 5.0) < 0.8;
                           return joint ? Colour{0.32, 0.31, 0.30} : Colour{grey, grey, grey * 1.05};
                       });
    canvas.FillPolygon({{79.5, 28}, {94.5, 28}, {94.5, 31}, {79.5, 31}}, Colour{0.30, 0.29, 0.28});
    for (int i = 0; i < 3; ++i) canvas.FillEllipse({89.0 + i * 4.0, 22.0 - i * 6.0}, 3.0 + i, 2.4 + i * 0.8, kCream, 0.28);
    auto logs = [](double, double y) {
        const double phase = std::fmod(y, 6.0) / 6.0;  // across one log
        const double round = std::sin(phase * kPi);
        return Colour{0.80, 0.52, 0.27} * (0.55 + 0.5 * round);
    };
    canvas.FillPolygon({{wallLeft + 2, wallTop}, {64, 44}, {wallRight - 2, wallTop}}, logs);
    canvas.FillPolygon({{wallLeft, wallTop}, {wallRight, wallTop}, {wallRight, wallBottom}, {wallLeft, wallBottom}}, logs);
    // Log ends at the corners.
    for (double x : {wallLeft - 1, wallRight + 1})
        for (double y = wallTop + 3; y < wallBottom; y += 6) {
            canvas.FillEllipse({x, y}, 3.1, 3.1, Colour{0.36, 0.22, 0.11});
            canvas.FillEllipse({x, y}, 2.3, 2.3, Colour{0.90, 0.74, 0.50});
        }
    // Roof: a dark band from eave to eave over the ridge, with a light ridge log.
    canvas.FillPolygon({{18, eave + 2}, {64, 33}, {110, eave + 2}, {103, eave + 4}, {64, 42}, {25, eave + 4}},
                       [](double x, double y) {
                           const double row = std::fmod(y - std::abs(x - 64) * 0.85, 5.0);
                           return Colour{0.38, 0.21, 0.15} * (row < 1.0 ? 0.6 : 1.0);
                       });
    canvas.FillEllipse({64, 34.5}, 3.2, 3.2, Colour{0.85, 0.62, 0.36});
    // Lit windows and the door, framed in green.
    for (double x : {37.0, 77.0}) {
        canvas.FillPolygon({{x - 1.5, 76.5}, {x + 15.5, 76.5}, {x + 15.5, 93.5}, {x - 1.5, 93.5}}, kTrim);
        canvas.FillPolygon({{x, 78}, {x + 14, 78}, {x + 14, 92}, {x, 92}}, kLamp);
        canvas.FillPolygon({{x + 6.2, 78}, {x + 7.8, 78}, {x + 7.8, 92}, {x + 6.2, 92}}, kTrim);
        canvas.FillPolygon({{x, 84.2}, {x + 14, 84.2}, {x + 14, 85.8}, {x, 85.8}}, kTrim);
    }
    canvas.FillPolygon({{55.5, 78.5}, {72.5, 78.5}, {72.5, 104}, {55.5, 104}}, kTrim);
    canvas.FillPolygon({{57, 80}, {71, 80}, {71, 104}, {57, 104}},
                       [](double x, double y) { return Wood(y, x, Colour{0.42, 0.25, 0.12}, 11); });
    canvas.FillEllipse({68, 92}, 1.2, 1.2, Colour{0.10, 0.09, 0.08});
    // The stone footing.
    canvas.FillPolygon({{wallLeft - 4, wallBottom}, {wallRight + 4, wallBottom}, {wallRight + 4, wallBottom + 4},
                        {wallLeft - 4, wallBottom + 4}},
                       Colour{0.50, 0.50, 0.53});

    // Cut to the badge and give it a wooden rim.
    canvas.Mask(Ellipse(centre, radius, radius));
    std::vector<Point> rim = Ellipse(centre, radius, radius);
    const std::vector<Point> inner = Ellipse(centre, radius - 3.5, radius - 3.5, true);
    rim.push_back(rim.front());
    rim.insert(rim.end(), inner.begin(), inner.end());
    rim.push_back(inner.front());
    canvas.FillPolygon(rim, [](double x, double y) { return Wood(x + y, y - x, Colour{0.48, 0.29, 0.14}, 13); });
}
