#include "tools/assetgen/texture_painter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/assetgen/atlas_layout.h"
#include "tools/assetgen/random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Painted trim: a deep forest green.
const Colour kTrimGreen{0.20, 0.33, 0.22};

// Calls paint(x, y, local x, local y) for every pixel of the rectangle.
template <typename Paint>
void ForEachPixel(const PixelRect& rect, Paint paint) {
    for (int y = rect.y0; y < rect.y1; ++y)
        for (int x = rect.x0; x < rect.x1; ++x) paint(x, y, x - rect.x0 + 0.5, y - rect.y0 + 0.5);
}

// Noise that repeats across the region, which `cellsX` x `cellsY` lattice cells span.
double TiledNoise(double lx, double ly, const PixelRect& r, int cellsX, int cellsY, int octaves, std::uint32_t seed) {
    return FractalNoise(lx / r.width() * cellsX, ly / r.height() * cellsY, octaves, seed, cellsX, cellsY);
}

int Cells(double length, double size) { return std::max(1, static_cast<int>(std::lround(length / size))); }

// Wood grain running along x: long streaks and fine dark lines, as a brightness
// factor. With a region given, the grain repeats across it.
double WoodGrain(double x, double y, double stretch, std::uint32_t seed, const PixelRect* tiled = nullptr) {
    double streaks, lines;
    if (tiled) {
        const PixelRect& r = *tiled;
        streaks = TiledNoise(x, y, r, Cells(r.width(), stretch * 4.0), Cells(r.height(), 2.5), 4, seed);
        lines = TiledNoise(x, y, r, Cells(r.width(), stretch * 3.0), Cells(r.height(), 1.3), 3, seed + 101);
    } else {
        streaks = FractalNoise(x / (stretch * 4.0), y / 2.5, 4, seed);
        lines = FractalNoise(x / (stretch * 3.0), y / 1.3, 3, seed + 101);
    }
    const double fine = 1.0 - 0.35 * (1.0 - SmoothStep(0.0, 0.06, std::abs(lines - 0.5)));
    return (0.82 + 0.36 * streaks) * fine;
}

// Widths that add up to exactly `total`, each between low and high (the last
// may run a little wider), as the positions where each piece starts.
std::vector<int> Partition(int total, int low, int high, Random& random) {
    std::vector<int> starts;
    int x = 0;
    while (total - x > high) {
        starts.push_back(x);
        x += random.integer(low, high);
    }
    if (total - x < low && !starts.empty()) return starts;  // the last piece absorbs the rest
    starts.push_back(x);
    return starts;
}

void PaintBark(Image& image) {
    const PixelRect r = kBarkRect;
    const Colour honey{0.76, 0.50, 0.27};
    const Colour weathered{0.58, 0.45, 0.34};
    Random random(11);
    struct Knot {
        double x, y, rx, ry;
    };
    std::vector<Knot> knots;
    for (int i = 0; i < 14; ++i)
        knots.push_back({random.range(10, r.width() - 10), random.range(8, r.height() - 8), random.range(3.0, 6.5),
                         random.range(2.0, 3.5)});
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        // Angle round the log: 0 on top (bottom image row), pi underneath.
        const double t = 1.0 - ly / r.height();
        const double phi = 2.0 * kPi * t;
        double light = 0.50 + 0.50 * (0.5 + 0.5 * std::cos(phi));
        // The crease under each log, where it rests on the one below.
        const double under = std::abs(std::remainder(phi - kPi, 2.0 * kPi));
        light *= 1.0 - 0.45 * (1.0 - SmoothStep(0.35, 0.75, under));
        const double grey = SmoothStep(0.55, 0.8, FractalNoise(lx / 60.0, ly / 14.0, 3, 12));
        Colour c = Mix(honey, weathered, 0.45 * grey) * WoodGrain(lx, ly, 40.0, 13);
        for (const Knot& k : knots) {
            // Knots wrap round the log's seam so the pattern has no step there.
            double dy = std::remainder(ly - k.y, static_cast<double>(r.height()));
            const double d = std::hypot((lx - k.x) / k.rx, dy / k.ry);
            if (d < 1.8) {
                const double ring = 0.5 + 0.5 * std::cos(d * 7.0);
                c = c * (1.0 - 0.45 * (1.0 - SmoothStep(0.6, 1.8, d)) * (0.6 + 0.4 * ring));
            }
        }
        image.at(x, y) = c * light;
    });
}

void PaintLogEnd(Image& image) {
    const PixelRect r = kLogEndRect;
    const double centre = r.width() / 2.0;
    const double radius = r.width() * kLogEndDiscRadius;
    const Colour heart{0.80, 0.62, 0.40};
    const Colour sap{0.88, 0.73, 0.50};
    const Colour bark{0.30, 0.19, 0.11};
    Random random(21);
    const double crackAngle1 = random.range(0, 2 * kPi), crackAngle2 = random.range(0, 2 * kPi);
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        const double dx = lx - centre, dy = ly - centre;
        const double rho = std::hypot(dx, dy) / radius;
        const double angle = std::atan2(dy, dx);
        if (rho > 1.02) {
            image.at(x, y) = bark * 0.8;
            return;
        }
        const double wobble = 0.05 * (FractalNoise(std::cos(angle) * 2 + 5, std::sin(angle) * 2 + 5, 3, 22) - 0.5);
        const double rings = 0.5 + 0.5 * std::cos(2.0 * kPi * 10.0 * (rho + wobble));
        Colour c = Mix(heart, sap, SmoothStep(0.4, 0.9, rho)) * (1.0 - 0.22 * std::pow(rings, 3.0));
        c = c * (0.9 + 0.2 * FractalNoise(lx / 6.0, ly / 6.0, 3, 23));
        // Radial checks that open towards the bark, and the dark pith.
        for (double crack : {crackAngle1, crackAngle2}) {
            const double off = std::abs(std::remainder(angle - crack, 2.0 * kPi)) * rho * radius;
            const double width = 0.4 + 1.6 * rho;
            if (rho > 0.15 && off < width) c = c * (0.45 + 0.55 * off / width);
        }
        c = c * (0.55 + 0.45 * SmoothStep(0.0, 0.06, rho));
        // Bark ring and the shadowed rim.
        c = Mix(c, bark, SmoothStep(0.88, 0.93, rho));
        c = c * (1.0 - 0.25 * SmoothStep(0.7, 1.0, rho));
        image.at(x, y) = c;
    });
}

void PaintShingles(Image& image) {
    // Rows and shingles repeat across the region both ways, so tiles of it join
    // without a seam.
    const PixelRect r = kShingleRect;
    const int rowHeight = 24;
    const Colour slate{0.36, 0.26, 0.22};
    const Colour moss{0.30, 0.33, 0.20};
    Random random(31);
    for (int row = 0; row * rowHeight < r.height(); ++row) {
        const int shift = random.integer(0, r.width() - 1);
        const std::vector<int> starts = Partition(r.width(), 18, 34, random);
        std::vector<double> tones;
        std::vector<Colour> tints;
        for (size_t i = 0; i < starts.size(); ++i) {
            tones.push_back(random.range(0.78, 1.18));
            tints.push_back({random.range(0.96, 1.04), 1.0, random.range(0.94, 1.06)});
        }
        for (int ly = row * rowHeight; ly < std::min((row + 1) * rowHeight, r.height()); ++ly)
            for (int lx = 0; lx < r.width(); ++lx) {
                const int p = (lx + shift) % r.width();  // position along the row's partition
                size_t i = starts.size() - 1;
                while (starts[i] > p) --i;
                const int next = i + 1 < starts.size() ? starts[i + 1] : r.width();
                const double down = (ly - row * rowHeight + 0.5) / rowHeight;  // 0 top of the row, 1 at the butt
                Colour c{slate.r * tints[i].r, slate.g * tints[i].g, slate.b * tints[i].b};
                c = c * tones[i] * (0.85 + 0.3 * TiledNoise(lx, ly, r, Cells(r.width(), 2.0), Cells(r.height(), 16.0), 3, 32));
                // Shadow of the row above at the top, the butt edge at the bottom.
                c = c * (0.55 + 0.45 * std::sqrt(down));
                if (down > 0.9) c = c * 0.55;
                const double mossAmount = SmoothStep(0.62, 0.8, TiledNoise(lx, ly, r, 6, 5, 3, 33));
                c = Mix(c, moss * tones[i], 0.5 * mossAmount);
                // The narrow gap between neighbouring shingles.
                const double gap = std::min(p - starts[i] + 0.5, next - p - 0.5);
                if (gap < 1.5) c = c * 0.35;
                image.at(r.x0 + lx, r.y0 + ly) = c;
            }
    }
}

void PaintStone(Image& image) {
    // Stones round jittered points of a staggered grid; distances wrap round the
    // region, so the masonry repeats without a seam.
    const PixelRect r = kStoneRect;
    const int columns = 7, rows = 6;
    const double cellW = static_cast<double>(r.width()) / columns, cellH = static_cast<double>(r.height()) / rows;
    struct Stone {
        double x, y;
        Colour colour;
    };
    Random random(41);
    std::vector<Stone> stones;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const double grey = random.range(0.42, 0.70);
            const double warm = random.range(-0.05, 0.06);
            stones.push_back({(column + random.range(0.2, 0.8) + (row % 2 ? 0.5 : 0.0)) * cellW,
                              (row + random.range(0.3, 0.7)) * cellH, Colour{grey + warm, grey + warm * 0.3, grey - warm}});
        }
    const Colour mortar{0.60, 0.58, 0.53};
    const double squeeze = 0.7;  // distances along x count less: long, flat stones
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        double best = 1e9, second = 1e9, bestDx = 0, bestDy = 0;
        const Stone* nearest = nullptr;
        for (const Stone& s : stones) {
            const double dx = std::remainder(lx - s.x, static_cast<double>(r.width())) * squeeze;
            const double dy = std::remainder(ly - s.y, static_cast<double>(r.height()));
            const double d = std::hypot(dx, dy);
            if (d < best) {
                second = best;
                best = d;
                nearest = &s;
                bestDx = dx;
                bestDy = dy;
            } else if (d < second) {
                second = d;
            }
        }
        const double edge = (second - best) * 0.5;  // roughly the distance to the joint
        const double jitter = 1.2 * (TiledNoise(lx, ly, r, Cells(r.width(), 5.0), Cells(r.height(), 5.0), 2, 42) - 0.5);
        if (edge + jitter < 1.6) {
            image.at(x, y) = mortar * (0.75 + 0.3 * TiledNoise(lx, ly, r, Cells(r.width(), 2.0), Cells(r.height(), 2.0), 2, 43));
            return;
        }
        // Rounded faces: lit from the upper left, darker towards the lower right.
        const double length = std::max(std::hypot(bestDx, bestDy), 1e-6);
        const double facing = (-0.6 * bestDx - 0.8 * bestDy) / length;
        const double rim = 1.0 - SmoothStep(1.6, 9.0, edge);
        double shade = 1.0 + 0.35 * facing * rim - 0.12 * rim;
        shade *= 0.82 + 0.3 * TiledNoise(lx, ly, r, Cells(r.width(), 3.0), Cells(r.height(), 3.0), 3, 44);
        shade *= 0.9 + 0.2 * TiledNoise(lx, ly, r, Cells(r.width(), 14.0), Cells(r.height(), 14.0), 2, 45);
        image.at(x, y) = nearest->colour * shade;
    });
}

// Boards along x, each with one butt joint; repeats across the region both ways.
void PaintBoards(Image& image, const PixelRect& r, int boardHeight, Colour base, std::uint32_t seed, bool nails) {
    Random random(seed);
    for (int board = 0; board * boardHeight < r.height(); ++board) {
        const double tone = random.range(0.85, 1.12);
        const int joint = random.integer(r.width() / 5, r.width() * 4 / 5);
        const double shade = random.range(0.9, 1.0);
        for (int ly = board * boardHeight; ly < std::min((board + 1) * boardHeight, r.height()); ++ly)
            for (int lx = 0; lx < r.width(); ++lx) {
                const double inBoard = ly - board * boardHeight + 0.5;
                // Two lengths of board meet at the joint and again where the region repeats.
                const bool second = lx >= joint;
                Colour c = base * tone * (second ? shade : 1.0) *
                           WoodGrain(lx, ly + (second ? 37.0 : 0.0), 30.0, seed + 1, &r);
                if (inBoard < 1.5) c = c * 0.35;                    // gap between boards
                if (inBoard < 4.0) c = c * (0.8 + 0.05 * inBoard);  // its shadow
                const double toJoint = std::min(std::abs(lx + 0.5 - joint), std::min(lx + 0.5, r.width() - lx - 0.5));
                if (toJoint < 1.0) c = c * 0.4;
                if (nails) {
                    for (double nx : {joint - 4.0, joint + 4.0, 4.0, r.width() - 4.0})
                        for (double ny : {boardHeight * 0.3, boardHeight * 0.72})
                            if (std::hypot(lx + 0.5 - nx, inBoard - ny) < 1.3) c = Colour{0.16, 0.15, 0.14};
                }
                image.at(r.x0 + lx, r.y0 + ly) = c;
            }
    }
}

// The glow of a lit room: warm, brighter at the top.
Colour RoomLight(double across, double down) {
    const Colour top{1.00, 0.84, 0.50}, bottom{0.93, 0.58, 0.24};
    const double centre = 1.0 - 0.25 * std::pow(std::abs(across - 0.5) * 2.0, 2.0);
    return Mix(top, bottom, down) * centre;
}

// Painted frame wood: the trim green with a faint grain.
Colour FrameWood(double x, double y) { return kTrimGreen * WoodGrain(x, y, 20.0, 51); }

void PaintWindow(Image& image) {
    const PixelRect r = kWindowRect;
    const double frame = 8.0, mullion = 5.0;
    const double innerW = r.width() - 2 * frame, innerH = r.height() - 2 * frame;
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        const double gx = lx - frame, gy = ly - frame;
        const bool inGlass = gx >= 0 && gy >= 0 && gx < innerW && gy < innerH;
        const bool onMullion = std::abs(gx - innerW / 2) < mullion / 2 || std::abs(gy - innerH / 2) < mullion / 2;
        if (!inGlass || onMullion) {
            Colour c = FrameWood(lx, ly);
            // Bevelled edges: lighter above, darker below the opening.
            if (!inGlass && ly < frame && ly > frame - 2.5) c = c * 0.6;
            if (!inGlass && ly > r.height() - frame && ly < r.height() - frame + 2.5) c = c * 1.35;
            image.at(x, y) = c;
            return;
        }
        Colour c = RoomLight(gx / innerW, gy / innerH);
        // Shadow of the sash in each pane's corners and a sheen across the glass.
        const double px = std::fmod(gx, innerW / 2 + mullion / 2), py = std::fmod(gy, innerH / 2 + mullion / 2);
        const double edgeDistance = std::min(std::min(px, py), std::min(innerW / 2 - mullion / 2 - px, innerH / 2 - mullion / 2 - py));
        c = c * (0.6 + 0.4 * SmoothStep(0.0, 4.0, edgeDistance));
        const double sheen = std::sin((gx + gy * 0.7) * 0.12);
        c = c * (1.0 + 0.06 * sheen);
        // Curtains at the outer sides.
        const double curtain = 1.0 - SmoothStep(8.0, 14.0, std::min(gx, innerW - gx));
        c = Mix(c, Colour{0.62, 0.16, 0.10} * (0.8 + 0.2 * std::sin(gy * 0.4)), 0.85 * curtain);
        image.at(x, y) = c;
    });
}

void PaintDoor(Image& image) {
    const PixelRect r = kDoorRect;
    const double frame = 6.0;
    const Colour stain{0.44, 0.27, 0.14};
    const double boardWidth = (r.width() - 2 * frame) / 4.0;
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        if (lx < frame || lx > r.width() - frame || ly < frame) {
            image.at(x, y) = FrameWood(ly, lx);  // the grain runs along each jamb
            return;
        }
        const double dx = lx - frame, dy = ly - frame;
        const double leafW = r.width() - 2 * frame, leafH = r.height() - frame;
        // Vertical boards, the grain along them.
        const int board = static_cast<int>(dx / boardWidth);
        const double inBoard = dx - board * boardWidth;
        Colour c = stain * (0.9 + 0.08 * (board % 3)) * WoodGrain(dy + board * 211.0, dx, 25.0, 61);
        if (inBoard < 1.5) c = c * 0.4;
        // Two small lit panes in the top, two battens below.
        const bool pane = dy > 8 && dy < 30 && ((dx > 10 && dx < 39) || (dx > leafW - 39 && dx < leafW - 10));
        if (pane) c = RoomLight(dx / leafW, (dy - 8) / 22.0) * 0.9;
        for (double batten : {leafH * 0.45, leafH * 0.85}) {
            if (std::abs(dy - batten) < 5.0) {
                c = stain * 1.15 * WoodGrain(dx, dy, 25.0, 62);
            } else if (dy - batten >= 5.0 && dy - batten < 8.0) {
                c = c * 0.6;
            }
        }
        // Iron strap hinges and a ring handle.
        for (double batten : {leafH * 0.45, leafH * 0.85})
            if (std::abs(dy - batten) < 2.2 && dx < leafW * 0.55) c = Colour{0.12, 0.11, 0.10};
        const double ring = std::hypot(dx - leafW * 0.82, dy - leafH * 0.62);
        if (std::abs(ring - 4.0) < 1.2 || ring < 1.5) c = Colour{0.10, 0.09, 0.09};
        image.at(x, y) = c;
    });
}

void PaintFlat(Image& image, const PixelRect& r, Colour base, double scale, std::uint32_t seed) {
    ForEachPixel(r, [&](int x, int y, double lx, double ly) {
        image.at(x, y) = base * (0.8 + 0.3 * TiledNoise(lx, ly, r, Cells(r.width(), scale), Cells(r.height(), scale), 4, seed));
    });
}

}  // namespace

Image PaintLodgeTexture() {
    Image image(kTextureSize, kTextureSize);
    PaintBark(image);
    PaintShingles(image);
    PaintStone(image);
    PaintLogEnd(image);
    PaintBoards(image, kPlankRect, 16, Colour{0.62, 0.42, 0.24}, 71, true);
    PaintWindow(image);
    PaintDoor(image);
    PaintBoards(image, kTrimRect, 16, kTrimGreen * 1.1, 81, false);
    PaintFlat(image, kCapRect, Colour{0.50, 0.48, 0.45}, 5.0, 91);
    PaintFlat(image, kSootRect, Colour{0.09, 0.08, 0.08}, 4.0, 92);
    return image;
}
