#pragma once
// The run's pseudo-random generator: a fixed algorithm of our own (SplitMix64, Steele, Lea and
// Flood 2014), so a run draws the same sequence with every compiler, library and platform.
//
//   state  <- state + 0x9E3779B97F4A7C15            (mod 2^64)
//   z      <- state
//   z      <- (z xor (z >> 30)) * 0xBF58476D1CE4E5B9
//   z      <- (z xor (z >> 27)) * 0x94D049BB133111EB
//   z      <- z xor (z >> 31)
//   draw   =  (z >> 40) / 2^24                       (24 bits: a single in [0, 1))
//
// reset() puts the state to 0x853C49E6748FEA9B; seed(n) mixes the bits of n (as a double)
// into it with one SplitMix64 step.

#include <cstdint>

namespace tovask {

class Random {
public:
    void reset();
    void seed(double n);
    float next();

private:
    std::uint64_t state_ = 0;
};

} // namespace tovask
