// The map's own random numbers. Every choice the drawing makes comes from here, so a seed
// gives the same map on every library and compiler: the standard library's engines and
// distributions are free to change their output between versions, SplitMix64 is not.
#pragma once

#include <cstdint>

namespace tessara {

// One SplitMix64 step: a well-mixed 64-bit value from any input.
inline std::uint64_t mix64(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// A value in [0, 1) fixed by the seed and a lattice point: the noise needs random values it
// can look up in any order, which a stream cannot give.
inline double latticeValue(std::uint64_t seed, std::int64_t x, std::int64_t y) {
    std::uint64_t key = mix64(seed ^ mix64(static_cast<std::uint64_t>(x) * 0x632BE59BD9B4E019ull +
                                           static_cast<std::uint64_t>(y)));
    return static_cast<double>(key >> 11) * 0x1.0p-53;
}

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t current = state_;
        state_ += 0x9E3779B97F4A7C15ull;
        return mix64(current);
    }
    // In [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double between(double low, double high) { return low + (high - low) * unit(); }
    // In [0, count); count above 0.
    int below(int count) { return static_cast<int>(next() % static_cast<std::uint64_t>(count)); }
    // A stream of its own for one part of the map, so that changing how many numbers one part
    // draws leaves the others as they were.
    Random branch(std::uint64_t salt) { return Random(mix64(state_ ^ mix64(salt))); }

  private:
    std::uint64_t state_;
};

}  // namespace tessara
