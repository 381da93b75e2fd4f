#include "base/Random.h"

#include <bit>

namespace tovask {

namespace {

constexpr std::uint64_t kStartState = 0x853C49E6748FEA9BULL;
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

void Random::reset() {
    state_ = kStartState;
}

void Random::seed(double n) {
    state_ ^= mix(std::bit_cast<std::uint64_t>(n) + kGolden);
}

float Random::next() {
    state_ += kGolden;
    return static_cast<float>(mix(state_) >> 40) * (1.0f / 16777216.0f);
}

} // namespace tovask
