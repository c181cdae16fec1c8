// Deterministic pseudo-random numbers and smooth noise for the generators, so
// that every run paints and builds the same bytes.
#pragma once
#include <cstdint>

// SplitMix64: a small generator with a fixed seed per use.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}
    std::uint64_t next();
    // Uniform in [0, 1).
    double unit();
    // Uniform in [low, high).
    double range(double low, double high) { return low + (high - low) * unit(); }
    // Uniform integer in [low, high].
    int integer(int low, int high);

private:
    std::uint64_t state;
};

// A value in [0, 1) that depends only on the integer lattice point and the seed.
double LatticeValue(std::int64_t x, std::int64_t y, std::uint32_t seed);

// Smoothly interpolated value noise in [0, 1) over the plane. With a nonzero
// period along an axis the noise repeats after that many lattice cells.
double ValueNoise(double x, double y, std::uint32_t seed, std::int64_t periodX = 0, std::int64_t periodY = 0);

// Sum of `octaves` layers of value noise, each of twice the frequency and half
// the weight of the previous; normalised to [0, 1). Periods as for ValueNoise,
// counted in the first layer's cells.
double FractalNoise(double x, double y, int octaves, std::uint32_t seed, std::int64_t periodX = 0,
                    std::int64_t periodY = 0);
