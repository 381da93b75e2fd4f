// The run's generator: the same sequence on every platform, values in [0, 1).
#include "base/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace tovask {
namespace {

std::vector<float> draws(double seed, int count) {
    Random random;
    random.reset();
    random.seed(seed);
    std::vector<float> values;
    for (int k = 0; k < count; ++k)
        values.push_back(random.next());
    return values;
}

TEST(Random, FirstDrawsAfterResetAndSeedOneArePinned) {
    // Worked out apart from the code from the algorithm in Random.h (reset, seed(1), six draws),
    // as multiples of 2^-24. A change of the algorithm changes every recorded run's draws.
    const std::uint32_t expected[] = {5896847, 7238175, 8498607, 10495015, 9203726, 12857277};
    const auto values = draws(1, 6);
    for (std::size_t k = 0; k < values.size(); ++k)
        EXPECT_EQ(values[k], static_cast<float>(expected[k]) / 16777216.0f) << "draw " << k + 1;
}

TEST(Random, ResetRestartsTheSequence) {
    Random random;
    random.reset();
    random.seed(1);
    const float first = random.next();
    const float second = random.next();
    random.reset();
    random.seed(1);
    EXPECT_EQ(random.next(), first);
    EXPECT_EQ(random.next(), second);
    EXPECT_EQ(draws(1, 20), draws(1, 20));
}

TEST(Random, TheSeedChangesTheSequence) {
    EXPECT_NE(draws(1, 5), draws(2, 5));
    EXPECT_NE(draws(1, 5), draws(-1, 5));
    EXPECT_NE(draws(1, 5), draws(0, 5));
}

TEST(Random, DrawsLieInZeroToOneAndSpreadEvenly) {
    Random random;
    random.reset();
    random.seed(1);
    constexpr int kDraws = 100000;
    int buckets[10] = {};
    double sum = 0;
    for (int k = 0; k < kDraws; ++k) {
        const float value = random.next();
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        sum += value;
        ++buckets[static_cast<int>(value * 10)];
    }
    EXPECT_NEAR(sum / kDraws, 0.5, 0.01);
    for (int b = 0; b < 10; ++b)
        EXPECT_NEAR(buckets[b], kDraws / 10, kDraws / 100) << "tenth " << b;
}

} // namespace
} // namespace tovask
