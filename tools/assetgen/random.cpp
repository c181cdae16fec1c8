#include "tools/assetgen/random.h"

#include <cmath>

std::uint64_t Random::next() {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

int Random::integer(int low, int high) {
    return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
}

double LatticeValue(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x8DA6B343ull ^ static_cast<std::uint64_t>(y) * 0xD8163841ull ^
                      static_cast<std::uint64_t>(seed) * 0xCB1AB31Full;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

namespace {

std::int64_t Wrap(std::int64_t i, std::int64_t period) {
    if (period <= 0) return i;
    const std::int64_t m = i % period;
    return m < 0 ? m + period : m;
}

}  // namespace

double ValueNoise(double x, double y, std::uint32_t seed, std::int64_t periodX, std::int64_t periodY) {
    const double fx = std::floor(x), fy = std::floor(y);
    const std::int64_t ix = static_cast<std::int64_t>(fx), iy = static_cast<std::int64_t>(fy);
    const std::int64_t x0 = Wrap(ix, periodX), x1 = Wrap(ix + 1, periodX);
    const std::int64_t y0 = Wrap(iy, periodY), y1 = Wrap(iy + 1, periodY);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0 - 2.0 * tx);
    ty = ty * ty * (3.0 - 2.0 * ty);
    const double a = LatticeValue(x0, y0, seed), b = LatticeValue(x1, y0, seed);
    const double c = LatticeValue(x0, y1, seed), d = LatticeValue(x1, y1, seed);
    const double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double FractalNoise(double x, double y, int octaves, std::uint32_t seed, std::int64_t periodX,
                    std::int64_t periodY) {
    double sum = 0.0, weight = 1.0, total = 0.0, frequency = 1.0;
    for (int i = 0; i < octaves; ++i) {
        const std::int64_t scale = std::int64_t{1} << i;
        sum += weight * ValueNoise(x * frequency, y * frequency, seed + static_cast<std::uint32_t>(i) * 7919u,
                                   periodX * scale, periodY * scale);
        total += weight;
        weight *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}
